// The adjustments window: the ledger list, the entry handed to the ledger (the lines written,
// all or nothing: tst_ledger), the list, showing and deleting one, and refusals.

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
// date, a month back, falls in 2024 too) and the bank account 1010; one of 2023.
QPointer<Window> openSeeded() {
    insertAccount(6010, "Old Account", 2023);
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

} // namespace

class TestAccountAdjustments : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    // Add hands the entry to the ledger and lists it; refused, for want of a ledger or by the
    // database, the entry stays for another try.
    void addWritesAndListsTheEntry_data() {
        QTest::addColumn<QStringList>("choices"); // starts of the ledger items chosen in turn
        QTest::addColumn<QString>("refusal");     // the message of the first Add
        const QString noLedger = "A reversing ledger number must be selected.";
        QTest::newRow("added") << QStringList{" 4010"} << QString();
        QTest::newRow("reversing line refused") << QStringList{" 5010"} << "disk full";
        QTest::newRow("no ledger chosen") << QStringList{} << noLedger;
        QTest::newRow("account, then separator") << QStringList{" 5010", "-----"} << noLedger;
    }

    void addWritesAndListsTheEntry() {
        QFETCH(QStringList, choices);
        QFETCH(QString, refusal);
        insertLedgerLine({.line = 12, .date = 20240105, .amount = 1});
        QPointer<Window> w = openSeeded();
        auto* date = child<DatePicker>(w, "dbxTRNDTE");
        date->setDateNumber(20241031);
        typeInto(child<QLineEdit>(w, "tbxDESCPT"), "Service charge");
        for (const QString& choice : choices)
            chooseComboItem(child<QComboBox>(w, "cbxLEDGER"), choice);
        typeInto(child<QLineEdit>(w, "tbxTRNAMT"), "12.34567");
        const bool fault = refusal == "disk full";
        if (fault)
            sqlExec("create trigger refuse before insert on LDG_GENERAL_LEDGER_TRANSACTION when "
                    "new.gltTRNTYP='R' begin select raise(abort, 'disk full'); end");
        if (!refusal.isEmpty()) {
            QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);
            QCOMPARE(env->messages.size(), 1);
            QVERIFY2(env->messages.first().contains(refusal), qPrintable(env->messages.first()));
            QCOMPARE(QStringList({clerk::text(w, "tbxDESCPT"), clerk::text(w, "tbxTRNAMT")}),
                     QStringList({"Service charge", "12.34567"}));
            if (!fault) {
                QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION"), 1);
                delete w;
                return;
            }
            sqlExec("drop trigger refuse");
            env->clearMessages();
        }
        QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);
        QCOMPARE(env->messages, QStringList());
        // The entry as typed, the reversing line on the ledger chosen.
        const QString account = choices.last().trimmed();
        QCOMPARE(ledgerValue(13, "gltTRNDTE || ' ' || gltDESCPT").toString(),
                 QString("20241031 Service charge"));
        QCOMPARE(ledgerValue(14, "gltGLANBR").toString(), account);
        const QString time = ledgerValue(13, "gltTRNTME").toString();
        // Back in the entry state, with the new adjustment listed by its reversing line.
        auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
        QCOMPARE(
            QStringList({grid->text(1, 0), grid->text(1, 1), grid->text(1, 4), grid->text(1, 5)}),
            QStringList({"10/31/24", account, "-12.35", time}));
        QCOMPARE(grid->cellColour(1, 5), kGreen);
        QCOMPARE(QStringList({clerk::text(w, "tbxTRNAMT"), clerk::text(w, "tbxDESCPT"),
                              child<QComboBox>(w, "cbxLEDGER")->currentText()}),
                 QStringList({"0.00", "", "* Select General Ledger Account *"}));
        QCOMPARE(date->dateNumber(), 20241015);
        delete w;
    }

    // The year's ledgers but the bank's, grouped; adjustments newest date first, then earlier time,
    // an unknown account without a name. A double click shows one; Delete hands it to the ledger.
    void listShowsAndDeletes() {
        insertAdjustment(10, 20240930, 90000, 5010, 25, "September fee");
        insertAdjustment(20, 20241031, 150000, 4010, -3.5, "Late interest");
        insertAdjustment(30, 20241031, 80000, 7777, 12, "Unknown account");
        for (int i = 0; i < 10; ++i)
            insertAdjustment(100 + 2 * i, 20240101 + i, 100000, 5020, 1, "Filler");
        QPointer<Window> w = openSeeded();
        QVERIFY(StatementTrace::statements().contains(
            "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLANBR<>1010 "
            "order by glmGLANBR"));
        const QString hyphens(90, QLatin1Char('-'));
        auto* combo = child<QComboBox>(w, "cbxLEDGER");
        QStringList items; // each item's text and the account it carries (0 for none)
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i) + "=" + QString::number(combo->itemData(i).toInt());
        QCOMPARE(items,
                 QStringList({" 1020  Petty Cash=1020", hyphens + "=0",
                              " 4010  Interest Income=4010", hyphens + "=0",
                              " 5010  Bank Service Charges=5010", " 5020  Office Supplies=5020"}));
        auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
        QStringList rows;
        for (int r = 1; r <= 3; ++r)
            rows << QStringList({grid->text(r, 2), grid->text(r, 3), grid->text(r, 4)}).join('|');
        QCOMPARE(rows, QStringList({"|Unknown account|-12.00", "Interest Income|Late interest|3.50",
                                    "Bank Service Charges|September fee|-25.00"}));
        QCOMPARE(QList<QColor>({grid->cellColour(1, 0), grid->cellColour(2, 0)}),
                 QList<QColor>({kGreen, kRed}));
        // 13 adjustments in a grid of 11 data rows: it grew so empty rows follow them.
        QCOMPARE(grid->rows(), 16);
        auto* add = child<QPushButton>(w, "tbcADD");
        auto* del = child<QPushButton>(w, "tbcDELETE");
        QVERIFY(add->isEnabled() && !del->isEnabled());
        StatementTrace::clear();
        clickCell(grid, 2, 1, true);
        QVERIFY(StatementTrace::statements().contains(
            "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltJRNCDE='BA' and "
            "gltTRNDTE=20241031 and gltTRNTME=150000 and gltTRNTYP='R'"));
        const auto fields = [w] {
            return QStringList({clerk::text(w, "tbxDESCPT"),
                                child<QComboBox>(w, "cbxLEDGER")->currentText(),
                                clerk::text(w, "tbxTRNAMT")});
        };
        QCOMPARE(fields(), QStringList({"Late interest", "4010 Interest Income", "3.5"}));
        QCOMPARE(child<DatePicker>(w, "dbxTRNDTE")->dateNumber(), 20241031);
        QVERIFY(!add->isEnabled() && del->isEnabled());
        // An empty row only resets the fields.
        grid->scrollTo(grid->model()->index(14, 1));
        clickCell(grid, 15, 1, true);
        QCOMPARE(fields(), QStringList({"", "* Select General Ledger Account *", "0.00"}));
        QVERIFY(add->isEnabled() && !del->isEnabled());
        grid->scrollToTop();
        clickCell(grid, 2, 1, true);
        QTest::mouseClick(del, Qt::LeftButton);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltTRNTME=150000"), 0);
        QCOMPARE(grid->text(2, 3), QString("September fee"));
        QCOMPARE(filledRows(grid, 3), 12);
        QVERIFY(add->isEnabled() && !del->isEnabled());
        QVERIFY(env->messages.isEmpty());
        delete w;
    }
};

QTEST_MAIN(TestAccountAdjustments)
#include "tst_account_adjustments.moc"
