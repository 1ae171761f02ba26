#include "engine/DBUzytkiQZ.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/FakeServer.h"

#include <gtest/gtest.h>

namespace {

class DBUzytkiQZTest : public ::testing::Test {
protected:
    void SetUp() override {
        conn.SetProvider(server);
        conn.Open();
    }
    template <class E> QString MessageOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const E& e) {
            return e.Message();
        }
        return "(no failure)";
    }

    std::shared_ptr<FakeServer> server = FakeServer::Create();
    TADOConnection conn;
};

TEST_F(DBUzytkiQZTest, ServerVersionComesFromTheFunctionAndMustBeAYear) {
    const QString query = "SELECT dbo.fn_WERSJA_MS_SQL()";
    server->OnText(query, FakeServer::Value(9999));
    EXPECT_EQ(TDBUzytkiQZ::WersjaSerweraMSSQL(conn), 9999);
    server->OnText(query, FakeServer::Value(QString("2005")));
    EXPECT_EQ(TDBUzytkiQZ::WersjaSerweraMSSQL(conn), 2005);
    ASSERT_EQ(server->Executed().size(), 2u);
    EXPECT_TRUE(server->Executed()[0].returnsRecords);
    EXPECT_EQ(server->Executed()[0].timeout, 30);

    server->OnText(query, FakeServer::Value(1999));
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { TDBUzytkiQZ::WersjaSerweraMSSQL(conn); }),
              "Błąd odczytu wersji serwera MS SQL.");
    server->OnText(query, FakeServer::Rows(1, {}));
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { TDBUzytkiQZ::WersjaSerweraMSSQL(conn); }),
              "Cannot perform this operation on an empty dataset");
    server->OnText(query, FakeServer::Value(QVariant()));
    EXPECT_THROW(TDBUzytkiQZ::WersjaSerweraMSSQL(conn), EVariantTypeCastError);
    server->OnText(query, FakeServer::Value(QString("abc")));
    EXPECT_THROW(TDBUzytkiQZ::WersjaSerweraMSSQL(conn), EVariantTypeCastError);
    server->OnText(query, FakeServer::ServerError("Cannot find either column \"dbo\"", 4121));
    EXPECT_THROW(TDBUzytkiQZ::WersjaSerweraMSSQL(conn), EOleException);
}

TEST_F(DBUzytkiQZTest, StatementsGoOutUnchangedWithTheirTimeOutAndNoRecords) {
    WykonajPolecenieSQL(conn, "UPDATE t SET a = ':x' WHERE b = :y", 2592000);
    ASSERT_EQ(server->Executed().size(), 1u);
    const FakeServer::Call call = server->Executed()[0];
    EXPECT_EQ(call.text, "UPDATE t SET a = ':x' WHERE b = :y");
    EXPECT_EQ(call.timeout, 2592000);
    EXPECT_FALSE(call.returnsRecords);
}

TEST_F(DBUzytkiQZTest, StatementFailuresPassOnUnchanged) {
    server->OnContaining("zla", FakeServer::ServerError("Invalid object name 'zla'.", 208));
    try {
        WykonajPolecenieSQL(conn, "select * from zla", 10);
        FAIL();
    } catch (const EOleException& e) {
        EXPECT_EQ(e.Message(), "Invalid object name 'zla'.");
        EXPECT_EQ(e.ErrorCode(), 208);
    }
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { WykonajPolecenieSQL(conn, "", 10); }),
              "Missing SQL property");
}

TEST_F(DBUzytkiQZTest, TransactionRoutinesCheckTheStateFirstAndChangeNothingOnFailure) {
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ZatwierdzTransakcje(&conn); }),
              "Nie rozpoczęto transakcji.");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { WycofajTransakcje(&conn); }),
              "Nie rozpoczęto transakcji.");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { SprawdzTransakcje(conn); }),
              "Nie rozpoczęto transakcji.");

    RozpocznijTransakcje(&conn);
    EXPECT_NO_THROW(SprawdzTransakcje(conn));
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { RozpocznijTransakcje(&conn); }),
              "Transakcja jest już rozpoczęta.");
    EXPECT_TRUE(conn.InTransaction());
    ZatwierdzTransakcje(&conn);
    RozpocznijTransakcje(&conn);
    WycofajTransakcje(&conn);
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_EQ(server->Log(), (QStringList{"open", "begin", "commit", "begin", "rollback"}));
}

TEST_F(DBUzytkiQZTest, ANullConnectionIsAnAssertionWithItsLine) {
    struct Case {
        void (*routine)(TADOConnection*);
        int line;
    } const cases[] = {
        {RozpocznijTransakcje, 1931}, {ZatwierdzTransakcje, 1939}, {WycofajTransakcje, 1946}};
    for (const Case& c : cases) {
        try {
            c.routine(nullptr);
            ADD_FAILURE();
        } catch (const EAssertionFailed& e) {
            EXPECT_EQ(e.Message(),
                      QString("Assertion failure (_UNIT_QZ\\DBUzytkiQZ, line %1)").arg(c.line));
        }
    }
}

} // namespace
