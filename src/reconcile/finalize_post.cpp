#include "finalize_post.h"

#include "after_month.h"
#include "clock.h"
#include "common.h"
#include "context.h"
#include "ledger.h"
#include "messages.h"
#include "month_pdf.h"
#include "report.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kCountEnglish = QStringLiteral("Record Count:");
const QString kCountSpanish = QStringLiteral("Conde de Registros:");

} // namespace

frmFINALIZE_POST_BANK_RECONCILIATION::frmFINALIZE_POST_BANK_RECONCILIATION(QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    addCaption(this, QStringLiteral("Finalize & Post Bank Reconciliation"),
               QStringLiteral("Complete y Anuncie Reconcilation Bancario"));

    grpDETAIL = addControl<QGroupBox>(this, "grpDETAIL", QStringLiteral("Detail"),
                                      QStringLiteral("Detalle"));
    barPOSTING = addControl<QProgressBar>(grpDETAIL, "barPOSTING");
    barPOSTING->setRange(0, 100);
    barPOSTING->setValue(0);
    barPOSTING->setTextVisible(false);
    lblRECORD_COUNT = addControl<QLabel>(grpDETAIL, "lblRECORD_COUNT");
    lblRECORD_COUNT->setText(kCountEnglish);
    auto* detailLayout = new QVBoxLayout(grpDETAIL);
    detailLayout->addWidget(barPOSTING);
    detailLayout->addWidget(lblRECORD_COUNT);

    // Enter presses the focused button. Cancel comes first and holds the focus, so a stray
    // Enter never posts.
    grpCONTROL = addControlFrame(
        {{tbcOK, "tbcOK", QStringLiteral("OK"), QStringLiteral("Bueno")},
         {tbcCANCEL, "tbcCANCEL", QStringLiteral("Cancel"), QStringLiteral("Cancele")}},
        true);
    setTabOrder(tbcCANCEL, tbcOK);
    tbcCANCEL->setFocus();

    connectCommand(tbcOK, &QPushButton::clicked, [this] { post(); });
    connect(tbcCANCEL, &QPushButton::clicked, this, [this] { closeWindow(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpDETAIL);
    layout->addWidget(grpCONTROL);
    setMinimumWidth(380);
}

void frmFINALIZE_POST_BANK_RECONCILIATION::loadWindow() {
    const QString caption = shared().spanish() ? kCountSpanish : kCountEnglish;
    lblRECORD_COUNT->setText(caption);
    // The count is information only: a failure leaves the bare caption and the bar at 100.
    try {
        const int count = ledger::unpostedClearedLines(db());
        lblRECORD_COUNT->setText(caption + QStringLiteral("  ") + QLatin1Char(' ') +
                                 QString::number(count));
        // A count of 0 cannot be a maximum: the bar keeps 100 and goes to 50, then to 100.
        if (count > 0)
            barPOSTING->setMaximum(count);
    } catch (const DatabaseError&) {
    }
}

void frmFINALIZE_POST_BANK_RECONCILIATION::post() {
    if (!archiveOpenMonths())
        return;
    ledger::finalizeMonth(db(), shared().wrkBACNBR, today(), [this] {
        barPOSTING->setValue(barPOSTING->value() + barPOSTING->maximum() / 2);
    });
    barPOSTING->setValue(barPOSTING->maximum());
    closeWindow();
}

bool frmFINALIZE_POST_BANK_RECONCILIATION::archiveOpenMonths() {
    const bool spanish = shared().spanish();
    const QString folder = reports::archiveFolder();
    for (const ledger::HistoryRow& month : ledger::history(db(), shared().wrkBACNBR)) {
        if (month.savedOn <= 0 || month.postedOn != 0)
            continue;
        // The month as Print shows it at this moment: summary, activity, outstanding items.
        const QString file =
            reports::archiveFilePath(folder, month.account, month.year, month.month);
        const MonthPdf written = writeMonthPdf(month.year, month.month, true, true, true, file);
        if (written.result == MonthPdf::Result::Written)
            continue;
        const QString question =
            spanish ? QStringLiteral("El informe del mes no se pudo archivar en %1 (%2).\r"
                                     "¿Desea anunciar la conciliación de todos modos?")
                    : QStringLiteral("The month's report could not be archived as %1 (%2).\r"
                                     "Do you want to post the reconciliation anyway?");
        if (!askQuestion(question.arg(QDir::toNativeSeparators(file), written.error)))
            return false;
    }
    return true;
}
