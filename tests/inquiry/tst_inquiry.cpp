// The activity inquiry and the transaction detail on a real database: what each listing
// shows and in which order, the searches appended below it, which detail a row opens, and
// how the detail names payers and payees and splits amounts.

#include "bank_activity.h"
#include "database.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "ledger_notifier.h"
#include "test_support.h"
#include "transaction_detail.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <memory>

namespace {

constexpr int kBank = 1010;
constexpr int kOtherBank = 1020;
using Window = frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS;
using Detail = frmANALYZE_BANK_TRANSACTION;

// Inserts one row; texts are quoted, a null variant is written as NULL.
void insertRow(const QString& table, const QString& columns, const QVariantList& values) {
    QStringList texts;
    for (const QVariant& v : values)
        texts << (v.isNull()                         ? QStringLiteral("NULL")
                  : v.typeId() == QMetaType::QString ? u'\'' + v.toString() + u'\''
                                                     : v.toString());
    sqlExec("insert into " + table + " (" + columns + ") values (" + texts.join(", ") + ")");
}

struct Expenditure {
    int line = 11, date = 20241101, check = 4501;
    double amount = 10;
    QString payee;
    int account = kBank, location = 0, vendor = 0, employee = 0;
};
void addExpenditure(const Expenditure& e) {
    insertRow("LDG_BANK_EXPENDITURE_TRANSACTION",
              "betGLANBR, betCHKNBR, betCHKDTE, betTRNDTE, betTRNTYP, betLNENBR, betPAYNME, "
              "betDESCPT, betTRNAMT, betLOCNBR, betACPNBR, betEMPNBR",
              {e.account, e.check, e.date, e.date, "CK", e.line, e.payee, "Route supplies",
               e.amount, e.location, e.vendor, e.employee});
}

struct Deposit {
    int line = 1, date = 20241104, time = 93000;
    double amount = 125.5;
    QString checkText = QStringLiteral("3301");
    QVariant description = QStringLiteral("Customer check");
    int account = kBank, ticket = 0, ticketDate = 0, location = 0, vendor = 0;
};
void addDeposit(const Deposit& d) {
    insertRow("LDG_BANK_DEPOSIT_TRANSACTION",
              "bdtGLANBR, bdtDEPDTE, bdtDEPTME, bdtLNENBR, bdtCHKTXT, bdtDESCPT, bdtTRNAMT, "
              "bdtTKTNBR, bdtTKTDTE, bdtLOCNBR, bdtACPNBR",
              {d.account, d.date, d.time, d.line, d.checkText, d.description, d.amount, d.ticket,
               d.ticketDate, d.location, d.vendor});
}

void addHistory(int year, int month, int statement, double bank, double overShort) {
    insertHistoryRow({year, month, statement, bank, -300, bank - 300, bank - 300 - overShort,
                      overShort, statement});
}

void addNames() {
    sqlExec("insert into TKV_LOCATION_MASTER (lcmLOCNBR, lcmLOCNME) values (7, 'Harbor Mall')");
    sqlExec("insert into LDG_ACCOUNT_PAYABLE_MASTER (apmACPNBR, apmACPNME) values (31, 'Acme "
            "Supply')");
    sqlExec("insert into LDG_PAYROLL_MASTER (prmEMPNBR, prmEMPNME) values (12, 'Dana Ruiz')");
    insertAccount(kBank, "Operating Account", 2024, "CA", "BNK");
}

FlexGrid* grid(QWidget* w) {
    return w->findChild<FlexGrid*>();
}
// The rows from the first on, up to the first without a date, columns first to last
// joined by '|'.
QStringList listing(QWidget* w, int first, int last) {
    const FlexGrid* g = grid(w);
    QStringList rows;
    for (int row = 1; row < g->rows() && !g->text(row, 0).isEmpty(); ++row) {
        QStringList cells;
        for (int col = first; col <= last; ++col)
            cells << g->text(row, col);
        rows << cells.join(u'|');
    }
    return rows;
}

// Answers the next detail window while this lives: notes what it was handed and its first
// cell, then presses F12 on it. The timer ends with it, so a window that never opened leaves
// nothing behind to answer the next test's window.
struct DetailAnswer {
    QStringList seen; // empty until a detail opened
    QTimer timer;
    DetailAnswer() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* detail = qobject_cast<Detail*>(QApplication::activeModalWidget())) {
                timer.stop();
                const PickedTransaction& p = detail->picked();
                seen = QStringList{detail->depositView() ? "deposit view" : "expenditure view",
                                   QString::number(p.date), QString::number(p.time),
                                   QString::number(p.line), grid(detail)->text(1, 0)};
                QTest::keyClick(grid(detail), Qt::Key_F12);
            }
        });
        timer.start(20);
    }
};

