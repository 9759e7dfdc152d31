#pragma once

#include <QString>

// Writes the chosen reports of one month of the selected bank account (wrkBACNBR) into a
// PDF file, drawn by the report window exactly as its Print draws them. Used by the archive
// of a posting and by the command line.
struct MonthPdf {
    enum class Result { Written, NoReconciliation, NotWritten };
    Result result = Result::NotWritten;
    QString error; // why the file could not be written
};
MonthPdf writeMonthPdf(int year, int month, bool summary, bool activity, bool outstanding,
                       const QString& file);
