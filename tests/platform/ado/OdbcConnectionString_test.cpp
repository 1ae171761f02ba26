#include "platform/ado/OdbcConnectionString.h"

#include "platform/ado/ConnectionString.h"
#include "platform/rtl/Exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

const QString kDriver18 = "ODBC Driver 18 for SQL Server";
const QString kDriver17 = "ODBC Driver 17 for SQL Server";
const QString kFreeTds = "FreeTDS";

// The connection string the program builds, each value quoted by OLE DB's rules.
QString ProgramConnectionString(const QString& server, const QString& database, const QString& user,
                                const QString& password) {
    return QString("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%2;"
                   "Initial Catalog=%3;Data Source=%4;OLE DB Services=-2;"
                   "Application Name=U:admin")
        .arg(QuoteConnectionStringValue(password), QuoteConnectionStringValue(user),
             QuoteConnectionStringValue(database), QuoteConnectionStringValue(server));
}

TOdbcConnectionString Map(const QString& oleDb, const QStringList& installed) {
    return ToOdbcConnectionString(ParseConnectionString(oleDb), installed);
}

QString ServerKeys(const QString& dataSource, const QString& driver) {
    const QString odbc = Map(ProgramConnectionString(dataSource, "db", "sa", "pw"), {driver}).Text;
    const qsizetype from = odbc.indexOf(";Server=") + 1;
    return odbc.mid(from, odbc.indexOf(";Database=") - from);
}

TEST(OdbcConnectionString, MapsTheProgramsStringOntoEachDriversKeys) {
    const QString oleDb = ProgramConnectionString("srv", "qen", "sa", "tajne");
    EXPECT_EQ(Map(oleDb, {kFreeTds}).Text,
              "Driver={FreeTDS};Server=srv;Database=qen;UID=sa;PWD=tajne;APP=U:admin;"
              "TDS_Version=7.4");
    EXPECT_EQ(Map(oleDb, {kDriver17}).Text, "Driver={ODBC Driver 17 for SQL Server};Server=srv;"
                                            "Database=qen;UID=sa;PWD=tajne;APP=U:admin");
    EXPECT_EQ(Map(oleDb, {kDriver18}).Text,
              "Driver={ODBC Driver 18 for SQL Server};Server=srv;Database=qen;UID=sa;PWD=tajne;"
              "APP=U:admin;TrustServerCertificate=yes");
}

TEST(OdbcConnectionString, MapsEachInstanceFormForBothDriverFamilies) {
    struct Case {
        QString dataSource;
        QString freeTds;
        QString microsoft;
    } const cases[] = {
        {"srv", "Server=srv", "Server=srv"},
        {"srv\\INST", "Server=srv\\INST", "Server=srv\\INST"},
        {"srv,1500", "Server=srv;Port=1500", "Server=srv,1500"},
        // The port alone reaches the instance: FreeTDS has no form that takes both.
        {"srv\\INST,1500", "Server=srv;Port=1500", "Server=srv\\INST,1500"},
        {"(local)", "Server=localhost", "Server=localhost"},
        {"(LOCAL)", "Server=localhost", "Server=localhost"},
        {".", "Server=localhost", "Server=localhost"},
        {"", "Server=localhost", "Server=localhost"},
        {".\\SQLEXPRESS", "Server=localhost\\SQLEXPRESS", "Server=localhost\\SQLEXPRESS"},
        {"(local),1433", "Server=localhost;Port=1433", "Server=localhost,1433"},
        {" srv \\ INST ", "Server=srv\\INST", "Server=srv\\INST"},
        {" 10.0.0.5 , 1433 ", "Server=10.0.0.5;Port=1433", "Server=10.0.0.5,1433"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataSource.toStdString());
        EXPECT_EQ(ServerKeys(c.dataSource, kFreeTds), c.freeTds);
        EXPECT_EQ(ServerKeys(c.dataSource, kDriver17), c.microsoft);
        EXPECT_EQ(ServerKeys(c.dataSource, kDriver18), c.microsoft);
    }
}

TEST(OdbcConnectionString, RejectsAPortThatIsNoPortNumber) {
    for (const char* dataSource : {"srv,", "srv,abc", "srv,0", "srv,65536", "srv,+1", "srv,1 2"})
        for (const QString& driver : {kFreeTds, kDriver18})
            EXPECT_THROW(ServerKeys(dataSource, driver), EDatabaseError) << dataSource;
    EXPECT_EQ(ServerKeys("srv,65535", kFreeTds), "Server=srv;Port=65535");
}

TEST(OdbcConnectionString, PrefersDriver18Then17ThenFreeTds) {
    struct Case {
        QStringList installed;
        QString chosen;
    } const cases[] = {
        {{kFreeTds, kDriver17, kDriver18}, kDriver18},
        {{"SQLite3", kFreeTds, kDriver17}, kDriver17},
        {{"SQLite3", kFreeTds}, kFreeTds},
        {{"freetds"}, kFreeTds},
    };
    const QString oleDb = ProgramConnectionString("srv", "db", "sa", "pw");
    for (const Case& c : cases) {
        const TOdbcConnectionString odbc = Map(oleDb, c.installed);
        EXPECT_EQ(odbc.Driver, c.chosen) << c.installed.join(", ").toStdString();
        EXPECT_TRUE(odbc.Text.startsWith("Driver={" + c.chosen + "};"));
    }
}

