// The adjustments window: the ledger list, the two lines an adjustment writes and their line
// numbers, the list, showing and deleting one, and what a failing database leaves behind.

#include "account_adjustments.h"
#include "context.h"
#include "database.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "test_support.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

using Window = frmAUD_ACCOUNT_ADJUSTMENTS;
const QColor kGreen(192, 255, 192);
const QColor kRed(255, 192, 192);

// The chart of accounts of 2024 (today is 15 November 2024, so the default adjustment
// date, a month back, falls in 2024 too) and the bank account 1010.
QPointer<Window> openSeeded() {
    insertAccount(1010, "Operating Bank", 2024, "CA", "BNK");
    insertAccount(1020, "Petty Cash");
    insertAccount(4010, "Interest Income");
    insertAccount(5010, "Bank Service Charges");
    insertAccount(5020, "Office Supplies");
    shared().wrkFSYEAR = 2024;
    StatementTrace::clear();
    return openWindow<Window>();
}

// An adjustment as an earlier session wrote it: bank line and reversing line.
void insertAdjustment(int line, int date, int time, int account, double typed,
                      const QString& text) {
    insertLedgerLine({line, date, typed, 1010, 2024, "", 0, 0, text, "BA", "A", time});
    insertLedgerLine({line + 1, date, -typed, account, 2024, "", 0, 0, text, "BA", "R", time});
}

void chooseLedger(QWidget* w, const QString& startsWith) {
    chooseComboItem(child<QComboBox>(w, "cbxLEDGER"), startsWith);
}

void type(QWidget* w, const char* name, const QString& text) {
    typeInto(child<QLineEdit>(w, name), text);
}

} // namespace

