#include "engine/PrzetwarzanieQZR.h"

#include "engine/CzyAdministrator.h"
#include "engine/Komunikat.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/FakeServer.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

class FakeStatus : public TStatusControl {
public:
    void SetCaption(const QString& caption) override { captions.push_back(caption); }
    void SetColor(TColor c) override { color = c; }
    bool Visible() const override { return visible; }
    void Repaint() override {
        repaintedCaptions.push_back(captions.empty() ? "" : captions.back());
    }

    std::vector<QString> captions;
    std::vector<QString> repaintedCaptions;
    std::optional<TColor> color;
    bool visible = true;
};

struct ShownMessage {
    QString text, details;
    TRodzajKomunikatu kind;
    bool holdFocus;
    QString link;
};
std::vector<ShownMessage> shownMessages;

void RecordMessage(const QString& text, const QString& details, TRodzajKomunikatu kind,
                   bool holdFocus, const QString& link) {
    shownMessages.push_back({text, details, kind, holdFocus, link});
}

class Rights : public IUprawnieniaUzytkownika {
public:
    explicit Rights(QString answer) : answer_(std::move(answer)) {}
    QString SprawdzUprawnienie(const QString&, const QString&, int) override { return answer_; }

private:
    QString answer_;
};

const QString kServerVersionQuery = "SELECT dbo.fn_WERSJA_MS_SQL()";
const QString kPreparing = "Aktualizacja bazy danych: przygotowanie aktualizacji...";

class PrzetwarzanieQZRTest : public ::testing::Test {
protected:
    void SetUp() override {
        shownMessages.clear();
        UstawOknoKomunikatu(RecordMessage);
        server->OnText(kServerVersionQuery, FakeServer::Value(2005));
        conn.SetProvider(server);
        conn.Open();
    }
    void TearDown() override {
        UstawOknoKomunikatu(nullptr);
        UprawnieniaUzytkownika.reset();
    }

    bool Run(const TStringList& lines, const QString& version = "24.2.2.0", bool encrypt = true) {
        return TPrzetwarzanieQZR::WykonajSkrypt(conn, lines, encrypt, status, version);
    }
    // What reached the server after the server-version query, with the transaction marks.
    QStringList ScriptLog() const {
        QStringList log = server->Log();
        log.removeAll("open");
        log.removeAll("exec " + kServerVersionQuery);
        return log;
    }
    QString Progress(int operation, int count) const {
        return QString("2024.2.02 - Aktualizacja bazy danych: wykonywanie operacji %1 z %2...")
            .arg(operation)
            .arg(count);
    }

    std::shared_ptr<FakeServer> server = FakeServer::Create();
    TADOConnection conn;
    FakeStatus status;
};

TEST_F(PrzetwarzanieQZRTest, BlankScriptsDoNothing) {
    for (const TStringList& lines : {TStringList{}, TStringList{"", "  ", "\t \x01"}}) {
        EXPECT_FALSE(Run(lines));
        EXPECT_TRUE(status.captions.empty());
        EXPECT_TRUE(ScriptLog().isEmpty());
    }
}

TEST_F(PrzetwarzanieQZRTest, RunsEachBatchInOneTransactionWithProgress) {
    EXPECT_TRUE(Run({"select 1", "GO", "  insert t values (1)", "", "go"}));
    EXPECT_EQ(ScriptLog(), (QStringList{"begin", "exec[T] \r\nselect 1",
                                        "exec[T] \r\n  insert t values (1)\r\n", "commit"}));
    EXPECT_EQ(status.captions, (std::vector<QString>{kPreparing, Progress(1, 2), Progress(2, 2)}));
    EXPECT_EQ(status.repaintedCaptions, status.captions);
    EXPECT_FALSE(status.color.has_value());
    for (const FakeServer::Call& call : server->Executed())
        if (call.inTransaction) {
            EXPECT_EQ(call.timeout, 2592000);
            EXPECT_FALSE(call.returnsRecords);
        }
}

TEST_F(PrzetwarzanieQZRTest, OnlyAGoAloneOnItsLineSeparates) {
    struct Case {
        const char* line;
        bool separates;
    } const cases[] = {
        {"GO", true},       {"go", true},   {"Go", true},       {"GO ", true},
        {" GO", true},      {"GO\t", true}, {"\t go \r", true}, {"GO 2", false},
        {"GO -- x", false}, {"GOO", false}, {"G O", false},     {"-- GO", false},
    };
    for (const Case& c : cases) {
        auto server = FakeServer::Create();
        conn.SetProvider(server);
        conn.Open();
        EXPECT_TRUE(TPrzetwarzanieQZR::WykonajSkrypt(conn, {"a", c.line, "b", "GO"}, true, status,
                                                     "8.0.0.0"));
        const QStringList expected =
            c.separates ? QStringList{"\r\na", "\r\nb"}
                        : QStringList{"\r\na\r\n" + QString::fromLatin1(c.line) + "\r\nb"};
        EXPECT_EQ(server->ExecutedTexts(), expected) << c.line;
    }
}

