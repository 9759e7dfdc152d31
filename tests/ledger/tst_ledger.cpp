// The rules of the month without a window: what the reconciliation proposes and stores,
// cleared dates, adjustments, voided and NSF checks and posting; each all or nothing, with
// the program's statement texts, and each announced by its account once it is written.

#include "common.h"
#include "context.h"
#include "database.h"
#include "ledger.h"
#include "ledger_notifier.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <cmath>
#include <optional>

namespace {

// year, month, statement, bank, outstanding, adjusted, ledger, difference, saved, posted
const HistoryRow kPostedDecember{2023, 12, 20231231, 5, 5, 5, 5, 0, 20000101, 20240105};
const HistoryRow kOpenJanuary{2024, 1, 20240131, 1000, 12.5, 987.5, 990, -2.5, 20000101};

// The accounts whose writes were announced since it was made.
class Announced {
public:
    QList<int> accounts() const {
        QList<int> list;
        for (const QList<QVariant>& call : m_spy)
            list << call.first().toInt();
        return list;
    }

private:
    QSignalSpy m_spy{&LedgerNotifier::instance(), &LedgerNotifier::written};
};

// Makes every change to a table refused from here on, as a closed month or a full disk would.
void refuse(const QString& when) {
    sqlExec("create trigger refuse " + when + " begin select raise(abort, 'refused'); end");
}

} // namespace

class TestLedger : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

private Q_SLOTS:
    void init() { env.emplace(20240315).openDatabase(); }
    void cleanup() { env.reset(); }

    void monthToReconcileFollowsTheHistory_data();
    void monthToReconcileFollowsTheHistory();
    void figuresSumUpToTheCutOff_data();
    void figuresSumUpToTheCutOff();
    void figuresAreTheSameInEveryDateFormat_data();
    void figuresAreTheSameInEveryDateFormat();
    void openLinesAreClearsLines();
    void bankBalanceGivesAdjustedBalanceAndDifference_data();
    void bankBalanceGivesAdjustedBalanceAndDifference();
    void savingTheMonthInsertsOrUpdatesItsRow_data();
    void savingTheMonthInsertsOrUpdatesItsRow();

    void clearedDatesAreWrittenAllOrNone_data();
    void clearedDatesAreWrittenAllOrNone();
    void nothingToClearTakesNoLock();

    void adjustmentTakesTheNextTwoLines_data();
    void adjustmentTakesTheNextTwoLines();

    void checkCorrectionsWriteAllOrNothing_data();
    void checkCorrectionsWriteAllOrNothing();

    void postingMarksLinesAndMonthsTogether_data();
    void postingMarksLinesAndMonthsTogether();
};

// ---------------------------------------------------------------------------------------
// The month's reconciliation

void TestLedger::monthToReconcileFollowsTheHistory_data() {
    QTest::addColumn<QList<HistoryRow>>("history");
    QTest::addColumn<bool>("update");
    QTest::addColumn<QString>("period"); // year/month as the statements write them
    QTest::addColumn<int>("statement");
    QTest::addColumn<QList<double>>("figures"); // bank, outstanding, adjusted, ledger, difference
    QTest::newRow("no history: last month, two-digit month")
        << QList<HistoryRow>{} << false << "2024/02" << 20240215
        << QList<double>{0, -100, 100, -100, 200};
    QTest::newRow("posted December: January of the next year")
        << QList<HistoryRow>{kPostedDecember} << false << "2024/1" << 20240131
        << QList<double>{0, -100, 100, -100, 200};
    QTest::newRow("posted May 31: June 30")
        << QList<HistoryRow>{{2023, 5, 20230531, 5, 5, 5, 5, 0, 20000101, 20230610}} << false
        << "2023/6" << 20230630 << QList<double>{0, -100, 100, -100, 200};
    // Saved with outstanding 12.50 and ledger 990: the stored date and balance, today's figures.
    QTest::newRow("open month: stored balance, today's figures")
        << QList<HistoryRow>{kPostedDecember, kOpenJanuary} << true << "2024/1" << 20240131
        << QList<double>{1000, -100, 1100, -100, 1200};
}

