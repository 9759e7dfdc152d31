#include "common.h"
#include "context.h"
#include "demo_database.h"
#include "print_engine.h"
#include "print_preview.h"
#include "reconciliation_report.h"
#include "settings.h"
#include "test_support.h"

#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>

using namespace mdlPRINTING;
using Report = frmPRINT_BANK_RECONCILIATION_REPORT;

namespace {

const int kLine8 = lineHeight(8);

void addHistory(int account, int year, int month, int posted) {
    sqlExec(QString("insert into LDG_BANK_RECONCILIATION_HISTORY (brhFSYEAR, brhMONTH, brhGLANBR, "
                    "brhSTMDTE, brhBNKBAL, brhOUTSTD, brhADJBAL, brhEOMBAL, brhOVRSHT, brhPSTDTE) "
                    "values (%1, %2, %3, %1%4, 1234.5, -200, 1034.5, 1034.5, 0, %5)")
                .arg(year)
                .arg(month)
                .arg(account)
                .arg(QString::number(month * 100 + 28).rightJustified(4, '0'))
                .arg(posted));
}

void addPosting(int line, const QString& description, int check, double amount, int cleared) {
    sqlExec(QString("insert into LDG_GENERAL_LEDGER_TRANSACTION (gltFSYEAR, gltLNENBR, gltTRNDTE, "
                    "gltGLANBR, gltDESCPT, gltTRNAMT, gltCHKNBR, gltRCNDTE, gltSTATUS) values "
                    "(2024, %1, 202406%2, 1010, '%3', %4, %5, %6, '')")
                .arg(line)
                .arg(line, 2, 10, QChar('0'))
                .arg(description)
                .arg(amount)
                .arg(check)
                .arg(cleared));
}

// Answers the preview each time it comes up prepared; an unprepared one closes by itself.
using Step = std::function<void(frmPRINT_PREVIEW*)>;
void answerPreviews(QList<Step> steps) {
    if (steps.isEmpty())
        return;
    whenModalAppears([steps](QWidget* modal) mutable {
        auto* preview = qobject_cast<frmPRINT_PREVIEW*>(modal);
        if (preview && preview->pbxPREVIEW->isHidden()) {
            answerPreviews(steps);
            return;
        }
        Step step = steps.takeFirst();
        answerPreviews(steps);
        step(preview);
    });
}

QString screenshots() {
    return qEnvironmentVariable("BANKREC_SCREENSHOTS");
}

} // namespace

class TestReconciliationReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>();
        shared().wrkBACNBR = 1010;
        shared().wrkCOMPANY_NAME = QStringLiteral("Tolvane Vending Company");
        Report::setPrinterOverride({});
    }
    void cleanup() {
        Report::setPrinterOverride({});
        delete window;
        env.reset();
    }

    void listOfReconciliations() {
        env->openDatabase();
        addHistory(1010, 2024, 5, 0);
        addHistory(1010, 2023, 12, 20240110);
        addHistory(1010, 2024, 6, 0);
        addHistory(1020, 2024, 7, 0);
        openWindow();
        QCOMPARE(StatementTrace::last(),
                 QString("Select * from LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010 "
                         "order by brhFSYEAR desc, brhMONTH desc"));
        QStringList texts;
        QList<int> data;
        for (int i = 0; i < list()->count(); ++i) {
            texts << list()->item(i)->text();
            data << list()->item(i)->data(Qt::UserRole).toInt();
        }
        QCOMPARE(texts, (QStringList{"Reconciliation for  6 2024", "Reconciliation for  5 2024",
                                     "Reconciliation for  12 2023"}));
        QCOMPARE(data, (QList<int>{202406, 202405, 202312}));

        delete window;
        shared().wrkBACNBR = 1030;
        openWindow();
        QCOMPARE(list()->count(), 0);
    }

    void printOrder_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("activity");
        QTest::addColumn<bool>("summary");
        QTest::addColumn<QStringList>("reports");
        const QString a = "BANK RECONCILIATION ACTIVITY REPORT";
        const QString s = "BANK RECONCILIATION SUMMARY REPORT";
        QTest::newRow("two entries, both reports")
            << QList<int>{0, 1} << true << true
            << QStringList{a + " 6", s + " 6", a + " 5", s + " 5"};
        QTest::newRow("summary only") << QList<int>{1} << false << true << QStringList{s + " 5"};
        QTest::newRow("nothing selected") << QList<int>{} << true << true << QStringList{};
        QTest::newRow("no report checked") << QList<int>{0} << false << false << QStringList{};
    }
    void printOrder() {
        QFETCH(QList<int>, selected);
        QFETCH(bool, activity);
        QFETCH(bool, summary);
        QFETCH(QStringList, reports);
        env->openDatabase();
        addHistory(1010, 2024, 5, 0);
        addHistory(1010, 2024, 6, 0);
        auto printer = RecordingSurface::printer();
        Report::setPrinterOverride([&printer] { return printer.get(); });
        openWindow();
        for (const int row : selected)
            list()->item(row)->setSelected(true);
        window->chkACTIVITY->setChecked(activity);
        window->chkSUMMARY->setChecked(summary);
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
        QTRY_VERIFY(!window); // Print closes the window
    }

    void activityLines_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("check");
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("amountColumn");
        QTest::addColumn<QString>("amountText");
        QTest::addColumn<int>("amountLine"); // lines below the posting's date
        QTest::newRow("zero is a debit") << "Route deposit" << 0 << 0.0 << 95 << "       0.00" << 0;
        QTest::newRow("negative is a credit")
            << "Vendor check" << 1234 << -12.5 << 110 << "      12.50" << 0;
        QTest::newRow("long description pushes the amount down")
            << QString(61, 'D') << 0 << 99.95 << 95 << "      99.95" << 1;
    }
    void activityLines() {
        QFETCH(QString, description);
        QFETCH(int, check);
        QFETCH(double, amount);
        QFETCH(int, amountColumn);
        QFETCH(QString, amountText);
        QFETCH(int, amountLine);
        env->openDatabase();
        addHistory(1010, 2024, 6, 0);
        addPosting(3, description, check, amount, 20240628);
        auto printer = RecordingSurface::printer();
        Report::setPrinterOverride([&printer] { return printer.get(); });
        openWindow();
        list()->item(0)->setSelected(true);
        window->chkSUMMARY->setChecked(false);
        QTest::mouseClick(window->tbcPRINT, Qt::LeftButton);

        const auto* date = printer->find(fncFORMAT_DATE(20240603));
        QVERIFY(date);
        QCOMPARE(date->column, 4);
        const auto* cleared = printer->find("Bank Activity that has cleared.");
        QCOMPARE(cleared->column, 35);
        QCOMPARE(date->y, cleared->y + 2 * kLine8);
        QCOMPARE(printer->find(description)->column, 35);
        const auto* checkText = printer->find(" 1234 ");
        QCOMPARE(checkText != nullptr, check > 0);
        if (checkText)
            QCOMPARE(checkText->column, 20);
        const auto* amountItem = printer->find(amountText);
        QVERIFY(amountItem);
        QCOMPARE(amountItem->column, amountColumn);
        QCOMPARE(amountItem->y, date->y + amountLine * kLine8);
        QVERIFY(printer->find("Bank Activity that has not cleared."));
        QVERIFY(printer->find("End of Report  "));
        const QStringList trace = StatementTrace::statements();
        QVERIFY(trace.contains("Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                               "and gltSTATUS<>'R' and gltRCNDTE>0 order by gltTRNDTE"));
        QVERIFY(trace.contains("Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                               "and gltSTATUS<>'R' and gltRCNDTE=0 order by gltTRNDTE"));
    }

    void summaryLines_data() {
        QTest::addColumn<int>("posted");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<int>("lastColumn");
        QTest::newRow("open") << 0 << "** This account reconciliation has not yet been FINALIZED **"
                              << 12;
        QTest::newRow("finalized") << 20240705 << "This Reconciliation was FINALIZED on " << 7;
    }
    void summaryLines() {
        QFETCH(int, posted);
        QFETCH(QString, lastLine);
        QFETCH(int, lastColumn);
        env->openDatabase();
        addHistory(1010, 2024, 6, posted);
        sqlExec("insert into LDG_GENERAL_LEDGER_MASTER (glmFSYEAR, glmGLANBR, glmGLANME) values "
                "(2024, 1010, 'Operating Account')");
        auto printer = RecordingSurface::printer();
        Report::setPrinterOverride([&printer] { return printer.get(); });
        openWindow();
        list()->item(0)->setSelected(true);
        window->chkACTIVITY->setChecked(false);
        QTest::mouseClick(window->tbcPRINT, Qt::LeftButton);

        const QStringList trace = StatementTrace::statements();
        QVERIFY(trace.contains("Select * from LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010 "
                               "and brhMONTH=6 and brhFSYEAR=2024"));
        QVERIFY(trace.contains(
            "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLANBR=1010"));
        const int line12 = lineHeight(12);
        // The header's rule left the position at its end: the account line goes one line down.
        QCOMPARE(printer->textsOn(1500 + line12),
                 (QStringList{"Reconciliation for Ledger Account Number: ", " 1010 ",
                              "Operating Account"}));
        QCOMPARE(printer->textsOn(2000),
                 (QStringList{"Closing Date as per Bank Statement:", fncFORMAT_DATE(20240628)}));
        QCOMPARE(printer->find(fncFORMAT_DATE(20240628))->column, 69);
        const auto* balance = printer->find("     1234.50");
        QVERIFY(balance);
        QCOMPARE(balance->column, 65);
        QCOMPARE(balance->y, 2000 + 3 * line12);
        QVERIFY(balance->bold);
        QCOMPARE(printer->find("     -200.00")->y, 2000 + 5 * line12);
        QCOMPARE(printer->find(QString(70, '-'))->y, 2000 + 6 * line12);
        const auto* last = printer->find(lastLine);
        QVERIFY(last);
        QCOMPARE(last->column, lastColumn);
        QCOMPARE(last->y, 2000 + 18 * line12);
        if (posted)
            QCOMPARE(printer->textsOn(last->y).last(), fncFORMAT_DATE(posted));
    }

    void cancelledPrintDialogPrintsNothing() {
        env->openDatabase();
        addHistory(1010, 2024, 6, 0);
        auto printer = RecordingSurface::printer();
        Report::setPrinterOverride([&printer] { return printer.get(); });
        openWindow();
        list()->item(0)->setSelected(true);
        window->chkPRINT_DIALOG->setChecked(true);
        QString shown;
        whenModalAppears([&shown](QWidget* dialog) {
            shown = dialog->objectName();
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        });
        QTest::mouseClick(window->tbcPRINT, Qt::LeftButton);
        QCOMPARE(shown, QString("CommonDialog"));
        QVERIFY(printer->texts.isEmpty());
        QVERIFY(window && window->isVisible());
    }

    // The demonstration company's report on paper: a PDF file where there is no printer.
    void demoReportAsPdf() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is installed: Print goes to it, not to a PDF file");
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        openDemo({});
        const QString pdf = env->path("report.pdf");
        qputenv("BANKREC_PDF_OUTPUT", pdf.toLocal8Bit());
        list()->item(0)->setSelected(true);
        QTest::mouseClick(window->tbcPRINT, Qt::LeftButton);
        qunsetenv("BANKREC_PDF_OUTPUT");
        QCOMPARE(env->questions.size(), 1);
        QProcess convert;
        convert.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(convert.waitForFinished(60000));
        const QString text = QString::fromUtf8(convert.readAllStandardOutput());
        if (!screenshots().isEmpty())
            QFile::copy(pdf, QDir(screenshots()).filePath("report.pdf"));
        qsizetype at = 0;
        for (const char* line :
             {"BANK RECONCILIATION ACTIVITY REPORT", "Tolvane Vending Company", "ChkNbr",
              "Bank Activity that has cleared.", "Bank Activity that has not cleared.",
              "End of Report", "BANK RECONCILIATION SUMMARY REPORT",
              "Closing Date as per Bank Statement:",
              "Closing Account Balance as per Bank Statement:",
              "Total Amount of Outstanding Account Items:", "-----",
              "Adjusted Account Balance as per Bank Statement:",
              "Closing Balance as per General Ledger:",
              "Overage/(-)Shortage between Bank Statement & Books:", "FINALIZED",
              "End of Report"}) {
            const qsizetype found = text.indexOf(QString::fromUtf8(line), at);
            QVERIFY2(found >= 0, qPrintable(QString("missing in order: ") + line));
            at = found + qsizetype(strlen(line));
        }
    }

    // A long activity report: paged with Next and Previous, stopped with Close at a page
    // break; the loop then goes on to the summary.
    void largeActivityPagesAndStops() {
        openDemo({2000});
        saveSetting("SMM", "IMGPTH", env->path("pages/"));
        list()->item(0)->setSelected(true);
        QStringList seen;
        const auto note = [&seen](frmPRINT_PREVIEW* p) {
            seen << QString("%1/%2%3")
                        .arg(p->currentPage())
                        .arg(p->pageNumber())
                        .arg(p->multipage() ? "" : " single");
        };
        answerPreviews({
            [&](frmPRINT_PREVIEW* p) {
                note(p);
                if (!screenshots().isEmpty())
                    p->grab().save(QDir(screenshots()).filePath("preview_break.png"));
                QTest::mouseClick(p->tbcNEXT, Qt::LeftButton);
            },
            [&](frmPRINT_PREVIEW* p) {
                note(p);
                QTest::mouseClick(p->tbcPREV, Qt::LeftButton);
                note(p);
                QTest::mouseClick(p->tbcNEXT, Qt::LeftButton);
                note(p);
                QTest::mouseClick(p->tbcCLOSE, Qt::LeftButton);
            },
            [&](frmPRINT_PREVIEW* p) {
                note(p);
                if (!screenshots().isEmpty())
                    p->pbxPREVIEW->image().save(QDir(screenshots()).filePath("summary_page.png"));
                QTest::mouseClick(p->tbcCLOSE, Qt::LeftButton);
            },
        });
        QTest::mouseClick(window->tbcPREVIEW, Qt::LeftButton);
        QCOMPARE(seen, (QStringList{"1/1", "2/2", "1/2", "2/2", "0/0 single"}));
        QVERIFY(!frmPRINT_PREVIEW::exists());
        QVERIFY(QDir(env->path("pages")).entryList(QDir::Files).isEmpty());
        QVERIFY(window && window->isVisible()); // Preview leaves the window open
        QVERIFY(env->messages.isEmpty());
    }

private:
    void openWindow() {
        window = new Report;
        window->load();
        window->show();
    }
    QListWidget* list() { return window->lbxRECONCILIATION; }
    void openDemo(const DemoOptions& options) {
        const QString file = env->path("demo.mdb");
        buildDemoDatabase(file, options);
        db().open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + file);
        shared().wrkDBTYPE = "ACCESS";
        shared().wrkBACNBR = kDemoBankAccount;
        openWindow();
        QVERIFY(list()->count() > 0);
        if (!screenshots().isEmpty())
            window->grab().save(QDir(screenshots()).filePath("report_window.png"));
    }

    std::unique_ptr<TestEnvironment> env;
    QPointer<Report> window;
};

QTEST_MAIN(TestReconciliationReport)
#include "tst_reconciliation_report.moc"
