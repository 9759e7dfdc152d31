// The configuration window on a real database: which cash accounts it lists and shows as the
// bank, what choosing an account does to the chart of accounts, and what OK writes to the
// system values (insert or update) before it ends the program.

#include "context.h"
#include "database.h"
#include "demo_database.h"
#include "subsystem_configuration.h"
#include "test_support.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

const QStringList kCodes = {"BNKNME", "BNKADD", "BNKCTY", "BNKSTE", "BNKZIP", "MCRCDE", "CHKLGO"};
const QStringList kBoxes = {"tbxBNKNME", "tbxBNKADD", "tbxBNKCTY", "tbxBNKSTE",
                            "tbxBNKZIP", "tbxMCRCDE", "tbxCHKLGO"};

// The company begins its year in December, so 2024-11-15 lies in fiscal year 2023.
constexpr int kYear = 2023;

void addAccount(int year, int account, const QString& name, const QString& code,
                const QString& type) {
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_MASTER (glmFSYEAR, glmDIVCDE, "
                           "glmGLANBR, glmGLANME, glmGLACDE, glmGLATYP, glmBOYBAL) values "
                           "(%1, '*', %2, '%3', '%4', '%5', 0)")
                .arg(year)
                .arg(account)
                .arg(name, code, type));
}

void addValue(const QString& code, const QString& text) {
    sqlExec(QStringLiteral("insert into SYS_SYSTEM_VALUE_MASTER (svmVALCDE, svmVALTXT, "
                           "svmVALNBR, svmVALCHK) values ('%1', '%2', 7, 1)")
                .arg(code, text));
}

QString typeOf(int year, int account) {
    return sqlValue(QStringLiteral("select glmGLATYP from LDG_GENERAL_LEDGER_MASTER where "
                                   "glmFSYEAR=%1 and glmGLANBR=%2")
                        .arg(year)
                        .arg(account))
        .toString();
}

QString valueText(const QString& code) {
    return sqlValue(QStringLiteral("select svmVALTXT from SYS_SYSTEM_VALUE_MASTER where "
                                   "svmVALCDE='%1'")
                        .arg(code))
        .toString();
}

QStringList traced(const QString& start) {
    return StatementTrace::statements().filter(
        QRegularExpression(u'^' + QRegularExpression::escape(start)));
}

frmSUBSYSTEM_CONFIGURATION* openWindow() {
    auto* w = new frmSUBSYSTEM_CONFIGURATION;
    w->load();
    w->show();
    return w;
}

QComboBox* ledgerBox(QWidget* w) {
    return w->findChild<QComboBox*>(QStringLiteral("cbxLEDGER"));
}
QLineEdit* box(QWidget* w, const QString& name) {
    return w->findChild<QLineEdit*>(name);
}
QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}

// Picks an entry the way the clerk does: opens the list and clicks the entry.
void pickEntry(QComboBox* combo, int index) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QRect cell = view->visualRect(combo->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY(!view->isVisible());
}

} // namespace

class TestSubsystemConfiguration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsCashAccountsOfTodaysYear_data();
    void listsCashAccountsOfTodaysYear();
    void choosingAccountMovesBankType();
    void okInsertsMissingAndUpdatesExisting_data();
    void okInsertsMissingAndUpdatesExisting();
    void cancelWritesNothing();
    void logoFileDialog_data();
    void logoFileDialog();
    void failedOkKeepsWindowAndProgram();
    void screenshot();

private:
    std::unique_ptr<TestEnvironment> env;
    void fresh();
};

void TestSubsystemConfiguration::fresh() {
    env.reset(); // the previous environment first, so its connection closes
    env = std::make_unique<TestEnvironment>();
    env->openDatabase();
    sqlExec(QStringLiteral("insert into SYS_ENTERPRISE_MASTER (ddmDIVCDE, ddmDPTCDE, "
                           "ddmBOYMTH) values ('*', '', 12)"));
    // The main window works in the calendar year; the window must not use it.
    shared().wrkFSYEAR = 2024;
    addAccount(2024, 1010, QStringLiteral("Operating Account"), QStringLiteral("CA"),
               QStringLiteral("BNK"));
    addAccount(kYear, 1300, QStringLiteral("Receivables"), QStringLiteral("AR"),
               QStringLiteral(""));
    addAccount(kYear, 1010, QStringLiteral("Operating Account"), QStringLiteral("CA"),
               QStringLiteral(""));
    addAccount(kYear, 1000, QStringLiteral("Petty Cash"), QStringLiteral("CA"), QStringLiteral(""));
    addAccount(kYear, 1020, QStringLiteral("Payroll Account"), QStringLiteral("CA"),
               QStringLiteral(""));
}

