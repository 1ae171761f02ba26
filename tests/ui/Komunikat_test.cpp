#include "ui/Komunikat.h"

#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/ModalAnswerer.h"
#include "ui/KBitBtn.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QUrl>
#include <QtMath>

#include <gtest/gtest.h>

#include <optional>
#include <type_traits>

static_assert(std::is_same_v<decltype(&PokazKomunikat), TPokazKomunikat>,
              "the engine shows its messages through PokazKomunikat");

namespace {

// The message window, with a one-line height that a test may fix.
class Okno : public TfrmKomunikat {
public:
    std::optional<int> wysokoscWiersza;

protected:
    int TextHeight(const QString& Tekst) const override {
        return wysokoscWiersza ? *wysokoscWiersza : TfrmKomunikat::TextHeight(Tekst);
    }
};

void Press(Qt::Key key) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key);
}

QString Zdania(int ile) {
    return QStringList(ile, QStringLiteral("Nie można wykonać operacji na bazie.")).join(u' ');
}

QString Wiersze(int ile) {
    QStringList wiersze;
    for (int i = 1; i <= ile; ++i)
        wiersze << QStringLiteral("Wiersz %1").arg(i);
    return wiersze.join(QStringLiteral("\r\n"));
}

// Width: the message area's, raised to the minimum; the text spread over the lines that fit;
// the text on one line (no lines fit); the work area's less the icon and 100.
enum class Szerokosc { Minimum, Rozlozony, WJednymWierszu, Ekran };
// Height: the minimum; the wrapped lines with the button row; the work area's less 100.
enum class Wysokosc { Minimum, Wiersze, Ekran };

TEST(Rozmiar, WynikaZTekstuIObszaruRoboczego) {
    struct Case {
        const char* name;
        QString tekst;
        std::optional<int> wysokoscWiersza;
        Szerokosc szerokosc;
        Wysokosc wysokosc;
        bool wysrodkowany; // (d - 1) div 2 empty lines above the one line
    } const cases[] = {
        {"short",
         QStringLiteral("Zakończono aktualizację."),
         {},
         Szerokosc::Minimum,
         Wysokosc::Minimum,
         true},
        {"long", Zdania(25), {}, Szerokosc::Rozlozony, Wysokosc::Wiersze, false},
        {"longer than the screen is wide",
         Zdania(80),
         {},
         Szerokosc::Ekran,
         Wysokosc::Wiersze,
         false},
        {"more lines than the screen holds",
         Wiersze(100),
         {},
         Szerokosc::Rozlozony,
         Wysokosc::Ekran,
         false},
        {"one-line height 0", QStringLiteral("Nie można połączyć się z serwerem bazy danych."), 0,
         Szerokosc::WJednymWierszu, Wysokosc::Minimum, false},
    };
    for (const Case& c : cases) {
        Okno okno;
        okno.wysokoscWiersza = c.wysokoscWiersza;
        // The design: 180 high after creation, less the 37 of the button row.
        ASSERT_EQ(okno.mmKomunikat->height(), 143);
        const QFontMetrics metrics = okno.fontMetrics();
        // The memo sets its lines a line spacing apart, each a whole number of pixels high.
        const int wiersz =
            c.wysokoscWiersza.value_or(qCeil(QFontMetricsF(okno.font()).lineSpacing()));
        const int d = wiersz > 0 ? 143 / wiersz : 0;
        const int tekst = metrics.horizontalAdvance(c.tekst);
        const QRect obszar = okno.screen()->availableGeometry();
        const int ekran = obszar.width() - 57 - 100;

        okno.Przygotuj(c.tekst, QString(), rkBlad, false, QString());

        switch (c.szerokosc) {
        case Szerokosc::Minimum:
            ASSERT_LT(tekst / d + 57, 341 - 57) << c.name;
            EXPECT_EQ(okno.Width(), 300) << c.name;
            break;
        case Szerokosc::Rozlozony:
            ASSERT_GT(tekst / d + 57, 341 - 57) << c.name;
            ASSERT_LT(tekst / d + 57, ekran) << c.name;
            EXPECT_EQ(okno.Width(), tekst / d + 57) << c.name;
            break;
        case Szerokosc::WJednymWierszu:
            ASSERT_GT(tekst + 57, 341 - 57) << c.name;
            ASSERT_LT(tekst + 57, ekran) << c.name;
            EXPECT_EQ(okno.Width(), tekst + 57) << c.name;
            break;
        case Szerokosc::Ekran:
            ASSERT_GT(tekst / d + 57, ekran) << c.name;
            EXPECT_EQ(okno.Width(), ekran) << c.name;
            break;
        }
        EXPECT_EQ(okno.mmKomunikat->width(), okno.Width() - 57) << c.name;

        const int wiersze = okno.mmKomunikat->LineCount();
        switch (c.wysokosc) {
        case Wysokosc::Minimum:
            EXPECT_EQ(okno.Height(), 180) << c.name;
            break;
        case Wysokosc::Wiersze:
            EXPECT_EQ(okno.Height(), wiersze * wiersz + 37) << c.name;
            // Every line is shown.
            EXPECT_GE(okno.mmKomunikat->height(), wiersze * wiersz) << c.name;
            break;
        case Wysokosc::Ekran:
            ASSERT_GT(wiersze * wiersz + 37, obszar.height() - 100) << c.name;
            EXPECT_EQ(okno.Height(), obszar.height() - 100) << c.name;
            // The rest is cut off: the message has no scroll bar.
            EXPECT_EQ(okno.mmKomunikat->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            break;
        }

        const QString puste(c.wysrodkowany ? (d - 1) / 2 : 0, u'\n');
        if (c.wysrodkowany) {
            ASSERT_GT(d, 2) << c.name;
        }
        EXPECT_EQ(okno.mmKomunikat->toPlainText(), puste + QString(c.tekst).replace("\r\n", "\n"))
            << c.name;
    }
}

TEST(Rozmiar, PokazujeKazdyWierszTakzeCzcionkiZOdstepemMiedzyWierszami) {
    QFont czcionka(QStringLiteral("DejaVu Math TeX Gyre"));
    czcionka.setPixelSize(11);
    if (QFontInfo(czcionka).family() != czcionka.family() || QFontMetrics(czcionka).leading() <= 0)
        GTEST_SKIP() << "no font with a line gap is installed";
    for (const QString& tekst : {Wiersze(20), Zdania(30)}) {
        TfrmKomunikat okno;
        okno.setFont(czcionka);
        okno.Przygotuj(tekst, QString(), rkBlad, false, QString());
        okno.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&okno));
        ASSERT_GT(okno.mmKomunikat->LineCount(), 10);
        QTextCursor poczatek(okno.mmKomunikat->document());
        QTextCursor koniec(okno.mmKomunikat->document());
        koniec.movePosition(QTextCursor::End);
        EXPECT_GE(okno.mmKomunikat->cursorRect(poczatek).top(), 0);
        EXPECT_LE(okno.mmKomunikat->cursorRect(koniec).bottom(),
                  okno.mmKomunikat->viewport()->height());
    }
}

