#include "controls/KDBEditLiczba.h"

#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "tests/controls/EditFixture.h"
#include "tests/support/ModalAnswerer.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A shown, active form with a numeric edit before and after the data-aware one, which is bound
// to KWOTA of a dataset of three records (12,5; Null; 7,125) and shows two fixed decimals. The
// focus starts on the edit before it.
class DBEdit : public ::testing::Test {
protected:
    void SetUp() override {
        data.FieldDefs().Add("ID", ftInteger);
        data.FieldDefs().Add("KWOTA", ftFloat);
        data.FieldDefs().Add("TEKST", ftString, 10);
        data.FieldDefs().Add("ILOSC", ftSmallint);
        data.Open();
        data.AppendRecord({1, 12.5, QStringLiteral("3"), 1});
        data.AppendRecord({2, Null(), QStringLiteral("4"), 2});
        data.AppendRecord({3, 7.125, QStringLiteral("5"), 3});
        data.First();
        source.SetDataSet(&data);

        form.SetClientWidth(400);
        form.SetClientHeight(200);
        SetBounds(przed, 10, 10, 120, 21);
        SetBounds(edit, 10, 40, 120, 21);
        SetBounds(za, 10, 70, 120, 21);
        edit->SetName(QStringLiteral("edKwota"));
        edit->SetKLiczbaMiejscPoPrzecinku(2);
        edit->SetDataSource(&source);
        edit->SetDataField(QStringLiteral("KWOTA"));
        edit->OnKeyDown = [this](QObject*, Word& Key, TShiftState) { keysDown.push_back(Key); };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        przed->setFocus();
        ASSERT_TRUE(przed->hasFocus());
    }

    void Enter() {
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
    }
    void Leave() { za->setFocus(); }
    // After a modal box the form is active again, with the focus where the box left it.
    void BackToTheForm() {
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    // The record-th record (counted from 1).
    void GoTo(int record) {
        data.First();
        for (int i = 1; i < record; ++i)
            data.Next();
    }
    TField* Field(const char* name) { return data.FieldByName(QLatin1String(name)); }
    bool OwnReadOnly() const { return edit->TCustomKEdit::ReadOnly(); }

    LocaleSeparators locale{u',', u' '};
    TMemoryDataSet data;
    TDataSource source;
    TForm form;
    TKEditLiczba* przed = new TKEditLiczba(nullptr, &form);
    TKDBEditLiczba* edit = new TKDBEditLiczba(nullptr, &form);
    TKEditLiczba* za = new TKEditLiczba(nullptr, &form);
    std::vector<Word> keysDown;
};

TEST_F(DBEdit, ShowsTheFieldReadOnlyWhileBrowsingAndFollowsTheRecord) {
    EXPECT_EQ(edit->Text(), "12,50");
    EXPECT_TRUE(OwnReadOnly());
    data.Next();
    EXPECT_EQ(edit->Text(), "0,00"); // Null shows as 0
    data.Next();
    EXPECT_EQ(edit->Text(), "7,13"); // rounded to the decimals shown
    Enter();
    Type("9");
    EXPECT_EQ(data.State(), dsEdit);
    EXPECT_FALSE(OwnReadOnly());
    data.Cancel();
    EXPECT_TRUE(OwnReadOnly());
    EXPECT_EQ(edit->Text(), "7,13");
}

TEST_F(DBEdit, WithoutADataSourceOrAFieldStaysReadOnly) {
    SysLocale.FarEast = true; // not even there: the link cannot modify
    for (const bool withSource : {false, true}) {
        SCOPED_TRACE(withSource);
        auto* unbound = new TKDBEditLiczba(nullptr, &form);
        SetBounds(unbound, 200, 40, 120, 21);
        unbound->show();
        if (withSource)
            unbound->SetDataSource(&source);
        unbound->setFocus();
        Type("5");
        Press(Qt::Key_Backspace);
        EXPECT_EQ(unbound->Text(), "0");
        EXPECT_TRUE(unbound->TCustomKEdit::ReadOnly());
        EXPECT_EQ(data.State(), dsBrowse);
        delete unbound;
    }
    SysLocale.FarEast = false;
}

TEST_F(DBEdit, KeysThatChangeTheNumberStartEditingAndTakeEffect) {
    edit->SetKPozwalajUjemne(true);
    edit->SetKInterwalPrzyrostu(1);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool starts;
        const char* text; // after the key, the whole text selected before it
    } const cases[] = {
        {Qt::Key_7, Qt::NoModifier, true, "7,00"},
        {Qt::Key_7, Qt::KeypadModifier, true, "7,00"},
        {Qt::Key_Comma, Qt::NoModifier, true, "0,00"},
        {Qt::Key_Comma, Qt::KeypadModifier, true, "0,00"},
        {Qt::Key_Backspace, Qt::NoModifier, true, "0,00"},
        {Qt::Key_Up, Qt::NoModifier, true, "13,50"},
        {Qt::Key_Down, Qt::NoModifier, true, "11,50"},
        {Qt::Key_V, Qt::ControlModifier, true, "12,50"},
        {Qt::Key_X, Qt::ControlModifier, true, "12,50"},
        {Qt::Key_H, Qt::ControlModifier, true, "12,50"},
        {Qt::Key_Paste, Qt::NoModifier, true, "12,50"},
        {Qt::Key_Cut, Qt::NoModifier, true, "12,50"},
        {Qt::Key_Undo, Qt::NoModifier, true, "12,50"},
        {Qt::Key_Minus, Qt::NoModifier, false, "12,50"},
        {Qt::Key_Delete, Qt::NoModifier, false, "12,50"},
        {Qt::Key_Insert, Qt::NoModifier, false, "12,50"},
        {Qt::Key_Insert, Qt::ShiftModifier, false, "12,50"},
        {Qt::Key_Delete, Qt::ShiftModifier, false, "12,50"},
        {Qt::Key_Z, Qt::ControlModifier, false, "12,50"},
        {Qt::Key_Y, Qt::ControlModifier, false, "12,50"},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, false, "12,50"},
        {Qt::Key_A, Qt::NoModifier, false, "12,50"},
        {Qt::Key_Period, Qt::NoModifier, false, "12,50"}, // not the locale's separator
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
        Enter();
        edit->SelectAll();
        if (c.key == Qt::Key_Paste || c.key == Qt::Key_Cut || c.key == Qt::Key_Undo)
            PressSilentKey(c.key);
        else
            Press(c.key, c.modifiers);
        EXPECT_EQ(data.State(), c.starts ? dsEdit : dsBrowse);
        EXPECT_EQ(edit->Text(), c.text);
        data.Cancel();
        Leave();
    }
}

