// Mouse events take the window system's way, which hands them to the widget holding the mouse.
#define QTEST_QPA_MOUSE_HANDLING
#include "controls/KDBLookupComboBox.h"

#include "controls/KDBLookupListBox.h"
#include "platform/data/DataLink.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "tests/controls/LookupTestData.h"
#include "tests/support/ModalAnswerer.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace {

// --- Rows and placement ----------------------------------------------------------------------

TEST(DropDownRowCount, FewerRecordsThanDropDownRowsGiveTheirCountElseDropDownRows) {
    struct Case {
        int records;
        int dropDownRows;
        int rows;
    };
    for (const Case& c : {Case{3, 7, 3}, Case{10, 7, 7}, Case{7, 7, 7}, Case{0, 7, 7},
                          Case{-1, 7, 7}, Case{3, 0, 0}, Case{200, 500, 200}}) {
        EXPECT_EQ(DropDownRowCount(c.records, c.dropDownRows), c.rows)
            << c.records << " records, " << c.dropDownRows << " rows";
    }
}

TEST(DropDownPosition, BelowOrAboveTheBoxInTheAvailableAreaLinedUpByTheAlignment) {
    const QRect available(0, 0, 800, 560); // a panel along the bottom of an 800 x 600 screen
    struct Case {
        const char* name;
        QRect combo;
        QSize list;
        TDropDownAlign align;
        QPoint at;
    };
    const Case cases[] = {
        {"left, wider", {100, 50, 145, 21}, {300, 100}, daLeft, {100, 71}},
        {"right, wider", {200, 50, 145, 21}, {300, 100}, daRight, {45, 71}},
        {"centre, wider", {200, 50, 145, 21}, {300, 100}, daCenter, {123, 71}},
        {"left, narrower", {100, 50, 145, 21}, {100, 100}, daLeft, {100, 71}},
        {"right, narrower", {100, 50, 145, 21}, {100, 100}, daRight, {145, 71}},
        {"centre, narrower", {100, 50, 145, 21}, {100, 100}, daCenter, {122, 71}},
        // The bottom would pass the available area's: above, the list's bottom on the box's top.
        {"above", {100, 450, 145, 21}, {145, 200}, daLeft, {100, 250}},
        {"just fits over the panel", {100, 339, 145, 21}, {145, 200}, daLeft, {100, 360}},
        {"would reach over the panel", {100, 350, 145, 21}, {145, 200}, daLeft, {100, 150}},
        // Out on the left or right: moved in.
        {"out left", {10, 50, 145, 21}, {300, 100}, daRight, {0, 71}},
        {"out right", {700, 50, 145, 21}, {300, 100}, daLeft, {500, 71}},
        // No room below nor above: above all the same, reaching past the top.
        {"out above", {100, 150, 145, 21}, {145, 500}, daLeft, {100, -350}},
    };
    for (const Case& c : cases) {
        const QPoint at = DropDownPosition(c.combo, c.list, c.align, available);
        EXPECT_EQ(at, c.at) << c.name;
        EXPECT_FALSE(QRect(at, c.list).intersects(c.combo)) << c.name;
    }
}

TEST(DropDownPosition, RightToLeftTheLeftAndRightAlignmentsChangePlaces) {
    EXPECT_EQ(MirroredAlign(daLeft, true), daRight);
    EXPECT_EQ(MirroredAlign(daRight, true), daLeft);
    EXPECT_EQ(MirroredAlign(daCenter, true), daCenter);
    EXPECT_EQ(MirroredAlign(daLeft, false), daLeft);
}

// --- The combo box ---------------------------------------------------------------------------

