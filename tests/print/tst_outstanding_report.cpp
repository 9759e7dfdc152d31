// The print window's third report, the outstanding items at a month's statement date: where
// each item, its age and the bucket totals print, and the stale mark.

#include "print_engine.h"
#include "reconciliation_report.h"
#include "test_support.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

using namespace mdlPRINTING;
using Report = frmPRINT_BANK_RECONCILIATION_REPORT;

class TestOutstandingReport : public DatabaseTest {
    Q_OBJECT
    void printOutstanding() {
        window = openWindow<Report>();
        QVERIFY(!window->chkOUTSTANDING->isChecked()); // only when the clerk asks for it
        window->chkSUMMARY->setChecked(false);
        window->chkACTIVITY->setChecked(false);
        window->chkOUTSTANDING->setChecked(true);
        window->lbxRECONCILIATION->item(0)->setSelected(true);
        window->tbcPRINT->click();
    }

private Q_SLOTS:
    void init() {
        env.emplace(20240410).openDatabase();
        printer = RecordingSurface::printer();
        Report::setPrinterOverride([this] { return printer.get(); });
        insertHistoryRow({.month = 2, .statement = 20240229, .saved = 20240305});
        // line, date, amount, account, year, status, cleared, check, description
        insertLedgerLine({1, 20230801, -45, 1010, 2024, "", 0, 812, "Old Supplier"});
        insertLedgerLine({2, 20240220, 75.5, 1010, 2024, "", 0, 0,
                          "A deposit whose description runs well past its column"});
        insertLedgerLine({.line = 4, .date = 20240226, .amount = -20, .check = 900});
        // Cleared on the statement date: not outstanding.
        insertLedgerLine({.line = 3, .date = 20240210, .amount = -10, .cleared = 20240229});
        // Voided and not cleared: counted, and marked.
        insertLedgerLine({.line = 5, .date = 20240215, .amount = -20, .status = "V", .check = 813});
    }
    void cleanup() {
        Report::setPrinterOverride({});
        delete window;
        env.reset();
    }

    void printsItemsAgeingAndStaleChecks_data() {
        QTest::addColumn<bool>("stale");
        QTest::newRow("a stale check") << true;
        QTest::newRow("none stale: no stale count") << false;
    }
    void printsItemsAgeingAndStaleChecks() {
        QFETCH(bool, stale);
        if (!stale) {
            sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=20230901 where "
                    "gltLNENBR=1");
            printOutstanding();
            QVERIFY(!printer->find("** Checks outstanding over 180 days (stale):"));
            return;
        }
        printOutstanding();
        const auto at = [this](const QString& text) {
            const RecordingSurface::Text* t = printer->find(text);
            return t ? t->column : -1;
        };
        QCOMPARE(at("BANK RECONCILIATION OUTSTANDING ITEMS"), 30);
        QCOMPARE(at("Items outstanding on 02/29/24."), 35);
        // The stale check: marked, dated, numbered, aged and in the Credits column.
        const RecordingSurface::Text* mark = printer->find("**");
        QVERIFY(mark);
        QCOMPARE(mark->column, 1);
        QCOMPARE(printer->textsOn(mark->y), (QStringList{"**", "08/01/23", " 812 ", "Old Supplier",
                                                         "  212", "Over 180", "      45.00"}));
        QCOMPARE(at("      45.00"), 110);
        // The deposit's description is cut short of the days column; its amount is a debit.
        const int deposit = printer->find("02/20/24")->y;
        QCOMPARE(printer->textsOn(deposit),
                 (QStringList{"02/20/24", "A deposit whose description runs well pa", "    9",
                              "0-30", "      75.50"}));
        QCOMPARE(at("      75.50"), 95);
        // A recent check is not marked.
        QCOMPARE(printer->textsOn(printer->find("02/26/24")->y).first(), QString("02/26/24"));
        QVERIFY(!printer->find("10.00"));
        QCOMPARE(printer->textsOn(printer->find("VOI")->y).mid(0, 3),
                 (QStringList{"VOI", "02/15/24", " 813 "}));
        // The bucket totals, the total and the stale count.
        QCOMPARE(printer->textsOn(printer->find("0-30 days")->y),
                 (QStringList{"0-30 days", "      35.50"}));
        QCOMPARE(printer->textsOn(printer->find("Total of the outstanding items:")->y),
                 (QStringList{"Total of the outstanding items:", "       9.50"}));
        QVERIFY(printer->find("** Checks outstanding over 180 days (stale):"));
        QVERIFY(printer->find("VOI voided check, NSF deposit returned unpaid: counted until "
                              "cleared."));
        QVERIFY(printer->find("End of Report"));
        QCOMPARE(printer->documents, 1);
    }

private:
    std::unique_ptr<RecordingSurface> printer;
    QPointer<Report> window;
};

QTEST_MAIN(TestOutstandingReport)
#include "tst_outstanding_report.moc"
