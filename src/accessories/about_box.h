#pragma once

#include "child_window.h"

#include <QString>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;

// Reads one registry value (root "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER"): a text value
// as it is, a 4-byte number as its decimal text. False, and value "", when the key or the
// value cannot be read; always false where there is no registry.
bool GetKeyValue(const QString& root, const QString& keyName, const QString& valueName,
                 QString& value);

using RegistryReader = std::function<bool(const QString& root, const QString& keyName,
                                          const QString& valueName, QString& value)>;

// The Windows System Information tool as the registry names it: its own path, else
// MSINFO32.EXE in the shared tools folder when that file exists; "" when neither.
QString systemInformationProgram(const RegistryReader& read);

// Elsewhere, the platform's own system report: the first of the known report tools found
// in the folders of a PATH-style search list; "" when there is none.
QString systemReportTool(const QString& searchPath);

// Names the program and its version, and starts the system information tool.
class frmABOUT : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmABOUT";
    explicit frmABOUT(QWidget* parent = nullptr);

    // What the System Information button starts on this platform; "" when nothing.
    static QString systemInformationTool();

protected:
    void loadWindow() override;

private:
    void StartSysInfo();

    QGroupBox* grpDETAIL;
    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QGroupBox* grpCONTROL;
    QPushButton* cmdSysInfo;
    QPushButton* cmdCLOSE;
};
