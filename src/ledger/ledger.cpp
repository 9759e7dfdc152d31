#include "ledger.h"

#include "common.h"
#include "company.h"
#include "context.h"
#include "database.h"
#include "ledger_notifier.h"
#include "money.h"

namespace ledger {

// ---------------------------------------------------------------------------------------
// Reading lines and months

namespace {

const QString kLineColumns =
    QStringLiteral("gltFSYEAR,gltLNENBR,gltTRNDTE,gltCHKNBR,gltDESCPT,gltTRNAMT,gltRCNDTE,"
                   "gltSTATUS,gltPSTDTE");

const QString kHistoryColumns =
    QStringLiteral("brhGLANBR,brhFSYEAR,brhMONTH,brhSTMDTE,brhBNKBAL,brhOUTSTD,brhADJBAL,"
                   "brhEOMBAL,brhOVRSHT,brhRLSDTE,brhPSTDTE");

// Where each of a line's columns is in the rows, found once: a long listing spends its time
// reading the rows.
struct LineColumns {
    explicit LineColumns(const Recordset& rs)
        : fiscalYear(rs.fieldIndex(QStringLiteral("gltFSYEAR"))),
          line(rs.fieldIndex(QStringLiteral("gltLNENBR"))),
          date(rs.fieldIndex(QStringLiteral("gltTRNDTE"))),
          check(rs.fieldIndex(QStringLiteral("gltCHKNBR"))),
          description(rs.fieldIndex(QStringLiteral("gltDESCPT"))),
          amount(rs.fieldIndex(QStringLiteral("gltTRNAMT"))),
          cleared(rs.fieldIndex(QStringLiteral("gltRCNDTE"))),
          status(rs.fieldIndex(QStringLiteral("gltSTATUS"))),
          posted(rs.fieldIndex(QStringLiteral("gltPSTDTE"))) {}
    int fiscalYear, line, date, check, description, amount, cleared, status, posted;
};

Line readLine(const Recordset& rs, const LineColumns& c) {
    const auto whole = [&rs](int column) { return qint64(fncFIELD_NUMBER(rs.field(column))); };
    Line l;
    l.fiscalYear = int(whole(c.fiscalYear));
    l.line = int(whole(c.line));
    l.date = int(whole(c.date));
    l.check = whole(c.check);
    l.description = rs.field(c.description).toString();
    l.amount = fncFIELD_NUMBER(rs.field(c.amount));
    l.cleared = int(whole(c.cleared));
    l.status = rs.field(c.status).toString();
    l.posted = int(whole(c.posted));
    return l;
}

// The columns of kHistoryColumns, read by position.
HistoryRow readHistoryRow(const Recordset& rs) {
    const auto number = [&rs](int column) { return fncFIELD_NUMBER(rs.field(column)); };
    HistoryRow h;
    h.account = int(number(0));
    h.year = int(number(1));
    h.month = int(number(2));
    h.statementDate = int(number(3));
    h.bankBalance = number(4);
    h.outstanding = number(5);
    h.adjustedBalance = number(6);
    h.ledgerBalance = number(7);
    h.difference = number(8);
    h.savedOn = int(number(9));
    h.postedOn = int(number(10));
    return h;
}

} // namespace

QList<Line> lines(Connection& db, int account, const QString& condition, int through) {
    QString sql = QStringLiteral("Select ") + kLineColumns +
                  QStringLiteral(" from LDG_GENERAL_LEDGER_TRANSACTION") + shared().wrkNOLOCK +
                  QStringLiteral(" where gltGLANBR=") + QString::number(account);
    if (through > 0)
        sql += QStringLiteral(" and gltTRNDTE<=") + QString::number(through);
    if (!condition.isEmpty())
        sql += QStringLiteral(" and ") + condition;
    Recordset rs = db.execute(sql + QStringLiteral(" order by gltTRNDTE, gltLNENBR"));
    QList<Line> read;
    read.reserve(rs.rowCount());
    readLines(rs, [&read](const Line& l) { read << l; });
    return read;
}

void readLines(Recordset& rs, const std::function<void(const Line&)>& use) {
    const LineColumns columns(rs);
    for (; !rs.eof(); rs.moveNext())
        use(readLine(rs, columns));
}

QString HistoryRow::label() const {
    return QStringLiteral("%1-%2")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'));
}

QList<HistoryRow> history(Connection& db, int account, int limit) {
    QList<HistoryRow> rows;
    for (Recordset rs = db.execute(
             QStringLiteral("Select ") + kHistoryColumns +
             QStringLiteral(" from LDG_BANK_RECONCILIATION_HISTORY") + shared().wrkNOLOCK +
             QStringLiteral(" where brhGLANBR=") + QString::number(account) +
             QStringLiteral(" order by brhSTMDTE desc, brhFSYEAR desc, brhMONTH desc"));
         !rs.eof() && (limit <= 0 || rows.size() < limit); rs.moveNext())
        rows << readHistoryRow(rs);
    return rows;
}

HistoryRow historyRow(Connection& db, int account, int year, int month) {
    const Recordset rs =
        db.execute(QStringLiteral("Select ") + kHistoryColumns +
                   QStringLiteral(" from LDG_BANK_RECONCILIATION_HISTORY") + shared().wrkNOLOCK +
                   QStringLiteral(" where brhGLANBR=") + QString::number(account) +
                   QStringLiteral(" and brhFSYEAR=") + QString::number(year) +
                   QStringLiteral(" and brhMONTH=") + QString::number(month));
    if (!rs.eof())
        return readHistoryRow(rs);
    HistoryRow none;
    none.account = account;
    none.year = year;
    none.month = month;
    return none;
}

// ---------------------------------------------------------------------------------------
// Which lines count

QString outstandingCondition() {
    return QStringLiteral("gltRCNDTE=0");
}

QString unreconciledCondition() {
    return QStringLiteral("gltSTATUS<>'R'");
}

QString openLinesStatement(int account) {
    return QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION") + shared().wrkNOLOCK +
           QStringLiteral(" where gltGLANBR=") + QString::number(account) +
           QStringLiteral(" and ") + unreconciledCondition();
}

QList<Line> openLines(Connection& db, int account) {
    Recordset rs = db.execute(openLinesStatement(account));
    QList<Line> read;
    read.reserve(rs.rowCount());
    readLines(rs, [&read](const Line& l) { read << l; });
    return read;
}

// ---------------------------------------------------------------------------------------
// The month's reconciliation

QString Month::yearText() const {
    return paddedPeriod ? QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'))
                        : QString::number(year);
}

QString Month::monthText() const {
    return paddedPeriod ? QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'))
                        : QString::number(month);
}

void Month::setBankBalance(double amount) {
    bankBalance = roundedToCents(amount);
    adjustedBalance = roundedToCents(bankBalance - outstanding);
    difference = roundedToCents(adjustedBalance - ledgerBalance);
}

int cutOffDate(const QDate& today) {
    // Worked out from the date itself: text written here would be read back in the company's
    // order, and a day-first format would turn the 5th of March into the 3rd of May.
    return monthEnd(dateNumber(today.addMonths(-1)));
}

void refreshFigures(Connection& db, int account, const QDate& today, Month& m) {
    m.cutOff = cutOffDate(today);
    figuresAtCutOff(db, account, m);
}

Month monthNow(Connection& db, int account, int year, int month) {
    Month m;
    static_cast<HistoryRow&>(m) = historyRow(db, account, year, month);
    m.mode = m.statementDate > 0 ? Month::Mode::Update : Month::Mode::Add;
    m.saved = m.statementDate > 0;
    m.savedOutstanding = m.outstanding;
    m.savedLedgerBalance = m.ledgerBalance;
    // Reconcile shows a month in the month after it: lines dated before its last day count.
    m.cutOff = monthEnd(year * 10000 + month * 100 + 1);
    // A posted month's lines are reconciled and count no more: its figures stay as posted.
    if (m.postedOn == 0)
        figuresAtCutOff(db, account, m);
    return m;
}

void figuresAtCutOff(Connection& db, int account, Month& m) {
    const QString head = QStringLiteral("Select sum(gltTRNAMT) as sumTRNAMT from "
                                        "LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=") +
                         QString::number(account);
    const QString cutOff = QString::number(m.cutOff);

    const Recordset outstanding =
        db.execute(head + QStringLiteral(" and ") + outstandingCondition() +
                   QStringLiteral(" and gltTRNDTE<") + cutOff);
    m.outstanding = roundedToCents(fncFIELD_NUMBER(outstanding, QStringLiteral("sumTRNAMT")));

    const Recordset master =
        db.execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER") + shared().wrkNOLOCK +
                   QStringLiteral(" where glmFSYEAR=") + m.yearText() +
                   QStringLiteral(" and glmGLANBR=") + QString::number(account));
    const double beginning =
        master.eof() ? 0 : fncFIELD_NUMBER(master, QStringLiteral("glmBOYBAL"));
    const Recordset sum = db.execute(head + QStringLiteral(" and ") + unreconciledCondition() +
                                     QStringLiteral(" and gltTRNDTE<") + cutOff);
    m.ledgerBalance = roundedToCents(fncFIELD_NUMBER(sum, QStringLiteral("sumTRNAMT")) + beginning);
    m.setBankBalance(m.bankBalance);
}

