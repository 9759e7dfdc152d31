// The about box's System Information button: the tool found on the search path, or a message.

#include "about_box.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

namespace {

// Creates an executable file in folder (made as needed).
void makeTool(const QString& folder, const QString& name,
              const QByteArray& content = "#!/bin/sh\n") {
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void buttonStartsToolOrTells() {
#ifdef Q_OS_WIN
        QSKIP("the search path is not where Windows finds the tool");
#endif
        for (const bool toolExists : {true, false}) {
            TestEnvironment env;
            const QByteArray oldPath = qgetenv("PATH");
            const QString bin = env.path("bin"), marker = env.path("started");
            QDir().mkpath(bin);
            if (toolExists) {
                // A report of the system comes before a monitor, wherever each lies on the path.
                makeTool(env.path("first"), "gnome-system-monitor");
                makeTool(bin, "hardinfo", "#!/bin/sh\n: > '" + marker.toLocal8Bit() + "'\n");
            }
            qputenv("PATH", (env.path("first") + QDir::listSeparator() + bin).toLocal8Bit());
            QPointer<frmABOUT> w = openWindow<frmABOUT>();
            QTest::mouseClick(w->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
            qputenv("PATH", oldPath);
            if (toolExists)
                QTRY_VERIFY(QFile::exists(marker));
            QCOMPARE(env.messages, toolExists ? QStringList()
                                              : QStringList("System Information Is Unavailable At "
                                                            "This Time"));
            QVERIFY(w->isVisible()); // the window stays open either way
            delete w;
        }
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
