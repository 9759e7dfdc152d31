#include "command_line.h"
#include "main_window.h"
#include "messages.h"
#include "startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (cli::isCommand(arguments)) {
        // A command's standard error holds its one line of failure; Qt's own notes (a
        // missing runtime folder, a font substituted) would only get in its way.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "bankrec: %s\n", qPrintable(text));
        });
        // A command needs no display: the PDF report draws text with the fonts of the
        // off-screen platform, the other commands need no GUI at all.
        std::unique_ptr<QCoreApplication> app;
        if (cli::needsFonts(arguments)) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        QTextStream out(stdout);
        QTextStream err(stderr);
        return cli::run(arguments, out, err);
    }

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without a display Qt would abort with a long platform-plugin error; say it plainly.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("bankrec: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                   "start it under a virtual display, for example: xvfb-run tools/run.sh\n",
                   stderr);
        return 1;
    }
#endif
    QApplication app(argc, argv);
    installMessageBoxes();

    int result = 1;
    {
        mdiBANK_RECONCILIATION window;
        // A start-up that could not open the database has shown its message and ended the
        // program: there is nothing to run.
        if (!programEnded()) {
            window.show();
            result = app.exec();
        }
    }
    prcCLOSE_DATABASE();
    return result;
}
