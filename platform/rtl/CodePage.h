#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Script text is kept as Windows-1250 bytes (an "ANSI" string) and turned into Unicode once, when
// it is handed to the database driver.
using AnsiString = QByteArray;

QString AnsiToUnicode(QByteArrayView ansi);
// Characters that Windows-1250 cannot carry become "?".
AnsiString UnicodeToAnsi(QStringView text);
