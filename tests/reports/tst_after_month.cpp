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

} // namespace

class TestAfterMonth : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void init() { env.emplace(20240315).openDatabase(); }

    // The list holds exactly the lines the reconciliation counts, whatever their status, so
    // it adds up to the month's outstanding total; voided and returned lines are marked.
    void listAddsUpToTheReconciliation() {
        insertLedgerLine({.line = 1, .date = 20240205, .amount = -100, .status = "V", .check = 7});
        insertLedgerLine({.line = 2, .date = 20240206, .amount = 50, .status = "N"});
        insertLedgerLine({.line = 3, .date = 20240207, .amount = -30});
        sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS=null where gltLNENBR=3");
        // Today 15 March: the reconciliation counts lines dated before 29 February.
        const ledger::Month month = ledger::loadMonth(db(), 1010, QDate(2024, 3, 15));
        const OutstandingList list = outstandingAsOf(db(), 1010, 20240228);
        QCOMPARE(month.outstanding, -80.0);
        QCOMPARE(list.total, month.outstanding);
        QStringList notes;
        for (const OutstandingItem& item : list.items)
            notes << statusNote(item.line);
        QCOMPARE(notes, QStringList({"Voided", "NSF", ""}));
    }

    // Which lines are outstanding at the statement date; their ageing bucket at each bound;
    // only a check goes stale, once it is outstanding longer than 180 days and not voided.
    void outstandingAgeingAndStaleChecks_data() {
        QTest::addColumn<int>("date");
        QTest::addColumn<int>("bucket"); // -1: not outstanding
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("stale");
        QTest::addColumn<int>("cleared");
        QTest::addColumn<int>("account");
        const auto row = [](const char* name, int date, int bucket, double amount = -40,
                            int check = 12, const char* status = "", bool stale = false,
                            int cleared = 0, int account = 1010) {
            QTest::newRow(name) << date << bucket << amount << check << QString(status) << stale
                                << cleared << account;
        };
        row("dated on the statement date", kStatement, 0);
        row("dated the day after", 20240301, -1);
        row("cleared on the statement date", 20240210, -1, -40, 12, "", false, kStatement);
        row("cleared the day after", 20240210, 0, -40, 12, "", false, 20240301);
        row("cleared after, already reconciled", 20240210, 0, -40, 12, "R", false, 20240301);
        row("account of another bank", 20240210, -1, -40, 12, "", false, 0, 1020);
        row("30 days", 20240130, 0);
        row("31 days", 20240129, 1);
        row("60 days", 20231231, 1);
        row("61 days", 20231230, 2);
        row("90 days", 20231201, 2);
        row("91 days", 20231130, 3);
        row("check, 180 days", 20230902, 3);
        row("check, 181 days", 20230901, 4, -40, 12, "", true);
        row("deposit, 181 days", 20230901, 4, 40, 0);
        row("payment without a check, 181 days", 20230901, 4, -40, 0);
        // Counted until it is cleared, never stale.
        row("check voided already, 181 days", 20230901, 4, -40, 12, "V");
    }
    void outstandingAgeingAndStaleChecks() {
        QFETCH(int, date);
        QFETCH(int, bucket);
        QFETCH(double, amount);
        QFETCH(int, check);
        QFETCH(QString, status);
        QFETCH(bool, stale);
        QFETCH(int, cleared);
        QFETCH(int, account);
        insertLedgerLine({.line = 1,
                          .date = date,
                          .amount = amount,
                          .account = account,
                          .status = status,
                          .cleared = cleared,
                          .check = check});
        StatementTrace::clear();
        const OutstandingList list = outstandingAsOf(db(), 1010, kStatement);
        QCOMPARE(list.items.size(), bucket < 0 ? 0 : 1);
        QCOMPARE(list.total, bucket < 0 ? 0.0 : amount);
        for (int b = 0; b < kBucketCount; ++b)
            QCOMPARE(list.bucketTotals[b], b == bucket ? amount : 0.0);
        QCOMPARE(list.staleChecks, stale ? 1 : 0);
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

    // The month's statement date is 29 February; it was posted on 5 March.
    void changesSincePosting_data() {
        QTest::addColumn<int>("date");
        QTest::addColumn<int>("posted");
        QTest::addColumn<int>("cleared");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("change"); // -1 for none
        QTest::addColumn<double>("outstanding");
        QTest::addColumn<double>("ledger");
        const int later = int(Change::PostedLater), moved = int(Change::ClearedMoved);
        const auto row = [](const char* name, int date, int posted, int cleared, int change,
                            double outstanding, double ledger, const char* status = "") {
            QTest::newRow(name) << date << posted << cleared << QString(status) << change
                                << outstanding << ledger;
        };
        row("posted the day after the posting", 20240220, 20240306, 0, later, -80, -80);
        row("posted on the posting day", 20240220, 20240305, 0, -1, 0, 0);
        row("posted later, cleared in the month", 20240220, 20240310, 20240228, later, 0, -80);
        row("posted later, dated after the month", 20240301, 20240310, 0, -1, 0, 0);
        row("cleared on the statement date", 20240210, 20240210, kStatement, moved, 80, 0);
        row("cleared the day after the statement date", 20240210, 20240210, 20240301, -1, 0, 0);
        row("cleared and posted with the month", 20240210, 20240210, 20240225, -1, 0, 0, "R");
        // Still counted, as the reconciliation counts it, until it is cleared.
        row("voided after posting", 20240210, 20240210, 0, -1, 0, 0, "V");
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
        insertHistoryRow({.month = 2, .statement = kStatement, .posted = 20240305});
        const ChangesSincePosting changes =
            reports::changesSincePosting(db(), ledger::historyRow(db(), 1010, 2024, 2));
        QCOMPARE(changes.lines.size(), change < 0 ? 0 : 1);
        if (change >= 0)
            QCOMPARE(int(changes.lines.first().change), change);
        QCOMPARE(changes.outstandingChange, outstanding);
        QCOMPARE(changes.ledgerChange, ledger);
        QCOMPARE(changes.changed(), change >= 0);
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
        insertHistoryRow({.month = 1, .statement = 20240131, .posted = 20240205});
        insertHistoryRow({.month = 2, .statement = kStatement, .posted = 20240305});
        const QList<ledger::HistoryRow> months{ledger::historyRow(db(), 1010, 2024, 2),
                                               ledger::historyRow(db(), 1010, 2024, 1)};
        StatementTrace::clear();
        const QList<ChangesSincePosting> together = reports::changesSincePosting(db(), months);
        QCOMPARE(StatementTrace::statements().size(), 1);
        QCOMPARE(together.size(), 2);
        QCOMPARE(together.at(0).text(), QStringLiteral("Out -110.00  Book -80.00"));
        QCOMPARE(together.at(1).text(), QStringLiteral("Out -80.00  Book -80.00"));
        QCOMPARE(together.at(1).outstandingNow, -75.0);
        // An open month has changed nothing, whatever was posted since.
        insertHistoryRow({.month = 3, .statement = 20240331});
        const ChangesSincePosting open =
            reports::changesSincePosting(db(), ledger::historyRow(db(), 1010, 2024, 3));
        QVERIFY(!open.changed());
        QCOMPARE(open.outstandingNow, -80.0);
    }

    // A figure that did not move is left out.
    void changeText() {
        ChangesSincePosting c;
        QCOMPARE(c.text(), QString());
        c.ledgerChange = -5.5;
        QCOMPARE(c.text(), QStringLiteral("Book -5.50"));
        c.outstandingChange = 12;
        QCOMPARE(c.text(true), QStringLiteral("Pend 12.00  Libro -5.50"));
    }

    void balanceSeriesKeepsTheLast24() {
        for (int i = 0; i < 26; ++i) {
            const int year = 2022 + i / 12;
            const int month = i % 12 + 1;
            const int date = year * 10000 + month * 100 + 28;
            insertHistoryRow(
                {year, month, date, 1000.0 + i, double(i), 0, 900.0 + i, i - 1.0, date, 1});
        }
        const QList<ledger::HistoryRow> series = balanceSeries(db(), 1010);
        QCOMPARE(series.size(), 24);
        QCOMPARE(series.first().label(), QStringLiteral("2022-03"));
        QCOMPARE(series.last().label(), QStringLiteral("2024-02"));
        const ledger::HistoryRow& last = series.last();
        QCOMPARE(QList<double>(
                     {last.bankBalance, last.ledgerBalance, last.difference, last.outstanding}),
                 QList<double>({1025, 925, 24, 25}));
    }

    // The month's own name: tst_posting_archive.
    void archiveNeverOverwrites() {
        const QString folder = env->path(QStringLiteral("archive"));
        for (const char* taken : {"/1010 2024-02.pdf", "/1010 2024-02 (2).pdf"})
            writeFile(folder + taken, "older");
        QCOMPARE(archiveFilePath(folder, 1010, 2024, 2), folder + "/1010 2024-02 (3).pdf");
        QCOMPARE(archiveFilePath(folder, 1010, 2024, 3), folder + "/1010 2024-03.pdf");
    }

    // The folder set is read by posting (tst_posting_archive); without one, the documents'.
    void archiveFolderWithoutASetting() {
        saveSetting(QStringLiteral("Startup"), QStringLiteral("REPORTARCHIVE"), QString());
        QCOMPARE(archiveFolder(),
                 QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                     .filePath(QStringLiteral("Bank Reconciliations")));
    }
};

QTEST_GUILESS_MAIN(TestAfterMonth)

#include "tst_after_month.moc"
