#include "reconciliation_report.h"

#include "common.h"
#include "context.h"
#include "hourglass.h"
#include "messages.h"
#include "month_report.h"
#include "print_engine.h"
#include "print_preview.h"
#include "printer_surface.h"
#include "report.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QVBoxLayout>

using namespace mdlPRINTING;

namespace {

frmPRINT_BANK_RECONCILIATION_REPORT::ChosenPrinterOverride& printerOverride() {
    static frmPRINT_BANK_RECONCILIATION_REPORT::ChosenPrinterOverride value;
    return value;
}

} // namespace

void frmPRINT_BANK_RECONCILIATION_REPORT::setPrinterOverride(PrinterOverride surface) {
    if (surface)
        printerOverride() = [surface](const QPrinter*) { return surface(); };
    else
        printerOverride() = {};
}

void frmPRINT_BANK_RECONCILIATION_REPORT::setChosenPrinterOverride(ChosenPrinterOverride surface) {
    printerOverride() = std::move(surface);
}

QString frmPRINT_BANK_RECONCILIATION_REPORT::entryText(int period, int year) {
    return monthEntryText(period, year);
}

frmPRINT_BANK_RECONCILIATION_REPORT::frmPRINT_BANK_RECONCILIATION_REPORT(QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    addCaption(this, QStringLiteral("Print Bank Reconciliation Report"),
               QStringLiteral("Impresión el Informe Bancario de Conciliación"));
    grpSELECT = addControl<QGroupBox>(this, "grpSELECT", QStringLiteral("Select"),
                                      QStringLiteral("Selecto"));
    chkSUMMARY = addControl<QCheckBox>(grpSELECT, "chkSUMMARY", QStringLiteral("Summary Report"),
                                       QStringLiteral("Summary Report"));
    chkSUMMARY->setChecked(true);
    chkACTIVITY = addControl<QCheckBox>(grpSELECT, "chkACTIVITY", QStringLiteral("Activity Report"),
                                        QStringLiteral("Activity Report"));
    chkACTIVITY->setChecked(true);
    chkOUTSTANDING =
        addControl<QCheckBox>(grpSELECT, "chkOUTSTANDING", QStringLiteral("Outstanding Items"),
                              QStringLiteral("Partidas Pendientes"));
    lbxRECONCILIATION = addControl<QListWidget>(grpSELECT, "lbxRECONCILIATION");
    lbxRECONCILIATION->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* select = new QVBoxLayout(grpSELECT);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(chkSUMMARY);
    boxes->addWidget(chkACTIVITY);
    boxes->addWidget(chkOUTSTANDING);
    boxes->addStretch();
    select->addLayout(boxes);
    select->addWidget(lbxRECONCILIATION);

    grpCONTROL = addControlFrame(
        {{tbcPRINT, "tbcPRINT", QStringLiteral("&Print"), QStringLiteral("Impresión")},
         {tbcPREVIEW, "tbcPREVIEW", QStringLiteral("Pre&view"), QStringLiteral("Presentación")},
         {tbcCANCEL, "tbcCANCEL", QStringLiteral("&Cancel"), QStringLiteral("Cancele")}},
        false, Qt::Vertical);
    chkPRINT_DIALOG = addControl<QCheckBox>(
        grpCONTROL, "chkPRINT_DIALOG", QStringLiteral("Show Print Dialog Window"),
        QStringLiteral("La Ventana del Diálogo de la Impresión de la exposición"));
    grpCONTROL->layout()->addWidget(chkPRINT_DIALOG);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grpSELECT, 1);
    layout->addWidget(grpCONTROL);
    resize(560, 300);

    connectCommand(tbcPRINT, &QPushButton::clicked, [this] { printCommand(); });
    connectCommand(tbcPREVIEW, &QPushButton::clicked, [this] { previewCommand(); });
    connect(tbcCANCEL, &QPushButton::clicked, this, [this] { closeWindow(); });
}

void frmPRINT_BANK_RECONCILIATION_REPORT::loadWindow() {
    prcLOAD_RECONCILIATIONS();
}