// The grey level of an image's darkest pixel.
int Darkest(const QImage& image) {
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

// Keys go where a user's keys go: to the focused control of the active window.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

// A list of goods (ID 1 to count, NAZWA "Towar 001" on) and a bound dataset with one record
// whose KOD holds 5; a combo box on a shown, active form between two edits. The change events,
// clicks, drop-downs and close-ups are logged.
class ComboBoxTest : public ::testing::Test, protected LookupTestData {
protected:
    void SetUp() override {
        form.SetClientWidth(300);
        form.SetClientHeight(300);
        form.move(40, 40);
        before = new QLineEdit(&form);
        before->setGeometry(10, 10, 100, 21);
        combo = new TKDBLookupComboBox(nullptr, &form);
        combo->SetName(QStringLiteral("cbTowary"));
        SetBounds(combo, 10, 40, 145, 0);
        after = new QLineEdit(&form);
        after->setGeometry(10, 250, 100, 21);
        combo->OnKBeforeChange = [this](QObject*, const Variant& was, const Variant& is,
                                        bool& Wykonaj) {
            Log("before " + was.toString().toStdString() + ">" + is.toString().toStdString());
            Wykonaj = !veto;
        };
        combo->OnKAfterChange = [this](QObject*, const Variant& was, const Variant& is) {
            Log("after " + was.toString().toStdString() + ">" + is.toString().toStdString());
        };
        combo->OnClick = [this](QObject*) { Log("click"); };
        combo->OnDropDown = [this](QObject*) { Log("dropdown"); };
        combo->OnCloseUp = [this](QObject*) { Log("closeup"); };
        popup = combo->findChild<TKPopupDataList*>();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    void Bind() { LookupTestData::Bind(combo); }
    void Focus() {
        combo->setFocus();
        ASSERT_TRUE(combo->hasFocus());
    }
    void Open() {
        Focus();
        Press(Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(combo->ListVisible());
        ASSERT_TRUE(popup->isVisible());
        log.clear();
    }
    int RowHeight() const { return QFontMetrics(combo->font()).height(); }
    // The middle of a row of the list, in the list's widget coordinates.
    QPoint Row(int row) const {
        return popup->contentsRect().topLeft() + QPoint(20, row * RowHeight() + RowHeight() / 2);
    }
    // The middle of the combo box's text, in its widget coordinates.
    QPoint ComboText() const { return {20, combo->height() / 2}; }
    void Log(const std::string& entry) { log += (log.empty() ? "" : " ") + entry; }

    // Before the form: closing the list as the form goes still logs.
    std::string log;
    bool veto = false;
    TForm form;
    QLineEdit* before = nullptr;
    TKDBLookupComboBox* combo = nullptr;
    TKPopupDataList* popup = nullptr;
    QLineEdit* after = nullptr;
};

TEST_F(ComboBoxTest, KeepsOneLineOfFixedHeightWhateverHeightItIsGiven) {
    const int line = RowHeight();
    EXPECT_EQ(combo->width(), 145);
    // A sunken edge of two pixels on each side.
    EXPECT_EQ(combo->height(), line + 4 + 4);
    SetBounds(combo, 10, 40, 145, 50);
    EXPECT_EQ(combo->height(), line + 4 + 4);
    EXPECT_EQ(combo->width(), 145);

    QFont larger = combo->font();
    larger.setPointSize(larger.pointSize() * 2);
    combo->setFont(larger);
    EXPECT_EQ(combo->height(), QFontMetrics(larger).height() + 4 + 4);
    combo->setFont(form.font());

    // A single line without the 3-D look.
    combo->SetCtl3D(false);
    EXPECT_EQ(combo->height(), line + 2 + 4);
}

TEST_F(ComboBoxTest, AnswersTheDataLinkQueryWithItsDataSourceLink) {
    Bind();
    TDataLink* link = dynamic_cast<TDataLinkQuery*>(combo)->GetDataLink();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->DataSource(), &boundSource);
    combo->SetReadOnly(true);
    EXPECT_TRUE(link->ReadOnly());
}

TEST_F(ComboBoxTest, ShowsTheKeysDisplayTextAndNothingForAKeyNotInTheList) {
    Fill(10);
    Bind();
    EXPECT_EQ(combo->Text(), QStringLiteral("Towar 005"));
    bound.Edit();
    bound.FieldByName(QStringLiteral("KOD"))->SetValue(99);
    EXPECT_EQ(combo->Text(), QString());
    // A list that is not active shows no text.
    bound.FieldByName(QStringLiteral("KOD"))->SetValue(3);
    EXPECT_EQ(combo->Text(), QStringLiteral("Towar 003"));
    combo->SetListSource(nullptr);
    EXPECT_EQ(combo->Text(), QString());
}

TEST_F(ComboBoxTest, TheListGetsTheRecordCountOrDropDownRowsAndTheBoxsOrItsOwnWidth) {
    struct Case {
        int records;
        int dropDownRows;
        int dropDownWidth;
        int rows;
        int width;
    };
    Bind();
    int filled = 0;
    for (const Case& c : {Case{3, 7, 0, 3, 145}, Case{10, 7, 300, 7, 300}, Case{10, 0, -5, 1, 145},
                          Case{150, 500, 0, 100, 145}}) {
        Fill(c.records - filled);
        filled = c.records;
        combo->SetDropDownRows(c.dropDownRows);
        combo->SetDropDownWidth(c.dropDownWidth);
        Open();
        EXPECT_EQ(popup->RowCount(), c.rows) << c.records << " records";
        EXPECT_EQ(popup->width(), c.width) << c.records << " records";
        // The list's own single-line border.
        EXPECT_EQ(popup->height(), c.rows * RowHeight() + 2) << c.records << " records";
        // It marks the key's row.
        EXPECT_EQ(popup->KeyValue(), Variant(5));
        Press(Qt::Key_Escape);
        ASSERT_FALSE(popup->isVisible());
    }
}

TEST_F(ComboBoxTest, OpensBelowTheBoxOrAboveItByTheAlignment) {
    Fill(10);
    Bind();
    combo->SetDropDownWidth(300);
    form.move(300, 40);
    QTest::qWait(0);
    const QPoint corner = combo->mapToGlobal(QPoint(0, 0));
    struct Case {
        TDropDownAlign align;
        int left;
    };
    for (const Case& c : {Case{daLeft, 0}, Case{daRight, -155}, Case{daCenter, -77}}) {
        combo->SetDropDownAlign(c.align);
        Open();
        EXPECT_EQ(popup->pos(), corner + QPoint(c.left, combo->height())) << c.align;
        Press(Qt::Key_Escape);
    }

    // Right to left with a text display field, daLeft lines the right edges up; an integer
    // display field keeps its alignment.
    SysLocale.MiddleEast = true;
    combo->SetBiDiMode(bdRightToLeft);
    combo->SetDropDownAlign(daLeft);
    Open();
    EXPECT_EQ(popup->pos(), corner + QPoint(-155, combo->height()));
    Press(Qt::Key_Escape);
    combo->SetListFieldName(QStringLiteral("ID"));
    Open();
    EXPECT_EQ(popup->pos(), corner + QPoint(0, combo->height()));
    Press(Qt::Key_Escape);
    SysLocale.MiddleEast = false;
    combo->SetBiDiMode(bdLeftToRight);

    // Near the screen's bottom: above the box.
    const QRect screen = combo->screen()->geometry();
    form.move(40, screen.bottom() - 120);
    QTest::qWait(0);
    combo->SetDropDownAlign(daLeft);
    Open();
    const QPoint top = combo->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(popup->pos(), top - QPoint(0, popup->height()));
}

TEST_F(ComboBoxTest, EnterAndEscGoToAShownListBeforeTheFormsButtons) {
    Fill(10);
    Bind();
    auto* ok = new QPushButton(QStringLiteral("OK"), &form);
    auto* cancel = new QPushButton(QStringLiteral("Anuluj"), &form);
    ok->setGeometry(200, 250, 80, 24);
    cancel->setGeometry(200, 280, 80, 24);
    ok->show();
    cancel->show();
    QObject::connect(ok, &QPushButton::clicked, [this] { Log("ok"); });
    QObject::connect(cancel, &QPushButton::clicked, [this] { Log("cancel"); });
    combo->OnKeyDown = [this](QObject*, Word& Key, TShiftState) {
        Log("keydown " + std::to_string(Key));
    };
    combo->OnKeyPress = [this](QObject*, QChar& Key) {
        Log("keypress " + std::to_string(Key.unicode()));
    };
    struct Case {
        const char* name;
        bool buttons;
        bool shown;
        Qt::Key key;
        const char* log;
        int kod;
    };
    const Case cases[] = {
        // Shown: the list takes them, with or without buttons; no key event fires.
        {"enter, shown", true, true, Qt::Key_Return, "before 5>6 after 5>6 click closeup", 6},
        {"esc, shown", true, true, Qt::Key_Escape, "closeup", 5},
        {"enter, shown, no buttons", false, true, Qt::Key_Return,
         "before 5>6 after 5>6 click closeup", 6},
        // Hidden: the form's buttons first; without them the box's own key handling.
        {"enter, hidden", true, false, Qt::Key_Return, "ok", 5},
        {"esc, hidden", true, false, Qt::Key_Escape, "cancel", 5},
        {"enter, hidden, no buttons", false, false, Qt::Key_Return, "keydown 13 keypress 13", 5},
        {"esc, hidden, no buttons", false, false, Qt::Key_Escape, "keydown 27 keypress 27", 5},
    };
    for (const Case& c : cases) {
        bound.Cancel();
        bound.Edit();
        bound.FieldByName(QStringLiteral("KOD"))->SetValue(5);
        form.SetDefaultButton(c.buttons ? ok : nullptr);
        form.SetCancelButton(c.buttons ? cancel : nullptr);
        if (c.shown) {
            Open();
            // The list's next row is marked, not chosen yet.
            Press(Qt::Key_Down);
            log.clear();
        } else {
            Focus();
            log.clear();
        }
        Press(c.key);
        EXPECT_EQ(log, c.log) << c.name;
        EXPECT_EQ(Kod(), c.kod) << c.name;
        EXPECT_FALSE(combo->ListVisible()) << c.name;
        EXPECT_TRUE(combo->hasFocus()) << c.name;
    }
}

TEST_F(ComboBoxTest, EnterAsTabMovesTheFocusWithTheListClosedAndAcceptsWithItShown) {
    Fill(10);
    Bind();
    combo->SetKEnterJakoTab(true);
    Focus();
    Press(Qt::Key_Return);
    EXPECT_TRUE(after->hasFocus());
    Focus();
    Press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(before->hasFocus());
    Focus();
    Press(Qt::Key_Return, Qt::ControlModifier); // line feed
    EXPECT_TRUE(after->hasFocus());
    EXPECT_EQ(Kod(), 5);

    Open();
    Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    EXPECT_EQ(log, "before 5>6 after 5>6 click closeup");
    EXPECT_TRUE(combo->hasFocus());
}

TEST_F(ComboBoxTest, UpAndDownStepThroughTheListWithItClosed) {
    Fill(10);
    Bind();
    Focus();
    Press(Qt::Key_Down);
    EXPECT_EQ(Kod(), 6);
    Press(Qt::Key_Up);
    Press(Qt::Key_Up);
    EXPECT_EQ(Kod(), 4);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(combo->Text(), QStringLiteral("Towar 004"));
    // A key not in the list: the first record, for Up as for Down.
    bound.FieldByName(QStringLiteral("KOD"))->SetValue(99);
    Press(Qt::Key_Up);
    EXPECT_EQ(Kod(), 1);
    log.clear();
    // At the first record it stays, and OnClick fires all the same.
    Press(Qt::Key_Up);
    EXPECT_EQ(log, "click");
    // F4 does nothing; a typed letter searches without opening.
    Press(Qt::Key_F4);
    EXPECT_FALSE(combo->ListVisible());
}

TEST_F(ComboBoxTest, TypedLettersSearchInTheBoxWithTheListClosedAndInTheListWithItShown) {
    Fill(20);
    Bind();
    Focus();
    QTest::keyClicks(static_cast<QWidget*>(nullptr), QStringLiteral("towar 01"));
    EXPECT_EQ(Kod(), 10);
    EXPECT_FALSE(combo->ListVisible());

    Open();
    QTest::keyClicks(static_cast<QWidget*>(nullptr), QStringLiteral("towar 01"));
    QTest::keyClick(static_cast<QWidget*>(nullptr), '5');
    // The list marks the row found; the box takes it on Enter.
    EXPECT_EQ(popup->KeyValue(), Variant(15));
    EXPECT_EQ(Kod(), 10);
    Press(Qt::Key_Return);
    EXPECT_EQ(Kod(), 15);
}

TEST_F(ComboBoxTest, TheButtonIsHotUnderThePointerAndInactiveWithoutAList) {
    Fill(10);
    Bind();
    const QRect buttonArea(combo->width() - 18, 3, 14, combo->height() - 6);
    const QImage normal = combo->grab(buttonArea).toImage();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), combo->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(combo, &enter);
    const QImage hot = combo->grab(buttonArea).toImage();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(combo, &leave);
    EXPECT_EQ(combo->grab(buttonArea).toImage(), normal);
    combo->SetListSource(nullptr);
    const QImage inactive = combo->grab(buttonArea).toImage();
    EXPECT_NE(hot, normal);
    EXPECT_NE(inactive, normal);
    EXPECT_NE(inactive, hot);
    // The inactive arrow is drawn greyed out, yet still drawn.
    EXPECT_GT(Darkest(inactive), Darkest(normal) + 60);
    EXPECT_LT(Darkest(inactive), 230);
}

TEST_F(ComboBoxTest, UpAndDownOnAnEmptyListChooseNothing) {
    Bind();
    Focus();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up})
        Press(key);
    EXPECT_EQ(Kod(), 5);
    EXPECT_EQ(log, "");
}

