// The reconcile window: which month it proposes, the sums it computes up to the cut-off,
// the bank balance box, and the history row OK writes.

#include "clock.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "date_picker.h"
#include "demo_database.h"
#include "reconcile_balances.h"
#include "test_support.h"

#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kBank = 1010;
using Window = frmRECONCILE_CHECKING_ACCOUNT_BALANCES;

void addLine(int line, int date, double amount, int cleared = 0, const QString& status = {},
             int account = kBank) {
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                           "gltTRNDTE,gltGLANBR,gltTRNAMT,gltRCNDTE,gltSTATUS) "
                           "values(2024,%1,%2,%3,%4,%5,'%6')")
                .arg(line)
                .arg(date)
                .arg(account)
                .arg(amount)
                .arg(cleared)
                .arg(status));
}

void addLedger(int year, double beginning, int account = kBank) {
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,glmGLANBR,"
                           "glmBOYBAL) values(%1,'*',%2,%3)")
                .arg(year)
                .arg(account)
                .arg(beginning));
}

// "year,month,statement,bank,outstanding,adjusted,ledger,difference,posted"
void addHistory(const QString& values) {
    sqlExec("insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,brhSTMDTE,brhBNKBAL,"
            "brhOUTSTD,brhADJBAL,brhEOMBAL,brhOVRSHT,brhPSTDTE,brhGLANBR,brhRLSDTE) values(" +
            values + ",1010,20000101)");
}

Window* openWindow() {
    shared().wrkBACNBR = kBank;
    auto* w = new Window;
    StatementTrace::clear();
    w->load();
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("window not exposed");
    return w;
}

void closeWindow(QPointer<Window>& w) {
    if (w)
        w->close();
    QTRY_VERIFY(w.isNull());
}

QString box(Window* w, const char* name) {
    return w->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
}

QLineEdit* bankBox(Window* w) {
    return w->findChild<QLineEdit*>("tbxBNKBAL");
}

int statementDate(Window* w) {
    return w->findChild<DatePicker*>("dbxSTMDTE")->dateNumber();
}

// Types the bank balance as the clerk does: focus, keys, then the completing key.
void typeBankBalance(Window* w, const QString& text, Qt::Key key = Qt::Key_Return) {
    QLineEdit* bank = bankBox(w);
    bank->setFocus();
    QTRY_VERIFY(bank->hasFocus());
    QTest::keyClicks(bank, text);
    QTest::keyClick(bank, key);
}

QPushButton* button(Window* w, const char* name) {
    return w->findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class TestReconcileBalances : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void proposesMonth_data();
    void proposesMonth();
    void sumsUpToCutOff_data();
    void sumsUpToCutOff();
    void bankBalanceCompletes_data();
    void bankBalanceCompletes();
    void firstKeyReplacesOldValue();
    void letterInBankBalanceIsRefused();
    void okWritesTheMonth_data();
    void okWritesTheMonth();
    void failedSaveKeepsWindowUsable();
    void reloadsForNewBankAccount();
    void screenshot();
};

void TestReconcileBalances::proposesMonth_data() {
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("statement");
    QTest::addColumn<QString>("outstanding");

    QTest::newRow("no history: last month") << QStringList{} << "ADD"
                                            << "02"
                                            << "2024" << 20240215 << "-100.00";
    QTest::newRow("posted December: January of the next year")
        << QStringList{"2023,12,20231231,5,5,5,5,0,20240105"} << "ADD"
        << "1"
        << "2024" << 20240131 << "-100.00";
    QTest::newRow("posted May 31: June 30")
        << QStringList{"2023,5,20230531,5,5,5,5,0,20230610"} << "ADD"
        << "6"
        << "2023" << 20230630 << "-100.00";
    QTest::newRow("open month shown as stored")
        << QStringList{"2023,12,20231231,5,5,5,5,0,20240105",
                       "2024,1,20240131,1000,12.5,987.5,990,-2.5,0"}
        << "UPDATE"
        << "1"
        << "2024" << 20240131 << "12.50";
}

