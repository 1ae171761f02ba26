#pragma once

#include "platform/gui/Controls.h"

#include <QLabel>
#include <QPlainTextEdit>

// A label that tells when it is clicked with the left button.
class TLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void OnClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A multi-line text. By default it wraps words and has no scroll bars; its frame, scroll bars,
// colours and read-only state are the text edit's own.
class TMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TMemo(QWidget* parent = nullptr);

    void SetAlignment(TAlignment alignment);
    // The lines as shown, wrapped at the memo's width; a last line that is empty does not
    // count, so an empty memo has none.
    int LineCount() const;
    // Inserts a text line before the line with the index (0 for the top).
    void InsertLine(int index, const QString& line);

signals:
    // The memo has taken the keyboard focus.
    void OnEnter();

protected:
    void focusInEvent(QFocusEvent* event) override;
};
