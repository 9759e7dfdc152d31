// Settings store, the connection file tkv.ini and opening the program's database.

#include "common.h"
#include "context.h"
#include "database.h"
#include "settings.h"
#include "startup.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The Access database keys of this installation.
void defineAccess(const QString& database, const QString& database2, const QString& password) {
    const QString folder = fncPROGRAM_FOLDER();
    saveSetting("Startup", "TKVDTA-" + folder, database);
    saveSetting("Startup", "TKWDTA-" + folder, database2);
    saveSetting("Startup", "PASSWORD-" + folder, password);
}

// What opening a connection string fails with, as the database layer reports it.
DatabaseError openFailure(const QString& connectionString) {
    Connection connection;
    try {
        connection.open(connectionString);
    } catch (const DatabaseError& e) {
        return e;
    }
    return DatabaseError(0, "opened");
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingsRoundTrip_data();
    void settingsRoundTrip();
    void settingsKeepOtherLines();
    void startupFlags_data();
    void startupFlags();
    void registryConnections_data();
    void registryConnections();
    void connectionFile_data();
    void connectionFile();
    void connectionString_data();
    void connectionString();
    void demoPath_data();
    void demoPath();
    void failureMessage_data();
    void failureMessage();
    void opensAccessAndDemo_data();
    void opensAccessAndDemo();
};

// clang-format off
void TestStartup::settingsRoundTrip_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("readSection");
    QTest::addColumn<QString>("readKey");

    QTest::newRow("windows folder key") << "Startup" << "TKVDTA-C:\\Apps\\Programs"
        << "C:\\Apps\\Database\\tkv.mdb" << "Startup" << "TKVDTA-C:\\Apps\\Programs";
    QTest::newRow("unix folder key") << "Startup" << "TKVDTA-/opt/tkv/Programs"
        << "/opt/tkv/Database/tkv.db" << "Startup" << "TKVDTA-/opt/tkv/Programs";
    QTest::newRow("value with equals") << "SBA" << "BACKGROUND" << "a=b=c" << "SBA" << "BACKGROUND";
    QTest::newRow("value with blanks") << "Company" << "NAME" << " Tolvane  " << "Company" << "NAME";
    QTest::newRow("case of section and key") << "Startup" << "Demo" << "True" << "STARTUP" << "DEMO";
    QTest::newRow("other section") << "Startup" << "LANGUAGE" << "S" << "SBA" << "LANGUAGE";
}
// clang-format on

void TestStartup::settingsRoundTrip() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, readSection);
    QFETCH(QString, readKey);
    TestEnvironment env;
    // A settings file in a folder that does not exist yet reads empty and is created.
    const QString file = env.path("deep/folder/ORLUNDE.ini");
    qputenv("ORLUNDE_SETTINGS", file.toLocal8Bit());
    QCOMPARE(getSetting(readSection, readKey), QString());

    saveSetting(section, key, value);
    const bool sameSection = section.compare(readSection, Qt::CaseInsensitive) == 0;
    QCOMPARE(getSetting(readSection, readKey), sameSection ? value : QString());
    QVERIFY(readBytes(file).contains(key.toUtf8() + '=' + value.toUtf8()));

    // Saving again under another case rewrites the one entry.
    saveSetting(readSection, readKey, "second");
    QCOMPARE(getSetting(section, key), sameSection ? QString("second") : value);
    QCOMPARE(readBytes(file).count("second"), 1);
}

void TestStartup::settingsKeepOtherLines() {
    TestEnvironment env;
    writeBytes(env.settingsFile(), "; written by the suite\n[Startup]\nDEMO=False\n\n[SBA]\n"
                                   "TOOLBAR=N\n");
    saveSetting("startup", "VERNBR", "2");
    saveSetting("SBA", "TOOLBAR", "Y");
    saveSetting("SMM", "IMGPTH", "/tmp/");
    QCOMPARE(readBytes(env.settingsFile()),
             QByteArray("; written by the suite\n[Startup]\nDEMO=False\nVERNBR=2\n\n[SBA]\n"
                        "TOOLBAR=Y\n\n[SMM]\nIMGPTH=/tmp/\n"));
}

