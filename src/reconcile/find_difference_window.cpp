#include "find_difference_window.h"

#include "account_adjustments.h"
#include "clear_transactions.h"
#include "clock.h"
#include "common.h"
#include "context.h"
#include "flex_grid.h"
#include "messages.h"
#include "money.h"
#include "statement.h"
#include "transaction_detail.h"
#include "void_checks.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString say(const char* english, const char* spanish) {
    return QString::fromUtf8(shared().spanish() ? spanish : english);
}

} // namespace

frmFIND_DIFFERENCE::frmFIND_DIFFERENCE(QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    setBankBound(true);
    addCaption(this, QStringLiteral("Find the Difference"), QStringLiteral("Buscar la Diferencia"));
    lblDIFFERENCE = addControl<QLabel>(this, "lblDIFFERENCE");
    lblSTATEMENT = addControl<QLabel>(this, "lblSTATEMENT");
    grdCAUSES = addControl<FlexGrid>(this, "grdCAUSES");
    grdCAUSES->setCols(3);
    grdCAUSES->setRows(1);
    grdCAUSES->setRowHighlight(true);
    lblSENTENCE = addControl<QLabel>(this, "lblSENTENCE");
    lblSENTENCE->setWordWrap(true);
    lblSENTENCE->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblSENTENCE->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblSENTENCE->setMinimumHeight(fontMetrics().lineSpacing() * 3);

    QGroupBox* control = addControlFrame(
        {{tbcCLEAR, "tbcCLEAR", QStringLiteral("Open in &Clear"),
          QStringLiteral("Abrir en &Vaciar")},
         {tbcADJUSTMENT, "tbcADJUSTMENT", QStringLiteral("Add as &Adjustment"),
          QStringLiteral("Agregar como &Ajuste")},
         {tbcADD_PROPOSED, "tbcADD_PROPOSED", QStringLiteral("Add &Proposed Adjustments"),
          QStringLiteral("Agregar Ajustes &Propuestos")},
         {tbcDETAIL, "tbcDETAIL", QStringLiteral("Transaction &Detail"),
          QStringLiteral("&Detalle de la Transacción")},
         {tbcVOID, "tbcVOID", QStringLiteral("&Void Check"), QStringLiteral("&Anule Cheque")},
         {tbcSTATEMENT, "tbcSTATEMENT", QStringLiteral("&Statement File..."),
          QStringLiteral("Archivo del &Estado...")},
         {tbcCANCEL, "tbcCANCEL", QStringLiteral("C&lose"), QStringLiteral("&Cierre")}});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblDIFFERENCE);
    layout->addWidget(lblSTATEMENT);
    layout->addWidget(grdCAUSES, 1);
    layout->addWidget(lblSENTENCE);
    layout->addWidget(control);
    resize(820, 420);

    connect(grdCAUSES, &FlexGrid::currentCellChanged, this,
            [this](int row, int) { rowChanged(row); });
    connectCommand(tbcCLEAR, &QPushButton::clicked, [this] { openClear(); });
    connectCommand(tbcADJUSTMENT, &QPushButton::clicked, [this] { addAdjustment(); });
    connectCommand(tbcADD_PROPOSED, &QPushButton::clicked, [this] { addProposed(); });
    connectCommand(tbcDETAIL, &QPushButton::clicked, [this] { showDetail(); });
    connectCommand(tbcVOID, &QPushButton::clicked, [this] { voidCheck(); });
    connectCommand(tbcSTATEMENT, &QPushButton::clicked, [this] { pickStatement(); });
    connect(tbcCANCEL, &QPushButton::clicked, this, &ChildWindow::closeWindow);
    // After each action elsewhere the month's figures and its causes are worked out again.
    followLedgerWrites([this] {
        if (m_hasMonth) {
            ledger::refreshFigures(db(), bankLoaded(), today(), m_month);
            searchAgain();
        }
    });
}

void frmFIND_DIFFERENCE::loadWindow() {
    // Opened on its own, the window takes the month as Reconcile would show it.
    if (!m_hasMonth) {
        m_month = ledger::loadMonth(db(), shared().wrkBACNBR, today());
        m_hasMonth = true;
        m_balanceEntered = m_month.saved;
        setStatementFile(
            reports::statementFileOfMonth(shared().wrkBACNBR, m_month.year, m_month.month));
    }
    searchAgain();
}

void frmFIND_DIFFERENCE::setMonth(const ledger::Month& month) {
    m_month = month;
    m_hasMonth = true;
    m_balanceEntered = true;
    if (m_statementFile.isEmpty())
        setStatementFile(reports::statementFileOfMonth(bankLoaded(), month.year, month.month));
    else
        runCommand([this] { searchAgain(); });
}

