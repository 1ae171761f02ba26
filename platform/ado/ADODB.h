#pragma once

#include "platform/rtl/CodePage.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

// The data-access components the engine talks to: a connection, a query and the record set of a
// text command. They run on a provider: ODBC in the program, a scripted server in tests.

// The rows of a command's first result set, all fetched (a client-side cursor).
class TADORecordset {
public:
    TADORecordset() = default;
    TADORecordset(int fieldCount, std::vector<std::vector<QVariant>> rows);

    int RecordCount() const { return int(rows_.size()); }
    int FieldCount() const { return fieldCount_; }
    // Field `index` of the current record, which is the first one; a SQL NULL is an invalid
    // QVariant. Raises EDatabaseError on an empty record set or a field out of range.
    QVariant FieldValue(int index) const;

private:
    int fieldCount_ = 0;
    std::vector<std::vector<QVariant>> rows_;
};

// One server connection opened by a provider. Every call raises EOleException with the server's
// error when the server rejects it.
class TADOSession {
public:
    virtual ~TADOSession() = default;
    // Runs the text as one command with the given time-out in seconds (0: none), drains all of its
    // results and raises the first error any of them carries. With `returnsRecords` the rows of
    // the first result set that has columns are returned.
    virtual TADORecordset Execute(const QString& commandText, int timeoutSeconds,
                                  bool returnsRecords) = 0;
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
    // Whether a transaction is open on the server, as far as the session can tell: a commit or
    // rollback that fails leaves it open, unless the server answered that it had none.
    virtual bool InTransaction() const = 0;
};

// Opens sessions from an OLE DB-style connection string.
class TADOProvider {
public:
    virtual ~TADOProvider() = default;
    virtual std::unique_ptr<TADOSession> Open(const QString& connectionString,
                                              int connectionTimeoutSeconds) = 0;
};

// The provider of the program: ODBC with the SQL Server driver installed on the machine.
std::shared_ptr<TADOProvider> OdbcProvider();

class TADOConnection {
public:
    // Login dialog stand-in: called on Open when LoginPrompt is on, with the user name and
    // password of the connection string, which it may change.
    using TLoginEvent = std::function<void(QString& userName, QString& password)>;

    TADOConnection();
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    // Which provider opens the connection; ODBC unless a test puts another one in. Changing it
    // closes an open connection.
    void SetProvider(std::shared_ptr<TADOProvider> provider);

    QString ConnectionString;
    bool LoginPrompt = true;
    TLoginEvent OnLogin;
    int ConnectionTimeout = 15; // seconds
    int CommandTimeout = 30;    // seconds, for Execute

    // Opens the connection (nothing when it is open). On failure it stays closed.
    void Open();
    // Closes it; an open transaction ends with the server connection (the server rolls it back).
    void Close();
    bool Connected() const { return session_ != nullptr; }
    void SetConnected(bool connected);

    // Runs a text command that returns records. Raises EDatabaseError for an empty text or a
    // closed connection, EOleException when the server rejects the command.
    TADORecordset Execute(const QString& commandText);

    // Transactions: whether one is open is the session's word. A commit or rollback that fails
    // leaves it open, unless the server had already ended it (a deadlock victim, XACT_ABORT).
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return session_ && session_->InTransaction(); }

    // The open session; raises EDatabaseError when the connection is closed.
    TADOSession& Session();

private:
    std::shared_ptr<TADOProvider> provider_;
    std::unique_ptr<TADOSession> session_;
};

enum TExecuteOption : unsigned { eoExecuteNoRecords = 1u << 0 };
using TExecuteOptions = unsigned;

class TADOQuery {
public:
    TADOConnection* Connection = nullptr;
    // On: ":name" in the text is a parameter. This layer binds no parameters, so executing a
    // text that holds one raises EDatabaseError.
    bool ParamCheck = true;
    int CommandTimeout = 30; // seconds
    TExecuteOptions ExecuteOptions = 0;

    // The statement text: Windows-1250 script text is turned into Unicode here, on its way to
    // the driver.
    void SetSQL(const AnsiString& text);
    void SetSQL(const QString& text) { sql_ = text; }
    const QString& SQL() const { return sql_; }

    // Executes the statement. Raises EDatabaseError for an empty text, no connection or a closed
    // one; EOleException when the server rejects it.
    void ExecSQL();

private:
    QString sql_;
};
