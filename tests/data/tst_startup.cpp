// Settings store, the connection file tkv.ini and opening the program's database.

#include "common.h"
#include "database.h"
#include "settings.h"
#include "startup.h"
#include "test_support.h"

#include <QDir>

namespace {

// The Access database keys of this installation.
void defineAccess(const QString& database, const QString& database2, const QString& password) {
    const QString folder = fncPROGRAM_FOLDER();
    saveSetting("Startup", "TKVDTA-" + folder, database);
    saveSetting("Startup", "TKWDTA-" + folder, database2);
    saveSetting("Startup", "PASSWORD-" + folder, password);
}

} // namespace

class TestStartup : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { env.emplace(); }

    // Saving edits the one line, names matched without regard to case, and keeps every other
    // line; the first "=" ends the key, so a key may hold a folder and a value "=" and blanks.
    void settingsFile() {
        const QString file = env->path("new/ORLUNDE.ini"); // its folder is made on saving
        qputenv("ORLUNDE_SETTINGS", file.toLocal8Bit());
        saveSetting("Startup", "DEMO", "False");
        writeFile(file, "; a comment\n" + readFile(file) + "\n[SBA]\nTOOLBAR=N\n");
        saveSetting("startup", "TKVDTA-C:\\Apps", "C:\\tkv.mdb=b ");
        saveSetting("sba", "toolbar", "Y");
        saveSetting("SMM", "IMGPTH", "/tmp/");
        QCOMPARE(readFile(file), QByteArray("; a comment\n[Startup]\nDEMO=False\n"
                                            "TKVDTA-C:\\Apps=C:\\tkv.mdb=b \n\n[SBA]\ntoolbar=Y\n"
                                            "\n[SMM]\nIMGPTH=/tmp/\n"));
        QCOMPARE(getSetting("STARTUP", "tkvdta-c:\\apps"), QString("C:\\tkv.mdb=b "));
        QCOMPARE(getSetting("SBA", "DEMO"), QString()); // another section's key
    }

    // The suite writes flags as True or -1 and numbers as text; anything else reads as off or 0.
    void settingFlagsAndNumbers() {
        for (const char* on : {"True", "true", "-1", "1"})
            QVERIFY2(settingBoolean(on), on);
        for (const char* off : {"", "False", "yes", "0"})
            QVERIFY2(!settingBoolean(off), off);
        QCOMPARE(QList<int>({settingWholeNumber(" 2"), settingWholeNumber("two")}),
                 QList<int>({2, 0}));
    }

    // Without the route database the clerk is told so and the program runs on the main one.
    void routeDatabaseMissing() {
        saveSetting("Startup", "DEMO", "-1");
        saveSetting("Startup", "VERNBR", "1");
        saveSetting("Company", "ZIP", "33101");
        defineAccess("/d/tkv.db", "", "secret");

        prcREAD_STARTUP_SETTINGS();
        const SharedValues& s = shared();
        QCOMPARE(QStringList({QString::number(s.wrkDEMO), QString::number(s.wrkVERNBR),
                              s.wrkCOMPANY_ZIP, s.wrkDBTYPE, s.wrkDATABASE, s.wrkPASSWORD}),
                 QStringList({"1", "1", "33101", "ACCESS", "/d/tkv.db", "secret"}));
        QVERIFY(!s.wrkEXENME.isEmpty() && !s.wrkEXENME.endsWith(".exe")); // the help texts' key
        QCOMPARE(env->messages, QStringList{"Database Connections are undefined. Use System "
                                            "Control to configure connections"});
    }

    // clang-format off
    void connectionFile_data() {
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<QString>("read");        // type|server|user id|integrated security
        QTest::addColumn<QByteArray>("after");    // the file afterwards
        const QByteArray full = "SRV01\r\ntkv\r\ntkw\r\nsa\r\npw\r\n1\r\n";
        const QByteArray lineFeeds = "SRV01\ntkv\ntkw\n\n\n0";
        const QByteArray fromSettings = "\r\n/db/tkv.db\r\n/db/tkw.db\r\n\r\nPW\r\n0\r\n";
        QTest::newRow("six lines") << full << "SQLSERVER|SRV01|sa|1" << full;
        QTest::newRow("line feeds, no last end") << lineFeeds << "SQLSERVER|SRV01||0" << lineFeeds;
        QTest::newRow("missing") << QByteArray() << "ACCESS|||0" << fromSettings;
        QTest::newRow("empty first line") << QByteArray("\r\ntkv\r\ntkw\r\nsa\r\npw\r\n1\r\n")
            << "ACCESS|||0" << fromSettings;
        QTest::newRow("line 6 not a number") << QByteArray("SRV01\r\ntkv\r\ntkw\r\nsa\r\npw\r\nyes\r\n")
            << "ACCESS|SRV01|sa|0" << QByteArray("SRV01\r\n/db/tkv.db\r\n/db/tkw.db\r\nsa\r\nPW\r\n0\r\n");
    }
    // clang-format on

    void connectionFile() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, read);
        QFETCH(QByteArray, after);
        defineAccess("/db/tkv.db", "/db/tkw.db", "PW");
        saveSetting("Startup", "VERNBR", "2");
        const QString file = QDir(env->programFolder()).filePath("tkv.ini");
        QCOMPARE(connectionFilePath(), file);
        if (!contents.isNull())
            writeFile(file, contents);

        prcREAD_STARTUP_SETTINGS();
        const SharedValues& s = shared();
        QCOMPARE(QStringList({s.wrkDBTYPE, s.wrkSERVER, s.wrkUSERID, QString::number(s.wrkINTSEC)})
                     .join('|'),
                 read);
        QCOMPARE(readFile(file), after);
        QCOMPARE(env->messages, QStringList());
    }

    // clang-format off
    void connectionStringAndCaption_data() {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<int>("vernbr");
        QTest::addColumn<QString>("userid");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("intsec");
        QTest::addColumn<QString>("expected"); // server SRV01, database TKV
        QTest::newRow("access") << false << 1 << "" << "pw" << 0
            << "The TKV/i Access|Provider=Microsoft.Jet.OLEDB.4.0; Data Source=TKV;Password='pw'";
        QTest::newRow("demo ignores password and server") << true << 2 << "sa" << "pw" << 1
            << "The TKV/i Access Demo|Provider=Microsoft.Jet.OLEDB.4.0; Data Source=TKV";
        QTest::newRow("sql server, nothing extra") << false << 2 << "" << "" << 0
            << "The TKV/i SQL Server|Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV";
        QTest::newRow("sql server, integrated security") << false << 3 << "" << "" << 1
            << "The TKV/i SQL Server|Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV;"
               "Integrated Security=SSPI;Persist Security Info=False";
        QTest::newRow("sql server, user id and password") << false << 2 << "clerk" << "pw" << 0
            << "The TKV/i SQL Server|Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV;"
               "User ID=clerk;Password=pw";
    }
    // clang-format on

    void connectionStringAndCaption() {
        QFETCH(bool, demo);
        QFETCH(int, vernbr);
        QFETCH(QString, userid);
        QFETCH(QString, password);
        QFETCH(int, intsec);
        QFETCH(QString, expected);
        SharedValues values;
        values.wrkDEMO = demo;
        values.wrkVERNBR = vernbr;
        values.wrkSERVER = "SRV01";
        values.wrkDATABASE = "TKV";
        values.wrkUSERID = userid;
        values.wrkPASSWORD = password;
        values.wrkINTSEC = intsec;
        QCOMPARE(connectionFailureCaption(values) + '|' + ::connectionString(values), expected);
    }

    // What the clerk is told when the database does not open; the server only on SQL Server.
    void failureMessage_data() {
        QTest::addColumn<bool>("sqlServer");
        QTest::newRow("access") << false;
        QTest::newRow("sql server") << true;
    }

    void failureMessage() {
        QFETCH(bool, sqlServer);
        const QString missing = env->path("missing.mdb");
        defineAccess(missing, env->path("route.mdb"), "");
        saveSetting("Startup", "VERNBR", sqlServer ? "2" : "0");
        saveSetting("Startup", "LANGUAGE", "S"); // read on opening, whatever comes of it
        writeFile(QDir(env->programFolder()).filePath("tkv.ini"),
                  "SRV01\r\nTKV\r\nTKW\r\n\r\n\r\n0\r\n");

        prcREAD_STARTUP_SETTINGS();
        prcOPEN_DATABASE();
        const QString database = sqlServer ? "TKV" : missing;
        DatabaseError error(0, "opened");
        try {
            Connection().open(::connectionString(shared()));
        } catch (const DatabaseError& e) {
            error = e;
        }
        QCOMPARE(env->messages,
                 QStringList{(sqlServer ? "The TKV/i SQL Server" : "The TKV/i Access") +
                             QString(" database connection was aborted. Use System Control to "
                                     "restore connection.\rProgram Path:   ") +
                             env->programFolder() + (sqlServer ? "\rSQL Server:     SRV01" : "") +
                             "\rTKV Database: " + database +
                             "\rErr#: " + QString::number(error.number()) +
                             "\rErrDescpt: " + error.description()});
        QCOMPARE(shared().wrkDBTYPE, QString());
        QVERIFY(!startupConnectionReady());
        QCOMPARE(shared().wrkLANGUAGE, QString("S"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
