// The activity inquiry and the transaction detail on a real database: what each listing
// shows and in which order, the searches appended below it, which detail a row opens, and
// how the detail names payers and payees and splits amounts.

#include "bank_activity.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "date_picker.h"
#include "demo_database.h"
#include "flex_grid.h"
#include "test_support.h"
#include "transaction_detail.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kBank = 1010;
constexpr int kOtherBank = 1020;

void addExpenditure(int line, int date, int check, double amount, const QString& payee = {},
                    int account = kBank, int location = 0, int vendor = 0, int employee = 0,
                    const QString& description = QStringLiteral("Route supplies")) {
    sqlExec(QStringLiteral("insert into LDG_BANK_EXPENDITURE_TRANSACTION (betGLANBR, betCHKNBR, "
                           "betCHKDTE, betTRNDTE, betTRNTYP, betLNENBR, betPAYNME, betDESCPT, "
                           "betTRNAMT, betLOCNBR, betACPNBR, betEMPNBR) values (%1, %2, %3, %3, "
                           "'CK', %4, '%5', '%6', %7, %8, %9, %10)")
                .arg(account)
                .arg(check)
                .arg(date)
                .arg(line)
                .arg(payee, description)
                .arg(amount)
                .arg(location)
                .arg(vendor)
                .arg(employee));
}

struct Deposit {
    int line = 1;
    int date = 20241104;
    int time = 93000;
    double amount = 125.5;
    QString checkText = QStringLiteral("3301");
    QString description = QStringLiteral("Customer check"); // "NULL" writes a null
    int account = kBank;
    int ticket = 0;
    int ticketDate = 0;
    int location = 0;
    int vendor = 0;
};

void addDeposit(const Deposit& d) {
    const QString description =
        d.description == QLatin1String("NULL") ? d.description : u'\'' + d.description + u'\'';
    sqlExec(QStringLiteral("insert into LDG_BANK_DEPOSIT_TRANSACTION (bdtGLANBR, bdtDEPDTE, "
                           "bdtDEPTME, bdtLNENBR, bdtCHKTXT, bdtDESCPT, bdtTRNAMT, bdtTKTNBR, "
                           "bdtTKTDTE, bdtLOCNBR, bdtACPNBR) values (%1, %2, %3, %4, '%5', %6, "
                           "%7, %8, %9, %10, %11)")
                .arg(d.account)
                .arg(d.date)
                .arg(d.time)
                .arg(d.line)
                .arg(d.checkText, description)
                .arg(d.amount)
                .arg(d.ticket)
                .arg(d.ticketDate)
                .arg(d.location)
                .arg(d.vendor));
}

void addHistory(int year, int month, int statement, double bank, double overShort,
                int account = kBank) {
    sqlExec(QStringLiteral("insert into LDG_BANK_RECONCILIATION_HISTORY (brhFSYEAR, brhMONTH, "
                           "brhGLANBR, brhSTMDTE, brhBNKBAL, brhOUTSTD, brhBNKADJ, brhADJBAL, "
                           "brhEOMBAL, brhOVRSHT, brhRLSDTE, brhPSTDTE) values (%1, %2, %3, %4, "
                           "%5, -300, 0, %5 - 300, %5 - 300 - %6, %6, %4, 0)")
                .arg(year)
                .arg(month)
                .arg(account)
                .arg(statement)
                .arg(bank)
                .arg(overShort));
}

void addNames() {
    sqlExec(QStringLiteral("insert into TKV_LOCATION_MASTER (lcmLOCNBR, lcmLOCNME) values "
                           "(7, 'Harbor Mall'), (8, '')"));
    sqlExec(QStringLiteral("insert into LDG_ACCOUNT_PAYABLE_MASTER (apmACPNBR, apmACPNME) "
                           "values (31, 'Acme Supply')"));
    sqlExec(QStringLiteral("insert into LDG_PAYROLL_MASTER (prmEMPNBR, prmEMPNME) values "
                           "(12, 'Dana Ruiz')"));
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_MASTER (glmFSYEAR, glmDIVCDE, "
                           "glmGLANBR, glmGLANME, glmGLACDE, glmGLATYP) values (2024, '*', "
                           "1010, 'Operating Account', 'CA', 'BNK')"));
}

