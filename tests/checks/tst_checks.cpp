// The void and NSF windows on a real database: reading the typed number, what the search
// lists, picking a row, the states and Cancel, and what OK writes to each table.

#include "context.h"
#include "database.h"
#include "demo_database.h"
#include "flex_grid.h"
#include "nsf_checks.h"
#include "test_support.h"
#include "void_checks.h"

#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kBank = 1010;

// One ledger line; the defaults are an open check of the bank account.
struct Line {
    int account = kBank;
    int date = 20241101;
    QString type = QStringLiteral("CK");
    int check = 500;
    QString text = QString();
    double amount = -125.5;
    int cleared = 0;
    QString status = QString();
    QString journal = QStringLiteral("CD");
    int employee = 0;
    QString payee = QStringLiteral("Acme Supply");
};

void addLine(const Line& l) {
    static int number = 900000; // above the demo company's lines
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION (gltFSYEAR, gltLNENBR, "
                           "gltJRNCDE, gltTRNDTE, gltTRNTYP, gltGLANBR, gltDESCPT, gltTRNAMT, "
                           "gltCHKNBR, gltCHKTXT, gltRCNDTE, gltSTATUS, gltFNDNBR, gltEMPNBR) "
                           "values (2024, %1, '%2', %3, '%4', %5, '%6', %7, %8, '%9', %10, "
                           "'%11', 3, %12)")
                .arg(++number)
                .arg(l.journal)
                .arg(l.date)
                .arg(l.type)
                .arg(l.account)
                .arg(l.payee)
                .arg(l.amount)
                .arg(l.check)
                .arg(l.text)
                .arg(l.cleared)
                .arg(l.status)
                .arg(l.employee));
}

// Opens one of the twins, "void" or "nsf", as the main window does.
CheckSearchWindow* openWindow(const QString& kind) {
    shared().wrkBACNBR = kBank;
    CheckSearchWindow* w = nullptr;
    if (kind == QLatin1String("void"))
        w = new frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS;
    else
        w = new frmFLAG_DEPOSITED_CHECKS_AS_NSF;
    w->load();
    w->show();
    return w;
}

QLineEdit* numberBox(QWidget* w) {
    auto* box = w->findChild<QLineEdit*>(QStringLiteral("tbxCHKNBR"));
    return box ? box : w->findChild<QLineEdit*>(QStringLiteral("tbxCHKTXT"));
}
FlexGrid* grid(QWidget* w) {
    return w->findChild<FlexGrid*>(QStringLiteral("grdCHECK"));
}
QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}

void search(QWidget* w, const QString& typed) {
    QLineEdit* box = numberBox(w);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);
}

void clickCell(FlexGrid* g, int row, int col) {
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->visualRect(g->model()->index(row - 1, col)).center());
}

int rowOfDate(FlexGrid* g, int date) {
    for (int row = 1; row < g->rows(); ++row)
        if (g->rowData(row) == date)
            return row;
    return 0;
}

int filledRows(FlexGrid* g) {
    int n = 0;
    while (n + 1 < g->rows() && !g->text(n + 1, 0).isEmpty())
        ++n;
    return n;
}

QStringList tracedLike(const QString& start) {
    return StatementTrace::statements().filter(QRegularExpression(u'^' + start));
}

} // namespace

class TestChecks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void voidReadsNumber_data();
    void voidReadsNumber();
    void voidSearchConditions_data();
    void voidSearchConditions();
    void payrollPayee_data();
    void payrollPayee();
    void gridGrows_data();
    void gridGrows();
    void voidWritesChosenDate();
    void nsfReadsNumber_data();
    void nsfReadsNumber();
    void nsfSearchAndFlag();
    void statesAndCancel_data();
    void statesAndCancel();
    void failedCorrectionLeavesNothing_data();
    void failedCorrectionLeavesNothing();
    void screenshots();
};

