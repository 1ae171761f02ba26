#include "platform/ado/ADODB.h"

#include "platform/ado/ConnectionString.h"
#include "platform/ado/OdbcConnectionString.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/tds/TdsServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <optional>

// The ado layer on the real FreeTDS ODBC driver, against the scripted TDS server.

namespace {

using Column = TdsServer::Column;

// The program's connection string mapped onto the FreeTDS driver, however the machine's drivers
// are registered.
QString FreeTdsConnectionString(int port, const QString& database) {
    const QString program =
        QString("Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
                "Initial Catalog=%2;Data Source=127.0.0.1,%1;OLE DB Services=-2;"
                "Application Name=U:admin")
            .arg(port)
            .arg(database);
    return "Provider=MSDASQL;" +
           ToOdbcConnectionString(ParseConnectionString(program), {"FreeTDS"}).Text;
}

class FreeTdsOdbc : public ::testing::Test {
protected:
    FreeTdsOdbc() {
        server.Databases({"qen"});
        connection.LoginPrompt = false;
    }

    void Open(int port, const QString& database = "qen") {
        connection.ConnectionString = FreeTdsConnectionString(port, database);
        connection.Open();
    }
    void Open() { Open(server.Port()); }

    // A statement as the database utilities run it: no records, no parameters.
    void Run(const QString& sql, int timeout = 30) {
        TADOQuery query;
        query.Connection = &connection;
        query.ParamCheck = false;
        query.CommandTimeout = timeout;
        query.ExecuteOptions = eoExecuteNoRecords;
        query.SetSQL(sql);
        query.ExecSQL();
    }

    // The OLE error the call raises; none when it succeeds.
    static std::optional<EOleException> Failure(const std::function<void()>& call) {
        try {
            call();
        } catch (const EOleException& e) {
            return e;
        }
        return std::nullopt;
    }

    TdsServer server;
    TADOConnection connection;
};

TEST_F(FreeTdsOdbc, ALoginCarriesTheProgramsFields) {
    Open();
    EXPECT_TRUE(connection.Connected());
    const auto events = server.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].value("event").toString(), "login");
    EXPECT_EQ(events[0].value("user").toString(), "sa");
    EXPECT_EQ(events[0].value("password").toString(), "pw");
    EXPECT_EQ(events[0].value("database").toString(), "qen");
    EXPECT_EQ(events[0].value("application").toString(), "U:admin");
    EXPECT_EQ(events[0].value("tds").toString(), "74000004");
}

// FreeTDS ranks its records by severity, so the generic 18456 (severity 14) that follows an
// unknown database's 4060 (severity 11) comes first; the layer reports the cause.
TEST_F(FreeTdsOdbc, ARefusedLoginRaisesTheServersErrorWithoutTheDriversPrefix) {
    struct Case {
        const char* what;
        const char* login;
        QString database;
        QString message;
        int number;
    } const cases[] = {
        {"login refused", "refuse", "qen", "Login failed for user 'sa'.", 18456},
        {"unknown database", "accept", "inna",
         "Cannot open database \"inna\" requested by the login. The login failed.", 4060},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.Login(c.login);
        const auto failure = Failure([&] { Open(server.Port(), c.database); });
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->Message(), c.message);
        EXPECT_EQ(failure->ErrorCode(), c.number);
        EXPECT_EQ(failure->Source(), "SQL Server");
        EXPECT_FALSE(connection.Connected());
    }
}