using Window = frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS;

Window* openWindow() {
    shared().wrkBACNBR = kBank;
    auto* w = new Window;
    w->load();
    w->show();
    return w;
}

template <typename T> T* child(QWidget* w, const char* name) {
    T* found = w->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}
FlexGrid* grid(QWidget* w) {
    return child<FlexGrid>(w, "grdACTIVITY");
}

QStringList rowTexts(FlexGrid* g, int row, int cols = 9) {
    QStringList texts;
    for (int c = 0; c < cols; ++c)
        texts << g->text(row, c);
    return texts;
}

int filledRows(FlexGrid* g) {
    int n = 0;
    while (n + 1 < g->rows() && !g->text(n + 1, 0).isEmpty())
        ++n;
    return n;
}

QStringList traced(const QString& start) {
    QStringList found;
    for (const QString& sql : StatementTrace::statements())
        if (sql.startsWith(start))
            found << sql;
    return found;
}

void typeSearch(QWidget* w, const QString& typed, bool checks, bool deposits) {
    child<QCheckBox>(w, "chkCHECK")->setChecked(checks);
    child<QCheckBox>(w, "chkDEPOSIT")->setChecked(deposits);
    auto* box = child<QLineEdit>(w, "tbxSEARCH");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);
}

// What the detail window showed when it opened, and whether it was deposit-kind.
struct Opened {
    bool opened = false;
    bool deposit = false;
    QString kind;
    int date = 0;
    int time = 0;
    int line = 0;
    QStringList firstRow;
};

// Answers the next detail window while it lives: notes what it shows, then presses F12 on
// it. Its own timer ends with it, so a window that never opened leaves nothing behind to
// answer the next test's window.
class DetailAnswer {
public:
    DetailAnswer() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* detail =
                qobject_cast<frmANALYZE_BANK_TRANSACTION*>(QApplication::activeModalWidget());
            if (!detail)
                return;
            m_timer.stop();
            seen.opened = true;
            seen.deposit = detail->depositView();
            seen.kind = shared().wrkANLKND;
            seen.date = shared().wrkANLDTE;
            seen.time = shared().wrkANLTME;
            seen.line = shared().wrkANLLNE;
            seen.firstRow = rowTexts(grid(detail), 1, 7);
            QTest::keyClick(grid(detail), Qt::Key_F12);
        });
        m_timer.start(20);
    }
    Opened seen;

private:
    QTimer m_timer;
};

frmANALYZE_BANK_TRANSACTION* openDetail(const QString& kind, int date, int time, int line) {
    shared().wrkANLKND = kind;
    shared().wrkANLDTE = date;
    shared().wrkANLTME = time;
    shared().wrkANLLNE = line;
    auto* detail = new frmANALYZE_BANK_TRANSACTION;
    detail->load();
    return detail;
}

} // namespace

class TestInquiry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void activityListing_data();
    void activityListing();
    void listingGrowsAndShrinks();
    void reconciliations_data();
    void reconciliations();
    void okFollowsBankAccount();
    void search_data();
    void search();
    void drillDown_data();
    void drillDown();
    void currencyReadBack_data();
    void currencyReadBack();
    void currencyFormat_data();
    void currencyFormat();
    void depositView_data();
    void depositView();
    void depositBatchOrderAndLookups();
    void expenditureView_data();
    void expenditureView();
    void detailClosesWhenLeft();
    void screenshots();

private:
    std::unique_ptr<TestEnvironment> env;
};

void TestInquiry::init() {
    env = std::make_unique<TestEnvironment>();
    env->openDatabase();
}

void TestInquiry::cleanup() {
    // A detail window is a child of the inquiry: deleting one may take others with it.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<ChildWindow*>(w))
            windows << w;
    for (const QPointer<QWidget>& w : windows)
        delete w.data();
    env.reset();
}