TEST_F(ComboBoxTest, ACaseThatCannotBeModifiedStepsTheListButWritesNothing) {
    Fill(10);
    Bind();
    combo->SetReadOnly(true);
    Focus();
    Press(Qt::Key_Down);
    // The list dataset moved, nothing was written; OnClick fires.
    EXPECT_EQ(list.FieldByName(QStringLiteral("ID"))->Value(), Variant(6));
    EXPECT_EQ(Kod(), 5);
    EXPECT_EQ(log, "click");

    // Its list opens, but no row can be chosen; Enter closes it without choosing.
    Open();
    QTest::mouseClick(popup, Qt::LeftButton, {}, Row(1));
    EXPECT_TRUE(combo->ListVisible() == false);
    EXPECT_EQ(Kod(), 5);
    EXPECT_EQ(log, "closeup");

    // Unbound and read-only: Up and Down still choose (the key value is the box's own).
    combo->SetDataSource(nullptr);
    combo->SetKeyValue(3);
    log.clear();
    Press(Qt::Key_Down);
    EXPECT_EQ(combo->KeyValue(), Variant(4));
    EXPECT_EQ(log, "before 3>4 after 3>4 click");
}

TEST_F(ComboBoxTest, AClickOnARowChoosesItAndTheFocusStaysOnTheBox) {
    Fill(20);
    Bind();
    QTest::mouseClick(combo, Qt::LeftButton, {}, ComboText());
    ASSERT_TRUE(combo->ListVisible());
    EXPECT_TRUE(combo->hasFocus());
    EXPECT_EQ(QApplication::activeWindow(), &form);
    EXPECT_EQ(log, "dropdown");
    log.clear();

    // A click on the scroll bar pages the list; the list stays and the focus too.
    auto* bar = popup->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->isVisible());
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 25));
    EXPECT_TRUE(combo->ListVisible());
    EXPECT_TRUE(combo->hasFocus());
    EXPECT_EQ(Kod(), 5);

    const Variant top = [&] {
        QTest::mouseClick(popup, Qt::LeftButton, {}, Row(0));
        return Variant(Kod());
    }();
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_TRUE(combo->hasFocus());
    EXPECT_EQ(QApplication::activeWindow(), &form);
    EXPECT_NE(top, Variant(5));
    EXPECT_EQ(log, "before 5>" + top.toString().toStdString() + " after 5>" +
                       top.toString().toStdString() + " click closeup");
}