QString figuresMoved(double outstandingBefore, double ledgerBefore, const Month& now,
                     bool sinceSaved, bool spanish) {
    const auto moved = [&](double before, double after, const QString& english,
                           const QString& spanishName) {
        if (roundToCents(before) == roundToCents(after))
            return QString();
        const QString was = formatNumber(before, QStringLiteral("#0.00"));
        const QString is = formatNumber(after, QStringLiteral("#0.00"));
        if (spanish)
            return QStringLiteral("%1 era %2 %3; ahora es %4.")
                .arg(spanishName, was,
                     sinceSaved ? QStringLiteral("cuando se guardó este mes")
                                : QStringLiteral("al abrir esta ventana"),
                     is);
        return QStringLiteral("%1 was %2 %3; it is %4 now.")
            .arg(english, was,
                 sinceSaved ? QStringLiteral("when this month was saved")
                            : QStringLiteral("when this window was opened"),
                 is);
    };
    QStringList lines;
    const QString outstanding =
        moved(outstandingBefore, now.outstanding, QStringLiteral("Outstanding"),
              QStringLiteral("Lo pendiente"));
    const QString ledger =
        moved(ledgerBefore, now.ledgerBalance, QStringLiteral("The ledger balance"),
              QStringLiteral("El saldo según el libro mayor"));
    for (const QString& line : {outstanding, ledger})
        if (!line.isEmpty())
            lines << line;
    return lines.join(QLatin1Char(' '));
}

