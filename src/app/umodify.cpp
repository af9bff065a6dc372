#include "umodify.h"

#include "cellcanvas.h"
#include "umain.h"

#include <QLineEdit>
#include <QSpinBox>

namespace korvel {

TForm3::TForm3(TForm1& main) : QDialog(&main), main_(main) {
    SpinEdit3 = new QSpinBox(this);
    Edit1 = new QLineEdit(this);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit2 = new QSpinBox(this);
    Image1 = new CellCanvas(this);
}

TForm3::~TForm3() = default;

} // namespace korvel
