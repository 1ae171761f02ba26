#pragma once

#include "platform/ado/ADODB.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// A scripted database server behind TADOConnection. It records every call with the transaction
// state it came in, and answers each command by the newest rule that matches it; a command that
// no rule matches succeeds with no rows.
class FakeServer : public TADOProvider {
public:
    enum class Kind { Open, Execute, Begin, Commit, Rollback, Close };
    struct Call {
        Kind kind;
        QString text;    // the command, or the connection string of Open
        int timeout = 0; // seconds: command or connection time-out
        bool returnsRecords = false;
        bool inTransaction = false;
        int session = 0; // 1 for the first session opened, and so on
    };
    using Handler = std::function<TADORecordset(const QString& text)>;
    using Predicate = std::function<bool(const QString& text)>;

    static std::shared_ptr<FakeServer> Create() { return std::make_shared<FakeServer>(); }

    FakeServer& On(Predicate matches, Handler handler);
    FakeServer& OnText(const QString& exact, Handler handler);
    FakeServer& OnContaining(const QString& part, Handler handler);

    // Answers: rows of one field each, rows of several fields, a server error, a data-access
    // error.
    static Handler Value(const QVariant& value);
    static Handler Rows(int fieldCount, std::vector<std::vector<QVariant>> rows);
    static Handler ServerError(const QString& message, int nativeError = 50000);
    static Handler LayerError(const QString& message);

    // Called on Open with the connection string; may throw to refuse the login.
    std::function<void(const QString& connectionString)> OnOpen;
    // Called when a transaction commits or rolls back (after it is recorded); may throw, which
    // leaves the transaction open.
    std::function<void()> OnCommit;
    std::function<void()> OnRollback;

    const std::vector<Call>& Calls() const { return calls_; }
    std::vector<Call> Executed() const;
    QStringList ExecutedTexts() const;
    // One line per call: "open", "exec <text>", "begin", "commit", "rollback", "close"; an
    // execution inside a transaction reads "exec[T] <text>".
    QStringList Log() const;
    int OpenSessions() const { return openSessions_; }
    bool InTransaction() const { return inTransaction_; }

    std::unique_ptr<TADOSession> Open(const QString& connectionString,
                                      int connectionTimeoutSeconds) override;

private:
    class Session;
    struct Rule {
        Predicate matches;
        Handler handler;
    };

    std::vector<Rule> rules_;
    std::vector<Call> calls_;
    int sessions_ = 0;
    int openSessions_ = 0;
    bool inTransaction_ = false;
};