void TestChecks::voidReadsNumber_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("number"); // -1: nothing searched
    QTest::newRow("plain") << "123" << 123;
    QTest::newRow("trailing letters, leading blanks") << "   123abc" << 123;
    QTest::newRow("blanks inside") << "1 2 3" << 123;
    QTest::newRow("half rounds down to even") << "12.5" << 12;
    QTest::newRow("half rounds up to even") << "13.5" << 14;
    QTest::newRow("above half") << "12.51" << 13;
    QTest::newRow("exponent") << "1e3" << 1000;
    QTest::newRow("no digits") << "abc" << 0;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("beyond 32 bits") << "2147483648" << -1;
    QTest::newRow("beyond 32 bits negative") << "-2147483649" << -1;
}

void TestChecks::voidReadsNumber() {
    QFETCH(QString, typed);
    QFETCH(int, number);
    TestEnvironment env;
    env.openDatabase();
    QPointer w = openWindow(QStringLiteral("void"));
    search(w, typed);
    const QStringList searches = tracedLike(QStringLiteral("Select \\* from LDG_GENERAL"));
    if (number < 0) {
        QVERIFY(searches.isEmpty());
    } else {
        QCOMPARE(searches,
                 QStringList{QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION where "
                                            "gltGLANBR=1010 and gltCHKNBR=%1 and "
                                            "gltTRNTYP='CK' and gltRCNDTE=0 and gltSTATUS<>'V'")
                                 .arg(number)});
        QCOMPARE(static_cast<frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS*>(w.data())->wrkCHKNBR, number);
    }
    QCOMPARE(env.messages, QStringList{"Check number is not on file."});
    delete w;
}

void TestChecks::voidSearchConditions_data() {
    QTest::addColumn<int>("account");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("cleared");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("listed");
    QTest::newRow("open check") << kBank << "CK" << 0 << "" << true;
    QTest::newRow("reconciled status, not cleared") << kBank << "CK" << 0 << "R" << true;
    QTest::newRow("voided") << kBank << "CK" << 0 << "V" << false;
    QTest::newRow("cleared") << kBank << "CK" << 20241120 << "" << false;
    QTest::newRow("other account") << 1020 << "CK" << 0 << "" << false;
    QTest::newRow("not a check") << kBank << "A" << 0 << "" << false;
}

void TestChecks::voidSearchConditions() {
    QFETCH(int, account);
    QFETCH(QString, type);
    QFETCH(int, cleared);
    QFETCH(QString, status);
    QFETCH(bool, listed);
    TestEnvironment env;
    env.openDatabase();
    addLine({.account = account, .type = type, .cleared = cleared, .status = status});
    addLine({.check = 501}); // another number is never listed
    QPointer w = openWindow(QStringLiteral("void"));
    search(w, QStringLiteral("500"));
    FlexGrid* g = grid(w);
    QPushButton* ok = button(w, "tbcOK");
    if (!listed) {
        QCOMPARE(env.messages, QStringList{"Check number is not on file."});
        QVERIFY(g->text(1, 0).isEmpty());
        QVERIFY(!ok->isEnabled());
        delete w;
        return;
    }
    // One hit is picked at once, with the focus on OK.
    QVERIFY(env.messages.isEmpty());
    QCOMPARE(filledRows(g), 1);
    QCOMPARE(g->text(1, 0), QStringLiteral("11/01/24"));
    QCOMPARE(g->text(1, 1), QStringLiteral("Acme Supply"));
    QCOMPARE(g->text(1, 2), QStringLiteral("125.50"));
    QCOMPARE(g->text(1, 3), QStringLiteral("3"));
    QCOMPARE(w->wrkTRNDTE, 20241101);
    QVERIFY(ok->isEnabled());
    QTRY_VERIFY(ok->hasFocus());
    QCOMPARE(w->selectionColour(), QColor(192, 0, 0));
    QCOMPARE(g->selectionModel()->selectedIndexes().size(), 3);
    QVERIFY(!g->selectionModel()->isSelected(g->model()->index(0, 3)));
    delete w;
}