void frmPRINT_BANK_RECONCILIATION_REPORT::prcLOAD_RECONCILIATIONS() {
    prcBANK_RECONCILIATION_HISTORY(QStringLiteral("RECONCILIATIONS"));
    lbxRECONCILIATION->clear();
    while (!rsRECONCILIATION.eof()) {
        const int period =
            static_cast<int>(fncFIELD_NUMBER(rsRECONCILIATION, QStringLiteral("brhMONTH")));
        const int year =
            static_cast<int>(fncFIELD_NUMBER(rsRECONCILIATION, QStringLiteral("brhFSYEAR")));
        auto* item = new QListWidgetItem(entryText(period, year), lbxRECONCILIATION);
        item->setData(Qt::UserRole, entryData(period, year));
        rsRECONCILIATION.moveNext();
    }
}

// ---------------------------------------------------------------------------------------
// Statements

void frmPRINT_BANK_RECONCILIATION_REPORT::prcBANK_RECONCILIATION_HISTORY(const QString& action) {
    // The reports' own statements are built where the reports are drawn.
    if (action == QLatin1String("RECONCILIATIONS"))
        rsRECONCILIATION = db().execute(reconciliationsStatement(shared().wrkBACNBR));
}

// ---------------------------------------------------------------------------------------
// Commands

void frmPRINT_BANK_RECONCILIATION_REPORT::printCommand() {
    QString remembered;
    // The printer as the clerk set it up in the dialog: printer, copies, collation, paper.
    std::unique_ptr<QPrinter> chosen;
    if (chkPRINT_DIALOG->isChecked()) {
        remembered = defaultPrinterEntry();
        chosen =
            std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
        QPrintDialog dialog(chosen.get(), this);
        dialog.setObjectName(QStringLiteral("CommonDialog"));
        // No selection, no page range and no print-to-file: the clerk picks the printer.
        dialog.setOptions(QAbstractPrintDialog::PrintCollateCopies |
                          QAbstractPrintDialog::PrintShowPageSize);
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (chosen->outputFormat() == QPrinter::NativeFormat && !chosen->printerName().isEmpty()) {
            fncSET_DEFAULT_PRINTER(chosen->printerName());
        } else {
            remembered.clear(); // nothing was changed, nothing to put back
            if (chosen->outputFormat() == QPrinter::NativeFormat)
                chosen.reset(); // no printer to choose: as without the dialog
        }
    }

    // With nothing to print there is nothing to ask about either.
    const bool anything =
        !lbxRECONCILIATION->selectedItems().isEmpty() &&
        (chkACTIVITY->isChecked() || chkSUMMARY->isChecked() || chkOUTSTANDING->isChecked());
    std::unique_ptr<PagedSurface> printer;
    Surface* surface = anything && printerOverride() ? printerOverride()(chosen.get()) : nullptr;
    if (anything && !surface) {
        if (chosen) {
            printer = std::make_unique<PrinterSurface>(std::move(chosen));
        } else if (QPrinterInfo::availablePrinterNames().isEmpty()) {
            const QString file = askForPdfFile();
            if (file.isEmpty())
                return;
            printer = std::make_unique<PdfSurface>(file);
        } else {
            printer = std::make_unique<PrinterSurface>();
        }
        surface = printer.get();
    }

    {
        // The clerk's default printer comes back even when a statement fails midway.
        const auto restore = qScopeGuard([remembered] {
            if (!remembered.isEmpty())
                fncSET_DEFAULT_PRINTER(remembered);
        });
        Hourglass hourglass;
        wrkPRINT_OBJECT = surface;
        for (int entry = 0; surface && entry < lbxRECONCILIATION->count(); ++entry) {
            if (!lbxRECONCILIATION->item(entry)->isSelected())
                continue;
            if (chkACTIVITY->isChecked())
                prcPRINT_ACTIVITY_REPORT(entry, QStringLiteral("P"));
            if (chkSUMMARY->isChecked())
                prcPRINT_SUMMARY_REPORT(entry, QStringLiteral("P"));
            if (chkOUTSTANDING->isChecked())
                prcPRINT_OUTSTANDING_REPORT(entry, QStringLiteral("P"));
        }
        if (printer)
            printer->finish();
    }
    if (printer && !reportPrinted(*printer))
        return; // the window stays for another try
    closeWindow();
}

