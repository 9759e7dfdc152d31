#include "account_adjustments.h"

#include "clock.h"
#include "common.h"
#include "company.h"
#include "context.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "ledger.h"
#include "messages.h"
#include "report.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kGridRows = 12;
constexpr int kGridCols = 6;
// What each row carries: the adjustment's key, its date and time (hhmmss).
struct RowKey {
    int date = 0;
    int time = 0;
};
constexpr int kColumnTwips[] = {800, 400, 1900, 2550, 1000};
constexpr int kVisibleTwips = 800 + 400 + 1900 + 2550 + 1000; // columns 0 to 4
constexpr int kTimeColumnTwips = 1000;                        // beyond the visible width

const QString kPromptEnglish = QStringLiteral("* Select General Ledger Account *");
const QString kPromptSpanish = QStringLiteral("* Cuenta selecta del Libro de Contabilidad *");

// The column widths were laid out for a smaller font than the grid's: scale them all alike
// until a date fits its column and a four-digit account the account column.
double widthScale(const FlexGrid* grid) {
    const double date = grid->textWidth(QStringLiteral("00/00/00"));
    const double account = grid->textWidth(QStringLiteral("0000"));
    return std::max({1.0, date / FlexGrid::twipsToPixels(kColumnTwips[0]),
                     account / FlexGrid::twipsToPixels(kColumnTwips[1])});
}

} // namespace

