// Makes the README's pictures of the program: the main window after a login and the report of a
// failed update (the message window with the failing batch, then the error box), on the
// program's own road to the scripted TDS server. Usage: qz_screenshots <folder>

#include "app/Glowna.h"
#include "engine/Komunikat.h"
#include "platform/gui/Application.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/tds/TdsServer.h"
#include "ui/KBitBtn.h"
#include "ui/Komunikat.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <stdexcept>

namespace {

// Saves the window as it stands; its flat colours keep the file at a few tens of kilobytes.
void Zapisz(QWidget* okno, const QDir& folder, const QString& nazwa) {
    QApplication::processEvents();
    const QImage obraz = okno->grab().toImage().convertToFormat(QImage::Format_RGB888);
    const QString plik = folder.filePath(nazwa);
    if (!obraz.save(plik))
        throw std::runtime_error("cannot write " + plik.toStdString());
    std::printf("%s\n", qPrintable(plik));
}

int Zrob(const QDir& folder) {
    TdsServer server;
    server.Databases({"qen"});
    server.On(QStringLiteral("select wartosc from konfig_qz where nazwa = 'ZURQZ_WERSJA'"),
              {TdsServer::Rows({{"wartosc", "nvarchar"}}, {{"24.1.4.0"}})});
    server.On(QStringLiteral("SELECT dbo.fn_WERSJA_MS_SQL()"),
              {TdsServer::Rows({{"", "int"}}, {{2019}})});
    server.OnContaining(
        "CREATE FUNCTION dbo.fn_WERSJA_MS_SQL()",
        {TdsServer::Error(2714,
                          "There is already an object named 'fn_WERSJA_MS_SQL' in the database.",
                          16, 6, 1)});

    TfrmGlowna form;
    frmGlowna = &form;
    Application->MainForm = &form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        throw std::runtime_error("the main window is not shown");
    form.edbSerwer->setText(server.DataSource());
    form.edbBaza->setText(QStringLiteral("qen"));
    form.edbHaslo->setText(QStringLiteral("haslo"));
    form.btnLoguj->click();
    if (!form.labAktualnaWersja->isVisible())
        throw std::runtime_error("the login failed");
    Zapisz(&form, folder, QStringLiteral("glowna.png"));

    ModalAnswerer answerer;
    answerer.Click(QMessageBox::Yes);
    answerer.Then([&folder](QWidget* w) {
        auto* okno = qobject_cast<TfrmKomunikat*>(w);
        if (okno == nullptr)
            return;
        okno->bbSzczegoly->click();
        Zapisz(okno, folder, QStringLiteral("komunikat.png"));
        okno->bbZamknij->click();
    });
    answerer.Then([&folder](QWidget* w) {
        Zapisz(w, folder, QStringLiteral("blad.png"));
        if (auto* box = qobject_cast<QMessageBox*>(w))
            box->button(QMessageBox::Ok)->click();
    });
    form.btnAktualizuj->click();
    return answerer.SeenWindows().size() == 3 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    QApplication qtApplication(argc, argv);
    TApplication application;
    UstawOknoKomunikatu(PokazKomunikat);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    try {
        return Zrob(folder);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}
