// The reconcile window: the month it shows, the bank balance box and its keys, the figures shown
// and stored, following other windows' writes (the month and its arithmetic: tst_ledger).

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

QString movedLine(Window* w) {
    auto* line = w->findChild<QLabel*>("lblFIGURES_MOVED");
    return line->isVisibleTo(w) ? line->text() : QString();
}
// The five figures as shown, as numbers: bank, outstanding, adjusted, ledger, difference.
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
    if (key != Qt::Key_unknown)
        QTest::keyClick(bank, key);
}

} // namespace

class TestReconcileBalances : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { env.emplace(20240315).openDatabase(); }

    // An open month shows its saved date and what moved since; OK rewrites it with the balance
    // typed, and a refused write keeps the window for another try.
    void openMonthIsRewrittenWithTheTypedBalance() {
        insertHistoryRow({2024, 2, 20240229, 1000, 12.5, 987.5, 990, -2.5, 20000101});
        insertLedgerLine({.line = 1, .date = 20240228, .amount = -100.0});
        insertAccount(1010, "Bank", 2024, "CA", "BNK", 1200);
        QPointer<Window> w = openWindow<Window>();
        QCOMPARE(w->findChild<DatePicker*>("dbxSTMDTE")->dateNumber(), 20240229);
        QCOMPARE(QStringList({clerk::text(w, "tbxMONTH"), clerk::text(w, "tbxYEAR")}),
                 QStringList({"2", "2024"}));
        QVERIFY(movedLine(w).startsWith("Outstanding was 12.50 when this month was saved;"));
        typeBankBalance(w, "1000.25");
        sqlExec("PRAGMA query_only=1");
        clerk::clickOk(w);
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(env->messages.first().contains("readonly"));
        QVERIFY(!w.isNull() && w->isVisible());
        sqlExec("PRAGMA query_only=0");
        clerk::clickOk(w);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY",
                          "brhRLSDTE=20240315 and brhBNKBAL=1000.25 and brhOVRSHT=0.25"),
                 1);
    }

    // However the clerk leaves the bank balance box, the row OK stores holds the five figures
    // the window showed when OK was pressed; Enter and Tab move on to OK.
    void storesWhatItShows_data() {
        QTest::addColumn<QString>("typed"); // "\b": the first key empties the box
        QTest::addColumn<int>("leave"); // the key that completes the balance; 0: the mouse on OK
        QTest::addColumn<QList<double>>("stored");
        const QList<double> none{0, -275.5, 275.5, 4724.5, -4449};
        QTest::newRow("no entry") << QString() << 0 << none;
        QTest::newRow("emptied") << "\b" << int(Qt::Key_Return) << none;
        const QList<double> entered{4000, -275.5, 4275.5, 4724.5, -449};
        QTest::newRow("Enter") << "4000" << int(Qt::Key_Return) << entered;
        QTest::newRow("Tab") << "4000" << int(Qt::Key_Tab) << entered;
        QTest::newRow("mouse on OK")
            << "4449" << 0 << QList<double>{4449, -275.5, 4724.5, 4724.5, 0};
    }

    void storesWhatItShows() {
        QFETCH(QString, typed);
        QFETCH(int, leave);
        QFETCH(QList<double>, stored);
        insertAccount(1010, "Bank", 2024, "CA", "BNK", 5000);
        insertLedgerLine({.line = 1, .date = 20240210, .amount = -275.5});
        QPointer<Window> w = openWindow<Window>();
        auto* ok = w->findChild<QPushButton*>("tbcOK");
        w->findChild<DatePicker*>("dbxSTMDTE")->setDateNumber(20241030); // the bank's, not 31st
        if (!typed.isEmpty())
            typeBankBalance(w, typed, leave ? Qt::Key(leave) : Qt::Key_unknown);
        if (leave)
            QTRY_VERIFY(ok->hasFocus());
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
        QCOMPARE(sqlValue("select brhSTMDTE from LDG_BANK_RECONCILIATION_HISTORY"),
                 QVariant(20241030));
        QCOMPARE(env->messages, QStringList());
    }

    // Another window clears a line: the figures follow, the typed balance and statement date stay,
    // and a line says what moved. Another account's write changes nothing here.
    void followsAnotherWindowsWrite() {
        insertAccount(1010, "Bank", 2024, "CA", "BNK", 5000);
        insertLedgerLine({.line = 1, .date = 20240210, .amount = -275.5});
        insertLedgerLine({.line = 2, .date = 20240211, .amount = 45.5});
        QPointer<Window> w = openWindow<Window>();
        w->findChild<DatePicker*>("dbxSTMDTE")->setDateNumber(20240229);
        typeBankBalance(w, "4000");
        ledger::writeClearedDates(db(), 1020, {{2024, 2, 20240220}});
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

    // Refused on leaving the box and again on OK, which writes nothing; the window stays.
    void textWithoutAnAmountIsRefused() {
        QPointer<Window> w = openWindow<Window>();
        typeBankBalance(w, "12a4");
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(env->messages.first().contains("must be a number"));
        QCOMPARE(clerk::text(w, "tbxBNKBAL"), QStringLiteral("12a4"));
        clerk::clickOk(w);
        QCOMPARE(env->messages.size(), 2);
        QVERIFY(!w.isNull());
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 0);
        closeAndWait(w);
    }

    // The ledger balance cannot be read: the month is not saved as a row of zeros.
    void failedLoadLeavesOkOff() {
        sqlExec("drop table LDG_GENERAL_LEDGER_MASTER");
        QPointer<Window> w = openWindow<Window>();
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(!w->findChild<QPushButton*>("tbcOK")->isEnabled());
        closeAndWait(w);
    }
};

QTEST_MAIN(TestReconcileBalances)
#include "tst_reconcile_balances.moc"
