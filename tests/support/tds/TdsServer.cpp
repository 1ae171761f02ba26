#include "tests/support/tds/TdsServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Waits for the child to end until the deadline; whether it did.
bool Reaped(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        if (waitpid(pid, nullptr, WNOHANG) != 0)
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The first line the child writes, within the deadline; empty when none comes.
std::string FirstLine(int fd, Clock::time_point deadline) {
    std::string line;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, int(left.count())) <= 0)
            return {};
        char c = 0;
        if (read(fd, &c, 1) != 1)
            return {};
        if (c == '\n')
            return line;
        line += c;
    }
}

QString TransactionName(const QJsonObject& event, const char* key) {
    return QStringLiteral("T%1").arg(event.value(QLatin1String(key)).toInt());
}

} // namespace

TdsServer::TdsServer() {
    if (!directory_.isValid())
        throw std::runtime_error("TdsServer: no temporary directory");
    WriteScript();

    // Close-on-exec everywhere, so no other child keeps this server's input open; the child's
    // own standard input and output are the dup2 copies, which stay open.
    int toServer[2], fromServer[2];
    if (pipe2(toServer, O_CLOEXEC) != 0)
        throw std::runtime_error("TdsServer: no pipe");
    if (pipe2(fromServer, O_CLOEXEC) != 0) {
        close(toServer[0]);
        close(toServer[1]);
        throw std::runtime_error("TdsServer: no pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toServer[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromServer[1], STDOUT_FILENO);
    const std::string script = directory_.filePath(QStringLiteral("script.json")).toStdString();
    const std::string log = directory_.filePath(QStringLiteral("log.jsonl")).toStdString();
    // Isolated: no user site or PYTHON* variable of the machine changes how it runs.
    const char* arguments[] = {QZ_PYTHON3,     "-I",        QZ_TDS_SERVER_SCRIPT,
                               script.c_str(), log.c_str(), nullptr};
    const int spawned = posix_spawn(&pid_, QZ_PYTHON3, &actions, nullptr,
                                    const_cast<char* const*>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toServer[0]);
    close(fromServer[1]);
    input_ = toServer[1];
    if (spawned != 0) {
        pid_ = -1;
        close(fromServer[0]);
        close(input_);
        throw std::runtime_error("TdsServer: cannot start " QZ_PYTHON3);
    }
    const std::string line = FirstLine(fromServer[0], Clock::now() + std::chrono::seconds(20));
    close(fromServer[0]);
    port_ = std::atoi(line.c_str());
    if (port_ <= 0) {
        Stop();
        throw std::runtime_error("TdsServer: the server reported no port");
    }
}

TdsServer::~TdsServer() {
    Stop();
}

void TdsServer::Stop() {
    if (input_ >= 0)
        close(input_);
    input_ = -1;
    if (pid_ > 0 && !Reaped(pid_, Clock::now() + std::chrono::seconds(5))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

QString TdsServer::DataSource() const {
    return QStringLiteral("127.0.0.1,%1").arg(port_);
}

TdsServer& TdsServer::Login(const QString& mode) {
    script_.insert(QStringLiteral("login"), mode);
    WriteScript();
    return *this;
}

TdsServer& TdsServer::Databases(const QStringList& names) {
    script_.insert(QStringLiteral("databases"), QJsonArray::fromStringList(names));
    WriteScript();
    return *this;
}

TdsServer& TdsServer::BeginAfterRefusal(bool begins) {
    script_.insert(QStringLiteral("begin_after_refusal"), begins);
    WriteScript();
    return *this;
}

TdsServer& TdsServer::On(const QString& text, const QJsonArray& answer) {
    rules_.prepend(QJsonObject{{"text", text}, {"answer", answer}});
    WriteScript();
    return *this;
}

TdsServer& TdsServer::OnContaining(const QString& part, const QJsonArray& answer) {
    rules_.prepend(QJsonObject{{"contains", part}, {"answer", answer}});
    WriteScript();
    return *this;
}

QJsonObject TdsServer::Rows(const std::vector<Column>& columns,
                            const std::vector<std::vector<QVariant>>& rows) {
    QJsonArray columnArray;
    for (const Column& column : columns)
        columnArray.append(QJsonObject{{"name", column.name}, {"type", column.type}});
    QJsonArray rowArray;
    for (const auto& row : rows) {
        QJsonArray values;
        for (const QVariant& value : row)
            values.append(value.isValid() ? QJsonValue::fromVariant(value) : QJsonValue());
        rowArray.append(values);
    }
    return {{"columns", columnArray}, {"rows", rowArray}};
}

QJsonObject TdsServer::Count(int rows) {
    return {{"count", rows}};
}

QJsonObject TdsServer::Error(int number, const QString& message, int severity, int state,
                             int line) {
    return {{"error", QJsonObject{{"number", number},
                                  {"message", message},
                                  {"class", severity},
                                  {"state", state},
                                  {"line", line}}}};
}

QJsonObject TdsServer::Print(const QString& message) {
    return {{"info", QJsonObject{{"message", message}}}};
}

QJsonObject TdsServer::Delay(double seconds) {
    return {{"delay", seconds}};
}

QJsonObject TdsServer::Rollback() {
    return {{"rollback", true}};
}

QJsonObject TdsServer::Disconnect() {
    return {{"disconnect", true}};
}

std::vector<QJsonObject> TdsServer::Events() const {
    QFile file(directory_.filePath(QStringLiteral("log.jsonl")));
    std::vector<QJsonObject> events;
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty())
            events.push_back(QJsonDocument::fromJson(line).object());
    return events;
}

QStringList TdsServer::Log() const {
    QStringList lines;
    for (const QJsonObject& event : Events()) {
        const QString kind = event.value(QLatin1String("event")).toString();
        if (kind == u"login") {
            lines << QStringLiteral("login %1 %2")
                         .arg(event.value(QLatin1String("user")).toString(),
                              event.value(QLatin1String("database")).toString());
        } else if (kind == u"batch") {
            const int transaction = event.value(QLatin1String("transaction")).toInt();
            lines << (transaction != 0 ? QStringLiteral("batch[T%1] ").arg(transaction)
                                       : QStringLiteral("batch ")) +
                         event.value(QLatin1String("text")).toString();
        } else if (kind == u"begin") {
            lines << QStringLiteral("begin ") + TransactionName(event, "transaction");
        } else if (kind == u"commit" || kind == u"rollback") {
            QString line = kind + u' ' + TransactionName(event, "transaction");
            if (event.value(QLatin1String("next")).toInt() != 0)
                line += QStringLiteral(", begin ") + TransactionName(event, "next");
            lines << line;
        } else {
            lines << kind;
        }
    }
    return lines;
}

QStringList TdsServer::Batches() const {
    QStringList texts;
    for (const QJsonObject& event : Events())
        if (event.value(QLatin1String("event")).toString() == u"batch")
            texts << event.value(QLatin1String("text")).toString();
    return texts;
}

void TdsServer::WriteScript() const {
    QJsonObject script = script_;
    script.insert(QStringLiteral("batches"), rules_);
    // Written whole and renamed into place: the server never reads half a script.
    QSaveFile file(directory_.filePath(QStringLiteral("script.json")));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(script).toJson(QJsonDocument::Compact)) < 0 || !file.commit())
        throw std::runtime_error("TdsServer: cannot write the script");
}