void frmFIND_DIFFERENCE::setStatementFile(const QString& file) {
    m_statementFile = file;
    m_bank.clear();
    if (!file.isEmpty()) {
        try {
            m_bank = reports::bankLinesOf(db(), bankLoaded(), file);
        } catch (const StatementError& e) {
            showMessage(e.message(shared().spanish()));
            m_statementFile.clear();
        }
    }
    lblSTATEMENT->setText(
        m_statementFile.isEmpty()
            ? say("No bank statement file: the bank's own lines are not searched.",
                  "Sin archivo del estado de cuenta: no se buscan las líneas del banco.")
            : say("Bank statement: %1 (%2 lines)", "Estado de cuenta: %1 (%2 líneas)")
                  .arg(QFileInfo(m_statementFile).fileName())
                  .arg(m_bank.size()));
    runCommand([this] { searchAgain(); });
}

void frmFIND_DIFFERENCE::searchAgain() {
    if (!m_hasMonth)
        return;
    if (!m_balanceEntered) {
        lblDIFFERENCE->setText(say("No bank balance is entered for %1/%2 yet: enter it in "
                                   "Reconcile, then find the difference.",
                                   "Aún no hay saldo del banco para %1/%2: escríbalo en "
                                   "Reconciliar y busque la diferencia.")
                                   .arg(m_month.month)
                                   .arg(m_month.year));
        m_search = {};
        tbcADD_PROPOSED->setEnabled(false);
        fillGrid();
        return;
    }
    m_past = reports::pastAdjustments(db(), bankLoaded());
    tbcADD_PROPOSED->setEnabled(!proposals().isEmpty());
    m_search = reports::findDifference(
        m_month, ledger::lines(db(), bankLoaded(), ledger::unreconciledCondition()), m_bank);
    const QString difference = formatNumber(m_month.difference, QStringLiteral("#0.00"));
    lblDIFFERENCE->setText(
        m_search.difference == 0
            ? say("The month %1/%2 has no difference.", "El mes %1/%2 no tiene diferencia.")
                  .arg(m_month.month)
                  .arg(m_month.year)
            : say("Difference over or short of %1/%2: %3", "Diferencia del mes %1/%2: %3")
                  .arg(m_month.month)
                  .arg(m_month.year)
                  .arg(difference));
    fillGrid();
}

void frmFIND_DIFFERENCE::fillGrid() {
    grdCAUSES->setRows(1);
    grdCAUSES->clearCells();
    const bool spanish = shared().spanish();
    grdCAUSES->setText(0, 0, say("Cause", "Causa"));
    grdCAUSES->setText(0, 1, say("Explains", "Explica"));
    grdCAUSES->setText(0, 2, say("What to do", "Qué hacer"));
    const QList<reports::Cause>& causes = m_search.causes;
    grdCAUSES->setRows(int(causes.size()) + 1);
    for (int i = 0; i < causes.size(); ++i) {
        const reports::Cause& c = causes.at(i);
        grdCAUSES->setText(i + 1, 0, reports::causeKindName(c.kind, spanish));
        grdCAUSES->setText(i + 1, 1,
                           formatNumber(centsToUnits(-c.explained), QStringLiteral("###0.00")));
        grdCAUSES->setText(i + 1, 2, c.sentence(spanish));
        grdCAUSES->setRowItem(i + 1, int(i));
    }
    grdCAUSES->setColAlignment(1, Qt::AlignRight);
    grdCAUSES->widenColumns({{0, reports::causeKindName(reports::CauseKind::Transposed, true)},
                             {1, QStringLiteral("-000000.00")}});
    grdCAUSES->setColWidthTwips(2, 9000);
    if (causes.isEmpty())
        lblSENTENCE->setText(m_search.difference == 0
                                 ? QString()
                                 : say("No single cause found: look for several small ones, "
                                       "or a line the bank and the ledger both lack.",
                                       "No se encontró una causa única: busque varias pequeñas, "
                                       "o una línea que falte en el banco y en el libro."));
    grdCAUSES->setCurrentCell(causes.isEmpty() ? 0 : 1, 0);
    rowChanged(causes.isEmpty() ? 0 : 1);
}

const reports::Cause* frmFIND_DIFFERENCE::causeAt(int row) const {
    if (row < 1 || row >= grdCAUSES->rows())
        return nullptr;
    const int* index = grdCAUSES->rowItem<int>(row);
    return index && *index >= 0 && *index < m_search.causes.size() ? &m_search.causes.at(*index)
                                                                   : nullptr;
}

void frmFIND_DIFFERENCE::rowChanged(int row) {
    const reports::Cause* c = causeAt(row);
    if (c)
        lblSENTENCE->setText(c->sentence(shared().spanish()));
    tbcCLEAR->setEnabled(c && !c->lines.isEmpty());
    tbcDETAIL->setEnabled(c && !c->lines.isEmpty());
    tbcADJUSTMENT->setEnabled(c && !c->bankLines.isEmpty() &&
                              m_bank.at(c->bankLines.first()).matchedLine == 0);
    tbcVOID->setEnabled(c && c->lines.size() == 1 && c->lines.first().check > 0 &&
                        c->lines.first().amount < 0 && c->lines.first().cleared == 0);
}

