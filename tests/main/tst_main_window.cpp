// The main window on a real database: start-up, the bank-account selector, rights, custom
// programs, captions, the toolbar, opening child windows, and the end of the program.

#include "child_window.h"
#include "clock.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "demo_database.h"
#include "main_window.h"
#include "messages.h"
#include "program_launcher.h"
#include "report.h"
#include "schema.h"
#include "settings.h"
#include "test_support.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kStartup = QStringLiteral("Startup");

// A window of the kind the menus open, counting its loads.
class CountingWindow : public ChildWindow {
public:
    explicit CountingWindow(const QString& name) : ChildWindow(name) {
        auto* layout = new QVBoxLayout(this);
        tbxTEXT = new QLineEdit(this);
        layout->addWidget(tbxTEXT);
    }
    QLineEdit* tbxTEXT;
    QList<int> banksLoaded;

protected:
    void loadWindow() override { banksLoaded << shared().wrkBACNBR; }
};

mdiBANK_RECONCILIATION::Factory counting(const QString& name, bool bound = false) {
    return [name, bound] {
        auto* window = new CountingWindow(name);
        window->setBankBound(bound);
        return window;
    };
}

// The Access settings of this installation pointing at the test database.
void defineDatabase(const QString& file) {
    const QString folder = fncPROGRAM_FOLDER();
    saveSetting(kStartup, QStringLiteral("VERNBR"), QStringLiteral("0"));
    saveSetting(kStartup, QStringLiteral("TKVDTA-") + folder, file);
    saveSetting(kStartup, QStringLiteral("TKWDTA-") + folder, QStringLiteral("route.mdb"));
}

void addAccount(int fiscalYear, int number, const QString& name, const QString& type) {
    sqlExec(QStringLiteral("Insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,glmGLANBR,"
                           "glmGLANME,glmGLATYP)values(%1,'*',%2,'%3','%4')")
                .arg(fiscalYear)
                .arg(number)
                .arg(name, type));
}

void addUser(const QString& user, const QString& level, const QStringList& subsystems) {
    sqlExec(QStringLiteral("Insert into SYS_USER_MASTER(usmUSRSGN,usmUSRNME,usmSECLVL)values("
                           "'%1','%1','%2')")
                .arg(user, level));
    for (const QString& code : subsystems)
        sqlExec(QStringLiteral("Insert into SYS_USER_DETAIL(usdUSRSGN,usdSYSCDE)values('%1','%2')")
                    .arg(user, code));
}

void addProgram(const QString& type, const QString& menu, const QString& file) {
    sqlExec(QStringLiteral("Insert into SYS_CUSTOM_PROGRAM_MASTER(cpmSUBSYS,cpmPGMTYP,cpmPGMMNU,"
                           "cpmPGMNME)values('ABR','%1','%2','%3')")
                .arg(type, menu, file));
}

int indexOfStatement(const QStringList& statements, const QString& start) {
    for (int i = 0; i < statements.size(); ++i)
        if (statements.at(i).startsWith(start))
            return i;
    return -1;
}

QAction* action(const QWidget& window, const QString& name) {
    return window.findChild<QAction*>(name);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startupOrder();
    void bankSelector_data();
    void bankSelector();
    void choosingAnAccount();
    void rights_data();
    void rights();
    void customPrograms();
    void captions_data();
    void captions();
    void demoMode();
    void frameSettings_data();
    void frameSettings();
    void closeRemembersAccountExitDoesNot();
    void startupFailure_data();
    void startupFailure();
    void singleInstance();
    void reloadAfterAccountChange();
    void helpFromMenuAndKey();
    void toolbarFindsRunningPrograms();
    void programThatCannotStart();
    void noDisplay();
    void screenshot();

private:
    std::unique_ptr<TestEnvironment> m_env;
    QStringList m_started;
};

void TestMainWindow::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_env->openDatabase();
    defineDatabase(m_env->databaseFile());
    saveSetting(QStringLiteral("Company"), QStringLiteral("NAME"),
                QStringLiteral("Lakeside Vending"));
    m_started.clear();
    setProgramStarter([this](const QString& path) {
        m_started << path;
        return true;
    });
}

void TestMainWindow::cleanup() {
    setProgramStarter({});
    m_env.reset();
}

