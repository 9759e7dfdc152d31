// The adjustments window: the ledger list, the two lines an adjustment writes and their line
// numbers, the list, showing and deleting one, and what a failing database leaves behind.

#include "account_adjustments.h"
#include "context.h"
#include "database.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "test_support.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

const QColor kGreen(192, 255, 192);
const QColor kRed(255, 192, 192);

// The chart of accounts of 2024 (today is 15 November 2024, so the default adjustment
// date, a month back, falls in 2024 too) and the bank account 1010.
void seedLedger() {
    const char* accounts[][2] = {{"1010", "Operating Bank"},
                                 {"1020", "Petty Cash"},
                                 {"4010", "Interest Income"},
                                 {"5010", "Bank Service Charges"},
                                 {"5020", "Office Supplies"}};
    for (const auto& a : accounts)
        sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,"
                               "glmGLANBR,glmGLANME,glmGLATYP) values(2024,'*',%1,'%2','%3')")
                    .arg(QLatin1String(a[0]), QLatin1String(a[1]),
                         QLatin1String(a[0]) == QLatin1String("1010") ? "BNK" : ""));
    shared().wrkBACNBR = 1010;
    shared().wrkFSYEAR = 2024;
}

void insertLine(int year, int line, const QString& journal, int date, int time, const QString& type,
                int account, double amount, const QString& text = {}) {
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                           "gltJRNCDE,gltTRNDTE,gltTRNTME,gltTRNTYP,gltGLANBR,gltDESCPT,"
                           "gltTRNAMT) values(%1,%2,'%3',%4,%5,'%6',%7,'%8',%9)")
                .arg(year)
                .arg(line)
                .arg(journal)
                .arg(date)
                .arg(time)
                .arg(type)
                .arg(account)
                .arg(text)
                .arg(amount));
}

// An adjustment as an earlier session wrote it: bank line and reversing line.
void insertAdjustment(int line, int date, int time, int account, double typed,
                      const QString& text) {
    insertLine(2024, line, QStringLiteral("BA"), date, time, QStringLiteral("A"), 1010, typed,
               text);
    insertLine(2024, line + 1, QStringLiteral("BA"), date, time, QStringLiteral("R"), account,
               -typed, text);
}

frmAUD_ACCOUNT_ADJUSTMENTS* openWindow() {
    auto* w = new frmAUD_ACCOUNT_ADJUSTMENTS();
    w->load();
    w->show();
    return w;
}

template <typename T> T* child(QWidget* w, const char* name) {
    T* found = w->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Picks an item from the drop-down list with the mouse, as the clerk does.
void chooseLedger(QWidget* w, int index) {
    auto* combo = child<QComboBox>(w, "cbxLEDGER");
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex item = combo->model()->index(index, 0);
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    QTRY_VERIFY(!view->isVisible());
}

int itemIndex(QWidget* w, const QString& startsWith) {
    auto* combo = child<QComboBox>(w, "cbxLEDGER");
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i).startsWith(startsWith))
            return i;
    return -1;
}

void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

void doubleClickRow(QWidget* w, int row) {
    auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
    const QPoint at = grid->cellRect(row, 1).center() - grid->viewport()->geometry().topLeft();
    // The view takes a double click only on the cell the first press went to.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

QVariant lineValue(int line, const QString& column) {
    return sqlValue(QStringLiteral("select %1 from LDG_GENERAL_LEDGER_TRANSACTION where "
                                   "gltFSYEAR=2024 and gltLNENBR=%2")
                        .arg(column)
                        .arg(line));
}

QStringList statementsStarting(const QString& start) {
    QStringList found;
    for (const QString& sql : StatementTrace::statements())
        if (sql.startsWith(start))
            found << sql;
    return found;
}

} // namespace

class TestAccountAdjustments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ledgerList_data();
    void ledgerList();
    void add_data();
    void add();
    void addWithoutLedger_data();
    void addWithoutLedger();
    void listOrderAndGrowth();
    void showAndDelete();
    void failedAddWritesNothing_data();
    void failedAddWritesNothing();
};

void TestAccountAdjustments::ledgerList_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("english") << ""
                             << "* Select General Ledger Account *";
    QTest::newRow("spanish") << "S"
                             << "* Cuenta selecta del Libro de Contabilidad *";
}

