#include "app/Glowna.h"

#include "engine/ConnectionString.h"
#include "engine/Komunikat.h"
#include "platform/ado/ConnectionString.h"
#include "platform/ado/OdbcConnectionString.h"
#include "platform/gui/Application.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/rtl/StringList.h"
#include "tests/app/AktualizacjaFixture.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/tds/TdsServer.h"
#include "ui/Komunikat.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>

// The main window's login and update command on the program's own road to the server: unixODBC
// and the FreeTDS driver, against the scripted TDS server.

namespace {

class GlownaFreeTds : public ::testing::Test {
protected:
    void SetUp() override {
        const QString program = UtworzConnectionString("srv", "db", "sa", "", "admin");
        if (ToOdbcConnectionString(ParseConnectionString(program), InstalledOdbcDrivers()).Driver !=
            "FreeTDS")
            GTEST_SKIP() << "the program would take another SQL Server driver here";
        UstawOknoKomunikatu(PokazKomunikat); // as the program does at start
        server.Databases({"qen"});
        server.On(kVersionQuery, {TdsServer::Rows({{"wartosc", "nvarchar"}}, {{"24.1.4.0"}})});
        server.On(kServerVersionQuery, {TdsServer::Rows({{"", "int"}}, {{2019}})});
        form = std::make_unique<TfrmGlowna>();
        form->show();
    }
    void TearDown() override {
        form.reset();
        UstawOknoKomunikatu(nullptr);
    }

    void Login(const QString& database = "qen") {
        form->edbSerwer->setText(server.DataSource());
        form->edbBaza->setText(database);
        form->edbHaslo->setText("pw");
        form->btnLoguj->click();
    }
    // Logs in and runs the update command, answering its confirmation with Yes.
    void Update() {
        Login();
        answerer.Click(QMessageBox::Yes);
        form->btnAktualizuj->click();
    }
    // The batches of a carried script.
    int ScriptBatches(const QString& resource = "qen_24_2_2_0") {
        TStringList lines;
        form->WczytajSkrypt(resource, lines);
        int separators = 0;
        for (int i = 0; i < lines.Count(); ++i)
            if (lines[i].toByteArray().trimmed().toUpper() == "GO")
                ++separators;
        return separators;
    }

    TApplication application;
    TdsServer server;
    std::unique_ptr<TfrmGlowna> form;
    ModalAnswerer answerer;
};

TEST_F(GlownaFreeTds, TheLoginShowsTheVersionTheServerAnswers) {
    Login();
    EXPECT_TRUE(answerer.SeenWindows().empty());
    EXPECT_TRUE(form->gbxAktualizacja->isVisible());
    EXPECT_EQ(form->labAktualnaWersja->text(),
              "Wersja bazy " + server.DataSource() + ".qen: 24.1.4.0");
    const auto events = server.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].value("user").toString(), "sa");
    EXPECT_EQ(events[0].value("password").toString(), "pw");
    EXPECT_EQ(events[0].value("application").toString(), "U:admin");
    EXPECT_EQ(server.Log(), (QStringList{"login sa qen", "batch " + kVersionQuery}));
}

// Typed character by character, as the user types; the connection-string syntax, the ODBC mapping
// and the driver lie between the field and the login the server receives.
void Type(QLineEdit* field, const QString& text) {
    field->clear();
    field->setFocus();
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    ASSERT_EQ(field->text(), text);
}