TEST(Szczegoly, PrzyciskJestTylkoGdySaSzczegoly) {
    for (const QString& szczegoly : {QString(), QStringLiteral("SELECT 1")}) {
        Okno okno;
        okno.Przygotuj(QStringLiteral("Tekst"), szczegoly, rkBlad, false, QString());
        EXPECT_EQ(okno.bbSzczegoly->isHidden(), szczegoly.isEmpty());
        EXPECT_EQ(okno.mmSzczegoly->toPlainText(), szczegoly);
        EXPECT_TRUE(okno.pnlSzczegoly->isHidden());
    }
}

TEST(Szczegoly, KlikniecieOdslaniaIZaslaniaPanel) {
    Okno okno;
    okno.Przygotuj(QStringLiteral("Błąd wykonania"), QStringLiteral("UPDATE konfig_qz\r\nGO"),
                   rkBlad, false, QString());
    okno.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&okno));
    const int gora = okno.pnlKomunikat->height();
    const int szerokosc = okno.ClientWidth();

    QTest::mouseClick(okno.bbSzczegoly, Qt::LeftButton);
    EXPECT_TRUE(okno.pnlSzczegoly->isVisible());
    EXPECT_EQ(okno.MinHeight(), 300);
    EXPECT_EQ(okno.ClientHeight(), gora + 120);
    EXPECT_EQ(okno.pnlKomunikat->geometry(), QRect(0, 0, szerokosc, gora));
    EXPECT_EQ(okno.pnlSzczegoly->geometry(), QRect(0, gora, szerokosc, 120));
    EXPECT_EQ(Align(okno.pnlKomunikat), alTop);
    EXPECT_EQ(Align(okno.pnlSzczegoly), alClient);
    // The heading and the text inside the border of 5.
    EXPECT_EQ(okno.pnlSzczegolyInfo->geometry(), QRect(5, 5, szerokosc - 10, 17));
    EXPECT_EQ(okno.mmSzczegoly->geometry(), QRect(5, 22, szerokosc - 10, 120 - 27));
    okno.resize(okno.width(), 10); // as the user drags the frame
    EXPECT_EQ(okno.Height(), 300);

    QTest::mouseClick(okno.bbSzczegoly, Qt::LeftButton);
    EXPECT_FALSE(okno.pnlSzczegoly->isVisible());
    EXPECT_EQ(okno.MinHeight(), 180);
    EXPECT_EQ(okno.ClientHeight(), gora);
    EXPECT_EQ(okno.pnlKomunikat->geometry(), QRect(0, 0, szerokosc, gora));
    EXPECT_EQ(Align(okno.pnlKomunikat), alClient);
    EXPECT_EQ(Align(okno.pnlSzczegoly), alBottom);
}