void TestChecks::payrollPayee_data() {
    QTest::addColumn<QString>("journal");
    QTest::addColumn<bool>("employeeOnFile");
    QTest::addColumn<QString>("payee");
    QTest::addColumn<int>("lookups");
    QTest::newRow("payroll, employee found") << "PR" << true << "Payroll (Dana Ruiz)" << 1;
    QTest::newRow("payroll, employee missing") << "PR" << false << "Payroll" << 1;
    QTest::newRow("journal code is case-sensitive") << "pr" << true << "Payroll" << 0;
    QTest::newRow("not payroll") << "CD" << true << "Payroll" << 0;
}

void TestChecks::payrollPayee() {
    QFETCH(QString, journal);
    QFETCH(bool, employeeOnFile);
    QFETCH(QString, payee);
    QFETCH(int, lookups);
    TestEnvironment env;
    env.openDatabase();
    if (employeeOnFile)
        sqlExec("insert into LDG_PAYROLL_MASTER (prmEMPNBR, prmEMPNME) values (7, 'Dana Ruiz')");
    // Two checks of the same employee: one lookup serves both rows.
    for (int date : {20241101, 20241108})
        addLine({.date = date, .journal = journal, .employee = 7, .payee = "Payroll"});
    QPointer w = openWindow(QStringLiteral("void"));
    search(w, QStringLiteral("500"));
    QCOMPARE(grid(w)->text(1, 1), payee);
    QCOMPARE(grid(w)->text(2, 1), payee);
    QCOMPARE(tracedLike(QStringLiteral("Select \\* from LDG_PAYROLL_MASTER")),
             QStringList(lookups, "Select * from LDG_PAYROLL_MASTER where prmEMPNBR=7"));
    delete w;
}

void TestChecks::gridGrows_data() {
    QTest::addColumn<int>("hits");
    QTest::addColumn<int>("rows");
    QTest::newRow("seven fit") << 7 << 10;
    QTest::newRow("eighth adds a row") << 8 << 11;
    QTest::newRow("each further hit adds one") << 12 << 15;
}

void TestChecks::gridGrows() {
    QFETCH(int, hits);
    QFETCH(int, rows);
    TestEnvironment env;
    env.openDatabase();
    for (int i = 0; i < hits; ++i)
        addLine({.date = 20241101 + i});
    QPointer w = openWindow(QStringLiteral("void"));
    QCOMPARE(grid(w)->rows(), 10);
    search(w, QStringLiteral("500"));
    QCOMPARE(filledRows(grid(w)), hits);
    QCOMPARE(grid(w)->rows(), rows);
    delete w;
}