TEST_F(FreeTdsOdbc, ALoginToAServerThatNeverAnswersEndsWithTheLoginTimeOut) {
    server.Login("silent");
    connection.ConnectionTimeout = 1; // the test runner's time-out guards "never"
    const auto failure = Failure([&] { Open(); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Message(), "Timeout expired");
    EXPECT_EQ(failure->SqlState(), "HYT00");
    EXPECT_FALSE(connection.Connected());
}

TEST_F(FreeTdsOdbc, ALoginWhereNothingListensFailsAtOnceWithTheDriversError) {
    // A bound port that does not listen refuses every connection.
    const int closed = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(closed, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(getsockname(closed, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const auto failure = Failure([&] { Open(ntohs(address.sin_port)); });
    close(closed);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Message(),
              "Unable to connect: Adaptive Server is unavailable or does not exist");
    EXPECT_EQ(failure->ErrorCode(), 20009);
    EXPECT_EQ(failure->Source(), "SQL Server");
    EXPECT_EQ(failure->SqlState(), "08S01");
    EXPECT_FALSE(connection.Connected());
}

// FreeTDS reports an error of a later statement only from SQLMoreResults: every result must be
// read, and the statement must not be freed early (that would send an ATTENTION and cancel the
// rest). An error in the first statement fails SQLExecDirect itself; FreeTDS then offers no
// further result and cancels the rest of the batch when the statement is freed, whatever the
// caller does: the error is the first one all the same.
TEST_F(FreeTdsOdbc, AnErrorAnywhereInABatchIsTheBatchsError) {
    const QJsonObject rows = TdsServer::Rows({{"a", "int"}}, {{1}, {2}});
    struct Case {
        const char* what;
        QJsonArray answer;
        int number;
        QString message;
        bool restCancelled;
    } const cases[] = {
        {"first",
         {TdsServer::Error(208, "Invalid object name 'x'."), TdsServer::Count(1)},
         208,
         "Invalid object name 'x'.",
         true},
        {"second of three",
         {TdsServer::Count(1),
          TdsServer::Error(547, "The INSERT statement conflicted with the FOREIGN KEY constraint.",
                           16, 0, 2),
          TdsServer::Count(1)},
         547,
         "The INSERT statement conflicted with the FOREIGN KEY constraint.",
         false},
        {"third",
         {TdsServer::Count(1), TdsServer::Count(2),
          TdsServer::Error(2627, "Violation of PRIMARY KEY constraint 'PK_t'.", 14, 1, 3)},
         2627,
         "Violation of PRIMARY KEY constraint 'PK_t'.",
         false},
        {"second of two, then a later one",
         {TdsServer::Count(1), TdsServer::Error(50000, "Brak tabeli"),
          TdsServer::Error(50001, "Drugi blad")},
         50000,
         "Brak tabeli",
         false},
        {"after PRINT",
         {TdsServer::Print("start"), TdsServer::Error(50000, "Brak tabeli")},
         50000,
         "Brak tabeli",
         false},
        {"after rows",
         {rows, TdsServer::Error(8134, "Divide by zero error encountered.")},
         8134,
         "Divide by zero error encountered.",
         false},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.On(c.what, c.answer);
        const std::function<void()> roads[] = {
            [&] { Run(c.what); },
            [&] { connection.Execute(c.what); },
        };
        for (const auto& road : roads) {
            const qsizetype attentions = server.Log().count("attention");
            const auto failure = Failure(road);
            ASSERT_TRUE(failure);
            EXPECT_EQ(failure->Message(), c.message);
            EXPECT_EQ(failure->ErrorCode(), c.number);
            EXPECT_EQ(failure->Source(), "SQL Server");
            EXPECT_EQ(server.Log().count("attention") - attentions, c.restCancelled ? 1 : 0);
        }
    }
    Run("select 1");
    EXPECT_EQ(server.Batches().back(), "select 1");
}

TEST_F(FreeTdsOdbc, PrintOutputWithoutAnErrorSucceeds) {
    server.On("print", {TdsServer::Print("Tworzenie procedury"), TdsServer::Count(1),
                        TdsServer::Print("Gotowe")});
    Open();
    EXPECT_NO_THROW(Run("print"));
    EXPECT_EQ(connection.Execute("print").FieldCount(), 0);
}

TEST_F(FreeTdsOdbc, AResultSetAfterRowCountsKeepsItsRowsAndNulls) {
    struct Case {
        const char* what;
        QJsonArray answer;
        int records;
        QVariant first;
    } const cases[] = {
        {"null first",
         {TdsServer::Count(1), TdsServer::Count(2),
          TdsServer::Rows({{"wartosc", "nvarchar"}, {"n", "int"}},
                          {{QVariant(), 1}, {"Zażółć gęślą jaźń", QVariant()}, {"x", 3}})},
         3,
         QVariant()},
        {"text",
         {TdsServer::Count(0), TdsServer::Rows({{"wartosc", "nvarchar"}}, {{"Zażółć gęślą jaźń"}})},
         1,
         QString("Zażółć gęślą jaźń")},
        {"number", {TdsServer::Count(1), TdsServer::Rows({{"", "int"}}, {{2019}})}, 1, 2019},
        {"null number", {TdsServer::Rows({{"", "int"}}, {{QVariant()}})}, 1, QVariant()},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.On(c.what, c.answer);
        const TADORecordset records = connection.Execute(c.what);
        EXPECT_EQ(records.RecordCount(), c.records);
        const QVariant first = records.FieldValue(0);
        EXPECT_EQ(first.isValid(), c.first.isValid());
        EXPECT_EQ(first, c.first);
    }
    server.On("empty", {TdsServer::Count(3), TdsServer::Rows({{"wartosc", "nvarchar"}}, {})});
    EXPECT_EQ(connection.Execute("empty").RecordCount(), 0);
}

// FreeTDS ends a transaction with a request that opens the next one at once (it stays in manual
// commit); switching autocommit back on then rolls that one back, empty. The transaction that
// holds the work ends once, the way it was asked to.
TEST_F(FreeTdsOdbc, ATransactionEndsOnceAsAskedAndAutocommitReturns) {
    struct Case {
        const char* what;
        std::function<void(TADOConnection&)> end;
        QStringList sent;
    } const cases[] = {
        {"commit",
         [](TADOConnection& c) { c.CommitTrans(); },
         {"commit T1, begin T2", "rollback T2", "batch after"}},
        {"rollback",
         [](TADOConnection& c) { c.RollbackTrans(); },
         {"rollback T1, begin T2", "rollback T2", "batch after"}},
        {"close", [](TADOConnection& c) { c.Close(); }, {"rollback T1, begin T2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TdsServer own; // transactions numbered from 1
        Open(own.Port());
        EXPECT_FALSE(connection.InTransaction());
        connection.BeginTrans();
        EXPECT_TRUE(connection.InTransaction());
        Run("work");
        c.end(connection);
        EXPECT_FALSE(connection.InTransaction());
        if (connection.Connected())
            Run("after");
        connection.Close();
        QStringList expected{"login sa qen", "begin T1", "batch[T1] work"};
        EXPECT_EQ(own.Log(), expected + c.sent);
    }
}

TEST_F(FreeTdsOdbc, AFailedBatchThenARollbackLeavesTheConnectionUsable) {
    server.On("bad", {TdsServer::Count(1), TdsServer::Error(2627, "Violation of PRIMARY KEY.")});
    server.On("select 1", {TdsServer::Rows({{"", "int"}}, {{1}})});
    Open();
    connection.BeginTrans();
    EXPECT_TRUE(Failure([&] { Run("bad"); }));
    EXPECT_TRUE(connection.InTransaction());
    connection.RollbackTrans();
    EXPECT_FALSE(connection.InTransaction());
    EXPECT_EQ(connection.Execute("select 1").FieldValue(0), 1);
    EXPECT_EQ(server.Log(),
              (QStringList{"login sa qen", "begin T1", "batch[T1] bad", "rollback T1, begin T2",
                           "rollback T2", "batch select 1"}));
}

// SQL Server rolls a transaction back itself for a deadlock victim or an error under XACT_ABORT,
// and a batch's own ROLLBACK ends it too; the end the program asks for next is refused (3903,
// 3902). The connection then holds no transaction and is back in autocommit, whether or not the
// refusal began the next transaction on the server, and the next transaction begins there.
TEST_F(FreeTdsOdbc, AnEndRefusedForWantOfATransactionLeavesNoneAndAutocommitBack) {
    const QJsonObject deadlock = TdsServer::Error(
        1205,
        "Transaction (Process ID 57) was deadlocked on lock resources with another process "
        "and has been chosen as the deadlock victim. Rerun the transaction.",
        13, 51);
    struct Case {
        const char* what;
        QJsonArray answer;
        bool commit;
        bool beginsAfterRefusal;
        int number;
        QStringList sent; // from the end on
    } const cases[] = {
        {"deadlock, rollback",
         {deadlock, TdsServer::Rollback()},
         false,
         true,
         3903,
         {"attention", "rollback T0, begin T2", "rollback T2"}},
        {"deadlock, rollback that begins nothing",
         {deadlock, TdsServer::Rollback()},
         false,
         false,
         3903,
         {"attention", "rollback T0", "rollback T0", "batch BEGIN TRANSACTION", "rollback T2"}},
        {"own rollback, commit",
         {TdsServer::Count(1), TdsServer::Rollback()},
         true,
         true,
         3902,
         {"commit T0, begin T2", "rollback T2"}},
        {"own rollback, commit that begins nothing",
         {TdsServer::Count(1), TdsServer::Rollback()},
         true,
         false,
         3902,
         {"commit T0", "rollback T0", "batch BEGIN TRANSACTION", "rollback T2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TdsServer own; // transactions numbered from 1
        own.BeginAfterRefusal(c.beginsAfterRefusal);
        own.On("ended", c.answer);
        Open(own.Port());
        connection.BeginTrans();
        const auto batchFailure = Failure([&] { Run("ended"); });
        EXPECT_EQ(batchFailure.has_value(), !c.commit);
        const auto failure = Failure([&] {
            if (c.commit)
                connection.CommitTrans();
            else
                connection.RollbackTrans();
        });
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->ErrorCode(), c.number);
        EXPECT_FALSE(connection.InTransaction());
        Run("after");
        connection.BeginTrans();
        Run("next");
        connection.CommitTrans();
        connection.Close();
        EXPECT_EQ(own.Log(), QStringList({"login sa qen", "begin T1", "batch[T1] ended"}) + c.sent +
                                 QStringList({"batch after", "begin T3", "batch[T3] next",
                                              "commit T3, begin T4", "rollback T4"}));
    }
}

// Whether the server still holds the transaction is unknown: the connection keeps it open, so no
// other one begins on it.
TEST_F(FreeTdsOdbc, AnEndOnALostConnectionLeavesTheTransactionOpen) {
    server.On("lost", {TdsServer::Disconnect()});
    Open();
    connection.BeginTrans();
    EXPECT_TRUE(Failure([&] { Run("lost"); }));
    const auto failure = Failure([&] { connection.RollbackTrans(); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->SqlState(), "08S01");
    EXPECT_TRUE(connection.InTransaction());
    EXPECT_EQ(server.Log(), (QStringList{"login sa qen", "begin T1", "batch[T1] lost"}));
}

TEST_F(FreeTdsOdbc, AStatementPastItsTimeOutIsCancelledAndTheConnectionGoesOn) {
    server.On("slow", {TdsServer::Delay(30), TdsServer::Count(1)});
    Open();
    const auto failure = Failure([&] { Run("slow", 1); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Message(), "Timeout expired");
    EXPECT_EQ(failure->SqlState(), "HYT00");
    EXPECT_TRUE(connection.Connected());
    Run("next");
    EXPECT_EQ(server.Log(), (QStringList{"login sa qen", "batch slow", "attention", "batch next"}));
}

TEST_F(FreeTdsOdbc, AStatementWithinItsTimeOutCompletes) {
    server.On("a while", {TdsServer::Count(1), TdsServer::Delay(1), TdsServer::Count(2)});
    Open();
    EXPECT_NO_THROW(Run("a while", 5));
    EXPECT_EQ(server.Log().count("attention"), 0);
}

TEST_F(FreeTdsOdbc, Windows1250TextReachesTheServerAsTheSameLetters) {
    Open();
    TADOQuery query;
    query.Connection = &connection;
    query.ExecuteOptions = eoExecuteNoRecords;
    query.SetSQL(
        AnsiString("INSERT INTO t(s) VALUES('Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1')"));
    query.ExecSQL();
    EXPECT_EQ(server.Batches(), QStringList{"INSERT INTO t(s) VALUES('Zażółć gęślą jaźń')"});
}

} // namespace
