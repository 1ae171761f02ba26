#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>

#include <vector>

class QAbstractButton;
class QKeyEvent;

// bsNone: no frame and no title bar.
enum TFormBorderStyle { bsNone, bsSizeable, bsSizeToolWin };
enum TPosition { poDesigned, poMainFormCenter };

// Modal results of a form.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// A window as the class library has it, on QDialog so that it can be shown modally with exec().
// It is a plain top-level window (with a taskbar entry and the usual title-bar buttons) unless
// its border style says otherwise, so it also serves as a program's main window. Its font is
// the platform's sans-serif at 8 points, the class library's default.
//
// Keys, as a form of the class library takes them when the focused control leaves them:
// - Enter (without Shift, Ctrl or Alt) clicks the focused push button; with the focus elsewhere
//   it clicks the default button when that is visible and enabled. Enter with any of them clicks
//   no button, focused or default.
// - Esc clicks the cancel button when it is visible and enabled; without one it does nothing
//   (a QDialog would close).
// A focused control that wants one of these keys (TDialogCodeQuery, Controls.h) gets it instead.
//
// Width and Height are the outer size, the frame included as far as the platform has reported
// it (before the window is first shown the frame counts 0); the client size is the widget's.
// Size changes lay the window out at once, also while it is hidden.
//
// The minimum size is an outer size too. The size setters raise every size to it; the user
// cannot make the window smaller than it, or than the window was when the minimum was given
// (setting a minimum never resizes the window: before the frame is known a window designed at
// its minimum would otherwise grow by the frame).
class TForm : public QDialog {
    Q_OBJECT

public:
    explicit TForm(QWidget* parent = nullptr);

    int Width() const;
    int Height() const;
    void SetWidth(int width);
    void SetHeight(int height);
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    // 0 is no limit.
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    void SetMinWidth(int width);
    void SetMinHeight(int height);

    void SetBorderStyle(TFormBorderStyle style);
    // Keeps the window above the other windows (fsStayOnTop).
    void SetStayOnTop(bool stayOnTop);
    // Where the window appears when shown: where it was put, or centred on the application's
    // main form (on the screen when there is none).
    void SetPosition(TPosition position);

    QPushButton* DefaultButton() const { return defaultButton_; }
    void SetDefaultButton(QPushButton* button);
    QPushButton* CancelButton() const { return cancelButton_; }
    void SetCancelButton(QPushButton* button);
    // A click of the button closes the modal window with the result.
    void SetModalResult(QAbstractButton* button, int modalResult);
    // A result other than mrNone closes the modal window with it.
    void SetModalResult(int modalResult);
    int ModalResult() const { return result(); }

    // The keys a form takes before its focused control: plain Enter for the default button and
    // plain Esc for the cancel button, when that button is visible and enabled and the focused
    // control does not want the key. Clicks it and returns true, or returns false and leaves the
    // key to the control.
    bool DialogKey(const QKeyEvent* event);

    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QSize FrameSize() const;
    void ApplyMinimumSize();
    void SetClientSize(QSize size);
    void UpdateWindowFlags();
    void PlaceOnShow();

    int minWidth_ = 0;
    int minHeight_ = 0;
    QSize appliedFrame_; // the frame the minimum was last given to Qt with
    TFormBorderStyle borderStyle_ = bsSizeable;
    bool stayOnTop_ = false;
    TPosition position_ = poDesigned;
    QPointer<QPushButton> defaultButton_;
    QPointer<QPushButton> cancelButton_;
};

// The window a control sits on; none for a control that is a window itself.
QWidget* GetParentForm(QWidget* control);

// Moves the focus of a window to the next control in its tab order after the focused one (the
// previous one when goForward is false), wrapping around; only visible, enabled controls that
// take the focus by Tab count.
void SelectNext(QWidget* form, bool goForward);

// While it lives, a window and the widgets on it are not freed by their deleteLater: each such
// deletion is asked for again when the hold goes, and so happens once the event being handled is
// over. A focus change goes on with its widgets after the focus handlers, and a modal box that a
// handler shows runs a loop that would otherwise free them under it.
class TDeletionHold : public QObject {
public:
    explicit TDeletionHold(QWidget* window);
    ~TDeletionHold() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    std::vector<QPointer<QObject>> held_;
};