TEST_F(PrzetwarzanieQZRTest, TextAfterTheLastSeparatorRunsAsOneMoreOperation) {
    EXPECT_TRUE(Run({"a", "GO", "", "b", "  "}));
    EXPECT_EQ(ScriptLog(),
              (QStringList{"begin", "exec[T] \r\na", "exec[T] \r\n\r\nb\r\n  ", "commit"}));
    EXPECT_EQ(status.captions.back(), Progress(2, 2));
}

TEST_F(PrzetwarzanieQZRTest, ABlankTailIsIgnored) {
    EXPECT_TRUE(Run({"a", "GO", "", " \t"}));
    EXPECT_EQ(ScriptLog(), (QStringList{"begin", "exec[T] \r\na", "commit"}));
    EXPECT_EQ(status.captions.back(), Progress(1, 1));
}

TEST_F(PrzetwarzanieQZRTest, AScriptWithoutSeparatorsRunsAsOneOperation) {
    EXPECT_TRUE(Run({"select 1", "select 2"}));
    EXPECT_EQ(ScriptLog(), (QStringList{"begin", "exec[T] \r\nselect 1\r\nselect 2", "commit"}));
    EXPECT_EQ(status.captions, (std::vector<QString>{kPreparing, Progress(1, 1)}));
}

TEST_F(PrzetwarzanieQZRTest, AFailingTailNamesTheLastLine) {
    server->OnContaining("tail", FakeServer::ServerError("bad tail"));
    try {
        Run({"a", "GO", "tail"});
        FAIL();
    } catch (const EOleException& e) {
        EXPECT_TRUE(e.Message().startsWith(
            QString::fromUtf8("Błąd aktualizacji bazy do wersji 24.2.2.0 podczas wykonywania "
                              "operacji 2 (Ln: 3):")));
    }
}

TEST_F(PrzetwarzanieQZRTest, AnEmptyBatchIsRefusedByTheDataAccessLayerAndRollsBack) {
    for (const TStringList& lines : {TStringList{"GO", "a", "GO"}, TStringList{"a", "GO", "GO"}}) {
        status = FakeStatus();
        try {
            Run(lines);
            ADD_FAILURE();
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), "Missing SQL property");
        }
        EXPECT_EQ(ScriptLog().back(), "rollback");
        EXPECT_FALSE(status.color.has_value());
        EXPECT_NE(status.captions.back().indexOf("wykonywanie operacji"), -1);
    }
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_FALSE(conn.InTransaction());
}

TEST_F(PrzetwarzanieQZRTest, ReplacesOnlyTheFirstEncryptionMarkerWhenAsked) {
    const char* upper = "-- 'C810A5C6-2053-412E-8618-652E1868305B'";
    const char* lower = "-- 'c810a5c6-2053-412e-8618-652e1868305b'";
    const TStringList lines{"CREATE PROCEDURE p", lower, "AS", upper, "GO"};
    EXPECT_TRUE(Run(lines));
    EXPECT_EQ(server->ExecutedTexts().back(),
              QString("\r\nCREATE PROCEDURE p\r\nWITH ENCRYPTION\r\nAS\r\n") + upper);
    EXPECT_TRUE(Run(lines, "24.2.2.0", false));
    EXPECT_EQ(server->ExecutedTexts().back(),
              QString("\r\nCREATE PROCEDURE p\r\n") + lower + "\r\nAS\r\n" + upper);
    EXPECT_TRUE(Run({"x -- 'C810A5C6' -- 'C810A5C6-2053-412E-8618-652E1868305B' y", "GO"}));
    EXPECT_EQ(server->ExecutedTexts().back(), "\r\nx -- 'C810A5C6' WITH ENCRYPTION y");
}

