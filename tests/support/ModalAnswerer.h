#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

// Answers the modal windows a test opens. While it lives it polls for the active modal widget;
// each one it finds is recorded and handed to the next queued answer. With no answer queued the
// window is rejected, so a test never hangs on an unexpected box.
class ModalAnswerer {
public:
    struct Seen {
        QString className;
        QString title;
        QString text;             // a message box's text
        QMessageBox::Icon icon{}; // a message box's icon
        QStringList buttons;      // a message box's button texts, in order
        QString defaultButton;    // a message box's default button text
        bool answered = false;    // false: rejected for want of an answer
    };
    using Answer = std::function<void(QWidget*)>;

    ModalAnswerer();
    ~ModalAnswerer();

    // Queues an answer for the next modal window.
    ModalAnswerer& Then(Answer answer);
    // Clicks the message box's standard button.
    ModalAnswerer& Click(QMessageBox::StandardButton button);

    const std::vector<Seen>& SeenWindows() const { return seen_; }
    // Texts of the message boxes seen, in order.
    QStringList Texts() const;

private:
    void Poll();

    QTimer timer_;
    QPointer<QWidget> current_;
    std::deque<Answer> answers_;
    std::vector<Seen> seen_;
};
