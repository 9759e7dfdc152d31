// Pictures of the program's windows on the demo database, for looking at them as the clerk
// sees them.
//
//   QT_QPA_PLATFORM=offscreen bankrec_screenshots OUTPUT_FOLDER [--spanish]
//
// Builds a demo installation in a temporary folder, starts the main window on it and saves
// the main window and every window its menus open as PNG files.

#include "child_window.h"
#include "context.h"
#include "demo_database.h"
#include "import_bank_statement.h"
#include "main_window.h"
#include "messages.h"
#include "settings.h"
#include "startup.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
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
    }
    prcCLOSE_DATABASE();
    return 0;
}
