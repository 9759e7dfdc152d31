#include "demo_database.h"

#include "clock.h"
#include "common.h"
#include "database.h"
#include "ledger.h"
#include "money.h"
#include "schema.h"
#include "statement_files.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>
#include <algorithm>
#include <cstdint>
#include <random>

namespace {

QDate monthEnd(const QDate& date) {
    return QDate(date.year(), date.month(), date.daysInMonth());
}

double money(Cents cents) {
    return centsToUnits(cents);
}

// Weekdays only, kept inside the days 1 to 28 the schedule uses.
QDate businessDay(QDate date) {
    if (date.dayOfWeek() == Qt::Saturday)
        date = date.day() > 1 ? date.addDays(-1) : date.addDays(2);
    else if (date.dayOfWeek() == Qt::Sunday)
        date = date.day() < 28 ? date.addDays(1) : date.addDays(-2);
    return date;
}

// The day the bank books an item: never on a weekend.
QDate bankDay(QDate date) {
    while (date.dayOfWeek() >= Qt::Saturday)
        date = date.addDays(1);
    return date;
}

// A fixed-seed generator with its own arithmetic: the standard distributions differ between
// libraries, and the demo must be the same file everywhere.
class Generator {
public:
    int between(int low, int high) {
        return low + static_cast<int>(m_engine() % static_cast<std::uint32_t>(high - low + 1));
    }
    Cents cents(double low, double high) {
        return between(static_cast<int>(low * 100), static_cast<int>(high * 100));
    }
    bool chance(int percent) { return between(1, 100) <= percent; }

private:
    std::mt19937 m_engine{19870501u};
};

// ---------------------------------------------------------------------------------------
// The company's fixed data

struct Account {
    int number;
    const char* name;
    const char* kind;
    double openingBalance; // at the beginning of last year
};

const Account kAccounts[] = {
    {1010, "Operating Account", "CA", 52400.00},
    {1020, "Payroll Account", "CA", 5000.00},
    {1030, "Petty Cash", "CA", 250.00},
    {1200, "Accounts Receivable", "AR", 8640.15},
    {1300, "Vending Inventory", "IN", 21385.40},
    {1500, "Route Trucks", "FA", 96500.00},
    {1510, "Vending Machines", "FA", 184250.00},
    {2000, "Accounts Payable", "CL", -12840.66},
    {2100, "Payroll Taxes Payable", "CL", -3215.80},
    {2500, "Truck Loans", "LL", -41800.00},
    {3000, "Retained Earnings", "EQ", -310569.09},
    {4000, "Vending Sales", "RV", 0},
    {4100, "Route Income", "RV", 0},
    {4200, "Interest Income", "RV", 0},
    {5000, "Cost of Goods Sold", "EX", 0},
    {6000, "Wages", "EX", 0},
    {6050, "Payroll Taxes", "EX", 0},
    {6100, "Rent", "EX", 0},
    {6150, "Bank Service Charges", "EX", 0},
    {6200, "Utilities", "EX", 0},
    {6210, "Telephone", "EX", 0},
    {6300, "Insurance", "EX", 0},
    {6400, "Vehicle Fuel", "EX", 0},
    {6410, "Vehicle Repairs", "EX", 0},
    {6500, "Office Supplies", "EX", 0},
    {6600, "Location Commissions", "EX", 0},
};

struct Named {
    int number;
    const char* name;
};

const Named kVendors[] = {
    {2001, "Harbor Property Management"},   {2002, "Granite Mutual Insurance"},
    {2003, "Summit Vending Distributors"},  {2004, "Redwood Snack Wholesale"},
    {2005, "Coastal Electric Cooperative"}, {2006, "Bayside Water District"},
    {2007, "Northshore Telephone Company"}, {2008, "Valley Fuel Supply"},
    {2009, "Metro Truck Repair"},           {2010, "Lakeside Office Supply"},
};

const Named kLocations[] = {
    {1001, "Lakeview Diner"},          {1002, "Riverton Community College"},
    {1003, "Harbor Lanes Bowling"},    {1004, "Northgate Laundromat"},
    {1005, "Maple Street Car Wash"},   {1006, "Sunrise Truck Stop"},
    {1007, "Riverton Public Library"}, {1008, "Pinecrest Medical Center"},
    {1009, "Eastside Auto Parts"},     {1010, "Cascade Fitness Club"},
    {1011, "Depot Street Hotel"},      {1012, "Westfield Apartments"},
};

const Named kEmployees[] = {
    {101, "Maria Delgado"},   {102, "James Whitfield"}, {103, "Anh Nguyen"},
    {104, "Robert Castillo"}, {105, "Linda Okafor"},
};

// Checks to vendors, month after month: the day, the vendor (index into kVendors), the
// expense account, the amount range and the line description.
struct Bill {
    int day;
    int vendor;
    int account;
    double low;
    double high;
    const char* description;
    bool everyOtherMonth = false;
};

const Bill kBills[] = {
    {1, 0, 6100, 2450.00, 2450.00, "Warehouse rent"},
    {3, 1, 6300, 615.00, 615.00, "Fleet and liability insurance"},
    {5, 2, 5000, 2200.00, 4200.00, "Product purchases"},
    {6, 7, 6400, 600.00, 900.00, "Fuel for route trucks"},
    {8, 4, 6200, 380.00, 520.00, "Electric service"},
    {9, 5, 6200, 85.00, 130.00, "Water and sewer"},
    {10, 6, 6210, 140.00, 185.00, "Telephone and data lines"},
    {12, 3, 5000, 1400.00, 2600.00, "Snack purchases"},
    {16, 9, 6500, 60.00, 240.00, "Office supplies"},
    {19, 2, 5000, 2200.00, 4200.00, "Product purchases"},
    {20, 7, 6400, 600.00, 900.00, "Fuel for route trucks"},
    {22, 8, 6410, 300.00, 1400.00, "Truck service and repairs", true},
    {26, 3, 5000, 1400.00, 2600.00, "Snack purchases"},
};

// ---------------------------------------------------------------------------------------
// The bank account's activity, built in memory first so the reconciliation history can be
// worked out from it.

struct Split {
    int account;
    Cents amount;
};

struct ExpenditureLine {
    QString payee;
    QString description;
    Cents amount = 0; // positive: what the check paid
    int vendor = 0;
    int location = 0;
    int employee = 0;
};

struct DepositItem {
    QString checkText;
    QString description;
    Cents amount = 0;
    int ticket = 0;
    QDate ticketDate;
    int location = 0;
    int vendor = 0;
};

struct BankLine {
    QDate date;
    int time = 0;
    QString journal;
    QString type;
    QString description;
    Cents amount = 0; // signed, on the bank account
    bool check = false;
    int checkNumber = 0;
    QString checkText;
    int employee = 0;
    QString status;        // "V" or "N" for the voided check and the returned deposit
    QDate cleared;         // when the bank booked it; invalid: not yet, or never
    QString splitType;     // transaction type of the other side's lines
    QVector<Split> splits; // the ledger's other side
    QVector<ExpenditureLine> expenditures;
    QVector<DepositItem> items;
    // The month left with a difference: what the bank took when the ledger holds another
    // figure (0: the same), and the bank's own line the ledger lacks.
    Cents bankAmount = 0;
    bool bankOnly = false;
};

struct Activity {
    QVector<BankLine> lines;
    int nextTicket = 30001;
};

int vendorNumber(int index) {
    return kVendors[index].number;
}
QString vendorName(int index) {
    return QString::fromLatin1(kVendors[index].name);
}

BankLine makeCheck(const QDate& date, int time, const QString& journal, const QString& payee,
                   int account, const QVector<ExpenditureLine>& lines) {
    BankLine line;
    line.date = date;
    line.time = time;
    line.journal = journal;
    line.type = QStringLiteral("CK");
    line.splitType = QStringLiteral("CK");
    line.description = payee;
    line.check = true;
    line.expenditures = lines;
    Cents total = 0;
    for (const ExpenditureLine& item : lines)
        total += item.amount;
    line.amount = -total;
    line.splits = {{account, total}};
    return line;
}

void addDeposit(Activity& activity, Generator& random, const QDate& date) {
    BankLine line;
    line.date = date;
    line.time = 150000 + random.between(0, 59) * 100;
    line.journal = QStringLiteral("CR");
    line.type = QStringLiteral("DP");
    line.splitType = QStringLiteral("DP");
    const int count = random.between(1, 5);
    QHash<int, Cents> byAccount;
    for (int i = 0; i < count; ++i) {
        DepositItem item;
        const QDate collected = date.addDays(-random.between(1, 3));
        if (i == 0 && count > 1) {
            const int route = random.between(1, 4);
            item.description = QStringLiteral("Route %1 coin and currency").arg(route);
            item.amount = random.cents(1800.00, 3800.00);
            item.ticket = activity.nextTicket++;
            item.ticketDate = collected;
            byAccount[4000] += item.amount;
        } else if (count > 1 && random.chance(6)) {
            const int vendor = random.chance(50) ? 2 : 3;
            item.vendor = vendorNumber(vendor);
            item.checkText = QString::number(random.between(10000, 99999));
            item.description = QStringLiteral("Volume rebate");
            item.amount = random.cents(75.00, 400.00);
            byAccount[5000] += item.amount;
        } else {
            const Named& location = kLocations[random.between(0, 11)];
            item.location = location.number;
            item.checkText = QString::number(random.between(1001, 9899));
            item.description = QStringLiteral("Machine service and sales");
            item.amount =
                count == 1 ? random.cents(400.00, 2500.00) : random.cents(250.00, 1200.00);
            item.ticket = activity.nextTicket++;
            item.ticketDate = collected;
            byAccount[4100] += item.amount;
        }
        line.amount += item.amount;
        line.items << item;
    }
    if (count == 1) {
        // A deposit of one customer check carries its number, so a returned check is found.
        const DepositItem& item = line.items.front();
        line.checkText = item.checkText;
        for (const Named& location : kLocations)
            if (location.number == item.location)
                line.description = QString::fromLatin1(location.name);
    } else {
        line.description = QStringLiteral("Deposit of route collections");
    }
    QList<int> accounts = byAccount.keys();
    std::sort(accounts.begin(), accounts.end());
    for (int account : accounts)
        line.splits << Split{account, -byAccount.value(account)};
    line.cleared = bankDay(date.addDays(random.between(1, 2)));
    activity.lines << line;
}

// One month of checks, payroll and deposits; monthsAgo 0 is the current month, of which only
// the first few days have happened.
void addMonth(Activity& activity, Generator& random, const QDate& first, int monthsAgo,
              const QDate& today) {
    int lastDay = 28;
    if (monthsAgo == 0)
        lastDay = std::min(7, today.day() - 1);
    auto happened = [&](const QDate& date) { return date.day() <= lastDay && date < today; };
    const QString monthName = QLocale::c().monthName(first.month());

    int time = 90000;
    for (const Bill& bill : kBills) {
        if (bill.everyOtherMonth && first.month() % 2 == 1)
            continue;
        const QDate date = businessDay(first.addDays(bill.day - 1));
        if (!happened(date))
            continue;
        ExpenditureLine item;
        item.payee = vendorName(bill.vendor);
        item.vendor = vendorNumber(bill.vendor);
        item.amount = random.cents(bill.low, bill.high);
        item.description = QStringLiteral("Inv %1 %2")
                               .arg(random.between(10000, 99999))
                               .arg(QString::fromLatin1(bill.description));
        QVector<ExpenditureLine> lines{item};
        if (bill.account == 5000 && random.chance(40)) {
            // Two invoices paid with one check.
            ExpenditureLine second = item;
            second.amount = random.cents(bill.low / 4, bill.high / 4);
            second.description = QStringLiteral("Inv %1 %2")
                                     .arg(random.between(10000, 99999))
                                     .arg(QString::fromLatin1(bill.description));
            lines << second;
        }
        BankLine line =
            makeCheck(date, time += 100, QStringLiteral("CD"), item.payee, bill.account, lines);
        line.cleared = bankDay(date.addDays(random.between(3, 12)));
        activity.lines << line;
    }

    // Commissions to three locations, on the 14th.
    const QDate commissionDate = businessDay(first.addDays(13));
    if (happened(commissionDate)) {
        for (int i = 0; i < 3; ++i) {
            const Named& location = kLocations[(first.month() * 3 + i) % 12];
            ExpenditureLine item;
            item.payee = QString::fromLatin1(location.name);
            item.location = location.number;
            item.amount = random.cents(150.00, 600.00);
            item.description = QStringLiteral("Commission for %1").arg(monthName);
            BankLine line = makeCheck(commissionDate, 110000 + i * 100, QStringLiteral("CD"),
                                      item.payee, 6600, {item});
            line.cleared = bankDay(commissionDate.addDays(random.between(4, 15)));
            if (monthsAgo == 4 && i == 0)
                line.cleared = QDate(); // a commission check the location never cashed
            activity.lines << line;
        }
    }

    // Payroll on the 15th and the 28th.
    for (int day : {15, 28}) {
        const QDate date = businessDay(first.addDays(day - 1));
        if (!happened(date))
            continue;
        for (int i = 0; i < 5; ++i) {
            const Named& employee = kEmployees[i];
            ExpenditureLine item;
            item.payee = QString::fromLatin1(employee.name);
            item.employee = employee.number;
            item.amount = random.cents(1150.00, 1850.00);
            item.description = QStringLiteral("Net pay period ending %1")
                                   .arg(date.toString(QStringLiteral("MM/dd/yyyy")));
            BankLine line =
                makeCheck(date, 140000 + i * 100, QStringLiteral("PR"), item.payee, 6000, {item});
            line.employee = employee.number;
            line.cleared = bankDay(date.addDays(random.between(1, 6)));
            activity.lines << line;
        }
    }

    // Deposits every Monday and Thursday.
    for (QDate date = first; date.day() <= 28 && date.month() == first.month();
         date = date.addDays(1)) {
        if ((date.dayOfWeek() == Qt::Monday || date.dayOfWeek() == Qt::Thursday) && happened(date))
            addDeposit(activity, random, date);
    }

    // The bank's service charge, late in each month; last month's is on the statement only,
    // not yet adjusted in the ledger.
    const QDate chargeDate = businessDay(first.addDays(26));
    if (monthsAgo >= 1 && happened(chargeDate)) {
        BankLine charge;
        charge.date = chargeDate;
        charge.time = 101500;
        charge.journal = QStringLiteral("BA");
        charge.type = QStringLiteral("A");
        charge.splitType = QStringLiteral("R");
        charge.description = QStringLiteral("MONTHLY SERVICE CHARGE");
        charge.amount = -1850;
        charge.splits << Split{6150, 1850};
        charge.cleared = chargeDate;
        charge.bankOnly = monthsAgo == 1;
        activity.lines << charge;
    }

    if (monthsAgo != 1)
        return;

    // Last month, still open: a voided check reissued (and entered in the books as 824.60
    // where the bank paid 842.60), and a returned customer check.
    const QDate voidDate = businessDay(first.addDays(10));
    ExpenditureLine repair;
    repair.payee = vendorName(8);
    repair.vendor = vendorNumber(8);
    repair.amount = 84260;
    repair.description = QStringLiteral("Inv 48817 Brake repair truck 3");
    BankLine voided =
        makeCheck(voidDate, 120000, QStringLiteral("CD"), repair.payee, 6410, {repair});
    voided.status = QStringLiteral("V");
    voided.expenditures.clear(); // voiding removed the check's expenditure lines
    activity.lines << voided;
    ExpenditureLine entered = repair;
    entered.amount = 82460; // two digits swapped
    BankLine reissued = makeCheck(businessDay(first.addDays(12)), 120000, QStringLiteral("CD"),
                                  repair.payee, 6410, {entered});
    reissued.cleared = bankDay(reissued.date.addDays(5));
    reissued.bankAmount = -repair.amount;
    activity.lines << reissued;

    BankLine returned;
    returned.date = businessDay(first.addDays(8));
    returned.time = 113000;
    returned.journal = QStringLiteral("CR");
    returned.type = QStringLiteral("DP");
    returned.splitType = QStringLiteral("DP");
    returned.description = QString::fromLatin1(kLocations[0].name);
    returned.checkText = QStringLiteral("5512");
    returned.amount = 48625;
    returned.status = QStringLiteral("N");
    DepositItem item;
    item.checkText = returned.checkText;
    item.description = QStringLiteral("Machine service and sales");
    item.amount = 0; // flagged as returned unpaid
    item.location = kLocations[0].number;
    item.ticket = activity.nextTicket++;
    item.ticketDate = returned.date.addDays(-2);
    returned.items << item;
    returned.splits << Split{4100, -returned.amount};
    activity.lines << returned;
}

// ---------------------------------------------------------------------------------------
// Writing

// One prepared insert, bound and run per row.
class Insert {
public:
    Insert(const QSqlDatabase& database, const QString& table, const QStringList& columns)
        : m_query(database) {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        const QString sql =
            QStringLiteral("insert into %1 (%2) values (%3)")
                .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        if (!m_query.prepare(sql))
            fail();
    }

