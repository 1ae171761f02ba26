#include "platform/ado/OdbcDiagnostics.h"

#include <algorithm>
#include <vector>

namespace {

struct TRecord {
    QString sqlState;
    int nativeError = 0;
    QString message;
};

std::vector<TRecord> ReadRecords(const TOdbcHandle& handle) {
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16");
    std::vector<TRecord> records;
    for (SQLSMALLINT number = 1;; ++number) {
        SQLWCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER nativeError = 0;
        std::vector<SQLWCHAR> text(SQL_MAX_MESSAGE_LENGTH);
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handle.Type(), handle.Handle(), number, state, &nativeError,
                                      text.data(), SQLSMALLINT(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
            text.resize(std::size_t(length) + 1);
            rc = SQLGetDiagRecW(handle.Type(), handle.Handle(), number, state, &nativeError,
                                text.data(), SQLSMALLINT(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            return records;
        records.push_back(
            {QString::fromUtf16(reinterpret_cast<const char16_t*>(state)), int(nativeError),
             QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()),
                                std::min<qsizetype>(length, qsizetype(text.size()) - 1))});
    }
}

bool IsInformational(const TRecord& record) {
    return record.sqlState.startsWith(QStringLiteral("01"));
}

// SQL Server follows the cause of a refused login (4060, a database that does not exist) with
// its generic 18456 "Login failed for user"; FreeTDS ranks the records by severity, which puts
// the generic one first. The cause is what the user needs to read.
constexpr int kLoginFailed = 18456;

const TRecord* LoginFailureCause(const std::vector<TRecord>& records) {
    for (const TRecord& record : records)
        if (!IsInformational(record) && record.nativeError != 0 &&
            record.nativeError != kLoginFailed)
            return &record;
    return nullptr;
}

EOleException Failure(const std::vector<TRecord>& records, const QString& driver) {
    if (records.empty())
        return EOleException(QStringLiteral("The ODBC call failed without a diagnostic record"), 0,
                             driver, QString(), 0);
    const TRecord* error = &records.front();
    for (const TRecord& record : records)
        if (!IsInformational(record)) {
            error = &record;
            break;
        }
    if (error->nativeError == kLoginFailed)
        if (const TRecord* cause = LoginFailureCause(records))
            error = cause;
    TOdbcMessage message = SplitOdbcMessage(error->message);
    return EOleException(message.Text, error->nativeError,
                         message.Component.isEmpty() ? driver : message.Component, QString(), 0,
                         error->sqlState);
}

} // namespace

TOdbcMessage SplitOdbcMessage(const QString& message) {
    // At most the three names of ODBC's format; after "[SQL Server]" the server's own text
    // follows, which may begin with a bracket of its own.
    TOdbcMessage split{message, QString()};
    for (int names = 0; names < 3 && split.Text.startsWith(u'['); ++names) {
        const qsizetype close = split.Text.indexOf(u']');
        if (close < 0)
            break;
        split.Component = split.Text.mid(1, close - 1);
        split.Text = split.Text.mid(close + 1);
        if (split.Component == QStringLiteral("SQL Server"))
            break;
    }
    return split;
}

SQLRETURN TOdbcDiagnostics::Collect(SQLRETURN rc, const TOdbcHandle& handle) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return rc;
    EOleException failure = Failure(ReadRecords(handle), driver_);
    lastFailureState_ = failure.SqlState();
    if (!error_)
        error_ = std::move(failure);
    return rc;
}

void TOdbcDiagnostics::RaiseIfFailed() const {
    if (error_)
        throw *error_;
}

SQLRETURN OdbcCheck(SQLRETURN rc, const TOdbcHandle& handle, const QString& driver) {
    TOdbcDiagnostics diagnostics(driver);
    diagnostics.Collect(rc, handle);
    diagnostics.RaiseIfFailed();
    return rc;
}
