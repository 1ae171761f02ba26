#include "tests/app/AktualizacjaFixture.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

class AktualizacjaTest : public GlownaTest {
protected:
    // Logs in to a database at the version and presses "Aktualizuj"; Yes answers the
    // confirmation when it comes.
    void Update(const QVariant& version, bool yes = true) {
        database.version = version;
        Login();
        PressUpdate(yes);
    }
    void PressUpdate(bool yes = true) {
        seenBefore = answerer.SeenWindows().size();
        answerer.Click(yes ? QMessageBox::Yes : QMessageBox::No);
        form->btnAktualizuj->click();
    }
    // The windows this command showed.
    std::vector<ModalAnswerer::Seen> Shown() const {
        return {answerer.SeenWindows().begin() + std::ptrdiff_t(seenBefore),
                answerer.SeenWindows().end()};
    }
    void ExpectRestored() {
        EXPECT_TRUE(form->btnLoguj->isVisibleTo(form.get()));
        EXPECT_TRUE(form->btnAktualizuj->isVisibleTo(form.get()));
        EXPECT_TRUE(form->gbxLogowanie->isEnabled());
    }
    QStringList Versions(qsizetype from, qsizetype count = -1) const {
        return kCarried.mid(from, count);
    }

    std::size_t seenBefore = 0;
};

TEST_F(AktualizacjaTest, VersionsOutOfRangeOnlyWarn) {
    struct Case {
        const char* version;
        QString warning;
    } const cases[] = {
        {"24.2.2.0",
         "Aktualna wersja 24.2.2.0 jest większa lub równa maksymalnej dostępnej wersji 24.2.2.0."},
        {"25.0.0.0",
         "Aktualna wersja 25.0.0.0 jest większa lub równa maksymalnej dostępnej wersji 24.2.2.0."},
        {"16.1.0.10",
         "Aktualna wersja 16.1.0.10 musi być większa lub równa minimalnej dostępnej wersji "
         "16.2.0.2."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        Update(c.version);
        const auto shown = Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, c.warning);
        EXPECT_EQ(shown[0].title, "Ostrzeżenie");
        EXPECT_EQ(shown[0].icon, QMessageBox::Warning);
        EXPECT_EQ(shown[0].buttons.size(), 1);
        for (const QString& statement : Statements()) // nothing but the logins
            EXPECT_TRUE(statement == "open" || statement == "close") << statement.toStdString();
        EXPECT_TRUE(database.committed.isEmpty());
    }
}

TEST_F(AktualizacjaTest, AVersionThatIsNoVersionNumberFailsTheComparison) {
    struct Case {
        QVariant stored;
        QString shown;
    } const cases[] = {
        {QString("24.2.2.0 "), "Niepoprawna wersja: \"24.2.2.0 \"."},
        {QVariant(), "Niepoprawna wersja: \"\"."},
    };
    for (const Case& c : cases) {
        Update(c.stored);
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_EQ(Shown()[0].text, c.shown);
        EXPECT_EQ(Shown()[0].icon, QMessageBox::Critical);
    }
}

TEST_F(AktualizacjaTest, FromTheFirstVersionAppliesTheOtherSeventeenInOrder) {
    Update("16.2.0.2");
    const auto shown = Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Wykonać aktualizację bazy srv.db do wersji 24.2.2.0 ?");
    EXPECT_EQ(shown[0].title, "Potwierdź");
    EXPECT_EQ(shown[0].icon, QMessageBox::Information);
    EXPECT_EQ(shown[0].buttons.size(), 2);
    EXPECT_EQ(shown[0].defaultButton, shown[0].buttons.value(0));
    EXPECT_EQ(shown[1].text, "Zakończono aktualizację.");
    EXPECT_EQ(shown[1].title, "Informacja");
    EXPECT_EQ(shown[1].icon, QMessageBox::Information);

    EXPECT_EQ(database.committed, Versions(1));
    // The mark goes out on the login's connection before the first transaction; then one
    // transaction per version.
    QStringList expected{"open", "exec " + kMarkTable, "exec " + kMarkRow};
    for (int i = 0; i < 17; ++i)
        expected << "begin"
                 << "commit";
    EXPECT_EQ(Statements(), expected);
    for (const FakeServer::Call& call : server->Executed())
        if (call.text == kMarkTable || call.text == kMarkRow) {
            EXPECT_EQ(call.timeout, 30);
            EXPECT_FALSE(call.returnsRecords);
        }
    EXPECT_EQ(form->pnlAktualizacjaInfo->Caption(), "");
    ExpectRestored();
}

