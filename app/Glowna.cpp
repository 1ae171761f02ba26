#include "app/Glowna.h"

#include "app/PanelStatusu.h"
#include "engine/ConnectionString.h"
#include "engine/PrzetwarzanieQZR.h"
#include "engine/Wersja.h"
#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Resources.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

TfrmGlowna* frmGlowna = nullptr;

namespace {

const QString SZapytanieWersja =
    QStringLiteral("select wartosc from konfig_qz where nazwa = 'ZURQZ_WERSJA'");
const QString SOdczytWersjiNieudany =
    QStringLiteral("Odczyt wersji systemu Qen dla bazy %s.%s nie powiódł się.");
const QString SWersjaMaksymalna =
    QStringLiteral("Aktualna wersja %s jest większa lub równa maksymalnej dostępnej wersji %s.");
const QString SWersjaMinimalna =
    QStringLiteral("Aktualna wersja %s musi być większa lub równa minimalnej dostępnej wersji %s.");
const QString SPotwierdzenie = QStringLiteral("Wykonać aktualizację bazy %s.%s do wersji %s ?");
const QString SZakonczono = QStringLiteral("Zakończono aktualizację.");
const QString SNiepoprawnyNumerWersji = QStringLiteral("Niepoprawny numer wersji: \"%s\".");
const QString STytulOstrzezenie = QStringLiteral("Ostrzeżenie");
const QString STytulPotwierdz = QStringLiteral("Potwierdź");
const QString STytulInformacja = QStringLiteral("Informacja");
const QString SZnacznikAktualizacjiTabela = QStringLiteral(
    "IF OBJECT_ID(N'tempdb.dbo.#WA_OPCJE_TMP', N'U') IS NOT NULL TRUNCATE TABLE #WA_OPCJE_TMP "
    "ELSE CREATE TABLE #WA_OPCJE_TMP( NAZWA    VARCHAR(50)    NOT NULL PRIMARY KEY, WARTOSC  "
    "VARCHAR(8000)  NOT NULL)");
const QString SZnacznikAktualizacjiWiersz =
    QStringLiteral("INSERT INTO #WA_OPCJE_TMP(NAZWA, WARTOSC) VALUES('Qen_AKTUALIZACJA', 'T')");

// The versions whose update scripts the program carries, in ascending order.
const QStringList WersjeDostepne = {
    "16.2.0.2", "16.3.0.3", "16.4.0.2", "17.1.0.10", "17.2.0.5", "18.1.0.6",
    "19.1.0.1", "20.1.1.0", "20.2.8.0", "21.1.6.0",  "21.2.5.0", "22.1.4.0",
    "22.2.6.0", "23.1.3.0", "23.2.3.0", "23.3.4.0",  "24.1.4.0", "24.2.2.0",
};

template <class Control>
Control* Utworz(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    SetBounds(control, left, top, width, height);
    return control;
}

// Labels size themselves to their caption; a right-justified one keeps its right edge.
void DopasujRozmiar(QLabel* label) {
    const QSize size = label->sizeHint();
    const int left = label->alignment() & Qt::AlignRight
                         ? label->x() + label->width() - size.width()
                         : label->x();
    SetBounds(label, left, label->y(), size.width(), size.height());
}

QLabel* Etykieta(QWidget* parent, const char* name, const QString& caption, int left, int top,
                 int width, int height, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* label = Utworz<QLabel>(parent, name, left, top, width, height);
    // Captions carry server and database names: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setAlignment(alignment | Qt::AlignVCenter);
    DopasujRozmiar(label);
    return label;
}

QPushButton* Przycisk(QWidget* parent, const char* name, const QString& caption, int left,
                      int top) {
    auto* button = Utworz<QPushButton>(parent, name, left, top, 75, 25);
    button->setText(caption);
    return button;
}

} // namespace

