#include "platform/ado/ADODB.h"

#include "platform/ado/ConnectionString.h"
#include "platform/rtl/Exceptions.h"

#include <utility>

namespace {

// Whether the text holds a ":name" parameter outside quoted literals and bracketed names; "::"
// stands for a plain colon.
bool HoldsParameter(const QString& sql) {
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'[') {
            quote = u']';
        } else if (c == u':' && i + 1 < sql.size()) {
            const QChar next = sql[i + 1];
            if (next == u':')
                ++i;
            else if (next.isLetterOrNumber() || next == u'_')
                return true;
        }
    }
    return false;
}

} // namespace

TADORecordset::TADORecordset(int fieldCount, std::vector<std::vector<QVariant>> rows)
    : fieldCount_(fieldCount), rows_(std::move(rows)) {}

QVariant TADORecordset::FieldValue(int index) const {
    if (rows_.empty())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (index < 0 || index >= fieldCount_ || std::size_t(index) >= rows_.front().size())
        throw EDatabaseError(QStringLiteral("Field index out of range"));
    return rows_.front()[std::size_t(index)];
}

TADOConnection::TADOConnection() : provider_(OdbcProvider()) {}

TADOConnection::~TADOConnection() = default;

void TADOConnection::SetProvider(std::shared_ptr<TADOProvider> provider) {
    Close();
    provider_ = std::move(provider);
}

void TADOConnection::Open() {
    if (Connected())
        return;
    QString connectionString = ConnectionString;
    if (LoginPrompt && OnLogin) {
        TConnectionStringPairs pairs = ParseConnectionString(connectionString);
        QString user = ConnectionStringValue(pairs, QStringLiteral("User ID"));
        QString password = ConnectionStringValue(pairs, QStringLiteral("Password"));
        OnLogin(user, password);
        connectionString += QStringLiteral(";User ID=") + QuoteConnectionStringValue(user) +
                            QStringLiteral(";Password=") + QuoteConnectionStringValue(password);
    }
    session_ = provider_->Open(connectionString, ConnectionTimeout);
}

void TADOConnection::Close() {
    session_.reset();
}

void TADOConnection::SetConnected(bool connected) {
    if (connected)
        Open();
    else
        Close();
}

TADOSession& TADOConnection::Session() {
    if (!session_)
        throw EDatabaseError(
            QStringLiteral("Cannot perform this operation on a closed connection"));
    return *session_;
}

TADORecordset TADOConnection::Execute(const QString& commandText) {
    if (commandText.isEmpty())
        throw EDatabaseError(QStringLiteral("Missing CommandText property"));
    return Session().Execute(commandText, CommandTimeout, true);
}

void TADOConnection::BeginTrans() {
    Session().BeginTrans();
}

void TADOConnection::CommitTrans() {
    Session().CommitTrans();
}

void TADOConnection::RollbackTrans() {
    Session().RollbackTrans();
}

void TADOQuery::SetSQL(const AnsiString& text) {
    sql_ = AnsiToUnicode(text);
}

void TADOQuery::ExecSQL() {
    if (Connection == nullptr)
        throw EDatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
    if (sql_.isEmpty())
        throw EDatabaseError(QStringLiteral("Missing SQL property"));
    if (ParamCheck && HoldsParameter(sql_))
        throw EDatabaseError(QStringLiteral("No value given for one or more required parameters."));
    Connection->Session().Execute(sql_, CommandTimeout, (ExecuteOptions & eoExecuteNoRecords) == 0);
}
