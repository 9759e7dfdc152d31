// The main window on a real database: start-up, the bank-account selector, rights, custom
// programs, the toolbar, child windows, and the end of the program.

#include "child_window.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "demo_database.h"
#include "main_window.h"
#include "program_launcher.h"
#include "report.h"
#include "settings.h"
#include "test_support.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kStartup = u"Startup"_s;
const QList<int> kButtons = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11}; // those that start programs

// A window of the kind the menus open, recording the account of each load.
class CountingWindow : public ChildWindow {
public:
    CountingWindow(const QString& name, bool bound) : ChildWindow(name) {
        (new QVBoxLayout(this))->addWidget(tbxTEXT);
        setBankBound(bound);
    }
    QLineEdit* tbxTEXT = new QLineEdit(this);
    QList<int> banksLoaded;

protected:
    void loadWindow() override { banksLoaded << shared().wrkBACNBR; }
};

CountingWindow* openCounting(mdiBANK_RECONCILIATION& window, const QString& name,
                             bool bound = false) {
    return static_cast<CountingWindow*>(
        window.openChild(name, [name, bound] { return new CountingWindow(name, bound); }));
}

// The Access settings of this installation pointing at the test database.
void defineDatabase(const QString& file) {
    const QString folder = fncPROGRAM_FOLDER();
    saveSetting(kStartup, u"VERNBR"_s, u"0"_s);
    saveSetting(kStartup, u"TKVDTA-"_s + folder, file);
    saveSetting(kStartup, u"TKWDTA-"_s + folder, u"route.mdb"_s);
}

void addUser(const QString& user, const QString& level, const QStringList& subsystems) {
    sqlExec(u"Insert into SYS_USER_MASTER(usmUSRSGN,usmUSRNME,usmSECLVL)values("
            "'%1','%1','%2')"_s.arg(user, level));
    for (const QString& code : subsystems)
        sqlExec(
            u"Insert into SYS_USER_DETAIL(usdUSRSGN,usdSYSCDE)values('%1','%2')"_s.arg(user, code));
}

void addProgram(const QString& type, const QString& menu, const QString& file,
                const QString& subsystem = u"ABR"_s) {
    sqlExec(u"Insert into SYS_CUSTOM_PROGRAM_MASTER(cpmSUBSYS,cpmPGMTYP,cpmPGMMNU,"
            "cpmPGMNME)values('%4','%1','%2','%3')"_s.arg(type, menu, file, subsystem));
}

void addBank(int account, const QString& name = u"Operating Account"_s) {
    insertAccount(account, name, 2024, u"CA"_s, u"BNK"_s);
}

QAction* action(const QWidget& window, const QString& name) {
    return window.findChild<QAction*>(name);
}

QComboBox* selector(const QWidget& window) {
    return window.findChild<QComboBox*>(u"cbxBACNBR"_s);
}

} // namespace