TfrmGlowna::TfrmGlowna(QWidget* parent) : TForm(parent) {
    setObjectName(QStringLiteral("frmGlowna"));
    setWindowTitle(QStringLiteral("Zbiorcza aktualizacja systemu Qen %s - %s"));
    move(322, 124);
    SetClientWidth(584);
    SetClientHeight(642);
    SetMinWidth(600);
    SetMinHeight(680);

    pnlAktualizacja = Utworz<TPanel>(this, "pnlAktualizacja", 0, 0, 584, 607);
    pnlBtns = Utworz<TPanel>(this, "pnlBtns", 0, 607, 584, 35);
    pnlBtns->SetBevelOuter(bvNone);
    SetAlign(pnlBtns, alBottom);
    SetAlign(pnlAktualizacja, alClient);

    btnZamknij = Przycisk(pnlBtns, "btnZamknij", QStringLiteral("Zamknij"), 503, 5);
    SetAnchors(btnZamknij, akTop | akRight);

    labWersje =
        Etykieta(pnlAktualizacja, "labWersje", QStringLiteral("Dostępne wersje:"), 8, 24, 82, 13);

    gbxLogowanie = Utworz<QGroupBox>(pnlAktualizacja, "gbxLogowanie", 136, 24, 369, 153);
    gbxLogowanie->setTitle(QStringLiteral("Logowanie"));
    labSerwer = Etykieta(gbxLogowanie, "labSerwer", QStringLiteral("Serwer:"), 56, 28, 36, 13,
                         Qt::AlignRight);
    labBaza =
        Etykieta(gbxLogowanie, "labBaza", QStringLiteral("Baza:"), 65, 52, 27, 13, Qt::AlignRight);
    labUzytk = Etykieta(gbxLogowanie, "labUzytk", QStringLiteral("Użytkownik:"), 34, 76, 58, 13,
                        Qt::AlignRight);
    labHaslo = Etykieta(gbxLogowanie, "labHaslo", QStringLiteral("Hasło:"), 60, 100, 32, 13,
                        Qt::AlignRight);
    edbSerwer = Utworz<QLineEdit>(gbxLogowanie, "edbSerwer", 104, 24, 121, 21);
    edbBaza = Utworz<QLineEdit>(gbxLogowanie, "edbBaza", 104, 48, 121, 21);
    edbUzytk = Utworz<QLineEdit>(gbxLogowanie, "edbUzytk", 104, 72, 121, 21);
    edbUzytk->setText(QStringLiteral("sa"));
    edbHaslo = Utworz<QLineEdit>(gbxLogowanie, "edbHaslo", 104, 96, 121, 21);
    edbHaslo->setEchoMode(QLineEdit::Password);
    edbHaslo->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*"
    btnLoguj = Przycisk(gbxLogowanie, "btnLoguj", QStringLiteral("Loguj"), 264, 96);
    SetDefaultButton(btnLoguj);

    gbxAktualizacja = Utworz<QGroupBox>(pnlAktualizacja, "gbxAktualizacja", 136, 184, 369, 145);
    gbxAktualizacja->setTitle(QStringLiteral("Aktualizacja"));
    gbxAktualizacja->setVisible(false);
    labAktualnaWersja = Etykieta(gbxAktualizacja, "labAktualnaWersja",
                                 QStringLiteral("labAktualnaWersja"), 24, 40, 89, 13);
    btnAktualizuj =
        Przycisk(gbxAktualizacja, "btnAktualizuj", QStringLiteral("Aktualizuj"), 264, 104);

    lstWersje = Utworz<QListWidget>(pnlAktualizacja, "lstWersje", 8, 40, 121, 561);
    SetAnchors(lstWersje, akLeft | akTop | akBottom);
    lstWersje->setUniformItemSizes(true);
    for (const QString& wersja : WersjeDostepne)
        lstWersje->addItem(wersja);
    for (int i = 0; i < lstWersje->count(); ++i)
        lstWersje->item(i)->setSizeHint(QSize(0, 13));

    pnlAktualizacjaInfo = Utworz<TPanel>(pnlAktualizacja, "pnlAktualizacjaInfo", 1, 1, 582, 20);
    pnlAktualizacjaInfo->SetBevelOuter(bvNone);
    pnlAktualizacjaInfo->SetColor(clWindow);
    SetAlign(pnlAktualizacjaInfo, alTop);

    Conn.LoginPrompt = false;

    // Tab order: the login fields, the two commands, the list, "Zamknij".
    QWidget::setTabOrder(edbSerwer, edbBaza);
    QWidget::setTabOrder(edbBaza, edbUzytk);
    QWidget::setTabOrder(edbUzytk, edbHaslo);
    QWidget::setTabOrder(edbHaslo, btnLoguj);
    QWidget::setTabOrder(btnLoguj, btnAktualizuj);
    QWidget::setTabOrder(btnAktualizuj, lstWersje);
    QWidget::setTabOrder(lstWersje, btnZamknij);
    edbSerwer->setFocus();

    connect(btnZamknij, &QPushButton::clicked, this,
            Application->Guarded([this] { btnZamknijClick(btnZamknij); }));
    connect(btnLoguj, &QPushButton::clicked, this,
            Application->Guarded([this] { btnLogujClick(btnLoguj); }));
    connect(btnAktualizuj, &QPushButton::clicked, this,
            Application->Guarded([this] { btnAktualizujClick(btnAktualizuj); }));
}

TfrmGlowna::~TfrmGlowna() {
    if (frmGlowna == this)
        frmGlowna = nullptr;
}

void TfrmGlowna::showEvent(QShowEvent* event) {
    TForm::showEvent(event);
    if (!event->spontaneous())
        Application->Guard([this] { FormShow(this); });
}

void TfrmGlowna::closeEvent(QCloseEvent* event) {
    TCloseAction Action = caHide;
    Application->Guard([this, &Action] { FormClose(this, Action); });
    if (Action == caNone) {
        event->ignore();
        return;
    }
    event->accept();
    if (Application->MainForm == this)
        Application->Terminate();
}

void TfrmGlowna::btnZamknijClick(QObject*) {
    Application->Terminate();
}

void TfrmGlowna::btnLogujClick(QObject*) {
    gbxAktualizacja->setVisible(false);
    Polacz();
    const QString Serwer = edbSerwer->text();
    const QString Baza = edbBaza->text();
    const QString Wersja = OdczytajWersjeBazy();
    labAktualnaWersja->setText(
        Format(QStringLiteral("Wersja bazy %s.%s: %s"), {Serwer, Baza, Wersja}));
    DopasujRozmiar(labAktualnaWersja);
    gbxAktualizacja->setVisible(true);
}