void TestLedger::monthToReconcileFollowsTheHistory() {
    QFETCH(QList<HistoryRow>, history);
    QFETCH(bool, update);
    QFETCH(QString, period);
    QFETCH(int, statement);
    QFETCH(QList<double>, figures);
    for (const HistoryRow& row : history)
        insertHistoryRow(row);
    insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
    StatementTrace::clear();
    const ledger::Month m = ledger::loadMonth(db(), 1010, QDate(2024, 3, 15));
    QCOMPARE(m.mode == ledger::Month::Mode::Update, update);
    QCOMPARE(m.yearText() + "/" + m.monthText(), period);
    QCOMPARE(m.statementDate, statement);
    QCOMPARE(QList<double>(
                 {m.bankBalance, m.outstanding, m.adjustedBalance, m.ledgerBalance, m.difference}),
             figures);
    QCOMPARE(m.saved, update);
    if (update) {
        QCOMPARE(QList<double>({m.savedOutstanding, m.savedLedgerBalance}),
                 QList<double>({12.5, 990}));
        QCOMPARE(StatementTrace::statements().mid(0, 2),
                 QStringList({"Select max(brhSTMDTE) as maxSTMDTE from "
                              "LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010",
                              "Select * from LDG_BANK_RECONCILIATION_HISTORY where "
                              "brhGLANBR=1010 and brhSTMDTE=20240131"}));
        QCOMPARE(ledger::figuresMoved(m.savedOutstanding, m.savedLedgerBalance, m, true, false),
                 QStringLiteral("Outstanding was 12.50 when this month was saved; it is -100.00 "
                                "now. The ledger balance was 990.00 when this month was saved; it "
                                "is -100.00 now."));
    }
}

void TestLedger::figuresSumUpToTheCutOff_data() {
    QTest::addColumn<int>("today");
    QTest::addColumn<QStringList>("lines"); // "date,amount,cleared,status[,account]"
    QTest::addColumn<double>("beginning");  // ledger master of the year shown; NaN: none
    QTest::addColumn<double>("outstanding");
    QTest::addColumn<double>("ledger");
    const auto row = [](const char* name, int today, const QStringList& lines, double beginning,
                        double outstanding, double ledger) {
        QTest::newRow(name) << today << lines << beginning << outstanding << ledger;
    };
    row("check before the cut-off, deposit on it", 20240315,
        {"20240228,-100,0,", "20240229,500,0,"}, 1200.0, -100, 1100);
    row("no lines: outstanding 0", 20240315, {}, 250.0, 0, 250);
    row("cleared counts for the ledger only", 20240315,
        {"20240210,-40,20240220,", "20240211,75.5,0,"}, 0.0, 75.5, 35.5);
    row("reconciled counts for neither", 20240315, {"20240110,-40,20240120,R", "20240211,10,0,V"},
        0.0, 10, 10);
    row("other accounts ignored, no ledger master row", 20240315,
        {"20240110,-40,0,,1020", "20240110,-1,0,"}, qQNaN(), -1, -1);
    row("January: cut-off in December", 20240110, {"20231230,-7,0,", "20231231,-9,0,"}, 0.0, -7,
        -7);
    row("sums to the cent", 20240315, {"20240201,0.1,0,", "20240202,0.2,0,"}, 0.0, 0.3, 0.3);
}

