#include "transaction_detail.h"

#include "common.h"
#include "context.h"
#include "flex_grid.h"
#include "report.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int kGridRows = 60;
constexpr int kGridCols = 8;
constexpr int kGridTwips = 9435;
constexpr int kPlacementTwips = 200;
constexpr int kVisibleRows = 14;

const QColor kGridColour(255, 255, 192);
// Deposit lines that came in on a route collection ticket stand apart from the others.
const QColor kTicketColour(255, 236, 160);
const QString kAmountMask = QStringLiteral("#0.00");

int wholeNumber(const Recordset& rs, const char* field) {
    return int(fncFIELD_NUMBER(rs, QLatin1String(field)));
}

} // namespace

frmANALYZE_BANK_TRANSACTION::frmANALYZE_BANK_TRANSACTION(const PickedTransaction& picked,
                                                         QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent), m_picked(picked) {
    addCaption(this, QStringLiteral("Analyze Bank Transaction"),
               QStringLiteral("Aalyze las Transacciones Bancarias"));
    grpQUERY =
        addControl<QGroupBox>(this, "grpQUERY", QStringLiteral("Query"), QStringLiteral("Query"));
    grdACTIVITY = addControl<FlexGrid>(grpQUERY, "grdACTIVITY");
    grdACTIVITY->setRows(kGridRows);
    grdACTIVITY->setCols(kGridCols);
    grdACTIVITY->setGridBackground(kGridColour);
    grdACTIVITY->setFixedHeight(grdACTIVITY->horizontalHeader()->sizeHint().height() +
                                kVisibleRows * grdACTIVITY->verticalHeader()->defaultSectionSize() +
                                grdACTIVITY->horizontalScrollBar()->sizeHint().height() +
                                2 * grdACTIVITY->frameWidth());
    lblACTNME = addControl<QLabel>(grpQUERY, "lblACTNME");
    auto* queryLayout = new QVBoxLayout(grpQUERY);
    queryLayout->addWidget(grdACTIVITY);
    queryLayout->addWidget(lblACTNME);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpQUERY);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // F9 reads the transaction again.
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    f9->setContext(Qt::WidgetWithChildrenShortcut);
    connectCommand(f9, &QShortcut::activated,
                   [this] { m_picked.deposit ? prcSHOW_DEPOSIT() : prcSHOW_EXPENDITURE(); });
}

void frmANALYZE_BANK_TRANSACTION::loadWindow() {
    move(FlexGrid::twipsToPixels(kPlacementTwips), FlexGrid::twipsToPixels(kPlacementTwips));
    if (m_picked.deposit)
        prcSHOW_DEPOSIT();
    else
        prcSHOW_EXPENDITURE();
}

void frmANALYZE_BANK_TRANSACTION::unloadWindow() {
    wrkEXPDTE = 0;
}

void frmANALYZE_BANK_TRANSACTION::changeEvent(QEvent* event) {
    ChildWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        m_wasActive = true;
    else if (m_wasActive)
        // Decided once the activation has settled: a window opened over this one (the help
        // of F1) is no reason to go.
        QTimer::singleShot(0, this, &frmANALYZE_BANK_TRANSACTION::closeWhenLeft);
}

void frmANALYZE_BANK_TRANSACTION::closeWhenLeft() {
    if (isActiveWindow() || !isVisible())
        return;
    for (QWidget* w = QApplication::activeWindow(); w; w = w->parentWidget())
        if (w == this)
            return;
    closeWindow();
}

void frmANALYZE_BANK_TRANSACTION::startView(const int* widths, const char* const* headers,
                                            int count) {
    m_names.clear();
    grdACTIVITY->setRows(kGridRows);
    for (int c = 0; c < kGridCols; ++c) {
        grdACTIVITY->setColWidthTwips(c, c < count ? widths[c] : 0);
        grdACTIVITY->setColumnHidden(c, c >= count);
        grdACTIVITY->setColAlignment(c, Qt::AlignLeft);
    }
    grdACTIVITY->clearCells();
    for (int c = 0; c < count; ++c)
        grdACTIVITY->setText(0, c, QLatin1String(headers[c]));
}

int frmANALYZE_BANK_TRANSACTION::takeRow(int row) {
    // The grid keeps a spare row below the lines, growing past its 60 rows as needed.
    if (row > grdACTIVITY->rows() - 2)
        grdACTIVITY->addRow();
    return row + 1;
}

QString frmANALYZE_BANK_TRANSACTION::lookUp(Recordset& rs, const QString& sql,
                                            const QString& field) {
    const auto known = m_names.constFind(sql);
    if (known != m_names.constEnd())
        return *known;
    rs = db().execute(sql);
    const QString name = rs.eof() ? QString() : rs.field(field).toString();
    m_names.insert(sql, name);
    return name;
}