void TestChecks::voidWritesChosenDate() {
    TestEnvironment env;
    env.openDatabase();
    addLine({.date = 20241101});
    addLine({.date = 20241105, .payee = "Second"});
    addLine({.date = 20241105, .cleared = 20241110}); // not listed, yet voided with its check
    addLine({.account = 5100, .date = 20241105, .type = "XX", .amount = 125.5}); // other side
    for (int date : {20241101, 20241105}) {
        sqlExec(QStringLiteral("insert into LDG_BANK_EXPENDITURE_TRANSACTION (betGLANBR, "
                               "betCHKNBR, betCHKDTE) values (1010, 500, %1), (1020, 500, %1)")
                    .arg(date));
        sqlExec(QStringLiteral("insert into LDG_PAYROLL_TRANSACTION (prtCHKNBR, prtCHKDTE) "
                               "values (500, %1)")
                    .arg(date));
    }
    QPointer w = openWindow(QStringLiteral("void"));
    search(w, QStringLiteral("500"));
    FlexGrid* g = grid(w);
    // Two hits: listed, nothing picked.
    QCOMPARE(filledRows(g), 2);
    QVERIFY(!button(w, "tbcOK")->isEnabled());
    QCOMPARE(w->wrkTRNDTE, 0);

    clickCell(g, rowOfDate(g, 20241105), 1);
    QCOMPARE(w->wrkTRNDTE, 20241105);
    StatementTrace::clear();
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);

    QCOMPARE(StatementTrace::statements(),
             (QStringList{"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='V' where "
                          "gltGLANBR=1010 and gltCHKNBR=500 and gltTRNDTE=20241105",
                          "Delete from LDG_BANK_EXPENDITURE_TRANSACTION where betCHKNBR=500 and "
                          "betCHKDTE=20241105",
                          "Delete from LDG_PAYROLL_TRANSACTION where prtCHKNBR=500 and "
                          "prtCHKDTE=20241105"}));
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS='V'"), 2);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION",
                      "gltSTATUS='V' and gltGLANBR=1010 and gltTRNDTE=20241105"),
             2);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltTRNAMT=-125.5"), 3);
    QCOMPARE(sqlCount("LDG_BANK_EXPENDITURE_TRANSACTION", "betCHKDTE=20241105"), 0);
    QCOMPARE(sqlCount("LDG_BANK_EXPENDITURE_TRANSACTION", "betCHKDTE=20241101"), 2);
    QCOMPARE(sqlCount("LDG_PAYROLL_TRANSACTION"), 1);

    // Back to Idle, and the other date is the one check left.
    QVERIFY(numberBox(w)->text().isEmpty());
    QVERIFY(!button(w, "tbcOK")->isEnabled());
    QCOMPARE(filledRows(g), 0);
    QCOMPARE(static_cast<frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS*>(w.data())->wrkCHKNBR, 0);
    search(w, QStringLiteral("500"));
    QCOMPARE(filledRows(g), 1);
    QCOMPARE(w->wrkTRNDTE, 20241101);
    delete w;
}

void TestChecks::nsfReadsNumber_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("leading zeros") << "00123"
                                   << "123";
    QTest::newRow("trailing zero of decimals") << "12.50"
                                               << "12.5";
    QTest::newRow("letters") << "ABC"
                             << "0";
    QTest::newRow("blanks inside") << " 4 56x"
                                   << "456";
    QTest::newRow("exponent") << "1e2"
                              << "100";
    QTest::newRow("negative") << "-17"
                              << "-17";
}

void TestChecks::nsfReadsNumber() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    TestEnvironment env;
    env.openDatabase();
    QPointer w = openWindow(QStringLiteral("nsf"));
    search(w, typed);
    QCOMPARE(tracedLike(QStringLiteral("Select")),
             QStringList{QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION where "
                                        "gltCHKTXT='%1' and gltRCNDTE=0 and gltSTATUS<>'N'")
                             .arg(text)});
    QCOMPARE(static_cast<frmFLAG_DEPOSITED_CHECKS_AS_NSF*>(w.data())->wrkCHKTXT, text);
    delete w;
}

