#include "ui/KBitBtn.h"

TKBitBtn::TKBitBtn(QWidget* Owner) : QPushButton(Owner) {}
