#include "reconciliation_report.h"

#include "common.h"
#include "context.h"
#include "hourglass.h"
#include "messages.h"
#include "outstanding_report.h"
#include "print_engine.h"
#include "print_preview.h"
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

// A number as the number-to-text conversion writes it: a leading blank when not negative.
QString leadingSpace(int value) {
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

const QString kActivityHeadings =
    QStringLiteral("[6]Date[20]ChkNbr[35]Description[99]Debits[113]Credits");

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
    return QStringLiteral("Reconciliation for ") + leadingSpace(period) + leadingSpace(year);
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
    const SharedValues& s = shared();
    const QString account = QString::number(s.wrkBACNBR);
    QString sql;
    if (action == QLatin1String("RECONCILIATIONS"))
        sql = QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY") + s.wrkNOLOCK +
              QStringLiteral(" where brhGLANBR=") + account +
              QStringLiteral(" order by brhFSYEAR desc, brhMONTH desc");
    else if (action == QLatin1String("RECONCILIATION"))
        sql = QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY") + s.wrkNOLOCK +
              QStringLiteral(" where brhGLANBR=") + account + QStringLiteral(" and brhMONTH=") +
              QString::number(wrkPERMTH) + QStringLiteral(" and brhFSYEAR=") +
              QString::number(wrkPERYER);
    else
        return;
    rsRECONCILIATION = db().execute(sql);
}

void frmPRINT_BANK_RECONCILIATION_REPORT::prcGENERAL_LEDGER_TRANSACTION(const QString& action) {
    const SharedValues& s = shared();
    QString cleared;
    if (action == QLatin1String("CLEARED"))
        cleared = QStringLiteral("gltRCNDTE>0");
    else if (action == QLatin1String("OUTSTANDING"))
        cleared = QStringLiteral("gltRCNDTE=0");
    else
        return;
    rsTRANSACTION =
        db().execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION") + s.wrkNOLOCK +
                     QStringLiteral(" where gltGLANBR=") + QString::number(s.wrkBACNBR) +
                     QStringLiteral(" and gltSTATUS<>'R' and ") + cleared +
                     QStringLiteral(" order by gltTRNDTE"));
}