TEST(TrzymanieFocusu, EnterZamykaOknoTylkoBezNiego) {
    struct Case {
        const char* name;
        bool trzymajFocus;
        Qt::Key klawisz;
        const char* focus; // who has the focus when the window opens
        bool zamyka;
    } const cases[] = {
        {"enter", false, Qt::Key_Return, "bbZamknij", true},
        {"esc", false, Qt::Key_Escape, "bbZamknij", true},
        {"hold focus: enter", true, Qt::Key_Return, "edTrzymanieFocus", false},
        {"hold focus: esc", true, Qt::Key_Escape, "edTrzymanieFocus", true},
    };
    for (const Case& c : cases) {
        ModalAnswerer answerer;
        QString focus;
        bool zamkniete = false;
        answerer.Then([&](QWidget* okno) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(okno));
            focus = QApplication::focusWidget()->objectName();
            Press(c.klawisz);
            zamkniete = !okno->isVisible();
            if (!zamkniete)
                static_cast<QDialog*>(okno)->reject();
        });
        PokazKomunikat(QStringLiteral("Tekst"), QString(), rkInformacja, c.trzymajFocus, QString());
        ASSERT_EQ(answerer.SeenWindows().size(), 1u) << c.name;
        EXPECT_EQ(focus, c.focus) << c.name;
        EXPECT_EQ(zamkniete, c.zamyka) << c.name;
    }
}

TEST(Tekst, NigdyNieZatrzymujeFocusu) {
    Okno okno;
    okno.Przygotuj(QStringLiteral("Tekst"), QString(), rkBlad, false, QString());
    okno.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&okno));
    QTest::mouseClick(okno.mmKomunikat->viewport(), Qt::LeftButton);
    EXPECT_FALSE(okno.mmKomunikat->hasFocus());
    // The next control in the tab order.
    EXPECT_EQ(QApplication::focusWidget(), okno.edTrzymanieFocus);
}

TEST(Rodzaj, WybieraTytulIIkone) {
    struct Case {
        TRodzajKomunikatu rodzaj;
        const char* tytul;
        QStyle::StandardPixmap ikona;
    } const cases[] = {
        {rkBlad, "Błąd", QStyle::SP_MessageBoxCritical},
        {rkInformacja, "Informacja", QStyle::SP_MessageBoxInformation},
        {rkUwaga, "Uwaga", QStyle::SP_MessageBoxWarning},
    };
    TfrmKomunikat wzor;
    const int rozmiar = wzor.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &wzor);
    auto obraz = [&](QStyle::StandardPixmap ikona) {
        return wzor.style()->standardIcon(ikona, nullptr, &wzor).pixmap(rozmiar).toImage();
    };
    // The three icons can be told apart.
    ASSERT_NE(obraz(cases[0].ikona), obraz(cases[1].ikona));
    ASSERT_NE(obraz(cases[1].ikona), obraz(cases[2].ikona));
    ASSERT_NE(obraz(cases[0].ikona), obraz(cases[2].ikona));
    for (const Case& c : cases) {
        Okno okno;
        okno.Przygotuj(QStringLiteral("Tekst"), QString(), c.rodzaj, false, QString());
        EXPECT_EQ(okno.windowTitle(), c.tytul);
        EXPECT_EQ(TytulyKomunikatu[c.rodzaj], c.tytul);
        EXPECT_EQ(okno.imgLewy->pixmap().toImage(), obraz(c.ikona)) << c.tytul;
    }

    Okno okno;
    EXPECT_THROW(okno.Przygotuj(QStringLiteral("Tekst"), QString(),
                                static_cast<TRodzajKomunikatu>(3), false, QString()),
                 EAssertionFailed);
}

class Przegladarka : public QObject {
    Q_OBJECT

public:
    QList<QUrl> adresy;

public slots:
    void Otworz(const QUrl& adres) { adresy << adres; }
};

