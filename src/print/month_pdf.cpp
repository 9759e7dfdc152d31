#include "month_pdf.h"

#include "context.h"
#include "database.h"
#include "month_report.h"
#include "print_engine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

MonthPdf writeMonthPdf(int year, int month, bool summary, bool activity, bool outstanding,
                       const QString& file) {
    MonthPdf done;
    // The PDF writer says nothing when it cannot write: try the file first.
    QDir().mkpath(QFileInfo(file).absolutePath());
    {
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly)) {
            done.error = probe.errorString();
            return done;
        }
    }
    bool found = false;
    {
        mdlPRINTING::PdfSurface surface(file);
        found = mdlPRINTING::printMonth(db(), shared().wrkBACNBR, year, month,
                                        {activity, summary, outstanding}, &surface);
        surface.finish();
        if (mdlPRINTING::wrkPRINT_OBJECT == &surface)
            mdlPRINTING::wrkPRINT_OBJECT = nullptr;
    }
    if (!found) {
        QFile::remove(file);
        done.result = MonthPdf::Result::NoReconciliation;
    } else if (QFileInfo(file).size() == 0) {
        done.error = QStringLiteral("nothing was written");
    } else {
        done.result = MonthPdf::Result::Written;
    }
    return done;
}
