// The main window on a real database: start-up, the bank-account selector, rights, custom
// programs, captions, the toolbar, child windows, and the end of the program.

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
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kStartup = u"Startup"_s;

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

void addProgram(const QString& type, const QString& menu, const QString& file) {
    sqlExec(u"Insert into SYS_CUSTOM_PROGRAM_MASTER(cpmSUBSYS,cpmPGMTYP,cpmPGMMNU,"
            "cpmPGMNME)values('ABR','%1','%2','%3')"_s.arg(type, menu, file));
}

int indexOfStatement(const QString& start) {
    const QStringList statements = StatementTrace::statements();
    for (int i = 0; i < statements.size(); ++i)
        if (statements.at(i).startsWith(start))
            return i;
    return -1;
}

QAction* action(const QWidget& window, const QString& name) {
    return window.findChild<QAction*>(name);
}

} // namespace

class TestMainWindow : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    void init() {
        env.emplace().openDatabase();
        defineDatabase(env->databaseFile());
        saveSetting(u"Company"_s, u"NAME"_s, u"Lakeside Vending"_s);
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

    void startupReadsInOrder() {
        insertAccount(1010, u"Operating Account"_s, 2024, u"CA"_s, u"BNK"_s);
        addUser(u"CLERK"_s, u"A"_s, {u"ABR"_s});
        saveSetting(u"SBA"_s, u"BACKGROUND"_s, u"N"_s);
        saveSetting(u"SBA"_s, u"TOOLBAR"_s, u"n"_s);
        mdiBANK_RECONCILIATION window;
        QVERIFY(window.startupSucceeded());
        QVERIFY(!window.backgroundPictureShown());
        QVERIFY(
            !window.findChild<QToolBar*>(u"tbrTOOL_BAR"_s)->isHidden()); // only a capital N hides

        const QStringList trace = StatementTrace::statements();
        const int company = indexOfStatement(u"Select * from SYS_ENTERPRISE_MASTER"_s);
        const int year = indexOfStatement(u"Select max(glmFSYEAR)"_s);
        const int toolbar = indexOfStatement(u"Select * from SYS_USER_MASTER"_s);
        const int programs = trace.indexOf(
            u"Select * from SYS_CUSTOM_PROGRAM_MASTER where cpmSUBSYS='ABR' order by cpmPGMTYP"_s);
        // The program's own access check runs between the custom programs and the accounts.
        const int ownCheck = trace.lastIndexOf(u"Select count(*) as hldRECCNT from SYS_USER_DETAIL "
                                               "where usdUSRSGN='CLERK' and usdSYSCDE='ABR'"_s);
        const int banks =
            trace.indexOf(u"Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and "
                          "glmGLATYP='BNK' order by glmGLANBR"_s);
        QVERIFY2(company >= 0 && year > company && toolbar > year && programs > toolbar &&
                     ownCheck > programs && banks > ownCheck,
                 qPrintable(trace.join(QLatin1Char('\n'))));

        QCOMPARE(getSetting(kStartup, u"ABRVER"_s), mdiBANK_RECONCILIATION::versionText());
        QCOMPARE(window.windowTitle(),
                 u"Bank Reconciliation Subsystem   Lakeside Vending   "_s +
                     QLocale::system().toString(QDate(2024, 11, 15), QLocale::ShortFormat) +
                     u"     Version: "_s + mdiBANK_RECONCILIATION::versionText());
    }

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
        if (accounts >= 2)
            insertAccount(1020, u"Payroll Account"_s, 2024, u"CA"_s, u"BNK"_s);
        if (accounts >= 1)
            insertAccount(1010, u"Operating Account"_s, 2024, u"CA"_s, u"BNK"_s);
        saveSetting(kStartup, u"BANK-RECONCILIATION"_s, remembered);

