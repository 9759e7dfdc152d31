// Posting a month: the count shown, the keys that post or close, the progress bar, and the
// account handed to the ledger (what posting writes, all or nothing: tst_ledger).

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

// Two bank accounts, each with three cleared lines waiting to be posted and one posted.
void seedTwoAccounts() {
    int line = 0;
    for (int account : {1010, 1020})
        for (int i = 0; i < 4; ++i)
            insertLedgerLine({++line, 20241002, 10, account, 2024, i ? "" : "R", 20241003});
    shared().wrkFSYEAR = 2024;
}

int reconciled(int account) {
    return sqlCount("LDG_GENERAL_LEDGER_TRANSACTION",
                    QStringLiteral("gltSTATUS='R' and gltGLANBR=%1").arg(account));
}

} // namespace

class TestFinalizePost : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    // Nothing to post: the count in the clerk's language; the bar keeps its maximum of 100.
    void countsNothingToPost() {
        shared().wrkLANGUAGE = "S";
        StatementTrace::clear();
        QPointer<Window> w = openWindow<Window>();
        QCOMPARE(child<QLabel>(w, "lblRECORD_COUNT")->text(), QString("Conde de Registros:   0"));
        QCOMPARE(child<QProgressBar>(w, "barPOSTING")->maximum(), 100);
        QCOMPARE(
            StatementTrace::statements(),
            QStringList{"Select count(*) as cntRECORD from LDG_GENERAL_LEDGER_TRANSACTION where "
                        "gltRCNDTE>0 and gltSTATUS<>'R'"});
        QVERIFY(env->messages.isEmpty());
        delete w;
    }

    void okPostsOtherKeysClose_data() {
        QTest::addColumn<int>("key");      // 0 = click OK, -1 = click Cancel
        QTest::addColumn<bool>("refused"); // the first OK is refused, shown, and the window stays
        QTest::newRow("OK") << 0 << false;
        QTest::newRow("cancel") << -1 << false;
        // Cancel holds the focus when the window opens, so Enter closes rather than posts.
        QTest::newRow("enter at once") << int(Qt::Key_Return) << false;
        QTest::newRow("refused") << 0 << true;
    }

    // The account posted is the one selected at OK, not the one the window opened with.
    void okPostsOtherKeysClose() {
        QFETCH(int, key);
        QFETCH(bool, refused);
        seedTwoAccounts();
        QPointer<Window> w = openWindow<Window>(1020);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        // Cleared lines of every account count.
        QCOMPARE(child<QLabel>(w, "lblRECORD_COUNT")->text(), QString("Record Count:   6"));
        auto* cancel = child<QPushButton>(w, "tbcCANCEL");
        QCOMPARE(QApplication::focusWidget(), cancel);
        QSignalSpy bar(child<QProgressBar>(w, "barPOSTING"), &QProgressBar::valueChanged);
        shared().wrkBACNBR = 1010;
        if (refused) {
            sqlExec("create trigger refuse before update on LDG_GENERAL_LEDGER_TRANSACTION begin "
                    "select raise(abort, 'disk full'); end");
            QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);
            QCOMPARE(env->messages.size(), 1);
            QVERIFY(w && w->isVisible());
            sqlExec("drop trigger refuse");
            bar.clear();
        }
        if (key > 0)
            QTest::keyClick(cancel, Qt::Key(key));
        else
            QTest::mouseClick(key == 0 ? child<QPushButton>(w, "tbcOK") : cancel, Qt::LeftButton);
        QTRY_VERIFY(!w);
        QCOMPARE(env->messages.size(), refused ? 1 : 0);
        const bool posts = key == 0;
        QCOMPARE(QList<int>({reconciled(1010), reconciled(1020)}), QList<int>({posts ? 4 : 1, 1}));
        QList<int> values;
        for (const QList<QVariant>& signal : bar)
            values << signal.first().toInt();
        QCOMPARE(values, posts ? QList<int>({3, 6}) : QList<int>()); // half, then all of 6
    }
};

QTEST_MAIN(TestFinalizePost)
#include "tst_finalize_post.moc"
