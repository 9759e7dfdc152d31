#pragma once

#include "child_window.h"
#include "database.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>

class QAction;
class QComboBox;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class ProgramTitleHolder;

// The program's start-up window: a frame holding the child windows, the bank-account
// selector every child window works on, the menus that open the windows, the toolbar that
// starts the suite's other programs, and the custom programs listed in the database.
// Constructing it runs the start-up; when the database cannot be opened the program is
// ended after the message (startupSucceeded() is false, programEnded() true).
class mdiBANK_RECONCILIATION : public QMainWindow {
    Q_OBJECT
public:
    using Factory = ChildWindow::Factory;

    explicit mdiBANK_RECONCILIATION(QWidget* parent = nullptr);
    ~mdiBANK_RECONCILIATION() override;

    bool startupSucceeded() const { return m_started; }

    // Opens the single instance of a child window: creates and loads it when it is not
    // open, then brings it to the front. The hourglass shows while it is created.
    ChildWindow* openChild(const QString& name, const Factory& factory, bool hourglass = true);
    // The open child window of that name, or null.
    ChildWindow* openWindow(const QString& name) const;
    QMdiSubWindow* openFrame(const QString& name) const;
    QMdiArea* mdiArea() const { return m_area; }

    // Toolbar button 1 to 13 (null for the separators 6 and 12) and its program file name.
    QAction* toolbarButton(int index) const;
    static QString toolbarProgram(int index);
    static QString toolbarSubsystem(int index);
    // What a click on toolbar button index does.
    void toolbarClicked(int index);

    // The program file names of the custom items 1 to 5 of each menu.
    QString customMaintenance(int slot) const { return wrkCUSTOM_MAINTENANCE.at(slot - 1); }
    QString customPrinting(int slot) const { return wrkCUSTOM_PRINTING.at(slot - 1); }

    bool backgroundPictureShown() const;

    // The frame's caption before the company, date and version are added.
    static QString designCaption();
    static QString versionText();

    // The window of each menu item that opens one.
    static QStringList childWindowNames();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void runStartup();
    void prcLOAD_BANK_ACCOUNTS();
    void prcLOAD_CUSTOM_PROGRAMS();
    void prcSET_TOOLBAR_ACCESS();
    void prcOPEN_RECORDSET(const QString& selection);
    void setCaption();
    void applyLanguage();
    void bankAccountSelected(int index);
    void openMenuWindow(const QString& menuItem);
    void showHelp();
    void runCustomProgram(bool maintenance, int slot);
    void fitInside(QMdiSubWindow* frame) const;

    QMdiArea* m_area = nullptr;
    QComboBox* cbxBACNBR = nullptr;
    QToolBar* tbrTOOL_BAR = nullptr;
    std::array<QAction*, 14> m_buttons{};
    QHash<QString, QAction*> m_actions;
    ProgramTitleHolder* m_title = nullptr;

    Recordset rsBANKS;
    Recordset rsPROGRAMS;
    std::array<QString, 5> wrkCUSTOM_MAINTENANCE;
    std::array<QString, 5> wrkCUSTOM_PRINTING;
    int m_maintenanceItems = 0;
    int m_printingItems = 0;
    bool m_started = false;
};
