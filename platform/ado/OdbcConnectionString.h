#pragma once

#include "platform/ado/ConnectionString.h"

#include <QString>
#include <QStringList>

// The ODBC connection string of an OLE DB-style one, and the driver it names.
struct TOdbcConnectionString {
    QString Driver;
    QString Text;
};

// Maps the pairs of an OLE DB connection string onto ODBC. "Provider=MSDASQL" (the OLE DB
// provider for ODBC) passes the other pairs on as they are. Any other provider is SQL Server:
// Data Source, Initial Catalog, User ID, Password and Application Name become the keys of the
// first SQL Server driver found in `installedDrivers`, looked for in this order: "ODBC Driver 18
// for SQL Server", "ODBC Driver 17 for SQL Server", "FreeTDS"; the other pairs have no ODBC
// counterpart. Raises EOleException when none of those drivers is installed; EDatabaseError for a
// Data Source whose port is no port number, and for FreeTDS a value holding "};", which its
// braces cannot carry. No message holds a value of the connection string.
TOdbcConnectionString ToOdbcConnectionString(const TConnectionStringPairs& pairs,
                                             const QStringList& installedDrivers);

// The names of the drivers that the ODBC driver manager has registered. Raises EOleException when
// the driver manager fails.
QStringList InstalledOdbcDrivers();