// No printer on this computer: the report can still go to a PDF file, when the clerk wants.
QString frmPRINT_BANK_RECONCILIATION_REPORT::askForPdfFile() {
    const bool spanish = shared().spanish();
    const QString question =
        spanish ? QStringLiteral("No hay ninguna impresora instalada. ¿Desea guardar el "
                                 "informe como un archivo PDF?")
                : QStringLiteral("There is no printer installed. Do you want to save the "
                                 "report as a PDF file instead?");
    if (!askQuestion(question))
        return {};
    QString file = qEnvironmentVariable("BANKREC_PDF_OUTPUT");
    if (file.isEmpty()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        file = QFileDialog::getSaveFileName(
            this, QStringLiteral("Save Report as PDF"),
            QDir(folder).filePath(QStringLiteral("Bank Reconciliation Report.pdf")),
            QStringLiteral("PDF files (*.pdf)"));
    }
    return file;
}

// Tells the clerk where a PDF file went, or that the report did not get out.
bool frmPRINT_BANK_RECONCILIATION_REPORT::reportPrinted(const PagedSurface& printer) {
    const bool spanish = shared().spanish();
    const QString where = QDir::toNativeSeparators(printer.destination());
    if (printer.failed()) {
        if (printer.toFile())
            showMessage(spanish ? QStringLiteral("No se pudo escribir el informe en el archivo "
                                                 "%1. Compruebe que la carpeta existe y que se "
                                                 "puede escribir en ella.")
                                      .arg(where)
                                : QStringLiteral("The report could not be written to the file "
                                                 "%1. Check that the folder exists and can be "
                                                 "written to.")
                                      .arg(where));
        else
            showMessage(
                spanish
                    ? QStringLiteral("No se pudo enviar el informe a la impresora %1.").arg(where)
                    : QStringLiteral("The report could not be sent to the printer %1.").arg(where));
        return false;
    }
    if (printer.toFile())
        showMessage(spanish ? QStringLiteral("El informe se guardó en el archivo %1.").arg(where)
                            : QStringLiteral("The report was saved in the file %1.").arg(where));
    return true;
}

void frmPRINT_BANK_RECONCILIATION_REPORT::previewCommand() {
    frmPRINT_PREVIEW::instance();
    // However the loop ends, the preview goes with it.
    const auto unload = qScopeGuard([] { frmPRINT_PREVIEW::unloadInstance(); });
    for (int entry = 0; entry < lbxRECONCILIATION->count(); ++entry) {
        if (!lbxRECONCILIATION->item(entry)->isSelected())
            continue;
        for (QCheckBox* report : {chkACTIVITY, chkSUMMARY, chkOUTSTANDING}) {
            if (!report->isChecked())
                continue;
            {
                Hourglass hourglass;
                frmPRINT_PREVIEW* preview = frmPRINT_PREVIEW::instance();
                preview->prcINITIALIZE(QStringLiteral("P"));
                wrkPRINT_OBJECT = preview->pbxPREVIEW;
                if (report == chkACTIVITY)
                    prcPRINT_ACTIVITY_REPORT(entry, QStringLiteral("V"));
                else if (report == chkSUMMARY)
                    prcPRINT_SUMMARY_REPORT(entry, QStringLiteral("V"));
                else
                    prcPRINT_OUTSTANDING_REPORT(entry, QStringLiteral("V"));
            }
            // A report stopped at a page break left no prepared window: this one closes itself.
            frmPRINT_PREVIEW::instance()->showModal();
        }
    }
}

// ---------------------------------------------------------------------------------------
// The reports, drawn where the command line and the archive draw them

ReportMonth frmPRINT_BANK_RECONCILIATION_REPORT::takePeriod(int entry) {
    const int data = lbxRECONCILIATION->item(entry)->data(Qt::UserRole).toInt();
    wrkPERMTH = data % 100;
    wrkPERYER = data / 100;
    return {shared().wrkBACNBR, wrkPERYER, wrkPERMTH};
}

void frmPRINT_BANK_RECONCILIATION_REPORT::prcPRINT_ACTIVITY_REPORT(int entry, QString destination) {
    printActivityReport(db(), takePeriod(entry), destination);
}

void frmPRINT_BANK_RECONCILIATION_REPORT::prcPRINT_SUMMARY_REPORT(int entry, QString destination) {
    printSummaryReport(db(), takePeriod(entry), destination);
}

void frmPRINT_BANK_RECONCILIATION_REPORT::prcPRINT_OUTSTANDING_REPORT(int entry,
                                                                      QString destination) {
    printOutstandingItems(db(), takePeriod(entry), destination);
}
