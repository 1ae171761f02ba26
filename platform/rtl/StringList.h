#pragma once

#include "platform/rtl/CodePage.h"

#include <QByteArray>
#include <QByteArrayView>

#include <initializer_list>
#include <vector>

class QIODevice;

// A list of 8-bit text lines (Windows-1250), as an update script is held. The lines live in one
// shared buffer, so a script of ten megabytes costs its own size plus a few bytes a line.
class TStringList {
public:
    TStringList() = default;
    TStringList(std::initializer_list<const char*> lines);

    int Count() const { return int(lines_.size()); }
    // Line i, without its line end; valid until the list changes.
    QByteArrayView operator[](int i) const {
        const Line& l = lines_[std::size_t(i)];
        return QByteArrayView(text_.constData() + l.start, l.length);
    }

    // Raises EOutOfMemory when the list would hold 4 GB or more.
    void Add(QByteArrayView line);
    void Clear();

    // Replaces the content by the lines of text: CR LF, a lone CR or a lone LF ends a line, the
    // line ends are not kept, a last line without an end still counts, and a NUL byte ends the
    // text. A text of 4 GB or more raises EOutOfMemory.
    void SetText(AnsiString text);
    // Every line followed by CR LF.
    AnsiString Text() const;

    // Reads the whole stream as 8-bit text, without code-page conversion, into SetText.
    void LoadFromStream(QIODevice& stream);

private:
    // Eight bytes a line keep the index of a 288,000-line script small; a text is at most 4 GB.
    struct Line {
        quint32 start;
        quint32 length;
    };
    AnsiString text_;
    std::vector<Line> lines_;
};
