// The import session's own rules: one ledger line answers one bank line, the clerk's
// choices and the matches give the bank dates for Clear, and the demo's statement files
// match the demo's ledger.

#include "database.h"
#include "demo_database.h"
#include "import_session.h"
#include "ledger.h"
#include "settings.h"
#include "statement_files.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <QTest>

class TestImportSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choicesGiveClearedDates_data() {
        QTest::addColumn<QList<int>>("choices"); // statement line, open line, in turn
        QTest::addColumn<QList<int>>("taken");   // what each choice returned
        QTest::addColumn<QString>("dates");      // "year/line:date" of the cleared dates
        QTest::newRow("a line matched already")
            << QList<int>{0, 2} << QList<int>{1} << "2024/1:20240207";
        QTest::newRow("a line chosen for another")
            << QList<int>{0, 0, 2, 0} << QList<int>{-1, 0} << "2023/1:20240204 2024/1:20240207";
        QTest::newRow("the same choice made again")
            << QList<int>{0, 0, 0, 0} << QList<int>{-1, -1} << "2023/1:20240204 2024/1:20240207";
        QTest::newRow("a choice taken back")
            << QList<int>{0, 0, 0, -1} << QList<int>{-1, -1} << "2024/1:20240207";
    }

    void choicesGiveClearedDates() {
        QFETCH(QList<int>, choices);
        QFETCH(QList<int>, taken);
        QFETCH(QString, dates);
        TestEnvironment env;
        // Two deposits of 75.00 a day either side of the bank's credit, and check 1002 paid;
        // a third credit far from any deposit. Line numbers start again each fiscal year: the
        // dates go to the line of the year it is stored under.
        StatementFile file;
        file.statements = {Statement{.lines = {{.date = 20240204, .cents = 7500},
                                               {.date = 20240207, .cents = -30000, .check = 1002},
                                               {.date = 20240229, .cents = 7500}}}};
        import_session::Session session(1010);
        ReadFault refusal;
        QVERIFY(session.take(file, QString(), &refusal));
        session.match(
            {{.fiscalYear = 2023, .line = 1, .date = 20240203, .amount = 75},
             {.fiscalYear = 2024, .line = 2, .date = 20240205, .amount = 75},
             {.fiscalYear = 2024, .line = 1, .date = 20240201, .amount = -300, .check = 1002}},
            MatchOptions());
        QList<int> got;
        for (qsizetype i = 0; i + 1 < choices.size(); i += 2)
            got << session.choose(choices.at(i), choices.at(i + 1));
        QCOMPARE(got, taken);
        QStringList said;
        for (const import_session::ClearedDate& d : session.clearedDates())
            said << QStringLiteral("%1/%2:%3").arg(d.year).arg(d.line).arg(d.date);
        said.sort();
        QCOMPARE(said.join(' '), dates);
    }

    // The demo's own statement of last month, in each format, against the demo's open lines:
    // the clerk cleared it already (one check at another amount than the bank paid), and the
    // service charge the ledger lacks has no match.
    void demoStatement_data() {
        QTest::addColumn<QString>("extension");
        QTest::newRow("OFX") << "ofx";
        QTest::newRow("camt.053") << "xml";
        QTest::newRow("BAI2, a report a day") << "bai";
        QTest::newRow("CSV") << "csv";
    }
    void demoStatement() {
        QFETCH(QString, extension);
        TestEnvironment env;
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("demo"));
        buildDemoInstallation(root);
        const QString ofx = demoStatementFile(root);
        if (extension != QLatin1String("ofx"))
            statement_files::writeOtherFormats(ofx);
        saveSetting("ImportBankStatement", "CSV-1010",
                    "date=1;order=MDY;amount=4;check=3;description=2;skip=1");
        db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=") + root +
                  QStringLiteral("/Database/TolvaneDemo.mdb"));
        import_session::Session session(kDemoBankAccount);
        const StatementFile file =
            session.read(QString(ofx).replace(QStringLiteral(".ofx"), "." + extension));
        ReadFault refusal;
        QVERIFY(session.take(file, session.pick(file).account, &refusal));
        session.match(ledger::openLines(db(), kDemoBankAccount), MatchOptions());
        QCOMPARE(session.counts(), QVector<int>({0, 0, 1, 38}));
        QStringList unmatched;
        for (int s = 0; s < session.matches().size(); ++s)
            if (session.matches().at(s).state == MatchState::NoMatch)
                unmatched << session.statement().lines.at(s).description + ": " +
                                 session.matches().at(s).why;
        QCOMPARE(unmatched,
                 QStringList{"MONTHLY SERVICE CHARGE: no open line of 18.50 within 5 days"});
    }

    // The days apart saved in the import window; none saved: the matcher's own.
    void savedDaysApart() {
        TestEnvironment env;
        QCOMPARE(import_session::savedMatchOptions(false).days, MatchOptions().days);
        saveSetting(import_session::settingsSection(), "DAYS", "0");
        QCOMPARE(import_session::savedMatchOptions(false).days, 0);
    }
};

QTEST_GUILESS_MAIN(TestImportSession)
#include "tst_import_session.moc"