TEST_F(PrzetwarzanieQZRTest, BatchesNeedingANewerServerAreSkippedButCounted) {
    const TStringList lines{
        "CREATE PROCEDURE p2005", "-- $MIN_SQL_2005", "AS", "GO", "select 1", "GO"};
    // Below 8.11.0.0 the server is not asked and counts as 2000.
    EXPECT_TRUE(Run(lines, "8.10.9.9"));
    EXPECT_EQ(server->ExecutedTexts(), (QStringList{"\r\nselect 1"}));
    EXPECT_EQ(status.captions.back(),
              "2008.10.09 - Aktualizacja bazy danych: wykonywanie operacji 2 z 2...");

    EXPECT_TRUE(Run(lines, "8.11.0.0"));
    EXPECT_EQ(
        server->ExecutedTexts().mid(1),
        (QStringList{kServerVersionQuery, "\r\nCREATE PROCEDURE p2005\r\n-- $MIN_SQL_2005\r\nAS",
                     "\r\nselect 1"}));

    // Written in lower case it is no marker.
    server = FakeServer::Create();
    conn.SetProvider(server);
    conn.Open();
    EXPECT_TRUE(Run({"-- $min_sql_2005", "GO"}, "8.0.0.0"));
    EXPECT_EQ(server->ExecutedTexts(), (QStringList{"\r\n-- $min_sql_2005"}));
}

TEST_F(PrzetwarzanieQZRTest, AMalformedMinimumServerMarkerFailsTheVersion) {
    try {
        Run({"a", "GO", "-- $MIN_SQL_abcd", "GO"});
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abcd' is not a valid integer value");
    }
    EXPECT_EQ(ScriptLog(), (QStringList{"begin", "exec[T] \r\na", "rollback"}));
    EXPECT_FALSE(status.color.has_value());
}

TEST(SprawdzMinimalnySQL, ComparesTheFourCharactersAfterTheFirstMarker) {
    struct Case {
        int server;
        const char* batch;
        bool runs;
    } const cases[] = {
        {2000, "no marker", true},
        {2000, "-- $MIN_SQL_2005", false},
        {2005, "-- $MIN_SQL_2005", true},
        {2008, "x\r\n-- $MIN_SQL_2005\r\ny", true},
        {2005, "-- $MIN_SQL_2008 -- $MIN_SQL_2000", false},
        {2000, "-- $min_sql_2005", true},
        {2000, "-- $MIN_SQL_20", true},
        {2000, "-- $MIN_SQL_20050", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TPrzetwarzanieQZR::SprawdzMinimalnySQL(c.server, c.batch), c.runs) << c.batch;
    EXPECT_THROW(TPrzetwarzanieQZR::SprawdzMinimalnySQL(2000, "-- $MIN_SQL_"), EConvertError);
}

TEST_F(PrzetwarzanieQZRTest, AFailingBatchIsReportedWithItsOperationAndLine) {
    TStringList lines;
    for (int op = 1; op <= 6; ++op) {
        // Batches of eight lines; the fifth one gets two more, so its "GO" stands at index 41.
        while (lines.Count() % 8 != 7)
            lines.Add(QByteArray("-- op ") + QByteArray::number(op));
        if (op == 5) {
            lines.Add("-- 'C810A5C6-2053-412E-8618-652E1868305B'");
            lines.Add("fail here");
        }
        lines.Add("GO");
    }
    ASSERT_EQ(QByteArrayView(lines[41]), QByteArrayView("GO"));
    server->OnContaining("fail here", [](const QString&) -> TADORecordset {
        throw EOleException("Invalid column name 'x'.", 207, "Microsoft SQL Server", "help.hlp", 12,
                            "42S22");
    });
    try {
        Run(lines);
        FAIL();
    } catch (const EOleException& e) {
        EXPECT_EQ(e.Message(),
                  QString::fromUtf8("Błąd aktualizacji bazy do wersji 24.2.2.0 podczas "
                                    "wykonywania operacji 5 (Ln: 42):\r\nInvalid column name "
                                    "'x'."));
        EXPECT_EQ(e.ErrorCode(), 207);
        EXPECT_EQ(e.Source(), "Microsoft SQL Server");
        EXPECT_EQ(e.HelpFile(), "help.hlp");
        EXPECT_EQ(e.HelpContext(), 12);
        EXPECT_EQ(e.SqlState(), "42S22");
    }
    EXPECT_EQ(ScriptLog().size(), 1 + 5 + 1);
    EXPECT_EQ(ScriptLog().back(), "rollback");
    EXPECT_EQ(status.captions.back(),
              QString::fromUtf8("Aktualizacja bazy do wersji 24.2.2.0 przerwana z powodu błędu."));
    EXPECT_EQ(status.color, TColor(0x00BBBBFF));
    ASSERT_EQ(shownMessages.size(), 1u);
    const ShownMessage& shown = shownMessages[0];
    EXPECT_EQ(shown.text, QString::fromUtf8("Invalid column name 'x'.\r\n\r\nSzczegóły zawierają "
                                            "polecenie które spowodowało błąd."));
    EXPECT_TRUE(shown.details.endsWith("\r\nWITH ENCRYPTION\r\nfail here"))
        << shown.details.toStdString();
    EXPECT_EQ(shown.kind, rkBlad);
    EXPECT_FALSE(shown.holdFocus);
    EXPECT_EQ(shown.link, "");
}

TEST_F(PrzetwarzanieQZRTest, TheMessageWindowFollowsRightsAndTheRedStatusVisibility) {
    // Each condition on its own: a mix-up of the two shows in a mixed case.
    struct Case {
        bool visible;
        QString rights;
        bool red, shown;
    };
    const Case cases[] = {
        {true, "S", true, true},
        {true, "N", true, false},
        {false, "S", false, true},
        {false, "N", false, false},
    };
    server->OnContaining("bad", FakeServer::ServerError("boom"));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "visible " << c.visible << ", rights " << c.rights.toStdString());
        shownMessages.clear();
        status = FakeStatus();
        status.visible = c.visible;
        UprawnieniaUzytkownika = std::make_shared<Rights>(c.rights);
        EXPECT_THROW(Run({"bad", "GO"}), EOleException);
        EXPECT_EQ(shownMessages.size(), c.shown ? 1u : 0u);
        EXPECT_EQ(status.color.has_value(), c.red);
        const bool stopped = status.captions.back() ==
                             QString::fromUtf8("Aktualizacja bazy do wersji 24.2.2.0 przerwana z "
                                               "powodu błędu.");
        EXPECT_EQ(stopped, c.red);
        if (!c.red) {
            EXPECT_NE(status.captions.back().indexOf("wykonywanie operacji 1 z 1"), -1);
        }
    }
}

