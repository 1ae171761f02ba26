#include "platform/gui/Controls.h"

#include <QCoreApplication>
#include <QEvent>
#include <QRect>
#include <QResizeEvent>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

template <class T> T* DirectChild(const QObject* parent) {
    for (QObject* child : parent->children())
        if (auto* found = dynamic_cast<T*>(child))
            return found;
    return nullptr;
}

// Qt sends a hidden widget its resize event only when it is shown, and a hidden child's (a scroll
// area's viewport, say) only when that child is shown. The class library lays a window out and
// measures it before showing it, so the held-back events are sent here, parents first.
void DeliverPendingResize(QWidget* widget) {
    if (widget->testAttribute(Qt::WA_PendingResizeEvent)) {
        widget->setAttribute(Qt::WA_PendingResizeEvent, false);
        QResizeEvent resize(widget->size(), QSize());
        QCoreApplication::sendEvent(widget, &resize);
    }
    for (QObject* child : widget->children()) {
        auto* childWidget = qobject_cast<QWidget*>(child);
        if (childWidget != nullptr && !childWidget->isWindow())
            DeliverPendingResize(childWidget);
    }
}

void ApplyGeometry(QWidget* widget, const QRect& bounds) {
    widget->setGeometry(bounds);
    if (!widget->isVisible())
        DeliverPendingResize(widget);
}

bool IsAligned(TAlign align) {
    return align != alNone && align != alCustom;
}

// Lays out the aligned and anchored children of one container whenever its size or its client
// area changes.
class TAlignEngine : public QObject {
public:
    explicit TAlignEngine(QWidget* container) : QObject(container), container_(container) {
        container->installEventFilter(this);
    }

    static TAlignEngine& Of(QWidget* container) {
        auto* engine = DirectChild<TAlignEngine>(container);
        return engine != nullptr ? *engine : *new TAlignEngine(container);
    }

    // Lays the children out; among the controls of one alignment that stand at the same place,
    // the one that is being placed (if any) comes first.
    void Realign(const QWidget* placing = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == container_ &&
            (event->type() == QEvent::Resize || event->type() == QEvent::ContentsRectChange))
            Realign();
        return false;
    }

private:
    QWidget* container_;
    bool aligning_ = false;
};

// The alignment and anchors of one control, and the distances its anchors keep.
class TPlacement : public QObject {
public:
    explicit TPlacement(QWidget* control) : QObject(control), control_(control) {
        control->installEventFilter(this);
    }

    static TPlacement* Find(const QWidget* control) { return DirectChild<TPlacement>(control); }

    static TPlacement& Of(QWidget* control) {
        if (TPlacement* placement = Find(control))
            return *placement;
        auto* placement = new TPlacement(control);
        if (QWidget* parent = control->parentWidget())
            TAlignEngine::Of(parent);
        return *placement;
    }

    void RecordAnchors() {
        anchorBounds = control_->geometry();
        if (const QWidget* parent = control_->parentWidget())
            anchorParentSize = parent->size();
    }

    void RealignParent() const {
        if (QWidget* parent = control_->parentWidget())
            if (auto* engine = DirectChild<TAlignEngine>(parent))
                engine->Realign(control_);
    }

    TAlign align = alNone;
    TAnchors anchors = DefaultAnchors;
    QRect anchorBounds;
    QSize anchorParentSize;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A control that is shown or hidden gives its strip back or takes it.
        if (watched == control_ && IsAligned(align) &&
            (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
            RealignParent();
        return false;
    }

private:
    QWidget* control_;
};

// Where an alNone control's edge pair goes along one axis when the parent's extent changes from
// oldSize to newSize: the position and extent it gets.
std::pair<int, int> Follow(bool nearEdge, bool farEdge, int position, int extent, int oldSize,
                           int newSize) {
    if (nearEdge && farEdge)
        return {position, std::max(0, extent + newSize - oldSize)};
    if (farEdge)
        return {position + newSize - oldSize, extent};
    if (nearEdge || oldSize <= 0)
        return {position, extent};
    return {(position + extent / 2) * newSize / oldSize - extent / 2, extent};
}

// The place of a control along its alignment, lowest first: the order in which controls of one
// alignment are laid out.
int Place(TAlign align, const QWidget* control) {
    switch (align) {
    case alTop:
        return control->y();
    case alBottom:
        return -(control->y() + control->height());
    case alLeft:
        return control->x();
    case alRight:
        return -(control->x() + control->width());
    default:
        return 0;
    }
}

void TAlignEngine::Realign(const QWidget* placing) {
    if (aligning_)
        return;
    aligning_ = true;
    std::vector<std::pair<QWidget*, TPlacement*>> placed;
    for (QObject* child : container_->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control == nullptr || control->isWindow())
            continue;
        if (TPlacement* placement = TPlacement::Find(control))
            placed.emplace_back(control, placement);
    }

