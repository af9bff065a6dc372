#include "usetup.h"

#include "umain.h"

#include <QLineEdit>
#include <QPushButton>

namespace korvel {

TForm2::TForm2(TForm1& main) : QDialog(&main), main_(main) {
    fontpanel = new QWidget(this);
    bitmapPanel = new QWidget(this);
    Edit2 = new QLineEdit(bitmapPanel);
    Button1 = new QPushButton(QStringLiteral("Add "), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
}

TForm2::~TForm2() = default;

void TForm2::Button1Click() {}

} // namespace korvel