void TestAccountAdjustments::ledgerList() {
    QFETCH(QString, language);
    QFETCH(QString, prompt);
    TestEnvironment env;
    env.openDatabase();
    seedLedger();
    // Another year's chart must not leak into the list.
    sqlExec("insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmGLANBR,glmGLANME) "
            "values(2023,6010,'Old Account')");
    shared().wrkLANGUAGE = language;
    QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> w = openWindow();

    const QString hyphens(90, QLatin1Char('-'));
    const QStringList expected = {" 1020  Petty Cash",           hyphens,
                                  " 4010  Interest Income",      hyphens,
                                  " 5010  Bank Service Charges", " 5020  Office Supplies"};
    const QList<int> numbers = {1020, 0, 4010, 0, 5010, 5020};
    auto* combo = child<QComboBox>(w, "cbxLEDGER");
    QStringList items;
    QList<int> data;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
        data << combo->itemData(i).toInt();
    }
    QCOMPARE(items, expected);
    QCOMPARE(data, numbers);
    QCOMPARE(combo->currentText(), prompt);
    QVERIFY(StatementTrace::statements().contains(
        "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 and glmGLANBR<>1010 "
        "order by glmGLANBR"));
    delete w;
}

void TestAccountAdjustments::add_data() {
    QTest::addColumn<int>("highestLine"); // of 2024; 0 = the year has no lines yet
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("account");
    QTest::addColumn<double>("bankAmount");
    QTest::addColumn<QString>("bankText"); // the amounts as the statements write them
    QTest::addColumn<QString>("reversingText");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("service charge after line 340") << 340 << "25.00"
                                                   << " 5010" << 25.0 << "25"
                                                   << "-25"
                                                   << "-25.00" << kGreen;
    QTest::newRow("negative amount in an empty year") << 0 << "-10"
                                                      << " 5010" << -10.0 << "-10"
                                                      << "10"
                                                      << "10.00" << kRed;
    QTest::newRow("zero amount is accepted") << 7 << "0"
                                             << " 4010" << 0.0 << "0"
                                             << "0"
                                             << "0.00" << kRed;
    QTest::newRow("rounded to four decimals") << 12 << "12.34567"
                                              << " 4010" << 12.3457 << "12.3457"
                                              << "-12.3457"
                                              << "-12.35" << kGreen;
}

void TestAccountAdjustments::add() {
    QFETCH(int, highestLine);
    QFETCH(QString, typed);
    QFETCH(QString, account);
    QFETCH(double, bankAmount);
    QFETCH(QString, bankText);
    QFETCH(QString, reversingText);
    QFETCH(QString, listed);
    QFETCH(QColor, colour);
    TestEnvironment env;
    env.openDatabase();
    seedLedger();
    if (highestLine > 0)
        insertLine(2024, highestLine, QStringLiteral("GJ"), 20240105, 0, QString(), 1010, 1);
    // Line numbers run per fiscal year: a higher number in another year does not count.
    insertLine(2023, 5000, QStringLiteral("GJ"), 20231231, 0, QString(), 1010, 1);
    QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> w = openWindow();

    child<DatePicker>(w, "dbxTRNDTE")->setDateNumber(20241031);
    type(child<QLineEdit>(w, "tbxDESCPT"), QStringLiteral("Service charge"));
    chooseLedger(w, itemIndex(w, account));
    type(child<QLineEdit>(w, "tbxTRNAMT"), typed);
    StatementTrace::clear();
    QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messages.join('\n')));

    const int bankLine = highestLine + 1;
    const int reversingAccount = account.trimmed().toInt();
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltJRNCDE='BA'"), 2);
    const int time = lineValue(bankLine, "gltTRNTME").toInt();
    QVERIFY(time > 0);
    struct Expected {
        int line;
        QString type;
        int account;
        double amount;
    };
    for (const Expected& e : {Expected{bankLine, "A", 1010, bankAmount},
                              Expected{bankLine + 1, "R", reversingAccount, -bankAmount}}) {
        QCOMPARE(lineValue(e.line, "gltJRNCDE").toString(), QString("BA"));
        QCOMPARE(lineValue(e.line, "gltTRNTYP").toString(), e.type);
        QCOMPARE(lineValue(e.line, "gltGLANBR").toInt(), e.account);
        QCOMPARE(lineValue(e.line, "gltTRNAMT").toDouble(), e.amount);
        QCOMPARE(lineValue(e.line, "gltTRNDTE").toInt(), 20241031);
        QCOMPARE(lineValue(e.line, "gltTRNTME").toInt(), time);
        QCOMPARE(lineValue(e.line, "gltPSTDTE").toInt(), 20241115);
        QCOMPARE(lineValue(e.line, "gltDESCPT").toString(), QString("Service charge"));
        // Left to the table: the line is uncleared and open.
        QCOMPARE(lineValue(e.line, "gltRCNDTE").toInt(), 0);
        QCOMPARE(lineValue(e.line, "gltSTATUS").toString(), QString());
    }

    const QString insert = "Insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                           "gltJRNCDE,gltTRNDTE,gltTRNTME,gltTRNTYP,gltGLANBR,gltDESCPT,"
                           "gltTRNAMT,gltPSTDTE) values(2024,%1,'BA',20241031,%2,'%3',%4,"
                           "'Service charge',%5,20241115)";
    const QStringList expectedStatements = {
        "Select max(gltLNENBR) as maxLNENBR from LDG_GENERAL_LEDGER_TRANSACTION where "
        "gltFSYEAR=2024",
        insert.arg(bankLine).arg(time).arg("A").arg(1010).arg(bankText),
        insert.arg(bankLine + 1).arg(time).arg("R").arg(reversingAccount).arg(reversingText)};
    const QStringList trace = StatementTrace::statements();
    const int first = trace.indexOf(expectedStatements[0]);
    QVERIFY2(first >= 0, qPrintable(trace.join('\n')));
    QCOMPARE(trace.mid(first, 3), expectedStatements);

    // Back in the entry state, with the new adjustment listed by its reversing line.
    auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
    QCOMPARE(grid->text(1, 0), QString("10/31/24"));
    QCOMPARE(grid->text(1, 1), QString::number(reversingAccount));
    QCOMPARE(grid->text(1, 4), listed);
    QCOMPARE(grid->text(1, 5), QString::number(time));
    for (int col = 0; col < 6; ++col)
        QCOMPARE(grid->cellColour(1, col), colour);
    QCOMPARE(child<QLineEdit>(w, "tbxTRNAMT")->text(), QString("0.00"));
    QCOMPARE(child<QLineEdit>(w, "tbxDESCPT")->text(), QString());
    QCOMPARE(child<QComboBox>(w, "cbxLEDGER")->currentText(),
             QString("* Select General Ledger Account *"));
    QCOMPARE(child<DatePicker>(w, "dbxTRNDTE")->dateNumber(), 20241015);
    delete w;
}