TEST_F(DBEdit, ASeparatorThatNoKeyTypesStartsEditingOnNoKey) {
    LocaleSeparators arabic{u'\u066B', u' '};
    Enter();
    PressSilentKey(Qt::Key_F17); // a key without a virtual-key code
    EXPECT_EQ(data.State(), dsBrowse);
    Press(Qt::Key_7);
    EXPECT_EQ(data.State(), dsEdit);
}

TEST_F(DBEdit, WithoutAutomaticEditingADigitChangesNothing) {
    source.SetAutoEdit(false);
    Enter();
    Type("7");
    EXPECT_EQ(data.State(), dsBrowse);
    EXPECT_EQ(edit->Text(), "12,50");
}

TEST_F(DBEdit, EscapeShowsTheStoredValueSelectedAndKeepsTheDatasetEditing) {
    Enter();
    Type("79");
    ASSERT_EQ(edit->Text(), "79,00");
    keysDown.clear();
    Press(Qt::Key_Escape);
    EXPECT_EQ(edit->Text(), "12,50");
    EXPECT_EQ(edit->GetSelText(), "12,50");
    EXPECT_EQ(data.State(), dsEdit);
    EXPECT_EQ(keysDown, std::vector<Word>{0});
    Leave(); // nothing typed since: nothing written
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 12.5);
}

TEST_F(DBEdit, ThePublishedReadOnlyStartsNothingAndKeepsTheControlReadOnly) {
    edit->SetReadOnly(true);
    EXPECT_TRUE(edit->GetDataLink()->ReadOnly());
    Enter();
    Type("7");
    EXPECT_EQ(data.State(), dsBrowse);
    data.Edit(); // by another control
    EXPECT_TRUE(OwnReadOnly());
    Type("7");
    EXPECT_EQ(edit->Text(), "12,50");
    keysDown.clear();
    Press(Qt::Key_Escape);
    EXPECT_EQ(keysDown, std::vector<Word>{VK_ESCAPE});
}

