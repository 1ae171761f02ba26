#include "platform/rtl/StringList.h"

#include "platform/rtl/Exceptions.h"

#include <QBuffer>
#include <QIODevice>

#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

TStringList::TStringList(std::initializer_list<const char*> lines) {
    for (const char* line : lines)
        Add(QByteArrayView(line));
}

namespace {

void CheckSize(qsizetype size) {
    if (size > qsizetype(std::numeric_limits<quint32>::max()))
        throw EOutOfMemory(QStringLiteral("Out of memory"));
}

} // namespace

void TStringList::Add(QByteArrayView line) {
    CheckSize(text_.size() + line.size());
    lines_.push_back({quint32(text_.size()), quint32(line.size())});
    text_.append(line);
}

void TStringList::Clear() {
    lines_.clear();
    text_.clear();
}

void TStringList::SetText(AnsiString text) {
    qsizetype size = text.size();
    if (const void* nul = std::memchr(text.constData(), 0, std::size_t(size)))
        size = static_cast<const char*>(nul) - text.constData();
    CheckSize(size);
    lines_.clear();
    text_ = std::move(text);
    const char* p = text_.constData();
    lines_.reserve(std::size_t(size / 32 + 1));

    qsizetype start = 0;
    // Called for every CR or LF in ascending order; the LF of a CR LF pair is skipped.
    auto lineEnd = [&](qsizetype pos) {
        if (pos < start)
            return;
        lines_.push_back({quint32(start), quint32(pos - start)});
        start = (p[pos] == '\r' && pos + 1 < size && p[pos + 1] == '\n') ? pos + 2 : pos + 1;
    };

    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        unsigned mask =
            unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        while (mask != 0) {
            lineEnd(i + __builtin_ctz(mask));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < size; ++i)
        if (p[i] == '\r' || p[i] == '\n')
            lineEnd(i);
    if (start < size)
        lines_.push_back({quint32(start), quint32(size - start)});
}

AnsiString TStringList::Text() const {
    AnsiString out;
    out.reserve(text_.size() + 2 * qsizetype(lines_.size()));
    for (int i = 0; i < Count(); ++i) {
        out.append((*this)[i]);
        out.append("\r\n", 2);
    }
    return out;
}

void TStringList::LoadFromStream(QIODevice& stream) {
    // A buffer's bytes are shared, not copied: a script mapped from the program's resources then
    // costs no second copy of its ten megabytes.
    if (auto* buffer = qobject_cast<QBuffer*>(&stream)) {
        const qint64 from = buffer->pos();
        AnsiString text = from == 0 ? buffer->data() : buffer->data().mid(from);
        buffer->seek(buffer->size());
        SetText(std::move(text));
        return;
    }
    SetText(stream.readAll());
}
