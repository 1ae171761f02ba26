#include "FormatSettings.h"

#include <QLocale>

namespace {

QChar FirstOf(const QString& text, QChar fallback) {
    return text.isEmpty() ? fallback : text.front();
}

} // namespace

QChar DecimalSeparator = FirstOf(QLocale::system().decimalPoint(), u'.');
QChar ThousandSeparator = FirstOf(QLocale::system().groupSeparator(), u',');
