// Pictures of the program's windows on the demo database, for looking at them as the clerk
// sees them.
//
//   QT_QPA_PLATFORM=offscreen bankrec_screenshots OUTPUT_FOLDER [--spanish]
//
// Builds a demo installation in a temporary folder, starts the main window on it and saves
// the main window and every window its menus open as PNG files.

#include "after_month.h"
#include "bank_activity.h"
#include "child_window.h"
#include "context.h"
#include "date_picker.h"
#include "demo_database.h"
#include "import_bank_statement.h"
#include "main_window.h"
#include "messages.h"
#include "outstanding_items.h"
#include "settings.h"
#include "startup.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

namespace {

void save(QWidget* widget, const QString& folder, const QString& name) {
    QTest::qWait(100); // let queued layout and loads settle before the picture
    widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    QTextStream(stdout) << name << ".png\n";
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) {
        QTextStream(stderr) << "usage: bankrec_screenshots OUTPUT_FOLDER [--spanish]\n";
        return 2;
    }
    const QString output = arguments.first();
    QDir().mkpath(output);

    QTemporaryDir root;
    const QString programs = buildDemoInstallation(root.path());
    qputenv("ORLUNDE_SETTINGS",
            QDir(root.path()).filePath(QStringLiteral("ORLUNDE.ini")).toLocal8Bit());
    qputenv("TKV_PROGRAM_FOLDER", programs.toLocal8Bit());
    if (arguments.contains(QStringLiteral("--spanish")))
        saveSetting(QStringLiteral("Startup"), QStringLiteral("LANGUAGE"), QStringLiteral("S"));
    // Messages would block an unattended run: print them instead.
    setMessageHandler([](const QString& text, const QString&) {
        QTextStream(stdout) << "message: " << text << "\n";
    });
    // The clerk's answer to a question (whose statements these are): yes.
    setQuestionHandler([](const QString& text, const QString&) {
        QTextStream(stdout) << "question: " << text << " yes\n";
        return true;
    });
    installMessageBoxes();

    {
        mdiBANK_RECONCILIATION window;
        if (programEnded())
            return 1;
        window.resize(1280, 900);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            QTextStream(stderr) << "the main window was not shown\n";
        save(&window, output, QStringLiteral("mdiBANK_RECONCILIATION"));

        // Every menu item that opens a window inside the frame, then the calculator button.
        const QStringList skipped = {QStringLiteral("ctlEXIT"),
                                     QStringLiteral("ctlCASCADE_WINDOWS"),
                                     QStringLiteral("hlpSUBSYSTEM_OVERVIEW")};
        QList<QAction*> items;
        for (QAction* action : window.findChildren<QAction*>()) {
            const QString name = action->objectName();
            if (name.size() > 3 && !skipped.contains(name) &&
                !name.startsWith(QLatin1String("mnu")) && !name.contains(QLatin1String("CUSTOM")) &&
                action->isEnabled() &&
                QStringList{"ctl", "mtn", "anl", "prt", "hlp"}.contains(name.left(3)))
                items << action;
        }
        auto shoot = [&](const std::function<void()>& open) {
            open();
            QMdiSubWindow* frame = window.mdiArea()->activeSubWindow();
            if (!frame || !frame->widget())
                return;
            save(frame, output, frame->widget()->objectName());
        };
        for (QAction* action : items)
            shoot([action] { action->trigger(); });
        shoot([&window] { window.toolbarClicked(13); });
        // The statement import with the demo's own statement of last month read in.
        window.findChild<QAction*>(QStringLiteral("mtnIMPORT_BANK_STATEMENT"))->trigger();
        if (auto* import = qobject_cast<frmIMPORT_BANK_STATEMENT*>(
                window.openWindow(QStringLiteral("frmIMPORT_BANK_STATEMENT")))) {
            import->loadFile(demoStatementFile(root.path()));
            save(import->frame(), output, QStringLiteral("frmIMPORT_BANK_STATEMENT-statement"));
            // OK hands the statement over; Clear's OK saves its dates and Reconcile follows.
            import->findChild<QPushButton*>(QStringLiteral("tbcOK"))->click();
            if (ChildWindow* clear =
                    window.openWindow(QStringLiteral("frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT")))
                clear->findChild<QPushButton*>(QStringLiteral("tbcOK"))->click();
            if (ChildWindow* reconcile =
                    window.openWindow(QStringLiteral("frmRECONCILE_CHECKING_ACCOUNT_BALANCES")))
                save(reconcile->frame(), output,
                     QStringLiteral("frmRECONCILE_CHECKING_ACCOUNT_BALANCES-followed"));
        }
        // Every window where it opens, then the help viewer over them, with the program's
        // own help texts (this tool's name is not the program's).
        save(&window, output, QStringLiteral("mdiBANK_RECONCILIATION-open"));
        shared().wrkEXENME = QStringLiteral("bankrec");
        QTimer::singleShot(300, &window, [&output] {
            if (QWidget* help = QApplication::activeModalWidget()) {
                save(help, output, help->objectName());
                help->close();
            }
        });
        if (QAction* overview = window.findChild<QAction*>(QStringLiteral("hlpSUBSYSTEM_OVERVIEW")))
            overview->trigger();
        window.mdiArea()->cascadeSubWindows();
        save(&window, output, QStringLiteral("mdiBANK_RECONCILIATION-all"));

        // After the month: the inquiry's Reconciliations with the changes since posting, a
        // month's outstanding items, and the Balances chart.
        for (QMdiSubWindow* frame : window.mdiArea()->subWindowList())
            frame->close();
        window.findChild<QAction*>(QStringLiteral("anlANALYZE_BANK_ACTIVITY_RECONCILIATIONS"))
            ->trigger();
        if (auto* inquiry = qobject_cast<frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS*>(
                window.openWindow(QStringLiteral("frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS")))) {
            inquiry->findChild<DatePicker*>(QStringLiteral("dbxSTRDTE"))->setDateNumber(20000101);
            // A fee entered into the last posted month after it was posted, so the column has
            // something to show (the demo database is a temporary copy).
            const QList<ledger::HistoryRow> posted = ledger::history(db(), shared().wrkBACNBR, 2);
            if (posted.size() == 2)
                db().execute(QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,"
                                            "gltLNENBR,gltTRNDTE,gltGLANBR,gltDESCPT,gltTRNAMT,"
                                            "gltPSTDTE) values(%1,999999,%2,%3,'Late bank fee',"
                                            "-18.75,%4)")
                                 .arg(posted.last().year)
                                 .arg(posted.last().statementDate)
                                 .arg(shared().wrkBACNBR)
                                 .arg(posted.last().postedOn + 5));
            inquiry->findChild<QRadioButton*>(QStringLiteral("optRECONCILIATION"))->click();
            inquiry->frame()->resize(inquiry->frame()->sizeHint());
            save(inquiry->frame(), output, QStringLiteral("Reconciliations-changed"));
            const QList<ledger::HistoryRow> months = ledger::history(db(), shared().wrkBACNBR, 1);
            if (!months.isEmpty()) {
                frmOUTSTANDING_ITEMS items(months.first().statementDate);
                items.load();
                items.show();
                save(&items, output, QStringLiteral("frmOUTSTANDING_ITEMS"));
            }
            inquiry->findChild<QRadioButton*>(QStringLiteral("optBALANCES"))->click();
            inquiry->frame()->resize(inquiry->frame()->sizeHint());
            save(inquiry->frame(), output, QStringLiteral("Balances"));
        }
    }
    prcCLOSE_DATABASE();
    return 0;
}