    void row(std::initializer_list<QVariant> values) {
        int i = 0;
        for (const QVariant& value : values) {
            // A null QString would be stored as NULL; the suite's texts are never NULL.
            if (value.typeId() == QMetaType::QString && value.toString().isNull())
                m_query.bindValue(i++, QStringLiteral(""));
            else
                m_query.bindValue(i++, value);
        }
        if (!m_query.exec())
            fail();
    }

private:
    [[noreturn]] void fail() const {
        const QSqlError error = m_query.lastError();
        throw DatabaseError(error.nativeErrorCode().toInt(), error.text());
    }
    QSqlQuery m_query;
};

struct Writer {
    explicit Writer(const QSqlDatabase& database)
        : ledger(database, QStringLiteral("LDG_GENERAL_LEDGER_TRANSACTION"),
                 {QStringLiteral("gltFSYEAR"), QStringLiteral("gltLNENBR"),
                  QStringLiteral("gltJRNCDE"), QStringLiteral("gltTRNDTE"),
                  QStringLiteral("gltTRNTME"), QStringLiteral("gltTRNTYP"),
                  QStringLiteral("gltGLANBR"), QStringLiteral("gltDESCPT"),
                  QStringLiteral("gltTRNAMT"), QStringLiteral("gltPSTDTE"),
                  QStringLiteral("gltCHKNBR"), QStringLiteral("gltCHKTXT"),
                  QStringLiteral("gltRCNDTE"), QStringLiteral("gltSTATUS"),
                  QStringLiteral("gltFNDNBR"), QStringLiteral("gltEMPNBR")}),
          expenditure(database, QStringLiteral("LDG_BANK_EXPENDITURE_TRANSACTION"),
                      {QStringLiteral("betGLANBR"), QStringLiteral("betCHKNBR"),
                       QStringLiteral("betCHKDTE"), QStringLiteral("betTRNDTE"),
                       QStringLiteral("betTRNTYP"), QStringLiteral("betLNENBR"),
                       QStringLiteral("betPAYNME"), QStringLiteral("betDESCPT"),
                       QStringLiteral("betTRNAMT"), QStringLiteral("betLOCNBR"),
                       QStringLiteral("betACPNBR"), QStringLiteral("betEMPNBR")}),
          deposit(database, QStringLiteral("LDG_BANK_DEPOSIT_TRANSACTION"),
                  {QStringLiteral("bdtGLANBR"), QStringLiteral("bdtDEPDTE"),
                   QStringLiteral("bdtDEPTME"), QStringLiteral("bdtLNENBR"),
                   QStringLiteral("bdtCHKTXT"), QStringLiteral("bdtDESCPT"),
                   QStringLiteral("bdtTRNAMT"), QStringLiteral("bdtTKTNBR"),
                   QStringLiteral("bdtTKTDTE"), QStringLiteral("bdtLOCNBR"),
                   QStringLiteral("bdtACPNBR")}),
          payroll(database, QStringLiteral("LDG_PAYROLL_TRANSACTION"),
                  {QStringLiteral("prtCHKNBR"), QStringLiteral("prtCHKDTE"),
                   QStringLiteral("prtEMPNBR"), QStringLiteral("prtNETPAY")}) {}