void TestInquiry::activityListing_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("data");
    QTest::addColumn<bool>("leftType"); // column 1 left-aligned
    // Expenditures first in the order stored, then deposits; other accounts left out.
    QTest::newRow("check") << 1
                           << QStringList{"11/01/24", "CK", "4501", "Acme Supply", "$1,234.50", "",
                                          "",         "",   ""}
                           << 11 << false;
    QTest::newRow("payment without payee")
        << 2 << QStringList{"11/03/24", "CK", "4502", "", "-$20.00", "", "", "", ""} << 12 << false;
    QTest::newRow("deposit") << 3
                             << QStringList{"11/04/24", "Deposit", "3301", "Customer check", "",
                                            "$125.50",  "",        "",     "93000"}
                             << 1 << true;
    QTest::newRow("deposit without description")
        << 4 << QStringList{"11/05/24", "Deposit", "", "", "", "$0.00", "", "", "140000"} << 2
        << true;
}

void TestInquiry::activityListing() {
    QFETCH(int, row);
    QFETCH(QStringList, cells);
    QFETCH(int, data);
    QFETCH(bool, leftType);
    addDeposit({});
    addDeposit({2, 20241105, 140000, 0, QString(), QStringLiteral("NULL")});
    addExpenditure(11, 20241101, 4501, 1234.5, QStringLiteral("Acme Supply"));
    addExpenditure(12, 20241103, 4502, -20);
    addExpenditure(13, 20241103, 4503, 99, QStringLiteral("Elsewhere"), kOtherBank);
    Deposit other;
    other.account = kOtherBank;
    addDeposit(other);

    QPointer<Window> w = openWindow();
    QCOMPARE(filledRows(grid(w)), 0); // the load leaves the listing to the clerk
    QCOMPARE(grid(w)->text(0, 0), QStringLiteral("  TranDate"));
    StatementTrace::clear();
    QTest::mouseClick(child<QRadioButton>(w, "optACTIVITY"), Qt::LeftButton);

    QCOMPARE(StatementTrace::statements(),
             (QStringList{"Select * from LDG_BANK_EXPENDITURE_TRANSACTION where betGLANBR=1010",
                          "Select * from LDG_BANK_DEPOSIT_TRANSACTION where bdtGLANBR=1010"}));
    QCOMPARE(filledRows(grid(w)), 4);
    QCOMPARE(rowTexts(grid(w), row), cells);
    QCOMPARE(grid(w)->rowData(row), data);
    if (!cells.at(0).isEmpty()) {
        QCOMPARE(bool(grid(w)->cellAlignment(row, 1) & Qt::AlignLeft), leftType);
        QVERIFY(grid(w)->cellAlignment(row, 4) & Qt::AlignRight);
        QVERIFY(grid(w)->cellAlignment(row, 5) & Qt::AlignRight);
    }
}

void TestInquiry::listingGrowsAndShrinks() {
    for (int i = 1; i <= 45; ++i)
        addDeposit({i, 20241104, 93000 + i, double(i)});
    addHistory(2024, 10, 20241031, 5000, 0);
    QPointer<Window> w = openWindow();
    QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(filledRows(grid(w)), 45); // nothing cut at the designed 29 rows
    QCOMPARE(grid(w)->text(45, 5), QStringLiteral("$45.00"));
    QCOMPARE(w->nextRow(), 46);

    QTest::mouseClick(child<QRadioButton>(w, "optRECONCILIATION"), Qt::LeftButton);
    QCOMPARE(grid(w)->rows(), 30);
    QCOMPARE(filledRows(grid(w)), 1);
    QCOMPARE(grid(w)->text(0, 0), QStringLiteral("Mth/Year"));
    QCOMPARE(grid(w)->text(1, 8), QString()); // nothing of the longer listing is left
    QCOMPARE(grid(w)->text(45, 5), QString());
}