TEST_F(PrzetwarzanieQZRTest, OtherFailuresOfABatchPassUnchangedAfterTheRollback) {
    server->OnContaining("bad", FakeServer::LayerError("Connection failure"));
    try {
        Run({"bad", "GO"});
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Connection failure");
    }
    EXPECT_EQ(ScriptLog(), (QStringList{"begin", "exec[T] \r\nbad", "rollback"}));
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_FALSE(status.color.has_value());
}

TEST_F(PrzetwarzanieQZRTest, AFailedCommitRollsBackAndPassesOn) {
    server->OnCommit = [] { throw EOleException("commit lost", 3902, "srv", "", 0); };
    EXPECT_THROW(Run({"a", "GO"}), EOleException);
    EXPECT_EQ(ScriptLog(), (QStringList{"begin", "exec[T] \r\na", "commit", "rollback"}));
    EXPECT_FALSE(conn.InTransaction());
}

TEST_F(PrzetwarzanieQZRTest, AFailedRollbackDoesNotHideTheBatchError) {
    server->OnContaining("bad", FakeServer::ServerError("the real cause"));
    server->OnRollback = [] { throw EOleException("rollback lost", 0, "srv", "", 0); };
    try {
        Run({"bad", "GO"});
        FAIL();
    } catch (const EOleException& e) {
        EXPECT_TRUE(e.Message().endsWith("the real cause"));
    }
}

TEST_F(PrzetwarzanieQZRTest, FailuresBeforeTheTransactionOpensPassOnAlone) {
    EXPECT_THROW(Run({"a", "GO"}, "abc"), EConvertError);
    server->OnText(kServerVersionQuery, FakeServer::Value(1999));
    EXPECT_THROW(Run({"a", "GO"}), EDatabaseError);
    EXPECT_TRUE(ScriptLog().isEmpty());

    conn.BeginTrans();
    try {
        Run({"a", "GO"}, "8.0.0.0");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("Transakcja jest już rozpoczęta."));
    }
    EXPECT_TRUE(conn.InTransaction());
    EXPECT_EQ(ScriptLog(), (QStringList{"begin"}));
}

TEST_F(PrzetwarzanieQZRTest, PolishLettersReachTheDriverAsTheSameLetters) {
    EXPECT_TRUE(Run({"PRINT '\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF \xA5\xA3\x8C\xAF'", "GO"}));
    EXPECT_EQ(server->ExecutedTexts().back(), QString::fromUtf8("\r\nPRINT 'ąćęłńóśźż ĄŁŚŻ'"));
}

} // namespace