void TestLedger::figuresSumUpToTheCutOff() {
    QFETCH(int, today);
    QFETCH(QStringList, lines);
    QFETCH(double, beginning);
    QFETCH(double, outstanding);
    QFETCH(double, ledger);
    int line = 0;
    for (const QString& l : lines) {
        const QStringList p = l.split(',');
        insertLedgerLine({++line, p[0].toInt(), p[1].toDouble(), p.size() > 4 ? p[4].toInt() : 1010,
                          2024, p[3], p[2].toInt()});
    }
    const int yearShown = today / 10000 - (today / 100 % 100 == 1 ? 1 : 0);
    if (!qIsNaN(beginning))
        insertAccount(1010, "Bank", yearShown, "CA", "BNK", beginning);
    insertAccount(1010, "Bank", yearShown + 1, "CA", "BNK", 99999.0); // never counts
    const QDate date = QDate::fromString(QString::number(today), "yyyyMMdd");
    const ledger::Month m = ledger::loadMonth(db(), 1010, date);
    QCOMPARE(m.cutOff, today / 100 % 100 == 1 ? 20231231 : 20240229);
    QCOMPARE(m.outstanding, outstanding);
    QCOMPARE(m.ledgerBalance, ledger);
}

// The cut-off is worked out from today's date, never from text read back in the company's
// order: the month's figures and statements are the same in every date format, early in the
// month and late.
void TestLedger::figuresAreTheSameInEveryDateFormat_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("today");
    for (int format = 0; format <= 4; ++format)
        for (int today : {20240305, 20240315})
            QTest::addRow("format %d, %d", format, today) << format << today;
}

void TestLedger::figuresAreTheSameInEveryDateFormat() {
    QFETCH(int, format);
    QFETCH(int, today);
    shared().wrkDTEFMT = format;
    insertAccount(1010, "Bank", 2024, "CA", "BNK", 5000);
    insertLedgerLine({.line = 1, .date = 20240110, .amount = -275.5}); // outstanding
    insertLedgerLine({.line = 2, .date = 20240228, .amount = 100, .cleared = 20240228});
    insertLedgerLine({.line = 3, .date = 20240229, .amount = -400}); // on the cut-off
    insertLedgerLine({.line = 4, .date = 20240304, .amount = -50});  // this month
    StatementTrace::clear();
    const ledger::Month m =
        ledger::loadMonth(db(), 1010, QDate(today / 10000, today / 100 % 100, today % 100));
    QCOMPARE(m.cutOff, 20240229);
    QCOMPARE(QList<double>({m.outstanding, m.ledgerBalance, m.adjustedBalance, m.difference}),
             QList<double>({-275.5, 4824.5, 275.5, -4549}));
    const QString sum = "Select sum(gltTRNAMT) as sumTRNAMT from LDG_GENERAL_LEDGER_TRANSACTION "
                        "where gltGLANBR=1010 and ";
    QCOMPARE(StatementTrace::statements().mid(1),
             QStringList({sum + "gltRCNDTE=0 and gltTRNDTE<20240229",
                          "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and "
                          "glmGLANBR=1010",
                          sum + "gltSTATUS<>'R' and gltTRNDTE<20240229"}));
}

// A statement is matched against the lines Clear lists, whatever their status but reconciled,
// so every date the import hands over lands on a listed line.
void TestLedger::openLinesAreClearsLines() {
    int line = 0;
    for (const char* status : {"", "V", "N", "R"})
        insertLedgerLine({.line = ++line, .amount = 10, .status = status});
    insertLedgerLine({.line = ++line, .amount = 10, .account = 1020});
    QCOMPARE(ledger::openLinesStatement(1010),
             QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                            "and gltSTATUS<>'R'"));
    Recordset rs = db().execute(ledger::openLinesStatement(1010));
    QList<int> lines;
    for (; !rs.eof(); rs.moveNext())
        lines << int(fncFIELD_NUMBER(rs, "gltLNENBR"));
    QCOMPARE(lines, QList<int>({1, 2, 3}));
}

void TestLedger::bankBalanceGivesAdjustedBalanceAndDifference_data() {
    QTest::addColumn<double>("bank");
    QTest::addColumn<double>("outstanding");
    QTest::addColumn<double>("ledger");
    QTest::addColumn<QList<double>>("figures"); // bank, adjusted, difference
    QTest::newRow("over") << 1000.0 << 50.0 << 940.0 << QList<double>{1000, 950, 10};
    QTest::newRow("short") << 900.5 << 50.0 << 940.0 << QList<double>{900.5, 850.5, -89.5};
    QTest::newRow("outstanding deposits lower the bank side")
        << 0.0 << -10.0 << -10.0 << QList<double>{0, 10, 20};
    QTest::newRow("to the cent") << 1234.565 << 0.1 << 1234.37
                                 << QList<double>{1234.57, 1234.47, 0.1};
}

