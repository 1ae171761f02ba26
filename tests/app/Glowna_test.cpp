#include "tests/app/AktualizacjaFixture.h"

#include "platform/ado/ConnectionString.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/rtl/Exceptions.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <algorithm>

namespace {

TEST_F(GlownaTest, StartsWithTheCarriedVersionsInTheCaptionAndTheUpdateGroupHidden) {
    EXPECT_EQ(form->windowTitle(), "Zbiorcza aktualizacja systemu Qen 16.2.0.2 - 24.2.2.0");
    QStringList items;
    for (int i = 0; i < form->lstWersje->count(); ++i)
        items << form->lstWersje->item(i)->text();
    EXPECT_EQ(items, kCarried);
    EXPECT_EQ(form->PierwszaWersja(), "16.2.0.2");
    EXPECT_EQ(form->OstatniaWersja(), "24.2.2.0");
    EXPECT_FALSE(form->gbxAktualizacja->isVisible());
    EXPECT_TRUE(form->gbxLogowanie->isEnabled());
    EXPECT_EQ(form->edbUzytk->text(), "sa");
    EXPECT_EQ(form->edbHaslo->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form->pnlAktualizacjaInfo->Caption(), "");
    EXPECT_FALSE(form->Conn.LoginPrompt);
    EXPECT_TRUE(server->Calls().empty());
}

TEST_F(GlownaTest, LaysTheWindowOutAsDesignedAndFollowsItsHeight) {
    struct Case {
        QWidget* widget;
        QRect bounds;
    } const design[] = {
        {form->pnlAktualizacja, {0, 0, 584, 607}},    {form->pnlBtns, {0, 607, 584, 35}},
        {form->btnZamknij, {503, 5, 75, 25}},         {form->gbxLogowanie, {136, 24, 369, 153}},
        {form->edbSerwer, {104, 24, 121, 21}},        {form->edbHaslo, {104, 96, 121, 21}},
        {form->btnLoguj, {264, 96, 75, 25}},          {form->gbxAktualizacja, {136, 184, 369, 145}},
        {form->btnAktualizuj, {264, 104, 75, 25}},    {form->lstWersje, {8, 40, 121, 561}},
        {form->pnlAktualizacjaInfo, {1, 1, 582, 20}},
    };
    EXPECT_EQ(form->ClientWidth(), 584);
    EXPECT_EQ(form->ClientHeight(), 642);
    for (const Case& c : design)
        EXPECT_EQ(c.widget->geometry(), c.bounds) << c.widget->objectName().toStdString();
    // Labels fit their captions; the login labels stay right-justified against the fields.
    for (QLabel* label : {form->labSerwer, form->labBaza, form->labUzytk, form->labHaslo}) {
        EXPECT_EQ(label->x() + label->width(), 92) << label->text().toStdString();
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    }
    EXPECT_EQ(form->labWersje->pos(), QPoint(8, 24));
    EXPECT_GE(form->labWersje->width(),
              form->labWersje->fontMetrics().horizontalAdvance(form->labWersje->text()));

    form->SetClientWidth(700);
    form->SetClientHeight(742);
    EXPECT_EQ(form->lstWersje->geometry(), QRect(8, 40, 121, 661));
    EXPECT_EQ(form->btnZamknij->geometry(), QRect(619, 5, 75, 25));
    EXPECT_EQ(form->pnlBtns->geometry(), QRect(0, 707, 700, 35));
    EXPECT_EQ(form->pnlAktualizacjaInfo->geometry(), QRect(1, 1, 698, 20));
}

TEST_F(GlownaTest, LoginShowsTheVersionOfTheDatabase) {
    form->edbHaslo->setText("a;b\"c");
    Login("srv\\SQLEXPRESS", "Baza");
    EXPECT_TRUE(answerer.SeenWindows().empty());
    EXPECT_TRUE(form->gbxAktualizacja->isVisible());
    EXPECT_EQ(form->labAktualnaWersja->text(), "Wersja bazy srv\\SQLEXPRESS.Baza: 24.1.4.0");
    EXPECT_GE(
        form->labAktualnaWersja->width(),
        form->labAktualnaWersja->fontMetrics().horizontalAdvance(form->labAktualnaWersja->text()));
    ASSERT_FALSE(server->Calls().empty());
    EXPECT_EQ(server->Calls()[0].text,
              "Provider=SQLOLEDB.1;Password=\"a;b\"\"c\";Persist Security Info=True;User ID=sa;"
              "Initial Catalog=Baza;Data Source=srv\\SQLEXPRESS;OLE DB Services=-2;"
              "Application Name=U:admin");
    EXPECT_EQ(ConnectionStringValue(ParseConnectionString(server->Calls()[0].text), "Password"),
              "a;b\"c");
    EXPECT_EQ(server->Calls()[0].timeout, 15);
    EXPECT_EQ(server->Log(), (QStringList{"open", "exec " + kVersionQuery}));
}

// What the user types reaches the connection as typed, however the syntax treats its characters.
TEST_F(GlownaTest, TypedLoginValuesReachTheConnectionAsTyped) {
    for (const QString typed : {"=Tajne123", "==", "==x", "\u00a0pw\u00a0", " ;'\"= "}) {
        SCOPED_TRACE(typed.toStdString());
        for (QLineEdit* field : {form->edbUzytk, form->edbHaslo}) {
            field->clear();
            field->setFocus();
            for (QChar c : typed)
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
        Login();
        EXPECT_TRUE(answerer.SeenWindows().empty());
        EXPECT_TRUE(form->gbxAktualizacja->isVisible());
        const auto opened =
            std::find_if(server->Calls().rbegin(), server->Calls().rend(),
                         [](const auto& call) { return call.kind == FakeServer::Kind::Open; });
        ASSERT_NE(opened, server->Calls().rend());
        const auto pairs = ParseConnectionString(opened->text);
        EXPECT_EQ(ConnectionStringValue(pairs, "User ID"), typed);
        EXPECT_EQ(ConnectionStringValue(pairs, "Password"), typed);
    }
}

// A database or server name that looks like markup is shown as it is named.
TEST_F(GlownaTest, TheVersionLabelShowsMarkupAsText) {
    Login("<b>srv</b>", "<i>Baza</i>");
    const QLabel* label = form->labAktualnaWersja;
    EXPECT_EQ(label->text(), "Wersja bazy <b>srv</b>.<i>Baza</i>: 24.1.4.0");
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
}

TEST_F(GlownaTest, EnterInALoginFieldLogsIn) {
    form->edbSerwer->setText("srv");
    form->edbBaza->setText("db");
    form->activateWindow();
    form->edbHaslo->setFocus();
    QTest::keyClick(form->edbHaslo, Qt::Key_Return);
    EXPECT_TRUE(form->gbxAktualizacja->isVisible());
    EXPECT_EQ(form->labAktualnaWersja->text(), "Wersja bazy srv.db: 24.1.4.0");
}

TEST_F(GlownaTest, ANullVersionShowsNothingAfterTheLabel) {
    database.version = QVariant();
    Login();
    EXPECT_TRUE(form->gbxAktualizacja->isVisible());
    EXPECT_EQ(form->labAktualnaWersja->text(), "Wersja bazy srv.db: ");
}

TEST_F(GlownaTest, LoginFailuresReachTheErrorDisplayAndKeepTheUpdateGroupHidden) {
    struct Case {
        const char* what;
        std::function<void(FakeServer&, FakeQenDatabase&)> arrange;
        QString shown;
        bool connected;
    } const cases[] = {
        {"no row", [](FakeServer&, FakeQenDatabase& db) { db.versionRows = 0; },
         "Odczyt wersji systemu Qen dla bazy srv.db nie powiódł się.", true},
        {"two rows", [](FakeServer&, FakeQenDatabase& db) { db.versionRows = 2; },
         "Odczyt wersji systemu Qen dla bazy srv.db nie powiódł się.", true},
        {"no table",
         [](FakeServer& s, FakeQenDatabase&) {
             s.OnText(kVersionQuery,
                      FakeServer::ServerError("Invalid object name 'konfig_qz'.", 208));
         },
         "Invalid object name 'konfig_qz'.", true},
        {"login refused",
         [](FakeServer& s, FakeQenDatabase&) {
             s.OnOpen = [](const QString&) {
                 throw EOleException("Login failed for user 'sa'", 18456, "SQL Server", "", 0);
             };
         },
         "Login failed for user 'sa'", false}, // "'" sorts below "."
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Login(); // a good login first: the failing one must hide the group again
        ASSERT_TRUE(form->gbxAktualizacja->isVisible());
        auto failing = FakeServer::Create();
        FakeQenDatabase failingDatabase(failing);
        c.arrange(*failing, failingDatabase);
        form->Conn.SetProvider(failing);
        const std::size_t seen = answerer.SeenWindows().size();
        Login();
        ASSERT_EQ(answerer.SeenWindows().size(), seen + 1);
        const auto& box = answerer.SeenWindows().back();
        EXPECT_EQ(box.text, c.shown);
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_EQ(box.title, application.Title);
        EXPECT_FALSE(form->gbxAktualizacja->isVisible());
        EXPECT_EQ(form->Conn.Connected(), c.connected);
        EXPECT_TRUE(form->btnLoguj->isEnabled());
        form->Conn.SetProvider(server);
    }
}

TEST_F(GlownaTest, ASecondLoginClosesTheFirstConnection) {
    Login("srv1", "db1");
    Login("srv2", "db2");
    EXPECT_EQ(server->Log(), (QStringList{"open", "exec " + kVersionQuery, "close", "open",
                                          "exec " + kVersionQuery}));
    EXPECT_EQ(server->OpenSessions(), 1);
    EXPECT_EQ(server->Calls()[3].text,
              "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=sa;"
              "Initial Catalog=db2;Data Source=srv2;OLE DB Services=-2;Application Name=U:admin");
    EXPECT_EQ(form->labAktualnaWersja->text(), "Wersja bazy srv2.db2: 24.1.4.0");
}

TEST_F(GlownaTest, ZamknijEndsTheProgramWithoutClosingTheWindow) {
    application.MainForm = form.get();
    Login();
    form->btnZamknij->click();
    EXPECT_TRUE(application.Terminated());
    EXPECT_TRUE(form->Conn.Connected()); // closed when the window is destroyed
    form.reset();
    EXPECT_EQ(server->OpenSessions(), 0);
}

TEST_F(GlownaTest, ClosingTheWindowClosesTheConnectionAndEndsTheProgram) {
    application.MainForm = form.get();
    Login();
    form->close();
    EXPECT_FALSE(form->Conn.Connected());
    EXPECT_TRUE(application.Terminated());
}

} // namespace
