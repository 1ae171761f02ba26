#pragma once

#include <QString>

#include <utility>
#include <vector>

// OLE DB connection strings: "Key=Value;Key=Value". A value that holds ";", a quotation mark or
// an apostrophe, or that starts or ends with a blank, is enclosed in double quotes with every
// inner double quote doubled; a value in single quotes doubles its apostrophes instead.

using TConnectionStringPairs = std::vector<std::pair<QString, QString>>;

// The value as it has to stand in a connection string; unchanged unless it needs the quotes.
QString QuoteConnectionStringValue(const QString& value);

// The pairs in order, keys trimmed of blanks, values unquoted. An empty piece between two ";" is
// skipped. Raises EDatabaseError for a piece without "=" or an unterminated quote.
TConnectionStringPairs ParseConnectionString(const QString& connectionString);

// The value of the last pair whose key equals `key` without regard to case; empty if none.
QString ConnectionStringValue(const TConnectionStringPairs& pairs, const QString& key);