TEST_F(AktualizacjaTest, AppliesOnlyTheVersionsAboveTheDatabase) {
    Update("23.3.4.0");
    EXPECT_EQ(database.committed, (QStringList{"24.1.4.0", "24.2.2.0"}));
    // A second command reads the new version and has nothing to do.
    PressUpdate();
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text,
              "Aktualna wersja 24.2.2.0 jest większa lub równa maksymalnej dostępnej wersji "
              "24.2.2.0.");
}

TEST_F(AktualizacjaTest, ADatabaseBetweenCarriedVersionsIsRefusedByTheNextScript) {
    struct Case {
        const char* stored;
        const char* refusing;
        const char* previous;
    } const cases[] = {
        // Equal in value to the first carried version but written apart: its script runs.
        {"16.02.0.2", "16.2.0.2", "16.1.0.10"},
        {"20.1.5.0", "20.2.8.0", "20.1.1.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Update(c.stored);
        const auto shown = Shown();
        ASSERT_EQ(shown.size(), 3u);
        EXPECT_EQ(shown[1].className, "TfrmKomunikat");
        EXPECT_EQ(shown[1].title, "Błąd");
        const QString refusal = QString("Wersja systemu: %1\r\nAktualizacja jest przeznaczona "
                                        "dla wersji %2")
                                    .arg(c.stored, c.previous);
        EXPECT_TRUE(shown[2].text.startsWith(
            QString("Błąd aktualizacji bazy do wersji %1 podczas wykonywania operacji 1 (Ln: ")
                .arg(c.refusing)))
            << shown[2].text.toStdString();
        EXPECT_TRUE(shown[2].text.endsWith(refusal + "."));
        EXPECT_TRUE(database.committed.isEmpty());
        EXPECT_EQ(
            form->pnlAktualizacjaInfo->Caption(),
            QString("Aktualizacja bazy do wersji %1 przerwana z powodu błędu.").arg(c.refusing));
        ExpectRestored();
    }
}

TEST_F(AktualizacjaTest, NoInTheConfirmationChangesNothing) {
    database.version = "16.2.0.2";
    Login();
    const QStringList before = Statements();
    PressUpdate(false);
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Statements(), before);
    ExpectRestored();
    EXPECT_EQ(form->pnlAktualizacjaInfo->Caption(), "");
}

TEST_F(AktualizacjaTest, AFailureInTheThirdVersionKeepsTheFirstTwo) {
    database.failingVersion = "24.1.4.0";
    Update("23.1.3.0");
    EXPECT_EQ(database.committed, (QStringList{"23.2.3.0", "23.3.4.0"}));
    const auto shown = Shown();
    ASSERT_EQ(shown.size(), 3u); // confirmation, message window, error display
    EXPECT_TRUE(shown[2].text.startsWith(
        "Błąd aktualizacji bazy do wersji 24.1.4.0 podczas wykonywania operacji "));
    EXPECT_TRUE(shown[2].text.endsWith("):\r\nInvalid object name 'x'."));
    EXPECT_EQ(form->pnlAktualizacjaInfo->Caption(),
              "Aktualizacja bazy do wersji 24.1.4.0 przerwana z powodu błędu.");
    EXPECT_EQ(form->pnlAktualizacjaInfo->Color(), TColor(0x00BBBBFF));
    EXPECT_EQ(server->Log().count("rollback"), 1);
    ExpectRestored();
}