    int nextLine(int year) { return ++lastLine[year]; }

    void ledgerLine(const BankLine& line, int account, Cents amount, const QString& type,
                    int cleared, const QString& status, const QString& checkText) {
        const int year = line.date.year();
        ledger.row({year, nextLine(year), line.journal, dateNumber(line.date), line.time, type,
                    account, line.description, money(amount), dateNumber(line.date),
                    line.checkNumber, checkText, cleared, status, 1, line.employee});
    }

    Insert ledger;
    Insert expenditure;
    Insert deposit;
    Insert payroll;
    QHash<int, int> lastLine; // per fiscal year
    int lastExpenditureLine = 0;
};

struct Months {
    QDate open;       // first day of last month, the month being reconciled
    QDate lastPosted; // first day of the month before it
};

// The cleared date and status of a bank line as the clerk left them: everything the posted
// statements showed is reconciled; everything last month's statement shows is marked.
void clearingState(const BankLine& line, const Months& months, int& cleared, QString& status) {
    cleared = 0;
    status = line.status;
    if (!line.status.isEmpty() || !line.cleared.isValid())
        return;
    if (line.cleared <= monthEnd(months.lastPosted)) {
        cleared = dateNumber(line.cleared);
        status = QStringLiteral("R");
    } else if (line.cleared <= monthEnd(months.open)) {
        cleared = dateNumber(line.cleared);
    }
}

void writeBankLine(Writer& writer, const BankLine& line, const Months& months) {
    if (line.bankOnly)
        return;
    int cleared = 0;
    QString status;
    clearingState(line, months, cleared, status);
    writer.ledgerLine(line, kDemoBankAccount, line.amount, line.type, cleared, status,
                      line.checkText);
    for (const Split& split : line.splits)
        writer.ledgerLine(line, split.account, split.amount, line.splitType, 0, QString(),
                          QString());
    const int date = dateNumber(line.date);
    for (const ExpenditureLine& item : line.expenditures)
        writer.expenditure.row(
            {kDemoBankAccount, line.checkNumber, date, date,
             line.journal == QLatin1String("PR") ? QStringLiteral("PR") : QStringLiteral("CK"),
             ++writer.lastExpenditureLine, item.payee, item.description, money(item.amount),
             item.location, item.vendor, item.employee});
    if (line.journal == QLatin1String("PR") && line.status.isEmpty())
        writer.payroll.row({line.checkNumber, date, line.employee, money(-line.amount)});
    int itemNumber = 0;
    for (const DepositItem& item : line.items)
        writer.deposit.row({kDemoBankAccount, date, line.time, ++itemNumber, item.checkText,
                            item.description, money(item.amount), item.ticket,
                            dateNumber(item.ticketDate), item.location, item.vendor});
}

// The history rows of the posted months, worked out as the reconcile window computed them
// when each month was saved: outstanding = the lines dated before the month's last day that
// its statement did not show; ledger balance = the beginning balance plus the lines dated
// before that day that were not yet reconciled. The bank balance makes the month agree.
void writeHistory(const QSqlDatabase& database, const QVector<BankLine>& lines,
                  const QHash<int, Cents>& openingBalance, const QDate& firstPosted,
                  const Months& months) {
    Insert history(
        database, QStringLiteral("LDG_BANK_RECONCILIATION_HISTORY"),
        {QStringLiteral("brhFSYEAR"), QStringLiteral("brhMONTH"), QStringLiteral("brhGLANBR"),
         QStringLiteral("brhDIVCDE"), QStringLiteral("brhSTMDTE"), QStringLiteral("brhBNKBAL"),
         QStringLiteral("brhOUTSTD"), QStringLiteral("brhBNKADJ"), QStringLiteral("brhADJBAL"),
         QStringLiteral("brhEOMBAL"), QStringLiteral("brhOVRSHT"), QStringLiteral("brhRLSDTE"),
         QStringLiteral("brhPSTDTE")});
    for (QDate month = firstPosted; month <= months.lastPosted; month = month.addMonths(1)) {
        const QDate statement = monthEnd(month);
        const QDate previousStatement = month.addDays(-1);
        Cents outstanding = 0;
        Cents ledger = openingBalance.value(month.year());
        for (const BankLine& line : lines) {
            if (line.date >= statement)
                continue;
            const bool shown = line.cleared.isValid() && line.cleared <= statement;
            const bool reconciledBefore =
                line.cleared.isValid() && line.cleared <= previousStatement;
            if (!shown)
                outstanding += line.amount;
            if (!reconciledBefore)
                ledger += line.amount;
        }
        const Cents bank = ledger + outstanding;
        const Cents adjusted = bank - outstanding;
        const QDate saved = businessDay(month.addMonths(1).addDays(7));
        const QDate posted = bankDay(saved.addDays(1));
        history.row({month.year(), month.month(), kDemoBankAccount, QString(),
                     dateNumber(statement), money(bank), money(outstanding), 0.0, money(adjusted),
                     money(ledger), money(adjusted - ledger), dateNumber(saved),
                     dateNumber(posted)});
    }
}

// Benchmark lines: uncleared checks and single-check deposits spread over last month and
// this month up to yesterday, each with its expenditure or deposit line.
void writeLargeActivity(Writer& writer, int count, const Months& months, const QDate& today) {
    const int span = std::max<qint64>(1, months.open.daysTo(today));
    QHash<int, int> depositsOnDay;
    for (int i = 0; i < count; ++i) {
        const QDate date = months.open.addDays(i % span);
        BankLine line;
        line.date = date;
        line.journal = QStringLiteral("CD");
        const Cents amount = 1000 + (static_cast<Cents>(i) * 7919) % 250000;
        if (i % 2 == 0) {
            const int vendor = (i / 2) % 10;
            line.type = QStringLiteral("CK");
            line.time = 80000;
            line.check = true;
            line.checkNumber = 100001 + i;
            line.description = vendorName(vendor);
            line.amount = -amount;
            ExpenditureLine item;
            item.payee = line.description;
            item.vendor = vendorNumber(vendor);
            item.amount = amount;
            item.description = QStringLiteral("Inv %1 Product purchases").arg(500000 + i);
            line.expenditures << item;
        } else {
            const int seconds = 6 * 3600 + depositsOnDay[i % span]++;
            const Named& location = kLocations[(i / 2) % 12];
            line.journal = QStringLiteral("CR");
            line.type = QStringLiteral("DP");
            line.time = (seconds / 3600) * 10000 + (seconds / 60 % 60) * 100 + seconds % 60;
            line.description = QString::fromLatin1(location.name);
            line.checkText = QString::number(800000 + i);
            line.amount = amount;
            DepositItem item;
            item.checkText = line.checkText;
            item.description = QStringLiteral("Machine service and sales");
            item.amount = amount;
            item.location = location.number;
            item.ticket = 900000 + i;
            item.ticketDate = date.addDays(-1);
            line.items << item;
        }
        writeBankLine(writer, line, months);
    }
}

void writeReferenceData(const QSqlDatabase& database, const QHash<int, Cents>& bankOpening,
                        int currentYear) {
    Insert company(database, QStringLiteral("SYS_ENTERPRISE_MASTER"),
                   {QStringLiteral("ddmDIVCDE"), QStringLiteral("ddmDPTCDE"),
                    QStringLiteral("ddmLGLNME"), QStringLiteral("ddmDBANME"),
                    QStringLiteral("ddmADDRS1"), QStringLiteral("ddmADDRS2"),
                    QStringLiteral("ddmCITY"), QStringLiteral("ddmSTATE"),
                    QStringLiteral("ddmZIPCDE"), QStringLiteral("ddmBOYMTH")});
    company.row({QStringLiteral("*"), QString(), QString::fromLatin1(kDemoCompanyName),
                 QString::fromLatin1(kDemoCompanyName), QStringLiteral("2140 Harbor Boulevard"),
                 QStringLiteral("Suite 110"), QStringLiteral("Riverton"), QStringLiteral("OR"),
                 QStringLiteral("97301"), 1});

    Insert ledgerMaster(database, QStringLiteral("LDG_GENERAL_LEDGER_MASTER"),
                        {QStringLiteral("glmFSYEAR"), QStringLiteral("glmDIVCDE"),
                         QStringLiteral("glmGLANBR"), QStringLiteral("glmGLANME"),
                         QStringLiteral("glmGLACDE"), QStringLiteral("glmGLATYP"),
                         QStringLiteral("glmBOYBAL")});
    for (int year : {currentYear - 1, currentYear})
        for (const Account& account : kAccounts) {
            const bool bank = account.number == kDemoBankAccount;
            const double opening = bank ? money(bankOpening.value(year)) : account.openingBalance;
            ledgerMaster.row({year, QStringLiteral("*"), account.number,
                              QString::fromLatin1(account.name), QString::fromLatin1(account.kind),
                              bank ? QStringLiteral("BNK") : QString(), opening});
        }

    Insert vendors(database, QStringLiteral("LDG_ACCOUNT_PAYABLE_MASTER"),
                   {QStringLiteral("apmACPNBR"), QStringLiteral("apmACPNME")});
    for (const Named& vendor : kVendors)
        vendors.row({vendor.number, QString::fromLatin1(vendor.name)});
    Insert locations(database, QStringLiteral("TKV_LOCATION_MASTER"),
                     {QStringLiteral("lcmLOCNBR"), QStringLiteral("lcmLOCNME")});
    for (const Named& location : kLocations)
        locations.row({location.number, QString::fromLatin1(location.name)});
    Insert employees(database, QStringLiteral("LDG_PAYROLL_MASTER"),
                     {QStringLiteral("prmEMPNBR"), QStringLiteral("prmEMPNME")});
    for (const Named& employee : kEmployees)
        employees.row({employee.number, QString::fromLatin1(employee.name)});

    Insert values(database, QStringLiteral("SYS_SYSTEM_VALUE_MASTER"),
                  {QStringLiteral("svmVALCDE"), QStringLiteral("svmVALTXT"),
                   QStringLiteral("svmVALNBR"), QStringLiteral("svmVALCHK")});
    const struct {
        const char* code;
        const char* text;
        int number;
        int flag;
    } systemValues[] = {
        {"DTEFMT", "", 0, 0},
        {"PRTPRV", "", 0, 1},
        {"BNKNME", "First Riverton Bank", 0, 0},
        {"BNKADD", "400 Commerce Street", 0, 0},
        {"BNKCTY", "Riverton", 0, 0},
        {"BNKSTE", "OR", 0, 0},
        {"BNKZIP", "97301", 0, 0},
        {"MCRCDE", "C004501C A123000789A 0012345678C", 0, 0},
        {"CHKLGO", "", 0, 0},
    };
    for (const auto& value : systemValues)
        values.row({QString::fromLatin1(value.code), QString::fromLatin1(value.text), value.number,
                    value.flag});

    Insert users(
        database, QStringLiteral("SYS_USER_MASTER"),
        {QStringLiteral("usmUSRSGN"), QStringLiteral("usmUSRNME"), QStringLiteral("usmSECLVL")});
    users.row(
        {QStringLiteral("ADMIN"), QStringLiteral("System Administrator"), QStringLiteral("A")});
    users.row({QStringLiteral("BOOKKEEPER"), QStringLiteral("Carol Brennan"), QStringLiteral("M")});
    users.row({QStringLiteral("CLERK"), QStringLiteral("Dennis Ortiz"), QStringLiteral("S")});
    Insert rights(database, QStringLiteral("SYS_USER_DETAIL"),
                  {QStringLiteral("usdUSRSGN"), QStringLiteral("usdSYSCDE")});
    const char* everything[] = {"RRC", "RIM", "RLC", "RMC", "RVH",
                                "AAP", "APR", "ABR", "AGL", "ASC"};
    for (const char* code : everything)
        rights.row({QStringLiteral("ADMIN"), QString::fromLatin1(code)});
    for (const char* code : {"AAP", "APR", "ABR", "AGL"})
        rights.row({QStringLiteral("BOOKKEEPER"), QString::fromLatin1(code)});
    for (const char* code : {"RRC", "ABR"})
        rights.row({QStringLiteral("CLERK"), QString::fromLatin1(code)});

    Insert programs(database, QStringLiteral("SYS_CUSTOM_PROGRAM_MASTER"),
                    {QStringLiteral("cpmSUBSYS"), QStringLiteral("cpmPGMTYP"),
                     QStringLiteral("cpmPGMMNU"), QStringLiteral("cpmPGMNME")});
    programs.row({QStringLiteral("ABR"), QStringLiteral("M"),
                  QStringLiteral("Import Bank Statement File"), QStringLiteral("bankimport.exe")});
    programs.row({QStringLiteral("ABR"), QStringLiteral("P"),
                  QStringLiteral("Print Positive Pay File"), QStringLiteral("positivepay.exe")});

    Insert help(database, QStringLiteral("SYS_USER_HELP"),
                {QStringLiteral("hlpPGMNME"), QStringLiteral("hlpFRMNME"),
                 QStringLiteral("hlpPGENBR"), QStringLiteral("hlpWIDTH"),
                 QStringLiteral("hlpHEIGHT"), QStringLiteral("hlpHLPTXT")});
    const QString header = QStringLiteral(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
        "{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green0\\blue128;\\red128\\green0\\blue0;}"
        "\\f0\\fs20 ");
    auto block = [](const char* colour, const char* label, const char* text) {
        return QStringLiteral("\\ql\\cf%1\\b %2\\cf1\\b0   %3\\par\\par ")
            .arg(QString::fromLatin1(colour), QString::fromLatin1(label),
                 QString::fromLatin1(text));
    };
    auto title = [](const char* text) {
        return QStringLiteral("\\qc\\b %1\\b0\\par\\par ").arg(QString::fromLatin1(text));
    };
    const QString program = QStringLiteral("bankrec");
    help.row({program, QString(), 0, 10000, 7000,
              header + title("BANK RECONCILIATION SUBSYSTEM") +
                  block("2", "Purpose:",
                        "Reconcile the bank account with the monthly bank statement, month by "
                        "month.") +
                  block("3", "Select: ",
                        "Pick the bank account at the top of the window. The Maintenance menu "
                        "clears transactions, records adjustments and reconciles the balances; "
                        "the Printing menu prints the report and posts the month.") +
                  block("2", "Note: ",
                        "Post a month only after its report agrees with the bank statement.") +
                  QStringLiteral("}")});
    help.row({program, QStringLiteral("frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT"), 0, 0, 0,
              header + title("CLEAR BANK TRANSACTIONS FROM STATEMENT") +
                  block("2", "Purpose:",
                        "Mark each check and deposit shown on the bank statement with the "
                        "date it cleared.") +
                  block("3", "Detail: ",
                        "Type the day, day and month, or the full date. F6 repeats the last "
                        "date.") +
                  block("3", "Control: ", "OK saves the dates; Cancel leaves without saving.") +
                  QStringLiteral("}")});
    help.row({program, QStringLiteral("frmRECONCILE_CHECKING_ACCOUNT_BALANCES"), 0, 6500, 6825,
              header + title("RECONCILE CHECKING ACCOUNT BALANCES") +
                  block("2", "Purpose:",
                        "Compare the balance per bank statement with the balance per general "
                        "ledger.") +
                  block("3", "Detail: ",
                        "Enter the statement date and the statement balance, then press "
                        "Enter.") +
                  block("2", "Note: ",
                        "The difference should be 0.00 before the month is "
                        "posted.") +
                  QStringLiteral("}")});
}

// The bank's statement of the open month as an OFX 1 file: every line the bank booked that
// month, at the bank's own amounts, closing at the balance the month was saved with.
void writeStatementFile(const QString& path, const QVector<BankLine>& lines, const Months& months,
                        Cents closing) {
    const QDate first = months.open;
    const QDate last = monthEnd(months.open);
    Statement statement;
    statement.account = QStringLiteral("4410012345");
    statement.currency = QStringLiteral("USD");
    statement.periodStart = dateNumber(first);
    statement.periodEnd = statement.closingDate = dateNumber(last);
    statement.hasClosing = true;
    statement.closing = closing;
    for (const BankLine& line : lines) {
        if (!line.status.isEmpty() || !line.cleared.isValid() || line.cleared < first ||
            line.cleared > last)
            continue;
        const QString text = line.check        ? QStringLiteral("CHECK %1").arg(line.checkNumber)
                             : line.amount > 0 ? QStringLiteral("DEPOSIT")
                                               : line.description.toUpper().left(32);
        statement.lines << StatementLine{dateNumber(line.cleared),
                                         line.bankAmount != 0 ? line.bankAmount : line.amount,
                                         line.check ? line.checkNumber : 0,
                                         text,
                                         {},
                                         0};
    }
    std::stable_sort(
        statement.lines.begin(), statement.lines.end(),
        [](const StatementLine& a, const StatementLine& b) { return a.date < b.date; });
    int id = 0;
    for (StatementLine& item : statement.lines)
        item.reference = QStringLiteral("%1%2").arg(item.date).arg(++id, 3, 10, QLatin1Char('0'));
    statement_files::Options options;
    options.format = statement_files::Format::OfxSgml;
    const statement_files::Written written = statement_files::write({statement}, options);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(written.bytes) < 0)
        throw DatabaseError(-1,
                            QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

// Last month as the clerk saved it, not yet posted: the bank's closing balance is what the
// month's figures would agree with had the check been entered as the bank paid it and the
// service charge adjusted. So the month is left with a difference of both: a newcomer finds
// the two causes at once. Returns the bank's closing balance.
Cents writeOpenMonth(Connection& connection, const QVector<BankLine>& lines, const Months& months,
                     const QDate& today) {
    const QDate statement = monthEnd(months.open);
    Cents difference = 0;
    for (const BankLine& line : lines) {
        if (line.cleared < months.open || line.cleared > statement)
            continue;
        if (line.bankOnly)
            difference += line.amount;
        else if (line.bankAmount != 0)
            difference += line.bankAmount - line.amount;
    }
    ledger::Month month =
        ledger::monthNow(connection, kDemoBankAccount, months.open.year(), months.open.month());
    const Cents outstanding = roundToCents(month.outstanding);
    const Cents ledgerBalance = roundToCents(month.ledgerBalance);
    const Cents bank = outstanding + ledgerBalance + difference;
    QSqlQuery insert(connection.database());
    insert.prepare(QStringLiteral(
        "insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR, brhMONTH, brhGLANBR, brhSTMDTE, "
        "brhBNKBAL, brhOUTSTD, brhBNKADJ, brhADJBAL, brhEOMBAL, brhOVRSHT, brhRLSDTE, brhPSTDTE) "
        "values(?, ?, ?, ?, ?, ?, 0, ?, ?, ?, ?, 0)"));
    for (const QVariant& value :
         {QVariant(months.open.year()), QVariant(months.open.month()), QVariant(kDemoBankAccount),
          QVariant(dateNumber(statement)), QVariant(money(bank)), QVariant(money(outstanding)),
          QVariant(money(bank - outstanding)), QVariant(money(ledgerBalance)),
          QVariant(money(bank - outstanding - ledgerBalance)),
          QVariant(dateNumber(today.addDays(-1)))})
        insert.addBindValue(value);
    if (!insert.exec())
        throw DatabaseError(-1, insert.lastError().text());
    return bank;
}

} // namespace

void buildDemoDatabase(const QString& file, const DemoOptions& options,
                       const QString& statementFile) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QString::fromLatin1(suffix));
    QDir().mkpath(QFileInfo(file).absolutePath());
    {
        QFile empty(file); // an empty file is a new SQLite database
        if (!empty.open(QIODevice::WriteOnly))
            throw DatabaseError(
                -1, QStringLiteral("Cannot create %1: %2").arg(file, empty.errorString()));
    }

    const QDate now = today();
    Months months;
    months.open = QDate(now.year(), now.month(), 1).addMonths(-1);
    months.lastPosted = months.open.addMonths(-1);
    const QDate firstPosted = months.open.addMonths(-5);

    Generator random;
    Activity activity;
    for (int monthsAgo = 6; monthsAgo >= 0; --monthsAgo)
        addMonth(activity, random, QDate(now.year(), now.month(), 1).addMonths(-monthsAgo),
                 monthsAgo, now);
    QVector<BankLine>& lines = activity.lines;
    std::stable_sort(lines.begin(), lines.end(), [](const BankLine& a, const BankLine& b) {
        return a.date != b.date ? a.date < b.date : a.time < b.time;
    });
    int checkNumber = 4500;
    for (BankLine& line : lines)
        if (line.check)
            line.checkNumber = ++checkNumber;

    // The bank account's beginning balances: last year's is given, this year's follows.
    QHash<int, Cents> bankOpening;
    bankOpening[now.year() - 1] = 5240000;
    Cents lastYear = 0;
    for (const BankLine& line : lines)
        if (line.date.year() == now.year() - 1)
            lastYear += line.amount;
    bankOpening[now.year()] = bankOpening[now.year() - 1] + lastYear;

    Connection connection;
    connection.open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1").arg(file));
    createSchema(connection);
    {
        const QSqlDatabase database = connection.database(); // released before the close
        // The large build touches tens of megabytes of pages: keep them in memory until the
        // commit instead of spilling and rereading them.
        QSqlQuery(database).exec(QStringLiteral("PRAGMA cache_size=-131072"));
        Transaction transaction(connection);
        writeReferenceData(database, bankOpening, now.year());
        Writer writer(database);
        for (const BankLine& line : lines)
            writeBankLine(writer, line, months);
        writeHistory(database, lines, bankOpening, firstPosted, months);
        if (options.unreconciledTransactions > 0)
            writeLargeActivity(writer, options.unreconciledTransactions, months, now);
        transaction.commit();
    }
    const Cents closing = writeOpenMonth(connection, lines, months, now);
    connection.close();
    if (!statementFile.isEmpty())
        writeStatementFile(statementFile, lines, months, closing);
}