void TestChecks::nsfSearchAndFlag() {
    TestEnvironment env;
    env.openDatabase();
    const int day = 20241104;
    // The deposited check on the bank account and on the receivable: both listed.
    addLine({.date = day, .type = "D", .check = 0, .text = "123", .amount = 80});
    addLine({.account = 1200, .date = day, .type = "D", .check = 0, .text = "123", .amount = -80});
    // Not listed: flagged, cleared, stored with leading zeros. The cleared one is flagged
    // with its check all the same.
    addLine({.date = 20241001, .type = "D", .check = 0, .text = "123", .status = "N"});
    addLine({.account = 1300,
             .date = day,
             .type = "D",
             .check = 0,
             .text = "123",
             .cleared = 20241110});
    addLine({.date = day, .type = "D", .check = 0, .text = "00123"});
    sqlExec(QStringLiteral("insert into LDG_BANK_DEPOSIT_TRANSACTION (bdtGLANBR, bdtDEPDTE, "
                           "bdtCHKTXT, bdtTRNAMT) values (1010, %1, '123', 80), (1010, 20241010, "
                           "'123', 45), (1010, %1, '124', 30)")
                .arg(day));

    QPointer w = openWindow(QStringLiteral("nsf"));
    search(w, QStringLiteral("00123"));
    FlexGrid* g = grid(w);
    QCOMPARE(filledRows(g), 2);
    QStringList amounts{g->text(1, 2), g->text(2, 2)};
    amounts.sort();
    QCOMPARE(amounts, (QStringList{"-80.00", "80.00"}));
    QVERIFY(g->text(1, 3).isEmpty());

    clickCell(g, 2, 0);
    QCOMPARE(w->selectionColour(), QColor(0, 192, 0));
    StatementTrace::clear();
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(StatementTrace::statements(),
             (QStringList{"Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='N' where "
                          "gltCHKTXT='123' and gltTRNDTE=20241104",
                          "Update LDG_BANK_DEPOSIT_TRANSACTION set bdtTRNAMT=0 where "
                          "bdtCHKTXT='123' and bdtDEPDTE=20241104"}));
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS='N'"), 4);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltCHKTXT='00123' and gltSTATUS=''"), 1);
    QCOMPARE(sqlCount("LDG_BANK_DEPOSIT_TRANSACTION"), 3);
    QCOMPARE(sqlValue("select sum(bdtTRNAMT) from LDG_BANK_DEPOSIT_TRANSACTION").toDouble(), 75.0);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltTRNAMT=80"), 1); // nothing posted
    QCOMPARE(static_cast<frmFLAG_DEPOSITED_CHECKS_AS_NSF*>(w.data())->wrkCHKTXT, "0");
    QVERIFY(!button(w, "tbcOK")->isEnabled());
    delete w;
}

void TestChecks::statesAndCancel_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("hits");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("invalid");
    const QColor paleRed(255, 192, 192), paleGreen(192, 255, 192), brightGreen(0, 255, 0);
    for (int hits : {0, 1, 2}) {
        const QByteArray n = QByteArray::number(hits);
        QTest::newRow("void, " + n + " hits") << "void"
                                              << "500" << hits << paleRed << paleRed;
        QTest::newRow("nsf, " + n + " hits") << "nsf"
                                             << "777" << hits << paleGreen << brightGreen;
    }
}

// Idle (no hit), Listed (two) and Selected (one); Cancel closes the first two and takes the
// third back to Idle; a click on an empty row in Selected keeps OK but forgets the date.
void TestChecks::statesAndCancel() {
    QFETCH(QString, kind);
    QFETCH(QString, typed);
    QFETCH(int, hits);
    QFETCH(QColor, background);
    QFETCH(QColor, invalid);
    TestEnvironment env;
    env.openDatabase();
    for (int i = 0; i < hits; ++i)
        addLine({.date = 20241101 + i, .text = "777", .amount = -10});
    QPointer w = openWindow(kind);
    QPushButton* ok = button(w, "tbcOK");
    QCOMPARE(w->selectionColour(), background);
    search(w, typed);
    QCOMPARE(ok->isEnabled(), hits == 1);
    if (hits == 1) {
        env.clearMessages();
        clickCell(grid(w), 3, 1);
        QCOMPARE(env.messages, QStringList{"You must select a valid check."});
        QVERIFY(ok->isEnabled());
        QCOMPARE(w->wrkTRNDTE, 0);
        QCOMPARE(w->selectionColour(), invalid);
        // A valid click picks the row again.
        clickCell(grid(w), 1, 2);
        QCOMPARE(w->wrkTRNDTE, 20241101);

        QTest::mouseClick(button(w, "tbcCANCEL"), Qt::LeftButton);
        QVERIFY(w);
        QVERIFY(!ok->isEnabled());
        QVERIFY(numberBox(w)->text().isEmpty());
        QCOMPARE(filledRows(grid(w)), 0);
        QCOMPARE(w->selectionColour(), background);
        QTRY_VERIFY(numberBox(w)->hasFocus());
        // Enter searches again; the next Cancel closes the window.
        search(w, typed);
        QVERIFY(ok->isEnabled());
        search(w, QStringLiteral("999"));
        QVERIFY(!ok->isEnabled());
        QCOMPARE(w->wrkTRNDTE, 0);
    }
    QTest::mouseClick(button(w, "tbcCANCEL"), Qt::LeftButton);
    QTRY_VERIFY(w.isNull());
}