TEST_F(DBEdit, LeavingWritesPlainNumericTextAndNeverNull) {
    edit->SetDataField(QStringLiteral("TEKST"));
    edit->SetKSeparatorTysiecy(true);
    edit->SetKSuffiks(QStringLiteral(" zł"));
    struct Case {
        int decimals;
        bool fixed;
        const char* keys;
        const char* written;
    } const cases[] = {
        {2, true, "1234,5", "1234,50"},
        {2, false, "1234,5", "1234,5"},
        {2, true, "\b", "0,00"},
        {0, true, "\b", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        edit->SetKLiczbaMiejscPoPrzecinku(c.decimals);
        edit->SetKStalaLiczbaMiejscPoPrzecinku(c.fixed);
        Enter();
        for (const char* k = c.keys; *k != 0; ++k)
            *k == '\b' ? Press(Qt::Key_Backspace) : Type(std::string(1, *k).c_str());
        Leave();
        EXPECT_EQ(Field("TEKST")->Text(), c.written);
        data.Cancel();
    }

    // A Null numeric field emptied the same way is written as 0.
    edit->SetDataField(QStringLiteral("KWOTA"));
    data.Next();
    Enter();
    Press(Qt::Key_Backspace);
    Leave();
    data.Post();
    EXPECT_FALSE(Field("KWOTA")->IsNull());
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 0);
}

TEST_F(DBEdit, AValueWithMoreDecimalsIsWrittenBackOnlyWhenModified) {
    data.Last();
    data.Edit();
    Enter();
    EXPECT_FALSE(OwnReadOnly());
    Leave();
    data.Post();
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 7.125);

    Enter();
    Press(Qt::Key_Up); // no stepping: the key only starts editing
    Leave();
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 7.125);
    Enter();
    Type("9");
    Leave();
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 9);
}

// What the control shows of the stored value differs from its editing form, and the value has
// more decimals than it shows (7,125) or none at all (Null).
TEST_F(DBEdit, ShowingTheStoredValueAgainWritesNothing) {
    struct Case {
        const char* name;
        int record;
        const char* prefix;
        const char* suffix;
        bool grouping;
        bool escape;
    } const cases[] = {
        {"prefix", 3, "= ", "", false, false}, {"suffix", 3, "", " zł", false, false},
        {"grouping", 3, "", "", true, false},  {"escape", 3, "", " zł", false, true},
        {"null", 2, "", " zł", false, false},  {"null, escape", 2, "", "", true, true},
    };
    edit->SetKInterwalPrzyrostu(1); // every key in it renders the editing form again
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit->SetKPrefiks(QString::fromUtf8(c.prefix));
        edit->SetKSuffiks(QString::fromUtf8(c.suffix));
        edit->SetKSeparatorTysiecy(c.grouping);
        GoTo(c.record);
        data.Edit(); // by another control
        Enter();
        if (c.escape)
            Press(Qt::Key_Escape);
        Leave();
        EXPECT_FALSE(data.Modified());
        data.Post();
        if (c.record == 2)
            EXPECT_TRUE(Field("KWOTA")->IsNull());
        else
            EXPECT_EQ(Field("KWOTA")->AsFloat(), 7.125);
    }
}

// Tabbed into while browsing, the edit shows the final form, selected whole; the digit typed
// replaces it whatever that form adds and whether stepping is on.
TEST_F(DBEdit, ADigitTypedOverTheFinalFormReplacesTheNumber) {
    struct Case {
        const char* name;
        const char* prefix;
        const char* suffix;
        bool grouping;
        const char* shown;
    } const cases[] = {
        {"prefix", "Kwota ", "", false, "Kwota 1234,50"},
        {"suffix", "", " zł", false, "1234,50 zł"},
        {"grouping", "", "", true, "1 234,50"},
        {"all of them", "Kwota ", " zł", true, "Kwota 1 234,50 zł"},
    };
    data.Edit();
    Field("KWOTA")->SetValue(1234.5);
    data.Post();
    for (const double step : {0.0, 1.0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (step != 0 ? ", stepping" : ""));
            edit->SetKPrefiks(c.prefix);
            edit->SetKSuffiks(c.suffix);
            edit->SetKSeparatorTysiecy(c.grouping);
            edit->SetKInterwalPrzyrostu(step);
            przed->setFocus();
            Press(Qt::Key_Tab);
            ASSERT_TRUE(edit->hasFocus());
            ASSERT_EQ(edit->Text(), c.shown);
            ASSERT_EQ(edit->GetSelText(), edit->Text());
            Type("6");
            EXPECT_EQ(edit->Text(), "6,00");
            Leave();
            EXPECT_EQ(Field("KWOTA")->AsFloat(), 6);
            data.Cancel();
        }
    }
}

