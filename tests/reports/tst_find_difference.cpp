// Finding the cause of a month's difference: each kind of cause planted into a small ledger
// is found first, with its lines, and applying its action leaves the month with no difference.

#include "database.h"
#include "find_difference.h"
#include "ledger.h"
#include "money.h"
#include "test_support.h"

#include <QTest>

using namespace reports;

namespace {

// February 2024, reconciled in March: a deposit and a check cleared, check 102 outstanding.
// With a bank balance of 1200.00 the month has no difference.
void insertMonth(double bank) {
    insertAccount(1010, "Bank", 2024, "CA", "BNK", 1000);
    insertLedgerLine({.line = 1, .date = 20240205, .amount = 500, .cleared = 20240206});
    insertLedgerLine(
        {.line = 2, .date = 20240210, .amount = -200, .cleared = 20240212, .check = 101});
    insertLedgerLine({.line = 3, .date = 20240220, .amount = -50, .check = 102});
    insertHistoryRow({.month = 2, .statement = 20240229, .bank = bank, .saved = 20240305});
}

// Does what the cause says, as the clerk would in the windows.
void apply(const Cause& cause, const QList<BankLine>& bank) {
    const CauseKind kind = cause.kind;
    for (const ledger::Line& l : cause.lines) {
        QString set = QStringLiteral("gltTRNAMT=%1").arg(double(cause.correctedCents) / 100);
        if (kind == CauseKind::WrongMonth)
            set = l.date < 20240229 ? "gltRCNDTE=0" : "gltTRNDTE=gltRCNDTE";
        else if (kind == CauseKind::BankAmount)
            set += ", gltRCNDTE=20240228";
        else if (kind == CauseKind::ClearItem || kind == CauseKind::TwoItems ||
                 kind == CauseKind::ThreeItems)
            set = "gltRCNDTE=20240228";
        sqlExec(QStringLiteral("update LDG_GENERAL_LEDGER_TRANSACTION set %1 where gltFSYEAR=%2 "
                               "and gltLNENBR=%3")
                    .arg(set)
                    .arg(l.fiscalYear)
                    .arg(l.line));
    }
    for (int i : cause.bankLines) {
        const BankLine& b = bank.at(i);
        if (b.matchedLine != 0)
            continue;
        const ledger::PostedAdjustment posted = ledger::postAdjustment(
            db(), {b.date, 120000, 1010, 5010, b.description, double(b.cents) / 100},
            QDate(2024, 3, 5));
        ledger::writeClearedDates(db(), 1010, {{posted.fiscalYear, posted.line, b.date}});
    }
}

} // namespace

Q_DECLARE_METATYPE(reports::BankLine)