void frmFIND_DIFFERENCE::openClear() {
    const reports::Cause* c = causeAt(grdCAUSES->row());
    if (!c || c->lines.isEmpty())
        return;
    if (auto* clear = open<frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT>())
        clear->showLine(c->lines.first().fiscalYear, c->lines.first().line);
}

void frmFIND_DIFFERENCE::addAdjustment() {
    const reports::Cause* c = causeAt(grdCAUSES->row());
    if (!c || c->bankLines.isEmpty())
        return;
    const reports::BankLine& b = m_bank.at(c->bankLines.first());
    if (auto* adjustments = open<frmAUD_ACCOUNT_ADJUSTMENTS>())
        adjustments->prefillFromStatement(
            b.date, b.description, centsToUnits(b.cents),
            reports::proposeAdjustment(m_past, b.description).account);
}

QList<std::pair<int, reports::AdjustmentProposal>> frmFIND_DIFFERENCE::proposals() const {
    QList<std::pair<int, reports::AdjustmentProposal>> found;
    for (int i = 0; i < m_bank.size(); ++i) {
        const reports::BankLine& b = m_bank.at(i);
        if (b.matchedLine != 0 || b.date >= m_month.cutOff)
            continue;
        const reports::AdjustmentProposal p = reports::proposeAdjustment(m_past, b.description);
        if (p.account > 0)
            found.append({i, p});
    }
    return found;
}

void frmFIND_DIFFERENCE::addProposed() {
    const auto found = proposals();
    if (found.isEmpty())
        return;
    const bool spanish = shared().spanish();
    QStringList listed;
    for (const auto& [index, proposal] : found) {
        const reports::BankLine& b = m_bank.at(index);
        listed << QStringLiteral("%1  %2  %3  %4")
                      .arg(fncFORMAT_DATE(b.date), b.description,
                           formatNumber(centsToUnits(b.cents), QStringLiteral("###0.00")),
                           spanish ? proposal.spanish : proposal.english);
    }
    if (!askQuestion(say("Add these %1 adjustments?\n\n%2", "¿Agregar estos %1 ajustes?\n\n%2")
                         .arg(found.size())
                         .arg(listed.join(QLatin1Char('\n')))))
        return;
    // Each is an ordinary adjustment, at a second of its own so that each keeps its key,
    // cleared on the day the bank booked it.
    const QTime started = now().time();
    int second = 0;
    for (const auto& [index, proposal] : found) {
        const reports::BankLine& b = m_bank.at(index);
        QString text = b.description;
        text.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
        const ledger::PostedAdjustment posted =
            ledger::postAdjustment(db(),
                                   {b.date, timeNumber(started.addSecs(second++)), bankLoaded(),
                                    proposal.account, text, centsToUnits(b.cents)},
                                   today());
        ledger::writeClearedDates(db(), bankLoaded(), {{posted.fiscalYear, posted.line, b.date}});
    }
}

void frmFIND_DIFFERENCE::showDetail() {
    const reports::Cause* c = causeAt(grdCAUSES->row());
    if (!c || c->lines.isEmpty())
        return;
    const reports::LineSource source = reports::sourceOf(db(), bankLoaded(), c->lines.first());
    if (source.date <= 0) {
        showMessage(say("This line has no deposit or check behind it: it was entered in the "
                        "ledger itself.",
                        "Esta línea no viene de un depósito ni de un cheque: se escribió en el "
                        "libro mismo."));
        return;
    }
    PickedTransaction picked;
    picked.deposit = source.deposit;
    picked.date = source.date;
    picked.time = source.time;
    picked.line = source.line;
    auto* detail = new frmANALYZE_BANK_TRANSACTION(picked);
    QPointer<frmANALYZE_BANK_TRANSACTION> alive(detail);
    detail->load();
    if (alive)
        detail->execModal(this);
}

void frmFIND_DIFFERENCE::voidCheck() {
    const reports::Cause* c = causeAt(grdCAUSES->row());
    if (!c || c->lines.isEmpty())
        return;
    if (auto* voids = open<frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS>())
        voids->searchFor(QString::number(c->lines.first().check));
}

void frmFIND_DIFFERENCE::pickStatement() {
    const QString file = QFileDialog::getOpenFileName(
        this, say("Bank Statement File", "Archivo del Estado de Cuenta"),
        m_statementFile.isEmpty() ? QString() : QFileInfo(m_statementFile).absolutePath(),
        say("Bank statements (*.ofx *.qfx *.xml *.bai *.bai2 *.txt *.csv);;All files (*)",
            "Estados de cuenta (*.ofx *.qfx *.xml *.bai *.bai2 *.txt *.csv);;Todos (*)"));
    if (!file.isEmpty())
        setStatementFile(file);
}