void frmANALYZE_BANK_TRANSACTION::prcSHOW_DEPOSIT() {
    static const int widths[] = {800, 750, kGridTwips - 7125, 1450, 500, 2250, 1050, 950};
    static const char* const headers[] = {"   Date",         "   Time",  "         Payer",
                                          "    TktNbr/Date", "  GL ",    "         Description",
                                          "     Amount",     "  GL Name"};
    startView(widths, headers, 8);
    grdACTIVITY->setColAlignment(6, Qt::AlignRight);
    grdACTIVITY->setFixedWidth(grdACTIVITY->widenColumns({{0, "00/00/0000"},
                                                          {1, "00:00:00"},
                                                          {3, "000000   00/00/0000"},
                                                          {4, "00000"},
                                                          {6, "000000.00"}},
                                                         kGridTwips));

    prcBANK_DEPOSIT_TRANSACTION(QStringLiteral("DEPOSITS"));
    Recordset& rs = rsBANK_DEPOSIT_TRANSACTION;
    int row = 1;
    FlexGrid::RedrawBlocker quiet(grdACTIVITY);
    for (; !rs.eof(); rs.moveNext()) {
        grdACTIVITY->setText(row, 0, fncFORMAT_DATE(wholeNumber(rs, "bdtDEPDTE")));
        grdACTIVITY->setText(row, 1, fncFORMAT_TIME(wholeNumber(rs, "bdtDEPTME")));

        m_location = wholeNumber(rs, "bdtLOCNBR");
        m_account = wholeNumber(rs, "bdtACPNBR");
        m_name.clear();
        if (m_location != 0) {
            prcLOCATION_MASTER(QStringLiteral("LOCATION"));
        } else if (m_account != 0) {
            prcACCOUNT_PAYABLE_MASTER(QStringLiteral("ACCOUNT"));
        } else {
            m_name = rs.field(QStringLiteral("bdtDESCPT")).toString();
        }
        grdACTIVITY->setText(row, 2, m_name);

        const int ticket = wholeNumber(rs, "bdtTKTNBR");
        const int ticketDate = wholeNumber(rs, "bdtTKTDTE");
        QString ticketText;
        if (ticket != 0 && ticketDate != 0)
            ticketText =
                QString::number(ticket) + QStringLiteral("   ") + fncFORMAT_DATE(ticketDate);
        else if (ticket != 0)
            ticketText = QString::number(ticket);
        else if (ticketDate != 0)
            ticketText = fncFORMAT_DATE(ticketDate);
        grdACTIVITY->setText(row, 3, ticketText);

        const QString checkText = rs.field(QStringLiteral("bdtCHKTXT")).toString();
        if (!checkText.isEmpty())
            grdACTIVITY->setText(row, 4, checkText);
        const int ledger = wholeNumber(rs, "bdtGLANBR");
        if (ledger > 0) {
            wrkANLGLA = short(ledger);
            grdACTIVITY->setText(row, 4, QString::number(ledger));
            prcGENERAL_LEDGER_MASTER(QStringLiteral("LEDGER"));
            grdACTIVITY->setText(row, 5, m_name);
        }

        const double amount = fncFIELD_NUMBER(rs, QStringLiteral("bdtTRNAMT"));
        grdACTIVITY->setText(row, 6,
                             formatNumber((amount > 0 ? amount : -amount) + 0.0, kAmountMask));

        if (ticket != 0)
            for (int c : {2, 5, 6})
                grdACTIVITY->setCellColour(row, c, kTicketColour);
        row = takeRow(row);
    }
}

