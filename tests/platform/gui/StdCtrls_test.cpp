#include "platform/gui/StdCtrls.h"

#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(Memo, CountsTheLinesAsShownAndNoEmptyLastLine) {
    TMemo memo;
    memo.setFrameShape(QFrame::NoFrame);
    memo.document()->setDocumentMargin(0);
    const QFontMetrics metrics(memo.font());
    const QString word = QStringLiteral("mmmm");
    // Two words fit on a line, three do not.
    const int twoWords = metrics.horizontalAdvance(word + u' ' + word) + 4;
    ASSERT_LT(twoWords, metrics.horizontalAdvance(QStringList(3, word).join(u' ')));
    ResizeNow(&memo, QSize(twoWords, 200));

    struct Case {
        QString text;
        int lines;
    } const cases[] = {
        {"", 0},      {"a", 1},          {"a\r\nb", 2},
        {"a\r\n", 1}, {"a\r\n\r\nb", 3}, {QStringList(6, word).join(u' '), 3},
    };
    for (const Case& c : cases) {
        memo.setPlainText(c.text);
        EXPECT_EQ(memo.LineCount(), c.lines) << c.text.toStdString();
    }

    // Wrapped again at a new width, although the memo has never been shown.
    ResizeNow(&memo, QSize(20 * twoWords, 200));
    EXPECT_EQ(memo.LineCount(), 1);
}

TEST(Memo, InsertsALineAtTheTop) {
    TMemo memo;
    memo.setPlainText(QStringLiteral("tekst"));
    memo.InsertLine(0, QString());
    memo.InsertLine(0, QStringLiteral("pierwsza"));
    EXPECT_EQ(memo.toPlainText(), "pierwsza\n\ntekst");
}

TEST(Label, TellsOfALeftClick) {
    TLabel label(QStringLiteral("https://example.com"));
    label.resize(100, 17);
    QSignalSpy clicks(&label, &TLabel::OnClick);
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
}

} // namespace