frmAUD_ACCOUNT_ADJUSTMENTS::frmAUD_ACCOUNT_ADJUSTMENTS(QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    setBankBound(true);
    addCaption(this, QStringLiteral("Add, Update, Or Delete Account Adjustments"),
               QStringLiteral("Agregue, Actualice, o Borre dé Cuenta los Ajustes"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildGrid(), 1, Qt::AlignHCenter);
    auto* lower = new QHBoxLayout;
    lower->addWidget(buildEntry(), 1);
    // Enter presses the focused button.
    grpCONTROL = addControlFrame(
        {{tbcADD, "tbcADD", QStringLiteral("&Add"), QStringLiteral("&Agregue")},
         {tbcCLEAR, "tbcCLEAR", QStringLiteral("&Clear"), QStringLiteral("&Claro")},
         {tbcDELETE, "tbcDELETE", QStringLiteral("&Delete"), QStringLiteral("&Borre")}},
        true, Qt::Vertical);
    lower->addWidget(grpCONTROL);
    layout->addLayout(lower);
    connectCommands();
}

FlexGrid* frmAUD_ACCOUNT_ADJUSTMENTS::buildGrid() {
    grdADJUSTMENT = addControl<FlexGrid>(this, "grdADJUSTMENT");
    grdADJUSTMENT->setRows(kGridRows);
    grdADJUSTMENT->setCols(kGridCols);
    grdADJUSTMENT->setGridBackground(QColor(224, 224, 224));
    grdADJUSTMENT->setRowHighlight(true);
    grdADJUSTMENT->setColAlignment(1, Qt::AlignRight);
    grdADJUSTMENT->setColAlignment(4, Qt::AlignRight);
    // The time column carries the adjustment's identity, not something the clerk reads.
    grdADJUSTMENT->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdADJUSTMENT->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_widthScale = widthScale(grdADJUSTMENT);
    grdADJUSTMENT->setColWidthTwips(5, int(kTimeColumnTwips * m_widthScale));
    grdADJUSTMENT->setFixedWidth(FlexGrid::twipsToPixels(int(kVisibleTwips * m_widthScale)) +
                                 grdADJUSTMENT->verticalScrollBar()->sizeHint().width() +
                                 2 * grdADJUSTMENT->frameWidth());
    grdADJUSTMENT->setMinimumHeight(grdADJUSTMENT->horizontalHeader()->sizeHint().height() +
                                    (kGridRows - 1) *
                                        grdADJUSTMENT->verticalHeader()->defaultSectionSize() +
                                    2 * grdADJUSTMENT->frameWidth());
    return grdADJUSTMENT;
}

QGroupBox* frmAUD_ACCOUNT_ADJUSTMENTS::buildEntry() {
    grpSELECT = addControl<QGroupBox>(this, "grpSELECT", QStringLiteral("Select"),
                                      QStringLiteral("Selecto"));
    optADD =
        addControl<QRadioButton>(grpSELECT, "optADD", QStringLiteral("Add to Bank Account Balance"),
                                 QStringLiteral("Agregue para equilibrar de Cuenta bancaria"));
    optADD->setChecked(true);
    optSUBTRACT = addControl<QRadioButton>(
        grpSELECT, "optSUBTRACT", QStringLiteral("Subtract from Bank Account Balance"),
        QStringLiteral("Reste de equilibrio de Cuenta bancaria"));
    dbxTRNDTE = addControl<DatePicker>(grpSELECT, "dbxTRNDTE");
    lblADJDSC = addControl<QLabel>(grpSELECT, "lblADJDSC", QStringLiteral("Description:"),
                                   QStringLiteral("Descripción:"));
    tbxDESCPT = addControl<QLineEdit>(grpSELECT, "tbxDESCPT");
    lblADJDSC->setBuddy(tbxDESCPT);
    cbxLEDGER = addControl<QComboBox>(grpSELECT, "cbxLEDGER");
    // The text shows the prompt or the account of a shown adjustment; only choosing an item
    // from the list selects an account.
    cbxLEDGER->setEditable(true);
    cbxLEDGER->setInsertPolicy(QComboBox::NoInsert);
    cbxLEDGER->lineEdit()->setReadOnly(true);
    cbxLEDGER->setMaxVisibleItems(20);
    cbxLEDGER->view()->setTextElideMode(Qt::ElideNone); // separators run to the edge
    cbxLEDGER->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbxLEDGER->setMinimumContentsLength(34);
    lblADJAMT = addControl<QLabel>(grpSELECT, "lblADJAMT", QStringLiteral("Amount of Adjustment:"),
                                   QStringLiteral("Cantidad de Ajuste:"));
    tbxTRNAMT = addControl<QLineEdit>(grpSELECT, "tbxTRNAMT");
    tbxTRNAMT->setAlignment(Qt::AlignRight);
    tbxTRNAMT->setFixedWidth(
        tbxTRNAMT->fontMetrics().horizontalAdvance(QStringLiteral("-000000.0000")) + 12);
    lblADJAMT->setBuddy(tbxTRNAMT);

    auto* options = new QHBoxLayout;
    options->addWidget(optADD);
    options->addSpacing(24);
    options->addWidget(optSUBTRACT);
    options->addStretch();
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(dbxTRNDTE);
    dateRow->addSpacing(12);
    dateRow->addWidget(lblADJDSC);
    dateRow->addWidget(tbxDESCPT, 1);
    auto* ledgerRow = new QHBoxLayout;
    ledgerRow->addWidget(cbxLEDGER, 1);
    ledgerRow->addSpacing(12);
    ledgerRow->addWidget(lblADJAMT);
    ledgerRow->addWidget(tbxTRNAMT);
    auto* selectLayout = new QVBoxLayout(grpSELECT);
    selectLayout->addLayout(options);
    selectLayout->addLayout(dateRow);
    selectLayout->addLayout(ledgerRow);
    return grpSELECT;
}

void frmAUD_ACCOUNT_ADJUSTMENTS::connectCommands() {
    connectCommand(grdADJUSTMENT, &FlexGrid::cellDoubleClicked,
                   [this](int row, int) { showAdjustment(row); });
    connect(cbxLEDGER, &QComboBox::activated, this, &frmAUD_ACCOUNT_ADJUSTMENTS::ledgerChosen);
    connectCommand(tbcADD, &QPushButton::clicked, [this] { addAdjustment(); });
    connectCommand(tbcCLEAR, &QPushButton::clicked, [this] { clearAll(); });
    connectCommand(tbcDELETE, &QPushButton::clicked, [this] { deleteAdjustment(); });
}

QString frmAUD_ACCOUNT_ADJUSTMENTS::ledgerPrompt() const {
    return shared().spanish() ? kPromptSpanish : kPromptEnglish;
}

void frmAUD_ACCOUNT_ADJUSTMENTS::loadWindow() {
    wrkADD_COLOUR = QColor(192, 255, 192);
    wrkSUBTRACT_COLOUR = QColor(255, 192, 192);
    prcCLEAR_FIELDS();
    prcLOAD_LEDGERS();
    prcSET_GRID_WIDTHS();
    prcCLEAR_GRID();
    prcLOAD_ADJUSTMENTS();
}

// ---------------------------------------------------------------------------------------
// Window procedures

void frmAUD_ACCOUNT_ADJUSTMENTS::prcCLEAR_FIELDS() {
    dbxTRNDTE->setDateNumber(dateNumber(today().addMonths(-1)));
    tbxDESCPT->clear();
    wrkGLANBR = 0;
    cbxLEDGER->setCurrentIndex(-1);
    cbxLEDGER->setEditText(ledgerPrompt());
    tbxTRNAMT->setText(QStringLiteral("0.00"));
    tbcADD->setEnabled(true);
    tbcDELETE->setEnabled(false);
}

void frmAUD_ACCOUNT_ADJUSTMENTS::prcLOAD_LEDGERS() {
    wrkTRNDTE = dbxTRNDTE->dateNumber();
    wrkFSYEAR = fncFISCAL_YEAR(wrkTRNDTE, QStringLiteral("*"));
    prcGENERAL_LEDGER_MASTER(QStringLiteral("LEDGERS"));
    cbxLEDGER->clear();
    cbxLEDGER->setEditText(ledgerPrompt());

    // Accounts are grouped by their first digit, with a line of hyphens between groups.
    QString group;
    bool previous = false;
    for (Recordset& rs = rsGENERAL_LEDGER_MASTER; !rs.eof(); rs.moveNext()) {
        const int account = int(fncFIELD_NUMBER(rs, QStringLiteral("glmGLANBR")));
        const QString number = QLatin1Char(' ') + QString::number(account);
        const QString accountGroup = number.left(2);
        if (previous && accountGroup != group)
            cbxLEDGER->addItem(QString(90, QLatin1Char('-')), 0);
        if (!previous || accountGroup != group)
            group = accountGroup;
        previous = true;
        cbxLEDGER->addItem(number + QStringLiteral("  ") +
                               rs.field(QStringLiteral("glmGLANME")).toString(),
                           account);
    }
    cbxLEDGER->setCurrentIndex(-1);
    cbxLEDGER->setEditText(ledgerPrompt());
}

void frmAUD_ACCOUNT_ADJUSTMENTS::prcSET_GRID_WIDTHS() {
    for (int col = 0; col < 5; ++col)
        grdADJUSTMENT->setColWidthTwips(col, int(kColumnTwips[col] * m_widthScale));
}

void frmAUD_ACCOUNT_ADJUSTMENTS::prcCLEAR_GRID() {
    grdADJUSTMENT->clearCells();
    const char* headings[] = {"Date",       "GLN",     "GLName", "Adjustment Description",
                              "Adjust Amt", "TranTime"};
    for (int col = 0; col < kGridCols; ++col)
        grdADJUSTMENT->setText(0, col, QString::fromLatin1(headings[col]));
}

void frmAUD_ACCOUNT_ADJUSTMENTS::prcLOAD_ADJUSTMENTS() {
    m_ledgerNames.clear();
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("ADJUSTMENTS"));
    FlexGrid* grid = grdADJUSTMENT;
    FlexGrid::RedrawBlocker quiet(grid);
    int row = 1;
    for (Recordset& rs = rsGENERAL_LEDGER_TRANSACTION; !rs.eof(); rs.moveNext()) {
        const int date = int(fncFIELD_NUMBER(rs, QStringLiteral("gltTRNDTE")));
        const int account = int(fncFIELD_NUMBER(rs, QStringLiteral("gltGLANBR")));
        const double amount = fncFIELD_NUMBER(rs, QStringLiteral("gltTRNAMT"));
        grid->setText(row, 0, fncFORMAT_DATE(date));
        grid->setText(row, 1, QString::number(account));
        grid->setText(row, 2, ledgerName(account));
        grid->setText(row, 3, rs.field(QStringLiteral("gltDESCPT")).toString());
        grid->setText(row, 4, formatNumber(amount, QStringLiteral("###0.00")));
        const int time = int(fncFIELD_NUMBER(rs, QStringLiteral("gltTRNTME")));
        grid->setText(row, 5, QString::number(time));
        // The date and time go with the row too, so showing it never reads its text back.
        grid->setRowItem(row, RowKey{date, time});
        grid->setRowColour(row, amount < 0 ? wrkADD_COLOUR : wrkSUBTRACT_COLOUR);
        ++row;
        if (row == grid->rows() - 1)
            grid->addRow();
    }
}