TEST(Odnosnik, StoiNadPrzyciskamiIOtwieraSieKliknieciem) {
    const QString adres = QStringLiteral("https://example.com/pomoc");
    Okno okno;
    okno.Przygotuj(QStringLiteral("Tekst"), QString(), rkInformacja, false, adres);

    const auto etykiety = okno.pnlDolny->findChildren<TLabel*>();
    ASSERT_EQ(etykiety.size(), 1);
    TLabel* link = etykiety[0];
    EXPECT_EQ(link->text(), adres);
    EXPECT_EQ(link->textFormat(), Qt::PlainText);
    EXPECT_EQ(link->geometry(), QRect(57, 0, okno.mmKomunikat->width(), 17));
    EXPECT_EQ(link->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    // The row doubles and the close button moves into its lower half, as far from the right
    // edge as "Szczegóły" is from the left.
    const int dolny = okno.pnlDolny->height();
    EXPECT_EQ(dolny, 74);
    EXPECT_EQ(okno.bbZamknij->geometry(), QRect(okno.pnlDolny->width() - 81 - 5, 45, 81, 25));
    // It stays anchored to the right and bottom edges.
    EXPECT_EQ(Anchors(okno.bbZamknij), akRight | akBottom);
    okno.SetWidth(okno.Width() + 40);
    SetBounds(okno.pnlDolny, 0, 0, okno.pnlDolny->width(), dolny + 10);
    EXPECT_EQ(okno.bbZamknij->geometry(), QRect(okno.pnlDolny->width() - 81 - 5, 55, 81, 25));

    Przegladarka przegladarka;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &przegladarka, "Otworz");
    QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(przegladarka.adresy, QList<QUrl>{QUrl(adres)});
}

TEST(Odnosnik, OtwieraTylkoIstniejacyPlikAlboAdres) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile plik(folder.filePath(QStringLiteral("pomoc.txt")));
    ASSERT_TRUE(plik.open(QIODevice::WriteOnly));
    plik.close();
    const QString poprzedni = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));

    struct Case {
        QString link;
        QList<QUrl> otwarte;
    } const cases[] = {
        {QStringLiteral("pomoc.txt"), {QUrl::fromLocalFile(folder.filePath("pomoc.txt"))}},
        {folder.filePath("pomoc.txt"), {QUrl::fromLocalFile(folder.filePath("pomoc.txt"))}},
        {QStringLiteral("http://example.com/a b"),
         {QUrl(QStringLiteral("http://example.com/a%20b"))}},
        {QStringLiteral("www.example.com"), {QUrl(QStringLiteral("http://www.example.com"))}},
        {QStringLiteral("brak.txt"), {}},
        {QStringLiteral("Pomoc techniczna"), {}},
    };
    Przegladarka przegladarka;
    const QString schematy[] = {"http", "https", "file", "ftp"};
    for (const QString& schemat : schematy)
        QDesktopServices::setUrlHandler(schemat, &przegladarka, "Otworz");
    for (const Case& c : cases) {
        przegladarka.adresy.clear();
        Okno okno;
        okno.Przygotuj(QStringLiteral("Tekst"), QString(), rkInformacja, false, c.link);
        okno.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&okno));
        TLabel* link = okno.pnlDolny->findChild<TLabel*>();
        ASSERT_NE(link, nullptr);
        QTest::mouseClick(link, Qt::LeftButton);
        QStringList otwarte;
        for (const QUrl& adres : przegladarka.adresy)
            otwarte << adres.toString();
        QStringList oczekiwane;
        for (const QUrl& adres : c.otwarte)
            oczekiwane << adres.toString();
        EXPECT_EQ(otwarte, oczekiwane) << c.link.toStdString();
    }
    for (const QString& schemat : schematy)
        QDesktopServices::unsetUrlHandler(schemat);
    QDir::setCurrent(poprzedni);
}

TEST(PokazKomunikat, PokazujeOknoModalnieNaWierzchuIZwalniaJe) {
    ModalAnswerer answerer;
    QString tekst;
    bool naWierzchu = false;
    answerer.Then([&](QWidget* w) {
        auto* okno = qobject_cast<TfrmKomunikat*>(w);
        ASSERT_NE(okno, nullptr);
        tekst = okno->mmKomunikat->toPlainText();
        naWierzchu = okno->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        okno->bbZamknij->click();
    });
    PokazKomunikat(QStringLiteral("Błąd aktualizacji"), QStringLiteral("GO"), rkBlad, false,
                   QString());
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    EXPECT_EQ(answerer.SeenWindows()[0].title, "Błąd");
    EXPECT_TRUE(answerer.SeenWindows()[0].answered);
    EXPECT_TRUE(tekst.endsWith("Błąd aktualizacji"));
    EXPECT_TRUE(naWierzchu);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TfrmKomunikat*>(w), nullptr);
}

} // namespace

#include "Komunikat_test.moc"
