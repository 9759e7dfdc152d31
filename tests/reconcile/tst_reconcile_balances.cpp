// The reconcile window: which month it proposes, the sums it computes up to the cut-off,
// the bank balance box, and the history row OK writes.

#include "context.h"
#include "database.h"
#include "date_picker.h"
#include "reconcile_balances.h"
#include "test_support.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <optional>

namespace {

using Window = frmRECONCILE_CHECKING_ACCOUNT_BALANCES;

// "year,month,statement,bank,outstanding,adjusted,ledger,difference,posted"
void addHistory(const QString& values) {
    sqlExec("insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,brhSTMDTE,brhBNKBAL,"
            "brhOUTSTD,brhADJBAL,brhEOMBAL,brhOVRSHT,brhPSTDTE,brhGLANBR,brhRLSDTE) values(" +
            values + ",1010,20000101)");
}
const QString kOpenFebruary = QStringLiteral("2024,2,20240229,1000,12.5,987.5,990,-2.5,0");

void addLedger(int year, double beginning) {
    insertAccount(1010, "Bank", year, "CA", "BNK", beginning);
}

QPointer<Window> open() {
    StatementTrace::clear();
    return openWindow<Window>();
}

QString box(Window* w, const char* name) {
    return w->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
}
void clickOk(Window* w) {
    QTest::mouseClick(w->findChild<QPushButton*>("tbcOK"), Qt::LeftButton);
}

// Types the bank balance as the clerk does: focus, keys, then the completing key.
void typeBankBalance(Window* w, const QString& text, Qt::Key key = Qt::Key_Return) {
    auto* bank = w->findChild<QLineEdit*>("tbxBNKBAL");
    bank->setFocus();
    QTRY_VERIFY(bank->hasFocus());
    QTest::keyClicks(bank, text);
    QTest::keyClick(bank, key);
}

} // namespace

class TestReconcileBalances : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

private Q_SLOTS:
    void init() { env.emplace(20240315).openDatabase(); }
    void cleanup() { env.reset(); }
    void proposesMonth_data();
    void proposesMonth();
    void sumsUpToCutOff_data();
    void sumsUpToCutOff();
    void bankBalanceCompletes_data();
    void bankBalanceCompletes();
    void letterInBankBalanceIsRefused();
    void okWritesTheMonth_data();
    void okWritesTheMonth();
};

void TestReconcileBalances::proposesMonth_data() {
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("statement");
    const QString postedDecember = "2023,12,20231231,5,5,5,5,0,20240105";
    QTest::newRow("no history: last month") << QStringList{} << "02"
                                            << "2024" << 20240215;
    QTest::newRow("posted December: January of the next year") << QStringList{postedDecember} << "1"
                                                               << "2024" << 20240131;
    QTest::newRow("posted May 31: June 30")
        << QStringList{"2023,5,20230531,5,5,5,5,0,20230610"} << "6"
        << "2023" << 20230630;
    QTest::newRow("open month shown as stored")
        << QStringList{postedDecember, "2024,1,20240131,1000,12.5,987.5,990,-2.5,0"} << "1"
        << "2024" << 20240131;
}

void TestReconcileBalances::proposesMonth() {
    QFETCH(QStringList, history);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(int, statement);
    for (const QString& row : history)
        addHistory(row);
    insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
    QPointer<Window> w = open();
    const bool isOpen = history.size() == 2;
    QCOMPARE(w->mode(), QString(isOpen ? "UPDATE" : "ADD"));
    QCOMPARE(box(w, "tbxMONTH"), month);
    QCOMPARE(box(w, "tbxYEAR"), year);
    QCOMPARE(w->findChild<DatePicker*>("dbxSTMDTE")->dateNumber(), statement);
    // Nothing is recomputed for an open month.
    const QStringList shown = {box(w, "tbxOUTSTD"), box(w, "tbxBNKBAL"), box(w, "tbxADJBAL"),
                               box(w, "tbxOVRSHT")};
    QCOMPARE(shown, isOpen ? QStringList({"12.50", "1000.00", "987.50", "-2.50"})
                           : QStringList({"-100.00", "0.00", "0.00", "0.00"}));
    if (isOpen) {
        QCOMPARE(box(w, "tbxEOMBAL"), QStringLiteral("990.00"));
        QCOMPARE(StatementTrace::statements(),
                 QStringList({"Select max(brhSTMDTE) as maxSTMDTE from "
                              "LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010",
                              "Select * from LDG_BANK_RECONCILIATION_HISTORY where "
                              "brhGLANBR=1010 and brhSTMDTE=20240131"}));
    }
    closeAndWait(w);
}

