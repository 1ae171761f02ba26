#include "platform/ado/OdbcDiagnostics.h"

#include <gtest/gtest.h>

namespace {

TEST(OdbcDiagnostics, SplitsTheDriverPrefixesFromTheMessage) {
    struct Case {
        QString message;
        QString text;
        QString component;
    } const cases[] = {
        {"[FreeTDS][SQL Server]Login failed for user 'sa'.", "Login failed for user 'sa'.",
         "SQL Server"},
        {"[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]Invalid object name 'x'.",
         "Invalid object name 'x'.", "SQL Server"},
        {"[Microsoft][ODBC Driver 18 for SQL Server]Login timeout expired", "Login timeout expired",
         "ODBC Driver 18 for SQL Server"},
        {"[unixODBC][Driver Manager]Data source name not found", "Data source name not found",
         "Driver Manager"},
        {"[SQLite]no such table: t (1)", "no such table: t (1)", "SQLite"},
        // The server's own text may begin with a bracket.
        {"[FreeTDS][SQL Server][Qen] Brak tabeli", "[Qen] Brak tabeli", "SQL Server"},
        {"[a][b][c][d] x", "[d] x", "c"},
        {"no such table: t (1)", "no such table: t (1)", ""},
        {"[unterminated", "[unterminated", ""},
    };
    for (const Case& c : cases) {
        const TOdbcMessage split = SplitOdbcMessage(c.message);
        EXPECT_EQ(split.Text, c.text) << c.message.toStdString();
        EXPECT_EQ(split.Component, c.component) << c.message.toStdString();
    }
}

} // namespace
