#pragma once

#include <QString>

#include <utility>
#include <vector>

// OLE DB connection strings: "Key=Value;Key=Value". QuoteConnectionStringValue and
// ParseConnectionString are one pair: for every text, the parse of "Key=" followed by the quoted
// text gives back exactly that text, whatever stands before or after the pair. Both are pure
// functions of their arguments.

using TConnectionStringPairs = std::vector<std::pair<QString, QString>>;

// The value as it has to stand in a connection string. A value that would not come back
// unchanged (it starts with "=", starts or ends with white space, which the parse trims) or that
// holds ";", a quotation mark or an apostrophe is enclosed in double quotes with every inner
// double quote doubled; every other value stands as it is.
QString QuoteConnectionStringValue(const QString& value);

// The pairs in order. A key runs up to the first single "=" ("==" stands for "=" in a key); keys
// and unquoted values are trimmed of white space; a value in double quotes or apostrophes is
// taken as it stands between them, with the doubled quote standing for one. An empty piece
// between two ";" is skipped. Raises EDatabaseError for a piece without "=", an unterminated
// quote or text after a closing quote; the message names the position or the key, never the
// text of the string.
TConnectionStringPairs ParseConnectionString(const QString& connectionString);

// The value of the last pair whose key equals `key` without regard to case; empty if none.
QString ConnectionStringValue(const TConnectionStringPairs& pairs, const QString& key);
