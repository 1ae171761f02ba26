#pragma once

#include "platform/ado/OdbcHandle.h"
#include "platform/rtl/Exceptions.h"

#include <QString>

#include <optional>
#include <utility>

// A diagnostic message split into its text and the component that raised it. ODBC prefixes a
// message with bracketed names, "[vendor][component][data source]", as in
// "[FreeTDS][SQL Server]Login failed for user 'sa'."; the component is the last of them, empty
// when the message has none.
struct TOdbcMessage {
    QString Text;
    QString Component;
};
TOdbcMessage SplitOdbcMessage(const QString& message);

// The diagnostics that the calls on one statement or connection leave, read after every call
// (the next call clears them). A call that returns SQL_ERROR fails with its first error record,
// or for a refused login with the server's cause beside the generic "Login failed" (18456);
// informational records (PRINT, SQLSTATE 01xxx) are no failures.
class TOdbcDiagnostics {
public:
    // `driver` names the source of an error whose message has no prefix.
    explicit TOdbcDiagnostics(QString driver) : driver_(std::move(driver)) {}

    // To be called after every call on `handle`, with its result `rc`, which it returns. A call
    // that failed (SQL_ERROR, SQL_INVALID_HANDLE) has its records read; the first failure is kept.
    SQLRETURN Collect(SQLRETURN rc, const TOdbcHandle& handle);
    const QString& Driver() const { return driver_; }
    // The SQLSTATE of the latest failed call.
    const QString& LastFailureState() const { return lastFailureState_; }
    // Raises the first failure kept, as EOleException; does nothing when there was none.
    void RaiseIfFailed() const;

private:
    QString driver_;
    std::optional<EOleException> error_;
    QString lastFailureState_;
};

// The checked call: raises EOleException from the handle's diagnostics when `rc` is SQL_ERROR or
// SQL_INVALID_HANDLE, otherwise returns `rc`.
SQLRETURN OdbcCheck(SQLRETURN rc, const TOdbcHandle& handle, const QString& driver);
