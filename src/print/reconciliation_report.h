#pragma once

#include "child_window.h"
#include "database.h"

#include <functional>

class QCheckBox;
class QGroupBox;
class QListWidget;
class QPrinter;
class QPushButton;

namespace mdlPRINTING {
class PagedSurface;
class Surface;
struct ReportMonth;
} // namespace mdlPRINTING

// Prints, or shows in the preview, the summary, the activity report and the outstanding items
// of the chosen reconciliation periods of the selected bank account. The reports themselves
// are drawn by month_report, which needs no window.
class frmPRINT_BANK_RECONCILIATION_REPORT : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmPRINT_BANK_RECONCILIATION_REPORT";
    explicit frmPRINT_BANK_RECONCILIATION_REPORT(QWidget* parent = nullptr);

    QGroupBox* grpSELECT = nullptr;
    QCheckBox* chkSUMMARY = nullptr;
    QCheckBox* chkACTIVITY = nullptr;
    QCheckBox* chkOUTSTANDING = nullptr;
    QListWidget* lbxRECONCILIATION = nullptr;
    QGroupBox* grpCONTROL = nullptr;
    QPushButton* tbcPRINT = nullptr;
    QPushButton* tbcPREVIEW = nullptr;
    QPushButton* tbcCANCEL = nullptr;
    QCheckBox* chkPRINT_DIALOG = nullptr;

    // Where Print draws instead of the system printer, when set and it gives a surface (the
    // caller keeps it). Tests record the printed report through it.
    using PrinterOverride = std::function<mdlPRINTING::Surface*()>;
    static void setPrinterOverride(PrinterOverride surface);
    // The same, also told the printer the print dialog left (null without the dialog).
    using ChosenPrinterOverride = std::function<mdlPRINTING::Surface*(const QPrinter* chosen)>;
    static void setChosenPrinterOverride(ChosenPrinterOverride surface);

    // The entry's text and attached number for a period of a fiscal year.
    static QString entryText(int period, int year);
    static int entryData(int period, int year) { return year * 100 + period; }

protected:
    void loadWindow() override;

private:
    void prcLOAD_RECONCILIATIONS();
    void prcPRINT_ACTIVITY_REPORT(int entry, QString destination);
    void prcPRINT_SUMMARY_REPORT(int entry, QString destination);
    void prcPRINT_OUTSTANDING_REPORT(int entry, QString destination);
    void prcBANK_RECONCILIATION_HISTORY(const QString& action);

    void printCommand();
    QString askForPdfFile();
    bool reportPrinted(const mdlPRINTING::PagedSurface& printer);
    void previewCommand();
    // The month of a list entry, as wrkPERMTH and wrkPERYER and as the reports take it.
    mdlPRINTING::ReportMonth takePeriod(int entry);

    int wrkPERMTH = 0;
    int wrkPERYER = 0;
    Recordset rsRECONCILIATION;
};
