#include "platform/gui/Application.h"

#include "platform/gui/CancelMode.h"
#include "platform/rtl/Exceptions.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QWindow>

#include <vector>

TApplication* Application = nullptr;

TApplication::TApplication()
    : previous_(Application), qtTexts_(std::make_unique<QTranslator>()),
      modalWatch_(std::make_unique<TModalMouseWatch>()) {
    Application = this;
    // Qt's texts in the user's language, as the platform's own boxes speak it; without a
    // translation for it they stay English.
    if (qtTexts_->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts_.get());
}

TApplication::~TApplication() {
    QCoreApplication::removeTranslator(qtTexts_.get());
    if (Application == this)
        Application = previous_;
}

int TApplication::Run() {
    if (terminated_)
        return 0;
    running_ = true;
    const int exitCode = QApplication::exec();
    running_ = false;
    return exitCode;
}

void TApplication::Terminate() {
    terminated_ = true;
    // exit, not quit: quit would first close every window, which is not ending the program.
    // Outside the message loop there is nothing to end, and exit would make every later modal
    // loop return at once.
    if (running_)
        QCoreApplication::exit(0);
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents();
}

QString ExceptionDisplayText(const std::exception& failure) {
    const auto* own = dynamic_cast<const Exception*>(&failure);
    QString text = own != nullptr ? own->Message() : QString::fromUtf8(failure.what());
    if (!text.isEmpty() && text.back() > u'.')
        text += u'.';
    return text;
}

void TApplication::ShowException(const std::exception& failure) {
    MessageBox(ExceptionDisplayText(failure), Title, MB_OK | MB_ICONHAND);
}

void TApplication::ShowUnknownException() noexcept {
    try {
        MessageBox(QStringLiteral("Unknown failure."), Title, MB_OK | MB_ICONHAND);
    } catch (...) {
    }
}

namespace {

// One button of a set: a standard button of the box, or a button of its own text.
struct Choice {
    QMessageBox::StandardButton button;
    const char* text; // for a button that is no standard one, under the context "QWizard"
    int answer;
};

struct ButtonSet {
    std::vector<Choice> choices;
    int escape; // the answer to Esc and the close box, 0 for none
};

ButtonSet ButtonsOf(unsigned flags) {
    using B = QMessageBox;
    switch (flags & 0xF) {
    case MB_OKCANCEL:
        return {{{B::Ok, nullptr, IDOK}, {B::Cancel, nullptr, IDCANCEL}}, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {{{B::Abort, nullptr, IDABORT},
                 {B::Retry, nullptr, IDRETRY},
                 {B::Ignore, nullptr, IDIGNORE}},
                0};
    case MB_YESNOCANCEL:
        return {{{B::Yes, nullptr, IDYES}, {B::No, nullptr, IDNO}, {B::Cancel, nullptr, IDCANCEL}},
                IDCANCEL};
    case MB_YESNO:
        return {{{B::Yes, nullptr, IDYES}, {B::No, nullptr, IDNO}}, 0};
    case MB_RETRYCANCEL:
        return {{{B::Retry, nullptr, IDRETRY}, {B::Cancel, nullptr, IDCANCEL}}, IDCANCEL};
    case MB_CANCELTRYCONTINUE:
        // Qt has no "Try Again" or "Continue" button: its Retry, and its wizard's "Continue",
        // whose translations Qt carries.
        return {{{B::Cancel, nullptr, IDCANCEL},
                 {B::Retry, nullptr, IDTRYAGAIN},
                 {B::NoButton, "Continue", IDCONTINUE}},
                IDCANCEL};
    default:
        return {{{B::Ok, nullptr, IDOK}}, IDOK};
    }
}

// QMessageBox lets Esc and the close box answer a No or an Abort button; the platform's box
// answers them only through a Cancel button or a single OK, and otherwise ignores them.
class MessageBoxWindow : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool closable = true;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!closable && event->matches(QKeySequence::Cancel))
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!closable) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

} // namespace

int TApplication::MessageBox(const QString& text, const QString& caption, unsigned flags) {
    // The box belongs to no window, so that the one it stands over may be freed while it is open
    // (a timer's deleteLater that its modal loop runs) and the box is freed here alone. It stands
    // over that window as its transient, which lets go of a window that goes.
    QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : MainForm;
    MessageBoxWindow box;
    box.winId();
    if (owner != nullptr)
        box.windowHandle()->setTransientParent(owner->window()->windowHandle());
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (flags & 0xF0) {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    const ButtonSet set = ButtonsOf(flags);
    std::vector<QPushButton*> buttons;
    for (const Choice& c : set.choices) {
        QPushButton* button = c.text != nullptr
                                  ? box.addButton(QCoreApplication::translate("QWizard", c.text),
                                                  QMessageBox::AcceptRole)
                                  : box.addButton(c.button);
        buttons.push_back(button);
        if (c.answer == set.escape)
            box.setEscapeButton(button);
    }
    box.closable = set.escape != 0;
    std::size_t defaultIndex = (flags & 0xF00) >> 8;
    if (defaultIndex >= buttons.size())
        defaultIndex = 0;
    box.setDefaultButton(buttons[defaultIndex]);
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return set.choices[i].answer;
    // Ended without a button by the program itself: the escape answer, or the one that stops.
    if (set.escape != 0)
        return set.escape;
    return (flags & 0xF) == MB_YESNO ? IDNO : IDABORT;
}
