#include "platform/ado/ADODB.h"

#include "platform/ado/ConnectionString.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/FakeServer.h"

#include <gtest/gtest.h>

namespace {

class ADODBTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection.SetProvider(server);
        connection.LoginPrompt = false;
        connection.Open();
        query.Connection = &connection;
    }
    QString LayerError(const std::function<void()>& call) {
        try {
            call();
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return "(no failure)";
    }

    std::shared_ptr<FakeServer> server = FakeServer::Create();
    TADOConnection connection;
    TADOQuery query;
};

TEST_F(ADODBTest, TheLayerRefusesWhatCannotReachTheServer) {
    EXPECT_EQ(LayerError([&] { query.ExecSQL(); }), "Missing SQL property");
    EXPECT_EQ(LayerError([&] { connection.Execute(""); }), "Missing CommandText property");
    TADOQuery unconnected;
    unconnected.SetSQL(QString("select 1"));
    EXPECT_EQ(LayerError([&] { unconnected.ExecSQL(); }), "Missing Connection or ConnectionString");
    connection.Close();
    query.SetSQL(QString("select 1"));
    EXPECT_EQ(LayerError([&] { query.ExecSQL(); }),
              "Cannot perform this operation on a closed connection");
    EXPECT_EQ(LayerError([&] { connection.BeginTrans(); }),
              "Cannot perform this operation on a closed connection");
    EXPECT_TRUE(server->Executed().empty());
}

TEST_F(ADODBTest, ParameterParsingRefusesUnboundParametersOnly) {
    struct Case {
        const char* sql;
        bool paramCheck;
        bool refused;
    } const cases[] = {
        {"update t set a = :a", true, true},
        {"update t set a = ':a' where b = \"x:y\" and [c:d] = 1", true, false},
        {"select '12:30', a::int", true, false},
        {"update t set a = :a", false, false},
    };
    for (const Case& c : cases) {
        query.ParamCheck = c.paramCheck;
        query.SetSQL(QString(c.sql));
        const QString failure = LayerError([&] { query.ExecSQL(); });
        EXPECT_EQ(failure != "(no failure)", c.refused) << c.sql;
        if (!c.refused) {
            EXPECT_EQ(server->ExecutedTexts().back(), c.sql);
        }
    }
}

TEST_F(ADODBTest, ExecuteOptionsAndTimeOutsReachTheSession) {
    query.SetSQL(QByteArray("insert t values ('\xB3\xF3')")); // Windows-1250 "łó"
    query.CommandTimeout = 2592000;
    query.ExecuteOptions = eoExecuteNoRecords;
    query.ExecSQL();
    server->OnText("select 1", FakeServer::Value(1));
    EXPECT_EQ(connection.Execute("select 1").FieldValue(0), QVariant(1));
    const auto calls = server->Executed();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, QString::fromUtf8("insert t values ('łó')"));
    EXPECT_EQ(calls[0].timeout, 2592000);
    EXPECT_FALSE(calls[0].returnsRecords);
    EXPECT_EQ(calls[1].timeout, 30);
    EXPECT_TRUE(calls[1].returnsRecords);
}

TEST_F(ADODBTest, TheTransactionStaysOpenWhenItsCommitFails) {
    server->OnCommit = [] { throw EOleException("commit failed", 3902, "srv", "", 0); };
    connection.BeginTrans();
    EXPECT_THROW(connection.CommitTrans(), EOleException);
    EXPECT_TRUE(connection.InTransaction());
    connection.RollbackTrans();
    EXPECT_FALSE(connection.InTransaction());
    connection.BeginTrans();
    connection.Close();
    EXPECT_FALSE(connection.InTransaction());
    EXPECT_EQ(server->OpenSessions(), 0);
}

TEST_F(ADODBTest, TheLoginEventMayChangeUserAndPassword) {
    connection.Close();
    connection.ConnectionString = "Provider=SQLOLEDB.1;User ID=sa;Password=x;Data Source=srv";
    connection.LoginPrompt = true;
    connection.OnLogin = [](QString& user, QString& password) {
        EXPECT_EQ(user, "sa");
        EXPECT_EQ(password, "x");
        user = "admin";
        password = "p;q";
    };
    connection.Open();
    const auto pairs = ParseConnectionString(server->Calls().back().text);
    EXPECT_EQ(ConnectionStringValue(pairs, "User ID"), "admin");
    EXPECT_EQ(ConnectionStringValue(pairs, "Password"), "p;q");
    EXPECT_EQ(ConnectionStringValue(pairs, "Data Source"), "srv");
}

} // namespace