TEST_F(GlownaFreeTds, TheServerReceivesTheUserAndThePasswordAsTyped) {
    const QString awkward[] = {
        "=Tajne123", "==",  "==x", "=",    "= x",     " pw ",  "\u00a0Tajne\u00a0",
        "pw\u2003",  "a;b", ";",   "a\"b", "\"pw\"",  "it's",  "'pw'",
        "{pw}",      "p}w", "{",   "a=b",  "x;PWD=y", "zażółć"};
    form->edbSerwer->setText(server.DataSource());
    form->edbBaza->setText("qen");
    for (const QString& typed : awkward) {
        for (const bool user : {true, false}) {
            SCOPED_TRACE((typed + (user ? " as the user" : " as the password")).toStdString());
            Type(form->edbUzytk, user ? typed : "sa");
            Type(form->edbHaslo, user ? "pw" : typed);
            const std::size_t logins = server.Events().size();
            form->btnLoguj->click();
            EXPECT_TRUE(answerer.SeenWindows().empty());
            EXPECT_TRUE(form->gbxAktualizacja->isVisible());
            const auto events = server.Events();
            ASSERT_GT(events.size(), logins);
            const QJsonObject& login = events[logins];
            EXPECT_EQ(login.value("event").toString(), "login");
            EXPECT_EQ(login.value("user").toString(), user ? typed : "sa");
            EXPECT_EQ(login.value("password").toString(), user ? "pw" : typed);
            EXPECT_EQ(login.value("database").toString(), "qen");
        }
    }
}

// A refused login shows the server's words; a password the driver cannot carry is refused
// before the server, and neither message holds the password.
TEST_F(GlownaFreeTds, NoFailureOfTheLoginShowsThePassword) {
    struct Case {
        const char* login;
        QString password;
        QString shown;
        bool reachesServer;
    } const cases[] = {
        {"refuse", "=Tajne123", "Login failed for user 'sa'.", true},
        {"refuse", "==Tajne123", "Login failed for user 'sa'.", true},
        {"refuse", "\u00a0Tajne123 ", "Login failed for user 'sa'.", true},
        {"accept", "Tajne};123",
         "The FreeTDS driver cannot take a value of \"Password\" that holds \"};\"", false},
    };
    form->edbSerwer->setText(server.DataSource());
    form->edbBaza->setText("qen");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        server.Login(c.login);
        Type(form->edbHaslo, c.password);
        const std::size_t seen = answerer.SeenWindows().size();
        const std::size_t events = server.Events().size();
        form->btnLoguj->click();
        ASSERT_EQ(answerer.SeenWindows().size(), seen + 1);
        EXPECT_EQ(answerer.SeenWindows().back().text, c.shown);
        EXPECT_FALSE(answerer.SeenWindows().back().text.contains("Tajne"));
        EXPECT_FALSE(form->gbxAktualizacja->isVisible());
        EXPECT_EQ(server.Events().size(), events + (c.reachesServer ? 1 : 0));
        if (c.reachesServer) {
            EXPECT_EQ(server.Events().back().value("password").toString(), c.password);
        }
    }
}

