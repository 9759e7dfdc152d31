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
    std::unique_ptr<RecordingSurface> printer;
    QPointer<Report> window;

    // The line of the first printed text that starts so: each text at its column.
    QString lineOf(const QString& startsWith) const {
        const RecordingSurface::Text* first = printer->find(startsWith);
        QStringList placed;
        for (const RecordingSurface::Text& t : printer->texts)
            if (first && t.y == first->y)
                placed << t.text + '@' + QString::number(t.column);
        return placed.join('|');
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
        if (!stale) // the old check cleared long ago
            sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=20230901 where "
                    "gltLNENBR=1");
        window = openWindow<Report>();
        window->chkSUMMARY->setChecked(false);
        window->chkACTIVITY->setChecked(false);
        window->chkOUTSTANDING->setChecked(true);
        window->lbxRECONCILIATION->item(0)->setSelected(true);
        window->tbcPRINT->click();
        QCOMPARE(lineOf("** Checks outstanding"),
                 QString(stale ? "** Checks outstanding over 180 days (stale):@35| 1 @79" : ""));
        if (!stale)
            return;
        QCOMPARE(lineOf("Items outstanding on"), QString("Items outstanding on 02/29/24.@35"));
        // The stale check marked, in the Credits column; the deposit's description cut short
        // of the days column, its amount a debit, not marked; a voided check marked.
        QCOMPARE(lineOf("**"), QString("**@1|08/01/23@4| 812 @20|Old Supplier@35|  212@76|Over "
                                       "180@84|      45.00@110"));
        QCOMPARE(lineOf("02/20/24"), QString("02/20/24@4|A deposit whose description runs well "
                                             "pa@35|    9@76|0-30@84|      75.50@95"));
        QVERIFY(lineOf("VOI").startsWith("VOI@1|02/15/24@4| 813 @20"));
        QCOMPARE(lineOf("0-30 days"), QString("0-30 days@40|      35.50@95"));
        QCOMPARE(lineOf("Total of"), QString("Total of the outstanding items:@35|       9.50@110"));
        QVERIFY(printer->find("VOI voided check, NSF deposit returned unpaid: counted until "
                              "cleared."));
        QCOMPARE(printer->documents, 1);
    }
};

QTEST_MAIN(TestOutstandingReport)
#include "tst_outstanding_report.moc"
