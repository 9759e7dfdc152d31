// The void and NSF windows on a real database: reading the typed number, what the search
// lists, picking a row, the states and Cancel, and what OK writes to each table.

#include "database.h"
#include "flex_grid.h"
#include "nsf_checks.h"
#include "test_support.h"
#include "void_checks.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

void addLine(LedgerLine l) {
    static int number = 900000;
    l.line = ++number;
    insertLedgerLine(l);
}
// An open check 500 of the bank account, deposited as check text "500".
LedgerLine check(int date = 20241101) {
    LedgerLine l{.date = date, .amount = -125.5, .check = 500, .description = "Acme Supply"};
    l.type = "CK";
    l.checkText = "500";
    return l;
}

} // namespace

class TestChecks : public QObject, WindowFixture<CheckSearchWindow> {
    Q_OBJECT

    void open(const QString& kind) {
        if (kind == QLatin1String("void"))
            w = openWindow<frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS>();
        else
            w = openWindow<frmFLAG_DEPOSITED_CHECKS_AS_NSF>();
    }
    void search(const QString& typed) {
        typeInto(w->findChild<QLineEdit*>(), typed, Qt::Key_Return);
    }
    FlexGrid* grid() const { return w->findChild<FlexGrid*>(); }
    QPushButton* ok() const { return w->findChild<QPushButton*>("tbcOK"); }

private Q_SLOTS:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void readsNumber_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("number"); // as searched; empty: nothing searched
        const auto row = [](const char* name, const char* kind, const char* typed,
                            const char* number) { QTest::newRow(name) << kind << typed << number; };
        // Halves go to the even neighbour: 13.5 up, 12.5 down.
        row("void half up to even, blanks and letters", "void", "   13.5abc", "14");
        row("void half down to even", "void", "12.5", "12");
        row("void largest", "void", "2147483647", "2147483647");
        row("void beyond 32 bits", "void", "2147483648", "");
        row("void beyond 32 bits negative", "void", "-2147483649", "");
        row("nsf leading zeros", "nsf", "00123", "'123'");
        row("nsf trailing zero of decimals", "nsf", "12.50", "'12.5'");
    }
    void readsNumber() {
        QFETCH(QString, kind);
        QFETCH(QString, typed);
        QFETCH(QString, number);
        open(kind);
        search(typed);
        const QString where = kind == QLatin1String("void")
                                  ? "gltGLANBR=1010 and gltCHKNBR=%1 and gltTRNTYP='CK' and "
                                    "gltRCNDTE=0 and gltSTATUS<>'V'"
                                  : "gltCHKTXT=%1 and gltRCNDTE=0 and gltSTATUS<>'N'";
        QStringList expected;
        if (!number.isEmpty())
            expected << "Select * from LDG_GENERAL_LEDGER_TRANSACTION where " + where.arg(number);
        QCOMPARE(StatementTrace::statements().filter("Select"), expected);
        QCOMPARE(env->messages, QStringList{"Check number is not on file."});
    }

    // A payroll check names its employee, looked up once for all the employee's checks; an
    // employee not on file leaves the description alone.
    void payrollCheckNamesTheEmployee() {
        sqlExec("insert into LDG_PAYROLL_MASTER (prmEMPNBR, prmEMPNME) values (7, 'Dana Ruiz')");
        int day = 20241101;
        for (int employee : {7, 7, 8}) {
            LedgerLine l = check(day++);
            l.journal = "PR";
            l.employee = employee;
            l.description = "Payroll";
            addLine(l);
        }
        open("void");
        search("500");
        QCOMPARE(grid()->text(1, 1) + '|' + grid()->text(2, 1) + '|' + grid()->text(3, 1),
                 QStringLiteral("Payroll (Dana Ruiz)|Payroll (Dana Ruiz)|Payroll"));
        QCOMPARE(StatementTrace::statements().filter("Select * from LDG_PAYROLL_MASTER"),
                 (QStringList{"Select * from LDG_PAYROLL_MASTER where prmEMPNBR=7",
                              "Select * from LDG_PAYROLL_MASTER where prmEMPNBR=8"}));
    }

    // The row picked gives the date the check is voided by. A refused correction is shown;
    // the pick stays and the same OK goes through once the database lets it.
    void voidWritesChosenDate() {
        addLine(check(20241101));
        addLine(check(20241105));
        sqlExec("create trigger refuse before update on LDG_GENERAL_LEDGER_TRANSACTION begin "
                "select raise(abort, 'month is closed'); end");
        open("void");
        search("500");
        clickCell(grid(), 2, 1);
        QCOMPARE(w->wrkTRNDTE, 20241105);
        clerk::clickOk(w);
        QVERIFY(env->messages.size() == 1 && env->messages.first().contains("month is closed"));
        QVERIFY(ok()->isEnabled());
        sqlExec("drop trigger refuse");
        clerk::clickOk(w);
        QCOMPARE(sqlValue("select group_concat(gltTRNDTE) from LDG_GENERAL_LEDGER_TRANSACTION "
                          "where gltSTATUS='V'"),
                 QVariant("20241105"));
        QVERIFY(!ok()->isEnabled()); // back to Idle
    }

    void nsfSearchAndFlag() {
        const int day = 20241104;
        // The deposited check on the bank account and on the receivable: both listed.
        addLine({.date = day, .amount = 80, .type = "D", .checkText = "123"});
        addLine({.date = day, .amount = -80, .account = 1200, .type = "D", .checkText = "123"});
        // Not listed: the same number stored with leading zeros.
        addLine({.date = day, .type = "D", .checkText = "00123"});
        open("nsf");
        search("00123");
        clickCell(grid(), 2, 0);
        clerk::clickOk(w);
        // The check is flagged by the number as stored, not as typed: both listed lines, not the
        // one stored as "00123" (the flag's statement: tst_ledger).
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS='N'"), 2);
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltCHKTXT='00123' and gltSTATUS=''"),
                 1);
    }

    void statesAndCancel_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("hits");
        QTest::addColumn<int>("rows"); // of the grid, headings included
        const auto row = [](const char* name, const char* kind, int hits, int rows) {
            QTest::newRow(name) << kind << hits << rows;
        };
        row("void, one hit", "void", 1, 10);
        row("void, each hit past seven adds a row", "void", 12, 15);
        row("nsf, one hit", "nsf", 1, 10);
    }
    // Idle (no hit), Listed (more) and Selected (one, picked at once with the focus on OK);
    // Cancel closes the first two and takes the third back to Idle; a click on an empty row in
    // Selected keeps OK but forgets the date.
    void statesAndCancel() {
        QFETCH(QString, kind);
        QFETCH(int, hits);
        QFETCH(int, rows);
        const bool isVoid = kind == QLatin1String("void");
        const QColor background = isVoid ? QColor(255, 192, 192) : QColor(192, 255, 192);
        for (int i = 0; i < hits; ++i)
            addLine(check(20241101 + i));
        sqlExec("update LDG_GENERAL_LEDGER_TRANSACTION set gltFNDNBR=3");
        open(kind);
        search("500");
        QCOMPARE(filledRows(grid()), hits);
        QCOMPARE(grid()->rows(), rows);
        QCOMPARE(ok()->isEnabled(), hits == 1);
        if (hits == 1) {
            const FlexGrid* g = grid();
            QCOMPARE((QStringList{g->text(1, 0), g->text(1, 1), g->text(1, 2), g->text(1, 3)}),
                     (QStringList{"11/01/24", "Acme Supply", "125.50", isVoid ? "3" : ""}));
            QCOMPARE(w->wrkTRNDTE, 20241101);
            QTRY_VERIFY(ok()->hasFocus());
            QCOMPARE(w->selectionColour(), isVoid ? QColor(192, 0, 0) : QColor(0, 192, 0));
            env->clearMessages();
            clickCell(grid(), 3, 1);
            QCOMPARE(env->messages, QStringList{"You must select a valid check."});
            QVERIFY(ok()->isEnabled());
            QCOMPARE(w->wrkTRNDTE, 0);
            QCOMPARE(w->selectionColour(), isVoid ? background : QColor(0, 255, 0));

            clerk::click(w, "tbcCANCEL");
            QVERIFY(w);
            QVERIFY(!ok()->isEnabled());
            QVERIFY(w->findChild<QLineEdit*>()->text().isEmpty());
            QCOMPARE(filledRows(grid()), 0);
            QTRY_VERIFY(w->findChild<QLineEdit*>()->hasFocus());
            // Enter searches again; the next Cancel closes the window.
            search("500");
            QVERIFY(ok()->isEnabled());
            search("999");
            QVERIFY(!ok()->isEnabled());
            QCOMPARE(w->wrkTRNDTE, 0);
        }
        clerk::click(w, "tbcCANCEL");
        QTRY_VERIFY(w.isNull());
    }
};

QTEST_MAIN(TestChecks)
#include "tst_checks.moc"
