#pragma once

#include "platform/ado/ADODB.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/StringList.h"

#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TPanel;

enum TCloseAction { caNone, caHide, caFree, caMinimize };

// The main window: the login to a database, its version, the carried versions and the update
// command that brings the database up to the newest of them.
class TfrmGlowna : public TForm {
    Q_OBJECT

public:
    explicit TfrmGlowna(QWidget* parent = nullptr);
    ~TfrmGlowna() override;

    TPanel* pnlAktualizacja;
    TPanel* pnlBtns;
    QPushButton* btnZamknij;
    QGroupBox* gbxLogowanie;
    QLabel* labSerwer;
    QLabel* labBaza;
    QLabel* labUzytk;
    QLabel* labHaslo;
    QLineEdit* edbSerwer;
    QLineEdit* edbBaza;
    QLineEdit* edbUzytk;
    QLineEdit* edbHaslo;
    QPushButton* btnLoguj;
    QGroupBox* gbxAktualizacja;
    QLabel* labAktualnaWersja;
    TADOConnection Conn;
    QPushButton* btnAktualizuj;
    QListWidget* lstWersje;
    QLabel* labWersje;
    TPanel* pnlAktualizacjaInfo;

    void btnZamknijClick(QObject* Sender);
    void btnLogujClick(QObject* Sender);
    // Closes an open connection and opens one from the login fields.
    void Polacz();
    void Rozlacz();
    void FormShow(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action);
    void btnAktualizujClick(QObject* Sender);

    // The database's version as stored; raises EDatabaseError unless exactly one row holds it.
    QString OdczytajWersjeBazy();
    QString PierwszaWersja() const;
    QString OstatniaWersja() const;
    // Fills Lines with the text of the program's update script of that name; raises
    // EResNotFound for a name no script has.
    void WczytajSkrypt(const QString& Nazwa, TStringList& Lines);
    // Applies the update script of the version; raises Exception for an invalid version text.
    void AktualizujDoWersji(const QString& Wersja);
    void WykonajSQL(const QString& Polecenie);
    // Marks the connection as the update tool's, for the database code the scripts create.
    void UstawZnacznikAktualizacji();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

extern TfrmGlowna* frmGlowna;