void TestLedger::bankBalanceGivesAdjustedBalanceAndDifference() {
    QFETCH(double, bank);
    QFETCH(double, outstanding);
    QFETCH(double, ledger);
    QFETCH(QList<double>, figures);
    ledger::Month m;
    m.outstanding = outstanding;
    m.ledgerBalance = ledger;
    m.setBankBalance(bank);
    QCOMPARE(QList<double>({m.bankBalance, m.adjustedBalance, m.difference}), figures);
}

void TestLedger::savingTheMonthInsertsOrUpdatesItsRow_data() {
    QTest::addColumn<QList<HistoryRow>>("history");
    QTest::addColumn<double>("bank");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("row"); // the month's row afterwards
    QTest::newRow("first month inserted")
        << QList<HistoryRow>{} << 1000.25
        << "Insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,brhGLANBR,brhDIVCDE,"
           "brhSTMDTE,brhBNKBAL,brhOUTSTD,brhBNKADJ,brhADJBAL,brhEOMBAL,brhOVRSHT,brhRLSDTE) "
           "values(2024,02,1010,'',20240215,1000.25,-100,0,1100.25,1100,0.25,20240315)"
        << "brhMONTH=2 and brhFSYEAR=2024 and brhPSTDTE=0 and brhOVRSHT=0.25";
    QTest::newRow("month after a posted one inserted")
        << QList<HistoryRow>{kPostedDecember} << 1100.0
        << "Insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,brhGLANBR,brhDIVCDE,"
           "brhSTMDTE,brhBNKBAL,brhOUTSTD,brhBNKADJ,brhADJBAL,brhEOMBAL,brhOVRSHT,brhRLSDTE) "
           "values(2024,1,1010,'',20240131,1100,-100,0,1200,1100,100,20240315)"
        << "brhMONTH=1 and brhFSYEAR=2024 and brhOVRSHT=100";
    // Saved with outstanding 12.50 and ledger 990: rewritten with today's figures.
    QTest::newRow("open month rewritten")
        << QList<HistoryRow>{kOpenJanuary} << 1000.0
        << "Update LDG_BANK_RECONCILIATION_HISTORY set brhSTMDTE=20240131,brhBNKBAL=1000,"
           "brhOUTSTD=-100,brhBNKADJ=0,brhADJBAL=1100,brhEOMBAL=1100,brhOVRSHT=0,"
           "brhRLSDTE=20240315 where brhGLANBR=1010 and brhFSYEAR=2024 and brhMONTH=1"
        << "brhRLSDTE=20240315 and brhBNKBAL=1000 and brhOUTSTD=-100";
}

void TestLedger::savingTheMonthInsertsOrUpdatesItsRow() {
    QFETCH(QList<HistoryRow>, history);
    QFETCH(double, bank);
    QFETCH(QString, statement);
    QFETCH(QString, row);
    for (const HistoryRow& h : history)
        insertHistoryRow(h);
    insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
    insertAccount(1010, "Bank", 2024, "CA", "BNK", 1200.0);
    ledger::Month m = ledger::loadMonth(db(), 1010, QDate(2024, 3, 15));
    m.setBankBalance(bank);
    StatementTrace::clear();
    const Announced announced;
    ledger::saveMonth(db(), 1010, m, QDate(2024, 3, 15));
    QCOMPARE(StatementTrace::statements(), QStringList{statement});
    QCOMPARE(announced.accounts(), QList<int>{1010});
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", row), 1);
}

// ---------------------------------------------------------------------------------------
// Cleared dates

