#pragma once

#include <QString>

// The connection string of the SQL Server provider with SQL Server authentication. A value that
// the connection-string syntax would misread (one holding ";", a quotation mark or an
// apostrophe, or starting or ending with a blank) is quoted; every other value stands as typed.
// A non-blank application name, trimmed, is added as "Application Name=U:<name>".
QString UtworzConnectionString(const QString& Serwer, const QString& Baza,
                               const QString& Uzytkownik, const QString& Haslo,
                               const QString& NazwaAplikacji);
