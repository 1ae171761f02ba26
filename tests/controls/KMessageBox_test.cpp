#include "controls/KMessageBox.h"

#include "platform/gui/Application.h"
#include "tests/support/ModalAnswerer.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// What a box showed, and the button that answered it.
struct Shown {
    QString title;
    QString text;
    QMessageBox::Icon icon{};
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton{};
};

TEST(KMessageBox, ShowsTheFlagsButtonsWithTheNumberedDefault) {
    using B = QMessageBox;
    struct Case {
        const char* name;
        bool warning; // KOstrzezenie, else KMessageBox
        const char* caption;
        int flags;
        int defaultNumber;
        const char* shownCaption;
        std::vector<B::StandardButton> buttons;
        B::StandardButton defaultButton;
        B::Icon icon;
        B::StandardButton click;
        int answer;
    } const cases[] = {
        {"warning, no caption",
         true,
         "",
         MB_OK,
         1,
         "Uwaga!",
         {B::Ok},
         B::Ok,
         B::Warning,
         B::Ok,
         IDOK},
        {"warning, own caption",
         true,
         "Kwota",
         MB_OK,
         1,
         "Kwota",
         {B::Ok},
         B::Ok,
         B::Warning,
         B::Ok,
         IDOK},
        {"yes/no, second default",
         false,
         "Pytanie",
         MB_YESNO,
         2,
         "Pytanie",
         {B::Yes, B::No},
         B::No,
         B::NoIcon,
         B::No,
         IDNO},
        {"yes/no, first default",
         false,
         "Pytanie",
         MB_YESNO,
         1,
         "Pytanie",
         {B::Yes, B::No},
         B::Yes,
         B::NoIcon,
         B::Yes,
         IDYES},
        {"yes/no, default 0",
         false,
         "P",
         MB_YESNO,
         0,
         "P",
         {B::Yes, B::No},
         B::Yes,
         B::NoIcon,
         B::Yes,
         IDYES},
        {"yes/no, default 5",
         false,
         "P",
         MB_YESNO,
         5,
         "P",
         {B::Yes, B::No},
         B::Yes,
         B::NoIcon,
         B::Yes,
         IDYES},
        {"yes/no, default -1",
         false,
         "P",
         MB_YESNO,
         -1,
         "P",
         {B::Yes, B::No},
         B::Yes,
         B::NoIcon,
         B::No,
         IDNO},
        {"warning yes/no/cancel, third default",
         true,
         "",
         MB_YESNOCANCEL,
         3,
         "Uwaga!",
         {B::Yes, B::No, B::Cancel},
         B::Cancel,
         B::Warning,
         B::Cancel,
         IDCANCEL},
        {"warning abort/retry/ignore, second default",
         true,
         "",
         MB_ABORTRETRYIGNORE,
         2,
         "Uwaga!",
         {B::Abort, B::Retry, B::Ignore},
         B::Retry,
         B::Warning,
         B::Ignore,
         IDIGNORE},
        {"retry/cancel, first default",
         false,
         "P",
         MB_RETRYCANCEL | MB_ICONHAND,
         1,
         "P",
         {B::Retry, B::Cancel},
         B::Retry,
         B::Critical,
         B::Retry,
         IDRETRY},
        {"question ok/cancel",
         false,
         "P",
         MB_OKCANCEL | MB_ICONQUESTION,
         2,
         "P",
         {B::Ok, B::Cancel},
         B::Cancel,
         B::Question,
         B::Ok,
         IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModalAnswerer answerer;
        Shown shown;
        answerer.Then([&shown, &c](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            shown.title = box->windowTitle();
            shown.text = box->text();
            shown.icon = box->icon();
            for (QAbstractButton* b : box->buttons())
                shown.buttons.push_back(box->standardButton(b));
            shown.defaultButton = box->standardButton(box->defaultButton());
            box->button(c.click)->click();
        });
        const int answer = c.warning ? KOstrzezenie("tekst", c.caption, c.flags, c.defaultNumber)
                                     : KMessageBox("tekst", c.caption, c.flags, c.defaultNumber);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(shown.title, c.shownCaption);
        EXPECT_EQ(shown.text, "tekst");
        EXPECT_EQ(shown.icon, c.icon);
        // The box lays its buttons out in the platform's order.
        std::vector<B::StandardButton> expected = c.buttons;
        std::sort(expected.begin(), expected.end());
        std::sort(shown.buttons.begin(), shown.buttons.end());
        EXPECT_EQ(shown.buttons, expected);
        EXPECT_EQ(shown.defaultButton, c.defaultButton);
    }
}

} // namespace
