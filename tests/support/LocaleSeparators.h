#pragma once

#include "platform/rtl/FormatSettings.h"

// Sets the locale's number separators while it lives and puts the previous ones back.
class LocaleSeparators {
public:
    LocaleSeparators(QChar decimal, QChar thousand)
        : decimal_(DecimalSeparator), thousand_(ThousandSeparator) {
        DecimalSeparator = decimal;
        ThousandSeparator = thousand;
    }
    ~LocaleSeparators() {
        DecimalSeparator = decimal_;
        ThousandSeparator = thousand_;
    }
    LocaleSeparators(const LocaleSeparators&) = delete;
    LocaleSeparators& operator=(const LocaleSeparators&) = delete;

private:
    QChar decimal_;
    QChar thousand_;
};