void TestInquiry::reconciliations_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("months");
    QTest::newRow("all, newest first") << 20231201 << QStringList{"10/2024", "9/2024", "12/2023"};
    QTest::newRow("start on a statement date") << 20240930 << QStringList{"10/2024", "9/2024"};
    QTest::newRow("start after every statement") << 20241101 << QStringList{};
}

void TestInquiry::reconciliations() {
    QFETCH(int, start);
    QFETCH(QStringList, months);
    addHistory(2024, 9, 20240930, 4100.25, 0);
    addHistory(2023, 12, 20231231, 3900, 12.5);
    addHistory(2024, 10, 20241031, 5000, -12);
    addHistory(2024, 10, 20241031, 777, 0, kOtherBank);
    QPointer<Window> w = openWindow();
    child<DatePicker>(w, "dbxSTRDTE")->setDateNumber(start);
    child<QRadioButton>(w, "optRECONCILIATION")->click();

    QCOMPARE(traced(QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY")),
             QStringList{QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY where "
                                        "brhGLANBR=1010 and brhSTMDTE>=%1 order by brhFSYEAR "
                                        "desc, brhMONTH desc")
                             .arg(start)});
    QStringList shown;
    for (int row = 1; row <= filledRows(grid(w)); ++row)
        shown << grid(w)->text(row, 0);
    QCOMPARE(shown, months);
    if (!months.isEmpty() && months.first() == QLatin1String("10/2024")) {
        QCOMPARE(rowTexts(grid(w), 1, 8),
                 (QStringList{"10/2024", "10/31/24", "$5,000.00", "-$300.00", "$4,700.00", "$0.00",
                              "$4,712.00", "-$12.00"}));
        QCOMPARE(grid(w)->rowData(1), 20241031);
        QVERIFY(grid(w)->cellAlignment(1, 7) & Qt::AlignRight);
    }
    // The double click does nothing in this mode.
    DetailAnswer answer;
    w->drillDown(1);
    QVERIFY(!answer.seen.opened);
}

void TestInquiry::okFollowsBankAccount() {
    addExpenditure(11, 20241101, 4501, 10, QStringLiteral("Mine"));
    addExpenditure(12, 20241101, 4502, 20, QStringLiteral("Theirs"), kOtherBank);
    QPointer<Window> w = openWindow();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(grid(w), Qt::Key_F9);
    QTRY_COMPARE(grid(w)->text(1, 3), QStringLiteral("Mine"));
    shared().wrkBACNBR = kOtherBank;
    QCOMPARE(grid(w)->text(1, 3), QStringLiteral("Mine")); // not before OK
    QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);
    QCOMPARE(grid(w)->text(1, 3), QStringLiteral("Theirs"));
    QCOMPARE(filledRows(grid(w)), 1);
}

void TestInquiry::search_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("checks");
    QTest::addColumn<bool>("deposits");
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QStringList>("appended"); // column 2 of the rows below the listing
    QTest::addColumn<int>("messages");
    const QString depFind = QStringLiteral("Select * from LDG_BANK_DEPOSIT_TRANSACTION where ");
    const QString chkFind = QStringLiteral("Select * from LDG_BANK_EXPENDITURE_TRANSACTION where ");
    QTest::newRow("amount on any account")
        << "125.5" << false << true << QStringList{depFind + "bdtTRNAMT=125.5"}
        << QStringList{"3301", "7700"} << 0;
    QTest::newRow("whole amount, blanks and trailing text")
        << "  300 dollars" << false << true << QStringList{depFind + "bdtTRNAMT=300"}
        << QStringList{"3302"} << 0;
    QTest::newRow("text searches amount 0")
        << "$125.50" << false << true << QStringList{depFind + "bdtTRNAMT=0"} << QStringList{"NSF1"}
        << 0;
    QTest::newRow("check number") << "4501" << true << false
                                  << QStringList{chkFind + "betCHKNBR=4501"}
                                  << QStringList{"4501", "4501"} << 0;
    QTest::newRow("check search without a number")
        << "Acme" << true << false << QStringList{} << QStringList{} << 1;
    QTest::newRow("both, checks first")
        << "4502" << true << true
        << QStringList{chkFind + "betCHKNBR=4502", depFind + "bdtTRNAMT=4502"}
        << QStringList{"4502"} << 0;
}