// OnChange comes once the key is dealt with: a handler that posts there stores the digit typed
// over the whole text, not the emptied number on the way.
TEST_F(DBEdit, AnOnChangeHandlerThatPostsStoresTheDigitTypedOverTheText) {
    QStringList seen;
    edit->OnChange = [&](QObject*) {
        seen << edit->Text();
        if (data.State() == dsEdit)
            data.Post();
    };
    Press(Qt::Key_Tab);
    ASSERT_EQ(edit->GetSelText(), "12,50");
    Type("9");
    EXPECT_EQ(seen, QStringList{"9,00"});
    EXPECT_EQ(data.State(), dsBrowse);
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 9);
    Leave();
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 9);
}

// Whatever the user changes in the number is written, also where the text shows no change.
TEST_F(DBEdit, EveryChangeTheUserMakesToTheNumberIsWritten) {
    struct Case {
        const char* name;
        std::function<void()> keys;
        double written;
    } const cases[] = {
        {"digit", [] { Type("9"); }, 9},
        {"up", [] { Press(Qt::Key_Up); }, 8.13},
        {"down", [] { Press(Qt::Key_Down); }, 6.13},
        {"backspace", [] { Press(Qt::Key_Backspace); }, 0},
        {"delete", [] { Press(Qt::Key_Delete); }, 0},
        {"ctrl+delete", [] { Press(Qt::Key_Delete, Qt::ControlModifier); }, 0},
    };
    edit->SetKSuffiks(QStringLiteral(" zł"));
    edit->SetKInterwalPrzyrostu(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data.Last();
        data.Edit(); // by another control
        Enter();
        c.keys();
        Leave();
        EXPECT_EQ(Field("KWOTA")->AsFloat(), c.written);
        data.Cancel();
    }

    // Emptying a Null field, whose text and digits stay those of 0 throughout, writes 0.
    GoTo(2);
    data.Edit();
    Enter();
    Leave(); // leaving ends the fraction part that the previous value left
    ASSERT_TRUE(Field("KWOTA")->IsNull());
    Enter();
    Press(Qt::Key_Backspace);
    Leave();
    EXPECT_FALSE(Field("KWOTA")->IsNull());
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 0);
    data.Cancel();

    // A value taken from the pop-up editor, opened by a key that itself changes nothing.
    edit->SetKEdycjaCalosciowa(true);
    ModalAnswerer answerer;
    answerer.Then([](QWidget* popup) {
        auto* popupEdit = popup->findChild<TKEditLiczba*>();
        ASSERT_NE(popupEdit, nullptr);
        QTest::keyClick(popupEdit, Qt::Key_Delete, Qt::ControlModifier);
        QTest::keyClick(popupEdit, '4');
        QTest::keyClick(popupEdit, Qt::Key_Return);
    });
    data.Last();
    data.Edit();
    Enter();
    Type("a");
    BackToTheForm();
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    Leave();
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 4);
}

TEST_F(DBEdit, AControlLoadedOverARecordInEditLeavesTheFieldAlone) {
    data.Edit();
    TKDBEditLiczba loaded(nullptr, &form);
    loaded.BeginLoading();
    loaded.SetKMinWartosc(3);
    loaded.SetDataSource(&source);
    loaded.SetDataField(QStringLiteral("KWOTA"));
    loaded.Loaded();
    ASSERT_EQ(loaded.Text(), "3");
    data.Post();
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 12.5);
}

