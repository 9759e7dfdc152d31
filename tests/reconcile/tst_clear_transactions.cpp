// The clearing window: the grid it lists, the date editor and its keys, and what OK writes.

#include "clear_transactions.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "flex_grid.h"
#include "test_support.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

using Window = frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;
const QString kInvalid = QStringLiteral(" The date is in an invalid format. Use MM/DD/YY. ");

// Opens the window on 1010 with lines 1..count dated in January.
QPointer<Window> openWith(int count, double amount = 10.0) {
    for (int i = 1; i <= count; ++i)
        insertLedgerLine({.line = i, .date = 20240105, .amount = amount * i});
    StatementTrace::clear();
    return openWindow<Window>();
}

FlexGrid* gridOf(Window* w) {
    return w->findChild<FlexGrid*>("grdTRANSACTION");
}
QLineEdit* editorOf(Window* w) {
    return w->findChild<QLineEdit*>("tbxTRANSACTION");
}

// Types a text into the editor and completes it with a key.
void enter(QLineEdit* editor, const QString& text, Qt::Key key = Qt::Key_Return) {
    editor->clear();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
}

} // namespace

class TestClearTransactions : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    // Which lines are listed is the two statements' (reconciled ones never are).
    void rowsShowTheirTransaction_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("cleared");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QColor>("colour");
        const QColor green(192, 255, 192), red(255, 192, 192);
        QTest::newRow("check shown positive") << -125.5 << 0 << "125.50" << red;
        QTest::newRow("deposit") << 80.0 << 0 << "80.00" << green;
        QTest::newRow("zero amount is a check") << 0.0 << 0 << "0.00" << red;
        QTest::newRow("cleared, not reconciled") << -9.0 << 20240220 << "9.00" << red;
    }

    void rowsShowTheirTransaction() {
        QFETCH(double, amount);
        QFETCH(int, cleared);
        QFETCH(QString, shown);
        QFETCH(QColor, colour);
        // The year begins in July, so the line's date falls in fiscal 2023; it is stored under 2024
        // and keyed by that.
        sqlExec("insert into SYS_ENTERPRISE_MASTER(ddmDIVCDE,ddmBOYMTH) values('*',7)");
        insertLedgerLine({.line = 77, .date = 20240305, .amount = amount, .cleared = cleared});
        StatementTrace::clear();
        QPointer<Window> w = openWindow<Window>();
        QCOMPARE(StatementTrace::statements().filter("LDG_GENERAL_LEDGER_TRANSACTION"),
                 QStringList({"Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                              "and gltSTATUS<>'R' and gltTRNAMT>0",
                              "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                              "and gltSTATUS<>'R' and gltTRNAMT<=0"}));
        FlexGrid* grid = gridOf(w);
        QCOMPARE(w->rowOfLine(77), 1);
        const QStringList cells = {fncFORMAT_DATE(cleared), "03/05/24", shown, "Line 77"};
        for (int c = 0; c < 4; ++c)
            QCOMPARE(grid->text(1, c == 0 ? 0 : c + 1), cells[c]);
        QCOMPARE(grid->cellColour(1, 4), colour);
        QCOMPARE(w->setClearedDates({{Window::lineKey(2024, 77), 20240310}}), 1);
        clerk::clickOk(w);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(clearedDate(77, 2024), 20240310);
    }

    void shortEntryCompletesTheDate_data() {
        QTest::addColumn<QString>("first"); // a full date accepted before, "" for none
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("accepted"); // 0 = refused with the message
        QTest::addColumn<QString>("cell");
        const auto row = [](const char* name, const char* first, const char* typed, int accepted,
                            const char* cell) {
            QTest::newRow(name) << QString(first) << QString(typed) << accepted << QString(cell);
        };
        row("day", "01/31/24", "15", 20240115, "01/15/24");
        row("full date kept as typed", "01/31/24", "2/29/2024", 20240229, "2/29/2024");
        row("no such month and day", "01/31/24", "13/45/24", 0, "");
        row("first entry cannot be a day", "", "15", 0, "");
        row("first entry as six digits", "", "011524", 20240115, "01/15/24");
        row("empty is accepted", "01/31/24", "", 20240131, "");
    }

    void shortEntryCompletesTheDate() {
        QFETCH(QString, first);
        QFETCH(QString, typed);
        QFETCH(int, accepted);
        QFETCH(QString, cell);
        QPointer<Window> w = openWith(3, -10.0);
        FlexGrid* grid = gridOf(w);
        QLineEdit* editor = editorOf(w);
        clickCell(grid, 1, 0);
        if (!first.isEmpty())
            enter(editor, first);
        else
            QTest::keyClick(editor, Qt::Key_Down); // an empty entry moves on without a date
        QCOMPARE(grid->row(), 2);
        enter(editor, typed);
        QCOMPARE(env->messages, accepted ? QStringList() : QStringList{kInvalid});
        QCOMPARE(grid->text(2, 0), cell);
        if (accepted) {
            QCOMPARE(grid->row(), 3);
            QCOMPARE(w->lastValidDate(), accepted);
        } else { // the editor stays in place with the text for correction
            QCOMPARE(grid->row(), 2);
            QVERIFY(editor->isVisible());
            QCOMPARE(editor->text(), typed);
        }
        closeAndWait(w);
    }

    void arrowKeysMoveTheEditor_data() {
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("endRow");
        QTest::newRow("up") << 3 << int(Qt::Key_Up) << 2;
        QTest::newRow("up on the first row stays") << 1 << int(Qt::Key_Up) << 1;
        QTest::newRow("down on the last row appends") << 28 << int(Qt::Key_Down) << 29;
    }

    void arrowKeysMoveTheEditor() {
        QFETCH(int, startRow);
        QFETCH(int, key);
        QFETCH(int, endRow);
        QPointer<Window> w = openWith(5);
        FlexGrid* grid = gridOf(w);
        QLineEdit* editor = editorOf(w);
        const int rowsBefore = grid->rows();
        QCOMPARE(rowsBefore, 29); // 28 rows however few the lines
        clickCell(grid, startRow, 0);
        enter(editor, QStringLiteral("011524"), Qt::Key(key));
        QCOMPARE(grid->row(), endRow);
        QCOMPARE(grid->rows(), rowsBefore + (endRow > startRow && startRow == rowsBefore - 1));
        // The editor follows onto the new row with that row's text.
        QCOMPARE(editor->text(), endRow == startRow ? QStringLiteral("01/15/24") : QString());
        // Leaving a row writes the completed date into its cell and nowhere else.
        if (endRow != startRow) {
            QCOMPARE(grid->text(startRow, 0), QStringLiteral("01/15/24"));
            QCOMPARE(filledRows(grid, 0), 1);
        }
        QCOMPARE(env->messages, QStringList());
        closeAndWait(w);
    }

    void f6RepeatsTheDate() {
        QPointer<Window> w = openWith(6, -10.0);
        QLineEdit* editor = editorOf(w);
        clickCell(gridOf(w), 3, 0);
        enter(editor, QStringLiteral("020524"), Qt::Key_F6);
        QTest::keyClick(editor, Qt::Key_F6);
        QCOMPARE(gridOf(w)->row(), 5);
        QCOMPARE(editor->text(), QStringLiteral("02/05/24"));
        // OK takes the editor's text as well.
        clerk::clickOk(w);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE=20240205"), 3);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE=0"), 3);
    }

    void clickEditsTheClearedDate() {
        for (int i = 1; i <= 60; ++i)
            insertLedgerLine({.line = i, .amount = 10.0 * i, .cleared = 20240110});
        QPointer<Window> w = openWindow<Window>();
        FlexGrid* grid = gridOf(w);
        QLineEdit* editor = editorOf(w);
        QCOMPARE(grid->rows(), 63); // grown past the lines, with three empty rows after them
        // A click anywhere on a row edits its cleared date.
        const QString amount = grid->text(2, 3);
        clickCell(grid, 1, 3);
        QVERIFY(w->editing());
        QCOMPARE(grid->col(), 0);
        QCOMPARE(editor->text(), QStringLiteral("01/10/24"));
        // A click on another row moves the editor there; the amount stays as it was.
        editor->setText(QStringLiteral("01/12/24"));
        clickCell(grid, 2, 3);
        QCOMPARE(grid->row(), 2);
        QCOMPARE(grid->text(1, 0), QStringLiteral("01/12/24"));
        QCOMPARE(grid->text(2, 3), amount);
        // After an entry accepted with Return, a click still edits the date column (hiding the
        // focused editor once moved the grid's cell as a Tab does).
        QTest::keyClick(editor, Qt::Key_Return);
        clickCell(grid, 1, 0);
        QCOMPARE(grid->col(), 0);
        QCOMPARE(editor->geometry(), grid->visualRect(grid->model()->index(0, 0)));
        QCOMPARE(env->messages, QStringList());
        closeAndWait(w);
    }

    void okWritesEachDatedRow() {
        // 1 gets a date, 2 is emptied (kept), 3 is left alone, 4 gets text that is no date.
        for (int i = 1; i <= 4; ++i)
            insertLedgerLine({.line = i, .amount = i * 10.0, .cleared = i == 2 ? 20240120 : 0});
        QPointer<Window> w = openWindow<Window>();
        FlexGrid* grid = gridOf(w);
        QLineEdit* editor = editorOf(w);
        clickCell(grid, w->rowOfLine(1), 0);
        enter(editor, QStringLiteral("012224"));
        clickCell(grid, w->rowOfLine(2), 0);
        editor->clear();
        // A date on the empty row after the transactions goes nowhere.
        clickCell(grid, 5, 0);
        enter(editor, QStringLiteral("012524"));
        clickCell(grid, w->rowOfLine(4), 0);
        QTest::keyClicks(editor, QStringLiteral("99"));
        clerk::clickOk(w);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(QList<int>({clearedDate(1), clearedDate(2), clearedDate(3), clearedDate(4)}),
                 (QList<int>{20240122, 20240120, 0, 0}));
        QCOMPARE(env->messages, QStringList());
    }

    // The second row's change is refused: nothing is written, every typed date stays on screen
    // and the window stays usable for another try.
    void failedSaveKeepsWindowUsable() {
        QPointer<Window> w = openWith(3);
        FlexGrid* grid = gridOf(w);
        clickCell(grid, 1, 0);
        for (const char* day : {"012224", "23", "24"})
            enter(editorOf(w), QString::fromLatin1(day));
        sqlExec("create trigger refuse before update on LDG_GENERAL_LEDGER_TRANSACTION when "
                "new.gltLNENBR=2 begin select raise(abort, 'row 2 is locked'); end");
        clerk::clickOk(w);
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(env->messages.first().contains("row 2 is locked"));
        QVERIFY(!w.isNull() && w->isVisible());
        sqlExec("drop trigger refuse"); // nothing was written: tst_ledger
        // The typed dates are still there for the next try.
        QCOMPARE(grid->text(3, 0), QStringLiteral("01/24/24"));
        clerk::clickOk(w);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE=0"), 0);
    }

    // Every day of March cleared and not yet posted is shown in the company's format (here day
    // first) and written back unchanged when the clerk types a date on another row and presses
    // OK; the typed date is stored as the clerk meant it, and so is a short entry in the
    // company's order (the orders themselves: tst_common).
    void datesRoundTripInTheCompanysFormat() {
        shared().wrkDTEFMT = 2;
        for (int day = 1; day <= 31; ++day)
            insertLedgerLine(
                {.line = day, .date = 20240301, .amount = -double(day), .cleared = 20240300 + day});
        insertLedgerLine({.line = 40, .date = 20240320, .amount = -40});
        insertLedgerLine({.line = 41, .date = 20240320, .amount = -41});
        QPointer<Window> w = openWindow<Window>();
        FlexGrid* grid = gridOf(w);
        QCOMPARE(grid->text(w->rowOfLine(5), 0), fncFORMAT_DATE(20240305));
        clickCell(grid, w->rowOfLine(40), 0);
        enter(editorOf(w), "05/04/24", Qt::Key_Up);
        clickCell(grid, w->rowOfLine(41), 0);
        enter(editorOf(w), "0604", Qt::Key_Up); // 6 April
        clerk::clickOk(w);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(env->messages, QStringList());
        for (int day = 1; day <= 31; ++day)
            QCOMPARE(clearedDate(day), 20240300 + day);
        QCOMPARE(clearedDate(40), 20240405);
        QCOMPARE(clearedDate(41), 20240406);
    }
};

QTEST_MAIN(TestClearTransactions)
#include "tst_clear_transactions.moc"
