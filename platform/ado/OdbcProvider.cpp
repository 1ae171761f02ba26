#include "platform/ado/ADODB.h"

#include "platform/ado/ConnectionString.h"
#include "platform/ado/OdbcConnectionString.h"
#include "platform/ado/OdbcDiagnostics.h"
#include "platform/ado/OdbcHandle.h"

#include <QByteArray>

#include <algorithm>
#include <iterator>
#include <optional>
#include <type_traits>
#include <vector>

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16");

// ODBC's W functions take QString's UTF-16 as it is; they do not write to it.
SQLWCHAR* Wide(const QString& text) {
    return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16()));
}

SQLPOINTER Integer(SQLULEN value) {
    return reinterpret_cast<SQLPOINTER>(value);
}

// How a column's values are fetched.
enum class TFetchAs { Boolean, Integer, BigInteger, Double, Text, Bytes };

TFetchAs FetchAs(SQLSMALLINT dataType, SQLSMALLINT decimalDigits, SQLULEN columnSize) {
    switch (dataType) {
    case SQL_BIT:
        return TFetchAs::Boolean;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
        return TFetchAs::Integer;
    case SQL_BIGINT:
        return TFetchAs::BigInteger;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return decimalDigits == 0 && columnSize <= 18 ? TFetchAs::BigInteger : TFetchAs::Double;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return TFetchAs::Double;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return TFetchAs::Bytes;
    default:
        return TFetchAs::Text;
    }
}

// One statement: executed once, then every result set drained. A failure is kept until the
// last result is read, so the statement is never freed with results pending (FreeTDS would
// send an ATTENTION that aborts the rest of the batch).
class TOdbcStatement {
public:
    TOdbcStatement(const TOdbcHandle& connection, const QString& driver)
        : handle_(SQL_HANDLE_STMT, connection), diagnostics_(driver) {}

    TADORecordset Execute(const QString& text, int timeoutSeconds, bool returnsRecords) {
        OdbcCheck(SQLSetStmtAttrW(handle_.Handle(), SQL_ATTR_QUERY_TIMEOUT,
                                  Integer(SQLULEN(std::max(timeoutSeconds, 0))), 0),
                  handle_, diagnostics_.Driver());
        TADORecordset records;
        bool fetched = !returnsRecords;
        SQLRETURN rc =
            Collect(SQLExecDirectW(handle_.Handle(), Wide(text), SQLINTEGER(text.size())));
        // Every result is read, also after an error or SQL_NO_DATA (a first statement that
        // changed no rows): FreeTDS reports the error of a later statement of a batch only from
        // SQLMoreResults.
        for (;;) {
            if (SQL_SUCCEEDED(rc) && !fetched) {
                SQLSMALLINT columns = 0;
                if (SQL_SUCCEEDED(Collect(SQLNumResultCols(handle_.Handle(), &columns))) &&
                    columns > 0) {
                    records = FetchAll(columns);
                    fetched = true;
                }
            }
            rc = Collect(SQLMoreResults(handle_.Handle()));
            if (rc == SQL_NO_DATA || rc == SQL_INVALID_HANDLE || (rc == SQL_ERROR && NothingLeft()))
                break;
        }
        diagnostics_.RaiseIfFailed();
        return records;
    }

private:
    SQLRETURN Collect(SQLRETURN rc) { return diagnostics_.Collect(rc, handle_); }

    // After a failed SQLMoreResults: a lost connection (SQLSTATE class 08), a statement with no
    // results in the driver's view (HY010) or a driver without batches (IM001) has no further
    // result to move to.
    bool NothingLeft() const {
        const QString& state = diagnostics_.LastFailureState();
        return state.startsWith(u"08") || state == u"HY010" || state == u"IM001";
    }