void TestChecks::failedCorrectionLeavesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("trigger"); // on the last table the correction writes
    QTest::newRow("void") << "void"
                          << "create trigger refuse before delete on LDG_PAYROLL_TRANSACTION "
                             "begin select raise(abort, 'month is closed'); end";
    QTest::newRow("nsf") << "nsf"
                         << "create trigger refuse before update on "
                            "LDG_BANK_DEPOSIT_TRANSACTION begin select raise(abort, 'month is "
                            "closed'); end";
}

void TestChecks::failedCorrectionLeavesNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, trigger);
    TestEnvironment env;
    env.openDatabase();
    addLine({.text = "500"});
    sqlExec("insert into LDG_BANK_EXPENDITURE_TRANSACTION (betCHKNBR, betCHKDTE) values (500, "
            "20241101)");
    sqlExec("insert into LDG_PAYROLL_TRANSACTION (prtCHKNBR, prtCHKDTE) values (500, 20241101)");
    sqlExec("insert into LDG_BANK_DEPOSIT_TRANSACTION (bdtCHKTXT, bdtDEPDTE, bdtTRNAMT) values "
            "('500', 20241101, 125.5)");
    sqlExec(trigger);
    QPointer w = openWindow(kind);
    search(w, QStringLiteral("500"));
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);

    QCOMPARE(env.messages.size(), 1);
    QVERIFY(env.messages.first().contains("month is closed"));
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS=''"), 1);
    QCOMPARE(sqlCount("LDG_BANK_EXPENDITURE_TRANSACTION"), 1);
    QCOMPARE(sqlCount("LDG_BANK_DEPOSIT_TRANSACTION", "bdtTRNAMT=125.5"), 1);
    // The pick stays; once the database lets it, the same OK goes through.
    QVERIFY(button(w, "tbcOK")->isEnabled());
    sqlExec("drop trigger refuse");
    QTest::mouseClick(button(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltSTATUS=''"), 0);
    QVERIFY(!button(w, "tbcOK")->isEnabled());
    delete w;
}

// BANKREC_SCREENSHOTS=folder saves both windows, listed and with a row picked, on the demo
// company.
void TestChecks::screenshots() {
    const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("BANKREC_SCREENSHOTS names no folder");
    TestEnvironment env;
    buildDemoDatabase(env.databaseFile());
    db().open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + env.databaseFile());
    Recordset rs = db().execute("Select gltCHKNBR, gltDESCPT, gltTRNAMT from "
                                "LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=1010 and "
                                "gltTRNTYP='CK' and gltRCNDTE=0 and gltCHKNBR>0");
    QVERIFY(!rs.eof());
    const int check = rs.field("gltCHKNBR").toInt();
    // A second check of the same number, so the list has a choice.
    addLine({.date = 20241008,
             .check = check,
             .text = "4711",
             .amount = -310.25,
             .payee = "Vendor Parts Inc"});
    addLine({.account = 1200,
             .date = 20241008,
             .type = "D",
             .check = 0,
             .text = "4711",
             .amount = -310.25,
             .payee = "Customer check 4711"});
    QDir().mkpath(folder);
    for (const QString kind : {"void", "nsf"}) {
        QPointer w = openWindow(kind);
        search(w, kind == "void" ? QString::number(check) : QStringLiteral("4711"));
        w->grab().save(folder + "/" + kind + "_listed.png");
        clickCell(grid(w), 2, 1);
        w->grab().save(folder + "/" + kind + "_selected.png");
        delete w;
    }
}

QTEST_MAIN(TestChecks)
#include "tst_checks.moc"
