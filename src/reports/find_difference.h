#pragma once

#include "ledger.h"

class Connection;

#include <QList>
#include <QString>

// Finding the cause of a month's difference. Reconcile works its figures out as
//   adjusted balance = bank balance - outstanding total
//   difference       = adjusted balance - ledger balance
// from the account's unreconciled lines dated before the cut-off: the outstanding total
// sums those not cleared, the ledger balance all of them (and the year's beginning balance).
// Each cause found is an action on the lines, in exact cents, that brings the difference the
// window shows to exactly 0; "nothing explains it" is an answer too.
namespace reports {

// A line of the bank's statement, with the ledger line it was matched to: none (0), or -1
// when it was matched otherwise (a deposit slip, a choice left to the clerk).
struct BankLine {
    int date = 0;
    qint64 cents = 0; // the ledger's sign: money into the account positive
    QString description;
    int matchedYear = 0; // the matched ledger line's key
    int matchedLine = 0;
    qint64 check = 0; // the check number the bank read, 0 for none
};

enum class CauseKind {
    ClearItem,    // an outstanding item probably cleared: clear it
    WrongSign,    // an item entered with the wrong sign
    Transposed,   // two adjacent digits swapped
    DecimalPoint, // the decimal point slipped
    TwoItems,     // two outstanding items probably cleared
    ThreeItems,   // three outstanding items probably cleared
    BankAmount,   // the bank paid a matched line at another amount
    BankLines,    // the bank's lines the ledger lacks: add them as adjustments
    WrongMonth,   // a line cleared in the wrong month
    // The bank's lines the ledger lacks together with one of the single-line slips above
    // (an item cleared, a sign, digits, a decimal point, the bank's amount): two causes, one
    // action each, that only together bring the difference to 0.
    BankLinesAndItem,
};
inline constexpr int kCauseKinds = int(CauseKind::BankLinesAndItem) + 1;

struct Cause {
    CauseKind kind = CauseKind::ClearItem;
    QList<ledger::Line> lines; // the ledger lines it involves
    QList<int> bankLines;      // the bank's lines it involves, by index
    qint64 explained = 0;      // cents the action moves the difference by: minus the difference
    qint64 correctedCents = 0; // the amount a corrected line should hold (the amount kinds)
    QString english;
    QString spanish;
    QString sentence(bool spanish) const { return spanish ? this->spanish : english; }
};

struct DifferenceOptions {
    // The search of three looks at no more than this many outstanding items (the newest),
    // so it stays fast on any account.
    int threeItemBound = 400;
    int maxCauses = 50;
};

struct DifferenceSearch {
    qint64 difference = 0;          // in cents, as the window shows it
    QList<Cause> causes;            // in the order of the kinds, then by date
    bool threeItemsBounded = false; // more outstanding items than the bound
    // How long the search of each kind took (by CauseKind), for the benchmark.
    double milliseconds[kCauseKinds] = {};
};

// month: the figures as Reconcile shows them (its difference and cut-off); lines: the
// account's unreconciled lines (ledger::lines with the unreconciled condition), of any date;
// bank: the month's statement lines with their matches, when a statement was read.
DifferenceSearch findDifference(const ledger::Month& month, const QList<ledger::Line>& lines,
                                const QList<BankLine>& bank = {},
                                const DifferenceOptions& options = {});

// The bank's lines of a statement file with the ledger lines they match, as the import
// matches them (the account's CSV columns and days apart as the import window keeps them).
// Throws StatementError for a file that cannot be read.
QList<BankLine> bankLinesOf(Connection& db, int account, const QString& file);
// The statement file last imported for the account's month ("" when none was, or when it is
// no longer there), and recording it as the import's OK does.
QString statementFileOfMonth(int account, int year, int month);
void rememberStatementFile(int account, int statementDate, const QString& file);

// An earlier adjustment of the bank account: its date, text and the ledger account its
// reversing line went to.
struct PastAdjustment {
    int date = 0;
    QString description;
    int account = 0;
};
// The account's adjustments, newest first, from the ledger itself.
QList<PastAdjustment> pastAdjustments(Connection& db, int bankAccount);

// The ledger account a bank line's adjustment probably goes to: the one the most alike
// earlier adjustment went to (at least half their words shared; the newest of equals), and
// why ("like 'MONTHLY SERVICE CHARGE' on 10/31/26 -> 5010"). account 0: no proposal.
struct AdjustmentProposal {
    int account = 0;
    QString english;
    QString spanish;
};
AdjustmentProposal proposeAdjustment(const QList<PastAdjustment>& past, const QString& bankText);

// Where a ledger line came from: the deposit batch (its date and time) or the expenditure
// line (its number and date) that the transaction's detail shows. date 0 when the line has
// none (an adjustment, a journal entry).
struct LineSource {
    bool deposit = false;
    int date = 0;
    int time = 0; // the deposit batch's
    int line = 0; // the expenditure's line number
};
LineSource sourceOf(Connection& db, int account, const ledger::Line& line);

// The name of a kind in the clerk's words.
QString causeKindName(CauseKind kind, bool spanish = false);

} // namespace reports
