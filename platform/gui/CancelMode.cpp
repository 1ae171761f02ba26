#include "platform/gui/CancelMode.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>

QEvent::Type CancelModeEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void SendCancelMode(QWidget* widget) {
    const QPointer<QWidget> target = widget;
    QEvent notice(CancelModeEvent());
    QApplication::sendEvent(widget, &notice);
    if (!target.isNull() && QWidget::mouseGrabber() == target.data())
        target->releaseMouse();
}

TModalMouseWatch::TModalMouseWatch() {
    QCoreApplication::instance()->installEventFilter(this);
}

TModalMouseWatch::~TModalMouseWatch() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

bool TModalMouseWatch::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        if (watched->isWidgetType()) {
            const auto* widget = static_cast<const QWidget*>(watched);
            if (widget->isWindow() && widget->isModal())
                ModalShown(widget);
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return event->spontaneous() && Press(watched, static_cast<const QMouseEvent*>(event));
    default:
        return false;
    }
}

void TModalMouseWatch::ModalShown(const QWidget* modal) {
    if (pending_) {
        interrupted_.push_back(*pending_);
        pending_.reset();
    }
    QWidget* holder = QWidget::mouseGrabber();
    if (holder != nullptr && holder != modal && !modal->isAncestorOf(holder))
        SendCancelMode(holder);
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (button != nullptr && button->isDown() && !modal->isAncestorOf(button))
            button->setDown(false);
    }
}

bool TModalMouseWatch::Press(const QObject* watched, const QMouseEvent* press) {
    const quint64 at = press->timestamp();
    if (watched->isWindowType()) {
        if (press->type() == QEvent::MouseButtonPress)
            pending_ = at;
        return false;
    }
    if (!watched->isWidgetType())
        return false;
    if (pending_ == at)
        pending_.reset();
    if (std::find(interrupted_.begin(), interrupted_.end(), at) != interrupted_.end())
        return true;
    // A press made after the modal windows closed: the ones they interrupted have all arrived.
    if (QApplication::activeModalWidget() == nullptr)
        interrupted_.clear();
    return false;
}