Month loadMonth(Connection& db, int account, const QDate& today) {
    const QString accountText = QString::number(account);
    Month m;
    m.account = account;
    const Recordset last =
        db.execute(QStringLiteral("Select max(brhSTMDTE) as maxSTMDTE from "
                                  "LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=") +
                   accountText);
    const int lastStatement = int(fncFIELD_NUMBER(last, QStringLiteral("maxSTMDTE")));
    if (lastStatement >= 1) {
        const Recordset row =
            db.execute(QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY") +
                       shared().wrkNOLOCK + QStringLiteral(" where brhGLANBR=") + accountText +
                       QStringLiteral(" and brhSTMDTE=") + QString::number(lastStatement));
        if (!row.eof()) {
            const auto field = [&row](const char* name) {
                return fncFIELD_NUMBER(row, QString::fromLatin1(name));
            };
            const int month = int(field("brhMONTH"));
            const int year = int(field("brhFSYEAR"));
            if (field("brhPSTDTE") == 0) {
                // The last month is still open, to be redone: its statement date and bank
                // balance as the clerk saved them, its figures as the lines stand today.
                m.mode = Month::Mode::Update;
                m.year = year;
                m.month = month;
                m.statementDate = int(field("brhSTMDTE"));
                m.bankBalance = roundedToCents(field("brhBNKBAL"));
                m.saved = true;
                m.savedOutstanding = roundedToCents(field("brhOUTSTD"));
                m.savedLedgerBalance = roundedToCents(field("brhEOMBAL"));
                refreshFigures(db, account, today, m);
                return m;
            }
            // The last month is posted: the one after it.
            m.year = month == 12 ? year + 1 : year;
            m.month = month == 12 ? 1 : month + 1;
            m.statementDate = dateNumber(numberDate(int(field("brhSTMDTE"))).addMonths(1));
            refreshFigures(db, account, today, m);
            return m;
        }
    }
    const QDate lastMonth = today.addMonths(-1);
    m.year = lastMonth.year();
    m.month = lastMonth.month();
    m.paddedPeriod = true;
    m.statementDate = dateNumber(lastMonth);
    refreshFigures(db, account, today, m);
    return m;
}

