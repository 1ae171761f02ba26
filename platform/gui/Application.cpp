#include "platform/gui/Application.h"

#include "platform/rtl/Exceptions.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

TApplication* Application = nullptr;

TApplication::TApplication() : previous_(Application) {
    Application = this;
}

TApplication::~TApplication() {
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

int TApplication::MessageBox(const QString& text, const QString& caption, unsigned flags) {
    QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : MainForm;
    QMessageBox box(owner);
    box.setWindowTitle(caption);
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
    struct Choice {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Choice> choices;
    switch (flags & 0xF) {
    case MB_OKCANCEL:
        choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNOCANCEL:
        choices = {
            {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO:
        choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        break;
    default:
        choices = {{QMessageBox::Ok, IDOK}};
        break;
    }
    for (const Choice& c : choices)
        box.addButton(c.button);
    std::size_t defaultIndex = (flags & 0xF00) >> 8;
    if (defaultIndex >= choices.size())
        defaultIndex = 0;
    box.setDefaultButton(choices[defaultIndex].button);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Choice& c : choices)
        if (c.button == clicked)
            return c.answer;
    // Closed without a button (Esc or the close box): the box's cancelling answer.
    return choices.size() == 2 && (flags & 0xF) == MB_YESNO ? IDNO
           : choices.size() == 1                            ? IDOK
                                                            : IDCANCEL;
}