// clang-format off
void TestStartup::startupFlags_data() {
    QTest::addColumn<QString>("demo");
    QTest::addColumn<QString>("vernbr");
    QTest::addColumn<bool>("wrkDEMO");
    QTest::addColumn<int>("wrkVERNBR");

    QTest::newRow("True, 2")                  << "True"  << "2"   << true  << 2;
    QTest::newRow("lower case true")          << "true"  << "9"   << true  << 9;
    QTest::newRow("-1")                       << "-1"    << "9"   << true  << 9;
    QTest::newRow("False")                    << "FALSE" << "1"   << false << 1;
    QTest::newRow("missing")                  << ""      << ""    << false << 0;
    QTest::newRow("not a flag, not a number") << "yes"   << "two" << false << 0;
    QTest::newRow("fraction")                 << "0"     << "2.5" << false << 0;
}
// clang-format on

void TestStartup::startupFlags() {
    QFETCH(QString, demo);
    QFETCH(QString, vernbr);
    QFETCH(bool, wrkDEMO);
    QFETCH(int, wrkVERNBR);
    TestEnvironment env;
    if (!demo.isEmpty())
        saveSetting("Startup", "DEMO", demo);
    if (!vernbr.isEmpty())
        saveSetting("Startup", "VERNBR", vernbr);
    saveSetting("Company", "NAME", "Tolvane Vending");
    saveSetting("Company", "ZIP", "33101");

    prcREAD_STARTUP_SETTINGS();
    QCOMPARE(shared().wrkDEMO, wrkDEMO);
    QCOMPARE(shared().wrkVERNBR, wrkVERNBR);
    QCOMPARE(shared().wrkCOMPANY_NAME, QString("Tolvane Vending"));
    QCOMPARE(shared().wrkCOMPANY_ZIP, QString("33101"));
    QVERIFY(!shared().wrkEXENME.isEmpty());
    QVERIFY(!shared().wrkEXENME.endsWith(".exe"));
}

// clang-format off
void TestStartup::registryConnections_data() {
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("database2");
    QTest::addColumn<QString>("dbtype");

    QTest::newRow("both defined")   << "/data/tkv.db" << "/data/tkw.db" << "ACCESS";
    QTest::newRow("second missing") << "/data/tkv.db" << ""             << "";
    QTest::newRow("main missing")   << ""             << "/data/tkw.db" << "";
}
// clang-format on

void TestStartup::registryConnections() {
    QFETCH(QString, database);
    QFETCH(QString, database2);
    QFETCH(QString, dbtype);
    TestEnvironment env;
    defineAccess(database, database2, "secret");
    saveSetting("Startup", "VERNBR", "1");

    prcREAD_STARTUP_SETTINGS();
    QCOMPARE(shared().wrkDBTYPE, dbtype);
    QCOMPARE(shared().wrkDATABASE, database);
    QCOMPARE(shared().wrkDATABASE2, database2);
    QCOMPARE(shared().wrkPASSWORD, QString("secret"));
    const QStringList expected =
        dbtype.isEmpty() ? QStringList{"Database Connections are undefined. Use System Control "
                                       "to configure connections"}
                         : QStringList{};
    QCOMPARE(env.messages, expected);
}