void TestReconcileBalances::sumsUpToCutOff_data() {
    QTest::addColumn<int>("today");
    QTest::addColumn<QStringList>("lines"); // "date,amount,cleared,status[,account]"
    QTest::addColumn<double>("beginning");  // ledger master of the year shown; NaN: none
    QTest::addColumn<QString>("outstanding");
    QTest::addColumn<QString>("ledger");
    const auto row = [](const char* name, int today, const QStringList& lines, double beginning,
                        const char* outstanding, const char* ledger) {
        QTest::newRow(name) << today << lines << beginning << QString(outstanding)
                            << QString(ledger);
    };
    row("check before the cut-off, deposit on it", 20240315,
        {"20240228,-100,0,", "20240229,500,0,"}, 1200.0, "-100.00", "1100.00");
    row("no lines: outstanding stays 0.00", 20240315, {}, 250.0, "0.00", "250.00");
    row("cleared counts for the ledger only", 20240315,
        {"20240210,-40,20240220,", "20240211,75.5,0,"}, 0.0, "75.50", "35.50");
    row("reconciled counts for neither", 20240315, {"20240110,-40,20240120,R", "20240211,10,0,V"},
        0.0, "10.00", "10.00");
    row("other accounts ignored, no ledger master row", 20240315,
        {"20240110,-40,0,,1020", "20240110,-1,0,"}, qQNaN(), "-1.00", "-1.00");
    row("January: cut-off in December", 20240110, {"20231230,-7,0,", "20231231,-9,0,"}, 0.0,
        "-7.00", "-7.00");
}

void TestReconcileBalances::sumsUpToCutOff() {
    QFETCH(int, today);
    QFETCH(QStringList, lines);
    QFETCH(double, beginning);
    QFETCH(QString, outstanding);
    QFETCH(QString, ledger);
    env.emplace(today).openDatabase();
    int line = 0;
    for (const QString& l : lines) {
        const QStringList p = l.split(',');
        insertLedgerLine({++line, p[0].toInt(), p[1].toDouble(), p.size() > 4 ? p[4].toInt() : 1010,
                          2024, p[3], p[2].toInt()});
    }
    const int yearShown = today / 10000 - (today / 100 % 100 == 1 ? 1 : 0);
    if (!qIsNaN(beginning))
        addLedger(yearShown, beginning);
    addLedger(yearShown + 1, 99999.0); // another year's balance never counts
    QPointer<Window> w = open();
    const QString cutOff = today / 100 % 100 == 1 ? "20231231" : "20240229";
    QCOMPARE(w->cutOffDate(), cutOff.toInt());
    QCOMPARE(box(w, "tbxOUTSTD"), outstanding);
    QCOMPARE(box(w, "tbxEOMBAL"), ledger);
    const QString sum = "Select sum(gltTRNAMT) as sumTRNAMT from LDG_GENERAL_LEDGER_TRANSACTION "
                        "where gltGLANBR=1010 and ";
    const QStringList trace = StatementTrace::statements();
    QVERIFY(trace.contains(sum + "gltRCNDTE=0 and gltTRNDTE<" + cutOff));
    QVERIFY(trace.contains(sum + "gltSTATUS<>'R' and gltTRNDTE<" + cutOff));
    QVERIFY(trace.contains("Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=" +
                           QString::number(yearShown) + " and glmGLANBR=1010"));
    closeAndWait(w);
}

void TestReconcileBalances::bankBalanceCompletes_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<double>("outstandingLine");
    QTest::addColumn<double>("beginning");
    QTest::addColumn<QStringList>("shown"); // bank, adjusted, difference
    const int enter = Qt::Key_Return;
    QTest::newRow("over, with Tab")
        << "1000" << int(Qt::Key_Tab) << 50.0 << 890.0 << QStringList{"1000.00", "950.00", "10.00"};
    QTest::newRow("short") << "900.5" << enter << 50.0 << 890.0
                           << QStringList{"900.50", "850.50", "-89.50"};
    QTest::newRow("small value right-aligned")
        << "5" << enter << 0.0 << 0.0 << QStringList{" 5.00", "5.00", "5.00"};
    QTest::newRow("empty reads as zero") // the first key empties the box
        << "\b" << enter << -10.0 << 0.0 << QStringList{" 0.00", "10.00", "20.00"};
}

