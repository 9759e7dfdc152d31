// The reconcile window: the month it shows, the bank balance box, the figures it shows and
// stores alike however the box is left, and the figures following other windows' writes.

#include "context.h"
#include "database.h"
#include "date_picker.h"
#include "ledger.h"
#include "reconcile_balances.h"
#include "test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

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

QString movedLine(Window* w) {
    auto* line = w->findChild<QLabel*>("lblFIGURES_MOVED");
    return line->isVisibleTo(w) ? line->text() : QString();
}
// The five figures as shown, as numbers.
QList<double> shownFigures(Window* w) {
    QList<double> figures;
    for (const char* name : {"tbxBNKBAL", "tbxOUTSTD", "tbxADJBAL", "tbxEOMBAL", "tbxOVRSHT"})
        figures << clerk::text(w, name).trimmed().toDouble();
    return figures;
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

class TestReconcileBalances : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { env.emplace(20240315).openDatabase(); }

    // An open month shows today's figures, and what moved since it was saved (a new month's
    // proposal: tst_ledger and the month's end-to-end test).
    void showsTheOpenMonth() {
        insertHistoryRow(kOpenFebruary);
        insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
        QPointer<Window> w = open();
        QCOMPARE(w->mode(), QString("UPDATE"));
        QCOMPARE(w->findChild<DatePicker*>("dbxSTMDTE")->dateNumber(), 20240229);
        QStringList boxes;
        for (const char* name : {"tbxMONTH", "tbxYEAR", "tbxOUTSTD", "tbxBNKBAL", "tbxADJBAL",
                                 "tbxEOMBAL", "tbxOVRSHT"})
            boxes << clerk::text(w, name);
        QCOMPARE(boxes << movedLine(w),
                 (QStringList{"2", "2024", "-100.00", "1000.00", "1100.00", "-100.00", "1200.00",
                              "Outstanding was 12.50 when this month was saved; it is -100.00 "
                              "now. The ledger balance was 990.00 when this month was saved; it "
                              "is -100.00 now."}));
        closeAndWait(w);
    }

    // However the clerk leaves the bank balance box, the row OK stores holds the five figures
    // the window showed when OK was pressed.
    void storesWhatItShows_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("leave"); // the key that completes the balance; 0: the mouse on OK
        QTest::addColumn<QList<double>>(
            "stored"); // bank, outstanding, adjusted, ledger, difference
        QTest::newRow("no entry") << QString() << 0
                                  << QList<double>{0, -275.5, 275.5, 4724.5, -4449};
        QTest::newRow("Enter") << "4000" << int(Qt::Key_Return)
                               << QList<double>{4000, -275.5, 4275.5, 4724.5, -449};
        QTest::newRow("Tab") << "4000" << int(Qt::Key_Tab)
                             << QList<double>{4000, -275.5, 4275.5, 4724.5, -449};
        QTest::newRow("mouse on OK")
            << "4449" << 0 << QList<double>{4449, -275.5, 4724.5, 4724.5, 0};
    }

    void storesWhatItShows() {
        QFETCH(QString, typed);
        QFETCH(int, leave);
        QFETCH(QList<double>, stored);
        addLedger(2024, 5000);
        insertLedgerLine({.line = 1, .date = 20240210, .amount = -275.5});
        QPointer<Window> w = open();
        if (!typed.isEmpty()) {
            auto* bank = w->findChild<QLineEdit*>("tbxBNKBAL");
            bank->setFocus();
            QTest::keyClicks(bank, typed);
            if (leave)
                QTest::keyClick(bank, Qt::Key(leave));
        }
        auto* ok = w->findChild<QPushButton*>("tbcOK");
        QList<double> shown;
        connect(ok, &QPushButton::clicked, this, [&] { shown = shownFigures(w); });
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(shown, stored);
        QList<double> row;
        for (const char* column : {"brhBNKBAL", "brhOUTSTD", "brhADJBAL", "brhEOMBAL", "brhOVRSHT"})
            row << sqlValue(QStringLiteral("select %1 from LDG_BANK_RECONCILIATION_HISTORY")
                                .arg(QLatin1String(column)))
                       .toDouble();
        QCOMPARE(row, stored);
    }

    // Another window clears a line: the figures follow, the typed balance and statement date stay,
    // and a line says what moved.
    void followsAnotherWindowsWrite() {
        addLedger(2024, 5000);
        insertLedgerLine({.line = 1, .date = 20240210, .amount = -275.5});
        insertLedgerLine({.line = 2, .date = 20240211, .amount = 45.5});
        QPointer<Window> w = open();
        w->findChild<DatePicker*>("dbxSTMDTE")->setDateNumber(20240229);
        typeBankBalance(w, "4000");
        ledger::writeClearedDates(db(), 1020, {{2024, 2, 20240220}}); // another account's write
        QCOMPARE(clerk::text(w, "tbxOUTSTD"), QStringLiteral("-230.00"));
        ledger::writeClearedDates(db(), 1010, {{2024, 2, 20240220}});
        QCOMPARE(shownFigures(w), QList<double>({4000, -275.5, 4275.5, 4770, -494.5}));
        QCOMPARE(w->findChild<DatePicker*>("dbxSTMDTE")->dateNumber(), 20240229);
        QCOMPARE(movedLine(w),
                 QStringLiteral("Outstanding was -230.00 when this window was opened; "
                                "it is -275.50 now."));
        QCOMPARE(env->messages, QStringList());
        closeAndWait(w);
    }

    // Enter completes the balance, right-aligned, and moves on to OK.
    void bankBalanceCompletes_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("outstandingLine");
        QTest::addColumn<QStringList>("shown"); // bank, adjusted, difference
        QTest::newRow("small value") << "5" << 0.0 << QStringList{" 5.00", "5.00", "5.00"};
        QTest::newRow("empty reads as zero") // the first key empties the box
            << "\b" << -10.0 << QStringList{" 0.00", "10.00", "20.00"};
    }

    void bankBalanceCompletes() {
        QFETCH(QString, typed);
        QFETCH(double, outstandingLine);
        QFETCH(QStringList, shown);
        if (outstandingLine != 0)
            insertLedgerLine({.line = 1, .date = 20240210, .amount = outstandingLine});
        addLedger(2024, 0);
        QPointer<Window> w = open();
        typeBankBalance(w, typed);
        QCOMPARE(QStringList({clerk::text(w, "tbxBNKBAL"), clerk::text(w, "tbxADJBAL"),
                              clerk::text(w, "tbxOVRSHT")}),
                 shown);
        QTRY_VERIFY(w->findChild<QPushButton*>("tbcOK")->hasFocus());
        QCOMPARE(env->messages, QStringList());
        closeAndWait(w);
    }

    void textWithoutAnAmountIsRefused() {
        const QString typed = QStringLiteral("12a4");
        QPointer<Window> w = open();
        typeBankBalance(w, typed);
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(env->messages.first().contains("must be a number"));
        QCOMPARE(clerk::text(w, "tbxBNKBAL"), typed);
        QCOMPARE(clerk::text(w, "tbxADJBAL"), QStringLiteral("0.00"));
        // OK refuses it too and writes nothing; the window stays for the correction.
        clerk::clickOk(w);
        QCOMPARE(env->messages.size(), 2);
        QVERIFY(!w.isNull());
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 0);
        closeAndWait(w);
    }

    // The ledger balance cannot be read: the month is not saved as a row of zeros.
    void failedLoadLeavesOkOff() {
        sqlExec("drop table LDG_GENERAL_LEDGER_MASTER");
        QPointer<Window> w = open();
        QCOMPARE(env->messages.size(), 1);
        auto* ok = w->findChild<QPushButton*>("tbcOK");
        QVERIFY(!ok->isEnabled());
        clerk::clickOk(w);
        QVERIFY(!w.isNull());
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 0);
        closeAndWait(w);
    }

    // The typed balance is what OK writes; a refused write keeps the window for another try.
    void okWritesTheTypedBalance() {
        insertHistoryRow(kOpenFebruary);
        insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
        addLedger(2024, 1200.0);
        QPointer<Window> w = open();
        typeBankBalance(w, "1000.25");
        sqlExec("PRAGMA query_only=1");
        clerk::clickOk(w);
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(env->messages.first().contains("readonly"));
        QVERIFY(!w.isNull() && w->isVisible());
        sqlExec("PRAGMA query_only=0");
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY", "brhRLSDTE=20240315"), 0);
        clerk::clickOk(w);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 1);
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY",
                          "brhRLSDTE=20240315 and brhBNKBAL=1000.25 and brhOVRSHT=0.25"),
                 1);
    }
};

QTEST_MAIN(TestReconcileBalances)
#include "tst_reconcile_balances.moc"
