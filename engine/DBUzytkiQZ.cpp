#include "engine/DBUzytkiQZ.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

namespace {

const QString SZapytanieWersjaSerwera = QStringLiteral("SELECT dbo.fn_WERSJA_MS_SQL()");
const QString SBladOdczytuWersjiSerwera = QStringLiteral("Błąd odczytu wersji serwera MS SQL.");
const QString SPustyZbiorDanych =
    QStringLiteral("Cannot perform this operation on an empty dataset");
const QString SJednostka = QStringLiteral("_UNIT_QZ\\DBUzytkiQZ");

} // namespace

int TDBUzytkiQZ::WersjaSerweraMSSQL(TADOConnection& Conn) {
    const TADORecordset wynik = Conn.Execute(SZapytanieWersjaSerwera);
    if (wynik.RecordCount() == 0)
        throw EDatabaseError(SPustyZbiorDanych);
    const int wersja = VarToInt(wynik.FieldValue(0));
    if (wersja < 2000)
        throw EDatabaseError(SBladOdczytuWersjiSerwera);
    return wersja;
}

void WykonajPolecenieSQL(TADOConnection& Conn, const AnsiString& SQL, int Timeout) {
    TADOQuery zapytanie;
    zapytanie.Connection = &Conn;
    zapytanie.ParamCheck = false;
    zapytanie.CommandTimeout = Timeout;
    zapytanie.SetSQL(SQL);
    zapytanie.ExecuteOptions = eoExecuteNoRecords;
    zapytanie.ExecSQL();
}

void SprawdzTransakcje(TADOConnection& Conn) {
    if (!Conn.InTransaction())
        throw EDatabaseError(QStringLiteral("Nie rozpoczęto transakcji."));
}

void RozpocznijTransakcje(TADOConnection* Conn) {
    Assert(Conn != nullptr, SJednostka, 1931);
    if (Conn->InTransaction())
        throw EDatabaseError(QStringLiteral("Transakcja jest już rozpoczęta."));
    Conn->BeginTrans();
}

void ZatwierdzTransakcje(TADOConnection* Conn) {
    Assert(Conn != nullptr, SJednostka, 1939);
    SprawdzTransakcje(*Conn);
    Conn->CommitTrans();
}

void WycofajTransakcje(TADOConnection* Conn) {
    Assert(Conn != nullptr, SJednostka, 1946);
    SprawdzTransakcje(*Conn);
    Conn->RollbackTrans();
}
