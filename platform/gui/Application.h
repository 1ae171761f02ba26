#pragma once

#include <QString>

#include <exception>
#include <memory>
#include <utility>

class QTranslator;
class QWidget;
class TModalMouseWatch;

// Message-box flags and answers, as the Windows message box has them.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_CANCELTRYCONTINUE = 0x6,
    MB_ICONHAND = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_DEFBUTTON4 = 0x300,
};
enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
    IDTRYAGAIN = 10,
    IDCONTINUE = 11,
};

// The application object: its title, main window, error display, message box and the end of
// the program. One exists while the program runs; `Application` points at the newest one, and
// at the one before it again when that is destroyed. It needs the QApplication, and it speaks
// Qt's own texts (the standard buttons) in the system's language while it lives.
class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    QString Title = QStringLiteral("Zbiorcza aktualizacja");
    QWidget* MainForm = nullptr;

    // Runs the message loop until Terminate; returns the program's exit code.
    int Run();
    // Ends the message loop; Terminated() tells code that runs on that it should stop.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles the window messages that wait in the queue.
    void ProcessMessages();

    // The error display: a modal box with OK and the error icon, captioned with the title, that
    // shows the failure's message with a full stop added when its last character sorts above ".".
    void ShowException(const std::exception& failure);

    // A modal message box over the active window, showing the text as plain text; returns the
    // answer of the button pressed (IDOK ... IDCONTINUE). The default button is the one the
    // MB_DEFBUTTON flags name, the first when there is no such button. Esc and the close box
    // answer only a box with a Cancel button (IDCANCEL) or a single OK (IDOK); a box without
    // either waits for a button. A button set beyond MB_CANCELTRYCONTINUE shows OK. The box
    // stays until it is answered, also when the window it stands over is freed meanwhile: a caller
    // that goes on afterwards checks that what it works on still exists.
    int MessageBox(const QString& text, const QString& caption, unsigned flags);

    // Runs an event handler; a failure that leaves it goes to the error display, so it never
    // unwinds through the toolkit's frames.
    template <class Handler> void Guard(Handler&& handler) noexcept {
        try {
            std::forward<Handler>(handler)();
        } catch (const std::exception& failure) {
            ShowException(failure);
        } catch (...) {
            ShowUnknownException();
        }
    }
    template <class Handler> auto Guarded(Handler handler) {
        return [this, handler = std::move(handler)](auto&&...) { Guard(handler); };
    }

private:
    void ShowUnknownException() noexcept;
    TApplication* previous_;
    std::unique_ptr<QTranslator> qtTexts_;
    std::unique_ptr<TModalMouseWatch> modalWatch_;
    bool running_ = false;
    bool terminated_ = false;
};

extern TApplication* Application;

// The text of a failure as the error display shows it.
QString ExceptionDisplayText(const std::exception& failure);
