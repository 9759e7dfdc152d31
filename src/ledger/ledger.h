#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class Connection;
class Recordset;

// The rules of the month, without a window: what the reconciliation shows and stores, the
// clerk's cleared dates, adjustments, voided and NSF checks, and posting. Dates are yyyymmdd
// numbers, amounts plain numbers; every function runs the program's fixed statement texts
// and lets a DatabaseError reach its caller.
namespace ledger {

// One ledger line of a bank account, as every window, report and command reads it.
struct Line {
    int fiscalYear = 0; // gltFSYEAR and gltLNENBR: the key of the line
    int line = 0;
    int date = 0;      // gltTRNDTE, yyyymmdd
    double amount = 0; // gltTRNAMT: deposits positive, checks negative
    qint64 check = 0;  // gltCHKNBR, 0 for none
    QString description;
    int cleared = 0; // gltRCNDTE, 0 while not cleared
    QString status;  // gltSTATUS: "R" reconciled, "V" voided, "N" NSF; NULL reads as ""
    int posted = 0;  // gltPSTDTE
};
// The account's lines that meet the condition (a part of a where clause; "" for all), dated
// on or before through (0: every date), oldest first.
QList<Line> lines(Connection& db, int account, const QString& condition = QString(),
                  int through = 0);
// Hands each line of the rows of a statement that selects ledger lines to use as it is read,
// by column name ("Select *" reads as well): a long list is filled from the rows without a
// second copy of them all.
void readLines(Recordset& rs, const std::function<void(const Line&)>& use);

// One month of a bank account's reconciliation history, as saved.
struct HistoryRow {
    int account = 0;
    int year = 0;
    int month = 0;
    int statementDate = 0;
    double bankBalance = 0;
    double outstanding = 0;
    double adjustedBalance = 0;
    double ledgerBalance = 0;
    double difference = 0; // over (+) or short (-)
    int savedOn = 0;
    int postedOn = 0;      // 0 while the month is open
    QString label() const; // "2024-02"
};
// The account's months, newest statement first; at most limit when given.
QList<HistoryRow> history(Connection& db, int account, int limit = 0);
// The row of one month; postedOn and statementDate 0 when there is none.
HistoryRow historyRow(Connection& db, int account, int year, int month);

// Which of an account's lines count where: each condition is written here once, as the
// statements that use it write it.
// - Outstanding: not cleared, whatever the status (a voided check counts until it is
//   cleared). The reconciliation's outstanding total, and every list of outstanding items.
QString outstandingCondition(); // "gltRCNDTE=0"
// - Unreconciled: not yet posted as reconciled. The ledger balance, the lines Clear lists,
//   and so the lines a bank statement is matched against.
QString unreconciledCondition(); // "gltSTATUS<>'R'"
// The statement that lists the lines a bank statement is matched against: Clear's lines.
QString openLinesStatement(int account);
// Those lines, as that statement returns them.
QList<Line> openLines(Connection& db, int account);

// One month's reconciliation of a bank account, as the window shows it and OK stores it.
struct Month : HistoryRow {
    enum class Mode { Add, Update };
    Mode mode = Mode::Add;
    // The first month of an account is written with a two-digit month ("05"), as it always
    // was; the months after a posted one as plain numbers.
    bool paddedPeriod = false;
    // Ledger lines dated before this day count (the end of the month before today's).
    int cutOff = 0;
    // An open month as it was saved: its figures are worked out afresh, and these say what
    // they were, so the clerk is told what moved.
    bool saved = false;
    double savedOutstanding = 0;
    double savedLedgerBalance = 0;

    // The month's year and month as they go into a statement.
    QString yearText() const;
    QString monthText() const;
    // Takes the bank's closing balance and works out the adjusted balance and difference.
    void setBankBalance(double amount);
};

// The end of last month by the current date alone: lines dated before it count.
int cutOffDate(const QDate& today);

// The month to reconcile next: the open month with its stored statement date and bank
// balance, to be redone; after a posted month the one after it; for an account without
// history last month. The outstanding total and the ledger balance are worked out from
// today's lines, and the adjusted balance and difference from them, in every case.
Month loadMonth(Connection& db, int account, const QDate& today);
// Works out the month's outstanding total, ledger balance, adjusted balance and difference
// again from today's lines, keeping its statement date and bank balance.
void refreshFigures(Connection& db, int account, const QDate& today, Month& month);
// The same at the month's own cut-off, kept in it.
void figuresAtCutOff(Connection& db, int account, Month& month);
// A month as Reconcile would show it in the month after it: its stored statement date and
// bank balance (none when it was never saved), its figures worked out from today's lines; a
// posted month as it was posted.
Month monthNow(Connection& db, int account, int year, int month);
// What moved between figures the clerk saw before and the month's figures now ("Outstanding
// was -275.50 when this month was saved; it is -230.00 now"); "" when nothing did. sinceSaved
// says whether the earlier figures are the stored ones or those the window first showed.
QString figuresMoved(double outstandingBefore, double ledgerBefore, const Month& now,
                     bool sinceSaved, bool spanish);
// Stores the month as its history row: inserted for a new month, updated for an open one.
void saveMonth(Connection& db, int account, const Month& month, const QDate& today);

// A cleared date the clerk gave one ledger line.
struct ClearedDate {
    int fiscalYear = 0;
    int line = 0;
    int date = 0; // yyyymmdd; 0 leaves the line as it is
};
// Writes every given cleared date of the bank account's lines, all or none, in one
// transaction; no transaction is begun when there is nothing to write. Lines without a date
// or fiscal year are skipped. Returns how many lines were written.
int writeClearedDates(Connection& db, int account, const QList<ClearedDate>& dates);

// An adjustment to the bank account: a line on the bank account and its reversing line on
// another account, both dated and timed alike.
struct Adjustment {
    int date = 0; // yyyymmdd
    int time = 0; // hhmmss
    int bankAccount = 0;
    int offsetAccount = 0;
    QString description; // typed text, free of quotes
    double amount = 0;   // on the bank account; the reversing line takes the opposite
};
struct PostedAdjustment {
    int fiscalYear = 0; // of the adjustment's date
    int line = 0;       // the bank line's; the reversing line has the next
};
// Posts both lines with the next two line numbers of the date's fiscal year, all or nothing
// and with the line numbers locked until both are written.
PostedAdjustment postAdjustment(Connection& db, const Adjustment& adjustment,
                                const QDate& postedOn);
// Deletes both lines of the bank account's adjustment made at that date and time.
void deleteAdjustment(Connection& db, int account, int date, int time);

// Voids an issued check of the bank account: its ledger line, its expenditure and its payroll
// rows, in one transaction.
void voidCheck(Connection& db, int account, int checkNumber, int checkDate);
// Flags a deposited check as NSF: its ledger line and its deposit's amount, in one
// transaction. checkText is the check number as stored with the deposit.
void flagNsfCheck(Connection& db, int account, const QString& checkText, int depositDate);

// How many cleared lines (of every account) are not yet posted.
int unpostedClearedLines(Connection& db);
// Posts the account's reconciliation: its cleared lines become reconciled and its saved
// months posted today, both or neither. afterLines runs between the two updates (the window
// moves its progress bar there).
void finalizeMonth(Connection& db, int account, const QDate& today,
                   const std::function<void()>& afterLines = {});

// Every write above is announced through LedgerNotifier once it is committed, by the bank
// account it touched, so that windows showing that account's figures work them out again.

} // namespace ledger
