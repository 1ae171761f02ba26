#include "platform/gui/StdCtrls.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QTextBlock>

void TLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OnClick();
}

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TMemo::SetAlignment(TAlignment alignment) {
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(alignment == taCenter         ? Qt::AlignHCenter
                        : alignment == taRightJustify ? Qt::AlignRight
                                                      : Qt::AlignLeft);
    document()->setDefaultTextOption(option);
}

int TMemo::LineCount() const {
    int lines = 0;
    QTextBlock last;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        // Lays the block out at the current width when it is not laid out yet.
        document()->documentLayout()->blockBoundingRect(block);
        lines += block.layout()->lineCount();
        last = block;
    }
    if (last.isValid() && last.text().isEmpty())
        --lines;
    return lines;
}

void TMemo::InsertLine(int index, const QString& line) {
    QTextCursor cursor(document()->findBlockByNumber(index));
    cursor.insertText(line + u'\n');
}

void TMemo::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    emit OnEnter();
}