void TfrmGlowna::Polacz() {
    Rozlacz();
    Conn.ConnectionString =
        UtworzConnectionString(edbSerwer->text(), edbBaza->text(), edbUzytk->text(),
                               edbHaslo->text(), QStringLiteral("admin"));
    Conn.Open();
}

void TfrmGlowna::Rozlacz() {
    if (Conn.Connected())
        Conn.Close();
}

void TfrmGlowna::FormShow(QObject*) {
    setWindowTitle(Format(windowTitle(), {PierwszaWersja(), OstatniaWersja()}));
}

void TfrmGlowna::FormClose(QObject*, TCloseAction&) {
    Rozlacz();
}

QString TfrmGlowna::OdczytajWersjeBazy() {
    const TADORecordset Wynik = Conn.Execute(SZapytanieWersja);
    if (Wynik.RecordCount() != 1)
        throw EDatabaseError(Format(SOdczytWersjiNieudany, {edbSerwer->text(), edbBaza->text()}));
    return VarToStr(Wynik.FieldValue(0));
}

QString TfrmGlowna::PierwszaWersja() const {
    return lstWersje->item(0)->text();
}

QString TfrmGlowna::OstatniaWersja() const {
    return lstWersje->item(lstWersje->count() - 1)->text();
}

void TfrmGlowna::btnAktualizujClick(QObject*) {
    const QString AktualnaWersja = OdczytajWersjeBazy();

    const QString Ostatnia = OstatniaWersja();
    if (WersjaWiekszaLubRowna(AktualnaWersja, Ostatnia)) {
        Application->MessageBox(Format(SWersjaMaksymalna, {AktualnaWersja, Ostatnia}),
                                STytulOstrzezenie, MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    const QString Pierwsza = PierwszaWersja();
    if (!WersjaWiekszaLubRowna(AktualnaWersja, Pierwsza)) {
        Application->MessageBox(Format(SWersjaMinimalna, {AktualnaWersja, Pierwsza}),
                                STytulOstrzezenie, MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    if (Application->MessageBox(
            Format(SPotwierdzenie, {edbSerwer->text(), edbBaza->text(), Ostatnia}), STytulPotwierdz,
            MB_ICONINFORMATION | MB_YESNO) != IDYES)
        return;

    btnLoguj->setVisible(false);
    btnAktualizuj->setVisible(false);
    gbxLogowanie->setEnabled(false);
    const auto Przywroc = [this] {
        btnLoguj->setVisible(true);
        btnAktualizuj->setVisible(true);
        gbxLogowanie->setEnabled(true);
    };
    try {
        repaint();
        UstawZnacznikAktualizacji();
        const int Liczba = lstWersje->count();
        for (int i = 0; i < Liczba; ++i) {
            const QString Wersja = lstWersje->item(i)->text();
            if (WersjaWiekszaLubRowna(Wersja, AktualnaWersja) && Wersja != AktualnaWersja) {
                AktualizujDoWersji(Wersja);
                Application->ProcessMessages();
                // Closing the window or "Zamknij" during the run: the version in progress has
                // finished, no further one is started.
                if (Application->Terminated())
                    break;
            }
        }
    } catch (...) {
        Przywroc();
        throw;
    }
    Przywroc();
    if (Application->Terminated())
        return;
    pnlAktualizacjaInfo->SetCaption(QString());
    Application->MessageBox(SZakonczono, STytulInformacja, MB_ICONINFORMATION | MB_OK);
}

void TfrmGlowna::AktualizujDoWersji(const QString& Wersja) {
    int c1, c2, c3, c4;
    if (!ParsujWersje(Wersja, c1, c2, c3, c4))
        throw Exception(Format(SNiepoprawnyNumerWersji, {Wersja}));
    TStringList Skrypt;
    WczytajSkrypt(Format(QStringLiteral("qen_%d_%d_%d_%d"), {c1, c2, c3, c4}), Skrypt);
    TPanelStatusu Status(pnlAktualizacjaInfo);
    TPrzetwarzanieQZR::WykonajSkrypt(Conn, Skrypt, true, Status, Wersja);
}

void TfrmGlowna::WczytajSkrypt(const QString& Nazwa, TStringList& Lines) {
    TResourceStream Zasob(Nazwa, RT_RCDATA);
    Lines.LoadFromStream(Zasob.Stream());
}

void TfrmGlowna::WykonajSQL(const QString& Polecenie) {
    TADOQuery Zapytanie;
    Zapytanie.Connection = &Conn;
    Zapytanie.SetSQL(Polecenie);
    Zapytanie.ExecuteOptions = eoExecuteNoRecords;
    Zapytanie.ExecSQL();
}

void TfrmGlowna::UstawZnacznikAktualizacji() {
    WykonajSQL(SZnacznikAktualizacjiTabela);
    WykonajSQL(SZnacznikAktualizacjiWiersz);
}
