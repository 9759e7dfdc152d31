// The clearing window: the grid it lists, the date editor and its keys, and what OK writes.

#include "clear_transactions.h"
#include "clock.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "demo_database.h"
#include "flex_grid.h"
#include "test_support.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

constexpr int kBank = 1010;
const QString kInvalid = QStringLiteral(" The date is in an invalid format. Use MM/DD/YY. ");

void addLine(int line, int date, double amount, const QString& status = QString(), int cleared = 0,
             int account = kBank, int year = 2024) {
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                           "gltTRNDTE,gltGLANBR,gltDESCPT,gltTRNAMT,gltCHKNBR,gltRCNDTE,"
                           "gltSTATUS) values(%1,%2,%3,%4,'Line %2',%5,%6,%7,'%8')")
                .arg(year)
                .arg(line)
                .arg(date)
                .arg(account)
                .arg(amount)
                .arg(amount <= 0 ? 5000 + line : 0)
                .arg(cleared)
                .arg(status));
}

int clearedDate(int line) {
    return sqlValue(QStringLiteral("select gltRCNDTE from LDG_GENERAL_LEDGER_TRANSACTION "
                                   "where gltLNENBR=%1")
                        .arg(line))
        .toInt();
}

using Window = frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;

Window* openWindow() {
    shared().wrkBACNBR = kBank;
    auto* w = new Window;
    StatementTrace::clear();
    w->load();
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("window not exposed");
    return w;
}

// Closes the window as the clerk would; it deletes itself.
void closeWindow(QPointer<Window>& w) {
    if (w)
        w->close();
    QTRY_VERIFY(w.isNull());
}

FlexGrid* gridOf(Window* w) {
    return w->findChild<FlexGrid*>(QStringLiteral("grdTRANSACTION"));
}
QLineEdit* editorOf(Window* w) {
    return w->findChild<QLineEdit*>(QStringLiteral("tbxTRANSACTION"));
}

void clickCell(FlexGrid* grid, int row, int col) {
    const QRect r = grid->visualRect(grid->model()->index(row - 1, col));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

// The grid row that lists a ledger line.
int rowOfLine(FlexGrid* grid, int line) {
    for (int r = 1; r < grid->rows(); ++r)
        if (grid->text(r, 6) == QString::number(line))
            return r;
    return 0;
}

// Types a text into the editor and completes it with a key.
void enter(QLineEdit* editor, const QString& text, Qt::Key key = Qt::Key_Return) {
    editor->clear();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
}

} // namespace

class TestClearTransactions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gridGrowsPastTheTransactions_data();
    void gridGrowsPastTheTransactions();
    void rowsShowTheirTransaction_data();
    void rowsShowTheirTransaction();
    void shortEntry_data();
    void shortEntry();
    void editorKeys_data();
    void editorKeys();
    void f6RepeatsTheDate();
    void clickOpensEditorOnClearedDate();
    void clickOnHeadingDoesNothing();
    void scrollingEndsEditing();
    void okWritesEachDatedRow();
    void okStopsAtFirstEmptyRow();
    void failedSaveKeepsWindowUsable_data();
    void failedSaveKeepsWindowUsable();
    void reloadsForNewBankAccount();
    void screenshot();
};

void TestClearTransactions::gridGrowsPastTheTransactions_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("rows");
    QTest::newRow("none: 28 empty rows") << 0 << 29;
    QTest::newRow("26 fit") << 26 << 29;
    QTest::newRow("27 append one") << 27 << 30;
    QTest::newRow("40") << 40 << 43;
}