    TADORecordset FetchAll(SQLSMALLINT columns) {
        std::vector<TFetchAs> kinds;
        for (SQLUSMALLINT column = 1; column <= columns; ++column) {
            SQLSMALLINT dataType = 0;
            SQLULEN columnSize = 0;
            SQLSMALLINT decimalDigits = 0;
            SQLSMALLINT nullable = 0;
            if (!SQL_SUCCEEDED(
                    Collect(SQLDescribeColW(handle_.Handle(), column, nullptr, 0, nullptr,
                                            &dataType, &columnSize, &decimalDigits, &nullable))))
                return {};
            kinds.push_back(FetchAs(dataType, decimalDigits, columnSize));
        }
        std::vector<std::vector<QVariant>> rows;
        while (SQL_SUCCEEDED(Collect(SQLFetch(handle_.Handle())))) {
            std::vector<QVariant> row;
            row.reserve(kinds.size());
            for (SQLUSMALLINT column = 1; column <= columns; ++column) {
                std::optional<QVariant> value = Value(column, kinds[column - 1]);
                if (!value)
                    return {columns, std::move(rows)};
                row.push_back(std::move(*value));
            }
            rows.push_back(std::move(row));
        }
        return {columns, std::move(rows)};
    }

    // The value of `column` in the current row; none when reading failed.
    std::optional<QVariant> Value(SQLUSMALLINT column, TFetchAs kind) {
        switch (kind) {
        case TFetchAs::Boolean:
            return Fixed<SQLCHAR>(column, SQL_C_BIT, [](SQLCHAR v) { return QVariant(v != 0); });
        case TFetchAs::Integer:
            return Fixed<SQLINTEGER>(column, SQL_C_SLONG,
                                     [](SQLINTEGER v) { return QVariant(int(v)); });
        case TFetchAs::BigInteger:
            return Fixed<SQLBIGINT>(column, SQL_C_SBIGINT,
                                    [](SQLBIGINT v) { return QVariant(qlonglong(v)); });
        case TFetchAs::Double:
            return Fixed<SQLDOUBLE>(column, SQL_C_DOUBLE,
                                    [](SQLDOUBLE v) { return QVariant(double(v)); });
        case TFetchAs::Text:
            return Long<SQLWCHAR>(column, SQL_C_WCHAR, [](const std::vector<SQLWCHAR>& data) {
                return QVariant(QString::fromUtf16(reinterpret_cast<const char16_t*>(data.data()),
                                                   qsizetype(data.size())));
            });
        case TFetchAs::Bytes:
            return Long<char>(column, SQL_C_BINARY, [](const std::vector<char>& data) {
                return QVariant(QByteArray(data.data(), qsizetype(data.size())));
            });
        }
        return QVariant();
    }

    template <class T, class Make>
    std::optional<QVariant> Fixed(SQLUSMALLINT column, SQLSMALLINT cType, Make make) {
        T value{};
        SQLLEN indicator = 0;
        if (!SQL_SUCCEEDED(Collect(
                SQLGetData(handle_.Handle(), column, cType, &value, sizeof value, &indicator))))
            return std::nullopt;
        return indicator == SQL_NULL_DATA ? QVariant() : make(value);
    }

    // Character and binary data of any length arrive in chunks: each call fills the buffer and
    // reports 01004 (truncated) until the last chunk. Character chunks end with a terminator.
    template <class T, class Make>
    std::optional<QVariant> Long(SQLUSMALLINT column, SQLSMALLINT cType, Make make) {
        constexpr SQLLEN kTerminator = std::is_same_v<T, SQLWCHAR> ? 1 : 0;
        std::vector<T> data;
        T buffer[4096];
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN rc = Collect(
                SQLGetData(handle_.Handle(), column, cType, buffer, sizeof buffer, &indicator));
            if (rc == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(rc))
                return std::nullopt;
            if (indicator == SQL_NULL_DATA)
                return QVariant();
            const SQLLEN room = SQLLEN(std::size(buffer)) - kTerminator;
            const SQLLEN count = indicator == SQL_NO_TOTAL || indicator / SQLLEN(sizeof(T)) > room
                                     ? room
                                     : indicator / SQLLEN(sizeof(T));
            data.insert(data.end(), buffer, buffer + count);
            if (rc == SQL_SUCCESS)
                break;
        }
        return make(data);
    }

    TOdbcHandle handle_;
    TOdbcDiagnostics diagnostics_;
};

