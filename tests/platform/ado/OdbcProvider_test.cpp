#include "platform/ado/ADODB.h"

#include "platform/ado/ConnectionString.h"
#include "platform/rtl/Exceptions.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <memory>

namespace {

// The real SQLite ODBC driver ("SQLite3") on a database file of the test's own.
class SqliteOdbc : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // unixODBC hands a driver without wide functions, as the SQLite one is, its text in the
        // locale's character set, and that driver reads UTF-8. The program's application object
        // takes the locale from the environment; a plain test runs in "C", which is ASCII.
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }

    void SetUp() override {
        ASSERT_TRUE(directory_.isValid());
        connection_ = Connect();
        Run("CREATE TABLE t(i INTEGER, s TEXT)");
    }

    std::unique_ptr<TADOConnection> Connect() const {
        auto connection = std::make_unique<TADOConnection>();
        connection->LoginPrompt = false;
        // StepAPI: rows are stepped as they are fetched, as a server streams them, not all at
        // the execution. Timeout: how long (ms) to wait for a lock another connection holds.
        connection->ConnectionString =
            "Provider=MSDASQL;Driver=SQLite3;StepAPI=1;Timeout=1000;Database=" +
            QuoteConnectionStringValue(directory_.filePath("qen.db"));
        connection->Open();
        return connection;
    }

    void Run(const QString& sql) { Run(*connection_, sql); }
    static void Run(TADOConnection& connection, const QString& sql) {
        TADOQuery query;
        query.Connection = &connection;
        query.ParamCheck = false;
        query.ExecuteOptions = eoExecuteNoRecords;
        query.SetSQL(sql);
        query.ExecSQL();
    }

    static QVariant Value(TADOConnection& connection, const QString& sql) {
        return connection.Execute(sql).FieldValue(0);
    }
    static int Rows(TADOConnection& connection) {
        return Value(connection, "SELECT COUNT(*) FROM t").toInt();
    }

    QTemporaryDir directory_;
    std::unique_ptr<TADOConnection> connection_;
};

TEST_F(SqliteOdbc, ReturnsTheRowsWithEachValueInItsType) {
    Run("CREATE TABLE v(i INTEGER, big BIGINT, r REAL, s TEXT, b BLOB, n INTEGER, yes BOOLEAN)");
    Run("INSERT INTO v VALUES(7, 1099511627776, 2.25, 'zażółć', x'00FF41', NULL, 1)");
    Run("INSERT INTO v VALUES(8, 0, 0, '', x'', 1, 0)");

    const TADORecordset records = connection_->Execute("SELECT * FROM v ORDER BY i");
    EXPECT_EQ(records.RecordCount(), 2);
    ASSERT_EQ(records.FieldCount(), 7);
    struct Case {
        int field;
        QVariant value;
    } const cases[] = {
        {0, QVariant(7)},
        {1, QVariant(qlonglong(1099511627776))},
        {2, QVariant(2.25)},
        {3, QVariant(QString("zażółć"))},
        {4, QVariant(QByteArray::fromHex("00ff41"))},
        {5, QVariant()},
        {6, QVariant(true)},
    };
    for (const Case& c : cases) {
        const QVariant value = records.FieldValue(c.field);
        EXPECT_EQ(value.metaType(), c.value.metaType()) << "field " << c.field;
        EXPECT_EQ(value, c.value) << "field " << c.field;
    }
    EXPECT_FALSE(Value(*connection_, "SELECT NULL").isValid());
}

TEST_F(SqliteOdbc, FetchesLongValuesWhole) {
    const QString text = QString("Zażółć gęślą jaźń. ").repeated(5000);
    const QByteArray bytes = QByteArray("\x01\x00\xfe", 3).repeated(30000);
    Run("CREATE TABLE big(s TEXT, b BLOB)");
    Run("INSERT INTO big VALUES('" + text + "', x'" + QString::fromLatin1(bytes.toHex()) + "')");

    const TADORecordset records = connection_->Execute("SELECT s, b FROM big");
    EXPECT_EQ(records.FieldValue(0).toString(), text);
    EXPECT_EQ(records.FieldValue(1).toByteArray(), bytes);
}

TEST_F(SqliteOdbc, ExecutesWithoutRecordsAndLeavesNoResultPending) {
    Run("INSERT INTO t(i) WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
        "WHERE x < 5000) SELECT x FROM n");
    // Thousands of rows that nobody reads: the statement must still be finished, or the
    // connection would keep its read lock and the other connection could not write.
    Run("SELECT * FROM t");
    const auto other = Connect();
    Run(*other, "INSERT INTO t VALUES(0, 'other')");
    EXPECT_EQ(Rows(*connection_), 5001);

    const TADORecordset none = connection_->Execute("DELETE FROM t WHERE i > 10");
    EXPECT_EQ(none.FieldCount(), 0);
    EXPECT_EQ(Rows(*other), 11);
}