QString frmAUD_ACCOUNT_ADJUSTMENTS::ledgerName(int account) {
    const auto known = m_ledgerNames.constFind(account);
    if (known != m_ledgerNames.constEnd())
        return *known;
    wrkLINE_ACCOUNT = account;
    prcGENERAL_LEDGER_MASTER(QStringLiteral("LEDGER"));
    const QString name =
        rsGENERAL_LEDGER_MASTER.eof()
            ? QString()
            : rsGENERAL_LEDGER_MASTER.field(QStringLiteral("glmGLANME")).toString();
    m_ledgerNames.insert(account, name);
    return name;
}

void frmAUD_ACCOUNT_ADJUSTMENTS::prcLOAD_ADJUSTMENT() {
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("ADJUSTMENT"));
    Recordset& rs = rsGENERAL_LEDGER_TRANSACTION;
    if (rs.eof())
        return; // deleted meanwhile: the fields stay reset
    dbxTRNDTE->setDateNumber(int(fncFIELD_NUMBER(rs, QStringLiteral("gltTRNDTE"))));
    tbxDESCPT->setText(rs.field(QStringLiteral("gltDESCPT")).toString());
    wrkGLANBR = int(fncFIELD_NUMBER(rs, QStringLiteral("gltGLANBR")));
    wrkLINE_ACCOUNT = wrkGLANBR;
    const double amount = fncFIELD_NUMBER(rs, QStringLiteral("gltTRNAMT"));
    prcGENERAL_LEDGER_MASTER(QStringLiteral("LEDGER"));
    const QString name =
        rsGENERAL_LEDGER_MASTER.eof()
            ? QString()
            : rsGENERAL_LEDGER_MASTER.field(QStringLiteral("glmGLANME")).toString();
    cbxLEDGER->setCurrentIndex(-1);
    cbxLEDGER->setEditText(QString::number(wrkGLANBR) + QLatin1Char(' ') + name);
    tbxTRNAMT->setText(fourDecimals(amount));
    tbcADD->setEnabled(false);
    tbcDELETE->setEnabled(true);
}

