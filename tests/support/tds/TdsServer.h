#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <sys/types.h>

#include <vector>

// The scripted TDS server (tds_server.py) as a child process for the life of the object, on a
// free port of 127.0.0.1 that the server picks and reports; the FreeTDS ODBC driver logs in to it.
// The test scripts its answers here and reads back what the driver sent. The process ends with
// the object, and on its own when the test process dies (its standard input closes).
class TdsServer {
public:
    // Starts it with an empty script: every login is accepted, every batch succeeds with
    // nothing. Throws std::runtime_error when it does not start.
    TdsServer();
    ~TdsServer();
    TdsServer(const TdsServer&) = delete;
    TdsServer& operator=(const TdsServer&) = delete;

    int Port() const { return port_; }
    // The server as a user types it: "127.0.0.1,<port>".
    QString DataSource() const;

    // How logins are answered: "accept", "refuse" (error 18456) or "silent" (the connection is
    // accepted and never answered).
    TdsServer& Login(const QString& mode);
    // The databases that exist; a login to another one fails with error 4060.
    TdsServer& Databases(const QStringList& names);
    // Whether a commit or rollback refused for want of a transaction (3902, 3903) still begins
    // the next one when the request asks for it; it does unless told otherwise.
    TdsServer& BeginAfterRefusal(bool begins);
    // The answer to a batch of exactly this text, or holding this part; the newest rule that
    // matches a batch answers it.
    TdsServer& On(const QString& text, const QJsonArray& answer);
    TdsServer& OnContaining(const QString& part, const QJsonArray& answer);

    // The results an answer is made of.
    struct Column {
        QString name;
        QString type; // "nvarchar" or "int"
    };
    // A result set; a NULL is an invalid QVariant.
    static QJsonObject Rows(const std::vector<Column>& columns,
                            const std::vector<std::vector<QVariant>>& rows);
    static QJsonObject Count(int rows);
    static QJsonObject Error(int number, const QString& message, int severity = 16, int state = 1,
                             int line = 1);
    static QJsonObject Print(const QString& message);
    static QJsonObject Delay(double seconds);
    // The server rolls the connection's open transaction back itself, as it does for a deadlock
    // victim (1205) or an error under SET XACT_ABORT ON.
    static QJsonObject Rollback();
    // The connection is lost: the server closes it without a word.
    static QJsonObject Disconnect();

    // Everything the server was sent, in order: one object per login, batch, transaction request
    // and attention (see tds_server.py).
    std::vector<QJsonObject> Events() const;
    // The same, one line each: "login <user> <database>", "batch <text>" (inside a transaction
    // "batch[T<n>] <text>"), "begin T<n>", "commit T<n>" or "rollback T<n>" (followed by
    // ", begin T<m>" when the request opens the next one at once), "attention".
    QStringList Log() const;
    // The texts of the batches.
    QStringList Batches() const;

private:
    // Closes the server's input, which ends it; kills it when it does not end soon.
    void Stop();
    void WriteScript() const;

    QTemporaryDir directory_;
    QJsonObject script_;
    QJsonArray rules_;
    pid_t pid_ = -1;
    int input_ = -1; // the server's standard input: it ends when this closes
    int port_ = 0;
};
