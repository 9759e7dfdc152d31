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

int ymd(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

private Q_SLOTS:

    // Rows inserted with only some columns read as the windows expect: numbers 0 and texts '',
    // texts compared without case. An insert refused is counted out.
    // clang-format off
    void columnsReadAsTheWindowsExpect_data() {
        QTest::addColumn<QStringList>("values"); // of the columns named in the row's name
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("expected");
        QTest::newRow("LDG_GENERAL_LEDGER_TRANSACTION (gltFSYEAR,gltLNENBR,gltJRNCDE,gltTRNAMT)")
            << QStringList{"2024,1,'BA',-25.5"}
            << "gltSTATUS='' and gltRCNDTE=0 and gltCHKNBR=0 and typeof(gltTRNAMT)='real'" << 1;
        QTest::newRow("LDG_GENERAL_LEDGER_TRANSACTION (gltFSYEAR,gltLNENBR)") // unique in a year
            << QStringList{"2023,1", "2024,1", "2024,1"} << "gltLNENBR=1" << 2;
        QTest::newRow("LDG_GENERAL_LEDGER_TRANSACTION (gltFSYEAR,gltLNENBR,gltSTATUS)")
            << QStringList{"2024,1,'r'"} << "gltSTATUS<>'R'" << 0;
    }
    // clang-format on

    void columnsReadAsTheWindowsExpect() {
        QFETCH(QStringList, values);
        QFETCH(QString, where);
        QFETCH(int, expected);
        TestEnvironment env;
        env.openDatabase();
        const QString table = QTest::currentDataTag();
        for (const QString& row : values) {
            try {
                sqlExec("insert into " + table + " values (" + row + ")");
            } catch (const DatabaseError&) {
            }
        }
        QCOMPARE(sqlCount(table.section(' ', 0, 0), where), expected);
    }

    void sqlServerScriptHasEveryColumn() {
        const QString script =
            QString::fromUtf8(readFile(BANKREC_SCHEMA_DIR "/schema_sqlserver.sql"));
        for (const QString& table : schemaTables()) {
            QVERIFY2(script.contains("CREATE TABLE dbo." + table + " ("), qPrintable(table));
            QVERIFY2(!schemaColumns(table).isEmpty(), qPrintable(table));
            for (const QString& column : schemaColumns(table)) {
                const QRegularExpression line(QString("\\n    %1 +\\S.*DEFAULT ").arg(column));
                QVERIFY2(line.match(script).hasMatch(), qPrintable(column));
            }
        }
        QVERIFY(
            script.contains("ddmDIVCDE  nvarchar(3)    NULL CONSTRAINT DF_ddmDIVCDE DEFAULT '*'"));
    }

    // The program's start-up finds the demo's database (the folder's last eight characters cut)
    // and company row quietly; the data adds up; a day builds the same file, also over one.
    void demoInstallation_data() {
        QTest::addColumn<int>("today");
        QTest::addColumn<int>("extra"); // uncleared lines added for a large ledger
        QTest::addColumn<int>("uncleared");
        QTest::newRow("months across the new year") << 20240315 << 0 << 13;
        QTest::newRow("first of the year") << 20240101 << 0 << 7;
        QTest::newRow("a large ledger") << 20241115 << 1001 << 9 + 1001;
    }

    void demoInstallation() {
        QFETCH(int, today);
        QFETCH(int, extra);
        QFETCH(int, uncleared);
        TestEnvironment env(today);
        const QString root = env.path("install");
        DemoOptions options;
        options.unreconciledTransactions = extra;
        const QString programs = buildDemoInstallation(root, options);
        QCOMPARE(QFileInfo(programs).fileName().size(), 8);
        const QString again = env.path("again.mdb");
        buildDemoDatabase(again, options);
        buildDemoDatabase(again, options);
        QCOMPARE(readFile(again), readFile(root + "/Database/TolvaneDemo.mdb"));
        qputenv("ORLUNDE_SETTINGS", demoSettingsFile(root).toLocal8Bit());
        qputenv("TKV_PROGRAM_FOLDER", programs.toLocal8Bit());
        prcREAD_STARTUP_SETTINGS();
        prcOPEN_DATABASE();
        QVERIFY(startupConnectionReady() && shared().wrkDEMO);
        prcLOAD_COMPANY("*", QString());
        QCOMPARE(env.messages, QStringList());
        QCOMPARE(shared().wrkFSYEAR, today / 10000);
        QCOMPARE(shared().wrkCOMPANY_NAME, QString::fromLatin1(kDemoCompanyName));
        QVERIFY(getSetting("Startup", "VERNBR") == "1" && !getSetting("Company", "ZIP").isEmpty());

        const QDate date = QDate::fromString(QString::number(today), "yyyyMMdd");
        const QDate open = QDate(date.year(), date.month(), 1).addMonths(-1);
        const int openEnd = ymd(open.addDays(open.daysInMonth() - 1));
        const int lastEnd = ymd(open.addDays(-1)); // the last month posted
        const QString year = QString::number(date.year());
        const QString glt = "LDG_GENERAL_LEDGER_TRANSACTION", gltAs = glt + " g";
        const QString history = "LDG_BANK_RECONCILIATION_HISTORY";
        struct Check {
            int expected; // -1: at least one
            QString table, where;
        };
        // clang-format off
        const Check checks[] = {
            // One company row, the current fiscal year and its one bank account.
            {1, "SYS_ENTERPRISE_MASTER", "ddmDIVCDE='*' and ddmDPTCDE=''"},
            {1, "LDG_GENERAL_LEDGER_MASTER", "glmGLATYP='BNK' and glmFSYEAR=" + year},
            {uncleared, glt, "gltGLANBR=1010 and gltRCNDTE=0 and gltSTATUS=''"},
            // Every line's fiscal year is its date's (the clearing window computes it so).
            {0, glt, "gltFSYEAR <> gltTRNDTE / 10000"},
            {0, glt, QString("gltTRNDTE >= %1").arg(today)},
            // Five posted months and the open month saved, not posted; each row adds up, the open
            // month's to its difference of the swapped digits and the service charge.
            {6, history, ""},
            {0, history, QString("brhRLSDTE=0 or brhPSTDTE>=%1").arg(today)},
            {1, history, QString("brhPSTDTE=0 and brhSTMDTE=%1 and brhOVRSHT=-36.5").arg(openEnd)},
            {1, history, QString("brhPSTDTE>0 and brhSTMDTE=%1").arg(lastEnd)},
            {0, history, "brhBNKBAL<=0 or abs(brhADJBAL-(brhBNKBAL-brhOUTSTD))>0.005 or "
                         "abs(brhOVRSHT-(brhADJBAL-brhEOMBAL))>0.005"},
            // Reconciled lines belong to posted statements; the open month has cleared lines left
            // to post and uncleared ones.
            {0, glt, QString("gltSTATUS='R' and (gltRCNDTE=0 or gltRCNDTE>=%1)").arg(ymd(open))},
            {-1, glt, "gltGLANBR=1010 and gltRCNDTE>0 and gltSTATUS<>'R'"},
            {-1, glt, QString("gltGLANBR=1010 and gltRCNDTE=0 and gltTRNDTE<=%1").arg(openEnd)},
            // The corrections of the open month.
            {1, glt, "gltSTATUS='V' and gltGLANBR=1010 and gltTRNTYP='CK'"},
            {0, gltAs, "gltSTATUS='V' and exists (select 1 from LDG_BANK_EXPENDITURE_TRANSACTION "
                       "where betCHKNBR=g.gltCHKNBR and betCHKDTE=g.gltTRNDTE)"},
            {1, gltAs, "gltSTATUS='N' and gltCHKTXT<>'' and exists (select 1 from "
                       "LDG_BANK_DEPOSIT_TRANSACTION where bdtCHKTXT=g.gltCHKTXT and "
                       "bdtDEPDTE=g.gltTRNDTE and bdtTRNAMT=0)"},
            {10, glt, "gltJRNCDE='BA' and gltTRNTYP in ('A','R')"}, // five posted charges
            {-1, "LDG_BANK_EXPENDITURE_TRANSACTION", "betEMPNBR>0"}, // payroll checks
            // Every deposit is a batch adding up to its ledger line, every check has expenditure
            // lines adding up to it (each added line of the large demo too).
            {0, gltAs, "gltGLANBR=1010 and gltTRNTYP='DP' and gltSTATUS<>'N' and abs(gltTRNAMT - "
                       "(select coalesce(sum(bdtTRNAMT), 0) from LDG_BANK_DEPOSIT_TRANSACTION "
                       "where bdtDEPDTE=g.gltTRNDTE and bdtDEPTME=g.gltTRNTME)) > 0.005"},
            {0, gltAs, "gltGLANBR=1010 and gltTRNTYP='CK' and gltSTATUS<>'V' and abs(gltTRNAMT + "
                       "(select coalesce(sum(betTRNAMT), 0) from LDG_BANK_EXPENDITURE_TRANSACTION "
                       "where betCHKNBR=g.gltCHKNBR and betCHKDTE=g.gltTRNDTE)) > 0.005"},
            {0, gltAs, "gltJRNCDE='PR' and gltGLANBR=1010 and gltSTATUS<>'V' and not exists (select "
                       "1 from LDG_PAYROLL_TRANSACTION where prtCHKNBR=g.gltCHKNBR and "
                       "prtCHKDTE=g.gltTRNDTE and prtEMPNBR=g.gltEMPNBR)"},
            // What the other windows read.
            {9, "SYS_SYSTEM_VALUE_MASTER", "svmVALCDE in ('DTEFMT','PRTPRV','BNKNME','BNKADD',"
                                           "'BNKCTY','BNKSTE','BNKZIP','MCRCDE','CHKLGO')"},
            {2, "SYS_CUSTOM_PROGRAM_MASTER", "cpmSUBSYS='ABR'"},
            {1, "SYS_USER_HELP", "hlpPGMNME='bankrec' and hlpFRMNME='' and hlpPGENBR=0 and "
                                 "hlpHLPTXT like '{\\rtf1%'"},
        };
        // clang-format on
        for (const Check& check : checks) {
            const int count = sqlCount(check.table, check.where);
            QVERIFY2(check.expected < 0 ? count > 0 : count == check.expected,
                     qPrintable(QString("%1 rows where %2").arg(count).arg(check.where)));
        }
        if (extra == 0) // the ledger balances; the large demo's added lines have no other side
            QVERIFY(std::abs(sqlValue("select sum(gltTRNAMT) from " + glt).toDouble()) < 0.005);
    }
};

QTEST_MAIN(TestSchema)
#include "tst_schema.moc"