void TestInquiry::search() {
    QFETCH(QString, typed);
    QFETCH(bool, checks);
    QFETCH(bool, deposits);
    QFETCH(QStringList, statements);
    QFETCH(QStringList, appended);
    QFETCH(int, messages);
    addExpenditure(11, 20241101, 4501, 10);
    addExpenditure(12, 20241101, 4502, 20);
    addExpenditure(13, 20241101, 4501, 30, QString(), kOtherBank);
    addDeposit({});
    addDeposit({2, 20241104, 93000, 300, QStringLiteral("3302")});
    addDeposit({3, 20241104, 93000, 0, QStringLiteral("NSF1")});
    addDeposit(
        {1, 20241106, 80000, 125.5, QStringLiteral("7700"), QStringLiteral("x"), kOtherBank});
    QPointer<Window> w = openWindow();
    w->refresh();
    QCOMPARE(filledRows(grid(w)), 5);
    const QStringList listed = rowTexts(grid(w), 5);
    StatementTrace::clear();

    typeSearch(w, typed, checks, deposits);

    QCOMPARE(StatementTrace::statements(), statements);
    QCOMPARE(env->messages.size(), messages);
    QCOMPARE(rowTexts(grid(w), 5), listed); // appended below, the listing kept
    QStringList found;
    for (int row = 6; row <= filledRows(grid(w)); ++row)
        found << grid(w)->text(row, 2);
    QCOMPARE(found, appended);
}

void TestInquiry::drillDown_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("enterKey");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("depositView");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("firstCell");
    // Rows: 1 the check, 2 the deposit, 3 the zeroed NSF deposit, 4 empty.
    QTest::newRow("check by double click") << 1 << false << true << false << 0 << 11 << "11/01/24";
    QTest::newRow("check by Enter") << 1 << true << true << false << 0 << 11 << "11/01/24";
    QTest::newRow("deposit") << 2 << false << true << true << 93000 << 1 << "11/04/24";
    QTest::newRow("zeroed NSF deposit opens as expenditure")
        << 3 << false << true << false << 101500 << 11 << "";
    QTest::newRow("empty row") << 4 << false << false << false << 0 << 0 << "";
}

void TestInquiry::drillDown() {
    QFETCH(int, row);
    QFETCH(bool, enterKey);
    QFETCH(bool, opens);
    QFETCH(bool, depositView);
    QFETCH(int, time);
    QFETCH(int, line);
    QFETCH(QString, firstCell);
    addExpenditure(11, 20241101, 4501, 10, QStringLiteral("Acme Supply"));
    addDeposit({});
    // Its line number and date match no expenditure: the detail shows the headers only.
    addDeposit({11, 20241107, 101500, 0, QStringLiteral("NSF1")});
    QPointer<Window> w = openWindow();
    w->refresh();
    FlexGrid* g = grid(w);
    DetailAnswer answer;
    const Opened& seen = answer.seen;
    if (enterKey) {
        g->setFocus();
        g->setCurrentCell(row, 2);
        QTest::keyClick(g, Qt::Key_Return);
    } else {
        // The view takes a double click only on the cell the first press went to.
        const QPoint at = g->visualRect(g->model()->index(row - 1, 2)).center();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
    }
    QTRY_COMPARE(seen.opened, opens);
    if (opens) {
        QCOMPARE(seen.deposit, depositView);
        QCOMPARE(seen.kind, depositView ? QStringLiteral("deposit") : QString());
        QCOMPARE(seen.date, fncDATE_TO_NUMBER(g->text(row, 0)));
        QCOMPARE(seen.time, time);
        QCOMPARE(seen.line, line);
        QCOMPARE(seen.firstRow.value(0), firstCell);
        // Closing the detail resets what the drill-down handed over.
        QTRY_COMPARE(shared().wrkANLDTE, 0);
        QCOMPARE(shared().wrkANLLNE, 0);
        QCOMPARE(shared().wrkANLKND, QString());
        QCOMPARE(shared().wrkBACNBR, kBank);
    }
    QVERIFY(w); // the inquiry stays open
    // Nor does the heading row open anything.
    DetailAnswer heading;
    w->drillDown(0);
    QVERIFY(!heading.seen.opened);
}

