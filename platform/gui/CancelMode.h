#pragma once

#include <QEvent>
#include <QObject>

#include <optional>
#include <vector>

class QMouseEvent;
class QWidget;

// The cancel-mode notice (WM_CANCELMODE): a control that does something with the mouse held
// (tracks a press, drags) stops it and lets go of the mouse. TCustomControl takes it in
// WMCancelMode.
QEvent::Type CancelModeEvent();

// Sends the cancel-mode notice to the widget; one that still holds the mouse after it lets go.
void SendCancelMode(QWidget* widget);

// A modal window takes the mouse from whoever holds it. When one is shown, the widget holding the
// mouse gets the cancel-mode notice and every pressed button comes up again, so neither waits for
// a release that goes to the modal window. A press that opened the window before it reached its
// widget (its focus change made the control left behind show a modal box) is dropped when it
// arrives after the window closed: its release went to the modal window, and the widget would
// stay pressed without it.
//
// TApplication installs one for the program's lifetime.
class TModalMouseWatch : public QObject {
public:
    TModalMouseWatch();
    ~TModalMouseWatch() override;
    TModalMouseWatch(const TModalMouseWatch&) = delete;
    TModalMouseWatch& operator=(const TModalMouseWatch&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ModalShown(const QWidget* modal);
    // Whether the press is to be dropped.
    bool Press(const QObject* watched, const QMouseEvent* press);

    // A press that reached its window and not yet its widget, by its time stamp (the window
    // hands its widget a copy with the same time stamp).
    std::optional<quint64> pending_;
    // Presses that a modal window opened on their way to their widget.
    std::vector<quint64> interrupted_;
};
