#pragma once

#include <QString>

// Writes the chosen reports of one month of the selected bank account (wrkBACNBR) into a
// PDF file, drawn as the report window's Print draws them, without a window. Used by the
// archive of a posting and by the command line.
struct MonthPdf {
    enum class Result { Written, NoReconciliation, NotWritten };
    Result result = Result::NotWritten;
    QString error; // why the file could not be written
};
MonthPdf writeMonthPdf(int year, int month, bool summary, bool activity, bool outstanding,
                       const QString& file);
