#include "tests/app/AktualizacjaFixture.h"

#include "engine/Komunikat.h"
#include "platform/rtl/Exceptions.h"
#include "ui/Komunikat.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

const QString kVersionQuery =
    QStringLiteral("select wartosc from konfig_qz where nazwa = 'ZURQZ_WERSJA'");
const QString kServerVersionQuery = QStringLiteral("SELECT dbo.fn_WERSJA_MS_SQL()");
const QString kMarkTable =
    "IF OBJECT_ID(N'tempdb.dbo.#WA_OPCJE_TMP', N'U') IS NOT NULL TRUNCATE TABLE #WA_OPCJE_TMP "
    "ELSE CREATE TABLE #WA_OPCJE_TMP( NAZWA    VARCHAR(50)    NOT NULL PRIMARY KEY, WARTOSC  "
    "VARCHAR(8000)  NOT NULL)";
const QString kMarkRow =
    "INSERT INTO #WA_OPCJE_TMP(NAZWA, WARTOSC) VALUES('Qen_AKTUALIZACJA', 'T')";
const QStringList kCarried = {
    "16.2.0.2", "16.3.0.3", "16.4.0.2", "17.1.0.10", "17.2.0.5", "18.1.0.6",
    "19.1.0.1", "20.1.1.0", "20.2.8.0", "21.1.6.0",  "21.2.5.0", "22.1.4.0",
    "22.2.6.0", "23.1.3.0", "23.2.3.0", "23.3.4.0",  "24.1.4.0", "24.2.2.0",
};

FakeQenDatabase::FakeQenDatabase(std::shared_ptr<FakeServer> server) : server_(std::move(server)) {
    server_->OnText(kVersionQuery, [this](const QString&) {
        return TADORecordset(
            1, std::vector<std::vector<QVariant>>(std::size_t(versionRows), {version}));
    });
    server_->OnText(kServerVersionQuery, FakeServer::Value(2019));
    // Every batch of a carried script: the first names its versions, the last records one.
    server_->On(
        [](const QString& t) { return t.startsWith("\r\n"); },
        [this](const QString& batch) -> TADORecordset {
            static const QRegularExpression own("SET @WERSJA_SKRYPTU = '([0-9.]+)'");
            static const QRegularExpression previous("SET @WERSJA_POPRZEDNIA = '([0-9.]+)'");
            static const QRegularExpression records("SET wartosc = '([0-9.]+)'");
            if (const auto m = own.match(batch); m.hasMatch()) {
                running_ = m.captured(1);
                const QString stored = version.toString().trimmed();
                const QString before = previous.match(batch).captured(1);
                if (stored != running_ && stored != before)
                    throw EOleException("Wersja systemu: " + stored +
                                            "\r\nAktualizacja jest przeznaczona dla wersji " +
                                            before,
                                        50000, "Microsoft SQL Server", "", 0, "42000");
                if (onFirstBatchOf) {
                    auto act = std::move(onFirstBatchOf);
                    act();
                }
            }
            if (running_ == failingVersion && batch.contains(failText))
                throw EOleException("Invalid object name 'x'.", 208, "Microsoft SQL Server", "", 0,
                                    "42S02");
            if (const auto m = records.match(batch); m.hasMatch())
                pending_ = m.captured(1);
            return {};
        });
    server_->OnCommit = [this] {
        if (pending_) {
            version = *pending_;
            committed << *pending_;
        }
        pending_.reset();
    };
    server_->OnRollback = [this] { pending_.reset(); };
}

GlownaTest::GlownaTest() {
    UstawOknoKomunikatu(PokazKomunikat); // as the program does at start
    form = std::make_unique<TfrmGlowna>();
    form->Conn.SetProvider(server);
    form->show();
}

GlownaTest::~GlownaTest() {
    UstawOknoKomunikatu(nullptr);
}

void GlownaTest::Login(const QString& serverName, const QString& databaseName) {
    form->edbSerwer->setText(serverName);
    form->edbBaza->setText(databaseName);
    form->btnLoguj->click();
}

QStringList GlownaTest::Statements() const {
    QStringList statements;
    for (const QString& line : server->Log())
        if (!line.endsWith(kVersionQuery) && !line.endsWith(kServerVersionQuery) &&
            !line.startsWith("exec[T] \r\n"))
            statements << line;
    return statements;
}
