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
        {"plain", "plain"},     {"a;b\"c", "\"a;b\"\"c\""}, {"it's", "\"it's\""},
        {" lead", "\" lead\""}, {"trail ", "\"trail \""},   {"in side", "in side"},
        {"a=b", "a=b"},
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

} // namespace
