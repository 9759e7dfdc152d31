// Settings store, the connection file tkv.ini and opening the program's database.

#include "common.h"
#include "context.h"
#include "database.h"
#include "settings.h"
#include "startup.h"
#include "test_support.h"

#include <QDir>
#include <QTest>

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

    // clang-format off
    void settingsRoundTrip_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("folder key") << "Startup" << "TKVDTA-C:\\Apps\\Programs" << "C:\\Apps\\Database\\tkv.mdb";
        QTest::newRow("value with equals") << "SBA" << "BACKGROUND" << "a=b=c";
        QTest::newRow("value with blanks") << "Company" << "NAME" << " Tolvane  ";
    }
    // clang-format on

    void settingsRoundTrip() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        // A settings file in a folder that does not exist yet reads empty and is created.
        const QString file = env->path("deep/folder/ORLUNDE.ini");
        qputenv("ORLUNDE_SETTINGS", file.toLocal8Bit());
        QCOMPARE(getSetting(section, key), QString());
        saveSetting(section, key, value);
        QCOMPARE(getSetting(section.toUpper(), key.toUpper()), value);
        QCOMPARE(getSetting("Other", key), QString());
        QVERIFY(readFile(file).contains(key.toUtf8() + '=' + value.toUtf8()));
        // Saving again under another case rewrites the one entry.
        saveSetting(section.toLower(), key.toLower(), "second");
        QCOMPARE(getSetting(section, key), QString("second"));
        QCOMPARE(readFile(file).count("second"), 1);
    }

    void settingsKeepOtherLines() {
        writeFile(env->settingsFile(), "; a comment\n[Startup]\nDEMO=False\n\n[SBA]\nTOOLBAR=N\n");
        saveSetting("startup", "VERNBR", "2");
        saveSetting("SBA", "TOOLBAR", "Y");
        saveSetting("SMM", "IMGPTH", "/tmp/");
        QCOMPARE(readFile(env->settingsFile()),
                 QByteArray("; a comment\n[Startup]\nDEMO=False\nVERNBR=2\n\n[SBA]\nTOOLBAR=Y\n\n"
                            "[SMM]\nIMGPTH=/tmp/\n"));
    }

    // clang-format off
    void startupFlags_data() {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("vernbr");
        QTest::addColumn<QString>("database2"); // the main database is always defined
        QTest::addColumn<bool>("wrkDEMO");
        QTest::addColumn<int>("wrkVERNBR");
        QTest::newRow("True, 1")        << "True"  << "1"   << "/d/tkw.db" << true  << 1;
        QTest::newRow("-1")             << "-1"    << "0"   << "/d/tkw.db" << true  << 0;
        QTest::newRow("missing")        << ""      << ""    << "/d/tkw.db" << false << 0;
        QTest::newRow("not flag, text") << "yes"   << "two" << "/d/tkw.db" << false << 0;
        QTest::newRow("second missing") << "False" << "1"   << ""          << false << 1;
    }
    // clang-format on

    void startupFlags() {
        QFETCH(QString, demo);
        QFETCH(QString, vernbr);
        QFETCH(QString, database2);
        QFETCH(bool, wrkDEMO);
        QFETCH(int, wrkVERNBR);
        if (!demo.isEmpty())
            saveSetting("Startup", "DEMO", demo);
        if (!vernbr.isEmpty())
            saveSetting("Startup", "VERNBR", vernbr);
        saveSetting("Company", "ZIP", "33101");
        defineAccess("/d/tkv.db", database2, "secret");

        prcREAD_STARTUP_SETTINGS();
        QCOMPARE(shared().wrkDEMO, wrkDEMO);
        QCOMPARE(shared().wrkVERNBR, wrkVERNBR);
        QCOMPARE(shared().wrkCOMPANY_ZIP, QString("33101"));
        QVERIFY(!shared().wrkEXENME.isEmpty() && !shared().wrkEXENME.endsWith(".exe"));
        // Without the route database the program is told so and runs on the main one.
        QCOMPARE(shared().wrkDBTYPE, QString("ACCESS"));
        QCOMPARE(shared().wrkDATABASE2, database2);
        QCOMPARE(shared().wrkPASSWORD, QString("secret"));
        const QString undefined =
            "Database Connections are undefined. Use System Control to configure connections";
        QCOMPARE(env->messages, database2.isEmpty() ? QStringList{undefined} : QStringList{});
    }

    // clang-format off
    void connectionFile_data() {
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<QString>("dbtype");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("userid");
        QTest::addColumn<int>("intsec");
        QTest::addColumn<QByteArray>("after"); // the file afterwards
        const QByteArray full = "SRV01\r\ntkv\r\ntkw\r\nsa\r\npw\r\n1\r\n";
        const QByteArray lineFeeds = "SRV01\ntkv\ntkw\n\n\n0";
        const QByteArray fromSettings = "\r\n/db/tkv.db\r\n/db/tkw.db\r\n\r\nPW\r\n0\r\n";
        QTest::newRow("six lines") << full << "SQLSERVER" << "SRV01" << "sa" << 1 << full;
        QTest::newRow("line feeds, no last end") << lineFeeds << "SQLSERVER" << "SRV01" << "" << 0 << lineFeeds;
        QTest::newRow("missing") << QByteArray() << "ACCESS" << "" << "" << 0 << fromSettings;
        QTest::newRow("empty first line") << QByteArray("\r\ntkv\r\ntkw\r\nsa\r\npw\r\n1\r\n")
            << "ACCESS" << "" << "" << 0 << fromSettings;
        QTest::newRow("line 6 not a number") << QByteArray("SRV01\r\ntkv\r\ntkw\r\nsa\r\npw\r\nyes\r\n")
            << "ACCESS" << "SRV01" << "sa" << 0 << QByteArray("SRV01\r\n/db/tkv.db\r\n/db/tkw.db\r\nsa\r\nPW\r\n0\r\n");
    }
    // clang-format on

    void connectionFile() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, dbtype);
        QFETCH(QString, server);
        QFETCH(QString, userid);
        QFETCH(int, intsec);
        QFETCH(QByteArray, after);
        defineAccess("/db/tkv.db", "/db/tkw.db", "PW");
        saveSetting("Startup", "VERNBR", "2");
        const QString file = QDir(env->programFolder()).filePath("tkv.ini");
        QCOMPARE(connectionFilePath(), file);
        if (!contents.isNull())
            writeFile(file, contents);

        prcREAD_STARTUP_SETTINGS();
        QCOMPARE(shared().wrkDBTYPE, dbtype);
        QCOMPARE(shared().wrkSERVER, server);
        QCOMPARE(shared().wrkUSERID, userid);
        QCOMPARE(shared().wrkINTSEC, intsec);
        QCOMPARE(readFile(file), after);
        QCOMPARE(env->messages, QStringList());
    }

    // clang-format off
    void connectionString_data() {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<int>("vernbr");
        QTest::addColumn<QString>("userid");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("intsec");
        QTest::addColumn<QString>("expected"); // server SRV01, database TKV
        QTest::newRow("access, empty password") << false << 0 << "" << "" << 0
            << "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=TKV;Password=''";
        QTest::newRow("access, password") << false << 1 << "" << "pw" << 0
            << "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=TKV;Password='pw'";
        QTest::newRow("demo ignores password and server") << true << 2 << "sa" << "pw" << 1
            << "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=TKV";
        QTest::newRow("sql server, nothing extra") << false << 2 << "" << "" << 0
            << "Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV";
        QTest::newRow("sql server, integrated security") << false << 2 << "" << "" << 1
            << "Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV;"
               "Integrated Security=SSPI;Persist Security Info=False";
        QTest::newRow("sql server, user id and password") << false << 3 << "clerk" << "pw" << 0
            << "Provider=SQLOLEDB.1;Data Source=SRV01;Initial Catalog=TKV;User ID=clerk;Password=pw";
    }
    // clang-format on

    void connectionString() {
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
        QCOMPARE(::connectionString(values), expected);
    }

    // clang-format off
    void failureMessage_data() {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("vernbr");
        QTest::addColumn<QString>("caption");
        QTest::newRow("access")     << "False" << "0" << "The TKV/i Access";
        QTest::newRow("demo")       << "True"  << "1" << "The TKV/i Access Demo";
        QTest::newRow("sql server") << "False" << "2" << "The TKV/i SQL Server";
    }
    // clang-format on

    void failureMessage() {
        QFETCH(QString, demo);
        QFETCH(QString, vernbr);
        QFETCH(QString, caption);
        const QString folder = env->programFolder();
        const QString missing = env->path("missing.mdb");
        defineAccess(missing, env->path("route.mdb"), "");
        saveSetting("Startup", "DEMO", demo);
        saveSetting("Startup", "VERNBR", vernbr);
        writeFile(QDir(folder).filePath("tkv.ini"), "SRV01\r\nTKV\r\nTKW\r\n\r\n\r\n0\r\n");

        prcREAD_STARTUP_SETTINGS();
        prcOPEN_DATABASE();
        const bool sqlServer = vernbr == "2";
        // The demo database sits beside the program folder.
        const QString database =
            demo == "True" ? env->path("Database/TolvaneDemo.mdb") : (sqlServer ? "TKV" : missing);
        QCOMPARE(shared().wrkDATABASE, database);
        DatabaseError error(0, "opened");
        try {
            Connection().open(::connectionString(shared()));
        } catch (const DatabaseError& e) {
            error = e;
        }
        QString expected = caption +
                           " database connection was aborted. Use System Control to "
                           "restore connection.\rProgram Path:   " +
                           folder + "\r";
        if (sqlServer)
            expected += "SQL Server:     SRV01\r";
        expected += "TKV Database: " + database + "\rErr#: " + QString::number(error.number()) +
                    "\rErrDescpt: " + error.description();
        QCOMPARE(env->messages, QStringList{expected});
        QCOMPARE(shared().wrkDBTYPE, QString());
        QVERIFY(!startupConnectionReady());
    }

    void opensAccess() {
        const QString file = env->path("tkv.db");
        writeFile(file, QByteArray()); // an empty file is a new database
        defineAccess(file, env->path("tkw.db"), "");
        saveSetting("Startup", "LANGUAGE", "S");

        prcREAD_STARTUP_SETTINGS();
        prcOPEN_DATABASE();
        QCOMPARE(env->messages, QStringList());
        QVERIFY(startupConnectionReady());
        QCOMPARE(shared().wrkDATABASE, file);
        QCOMPARE(shared().wrkNOLOCK, QString());
        QCOMPARE(shared().wrkLANGUAGE, QString("S"));
        QCOMPARE(StatementTrace::statements(), QStringList()); // no SQL Server options here
        prcCLOSE_DATABASE();
        QVERIFY(!db().isOpen());
        QVERIFY(!startupConnectionReady());
        prcCLOSE_DATABASE(); // closing again, as at an exit after a failed start, is quiet
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