void TestMainWindow::startupOrder() {
    addAccount(2024, 1010, QStringLiteral("Operating Account"), QStringLiteral("BNK"));
    addUser(QStringLiteral("CLERK"), QStringLiteral("A"), {QStringLiteral("ABR")});
    StatementTrace::clear();
    mdiBANK_RECONCILIATION window;
    QVERIFY(window.startupSucceeded());
    QCOMPARE(m_env->endCount, 0);

    const QStringList trace = StatementTrace::statements();
    const int company =
        indexOfStatement(trace, QStringLiteral("Select * from SYS_ENTERPRISE_MASTER"));
    const int year = indexOfStatement(trace, QStringLiteral("Select max(glmFSYEAR)"));
    const int toolbar = indexOfStatement(trace, QStringLiteral("Select * from SYS_USER_MASTER"));
    const int programs = trace.indexOf(QStringLiteral(
        "Select * from SYS_CUSTOM_PROGRAM_MASTER where cpmSUBSYS='ABR' order by cpmPGMTYP"));
    const int banks = trace.indexOf(
        QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and "
                       "glmGLATYP='BNK' order by glmGLANBR"));
    QVERIFY2(company >= 0 && year > company && toolbar > year && programs > toolbar &&
                 banks > programs,
             qPrintable(trace.join(QLatin1Char('\n'))));
    // The program's own access check (mode "") runs after the custom programs.
    const QString ownCheck =
        QStringLiteral("Select count(*) as hldRECCNT from SYS_USER_DETAIL where "
                       "usdUSRSGN='CLERK' and usdSYSCDE='ABR'");
    QVERIFY(trace.lastIndexOf(ownCheck) > programs);
    QVERIFY(trace.lastIndexOf(ownCheck) < banks);

    QCOMPARE(getSetting(kStartup, QStringLiteral("ABRVER")), mdiBANK_RECONCILIATION::versionText());
    QCOMPARE(window.windowTitle(),
             QStringLiteral("Bank Reconciliation Subsystem   Lakeside Vending   ") +
                 QLocale::system().toString(QDate(2024, 11, 15), QLocale::ShortFormat) +
                 QStringLiteral("     Version: ") + mdiBANK_RECONCILIATION::versionText());
    QVERIFY(window.findChild<QMdiArea*>());
}

void TestMainWindow::bankSelector_data() {
    QTest::addColumn<int>("accounts");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<int>("account");
    QTest::addColumn<int>("shownIndex");

    QTest::newRow("none, remembered") << 0 << "1020" << 1020 << -1;
    QTest::newRow("one, another remembered") << 1 << "1020" << 1010 << 0;
    QTest::newRow("two, remembered") << 2 << "1020" << 1020 << -1;
    QTest::newRow("two, nothing remembered") << 2 << "" << 0 << -1;
    QTest::newRow("two, remembered text") << 2 << "abc" << 0 << -1;
    QTest::newRow("two, remembered beyond an account number") << 2 << "70000" << 0 << -1;
}

void TestMainWindow::bankSelector() {
    QFETCH(int, accounts);
    QFETCH(QString, remembered);
    QFETCH(int, account);
    QFETCH(int, shownIndex);

    // Accounts of other types and of an earlier year never appear.
    addAccount(2024, 1000, QStringLiteral("Petty Cash"), QStringLiteral("CSH"));
    addAccount(2023, 1005, QStringLiteral("Old Bank"), QStringLiteral("BNK"));
    if (accounts >= 2)
        addAccount(2024, 1020, QStringLiteral("Payroll Account"), QStringLiteral("BNK"));
    if (accounts >= 1)
        addAccount(2024, 1010, QStringLiteral("Operating Account"), QStringLiteral("BNK"));
    saveSetting(kStartup, QStringLiteral("BANK-RECONCILIATION"), remembered);

    mdiBANK_RECONCILIATION window;
    auto* box = window.findChild<QComboBox*>(QStringLiteral("cbxBACNBR"));
    QVERIFY(box);
    QCOMPARE(box->count(), accounts);
    QCOMPARE(shared().wrkBACNBR, account);
    QCOMPARE(box->currentIndex(), shownIndex);
    if (shownIndex < 0)
        QCOMPARE(box->placeholderText(),
                 QStringLiteral("* Select Bank Account for Reconciliation *"));
    if (accounts >= 1) {
        QCOMPARE(box->itemText(0), QStringLiteral(" 1010 Operating Account"));
        QCOMPARE(box->itemData(0).toInt(), 1010);
    }
    if (accounts == 2)
        QCOMPARE(box->itemText(1), QStringLiteral(" 1020 Payroll Account"));
}