class TestAccountAdjustments : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    void ledgerListLeavesOutTheBank() {
        insertAccount(6010, "Old Account", 2023); // another year's chart stays out
        shared().wrkLANGUAGE = "S";
        QPointer<Window> w = openSeeded();
        const QString hyphens(90, QLatin1Char('-'));
        auto* combo = child<QComboBox>(w, "cbxLEDGER");
        QStringList items; // each item's text and the account it carries (0 for none)
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i) + "=" + QString::number(combo->itemData(i).toInt());
        QCOMPARE(items,
                 QStringList({" 1020  Petty Cash=1020", hyphens + "=0",
                              " 4010  Interest Income=4010", hyphens + "=0",
                              " 5010  Bank Service Charges=5010", " 5020  Office Supplies=5020"}));
        QCOMPARE(combo->currentText(), QString("* Cuenta selecta del Libro de Contabilidad *"));
        QVERIFY(StatementTrace::statements().contains(
            "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLANBR<>1010 "
            "order by glmGLANBR"));
        delete w;
    }

    void addWritesTwoLinesAndListsThem_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("account");
        QTest::addColumn<QString>("listed"); // the reversing line's amount in the list
        QTest::addColumn<QString>("fault");  // makes the first Add fail and write nothing
        QTest::newRow("shown to the cent") << "12.34567" << 4010 << "-12.35"
                                           << "";
        QTest::newRow("reversing line refused")
            << "25" << 5010 << "-25.00"
            << "create trigger refuse before insert on LDG_GENERAL_LEDGER_TRANSACTION when "
               "new.gltTRNTYP='R' begin select raise(abort, 'disk full'); end";
    }

    void addWritesTwoLinesAndListsThem() {
        QFETCH(QString, typed);
        QFETCH(int, account);
        QFETCH(QString, listed);
        QFETCH(QString, fault);
        insertLedgerLine({.line = 12, .date = 20240105, .amount = 1});
        QPointer<Window> w = openSeeded();
        child<DatePicker>(w, "dbxTRNDTE")->setDateNumber(20241031);
        type(w, "tbxDESCPT", QStringLiteral("Service charge"));
        chooseLedger(w, " " + QString::number(account));
        type(w, "tbxTRNAMT", typed);
        if (!fault.isEmpty()) { // the entry stays for another try
            sqlExec(fault);
            // Dated in last year: the window's year is that of the entry, though it failed.
            child<DatePicker>(w, "dbxTRNDTE")->setDateNumber(20231231);
            QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);
            QCOMPARE(w->fiscalYear(), 2023);
            child<DatePicker>(w, "dbxTRNDTE")->setDateNumber(20241031);
            QCOMPARE(env->messages.size(), 1);
            sqlExec("drop trigger refuse");
            QCOMPARE(clerk::text(w, "tbxDESCPT"), QString("Service charge"));
            env->clearMessages();
        }
        QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);
        QCOMPARE(env->messages, QStringList());
        // The bank line on the year's next number, the reversing line on the ledger chosen (the
        // amounts and line numbers written: tst_ledger).
        const int time = ledgerValue(13, "gltTRNTME").toInt();
        QVERIFY(time > 0);
        QCOMPARE(ledgerValue(13, "gltTRNDTE || ' ' || gltDESCPT").toString(),
                 QString("20241031 Service charge"));
        QCOMPARE(ledgerValue(14, "gltGLANBR").toInt(), account);
        // Back in the entry state, with the new adjustment listed by its reversing line.
        auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
        QCOMPARE(
            QStringList({grid->text(1, 0), grid->text(1, 1), grid->text(1, 4), grid->text(1, 5)}),
            QStringList({"10/31/24", QString::number(account), listed, QString::number(time)}));
        QCOMPARE(grid->cellColour(1, 5), kGreen);
        QCOMPARE(QStringList({clerk::text(w, "tbxTRNAMT"), clerk::text(w, "tbxDESCPT")}),
                 QStringList({"0.00", ""}));
        QCOMPARE(child<QComboBox>(w, "cbxLEDGER")->currentText(),
                 QString("* Select General Ledger Account *"));
        QCOMPARE(child<DatePicker>(w, "dbxTRNDTE")->dateNumber(), 20241015);
        delete w;
    }

    void addWithoutLedgerIsRefused_data() {
        QTest::addColumn<QStringList>("choices"); // starts of the items chosen in turn
        QTest::newRow("nothing chosen") << QStringList{};
        QTest::newRow("account, then separator") << QStringList{" 5010", "-----"};
    }

    void addWithoutLedgerIsRefused() {
        QFETCH(QStringList, choices);
        QPointer<Window> w = openSeeded();
        for (const QString& choice : choices)
            chooseLedger(w, choice);
        type(w, "tbxDESCPT", QStringLiteral("Interest"));
        type(w, "tbxTRNAMT", QStringLiteral("4.10"));
        QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);
        QCOMPARE(env->messages, QStringList{"A reversing ledger number must be selected."});
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION"), 0);
        QCOMPARE(clerk::text(w, "tbxDESCPT"), QString("Interest"));
        QCOMPARE(clerk::text(w, "tbxTRNAMT"), QString("4.10"));
        delete w;
    }

    void listIsNewestFirstAndGrows() {
        // Newest date first, earlier time first within a date; a reversing account missing from
        // the chart shows no name.
        insertAdjustment(10, 20240930, 90000, 5010, 25, "September fee");
        insertAdjustment(20, 20241031, 150000, 4010, -3.5, "Late interest");
        insertAdjustment(30, 20241031, 80000, 7777, 12, "Unknown account");
        for (int i = 0; i < 10; ++i)
            insertAdjustment(100 + 2 * i, 20240101 + i, 100000, 5020, 1, "Filler");
        QPointer<Window> w = openSeeded();
        auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
        const auto rowText = [grid](int r) {
            return QStringList({grid->text(r, 2), grid->text(r, 3), grid->text(r, 4)});
        };
        QCOMPARE(rowText(1), QStringList({"", "Unknown account", "-12.00"}));
        QCOMPARE(rowText(2), QStringList({"Interest Income", "Late interest", "3.50"}));
        QCOMPARE(rowText(3), QStringList({"Bank Service Charges", "September fee", "-25.00"}));
        QCOMPARE(grid->cellColour(2, 0), kRed);
        // 13 adjustments in a grid of 11 data rows: it grew so empty rows follow them.
        QCOMPARE(grid->rows(), 16);
        QCOMPARE(filledRows(grid, 3), 13);
        delete w;
    }

    void doubleClickShowsAndDeleteRemoves() {
        insertAdjustment(50, 20241031, 93015, 5010, 25.5, "Service charge");
        insertAdjustment(52, 20241031, 93016, 4010, -2, "Interest");
        QPointer<Window> w = openSeeded();
        auto* add = child<QPushButton>(w, "tbcADD");
        auto* del = child<QPushButton>(w, "tbcDELETE");
        auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
        QVERIFY(add->isEnabled() && !del->isEnabled());
        StatementTrace::clear();
        clickCell(grid, 1, 1, true);
        QVERIFY(StatementTrace::statements().contains(
            "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltJRNCDE='BA' and "
            "gltTRNDTE=20241031 and gltTRNTME=93015 and gltTRNTYP='R'"));
        QCOMPARE(clerk::text(w, "tbxDESCPT"), QString("Service charge"));
        QCOMPARE(child<QComboBox>(w, "cbxLEDGER")->currentText(),
                 QString("5010 Bank Service Charges"));
        QCOMPARE(clerk::text(w, "tbxTRNAMT"), QString("-25.5"));
        QCOMPARE(child<DatePicker>(w, "dbxTRNDTE")->dateNumber(), 20241031);
        QVERIFY(!add->isEnabled() && del->isEnabled());
        // An empty row only resets the fields.
        clickCell(grid, 5, 1, true);
        QCOMPARE(clerk::text(w, "tbxDESCPT"), QString());
        QCOMPARE(clerk::text(w, "tbxTRNAMT"), QString("0.00"));
        QVERIFY(add->isEnabled() && !del->isEnabled());
        // Delete removes both lines of the shown adjustment and nothing else.
        clickCell(grid, 1, 1, true);
        QTest::mouseClick(del, Qt::LeftButton);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltTRNTME=93015"), 0);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltTRNTME=93016"), 2);
        QCOMPARE(grid->text(1, 3), QString("Interest"));
        QCOMPARE(filledRows(grid, 3), 1);
        QVERIFY(add->isEnabled() && !del->isEnabled());
        QVERIFY(env->messages.isEmpty());
        delete w;
    }
};

QTEST_MAIN(TestAccountAdjustments)
#include "tst_account_adjustments.moc"
