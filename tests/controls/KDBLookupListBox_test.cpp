#include "controls/KDBLookupListBox.h"

#include "platform/gui/Application.h"
#include "platform/gui/CancelMode.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowTimer.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "tests/controls/LookupTestData.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/ScrollBarPart.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// Keys go where a user's keys go: to the focused control of the active window.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

void Type(const char* keys) {
    for (const char* k = keys; *k != 0; ++k)
        QTest::keyClick(static_cast<QWidget*>(nullptr), *k);
}

// A mouse event at a point of the box's client area, as its window delivers it.
void Mouse(QWidget* box, QEvent::Type type, int x, int y, Qt::MouseButton button,
           Qt::MouseButtons held) {
    const QPoint at = QPoint(x, y) + box->contentsRect().topLeft();
    QMouseEvent event(type, at, box->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(box, &event);
}

// A list of `count` goods (ID 1 to count, NAZWA "Towar 001" on, with a few named ones) in a box
// of seven rows on a shown, active form between two edits, the list's key ID and its columns
// NAZWA and ID; a bound dataset with one record whose KOD holds 5. The change events are logged.
class ListBoxTest : public ::testing::Test, protected LookupTestData {
protected:
    void SetUp() override {
        list.SetName(QStringLiteral("Towary"));
        form.SetClientWidth(300);
        form.SetClientHeight(300);
        form.move(40, 40);
        before = new QLineEdit(&form);
        before->setGeometry(10, 10, 100, 21);
        box = new TKDBLookupListBox(nullptr, &form);
        box->SetName(QStringLiteral("lbTowary"));
        SetBounds(box, 10, 40, 200, 0);
        box->SetRowCount(7);
        after = new QLineEdit(&form);
        after->setGeometry(10, 250, 100, 21);
        box->OnKBeforeChange = [this](QObject*, const Variant& was, const Variant& is, bool&) {
            Log("before " + was.toString().toStdString() + ">" + is.toString().toStdString());
        };
        box->OnKAfterChange = [this](QObject*, const Variant& was, const Variant& is) {
            Log("after " + was.toString().toStdString() + ">" + is.toString().toStdString());
        };
        box->OnClick = [this](QObject*) { Log("click"); };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    void Bind() { LookupTestData::Bind(box); }
    void Focus() {
        box->setFocus();
        ASSERT_TRUE(box->hasFocus());
    }
    int Cursor() const { return list.FieldByName(QStringLiteral("ID"))->Value().toInt(); }
    int RowHeight() const { return QFontMetrics(box->font()).height(); }
    // The middle of a row of the box, where a click on it lands.
    QPoint RowPoint(int row) const {
        return box->contentsRect().topLeft() + QPoint(5, row * RowHeight() + RowHeight() / 2);
    }
    // A click on a part of the box's scroll bar: an arrow, or the trough beside the thumb.
    void ClickBar(QStyle::SubControl part) {
        auto* bar = box->findChild<QScrollBar*>();
        ASSERT_NE(bar, nullptr);
        ASSERT_TRUE(bar->isVisible());
        QTest::mouseClick(bar, Qt::LeftButton, {}, ScrollBarPartCentre(bar, part));
    }
    void Log(const std::string& entry) { log += (log.empty() ? "" : " ") + entry; }

    TForm form;
    QLineEdit* before = nullptr;
    TKDBLookupListBox* box = nullptr;
    QLineEdit* after = nullptr;
    std::string log;
};

TEST_F(ListBoxTest, TheHeightHoldsWholeRowsFromOneToAHundredAndTheRecordWindowFollows) {
    Fill(200);
    Bind();
    // The border: a sunken edge of two pixels on each side.
    box->SetRowCount(1);
    const int rowHeight = box->height() - 4;
    EXPECT_EQ(rowHeight, RowHeight());
    struct Case {
        int set;
        int rows;
    };
    for (const Case& c : {Case{0, 1}, Case{-1, 1}, Case{150, 100}, Case{100, 100}, Case{12, 12}}) {
        box->SetRowCount(c.set);
        EXPECT_EQ(box->RowCount(), c.rows) << c.set;
        EXPECT_EQ(box->height(), c.rows * rowHeight + 4) << c.set;
    }

    SetBounds(box, 10, 40, 200, 1000);
    const int rows = (1000 - 4) / rowHeight;
    EXPECT_EQ(box->RowCount(), rows);
    EXPECT_EQ(box->height(), rows * rowHeight + 4);
    // The record window holds as many records as there are rows: the last record is chosen on
    // the bottom row.
    Focus();
    Press(Qt::Key_End);
    EXPECT_EQ(Kod(), 200);
    EXPECT_EQ(box->KeyRow(), rows - 1);

    SetBounds(box, 10, 40, 200, 3); // less than a row: one row all the same
    EXPECT_EQ(box->RowCount(), 1);
    EXPECT_EQ(box->height(), rowHeight + 4);

    // A single-line border, and none.
    box->SetCtl3D(false);
    EXPECT_EQ(box->height(), rowHeight + 2);
    box->SetBorderStyle(TBorderStyle::bsNone);
    EXPECT_EQ(box->height(), rowHeight);
    EXPECT_EQ(box->RowCount(), 1);
}

TEST_F(ListBoxTest, TheFirstArrowBringsTheKeysRecordIntoViewAndHomeAndEndAlwaysMove) {
    Fill(50);
    Bind();
    bound.Edit();
    bound.FieldByName(QStringLiteral("KOD"))->SetValue(30);
    bound.Post();
    Focus();
    // Paging with the scroll bar takes the key's row out of view and chooses nothing.
    box->findChild<QScrollBar*>()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(box->KeyRow(), -1);
    EXPECT_EQ(Kod(), 30);
    log.clear();

    Press(Qt::Key_Down);
    EXPECT_EQ(Cursor(), 30);
    EXPECT_GE(box->KeyRow(), 0);
    EXPECT_EQ(log, "click"); // chosen again, unchanged
    Press(Qt::Key_Down);
    EXPECT_EQ(Kod(), 31);

    box->findChild<QScrollBar*>()->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_EQ(box->KeyRow(), -1);
    Press(Qt::Key_Home);
    EXPECT_EQ(Kod(), 1);
    box->findChild<QScrollBar*>()->triggerAction(QAbstractSlider::SliderToMinimum);
    Press(Qt::Key_End);
    EXPECT_EQ(Kod(), 50);
}

TEST_F(ListBoxTest, WithOneRowThePageKeysMoveNothingAndKeepTheSearchText) {
    list.AppendRecord({1, QStringLiteral("Alfa")});
    list.AppendRecord({2, QStringLiteral("Beta")});
    list.AppendRecord({3, QStringLiteral("Delta")});
    list.AppendRecord({4, QStringLiteral("Echo")});
    Bind();
    box->SetRowCount(1);
    Focus();
    const TFixedTickCount ticks(1000); // no pause ends the search text
    Type("b");
    ASSERT_EQ(Kod(), 2);
    Press(Qt::Key_PageDown);
    Press(Qt::Key_PageUp);
    EXPECT_EQ(Kod(), 2);
    // "be" still finds Beta; a new search for "e" would have found Echo.
    Type("e");
    EXPECT_EQ(Kod(), 2);
    Press(Qt::Key_Down);
    EXPECT_EQ(Kod(), 3);
}

TEST_F(ListBoxTest, CtrlBackspaceKeepsTheSearchGoingWithoutAddingToIt) {
    list.AppendRecord({1, QStringLiteral("Beton")});
    list.AppendRecord({2, QStringLiteral("Blacha")});
    list.AppendRecord({3, QStringLiteral("Lakier")});
    Bind();
    Focus();
    TFixedTickCount ticks(10000);
    Type("b");
    ASSERT_EQ(Kod(), 1);
    ticks.Advance(1500);
    Press(Qt::Key_Backspace, Qt::ControlModifier); // types DEL
    ticks.Advance(1500);
    Type("l");
    EXPECT_EQ(Kod(), 2); // "bl", not a new search for "l"
}

TEST_F(ListBoxTest, PaintingAndKeyRowLeaveTheListOnTheCursorsRecord) {
    Fill(20);
    Bind();
    Focus();
    // From the key 5 down to 10 and back: the rows hold 4 to 10, the cursor on 9.
    for (Qt::Key key :
         {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up})
        Press(key);
    ASSERT_EQ(Kod(), 9);
    box->grab();
    EXPECT_EQ(Cursor(), 9);
    EXPECT_EQ(box->KeyRow(), 5);
    EXPECT_EQ(Cursor(), 9);
    EXPECT_EQ(list.FieldByName(QStringLiteral("NAZWA"))->Value().toString(), "Towar 009");
}

TEST_F(ListBoxTest, WhileTheListsControlsAreDisabledPaintingAndKeyRowLeaveItsFieldsAlone) {
    Fill(20);
    Bind(); // the rows hold 1 to 7, the cursor on the key 5
    list.DisableControls();
    list.First();
    box->grab();
    EXPECT_EQ(Cursor(), 1);
    list.Next();
    box->KeyRow();
    EXPECT_EQ(Cursor(), 2);
    list.EnableControls();
}

TEST_F(ListBoxTest, AnEmptyRecordPendingInTheListLeavesBeforeTheRowsAreCounted) {
    Fill(10);
    Bind();
    Focus();
    struct Case {
        const char* name;
        bool append; // else inserted before the key 5
        Qt::Key key; // or a click on a row
        int row;
        int chosen;
    } const cases[] = {
        // The rows hold 1 to 4, the new record, then 5 and 6.
        {"Down", false, Qt::Key_Down, 0, 6},
        {"Up", false, Qt::Key_Up, 0, 4},
        {"a click on the row of 6", false, Qt::Key_unknown, 6, 6},
        {"a click on the row of 3", false, Qt::Key_unknown, 2, 3},
        // The rows hold 5 to 10 and the new record.
        {"appended, Down", true, Qt::Key_Down, 0, 6},
        {"appended, a click on the row of 8", true, Qt::Key_unknown, 3, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bound.Cancel();
        list.First();
        list.Locate(QStringLiteral("ID"), 5);
        if (c.append)
            list.Append();
        else
            list.Insert();
        if (c.key != Qt::Key_unknown)
            Press(c.key);
        else
            QTest::mouseClick(box, Qt::LeftButton, {},
                              box->contentsRect().topLeft() +
                                  QPoint(5, c.row * RowHeight() + RowHeight() / 2));
        EXPECT_EQ(Kod(), c.chosen);
        EXPECT_EQ(Cursor(), c.chosen);
        EXPECT_EQ(list.State(), dsBrowse);
        EXPECT_EQ(list.RecordCount(), 10);
    }
}

TEST_F(ListBoxTest, WithTheListsControlsDisabledAClickOrAKeyTakesTheRecordTheRowsShow) {
    Fill(20);
    Bind(); // the rows hold 1 to 7, the key 5 marked
    Focus();
    box->OnClick = nullptr;
    struct Case {
        const char* name;
        std::function<void()> act;
        int kod;
        int cursor;
        const char* events;
    };
    const Case cases[] = {
        {"a click on the row of 7",
         [&] { QTest::mouseClick(box, Qt::LeftButton, {}, RowPoint(6)); }, 7, 7,
         "before 5>7 after 5>7"},
        {"Down", [] { Press(Qt::Key_Down); }, 6, 6, "before 5>6 after 5>6"},
        {"Up", [] { Press(Qt::Key_Up); }, 4, 4, "before 5>4 after 5>4"},
        // The rows move down by one: the cursor goes just below the bottom row.
        {"the bar's down arrow", [&] { ClickBar(QStyle::SC_ScrollBarAddLine); }, 5, 8, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bound.Cancel(); // the key 5 again
        ASSERT_EQ(box->KeyRow(), 4);
        log.clear();
        // A loop over the list's records that lets the events through meanwhile.
        list.DisableControls();
        list.First();
        c.act();
        EXPECT_EQ(Cursor(), c.cursor);
        list.EnableControls();
        EXPECT_EQ(Kod(), c.kod);
        EXPECT_EQ(log, c.events);
    }
}

TEST_F(ListBoxTest, TheScrollBarAndTheAutoScrollCountTheRowsShownOverAPendingRecord) {
    Fill(20);
    Bind();
    Focus();
    // The rows hold 15 to 20 and a new record at the bottom; the bar moves them as shown.
    struct Case {
        const char* name;
        QStyle::SubControl part;
        int top;
    };
    for (const Case& c : {Case{"the up arrow", QStyle::SC_ScrollBarSubLine, 14},
                          Case{"the trough above the thumb", QStyle::SC_ScrollBarSubPage, 9},
                          Case{"the down arrow", QStyle::SC_ScrollBarAddLine, 14}}) {
        SCOPED_TRACE(c.name);
        bound.Cancel();
        Press(Qt::Key_End);
        list.Append();
        ClickBar(c.part);
        EXPECT_EQ(list.State(), dsBrowse);
        EXPECT_EQ(list.RecordCount(), 20);
        EXPECT_EQ(Kod(), 20); // the bar chooses nothing
        // The top row shows the record the bar brought there.
        QTest::mouseClick(box, Qt::LeftButton, {}, RowPoint(0));
        EXPECT_EQ(Kod(), c.top);
    }

    // Held above the box, the mouse scrolls the rows up one record at a time: a record appended
    // meanwhile leaves, and the record above the top row is chosen.
    bound.Cancel();
    Press(Qt::Key_End); // the rows hold 14 to 20
    std::vector<int> chosen;
    box->OnKAfterChange = [&](QObject*, const Variant&, const Variant& is) {
        chosen.push_back(is.toInt());
    };
    Mouse(box, QEvent::MouseButtonPress, 5, 3 * RowHeight() + 2, Qt::LeftButton, Qt::LeftButton);
    Mouse(box, QEvent::MouseMove, 5, -5, Qt::NoButton, Qt::LeftButton);
    // The top row, then one record up: the rows hold 13 to 19.
    ASSERT_EQ(chosen, (std::vector<int>{17, 14, 13}));
    chosen.clear();
    list.Append(); // the rows hold 15 to 20 and the new record
    QTRY_VERIFY(!chosen.empty());
    Mouse(box, QEvent::MouseButtonRelease, 5, 2, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(chosen.front(), 14);
    EXPECT_EQ(list.State(), dsBrowse);
}

TEST_F(ListBoxTest, TheScrollBarShowsOnlyWhileTheRowsAreFullAndPagesWithoutChoosing) {
    Fill(6);
    Bind();
    auto* bar = box->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    list.AppendRecord({7, QStringLiteral("Towar 007")});
    EXPECT_TRUE(bar->isVisible());
    for (int id = 8; id <= 20; ++id)
        list.AppendRecord({id, QStringLiteral("Towar %1").arg(id)});
    list.First();
    EXPECT_EQ(bar->value(), 0);
    log.clear();

    // The down arrow: the rows move down by one; nothing is chosen and no event fires.
    ClickBar(QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(Cursor(), 8);
    EXPECT_EQ(Kod(), 5);
    EXPECT_EQ(log, "");
    EXPECT_EQ(bar->value(), 2);
    EXPECT_FALSE(bar->hasFocus());

    // The bar stands beside the rows, also after the border changed.
    EXPECT_EQ(box->ClientWidth(), box->width() - 4 - bar->width());
    box->SetBorderStyle(TBorderStyle::bsNone);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(box->ClientWidth(), box->width() - bar->width());
    EXPECT_EQ(bar->geometry().right(), box->width() - 1);
}

TEST_F(ListBoxTest, HoldingTheMouseAboveTheBoxScrollsFasterTheFartherAwayItIs) {
    Fill(50);
    Bind();
    Focus();
    Press(Qt::Key_End); // the rows hold 44 to 50
    TWindowTimer* timer = nullptr;
    for (QObject* child : box->children())
        if (auto* found = dynamic_cast<TWindowTimer*>(child))
            timer = found;
    ASSERT_NE(timer, nullptr);

    Mouse(box, QEvent::MouseButtonPress, 5, 3 * RowHeight() + 2, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(Kod(), 47);
    EXPECT_FALSE(timer->Active());
    Mouse(box, QEvent::MouseMove, 5, -10, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(Kod(), 43); // the top row, then one record up
    EXPECT_TRUE(timer->Active());
    EXPECT_EQ(timer->Interval(), 50);
    Mouse(box, QEvent::MouseMove, 5, -14, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(timer->Interval(), USER_TIMER_MINIMUM); // 0 ms, which would spin
    QTRY_VERIFY(Kod() <= 38);
    Mouse(box, QEvent::MouseMove, 5, 5, Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(timer->Active());
    Mouse(box, QEvent::MouseButtonRelease, 5, 5, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Kod(), Cursor());
}

TEST_F(ListBoxTest, AHandlerThatFailsDuringAutoScrollShowsOneErrorAndEndsTheDrag) {
    Fill(50);
    Bind();
    Focus();
    box->OnKAfterChange = [](QObject*, const Variant&, const Variant& is) {
        if (is.toInt() >= 10)
            throw Exception(QStringLiteral("Nie wolno"));
    };
    ModalAnswerer answerer;
    Mouse(box, QEvent::MouseButtonPress, 5, 2, Qt::LeftButton, Qt::LeftButton);
    Mouse(box, QEvent::MouseMove, 5, box->ClientHeight() + 20, Qt::NoButton, Qt::LeftButton);
    QTRY_COMPARE(answerer.Texts().size(), 1);
    QTest::qWait(200); // ticks of a timer left running would fail again
    EXPECT_EQ(answerer.Texts(), QStringList{QStringLiteral("Nie wolno.")});
    EXPECT_EQ(Kod(), 10);
    Mouse(box, QEvent::MouseMove, 5, 2, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(Kod(), 10); // the drag has ended
    Mouse(box, QEvent::MouseButtonRelease, 5, 2, Qt::LeftButton, Qt::NoButton);
}

TEST_F(ListBoxTest, APressWhoseChoiceFailsRaisesNoMouseDown) {
    Fill(10);
    Bind();
    box->OnKBeforeChange = [](QObject*, const Variant&, const Variant&, bool&) {
        throw Exception(QStringLiteral("Nie wolno"));
    };
    box->OnMouseDown = [this](QObject*, TMouseButton, TShiftState, int, int) { Log("down"); };
    ModalAnswerer answerer;
    Mouse(box, QEvent::MouseButtonPress, 5, 2 * RowHeight() + 2, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(answerer.Texts(), QStringList{QStringLiteral("Nie wolno.")});
    EXPECT_EQ(log, "");
    Mouse(box, QEvent::MouseButtonRelease, 5, 2 * RowHeight() + 2, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Kod(), 5);
}

TEST_F(ListBoxTest, AModalBoxOpenedDuringAutoScrollEndsTheDragAndTheScrolling) {
    Fill(50);
    Bind();
    Focus();
    bool warned = false;
    box->OnKAfterChange = [&](QObject*, const Variant&, const Variant& is) {
        if (is.toInt() == 10 && !warned) {
            warned = true;
            Application->MessageBox(QStringLiteral("Uwaga"), QStringLiteral("Towary"), MB_OK);
        }
    };
    ModalAnswerer answerer;
    answerer.Click(QMessageBox::Ok);
    Mouse(box, QEvent::MouseButtonPress, 5, 2, Qt::LeftButton, Qt::LeftButton);
    Mouse(box, QEvent::MouseMove, 5, box->ClientHeight() + 20, Qt::NoButton, Qt::LeftButton);
    QTRY_VERIFY(warned);
    QTest::qWait(200); // a timer left running would go on scrolling and choosing
    EXPECT_EQ(Kod(), 10);
    Mouse(box, QEvent::MouseButtonRelease, 5, box->ClientHeight() + 20, Qt::LeftButton,
          Qt::NoButton);
    EXPECT_EQ(Kod(), 10); // the release of a drag that ended chooses nothing
}

TEST_F(ListBoxTest, AModalBoxOpenedByTheChoiceOfAMoveEndsTheDragBeforeAnyScrolling) {
    Fill(50);
    Bind();
    Focus();
    bool warned = false;
    box->OnKAfterChange = [&](QObject*, const Variant&, const Variant& is) {
        if (is.toInt() == 7 && !warned) {
            warned = true;
            Application->MessageBox(QStringLiteral("Uwaga"), QStringLiteral("Towary"), MB_OK);
        }
    };
    ModalAnswerer answerer;
    answerer.Click(QMessageBox::Ok);
    Mouse(box, QEvent::MouseButtonPress, 5, 2, Qt::LeftButton, Qt::LeftButton);
    // The bottom row (7) is chosen, then the list would scroll one record down.
    Mouse(box, QEvent::MouseMove, 5, box->ClientHeight() + 20, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(warned);
    EXPECT_EQ(Kod(), 7);
    Mouse(box, QEvent::MouseButtonRelease, 5, box->ClientHeight() + 20, Qt::LeftButton,
          Qt::NoButton);
    EXPECT_EQ(Kod(), 7);
}

TEST_F(ListBoxTest, ADragHoldsTheMouseAndTheCancelModeNoticeEndsItWithoutAChoice) {
    Fill(50);
    Bind();
    Focus();
    Mouse(box, QEvent::MouseButtonPress, 5, 2, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(QWidget::mouseGrabber(), box);
    Mouse(box, QEvent::MouseMove, 5, box->ClientHeight() + 20, Qt::NoButton, Qt::LeftButton);
    QTRY_VERIFY(Kod() > 8); // scrolling down
    // What a modal window or a closing drop-down list sends to the control holding the mouse;
    // the form stays active.
    SendCancelMode(box);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    const int kod = Kod();
    QTest::qWait(200); // the scrolling has stopped
    EXPECT_EQ(Kod(), kod);
    Mouse(box, QEvent::MouseMove, 5, 2, Qt::NoButton, Qt::LeftButton);
    Mouse(box, QEvent::MouseButtonRelease, 5, 2, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Kod(), kod); // the drag has ended
    EXPECT_TRUE(form.isActiveWindow());
}

TEST_F(ListBoxTest, ADoubleClickOnTheChosenRowRaisesOnDblClickAfterItsFirstClickChoseIt) {
    Fill(10);
    Bind();
    box->OnDblClick = [this](QObject*) { Log("double"); };
    const int y = 2 * RowHeight() + 2;
    Mouse(box, QEvent::MouseButtonPress, 5, y, Qt::LeftButton, Qt::LeftButton);
    Mouse(box, QEvent::MouseButtonRelease, 5, y, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Kod(), 3);
    log.clear();
    Mouse(box, QEvent::MouseButtonDblClick, 5, y, Qt::LeftButton, Qt::LeftButton);
    Mouse(box, QEvent::MouseButtonRelease, 5, y, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(log, "double");
}

TEST_F(ListBoxTest, AnEmptyListChoosesNothingAndKeepsTheBoundKey) {
    Bind();
    Focus();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageDown})
        Press(key);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Kod(), 5);
    EXPECT_EQ(log, "");
}

TEST_F(ListBoxTest, EnterAsTabMovesTheFocusForwardAndShiftEnterBack) {
    Fill(10);
    Bind();
    box->SetKEnterJakoTab(true);
    Focus();
    Press(Qt::Key_Return);
    EXPECT_TRUE(after->hasFocus());
    Focus();
    Press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(before->hasFocus());
    EXPECT_EQ(Kod(), 5); // Enter chose nothing
}

TEST_F(ListBoxTest, ThePopUpListKeepsTheFocusOfTheControlUnderItAndTheFormActive) {
    Fill(10);
    before->setFocus();
    ASSERT_TRUE(before->hasFocus());
    auto* popup = new TKPopupDataList(nullptr, before);
    popup->SetListSource(&listSource);
    popup->SetKeyFieldName(QStringLiteral("ID"));
    popup->SetListFieldName(QStringLiteral("NAZWA"));
    popup->move(before->mapToGlobal(QPoint(0, before->height())));
    popup->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    popup->OnMouseUp = [this](QObject*, TMouseButton, TShiftState, int, int) { Log("up"); };
    // Its own single-line border.
    EXPECT_EQ(popup->height(), 7 * RowHeight() + 2);

    QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(10, 2 * RowHeight() + 3));
    EXPECT_EQ(popup->KeyValue(), Variant(3));
    EXPECT_EQ(log, "up"); // the owner's hook hears the release
    EXPECT_TRUE(before->hasFocus());
    EXPECT_TRUE(form.isActiveWindow());
    EXPECT_EQ(QApplication::activeWindow(), &form);
    // The second press of a double click is a single press: it chooses its row.
    Mouse(popup, QEvent::MouseButtonDblClick, 10, 4 * RowHeight() + 2, Qt::LeftButton,
          Qt::LeftButton);
    Mouse(popup, QEvent::MouseButtonRelease, 10, 4 * RowHeight() + 2, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(popup->KeyValue(), Variant(5));
    EXPECT_TRUE(before->hasFocus());
    delete popup;
}

TEST_F(ListBoxTest, PaintsTheChosenRowHighlightedAndFramedTheSeparatorsAndTheDisabledStateGrey) {
    Fill(20);
    Bind(); // the key 5 on row 4
    Focus();
    const QPalette colours = box->palette();
    const QRgb highlight = colours.color(QPalette::Active, QPalette::Highlight).rgb();
    const QRgb inverted = highlight ^ 0x00FFFFFF;
    const int rowHeight = RowHeight();
    // Client pixels, inside the two-pixel border; the first column is 12 characters wide.
    const int separator = 12 * QFontMetrics(box->font()).horizontalAdvance(QLatin1Char('0')) + 4;
    QImage image;
    const auto paint = [&] { image = box->grab().toImage(); };
    const auto pixel = [&](int x, int y) { return image.pixel(x + 2, y + 2) | 0xFF000000; };
    // The darkest pixel of the text of a row's first cell.
    const auto darkest = [&](int row) {
        int lightness = 255;
        for (int y = row * rowHeight; y < (row + 1) * rowHeight; ++y)
            for (int x = 0; x < separator; ++x)
                lightness = std::min(lightness, QColor(pixel(x, y)).lightness());
        return lightness;
    };
    const auto framed = [&](int row) {
        for (int x = 0; x < 4; ++x)
            if (pixel(x, row * rowHeight) == inverted)
                return true;
        return false;
    };
    const int greyText = colours.color(QPalette::Disabled, QPalette::Text).lightness();

    paint();
    EXPECT_EQ(pixel(5, 4 * rowHeight + 1), highlight);
    EXPECT_TRUE(framed(4));
    EXPECT_FALSE(framed(3));
    EXPECT_EQ(pixel(separator, 1), colours.color(QPalette::Active, QPalette::Window).rgb());
    EXPECT_LT(darkest(0), greyText);

    box->setEnabled(false);
    paint();
    EXPECT_EQ(pixel(5, 4 * rowHeight + 1), highlight); // still highlighted
    EXPECT_FALSE(framed(4));                           // without the focus, no frame
    EXPECT_GE(darkest(0), greyText);

    // On a box of the button face the separators take the shadow.
    box->SetColor(clBtnFace);
    paint();
    EXPECT_EQ(pixel(separator, 1), colours.color(QPalette::Active, QPalette::Dark).rgb());
}

} // namespace