void TestMainWindow::choosingAnAccount() {
    addAccount(2024, 1010, QStringLiteral("Operating Account"), QStringLiteral("BNK"));
    addAccount(2024, 1020, QStringLiteral("Payroll Account"), QStringLiteral("BNK"));
    mdiBANK_RECONCILIATION window;
    window.show();
    auto* box = window.findChild<QComboBox*>(QStringLiteral("cbxBACNBR"));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(shared().wrkBACNBR, 1010);
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(shared().wrkBACNBR, 1020);
}

void TestMainWindow::rights_data() {
    QTest::addColumn<QString>("level"); // "none" = no privileged user at all
    QTest::addColumn<QStringList>("subsystems");
    QTest::addColumn<bool>("configuration");
    QTest::addColumn<QList<int>>("disabled");

    const QStringList all = {"RRC", "RIM", "RLC", "RMC", "RVH", "AAP", "APR", "ABR", "AGL", "ASC"};
    QStringList noLedger = all;
    noLedger.removeAll(QStringLiteral("AGL"));
    const QList<int> everyButton = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11};
    QTest::newRow("no security") << "none" << QStringList() << true << QList<int>();
    QTest::newRow("A") << "A" << all << true << QList<int>();
    QTest::newRow("A without ledger") << "A" << noLedger << true << QList<int>{10};
    QTest::newRow("M") << "M" << all << false << QList<int>();
    QTest::newRow("S") << "S" << all << false << QList<int>();
    QTest::newRow("not a user") << "" << QStringList() << false << everyButton;
}

void TestMainWindow::rights() {
    QFETCH(QString, level);
    QFETCH(QStringList, subsystems);
    QFETCH(bool, configuration);
    QFETCH(QList<int>, disabled);

    if (level == QLatin1String(""))
        addUser(QStringLiteral("BOSS"), QStringLiteral("S"), {QStringLiteral("ABR")});
    else if (level != QLatin1String("none"))
        addUser(QStringLiteral("CLERK"), level, subsystems);

    mdiBANK_RECONCILIATION window;
    QCOMPARE(action(window, QStringLiteral("ctlSUBSYSTEM_CONFIGURATION"))->isEnabled(),
             configuration);
    for (int index = 1; index <= 13; ++index) {
        QAction* button = window.toolbarButton(index);
        QCOMPARE(button == nullptr, index == 6 || index == 12);
        if (button)
            QCOMPARE(button->isEnabled(), !disabled.contains(index));
    }
    // A disabled button starts nothing, even when it is triggered.
    for (int index : disabled)
        window.toolbarClicked(index);
    QVERIFY(m_started.isEmpty());
}

