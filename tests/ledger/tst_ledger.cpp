// The rules of the month without a window: what the reconciliation proposes and stores,
// cleared dates, adjustments, voided and NSF checks and posting; each all or nothing, with
// the program's statement texts, and each announced by its account once it is written.

#include "common.h"
#include "context.h"
#include "database.h"
#include "ledger.h"
#include "ledger_notifier.h"
#include "test_support.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <optional>

namespace {

// year, month, statement, bank, outstanding, adjusted, ledger, difference, saved, posted
const HistoryRow kPostedDecember{2023, 12, 20231231, 5, 5, 5, 5, 0, 20000101, 20240105};
const HistoryRow kOpenJanuary{2024, 1, 20240131, 1000, 12.5, 987.5, 990, -2.5, 20000101};

// The accounts whose writes were announced since it was made.
struct Announced : QSignalSpy {
    Announced() : QSignalSpy(&LedgerNotifier::instance(), &LedgerNotifier::written) {}
    QList<int> accounts() const {
        QList<int> list;
        for (const QList<QVariant>& call : *this)
            list << call.first().toInt();
        return list;
    }
};

// Makes every change to a table refused from here on, as a closed month or a full disk would.
void refuse(const QString& when) {
    sqlExec("create trigger refuse " + when + " begin select raise(abort, 'refused'); end");
}

} // namespace