void frmANALYZE_BANK_TRANSACTION::prcSHOW_EXPENDITURE() {
    static const int widths[] = {1550, 800, kGridTwips - 6550, 2000, 950, 950};
    static const char* const headers[] = {"Chk Date/Time", "Chk Nbr", "Payee",
                                          "AcctPayable",   "GL Acct", ""};
    startView(widths, headers, 6);
    for (int c : {1, 4, 5})
        grdACTIVITY->setColAlignment(c, Qt::AlignRight);
    grdACTIVITY->setFixedWidth(grdACTIVITY->widenColumns(
        {{0, "00/00/0000"}, {4, "000000.00"}, {5, "000000.00"}}, kGridTwips));

    prcBANK_EXPENDITURE_TRANSACTION(QStringLiteral("EXPENDTRANS"));
    Recordset& rs = rsBANK_EXPENDITURE_TRANSACTION;
    int row = 1;
    FlexGrid::RedrawBlocker quiet(grdACTIVITY);
    for (; !rs.eof(); rs.moveNext()) {
        grdACTIVITY->setText(row, 0, fncFORMAT_DATE(wholeNumber(rs, "betTRNDTE")));
        grdACTIVITY->setText(row, 1, numberText(rs.field(QStringLiteral("betCHKNBR"))));

        m_location = wholeNumber(rs, "betLOCNBR");
        m_account = wholeNumber(rs, "betACPNBR");
        m_employee = wholeNumber(rs, "betEMPNBR");
        m_name.clear();
        if (m_location != 0)
            prcLOCATION_MASTER(QStringLiteral("LOCATION"));
        else if (m_account != 0)
            prcACCOUNT_PAYABLE_MASTER(QStringLiteral("ACCOUNT"));
        else if (m_employee != 0)
            prcPAYROLL_MASTER(QStringLiteral("EMPLOYEE"));
        grdACTIVITY->setText(row, 2, m_name);
        grdACTIVITY->setText(row, 3, rs.field(QStringLiteral("betDESCPT")).toString());

        const double amount = fncFIELD_NUMBER(rs, QStringLiteral("betTRNAMT"));
        const QString zero = QStringLiteral("0.00");
        grdACTIVITY->setText(row, 4, amount > 0 ? formatNumber(amount, kAmountMask) : zero);
        grdACTIVITY->setText(row, 5, amount > 0 ? zero : formatNumber(-amount + 0.0, kAmountMask));
        row = takeRow(row);
    }
}

void frmANALYZE_BANK_TRANSACTION::prcBANK_DEPOSIT_TRANSACTION(const QString& action) {
    if (action != QLatin1String("DEPOSITS"))
        return;
    const SharedValues& s = shared();
    rsBANK_DEPOSIT_TRANSACTION =
        db().execute(QStringLiteral("Select * from LDG_BANK_DEPOSIT_TRANSACTION%1 where "
                                    "bdtDEPDTE= %2 and bdtDEPTME= %3 order by bdtLNENBR")
                         .arg(s.wrkNOLOCK)
                         .arg(m_picked.date)
                         .arg(m_picked.time));
}

void frmANALYZE_BANK_TRANSACTION::prcBANK_EXPENDITURE_TRANSACTION(const QString& action) {
    if (action != QLatin1String("EXPENDTRANS"))
        return;
    const SharedValues& s = shared();
    QString sql = QStringLiteral("Select * from LDG_BANK_EXPENDITURE_TRANSACTION%1 where "
                                 "betLNENBR= %2 and betTRNDTE= %3")
                      .arg(s.wrkNOLOCK)
                      .arg(m_picked.line)
                      .arg(m_picked.date);
    // Nothing sets an upper bound, and a bound of 0 would hide every line: only a real
    // bound narrows the statement.
    if (wrkEXPDTE > 0)
        sql += QStringLiteral(" and betTRNDTE<=%1").arg(wrkEXPDTE);
    rsBANK_EXPENDITURE_TRANSACTION = db().execute(sql);
}

void frmANALYZE_BANK_TRANSACTION::prcACCOUNT_PAYABLE_MASTER(const QString& action) {
    if (action != QLatin1String("ACCOUNT"))
        return;
    m_name = lookUp(rsACCOUNT_PAYABLE_MASTER,
                    QStringLiteral("Select * from LDG_ACCOUNT_PAYABLE_MASTER%1 where apmACPNBR=%2")
                        .arg(shared().wrkNOLOCK)
                        .arg(m_account),
                    QStringLiteral("apmACPNME"));
}

void frmANALYZE_BANK_TRANSACTION::prcLOCATION_MASTER(const QString& action) {
    if (action != QLatin1String("LOCATION"))
        return;
    m_name = lookUp(rsLOCATION_MASTER,
                    QStringLiteral("Select * from TKV_LOCATION_MASTER%1 where lcmLOCNBR=%2")
                        .arg(shared().wrkNOLOCK)
                        .arg(m_location),
                    QStringLiteral("lcmLOCNME"));
}

void frmANALYZE_BANK_TRANSACTION::prcPAYROLL_MASTER(const QString& action) {
    if (action != QLatin1String("EMPLOYEE"))
        return;
    m_name = lookUp(rsPAYROLL_MASTER,
                    QStringLiteral("Select * from LDG_PAYROLL_MASTER%1 where prmEMPNBR=%2")
                        .arg(shared().wrkNOLOCK)
                        .arg(m_employee),
                    QStringLiteral("prmEMPNME"));
}

void frmANALYZE_BANK_TRANSACTION::prcGENERAL_LEDGER_MASTER(const QString& action) {
    if (action != QLatin1String("LEDGER"))
        return;
    m_name = lookUp(rsGENERAL_LEDGER_MASTER,
                    QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER%1 where glmGLANBR=%2")
                        .arg(shared().wrkNOLOCK)
                        .arg(wrkANLGLA),
                    QStringLiteral("glmGLANME"));
}
