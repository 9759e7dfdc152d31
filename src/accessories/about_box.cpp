#include "about_box.h"

#include "flex_grid.h"
#include "messages.h"
#include "report.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

constexpr int kLeftTwips = 3200;
constexpr int kTopTwips = 500;

const QString kLocalMachine = QStringLiteral("HKEY_LOCAL_MACHINE");

} // namespace

#ifdef Q_OS_WIN
bool GetKeyValue(const QString& root, const QString& keyName, const QString& valueName,
                 QString& value) {
    value.clear();
    HKEY base = root == QLatin1String("HKEY_CURRENT_USER") ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    HKEY key = nullptr;
    if (RegOpenKeyExW(base, reinterpret_cast<LPCWSTR>(keyName.utf16()), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer) - sizeof(wchar_t); // room for a terminating null
    const LONG read = RegQueryValueExW(key, reinterpret_cast<LPCWSTR>(valueName.utf16()), nullptr,
                                       &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        return false;
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, buffer, sizeof number);
        value = QString::number(number);
    } else {
        value = QString::fromWCharArray(buffer, int(size / sizeof(wchar_t)));
        const qsizetype end = value.indexOf(QChar(0));
        if (end >= 0)
            value.truncate(end);
    }
    return true;
}
#else
bool GetKeyValue(const QString&, const QString&, const QString&, QString& value) {
    value.clear();
    return false;
}
#endif

QString systemInformationProgram(const RegistryReader& read) {
    QString value;
    if (read(kLocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
             QStringLiteral("PATH"), value) &&
        !value.isEmpty())
        return value;
    if (read(kLocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
             QStringLiteral("MSINFO"), value) &&
        !value.isEmpty()) {
        const QString program = QDir(value).filePath(QStringLiteral("MSINFO32.EXE"));
        if (QFileInfo(program).isFile())
            return QDir::toNativeSeparators(program);
    }
    return {};
}

QString systemReportTool(const QString& searchPath) {
    // Reports of the hardware and system first; a system monitor when there is none.
    static const char* const tools[] = {"hardinfo2", "hardinfo", "kinfocenter",
                                        "gnome-system-monitor"};
    QStringList folders;
    const QStringList entries = searchPath.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& folder : entries)
        folders << folder;
    if (folders.isEmpty())
        return {};
    for (const char* tool : tools) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(tool), folders);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString frmABOUT::systemInformationTool() {
#ifdef Q_OS_WIN
    return systemInformationProgram(GetKeyValue);
#else
    return systemReportTool(qEnvironmentVariable("PATH"));
#endif
}

frmABOUT::frmABOUT(QWidget* parent) : ChildWindow(QLatin1String(kName), parent) {
    setDesignedPosition(kLeftTwips, kTopTwips);
    grpDETAIL = addControl<QGroupBox>(this, "grpDETAIL");
    picIcon = addControl<QLabel>(grpDETAIL, "picIcon");
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    picIcon->setPixmap(icon.pixmap(32, 32));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = new QLabel(programTitle(), grpDETAIL);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    // The box keeps its designed caption; the running version is in the main window's title.
    lblVersion = new QLabel(QStringLiteral("Version:   2007 "), grpDETAIL);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto* texts = new QVBoxLayout();
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addStretch(1);
    auto* detail = new QHBoxLayout(grpDETAIL);
    detail->addWidget(picIcon);
    detail->addSpacing(12);
    detail->addLayout(texts, 1);

    grpCONTROL = addControlFrame(
        {{cmdSysInfo, "cmdSysInfo", QStringLiteral("&System Information"),
          QStringLiteral("Información Sistema")},
         {cmdCLOSE, "cmdCLOSE", QStringLiteral("Close"), QStringLiteral("Cierre")}});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpDETAIL);
    layout->addWidget(grpCONTROL);
    setMinimumWidth(FlexGrid::twipsToPixels(5400));

    addCaption(this, QStringLiteral("About: ") + programTitle(), QStringLiteral("Acerca de"));
    addCaption(grpDETAIL, QStringLiteral("Detail"), QStringLiteral("Detalle"));

    connect(cmdSysInfo, &QPushButton::clicked, this, &frmABOUT::StartSysInfo);
    connect(cmdCLOSE, &QPushButton::clicked, this, &ChildWindow::closeWindow);
}

void frmABOUT::loadWindow() {}

void frmABOUT::StartSysInfo() {
    const QString program = systemInformationTool();
    if (program.isEmpty() || !QProcess::startDetached(program, {}))
        showMessage(QStringLiteral("System Information Is Unavailable At This Time"));
}