        mdiBANK_RECONCILIATION window;
        QComboBox* box = window.findChild<QComboBox*>(u"cbxBACNBR"_s);
        QCOMPARE(box->count(), accounts);
        QCOMPARE(shared().wrkBACNBR, account);
        QCOMPARE(box->currentIndex(), shownIndex);
        if (accounts == 2)
            QCOMPARE(box->itemText(1), u" 1020 Payroll Account"_s);
    }

    void rightsEnableMenusAndButtons_data() {
        QTest::addColumn<QString>("level"); // "none": no user at all; "": the clerk is none
        QTest::addColumn<QStringList>("subsystems");
        QTest::addColumn<bool>("configuration");
        QTest::addColumn<QList<int>>("disabled");
        const QStringList all = {"RRC", "RIM", "RLC", "RMC", "RVH",
                                 "AAP", "APR", "ABR", "AGL", "ASC"};
        QStringList noLedger = all;
        noLedger.removeAll(u"AGL"_s);
        QTest::newRow("no security") << "none" << QStringList() << true << QList<int>();
        QTest::newRow("A") << "A" << all << true << QList<int>();
        QTest::newRow("A without ledger") << "A" << noLedger << true << QList<int>{10};
        QTest::newRow("M") << "M" << all << false << QList<int>();
        QTest::newRow("not a user")
            << "" << QStringList() << false << QList<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 11};
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
        QCOMPARE(action(window, u"ctlSUBSYSTEM_CONFIGURATION"_s)->isEnabled(), configuration);
        for (int index : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11})
            QCOMPARE(window.toolbarButton(index)->isEnabled(), !disabled.contains(index));
        // A disabled button starts nothing, even when it is triggered.
        for (int index : disabled)
            window.toolbarClicked(index);
        QVERIFY(m_started.isEmpty());
    }

    void customProgramsFillTheMenus() {
        for (int i = 1; i <= 6; ++i)
            addProgram(u"M"_s, u"Maintenance %1"_s.arg(i), u"maint%1.exe"_s.arg(i));
        addProgram(u"P"_s, u"Cheque Register"_s, u"chq.exe"_s);
        saveSetting(kStartup, u"LANGUAGE"_s, u"S"_s); // the programs keep their own names
        mdiBANK_RECONCILIATION window;
        // Five items a menu: the sixth maintenance program gets none.
        QAction* last = action(window, u"mtnCUSTOM50"_s);
        QAction* printing = action(window, u"prtCUSTOM10"_s);
        for (QAction* shown :
             {action(window, u"mtnCUSTOM"_s), action(window, u"prtCUSTOM"_s), last, printing})
            QVERIFY(shown->isVisible());
        QVERIFY(!action(window, u"prtCUSTOM20"_s)->isVisible());
        QCOMPARE((QStringList{last->text(), printing->text()}),
                 (QStringList{u"Maintenance 5"_s, u"Cheque Register"_s}));
        last->trigger();
        printing->trigger();
        QCOMPARE(m_started, (QStringList{programFilePath(env->programFolder(), u"maint5.exe"_s),
                                         programFilePath(env->programFolder(), u"chq.exe"_s)}));
    }

    // Nothing configured fails reading the settings, a broken file opening the database; the
    // messages themselves are the start-up's (tst_startup).
    void failedStartupEndsTheProgram_data() {
        QTest::addColumn<QString>("database");
        QTest::newRow("nothing configured") << "";
        QTest::newRow("broken file") << "broken.mdb";
    }

    void failedStartupEndsTheProgram() {
        QFETCH(QString, database);
        resetShared();
        const QString file = database.isEmpty() ? QString() : env->path(database);
        if (!database.isEmpty()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(4096, 'x')) == 4096);
        }
        defineDatabase(file);
        StatementTrace::clear();

        mdiBANK_RECONCILIATION window;
        QVERIFY(!window.startupSucceeded());
        QCOMPARE(env->endCount, 1);
        QCOMPARE(env->messages.size(), 1);
        QCOMPARE(indexOfStatement(u"Select"_s), -1);
    }

    void childWindowsLoadOnceAndCloseWithTheProgram() {
        insertAccount(1010, u"Operating Account"_s, 2024, u"CA"_s, u"BNK"_s);
        insertAccount(1020, u"Payroll Account"_s, 2024, u"CA"_s, u"BNK"_s);
        saveSetting(kStartup, u"BANK-RECONCILIATION"_s, u"1010"_s);
        {
            // Exit ends the program without remembering the account.
            mdiBANK_RECONCILIATION window;
            window.findChild<QComboBox*>(u"cbxBACNBR"_s)->setCurrentIndex(1);
            action(window, u"ctlEXIT"_s)->trigger();
            QCOMPARE(env->endCount, 1);
        }
        QCOMPARE(getSetting(kStartup, u"BANK-RECONCILIATION"_s), u"1010"_s);

        mdiBANK_RECONCILIATION window;
        window.show();
        CountingWindow* bound = openCounting(window, u"frmCLEAR"_s, true);
        CountingWindow* other = openCounting(window, u"frmVOID"_s);
        QCOMPARE(window.mdiArea()->activeSubWindow()->widget(), other);
        // Chosen again: the open window comes to the front without loading again.
        QCOMPARE(openCounting(window, u"frmCLEAR"_s, true), bound);
        QCOMPARE(window.mdiArea()->activeSubWindow()->widget(), bound);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // Another account: nothing at once; the bound window reloads when chosen again.
        window.findChild<QComboBox*>(u"cbxBACNBR"_s)->setCurrentIndex(1);
        QCOMPARE(bound->banksLoaded, QList<int>{1010});
        openCounting(window, u"frmVOID"_s);
        openCounting(window, u"frmCLEAR"_s);
        QCOMPARE(bound->banksLoaded, (QList<int>{1010, 1020}));
        QCOMPARE(other->banksLoaded, QList<int>{1010});

        // F12 closes it; the next choice makes a fresh one.
        QPointer<ChildWindow> closed(bound);
        bound->tbxTEXT->setFocus();
        QTest::keyClick(bound->tbxTEXT, Qt::Key_F12);
        QVERIFY(!window.openWindow(u"frmCLEAR"_s));
        QTRY_VERIFY(!closed);
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
        saveSetting(u"SBA"_s, u"TOOLBAR"_s, u"N"_s);
        mdiBANK_RECONCILIATION window;
        window.show();
        QVERIFY(window.findChild<QToolBar*>(u"tbrTOOL_BAR"_s)->isHidden());
        QVERIFY(window.backgroundPictureShown());
        auto* holder = window.findChild<ProgramTitleHolder*>();
        QVERIFY(holder && holder->holding());
        QVERIFY(bringRunningProgramToTop(programTitle()));
        QTRY_COMPARE(holder->raiseCount(), 1);

        // A running program is found by its title and raised, not started again.
        ProgramTitleHolder sibling(u"payables"_s, &window);
        window.toolbarButton(7)->trigger();
        QTRY_COMPARE(sibling.raiseCount(), 1);
        QVERIFY(m_started.isEmpty());

        // Not running: started from the program folder.
        const QString path =
            programFilePath(env->programFolder(), mdiBANK_RECONCILIATION::toolbarProgram(10));
        window.toolbarButton(10)->trigger();
        QCOMPARE(m_started, QStringList{path});

        // A program that cannot be started is reported.
        setProgramStarter({});
        window.toolbarClicked(10);
        QCOMPARE(env->messages, QStringList{u"The program %1 cannot be started."_s.arg(path)});
    }

    // Demo mode opens the demo database beside the program folder, skips the rights and the
    // custom programs, and opens the clearing and adjustment windows at once.
    void demoModeOpensTheDemoDatabase() {
        buildDemoDatabase(env->path(u"Database/TolvaneDemo.mdb"_s));
        saveSetting(kStartup, u"DEMO"_s, u"True"_s);
        saveSetting(kStartup, u"ABRVER"_s, u"old"_s);
        mdiBANK_RECONCILIATION window;
        QVERIFY(window.startupSucceeded());
        QCOMPARE(shared().wrkDATABASE, env->path(u"Database/TolvaneDemo.mdb"_s));
        QVERIFY(window.openWindow(u"frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT"_s));
        QVERIFY(window.openWindow(u"frmAUD_ACCOUNT_ADJUSTMENTS"_s));
        QVERIFY(!action(window, u"mtnCUSTOM"_s)->isVisible()); // the demo has custom programs
        QVERIFY(action(window, u"ctlSUBSYSTEM_CONFIGURATION"_s)->isEnabled());
        QCOMPARE(getSetting(kStartup, u"ABRVER"_s), u"old"_s);
        QCOMPARE(indexOfStatement(u"Select * from SYS_USER_MASTER"_s), -1);
    }

private:
    QStringList m_started;
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