TEST_F(GlownaFreeTds, ARefusedLoginShowsTheServersMessage) {
    struct Case {
        const char* what;
        const char* login;
        QString database;
        QString shown;
    } const cases[] = {
        {"login refused", "refuse", "qen", "Login failed for user 'sa'."},
        {"unknown database", "accept", "inna",
         "Cannot open database \"inna\" requested by the login. The login failed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.Login(c.login);
        const std::size_t seen = answerer.SeenWindows().size();
        Login(c.database);
        ASSERT_EQ(answerer.SeenWindows().size(), seen + 1);
        EXPECT_EQ(answerer.SeenWindows().back().text, c.shown);
        EXPECT_EQ(answerer.SeenWindows().back().icon, QMessageBox::Critical);
        EXPECT_FALSE(form->gbxAktualizacja->isVisible());
        EXPECT_FALSE(form->Conn.Connected());
    }
}

TEST_F(GlownaFreeTds, AnUpdateRunSendsTheScriptInOneCommittedTransaction) {
    const int batches = ScriptBatches();
    Update();
    ASSERT_EQ(answerer.SeenWindows().size(), 2u);
    EXPECT_EQ(answerer.SeenWindows()[0].text,
              "Wykonać aktualizację bazy " + server.DataSource() + ".qen do wersji 24.2.2.0 ?");
    EXPECT_EQ(answerer.SeenWindows()[1].text, "Zakończono aktualizację.");

    const QStringList log = server.Log();
    ASSERT_EQ(log.size(), 6 + 1 + batches + 2);
    EXPECT_EQ(log.mid(0, 7),
              (QStringList{"login sa qen", "batch " + kVersionQuery, "batch " + kVersionQuery,
                           "batch " + kMarkTable, "batch " + kMarkRow,
                           "batch " + kServerVersionQuery, "begin T1"}));
    const QStringList script = log.mid(7, batches);
    EXPECT_TRUE(std::all_of(script.cbegin(), script.cend(),
                            [](const QString& line) { return line.startsWith("batch[T1] \r\n"); }));
    // Windows-1250 script text arrives as the same letters; markers are replaced.
    EXPECT_TRUE(script.first().contains(
        "-- Skrypt działa tylko na bazie w wersji poprzedniej albo własnej (ponowne wykonanie)."));
    EXPECT_EQ(script
                  .filter("CREATE FUNCTION dbo.fn_WERSJA_MS_SQL()\r\nRETURNS INT\r\nWITH "
                          "ENCRYPTION\r\nAS")
                  .size(),
              1);
    EXPECT_TRUE(script.last().contains("SET wartosc = '24.2.2.0'"));
    // FreeTDS's commit opens the next transaction at once; autocommit's return ends it, empty.
    EXPECT_EQ(log.mid(7 + batches), (QStringList{"commit T1, begin T2", "rollback T2"}));
}

TEST_F(GlownaFreeTds, AFailingBatchRollsTheVersionBackAndShowsTheServersError) {
    server.OnContaining(
        "CREATE FUNCTION dbo.fn_WERSJA_MS_SQL()",
        {TdsServer::Error(2714,
                          "There is already an object named 'fn_WERSJA_MS_SQL' in the "
                          "database.",
                          16, 6, 1)});
    Update();
    const auto& shown = answerer.SeenWindows();
    ASSERT_EQ(shown.size(), 3u); // confirmation, message window, error display
    EXPECT_EQ(shown[1].className, "TfrmKomunikat");
    EXPECT_TRUE(shown[2].text.startsWith(
        "Błąd aktualizacji bazy do wersji 24.2.2.0 podczas wykonywania operacji "))
        << shown[2].text.toStdString();
    EXPECT_TRUE(shown[2].text.endsWith(
        "):\r\nThere is already an object named 'fn_WERSJA_MS_SQL' in the database."));
    EXPECT_EQ(form->pnlAktualizacjaInfo->Caption(),
              "Aktualizacja bazy do wersji 24.2.2.0 przerwana z powodu błędu.");

    const QStringList log = server.Log();
    ASSERT_GE(log.size(), 3);
    EXPECT_TRUE(log[log.size() - 3].contains("CREATE FUNCTION dbo.fn_WERSJA_MS_SQL()"));
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{"rollback T1, begin T2", "rollback T2"}));
    EXPECT_TRUE(log.filter("commit").isEmpty());
    EXPECT_TRUE(form->btnAktualizuj->isVisibleTo(form.get()));
}

// A version whose transaction the server ended itself: the deadlock victim's rollback, or the
// commit after a batch's own ROLLBACK, is refused for want of a transaction. The next
// "Aktualizuj" on the same login applies the versions from the database's own on, each in a
// transaction of its own, whether or not the refusal began one on the server.
struct EndedByTheServer {
    const char* name;
    QString batch; // part of the batch of 24.1.4.0 that the server answers so
    QJsonArray answer;
    bool beginsAfterRefusal;
    QString shownStart, shownEnd; // of the first run's error display
};

void PrintTo(const EndedByTheServer& c, std::ostream* os) {
    *os << c.name;
}

class GlownaFreeTdsEndedByTheServer : public GlownaFreeTds,
                                      public ::testing::WithParamInterface<EndedByTheServer> {};

