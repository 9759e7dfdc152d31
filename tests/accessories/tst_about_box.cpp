// The about box's System Information button: which tool the registry or the search path
// names, starting it, and the message when there is none.

#include "about_box.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

// Creates a file in folder (made as needed); executable unless told otherwise.
QString makeFile(const QString& folder, const QString& name, bool executable = true,
                 const QByteArray& content = "#!/bin/sh\n") {
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    file.setPermissions(permissions);
    return path;
}

// Restores PATH when the test ends, however it ends.
class PathGuard {
public:
    PathGuard() : m_path(qgetenv("PATH")) {}
    ~PathGuard() { qputenv("PATH", m_path); }

private:
    QByteArray m_path;
};

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reportToolOnSearchPath_data();
    void reportToolOnSearchPath();
    void windowsToolFromRegistry_data();
    void windowsToolFromRegistry();
    void buttonStartsToolOrTells_data();
    void buttonStartsToolOrTells();
    void screenshot();
};

void TestAboutBox::reportToolOnSearchPath_data() {
    QTest::addColumn<QStringList>("files"); // "folder/name", "!" before it: not executable
    QTest::addColumn<QStringList>("path");  // folders of the search path, in order
    QTest::addColumn<QString>("expected");  // "folder/name" or ""

    QTest::newRow("empty search path") << QStringList{"a/hardinfo"} << QStringList{} << "";
    QTest::newRow("no tool") << QStringList{"a/firefox"} << QStringList{"a"} << "";
    QTest::newRow("not executable") << QStringList{"!a/hardinfo"} << QStringList{"a"} << "";
    QTest::newRow("a folder of that name") << QStringList{"a/hardinfo/x"} << QStringList{"a"} << "";
    QTest::newRow("only a monitor") << QStringList{"b/gnome-system-monitor"}
                                    << QStringList{"a", "b"} << "b/gnome-system-monitor";
    QTest::newRow("a report before a monitor, wherever it lies")
        << QStringList{"a/gnome-system-monitor", "b/kinfocenter"} << QStringList{"a", "b"}
        << "b/kinfocenter";
    QTest::newRow("the first folder of the path wins for one tool")
        << QStringList{"a/hardinfo", "b/hardinfo"} << QStringList{"b", "a"} << "b/hardinfo";
    QTest::newRow("missing folders are skipped")
        << QStringList{"b/hardinfo"} << QStringList{"missing", "b"} << "b/hardinfo";
}

void TestAboutBox::reportToolOnSearchPath() {
    QFETCH(QStringList, files);
    QFETCH(QStringList, path);
    QFETCH(QString, expected);
    QTemporaryDir root;
    for (QString file : files) {
        const bool executable = !file.startsWith(u'!');
        if (!executable)
            file.remove(0, 1);
        const int slash = int(file.lastIndexOf(u'/'));
        makeFile(root.filePath(file.left(slash)), file.mid(slash + 1), executable);
    }
    QStringList folders;
    for (const QString& folder : path)
        folders << root.filePath(folder);
    const QString found = systemReportTool(folders.join(QDir::listSeparator()));
    QCOMPARE(found, expected.isEmpty() ? QString() : root.filePath(expected));
}

void TestAboutBox::windowsToolFromRegistry_data() {
    QTest::addColumn<QString>("toolPath");   // the first value; "-" when missing
    QTest::addColumn<QString>("toolFolder"); // the second value; "-" when missing
    QTest::addColumn<bool>("fileInFolder");  // MSINFO32.EXE lies in that folder
    QTest::addColumn<QString>("expected");   // "path", "folder" or ""

    QTest::newRow("own path") << "C:\\Tools\\msinfo32.exe"
                              << "-" << false << "path";
    QTest::newRow("own path before the folder") << "C:\\Tools\\msinfo32.exe"
                                                << "." << true << "path";
    QTest::newRow("folder with the tool") << "-"
                                          << "." << true << "folder";
    QTest::newRow("empty own path, folder with the tool") << ""
                                                          << "." << true << "folder";
    QTest::newRow("folder without the tool") << "-"
                                             << "." << false << "";
    QTest::newRow("neither value") << "-"
                                   << "-" << false << "";
}

void TestAboutBox::windowsToolFromRegistry() {
    QFETCH(QString, toolPath);
    QFETCH(QString, toolFolder);
    QFETCH(bool, fileInFolder);
    QFETCH(QString, expected);
    QTemporaryDir folder;
    if (toolFolder == QLatin1String("."))
        toolFolder = folder.path();
    const QString tool = QDir(folder.path()).filePath(QStringLiteral("MSINFO32.EXE"));
    if (fileInFolder)
        makeFile(folder.path(), QStringLiteral("MSINFO32.EXE"));

    QStringList asked;
    const RegistryReader read = [&](const QString& root, const QString& key, const QString& name,
                                    QString& value) {
        asked << root + u'|' + key + u'|' + name;
        value = key.endsWith(QLatin1String("MSINFO")) ? toolPath : toolFolder;
        if (value == QLatin1String("-"))
            value.clear();
        return !key.endsWith(QLatin1String("MSINFO")) ? toolFolder != QLatin1String("-")
                                                      : toolPath != QLatin1String("-");
    };
    const QString found = systemInformationProgram(read);
    const QString want = expected == QLatin1String("path")     ? toolPath
                         : expected == QLatin1String("folder") ? QDir::toNativeSeparators(tool)
                                                               : QString();
    QCOMPARE(found, want);
    QCOMPARE(asked.value(0),
             QStringLiteral("HKEY_LOCAL_MACHINE|SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH"));
    if (expected != QLatin1String("path"))
        QCOMPARE(asked.value(1), QStringLiteral("HKEY_LOCAL_MACHINE|SOFTWARE\\Microsoft\\Shared "
                                                "Tools Location|MSINFO"));
}

void TestAboutBox::buttonStartsToolOrTells_data() {
    QTest::addColumn<bool>("toolExists");
    QTest::newRow("a report tool on the path") << true;
    QTest::newRow("none") << false;
}

void TestAboutBox::buttonStartsToolOrTells() {
#ifdef Q_OS_WIN
    QSKIP("the search path is not where Windows finds the tool");
#endif
    QFETCH(bool, toolExists);
    TestEnvironment env;
    PathGuard guard;
    const QString bin = env.path(QStringLiteral("bin"));
    const QString marker = env.path(QStringLiteral("started"));
    QDir().mkpath(bin);
    if (toolExists)
        makeFile(bin, QStringLiteral("hardinfo"), true,
                 "#!/bin/sh\n: > '" + marker.toLocal8Bit() + "'\n");
    qputenv("PATH", bin.toLocal8Bit());

    QPointer<frmABOUT> w = new frmABOUT;
    w->load();
    w->show();
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    if (toolExists) {
        QTRY_VERIFY(QFile::exists(marker));
        QCOMPARE(env.messages, QStringList());
    } else {
        QCOMPARE(env.messages, QStringList("System Information Is Unavailable At This Time"));
    }
    QVERIFY(w->isVisible()); // the window stays open either way
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdCLOSE")), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
}

// Saves a picture of the window when BANKREC_SCREENSHOTS names a folder.
void TestAboutBox::screenshot() {
    const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("BANKREC_SCREENSHOTS is not set");
    TestEnvironment env;
    QPointer<frmABOUT> w = new frmABOUT;
    w->load();
    w->show();
    QVERIFY(w->grab().save(QDir(folder).filePath(QStringLiteral("about_box.png"))));
    w->closeWindow();
}

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