TEST_F(ComboBoxTest, ACancelFiresOnCloseUpAndNotOnClickAndAVetoStillClosesTheList) {
    Fill(10);
    Bind();
    // A press on the box while the list is shown closes it without choosing.
    Open();
    Press(Qt::Key_Down);
    QTest::mouseClick(combo, Qt::LeftButton, {}, ComboText());
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(log, "closeup");
    EXPECT_EQ(Kod(), 5);

    // A press elsewhere on the form, where nothing takes the focus.
    Open();
    QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(250, 150));
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(log, "closeup");
    EXPECT_TRUE(combo->hasFocus());

    // A press on another control of the form, which takes the focus.
    Open();
    QTest::mouseClick(after, Qt::LeftButton);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(log, "closeup");
    EXPECT_TRUE(after->hasFocus());

    // Tab away.
    Open();
    Press(Qt::Key_Tab);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(log, "closeup");
    EXPECT_TRUE(after->hasFocus());

    // A veto: the list closes all the same and OnCloseUp fires.
    veto = true;
    Open();
    Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(log, "before 5>6 click closeup");
    EXPECT_EQ(Kod(), 5);
}

TEST_F(ComboBoxTest, AltUpAndAltDownOpenAndCloseTheListAcceptingTheMarkedRow) {
    Fill(10);
    Bind();
    Open();
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);
    Press(Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(Kod(), 7);
    EXPECT_EQ(log, "before 5>7 after 5>7 click closeup");
}