TEST(OdbcConnectionString, NoSqlServerDriverRaisesAnErrorNamingTheDriversLookedFor) {
    try {
        Map(ProgramConnectionString("srv", "db", "sa", "pw"), {"SQLite3", "SQLite"});
        FAIL() << "no error";
    } catch (const EOleException& e) {
        EXPECT_EQ(e.Message(), "No SQL Server ODBC driver is installed; looked for \"ODBC Driver "
                               "18 for SQL Server\", \"ODBC Driver 17 for SQL Server\", "
                               "\"FreeTDS\"");
        EXPECT_EQ(e.SqlState(), "IM002");
        EXPECT_TRUE(e.HelpFile().isEmpty());
        EXPECT_EQ(e.HelpContext(), 0);
    }
}

TEST(OdbcConnectionString, HandsEveryValueOverIntactInBracesWhereOdbcNeedsThem) {
    // Built, parsed and mapped: the password reaches ODBC as typed.
    const QString oleDb = ProgramConnectionString("srv", "baza;1", "us}er", "a;b\"c");
    ASSERT_THAT(oleDb.toStdString(), ::testing::HasSubstr("Password=\"a;b\"\"c\""));
    EXPECT_EQ(Map(oleDb, {kDriver18}).Text,
              "Driver={ODBC Driver 18 for SQL Server};Server=srv;Database={baza;1};"
              "UID={us}}er};PWD={a;b\"c};APP=U:admin;TrustServerCertificate=yes");
    // FreeTDS ends a braced value at "};" and keeps "}}" as it is.
    EXPECT_EQ(Map(oleDb, {kFreeTds}).Text, "Driver={FreeTDS};Server=srv;Database={baza;1};"
                                           "UID={us}er};PWD={a;b\"c};APP=U:admin;TDS_Version=7.4");

    struct Case {
        QString password;
        QString microsoft;
        QString freeTds;
    } const cases[] = {
        {"", "PWD=", "PWD="},
        {" pw ", "PWD={ pw }", "PWD={ pw }"},
        {"{pw}", "PWD={{pw}}}", "PWD={{pw}}"},
        {"a=b'c", "PWD=a=b'c", "PWD=a=b'c"},
        {"zażółć", "PWD=zażółć", "PWD=zażółć"},
    };
    for (const Case& c : cases) {
        const QString program = ProgramConnectionString("srv", "db", "sa", c.password);
        EXPECT_THAT(Map(program, {kDriver17}).Text.toStdString(),
                    ::testing::HasSubstr((";" + c.microsoft + ";").toStdString()));
        EXPECT_THAT(Map(program, {kFreeTds}).Text.toStdString(),
                    ::testing::HasSubstr((";" + c.freeTds + ";").toStdString()));
    }
    EXPECT_THROW(Map(ProgramConnectionString("srv", "db", "sa", "a};b"), {kFreeTds}),
                 EDatabaseError);
    EXPECT_THAT(
        Map(ProgramConnectionString("srv", "db", "sa", "a};b"), {kDriver18}).Text.toStdString(),
        ::testing::HasSubstr(";PWD={a}};b};"));
}

// The refusals name the key; the value may be the password.
TEST(OdbcConnectionString, ItsFailuresNameNoValue) {
    const auto message = [](const QString& server, const QString& database, const QString& user,
                            const QString& password, const QString& driver) {
        try {
            Map(ProgramConnectionString(server, database, user, password), {driver});
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return QString("no error");
    };
    struct Case {
        QString server, database, user, password, driver, message;
    } const cases[] = {
        {"srv", "db", "sa", "Taj};ne", kFreeTds,
         "The FreeTDS driver cannot take a value of \"Password\" that holds \"};\""},
        {"srv", "db", "Taj};ne", "pw", kFreeTds,
         "The FreeTDS driver cannot take a value of \"User ID\" that holds \"};\""},
        {"srv", "Taj};ne", "sa", "pw", kFreeTds,
         "The FreeTDS driver cannot take a value of \"Initial Catalog\" that holds \"};\""},
        {"Taj};ne", "db", "sa", "pw", kFreeTds,
         "The FreeTDS driver cannot take a value of \"Data Source\" that holds \"};\""},
        {"Tajne,1x", "db", "sa", "pw", kFreeTds,
         "Invalid port in the Data Source: a port is a number from 1 to 65535"},
        {"Tajne,99999", "db", "sa", "pw", kDriver18,
         "Invalid port in the Data Source: a port is a number from 1 to 65535"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(message(c.server, c.database, c.user, c.password, c.driver), c.message);
}

TEST(OdbcConnectionString, MsdasqlPassesItsOtherPairsToOdbcAsTheyAre) {
    struct Case {
        QString oleDb;
        QString odbc;
        QString driver;
    } const cases[] = {
        {"Provider=MSDASQL;Driver=SQLite3;Database=/tmp/x.db", "Driver=SQLite3;Database=/tmp/x.db",
         "SQLite3"},
        {"Provider=MSDASQL.1;Driver={SQLite3};Database=\"/tmp/a;b.db\";Timeout=100",
         "Driver={SQLite3};Database={/tmp/a;b.db};Timeout=100", "SQLite3"},
        {"provider=msdasql;DSN=qen;UID=sa", "DSN=qen;UID=sa", "qen"},
    };
    for (const Case& c : cases) {
        // No SQL Server driver is needed for it.
        const TOdbcConnectionString odbc = Map(c.oleDb, {});
        EXPECT_EQ(odbc.Text, c.odbc);
        EXPECT_EQ(odbc.Driver, c.driver);
    }
}

TEST(OdbcConnectionString, ListsTheDriversRegisteredWithTheDriverManager) {
    const QStringList drivers = InstalledOdbcDrivers();
    EXPECT_TRUE(drivers.contains("SQLite3")) << drivers.join(", ").toStdString();
    EXPECT_TRUE(drivers.contains("FreeTDS")) << drivers.join(", ").toStdString();
}

} // namespace
