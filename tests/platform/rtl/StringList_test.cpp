#include "platform/rtl/StringList.h"

#include <QBuffer>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList Lines(const TStringList& list) {
    QStringList lines;
    for (int i = 0; i < list.Count(); ++i)
        lines << QString::fromLatin1(list[i]);
    return lines;
}

TEST(StringList, SplitsAtEveryKindOfLineEnd) {
    struct Case {
        QByteArray text;
        QStringList lines;
    } const cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"\r\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {QByteArray("a\r\nb\0c\r\nd", 9), {"a", "b"}},
        {" GO \r\n\tx", {" GO ", "\tx"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines) << c.text.toStdString();
    }
}

TEST(StringList, SplitsLongTextsAcrossBlockBoundaries) {
    // Line ends at every offset, including a CR LF pair cut by a 16-byte block edge.
    QByteArray text;
    QStringList expected;
    for (int length = 0; length < 40; ++length) {
        const QByteArray line(length, char('a' + length % 26));
        text += line + (length % 3 == 0 ? "\r\n" : length % 3 == 1 ? "\n" : "\r");
        expected << QString::fromLatin1(line);
    }
    TStringList list;
    list.SetText(text);
    EXPECT_EQ(Lines(list), expected);
}

TEST(StringList, AddTextAndStreamLoadReplaceContent) {
    TStringList list{"select 1", "GO"};
    list.Add("\xB9");
    EXPECT_EQ(list.Text(), QByteArray("select 1\r\nGO\r\n\xB9\r\n"));
    QByteArray bytes("x\r\ny");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    list.LoadFromStream(buffer);
    EXPECT_EQ(Lines(list), (QStringList{"x", "y"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