class TestMainWindow : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    void init() {
        env.emplace().openDatabase();
        defineDatabase(env->databaseFile());
        m_started.clear();
        setProgramStarter([this](const QString& path) {
            m_started << path;
            return true;
        });
    }

    void cleanup() {
        setProgramStarter({});
        env.reset();
    }

    // The start-up reads the company, the year, the clerk's toolbar, this subsystem's custom
    // programs, its own access and then the bank accounts, and names the company in the title.
    // In demo mode it opens the demo database and skips the rights and the version record.
    void startupReadsInOrder_data() {
        QTest::addColumn<bool>("demo");
        QTest::newRow("installed") << false;
        QTest::newRow("demo") << true;
    }
    void startupReadsInOrder() {
        QFETCH(bool, demo);
        addBank(1010);
        addUser(u"CLERK"_s, u"A"_s, {u"ABR"_s});
        saveSetting(kStartup, u"ABRVER"_s, u"old"_s);
        if (demo) {
            buildDemoDatabase(env->path(u"Database/TolvaneDemo.mdb"_s));
            saveSetting(kStartup, u"DEMO"_s, u"True"_s);
        }
        StatementTrace::clear();
        mdiBANK_RECONCILIATION window;
        QVERIFY(window.startupSucceeded());
        const QStringList order{
            u"Select * from SYS_ENTERPRISE_MASTER where ddmDIVCDE='*' and ddmDPTCDE=''"_s,
            u"Select max(glmFSYEAR) as maxFSYEAR from LDG_GENERAL_LEDGER_MASTER where "
            "glmDIVCDE='*'"_s,
            u"Select * from SYS_CUSTOM_PROGRAM_MASTER where cpmSUBSYS='ABR' order by cpmPGMTYP"_s,
            u"Select * from SYS_USER_MASTER where usmUSRSGN='CLERK' and usmSECLVL in "
            "('S','M','A')"_s,
            u"Select count(*) as hldRECCNT from SYS_USER_DETAIL where usdUSRSGN='CLERK' and "
            "usdSYSCDE='ABR'"_s,
            u"Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLATYP='BNK' "
            "order by glmGLANBR"_s};
        // Each statement where it last runs: the rights of every menu are read first, the
        // program's own access check again after the custom programs.
        QStringList read;
        for (const QString& statement : StatementTrace::statements())
            if (order.contains(statement)) {
                read.removeAll(statement);
                read << statement;
            }
        const QStringList expected =
            demo ? QStringList{order.at(0), order.at(1), order.at(5)} : order;
        QCOMPARE(read, expected);
        if (demo)
            QCOMPARE(shared().wrkDATABASE, env->path(u"Database/TolvaneDemo.mdb"_s));
        QCOMPARE(getSetting(kStartup, u"ABRVER"_s),
                 demo ? u"old"_s : mdiBANK_RECONCILIATION::versionText());
        if (!demo)
            QVERIFY(window.windowTitle().startsWith(u"Bank Reconciliation Subsystem   "_s +
                                                    shared().wrkCOMPANY_NAME + u"   "_s));
    }

    // Only the bank accounts of the current year, in number order; the remembered account is
    // the one the windows get, unless there is only one account to take.
    void bankSelectorTakesTheRememberedAccount_data() {
        QTest::addColumn<int>("accounts");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<int>("account");
        QTest::addColumn<int>("shownIndex");
        QTest::newRow("none, remembered") << 0 << "1020" << 1020 << -1;
        QTest::newRow("one, another remembered") << 1 << "1020" << 1010 << 0;
        QTest::newRow("two, remembered") << 2 << "1020" << 1020 << -1;
        QTest::newRow("two, nothing remembered") << 2 << "" << 0 << -1;
        QTest::newRow("two, remembered beyond an account number") << 2 << "70000" << 0 << -1;
    }

    void bankSelectorTakesTheRememberedAccount() {
        QFETCH(int, accounts);
        QFETCH(QString, remembered);
        QFETCH(int, account);
        QFETCH(int, shownIndex);
        insertAccount(1000, u"Petty Cash"_s, 2024, u"CA"_s, u"CSH"_s);
        insertAccount(1005, u"Closed Bank"_s, 2023, u"CA"_s, u"BNK"_s);
        if (accounts >= 2)
            addBank(1020, u"Payroll Account"_s);
        if (accounts >= 1)
            addBank(1010);
        saveSetting(kStartup, u"BANK-RECONCILIATION"_s, remembered);

        mdiBANK_RECONCILIATION window;
        QCOMPARE(selector(window)->count(), accounts);
        QCOMPARE(shared().wrkBACNBR, account);
        QCOMPARE(selector(window)->currentIndex(), shownIndex);
        if (accounts == 2)
            QCOMPARE(selector(window)->itemText(1), u" 1020 Payroll Account"_s);
    }

    void rightsEnableMenusAndButtons_data() {
        QTest::addColumn<QString>("level"); // "none": no user at all; "": the clerk is none
        QTest::addColumn<QStringList>("subsystems");
        QTest::addColumn<bool>("configuration");
        QTest::addColumn<QList<int>>("disabled");
        QStringList noLedger = {"RRC", "RIM", "RLC", "RMC", "RVH", "AAP", "APR", "ABR", "ASC"};
        QTest::newRow("no security") << "none" << QStringList() << true << QList<int>();
        QTest::newRow("A without ledger") << "A" << noLedger << true << QList<int>{10};
        QTest::newRow("M") << "M" << (noLedger << u"AGL"_s) << false << QList<int>();
        QTest::newRow("not a user") << "" << QStringList() << false << kButtons;
    }

    void rightsEnableMenusAndButtons() {
        QFETCH(QString, level);
        QFETCH(QStringList, subsystems);
        QFETCH(bool, configuration);
        QFETCH(QList<int>, disabled);
        if (level.isEmpty())
            addUser(u"BOSS"_s, u"S"_s, {u"ABR"_s});
        else if (level != QLatin1String("none"))
            addUser(u"CLERK"_s, level, subsystems);

        mdiBANK_RECONCILIATION window;
        // The start-up records the version that ran.
        QCOMPARE(getSetting(kStartup, u"ABRVER"_s), mdiBANK_RECONCILIATION::versionText());
        QCOMPARE(action(window, u"ctlSUBSYSTEM_CONFIGURATION"_s)->isEnabled(), configuration);
        for (int index : kButtons)
            QCOMPARE(window.toolbarButton(index)->isEnabled(), !disabled.contains(index));
        // A disabled button starts nothing, even when it is triggered.
        for (int index : disabled)
            window.toolbarClicked(index);
        QVERIFY(m_started.isEmpty());
    }

    // This subsystem's programs only, five items a menu: the sixth maintenance program gets
    // none.
    void customProgramsFillTheMenus() {
        addProgram(u"P"_s, u"Ledger Report"_s, u"glr.exe"_s, u"AGL"_s);
        for (int i = 1; i <= 6; ++i)
            addProgram(u"M"_s, u"Maintenance %1"_s.arg(i), u"maint%1.exe"_s.arg(i));
        addProgram(u"P"_s, u"Cheque Register"_s, u"chq.exe"_s);
        mdiBANK_RECONCILIATION window;
        QAction* last = action(window, u"mtnCUSTOM50"_s);
        QAction* printing = action(window, u"prtCUSTOM10"_s);
        QVERIFY(last->isVisible() && printing->isVisible());
        QVERIFY(!action(window, u"prtCUSTOM20"_s)->isVisible());
        QCOMPARE(last->text(), u"Maintenance 5"_s);
        last->trigger();
        printing->trigger();
        QCOMPARE(m_started, (QStringList{programFilePath(env->programFolder(), u"maint5.exe"_s),
                                         programFilePath(env->programFolder(), u"chq.exe"_s)}));
    }

    // Nothing configured fails reading the settings, a broken file opening the database: the
    // program ends after one message (the start-up's, tst_startup) and reads nothing.
    void failedStartupEndsTheProgram_data() {
        QTest::addColumn<bool>("brokenFile");
        QTest::newRow("nothing configured") << false;
        QTest::newRow("broken file") << true;
    }

    void failedStartupEndsTheProgram() {
        QFETCH(bool, brokenFile);
        resetShared();
        defineDatabase(brokenFile ? writeFile(env->path(u"broken.mdb"_s), QByteArray(4096, 'x'))
                                  : QString());
        StatementTrace::clear();
        mdiBANK_RECONCILIATION window;
        QVERIFY(!window.startupSucceeded());
        QCOMPARE(env->endCount, 1);
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(StatementTrace::statements().filter(u"Select"_s).isEmpty());
    }

    void childWindowsLoadOnceAndCloseWithTheProgram() {
        addBank(1010);
        addBank(1020);
        saveSetting(kStartup, u"BANK-RECONCILIATION"_s, u"1010"_s);
        mdiBANK_RECONCILIATION window;
        window.show();
        CountingWindow* bound = openCounting(window, u"frmCLEAR"_s, true);
        CountingWindow* other = openCounting(window, u"frmVOID"_s);
        // Chosen again: the open window comes to the front without loading again.
        QCOMPARE(openCounting(window, u"frmCLEAR"_s, true), bound);
        QCOMPARE(window.mdiArea()->activeSubWindow()->widget(), bound);

        // Another account: nothing at once; the bound window reloads when chosen again.
        selector(window)->setCurrentIndex(1);
        QCOMPARE(bound->banksLoaded, QList<int>{1010});
        openCounting(window, u"frmVOID"_s);
        openCounting(window, u"frmCLEAR"_s);
        QCOMPARE(bound->banksLoaded, (QList<int>{1010, 1020}));
        QCOMPARE(other->banksLoaded, QList<int>{1010});

        // F12 closes it; the next choice makes a fresh one.
        bound->tbxTEXT->setFocus();
        QTest::keyClick(bound->tbxTEXT, Qt::Key_F12);
        QVERIFY(!window.openWindow(u"frmCLEAR"_s));
        CountingWindow* fresh = openCounting(window, u"frmCLEAR"_s);
        QCOMPARE(fresh->banksLoaded, QList<int>{1020});

        // F1 asks for the window's help, the menu for the subsystem's.
        saveSetting(kStartup, u"HELPEDITOR"_s, u"YES"_s); // the editor opens without a text
        QStringList asked;
        const auto closeHelp = [&asked](QWidget* modal) {
            asked << modal->objectName() + u':' + shared().wrkHLPFRM;
            modal->close();
        };
        whenModalAppears(closeHelp);
        fresh->tbxTEXT->setFocus();
        QTest::keyClick(fresh->tbxTEXT, Qt::Key_F1);
        whenModalAppears(closeHelp);
        action(window, u"hlpSUBSYSTEM_OVERVIEW"_s)->trigger();
        QCOMPARE(asked, (QStringList{u"frmUSER_HELP:frmCLEAR"_s, u"frmUSER_HELP:"_s}));

        // Closing remembers the account and closes the database.
        QVERIFY(window.close());
        QCOMPARE(getSetting(kStartup, u"BANK-RECONCILIATION"_s), u"1020"_s);
        QVERIFY(!db().isOpen());
        QVERIFY(!window.openWindow(u"frmCLEAR"_s));
    }

    void toolbarRaisesOrStartsPrograms() {
        mdiBANK_RECONCILIATION window;
        window.show();
        // This program is found by its title while it runs.
        QVERIFY(bringRunningProgramToTop(programTitle()));
        QTRY_COMPARE(window.findChild<ProgramTitleHolder*>()->raiseCount(), 1);

        // A running program is raised, not started again.
        ProgramTitleHolder sibling(u"payables"_s, &window);
        window.toolbarButton(7)->trigger();
        QTRY_COMPARE(sibling.raiseCount(), 1);
        QVERIFY(m_started.isEmpty());

        // Not running: started from the program folder; one that cannot start is reported.
        const QString path = programFilePath(env->programFolder(), u"ledger.exe"_s);
        window.toolbarButton(10)->trigger();
        QCOMPARE(m_started, QStringList{path});
        setProgramStarter({});
        window.toolbarClicked(10);
        QCOMPARE(env->messages, QStringList{u"The program %1 cannot be started."_s.arg(path)});
    }

    // Each menu item of a window opens the window of its own name (mtnX opens frmX); Exit
    // ends the program.
    void menuItemsOpenTheirWindows() {
        addBank(1010);
        addBank(1020);
        mdiBANK_RECONCILIATION window;
        const QStringList windows = mdiBANK_RECONCILIATION::childWindowNames();
        int opened = 0;
        for (QAction* item : window.findChildren<QAction*>()) {
            const QString name = u"frm"_s + item->objectName().mid(3);
            if (!windows.contains(name) || name == u"frmABOUT"_s) // the about box is modal
                continue;
            item->trigger();
            QVERIFY2(window.openWindow(name), qPrintable(name));
            ++opened;
        }
        QCOMPARE(opened, windows.size() - 1);
        // Exit ends the program without remembering the account chosen last.
        saveSetting(kStartup, u"BANK-RECONCILIATION"_s, u"1010"_s);
        selector(window)->setCurrentIndex(1);
        action(window, u"ctlEXIT"_s)->trigger();
        QCOMPARE(env->endCount, 1);
        QCOMPARE(getSetting(kStartup, u"BANK-RECONCILIATION"_s), u"1010"_s);
    }

private:
    QStringList m_started;
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