TEST_F(ComboBoxTest, DraggingFromTheBoxIntoTheListChoosesOnRelease) {
    Fill(10);
    Bind();
    struct Case {
        const char* name;
        bool overList; // else over the combo box
        QPoint releaseOffset;
        bool shown;
        int kod;
    };
    // Release over a row, outside the list after entering it, and over the box without.
    const Case cases[] = {
        {"over a row", true, {0, 0}, false, 3},
        {"outside", true, {0, 400}, false, 5},
        {"over the box", false, {0, 0}, true, 5},
    };
    for (const Case& c : cases) {
        bound.Cancel();
        Focus();
        log.clear();
        QTest::mousePress(combo, Qt::LeftButton, {}, ComboText());
        ASSERT_TRUE(combo->ListVisible()) << c.name;
        if (c.overList) {
            QTest::mouseMove(popup, Row(1));
            QTest::mouseMove(popup, Row(2));
            QTest::mouseRelease(popup, Qt::LeftButton, {}, Row(2) + c.releaseOffset);
        } else {
            QTest::mouseMove(combo, ComboText() + QPoint(10, 0));
            QTest::mouseRelease(combo, Qt::LeftButton, {}, ComboText() + QPoint(10, 0));
        }
        EXPECT_EQ(combo->ListVisible(), c.shown) << c.name;
        EXPECT_EQ(Kod(), c.kod) << c.name;
        EXPECT_TRUE(combo->hasFocus()) << c.name;
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << c.name;
        Press(Qt::Key_Escape);
    }
}

