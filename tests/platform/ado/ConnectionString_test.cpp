#include "platform/ado/ConnectionString.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ConnectionString, ParsesQuotedValuesAndRefusesMalformedOnes) {
    const auto pairs = ParseConnectionString(
        " Password = \"a;b\"\"c\" ;User ID='it''s';;Data Source= srv ;Key==Name=v");
    EXPECT_EQ(ConnectionStringValue(pairs, "password"), "a;b\"c");
    EXPECT_EQ(ConnectionStringValue(pairs, "User ID"), "it's");
    EXPECT_EQ(ConnectionStringValue(pairs, "Data Source"), "srv");
    EXPECT_EQ(ConnectionStringValue(pairs, "Key=Name"), "v");
    for (const char* bad : {"Password=\"open", "NoEquals;", "A=\"x\"y"})
        EXPECT_THROW(ParseConnectionString(bad), EDatabaseError) << bad;
}

// Every text of up to three characters drawn from those the syntax treats specially, quoted and
// parsed back, in the middle of a string and at its end.
TEST(ConnectionString, TheParseOfAQuotedValueGivesBackExactlyTheValue) {
    const QString alphabet = QStringLiteral("a=;\"' \t\u00a0\u2003{}");
    std::vector<QString> values{QString()};
    for (std::size_t from = 0, length = 0; length < 3; ++length) {
        const std::size_t to = values.size();
        for (std::size_t i = from; i < to; ++i)
            for (QChar c : alphabet)
                values.push_back(values[i] + c);
        from = to;
    }
    for (const QString& value : values) {
        const QString quoted = QuoteConnectionStringValue(value);
        const auto pairs = ParseConnectionString("A=" + quoted + ";B=" + quoted);
        ASSERT_EQ(pairs.size(), 2u) << value.toStdString();
        EXPECT_EQ(pairs[0], std::make_pair(QString("A"), value)) << value.toStdString();
        EXPECT_EQ(pairs[1], std::make_pair(QString("B"), value)) << value.toStdString();
    }
}

TEST(ConnectionString, AMalformedStringIsNamedByPositionOrKeyNeverByItsText) {
    struct Case {
        QString text;
        QString message;
    } const cases[] = {
        // A password that starts with "=" written unquoted: "==" escapes the key's "=".
        {"Provider=SQLOLEDB.1;Password==Tajne123;User ID=sa",
         "Malformed connection string: no \"=\" in the entry at position 21"},
        {"Tajne123", "Malformed connection string: no \"=\" in the entry at position 1"},
        {"Password=\"Tajne123;User ID=sa",
         "Malformed connection string: the value of \"Password\" has no closing quote"},
        {"User ID=sa; Password = 'Tajne'123 ;",
         "Malformed connection string: text follows the quoted value of \"Password\""},
    };
    for (const Case& c : cases) {
        try {
            ParseConnectionString(c.text);
            ADD_FAILURE() << "no error for " << c.text.toStdString();
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), c.message);
            EXPECT_FALSE(e.Message().contains("Tajne"));
        }
    }
}

} // namespace
