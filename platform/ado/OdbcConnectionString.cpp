#include "platform/ado/OdbcConnectionString.h"

#include "platform/ado/OdbcDiagnostics.h"
#include "platform/ado/OdbcHandle.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>

namespace {

const QString kDriver18 = QStringLiteral("ODBC Driver 18 for SQL Server");
const QString kDriver17 = QStringLiteral("ODBC Driver 17 for SQL Server");
const QString kFreeTds = QStringLiteral("FreeTDS");
const QStringList kSqlServerDrivers = {kDriver18, kDriver17, kFreeTds};

QString Braced(QString value) {
    return u'{' + value.replace(u'}', QStringLiteral("}}")) + u'}';
}

bool NeedsBraces(const QString& value) {
    return value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
           (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
}

// ODBC reads a value up to the next ";" and trims it, unless it stands in braces, where "}}"
// stands for "}".
QString OdbcValue(const QString& value) {
    return NeedsBraces(value) ? Braced(value) : value;
}

// FreeTDS ends a braced value at the first "}" that a ";" or the end follows and takes "}}" as
// two braces, so a value that holds "};" cannot reach it. The message names the key only: the
// value may be the password.
QString FreeTdsValue(const QString& key, const QString& value) {
    if (!NeedsBraces(value))
        return value;
    if (value.contains(QStringLiteral("};")))
        throw EDatabaseError(
            QStringLiteral("The FreeTDS driver cannot take a value of \"%1\" that holds \"};\"")
                .arg(key));
    return u'{' + value + u'}';
}

void Append(QString& text, const QString& key, const QString& odbcValue) {
    if (!text.isEmpty())
        text += u';';
    text += key + u'=' + odbcValue;
}

bool IsBraced(const QString& value) {
    return value.size() >= 2 && value.front() == u'{' && value.back() == u'}';
}

// The pairs as they are; a value that already stands in ODBC's braces ("Driver={SQLite3}") is
// left so.
TOdbcConnectionString PassThrough(const TConnectionStringPairs& pairs) {
    TOdbcConnectionString odbc;
    for (const auto& [key, value] : pairs) {
        if (key.compare(QStringLiteral("Provider"), Qt::CaseInsensitive) == 0)
            continue;
        Append(odbc.Text, key, IsBraced(value) ? value : OdbcValue(value));
    }
    QString driver = ConnectionStringValue(pairs, QStringLiteral("Driver"));
    if (driver.isEmpty())
        driver = ConnectionStringValue(pairs, QStringLiteral("DSN"));
    odbc.Driver = IsBraced(driver) ? driver.mid(1, driver.size() - 2) : driver;
    return odbc;
}

// What a user types as the instance: "host", "host\instance", "host,port" or both; "(local)",
// "." or nothing stand for this machine, which ODBC reaches as localhost.
struct TServerAddress {
    QString host;
    QString instance;
    QString port;
};

TServerAddress ParseDataSource(const QString& dataSource) {
    TServerAddress address;
    QString rest = dataSource.trimmed();
    if (const qsizetype comma = rest.indexOf(u','); comma >= 0) {
        address.port = rest.mid(comma + 1).trimmed();
        rest = rest.left(comma).trimmed();
        bool isNumber = false;
        const int port = address.port.toInt(&isNumber);
        if (!isNumber || port < 1 || port > 65535 ||
            !std::all_of(address.port.cbegin(), address.port.cend(),
                         [](QChar c) { return c.isDigit(); }))
            throw EDatabaseError(QStringLiteral(
                "Invalid port in the Data Source: a port is a number from 1 to 65535"));
    }
    if (const qsizetype backslash = rest.indexOf(u'\\'); backslash >= 0) {
        address.instance = rest.mid(backslash + 1).trimmed();
        rest = rest.left(backslash).trimmed();
    }
    if (rest.isEmpty() || rest == QStringLiteral(".") ||
        rest.compare(QStringLiteral("(local)"), Qt::CaseInsensitive) == 0)
        rest = QStringLiteral("localhost");
    address.host = rest;
    return address;
}

// Microsoft's drivers read "host\instance,port" themselves. FreeTDS reads "host\instance" but
// takes a port only as a key of its own; the port alone reaches the instance, so its name goes.
void AppendServer(QString& text, const TServerAddress& address, bool freeTds) {
    QString server = address.host;
    if (!address.instance.isEmpty() && !(freeTds && !address.port.isEmpty()))
        server += u'\\' + address.instance;
    if (!freeTds && !address.port.isEmpty())
        server += u',' + address.port;
    Append(text, QStringLiteral("Server"),
           freeTds ? FreeTdsValue(QStringLiteral("Data Source"), server) : OdbcValue(server));
    if (freeTds && !address.port.isEmpty())
        Append(text, QStringLiteral("Port"), address.port);
}

TOdbcConnectionString SqlServer(const TConnectionStringPairs& pairs,
                                const QStringList& installedDrivers) {
    const auto found = std::find_if(
        kSqlServerDrivers.cbegin(), kSqlServerDrivers.cend(),
        [&](const QString& name) { return installedDrivers.contains(name, Qt::CaseInsensitive); });
    if (found == kSqlServerDrivers.cend())
        throw EOleException(
            QStringLiteral("No SQL Server ODBC driver is installed; looked for \"%1\"")
                .arg(kSqlServerDrivers.join(QStringLiteral("\", \""))),
            0, QStringLiteral("ODBC"), QString(), 0, QStringLiteral("IM002"));
    const bool freeTds = *found == kFreeTds;
    const auto value = [&](const char* key) {
        const QString name = QString::fromLatin1(key);
        const QString text = ConnectionStringValue(pairs, name);
        return freeTds ? FreeTdsValue(name, text) : OdbcValue(text);
    };

    TOdbcConnectionString odbc{*found, QString()};
    Append(odbc.Text, QStringLiteral("Driver"), Braced(*found));
    AppendServer(odbc.Text,
                 ParseDataSource(ConnectionStringValue(pairs, QStringLiteral("Data Source"))),
                 freeTds);
    if (const QString database = value("Initial Catalog"); !database.isEmpty())
        Append(odbc.Text, QStringLiteral("Database"), database);
    Append(odbc.Text, QStringLiteral("UID"), value("User ID"));
    Append(odbc.Text, QStringLiteral("PWD"), value("Password"));
    if (const QString application = value("Application Name"); !application.isEmpty())
        Append(odbc.Text, QStringLiteral("APP"), application);
    // With "auto" FreeTDS falls back to Sybase's TDS 5.0 after a login time-out and then hangs;
    // SQL Server answers 7.4 with the newest version it speaks.
    if (freeTds)
        Append(odbc.Text, QStringLiteral("TDS_Version"), QStringLiteral("7.4"));
    // Driver 18 encrypts and checks the certificate by default; servers mostly carry a
    // self-signed one. The login stays encrypted.
    if (*found == kDriver18)
        Append(odbc.Text, QStringLiteral("TrustServerCertificate"), QStringLiteral("yes"));
    return odbc;
}

} // namespace

TOdbcConnectionString ToOdbcConnectionString(const TConnectionStringPairs& pairs,
                                             const QStringList& installedDrivers) {
    const QString provider = ConnectionStringValue(pairs, QStringLiteral("Provider"));
    if (provider.section(u'.', 0, 0).compare(QStringLiteral("MSDASQL"), Qt::CaseInsensitive) == 0)
        return PassThrough(pairs);
    return SqlServer(pairs, installedDrivers);
}

QStringList InstalledOdbcDrivers() {
    const TOdbcHandle environment = TOdbcHandle::Environment();
    const QString source = QStringLiteral("ODBC");
    QStringList drivers;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0;
        SQLWCHAR attributes[1024];
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc = SQLDriversW(environment.Handle(), direction, name, 256, &nameLength,
                                         attributes, 1024, &attributesLength);
        if (rc == SQL_NO_DATA)
            return drivers;
        OdbcCheck(rc, environment, source);
        drivers << QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                      std::min<qsizetype>(nameLength, 255));
        direction = SQL_FETCH_NEXT;
    }
}
