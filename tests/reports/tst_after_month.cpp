// The questions asked after the month, on hand-made ledger lines: which lines were
// outstanding at a statement date, their ageing, what changed in a posted month, the balance
// series, and the archive's file names.

#include "after_month.h"
#include "context.h"
#include "database.h"
#include "ledger.h"
#include "settings.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

using namespace reports;

Q_DECLARE_METATYPE(reports::Change)

namespace {

constexpr int kStatement = 20240229;

void postLine(int line, int postedOn) {
    sqlExec(QStringLiteral("update LDG_GENERAL_LEDGER_TRANSACTION set gltPSTDTE=%1 where "
                           "gltLNENBR=%2")
                .arg(postedOn)
                .arg(line));
}

void insertReconciliation(int year, int month, int statement, double outstanding, int postedOn,
                          double bank = 0, double ledger = 0, double overShort = 0) {
    insertHistoryRow({.year = year,
                      .month = month,
                      .statement = statement,
                      .bank = bank,
                      .outstanding = outstanding,
                      .ledger = ledger,
                      .difference = overShort,
                      .saved = statement,
                      .posted = postedOn});
}

} // namespace

class TestAfterMonth : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void init() { env.emplace(20240315).openDatabase(); }

    void outstandingAtBoundary_data() {
        QTest::addColumn<int>("date");
        QTest::addColumn<int>("cleared");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("outstanding");
        QTest::newRow("dated on the statement date") << kStatement << 0 << "" << true;
        QTest::newRow("dated the day after") << 20240301 << 0 << "" << false;
        QTest::newRow("cleared on the statement date") << 20240210 << kStatement << "" << false;
        QTest::newRow("cleared the day after") << 20240210 << 20240301 << "" << true;
        QTest::newRow("cleared after, already reconciled") << 20240210 << 20240301 << "R" << true;
        QTest::newRow("voided, counted until cleared") << 20240210 << 0 << "V" << true;
        QTest::newRow("account of another bank") << 0 << 0 << "" << false;
    }
    void outstandingAtBoundary() {
        QFETCH(int, date);
        QFETCH(int, cleared);
        QFETCH(QString, status);
        QFETCH(bool, outstanding);
        insertLedgerLine({.line = 1,
                          .date = date ? date : 20240210,
                          .amount = -25,
                          .account = date ? 1010 : 1020,
                          .status = status,
                          .cleared = cleared,
                          .check = 301});
        StatementTrace::clear();
        const OutstandingList list = outstandingAsOf(db(), 1010, kStatement);
        QCOMPARE(list.items.size(), outstanding ? 1 : 0);
        QCOMPARE(list.total, outstanding ? -25.0 : 0.0);
        QCOMPARE(
            StatementTrace::last(),
            QStringLiteral("Select gltFSYEAR,gltLNENBR,gltTRNDTE,gltCHKNBR,gltDESCPT,"
                           "gltTRNAMT,gltRCNDTE,gltSTATUS,gltPSTDTE from "
                           "LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 and "
                           "gltTRNDTE<=20240229 and (gltRCNDTE=0 or gltRCNDTE>20240229) order by "
                           "gltTRNDTE, gltLNENBR"));
        // The rule applied to lines read whole agrees with the statement.
        QCOMPARE(outstandingFrom(ledger::lines(db(), 1010), 1010, kStatement).items.size(),
                 list.items.size());
    }

    // The list holds exactly the lines the reconciliation counts, whatever their status, so
    // it adds up to the month's outstanding total; voided and returned lines are marked.
    void listAddsUpToTheReconciliation() {
        insertLedgerLine({.line = 1, .date = 20240205, .amount = -100, .status = "V", .check = 7});
        insertLedgerLine({.line = 2, .date = 20240206, .amount = 50, .status = "N"});
        insertLedgerLine({.line = 3, .date = 20240207, .amount = -30});
        sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS=null where gltLNENBR=3");
        insertLedgerLine({.line = 4, .date = 20240208, .amount = -20});
        insertLedgerLine({.line = 5, .date = 20240209, .amount = -5, .cleared = 20240220});
        // Today 15 March: the reconciliation counts lines dated before 29 February.
        const ledger::Month month = ledger::loadMonth(db(), 1010, QDate(2024, 3, 15));
        const OutstandingList list = outstandingAsOf(db(), 1010, 20240228);
        QCOMPARE(month.outstanding, -100.0);
        QCOMPARE(list.total, month.outstanding);
        QStringList notes;
        for (const OutstandingItem& item : list.items)
            notes << statusNote(item.line);
        QCOMPARE(notes, QStringList({"Voided", "NSF", "", ""}));
    }

    void ageingBuckets_data() {
        QTest::addColumn<int>("date");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("bucket");
        QTest::newRow("same day") << kStatement << 0 << 0;
        QTest::newRow("30 days") << 20240130 << 30 << 0;
        QTest::newRow("31 days") << 20240129 << 31 << 1;
        QTest::newRow("60 days") << 20231231 << 60 << 1;
        QTest::newRow("61 days") << 20231230 << 61 << 2;
        QTest::newRow("90 days") << 20231201 << 90 << 2;
        QTest::newRow("91 days") << 20231130 << 91 << 3;
        QTest::newRow("180 days") << 20230902 << 180 << 3;
        QTest::newRow("181 days") << 20230901 << 181 << 4;
    }
    void ageingBuckets() {
        QFETCH(int, date);
        QFETCH(int, days);
        QFETCH(int, bucket);
        insertLedgerLine({.line = 1, .date = date, .amount = -40, .check = 12});
        insertLedgerLine({.line = 2, .date = date, .amount = 15});
        const OutstandingList list = outstandingAsOf(db(), 1010, kStatement);
        QCOMPARE(list.items.size(), 2);
        QCOMPARE(list.items.first().days, days);
        QCOMPARE(static_cast<int>(list.items.first().bucket), bucket);
        for (int b = 0; b < kBucketCount; ++b)
            QCOMPARE(list.bucketTotals[b], b == bucket ? -25.0 : 0.0);
    }

    // Only a check goes stale, once it is outstanding longer than 180 days and not voided.
    void staleRule_data() {
        QTest::addColumn<int>("date");
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("stale");
        QTest::newRow("check, 180 days") << 20230902 << -40.0 << 12 << "" << false;
        QTest::newRow("check, 181 days") << 20230901 << -40.0 << 12 << "" << true;
        QTest::newRow("deposit, 181 days") << 20230901 << 40.0 << 0 << "" << false;
        QTest::newRow("payment without a check, 181 days") << 20230901 << -40.0 << 0 << "" << false;
        QTest::newRow("check voided already, 181 days") << 20230901 << -40.0 << 12 << "V" << false;
    }
    void staleRule() {
        QFETCH(int, date);
        QFETCH(double, amount);
        QFETCH(int, check);
        QFETCH(QString, status);
        QFETCH(bool, stale);
        insertLedgerLine(
            {.line = 1, .date = date, .amount = amount, .status = status, .check = check});
        const OutstandingList list = outstandingAsOf(db(), 1010, kStatement);
        QCOMPARE(list.items.size(), 1);
        QCOMPARE(list.items.first().stale, stale);
        QCOMPARE(list.staleChecks, stale ? 1 : 0);
    }

    void changesSincePosting_data() {
        QTest::addColumn<int>("date");
        QTest::addColumn<int>("posted");
        QTest::addColumn<int>("cleared");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("change"); // -1 for none
        QTest::addColumn<double>("outstanding");
        QTest::addColumn<double>("ledger");
        // The month was posted on 5 March.
        QTest::newRow("posted later, outstanding")
            << 20240220 << 20240310 << 0 << "" << int(Change::PostedLater) << -80.0 << -80.0;
        QTest::newRow("posted later, cleared in the month")
            << 20240220 << 20240310 << 20240228 << "" << int(Change::PostedLater) << 0.0 << -80.0;
        QTest::newRow("posted later, dated after the month")
            << 20240301 << 20240310 << 0 << "" << -1 << 0.0 << 0.0;
        QTest::newRow("posted before the posting")
            << 20240220 << 20240220 << 0 << "" << -1 << 0.0 << 0.0;
        QTest::newRow("cleared into the month after posting")
            << 20240210 << 20240210 << 20240225 << "" << int(Change::ClearedMoved) << 80.0 << 0.0;
        QTest::newRow("cleared and posted with the month")
            << 20240210 << 20240210 << 20240225 << "R" << -1 << 0.0 << 0.0;
        QTest::newRow("cleared after the statement date")
            << 20240210 << 20240210 << 20240302 << "" << -1 << 0.0 << 0.0;
        // Still counted, as the reconciliation counts it, until it is cleared.
        QTest::newRow("voided after posting")
            << 20240210 << 20240210 << 0 << "V" << -1 << 0.0 << 0.0;
        // The statement date (29 February) and the posting date (5 March) as boundaries.
        QTest::newRow("cleared on the statement date")
            << 20240210 << 20240210 << kStatement << "" << int(Change::ClearedMoved) << 80.0 << 0.0;
        QTest::newRow("cleared the day after the statement date")
            << 20240210 << 20240210 << 20240301 << "" << -1 << 0.0 << 0.0;
        QTest::newRow("posted on the posting day")
            << 20240220 << 20240305 << 0 << "" << -1 << 0.0 << 0.0;
        QTest::newRow("posted the day after the posting")
            << 20240220 << 20240306 << 0 << "" << int(Change::PostedLater) << -80.0 << -80.0;
    }
    void changesSincePosting() {
        QFETCH(int, date);
        QFETCH(int, posted);
        QFETCH(int, cleared);
        QFETCH(QString, status);
        QFETCH(int, change);
        QFETCH(double, outstanding);
        QFETCH(double, ledger);
        insertLedgerLine(
            {.line = 7, .date = date, .amount = -80, .status = status, .cleared = cleared});
        postLine(7, posted);
        insertReconciliation(2024, 2, kStatement, 0, 20240305);
        const ledger::HistoryRow month = ledger::historyRow(db(), 1010, 2024, 2);
        QCOMPARE(month.postedOn, 20240305);
        const ChangesSincePosting changes = reports::changesSincePosting(db(), month);
        QCOMPARE(changes.lines.size(), change < 0 ? 0 : 1);
        if (change >= 0)
            QCOMPARE(int(changes.lines.first().change), change);
        QCOMPARE(changes.outstandingChange, outstanding);
        QCOMPARE(changes.ledgerChange, ledger);
        QCOMPARE(changes.changed(), change >= 0);
        if (!changes.changed())
            QCOMPARE(changes.text(), QString());
    }

    // The listing's posted months from one read of the lines, each as on its own: a line
    // reconciled after January's statement date still counts for January.
    void changesOfSeveralMonths() {
        insertLedgerLine({.line = 1, .date = 20240120, .amount = -80});
        insertLedgerLine({.line = 2, .date = 20240220, .amount = 30, .cleared = 20240225});
        insertLedgerLine(
            {.line = 3, .date = 20240110, .amount = 5, .status = "R", .cleared = 20240210});
        for (const auto& [line, posted] : {std::pair{1, 20240310}, {2, 20240220}, {3, 20240110}})
            postLine(line, posted);
        insertReconciliation(2024, 1, 20240131, 0, 20240205);
        insertReconciliation(2024, 2, kStatement, 0, 20240305);
        const QList<ledger::HistoryRow> months{ledger::historyRow(db(), 1010, 2024, 2),
                                               ledger::historyRow(db(), 1010, 2024, 1)};
        StatementTrace::clear();
        const QList<ChangesSincePosting> together = reports::changesSincePosting(db(), months);
        QCOMPARE(StatementTrace::statements().size(), 1);
        QCOMPARE(together.size(), 2);
        QCOMPARE(together.at(0).text(), QStringLiteral("Out -110.00  Book -80.00"));
        QCOMPARE(together.at(1).text(), QStringLiteral("Out -80.00  Book -80.00"));
        QCOMPARE(together.at(1).outstandingNow, -75.0);
    }

    void openMonthHasNoChanges() {
        insertLedgerLine({.line = 1, .date = 20240220, .amount = -80});
        postLine(1, 20240310);
        insertReconciliation(2024, 2, kStatement, 0, 0);
        const ChangesSincePosting changes =
            reports::changesSincePosting(db(), ledger::historyRow(db(), 1010, 2024, 2));
        QVERIFY(!changes.changed());
        QCOMPARE(changes.outstandingNow, -80.0);
    }

    void changeText() {
        ChangesSincePosting c;
        c.outstandingChange = 12;
        c.ledgerChange = -5.5;
        QCOMPARE(c.text(), QStringLiteral("Out 12.00  Book -5.50"));
        QCOMPARE(c.text(true), QStringLiteral("Pend 12.00  Libro -5.50"));
        c.outstandingChange = 0;
        QCOMPARE(c.text(), QStringLiteral("Book -5.50"));
    }

    void balanceSeriesKeepsTheLast24() {
        for (int i = 0; i < 26; ++i) {
            const int year = 2022 + i / 12;
            const int month = i % 12 + 1;
            insertReconciliation(year, month, year * 10000 + month * 100 + 28, i, 1, 1000 + i,
                                 900 + i, i - 1);
        }
        const QList<ledger::HistoryRow> series = balanceSeries(db(), 1010);
        QCOMPARE(series.size(), 24);
        QCOMPARE(series.first().label(), QStringLiteral("2022-03"));
        QCOMPARE(series.last().label(), QStringLiteral("2024-02"));
        QCOMPARE(series.last().bankBalance, 1025.0);
        QCOMPARE(series.last().ledgerBalance, 925.0);
        QCOMPARE(series.last().difference, 24.0);
        QCOMPARE(series.last().outstanding, 25.0);
    }

    void archiveNeverOverwrites() {
        const QString folder = env->path(QStringLiteral("archive"));
        const QString first = archiveFilePath(folder, 1010, 2024, 2);
        QCOMPARE(first, folder + QStringLiteral("/1010 2024-02.pdf"));
        for (const QString& taken : {first, folder + QStringLiteral("/1010 2024-02 (2).pdf")})
            writeFile(taken, "older");
        QCOMPARE(archiveFilePath(folder, 1010, 2024, 2),
                 folder + QStringLiteral("/1010 2024-02 (3).pdf"));
        QCOMPARE(archiveFilePath(folder, 1010, 2024, 3),
                 folder + QStringLiteral("/1010 2024-03.pdf"));
    }

    void archiveFolderSetting() {
        saveSetting(QStringLiteral("Startup"), QStringLiteral("REPORTARCHIVE"), QString());
        QCOMPARE(archiveFolder(),
                 QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                     .filePath(QStringLiteral("Bank Reconciliations")));
        saveSetting(QStringLiteral("Startup"), QStringLiteral("REPORTARCHIVE"),
                    QStringLiteral("/srv/archive"));
        QCOMPARE(archiveFolder(), QStringLiteral("/srv/archive"));
    }
};

QTEST_GUILESS_MAIN(TestAfterMonth)

#include "tst_after_month.moc"