void TestLedger::clearedDatesAreWrittenAllOrNone_data() {
    QTest::addColumn<QList<int>>("dates"); // cleared date given lines 1 to 3 (0: none)
    QTest::addColumn<bool>("refuseLine2");
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<int>("statements");
    QTest::newRow("every dated line")
        << QList<int>{20240122, 0, 20240120} << false << QList<int>{20240122, 0, 20240120} << 2;
    QTest::newRow("one line refused: none written")
        << QList<int>{20240122, 20240123, 20240120} << true << QList<int>{0, 0, 0} << 2;
}

void TestLedger::clearedDatesAreWrittenAllOrNone() {
    QFETCH(QList<int>, dates);
    QFETCH(bool, refuseLine2);
    QFETCH(QList<int>, stored);
    QFETCH(int, statements);
    QList<ledger::ClearedDate> given;
    for (int line = 1; line <= 3; ++line) {
        insertLedgerLine({.line = line, .amount = 10});
        given.append({2024, line, dates[line - 1]});
    }
    given.append({0, 9, 20240101}); // a line without a fiscal year is never written
    if (refuseLine2)
        refuse("before update on LDG_GENERAL_LEDGER_TRANSACTION when new.gltLNENBR=2");
    StatementTrace::clear();
    const Announced announced;
    try {
        QCOMPARE(ledger::writeClearedDates(db(), 1010, given), 2);
        QVERIFY(!refuseLine2);
    } catch (const DatabaseError& e) {
        QVERIFY2(refuseLine2, qPrintable(e.description()));
    }
    QCOMPARE(announced.accounts(), refuseLine2 ? QList<int>() : QList<int>{1010});
    const QStringList trace = StatementTrace::statements();
    QCOMPARE(trace.size(), statements);
    QCOMPARE(trace.first(),
             QStringLiteral("Update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=20240122 where "
                            "gltFSYEAR=2024 and gltLNENBR=1"));
    QCOMPARE(QList<int>({clearedDate(1), clearedDate(2), clearedDate(3)}), stored);
}

// With nothing to write no transaction is begun: another program holding the write lock
// does not hold the clerk up.
void TestLedger::nothingToClearTakesNoLock() {
    insertLedgerLine({.line = 1, .amount = 10});
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
    other.setDatabaseName(env->databaseFile());
    QVERIFY(other.open());
    QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE"));
    StatementTrace::clear();
    QCOMPARE(ledger::writeClearedDates(db(), 1010, {{2024, 1, 0}, {0, 0, 20240101}}), 0);
    QCOMPARE(StatementTrace::statements(), QStringList());
    QSqlQuery(other).exec(QStringLiteral("ROLLBACK"));
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other");
}

// ---------------------------------------------------------------------------------------
// Adjustments

void TestLedger::adjustmentTakesTheNextTwoLines_data() {
    QTest::addColumn<int>("highestLine"); // of 2024; 0 = the year has no lines yet
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("refused");      // a trigger that makes the posting fail
    QTest::addColumn<QStringList>("inserted"); // line, type, account, amount of each insert
    const QStringList bothLines{"341,A,1010,25", "342,R,5010,-25"};
    QTest::newRow("first lines of the year")
        << 0 << -10.0 << QString() << QStringList{"1,A,1010,-10", "2,R,5010,10"};
    QTest::newRow("after the highest, four decimals")
        << 12 << 12.34567 << QString() << QStringList{"13,A,1010,12.3457", "14,R,5010,-12.3457"};
    QTest::newRow("reversing line refused: nothing written")
        << 340 << 25.0 << "before insert on LDG_GENERAL_LEDGER_TRANSACTION when new.gltTRNTYP='R'"
        << bothLines;
}

