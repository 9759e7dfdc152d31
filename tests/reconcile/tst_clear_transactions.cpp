// The clearing window: the grid it lists, the date editor and its keys, and what OK hands to
// the ledger (which dates the ledger writes, and all or nothing: tst_ledger).

#include "clear_transactions.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "flex_grid.h"
#include "import_bank_statement.h"
#include "test_support.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>

namespace {

using Window = frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;
const QString kInvalid = QStringLiteral(" The date is in an invalid format. Use MM/DD/YY. ");

} // namespace

class TestClearTransactions : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:

    // Deposits first, then checks shown positive. Lines are keyed by the year stored, not their
    // date's fiscal year (July here). OK writes the import's date, the editor's in the company's
    // order and a shown date unchanged; refused, the window stays with the dates.
    void listsTheLinesAndWritesTheirDates() {
        shared().wrkDTEFMT = 2;
        sqlExec("insert into SYS_ENTERPRISE_MASTER(ddmDIVCDE,ddmBOYMTH) values('*',7)");
        insertLedgerLine({.line = 1, .date = 20240305, .amount = -125.5});
        insertLedgerLine({.line = 2, .date = 20240305, .amount = 80});
        insertLedgerLine({.line = 3, .date = 20240306, .amount = 0, .cleared = 20240304});
        StatementTrace::clear();
        QPointer<Window> w = openWindow<Window>();
        QCOMPARE(StatementTrace::statements().filter("LDG_GENERAL_LEDGER_TRANSACTION"),
                 QStringList({"Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                              "and gltSTATUS<>'R' and gltTRNAMT>0",
                              "Select * from LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 "
                              "and gltSTATUS<>'R' and gltTRNAMT<=0"}));
        FlexGrid* grid = child<FlexGrid>(w, "grdTRANSACTION");
        QStringList rows;
        for (int r = 1; r <= 3; ++r)
            rows << QStringList{grid->text(r, 0), grid->text(r, 2), grid->text(r, 3),
                                grid->text(r, 4)}
                        .join('|');
        QCOMPARE(rows, QStringList({"|05/03/24|80.00|Line 2", "|05/03/24|125.50|Line 1",
                                    "04/03/24|06/03/24|0.00|Line 3"}));
        QCOMPARE(QList<QColor>({grid->cellColour(1, 4), grid->cellColour(2, 4)}),
                 QList<QColor>({QColor(192, 255, 192), QColor(255, 192, 192)}));
        QCOMPARE(w->setClearedDates({{Window::lineKey(2024, 2), 20240310}}), 1);
        clickCell(grid, w->rowOfLine(1), 0);
        QTest::keyClicks(child<QLineEdit>(w, "tbxTRANSACTION"), QStringLiteral("11/03/24"));
        sqlExec("create trigger refuse before update on LDG_GENERAL_LEDGER_TRANSACTION when "
                "new.gltLNENBR=2 begin select raise(abort, 'row 2 is locked'); end");
        clerk::clickOk(w);
        QCOMPARE(env->messages.size(), 1);
        QVERIFY(env->messages.first().contains("row 2 is locked"));
        QVERIFY(!w.isNull() && w->isVisible());
        QCOMPARE(grid->text(w->rowOfLine(1), 0), QStringLiteral("11/03/24"));
        sqlExec("drop trigger refuse");
        clerk::clickOk(w);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(QList<int>({clearedDate(1), clearedDate(2), clearedDate(3)}),
                 QList<int>({20240311, 20240310, 20240304}));
    }

    void importButtonOpensTheImport() {
        QPointer<Window> w = openWindow<Window>();
        clerk::click(w, "tbcIMPORT_BANK_STATEMENT");
        QTRY_VERIFY(topLevel<frmIMPORT_BANK_STATEMENT>());
        deleteProgramWindows();
    }

    // Each entry is "typed key" (the editor emptied first) or a key alone. A short entry takes
    // what it lacks from the last date accepted; a refused one stays in the editor.
    void editorKeys_data() {
        QTest::addColumn<int>("start"); // the row clicked
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("row"); // where the editor ends
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("cells"); // the date column of rows 1 to 4
        QTest::addColumn<bool>("refused");
        const auto row = [](const char* name, int start, const QStringList& entries, int end,
                            const char* editor, const char* cells, bool refused = false) {
            QTest::newRow(name) << start << entries << end << QString(editor) << QString(cells)
                                << refused;
        };
        row("a day", 1, {"01/31/24 enter", "15 enter"}, 3, "", "01/31/24|01/15/24||");
        row("no such date", 1, {"01/31/24 enter", "13/45/24 enter"}, 2, "13/45/24", "01/31/24|||",
            true);
        row("a first entry cannot be a day", 1, {"15 enter"}, 1, "15", "|||", true);
        row("empty is accepted", 1, {"01/31/24 enter", "enter"}, 3, "", "01/31/24|||");
        row("up", 3, {"011524 up"}, 2, "", "||01/15/24|");
        row("up on the first row stays", 1, {"011524 up"}, 1, "01/15/24", "|||");
        row("down on the last row appends one", 28, {"011524 down"}, 29, "", "|||");
        row("F6 repeats the date", 3, {"020524 f6", "f6"}, 5, "02/05/24", "||02/05/24|02/05/24");
    }

    void editorKeys() {
        QFETCH(int, start);
        QFETCH(QStringList, entries);
        QFETCH(int, row);
        QFETCH(QString, editor);
        QFETCH(QString, cells);
        QFETCH(bool, refused);
        for (int i = 1; i <= 5; ++i)
            insertLedgerLine({.line = i, .date = 20240105, .amount = -10.0 * i});
        QPointer<Window> w = openWindow<Window>();
        FlexGrid* grid = child<FlexGrid>(w, "grdTRANSACTION");
        QLineEdit* box = child<QLineEdit>(w, "tbxTRANSACTION");
        clickCell(grid, start, 0);
        const QHash<QString, Qt::Key> keys{{"enter", Qt::Key_Return},
                                           {"up", Qt::Key_Up},
                                           {"down", Qt::Key_Down},
                                           {"f6", Qt::Key_F6}};
        for (const QString& entry : entries) {
            if (entry.contains(' ')) {
                box->clear();
                QTest::keyClicks(box, entry.section(' ', 0, 0));
            }
            QTest::keyClick(box, keys.value(entry.section(' ', -1)));
        }
        QStringList column;
        for (int r = 1; r <= 4; ++r)
            column << grid->text(r, 0);
        QCOMPARE(grid->row(), row);
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), editor);
        QCOMPARE(column.join('|'), cells);
        QCOMPARE(grid->rows(), qMax(29, row + 1)); // 28 rows, and always one empty row after
        QCOMPARE(env->messages, refused ? QStringList{kInvalid} : QStringList());
        closeAndWait(w);
    }

    void clickEditsTheClearedDate() {
        for (int i = 1; i <= 60; ++i)
            insertLedgerLine({.line = i, .amount = 10.0 * i, .cleared = 20240110});
        QPointer<Window> w = openWindow<Window>();
        FlexGrid* grid = child<FlexGrid>(w, "grdTRANSACTION");
        QLineEdit* editor = child<QLineEdit>(w, "tbxTRANSACTION");
        QCOMPARE(grid->rows(), 63); // grown past the lines, with three empty rows after them
        // A click anywhere on a row edits its cleared date.
        clickCell(grid, 1, 3);
        QVERIFY(w->editing());
        QCOMPARE(grid->col(), 0);
        QCOMPARE(editor->text(), QStringLiteral("01/10/24"));
        // A click on another row moves the editor there, leaving the date on its row.
        editor->setText(QStringLiteral("01/12/24"));
        clickCell(grid, 2, 3);
        QCOMPARE(grid->row(), 2);
        QCOMPARE(grid->text(1, 0), QStringLiteral("01/12/24"));
        // After an entry accepted with Return, a click still edits the date column (hiding the
        // focused editor once moved the grid's cell as a Tab does).
        QTest::keyClick(editor, Qt::Key_Return);
        clickCell(grid, 1, 0);
        QCOMPARE(grid->col(), 0);
        QCOMPARE(env->messages, QStringList());
        closeAndWait(w);
    }
};

QTEST_MAIN(TestClearTransactions)
#include "tst_clear_transactions.moc"
