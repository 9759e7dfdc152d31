#pragma once

#include <QString>

class Connection;

namespace mdlPRINTING {

class Surface;

// One month's reports of a bank account, drawn onto whatever surface is running
// (wrkPRINT_OBJECT): the printer, a PDF file, the preview picture or a recording. No window
// is needed: the report window, the archive of a posting and the command line all draw here.
struct ReportMonth {
    int account = 0;
    int year = 0;
    int month = 0;
};

// destination is "P" for the printer or a file, "V" for the preview; the preview may end a
// report at a page break.
void printActivityReport(Connection& db, const ReportMonth& month, QString destination);
void printSummaryReport(Connection& db, const ReportMonth& month, QString destination);
void printOutstandingItems(Connection& db, const ReportMonth& month, QString destination);

// The reports a month is printed with, in the order Print draws them.
struct MonthParts {
    bool activity = true;
    bool summary = true;
    bool outstanding = true;
};
// Draws the chosen reports of one month onto the surface; false when the account has no
// reconciliation for that month.
bool printMonth(Connection& db, int account, int year, int month, const MonthParts& parts,
                Surface* surface);

// The reconciliations of the account, newest first, as the report window lists them.
QString reconciliationsStatement(int account);
// "Reconciliation for  2  2024": the list entry of a month.
QString monthEntryText(int month, int year);

} // namespace mdlPRINTING