class TestFindDifference : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void init() { env.emplace(20240315).openDatabase(); }

    void plantedCauseIsFoundFirst_data() {
        QTest::addColumn<double>("bank");
        QTest::addColumn<int>("kind"); // -1: nothing explains it
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<QStringList>("planted"); // statements that make the month wrong
        QTest::addColumn<QList<BankLine>>("statement");
        const auto row = [](const char* name, double bank, int kind, const QList<int>& lines,
                            const QStringList& planted = {},
                            const QList<BankLine>& statement = {}) {
            QTest::newRow(name) << bank << kind << lines << planted << statement;
        };
        using K = CauseKind;
        const QString line = QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,"
                                            "gltLNENBR,gltTRNDTE,gltGLANBR,gltTRNAMT,gltRCNDTE,"
                                            "gltSTATUS) values(2024,%1,%2,1010,%3,0,'')");
        const auto set = [](int l, const QString& values) {
            return QStringLiteral("update LDG_GENERAL_LEDGER_TRANSACTION set %1 where gltLNENBR=%2")
                .arg(values)
                .arg(l);
        };
        const BankLine fee{20240227, -1234, "SERVICE CHARGE"};
        row("check paid, not cleared", 1250, int(K::ClearItem), {3});
        row("deposit entered as a payment", 1200, int(K::WrongSign), {1},
            {set(1, "gltTRNAMT=-500")});
        row("381.40 written as 318.40", 1018.6, int(K::Transposed), {2},
            {set(2, "gltTRNAMT=-318.40")});
        row("200.00 written as 2000.00", 1200, int(K::DecimalPoint), {2},
            {set(2, "gltTRNAMT=-2000")});
        row("two checks paid", 1150.35, int(K::TwoItems), {4, 5},
            {line.arg(4).arg(20240221).arg(-31.25), line.arg(5).arg(20240222).arg(-18.40)});
        row("three checks paid", 1133.32, int(K::ThreeItems), {6, 5, 4},
            {line.arg(4).arg(20240221).arg(-11.11), line.arg(5).arg(20240222).arg(-22.22),
             line.arg(6).arg(20240223).arg(-33.35)});
        row("bank paid check 102 at 55.00", 1245, int(K::BankAmount), {3}, {},
            {{20240226, -5500, "CHECK 102", 2024, 3}});
        row("a fee the ledger lacks", 1187.66, int(K::BankLines), {}, {},
            {fee, {20240206, 50000, "DEPOSIT", 2024, 1}});
        row("check 103 paid and credited back: a line the ledger lacks", 1200, int(K::BankLines),
            {}, {line.arg(4).arg(20240214).arg(-75), set(4, "gltCHKNBR=103, gltRCNDTE=20240215")},
            {{20240226, 7500, "CHECK 103 RETURNED", 0, 0, 103}});
        row("318.40 for 381.40 and a fee the ledger lacks", 1006.26, int(K::BankLinesAndItem), {2},
            {set(2, "gltTRNAMT=-318.40")}, {fee});
        row("cleared after the statement date", 1000, int(K::WrongMonth), {2},
            {set(2, "gltRCNDTE=20240305")});
        row("cleared on the statement date: in its month", 1000, -1, {},
            {set(2, "gltRCNDTE=20240229")});
        row("a fee on the cut-off day is next month's", 1187.66, -1, {}, {},
            {{20240229, -1234, "SERVICE CHARGE"}});
        row("dated after the cut-off, cleared before it", 1129, int(K::WrongMonth), {4},
            {line.arg(4).arg(20240301).arg(-71), set(4, "gltRCNDTE=20240227")});
        row("nothing explains 0.07", 1200.07, -1, {});
    }

    void plantedCauseIsFoundFirst() {
        QFETCH(double, bank);
        QFETCH(int, kind);
        QFETCH(QList<int>, lines);
        QFETCH(QStringList, planted);
        QFETCH(QList<BankLine>, statement);
        insertMonth(bank);
        for (const QString& sql : planted)
            sqlExec(sql);
        const DifferenceSearch found =
            findDifference(ledger::monthNow(db(), 1010, 2024, 2),
                           ledger::lines(db(), 1010, ledger::unreconciledCondition()), statement);
        if (kind < 0) {
            QCOMPARE(found.causes.size(), 0);
            return;
        }
        QVERIFY(!found.causes.isEmpty());
        const Cause& first = found.causes.first();
        QCOMPARE(int(first.kind), kind);
        QList<int> involved;
        for (const ledger::Line& l : first.lines)
            involved << l.line;
        QCOMPARE(involved, lines);
        QCOMPARE(first.explained, -found.difference);
        QVERIFY(!first.english.isEmpty() && !first.spanish.isEmpty());
        apply(first, statement);
        QCOMPARE(roundToCents(ledger::monthNow(db(), 1010, 2024, 2).difference), 0);
    }

    // A bank line's adjustment goes where the account's own most alike earlier one went.
    void proposesTheAccountOfTheMostAlikeAdjustment_data() {
        QTest::addColumn<QString>("bankText");
        QTest::addColumn<QString>("why"); // "" for no proposal
        const auto row = [](const char* name, const char* bankText, const char* why = "") {
            QTest::newRow(name) << QString(bankText) << QString(why);
        };
        const char* charge = "like 'MONTHLY SERVICE CHARGE' on 01/31/24 -> 5010";
        row("the newest of two alike", "MONTHLY SERVICE CHARGE", charge);
        row("half the words shared", "SERVICE CHARGE NOV", charge);
        row("interest", "INTEREST PAID 0.41", "like 'Interest paid' on 11/30/23 -> 4010");
        row("another bank's adjustment", "WIRE FEE");
        row("nothing alike", "DEPOSIT");
    }
    void proposesTheAccountOfTheMostAlikeAdjustment() {
        QFETCH(QString, bankText);
        QFETCH(QString, why);
        const auto adjust = [](int date, int time, int bank, int offset, const char* text) {
            ledger::postAdjustment(db(), {date, time, bank, offset, text, -10}, QDate(2024, 3, 1));
        };
        adjust(20231130, 80000, 1010, 4010, "Interest paid");
        adjust(20231231, 90000, 1010, 5020, "Monthly service charge");
        adjust(20240131, 90000, 1010, 5010, "MONTHLY SERVICE CHARGE");
        adjust(20240131, 90000, 1020, 5030, "WIRE FEE"); // another bank, the same moment
        const AdjustmentProposal p = proposeAdjustment(pastAdjustments(db(), 1010), bankText);
        QCOMPARE(p.english, why);
        QCOMPARE(p.account, why.isEmpty() ? 0 : why.section(' ', -1).toInt());
    }
};

QTEST_MAIN(TestFindDifference)
#include "tst_find_difference.moc"
