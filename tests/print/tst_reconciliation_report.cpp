#include "common.h"
#include "demo_database.h"
#include "print_preview.h"
#include "reconciliation_report.h"
#include "settings.h"
#include "test_support.h"

#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

using namespace mdlPRINTING;
using Report = frmPRINT_BANK_RECONCILIATION_REPORT;

static void addHistory(int account, int year, int month, int posted = 0) {
    insertHistoryRow({year, month, year * 10000 + month * 100 + 28, 1234.5, -200.25, 1034.25,
                      1030.75, 3.5, 0, posted, account});
}

class TestReconciliationReport : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env.emplace().openDatabase();
        Report::setPrinterOverride([this] { return printer.get(); });
        printer = RecordingSurface::printer();
    }
    void cleanup() {
        Report::setPrinterOverride({});
        delete window;
        env.reset();
    }

    // The account's months newest first; Print prints the selected ones' reports in the
    // list's order, on the printer and copies the clerk chose in the print dialog, and closes
    // the window; Cancel in the dialog prints nothing and leaves the window for another try.
    void printsSelectedMonthsInOrder_data() {
        QTest::addColumn<int>("dialog"); // 0 none, -1 cancelled, else the copies chosen
        QTest::addColumn<QStringList>("reports");
        const QString a = "BANK RECONCILIATION ACTIVITY REPORT";
        const QString s = "BANK RECONCILIATION SUMMARY REPORT";
        const QStringList both{a + " 6", s + " 6", a + " 5", s + " 5"};
        QTest::newRow("printed") << 0 << both;
        QTest::newRow("three copies chosen in the print dialog") << 3 << both;
        QTest::newRow("print dialog cancelled") << -1 << QStringList{};
    }
    void printsSelectedMonthsInOrder() {
        QFETCH(int, dialog);
        QFETCH(QStringList, reports);
        int copies = 0; // of the printer the report went to
        Report::setChosenPrinterOverride([&](const QPrinter* chosen) {
            copies = chosen ? chosen->copyCount() : 1;
            return printer.get();
        });
        addHistory(1010, 2024, 5);
        addHistory(1010, 2023, 12, 20240110);
        addHistory(1010, 2024, 6);
        addHistory(1020, 2024, 7);
        window = openWindow<Report>();
        QCOMPARE(StatementTrace::last(),
                 QString("Select * from LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010 "
                         "order by brhFSYEAR desc, brhMONTH desc"));
        QStringList entries;
        for (int i = 0; i < list()->count(); ++i)
            entries << list()->item(i)->text() + '=' +
                           list()->item(i)->data(Qt::UserRole).toString();
        QCOMPARE(entries, (QStringList{"Reconciliation for  6 2024=202406",
                                       "Reconciliation for  5 2024=202405",
                                       "Reconciliation for  12 2023=202312"}));
        list()->item(0)->setSelected(true);
        list()->item(1)->setSelected(true);
        window->chkPRINT_DIALOG->setChecked(dialog != 0);
        QString shown;
        if (dialog)
            whenModalAppears([&shown, dialog](QWidget* box) {
                shown = box->objectName();
                if (auto* spin = box->findChild<QSpinBox*>("copies"); spin && dialog > 0)
                    spin->setValue(dialog);
                QMetaObject::invokeMethod(box, dialog > 0 ? "accept" : "reject",
                                          Qt::QueuedConnection);
            });
        QTest::mouseClick(window->tbcPRINT, Qt::LeftButton);
        QStringList printed;
        for (const auto& t : printer->texts) {
            if (t.text.startsWith("BANK RECONCILIATION"))
                printed << t.text;
            else if (t.text.contains("Period"))
                printed.last() += ' ' + t.text.section('/', 0, 0).section(' ', -1);
        }
        QCOMPARE(printed, reports);
        QCOMPARE(printer->documents, reports.size());
        QCOMPARE(shown, QString(dialog ? "CommonDialog" : ""));
        QCOMPARE(copies, dialog < 0 ? 0 : std::max(dialog, 1));
        if (dialog < 0)
            QVERIFY(window && window->isVisible());
        else
            QTRY_VERIFY(!window);
    }

    // Without a printer the clerk is asked once, when there is something to print, and told
    // where the file went; a file that cannot be written leaves the window for another try.
    void printWithoutPrinter_data() {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("summary");
        QTest::addColumn<QString>("message"); // %1 the file
        QTest::newRow("nothing selected") << false << true << "";
        QTest::newRow("no report checked") << true << false << "";
        QTest::newRow("written") << true << true << "The report was saved in the file %1.";
        QTest::newRow("folder cannot be written") // its name is taken by a file
            << true << true
            << "The report could not be written to the file %1. Check that the folder exists and "
               "can be written to.";
    }
    void printWithoutPrinter() {
        QFETCH(bool, selected);
        QFETCH(bool, summary);
        QFETCH(QString, message);
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is installed: Print goes to it, not to a PDF file");
        Report::setPrinterOverride({});
        addHistory(1010, 2024, 6);
        writeFile(env->path("plain file"), {});
        const QString pdf =
            env->path(message.contains("could not") ? "plain file/report.pdf" : "report.pdf");
        qputenv("BANKREC_PDF_OUTPUT", pdf.toLocal8Bit());
        window = openWindow<Report>();
        list()->item(0)->setSelected(selected);
        window->chkACTIVITY->setChecked(false);
        window->chkSUMMARY->setChecked(summary);
        QTest::mouseClick(window->tbcPRINT, Qt::LeftButton);
        qunsetenv("BANKREC_PDF_OUTPUT");
        QCOMPARE(env->questions.size(), int(selected && summary));
        QCOMPARE(env->messages.join(""), message.replace("%1", QDir::toNativeSeparators(pdf)));
        QCOMPARE(QFileInfo(pdf).size() > 0, message.contains("saved"));
        if (message.contains("could not"))
            QVERIFY(window && window->isVisible());
        else
            QTRY_VERIFY(!window);
    }

    // Both reports of one reconciliation with one cleared posting.
    void reportLinesPlaceEachColumn_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("check");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QList<int>>("placed"); // amount column, lines below the date
        QTest::addColumn<int>("posted");
        QTest::newRow("zero is a debit, long description pushes it down, open")
            << QString(61, 'D') << 0 << 0.0 << QList<int>{95, 1} << 0;
        QTest::newRow("negative is a credit, finalized")
            << "Vendor check" << 1234 << -12.5 << QList<int>{110, 0} << 20240705;
    }
    void reportLinesPlaceEachColumn() {
        QFETCH(QString, description);
        QFETCH(int, check);
        QFETCH(double, amount);
        QFETCH(QList<int>, placed);
        QFETCH(int, posted);
        addHistory(1010, 2024, 6, posted);
        insertAccount(1010, "Operating Account");
        insertLedgerLine({3, 20240603, amount, 1010, 2024, "", 20240628, check, description});
        window = openWindow<Report>();
        list()->item(0)->setSelected(true);
        QTest::mouseClick(window->tbcPRINT, Qt::LeftButton);

        const QStringList trace = StatementTrace::statements();
        for (const char* statement :
             {"Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 and "
              "gltSTATUS<>'R' and gltRCNDTE>0 order by gltTRNDTE",
              "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 and "
              "gltSTATUS<>'R' and gltRCNDTE=0 order by gltTRNDTE",
              "Select * from LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010 and "
              "brhMONTH=6 and brhFSYEAR=2024",
              "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLANBR=1010"})
            QVERIFY2(trace.contains(statement), statement);

        // Activity: the posting under its heading, the amount in the debit or credit column.
        const auto* date = printer->find(fncFORMAT_DATE(20240603));
        QCOMPARE(where(fncFORMAT_DATE(20240603)),
                 QString("4,%1").arg(printer->find("Bank Activity that has cleared.")->y +
                                     2 * lineHeight(8)));
        QCOMPARE(where(" 1234 "), check ? QString("20,%1").arg(date->y) : QString());
        QCOMPARE(where(QString::number(qAbs(amount), 'f', 2).rightJustified(11)),
                 QString("%1,%2").arg(placed[0]).arg(date->y + placed[1] * lineHeight(8)));
        QVERIFY(printer->find("Bank Activity that has not cleared.") && printer->find("ChkNbr"));

        // Summary: fixed lines 12 points apart from 2000 twips, below the header.
        const int line12 = lineHeight(12);
        QCOMPARE(printer->textsOn(1500 + line12).mid(0, 3),
                 (QStringList{"Reconciliation for Ledger Account Number: ", " 1010 ",
                              "Operating Account"}));
        QCOMPARE(printer->textsOn(2000),
                 (QStringList{"Closing Date as per Bank Statement:", fncFORMAT_DATE(20240628)}));
        // Each stored figure on its own line after its label: bank, outstanding, adjusted,
        // ledger, over/short.
        const std::tuple<int, const char*, const char*> figures[] = {
            {3, "Closing Account Balance as per Bank Statement:", "     1234.50"},
            {5, "Total Amount of Outstanding Account Items:", "     -200.25"},
            {7, "Adjusted Account Balance as per Bank Statement:", "     1034.25"},
            {10, "Closing Balance as per General Ledger:", "     1030.75"},
            {14, "Overage/(-)Shortage between Bank Statement & Books:", "        3.50"}};
        for (const auto& [line, label, figure] : figures) {
            QCOMPARE(printer->textsOn(2000 + line * line12).first(), QString(label));
            QCOMPARE(where(figure), QString("65,%1").arg(2000 + line * line12));
        }
        const QString last = posted
                                 ? "This Reconciliation was FINALIZED on "
                                 : "** This account reconciliation has not yet been FINALIZED **";
        QCOMPARE(where(last), QString("%1,%2").arg(posted ? 7 : 12).arg(2000 + 18 * line12));
        if (posted)
            QCOMPARE(printer->textsOn(2000 + 18 * line12).last(), fncFORMAT_DATE(posted));
    }

    // A long activity report paged with Next and stopped with Close at a page break; the
    // loop goes on to the summary.
    void largeActivityPagesAndStops() {
        buildDemoDatabase(env->path("demo.mdb"), {2000});
        db().open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + env->path("demo.mdb"));
        window = openWindow<Report>(kDemoBankAccount);
        list()->item(0)->setSelected(true);
        saveSetting("SMM", "IMGPTH", env->path("pages/"));
        QStringList seen;
        const auto note = [&seen](frmPRINT_PREVIEW* p, QAbstractButton* then) {
            seen << QString::number(p->currentPage()) + '/' + QString::number(p->pageNumber()) +
                        (p->multipage() ? "" : " single");
            QTest::mouseClick(then, Qt::LeftButton);
        };
        answerPreviews({
            [&](frmPRINT_PREVIEW* p) { note(p, p->tbcNEXT); },
            [&](frmPRINT_PREVIEW* p) { note(p, p->tbcCLOSE); },
            [&](frmPRINT_PREVIEW* p) { note(p, p->tbcCLOSE); },
        });
        QTest::mouseClick(window->tbcPREVIEW, Qt::LeftButton);
        QCOMPARE(seen, (QStringList{"1/1", "2/2", "0/0 single"}));
        QVERIFY(!frmPRINT_PREVIEW::exists());   // its page files: tst_print_preview
        QVERIFY(window && window->isVisible()); // Preview leaves the window open
    }

private:
    QListWidget* list() { return window->lbxRECONCILIATION; }
    // "column,y" of the first printed text that starts so; "" when none.
    QString where(const QString& text) {
        const auto* found = printer->find(text);
        return found ? QString("%1,%2").arg(found->column).arg(found->y) : QString();
    }

    std::unique_ptr<RecordingSurface> printer;
    QPointer<Report> window;
};

QTEST_MAIN(TestReconciliationReport)
#include "tst_reconciliation_report.moc"