    const QRect client = container_->contentsRect();
    int left = client.x();
    int top = client.y();
    int right = left + client.width();
    int bottom = top + client.height();
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<QWidget*> strip;
        for (const auto& [control, placement] : placed)
            if (placement->align == align && !control->isHidden())
                strip.push_back(control);
        std::stable_sort(strip.begin(), strip.end(), [&](const QWidget* a, const QWidget* b) {
            const int placeA = Place(align, a);
            const int placeB = Place(align, b);
            return placeA < placeB || (placeA == placeB && a == placing && b != placing);
        });
        for (QWidget* control : strip) {
            const int width = std::max(0, right - left);
            const int height = std::max(0, bottom - top);
            switch (align) {
            case alTop:
                ApplyGeometry(control, QRect(left, top, width, control->height()));
                top += control->height();
                break;
            case alBottom:
                ApplyGeometry(control,
                              QRect(left, bottom - control->height(), width, control->height()));
                bottom -= control->height();
                break;
            case alLeft:
                ApplyGeometry(control, QRect(left, top, control->width(), height));
                left += control->width();
                break;
            case alRight:
                ApplyGeometry(control,
                              QRect(right - control->width(), top, control->width(), height));
                right -= control->width();
                break;
            default:
                ApplyGeometry(control, QRect(left, top, width, height));
                break;
            }
        }
    }

    const QSize size = container_->size();
    for (const auto& [control, placement] : placed) {
        if (placement->align != alNone || placement->anchors == DefaultAnchors)
            continue;
        const TAnchors anchors = placement->anchors;
        const QRect& was = placement->anchorBounds;
        const QSize& parentWas = placement->anchorParentSize;
        const auto [x, width] = Follow(anchors & akLeft, anchors & akRight, was.x(), was.width(),
                                       parentWas.width(), size.width());
        const auto [y, height] = Follow(anchors & akTop, anchors & akBottom, was.y(), was.height(),
                                        parentWas.height(), size.height());
        ApplyGeometry(control, QRect(x, y, width, height));
    }
    aligning_ = false;
}

} // namespace

void SetBounds(QWidget* control, int left, int top, int width, int height) {
    ApplyGeometry(control, QRect(left, top, width, height));
    if (TPlacement* placement = TPlacement::Find(control)) {
        placement->RecordAnchors();
        if (IsAligned(placement->align))
            placement->RealignParent();
    }
}

void SetAlign(QWidget* control, TAlign align) {
    TPlacement& placement = TPlacement::Of(control);
    placement.align = align;
    if (align == alNone)
        placement.RecordAnchors();
    placement.RealignParent();
}

TAlign Align(const QWidget* control) {
    const TPlacement* placement = TPlacement::Find(control);
    return placement != nullptr ? placement->align : alNone;
}

void SetAnchors(QWidget* control, TAnchors anchors) {
    TPlacement& placement = TPlacement::Of(control);
    placement.anchors = anchors;
    placement.RecordAnchors();
}

TAnchors Anchors(const QWidget* control) {
    const TPlacement* placement = TPlacement::Find(control);
    return placement != nullptr ? placement->anchors : DefaultAnchors;
}

void ResizeNow(QWidget* widget, const QSize& size) {
    widget->resize(size);
    if (!widget->isVisible())
        DeliverPendingResize(widget);
}

bool CanFocus(const QWidget* control) {
    return control->isVisible() && control->isEnabled();
}

bool FocusedControlWantsKey(const QWidget* form, Word key, TShiftState shift) {
    for (const QWidget* w = form->focusWidget(); w != nullptr && w != form; w = w->parentWidget())
        if (const auto* query = dynamic_cast<const TDialogCodeQuery*>(w);
            query != nullptr && query->WantsKey(key, shift))
            return true;
    return false;
}