class TestLedger : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void init() { env.emplace(20240315).openDatabase(); }

    // The month proposed, worked out from the history and today's lines, and stored as its
    // history row once the clerk has typed the bank's balance.
    void monthToReconcileFollowsTheHistory_data() {
        QTest::addColumn<QList<HistoryRow>>("history");
        QTest::addColumn<bool>("update");
        QTest::addColumn<QList<double>>("figures"); // bank, outstanding, adjusted, ledger, diff.
        QTest::addColumn<double>("bank");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("row"); // the month's row afterwards
        const QString insert =
            "Insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,brhGLANBR,brhDIVCDE,"
            "brhSTMDTE,brhBNKBAL,brhOUTSTD,brhBNKADJ,brhADJBAL,brhEOMBAL,brhOVRSHT,brhRLSDTE) "
            "values(";
        const QList<double> fresh{0, -100, 100, -100, 200};
        QTest::newRow("no history: last month, two-digit month")
            << QList<HistoryRow>{} << false << fresh << 1000.25
            << insert + "2024,02,1010,'',20240215,1000.25,-100,0,1100.25,-100,1200.25,20240315)"
            << "brhMONTH=2 and brhFSYEAR=2024 and brhPSTDTE=0 and brhOVRSHT=1200.25";
        QTest::newRow("posted December: January of the next year")
            << QList<HistoryRow>{kPostedDecember} << false << fresh << 1100.0
            << insert + "2024,1,1010,'',20240131,1100,-100,0,1200,-100,1300,20240315)"
            << "brhMONTH=1 and brhFSYEAR=2024 and brhOVRSHT=1300";
        QTest::newRow("posted May 31: June 30")
            << QList<HistoryRow>{{2023, 5, 20230531, 5, 5, 5, 5, 0, 20000101, 20230610}} << false
            << fresh << 0.0 << insert + "2023,6,1010,'',20230630,0,-100,0,100,-100,200,20240315)"
            << "brhMONTH=6 and brhFSYEAR=2023 and brhSTMDTE=20230630";
        // Saved with outstanding 12.50 and ledger 990: the stored date and balance, today's
        // figures, and rewritten with them.
        QTest::newRow("open month: stored balance, today's figures")
            << QList<HistoryRow>{kPostedDecember, kOpenJanuary} << true
            << QList<double>{1000, -100, 1100, -100, 1200} << 1000.0
            << "Update LDG_BANK_RECONCILIATION_HISTORY set brhSTMDTE=20240131,brhBNKBAL=1000,"
               "brhOUTSTD=-100,brhBNKADJ=0,brhADJBAL=1100,brhEOMBAL=-100,brhOVRSHT=1200,"
               "brhRLSDTE=20240315 where brhGLANBR=1010 and brhFSYEAR=2024 and brhMONTH=1"
            << "brhRLSDTE=20240315 and brhBNKBAL=1000 and brhOUTSTD=-100";
    }

    void monthToReconcileFollowsTheHistory() {
        QFETCH(QList<HistoryRow>, history);
        QFETCH(bool, update);
        QFETCH(QList<double>, figures);
        QFETCH(double, bank);
        QFETCH(QString, statement);
        QFETCH(QString, row);
        for (const HistoryRow& h : history)
            insertHistoryRow(h);
        insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
        StatementTrace::clear();
        ledger::Month m = ledger::loadMonth(db(), 1010, QDate(2024, 3, 15));
        QCOMPARE(m.mode == ledger::Month::Mode::Update, update);
        QCOMPARE(QList<double>({m.bankBalance, m.outstanding, m.adjustedBalance, m.ledgerBalance,
                                m.difference}),
                 figures);
        QCOMPARE(m.saved, update);
        if (update) {
            QCOMPARE(StatementTrace::statements().mid(0, 2),
                     QStringList({"Select max(brhSTMDTE) as maxSTMDTE from "
                                  "LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010",
                                  "Select * from LDG_BANK_RECONCILIATION_HISTORY where "
                                  "brhGLANBR=1010 and brhSTMDTE=20240131"}));
            // The figures as saved (12.50 and 990) against today's.
            QCOMPARE(
                ledger::figuresMoved(m.savedOutstanding, m.savedLedgerBalance, m, true, false),
                QStringLiteral("Outstanding was 12.50 when this month was saved; it is -100.00 "
                               "now. The ledger balance was 990.00 when this month was saved; it "
                               "is -100.00 now."));
        }
        m.setBankBalance(bank);
        StatementTrace::clear();
        const Announced announced;
        ledger::saveMonth(db(), 1010, m, QDate(2024, 3, 15));
        QCOMPARE(StatementTrace::statements(), QStringList{statement});
        QCOMPARE(announced.accounts(), QList<int>{1010});
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", row), 1);
    }

    void figuresSumUpToTheCutOff_data() {
        QTest::addColumn<int>("format"); // the company's date format
        QTest::addColumn<int>("today");
        QTest::addColumn<QStringList>("lines"); // "date,amount,cleared,status[,account]"
        QTest::addColumn<double>("beginning");  // ledger master of the year shown; NaN: none
        QTest::addColumn<double>("outstanding");
        QTest::addColumn<double>("ledger");
        const auto row = [](const char* name, int today, const QStringList& lines, double beginning,
                            double outstanding, double ledger) {
            QTest::newRow(name) << 0 << today << lines << beginning << outstanding << ledger;
        };
        row("no lines: outstanding 0", 20240315, {}, 250.0, 0, 250);
        row("reconciled counts for neither", 20240315,
            {"20240110,-40,20240120,R", "20240211,10,0,V"}, 0.0, 10, 10);
        row("other accounts ignored, no ledger master row", 20240315,
            {"20240110,-40,0,,1020", "20240110,-1,0,"}, qQNaN(), -1, -1);
        row("January: cut-off in December", 20240110, {"20231230,-7,0,", "20231231,-9,0,"}, 0.0, -7,
            -7);
        row("sums to the cent", 20240315, {"20240201,0.1,0,", "20240202,0.2,0,"}, 0.0, 0.3, 0.3);
        // A line on the cut-off day is next month's; a cleared one counts for the ledger only.
        // The cut-off is worked out from today's date, never from text read back in the company's
        // order: the same early in the month and late, in every date format.
        for (int format = 1; format <= 4; ++format)
            for (int today : {20240305, 20240315})
                QTest::addRow("format %d, %d", format, today)
                    << format << today
                    << QStringList{"20240110,-275.5,0,", "20240228,100,20240228,",
                                   "20240229,-400,0,", "20240304,-50,0,"}
                    << 5000.0 << -275.5 << 4824.5;
    }

    void figuresSumUpToTheCutOff() {
        QFETCH(int, format);
        QFETCH(int, today);
        QFETCH(QStringList, lines);
        QFETCH(double, beginning);
        QFETCH(double, outstanding);
        QFETCH(double, ledger);
        shared().wrkDTEFMT = format;
        int line = 0;
        for (const QString& l : lines) {
            const QStringList p = l.split(',');
            insertLedgerLine({++line, p[0].toInt(), p[1].toDouble(),
                              p.size() > 4 ? p[4].toInt() : 1010, 2024, p[3], p[2].toInt()});
        }
        const bool january = today / 100 % 100 == 1;
        const int yearShown = today / 10000 - (january ? 1 : 0);
        if (!qIsNaN(beginning))
            insertAccount(1010, "Bank", yearShown, "CA", "BNK", beginning);
        insertAccount(1010, "Bank", yearShown + 1, "CA", "BNK", 99999.0); // never counts
        StatementTrace::clear();
        const ledger::Month m =
            ledger::loadMonth(db(), 1010, QDate::fromString(QString::number(today), "yyyyMMdd"));
        QCOMPARE(m.cutOff, january ? 20231231 : 20240229);
        QCOMPARE(m.outstanding, outstanding);
        QCOMPARE(m.ledgerBalance, ledger);
        const QString sum =
            "Select sum(gltTRNAMT) as sumTRNAMT from LDG_GENERAL_LEDGER_TRANSACTION "
            "where gltGLANBR=1010 and ";
        const QString before = QStringLiteral(" and gltTRNDTE<%1").arg(m.cutOff);
        QCOMPARE(StatementTrace::statements().mid(1),
                 QStringList({sum + "gltRCNDTE=0" + before,
                              QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER where "
                                             "glmFSYEAR=%1 and glmGLANBR=1010")
                                  .arg(january ? "2023" : "2024"),
                              sum + "gltSTATUS<>'R'" + before}));
    }

    // A statement is matched against the lines Clear lists, whatever their status but reconciled,
    // so every date the import hands over lands on a listed line.
    void openLinesAreClearsLines() {
        int line = 0;
        for (const char* status : {"", "V", "N", "R"})
            insertLedgerLine({.line = ++line, .amount = 10, .status = status});
        insertLedgerLine({.line = ++line, .amount = 10, .account = 1020});
        insertLedgerLine(
            {.line = 9, .date = 20240105, .amount = -12.5, .cleared = 20240110, .check = 77});
        StatementTrace::clear();
        const QList<ledger::Line> open = ledger::openLines(db(), 1010);
        QCOMPARE(StatementTrace::statements(),
                 QStringList{"Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                             "and gltSTATUS<>'R'"});
        QCOMPARE(open.size(), 4); // lines 1 to 3 and 9
        const ledger::Line& l = open.at(3);
        QCOMPARE(QList<qint64>({l.fiscalYear, l.line, l.date, l.check, l.cleared}),
                 QList<qint64>({2024, 9, 20240105, 77, 20240110}));
        QCOMPARE(QStringList({QString::number(l.amount), l.description, open.at(1).status}),
                 QStringList({"-12.5", "Line 9", "V"}));
    }

    // Each figure is rounded to the cent; the adjusted balance takes the outstanding off the
    // bank's balance (its sign: monthToReconcileFollowsTheHistory).
    void bankBalanceRoundsToTheCent() {
        ledger::Month m;
        m.outstanding = 0.1;
        m.ledgerBalance = 1234.37;
        m.setBankBalance(1234.565);
        QCOMPARE(QList<double>({m.bankBalance, m.adjustedBalance, m.difference}),
                 QList<double>({1234.57, 1234.47, 0.1}));
    }

    // With nothing to write no transaction is begun (one begun inside this open one would
    // fail): another program holding the write lock does not hold the clerk up.
    void nothingToClearTakesNoLock() {
        sqlExec("BEGIN");
        StatementTrace::clear();
        QCOMPARE(ledger::writeClearedDates(db(), 1010, {{2024, 1, 0}, {0, 0, 20240101}}), 0);
        QCOMPARE(StatementTrace::statements(), QStringList());
        sqlExec("ROLLBACK");
    }

    // Each write of the month's lines writes all its statements or, refused anywhere, nothing.
    void writesAreAllOrNothing_data() {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("refused"); // on the last statement the write runs
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("counts"); // "table|where|count written|count refused"
        const auto row = [](const char* name, const char* write, const QString& refused,
                            const QStringList& statements, const QStringList& counts) {
            QTest::newRow(name) << QString(write) << refused << statements << counts;
        };
        const QString glt = "LDG_GENERAL_LEDGER_TRANSACTION";
        row("cleared dates", "clear", "before update on " + glt + " when new.gltLNENBR=2",
            {"Update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=20240122 where gltFSYEAR=2024 "
             "and gltLNENBR=1",
             "Update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=20240120 where gltFSYEAR=2024 "
             "and gltLNENBR=2"},
            {glt + "|gltLNENBR=1 and gltRCNDTE=20240122|1|0",
             glt + "|gltLNENBR=2 and gltRCNDTE=20240120|1|0"});
        row("void", "void", "before delete on LDG_PAYROLL_TRANSACTION",
            {"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='V' where gltGLANBR=1010 and "
             "gltCHKNBR=500 and gltTRNDTE=20241101",
             "Delete from LDG_BANK_EXPENDITURE_TRANSACTION where betCHKNBR=500 and "
             "betCHKDTE=20241101",
             "Delete from LDG_PAYROLL_TRANSACTION where prtCHKNBR=500 and prtCHKDTE=20241101"},
            {glt + "|gltSTATUS='V'|1|0", "LDG_BANK_EXPENDITURE_TRANSACTION||1|2",
             "LDG_PAYROLL_TRANSACTION||0|1"});
        row("nsf", "nsf", "before update on LDG_BANK_DEPOSIT_TRANSACTION",
            {"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='N' where gltCHKTXT='500' and "
             "gltTRNDTE=20241101",
             "Update LDG_BANK_DEPOSIT_TRANSACTION set bdtTRNAMT=0 where bdtCHKTXT='500' and "
             "bdtDEPDTE=20241101"},
            {glt + "|gltSTATUS='N'|1|0", "LDG_BANK_DEPOSIT_TRANSACTION|bdtTRNAMT=0|1|0"});
        // An adjustment takes the next two line numbers of its date's fiscal year (the year
        // has line 5000 in 2023), its amount to four decimals on both lines.
        const auto adjusted = [](int date, int line) {
            const QString year = QString::number(date / 10000), day = QString::number(date);
            const QString insert = QStringLiteral(
                "Insert into "
                "LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,gltJRNCDE,gltTRNDTE,"
                "gltTRNTME,gltTRNTYP,gltGLANBR,gltDESCPT,gltTRNAMT,gltPSTDTE) values(%1,%2,'BA',%3,"
                "93015,'%4',%5,'Service charge',%6,20241115)");
            return QStringList{
                "Select * from SYS_ENTERPRISE_MASTER where ddmDIVCDE='*'",
                QStringLiteral("Select max(gltLNENBR) as maxLNENBR from "
                               "LDG_GENERAL_LEDGER_TRANSACTION where gltFSYEAR=%1")
                    .arg(year),
                insert.arg(year, QString::number(line), day, "A", "1010", "12.3457"),
                insert.arg(year, QString::number(line + 1), day, "R", "5010", "-12.3457")};
        };
        const QString reversing = "before insert on " + glt + " when new.gltTRNTYP='R'";
        row("adjustment", "adjust 20241031 6", reversing, adjusted(20241031, 6),
            {glt + "|gltJRNCDE='BA'|2|0"});
        row("first adjustment of a year", "adjust 20251031 1", reversing, adjusted(20251031, 1),
            {glt + "|gltJRNCDE='BA'|2|0"});
        // Only the bank account's cleared lines; the month never saved stays open. Refused at
        // the month, the lines stay cleared only.
        row("post", "post", "before update on LDG_BANK_RECONCILIATION_HISTORY",
            {"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='R' where gltRCNDTE>0 and "
             "gltSTATUS<>'R' and gltGLANBR=1010",
             "Update LDG_BANK_RECONCILIATION_HISTORY set brhPSTDTE=20241115 where brhRLSDTE>0 and "
             "brhPSTDTE=0 and brhGLANBR=1010"},
            {glt + "|gltSTATUS='R'|1|0", "LDG_BANK_RECONCILIATION_HISTORY|brhPSTDTE=20241115|1|0"});
    }

    void writesAreAllOrNothing() {
        QFETCH(QString, write);
        QFETCH(QString, refused);
        QFETCH(QStringList, statements);
        QFETCH(QStringList, counts);
        for (int line = 1; line <= 4; ++line) // 3 and 4 cleared, 4 of another bank
            insertLedgerLine({.line = line,
                              .amount = 10.0 * line,
                              .account = line == 4 ? 1020 : 1010,
                              .cleared = line > 2 ? 20241020 : 0});
        insertLedgerLine({.line = 5,
                          .date = 20241101,
                          .amount = -125.5,
                          .check = 500,
                          .type = "CK",
                          .checkText = "500"});
        sqlExec("insert into LDG_BANK_EXPENDITURE_TRANSACTION (betCHKNBR, betCHKDTE) values "
                "(500, 20241101), (500, 20241102)");
        sqlExec(
            "insert into LDG_PAYROLL_TRANSACTION (prtCHKNBR, prtCHKDTE) values (500, 20241101)");
        sqlExec("insert into LDG_BANK_DEPOSIT_TRANSACTION (bdtCHKTXT, bdtDEPDTE, bdtTRNAMT) "
                "values ('500', 20241101, 125.5)");
        insertHistoryRow({2024, 10, 20241031, 5, 5, 5, 5, 0, 20000101});
        insertHistoryRow({.year = 0, .month = 11}); // never saved
        insertLedgerLine({.line = 5000, .date = 20231231, .amount = 1, .year = 2023});
        const int date = write.section(' ', 1, 1).toInt();
        // A line without a fiscal year, or a date, is never written.
        const QList<ledger::ClearedDate> dates{
            {2024, 1, 20240122}, {2024, 5, 0}, {0, 9, 20240101}, {2024, 2, 20240120}};
        // Refused first, then written.
        for (const bool written : {false, true}) {
            if (written)
                sqlExec("drop trigger refuse");
            else
                refuse(refused);
            StatementTrace::clear();
            const Announced announced;
            int between = 0;
            try {
                if (write == "clear")
                    QCOMPARE(ledger::writeClearedDates(db(), 1010, dates), 2);
                else if (write == "void")
                    ledger::voidCheck(db(), 1010, 500, 20241101);
                else if (date) {
                    const ledger::Adjustment a{date, 93015, 1010, 5010, "Service charge", 12.34567};
                    const ledger::PostedAdjustment posted =
                        ledger::postAdjustment(db(), a, QDate(2024, 11, 15));
                    QCOMPARE(QList<int>({posted.fiscalYear, posted.line}),
                             QList<int>({date / 10000, write.section(' ', 2).toInt()}));
                } else if (write == "nsf")
                    ledger::flagNsfCheck(db(), 1010, "500", 20241101);
                else
                    ledger::finalizeMonth(db(), 1010, QDate(2024, 11, 15),
                                          [&between] { ++between; });
                QVERIFY(written);
            } catch (const DatabaseError& e) {
                QVERIFY2(!written, qPrintable(e.description()));
            }
            QCOMPARE(announced.accounts(), written ? QList<int>{1010} : QList<int>());
            QCOMPARE(StatementTrace::statements(), statements);
            for (const QString& count : counts) {
                const QStringList c = count.split('|');
                QCOMPARE(sqlCount(c[0], c[1]), c[written ? 2 : 3].toInt());
            }
            if (write == "post") {
                QCOMPARE(between, 1);
                QCOMPARE(ledger::unpostedClearedLines(db()), written ? 1 : 2);
            }
        }
        if (date) {
            const Announced deleted;
            ledger::deleteAdjustment(db(), 1010, date, 93015);
            QCOMPARE(deleted.accounts(), QList<int>{1010});
            QCOMPARE(StatementTrace::last(),
                     "Delete from LDG_GENERAL_LEDGER_TRANSACTION where gltTRNDTE=" +
                         QString::number(date) + " and gltTRNTME=93015 and gltJRNCDE='BA'");
            QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltJRNCDE='BA'"), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestLedger)

#include "tst_ledger.moc"
