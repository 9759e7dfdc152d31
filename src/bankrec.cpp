#include "main_window.h"
#include "messages.h"
#include "startup.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
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