void TestAccountAdjustments::addWithoutLedger_data() {
    QTest::addColumn<QString>("choice"); // start of the item chosen; "" = none
    QTest::newRow("nothing chosen") << "";
    QTest::newRow("separator chosen") << "-----";
    QTest::newRow("account, then separator") << "then-sep";
}

void TestAccountAdjustments::addWithoutLedger() {
    QFETCH(QString, choice);
    TestEnvironment env;
    env.openDatabase();
    seedLedger();
    QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> w = openWindow();
    if (choice == "then-sep") {
        chooseLedger(w, itemIndex(w, " 5010"));
        choice = "-----";
    }
    if (!choice.isEmpty())
        chooseLedger(w, itemIndex(w, choice));
    type(child<QLineEdit>(w, "tbxDESCPT"), QStringLiteral("Interest"));
    type(child<QLineEdit>(w, "tbxTRNAMT"), QStringLiteral("4.10"));
    QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);

    QCOMPARE(env.messages, QStringList{"A reversing ledger number must be selected."});
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION"), 0);
    QCOMPARE(child<QLineEdit>(w, "tbxDESCPT")->text(), QString("Interest"));
    QCOMPARE(child<QLineEdit>(w, "tbxTRNAMT")->text(), QString("4.10"));
    delete w;
}

void TestAccountAdjustments::listOrderAndGrowth() {
    TestEnvironment env;
    env.openDatabase();
    seedLedger();
    // Newest date first, earlier time first within a date; every bank account's
    // adjustments; a reversing account missing from the chart shows no name.
    insertAdjustment(10, 20240930, 90000, 5010, 25, "September fee");
    insertAdjustment(20, 20241031, 150000, 4010, -3.5, "Late interest");
    insertAdjustment(30, 20241031, 80000, 7777, 12, "Unknown account");
    for (int i = 0; i < 10; ++i)
        insertAdjustment(100 + 2 * i, 20240101 + i, 100000, 5020, 1, "Filler");
    QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> w = openWindow();

    auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
    QCOMPARE(grid->text(1, 3), QString("Unknown account"));
    QCOMPARE(grid->text(1, 2), QString());
    QCOMPARE(grid->text(2, 3), QString("Late interest"));
    QCOMPARE(grid->text(2, 2), QString("Interest Income"));
    QCOMPARE(grid->text(2, 4), QString("3.50"));
    QCOMPARE(grid->cellColour(2, 0), kRed);
    QCOMPARE(grid->text(3, 3), QString("September fee"));
    QCOMPARE(grid->text(3, 4), QString("-25.00"));
    QCOMPARE(grid->cellColour(3, 5), kGreen);
    // 13 adjustments in a grid of 11 data rows: it grew so empty rows follow them.
    QCOMPARE(grid->text(13, 3), QString("Filler"));
    QCOMPARE(grid->rows(), 16);
    QCOMPARE(grid->text(14, 0), QString());
    // One lookup per reversing account, not one per row.
    QCOMPARE(statementsStarting("Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2024 "
                                "and glmGLANBR=5020")
                 .size(),
             1);
    delete w;
}