TEST_F(ComboBoxTest, TheButtonIsPressedOnlyWhileTheHeldPointerIsOverIt) {
    Fill(10);
    Bind();
    Focus();
    const QImage idle = combo->grab().toImage();
    const QPoint button(combo->width() - 8, combo->height() / 2);
    QTest::mousePress(combo, Qt::LeftButton, {}, button);
    ASSERT_TRUE(combo->ListVisible());
    const QImage pressed = combo->grab().toImage();
    QTest::mouseMove(combo, ComboText());
    const QImage away = combo->grab().toImage();
    QTest::mouseRelease(combo, Qt::LeftButton, {}, ComboText());
    const QRect buttonArea(combo->width() - 20, 2, 18, combo->height() - 4);
    EXPECT_NE(pressed.copy(buttonArea), away.copy(buttonArea));
    // Without the focus highlight while the list is shown.
    EXPECT_NE(idle.copy(2, 2, 40, combo->height() - 4), away.copy(2, 2, 40, combo->height() - 4));
}

TEST_F(ComboBoxTest, AModalBoxOpenedByADropDownFromAPressTakesTheMouse) {
    Fill(10);
    Bind();
    // The button as a held press draws it.
    const QPoint button(combo->width() - 8, combo->height() / 2);
    const QRect buttonArea(combo->width() - 15, 3, 12, combo->height() - 6);
    Focus();
    QTest::mousePress(combo, Qt::LeftButton, {}, button);
    const QImage pressed = combo->grab(buttonArea).toImage();
    QTest::mouseRelease(combo, Qt::LeftButton, {}, button);
    Press(Qt::Key_Escape);
    struct Case {
        const char* name;
        bool fails; // else OnDropDown shows a box of its own
    };
    for (const Case& c : {Case{"a box of OnDropDown", false},
                          Case{"the error display of a failing OnDropDown", true}}) {
        combo->OnDropDown = [&c](QObject*) {
            if (c.fails)
                throw Exception(QStringLiteral("Brak cennika"));
            Application->MessageBox(QStringLiteral("Cennik z wczoraj."), QStringLiteral("Uwaga"),
                                    MB_OK);
        };
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form)) << c.name;
        Focus();
        QWidget* holder = combo;
        bool answeredByMouse = false;
        ModalAnswerer answers;
        answers.Then([&](QWidget* modal) {
            holder = QWidget::mouseGrabber();
            // The user's first click on OK closes the box.
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            answeredByMouse = !box->isVisible();
            if (!answeredByMouse)
                box->reject();
        });
        QTest::mousePress(combo, Qt::LeftButton, {}, button);
        ASSERT_EQ(answers.SeenWindows().size(), 1u) << c.name;
        EXPECT_EQ(holder, nullptr) << c.name;
        EXPECT_TRUE(answeredByMouse) << c.name;
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << c.name;
        EXPECT_EQ(combo->ListVisible(), !c.fails) << c.name;
        // The tracking of the press ended with it: the button is not drawn pressed.
        EXPECT_NE(combo->grab(buttonArea).toImage(), pressed) << c.name;
        combo->CloseUp(false);
    }
}

