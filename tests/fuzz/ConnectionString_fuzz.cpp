// The connection string from any typed texts: a value quoted and parsed back is the same text,
// and the login's connection string parses back to exactly the server, database, user, password
// and application name typed, each once, whatever they hold.

#include "engine/ConnectionString.h"
#include "platform/ado/ConnectionString.h"
#include "platform/rtl/Conversions.h"
#include "tests/fuzz/FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

namespace {

QString Shown(const TConnectionStringPairs& pairs) {
    QString s;
    for (const auto& [key, value] : pairs)
        s += u'[' + key + QStringLiteral("]=[") + value + QStringLiteral("]\n");
    return s;
}

int Count(const TConnectionStringPairs& pairs, const QString& key) {
    int count = 0;
    for (const auto& [k, v] : pairs)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            ++count;
    return count;
}

// The value of the key, which must stand in the string once and only once.
void ExpectOnce(const TConnectionStringPairs& pairs, const QString& key, const QString& expected,
                const QString& detail) {
    Expect(Count(pairs, key) == 1, "each key once", key + u'\n' + detail);
    Expect(ConnectionStringValue(pairs, key) == expected, "each value as typed",
           key + QStringLiteral(": [") + expected + QStringLiteral("]\n") + detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    QString typed[5];
    for (QString& t : typed)
        t = QString::fromStdString(in.ConsumeRandomLengthString(64));
    const auto& [serwer, baza, uzytkownik, haslo, aplikacja] = typed;

    // One value alone.
    const QString quoted = QuoteConnectionStringValue(haslo);
    const TConnectionStringPairs one = ParseConnectionString(QStringLiteral("Password=") + quoted);
    Expect(one.size() == 1 && one[0].first == u"Password" && one[0].second == haslo,
           "a quoted value parses back to itself",
           QStringLiteral("[%1] quoted [%2] parsed\n").arg(haslo, quoted) + Shown(one));

    // The login's whole string.
    const QString whole = UtworzConnectionString(serwer, baza, uzytkownik, haslo, aplikacja);
    const TConnectionStringPairs pairs = ParseConnectionString(whole);
    const QString detail = whole + u'\n' + Shown(pairs);
    ExpectOnce(pairs, QStringLiteral("Provider"), QStringLiteral("SQLOLEDB.1"), detail);
    ExpectOnce(pairs, QStringLiteral("Data Source"), serwer, detail);
    ExpectOnce(pairs, QStringLiteral("Initial Catalog"), baza, detail);
    ExpectOnce(pairs, QStringLiteral("User ID"), uzytkownik, detail);
    ExpectOnce(pairs, QStringLiteral("Password"), haslo, detail);
    const QString nazwa = Trim(aplikacja);
    if (nazwa.isEmpty()) {
        Expect(Count(pairs, QStringLiteral("Application Name")) == 0,
               "no application name for a blank one", detail);
    } else {
        ExpectOnce(pairs, QStringLiteral("Application Name"), QStringLiteral("U:") + nazwa, detail);
    }
    return 0;
}
