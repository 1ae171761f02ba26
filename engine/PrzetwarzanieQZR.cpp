#include "engine/PrzetwarzanieQZR.h"

#include "engine/CzyAdministrator.h"
#include "engine/DBUzytkiQZ.h"
#include "engine/Komunikat.h"
#include "engine/Wersja.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

#include <cstring>

namespace {

constexpr QByteArrayView SZnacznikSzyfrowania = "-- 'C810A5C6-2053-412E-8618-652E1868305B'";
constexpr QByteArrayView SZamianaSzyfrowania = "WITH ENCRYPTION";
constexpr QByteArrayView SZnacznikMinimalnegoSQL = "-- $MIN_SQL_";
const QString SWersjaBezPytaniaSerwera = QStringLiteral("8.11.0.0");
constexpr int KTimeoutPartii = 2592000; // 30 days
constexpr TColor KKolorBledu = 0x00BBBBFF;

const QString SAktualizacjaBazy = QStringLiteral("Aktualizacja bazy danych: ");
const QString SPrzygotowanie = QStringLiteral("przygotowanie aktualizacji...");
const QString SOperacja = QStringLiteral("wykonywanie operacji %d z %d...");
const QString SPrzerwana =
    QStringLiteral("Aktualizacja bazy do wersji %s przerwana z powodu błędu.");
const QString SBladAktualizacji = QStringLiteral(
    "Błąd aktualizacji bazy do wersji %s podczas wykonywania operacji %d (Ln: %d):\r\n%s");
const QString SSzczegolyZawierajaPolecenie =
    QStringLiteral("Szczegóły zawierają polecenie które spowodowało błąd.");

// "GO" in any case between characters at or below the blank. Most lines fail at their first
// character above the blank, so this looks no further than it must.
bool CzySeparator(QByteArrayView Linia) {
    const char* p = Linia.data();
    const qsizetype n = Linia.size();
    qsizetype i = 0;
    while (i < n && quint8(p[i]) <= ' ')
        ++i;
    if (n - i < 2 || (p[i] | 0x20) != 'g' || (p[i + 1] | 0x20) != 'o')
        return false;
    for (i += 2; i < n; ++i)
        if (quint8(p[i]) > ' ')
            return false;
    return true;
}

bool CzyPusta(QByteArrayView Linia) {
    for (const char c : Linia)
        if (quint8(c) > ' ')
            return false;
    return true;
}

const char* Znajdz(QByteArrayView Tekst, QByteArrayView Wzor) {
    if (Tekst.size() < Wzor.size())
        return nullptr;
    return static_cast<const char*>(
        memmem(Tekst.data(), std::size_t(Tekst.size()), Wzor.data(), std::size_t(Wzor.size())));
}

// Replaces the first encryption marker, found without regard to letter case. Its longest run
// without letters, "6-2053-412", is searched for exactly (a long pattern searches fast) and the
// whole marker compared around each find.
void ZamienZnacznikSzyfrowania(AnsiString& Partia) {
    constexpr qsizetype odKotwicy = 11;
    constexpr QByteArrayView kotwica = SZnacznikSzyfrowania.sliced(odKotwicy, 10);
    const qsizetype dlugosc = SZnacznikSzyfrowania.size();
    QByteArrayView reszta = QByteArrayView(Partia).sliced(qMin(odKotwicy, Partia.size()));
    while (const char* k = Znajdz(reszta, kotwica)) {
        const qsizetype pozycja = (k - Partia.constData()) - odKotwicy;
        if (Partia.size() - pozycja >= dlugosc &&
            qstrnicmp(Partia.constData() + pozycja, SZnacznikSzyfrowania.data(),
                      std::size_t(dlugosc)) == 0) {
            Partia.replace(pozycja, dlugosc, SZamianaSzyfrowania);
            return;
        }
        reszta = QByteArrayView(Partia).sliced(pozycja + odKotwicy + 1);
    }
}

// The batch being assembled: its bytes are the first Rozmiar of Bufor, which grows by doubling
// and is kept from batch to batch, so appending a line is one copy.
class TPartia {
public:
    void Dopisz(QByteArrayView Linia) {
        const qsizetype potrzeba = rozmiar_ + 2 + Linia.size();
        if (potrzeba > bufor_.size())
            bufor_.resize(qMax(potrzeba, 2 * bufor_.size()));
        char* p = bufor_.data() + rozmiar_;
        p[0] = '\r';
        p[1] = '\n';
        std::memcpy(p + 2, Linia.data(), std::size_t(Linia.size()));
        rozmiar_ = potrzeba;
    }
    // The batch as a text of its own size.
    AnsiString& Tekst() {
        bufor_.resize(rozmiar_);
        return bufor_;
    }
    void Oproznij() { rozmiar_ = 0; }

private:
    AnsiString bufor_;
    qsizetype rozmiar_ = 0;
};

} // namespace

