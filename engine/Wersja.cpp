#include "engine/Wersja.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

#include <array>

namespace {

const QString SNiepoprawnaWersja = QStringLiteral("Niepoprawna wersja: \"%s\".");

using TCzesci = std::array<int, 4>;

TCzesci ParsujLubZglos(const QString& Wersja) {
    TCzesci c{};
    if (!ParsujWersje(Wersja, c[0], c[1], c[2], c[3]))
        throw EConvertError(Format(SNiepoprawnaWersja, {Wersja}));
    return c;
}

} // namespace

bool ParsujWersje(const QString& Wersja, int& Czesc1, int& Czesc2, int& Czesc3, int& Czesc4) {
    Czesc1 = Czesc2 = Czesc3 = Czesc4 = 0;
    if (Wersja.size() < 7)
        return false;
    std::array<QString, 4> bufory;
    int indeks = 0;
    for (const QChar c : Wersja) {
        if (c == u'.' && indeks < 3)
            ++indeks;
        else if (c >= u'0' && c <= u'9')
            bufory[std::size_t(indeks)] += c;
        else
            return false;
    }
    for (const QString& b : bufory)
        if (b.isEmpty())
            return false;
    Czesc1 = StrToInt(bufory[0]);
    Czesc2 = StrToInt(bufory[1]);
    Czesc3 = StrToInt(bufory[2]);
    Czesc4 = StrToInt(bufory[3]);
    return true;
}

QString WersjaDoWyswietlenia(const QString& Wersja) {
    int c1, c2, c3, c4;
    ParsujWersje(Wersja, c1, c2, c3, c4);
    return Format(QStringLiteral("%d.%d.%.2d"), {qint64(c1) + 2000, c2, c3});
}

bool WersjaWiekszaLubRowna(const QString& X, const QString& Y) {
    const TCzesci x = ParsujLubZglos(X);
    const TCzesci y = ParsujLubZglos(Y);
    for (std::size_t i = 0; i < 3; ++i)
        if (x[i] != y[i])
            return x[i] > y[i];
    return x[3] >= y[3];
}
