// Posting a month: the count shown, which lines and history rows OK touches, the progress
// bar, closing without posting, and what a failing database leaves behind.

#include "context.h"
#include "database.h"
#include "finalize_post.h"
#include "test_support.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

int g_line = 0;

void insertLine(int account, double amount, int cleared, const QString& status = {}) {
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                           "gltJRNCDE,gltTRNDTE,gltGLANBR,gltTRNAMT,gltRCNDTE,gltSTATUS) "
                           "values(2024,%1,'GJ',20241002,%2,%3,%4,'%5')")
                .arg(++g_line)
                .arg(account)
                .arg(amount)
                .arg(cleared)
                .arg(status));
}

void insertHistory(int account, int month, int saved, int posted) {
    sqlExec(QStringLiteral("insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,"
                           "brhGLANBR,brhSTMDTE,brhRLSDTE,brhPSTDTE) values(2024,%1,%2,%3,%4,%5)")
                .arg(month)
                .arg(account)
                .arg(20240000 + month * 100 + 28)
                .arg(saved)
                .arg(posted));
}

// Two bank accounts, each with three cleared lines waiting to be posted, besides lines that
// posting must leave alone.
void seedTwoAccounts() {
    g_line = 0;
    for (int account : {1010, 1020}) {
        insertLine(account, 100, 20241003);
        insertLine(account, -40, 20241015, QStringLiteral("V"));
        insertLine(account, -7.5, 20241105); // cleared after the statement date
        insertLine(account, 55, 0);          // outstanding
        insertLine(account, 80, 20240905, QStringLiteral("R"));
    }
    insertHistory(1010, 9, 20241001, 20241002); // posted last month
    insertHistory(1010, 10, 20241110, 0);       // saved, open
    insertHistory(1020, 10, 20241110, 0);
    shared().wrkBACNBR = 1010;
    shared().wrkFSYEAR = 2024;
}

frmFINALIZE_POST_BANK_RECONCILIATION* openWindow() {
    auto* w = new frmFINALIZE_POST_BANK_RECONCILIATION();
    w->load();
    w->show();
    return w;
}

template <typename T> T* child(QWidget* w, const char* name) {
    T* found = w->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

int reconciled(int account) {
    return sqlCount("LDG_GENERAL_LEDGER_TRANSACTION",
                    QStringLiteral("gltSTATUS='R' and gltGLANBR=%1").arg(account));
}

int postedOn(int account, int month) {
    return sqlValue(QStringLiteral("select brhPSTDTE from LDG_BANK_RECONCILIATION_HISTORY where "
                                   "brhGLANBR=%1 and brhMONTH=%2")
                        .arg(account)
                        .arg(month))
        .toInt();
}

} // namespace

class TestFinalizePost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void countLabel_data();
    void countLabel();
    void post_data();
    void post();
    void closeWithoutPosting_data();
    void closeWithoutPosting();
    void failedPostWritesNothing_data();
    void failedPostWritesNothing();
};

void TestFinalizePost::countLabel_data() {
    QTest::addColumn<bool>("seeded");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("maximum");
    // Cleared, unreconciled lines of every account count, whatever their status.
    QTest::newRow("two accounts") << true << ""
                                  << "Record Count:   6" << 6;
    QTest::newRow("spanish") << true << "S"
                             << "Conde de Registros:   6" << 6;
    QTest::newRow("nothing to post keeps the bar at 100") << false << ""
                                                          << "Record Count:   0" << 100;
}

void TestFinalizePost::countLabel() {
    QFETCH(bool, seeded);
    QFETCH(QString, language);
    QFETCH(QString, label);
    QFETCH(int, maximum);
    TestEnvironment env;
    env.openDatabase();
    if (seeded)
        seedTwoAccounts();
    shared().wrkLANGUAGE = language;
    StatementTrace::clear();
    QPointer<frmFINALIZE_POST_BANK_RECONCILIATION> w = openWindow();
    QCOMPARE(child<QLabel>(w, "lblRECORD_COUNT")->text(), label);
    QCOMPARE(child<QProgressBar>(w, "barPOSTING")->maximum(), maximum);
    QCOMPARE(StatementTrace::statements(),
             QStringList{"Select count(*) as cntRECORD from LDG_GENERAL_LEDGER_TRANSACTION where "
                         "gltRCNDTE>0 and gltSTATUS<>'R'"});
    QVERIFY(env.messages.isEmpty());
    delete w;
}

void TestFinalizePost::post_data() {
    QTest::addColumn<int>("openedWith");
    QTest::addColumn<int>("postedWith"); // the account selected when OK is pressed
    QTest::addColumn<QList<int>>("barValues");
    QTest::newRow("first account") << 1010 << 1010 << QList<int>{3, 6};
    QTest::newRow("account changed after opening") << 1020 << 1010 << QList<int>{3, 6};
}

