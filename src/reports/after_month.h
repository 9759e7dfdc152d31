#pragma once

#include "ledger.h"

#include <QDate>
#include <QList>
#include <QString>

class Connection;

// The questions asked after a month is posted: which items were outstanding at a statement
// date and for how long, what changed in a posted month since it was posted, the balances
// month by month, and where each posted month's report is archived. Plain data for the
// windows, the print engine and the command line; every statement runs on the connection
// given.
namespace reports {

// A line was outstanding at a date when it is dated on or before it and was not cleared by
// then (no cleared date, or a later one), whatever its status: the lines the reconciliation
// counts, so a list adds up to the month's outstanding total. A voided check or a deposit
// returned unpaid stays outstanding until it is cleared, and is marked as such.
bool isOutstandingAt(const ledger::Line& line, int asOf);
// "Voided" or "NSF" (in Spanish "Anulado", "Sin fondos") for such a line; "" for others.
QString statusNote(const ledger::Line& line, bool spanish = false);

// The ageing buckets: 0-30, 31-60, 61-90, 91-180 and over 180 days.
enum class Bucket { Days30, Days60, Days90, Days180, Over180 };
constexpr int kBucketCount = 5;
Bucket bucketFor(int days);
QString bucketCaption(Bucket bucket, bool spanish = false); // its heading
// Whole days from a yyyymmdd date to another; 0 when either is no date.
int daysBetween(int from, int to);

struct OutstandingItem {
    ledger::Line line;
    int days = 0;
    Bucket bucket = Bucket::Days30;
    // An issued check outstanding over 180 days and not voided yet: a candidate for voiding.
    bool stale = false;
};

struct OutstandingList {
    int account = 0;
    int asOf = 0;
    QList<OutstandingItem> items; // oldest first
    double bucketTotals[kBucketCount] = {};
    double total = 0;
    int staleChecks = 0;
};

// The account's items outstanding at asOf, with their age at that date.
OutstandingList outstandingAsOf(Connection& connection, int account, int asOf);
// The same from lines already read (those not outstanding at asOf are left out).
OutstandingList outstandingFrom(const QList<ledger::Line>& lines, int account, int asOf);

// What happened to a month's lines after the month was posted.
enum class Change { PostedLater, ClearedMoved };
QString changeCaption(Change change, bool spanish = false);

struct ChangedLine {
    ledger::Line line;
    Change change = Change::PostedLater;
    double outstandingEffect = 0; // on the outstanding total at the statement date
    double ledgerEffect = 0;      // on the ledger balance at the statement date
};

struct ChangesSincePosting {
    ledger::HistoryRow reconciliation;
    QList<ChangedLine> lines;
    double outstandingChange = 0;
    double ledgerChange = 0;
    // Recomputed from today's lines, to set beside the stored figures.
    double outstandingNow = 0;
    bool changed() const;
    // "Out 12.00  Book -5.00" ("Pend 12.00  Libro -5.00"), leaving out a figure that did not
    // change; "" when none did.
    QString text(bool spanish = false) const;
};

// The changes of one posted reconciliation, from lines already read.
//  - a line dated in or before the month but posted after the month was posted adds to the
//    ledger balance, and to the outstanding total when it is outstanding at the date;
//  - an open line cleared on or before the statement date was cleared after the posting
//    (posting reconciles every cleared line): it was outstanding then and no longer is.
// Voiding a check or returning a deposit moves neither figure: the line stays counted, as
// the reconciliation counts it, until it is cleared.
ChangesSincePosting changesFrom(const ledger::HistoryRow& reconciliation,
                                const QList<ledger::Line>& lines);
ChangesSincePosting changesSincePosting(Connection& connection,
                                        const ledger::HistoryRow& reconciliation);
// The changes of several posted reconciliations of one account, in their order, from one
// read of the lines any of them needs.
QList<ChangesSincePosting> changesSincePosting(Connection& connection,
                                               const QList<ledger::HistoryRow>& reconciliations);

// The last reconciliations of the account (24 by default), oldest first.
QList<ledger::HistoryRow> balanceSeries(Connection& connection, int account, int months = 24);

// The folder posted months are archived in: the setting "REPORTARCHIVE" of "Startup", else
// "Bank Reconciliations" under the user's documents.
QString archiveFolder();
// "<account> <yyyy-mm>.pdf" in the folder; when that exists, " (2)", " (3)" and so on
// before the extension, so an older archive is never overwritten.
QString archiveFilePath(const QString& folder, int account, int year, int month);

} // namespace reports