void TestReconcileBalances::proposesMonth() {
    QFETCH(QStringList, history);
    QFETCH(QString, mode);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(int, statement);
    QFETCH(QString, outstanding);
    TestEnvironment env(20240315);
    env.openDatabase();
    for (const QString& row : history)
        addHistory(row);
    addLine(1, 20240228, -100.0);
    QPointer<Window> w = openWindow();
    QCOMPARE(w->mode(), mode);
    QCOMPARE(box(w, "tbxMONTH"), month);
    QCOMPARE(box(w, "tbxYEAR"), year);
    QCOMPARE(statementDate(w), statement);
    QCOMPARE(box(w, "tbxOUTSTD"), outstanding);
    if (mode == "UPDATE") {
        // Nothing is recomputed for an open month.
        QCOMPARE(box(w, "tbxBNKBAL"), QStringLiteral("1000.00"));
        QCOMPARE(box(w, "tbxADJBAL"), QStringLiteral("987.50"));
        QCOMPARE(box(w, "tbxEOMBAL"), QStringLiteral("990.00"));
        QCOMPARE(box(w, "tbxOVRSHT"), QStringLiteral("-2.50"));
        QCOMPARE(StatementTrace::statements(),
                 QStringList({"Select max(brhSTMDTE) as maxSTMDTE from "
                              "LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010",
                              "Select * from LDG_BANK_RECONCILIATION_HISTORY where "
                              "brhGLANBR=1010 and brhSTMDTE=20240131"}));
    } else {
        QCOMPARE(box(w, "tbxBNKBAL"), QStringLiteral("0.00"));
        QCOMPARE(box(w, "tbxADJBAL"), QStringLiteral("0.00"));
        QCOMPARE(box(w, "tbxOVRSHT"), QStringLiteral("0.00"));
    }
    closeWindow(w);
}

void TestReconcileBalances::sumsUpToCutOff_data() {
    QTest::addColumn<int>("today");
    QTest::addColumn<int>("cutOff");
    QTest::addColumn<QStringList>("lines"); // "date,amount,cleared,status[,account]"
    QTest::addColumn<double>("beginning");  // ledger master of the year shown; NaN: none
    QTest::addColumn<QString>("outstanding");
    QTest::addColumn<QString>("ledger");

    QTest::newRow("check before the cut-off, deposit on it")
        << 20240315 << 20240229 << QStringList{"20240228,-100,0,", "20240229,500,0,"} << 1200.0
        << "-100.00"
        << "1100.00";
    QTest::newRow("no lines: outstanding stays 0.00")
        << 20240315 << 20240229 << QStringList{} << 250.0 << "0.00"
        << "250.00";
    QTest::newRow("cleared counts for the ledger only")
        << 20240315 << 20240229 << QStringList{"20240210,-40,20240220,", "20240211,75.5,0,"} << 0.0
        << "75.50"
        << "35.50";
    QTest::newRow("reconciled counts for neither")
        << 20240315 << 20240229 << QStringList{"20240110,-40,20240120,R", "20240211,10,0,"} << 0.0
        << "10.00"
        << "10.00";
    QTest::newRow("voided check still outstanding")
        << 20240315 << 20240229 << QStringList{"20240110,-40,0,V"} << 0.0 << "-40.00"
        << "-40.00";
    QTest::newRow("other accounts ignored")
        << 20240315 << 20240229 << QStringList{"20240110,-40,0,,1020", "20240110,-1,0,"} << 0.0
        << "-1.00"
        << "-1.00";
    QTest::newRow("no ledger master row: the sum alone")
        << 20240315 << 20240229 << QStringList{"20240110,-40,0,"} << qQNaN() << "-40.00"
        << "-40.00";
    QTest::newRow("March 31: cut-off February 29")
        << 20240331 << 20240229 << QStringList{"20240228,-7,0,"} << 0.0 << "-7.00"
        << "-7.00";
    QTest::newRow("January: cut-off in December")
        << 20240110 << 20231231 << QStringList{"20231230,-7,0,", "20231231,-9,0,"} << 0.0 << "-7.00"
        << "-7.00";
}