void TestReconcileBalances::bankBalanceCompletes() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(double, outstandingLine);
    QFETCH(double, beginning);
    QFETCH(QStringList, shown);
    if (outstandingLine != 0)
        insertLedgerLine({.line = 1, .date = 20240210, .amount = outstandingLine});
    addLedger(2024, beginning);
    QPointer<Window> w = open();
    typeBankBalance(w, typed, Qt::Key(key));
    QCOMPARE(QStringList({box(w, "tbxBNKBAL"), box(w, "tbxADJBAL"), box(w, "tbxOVRSHT")}), shown);
    QTRY_VERIFY(w->findChild<QPushButton*>("tbcOK")->hasFocus());
    QCOMPARE(env->messages, QStringList());
    closeAndWait(w);
}

void TestReconcileBalances::letterInBankBalanceIsRefused() {
    QPointer<Window> w = open();
    typeBankBalance(w, "12a4");
    QCOMPARE(env->messages.size(), 1);
    QVERIFY(env->messages.first().contains("must be a number"));
    QCOMPARE(box(w, "tbxBNKBAL"), QStringLiteral("12a4"));
    QCOMPARE(box(w, "tbxADJBAL"), QStringLiteral("0.00"));
    // OK refuses it too and writes nothing; the window stays for the correction.
    clickOk(w);
    QCOMPARE(env->messages.size(), 2);
    QVERIFY(!w.isNull());
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 0);
    closeAndWait(w);
}

void TestReconcileBalances::okWritesTheMonth_data() {
    QTest::addColumn<QString>("history");
    QTest::addColumn<QString>("typed"); // "" = the bank balance left alone
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("check");
    QTest::newRow("new month inserted")
        << ""
        << "1000.25"
        << "Insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,brhGLANBR,brhDIVCDE,"
           "brhSTMDTE,brhBNKBAL,brhOUTSTD,brhBNKADJ,brhADJBAL,brhEOMBAL,brhOVRSHT,brhRLSDTE) "
           "values(2024,02,1010,'',20240215,1000.25,-100,0,1100.25,1100,0.25,20240315)"
        << "brhMONTH=2 and brhFSYEAR=2024 and brhPSTDTE=0 and brhOVRSHT=0.25";
    // Unchanged values are written back as they were, stamped with today's date.
    QTest::newRow("open month rewritten")
        << kOpenFebruary << ""
        << "Update LDG_BANK_RECONCILIATION_HISTORY set brhSTMDTE=20240229,brhBNKBAL=1000,"
           "brhOUTSTD=12.5,brhBNKADJ=0,brhADJBAL=987.5,brhEOMBAL=990,brhOVRSHT=-2.5,"
           "brhRLSDTE=20240315 where brhGLANBR=1010 and brhFSYEAR=2024 and brhMONTH=2"
        << "brhRLSDTE=20240315 and brhBNKBAL=1000";
}

void TestReconcileBalances::okWritesTheMonth() {
    QFETCH(QString, history);
    QFETCH(QString, typed);
    QFETCH(QString, statement);
    QFETCH(QString, check);
    if (!history.isEmpty())
        addHistory(history);
    insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
    addLedger(2024, 1200.0);
    QPointer<Window> w = open();
    if (!typed.isEmpty())
        typeBankBalance(w, typed);
    if (!history.isEmpty()) { // the first OK fails and the window stays
        sqlExec("PRAGMA query_only=1");
        clickOk(w);
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(env->messages.first().contains("readonly"));
        QVERIFY(!w.isNull() && w->isVisible());
        sqlExec("PRAGMA query_only=0");
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", check), 0);
    }
    StatementTrace::clear();
    clickOk(w);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(StatementTrace::statements(), QStringList{statement});
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 1);
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", check), 1);
}

QTEST_MAIN(TestReconcileBalances)
#include "tst_reconcile_balances.moc"