bool TPrzetwarzanieQZR::WykonajSkrypt(TADOConnection& Conn, const TStringList& Lines, bool Encrypt,
                                      TStatusControl& Status, const QString& Version) {
    const int WersjaSerwera = WersjaWiekszaLubRowna(Version, SWersjaBezPytaniaSerwera)
                                  ? TDBUzytkiQZ::WersjaSerweraMSSQL(Conn)
                                  : 2000;

    // The script joined by line breaks and trimmed is empty exactly when every line is blank.
    bool pusty = true;
    for (int i = 0; i < Lines.Count() && pusty; ++i)
        pusty = CzyPusta(Lines[i]);
    if (pusty)
        return false;

    Status.SetCaption(SAktualizacjaBazy + SPrzygotowanie);
    Status.Repaint();

    // Text after the last separator line counts as one more operation, as if a "GO" closed it.
    int LiczbaOperacji = 0;
    bool resztaPoSeparatorze = false;
    for (int i = 0; i < Lines.Count(); ++i) {
        if (CzySeparator(Lines[i])) {
            ++LiczbaOperacji;
            resztaPoSeparatorze = false;
        } else if (!resztaPoSeparatorze && !CzyPusta(Lines[i])) {
            resztaPoSeparatorze = true;
        }
    }
    if (resztaPoSeparatorze)
        ++LiczbaOperacji;
    int NrOperacji = 0;

    RozpocznijTransakcje(&Conn);
    try {
        const QString prefiks =
            WersjaDoWyswietlenia(Version) + QStringLiteral(" - ") + SAktualizacjaBazy;
        TPartia Zbierana;
        // Runs the batch closed at 1-based script line NrLinii.
        auto wykonajPartie = [&](int NrLinii) {
            AnsiString& Partia = Zbierana.Tekst();
            ++NrOperacji;
            Status.SetCaption(prefiks + Format(SOperacja, {NrOperacji, LiczbaOperacji}));
            Status.Repaint();
            if (Encrypt)
                ZamienZnacznikSzyfrowania(Partia);
            if (SprawdzMinimalnySQL(WersjaSerwera, Partia)) {
                try {
                    WykonajPolecenieSQL(Conn, Partia, KTimeoutPartii);
                } catch (const EOleException& E) {
                    if (Status.Visible()) {
                        Status.SetCaption(Format(SPrzerwana, {Version}));
                        Status.SetColor(KKolorBledu);
                    }
                    if (CzyAdministrator())
                        PokazKomunikatSilnika(E.Message() + QStringLiteral("\r\n\r\n") +
                                                  SSzczegolyZawierajaPolecenie,
                                              AnsiToUnicode(Partia), rkBlad, false, QString());
                    throw EOleException(
                        Format(SBladAktualizacji, {Version, NrOperacji, NrLinii, E.Message()}),
                        E.ErrorCode(), E.Source(), E.HelpFile(), E.HelpContext(), E.SqlState());
                }
            }
            Zbierana.Oproznij();
        };

        for (int i = 0; i < Lines.Count(); ++i) {
            const QByteArrayView Linia = Lines[i];
            if (CzySeparator(Linia)) {
                wykonajPartie(i + 1);
            } else {
                Zbierana.Dopisz(Linia);
            }
        }
        if (resztaPoSeparatorze)
            wykonajPartie(Lines.Count());
        ZatwierdzTransakcje(&Conn);
    } catch (...) {
        // The failure that stopped the script is what the user must see; a rollback that fails
        // as well (a lost connection) must not replace it.
        try {
            WycofajTransakcje(&Conn);
        } catch (...) {
        }
        throw;
    }
    return true;
}

bool TPrzetwarzanieQZR::SprawdzMinimalnySQL(int SrvVer, QByteArrayView Batch) {
    // "$" is rare in scripts: find it, then see whether the marker stands around it.
    constexpr qsizetype odDolara = 3;
    qsizetype od = -1;
    for (qsizetype szukajOd = odDolara; szukajOd < Batch.size();) {
        const void* dolar =
            std::memchr(Batch.data() + szukajOd, '$', std::size_t(Batch.size() - szukajOd));
        if (dolar == nullptr)
            break;
        const qsizetype pozycja = static_cast<const char*>(dolar) - Batch.data() - odDolara;
        if (Batch.sliced(pozycja).startsWith(SZnacznikMinimalnegoSQL)) {
            od = pozycja + SZnacznikMinimalnegoSQL.size();
            break;
        }
        szukajOd = pozycja + odDolara + 1;
    }
    if (od < 0)
        return true;
    const QByteArrayView wersja = Batch.sliced(od, qMin<qsizetype>(4, Batch.size() - od));
    return SrvVer >= StrToInt(AnsiToUnicode(wersja));
}