void TestClearTransactions::gridGrowsPastTheTransactions() {
    QFETCH(int, count);
    QFETCH(int, rows);
    TestEnvironment env;
    env.openDatabase();
    for (int i = 1; i <= count; ++i)
        addLine(i, 20240301 + i % 28, i % 2 ? 10.0 * i : -10.0 * i);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QCOMPARE(grid->rows(), rows);
    QCOMPARE(grid->cols(), 7);
    QCOMPARE(grid->text(0, 0), QStringLiteral("ClrDate"));
    QCOMPARE(grid->text(0, 5), QStringLiteral("ChkTime"));
    if (count > 0)
        QVERIFY(!grid->text(count, 6).isEmpty());
    QVERIFY(grid->text(count + 1, 5).isEmpty());
    // The key columns stay out of sight.
    QVERIFY(grid->isColumnHidden(5) && grid->isColumnHidden(6));
    QCOMPARE(StatementTrace::statements().filter("LDG_GENERAL_LEDGER_TRANSACTION"),
             QStringList({"Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                          "and gltSTATUS<>'R' and gltTRNAMT>0",
                          "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                          "and gltSTATUS<>'R' and gltTRNAMT<=0"}));
    closeWindow(w);
}

void TestClearTransactions::rowsShowTheirTransaction_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("cleared");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QColor>("colour");
    const QColor green(192, 255, 192), red(255, 192, 192);
    QTest::newRow("check shown positive") << -125.5 << "" << 0 << true << "125.50" << red;
    QTest::newRow("deposit") << 80.0 << "" << 0 << true << "80.00" << green;
    QTest::newRow("zero amount is a check") << 0.0 << "" << 0 << true << "0.00" << red;
    QTest::newRow("voided check listed") << -40.0 << "V" << 0 << true << "40.00" << red;
    QTest::newRow("NSF deposit listed") << 55.25 << "N" << 0 << true << "55.25" << green;
    QTest::newRow("cleared, not reconciled") << -9.0 << "" << 20240220 << true << "9.00" << red;
    QTest::newRow("reconciled never listed") << -9.0 << "R" << 20240220 << false << "" << red;
}

void TestClearTransactions::rowsShowTheirTransaction() {
    QFETCH(double, amount);
    QFETCH(QString, status);
    QFETCH(int, cleared);
    QFETCH(bool, listed);
    QFETCH(QString, shown);
    QFETCH(QColor, colour);
    TestEnvironment env;
    env.openDatabase();
    // The company's year begins in July: the key column carries the fiscal year of the
    // transaction date, not the row's own year.
    sqlExec("insert into SYS_ENTERPRISE_MASTER(ddmDIVCDE,ddmBOYMTH) values('*',7)");
    addLine(77, 20240305, amount, status, cleared, kBank, 2024);
    addLine(78, 20240305, amount, status, 0, 2020); // another account
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    const int row = rowOfLine(grid, 77);
    QCOMPARE(row != 0, listed);
    QCOMPARE(rowOfLine(grid, 78), 0);
    if (listed) {
        QCOMPARE(row, 1);
        QCOMPARE(grid->text(row, 0), fncFORMAT_DATE(cleared));
        QCOMPARE(grid->text(row, 2), QStringLiteral("03/05/24"));
        QCOMPARE(grid->text(row, 3), shown);
        QCOMPARE(grid->text(row, 4), QStringLiteral("Line 77"));
        QCOMPARE(grid->text(row, 5), QStringLiteral("2023"));
        for (int c = 0; c < 7; ++c)
            QCOMPARE(grid->cellColour(row, c), colour);
    }
    closeWindow(w);
}

void TestClearTransactions::shortEntry_data() {
    QTest::addColumn<QString>("first"); // a full date accepted before, "" for none
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("accepted"); // 0 = refused with the message
    QTest::addColumn<QString>("cell");

    QTest::newRow("day") << "01/31/24"
                         << "15" << 20240115 << "01/15/24";
    QTest::newRow("month and day") << "01/31/24"
                                   << "0203" << 20240203 << "02/03/24";
    QTest::newRow("month, day and year") << "01/31/24"
                                         << "031524" << 20240315 << "03/15/24";
    QTest::newRow("full date kept as typed") << "01/31/24"
                                             << "2/29/2024" << 20240229 << "2/29/2024";
    QTest::newRow("day that month lacks") << "02/10/23"
                                          << "30" << 0 << "";
    QTest::newRow("five characters") << "01/31/24"
                                     << "12345" << 0 << "";
    QTest::newRow("no such month and day") << "01/31/24"
                                           << "13/45/24" << 0 << "";
    QTest::newRow("letters") << "01/31/24"
                             << "ab" << 0 << "";
    QTest::newRow("first entry cannot be a day") << ""
                                                 << "15" << 0 << "";
    QTest::newRow("first entry cannot be month and day") << ""
                                                         << "0115" << 0 << "";
    QTest::newRow("first entry as six digits") << ""
                                               << "011524" << 20240115 << "01/15/24";
    QTest::newRow("empty is accepted") << "01/31/24"
                                       << "" << 20240131 << "";
}

void TestClearTransactions::shortEntry() {
    QFETCH(QString, first);
    QFETCH(QString, typed);
    QFETCH(int, accepted);
    QFETCH(QString, cell);
    TestEnvironment env;
    env.openDatabase();
    for (int i = 1; i <= 3; ++i)
        addLine(i, 20240105, -10.0 * i);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QLineEdit* editor = editorOf(w);
    clickCell(grid, 1, 0);
    QVERIFY(editor->isVisible());
    if (!first.isEmpty()) {
        enter(editor, first);
        QCOMPARE(grid->row(), 2);
    } else {
        QTest::keyClick(editor, Qt::Key_Down); // an empty entry moves on without a date
    }
    QCOMPARE(grid->row(), 2);
    enter(editor, typed);
    if (accepted) {
        QCOMPARE(env.messages, QStringList());
        QCOMPARE(grid->row(), 3);
        QCOMPARE(grid->text(2, 0), cell);
        QCOMPARE(w->lastValidDate(), accepted);
    } else {
        QCOMPARE(env.messages, QStringList{kInvalid});
        // The editor stays in place with the text for correction.
        QCOMPARE(grid->row(), 2);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->text(), typed);
        QCOMPARE(grid->text(2, 0), QString());
    }
    closeWindow(w);
}

void TestClearTransactions::editorKeys_data() {
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("endRow");
    QTest::newRow("down") << 2 << int(Qt::Key_Down) << 3;
    QTest::newRow("enter") << 2 << int(Qt::Key_Return) << 3;
    QTest::newRow("right") << 2 << int(Qt::Key_Right) << 3;
    QTest::newRow("up") << 3 << int(Qt::Key_Up) << 2;
    QTest::newRow("left") << 3 << int(Qt::Key_Left) << 2;
    QTest::newRow("up on the first row stays") << 1 << int(Qt::Key_Up) << 1;
    QTest::newRow("down on the last row appends") << 28 << int(Qt::Key_Down) << 29;
}

void TestClearTransactions::editorKeys() {
    QFETCH(int, startRow);
    QFETCH(int, key);
    QFETCH(int, endRow);
    TestEnvironment env;
    env.openDatabase();
    for (int i = 1; i <= 5; ++i)
        addLine(i, 20240105, 10.0 * i);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QLineEdit* editor = editorOf(w);
    const int rowsBefore = grid->rows();
    clickCell(grid, startRow, 0);
    enter(editor, QStringLiteral("011524"), Qt::Key(key));
    QCOMPARE(grid->row(), endRow);
    QCOMPARE(grid->col(), 0);
    QCOMPARE(grid->rows(), rowsBefore + (endRow > startRow && startRow == rowsBefore - 1));
    // The editor follows onto the new row with that row's text.
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->geometry(), grid->visualRect(grid->model()->index(endRow - 1, 0)));
    QCOMPARE(editor->text(), endRow == startRow ? QStringLiteral("01/15/24") : QString());
    // Leaving a row writes the completed date into its cell and nowhere else.
    if (endRow != startRow) {
        QCOMPARE(grid->text(startRow, 0), QStringLiteral("01/15/24"));
        for (int r = 1; r < grid->rows(); ++r)
            if (r != startRow)
                QCOMPARE(grid->text(r, 0), QString());
    }
    QCOMPARE(env.messages, QStringList());
    closeWindow(w);
}