// A stored value below the minimum: only a value the user can change is checked on leaving.
TEST_F(DBEdit, TheRangeIsCheckedOnLeavingOnlyWhileTheRecordIsEdited) {
    struct Case {
        const char* name;
        std::function<void()> before; // the focus in the control
        int warnings;
        double stored;
    } const cases[] = {
        {"browsing", [] {}, 0, 7.125},
        {"posted while focused",
         [this] {
             Type("5");
             data.Post();
         },
         0, 5},
        {"edited by another control", [this] { data.Edit(); }, 1, 10},
    };
    edit->SetKMaxWartosc(100);
    edit->SetKMinWartosc(10);
    edit->SetKMinWartoscUstawiona(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModalAnswerer answerer;
        data.Last();
        Enter();
        c.before();
        Leave();
        EXPECT_EQ(answerer.SeenWindows().size(), size_t(c.warnings));
        EXPECT_EQ(Field("KWOTA")->AsFloat(), c.stored);
        if (c.warnings > 0) {
            BackToTheForm();
            EXPECT_TRUE(edit->hasFocus()); // the Part's focus back after the warning
            Leave();
        }
        EXPECT_TRUE(za->hasFocus());
        EXPECT_EQ(answerer.SeenWindows().size(), size_t(c.warnings));
        data.Cancel();
    }
}

TEST_F(DBEdit, TheClampedMinimumIsTheValueWritten) {
    edit->SetKMaxWartosc(100);
    edit->SetKMinWartosc(10);
    edit->SetKMinWartoscUstawiona(true);
    ModalAnswerer answerer;
    Enter();
    Type("5");
    Leave();
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 10);
}