void TestMainWindow::customPrograms() {
    for (int i = 1; i <= 6; ++i)
        addProgram(QStringLiteral("M"), QStringLiteral("Maintenance %1").arg(i),
                   QStringLiteral("maint%1.exe").arg(i));
    addProgram(QStringLiteral("P"), QStringLiteral("Cheque Register"), QStringLiteral("chq.exe"));
    mdiBANK_RECONCILIATION window;

    QVERIFY(action(window, QStringLiteral("mtnCUSTOM"))->isVisible());
    for (int slot = 1; slot <= 5; ++slot) {
        QAction* item = action(window, QStringLiteral("mtnCUSTOM%1").arg(slot * 10));
        QVERIFY(item->isVisible());
        QCOMPARE(item->text(), QStringLiteral("Maintenance %1").arg(slot));
        QCOMPARE(window.customMaintenance(slot), QStringLiteral("maint%1.exe").arg(slot));
    }
    const QList<QAction*> maintenance =
        window.findChild<QMenu*>(QStringLiteral("mnuMAINTENANCE"))->actions();
    for (QAction* item : maintenance)
        QVERIFY(item->text() != QLatin1String("Maintenance 6"));

    QVERIFY(action(window, QStringLiteral("prtCUSTOM"))->isVisible());
    QAction* printing = action(window, QStringLiteral("prtCUSTOM10"));
    QVERIFY(printing->isVisible());
    QCOMPARE(printing->text(), QStringLiteral("Cheque Register"));
    QVERIFY(!action(window, QStringLiteral("prtCUSTOM20"))->isVisible());

    action(window, QStringLiteral("mtnCUSTOM30"))->trigger();
    printing->trigger();
    QCOMPARE(m_started,
             (QStringList{programFilePath(m_env->programFolder(), QStringLiteral("maint3.exe")),
                          programFilePath(m_env->programFolder(), QStringLiteral("chq.exe"))}));
#ifndef Q_OS_WIN
    QCOMPARE(m_started.first(), QDir(m_env->programFolder()).filePath(QStringLiteral("maint3")));
#endif

    // Without programs both separators stay hidden.
    sqlExec(QStringLiteral("Delete from SYS_CUSTOM_PROGRAM_MASTER"));
    mdiBANK_RECONCILIATION plain;
    QVERIFY(!action(plain, QStringLiteral("mtnCUSTOM"))->isVisible());
    QVERIFY(!action(plain, QStringLiteral("prtCUSTOM"))->isVisible());
    QVERIFY(!action(plain, QStringLiteral("mtnCUSTOM10"))->isVisible());
}

void TestMainWindow::captions_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");

    const QString es = QStringLiteral("S");
    QTest::newRow("control") << ""
                             << "mnuCONTROL"
                             << "&Control";
    QTest::newRow("cascade") << ""
                             << "ctlCASCADE_WINDOWS"
                             << "&Cascade Windows";
    QTest::newRow("adjustments") << ""
                                 << "mtnAUD_ACCOUNT_ADJUSTMENTS"
                                 << "&Add, Update, or Delete Account Adjustments";
    QTest::newRow("analysis") << ""
                              << "anlANALYZE_BANK_ACTIVITY_RECONCILIATIONS"
                              << "Analyze Bank Activity && Reconcilations";
    QTest::newRow("finalize") << ""
                              << "prtFINALIZE_POST_BANK_RECONCILIATION"
                              << "Finalize && Post Bank Reconciliation";
    QTest::newRow("custom") << ""
                            << "prtCUSTOM30"
                            << "Custom30";
    QTest::newRow("control es") << es << "mnuCONTROL"
                                << "Control";
    QTest::newRow("maintenance es") << es << "mnuMAINTENANCE"
                                    << "Conservación";
    QTest::newRow("configuration es") << es << "ctlSUBSYSTEM_CONFIGURATION"
                                      << "Configuración del Subsistema";
    QTest::newRow("void es") << es << "mtnVOID_ISSUED_BUT_NOT_CLEARED_CHECKS"
                             << "Vacío Publicó pero Cheques no Vaciados";
    QTest::newRow("nsf es") << es << "mtnFLAG_DEPOSITED_CHECKS_AS_NSF"
                            << "Señale Cheques Depositados como NSF";
    QTest::newRow("adjustments es") << es << "mtnAUD_ACCOUNT_ADJUSTMENTS"
                                    << "Agregue, Actualice, o Borre dé cuenta los Ajustes";
    QTest::newRow("analysis es") << es << "mnuANALYSIS"
                                 << "Análisis";
    QTest::newRow("report es") << es << "prtPRINT_BANK_RECONCILIATION_REPORT"
                               << "Impresión el Informe Bancario de Conciliación";
    QTest::newRow("exit es") << es << "ctlEXIT"
                             << "Salida";
    QTest::newRow("help es") << es << "hlpSUBSYSTEM_OVERVIEW"
                             << "Vista General del Subsistema";
    QTest::newRow("custom es") << es << "mtnCUSTOM20"
                               << "Custom20";
}

void TestMainWindow::captions() {
    QFETCH(QString, language);
    QFETCH(QString, item);
    QFETCH(QString, caption);
    saveSetting(kStartup, QStringLiteral("LANGUAGE"), language);
    mdiBANK_RECONCILIATION window;
    QAction* found = action(window, item);
    QVERIFY(found);
    QCOMPARE(found->text(), caption);
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Bank Reconciliation Subsystem   ")));
}

