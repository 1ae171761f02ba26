#include "engine/ConnectionString.h"

#include "platform/ado/ConnectionString.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Format.h"

QString UtworzConnectionString(const QString& Serwer, const QString& Baza,
                               const QString& Uzytkownik, const QString& Haslo,
                               const QString& NazwaAplikacji) {
    QString wynik = Format(
        QStringLiteral("Provider=SQLOLEDB.1;Password=%s;Persist Security Info=True;User ID=%s;"
                       "Initial Catalog=%s;Data Source=%s;OLE DB Services=-2"),
        {QuoteConnectionStringValue(Haslo), QuoteConnectionStringValue(Uzytkownik),
         QuoteConnectionStringValue(Baza), QuoteConnectionStringValue(Serwer)});
    const QString nazwa = Trim(NazwaAplikacji);
    if (!nazwa.isEmpty())
        wynik = Format(QStringLiteral("%s;Application Name=%s"),
                       {wynik, QuoteConnectionStringValue(QStringLiteral("U:") + nazwa)});
    return wynik;
}
