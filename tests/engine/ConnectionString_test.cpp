#include "engine/ConnectionString.h"

#include "platform/ado/ConnectionString.h"

#include <gtest/gtest.h>

namespace {

const QString kBase = "Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%2;"
                      "Initial Catalog=%3;Data Source=%4;OLE DB Services=-2";

TEST(UtworzConnectionString, FillsTheProviderStringAndTheApplicationName) {
    struct Case {
        QString server, database, user, password, application, expected;
    } const cases[] = {
        {"srv", "db", "sa", "", "admin",
         kBase.arg("", "sa", "db", "srv") + ";Application Name=U:admin"},
        {"srv", "db", "sa", "pw", "   ", kBase.arg("pw", "sa", "db", "srv")},
        {"srv", "db", "sa", "pw", "", kBase.arg("pw", "sa", "db", "srv")},
        {"srv", "db", "sa", "pw", " x ",
         kBase.arg("pw", "sa", "db", "srv") + ";Application Name=U:x"},
        {"host\\SQLEXPRESS", "Baza_1", "użytkownik", "hasło=1", "admin",
         kBase.arg("hasło=1", "użytkownik", "Baza_1", "host\\SQLEXPRESS") +
             ";Application Name=U:admin"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UtworzConnectionString(c.server, c.database, c.user, c.password, c.application),
                  c.expected);
}

TEST(UtworzConnectionString, QuotesOnlyValuesTheSyntaxWouldMisread) {
    struct Case {
        QString typed;
        QString written;
    } const cases[] = {
        {"plain", "plain"},       {"a;b\"c", "\"a;b\"\"c\""},
        {"it's", "\"it's\""},     {" lead", "\" lead\""},
        {"trail ", "\"trail \""}, {"in side", "in side"},
        {"a=b", "a=b"},           {"x==", "x=="},
        {"=x", "\"=x\""},         {"\u00a0x", "\"\u00a0x\""},
    };
    for (const Case& c : cases) {
        const QString cs = UtworzConnectionString(c.typed, c.typed, c.typed, c.typed, "admin");
        EXPECT_EQ(cs, kBase.arg(c.written, c.written, c.written, c.written) +
                          ";Application Name=U:admin");
        // Whatever was typed comes back intact from the parse.
        const TConnectionStringPairs pairs = ParseConnectionString(cs);
        for (const char* key : {"Password", "User ID", "Initial Catalog", "Data Source"})
            EXPECT_EQ(ConnectionStringValue(pairs, key), c.typed) << key;
        EXPECT_EQ(ConnectionStringValue(pairs, "application name"), "U:admin");
    }
}

// Values the connection-string syntax could misread or trim, in each field on its own: the parse
// of the string gives every field back as typed.
TEST(UtworzConnectionString, EveryFieldComesBackFromTheParseAsTyped) {
    const QString awkward[] = {// A leading "=", which a key's "==" would take.
                               "=Tajne123", "==", "==x", "=", "= x", "x=;=y", "a==b",
                               // White space that the parse trims.
                               " ", "", "\u00a0Tajne\u00a0", "Tajne\u00a0", "\u2003x", "x\u3000",
                               "\tx", "x\r\n\t", "\u0085x",
                               // Quotes and separators.
                               "\"", "'", "\"\"", "'x'", "\"x\"", "a\"b", ";", "a;b",
                               "x;Password=y", "Password=y", "{x};y", "zażółć"};
    const char* keys[] = {"Data Source", "Initial Catalog", "User ID", "Password"};
    for (const QString& typed : awkward) {
        for (int field = 0; field < 4; ++field) {
            SCOPED_TRACE(QString("%1 in %2").arg(typed, keys[field]).toStdString());
            QString values[4] = {"srv", "db", "sa", "pw"};
            values[field] = typed;
            const QString cs =
                UtworzConnectionString(values[0], values[1], values[2], values[3], "admin");
            const TConnectionStringPairs pairs = ParseConnectionString(cs);
            for (int key = 0; key < 4; ++key)
                EXPECT_EQ(ConnectionStringValue(pairs, keys[key]), values[key]) << keys[key];
            EXPECT_EQ(ConnectionStringValue(pairs, "Application Name"), "U:admin");
            EXPECT_EQ(pairs.size(), 8u);
        }
    }
    // The application name is trimmed of codes 0 to 32 only; what else it ends with stays.
    const QString cs = UtworzConnectionString("srv", "db", "sa", "pw", " x\u00a0 ");
    EXPECT_EQ(ConnectionStringValue(ParseConnectionString(cs), "Application Name"), "U:x\u00a0");
}

} // namespace