void TestReconcileBalances::sumsUpToCutOff() {
    QFETCH(int, today);
    QFETCH(int, cutOff);
    QFETCH(QStringList, lines);
    QFETCH(double, beginning);
    QFETCH(QString, outstanding);
    QFETCH(QString, ledger);
    TestEnvironment env(today);
    env.openDatabase();
    int line = 0;
    for (const QString& l : lines) {
        const QStringList p = l.split(',');
        addLine(++line, p[0].toInt(), p[1].toDouble(), p[2].toInt(), p[3],
                p.size() > 4 ? p[4].toInt() : kBank);
    }
    const int yearShown = today / 10000 - (today / 100 % 100 == 1 ? 1 : 0);
    if (!qIsNaN(beginning))
        addLedger(yearShown, beginning);
    addLedger(yearShown + 1, 99999.0); // another year's balance never counts
    QPointer<Window> w = openWindow();
    QCOMPARE(w->cutOffDate(), cutOff);
    QCOMPARE(box(w, "tbxOUTSTD"), outstanding);
    QCOMPARE(box(w, "tbxEOMBAL"), ledger);
    QVERIFY(StatementTrace::statements().contains(
        "Select sum(gltTRNAMT) as sumTRNAMT from LDG_GENERAL_LEDGER_TRANSACTION where "
        "gltGLANBR=1010 and gltRCNDTE=0 and gltTRNDTE<" +
        QString::number(cutOff)));
    QVERIFY(StatementTrace::statements().contains(
        "Select sum(gltTRNAMT) as sumTRNAMT from LDG_GENERAL_LEDGER_TRANSACTION where "
        "gltGLANBR=1010 and gltSTATUS<>'R' and gltTRNDTE<" +
        QString::number(cutOff)));
    QVERIFY(StatementTrace::statements().contains(
        "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=" + QString::number(yearShown) +
        " and glmGLANBR=1010"));
    closeWindow(w);
}

void TestReconcileBalances::bankBalanceCompletes_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<double>("outstandingLine");
    QTest::addColumn<double>("beginning");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("adjusted");
    QTest::addColumn<QString>("difference");

    QTest::newRow("balanced") << "1000" << int(Qt::Key_Return) << -100.0 << 1200.0 << "1000.00"
                              << "1100.00"
                              << "0.00";
    QTest::newRow("over, with Tab") << "1000" << int(Qt::Key_Tab) << 50.0 << 890.0 << "1000.00"
                                    << "950.00"
                                    << "10.00";
    QTest::newRow("short") << "900.5" << int(Qt::Key_Return) << 50.0 << 890.0 << "900.50"
                           << "850.50"
                           << "-89.50";
    QTest::newRow("small value right-aligned")
        << "5" << int(Qt::Key_Return) << 0.0 << 0.0 << " 5.00"
        << "5.00"
        << "5.00";
    QTest::newRow("empty reads as zero") << "" << int(Qt::Key_Return) << -10.0 << 0.0 << " 0.00"
                                         << "10.00"
                                         << "20.00";
}

void TestReconcileBalances::bankBalanceCompletes() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(double, outstandingLine);
    QFETCH(double, beginning);
    QFETCH(QString, shown);
    QFETCH(QString, adjusted);
    QFETCH(QString, difference);
    TestEnvironment env(20240315);
    env.openDatabase();
    if (outstandingLine != 0)
        addLine(1, 20240210, outstandingLine);
    addLedger(2024, beginning);
    QPointer<Window> w = openWindow();
    QLineEdit* bank = bankBox(w);
    bank->setFocus();
    QTRY_VERIFY(bank->hasFocus());
    if (typed.isEmpty())
        QTest::keyClick(bank, Qt::Key_Backspace); // the first key empties the box
    typeBankBalance(w, typed, Qt::Key(key));
    QCOMPARE(box(w, "tbxBNKBAL"), shown);
    QCOMPARE(box(w, "tbxADJBAL"), adjusted);
    QCOMPARE(box(w, "tbxOVRSHT"), difference);
    QTRY_VERIFY(button(w, "tbcOK")->hasFocus());
    QCOMPARE(env.messages, QStringList());
    closeWindow(w);
}