void TestInquiry::currencyReadBack_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "$125.50" << 125.5;
    QTest::newRow("groups") << "$1,234,567.89" << 1234567.89;
    QTest::newRow("minus") << "-$20.00" << -20.0;
    QTest::newRow("parentheses") << "($1,020.00)" << -1020.0;
}

void TestInquiry::currencyReadBack() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Window::currencyValue(text), value);
}

void TestInquiry::currencyFormat_data() {
    QTest::addColumn<double>("value");
    QTest::newRow("cents") << 0.5;
    QTest::newRow("groups") << 1234567.89;
    QTest::newRow("negative") << -20.0;
    QTest::newRow("rounds as written") << 2.675;
    QTest::newRow("half a cent up") << 0.005;
    QTest::newRow("carry into a new group") << 999999.995;
    QTest::newRow("nothing left of a negative") << -0.004;
    QTest::newRow("zero") << 0.0;
    QTest::newRow("large") << 123456789012.34;
    QTest::newRow("tiny") << 1e-9;
}

// The listing's own currency writer shows what the general format shows.
void TestInquiry::currencyFormat() {
    QFETCH(double, value);
    QCOMPARE(Window::currencyText(value), formatNumber(value, QStringLiteral("currency")));
    for (int i = -2000; i <= 2000; ++i) {
        const double sample = value + i * 0.013;
        QCOMPARE(Window::currencyText(sample), formatNumber(sample, QStringLiteral("currency")));
    }
}

void TestInquiry::depositView_data() {
    QTest::addColumn<int>("location");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("ticket");
    QTest::addColumn<int>("ticketDate");
    QTest::addColumn<QString>("checkText");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QStringList>("cells"); // columns 2 to 6
    QTest::newRow("location before vendor")
        << 7 << 31 << 0 << 0 << "3301" << 125.5
        << QStringList{"Harbor Mall", "", "1010", "Operating Account", "125.50"};
    QTest::newRow("vendor") << 0 << 31 << 0 << 0 << "" << 40.0
                            << QStringList{"Acme Supply", "", "1010", "Operating Account", "40.00"};
    QTest::newRow("own description")
        << 0 << 0 << 0 << 0 << "" << 40.0
        << QStringList{"Customer check", "", "1010", "Operating Account", "40.00"};
    QTest::newRow("location not on file")
        << 99 << 31 << 0 << 0 << "" << 40.0
        << QStringList{"", "", "1010", "Operating Account", "40.00"};
    QTest::newRow("ticket and date")
        << 7 << 0 << 5512 << 20241102 << "" << 40.0
        << QStringList{"Harbor Mall", "5512   11/02/24", "1010", "Operating Account", "40.00"};
    QTest::newRow("ticket date alone")
        << 7 << 0 << 0 << 20241102 << "" << 40.0
        << QStringList{"Harbor Mall", "11/02/24", "1010", "Operating Account", "40.00"};
    QTest::newRow("negative shown positive")
        << 0 << 0 << 0 << 0 << "" << -62.25
        << QStringList{"Customer check", "", "1010", "Operating Account", "62.25"};
}

