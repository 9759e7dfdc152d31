#pragma once

#include "after_month.h"

#include <QString>

// The "Outstanding Items" report: the items outstanding at a statement date with their age,
// a total per ageing bucket and the checks gone stale, drawn through the print engine on the
// surface in wrkPRINT_OBJECT. destination is emptied when the clerk closes the preview at a
// page break; the report then stops.
void printOutstandingReport(const reports::OutstandingList& list, const QString& rightText,
                            QString& destination);
