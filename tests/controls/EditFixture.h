#pragma once

#include "controls/KEdits.h"
#include "platform/gui/Forms.h"
#include "platform/gui/KeyModel.h"
#include "tests/support/LocaleSeparators.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

// Keys go where a user's keys go: to the focused control of the active window.
inline void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

// A key that types nothing and that QTest cannot map to a character (Qt::Key_Paste, say).
inline void PressSilentKey(Qt::Key key) {
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), key, QString(), Qt::NoModifier);
}

// Types the characters one key each ("12,5" is 1, 2, the comma key and 5).
inline void Type(const char* keys) {
    for (const char* k = keys; *k != 0; ++k)
        QTest::keyClick(static_cast<QWidget*>(nullptr), *k);
}

// A shown, active form with three numeric edits in tab order (przed, edit, za), the focus on
// edit, a comma locale with a space between thousands, and counters of beeps and of edit's
// notifications.
class NumberEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        OnBeep = [this] { ++beeps; };
        form.SetClientWidth(400);
        form.SetClientHeight(200);
        form.move(50, 40);
        przed->SetName(QStringLiteral("edPrzed"));
        edit->SetName(QStringLiteral("edKwota"));
        za->SetName(QStringLiteral("edZa"));
        SetBounds(przed, 10, 10, 120, 21);
        SetBounds(edit, 10, 40, 120, 21);
        SetBounds(za, 10, 70, 120, 21);
        edit->KBeforeChange = [this](QObject* sender) {
            EXPECT_EQ(sender, edit);
            ++before;
        };
        edit->KAfterChange = [this](QObject*) { ++after; };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
        Reset();
    }
    void TearDown() override { OnBeep = nullptr; }

    void Reset() { beeps = before = after = 0; }
    int Caret() const { return edit->GetSelLength() == 0 ? edit->GetSelStart() : -1; }

    LocaleSeparators locale{u',', u' '};
    TForm form;
    TKEditLiczba* przed = new TKEditLiczba(nullptr, &form);
    TKEditLiczba* edit = new TKEditLiczba(nullptr, &form);
    TKEditLiczba* za = new TKEditLiczba(nullptr, &form);
    int beeps = 0;
    int before = 0;
    int after = 0;
};