void TestInquiry::depositView() {
    QFETCH(int, location);
    QFETCH(int, vendor);
    QFETCH(int, ticket);
    QFETCH(int, ticketDate);
    QFETCH(QString, checkText);
    QFETCH(double, amount);
    QFETCH(QStringList, cells);
    addNames();
    Deposit d;
    d.location = location;
    d.vendor = vendor;
    d.ticket = ticket;
    d.ticketDate = ticketDate;
    d.checkText = checkText;
    d.amount = amount;
    addDeposit(d);
    std::unique_ptr<frmANALYZE_BANK_TRANSACTION> detail(
        openDetail(QStringLiteral("deposit"), 20241104, 93000, 0));
    FlexGrid* g = grid(detail.get());
    QVERIFY(detail->depositView());
    QCOMPARE(g->text(0, 2), QStringLiteral("         Payer"));
    QCOMPARE(g->text(1, 0), QStringLiteral("11/04/24"));
    QCOMPARE(g->text(1, 1), QStringLiteral("9:30:00"));
    QCOMPARE(rowTexts(g, 1, 7).mid(2), cells);
    QCOMPARE(g->text(1, 7), QString());
    QCOMPARE(g->text(2, 0), QString());
    // Ticket lines stand apart from the others.
    QCOMPARE(g->cellColour(1, 6) != g->gridBackground(), ticket != 0);
}

void TestInquiry::depositBatchOrderAndLookups() {
    addNames();
    // One batch of three lines stored out of order, and a batch a minute later.
    Deposit d;
    d.location = 7;
    for (int line : {3, 1, 2}) {
        d.line = line;
        d.amount = line * 10;
        addDeposit(d);
    }
    d.time = 93100;
    d.line = 1;
    addDeposit(d);
    StatementTrace::clear();
    std::unique_ptr<frmANALYZE_BANK_TRANSACTION> detail(
        openDetail(QStringLiteral("deposit"), 20241104, 93000, 2));
    FlexGrid* g = grid(detail.get());
    QCOMPARE(filledRows(g), 3);
    QCOMPARE(g->text(1, 6), QStringLiteral("10.00"));
    QCOMPARE(g->text(2, 6), QStringLiteral("20.00"));
    QCOMPARE(g->text(3, 6), QStringLiteral("30.00"));
    // The location and the ledger account are looked up once for the whole batch.
    QCOMPARE(StatementTrace::statements(),
             (QStringList{"Select * from LDG_BANK_DEPOSIT_TRANSACTION where bdtDEPDTE= "
                          "20241104 and bdtDEPTME= 93000 order by bdtLNENBR",
                          "Select * from TKV_LOCATION_MASTER where lcmLOCNBR=7",
                          "Select * from LDG_GENERAL_LEDGER_MASTER where glmGLANBR=1010"}));
}

void TestInquiry::expenditureView_data() {
    QTest::addColumn<int>("location");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("employee");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QStringList>("cells"); // columns 0 to 5
    QTest::addColumn<QString>("lookup");
    QTest::newRow("location first")
        << 7 << 31 << 12 << 40.0
        << QStringList{"11/01/24", "4501", "Harbor Mall", "Route supplies", "40.00", "0.00"}
        << "Select * from TKV_LOCATION_MASTER where lcmLOCNBR=7";
    QTest::newRow("vendor before employee")
        << 0 << 31 << 12 << 40.0
        << QStringList{"11/01/24", "4501", "Acme Supply", "Route supplies", "40.00", "0.00"}
        << "Select * from LDG_ACCOUNT_PAYABLE_MASTER where apmACPNBR=31";
    QTest::newRow("employee, negative amount")
        << 0 << 0 << 12 << -25.0
        << QStringList{"11/01/24", "4501", "Dana Ruiz", "Route supplies", "0.00", "25.00"}
        << "Select * from LDG_PAYROLL_MASTER where prmEMPNBR=12";
    QTest::newRow("nobody") << 0 << 0 << 0 << 12.345
                            << QStringList{"11/01/24",       "4501",  "",
                                           "Route supplies", "12.35", "0.00"}
                            << "";
}