TEST_F(AktualizacjaTest, TheWindowIsLockedWhileVersionsRun) {
    bool locked = false;
    database.onFirstBatchOf = [&] {
        locked = !form->btnLoguj->isVisible() && !form->btnAktualizuj->isVisible() &&
                 !form->gbxLogowanie->isEnabled() && form->btnZamknij->isEnabled();
    };
    Update("24.1.4.0");
    EXPECT_TRUE(locked);
    ExpectRestored();
}

TEST_F(AktualizacjaTest, AMissingScriptStopsTheWalk) {
    form->lstWersje->addItem("24.3.0.0"); // a version the program carries no script for
    Update("24.1.4.0");
    EXPECT_EQ(database.committed, (QStringList{"24.2.2.0"}));
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Shown()[0].text, "Wykonać aktualizację bazy srv.db do wersji 24.3.0.0 ?");
    EXPECT_EQ(Shown()[1].text, "Resource qen_24_3_0_0 not found.");
    ExpectRestored();
}

TEST_F(AktualizacjaTest, AFailedMarkAppliesNothing) {
    server->OnText(kMarkRow, FakeServer::ServerError("Cannot insert duplicate key", 2627));
    Update("24.1.4.0");
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Shown()[1].text, "Cannot insert duplicate key.");
    EXPECT_EQ(server->Log().count("begin"), 0);
    ExpectRestored();
}

TEST_F(AktualizacjaTest, TheConfirmationNamesTheFieldsAsTheyStandNow) {
    database.version = "24.1.4.0";
    Login("srv", "db");
    form->edbSerwer->setText("inny");
    PressUpdate();
    EXPECT_EQ(Shown()[0].text, "Wykonać aktualizację bazy inny.db do wersji 24.2.2.0 ?");
    EXPECT_EQ(server->Log().count("open"), 1);
    EXPECT_EQ(database.committed, (QStringList{"24.2.2.0"}));
}

TEST_F(AktualizacjaTest, EndingTheProgramDuringARunFinishesOnlyTheVersionInProgress) {
    struct Case {
        const char* how;
        std::function<void(TfrmGlowna&)> end;
        bool connected;
    } const cases[] = {
        {"window closed", [](TfrmGlowna& f) { f.close(); }, false},
        {"Zamknij", [](TfrmGlowna& f) { f.btnZamknij->click(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        TApplication ownApplication; // a fresh application object that is not terminated
        form = std::make_unique<TfrmGlowna>();
        form->Conn.SetProvider(server);
        ownApplication.MainForm = form.get();
        form->show();
        database.committed.clear();
        database.onFirstBatchOf = [&] {
            // Handled with the waiting messages after the version.
            QTimer::singleShot(0, form.get(), [&] { c.end(*form); });
        };
        Update("23.2.3.0");
        EXPECT_EQ(database.committed, (QStringList{"23.3.4.0"}));
        EXPECT_TRUE(ownApplication.Terminated());
        ASSERT_EQ(Shown().size(), 1u); // the confirmation; no completion message
        EXPECT_EQ(form->Conn.Connected(), c.connected);
        ExpectRestored();
        form.reset();
    }
}

TEST_F(AktualizacjaTest, ScriptsAreFoundByNameWithoutRegardToCase) {
    TStringList upper, lower;
    form->WczytajSkrypt("QEN_17_1_0_10", upper);
    form->WczytajSkrypt("qen_17_1_0_10", lower);
    EXPECT_GT(upper.Count(), 10);
    EXPECT_EQ(upper.Text(), lower.Text());
    try {
        form->WczytajSkrypt("qen_99_0_0_0", upper);
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource qen_99_0_0_0 not found");
    }
    try {
        form->AktualizujDoWersji("abc");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Niepoprawny numer wersji: \"abc\".");
    }
}

} // namespace