void saveMonth(Connection& db, int account, const Month& m, const QDate& today) {
    const QString accountText = QString::number(account);
    const QString saved = QString::number(dateNumber(today));
    if (m.mode == Month::Mode::Add)
        db.execute(QStringLiteral("Insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,"
                                  "brhGLANBR,brhDIVCDE,brhSTMDTE,brhBNKBAL,brhOUTSTD,brhBNKADJ,"
                                  "brhADJBAL,brhEOMBAL,brhOVRSHT,brhRLSDTE) values(") +
                   m.yearText() + QLatin1Char(',') + m.monthText() + QLatin1Char(',') +
                   accountText + QStringLiteral(",'',") + QString::number(m.statementDate) +
                   QLatin1Char(',') + sqlNumber(m.bankBalance) + QLatin1Char(',') +
                   sqlNumber(m.outstanding) + QStringLiteral(",0,") + sqlNumber(m.adjustedBalance) +
                   QLatin1Char(',') + sqlNumber(m.ledgerBalance) + QLatin1Char(',') +
                   sqlNumber(m.difference) + QLatin1Char(',') + saved + QLatin1Char(')'));
    else
        db.execute(QStringLiteral("Update LDG_BANK_RECONCILIATION_HISTORY set brhSTMDTE=") +
                   QString::number(m.statementDate) + QStringLiteral(",brhBNKBAL=") +
                   sqlNumber(m.bankBalance) + QStringLiteral(",brhOUTSTD=") +
                   sqlNumber(m.outstanding) + QStringLiteral(",brhBNKADJ=0,brhADJBAL=") +
                   sqlNumber(m.adjustedBalance) + QStringLiteral(",brhEOMBAL=") +
                   sqlNumber(m.ledgerBalance) + QStringLiteral(",brhOVRSHT=") +
                   sqlNumber(m.difference) + QStringLiteral(",brhRLSDTE=") + saved +
                   QStringLiteral(" where brhGLANBR=") + accountText +
                   QStringLiteral(" and brhFSYEAR=") + m.yearText() +
                   QStringLiteral(" and brhMONTH=") + m.monthText());
    LedgerNotifier::announce(account);
}

// ---------------------------------------------------------------------------------------
// Cleared dates

int writeClearedDates(Connection& db, int account, const QList<ClearedDate>& dates) {
    QList<ClearedDate> written;
    for (const ClearedDate& d : dates)
        if (d.fiscalYear > 0 && d.date > 0)
            written.append(d);
    // Empty or unreadable dates are never written, so no cleared date is ever reset. All
    // lines go into one transaction: committed one by one, each would wait for the disk, and
    // on a failure nothing is written. With nothing to write, no lock is taken.
    if (written.isEmpty())
        return 0;
    Transaction transaction(db);
    for (const ClearedDate& d : written)
        db.execute(QStringLiteral("Update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=%1 where "
                                  "gltFSYEAR=%2 and gltLNENBR=%3")
                       .arg(d.date)
                       .arg(d.fiscalYear)
                       .arg(d.line));
    transaction.commit();
    LedgerNotifier::announce(account);
    return int(written.size());
}

// ---------------------------------------------------------------------------------------
// Adjustments

namespace {

PostedAdjustment postAdjustmentOnce(Connection& db, const Adjustment& a, const QDate& postedOn) {
    const int year = fncFISCAL_YEAR(a.date, QStringLiteral("*"));
    const auto insert = [&](int line, const char* type, int account, double amount) {
        db.execute(QStringLiteral("Insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                                  "gltJRNCDE,gltTRNDTE,gltTRNTME,gltTRNTYP,gltGLANBR,gltDESCPT,"
                                  "gltTRNAMT,gltPSTDTE) values(") +
                   QString::number(year) + QLatin1Char(',') + QString::number(line) +
                   QStringLiteral(",'BA',") + QString::number(a.date) + QLatin1Char(',') +
                   QString::number(a.time) + QStringLiteral(",'") + QLatin1String(type) +
                   QStringLiteral("',") + QString::number(account) + QStringLiteral(",'") +
                   a.description + QStringLiteral("',") + fourDecimals(amount) + QLatin1Char(',') +
                   QString::number(dateNumber(postedOn)) + QLatin1Char(')'));
    };
    // The line numbers and both lines are one entry: a bank line without its reversing line
    // would leave the journal out of balance, and two clerks must not take the same numbers.
    Transaction transaction(db, Transaction::Isolation::Serializable);
    int line = 1;
    {
        // Released before the inserts: a server may not run them while it is open.
        const Recordset last =
            db.execute(QStringLiteral("Select max(gltLNENBR) as maxLNENBR from "
                                      "LDG_GENERAL_LEDGER_TRANSACTION where gltFSYEAR=") +
                       QString::number(year));
        if (!last.eof() && !last.field(QStringLiteral("maxLNENBR")).isNull())
            line = int(fncFIELD_NUMBER(last, QStringLiteral("maxLNENBR"))) + 1;
    }
    insert(line, "A", a.bankAccount, a.amount);
    insert(line + 1, "R", a.offsetAccount, -a.amount);
    transaction.commit();
    return {year, line};
}

} // namespace

