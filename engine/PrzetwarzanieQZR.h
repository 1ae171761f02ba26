#pragma once

#include "engine/StatusControl.h"
#include "platform/ado/ADODB.h"
#include "platform/rtl/StringList.h"

#include <QByteArrayView>
#include <QString>

// Runs one version's update script: cuts it into batches at its "GO" lines and executes them in
// one transaction, with the progress in the status control.
class TPrzetwarzanieQZR {
public:
    TPrzetwarzanieQZR() = delete;

    // False for a script of blanks only (nothing done); true when every batch ran or was skipped
    // and the transaction was committed. Text after the last "GO" line runs as one more batch.
    // A batch the server rejects paints the status light red, shows the error and the batch in
    // the message window when the user is an administrator, and raises EOleException
    // "Błąd aktualizacji bazy do wersji %s podczas wykonywania operacji %d (Ln: %d):" with the
    // server's message on the next line and the server error's code and source. Every failure
    // after the transaction was opened rolls it back first.
    static bool WykonajSkrypt(TADOConnection& Conn, const TStringList& Lines, bool Encrypt,
                              TStatusControl& Status, const QString& Version);

    // Whether the batch may run on a server of version SrvVer: its first "-- $MIN_SQL_" marker
    // names the lowest version in the four characters after it. Raises EConvertError when those
    // characters are no integer.
    static bool SprawdzMinimalnySQL(int SrvVer, QByteArrayView Batch);
};