void frmPRINT_BANK_RECONCILIATION_REPORT::prcGENERAL_LEDGER_MASTER(const QString& action) {
    if (action != QLatin1String("LEDGER"))
        return;
    const SharedValues& s = shared();
    rsLEDGER =
        db().execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER") + s.wrkNOLOCK +
                     QStringLiteral(" where glmFSYEAR=") + QString::number(wrkPERYER) +
                     QStringLiteral(" and glmGLANBR=") + QString::number(s.wrkBACNBR));
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
    std::unique_ptr<PrinterSurface> printer;
    Surface* surface = anything && printerOverride() ? printerOverride()(chosen.get()) : nullptr;
    if (anything && !surface) {
        if (chosen) {
            printer = std::make_unique<PrinterSurface>(std::move(chosen));
        } else if (QPrinterInfo::availablePrinterNames().isEmpty()) {
            const QString file = askForPdfFile();
            if (file.isEmpty())
                return;
            printer = std::make_unique<PrinterSurface>(QString(), file);
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
bool frmPRINT_BANK_RECONCILIATION_REPORT::reportPrinted(const PrinterSurface& printer) {
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
// The reports

void frmPRINT_BANK_RECONCILIATION_REPORT::takePeriod(int entry) {
    const int data = lbxRECONCILIATION->item(entry)->data(Qt::UserRole).toInt();
    wrkPERMTH = data % 100;
    wrkPERYER = data / 100;
}

QString frmPRINT_BANK_RECONCILIATION_REPORT::rightHandText() const {
    return QString(15, QLatin1Char(' ')) + QStringLiteral("Period  ") + leadingSpace(wrkPERMTH) +
           QLatin1Char('/') + leadingSpace(wrkPERYER);
}

void frmPRINT_BANK_RECONCILIATION_REPORT::printTransactions(QString& destination) {
    while (!rsTRANSACTION.eof()) {
        const int date =
            static_cast<int>(fncFIELD_NUMBER(rsTRANSACTION, QStringLiteral("gltTRNDTE")));
        const double check = fncFIELD_NUMBER(rsTRANSACTION, QStringLiteral("gltCHKNBR"));
        const double amount = fncFIELD_NUMBER(rsTRANSACTION, QStringLiteral("gltTRNAMT"));
        QList<PrintItem> items{col(4), text(fncFORMAT_DATE(date))};
        if (check > 0)
            items << col(20) << num(check);
        items << col(35) << text(rsTRANSACTION.field(QStringLiteral("gltDESCPT")).toString());
        if (amount >= 0)
            items << col(95) << text(fncFORMAT_RIGHT(amount, QStringLiteral("#######0.00")));
        else
            items << col(110) << text(fncFORMAT_RIGHT(-amount, QStringLiteral("#######0.00")));
        wrkPRINT_OBJECT->print(items);

        prcCHECK_PAGE_BREAK(QStringLiteral("P"), destination);
        if (destination.isEmpty())
            return;
        rsTRANSACTION.moveNext();
    }
}

void frmPRINT_BANK_RECONCILIATION_REPORT::prcPRINT_ACTIVITY_REPORT(int entry, QString destination) {
    takePeriod(entry);
    prcPRINT_HEADER(QStringLiteral("P"), QStringLiteral("BANK RECONCILIATION ACTIVITY REPORT"),
                    rightHandText(), kActivityHeadings, destination);
    if (!wrkPRINT_OBJECT)
        return;

    const auto section = [](const QString& caption) {
        wrkPRINT_OBJECT->print();
        wrkPRINT_OBJECT->setFontBold(true);
        wrkPRINT_OBJECT->print({col(35), text(caption)});
        wrkPRINT_OBJECT->setFontBold(false);
        wrkPRINT_OBJECT->print();
    };

    section(QStringLiteral("Bank Activity that has cleared."));
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("CLEARED"));
    printTransactions(destination);
    if (destination.isEmpty())
        return;

    section(QStringLiteral("Bank Activity that has not cleared."));
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("OUTSTANDING"));
    printTransactions(destination);
    if (destination.isEmpty())
        return;

    prcPRINT_END_OF_REPORT(QStringLiteral("P"), destination, true);
}

void frmPRINT_BANK_RECONCILIATION_REPORT::prcPRINT_SUMMARY_REPORT(int entry, QString destination) {
    takePeriod(entry);
    prcBANK_RECONCILIATION_HISTORY(QStringLiteral("RECONCILIATION"));
    prcPRINT_HEADER(QStringLiteral("P"), QStringLiteral("BANK RECONCILIATION SUMMARY REPORT"),
                    rightHandText(), QString(), destination);
    Surface* surface = wrkPRINT_OBJECT;
    if (!surface)
        return;

    surface->setFontSize(12);
    surface->setFontBold(true);
    surface->setCurrentY(1500);
    prcGENERAL_LEDGER_MASTER(QStringLiteral("LEDGER"));
    // A period or ledger row that is missing prints as zeros and an empty name.
    surface->print({col(7), text(QStringLiteral("Reconciliation for Ledger Account Number: ")),
                    num(shared().wrkBACNBR),
                    text(rsLEDGER.field(QStringLiteral("glmGLANME")).toString())});

    const auto amount = [this](const char* field) {
        return fncFORMAT_RIGHT(fncFIELD_NUMBER(rsRECONCILIATION, QString::fromLatin1(field)),
                               QStringLiteral("########0.00"));
    };
    const auto date = [this](const char* field) {
        return fncFORMAT_DATE(
            static_cast<int>(fncFIELD_NUMBER(rsRECONCILIATION, QString::fromLatin1(field))));
    };
    const auto blank = [surface](int lines) {
        for (int i = 0; i < lines; ++i)
            surface->print();
    };

    surface->setCurrentY(2000);
    surface->print({col(7), text(QStringLiteral("Closing Date as per Bank Statement:")), col(69),
                    text(date("brhSTMDTE"))});
    blank(2);
    surface->print({col(7), text(QStringLiteral("Closing Account Balance as per Bank Statement:")),
                    col(65), text(amount("brhBNKBAL"))});
    blank(1);
    surface->print({col(7), text(QStringLiteral("Total Amount of Outstanding Account Items:")),
                    col(65), text(amount("brhOUTSTD"))});
    surface->print({col(7), text(QString(70, QLatin1Char('-')))});
    surface->print({col(7), text(QStringLiteral("Adjusted Account Balance as per Bank Statement:")),
                    col(65), text(amount("brhADJBAL"))});
    blank(2);
    surface->print({col(7), text(QStringLiteral("Closing Balance as per General Ledger:")), col(65),
                    text(amount("brhEOMBAL"))});
    blank(3);
    surface->print({col(7),
                    text(QStringLiteral("Overage/(-)Shortage between Bank Statement & Books:")),
                    col(65), text(amount("brhOVRSHT"))});
    blank(3);
    if (fncFIELD_NUMBER(rsRECONCILIATION, QStringLiteral("brhPSTDTE")) > 0)
        surface->print({col(7), text(QStringLiteral("This Reconciliation was FINALIZED on ")),
                        col(69), text(date("brhPSTDTE"))});
    else
        surface->print(
            {col(12),
             text(QStringLiteral("** This account reconciliation has not yet been FINALIZED **"))});

    prcPRINT_END_OF_REPORT(QStringLiteral("P"), destination, true);
}

// ---------------------------------------------------------------------------------------
// The outstanding items, and a month printed for the archive or the command line

void frmPRINT_BANK_RECONCILIATION_REPORT::prcPRINT_OUTSTANDING_REPORT(int entry,
                                                                      QString destination) {
    takePeriod(entry);
    // The items as they stood at the month's statement date, by today's lines.
    const reports::Reconciliation month =
        reports::reconciliationFor(db(), shared().wrkBACNBR, wrkPERYER, wrkPERMTH);
    printOutstandingReport(reports::outstandingAsOf(db(), shared().wrkBACNBR, month.statementDate),
                           rightHandText(), destination);
}

bool frmPRINT_BANK_RECONCILIATION_REPORT::printMonth(int year, int month, bool summary,
                                                     bool activity, bool outstanding,
                                                     Surface* surface) {
    for (int entry = 0; entry < lbxRECONCILIATION->count(); ++entry) {
        if (lbxRECONCILIATION->item(entry)->data(Qt::UserRole).toInt() != entryData(month, year))
            continue;
        wrkPRINT_OBJECT = surface;
        // The order Print uses.
        if (activity)
            prcPRINT_ACTIVITY_REPORT(entry, QStringLiteral("P"));
        if (summary)
            prcPRINT_SUMMARY_REPORT(entry, QStringLiteral("P"));
        if (outstanding)
            prcPRINT_OUTSTANDING_REPORT(entry, QStringLiteral("P"));
        return true;
    }
    return false;
}