void TestLedger::adjustmentTakesTheNextTwoLines() {
    QFETCH(int, highestLine);
    QFETCH(double, amount);
    QFETCH(QString, refused);
    QFETCH(QStringList, inserted);
    if (highestLine > 0)
        insertLedgerLine({.line = highestLine, .date = 20240105, .amount = 1});
    // Line numbers run per fiscal year: a higher number in another year does not count.
    insertLedgerLine({.line = 5000, .date = 20231231, .amount = 1, .year = 2023});
    if (!refused.isEmpty())
        refuse(refused);
    StatementTrace::clear();
    const ledger::Adjustment a{20241031, 93015, 1010, 5010, "Service charge", amount};
    try {
        const ledger::PostedAdjustment posted =
            ledger::postAdjustment(db(), a, QDate(2024, 11, 15));
        QVERIFY(refused.isEmpty());
        QCOMPARE(posted.fiscalYear, 2024);
        QCOMPARE(posted.line, highestLine + 1);
    } catch (const DatabaseError& e) {
        QVERIFY2(!refused.isEmpty(), qPrintable(e.description()));
    }
    QStringList expected{"Select max(gltLNENBR) as maxLNENBR from LDG_GENERAL_LEDGER_TRANSACTION "
                         "where gltFSYEAR=2024"};
    for (const QString& i : inserted) {
        const QStringList p = i.split(',');
        expected << QStringLiteral("Insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                                   "gltJRNCDE,gltTRNDTE,gltTRNTME,gltTRNTYP,gltGLANBR,gltDESCPT,"
                                   "gltTRNAMT,gltPSTDTE) values(2024,%1,'BA',20241031,93015,'%2',"
                                   "%3,'Service charge',%4,20241115)")
                        .arg(p[0], p[1], p[2], p[3]);
    }
    const QStringList trace = StatementTrace::statements();
    QCOMPARE(trace.mid(trace.size() - expected.size()), expected);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltJRNCDE='BA'"),
             refused.isEmpty() ? 2 : 0);
    if (refused.isEmpty()) {
        QCOMPARE(sqlValue("select sum(gltTRNAMT) from LDG_GENERAL_LEDGER_TRANSACTION where "
                          "gltJRNCDE='BA'")
                     .toDouble(),
                 0.0);
        const Announced announced;
        ledger::deleteAdjustment(db(), 1010, 20241031, 93015);
        QCOMPARE(announced.accounts(), QList<int>{1010});
        QCOMPARE(StatementTrace::last(),
                 QStringLiteral("Delete from LDG_GENERAL_LEDGER_TRANSACTION where "
                                "gltTRNDTE=20241031 and gltTRNTME=93015 and gltJRNCDE='BA'"));
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltJRNCDE='BA'"), 0);
    }
}

// ---------------------------------------------------------------------------------------
// Checks

void TestLedger::checkCorrectionsWriteAllOrNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("refused"); // on the last table the correction writes
    QTest::addColumn<QStringList>("statements");
    const QStringList voided{"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='V' where "
                             "gltGLANBR=1010 and gltCHKNBR=500 and gltTRNDTE=20241101",
                             "Delete from LDG_BANK_EXPENDITURE_TRANSACTION where betCHKNBR=500 "
                             "and betCHKDTE=20241101",
                             "Delete from LDG_PAYROLL_TRANSACTION where prtCHKNBR=500 and "
                             "prtCHKDTE=20241101"};
    const QStringList flagged{"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='N' where "
                              "gltCHKTXT='500' and gltTRNDTE=20241101",
                              "Update LDG_BANK_DEPOSIT_TRANSACTION set bdtTRNAMT=0 where "
                              "bdtCHKTXT='500' and bdtDEPDTE=20241101"};
    QTest::newRow("void") << "void" << QString() << voided;
    QTest::newRow("void refused at the payroll")
        << "void"
        << "before delete on LDG_PAYROLL_TRANSACTION" << voided;
    QTest::newRow("nsf") << "nsf" << QString() << flagged;
    QTest::newRow("nsf refused at the deposit")
        << "nsf"
        << "before update on LDG_BANK_DEPOSIT_TRANSACTION" << flagged;
}