TEST_F(SqliteOdbc, CommitPersistsAndRollbackDiscardsForOtherConnections) {
    for (const bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "commit" : "rollback");
        Run("DELETE FROM t");
        const auto other = Connect();
        EXPECT_FALSE(connection_->InTransaction());
        connection_->BeginTrans();
        EXPECT_TRUE(connection_->InTransaction());
        Run("INSERT INTO t VALUES(1, 'a')");
        Run("INSERT INTO t VALUES(2, 'b')");
        EXPECT_EQ(Rows(*connection_), 2);
        EXPECT_EQ(Rows(*other), 0);
        if (commit)
            connection_->CommitTrans();
        else
            connection_->RollbackTrans();
        EXPECT_FALSE(connection_->InTransaction());
        EXPECT_EQ(Rows(*other), commit ? 2 : 0);
        // Autocommit is back: a statement after the transaction is seen at once.
        Run("INSERT INTO t VALUES(3, 'c')");
        EXPECT_EQ(Rows(*other), commit ? 3 : 1);
    }
}

TEST_F(SqliteOdbc, AFailedCommitLeavesTheTransactionOpenForARollback) {
    Run("PRAGMA foreign_keys = ON");
    Run("CREATE TABLE p(id INTEGER PRIMARY KEY)");
    Run("CREATE TABLE c(pid INTEGER REFERENCES p(id) DEFERRABLE INITIALLY DEFERRED)");
    connection_->BeginTrans();
    Run("INSERT INTO t VALUES(1, 'a')");
    Run("INSERT INTO c VALUES(42)"); // checked only at the commit
    EXPECT_THROW(connection_->CommitTrans(), EOleException);
    EXPECT_TRUE(connection_->InTransaction());

    connection_->RollbackTrans();
    EXPECT_FALSE(connection_->InTransaction());
    const auto other = Connect();
    EXPECT_EQ(Rows(*other), 0);
    EXPECT_EQ(Value(*other, "SELECT COUNT(*) FROM c").toInt(), 0);
}

TEST_F(SqliteOdbc, ARejectedStatementRaisesTheDriversErrorWithoutItsPrefix) {
    const auto expectRejected = [](const std::function<void()>& execute) {
        try {
            execute();
            FAIL() << "no error";
        } catch (const EOleException& e) {
            EXPECT_EQ(e.Message(), "no such table: missing (1)");
            EXPECT_EQ(e.ErrorCode(), 1);
            EXPECT_EQ(e.Source(), "SQLite");
            EXPECT_TRUE(e.HelpFile().isEmpty());
            EXPECT_EQ(e.HelpContext(), 0);
            EXPECT_EQ(e.SqlState(), "HY000");
        }
    };
    expectRejected([&] { connection_->Execute("SELECT * FROM missing"); });
    expectRejected([&] { Run("INSERT INTO missing VALUES(1)"); });
    // The driver takes one statement per call and says so as an error of the statement.
    EXPECT_THROW(Run("INSERT INTO t VALUES(1, 'a'); INSERT INTO t VALUES(2, 'b')"), EOleException);
    EXPECT_EQ(Rows(*connection_), 0);
}

TEST_F(SqliteOdbc, AnErrorAfterTheFirstRowsIsTheStatementsError) {
    Run("INSERT INTO t(i) VALUES(1), (2), (3)");
    // The third row overflows when it is fetched.
    EXPECT_THROW(connection_->Execute("SELECT CASE WHEN i < 3 THEN i ELSE "
                                      "abs(-9223372036854775807 - 1) END FROM t ORDER BY i"),
                 EOleException);
    EXPECT_EQ(Rows(*connection_), 3);
}

TEST_F(SqliteOdbc, Windows1250TextReachesTheDriverAsTheSameLetters) {
    TADOQuery query;
    query.Connection = connection_.get();
    query.ExecuteOptions = eoExecuteNoRecords;
    query.SetSQL(AnsiString("INSERT INTO t(s) VALUES('\xB9\xEA\xB3\xF3\x9C\x9F\xBF\xE6\xF1 "
                            "\xA5\xCA\xA3\xD3\x8C\x8F\xAF\xC6\xD1')"));
    query.ExecSQL();

    EXPECT_EQ(Value(*connection_, "SELECT s FROM t").toString(), QString("ąęłóśźżćń ĄĘŁÓŚŹŻĆŃ"));
    // Stored as U+0105 (UTF-8 C4 85), not as some byte of the code page.
    EXPECT_EQ(Value(*connection_, "SELECT hex(substr(s, 1, 1)) FROM t").toString(), "C485");
}

} // namespace