// One login, its transaction state and its statements.
class TOdbcSession final : public TADOSession {
public:
    TOdbcSession(const TOdbcConnectionString& target, int loginTimeoutSeconds)
        : driver_(target.Driver.isEmpty() ? QStringLiteral("ODBC") : target.Driver),
          environment_(TOdbcHandle::Environment()), connection_(SQL_HANDLE_DBC, environment_) {
        // Without it FreeTDS waits for ever on a server that accepts and never answers.
        Check(SQLSetConnectAttrW(connection_.Handle(), SQL_ATTR_LOGIN_TIMEOUT,
                                 Integer(SQLULEN(std::max(loginTimeoutSeconds, 0))), 0));
        Check(SQLDriverConnectW(connection_.Handle(), nullptr, Wide(target.Text),
                                SQLSMALLINT(target.Text.size()), nullptr, 0, nullptr,
                                SQL_DRIVER_NOPROMPT));
    }

    ~TOdbcSession() override {
        // An open transaction ends with the connection, rolled back; nothing here may throw.
        if (inTransaction_)
            SQLEndTran(SQL_HANDLE_DBC, connection_.Handle(), SQL_ROLLBACK);
        SQLDisconnect(connection_.Handle());
    }

    TADORecordset Execute(const QString& commandText, int timeoutSeconds,
                          bool returnsRecords) override {
        return TOdbcStatement(connection_, driver_)
            .Execute(commandText, timeoutSeconds, returnsRecords);
    }

    void BeginTrans() override {
        SetAutocommit(false);
        inTransaction_ = true;
    }

    // FreeTDS rolls an open transaction back when autocommit is switched on, and SQLEndTran in
    // autocommit mode sends nothing: so the transaction ends first, then autocommit returns.
    void CommitTrans() override { EndTransaction(SQL_COMMIT); }
    void RollbackTrans() override { EndTransaction(SQL_ROLLBACK); }
    bool InTransaction() const override { return inTransaction_; }

private:
    // SQL Server's answer to a commit (3902) or rollback (3903) when it has no transaction: it
    // had rolled the transaction back itself (a deadlock victim, an error under XACT_ABORT, a
    // trigger's ROLLBACK).
    static bool NoTransactionOnTheServer(const EOleException& failure) {
        return failure.ErrorCode() == 3902 || failure.ErrorCode() == 3903;
    }

    void Check(SQLRETURN rc) { OdbcCheck(rc, connection_, driver_); }

    SQLRETURN SetAutocommitAttribute(bool on) {
        return SQLSetConnectAttrW(connection_.Handle(), SQL_ATTR_AUTOCOMMIT,
                                  Integer(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
    }
    void SetAutocommit(bool on) { Check(SetAutocommitAttribute(on)); }

    // A failure of the end passes on. When the server refused the end for want of a transaction
    // the session is back in autocommit with none; any other failure, a lost connection among
    // them, leaves it in the transaction.
    void EndTransaction(SQLSMALLINT completion) {
        try {
            Check(SQLEndTran(SQL_HANDLE_DBC, connection_.Handle(), completion));
        } catch (const EOleException& failure) {
            if (NoTransactionOnTheServer(failure))
                ReturnToAutocommit();
            throw;
        }
        inTransaction_ = false;
        SetAutocommit(true);
    }

    // FreeTDS leaves manual commit by a rollback, which the server refuses as well when its
    // refusal of the end began no next transaction: one begun here gives the switch a
    // transaction to end. Should that fail too, the session stays in the transaction; in a manual
    // commit that begins nothing on the server a later transaction would run in autocommit.
    void ReturnToAutocommit() {
        if (!SQL_SUCCEEDED(SetAutocommitAttribute(true))) {
            try {
                Execute(QStringLiteral("BEGIN TRANSACTION"), 0, false);
            } catch (const EOleException&) {
                return;
            }
            if (!SQL_SUCCEEDED(SetAutocommitAttribute(true)))
                return;
        }
        inTransaction_ = false;
    }

    QString driver_;
    TOdbcHandle environment_;
    TOdbcHandle connection_;
    bool inTransaction_ = false;
};

class TOdbcProvider final : public TADOProvider {
public:
    std::unique_ptr<TADOSession> Open(const QString& connectionString,
                                      int connectionTimeoutSeconds) override {
        const TConnectionStringPairs pairs = ParseConnectionString(connectionString);
        return std::make_unique<TOdbcSession>(ToOdbcConnectionString(pairs, InstalledOdbcDrivers()),
                                              connectionTimeoutSeconds);
    }
};

} // namespace

std::shared_ptr<TADOProvider> OdbcProvider() {
    return std::make_shared<TOdbcProvider>();
}
