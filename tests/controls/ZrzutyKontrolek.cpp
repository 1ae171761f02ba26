// Makes the README's pictures of the control library: a line of a goods receipt bound to
// in-memory datasets (the numeric edits, the lookup list and combo boxes, the radio group), and
// the numeric edit's range warning. Usage: qz_controls_screenshots <folder>

#include "controls/KDBEditLiczba.h"
#include "controls/KDBLookupComboBox.h"
#include "controls/KDBLookupListBox.h"
#include "controls/KDBRadioGroup.h"
#include "controls/KEdits.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/FormatSettings.h"
#include "tests/support/ModalAnswerer.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>

#include <cstdio>
#include <stdexcept>

namespace {

// Without its alpha channel the picture keeps to a few tens of kilobytes.
void Zapisz(const QImage& obraz, const QDir& folder, const QString& nazwa) {
    const QString plik = folder.filePath(nazwa);
    if (!obraz.convertToFormat(QImage::Format_RGB888).save(plik))
        throw std::runtime_error("cannot write " + plik.toStdString());
    std::printf("%s\n", qPrintable(plik));
}

// The window as it stands. A pixel that no widget paints shows the window's background, the same
// in every run.
QImage Obraz(QWidget* okno) {
    QApplication::processEvents();
    QImage obraz(okno->size(), QImage::Format_RGB888);
    obraz.fill(okno->palette().color(QPalette::Window));
    okno->render(&obraz);
    return obraz;
}

// The form with the windows that float over it (the combo box's list) painted where they stand.
QImage ZFormularzem(TForm& form, const QList<QWidget*>& nad) {
    QImage obraz = Obraz(&form);
    QPainter malarz(&obraz);
    const QPoint poczatek = form.mapToGlobal(QPoint(0, 0));
    for (QWidget* okno : nad)
        malarz.drawImage(okno->mapToGlobal(QPoint(0, 0)) - poczatek, Obraz(okno));
    return obraz;
}

// The offscreen platform draws no window frames: the box gets the style's title bar, so that
// its caption shows.
QImage ZTytulem(QWidget* okno) {
    QStyleOptionTitleBar pasek;
    pasek.initFrom(okno);
    pasek.text = okno->windowTitle();
    pasek.titleBarState = Qt::WindowActive;
    pasek.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    pasek.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton;
    pasek.state |= QStyle::State_Active;
    const int wysokosc = okno->style()->pixelMetric(QStyle::PM_TitleBarHeight, &pasek, okno);
    pasek.rect = QRect(0, 0, okno->width(), wysokosc);
    QImage obraz(okno->width(), wysokosc + okno->height(), QImage::Format_RGB888);
    obraz.fill(okno->palette().color(QPalette::Window));
    QPainter malarz(&obraz);
    okno->style()->drawComplexControl(QStyle::CC_TitleBar, &pasek, &malarz, okno);
    malarz.drawImage(0, wysokosc, Obraz(okno));
    return obraz;
}

// A label to the left of the control, its text centred on the control's height.
void Etykieta(TForm& form, const QString& tekst, const QWidget* kontrolka) {
    auto* etykieta = new TLabel(tekst, &form);
    etykieta->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetBounds(etykieta, 12, kontrolka->y(), 96, kontrolka->height());
}

int Zrob(const QDir& folder) {
    // The list of goods (the lines of the README).
    TMemoryDataSet towary;
    towary.FieldDefs().Add("ID", ftInteger);
    towary.FieldDefs().Add("NAZWA", ftString, 40);
    towary.Open();
    towary.AppendRecord({1, "Cement portlandzki CEM I"});
    towary.AppendRecord({2, "Wapno hydratyzowane"});
    TDataSource zrodloTowarow;
    zrodloTowarow.SetDataSet(&towary);
    int id = 3;
    for (const char* nazwa : {"Klej do płytek C2TE", "Zaprawa murarska M10", "Gips szpachlowy",
                              "Grunt uniwersalny", "Piasek płukany 0–2 mm"})
        towary.AppendRecord({id++, nazwa});
    towary.First();

    TMemoryDataSet magazyny;
    magazyny.FieldDefs().Add("SYMBOL", ftString, 3);
    magazyny.FieldDefs().Add("NAZWA", ftString, 18);
    magazyny.Open();
    magazyny.AppendRecord({"MG", "Magazyn główny"});
    magazyny.AppendRecord({"HŁ", "Hurtownia Łódź"});
    magazyny.AppendRecord({"SK", "Sklep Kraków"});
    magazyny.AppendRecord({"SG", "Sklep Gdańsk"});
    magazyny.AppendRecord({"CH", "Chłodnia"});
    magazyny.AppendRecord({"MZ", "Magazyn zwrotów"});
    magazyny.First();
    TDataSource zrodloMagazynow;
    zrodloMagazynow.SetDataSet(&magazyny);

    TMemoryDataSet pozycje;
    pozycje.FieldDefs().Add("TOWAR", ftInteger);
    pozycje.FieldDefs().Add("MAGAZYN", ftString, 3);
    pozycje.FieldDefs().Add("WARTOSC", ftFloat);
    pozycje.FieldDefs().Add("VAT", ftString, 2);
    pozycje.Open();
    pozycje.AppendRecord({3, "HŁ", 1249.99, "23"});
    TDataSource zrodloPozycji;
    zrodloPozycji.SetDataSet(&pozycje);

    TForm form;
    form.setWindowTitle("Pozycja przyjęcia");
    form.SetClientWidth(568);
    form.SetClientHeight(212);
    form.move(40, 40);

    auto* edLimit = new TKEditLiczba(nullptr, &form);
    SetBounds(edLimit, 112, 12, 180, 21);
    edLimit->SetKLiczbaMiejscPoPrzecinku(2);
    edLimit->SetKSeparatorTysiecy(true);
    edLimit->SetKPrefiks("do ");
    edLimit->SetKSuffiks(" zł");
    edLimit->SetKWartosc(25000);
    Etykieta(form, "Limit kredytu:", edLimit);

    auto* edIlosc = new TKEditLiczba(nullptr, &form);
    SetBounds(edIlosc, 112, 40, 180, 21);
    edIlosc->SetKLiczbaMiejscPoPrzecinku(3);
    edIlosc->SetKStalaLiczbaMiejscPoPrzecinku(false);
    edIlosc->SetKSeparatorTysiecy(true);
    edIlosc->SetKSuffiks(" kg");
    edIlosc->SetKMaxWartosc(1000);
    edIlosc->SetKMaxWartoscUstawiona(true);
    Etykieta(form, "Ilość:", edIlosc);

    auto* edWartosc = new TKDBEditLiczba(nullptr, &form);
    SetBounds(edWartosc, 112, 68, 180, 21);
    edWartosc->SetKLiczbaMiejscPoPrzecinku(2);
    edWartosc->SetKSeparatorTysiecy(true);
    edWartosc->SetKSuffiks(" zł");
    edWartosc->SetDataSource(&zrodloPozycji);
    edWartosc->SetDataField("WARTOSC");
    Etykieta(form, "Wartość netto:", edWartosc);

    // The combo box bound to the list of goods and the line's field (the lines of the README).
    auto* cbTowar = new TKDBLookupComboBox(nullptr, &form);
    cbTowar->SetListSource(&zrodloTowarow);
    cbTowar->SetKeyFieldName("ID");
    cbTowar->SetListFieldName("NAZWA");
    cbTowar->SetDataSource(&zrodloPozycji);
    cbTowar->SetDataFieldName("TOWAR");
    SetBounds(cbTowar, 112, 96, 180, 0);
    cbTowar->SetDropDownRows(6);
    Etykieta(form, "Towar:", cbTowar);

    auto* etMagazyn = new TLabel("Magazyn:", &form);
    SetBounds(etMagazyn, 312, 12, 160, 16);
    auto* lbMagazyn = new TKDBLookupListBox(nullptr, &form);
    // Sized before it is bound: the rows then open on the list's first record.
    SetBounds(lbMagazyn, 312, 30, 244, 0);
    lbMagazyn->SetRowCount(5);
    lbMagazyn->SetListSource(&zrodloMagazynow);
    lbMagazyn->SetKeyFieldName("SYMBOL");
    lbMagazyn->SetListFieldName("NAZWA;SYMBOL");
    lbMagazyn->SetDataSource(&zrodloPozycji);
    lbMagazyn->SetDataFieldName("MAGAZYN");

    auto* rgVat = new TKDBRadioGroup(nullptr, &form);
    rgVat->SetCaption("Stawka VAT");
    rgVat->SetItems({"23%", "8%", "5%", "0%", "zw."});
    rgVat->SetValues({"23", "8", "5", "0", "ZW"});
    rgVat->SetColumns(3);
    rgVat->SetDataSource(&zrodloPozycji);
    rgVat->SetDataField("VAT");
    SetBounds(rgVat, 312, 112, 244, 70);

    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        throw std::runtime_error("the form is not active");

    // The quantity being typed, in its editing form; the goods' list dropped below the box.
    edIlosc->setFocus();
    for (const QChar znak : QString("1250") + DecimalSeparator + "5")
        QTest::keyClick(static_cast<QWidget*>(nullptr), znak.toLatin1());
    cbTowar->DropDown();
    auto* lista = cbTowar->findChild<TKPopupDataList*>();
    if (!cbTowar->ListVisible() || lista == nullptr || !edIlosc->hasFocus())
        throw std::runtime_error("the form is not in the state to show");
    Zapisz(ZFormularzem(form, {lista}), folder, "kontrolki.png");

    // Leaving the quantity above its maximum: the warning.
    ModalAnswerer answerer;
    answerer.Then([&folder](QWidget* w) {
        Zapisz(ZTytulem(w), folder, "uwaga.png");
        if (auto* box = qobject_cast<QMessageBox*>(w))
            box->button(QMessageBox::Ok)->click();
    });
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);
    return answerer.SeenWindows().size() == 1 && answerer.SeenWindows()[0].answered ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    QApplication qtApplication(argc, argv);
    TApplication application;
    // A steady caret, the same in every run.
    QApplication::setCursorFlashTime(0);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    try {
        return Zrob(folder);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}