QString demoSettingsFile(const QString& root) {
    return QDir(root).absoluteFilePath(QStringLiteral("ORLUNDE.ini"));
}

QString demoStatementFile(const QString& root) {
    const QDate open = today().addMonths(-1);
    return QDir(QDir(root).absoluteFilePath(QStringLiteral("Statements")))
        .absoluteFilePath(QStringLiteral("Operating Account %1.ofx")
                              .arg(open.toString(QStringLiteral("yyyy-MM"))));
}

QString buildDemoInstallation(const QString& root, const DemoOptions& options) {
    const QDir base(QDir(root).absolutePath());
    const QString programs = base.absoluteFilePath(QStringLiteral("Programs"));
    const QString database = base.absoluteFilePath(QStringLiteral("Database/TolvaneDemo.mdb"));
    QDir().mkpath(programs);
    buildDemoDatabase(database, options, demoStatementFile(root));

    QFile settings(demoSettingsFile(root));
    if (!settings.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DatabaseError(
            -1,
            QStringLiteral("Cannot write %1: %2").arg(settings.fileName(), settings.errorString()));
    // The Access connection keys of the program folder name the demo file too, so reading
    // them at start-up finds the connections defined.
    const QString folder = QDir::toNativeSeparators(programs);
    const QString file = QDir::toNativeSeparators(database);
    const QString text = QStringLiteral("[Startup]\n"
                                        "DEMO=True\n"
                                        "VERNBR=1\n"
                                        "TKVDTA-%2=%3\n"
                                        "TKWDTA-%2=%3\n"
                                        "\n"
                                        "[Company]\n"
                                        "NAME=%1\n"
                                        "ADDRESS1=2140 Harbor Boulevard\n"
                                        "ADDRESS2=Suite 110\n"
                                        "CITY=Riverton\n"
                                        "STATE=OR\n"
                                        "ZIP=97301\n"
                                        "\n"
                                        "[ImportBankStatement]\n"
                                        "LAST-%4-%5=%6\n")
                             .arg(QString::fromLatin1(kDemoCompanyName), folder, file)
                             .arg(kDemoBankAccount)
                             .arg(today().addMonths(-1).toString(QStringLiteral("yyyy-MM")),
                                  QDir::toNativeSeparators(demoStatementFile(root)));
    settings.write(text.toUtf8());
    return programs;
}