bool frmAUD_ACCOUNT_ADJUSTMENTS::fncVALIDATE_ADJUSTMENT() {
    if (wrkGLANBR == 0) {
        showMessage(QStringLiteral("A reversing ledger number must be selected."));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Statement procedures

void frmAUD_ACCOUNT_ADJUSTMENTS::prcGENERAL_LEDGER_MASTER(const QString& action) {
    const QString& nolock = shared().wrkNOLOCK;
    QString sql;
    if (action == QLatin1String("LEDGERS"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER") + nolock +
              QStringLiteral(" where glmFSYEAR=") + QString::number(wrkFSYEAR) +
              QStringLiteral(" and glmGLANBR<>") + QString::number(shared().wrkBACNBR) +
              QStringLiteral(" order by glmGLANBR");
    else if (action == QLatin1String("LEDGER"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER") + nolock +
              QStringLiteral(" where glmFSYEAR=") + QString::number(wrkFSYEAR) +
              QStringLiteral(" and glmGLANBR=") + QString::number(wrkLINE_ACCOUNT);
    else
        return;
    rsGENERAL_LEDGER_MASTER = db().execute(sql);
}

void frmAUD_ACCOUNT_ADJUSTMENTS::prcGENERAL_LEDGER_TRANSACTION(const QString& action) {
    const QString& nolock = shared().wrkNOLOCK;
    QString sql;
    if (action == QLatin1String("ADJUSTMENTS"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION") + nolock +
              QStringLiteral(" where gltJRNCDE='BA' and gltTRNDTE>0 and gltTRNTYP='R' order by "
                             "gltTRNDTE desc, gltTRNTME");
    else if (action == QLatin1String("ADJUSTMENT"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION") + nolock +
              QStringLiteral(" where gltJRNCDE='BA' and gltTRNDTE=") + QString::number(wrkTRNDTE) +
              QStringLiteral(" and gltTRNTME=") + QString::number(wrkTRNTME) +
              QStringLiteral(" and gltTRNTYP='R'");
    else
        return;
    rsGENERAL_LEDGER_TRANSACTION = db().execute(sql);
}

// ---------------------------------------------------------------------------------------
// Events

void frmAUD_ACCOUNT_ADJUSTMENTS::ledgerChosen(int index) {
    bool ok = false;
    const int account = cbxLEDGER->itemData(index).toInt(&ok);
    wrkGLANBR = ok ? account : 0;
}

void frmAUD_ACCOUNT_ADJUSTMENTS::showAdjustment(int row) {
    const RowKey* key = row > 0 ? grdADJUSTMENT->rowItem<RowKey>(row) : nullptr;
    wrkTRNDTE = key ? key->date : 0;
    wrkTRNTME = key ? key->time : 0;
    prcCLEAR_FIELDS();
    if (wrkTRNDTE > 0)
        prcLOAD_ADJUSTMENT();
}

void frmAUD_ACCOUNT_ADJUSTMENTS::addAdjustment() {
    if (!fncVALIDATE_ADJUSTMENT())
        return;
    wrkTRNDTE = dbxTRNDTE->dateNumber();
    wrkTRNTME = timeNumber(now().time());
    // The year of this entry's date, whether or not the entry goes through.
    wrkFSYEAR = fncFISCAL_YEAR(wrkTRNDTE, QStringLiteral("*"));
    const double typed = std::round(leadingNumber(tbxTRNAMT->text()) * 10000.0) / 10000.0;
    const ledger::PostedAdjustment posted = ledger::postAdjustment(
        db(), {wrkTRNDTE, wrkTRNTME, shared().wrkBACNBR, wrkGLANBR, tbxDESCPT->text(), typed},
        today());
    wrkFSYEAR = posted.fiscalYear;
    clearAll();
}

void frmAUD_ACCOUNT_ADJUSTMENTS::deleteAdjustment() {
    wrkTRNDTE = dbxTRNDTE->dateNumber();
    ledger::deleteAdjustment(db(), shared().wrkBACNBR, wrkTRNDTE, wrkTRNTME);
    clearAll();
}

void frmAUD_ACCOUNT_ADJUSTMENTS::clearAll() {
    prcCLEAR_FIELDS();
    prcCLEAR_GRID();
    prcLOAD_ADJUSTMENTS();
}

void frmAUD_ACCOUNT_ADJUSTMENTS::prefillFromStatement(int date, const QString& description,
                                                      double amount, int proposedAccount) {
    prcCLEAR_FIELDS();
    dbxTRNDTE->setDateNumber(date);
    // The bank's text goes between quotes in the insert, so it may not hold any.
    QString text = description;
    text.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
    tbxDESCPT->setText(text);
    (amount < 0 ? optSUBTRACT : optADD)->setChecked(true);
    tbxTRNAMT->setText(fourDecimals(amount));
    if (const int index = cbxLEDGER->findData(proposedAccount); proposedAccount > 0 && index >= 0) {
        cbxLEDGER->setCurrentIndex(index);
        ledgerChosen(index);
    }
    cbxLEDGER->setFocus();
}