void TestFinalizePost::post() {
    QFETCH(int, openedWith);
    QFETCH(int, postedWith);
    QFETCH(QList<int>, barValues);
    TestEnvironment env;
    env.openDatabase();
    seedTwoAccounts();
    shared().wrkBACNBR = openedWith;
    QPointer<frmFINALIZE_POST_BANK_RECONCILIATION> w = openWindow();
    QSignalSpy bar(child<QProgressBar>(w, "barPOSTING"), &QProgressBar::valueChanged);
    shared().wrkBACNBR = postedWith;
    StatementTrace::clear();
    QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);

    QVERIFY(env.messages.isEmpty());
    QTRY_VERIFY(!w);
    QList<int> values;
    for (const QList<QVariant>& signal : bar)
        values << signal.first().toInt();
    QCOMPARE(values, barValues);
    QCOMPARE(StatementTrace::statements(),
             (QStringList{"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='R' where "
                          "gltRCNDTE>0 and gltSTATUS<>'R' and gltGLANBR=1010",
                          "Update LDG_BANK_RECONCILIATION_HISTORY set brhPSTDTE=20241115 where "
                          "brhRLSDTE>0 and brhPSTDTE=0 and brhGLANBR=1010"}));
    // The three cleared lines of 1010 (a voided one and one cleared after the statement date
    // among them) join the one reconciled before; 1020 and outstanding lines stay as they were.
    QCOMPARE(reconciled(1010), 4);
    QCOMPARE(reconciled(1020), 1);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE=0 and gltSTATUS='R'"), 0);
    QCOMPARE(postedOn(1010, 9), 20241002);
    QCOMPARE(postedOn(1010, 10), 20241115);
    QCOMPARE(postedOn(1020, 10), 0);

    // Opened again, the window counts only the other account's lines; posting again
    // changes nothing.
    QPointer<frmFINALIZE_POST_BANK_RECONCILIATION> again = openWindow();
    QCOMPARE(child<QLabel>(again, "lblRECORD_COUNT")->text(), QString("Record Count:   3"));
    QTest::mouseClick(child<QPushButton>(again, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(!again);
    QCOMPARE(reconciled(1010), 4);
    QCOMPARE(reconciled(1020), 1);
    QCOMPARE(postedOn(1010, 10), 20241115);
}

void TestFinalizePost::closeWithoutPosting_data() {
    QTest::addColumn<int>("key"); // 0 = click Cancel
    QTest::newRow("cancel") << 0;
    QTest::newRow("F12") << int(Qt::Key_F12);
    // Cancel holds the focus when the window opens, so Enter closes rather than posts.
    QTest::newRow("enter at once") << int(Qt::Key_Return);
}

void TestFinalizePost::closeWithoutPosting() {
    QFETCH(int, key);
    TestEnvironment env;
    env.openDatabase();
    seedTwoAccounts();
    QPointer<frmFINALIZE_POST_BANK_RECONCILIATION> w = openWindow();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>(w, "tbcCANCEL"));
    if (key == 0)
        QTest::mouseClick(child<QPushButton>(w, "tbcCANCEL"), Qt::LeftButton);
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QTRY_VERIFY(!w);
    QCOMPARE(reconciled(1010), 1);
    QCOMPARE(postedOn(1010, 10), 0);
}

void TestFinalizePost::failedPostWritesNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("lift");
    QTest::newRow("database became read-only") << "PRAGMA query_only=1"
                                               << "PRAGMA query_only=0";
    // The lines are reconciled first: a refused history update must take them back.
    QTest::newRow("history update refused")
        << "create trigger refuse before update on LDG_BANK_RECONCILIATION_HISTORY begin "
           "select raise(abort, 'disk full'); end"
        << "drop trigger refuse";
}

void TestFinalizePost::failedPostWritesNothing() {
    QFETCH(QString, fault);
    QFETCH(QString, lift);
    TestEnvironment env;
    env.openDatabase();
    seedTwoAccounts();
    QPointer<frmFINALIZE_POST_BANK_RECONCILIATION> w = openWindow();
    sqlExec(fault);
    QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(env.messages.size(), 1);
    QVERIFY(!env.messages.first().isEmpty());
    sqlExec(lift);
    QCOMPARE(reconciled(1010), 1);
    QCOMPARE(postedOn(1010, 10), 0);

    // The window stayed open and OK works once the database takes writes again.
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(!w);
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(reconciled(1010), 4);
    QCOMPARE(postedOn(1010, 10), 20241115);
}

QTEST_MAIN(TestFinalizePost)
#include "tst_finalize_post.moc"
