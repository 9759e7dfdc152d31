// The import session's own rules: one ledger line answers one bank line, and the clerk's
// choices and the matches give the bank dates for Clear.

#include "import_session.h"
#include "settings.h"
#include "test_support.h"

#include <QTest>

class TestImportSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choicesGiveClearedDates_data() {
        QTest::addColumn<QList<int>>("choices"); // statement line, open line, in turn
        QTest::addColumn<QList<int>>("taken");   // what each choice returned
        QTest::addColumn<QString>("dates");      // "line:date" of the cleared dates
        QTest::newRow("a choice") << QList<int>{0, 0} << QList<int>{-1} << "1:20240204 3:20240207";
        QTest::newRow("a line matched already")
            << QList<int>{0, 2} << QList<int>{1} << "3:20240207";
        QTest::newRow("a line chosen for another")
            << QList<int>{0, 0, 2, 0} << QList<int>{-1, 0} << "1:20240204 3:20240207";
        QTest::newRow("the same choice made again")
            << QList<int>{0, 0, 0, 0} << QList<int>{-1, -1} << "1:20240204 3:20240207";
        QTest::newRow("a choice taken back")
            << QList<int>{0, 0, 0, -1} << QList<int>{-1, -1} << "3:20240207";
    }

    void choicesGiveClearedDates() {
        QFETCH(QList<int>, choices);
        QFETCH(QList<int>, taken);
        QFETCH(QString, dates);
        TestEnvironment env;
        // Two deposits of 75.00 a day either side of the bank's credit, and check 1002 paid;
        // a third credit far from any deposit.
        StatementFile file;
        Statement s;
        s.lines = {{.date = 20240204, .cents = 7500},
                   {.date = 20240207, .cents = -30000, .check = 1002},
                   {.date = 20240229, .cents = 7500}};
        file.statements = {s};
        import_session::Session session(1010);
        ReadFault refusal;
        QVERIFY(session.take(file, QString(), &refusal));
        session.match({{.year = 2024, .line = 1, .date = 20240203, .amount = 75},
                       {.year = 2024, .line = 2, .date = 20240205, .amount = 75},
                       {.year = 2024, .line = 3, .date = 20240201, .amount = -300, .check = 1002}},
                      MatchOptions());
        QCOMPARE(session.counts(), QVector<int>({1, 1, 1, 0}));
        QList<int> got;
        for (qsizetype i = 0; i + 1 < choices.size(); i += 2)
            got << session.choose(choices.at(i), choices.at(i + 1));
        QCOMPARE(got, taken);
        QStringList said;
        for (const import_session::ClearedDate& d : session.clearedDates())
            said << QStringLiteral("%1:%2").arg(d.line).arg(d.date);
        said.sort();
        QCOMPARE(said.join(' '), dates);
    }

    // The days apart saved in the import window; none saved: the matcher's own.
    void savedDaysApart_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("days");
        QTest::newRow("none saved") << QString() << MatchOptions().days;
        QTest::newRow("the same day only") << "0" << 0;
    }
    void savedDaysApart() {
        QFETCH(QString, saved);
        QFETCH(int, days);
        TestEnvironment env;
        if (!saved.isNull())
            saveSetting(import_session::settingsSection(), "DAYS", saved);
        QCOMPARE(import_session::savedMatchOptions(false).days, days);
    }
};

QTEST_GUILESS_MAIN(TestImportSession)
#include "tst_import_session.moc"
