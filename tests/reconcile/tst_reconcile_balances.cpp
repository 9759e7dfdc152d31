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

// year, month, statement, bank, outstanding, adjusted, ledger, difference, saved
const HistoryRow kOpenFebruary{2024, 2, 20240229, 1000, 12.5, 987.5, 990, -2.5, 20000101};

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
    void showsTheMonth_data();
    void showsTheMonth();
    void bankBalanceCompletes_data();
    void bankBalanceCompletes();
    void textWithoutAnAmountIsRefused();
    void failedLoadLeavesOkOff();
    void okWritesTheTypedBalance();
};

void TestReconcileBalances::showsTheMonth_data() {
    QTest::addColumn<bool>("isOpen");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("statement");
    // month, year, outstanding, bank, adjusted, ledger, difference
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("new month proposed")
        << false << "ADD" << 20240215
        << QStringList{"02", "2024", "-100.00", "0.00", "0.00", "-100.00", "0.00"};
    QTest::newRow("open month shown as stored")
        << true << "UPDATE" << 20240229
        << QStringList{"2", "2024", "12.50", "1000.00", "987.50", "990.00", "-2.50"};
}

void TestReconcileBalances::showsTheMonth() {
    QFETCH(bool, isOpen);
    QFETCH(QString, mode);
    QFETCH(int, statement);
    QFETCH(QStringList, shown);
    if (isOpen)
        insertHistoryRow(kOpenFebruary);
    insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
    QPointer<Window> w = open();
    QCOMPARE(w->mode(), mode);
    QCOMPARE(w->findChild<DatePicker*>("dbxSTMDTE")->dateNumber(), statement);
    QStringList boxes;
    for (const char* name :
         {"tbxMONTH", "tbxYEAR", "tbxOUTSTD", "tbxBNKBAL", "tbxADJBAL", "tbxEOMBAL", "tbxOVRSHT"})
        boxes << box(w, name);
    QCOMPARE(boxes, shown);
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
    QTest::newRow("small value right-aligned")
        << "5" << enter << 0.0 << 0.0 << QStringList{" 5.00", "5.00", "5.00"};
    QTest::newRow("empty reads as zero") // the first key empties the box
        << "\b" << enter << -10.0 << 0.0 << QStringList{" 0.00", "10.00", "20.00"};
    // Money as the clerk writes it (the amount reader's own tests have the other forms).
    QTest::newRow("dollar sign") << "$1,234.56" << enter << 34.56 << 1000.0
                                 << QStringList{"1234.56", "1200.00", "165.44"};
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

void TestReconcileBalances::textWithoutAnAmountIsRefused() {
    const QString typed = QStringLiteral("12a4");
    QPointer<Window> w = open();
    typeBankBalance(w, typed);
    QCOMPARE(env->messages.size(), 1);
    QVERIFY(env->messages.first().contains("must be a number"));
    QCOMPARE(box(w, "tbxBNKBAL"), typed);
    QCOMPARE(box(w, "tbxADJBAL"), QStringLiteral("0.00"));
    // OK refuses it too and writes nothing; the window stays for the correction.
    clickOk(w);
    QCOMPARE(env->messages.size(), 2);
    QVERIFY(!w.isNull());
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 0);
    closeAndWait(w);
}

// The ledger balance cannot be read: the month is not saved as a row of zeros.
void TestReconcileBalances::failedLoadLeavesOkOff() {
    sqlExec("drop table LDG_GENERAL_LEDGER_MASTER");
    QPointer<Window> w = open();
    QCOMPARE(env->messages.size(), 1);
    auto* ok = w->findChild<QPushButton*>("tbcOK");
    QVERIFY(!ok->isEnabled());
    clickOk(w);
    QVERIFY(!w.isNull());
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 0);
    closeAndWait(w);
}

// The typed balance is what OK writes; a refused write keeps the window for another try.
void TestReconcileBalances::okWritesTheTypedBalance() {
    insertHistoryRow(kOpenFebruary);
    insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
    addLedger(2024, 1200.0);
    QPointer<Window> w = open();
    typeBankBalance(w, "1000.25");
    sqlExec("PRAGMA query_only=1");
    clickOk(w);
    QCOMPARE(env->messages.size(), 1);
    QVERIFY(env->messages.first().contains("readonly"));
    QVERIFY(!w.isNull() && w->isVisible());
    sqlExec("PRAGMA query_only=0");
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", "brhRLSDTE=20240315"), 0);
    StatementTrace::clear();
    clickOk(w);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(StatementTrace::statements(),
             QStringList{"Update LDG_BANK_RECONCILIATION_HISTORY set brhSTMDTE=20240229,"
                         "brhBNKBAL=1000.25,brhOUTSTD=12.5,brhBNKADJ=0,brhADJBAL=987.75,"
                         "brhEOMBAL=990,brhOVRSHT=-2.25,brhRLSDTE=20240315 where brhGLANBR=1010 "
                         "and brhFSYEAR=2024 and brhMONTH=2"});
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 1);
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", "brhRLSDTE=20240315 and brhOVRSHT=-2.25"),
             1);
}

QTEST_MAIN(TestReconcileBalances)
#include "tst_reconcile_balances.moc"