void TestAccountAdjustments::showAndDelete() {
    TestEnvironment env;
    env.openDatabase();
    seedLedger();
    insertAdjustment(50, 20241031, 93015, 5010, 25.5, "Service charge");
    insertAdjustment(52, 20241031, 93016, 4010, -2, "Interest");
    QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> w = openWindow();
    auto* add = child<QPushButton>(w, "tbcADD");
    auto* del = child<QPushButton>(w, "tbcDELETE");
    QVERIFY(add->isEnabled());
    QVERIFY(!del->isEnabled());

    StatementTrace::clear();
    doubleClickRow(w, 1);
    QVERIFY(StatementTrace::statements().contains(
        "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltJRNCDE='BA' and "
        "gltTRNDTE=20241031 and gltTRNTME=93015 and gltTRNTYP='R'"));
    QCOMPARE(child<QLineEdit>(w, "tbxDESCPT")->text(), QString("Service charge"));
    QCOMPARE(child<QComboBox>(w, "cbxLEDGER")->currentText(), QString("5010 Bank Service Charges"));
    QCOMPARE(child<QLineEdit>(w, "tbxTRNAMT")->text(), QString("-25.5"));
    QCOMPARE(child<DatePicker>(w, "dbxTRNDTE")->dateNumber(), 20241031);
    QVERIFY(!add->isEnabled());
    QVERIFY(del->isEnabled());

    // An empty row only resets the fields.
    doubleClickRow(w, 5);
    QCOMPARE(child<QLineEdit>(w, "tbxDESCPT")->text(), QString());
    QCOMPARE(child<QLineEdit>(w, "tbxTRNAMT")->text(), QString("0.00"));
    QVERIFY(add->isEnabled());
    QVERIFY(!del->isEnabled());

    // Delete removes both lines of the shown adjustment and nothing else.
    doubleClickRow(w, 1);
    StatementTrace::clear();
    QTest::mouseClick(del, Qt::LeftButton);
    QVERIFY(StatementTrace::statements().contains(
        "Delete from LDG_GENERAL_LEDGER_TRANSACTION where gltTRNDTE=20241031 and "
        "gltTRNTME=93015 and gltJRNCDE='BA'"));
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltTRNTME=93015"), 0);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltTRNTME=93016"), 2);
    auto* grid = child<FlexGrid>(w, "grdADJUSTMENT");
    QCOMPARE(grid->text(1, 3), QString("Interest"));
    QCOMPARE(grid->text(2, 3), QString());
    QVERIFY(add->isEnabled());
    QVERIFY(!del->isEnabled());
    QVERIFY(env.messages.isEmpty());
    delete w;
}

void TestAccountAdjustments::failedAddWritesNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("lift");
    QTest::newRow("database became read-only") << "PRAGMA query_only=1"
                                               << "PRAGMA query_only=0";
    QTest::newRow("reversing line refused")
        << "create trigger refuse before insert on LDG_GENERAL_LEDGER_TRANSACTION when "
           "new.gltTRNTYP='R' begin select raise(abort, 'disk full'); end"
        << "drop trigger refuse";
}

void TestAccountAdjustments::failedAddWritesNothing() {
    QFETCH(QString, fault);
    QFETCH(QString, lift);
    TestEnvironment env;
    env.openDatabase();
    seedLedger();
    insertLine(2024, 340, QStringLiteral("GJ"), 20240105, 0, QString(), 1010, 1);
    QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> w = openWindow();
    type(child<QLineEdit>(w, "tbxDESCPT"), QStringLiteral("Service charge"));
    chooseLedger(w, itemIndex(w, " 5010"));
    type(child<QLineEdit>(w, "tbxTRNAMT"), QStringLiteral("25"));

    sqlExec(fault);
    QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);
    QCOMPARE(env.messages.size(), 1);
    QVERIFY(!env.messages.first().isEmpty());
    sqlExec(lift);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltJRNCDE='BA'"), 0);
    // The clerk's entry is still there: pressing Add again writes it whole.
    QVERIFY(w);
    QCOMPARE(child<QLineEdit>(w, "tbxDESCPT")->text(), QString("Service charge"));
    QTest::mouseClick(child<QPushButton>(w, "tbcADD"), Qt::LeftButton);
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(lineValue(341, "gltTRNAMT").toDouble(), 25.0);
    QCOMPARE(lineValue(342, "gltTRNAMT").toDouble(), -25.0);
    delete w;
}

QTEST_MAIN(TestAccountAdjustments)
#include "tst_account_adjustments.moc"
