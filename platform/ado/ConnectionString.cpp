#include "platform/ado/ConnectionString.h"

#include "platform/rtl/Exceptions.h"

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

[[noreturn]] void Malformed(const QString& connectionString) {
    throw EDatabaseError(QStringLiteral("Malformed connection string: %1").arg(connectionString));
}

} // namespace

QString QuoteConnectionStringValue(const QString& value) {
    const bool needsQuotes =
        value.contains(u';') || value.contains(u'"') || value.contains(u'\'') ||
        (!value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back())));
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
        key = key.trimmed();
        if (i >= n || s[i] == u';') {
            if (!key.isEmpty())
                Malformed(s);
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
                    Malformed(s);
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
                Malformed(s);
        } else {
            while (i < n && s[i] != u';')
                value += s[i++];
            value = value.trimmed();
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