void TestMainWindow::demoMode() {
    // The demo database lies beside the program folder, whatever else is configured.
    const QString demoFile =
        QDir(m_env->path(QStringLiteral("Database"))).filePath(QStringLiteral("TolvaneDemo.mdb"));
    QDir().mkpath(QFileInfo(demoFile).absolutePath());
    resetShared();
    saveSetting(kStartup, QStringLiteral("DEMO"), QStringLiteral("True"));
    defineDatabase(QString()); // undefined connections do not matter in demo mode
    saveSetting(kStartup, QStringLiteral("TKWDTA-") + fncPROGRAM_FOLDER(), QString());
    {
        Connection demo;
        QFile(demoFile).open(QIODevice::WriteOnly); // an empty file is a new database
        demo.open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=") + demoFile);
        createSchema(demo);
        demo.execute(QStringLiteral("Insert into SYS_USER_MASTER(usmUSRSGN,usmUSRNME,usmSECLVL)"
                                    "values('BOSS','BOSS','S')"));
        demo.execute(QStringLiteral("Insert into SYS_CUSTOM_PROGRAM_MASTER(cpmSUBSYS,cpmPGMTYP,"
                                    "cpmPGMMNU,cpmPGMNME)values('ABR','M','Extra','x.exe')"));
        demo.execute(QStringLiteral("Insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,"
                                    "glmGLANBR,glmGLANME,glmGLATYP)values(2024,'*',1010,"
                                    "'Operating Account','BNK')"));
        demo.close();
    }
    StatementTrace::clear();

    mdiBANK_RECONCILIATION window;
    QVERIFY(window.startupSucceeded());
    QCOMPARE(shared().wrkDATABASE, QDir::toNativeSeparators(demoFile));
    for (int index : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11})
        QVERIFY(window.toolbarButton(index)->isEnabled());
    QVERIFY(!action(window, QStringLiteral("mtnCUSTOM"))->isVisible());
    QVERIFY(!action(window, QStringLiteral("mtnCUSTOM10"))->isVisible());
    QVERIFY(action(window, QStringLiteral("ctlSUBSYSTEM_CONFIGURATION"))->isEnabled());
    QVERIFY(getSetting(kStartup, QStringLiteral("ABRVER")).isEmpty());
    QCOMPARE(shared().wrkBACNBR, 1010);
    const QStringList trace = StatementTrace::statements();
    QCOMPARE(indexOfStatement(trace, QStringLiteral("Select * from SYS_USER_MASTER")), -1);
    QCOMPARE(indexOfStatement(trace, QStringLiteral("Select * from SYS_CUSTOM_PROGRAM_MASTER")),
             -1);
#if __has_include("clear_transactions.h") && __has_include("account_adjustments.h")
    QVERIFY(window.openWindow(QStringLiteral("frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT")));
    QVERIFY(window.openWindow(QStringLiteral("frmAUD_ACCOUNT_ADJUSTMENTS")));
    // Opened before the accounts were read, they load again for the account once used.
    QCOMPARE(window.mdiArea()->activeSubWindow()->widget()->objectName(),
             QStringLiteral("frmAUD_ACCOUNT_ADJUSTMENTS"));
#endif
}

void TestMainWindow::frameSettings_data() {
    QTest::addColumn<QString>("background");
    QTest::addColumn<QString>("toolbar");
    QTest::newRow("both off") << "N"
                              << "N";
    QTest::newRow("both on") << "Y"
                             << "";
    QTest::newRow("lower case is not off") << "n"
                                           << "n";
}

void TestMainWindow::frameSettings() {
    QFETCH(QString, background);
    QFETCH(QString, toolbar);
    saveSetting(QStringLiteral("SBA"), QStringLiteral("BACKGROUND"), background);
    saveSetting(QStringLiteral("SBA"), QStringLiteral("TOOLBAR"), toolbar);
    mdiBANK_RECONCILIATION window;
    window.show();
    QCOMPARE(window.backgroundPictureShown(), background != QLatin1String("N"));
    QCOMPARE(window.findChild<QToolBar*>(QStringLiteral("tbrTOOL_BAR"))->isVisible(),
             toolbar != QLatin1String("N"));
}

