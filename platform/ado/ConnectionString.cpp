#include "platform/ado/ConnectionString.h"

#include "platform/rtl/Exceptions.h"

namespace {

// What the parse trims from keys and unquoted values; the quoting protects exactly these.
bool IsBlank(QChar c) {
    return c.isSpace();
}

QString Trimmed(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && IsBlank(text[from]))
        ++from;
    while (to > from && IsBlank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

// The messages name where the string went wrong, never its text: it carries the password.
[[noreturn]] void NoEquals(qsizetype position) {
    throw EDatabaseError(
        QStringLiteral("Malformed connection string: no \"=\" in the entry at position %1")
            .arg(position + 1));
}

[[noreturn]] void Unterminated(const QString& key) {
    throw EDatabaseError(
        QStringLiteral("Malformed connection string: the value of \"%1\" has no closing quote")
            .arg(key));
}

[[noreturn]] void TextAfterQuote(const QString& key) {
    throw EDatabaseError(
        QStringLiteral("Malformed connection string: text follows the quoted value of \"%1\"")
            .arg(key));
}

} // namespace

QString QuoteConnectionStringValue(const QString& value) {
    const bool needsQuotes =
        value.contains(u';') || value.contains(u'"') || value.contains(u'\'') ||
        (!value.isEmpty() &&
         (value.front() == u'=' || IsBlank(value.front()) || IsBlank(value.back())));
    if (!needsQuotes)
        return value;
    QString quoted = value;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

TConnectionStringPairs ParseConnectionString(const QString& s) {
    TConnectionStringPairs pairs;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        // Key: up to the first single "=", where "==" stands for "=" in the key.
        QString key;
        while (i < n && s[i] != u';') {
            if (s[i] == u'=') {
                if (i + 1 < n && s[i + 1] == u'=') {
                    key += u'=';
                    i += 2;
                    continue;
                }
                break;
            }
            key += s[i++];
        }
        key = Trimmed(key);
        if (i >= n || s[i] == u';') {
            if (!key.isEmpty())
                NoEquals(start);
            ++i; // an empty piece
            continue;
        }
        ++i; // "="
        while (i < n && IsBlank(s[i]))
            ++i;
        QString value;
        if (i < n && (s[i] == u'"' || s[i] == u'\'')) {
            const QChar quote = s[i++];
            for (;;) {
                if (i >= n)
                    Unterminated(key);
                if (s[i] == quote) {
                    if (i + 1 < n && s[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += s[i++];
            }
            while (i < n && IsBlank(s[i]))
                ++i;
            if (i < n && s[i] != u';')
                TextAfterQuote(key);
        } else {
            const qsizetype end = s.indexOf(u';', i);
            value = Trimmed(s.mid(i, (end < 0 ? n : end) - i));
            i = end < 0 ? n : end;
        }
        ++i; // ";"
        pairs.emplace_back(key, value);
    }
    return pairs;
}

QString ConnectionStringValue(const TConnectionStringPairs& pairs, const QString& key) {
    QString value;
    for (const auto& [k, v] : pairs)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            value = v;
    return value;
}