void TestClearTransactions::f6RepeatsTheDate() {
    TestEnvironment env;
    env.openDatabase();
    for (int i = 1; i <= 6; ++i)
        addLine(i, 20240105, -10.0 * i);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QLineEdit* editor = editorOf(w);
    clickCell(grid, 3, 0);
    enter(editor, QStringLiteral("020524"), Qt::Key_F6);
    QCOMPARE(grid->row(), 4);
    QCOMPARE(editor->text(), QStringLiteral("02/05/24"));
    QTest::keyClick(editor, Qt::Key_F6);
    QCOMPARE(grid->row(), 5);
    QCOMPARE(editor->text(), QStringLiteral("02/05/24"));
    // The repeated date on row 5 is confirmed by OK, which takes the editor's text.
    QTest::mouseClick(w->findChild<QPushButton*>("tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
    int written = 0;
    for (int line = 1; line <= 6; ++line)
        written += clearedDate(line) == 20240205;
    QCOMPARE(written, 3);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE=0"), 3);
}

void TestClearTransactions::clickOpensEditorOnClearedDate() {
    TestEnvironment env;
    env.openDatabase();
    addLine(1, 20240105, 12.0, QString(), 20240110);
    addLine(2, 20240106, -13.0);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QLineEdit* editor = editorOf(w);
    QVERIFY(!editor->isVisible());
    QVERIFY(!w->editing());
    clickCell(grid, 1, 3);
    QVERIFY(w->editing());
    QCOMPARE(grid->col(), 0);
    QCOMPARE(editor->text(), QStringLiteral("01/10/24"));
    // A click on another row's amount moves the editor there; the amount stays as it was.
    editor->setText(QStringLiteral("01/12/24"));
    clickCell(grid, 2, 3);
    QCOMPARE(grid->row(), 2);
    QCOMPARE(grid->col(), 0);
    QCOMPARE(grid->text(1, 0), QStringLiteral("01/12/24"));
    QCOMPARE(grid->text(2, 3), QStringLiteral("13.00"));
    QCOMPARE(grid->text(1, 3), QStringLiteral("12.00"));
    QCOMPARE(editor->geometry(), grid->visualRect(grid->model()->index(1, 0)));
    closeWindow(w);
}

void TestClearTransactions::clickOnHeadingDoesNothing() {
    TestEnvironment env;
    env.openDatabase();
    addLine(1, 20240105, 12.0);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QWidget* heading = grid->horizontalHeader();
    QTest::mouseClick(heading, Qt::LeftButton, {},
                      QPoint(heading->width() / 8, heading->height() / 2));
    QVERIFY(!w->editing());
    QVERIFY(!editorOf(w)->isVisible());
    QCOMPARE(grid->text(0, 0), QStringLiteral("ClrDate"));
    QCOMPARE(grid->text(1, 0), QString());
    QCOMPARE(env.messages, QStringList());
    closeWindow(w);
}

void TestClearTransactions::scrollingEndsEditing() {
    TestEnvironment env;
    env.openDatabase();
    for (int i = 1; i <= 60; ++i)
        addLine(i, 20240105, 1.0 * i);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QLineEdit* editor = editorOf(w);
    clickCell(grid, 2, 0);
    // Moving down past the visible rows scrolls with the editor, which keeps editing.
    for (int i = 0; i < 40; ++i)
        QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(grid->row(), 42);
    QVERIFY(w->editing());
    QVERIFY(editor->isVisible());
    editor->setText(QStringLiteral("03/01/24"));
    // The clerk's own scroll leaves the cell and ends editing.
    grid->verticalScrollBar()->setValue(0);
    QVERIFY(!w->editing());
    QVERIFY(!editor->isVisible());
    QCOMPARE(grid->text(42, 0), QStringLiteral("03/01/24"));
    closeWindow(w);
}

void TestClearTransactions::okWritesEachDatedRow() {
    TestEnvironment env;
    env.openDatabase();
    addLine(1, 20240105, 12.0);                      // gets a date
    addLine(2, 20240106, 13.0, QString(), 20240120); // its date emptied: kept
    addLine(3, 20240107, -14.0);                     // left alone
    addLine(4, 20240108, -15.0);                     // text that is no date: not written
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QLineEdit* editor = editorOf(w);
    clickCell(grid, rowOfLine(grid, 1), 0);
    enter(editor, QStringLiteral("012224"));
    clickCell(grid, rowOfLine(grid, 2), 0);
    editor->clear();
    clickCell(grid, rowOfLine(grid, 4), 0);
    QTest::keyClicks(editor, QStringLiteral("99"));
    StatementTrace::clear();
    QTest::mouseClick(w->findChild<QPushButton*>("tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(StatementTrace::statements(),
             QStringList{"Update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=20240122 where "
                         "gltFSYEAR=2024 and gltLNENBR=1"});
    QCOMPARE(clearedDate(1), 20240122);
    QCOMPARE(clearedDate(2), 20240120);
    QCOMPARE(clearedDate(3), 0);
    QCOMPARE(clearedDate(4), 0);
    QCOMPARE(env.messages, QStringList());
}

void TestClearTransactions::okStopsAtFirstEmptyRow() {
    TestEnvironment env;
    env.openDatabase();
    addLine(1, 20240105, 12.0);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QLineEdit* editor = editorOf(w);
    // A date typed on the empty row after the transactions goes nowhere.
    clickCell(grid, 2, 0);
    enter(editor, QStringLiteral("012224"));
    StatementTrace::clear();
    QTest::mouseClick(w->findChild<QPushButton*>("tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(StatementTrace::statements(), QStringList());
}

void TestClearTransactions::failedSaveKeepsWindowUsable_data() {
    QTest::addColumn<QString>("breakIt");
    QTest::addColumn<QString>("repair");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("keptRows"); // rows written before the failure
    QTest::newRow("database became read-only") << "PRAGMA query_only=1"
                                               << "PRAGMA query_only=0"
                                               << "readonly" << 0;
    // Another program refuses the second row's change: the first keeps its date.
    QTest::newRow("second row refused")
        << "create trigger refuse before update on LDG_GENERAL_LEDGER_TRANSACTION when "
           "new.gltLNENBR=2 begin select raise(abort, 'row 2 is locked'); end"
        << "drop trigger refuse"
        << "row 2 is locked" << 1;
}

void TestClearTransactions::failedSaveKeepsWindowUsable() {
    QFETCH(QString, breakIt);
    QFETCH(QString, repair);
    QFETCH(QString, message);
    QFETCH(int, keptRows);
    TestEnvironment env;
    env.openDatabase();
    for (int i = 1; i <= 3; ++i)
        addLine(i, 20240105, 10.0 * i);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    QLineEdit* editor = editorOf(w);
    clickCell(grid, 1, 0);
    for (const char* day : {"012224", "23", "24"})
        enter(editor, QString::fromLatin1(day));
    sqlExec(breakIt);
    auto* ok = w->findChild<QPushButton*>("tbcOK");
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(env.messages.size(), 1);
    QVERIFY(env.messages.first().contains(message));
    QVERIFY(!w.isNull() && w->isVisible());
    sqlExec(repair);
    for (int row = 1; row <= 3; ++row)
        QCOMPARE(clearedDate(grid->text(row, 6).toInt()), row <= keptRows ? 20240121 + row : 0);
    // The typed dates are still there for the next try.
    QCOMPARE(grid->text(3, 0), QStringLiteral("01/24/24"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE=0"), 0);
}

void TestClearTransactions::reloadsForNewBankAccount() {
    TestEnvironment env;
    env.openDatabase();
    addLine(1, 20240105, 12.0);
    addLine(2, 20240105, 22.0, QString(), 0, 1020);
    addLine(3, 20240105, -32.0, QString(), 0, 1020);
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    clickCell(grid, 1, 0);
    enter(editorOf(w), QStringLiteral("012224"));
    w->activated(); // same account: nothing reloads, the typed date stays
    QCOMPARE(grid->text(1, 0), QStringLiteral("01/22/24"));
    shared().wrkBACNBR = 1020;
    w->activated();
    QCOMPARE(w->bankLoaded(), 1020);
    QVERIFY(!w->editing());
    QCOMPARE(grid->text(1, 6), QStringLiteral("2"));
    QCOMPARE(grid->text(2, 6), QStringLiteral("3"));
    QCOMPARE(grid->text(3, 6), QString());
    QCOMPARE(grid->text(1, 0), QString());
    closeWindow(w);
}

// BANKREC_SCREENSHOTS=folder saves the window on the demo database for a look.
void TestClearTransactions::screenshot() {
    const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("BANKREC_SCREENSHOTS not set");
    TestEnvironment env;
    const QString file = env.path("demo.db");
    buildDemoDatabase(file);
    db().open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + file);
    shared().wrkBACNBR = kDemoBankAccount;
    QPointer<Window> w = openWindow();
    FlexGrid* grid = gridOf(w);
    clickCell(grid, 2, 0);
    enter(editorOf(w), today().addMonths(-1).toString("MMddyy"), Qt::Key_F6);
    QDir().mkpath(folder);
    QVERIFY(w->grab().save(folder + "/clear_transactions.png"));
    closeWindow(w);
}

QTEST_MAIN(TestClearTransactions)
#include "tst_clear_transactions.moc"
