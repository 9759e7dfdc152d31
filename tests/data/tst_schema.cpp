#include "company.h"
#include "context.h"
#include "database.h"
#include "demo_database.h"
#include "schema.h"
#include "settings.h"
#include "startup.h"
#include "test_support.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>
#include <cmath>

namespace {

void openDemo(const QString& file) {
    db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1").arg(file));
}

int ymd(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

// A copy of one new database made once: the statement list runs each statement on a fresh
// database without building the schema forty times.
void openFreshCopy(const TestEnvironment& env) {
    static QTemporaryDir folder;
    static const QString original = [] {
        const QString file = folder.filePath(QStringLiteral("new.mdb"));
        QFile(file).open(QIODevice::WriteOnly);
        Connection connection;
        connection.open(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1").arg(file));
        createSchema(connection);
        connection.close();
        return file;
    }();
    QFile::remove(env.databaseFile());
    QVERIFY(QFile::copy(original, env.databaseFile()));
    db().open(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1").arg(env.databaseFile()));
}

double number(const QString& sql) {
    return sqlValue(sql).toDouble();
}

// Every row of the bank lines, for comparing two builds.
QString bankLines() {
    QStringList rows;
    Recordset rs = db().execute(QStringLiteral(
        "Select * from LDG_GENERAL_LEDGER_TRANSACTION order by gltFSYEAR, gltLNENBR"));
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (const QString& column :
             schemaColumns(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION")))
            fields << rs.field(column).toString();
        rows << fields.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowStatementsRun_data();
    void windowStatementsRun();
    void defaultsOfPartialInserts();
    void textComparesWithoutCase_data();
    void textComparesWithoutCase();
    void createSchemaIsIdempotent();
    void ledgerLineNumbersAreUnique();
    void sqlServerScriptHasEveryColumn();
    void demoInvariants_data();
    void demoInvariants();
    void demoIsDeterministic();
    void largeDemoAddsUnclearedLines();
    void demoInstallation();
};

// The windows' statements, with values filled in, must run on a new database.
void TestSchema::windowStatementsRun_data() {
    QTest::addColumn<QString>("sql");
    const char* statements[] = {
        // Sign-on and main window
        "Select * from SYS_ENTERPRISE_MASTER where ddmDIVCDE='*' and ddmDPTCDE=''",
        "Insert into SYS_ENTERPRISE_MASTER(ddmLGLNME,ddmDBANME,ddmADDRS1,ddmADDRS2,ddmCITY,"
        "ddmSTATE,ddmZIPCDE)values('A','A','B','C','D','E','F')",
        "Select max(glmFSYEAR) as maxFSYEAR from LDG_GENERAL_LEDGER_MASTER where glmDIVCDE='*'",
        "Select * from SYS_USER_MASTER where usmUSRSGN='CLERK' and usmSECLVL in ('S','M','A')",
        "Select count(*) as hldRECCNT from SYS_USER_DETAIL where usdUSRSGN='CLERK' and "
        "usdSYSCDE='ABR'",
        "Select * from SYS_SYSTEM_VALUE_MASTER where svmVALCDE='DTEFMT'",
        "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLATYP='BNK' "
        "order by glmGLANBR",
        "Select * from SYS_CUSTOM_PROGRAM_MASTER where cpmSUBSYS='ABR' order by cpmPGMTYP",
        // Clearing
        "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 and gltSTATUS<>'R' "
        "and gltTRNAMT>0",
        "Update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=20240305 where gltFSYEAR=2024 and "
        "gltLNENBR=7",
        // Adjustments
        "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLANBR<>1010 "
        "order by glmGLANBR",
        "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltJRNCDE='BA' and gltTRNDTE>0 and "
        "gltTRNTYP='R' order by gltTRNDTE desc, gltTRNTME",
        "Select max(gltLNENBR) as maxLNENBR from LDG_GENERAL_LEDGER_TRANSACTION where "
        "gltFSYEAR=2024",
        "Insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,gltJRNCDE,gltTRNDTE,"
        "gltTRNTME,gltTRNTYP,gltGLANBR,gltDESCPT,gltTRNAMT,gltPSTDTE) values(2024,341,'BA',"
        "20240228,101500,'A',1010,'Service charge',25,20240315)",
        "Delete from LDG_GENERAL_LEDGER_TRANSACTION where gltTRNDTE=20240228 and "
        "gltTRNTME=101500 and gltJRNCDE='BA'",
        // Reconcile and post
        "Select max(brhSTMDTE) as maxSTMDTE from LDG_BANK_RECONCILIATION_HISTORY where "
        "brhGLANBR=1010",
        "Select sum(gltTRNAMT) as sumTRNAMT from LDG_GENERAL_LEDGER_TRANSACTION where "
        "gltGLANBR=1010 and gltRCNDTE=0 and gltTRNDTE<20240229",
        "Insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,brhGLANBR,brhDIVCDE,"
        "brhSTMDTE,brhBNKBAL,brhOUTSTD,brhBNKADJ,brhADJBAL,brhEOMBAL,brhOVRSHT,brhRLSDTE) "
        "values(2024,2,1010,'',20240215,1000,-100,0,1100,1100,0,20240315)",
        "Update LDG_BANK_RECONCILIATION_HISTORY set brhSTMDTE=20240215,brhBNKBAL=1000,"
        "brhOUTSTD=-100,brhBNKADJ=0,brhADJBAL=1100,brhEOMBAL=1100,brhOVRSHT=0,"
        "brhRLSDTE=20240315 where brhGLANBR=1010 and brhFSYEAR=2024 and brhMONTH=2",
        "Select count(*) as cntRECORD from LDG_GENERAL_LEDGER_TRANSACTION where gltRCNDTE>0 "
        "and gltSTATUS<>'R'",
        "Update LDG_BANK_RECONCILIATION_HISTORY set brhPSTDTE=20240315 where brhRLSDTE>0 and "
        "brhPSTDTE=0 and brhGLANBR=1010",
        // Void and NSF
        "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 and gltCHKNBR=4501 "
        "and gltTRNTYP='CK' and gltRCNDTE=0 and gltSTATUS<>'V'",
        "Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='V' where gltGLANBR=1010 and "
        "gltCHKNBR=4501 and gltTRNDTE=20240301",
        "Delete from LDG_BANK_EXPENDITURE_TRANSACTION where betCHKNBR=4501 and "
        "betCHKDTE=20240301",
        "Delete from LDG_PAYROLL_TRANSACTION where prtCHKNBR=4501 and prtCHKDTE=20240301",
        "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltCHKTXT='5512' and gltRCNDTE=0 "
        "and gltSTATUS<>'N'",
        "Update LDG_BANK_DEPOSIT_TRANSACTION set bdtTRNAMT=0 where bdtCHKTXT='5512' and "
        "bdtDEPDTE=20240301",
        // Inquiry
        "Select * from LDG_BANK_DEPOSIT_TRANSACTION where bdtTRNAMT=125.5",
        "Select * from LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010 and "
        "brhSTMDTE>=20231215 order by brhFSYEAR desc, brhMONTH desc",
        "Select * from LDG_BANK_DEPOSIT_TRANSACTION where bdtDEPDTE= 20240301 and bdtDEPTME= "
        "153000 order by bdtLNENBR",
        "Select * from LDG_BANK_EXPENDITURE_TRANSACTION where betLNENBR= 12 and betTRNDTE= "
        "20240301",
        "Select * from TKV_LOCATION_MASTER where lcmLOCNBR=1001",
        "Select * from LDG_ACCOUNT_PAYABLE_MASTER where apmACPNBR=2001",
        "Select * from LDG_PAYROLL_MASTER where prmEMPNBR=101",
        // Configuration and help
        "Insert into SYS_SYSTEM_VALUE_MASTER(svmVALCDE,svmVALTXT,svmVALNBR,svmVALCHK) "
        "values('BNKNME','First Bank',0,0)",
        "Update SYS_SYSTEM_VALUE_MASTER set svmVALTXT='First Bank',svmVALNBR=0,svmVALCHK=0 "
        "where svmVALCDE='BNKNME'",
        "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLACDE='CA' order "
        "by glmGLANBR",
        "Update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='' where glmFSYEAR=2024 and "
        "glmGLATYP='BNK'",
        "Insert into SYS_USER_HELP (hlpPGMNME,hlpFRMNME,hlpPGENBR,hlpWIDTH,hlpHEIGHT,hlpHLPTXT) "
        "values('bankrec','',0,6000,6825,'{\\rtf1 x}')",
        "Update SYS_USER_HELP  set hlpWIDTH=6000,hlpHEIGHT=6825,hlpHLPTXT='{\\rtf1 y}' where "
        "hlpPGMNME='bankrec' and hlpFRMNME='' and hlpPGENBR=0",
    };
    for (const char* sql : statements)
        QTest::newRow(QByteArray(sql).left(60).constData()) << QString::fromLatin1(sql);
}

void TestSchema::windowStatementsRun() {
    QFETCH(QString, sql);
    TestEnvironment env;
    openFreshCopy(env);
    try {
        db().execute(sql);
    } catch (const DatabaseError& error) {
        QFAIL(qPrintable(error.description()));
    }
}

void TestSchema::defaultsOfPartialInserts() {
    TestEnvironment env;
    env.openDatabase();
    // An adjustment line names only these columns: it must come out uncleared and open.
    sqlExec(QStringLiteral(
        "Insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,gltJRNCDE,gltTRNDTE,"
        "gltTRNTME,gltTRNTYP,gltGLANBR,gltDESCPT,gltTRNAMT,gltPSTDTE) values(2024,1,'BA',"
        "20240228,101500,'A',1010,'Service charge',-25,20240315)"));
    Recordset rs = db().execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION"));
    QCOMPARE(rs.field(QStringLiteral("gltRCNDTE")).toInt(), 0);
    QVERIFY(!rs.field(QStringLiteral("gltRCNDTE")).isNull());
    QCOMPARE(rs.field(QStringLiteral("gltSTATUS")).toString(), QString());
    QVERIFY(!rs.field(QStringLiteral("gltSTATUS")).isNull());
    QCOMPARE(rs.field(QStringLiteral("gltCHKNBR")).toInt(), 0);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                      QStringLiteral("gltGLANBR=1010 and gltSTATUS<>'R' and gltRCNDTE=0")),
             1);

    // The default company row is found again by the division and department looked up.
    sqlExec(QStringLiteral("Insert into SYS_ENTERPRISE_MASTER(ddmLGLNME,ddmDBANME,ddmADDRS1,"
                           "ddmADDRS2,ddmCITY,ddmSTATE,ddmZIPCDE)values('A','A','','','','','')"));
    QCOMPARE(sqlCount(QStringLiteral("SYS_ENTERPRISE_MASTER"),
                      QStringLiteral("ddmDIVCDE='*' and ddmDPTCDE=''")),
             1);
    QCOMPARE(sqlValue(QStringLiteral("select ddmBOYMTH from SYS_ENTERPRISE_MASTER")).toInt(), 0);
}

void TestSchema::textComparesWithoutCase_data() {
    QTest::addColumn<QString>("insert");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("expected");
    QTest::newRow("bank type") << "insert into LDG_GENERAL_LEDGER_MASTER (glmFSYEAR,glmGLANBR,"
                                  "glmGLATYP) values (2024,1010,'bnk')"
                               << "LDG_GENERAL_LEDGER_MASTER"
                               << "glmGLATYP='BNK'" << 1;
    QTest::newRow("reconciled status")
        << "insert into LDG_GENERAL_LEDGER_TRANSACTION (gltFSYEAR,gltLNENBR,gltSTATUS) values "
           "(2024,1,'r')"
        << "LDG_GENERAL_LEDGER_TRANSACTION"
        << "gltSTATUS<>'R'" << 0;
    QTest::newRow("user") << "insert into SYS_USER_MASTER (usmUSRSGN,usmSECLVL) values "
                             "('clerk','a')"
                          << "SYS_USER_MASTER"
                          << "usmUSRSGN='CLERK' and usmSECLVL in ('A')" << 1;
    QTest::newRow("help window") << "insert into SYS_USER_HELP (hlpPGMNME,hlpFRMNME) values "
                                    "('BANKREC','frmabout')"
                                 << "SYS_USER_HELP"
                                 << "hlpPGMNME='bankrec' and "
                                    "hlpFRMNME='frmABOUT'"
                                 << 1;
}

void TestSchema::textComparesWithoutCase() {
    QFETCH(QString, insert);
    QFETCH(QString, table);
    QFETCH(QString, where);
    QFETCH(int, expected);
    TestEnvironment env;
    env.openDatabase();
    sqlExec(insert);
    QCOMPARE(sqlCount(table, where), expected);
}

void TestSchema::createSchemaIsIdempotent() {
    TestEnvironment env;
    env.openDatabase();
    sqlExec(QStringLiteral("insert into TKV_LOCATION_MASTER (lcmLOCNBR,lcmLOCNME) values "
                           "(1,'Diner')"));
    createSchema(db());
    QCOMPARE(sqlCount(QStringLiteral("TKV_LOCATION_MASTER")), 1);
    for (const QString& table : schemaTables())
        QVERIFY2(!schemaColumns(table).isEmpty(), qPrintable(table));
}

void TestSchema::ledgerLineNumbersAreUnique() {
    TestEnvironment env;
    env.openDatabase();
    const QString insert = QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION "
                                          "(gltFSYEAR,gltLNENBR) values (%1,%2)");
    sqlExec(insert.arg(2024).arg(7));
    sqlExec(insert.arg(2023).arg(7)); // another fiscal year may use the number
    QVERIFY_THROWS_EXCEPTION(DatabaseError, sqlExec(insert.arg(2024).arg(7)));
}

void TestSchema::sqlServerScriptHasEveryColumn() {
    QFile file(QStringLiteral(BANKREC_SCHEMA_DIR "/schema_sqlserver.sql"));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString script = QString::fromUtf8(file.readAll());
    for (const QString& table : schemaTables()) {
        QVERIFY2(script.contains(QStringLiteral("CREATE TABLE dbo.") + table + QLatin1String(" (")),
                 qPrintable(table));
        for (const QString& column : schemaColumns(table)) {
            const QRegularExpression line(QStringLiteral("\\n    %1 +\\S.*DEFAULT ").arg(column));
            QVERIFY2(line.match(script).hasMatch(), qPrintable(column));
        }
    }
    QVERIFY(script.contains(QLatin1String("ddmDIVCDE  nvarchar(3)    NULL CONSTRAINT "
                                          "DF_ddmDIVCDE DEFAULT '*'")));
}

void TestSchema::demoInvariants_data() {
    QTest::addColumn<int>("today");
    QTest::newRow("mid-year") << 20241115;
    QTest::newRow("months across the new year") << 20240315;
    QTest::newRow("first of the year") << 20240101;
    QTest::newRow("month end") << 20240731;
}

void TestSchema::demoInvariants() {
    QFETCH(int, today);
    TestEnvironment env(today);
    const QString file = env.path(QStringLiteral("demo.mdb"));
    buildDemoDatabase(file);
    openDemo(file);
    const QDate date = QDate::fromString(QString::number(today), QStringLiteral("yyyyMMdd"));
    const QDate open = QDate(date.year(), date.month(), 1).addMonths(-1);
    const int openEnd = ymd(QDate(open.year(), open.month(), open.daysInMonth()));
    const int openStart = ymd(open);

    // One company row, the current fiscal year and its one bank account.
    QCOMPARE(sqlCount(QStringLiteral("SYS_ENTERPRISE_MASTER"),
                      QStringLiteral("ddmDIVCDE='*' and ddmDPTCDE=''")),
             1);
    QCOMPARE(sqlValue(QStringLiteral("Select max(glmFSYEAR) as maxFSYEAR from "
                                     "LDG_GENERAL_LEDGER_MASTER where glmDIVCDE='*'"))
                 .toInt(),
             date.year());
    Recordset banks = db().execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER "
                                                  "where glmFSYEAR=%1 and glmGLATYP='BNK' "
                                                  "order by glmGLANBR")
                                       .arg(date.year()));
    QVERIFY(!banks.eof());
    QCOMPARE(banks.field(QStringLiteral("glmGLANBR")).toInt(), kDemoBankAccount);
    banks.moveNext();
    QVERIFY(banks.eof());
    banks.close();

    // Every line's fiscal year is its date's (the clearing window computes it so).
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                      QStringLiteral("gltFSYEAR <> gltTRNDTE / 10000")),
             0);
    QVERIFY(std::abs(number(QStringLiteral(
                "select sum(gltTRNAMT) from LDG_GENERAL_LEDGER_TRANSACTION"))) < 0.005);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                      QStringLiteral("gltTRNDTE >= %1").arg(today)),
             0);

    // Five posted months, the open month not saved; each row adds up.
    QCOMPARE(sqlCount(QStringLiteral("LDG_BANK_RECONCILIATION_HISTORY")), 5);
    QCOMPARE(sqlCount(QStringLiteral("LDG_BANK_RECONCILIATION_HISTORY"),
                      QStringLiteral("brhPSTDTE=0 or brhRLSDTE=0 or brhPSTDTE>=%1").arg(today)),
             0);
    const QDate lastPosted = open.addMonths(-1);
    QCOMPARE(sqlValue(QStringLiteral("Select max(brhSTMDTE) as maxSTMDTE from "
                                     "LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010"))
                 .toInt(),
             ymd(QDate(lastPosted.year(), lastPosted.month(), lastPosted.daysInMonth())));
    Recordset history =
        db().execute(QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY"));
    for (; !history.eof(); history.moveNext()) {
        const double bank = history.field(QStringLiteral("brhBNKBAL")).toDouble();
        const double outstanding = history.field(QStringLiteral("brhOUTSTD")).toDouble();
        const double adjusted = history.field(QStringLiteral("brhADJBAL")).toDouble();
        const double ledger = history.field(QStringLiteral("brhEOMBAL")).toDouble();
        const double difference = history.field(QStringLiteral("brhOVRSHT")).toDouble();
        QVERIFY(std::abs(adjusted - (bank - outstanding)) < 0.005);
        QVERIFY(std::abs(difference - (adjusted - ledger)) < 0.005);
        QVERIFY(bank > 0);
    }
    history.close();

    // Reconciled lines belong to posted statements; the open month has cleared lines left
    // to post.
    QCOMPARE(
        sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                 QStringLiteral("gltSTATUS='R' and (gltRCNDTE=0 or gltRCNDTE>=%1)").arg(openStart)),
        0);
    QVERIFY(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                     QStringLiteral("gltGLANBR=1010 and gltRCNDTE>0 and gltSTATUS<>'R'")) > 0);
    QVERIFY(
        sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                 QStringLiteral("gltGLANBR=1010 and gltRCNDTE=0 and gltTRNDTE<=%1").arg(openEnd)) >
        0);

    // The corrections of the open month.
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                      QStringLiteral("gltSTATUS='V' and gltGLANBR=1010 and gltTRNTYP='CK'")),
             1);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION g"),
                      QStringLiteral("gltSTATUS='V' and exists (select 1 from "
                                     "LDG_BANK_EXPENDITURE_TRANSACTION where betCHKNBR="
                                     "g.gltCHKNBR and betCHKDTE=g.gltTRNDTE)")),
             0);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION g"),
                      QStringLiteral("gltSTATUS='N' and gltCHKTXT<>'' and exists (select 1 "
                                     "from LDG_BANK_DEPOSIT_TRANSACTION where bdtCHKTXT="
                                     "g.gltCHKTXT and bdtDEPDTE=g.gltTRNDTE and bdtTRNAMT=0)")),
             1);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                      QStringLiteral("gltJRNCDE='BA' and gltTRNTYP in ('A','R')")),
             2);

    // Deposit batches add up to their ledger line, checks to their expenditure lines.
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION g"),
                      QStringLiteral("gltGLANBR=1010 and gltTRNTYP='DP' and gltSTATUS<>'N' and "
                                     "abs(gltTRNAMT - (select sum(bdtTRNAMT) from "
                                     "LDG_BANK_DEPOSIT_TRANSACTION where bdtDEPDTE=g.gltTRNDTE "
                                     "and bdtDEPTME=g.gltTRNTME)) > 0.005")),
             0);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION g"),
                      QStringLiteral("gltGLANBR=1010 and gltTRNTYP='CK' and gltSTATUS<>'V' and "
                                     "abs(gltTRNAMT + (select sum(betTRNAMT) from "
                                     "LDG_BANK_EXPENDITURE_TRANSACTION where betCHKNBR="
                                     "g.gltCHKNBR and betCHKDTE=g.gltTRNDTE)) > 0.005")),
             0);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION g"),
                      QStringLiteral("gltJRNCDE='PR' and gltGLANBR=1010 and gltSTATUS<>'V' and "
                                     "not exists (select 1 from LDG_PAYROLL_TRANSACTION where "
                                     "prtCHKNBR=g.gltCHKNBR and prtCHKDTE=g.gltTRNDTE and "
                                     "prtEMPNBR=g.gltEMPNBR)")),
             0);
    QVERIFY(sqlCount(QStringLiteral("LDG_BANK_EXPENDITURE_TRANSACTION"),
                     QStringLiteral("betEMPNBR>0")) > 0);

    // What the other windows read.
    QCOMPARE(sqlCount(QStringLiteral("SYS_SYSTEM_VALUE_MASTER"),
                      QStringLiteral("svmVALCDE in ('DTEFMT','PRTPRV','BNKNME','BNKADD',"
                                     "'BNKCTY','BNKSTE','BNKZIP','MCRCDE','CHKLGO')")),
             9);
    QCOMPARE(
        sqlCount(QStringLiteral("SYS_CUSTOM_PROGRAM_MASTER"), QStringLiteral("cpmSUBSYS='ABR'")),
        2);
    QVERIFY(sqlValue(QStringLiteral("Select hlpHLPTXT from SYS_USER_HELP where "
                                    "hlpPGMNME='bankrec' and hlpFRMNME='' and hlpPGENBR=0"))
                .toString()
                .startsWith(QLatin1String("{\\rtf1")));
}

