#include "platform/rtl/CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, PolishLettersMapBothWays) {
    // Windows-1250 bytes of "ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"
    const QByteArray ansi(
        "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF \xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
    const QString text = QString::fromUtf8("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ");
    EXPECT_EQ(AnsiToUnicode(ansi), text);
    EXPECT_EQ(UnicodeToAnsi(text), ansi);
    EXPECT_EQ(AnsiToUnicode("\x80\x84\x96"), QString::fromUtf8("€„–"));
}

TEST(CodePage, LongTextsConvertTheSameInEveryPositionOfABlock) {
    // The fast path widens 16 bytes at a time: a letter at each offset, around block edges.
    for (int at = 0; at < 40; ++at) {
        QByteArray ansi(40, 'a');
        ansi[at] = '\xB9';
        QString expected(40, u'a');
        expected[at] = QChar(0x0105);
        EXPECT_EQ(AnsiToUnicode(ansi), expected) << at;
    }
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(UnicodeToAnsi(QString::fromUtf8("a€ж漢b")), QByteArray("a\x80??b"));
}

} // namespace