TEST_F(DBEdit, AControlFreedWhileItsModalWindowIsOpenWritesNothing) {
    struct Case {
        const char* name;
        std::function<void()> open; // the record edited, the control focused
    } const cases[] = {
        {"range warning on leaving",
         [this] {
             edit->SetKMaxWartosc(100);
             edit->SetKMinWartosc(20);
             edit->SetKMinWartoscUstawiona(true);
             Type("5");
             Leave();
         }},
        {"pop-up editor after Esc",
         [this] {
             edit->SetKEdycjaCalosciowa(true);
             Press(Qt::Key_Escape);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<TKDBEditLiczba> control = edit = new TKDBEditLiczba(nullptr, &form);
        SetBounds(edit, 10, 100, 120, 21);
        edit->SetKLiczbaMiejscPoPrzecinku(2);
        edit->SetDataSource(&source);
        edit->SetDataField(QStringLiteral("KWOTA"));
        edit->show();
        BackToTheForm();
        data.Edit();
        Enter();
        ModalAnswerer answerer;
        answerer.Then([this](QWidget* w) {
            delete edit; // by a timer of the program's
            QTimer::singleShot(50, w, [w] { w->close(); });
        });
        c.open();
        EXPECT_TRUE(control.isNull());
        EXPECT_EQ(answerer.SeenWindows().size(), 1u);
        EXPECT_EQ(data.State(), dsEdit);
        EXPECT_EQ(Field("KWOTA")->AsFloat(), 12.5);
        data.Cancel();
    }
}

TEST_F(DBEdit, AFailedWriteKeepsTheValueAndTheFocusAndLeavingAgainRetries) {
    edit->SetKLiczbaMiejscPoPrzecinku(0);
    edit->SetDataField(QStringLiteral("ILOSC")); // a small integer: at most 32767
    ModalAnswerer answerer;
    Enter();
    Type("40000");
    Leave();
    ASSERT_EQ(answerer.Texts(), QStringList{"Nieprawidłowa wartość w polu edycyjnym!"});
    BackToTheForm();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->Text(), "40000");
    EXPECT_EQ(edit->GetSelText(), "40000");
    EXPECT_EQ(Field("ILOSC")->AsFloat(), 1);

    Leave(); // the same value again
    EXPECT_EQ(answerer.Texts().size(), 2);
    BackToTheForm();
    EXPECT_EQ(edit->Text(), "40000");
    edit->SetSelStart(5);
    Press(Qt::Key_Backspace);
    Leave();
    EXPECT_EQ(answerer.Texts().size(), 2);
    EXPECT_TRUE(za->hasFocus());
    EXPECT_EQ(Field("ILOSC")->AsFloat(), 4000);
}

TEST_F(DBEdit, APostWhileTheControlHasTheFocusWritesWhatWasTyped) {
    Enter();
    Type("8");
    data.Post();
    EXPECT_EQ(data.State(), dsBrowse);
    EXPECT_EQ(Field("KWOTA")->AsFloat(), 8);
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(DBEdit, FreeingTheDataSourceDetachesTheControlEvenWhenFixed) {
    for (const bool fixed : {false, true}) {
        SCOPED_TRACE(fixed);
        auto* other = new TDataSource;
        other->SetDataSet(&data);
        edit->SetDataSource(other);
        TDataLink* link = dynamic_cast<TDataLinkQuery*>(edit)->GetDataLink();
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->DataSource(), other);
        link->SetDataSourceFixed(fixed);
        delete other;
        EXPECT_EQ(edit->DataSource(), nullptr);
        EXPECT_EQ(link->DataSourceFixed(), fixed);
        EXPECT_EQ(edit->Text(), "12,50"); // unbound, it keeps what it shows
    }
}

TEST_F(DBEdit, AFixedDataSourceRefusesAChangeExceptWhileLoading) {
    TDataSource other;
    edit->GetDataLink()->SetDataSourceFixed(true);
    EXPECT_THROW(edit->SetDataSource(&other), EDatabaseError);
    edit->BeginLoading();
    edit->SetDataSource(&other); // ignored
    edit->Loaded();
    EXPECT_EQ(edit->DataSource(), &source);
    edit->GetDataLink()->SetDataSourceFixed(false);
}

TEST_F(DBEdit, MaxLengthOfTheStringFieldsSizeGivesWayAtItsThreeMoments) {
    edit->SetMaxLength(10);
    edit->SetDataField(QStringLiteral("TEKST")); // checked against KWOTA: stays
    EXPECT_EQ(edit->MaxLength(), 10);
    data.Close(); // the link's active change
    EXPECT_EQ(edit->MaxLength(), 0);
    data.Open();

    edit->SetMaxLength(10);
    edit->SetDataField(QStringLiteral("KWOTA")); // checked against TEKST
    EXPECT_EQ(edit->MaxLength(), 0);

    edit->SetMaxLength(9); // another size: stays
    edit->SetDataField(QStringLiteral("TEKST"));
    data.Close();
    EXPECT_EQ(edit->MaxLength(), 9);
    data.Open();

    TKDBEditLiczba loaded(nullptr, &form);
    loaded.BeginLoading();
    loaded.SetDataSource(&source);
    loaded.SetMaxLength(10);
    loaded.SetDataField(QStringLiteral("TEKST"));
    EXPECT_EQ(loaded.MaxLength(), 10);
    loaded.Loaded();
    EXPECT_EQ(loaded.MaxLength(), 0);
    EXPECT_EQ(loaded.Text(), "0"); // KMinWartosc until the next data change
    data.Next();
    EXPECT_EQ(loaded.Text(), "4");
}

// An action that acts on one target and counts what it did.
class TargetAction : public TBasicAction {
public:
    explicit TargetAction(TComponent* target) : target_(target) {}
    bool HandlesTarget(TComponent* target) override { return target == target_; }
    void ExecuteTarget(TComponent*) override { ++executed; }
    void UpdateTarget(TComponent*) override { ++updated; }
    int executed = 0;
    int updated = 0;

private:
    TComponent* target_;
};

TEST_F(DBEdit, ActionsReachTheControlAndElseItsDataSource) {
    TargetAction onControl(edit);
    TargetAction onSource(&source);
    TargetAction onNothing(nullptr);
    EXPECT_TRUE(edit->ExecuteAction(&onControl));
    EXPECT_TRUE(edit->UpdateAction(&onSource));
    EXPECT_FALSE(edit->ExecuteAction(&onNothing));
    EXPECT_EQ(onControl.executed, 1);
    EXPECT_EQ(onSource.updated, 1);
}

TEST_F(DBEdit, InAFarEastLocaleEnteringMakesTheEditWritableBeforeTheDatasetEdits) {
    source.SetAutoEdit(false);
    SysLocale.FarEast = true;
    Enter();
    SysLocale.FarEast = false;
    EXPECT_FALSE(OwnReadOnly());
    EXPECT_EQ(data.State(), dsBrowse);
}

} // namespace