void TestSchema::demoIsDeterministic() {
    TestEnvironment env(20240612);
    const QString first = env.path(QStringLiteral("first.mdb"));
    const QString second = env.path(QStringLiteral("second.mdb"));
    buildDemoDatabase(first);
    buildDemoDatabase(second);
    openDemo(first);
    const QString lines = bankLines();
    openDemo(second);
    QCOMPARE(bankLines(), lines);
    buildDemoDatabase(first); // rebuilding over an existing file starts afresh
    openDemo(first);
    QCOMPARE(bankLines(), lines);
}

void TestSchema::largeDemoAddsUnclearedLines() {
    TestEnvironment env(20241115);
    const QString plain = env.path(QStringLiteral("plain.mdb"));
    const QString large = env.path(QStringLiteral("large.mdb"));
    buildDemoDatabase(plain);
    DemoOptions options;
    options.unreconciledTransactions = 1001;
    buildDemoDatabase(large, options);

    const QString uncleared = QStringLiteral("gltGLANBR=1010 and gltRCNDTE=0 and gltSTATUS=''");
    openDemo(plain);
    const int plainLines = sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"), uncleared);
    const int plainChecks = sqlCount(QStringLiteral("LDG_BANK_EXPENDITURE_TRANSACTION"));
    const int plainItems = sqlCount(QStringLiteral("LDG_BANK_DEPOSIT_TRANSACTION"));
    openDemo(large);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"), uncleared),
             plainLines + 1001);
    QCOMPARE(sqlCount(QStringLiteral("LDG_BANK_EXPENDITURE_TRANSACTION")), plainChecks + 501);
    QCOMPARE(sqlCount(QStringLiteral("LDG_BANK_DEPOSIT_TRANSACTION")), plainItems + 500);
    QCOMPARE(sqlCount(QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                      QStringLiteral("gltTRNDTE >= 20241115")),
             0);
    // Each added deposit is a batch of its own.
    const QString batches = QStringLiteral("select count(*) from (select distinct bdtDEPDTE, "
                                           "bdtDEPTME from LDG_BANK_DEPOSIT_TRANSACTION)");
    const int largeBatches = sqlValue(batches).toInt();
    openDemo(plain);
    QCOMPARE(largeBatches, sqlValue(batches).toInt() + 500);
}