void TestSubsystemConfiguration::listsCashAccountsOfTodaysYear_data() {
    QTest::addColumn<QList<int>>("bankAccounts"); // accounts of the year typed "BNK"
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("chosen");

    QTest::newRow("no bank account") << QList<int>{} << QString() << 0;
    QTest::newRow("one") << QList<int>{1010} << QStringLiteral("1010 Operating Account") << 1010;
    QTest::newRow("two: the last listed wins")
        << QList<int>{1020, 1000} << QStringLiteral("1020 Payroll Account") << 1020;
    QTest::newRow("a bank account that is no cash account is not shown")
        << QList<int>{1300} << QString() << 0;
}

void TestSubsystemConfiguration::listsCashAccountsOfTodaysYear() {
    QFETCH(QList<int>, bankAccounts);
    QFETCH(QString, shown);
    QFETCH(int, chosen);
    fresh();
    for (int account : bankAccounts)
        sqlExec(QStringLiteral("update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='BNK' where "
                               "glmFSYEAR=%1 and glmGLANBR=%2")
                    .arg(kYear)
                    .arg(account));
    StatementTrace::clear();

    QPointer<frmSUBSYSTEM_CONFIGURATION> w = openWindow();
    QComboBox* combo = ledgerBox(w);
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i) + u'=' + combo->itemData(i).toString();
    QCOMPARE(entries, QStringList({"1000 Petty Cash=1000", "1010 Operating Account=1010",
                                   "1020 Payroll Account=1020"}));
    QCOMPARE(combo->currentText(), shown);
    QCOMPARE(combo->currentIndex() < 0, shown.isEmpty());
    QCOMPARE(w->wrkGLANBR, chosen);
    QCOMPARE(traced(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER")),
             QStringList(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER where "
                                        "glmFSYEAR=2023 and glmGLACDE='CA' order by glmGLANBR")));
    // Showing the current bank account writes nothing.
    QVERIFY(traced(QStringLiteral("Update")).isEmpty());
    w->closeWindow();
}

void TestSubsystemConfiguration::choosingAccountMovesBankType() {
    fresh();
    // Another year's bank account and a non-cash account of this year both typed "BNK".
    sqlExec(QStringLiteral("update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='BNK' where "
                           "glmFSYEAR=2023 and glmGLANBR in (1300, 1010)"));
    QPointer<frmSUBSYSTEM_CONFIGURATION> w = openWindow();
    StatementTrace::clear();

    pickEntry(ledgerBox(w), 2); // 1020 Payroll Account
    QCOMPARE(w->wrkGLANBR, 1020);
    QCOMPARE(traced(QStringLiteral("Update")),
             QStringList({"Update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='' where "
                          "glmFSYEAR=2023 and glmGLATYP='BNK'",
                          "Update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='BNK' where "
                          "glmFSYEAR=2023 and glmGLANBR=1020"}));
    QCOMPARE(typeOf(kYear, 1020), QStringLiteral("BNK"));
    QCOMPARE(typeOf(kYear, 1010), QString());
    QCOMPARE(typeOf(kYear, 1300), QString()); // not listed, still cleared
    QCOMPARE(typeOf(2024, 1010), QStringLiteral("BNK"));
    QCOMPARE(sqlCount(QStringLiteral("SYS_SYSTEM_VALUE_MASTER")), 0); // only OK writes those
    QCOMPARE(env->endCount, 0);
    w->closeWindow();
}

void TestSubsystemConfiguration::okInsertsMissingAndUpdatesExisting_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::newRow("new database") << QStringList();
    QTest::newRow("some rows") << QStringList({"BNKADD", "BNKZIP", "CHKLGO"});
    QTest::newRow("every row") << kCodes;
}

void TestSubsystemConfiguration::okInsertsMissingAndUpdatesExisting() {
    QFETCH(QStringList, existing);
    fresh();
    for (const QString& code : existing)
        addValue(code, QStringLiteral("old ") + code);
    QPointer<frmSUBSYSTEM_CONFIGURATION> w = openWindow();
    for (int i = 0; i < kCodes.size(); ++i)
        QCOMPARE(box(w, kBoxes.at(i))->text(), existing.contains(kCodes.at(i))
                                                   ? QStringLiteral("old ") + kCodes.at(i)
                                                   : QString());
    for (int i = 0; i < kCodes.size(); ++i) {
        QLineEdit* edit = box(w, kBoxes.at(i));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("new ") + kCodes.at(i));
    }
    StatementTrace::clear();
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);

    QStringList expected;
    for (const QString& code : kCodes)
        expected << (existing.contains(code)
                         ? QStringLiteral("Update SYS_SYSTEM_VALUE_MASTER set svmVALTXT='new "
                                          "%1',svmVALNBR=0,svmVALCHK=0 where svmVALCDE='%1'")
                               .arg(code)
                         : QStringLiteral("Insert into SYS_SYSTEM_VALUE_MASTER(svmVALCDE,"
                                          "svmVALTXT,svmVALNBR,svmVALCHK) values('%1','new "
                                          "%1',0,0)")
                               .arg(code));
    QCOMPARE(StatementTrace::statements(), expected);
    for (const QString& code : kCodes) {
        QCOMPARE(sqlCount(QStringLiteral("SYS_SYSTEM_VALUE_MASTER"),
                          QStringLiteral("svmVALCDE='%1'").arg(code)),
                 1);
        QCOMPARE(valueText(code), QStringLiteral("new ") + code);
    }
    QCOMPARE(sqlCount(QStringLiteral("SYS_SYSTEM_VALUE_MASTER"),
                      QStringLiteral("svmVALNBR<>0 or svmVALCHK<>0")),
             0);
    QCOMPARE(env->endCount, 1);
    if (w)
        w->closeWindow();
}

