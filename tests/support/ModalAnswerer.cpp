#include "tests/support/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPushButton>

ModalAnswerer::ModalAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

ModalAnswerer::~ModalAnswerer() {
    timer_.stop();
}

ModalAnswerer& ModalAnswerer::Then(Answer answer) {
    answers_.push_back(std::move(answer));
    return *this;
}

ModalAnswerer& ModalAnswerer::Click(QMessageBox::StandardButton button) {
    return Then([button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box != nullptr && box->button(button) != nullptr)
            box->button(button)->click();
        else if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
    });
}

QStringList ModalAnswerer::Texts() const {
    QStringList texts;
    for (const Seen& s : seen_)
        texts << s.text;
    return texts;
}

void ModalAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == current_.data() || !modal->isVisible())
        return;
    current_ = modal;
    Seen seen;
    seen.className = QString::fromLatin1(modal->metaObject()->className());
    seen.title = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        if (box->defaultButton() != nullptr)
            seen.defaultButton = box->defaultButton()->text();
    }
    seen.answered = !answers_.empty();
    seen_.push_back(seen);
    // Answer outside the poll, so a nested modal loop the answer opens does not run inside it.
    Answer answer = seen.answered ? std::move(answers_.front()) : Answer();
    if (seen.answered)
        answers_.pop_front();
    QPointer<QWidget> target = modal;
    QTimer::singleShot(0, [target, answer] {
        if (target.isNull())
            return;
        if (answer)
            answer(target.data());
        else if (auto* dialog = qobject_cast<QDialog*>(target.data()))
            dialog->reject();
        else
            target->close();
    });
}