TEST_F(ComboBoxTest, TheFormMovingResizingOrChangingItsStateCancelsTheList) {
    Fill(10);
    Bind();
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"moved", [this] { form.move(form.pos() + QPoint(30, 20)); }},
        {"resized", [this] { form.resize(form.size() + QSize(40, 30)); }},
        {"maximised", [this] { form.setWindowState(Qt::WindowMaximized); }},
        {"restored", [this] { form.setWindowState(Qt::WindowNoState); }},
    };
    for (const Case& c : cases) {
        Open();
        Press(Qt::Key_Down); // marks the next row
        c.change();
        QTest::qWait(0);
        EXPECT_FALSE(combo->ListVisible()) << c.name;
        EXPECT_FALSE(popup->isVisible()) << c.name;
        EXPECT_EQ(log, "closeup") << c.name;
        EXPECT_EQ(Kod(), 5) << c.name;
        EXPECT_TRUE(combo->hasFocus()) << c.name;
    }
    // Keys go to the box again: Down chooses the next record at once.
    Press(Qt::Key_Down);
    EXPECT_EQ(Kod(), 6);
}

TEST_F(ComboBoxTest, TheBoxMovingOnTheScreenCancelsTheListWhateverMovedIt) {
    Fill(10);
    Bind();
    // The box laid out in a scroll area, below a heading.
    auto* area = new QScrollArea(&form);
    area->setGeometry(120, 10, 170, 150);
    auto* content = new QWidget;
    content->resize(150, 400);
    auto* layout = new QVBoxLayout(content);
    auto* heading = new QLabel(QStringLiteral("Towar"));
    heading->setFixedHeight(60);
    layout->addWidget(heading);
    layout->addWidget(combo);
    layout->addStretch();
    area->setWidget(content);
    area->show();
    QTest::qWait(0);
    struct Case {
        const char* name;
        std::function<void()> change;
        QPoint by; // how far the box moves on the screen
    };
    const Case cases[] = {
        {"the wheel scrolls the area",
         [&] {
             // The box takes no wheel; Qt passes one on to the parents only on the window
             // system's way, which the offscreen platform offers no test: it goes to the area.
             QWidget* viewport = area->viewport();
             const QPoint at = combo->mapTo(viewport, ComboText());
             QWheelEvent wheel(at, viewport->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, {},
                               Qt::NoScrollPhase, false);
             QApplication::sendEvent(viewport, &wheel);
         },
         {0, -60}},
        {"the area is moved", [&] { area->move(area->pos() + QPoint(0, 20)); }, {0, 20}},
        {"the layout makes room above", [&] { heading->setFixedHeight(80); }, {0, 20}},
        {"the box is moved", [&] { combo->move(combo->pos() + QPoint(5, 0)); }, {5, 0}},
        {"another control moves", [&] { before->move(before->pos() + QPoint(0, 5)); }, {0, 0}},
    };
    for (const Case& c : cases) {
        area->verticalScrollBar()->setValue(0);
        Open();
        const QPoint was = combo->mapToGlobal(QPoint(0, 0));
        Press(Qt::Key_Down); // marks the next row
        c.change();
        QTest::qWait(0);
        const QPoint is = combo->mapToGlobal(QPoint(0, 0));
        ASSERT_EQ(is - was, c.by) << c.name;
        const bool moves = !c.by.isNull();
        EXPECT_EQ(combo->ListVisible(), !moves) << c.name;
        EXPECT_EQ(popup->isVisible(), !moves) << c.name;
        EXPECT_EQ(log, moves ? "closeup" : "") << c.name;
        EXPECT_EQ(Kod(), 5) << c.name;
        EXPECT_TRUE(combo->hasFocus()) << c.name;
        if (!moves) {
            EXPECT_EQ(popup->pos(), is + QPoint(0, combo->height())) << c.name;
        }
        combo->CloseUp(false);
    }
}

