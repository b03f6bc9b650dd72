#include "UXCheckBox.h"

TXCheckBox::TXCheckBox(QWidget* Owner) : QCheckBox(Owner)
{
}

QChar TXCheckBox::Value() const
{
    return isChecked() ? FCharTrue : FCharFalse;
}

void TXCheckBox::SetValue(QChar C)
{
    setChecked(C == FCharTrue);
}