void TestInquiry::expenditureView() {
    QFETCH(int, location);
    QFETCH(int, vendor);
    QFETCH(int, employee);
    QFETCH(double, amount);
    QFETCH(QStringList, cells);
    QFETCH(QString, lookup);
    addNames();
    addExpenditure(11, 20241101, 4501, amount, QStringLiteral("Payee"), kBank, location, vendor,
                   employee);
    addExpenditure(11, 20241102, 4502, 1); // same line number, another date
    StatementTrace::clear();
    std::unique_ptr<frmANALYZE_BANK_TRANSACTION> detail(openDetail(QString(), 20241101, 0, 11));
    FlexGrid* g = grid(detail.get());
    QVERIFY(!detail->depositView());
    QStringList expected{"Select * from LDG_BANK_EXPENDITURE_TRANSACTION where betLNENBR= 11 "
                         "and betTRNDTE= 20241101"};
    if (!lookup.isEmpty())
        expected << lookup;
    QCOMPARE(StatementTrace::statements(), expected);
    QCOMPARE(g->text(0, 0), QStringLiteral("Chk Date/Time"));
    QCOMPARE(rowTexts(g, 1, 6), cells);
    QCOMPARE(filledRows(g), 1);
}

void TestInquiry::detailClosesWhenLeft() {
    addExpenditure(11, 20241101, 4501, 10, QStringLiteral("Acme Supply"));
    QPointer<Window> w = openWindow();
    w->refresh();
    QWidget other;
    other.setWindowTitle(QStringLiteral("Elsewhere"));
    QPointer<frmANALYZE_BANK_TRANSACTION> seen;
    bool forced = false;
    whenModalAppears([&](QWidget* modal) {
        seen = qobject_cast<frmANALYZE_BANK_TRANSACTION*>(modal);
        QVERIFY(seen);
        QVERIFY(QTest::qWaitForWindowActive(seen));
        // The clerk turns to another window: the detail goes away by itself.
        other.show();
        other.activateWindow();
        // Should it stay, it is closed here so the test ends rather than waits.
        QTimer::singleShot(3000, seen.data(), [&] {
            forced = true;
            seen->closeWindow();
        });
    });
    w->drillDown(1);
    QVERIFY(!forced);
    QTRY_VERIFY(seen.isNull()); // closed and deleted
    QCOMPARE(shared().wrkANLLNE, 0);
    QCOMPARE(shared().wrkANLDTE, 0);
}

// BANKREC_SCREENSHOTS=folder: both modes and both detail views on the demo database.
void TestInquiry::screenshots() {
    const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("BANKREC_SCREENSHOTS not set");
    QDir().mkpath(folder);
    resetShared();
    buildDemoDatabase(env->databaseFile());
    db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1")
                  .arg(env->databaseFile()));
    shared().wrkDTEFMT = 1;
    QPointer<Window> w = openWindow();
    child<QRadioButton>(w, "optACTIVITY")->click();
    QVERIFY(filledRows(grid(w)) > 0);
    // A check and a deposit batch of route collections.
    int check = 0;
    int deposit = 0;
    for (int row = 1; row <= filledRows(grid(w)); ++row) {
        if (!check && grid(w)->text(row, 1) == QLatin1String("CK"))
            check = row;
        if (!deposit && grid(w)->text(row, 1) == QLatin1String("Deposit") &&
            grid(w)->text(row, 3).contains(QLatin1String("Route")))
            deposit = row;
    }
    grid(w)->setCurrentCell(check, 0);
    QVERIFY(w->grab().save(folder + QStringLiteral("/activity.png")));
    for (int row : {check, deposit ? deposit : check + 1}) {
        whenModalAppears([folder, row, check](QWidget* modal) {
            modal->grab().save(folder + (row == check ? QStringLiteral("/expenditure.png")
                                                      : QStringLiteral("/deposit.png")));
            QTest::keyClick(modal, Qt::Key_F12);
        });
        w->drillDown(row);
    }
    child<QRadioButton>(w, "optRECONCILIATION")->click();
    child<DatePicker>(w, "dbxSTRDTE")->setDateNumber(20000101);
    child<QPushButton>(w, "tbcOK")->click();
    QApplication::processEvents(); // the scroll bar follows the shorter listing
    QVERIFY(w->grab().save(folder + QStringLiteral("/reconciliations.png")));
}

QTEST_MAIN(TestInquiry)
#include "tst_inquiry.moc"
