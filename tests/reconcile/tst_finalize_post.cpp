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

using Window = frmFINALIZE_POST_BANK_RECONCILIATION;

// Two bank accounts, each with three cleared lines waiting to be posted, besides lines that
// posting must leave alone.
void seedTwoAccounts() {
    int line = 0;
    for (int account : {1010, 1020}) {
        const auto add = [&](double amount, int cleared, const char* status = "") {
            insertLedgerLine({++line, 20241002, amount, account, 2024, status, cleared});
        };
        add(100, 20241003);
        add(-40, 20241015, "V");
        add(-7.5, 20241105); // cleared after the statement date
        add(55, 0);          // outstanding
        add(80, 20240905, "R");
    }
    // 1010: September posted, October saved and open, November never saved; 1020: October
    // open.
    insertHistoryRow({.month = 9, .statement = 20240928, .saved = 20241001, .posted = 20241002});
    insertHistoryRow({.month = 10, .statement = 20241028, .saved = 20241110});
    insertHistoryRow({.month = 11, .statement = 20241128});
    insertHistoryRow({.month = 10, .statement = 20241028, .saved = 20241110, .account = 1020});
    shared().wrkFSYEAR = 2024;
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

class TestFinalizePost : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    void countsTheLinesToPost_data() {
        QTest::addColumn<bool>("seeded");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("maximum");
        // Cleared, unreconciled lines of every account count, whatever their status.
        QTest::newRow("spanish") << true << "S"
                                 << "Conde de Registros:   6" << 6;
        QTest::newRow("nothing to post keeps the bar at 100") << false << ""
                                                              << "Record Count:   0" << 100;
    }

    void countsTheLinesToPost() {
        QFETCH(bool, seeded);
        QFETCH(QString, language);
        QFETCH(QString, label);
        QFETCH(int, maximum);
        if (seeded)
            seedTwoAccounts();
        shared().wrkLANGUAGE = language;
        StatementTrace::clear();
        QPointer<Window> w = openWindow<Window>();
        QCOMPARE(child<QLabel>(w, "lblRECORD_COUNT")->text(), label);
        QCOMPARE(child<QProgressBar>(w, "barPOSTING")->maximum(), maximum);
        QCOMPARE(
            StatementTrace::statements(),
            QStringList{"Select count(*) as cntRECORD from LDG_GENERAL_LEDGER_TRANSACTION where "
                        "gltRCNDTE>0 and gltSTATUS<>'R'"});
        QVERIFY(env->messages.isEmpty());
        delete w;
    }

    void okPostsOtherKeysClose_data() {
        QTest::addColumn<int>("openedWith"); // 1010 is selected when the window is closed
        QTest::addColumn<int>("key");        // 0 = click OK, -1 = click Cancel
        QTest::addColumn<QString>("fault");  // makes the first OK fail
        QTest::newRow("account changed after opening") << 1020 << 0 << "";
        QTest::newRow("cancel") << 1010 << -1 << "";
        // Cancel holds the focus when the window opens, so Enter closes rather than posts.
        QTest::newRow("enter at once") << 1010 << int(Qt::Key_Return) << "";
        // The refusal is shown and the window stays for another OK.
        QTest::newRow("history update refused")
            << 1010 << 0
            << "create trigger refuse before update on LDG_BANK_RECONCILIATION_HISTORY begin "
               "select raise(abort, 'disk full'); end";
    }

    void okPostsOtherKeysClose() {
        QFETCH(int, openedWith);
        QFETCH(int, key);
        QFETCH(QString, fault);
        seedTwoAccounts();
        QPointer<Window> w = openWindow<Window>(openedWith);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto* cancel = child<QPushButton>(w, "tbcCANCEL");
        QCOMPARE(QApplication::focusWidget(), cancel);
        QSignalSpy bar(child<QProgressBar>(w, "barPOSTING"), &QProgressBar::valueChanged);
        shared().wrkBACNBR = 1010;
        if (!fault.isEmpty()) { // nothing is written; OK works once the database takes writes
            sqlExec(fault);
            QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);
            QCOMPARE(env->messages.size(), 1);
            sqlExec("drop trigger refuse");
            QVERIFY(w && w->isVisible()); // and nothing was written: tst_ledger
        }
        if (key > 0)
            QTest::keyClick(cancel, Qt::Key(key));
        else
            QTest::mouseClick(key == 0 ? child<QPushButton>(w, "tbcOK") : cancel, Qt::LeftButton);
        QTRY_VERIFY(!w);
        QCOMPARE(env->messages.size(), fault.isEmpty() ? 0 : 1);
        const bool posts = key == 0;
        QCOMPARE(reconciled(1010), posts ? 4 : 1);
        QCOMPARE(postedOn(1010, 10), posts ? 20241115 : 0);
        if (!posts)
            return;
        QList<int> values;
        for (const QList<QVariant>& signal : bar)
            values << signal.first().toInt();
        if (fault.isEmpty())
            QCOMPARE(values, QList<int>({3, 6}));
        // The account posted is the one selected at OK, not the one the window opened with.
        QCOMPARE(reconciled(1020), 1);
    }
};

QTEST_MAIN(TestFinalizePost)
#include "tst_finalize_post.moc"