PostedAdjustment postAdjustment(Connection& db, const Adjustment& a, const QDate& postedOn) {
    // Two clerks' entries that read the same last line number can deadlock on a server; the
    // one rolled back takes the next numbers on its next try.
    const PostedAdjustment posted =
        runAgainAfterDeadlock([&] { return postAdjustmentOnce(db, a, postedOn); });
    LedgerNotifier::announce(a.bankAccount);
    return posted;
}

void deleteAdjustment(Connection& db, int account, int date, int time) {
    db.execute(QStringLiteral("Delete from LDG_GENERAL_LEDGER_TRANSACTION where gltTRNDTE=") +
               QString::number(date) + QStringLiteral(" and gltTRNTME=") + QString::number(time) +
               QStringLiteral(" and gltJRNCDE='BA'"));
    LedgerNotifier::announce(account);
}

// ---------------------------------------------------------------------------------------
// Checks

void voidCheck(Connection& db, int account, int checkNumber, int checkDate) {
    Transaction transaction(db);
    db.execute(QStringLiteral("Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='V' where "
                              "gltGLANBR=%1 and gltCHKNBR=%2 and gltTRNDTE=%3")
                   .arg(account)
                   .arg(checkNumber)
                   .arg(checkDate));
    db.execute(
        QStringLiteral(
            "Delete from LDG_BANK_EXPENDITURE_TRANSACTION where betCHKNBR=%1 and betCHKDTE=%2")
            .arg(checkNumber)
            .arg(checkDate));
    db.execute(
        QStringLiteral("Delete from LDG_PAYROLL_TRANSACTION where prtCHKNBR=%1 and prtCHKDTE=%2")
            .arg(checkNumber)
            .arg(checkDate));
    transaction.commit();
    LedgerNotifier::announce(account);
}

void flagNsfCheck(Connection& db, int account, const QString& checkText, int depositDate) {
    Transaction transaction(db);
    db.execute(QStringLiteral("Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='N' where "
                              "gltCHKTXT='%1' and gltTRNDTE=%2")
                   .arg(checkText)
                   .arg(depositDate));
    db.execute(QStringLiteral("Update LDG_BANK_DEPOSIT_TRANSACTION set bdtTRNAMT=0 where "
                              "bdtCHKTXT='%1' and bdtDEPDTE=%2")
                   .arg(checkText)
                   .arg(depositDate));
    transaction.commit();
    LedgerNotifier::announce(account);
}

// ---------------------------------------------------------------------------------------
// Posting

int unpostedClearedLines(Connection& db) {
    const Recordset rs = db.execute(
        QStringLiteral("Select count(*) as cntRECORD from LDG_GENERAL_LEDGER_TRANSACTION "
                       "where gltRCNDTE>0 and ") +
        unreconciledCondition());
    return int(fncFIELD_NUMBER(rs, QStringLiteral("cntRECORD")));
}

void finalizeMonth(Connection& db, int account, const QDate& today,
                   const std::function<void()>& afterLines) {
    // Both updates or neither: reconciled lines under a month that still reads open would
    // let the month be saved again over figures that no longer add up.
    Transaction transaction(db);
    db.execute(QStringLiteral("Update LDG_GENERAL_LEDGER_TRANSACTION set gltSTATUS='R' where "
                              "gltRCNDTE>0 and ") +
               unreconciledCondition() + QStringLiteral(" and gltGLANBR=") +
               QString::number(account));
    if (afterLines)
        afterLines();
    db.execute(QStringLiteral("Update LDG_BANK_RECONCILIATION_HISTORY set brhPSTDTE=") +
               QString::number(dateNumber(today)) +
               QStringLiteral(" where brhRLSDTE>0 and brhPSTDTE=0 and brhGLANBR=") +
               QString::number(account));
    transaction.commit();
    LedgerNotifier::announce(account);
}

} // namespace ledger