std::unique_ptr<Detail> openDetail(bool deposit, int date, int time, int line) {
    auto detail = std::make_unique<Detail>(PickedTransaction{deposit, date, time, line});
    detail->load();
    return detail;
}

} // namespace

Q_DECLARE_METATYPE(Deposit)
Q_DECLARE_METATYPE(Expenditure)

class TestInquiry : public QObject, WindowFixture<Window> {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    // Expenditures first in the order stored, then deposits, of the bank account; OK lists
    // the account selected by then.
    void activityListing() {
        addDeposit({});
        Deposit blank{.line = 2, .date = 20241105, .time = 140000, .amount = 0, .checkText = ""};
        blank.description.clear(); // stored as NULL
        addDeposit(blank);
        addExpenditure({.amount = 1234.5, .payee = "Acme Supply"});
        addExpenditure({.line = 12, .date = 20241103, .check = 4502, .amount = -20});
        addExpenditure({.line = 13, .check = 4503, .payee = "Elsewhere", .account = kOtherBank});
        addDeposit({.account = kOtherBank});
        w = openWindow<Window>();
        FlexGrid* g = grid(w);
        QCOMPARE(filledRows(g), 0); // the load leaves the listing to the clerk
        StatementTrace::clear();
        QTest::mouseClick(child<QRadioButton>(w, "optACTIVITY"), Qt::LeftButton);

        QCOMPARE(StatementTrace::statements(),
                 (QStringList{"Select * from LDG_BANK_EXPENDITURE_TRANSACTION where betGLANBR=1010",
                              "Select * from LDG_BANK_DEPOSIT_TRANSACTION where bdtGLANBR=1010"}));
        QCOMPARE(listing(w, 0, 8),
                 (QStringList{"11/01/24|CK|4501|Acme Supply|$1,234.50||||",
                              "11/03/24|CK|4502||-$20.00||||",
                              "11/04/24|Deposit|3301|Customer check||$125.50|||93000",
                              "11/05/24|Deposit||||$0.00|||140000"}));

        // A row opens its detail by double click, or by Enter; a zeroed (NSF) deposit opens as
        // an expenditure, whose line and date match none: the detail shows its headings only.
        // An empty row and the headings open nothing.
        const QList<std::pair<int, QStringList>> opened{
            {1, {"expenditure view", "20241101", "0", "11", "11/01/24"}},
            {3, {"deposit view", "20241104", "93000", "1", "11/04/24"}},
            {4, {"expenditure view", "20241105", "140000", "2", ""}},
            {5, {}},
            {0, {}}};
        for (const auto& [row, seen] : opened) {
            DetailAnswer answer;
            if (row == 3) {
                g->setFocus();
                g->setCurrentCell(row, 2);
                QTest::keyClick(g, Qt::Key_Return);
            } else if (row == 1) {
                clickCell(g, row, 2, true);
            } else {
                w->drillDown(row);
            }
            QTRY_COMPARE(answer.seen, seen);
        }

        shared().wrkBACNBR = kOtherBank;
        QCOMPARE(filledRows(g), 4); // not before OK
        QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);
        QCOMPARE(listing(w, 3, 3), (QStringList{"Elsewhere", "Customer check"}));
    }

    // Past its designed 29 rows the grid grows; the reconciliations listing, from the start
    // date on and newest first, starts from the designed size again. A deposit found below
    // it leaves the column of the change since posting empty, and the listing follows a
    // month another window saves for this account.
    void reconciliationsListing() {
        for (int i = 1; i <= 30; ++i)
            addDeposit({.line = i, .time = 93000 + i, .amount = double(i)});
        addHistory(2024, 9, 20240930, 4100.25, 0);
        addHistory(2023, 12, 20231231, 3900, 12.5); // before the start date
        w = openWindow<Window>();
        QTest::mouseClick(child<QPushButton>(w, "tbcOK"), Qt::LeftButton);
        QCOMPARE(filledRows(grid(w)), 30);
        child<DatePicker>(w, "dbxSTRDTE")->setDateNumber(20240930);
        child<QRadioButton>(w, "optRECONCILIATION")->click();
        QCOMPARE(StatementTrace::statements().filter("Select * from LDG_BANK_RECONCILIATION"),
                 QStringList{"Select * from LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010 "
                             "and brhSTMDTE>=20240930 order by brhFSYEAR desc, brhMONTH desc"});
        QCOMPARE(grid(w)->rows(), 30); // back to the designed size, the longer listing gone
        child<QCheckBox>(w, "chkCHECK")->setChecked(false);
        child<QCheckBox>(w, "chkDEPOSIT")->setChecked(true);
        typeInto(child<QLineEdit>(w, "tbxSEARCH"), "7", Qt::Key_Return);
        const QString september =
            "9/2024|09/30/24|$4,100.25|-$300.00|$3,800.25|$0.00|$3,800.25|$0.00";
        QCOMPARE(listing(w, 0, 8),
                 QStringList({september + "|", "11/04/24|Deposit|3301|Customer check||$7.00|||"}));

        addHistory(2024, 10, 20241031, 5000, -12);
        LedgerNotifier::announce(kOtherBank);
        QCOMPARE(listing(w, 0, 0).size(), 2); // another account's write: nothing listed anew
        LedgerNotifier::announce(kBank);
        QCOMPARE(
            listing(w, 0, 7),
            QStringList({"10/2024|10/31/24|$5,000.00|-$300.00|$4,700.00|$0.00|$4,712.00|-$12.00",
                         september}));
    }

    void searchAppendsBelowTheListing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kinds"); // the boxes ticked
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("appended"); // column 2 of the rows below the listing
        const QString dep = QStringLiteral("Select * from LDG_BANK_DEPOSIT_TRANSACTION where ");
        const QString chk = QStringLiteral("Select * from LDG_BANK_EXPENDITURE_TRANSACTION where ");
        const auto row = [](const char* name, const char* typed, const char* kinds,
                            const QStringList& statements, const QStringList& appended) {
            QTest::newRow(name) << typed << kinds << statements << appended;
        };
        row("amount after blanks, before text", "  1234567.89 dollars", "deposits",
            {dep + "bdtTRNAMT=1234567.89"}, {"3302"});
        row("check number", "4501", "checks", {chk + "betCHKNBR=4501"}, {"4501", "4501"});
        row("check search without a number", "Acme", "checks", {}, {});
        row("both, checks first", "4502", "checks deposits",
            {chk + "betCHKNBR=4502", dep + "bdtTRNAMT=4502"}, {"4502"});
        // Text that is no check number leaves out only the check part.
        row("both, money text", "$125.50", "checks deposits", {dep + "bdtTRNAMT=0"}, {"NSF1"});
        // On any account; a number with cents is no check number.
        row("both, amount with cents", "125.50", "checks deposits", {dep + "bdtTRNAMT=125.5"},
            {"3301", "7700"});
    }
    void searchAppendsBelowTheListing() {
        QFETCH(QString, typed);
        QFETCH(QString, kinds);
        QFETCH(QStringList, statements);
        QFETCH(QStringList, appended);
        addExpenditure({});
        addExpenditure({.line = 12, .check = 4502, .amount = 20});
        addExpenditure({.line = 13, .amount = 30, .account = kOtherBank});
        addDeposit({});
        addDeposit({.line = 2, .amount = 1234567.89, .checkText = "3302"});
        addDeposit({.line = 3, .amount = 0, .checkText = "NSF1"});
        addDeposit({.date = 20241106, .time = 80000, .checkText = "7700", .account = kOtherBank});
        w = openWindow<Window>();
        w->refresh();
        const QStringList listed = listing(w, 2, 2);
        StatementTrace::clear();
        child<QCheckBox>(w, "chkCHECK")->setChecked(kinds.contains("checks"));
        child<QCheckBox>(w, "chkDEPOSIT")->setChecked(kinds.contains("deposits"));
        typeInto(child<QLineEdit>(w, "tbxSEARCH"), typed, Qt::Key_Return);

        QCOMPARE(StatementTrace::statements(), statements);
        const QStringList told{"Type the number of the check to search for."}; // no number
        QCOMPARE(env->messages, statements.isEmpty() ? told : QStringList());
        QCOMPARE(listing(w, 2, 2), listed + appended); // appended below, the listing kept
    }

    void depositBatchOrderAndLookups() {
        addNames();
        // One batch of three lines stored out of order, and a batch a minute later.
        for (int line : {3, 1, 2})
            addDeposit({.line = line, .amount = line * 10.0, .location = 7});
        addDeposit({.time = 93100, .location = 7});
        StatementTrace::clear();
        const auto detail = openDetail(true, 20241104, 93000, 2);
        QCOMPARE(listing(detail.get(), 6, 6), (QStringList{"10.00", "20.00", "30.00"}));
        // The location and the ledger account are looked up once for the whole batch.
        QCOMPARE(StatementTrace::statements(),
                 (QStringList{"Select * from LDG_BANK_DEPOSIT_TRANSACTION where bdtDEPDTE= "
                              "20241104 and bdtDEPTME= 93000 order by bdtLNENBR",
                              "Select * from TKV_LOCATION_MASTER where lcmLOCNBR=7",
                              "Select * from LDG_GENERAL_LEDGER_MASTER where glmGLANBR=1010"}));
    }

    // The detail names the payer: a location before a vendor, then a check's employee, else a
    // deposit's own text, each name by a statement of its own. A deposit shows its ticket, its
    // amount positive and its ledger account; a check splits its amount into two columns.
    void detailNamesThePayer_data() {
        QTest::addColumn<QVariant>("record"); // a Deposit or an Expenditure
        QTest::addColumn<QString>("shown");   // the first row from the third column on
        QTest::addColumn<QString>("lookup");
        const auto row = [](const char* name, const QVariant& record, const char* shown,
                            const char* lookup) {
            QTest::newRow(name) << record << QString(shown) << QString(lookup);
        };
        const auto dep = [](const Deposit& d) { return QVariant::fromValue(d); };
        const auto chk = [](const Expenditure& e) { return QVariant::fromValue(e); };
        const char* location = "TKV_LOCATION_MASTER where lcmLOCNBR=7";
        const char* vendor = "LDG_ACCOUNT_PAYABLE_MASTER where apmACPNBR=31";
        row("deposit, location before vendor", dep({.location = 7, .vendor = 31}),
            "Harbor Mall||1010|Operating Account|125.50|", location);
        row("deposit, vendor", dep({.vendor = 31}), "Acme Supply||1010|Operating Account|125.50|",
            vendor);
        row("deposit, ticket and date",
            dep({.ticket = 5512, .ticketDate = 20241102, .location = 7}),
            "Harbor Mall|5512   11/02/24|1010|Operating Account|125.50|", location);
        row("deposit, own description, ticket date alone, negative shown positive",
            dep({.amount = -62.25, .ticketDate = 20241102}),
            "Customer check|11/02/24|1010|Operating Account|62.25|", "");
        row("check, location first",
            chk({.amount = 40, .location = 7, .vendor = 31, .employee = 12}),
            "Harbor Mall|Route supplies|40.00|0.00", location);
        row("check, vendor before employee", chk({.amount = 40, .vendor = 31, .employee = 12}),
            "Acme Supply|Route supplies|40.00|0.00", vendor);
        row("check, employee, negative amount", chk({.amount = -25, .employee = 12}),
            "Dana Ruiz|Route supplies|0.00|25.00", "LDG_PAYROLL_MASTER where prmEMPNBR=12");
        row("check, nobody", chk({.amount = 12.345}), "|Route supplies|12.35|0.00", "");
    }
    void detailNamesThePayer() {
        QFETCH(QVariant, record);
        QFETCH(QString, shown);
        QFETCH(QString, lookup);
        addNames();
        const bool deposit = record.metaType() == QMetaType::fromType<Deposit>();
        if (deposit)
            addDeposit(record.value<Deposit>());
        else
            addExpenditure(record.value<Expenditure>());
        addExpenditure({.date = 20241102, .check = 4502}); // same line number, another date
        StatementTrace::clear();
        const auto detail =
            deposit ? openDetail(true, 20241104, 93000, 0) : openDetail(false, 20241101, 0, 11);
        QCOMPARE(detail->depositView(), deposit);
        QCOMPARE(listing(detail.get(), 0, deposit ? 7 : 5),
                 QStringList{(deposit ? "11/04/24|9:30:00|" : "11/01/24|4501|") + shown});
        const QStringList statements = StatementTrace::statements();
        if (!deposit)
            QCOMPARE(statements.first(), "Select * from LDG_BANK_EXPENDITURE_TRANSACTION where "
                                         "betLNENBR= 11 and betTRNDTE= 20241101");
        QCOMPARE(statements.filter(QRegularExpression("MASTER where (lcm|apm|prm)")),
                 lookup.isEmpty() ? QStringList() : QStringList{"Select * from " + lookup});
        // Ticket lines stand apart from the others.
        FlexGrid* g = grid(detail.get());
        QCOMPARE(g->cellColour(1, 6) != g->gridBackground(), shown.contains("5512"));
    }

    void detailClosesWhenLeft() {
        addExpenditure({});
        w = openWindow<Window>();
        w->refresh();
        QWidget other;
        QPointer<Detail> seen;
        QElapsedTimer clock;
        whenModalAppears([&](QWidget* modal) {
            seen = qobject_cast<Detail*>(modal);
            QVERIFY(seen);
            QVERIFY(QTest::qWaitForWindowActive(seen));
            // The clerk turns to another window: the detail goes away by itself. Should it
            // stay, it is closed here so the test ends rather than waits.
            other.show();
            other.activateWindow();
            clock.start();
            QTimer::singleShot(3000, seen.data(), &Detail::closeWindow);
        });
        w->drillDown(1);
        QVERIFY(clock.elapsed() < 3000);
        QTRY_VERIFY(seen.isNull()); // closed and deleted
    }
};

QTEST_MAIN(TestInquiry)
#include "tst_inquiry.moc"
