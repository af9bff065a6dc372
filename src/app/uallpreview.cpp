#include "uallpreview.h"

#include "umain.h"

#include <QPlainTextEdit>

namespace korvel {

TForm4::TForm4(TForm1& main) : QDialog(&main), main_(main) {
    Panelall = new QWidget(this);
    Panelsingal = new QWidget(this);
    Memo1 = new QPlainTextEdit(Panelsingal);
    Image1 = new QWidget(Panelsingal);
}

TForm4::~TForm4() = default;

} // namespace korvel