void TestMainWindow::closeRemembersAccountExitDoesNot() {
    addAccount(2024, 1010, QStringLiteral("Operating Account"), QStringLiteral("BNK"));
    addAccount(2024, 1020, QStringLiteral("Payroll Account"), QStringLiteral("BNK"));
    saveSetting(kStartup, QStringLiteral("BANK-RECONCILIATION"), QStringLiteral("1010"));
    {
        mdiBANK_RECONCILIATION window;
        window.show();
        window.findChild<QComboBox*>(QStringLiteral("cbxBACNBR"))->setCurrentIndex(1);
        action(window, QStringLiteral("ctlEXIT"))->trigger();
        QCOMPARE(m_env->endCount, 1);
    }
    QCOMPARE(getSetting(kStartup, QStringLiteral("BANK-RECONCILIATION")), QStringLiteral("1010"));

    mdiBANK_RECONCILIATION window;
    window.show();
    window.openChild(QStringLiteral("frmSAMPLE"), counting(QStringLiteral("frmSAMPLE")));
    window.findChild<QComboBox*>(QStringLiteral("cbxBACNBR"))->setCurrentIndex(1);
    QVERIFY(window.close());
    QCOMPARE(getSetting(kStartup, QStringLiteral("BANK-RECONCILIATION")), QStringLiteral("1020"));
    QVERIFY(!db().isOpen());
    QVERIFY(!window.openWindow(QStringLiteral("frmSAMPLE")));
}

void TestMainWindow::startupFailure_data() {
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing configured")
        << ""
        << "Database Connections are undefined. Use System Control to configure connections";
    QTest::newRow("broken file") << "broken"
                                 << "The TKV/i Access database connection was aborted. Use System "
                                    "Control to restore connection.";
    QTest::newRow("missing file") << "missing"
                                  << "The TKV/i Access database connection was aborted. Use "
                                     "System Control to restore connection.";
}