void TestLedger::checkCorrectionsWriteAllOrNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, refused);
    QFETCH(QStringList, statements);
    insertLedgerLine({.line = 1,
                      .date = 20241101,
                      .amount = -125.5,
                      .check = 500,
                      .type = "CK",
                      .checkText = "500"});
    sqlExec("insert into LDG_BANK_EXPENDITURE_TRANSACTION (betCHKNBR, betCHKDTE) values "
            "(500, 20241101), (500, 20241102)");
    sqlExec("insert into LDG_PAYROLL_TRANSACTION (prtCHKNBR, prtCHKDTE) values (500, 20241101)");
    sqlExec("insert into LDG_BANK_DEPOSIT_TRANSACTION (bdtCHKTXT, bdtDEPDTE, bdtTRNAMT) "
            "values ('500', 20241101, 125.5)");
    if (!refused.isEmpty())
        refuse(refused);
    StatementTrace::clear();
    const Announced announced;
    try {
        if (kind == QLatin1String("void"))
            ledger::voidCheck(db(), 1010, 500, 20241101);
        else
            ledger::flagNsfCheck(db(), 1010, "500", 20241101);
        QVERIFY(refused.isEmpty());
    } catch (const DatabaseError& e) {
        QVERIFY2(!refused.isEmpty(), qPrintable(e.description()));
    }
    QCOMPARE(announced.accounts(), refused.isEmpty() ? QList<int>{1010} : QList<int>());
    QCOMPARE(StatementTrace::statements(), statements);
    const bool written = refused.isEmpty();
    const bool isVoid = kind == QLatin1String("void");
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS=''"), written ? 0 : 1);
    QCOMPARE(sqlCount("LDG_BANK_EXPENDITURE_TRANSACTION"), written && isVoid ? 1 : 2);
    QCOMPARE(sqlCount("LDG_PAYROLL_TRANSACTION"), written && isVoid ? 0 : 1);
    QCOMPARE(sqlCount("LDG_BANK_DEPOSIT_TRANSACTION", "bdtTRNAMT=0"), written && !isVoid ? 1 : 0);
}

// ---------------------------------------------------------------------------------------
// Posting

void TestLedger::postingMarksLinesAndMonthsTogether_data() {
    QTest::addColumn<QString>("refused");
    QTest::newRow("both updates") << QString();
    QTest::newRow("month refused: lines stay cleared only")
        << "before update on LDG_BANK_RECONCILIATION_HISTORY";
}

void TestLedger::postingMarksLinesAndMonthsTogether() {
    QFETCH(QString, refused);
    insertLedgerLine({.line = 1, .amount = 10, .cleared = 20241020});
    insertLedgerLine({.line = 2, .amount = 20}); // not cleared
    insertLedgerLine({.line = 3, .amount = 30, .account = 1020, .cleared = 20241020}); // other bank
    insertHistoryRow({2024, 10, 20241031, 5, 5, 5, 5, 0, 20000101});
    insertHistoryRow({.year = 0, .month = 11}); // never saved: stays open
    QCOMPARE(ledger::unpostedClearedLines(db()), 2);
    if (!refused.isEmpty())
        refuse(refused);
    StatementTrace::clear();
    int between = 0;
    const Announced announced;
    try {
        ledger::finalizeMonth(db(), 1010, QDate(2024, 11, 15), [&between] { ++between; });
        QVERIFY(refused.isEmpty());
    } catch (const DatabaseError& e) {
        QVERIFY2(!refused.isEmpty(), qPrintable(e.description()));
    }
    QCOMPARE(between, 1);
    QCOMPARE(announced.accounts(), refused.isEmpty() ? QList<int>{1010} : QList<int>());
    QCOMPARE(StatementTrace::statements(),
             QStringList({"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='R' where "
                          "gltRCNDTE>0 and gltSTATUS<>'R' and gltGLANBR=1010",
                          "Update LDG_BANK_RECONCILIATION_HISTORY set brhPSTDTE=20241115 where "
                          "brhRLSDTE>0 and brhPSTDTE=0 and brhGLANBR=1010"}));
    const bool written = refused.isEmpty();
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS='R'"), written ? 1 : 0);
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", "brhPSTDTE=20241115"), written ? 1 : 0);
    QCOMPARE(ledger::unpostedClearedLines(db()), written ? 1 : 2);
}

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    TestLedger test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ledger.moc"
