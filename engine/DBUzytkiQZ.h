#pragma once

#include "platform/ado/ADODB.h"
#include "platform/rtl/CodePage.h"

// The operations the script runner performs on the connection. Nothing here catches: every
// failure passes on to the caller.

class TDBUzytkiQZ {
public:
    TDBUzytkiQZ() = delete;

    // The server's version as a year number (2000 or more), from the database function the
    // update scripts create. Raises EDatabaseError "Cannot perform this operation on an empty
    // dataset" when no row comes back, the conversion's error for a value that is no integer,
    // and EDatabaseError "Błąd odczytu wersji serwera MS SQL." below 2000.
    static int WersjaSerweraMSSQL(TADOConnection& Conn);
};

// Executes the text as one statement without records, with parameter parsing off and the
// given command time-out in seconds.
void WykonajPolecenieSQL(TADOConnection& Conn, const AnsiString& SQL, int Timeout);

// Raise EDatabaseError "Nie rozpoczęto transakcji." unless a transaction is open.
void SprawdzTransakcje(TADOConnection& Conn);

// Open, commit and roll back the connection's one transaction. A null connection raises
// EAssertionFailed; a failed check changes nothing. Opening while one is open raises
// EDatabaseError "Transakcja jest już rozpoczęta.".
void RozpocznijTransakcje(TADOConnection* Conn);
void ZatwierdzTransakcje(TADOConnection* Conn);
void WycofajTransakcje(TADOConnection* Conn);