TEST_F(ComboBoxTest, OnTwoScreensTheListOpensOnTheScreenOfTheBox) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        GTEST_SKIP() << "one screen here: the test's two-screen run has two side by side";
    const QRect left = screens[0]->availableGeometry();
    const QRect right = screens[1]->availableGeometry();
    ASSERT_EQ(right.left(), left.right() + 1);
    ASSERT_LT(right.height(), left.height());
    Fill(10);
    Bind();
    // The form's middle on the left screen, the box at its right edge on the right screen.
    form.SetClientWidth(400);
    SetBounds(combo, 240, 40, 145, 0);
    struct Case {
        const char* name;
        int boxTop; // on the screen
        bool below;
    };
    for (const Case& c : {Case{"room below", 100, true},
                          Case{"no room below on its screen", right.bottom() - 60, false}}) {
        form.move(right.left() - 224, c.boxTop - 40);
        QTest::qWait(0);
        const QRect box(combo->mapToGlobal(QPoint(0, 0)), combo->size());
        ASSERT_EQ(form.screen(), screens[0]) << c.name;
        ASSERT_TRUE(right.contains(box)) << c.name;
        Open();
        const QRect shown = popup->geometry();
        EXPECT_TRUE(right.contains(shown)) << c.name;
        EXPECT_EQ(shown.left(), box.left()) << c.name;
        EXPECT_EQ(c.below ? shown.top() : shown.bottom() + 1,
                  c.below ? box.bottom() + 1 : box.top())
            << c.name;
        Press(Qt::Key_Escape);
    }
}

TEST_F(ComboBoxTest, AnOnDropDownThatTakesTheListAwayShowsNoListAndTheBoxWorksOn) {
    Fill(10);
    Bind();
    std::unique_ptr<TMemoryDataSet> goods;
    std::unique_ptr<TDataSource> goodsSource;
    struct Case {
        const char* name;
        std::function<void()> takeAway;
    };
    const Case cases[] = {
        {"takes the list source away", [&] { combo->SetListSource(nullptr); }},
        {"frees the list source", [&] { goodsSource.reset(); }},
        {"frees the list dataset", [&] { goods.reset(); }},
        {"closes the list dataset", [&] { goods->Close(); }},
    };
    for (const Case& c : cases) {
        for (const bool byPress : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (byPress ? ", by a press" : ", by Alt+Down"));
            // A list of its own, for the handler to take away.
            goods = std::make_unique<TMemoryDataSet>();
            goods->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
            goods->FieldDefs().Add(QStringLiteral("NAZWA"), ftString, 12);
            goods->Open();
            for (int id = 1; id <= 10; ++id)
                goods->AppendRecord({id, QStringLiteral("Inny %1").arg(id)});
            goodsSource = std::make_unique<TDataSource>();
            goodsSource->SetDataSet(goods.get());
            combo->SetListSource(goodsSource.get());
            combo->OnDropDown = [&](QObject*) {
                Log("dropdown");
                c.takeAway();
            };
            Focus();
            log.clear();
            if (byPress)
                QTest::mouseClick(combo, Qt::LeftButton, {}, ComboText());
            else
                Press(Qt::Key_Down, Qt::AltModifier);
            EXPECT_FALSE(combo->ListVisible());
            EXPECT_FALSE(popup->isVisible());
            EXPECT_EQ(log, "dropdown");
            EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
            EXPECT_TRUE(combo->hasFocus());

            // Given a list again, it drops it and chooses from it.
            combo->OnDropDown = nullptr;
            combo->SetListSource(&listSource);
            Press(Qt::Key_Down, Qt::AltModifier);
            EXPECT_TRUE(popup->isVisible());
            Press(Qt::Key_Down);
            Press(Qt::Key_Return);
            EXPECT_EQ(Kod(), 6);
            bound.Cancel();
        }
    }
}

TEST_F(ComboBoxTest, WindowDeactivationClosesTheList) {
    Fill(10);
    Bind();
    Open();
    QWidget other;
    other.setGeometry(400, 400, 100, 100);
    other.show();
    other.activateWindow();
    if (!QTest::qWaitForWindowActive(&other))
        GTEST_SKIP() << "the platform does not move the activation";
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(log, "closeup");
}

TEST_F(ComboBoxTest, FreeingTheBoxOrTheListSourceWhileTheListIsShownIsClean) {
    Fill(10);
    Bind();
    Open();
    {
        auto source = std::make_unique<TDataSource>();
        source->SetDataSet(&list);
        Press(Qt::Key_Escape);
        combo->SetListSource(source.get());
        Open();
        source.reset();
    }
    EXPECT_EQ(combo->Text(), QString());
    Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    EXPECT_EQ(Kod(), 5);
    EXPECT_FALSE(combo->ListVisible());

    combo->SetListSource(&listSource);
    Open();
    delete combo;
    // A press after the box went: nothing watches for it any more.
    QTest::mouseClick(after, Qt::LeftButton);
    EXPECT_TRUE(after->hasFocus());
}

} // namespace