void TestSchema::demoInstallation() {
    TestEnvironment env(20241115);
    const QString root = env.path(QStringLiteral("install"));
    const QString programs = buildDemoInstallation(root);
    QCOMPARE(QFileInfo(programs).fileName().size(), 8);
    // The program finds the database by cutting the folder's last eight characters.
    QVERIFY(QFile::exists(programs.left(programs.size() - 8) +
                          QStringLiteral("Database/TolvaneDemo.mdb")));
    qputenv("ORLUNDE_SETTINGS", demoSettingsFile(root).toLocal8Bit());
    QCOMPARE(getSetting(QStringLiteral("Startup"), QStringLiteral("DEMO")), QStringLiteral("True"));
    QCOMPARE(getSetting(QStringLiteral("Startup"), QStringLiteral("VERNBR")), QStringLiteral("1"));
    QCOMPARE(getSetting(QStringLiteral("Company"), QStringLiteral("NAME")),
             QString::fromLatin1(kDemoCompanyName));
    QVERIFY(!getSetting(QStringLiteral("Company"), QStringLiteral("ZIP")).isEmpty());

    // The program's own start-up finds the database without a message and the company row
    // without inserting another.
    qputenv("TKV_PROGRAM_FOLDER", programs.toLocal8Bit());
    prcREAD_STARTUP_SETTINGS();
    prcOPEN_DATABASE();
    QVERIFY(startupConnectionReady());
    QVERIFY(shared().wrkDEMO);
    prcLOAD_COMPANY(QStringLiteral("*"), QString());
    QCOMPARE(env.messages, QStringList());
    QCOMPARE(shared().wrkFSYEAR, 2024);
    QCOMPARE(shared().wrkCOMPANY_NAME, QString::fromLatin1(kDemoCompanyName));
    QCOMPARE(sqlCount(QStringLiteral("SYS_ENTERPRISE_MASTER")), 1);
}

QTEST_MAIN(TestSchema)
#include "tst_schema.moc"
