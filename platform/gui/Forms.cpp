#include "platform/gui/Forms.h"

#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

bool CanClick(const QPushButton* button) {
    return button != nullptr && button->isVisible() && button->isEnabled();
}

// Without Shift, Ctrl or Alt; the keypad's Enter counts as Enter.
bool Plain(const QKeyEvent* event) {
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool IsEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

TForm::TForm(QWidget* parent) : QDialog(parent) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    setFont(font);
    UpdateWindowFlags();
    // Keys go to the focused widget only: a push button of the window is watched from the
    // moment it takes the focus, whenever it was added.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (auto* button = qobject_cast<QPushButton*>(now); button && button->window() == this)
            button->installEventFilter(this);
    });
}

QSize TForm::FrameSize() const {
    return frameGeometry().size() - size();
}

int TForm::Width() const {
    return frameGeometry().width();
}

int TForm::Height() const {
    return frameGeometry().height();
}

void TForm::SetWidth(int width) {
    SetClientWidth(width - FrameSize().width());
}

void TForm::SetHeight(int height) {
    SetClientHeight(height - FrameSize().height());
}

void TForm::SetClientWidth(int width) {
    SetClientSize(QSize(width, height()));
}

void TForm::SetClientHeight(int height) {
    SetClientSize(QSize(width(), height));
}

void TForm::SetClientSize(QSize size) {
    const QSize frame = FrameSize();
    ResizeNow(this, size.expandedTo(QSize(minWidth_, minHeight_) - frame));
    ApplyMinimumSize();
}

void TForm::SetMinWidth(int width) {
    minWidth_ = width;
    ApplyMinimumSize();
}

void TForm::SetMinHeight(int height) {
    minHeight_ = height;
    ApplyMinimumSize();
}

void TForm::ApplyMinimumSize() {
    appliedFrame_ = FrameSize();
    const QSize minimum = QSize(minWidth_, minHeight_) - appliedFrame_;
    setMinimumSize(minimum.expandedTo(QSize(0, 0)).boundedTo(size()));
}

bool TForm::event(QEvent* event) {
    // The platform reports the frame once the window is shown, and again when it changes.
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) &&
        FrameSize() != appliedFrame_)
        ApplyMinimumSize();
    return QDialog::event(event);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    UpdateWindowFlags();
}

void TForm::SetStayOnTop(bool stayOnTop) {
    stayOnTop_ = stayOnTop;
    UpdateWindowFlags();
}

void TForm::UpdateWindowFlags() {
    Qt::WindowFlags flags =
        borderStyle_ == bsSizeToolWin
            ? Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        : borderStyle_ == bsNone ? Qt::Window | Qt::FramelessWindowHint
                                 : Qt::Window;
    if (stayOnTop_)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
}

void TForm::SetPosition(TPosition position) {
    position_ = position;
}

void TForm::SetDefaultButton(QPushButton* button) {
    // Qt's default look only; which button Enter clicks is the form's decision.
    if (defaultButton_ != nullptr)
        defaultButton_->setDefault(false);
    defaultButton_ = button;
    if (button != nullptr)
        button->setDefault(true);
}

void TForm::SetCancelButton(QPushButton* button) {
    cancelButton_ = button;
}

void TForm::SetModalResult(QAbstractButton* button, int modalResult) {
    connect(button, &QAbstractButton::clicked, this, [this, modalResult] { done(modalResult); });
}

void TForm::SetModalResult(int modalResult) {
    if (modalResult != mrNone)
        done(modalResult);
}

void TForm::setVisible(bool visible) {
    if (visible && !isVisible()) {
        // A push button that takes Enter itself (auto-default) would make Qt move the default
        // to whichever button last had the focus; Enter is decided in keyPressEvent instead.
        for (QPushButton* button : findChildren<QPushButton*>())
            button->setAutoDefault(false);
        PlaceOnShow();
    }
    QDialog::setVisible(visible);
}

void TForm::PlaceOnShow() {
    if (position_ != poMainFormCenter)
        return;
    const QRect desktop = screen()->geometry();
    const QWidget* mainForm = Application != nullptr ? Application->MainForm : nullptr;
    const QRect around =
        mainForm != nullptr && mainForm != this ? mainForm->frameGeometry() : desktop;
    move(std::max(desktop.left(), around.x() + (around.width() - Width()) / 2),
         std::max(desktop.top(), around.y() + (around.height() - Height()) / 2));
}

bool TForm::eventFilter(QObject* watched, QEvent* event) {
    // A default or auto-default QPushButton clicks itself on Enter with any modifier; the key
    // goes on to its parents as from a button that leaves it.
    if (event->type() == QEvent::KeyPress && qobject_cast<QPushButton*>(watched) != nullptr) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key) && !Plain(key) && static_cast<QWidget*>(watched)->window() == this) {
            event->ignore();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TForm::DialogKey(const QKeyEvent* event) {
    const bool plain = Plain(event);
    if (FocusedControlWantsKey(this, VirtualKey(Qt::Key(event->key()), event->modifiers()),
                               ShiftState(event->modifiers())))
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* button = focused != nullptr ? focused : defaultButton_.data();
        if (plain && CanClick(button)) {
            button->click();
            return true;
        }
        return false;
    }
    case Qt::Key_Escape:
        if (plain && CanClick(cancelButton_)) {
            cancelButton_->click();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        DialogKey(event);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

QWidget* GetParentForm(QWidget* control) {
    QWidget* form = control->window();
    return form != control ? form : nullptr;
}

void SelectNext(QWidget* form, bool goForward) {
    QWidget* start = form->focusWidget() != nullptr ? form->focusWidget() : form;
    for (QWidget* w = start;;) {
        w = goForward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == start)
            return;
        if (w->window() == form && w != form && w->isVisibleTo(form) && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus) != 0 && w->focusProxy() == nullptr) {
            w->setFocus(goForward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

TDeletionHold::TDeletionHold(QWidget* window) : window_(window) {
    qApp->installEventFilter(this);
}

TDeletionHold::~TDeletionHold() {
    qApp->removeEventFilter(this);
    for (const QPointer<QObject>& object : held_)
        if (!object.isNull())
            object->deleteLater();
}

bool TDeletionHold::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::DeferredDelete && !window_.isNull() && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == window_ || window_->isAncestorOf(widget)) {
            held_.emplace_back(watched);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
