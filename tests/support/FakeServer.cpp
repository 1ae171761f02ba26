#include "tests/support/FakeServer.h"

#include "platform/rtl/Exceptions.h"

class FakeServer::Session : public TADOSession {
public:
    Session(FakeServer& server, int id) : server_(server), id_(id) {}
    ~Session() override {
        server_.inTransaction_ = false;
        --server_.openSessions_;
        Record(Kind::Close, {});
    }

    TADORecordset Execute(const QString& text, int timeout, bool returnsRecords) override {
        Record(Kind::Execute, text, timeout, returnsRecords);
        for (auto rule = server_.rules_.rbegin(); rule != server_.rules_.rend(); ++rule)
            if (rule->matches(text))
                return rule->handler(text);
        return {};
    }
    void BeginTrans() override {
        Record(Kind::Begin, {});
        server_.inTransaction_ = true;
    }
    // A hook that throws leaves the transaction open.
    void CommitTrans() override {
        Record(Kind::Commit, {});
        if (server_.OnCommit)
            server_.OnCommit();
        server_.inTransaction_ = false;
    }
    void RollbackTrans() override {
        Record(Kind::Rollback, {});
        if (server_.OnRollback)
            server_.OnRollback();
        server_.inTransaction_ = false;
    }
    bool InTransaction() const override { return server_.inTransaction_; }

private:
    void Record(Kind kind, const QString& text, int timeout = 0, bool returnsRecords = false) {
        server_.calls_.push_back(
            {kind, text, timeout, returnsRecords, server_.inTransaction_, id_});
    }

    FakeServer& server_;
    int id_;
};

FakeServer& FakeServer::On(Predicate matches, Handler handler) {
    rules_.push_back({std::move(matches), std::move(handler)});
    return *this;
}

FakeServer& FakeServer::OnText(const QString& exact, Handler handler) {
    return On([exact](const QString& t) { return t == exact; }, std::move(handler));
}

FakeServer& FakeServer::OnContaining(const QString& part, Handler handler) {
    return On([part](const QString& t) { return t.contains(part); }, std::move(handler));
}

FakeServer::Handler FakeServer::Value(const QVariant& value) {
    return [value](const QString&) { return TADORecordset(1, {{value}}); };
}

FakeServer::Handler FakeServer::Rows(int fieldCount, std::vector<std::vector<QVariant>> rows) {
    return [fieldCount, rows](const QString&) { return TADORecordset(fieldCount, rows); };
}

FakeServer::Handler FakeServer::ServerError(const QString& message, int nativeError) {
    return [message, nativeError](const QString&) -> TADORecordset {
        throw EOleException(message, nativeError, QStringLiteral("Fake SQL Server"), {}, 0,
                            QStringLiteral("42000"));
    };
}

FakeServer::Handler FakeServer::LayerError(const QString& message) {
    return [message](const QString&) -> TADORecordset { throw EDatabaseError(message); };
}

std::unique_ptr<TADOSession> FakeServer::Open(const QString& connectionString,
                                              int connectionTimeoutSeconds) {
    calls_.push_back(
        {Kind::Open, connectionString, connectionTimeoutSeconds, false, false, sessions_ + 1});
    if (OnOpen)
        OnOpen(connectionString);
    ++openSessions_;
    return std::make_unique<Session>(*this, ++sessions_);
}

std::vector<FakeServer::Call> FakeServer::Executed() const {
    std::vector<Call> executed;
    for (const Call& c : calls_)
        if (c.kind == Kind::Execute)
            executed.push_back(c);
    return executed;
}

QStringList FakeServer::ExecutedTexts() const {
    QStringList texts;
    for (const Call& c : Executed())
        texts << c.text;
    return texts;
}

QStringList FakeServer::Log() const {
    QStringList log;
    for (const Call& c : calls_) {
        switch (c.kind) {
        case Kind::Open:
            log << QStringLiteral("open");
            break;
        case Kind::Execute:
            log << (c.inTransaction ? QStringLiteral("exec[T] ") : QStringLiteral("exec ")) +
                       c.text;
            break;
        case Kind::Begin:
            log << QStringLiteral("begin");
            break;
        case Kind::Commit:
            log << QStringLiteral("commit");
            break;
        case Kind::Rollback:
            log << QStringLiteral("rollback");
            break;
        case Kind::Close:
            log << QStringLiteral("close");
            break;
        }
    }
    return log;
}
