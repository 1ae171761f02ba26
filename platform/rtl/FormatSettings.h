#pragma once

#include <QChar>

// The locale's number formatting settings. They start from the system locale and may be changed
// by the program (tests set them); whoever formats or reads a number reads them at every use.
extern QChar DecimalSeparator;
extern QChar ThousandSeparator;