void TestMainWindow::startupFailure() {
    QFETCH(QString, database);
    QFETCH(QString, message);
    resetShared();
    QString file;
    if (database == QLatin1String("broken")) {
        file = m_env->path(QStringLiteral("broken.mdb"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (database == QLatin1String("missing")) {
        file = m_env->path(QStringLiteral("nowhere/none.mdb"));
    }
    defineDatabase(file);
    StatementTrace::clear();

    mdiBANK_RECONCILIATION window;
    QVERIFY(!window.startupSucceeded());
    QCOMPARE(m_env->endCount, 1);
    QVERIFY(!m_env->messages.isEmpty());
    QVERIFY2(m_env->messages.first().startsWith(message), qPrintable(m_env->messages.join('|')));
    QCOMPARE(m_env->messages.size(), 1);
    QCOMPARE(indexOfStatement(StatementTrace::statements(), QStringLiteral("Select")), -1);
}

void TestMainWindow::singleInstance() {
    mdiBANK_RECONCILIATION window;
    window.show();
    auto* first = static_cast<CountingWindow*>(
        window.openChild(QStringLiteral("frmSAMPLE"), counting(QStringLiteral("frmSAMPLE"))));
    auto* other =
        window.openChild(QStringLiteral("frmOTHER"), counting(QStringLiteral("frmOTHER")));
    QVERIFY(first && other);
    QCOMPARE(window.mdiArea()->activeSubWindow()->widget(), other);

    // Chosen again: the open window comes to the front without loading again.
    QCOMPARE(window.openChild(QStringLiteral("frmSAMPLE"), counting(QStringLiteral("frmSAMPLE"))),
             first);
    QCOMPARE(first->loadCount(), 1);
    QCOMPARE(window.mdiArea()->activeSubWindow()->widget(), first);
    QCOMPARE(window.mdiArea()->subWindowList().size(), 2);
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // F12 closes it; the next choice makes a fresh one.
    QPointer<ChildWindow> closed(first);
    first->tbxTEXT->setFocus();
    QTest::keyClick(first->tbxTEXT, Qt::Key_F12);
    QVERIFY(!window.openWindow(QStringLiteral("frmSAMPLE")));
    QTRY_VERIFY(!closed);
    QTRY_COMPARE(window.mdiArea()->subWindowList().size(), 1);
    ChildWindow* fresh =
        window.openChild(QStringLiteral("frmSAMPLE"), counting(QStringLiteral("frmSAMPLE")));
    QVERIFY(fresh);
    QCOMPARE(fresh->loadCount(), 1);

    // Cascade keeps every window open.
    action(window, QStringLiteral("ctlCASCADE_WINDOWS"))->trigger();
    QCOMPARE(window.mdiArea()->subWindowList().size(), 2);

    // Typing a quote in a window of the frame is refused there as well.
    auto* sample = static_cast<CountingWindow*>(fresh);
    sample->tbxTEXT->setFocus();
    QTest::keyClicks(sample->tbxTEXT, QStringLiteral("O'Neil"));
    QCOMPARE(sample->tbxTEXT->text(), QStringLiteral("ONeil"));
    QCOMPARE(m_env->messages,
             QStringList{QStringLiteral("The Apostrophe or Double Quotes cannot be used in TKV.")});
}

void TestMainWindow::reloadAfterAccountChange() {
    addAccount(2024, 1010, QStringLiteral("Operating Account"), QStringLiteral("BNK"));
    addAccount(2024, 1020, QStringLiteral("Payroll Account"), QStringLiteral("BNK"));
    saveSetting(kStartup, QStringLiteral("BANK-RECONCILIATION"), QStringLiteral("1010"));
    mdiBANK_RECONCILIATION window;
    window.show();
    QApplication::setActiveWindow(&window);
    auto* clear = static_cast<CountingWindow*>(
        window.openChild(QStringLiteral("frmCLEAR"), counting(QStringLiteral("frmCLEAR"), true)));
    auto* voids = static_cast<CountingWindow*>(
        window.openChild(QStringLiteral("frmVOID"), counting(QStringLiteral("frmVOID"))));

    auto* box = window.findChild<QComboBox*>(QStringLiteral("cbxBACNBR"));
    box->setCurrentIndex(1);
    QCOMPARE(shared().wrkBACNBR, 1020);
    QCOMPARE(clear->banksLoaded, QList<int>{1010}); // nothing happens at once

    window.openChild(QStringLiteral("frmCLEAR"), {});
    QCOMPARE(clear->banksLoaded, (QList<int>{1010, 1020}));
    window.openChild(QStringLiteral("frmVOID"), {});
    QCOMPARE(voids->banksLoaded, QList<int>{1010});

    // Clicking into the active window after another change reloads it too.
    box->setFocus();
    box->setCurrentIndex(0);
    window.openChild(QStringLiteral("frmCLEAR"), {});
    QCOMPARE(clear->banksLoaded, (QList<int>{1010, 1020, 1010}));
    box->setCurrentIndex(1);
    box->setFocus();
    clear->tbxTEXT->setFocus(Qt::MouseFocusReason);
    QCOMPARE(clear->banksLoaded, (QList<int>{1010, 1020, 1010, 1020}));
}

void TestMainWindow::helpFromMenuAndKey() {
    mdiBANK_RECONCILIATION window;
    window.show();
    auto* sample = static_cast<CountingWindow*>(
        window.openChild(QStringLiteral("frmAUD_ACCOUNT_ADJUSTMENTS"),
                         counting(QStringLiteral("frmAUD_ACCOUNT_ADJUSTMENTS"))));
#if __has_include("user_help.h")
    // The editor stays open without a text, so there is a window to see.
    saveSetting(kStartup, QStringLiteral("HELPEDITOR"), QStringLiteral("YES"));
    QStringList asked;
    auto closeHelp = [&asked](QWidget* modal) {
        asked << modal->objectName() + QLatin1Char(':') + shared().wrkHLPFRM;
        modal->close();
    };
    whenModalAppears(closeHelp);
    sample->tbxTEXT->setFocus();
    QTest::keyClick(sample->tbxTEXT, Qt::Key_F1);
    whenModalAppears(closeHelp);
    action(window, QStringLiteral("hlpSUBSYSTEM_OVERVIEW"))->trigger();
    QCOMPARE(asked, (QStringList{QStringLiteral("frmUSER_HELP:frmAUD_ACCOUNT_ADJUSTMENTS"),
                                 QStringLiteral("frmUSER_HELP:")}));
#else
    sample->tbxTEXT->setFocus();
    QTest::keyClick(sample->tbxTEXT, Qt::Key_F1);
    QCOMPARE(shared().wrkHLPFRM, QStringLiteral("frmAUD_ACCOUNT_ADJUSTMENTS"));
    action(window, QStringLiteral("hlpSUBSYSTEM_OVERVIEW"))->trigger();
    QCOMPARE(shared().wrkHLPFRM, QString());
#endif
}

void TestMainWindow::toolbarFindsRunningPrograms() {
    mdiBANK_RECONCILIATION window;
    window.show();
    QCOMPARE(window.toolbarButton(9)->toolTip(), QStringLiteral("Bank Reconciliation"));
    QCOMPARE(window.toolbarButton(11)->toolTip(), QStringLiteral("Ssytem Control"));
    auto* holder = window.findChild<ProgramTitleHolder*>();
    QVERIFY(holder && holder->holding());

    // Button 9 is this very program: found by its title, so nothing is started.
    const QString ownProgram = mdiBANK_RECONCILIATION::toolbarProgram(9);
    ProgramTitleHolder sibling(QStringLiteral("payables"), &window);
    QVERIFY(sibling.holding());
    {
        // This program's title is its executable name; button 9 names "bankrec".
        ProgramTitleHolder self(ownProgram.left(ownProgram.size() - 4), &window);
        window.toolbarButton(9)->trigger();
        QTRY_COMPARE(self.raiseCount(), 1);
    }
    window.toolbarButton(7)->trigger();
    QTRY_COMPARE(sibling.raiseCount(), 1);
    QVERIFY(m_started.isEmpty());

    // Not running: started from the program folder.
    window.toolbarButton(10)->trigger();
    QCOMPARE(m_started, QStringList{programFilePath(m_env->programFolder(),
                                                    mdiBANK_RECONCILIATION::toolbarProgram(10))});
    QVERIFY(bringRunningProgramToTop(programTitle()));
    QTRY_COMPARE(holder->raiseCount(), 1);

#if __has_include("calculator.h")
    window.toolbarButton(13)->trigger();
    QVERIFY(window.openWindow(QStringLiteral("frmCALCULATOR")));
#endif
}

void TestMainWindow::programThatCannotStart() {
    setProgramStarter({});
    mdiBANK_RECONCILIATION window;
    window.toolbarClicked(10);
    const QString path =
        programFilePath(m_env->programFolder(), mdiBANK_RECONCILIATION::toolbarProgram(10));
    QCOMPARE(m_env->messages,
             QStringList{QStringLiteral("The program %1 cannot be started.").arg(path)});

#ifndef Q_OS_WIN
    // A program that exists is started in its own process, from the program folder.
    const QString marker = m_env->path(QStringLiteral("started.txt"));
    const QString script = programFilePath(m_env->programFolder(), QStringLiteral("ledger.exe"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\npwd > '%1'\n").arg(marker).toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_env->clearMessages();
    window.toolbarClicked(10);
    QVERIFY(m_env->messages.isEmpty());
    QTRY_VERIFY(QFileInfo(marker).size() > 0);
#endif
}

void TestMainWindow::noDisplay() {
#ifdef Q_OS_WIN
    QSKIP("Windows always has a display");
#else
    const QString program =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../src/bankrec");
    if (!QFileInfo::exists(program))
        QSKIP("the program is not built beside the tests");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(program, {});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(said.count(QLatin1Char('\n')), 1);
    QVERIFY(said.contains(QLatin1String("xvfb-run")));
#endif
}

void TestMainWindow::screenshot() {
    const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("set BANKREC_SCREENSHOTS to a folder to save a picture of the main window");
    resetShared();
    const QString root = m_env->path(QStringLiteral("demo"));
    buildDemoInstallation(root);
    qputenv("ORLUNDE_SETTINGS", demoSettingsFile(root).toLocal8Bit());
    qputenv("TKV_PROGRAM_FOLDER", QDir(root).filePath(QStringLiteral("Programs")).toLocal8Bit());
    mdiBANK_RECONCILIATION window;
    QVERIFY(window.startupSucceeded());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    QDir().mkpath(folder);
    QVERIFY(window.grab().save(QDir(folder).filePath(QStringLiteral("main_window.png"))));
    qputenv("ORLUNDE_SETTINGS", m_env->settingsFile().toLocal8Bit());
    qputenv("TKV_PROGRAM_FOLDER", m_env->programFolder().toLocal8Bit());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