void TestSubsystemConfiguration::cancelWritesNothing() {
    fresh();
    QPointer<frmSUBSYSTEM_CONFIGURATION> w = openWindow();
    pickEntry(ledgerBox(w), 0);
    QTest::keyClicks(box(w, QStringLiteral("tbxBNKNME")), QStringLiteral("Not Saved"));
    QTest::mouseClick(button(w, "tbcCANCEL"), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(sqlCount(QStringLiteral("SYS_SYSTEM_VALUE_MASTER")), 0);
    QCOMPARE(typeOf(kYear, 1000), QStringLiteral("BNK")); // the choice was written at once
    QCOMPARE(env->endCount, 0);
}

void TestSubsystemConfiguration::logoFileDialog_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("file chosen") << true;
    QTest::newRow("dialog cancelled") << false;
}

void TestSubsystemConfiguration::logoFileDialog() {
    QFETCH(bool, accept);
    fresh();
    // A folder name with an apostrophe, which no clerk could type, must still reach the
    // statement whole.
    const QString folder = env->path(QStringLiteral("O'Neil Printing"));
    QDir().mkpath(folder);
    const QString logo = QDir(folder).filePath(QStringLiteral("logo.bmp"));
    QFile(logo).open(QIODevice::WriteOnly);
    addValue(QStringLiteral("CHKLGO"), QStringLiteral("old.bmp"));

    QPointer<frmSUBSYSTEM_CONFIGURATION> w = openWindow();
    bool seen = false;
    whenModalAppears([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        seen = dialog != nullptr;
        if (!dialog) {
            modal->close();
            return;
        }
        QCOMPARE(dialog->selectedFiles().value(0).section(u'/', -1), QStringLiteral("old.bmp"));
        if (accept)
            dialog->selectFile(logo);
        QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject");
    });
    QTest::mouseClick(button(w, "tbcCHKLGO"), Qt::LeftButton);
    QVERIFY(seen);
    const QString expected = accept ? QDir::toNativeSeparators(logo) : QStringLiteral("old.bmp");
    QCOMPARE(box(w, QStringLiteral("tbxCHKLGO"))->text(), expected);

    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(valueText(QStringLiteral("CHKLGO")), expected);
    QCOMPARE(env->messages, QStringList());
    w->closeWindow();
}

void TestSubsystemConfiguration::failedOkKeepsWindowAndProgram() {
    fresh();
    QPointer<frmSUBSYSTEM_CONFIGURATION> w = openWindow();
    // The fifth row cannot be written, after the first four were inserted.
    sqlExec(QStringLiteral("create trigger refuse before insert on SYS_SYSTEM_VALUE_MASTER "
                           "when new.svmVALCDE='BNKZIP' begin select raise(abort, 'refused'); "
                           "end"));
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(env->messages.size(), 1);
    QCOMPARE(env->endCount, 0);
    QVERIFY(w && w->isVisible());
    QCOMPARE(sqlCount(QStringLiteral("SYS_SYSTEM_VALUE_MASTER")), 4);

    // Once writing works again, OK again updates the rows already written and inserts the
    // rest: one row per code.
    sqlExec(QStringLiteral("drop trigger refuse"));
    env->clearMessages();
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(env->messages, QStringList());
    QCOMPARE(sqlCount(QStringLiteral("SYS_SYSTEM_VALUE_MASTER")), 7);
    QCOMPARE(env->endCount, 1);
    w->closeWindow();
}

// Saves a picture of the window on the demo company when BANKREC_SCREENSHOTS names a folder.
void TestSubsystemConfiguration::screenshot() {
    const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("BANKREC_SCREENSHOTS is not set");
    env.reset();
    env = std::make_unique<TestEnvironment>();
    buildDemoDatabase(env->databaseFile());
    db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1")
                  .arg(env->databaseFile()));
    for (const QString& language : {QString(), QStringLiteral("S")}) {
        shared().wrkLANGUAGE = language;
        QPointer<frmSUBSYSTEM_CONFIGURATION> w = openWindow();
        QVERIFY(w->grab().save(
            QDir(folder).filePath(QStringLiteral("subsystem_configuration%1.png").arg(language))));
        w->closeWindow();
    }
}

QTEST_MAIN(TestSubsystemConfiguration)
#include "tst_subsystem_configuration.moc"