// clang-format off
void TestStartup::connectionFile_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("dbtype");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("userid");
    QTest::addColumn<int>("intsec");
    QTest::addColumn<QByteArray>("after"); // the file afterwards

    const QByteArray full = "SRV01\r\ntkv\r\ntkw\r\nsa\r\npw\r\n1\r\n";
    const QByteArray lineFeeds = "SRV01\ntkv\ntkw\n\n\n0";
    const QByteArray fromSettings = "\r\n/db/tkv.db\r\n/db/tkw.db\r\n\r\nPW\r\n0\r\n";
    const QByteArray keepsServer = "SRV01\r\n/db/tkv.db\r\n/db/tkw.db\r\nsa\r\nPW\r\n0\r\n";
    QTest::newRow("six lines") << true << full << "SQLSERVER" << "SRV01" << "sa" << 1 << full;
    QTest::newRow("line feeds, no last end")
        << true << lineFeeds << "SQLSERVER" << "SRV01" << "" << 0 << lineFeeds;
    QTest::newRow("missing") << false << QByteArray() << "ACCESS" << "" << "" << 0 << fromSettings;
    QTest::newRow("empty") << true << QByteArray() << "ACCESS" << "" << "" << 0 << fromSettings;
    QTest::newRow("empty first line") << true << QByteArray("\r\ntkv\r\ntkw\r\nsa\r\npw\r\n1\r\n")
        << "ACCESS" << "" << "" << 0 << fromSettings;
    QTest::newRow("five lines") << true << QByteArray("SRV01\r\ntkv\r\ntkw\r\nsa\r\npw\r\n")
        << "ACCESS" << "SRV01" << "sa" << 0 << keepsServer;
    QTest::newRow("line 6 not a number") << true
        << QByteArray("SRV01\r\ntkv\r\ntkw\r\nsa\r\npw\r\nyes\r\n")
        << "ACCESS" << "SRV01" << "sa" << 0 << keepsServer;
}
// clang-format on

void TestStartup::connectionFile() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, contents);
    QFETCH(QString, dbtype);
    QFETCH(QString, server);
    QFETCH(QString, userid);
    QFETCH(int, intsec);
    QFETCH(QByteArray, after);
    TestEnvironment env;
    defineAccess("/db/tkv.db", "/db/tkw.db", "PW");
    saveSetting("Startup", "VERNBR", "2");
    const QString file = QDir(env.programFolder()).filePath("tkv.ini");
    QCOMPARE(connectionFilePath(), file);
    if (exists)
        writeBytes(file, contents);

    prcREAD_STARTUP_SETTINGS();
    QCOMPARE(shared().wrkDBTYPE, dbtype);
    QCOMPARE(shared().wrkSERVER, server);
    QCOMPARE(shared().wrkUSERID, userid);
    QCOMPARE(shared().wrkINTSEC, intsec);
    QCOMPARE(readBytes(file), after);
    QCOMPARE(env.messages, QStringList());
}

// clang-format off
void TestStartup::connectionString_data() {
    QTest::addColumn<bool>("demo");
    QTest::addColumn<int>("vernbr");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("userid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("intsec");
    QTest::addColumn<QString>("expected");

    QTest::newRow("access, empty password")
        << false << 0 << "" << "C:\\Data\\tkv.mdb" << "" << "" << 0
        << "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=C:\\Data\\tkv.mdb;Password=''";
    QTest::newRow("access, password")
        << false << 1 << "" << "/data/tkv.db" << "" << "pw" << 0
        << "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=/data/tkv.db;Password='pw'";
    QTest::newRow("demo ignores password and server")
        << true << 2 << "SRV" << "/opt/Database/TolvaneDemo.mdb" << "sa" << "pw" << 1
        << "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=/opt/Database/TolvaneDemo.mdb";
    QTest::newRow("sql server, nothing extra")
        << false << 2 << "SRV01" << "TKV" << "" << "" << 0
        << "Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV";
    QTest::newRow("sql server, integrated security")
        << false << 2 << "SRV01" << "TKV" << "" << "" << 1
        << "Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV;"
           "Integrated Security=SSPI;Persist Security Info=False";
    QTest::newRow("sql server, user id and password")
        << false << 3 << "SRV01" << "TKV" << "clerk" << "pw" << 0
        << "Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV;User ID=clerk;Password=pw";
}
// clang-format on

void TestStartup::connectionString() {
    QFETCH(bool, demo);
    QFETCH(int, vernbr);
    QFETCH(QString, server);
    QFETCH(QString, database);
    QFETCH(QString, userid);
    QFETCH(QString, password);
    QFETCH(int, intsec);
    QFETCH(QString, expected);
    SharedValues values;
    values.wrkDEMO = demo;
    values.wrkVERNBR = vernbr;
    values.wrkSERVER = server;
    values.wrkDATABASE = database;
    values.wrkUSERID = userid;
    values.wrkPASSWORD = password;
    values.wrkINTSEC = intsec;
    QCOMPARE(::connectionString(values), expected);
}

void TestStartup::demoPath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
#ifdef Q_OS_WIN
    QTest::newRow("windows") << "C:\\Apps\\Programs"
                             << "C:\\Apps\\Database\\TolvaneDemo.mdb";
#else
    QTest::newRow("unix") << "/opt/x/Programs"
                          << "/opt/x/Database/TolvaneDemo.mdb";
#endif
    QTest::newRow("too short") << "/opt"
                               << "";
}