TEST_P(GlownaFreeTdsEndedByTheServer, TheNextUpdateOnTheSameLoginAppliesTheRemainingVersions) {
    const EndedByTheServer& c = GetParam();
    server.On(kVersionQuery, {TdsServer::Rows({{"wartosc", "nvarchar"}}, {{"23.3.4.0"}})});
    server.BeginAfterRefusal(c.beginsAfterRefusal);
    server.OnContaining(c.batch, c.answer);
    Update();
    const auto& shown = answerer.SeenWindows();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_TRUE(shown.back().text.startsWith(c.shownStart)) << shown.back().text.toStdString();
    EXPECT_TRUE(shown.back().text.endsWith(c.shownEnd)) << shown.back().text.toStdString();
    EXPECT_TRUE(form->btnAktualizuj->isVisibleTo(form.get()));

    server.OnContaining(c.batch, {}); // the retry gets through
    const std::size_t seen = shown.size();
    const qsizetype sent = server.Log().size();
    answerer.Click(QMessageBox::Yes);
    form->btnAktualizuj->click();
    ASSERT_EQ(shown.size(), seen + 2);
    EXPECT_EQ(shown.back().text, "Zakończono aktualizację.");

    const int first = ScriptBatches("qen_24_1_4_0");
    const int last = ScriptBatches();
    const QStringList log = server.Log().mid(sent);
    ASSERT_EQ(log.size(), 5 + first + 4 + last + 2) << log.join('\n').toStdString();
    EXPECT_EQ(log.mid(0, 5),
              (QStringList{"batch " + kVersionQuery, "batch " + kMarkTable, "batch " + kMarkRow,
                           "batch " + kServerVersionQuery, "begin T3"}));
    const QStringList script1 = log.mid(5, first);
    EXPECT_TRUE(std::all_of(script1.cbegin(), script1.cend(),
                            [](const QString& line) { return line.startsWith("batch[T3] \r\n"); }));
    EXPECT_TRUE(script1.last().contains("SET wartosc = '24.1.4.0'"));
    EXPECT_EQ(log.mid(5 + first, 4), (QStringList{"commit T3, begin T4", "rollback T4",
                                                  "batch " + kServerVersionQuery, "begin T5"}));
    const QStringList script2 = log.mid(5 + first + 4, last);
    EXPECT_TRUE(std::all_of(script2.cbegin(), script2.cend(),
                            [](const QString& line) { return line.startsWith("batch[T5] \r\n"); }));
    EXPECT_TRUE(script2.last().contains("SET wartosc = '24.2.2.0'"));
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{"commit T5, begin T6", "rollback T6"}));
}

const QString kDeadlockBatch = "UPDATE dbo.qen_waluty SET nazwa = 'złoty polski'";
const QString kDeadlock = "Transaction (Process ID 57) was deadlocked on lock resources with "
                          "another process and has been chosen as the deadlock victim. Rerun the "
                          "transaction.";
const QString kFailedVersion = "Błąd aktualizacji bazy do wersji 24.1.4.0 podczas wykonywania "
                               "operacji ";
const QString kLastBatch = "SET wartosc = '24.1.4.0'";
const QString kCommitRefused =
    "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.";

INSTANTIATE_TEST_SUITE_P(
    , GlownaFreeTdsEndedByTheServer,
    ::testing::Values(
        EndedByTheServer{"DeadlockVictim",
                         kDeadlockBatch,
                         {TdsServer::Error(1205, kDeadlock, 13, 51), TdsServer::Rollback()},
                         true,
                         kFailedVersion,
                         "):\r\n" + kDeadlock},
        EndedByTheServer{"DeadlockVictimRefusalBeginsNothing",
                         kDeadlockBatch,
                         {TdsServer::Error(1205, kDeadlock, 13, 51), TdsServer::Rollback()},
                         false,
                         kFailedVersion,
                         "):\r\n" + kDeadlock},
        EndedByTheServer{"OwnRollbackThenCommit",
                         kLastBatch,
                         {TdsServer::Count(1), TdsServer::Rollback()},
                         true,
                         kCommitRefused,
                         kCommitRefused},
        EndedByTheServer{"OwnRollbackThenCommitRefusalBeginsNothing",
                         kLastBatch,
                         {TdsServer::Count(1), TdsServer::Rollback()},
                         false,
                         kCommitRefused,
                         kCommitRefused}),
    [](const ::testing::TestParamInfo<EndedByTheServer>& info) { return info.param.name; });

} // namespace
