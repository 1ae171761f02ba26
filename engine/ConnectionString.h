#pragma once

#include <QString>

// The connection string of the SQL Server provider with SQL Server authentication. Each of the
// four values reaches the connection exactly as typed: a value that the connection-string syntax
// would misread or trim (one that starts with "=", starts or ends with white space, or holds
// ";", a quotation mark or an apostrophe) is quoted; every other value stands as typed.
// A non-blank application name, trimmed, is added as "Application Name=U:<name>".
QString UtworzConnectionString(const QString& Serwer, const QString& Baza,
                               const QString& Uzytkownik, const QString& Haslo,
                               const QString& NazwaAplikacji);