void TestStartup::demoPath() {
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(demoDatabasePath(folder), expected);
}

// clang-format off
void TestStartup::failureMessage_data() {
    QTest::addColumn<QString>("demo");
    QTest::addColumn<QString>("vernbr");
    QTest::addColumn<QString>("caption");

    QTest::newRow("access")     << "False" << "0" << "The TKV/i Access";
    QTest::newRow("demo")       << "True"  << "1" << "The TKV/i Access Demo";
    QTest::newRow("sql server") << "False" << "2" << "The TKV/i SQL Server";
}
// clang-format on

void TestStartup::failureMessage() {
    QFETCH(QString, demo);
    QFETCH(QString, vernbr);
    QFETCH(QString, caption);
    TestEnvironment env;
    const QString folder = env.programFolder();
    const QString missing = env.path("missing.mdb");
    defineAccess(missing, env.path("route.mdb"), "");
    saveSetting("Startup", "DEMO", demo);
    saveSetting("Startup", "VERNBR", vernbr);
    writeBytes(QDir(folder).filePath("tkv.ini"), "SRV01\r\nTKV\r\nTKW\r\n\r\n\r\n0\r\n");

    prcREAD_STARTUP_SETTINGS();
    prcOPEN_DATABASE();

    const bool sqlServer = vernbr == "2";
    const bool isDemo = demo == "True";
    const QString database =
        isDemo ? env.path("Database/TolvaneDemo.mdb") : (sqlServer ? "TKV" : missing);
    QCOMPARE(shared().wrkDATABASE, database);
    const DatabaseError error =
        openFailure(sqlServer ? "Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV"
                              : "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + database);
    QString expected = caption +
                       " database connection was aborted. Use System Control to "
                       "restore connection.\rProgram Path:   " +
                       folder + "\r";
    if (sqlServer)
        expected += "SQL Server:     SRV01\r";
    expected += "TKV Database: " + database + "\rErr#: " + QString::number(error.number()) +
                "\rErrDescpt: " + error.description();
    QCOMPARE(env.messages, QStringList{expected});
    QCOMPARE(shared().wrkDBTYPE, QString());
    QVERIFY(!startupConnectionReady());
}

void TestStartup::opensAccessAndDemo_data() {
    QTest::addColumn<bool>("demo");
    QTest::newRow("access") << false;
    QTest::newRow("demo") << true;
}

void TestStartup::opensAccessAndDemo() {
    QFETCH(bool, demo);
    TestEnvironment env;
    const QString file = demo ? env.path("Database/TolvaneDemo.mdb") : env.path("tkv.db");
    writeBytes(file, QByteArray()); // an empty file is a new database
    defineAccess(env.path("tkv.db"), env.path("tkw.db"), "");
    saveSetting("Startup", "DEMO", demo ? "True" : "False");
    saveSetting("Startup", "LANGUAGE", "S");

    prcREAD_STARTUP_SETTINGS();
    prcOPEN_DATABASE();
    QCOMPARE(env.messages, QStringList());
    QVERIFY(startupConnectionReady());
    QCOMPARE(shared().wrkDBTYPE, QString("ACCESS"));
    QCOMPARE(shared().wrkDATABASE, file);
    QCOMPARE(shared().wrkNOLOCK, QString());
    QCOMPARE(shared().wrkLANGUAGE, QString("S"));
    QCOMPARE(StatementTrace::statements(), QStringList()); // no SQL Server options here

    prcCLOSE_DATABASE();
    QVERIFY(!db().isOpen());
    QVERIFY(!startupConnectionReady());
    prcCLOSE_DATABASE(); // closing again, as at an exit after a failed start, is quiet
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