void TestReconcileBalances::firstKeyReplacesOldValue() {
    TestEnvironment env(20240315);
    env.openDatabase();
    addHistory("2024,2,20240229,1000,12.5,987.5,990,-2.5,0");
    QPointer<Window> w = openWindow();
    QLineEdit* bank = bankBox(w);
    bank->setFocus();
    QTRY_VERIFY(bank->hasFocus());
    bank->setCursorPosition(bank->text().size());
    QTest::keyClicks(bank, "75");
    QCOMPARE(bank->text(), QStringLiteral("75"));
    // Leaving with the mouse instead of Enter or Tab computes nothing.
    QTest::mouseClick(w->findChild<DatePicker*>("dbxSTMDTE"), Qt::LeftButton);
    QTRY_VERIFY(!bank->hasFocus());
    QCOMPARE(box(w, "tbxADJBAL"), QStringLiteral("987.50"));
    QCOMPARE(box(w, "tbxOVRSHT"), QStringLiteral("-2.50"));
    // Coming back, the first key replaces again.
    bank->setFocus();
    QTRY_VERIFY(bank->hasFocus());
    QTest::keyClicks(bank, "8");
    QCOMPARE(bank->text(), QStringLiteral("8"));
    closeWindow(w);
}

void TestReconcileBalances::letterInBankBalanceIsRefused() {
    TestEnvironment env(20240315);
    env.openDatabase();
    QPointer<Window> w = openWindow();
    typeBankBalance(w, "12a4");
    QCOMPARE(env.messages.size(), 1);
    QVERIFY(env.messages.first().contains("must be a number"));
    QCOMPARE(box(w, "tbxBNKBAL"), QStringLiteral("12a4"));
    QCOMPARE(box(w, "tbxADJBAL"), QStringLiteral("0.00"));
    // OK refuses it too and writes nothing; the window stays for the correction.
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(env.messages.size(), 2);
    QVERIFY(!w.isNull());
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 0);
    closeWindow(w);
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
        << "2024,2,20240229,1000,12.5,987.5,990,-2.5,0"
        << ""
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
    TestEnvironment env(20240315);
    env.openDatabase();
    if (!history.isEmpty())
        addHistory(history);
    addLine(1, 20240228, -100.0);
    addLedger(2024, 1200.0);
    QPointer<Window> w = openWindow();
    if (!typed.isEmpty())
        typeBankBalance(w, typed);
    StatementTrace::clear();
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(StatementTrace::statements(), QStringList{statement});
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 1);
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", check), 1);
}

void TestReconcileBalances::failedSaveKeepsWindowUsable() {
    TestEnvironment env(20240315);
    env.openDatabase();
    QPointer<Window> w = openWindow();
    typeBankBalance(w, "10");
    sqlExec("PRAGMA query_only=1");
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(env.messages.size(), 1);
    QVERIFY(env.messages.first().contains("readonly"));
    QVERIFY(!w.isNull() && w->isVisible());
    sqlExec("PRAGMA query_only=0");
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 0);
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", "brhBNKBAL=10"), 1);
}

void TestReconcileBalances::reloadsForNewBankAccount() {
    TestEnvironment env(20240315);
    env.openDatabase();
    addHistory("2024,2,20240229,1000,12.5,987.5,990,-2.5,0");
    addLine(1, 20240201, -30.0, 0, {}, 1020);
    QPointer<Window> w = openWindow();
    QCOMPARE(w->mode(), QStringLiteral("UPDATE"));
    shared().wrkBACNBR = 1020;
    w->activated();
    QCOMPARE(w->bankLoaded(), 1020);
    QCOMPARE(w->mode(), QStringLiteral("ADD"));
    QCOMPARE(box(w, "tbxMONTH"), QStringLiteral("02"));
    QCOMPARE(box(w, "tbxOUTSTD"), QStringLiteral("-30.00"));
    QCOMPARE(box(w, "tbxBNKBAL"), QStringLiteral("0.00"));
    closeWindow(w);
}

// BANKREC_SCREENSHOTS=folder saves the window on the demo database for a look.
void TestReconcileBalances::screenshot() {
    const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("BANKREC_SCREENSHOTS not set");
    TestEnvironment env;
    const QString file = env.path("demo.db");
    buildDemoDatabase(file);
    db().open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + file);
    shared().wrkBACNBR = kDemoBankAccount;
    QPointer<Window> w = openWindow();
    QDir().mkpath(folder);
    QVERIFY(w->grab().save(folder + "/reconcile_balances.png"));
    closeWindow(w);
}

QTEST_MAIN(TestReconcileBalances)
#include "tst_reconcile_balances.moc"
