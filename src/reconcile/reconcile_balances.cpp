#include "reconcile_balances.h"

#include "clock.h"
#include "common.h"
#include "context.h"
#include "date_picker.h"
#include "messages.h"
#include "report.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

const QString kAmountMask = QStringLiteral("#0.00");

int dateNumber(const QDate& date) {
    return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
}

QDate numberDate(int yyyymmdd) {
    return QDate(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}

// A number as it goes into a statement: plain decimal text with a point, no blanks.
QString sqlNumber(double value) {
    if (value == 0.0)
        return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

// The numeric value of an amount box, read as the clerk's typed amounts are.
double amountOf(const QLineEdit* box) {
    return leadingNumber(box->text());
}

} // namespace

frmRECONCILE_CHECKING_ACCOUNT_BALANCES::frmRECONCILE_CHECKING_ACCOUNT_BALANCES(QWidget* parent)
    : ChildWindow(QStringLiteral("frmRECONCILE_CHECKING_ACCOUNT_BALANCES"), parent) {
    setBankBound(true);
    ownRecordset(&m_rsHistory);
    ownRecordset(&m_rsLedger);
    ownRecordset(&m_rsTransaction);
    addCaption(this, QStringLiteral("Reconcile Checking Account Balances"),
               QStringLiteral("Reconcilie los Saldos de cuenta que Verifican"));

    auto* grpDETAIL = new QGroupBox(this);
    grpDETAIL->setObjectName(QStringLiteral("grpDETAIL"));
    addCaption(grpDETAIL, QStringLiteral("Detail"), QStringLiteral("Detalle"));
    auto* detail = new QGridLayout(grpDETAIL);

    auto label = [&](const char* name, const QString& english, const QString& spanish) {
        auto* l = new QLabel(grpDETAIL);
        l->setObjectName(QString::fromLatin1(name));
        addCaption(l, english, spanish);
        return l;
    };
    auto box = [&](const char* name, bool amount) {
        auto* b = new QLineEdit(grpDETAIL);
        b->setObjectName(QString::fromLatin1(name));
        b->setReadOnly(true);
        b->setFocusPolicy(Qt::NoFocus); // only the statement date and bank balance take Tab
        if (amount) {
            b->setAlignment(Qt::AlignRight);
            b->setFixedWidth(110);
        } else {
            b->setFixedWidth(50);
        }
        return b;
    };
    auto line = [&](const char* name) {
        auto* f = new QFrame(grpDETAIL);
        f->setObjectName(QString::fromLatin1(name));
        f->setFrameShape(QFrame::HLine);
        f->setFrameShadow(QFrame::Sunken);
        return f;
    };

    detail->addWidget(label("Label1", QStringLiteral("Bank Reconciliation for"),
                            QStringLiteral("Conciliación bancaria para")),
                      0, 0);
    auto* period = new QHBoxLayout;
    period->addWidget(label("lblMONTH", QStringLiteral(" Month:"), QStringLiteral("Mes:")));
    period->addWidget(tbxMONTH = box("tbxMONTH", false));
    period->addSpacing(12);
    period->addWidget(label("lblYEAR", QStringLiteral(" Year:"), QStringLiteral("Año:")));
    period->addWidget(tbxYEAR = box("tbxYEAR", false));
    period->addStretch(1);
    detail->addLayout(period, 0, 1);

    dbxSTMDTE = new DatePicker(grpDETAIL);
    dbxSTMDTE->setObjectName(QStringLiteral("dbxSTMDTE"));
    dbxSTMDTE->setFixedWidth(130);
    dbxSTMDTE->installEventFilter(this);
    detail->addWidget(label("lblREPDTE", QStringLiteral("Enter Bank Statement Date:"),
                            QStringLiteral("Entre Fecha del Banco Declaración:")),
                      1, 0);
    detail->addWidget(dbxSTMDTE, 1, 1, Qt::AlignRight);

    tbxBNKBAL = new QLineEdit(grpDETAIL);
    tbxBNKBAL->setObjectName(QStringLiteral("tbxBNKBAL"));
    tbxBNKBAL->setAlignment(Qt::AlignRight);
    tbxBNKBAL->setFixedWidth(110);
    tbxBNKBAL->installEventFilter(this);
    detail->addWidget(label("lblINCBNK", QStringLiteral("Enter Balance as Per Bank Statement:"),
                            QStringLiteral("Entre Equilibrio como Por Banco Declaración:")),
                      2, 0);
    detail->addWidget(tbxBNKBAL, 2, 1, Qt::AlignRight);

    detail->addWidget(label("lblTRNUNP", QStringLiteral("Total of Transactions Outstanding:"),
                            QStringLiteral("Suma de Transacciones Sobresalientes:")),
                      3, 0);
    detail->addWidget(tbxOUTSTD = box("tbxOUTSTD", true), 3, 1, Qt::AlignRight);
    detail->addWidget(label("lblBNKBAL", QStringLiteral("Adjusted Balance as Per Bank:"),
                            QStringLiteral("Equilibrio ajustado como Por Banco:")),
                      4, 0);
    detail->addWidget(tbxADJBAL = box("tbxADJBAL", true), 4, 1, Qt::AlignRight);
    detail->addWidget(line("Line1"), 5, 0, 1, 2);
    detail->addWidget(label("lblINCGL", QStringLiteral("Balance as Per General Ledger:"),
                            QStringLiteral("Equilibre como Por Libro de contabilidad General:")),
                      6, 0);
    detail->addWidget(tbxEOMBAL = box("tbxEOMBAL", true), 6, 1, Qt::AlignRight);
    detail->addWidget(line("Line2"), 7, 0, 1, 2);
    detail->addWidget(label("lblDIFFERENCE", QStringLiteral("Difference Over or Short (-)"),
                            QStringLiteral("Diferencia Sobre o Brevemente(-)")),
                      8, 0);
    detail->addWidget(tbxOVRSHT = box("tbxOVRSHT", true), 8, 1, Qt::AlignRight);

    QGroupBox* grpCONTROL = addControlFrame(tbcOK, tbcCANCEL);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpDETAIL);
    layout->addWidget(grpCONTROL);
    layout->addStretch(1);

    setTabOrder(dbxSTMDTE, tbxBNKBAL);
    setTabOrder(tbxBNKBAL, tbcOK);
    setTabOrder(tbcOK, tbcCANCEL);
    setFocusProxy(dbxSTMDTE);

    connect(tbcOK, &QPushButton::clicked, this, &frmRECONCILE_CHECKING_ACCOUNT_BALANCES::onOk);
    connect(tbcCANCEL, &QPushButton::clicked, this,
            &frmRECONCILE_CHECKING_ACCOUNT_BALANCES::closeWindow);
}

// A window deleted without being closed releases its rows here, before the base looks at them.
frmRECONCILE_CHECKING_ACCOUNT_BALANCES::~frmRECONCILE_CHECKING_ACCOUNT_BALANCES() {
    for (Recordset* rs : {&m_rsHistory, &m_rsLedger, &m_rsTransaction})
        if (rs->isOpen())
            rs->close();
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::loadWindow() {
    prcCLEAR_FIELDS();
    prcLOAD_RECONCILIATION();
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcCLEAR_FIELDS() {
    tbxMONTH->clear();
    tbxYEAR->clear();
    dbxSTMDTE->setDate(today().addMonths(-1));
    for (QLineEdit* b : {tbxBNKBAL, tbxOUTSTD, tbxADJBAL, tbxEOMBAL, tbxOVRSHT})
        b->setText(QStringLiteral("0.00"));
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcLOAD_RECONCILIATION() {
    prcBANK_RECONCILIATION_HISTORY(QStringLiteral("LASTDATE"));
    m_lastStatement = static_cast<int>(fncFIELD_NUMBER(m_rsHistory, QStringLiteral("maxSTMDTE")));
    if (m_lastStatement >= 1) {
        prcBANK_RECONCILIATION_HISTORY(QStringLiteral("LASTSTATEMENT"));
        if (!m_rsHistory.eof()) {
            const auto field = [this](const char* name) {
                return fncFIELD_NUMBER(m_rsHistory, QString::fromLatin1(name));
            };
            const int month = static_cast<int>(field("brhMONTH"));
            const int year = static_cast<int>(field("brhFSYEAR"));
            if (field("brhPSTDTE") == 0) {
                // The last month is still open: show it as stored, to be redone.
                m_mode = QStringLiteral("UPDATE");
                tbxMONTH->setText(QString::number(month));
                tbxYEAR->setText(QString::number(year));
                dbxSTMDTE->setDateNumber(static_cast<int>(field("brhSTMDTE")));
                tbxBNKBAL->setText(formatNumber(field("brhBNKBAL"), kAmountMask));
                tbxOUTSTD->setText(formatNumber(field("brhOUTSTD"), kAmountMask));
                tbxADJBAL->setText(formatNumber(field("brhADJBAL"), kAmountMask));
                tbxEOMBAL->setText(formatNumber(field("brhEOMBAL"), kAmountMask));
                tbxOVRSHT->setText(formatNumber(field("brhOVRSHT"), kAmountMask));
                return;
            }
            // The last month is posted: propose the one after it.
            m_mode = QStringLiteral("ADD");
            tbxMONTH->setText(QString::number(month == 12 ? 1 : month + 1));
            tbxYEAR->setText(QString::number(month == 12 ? year + 1 : year));
            dbxSTMDTE->setDate(numberDate(static_cast<int>(field("brhSTMDTE"))).addMonths(1));
            computeFigures();
            return;
        }
    }
    m_mode = QStringLiteral("ADD");
    const QDate lastMonth = today().addMonths(-1);
    tbxMONTH->setText(QStringLiteral("%1").arg(lastMonth.month(), 2, 10, QLatin1Char('0')));
    tbxYEAR->setText(QStringLiteral("%1").arg(lastMonth.year(), 4, 10, QLatin1Char('0')));
    computeFigures();
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::computeFigures() {
    // The cut-off follows the current date alone, whatever month is shown.
    m_cutOff = fncMONTH_END(today().addMonths(-1).toString(QStringLiteral("MM/dd/yyyy")));

    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("OUTSTANDING"));
    const QVariant outstanding = m_rsTransaction.field(QStringLiteral("sumTRNAMT"));
    if (!outstanding.isNull())
        tbxOUTSTD->setText(formatNumber(fncFIELD_NUMBER(outstanding), kAmountMask));

    prcGENERAL_LEDGER_MASTER(QStringLiteral("LEDGER"));
    const bool ledgerRow = !m_rsLedger.eof();
    const double beginning =
        ledgerRow ? fncFIELD_NUMBER(m_rsLedger, QStringLiteral("glmBOYBAL")) : 0;
    prcGENERAL_LEDGER_TRANSACTION(QStringLiteral("EOMBALANCE"));
    const double ledger = fncFIELD_NUMBER(m_rsTransaction, QStringLiteral("sumTRNAMT")) + beginning;
    tbxEOMBAL->setText(formatNumber(ledger, kAmountMask));
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcCALCULATE_BALANCES() {
    tbxADJBAL->setText(formatNumber(amountOf(tbxBNKBAL) - amountOf(tbxOUTSTD), kAmountMask));
    tbxOVRSHT->setText(formatNumber(amountOf(tbxADJBAL) - amountOf(tbxEOMBAL), kAmountMask));
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcBANK_RECONCILIATION_HISTORY(const QString& action) {
    const QString account = QString::number(shared().wrkBACNBR);
    QString sql;
    if (action == QLatin1String("LASTDATE")) {
        sql = QStringLiteral("Select max(brhSTMDTE) as maxSTMDTE from "
                             "LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=") +
              account;
    } else if (action == QLatin1String("LASTSTATEMENT")) {
        sql = QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY") + shared().wrkNOLOCK +
              QStringLiteral(" where brhGLANBR=") + account + QStringLiteral(" and brhSTMDTE=") +
              QString::number(m_lastStatement);
    } else if (action == QLatin1String("INSERT")) {
        sql = QStringLiteral("Insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,"
                             "brhGLANBR,brhDIVCDE,brhSTMDTE,brhBNKBAL,brhOUTSTD,brhBNKADJ,"
                             "brhADJBAL,brhEOMBAL,brhOVRSHT,brhRLSDTE) values(") +
              tbxYEAR->text() + QLatin1Char(',') + tbxMONTH->text() + QLatin1Char(',') + account +
              QStringLiteral(",'',") + QString::number(dbxSTMDTE->dateNumber()) + QLatin1Char(',') +
              sqlNumber(amountOf(tbxBNKBAL)) + QLatin1Char(',') + sqlNumber(amountOf(tbxOUTSTD)) +
              QStringLiteral(",0,") + sqlNumber(amountOf(tbxADJBAL)) + QLatin1Char(',') +
              sqlNumber(amountOf(tbxEOMBAL)) + QLatin1Char(',') + sqlNumber(amountOf(tbxOVRSHT)) +
              QLatin1Char(',') + QString::number(dateNumber(today())) + QLatin1Char(')');
    } else if (action == QLatin1String("UPDATE")) {
        sql = QStringLiteral("Update LDG_BANK_RECONCILIATION_HISTORY set brhSTMDTE=") +
              QString::number(dbxSTMDTE->dateNumber()) + QStringLiteral(",brhBNKBAL=") +
              sqlNumber(amountOf(tbxBNKBAL)) + QStringLiteral(",brhOUTSTD=") +
              sqlNumber(amountOf(tbxOUTSTD)) + QStringLiteral(",brhBNKADJ=0,brhADJBAL=") +
              sqlNumber(amountOf(tbxADJBAL)) + QStringLiteral(",brhEOMBAL=") +
              sqlNumber(amountOf(tbxEOMBAL)) + QStringLiteral(",brhOVRSHT=") +
              sqlNumber(amountOf(tbxOVRSHT)) + QStringLiteral(",brhRLSDTE=") +
              QString::number(dateNumber(today())) + QStringLiteral(" where brhGLANBR=") + account +
              QStringLiteral(" and brhFSYEAR=") + tbxYEAR->text() +
              QStringLiteral(" and brhMONTH=") + tbxMONTH->text();
    } else {
        return;
    }
    if (m_rsHistory.isOpen())
        m_rsHistory.close();
    m_rsHistory = db().execute(sql);
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcGENERAL_LEDGER_MASTER(const QString& action) {
    if (action != QLatin1String("LEDGER"))
        return;
    const QString sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER") +
                        shared().wrkNOLOCK + QStringLiteral(" where glmFSYEAR=") + tbxYEAR->text() +
                        QStringLiteral(" and glmGLANBR=") + QString::number(shared().wrkBACNBR);
    if (m_rsLedger.isOpen())
        m_rsLedger.close();
    m_rsLedger = db().execute(sql);
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcGENERAL_LEDGER_TRANSACTION(const QString& action) {
    const QString head = QStringLiteral("Select sum(gltTRNAMT) as sumTRNAMT from "
                                        "LDG_GENERAL_LEDGER_TRANSACTION where gltGLANBR=") +
                         QString::number(shared().wrkBACNBR);
    QString sql;
    if (action == QLatin1String("OUTSTANDING"))
        sql = head + QStringLiteral(" and gltRCNDTE=0 and gltTRNDTE<") + QString::number(m_cutOff);
    else if (action == QLatin1String("EOMBALANCE"))
        sql =
            head + QStringLiteral(" and gltSTATUS<>'R' and gltTRNDTE<") + QString::number(m_cutOff);
    else
        return;
    if (m_rsTransaction.isOpen())
        m_rsTransaction.close();
    m_rsTransaction = db().execute(sql);
}

bool frmRECONCILE_CHECKING_ACCOUNT_BALANCES::bankBalanceReadable() {
    // A plain number, as the bank prints it; letters or thousands separators would be read
    // as a different amount than the clerk meant.
    static const QRegularExpression number(QStringLiteral("^\\s*-?(\\d+\\.?\\d*|\\.\\d+)?\\s*$"));
    if (number.match(tbxBNKBAL->text()).hasMatch())
        return true;
    showMessage(shared().spanish()
                    ? QStringLiteral("El saldo según el estado del banco debe ser un número, "
                                     "por ejemplo 1234.56.")
                    : QStringLiteral("The balance as per bank statement must be a number, "
                                     "for example 1234.56."));
    tbxBNKBAL->setFocus();
    return false;
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::completeBankBalance() {
    if (!bankBalanceReadable())
        return;
    tbxBNKBAL->setText(fncFORMAT_RIGHT(amountOf(tbxBNKBAL), kAmountMask));
    prcCALCULATE_BALANCES();
    tbcOK->setFocus();
}

bool frmRECONCILE_CHECKING_ACCOUNT_BALANCES::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tbxBNKBAL) {
        if (event->type() == QEvent::FocusIn) {
            m_entryStarted = false;
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            switch (key) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Tab:
                completeBankBalance();
                return true;
            case Qt::Key_Backtab:
            case Qt::Key_Shift:
            case Qt::Key_Control:
            case Qt::Key_Alt:
            case Qt::Key_Meta:
                break;
            default:
                // The first key typed replaces the old value.
                if (!m_entryStarted)
                    tbxBNKBAL->clear();
                m_entryStarted = true;
                break;
            }
        }
    } else if (watched == dbxSTMDTE && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            tbxBNKBAL->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return ChildWindow::eventFilter(watched, event);
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::onOk() {
    if (!bankBalanceReadable())
        return;
    const bool saved = runCommand([this] {
        prcBANK_RECONCILIATION_HISTORY(m_mode == QLatin1String("ADD") ? QStringLiteral("INSERT")
                                                                      : QStringLiteral("UPDATE"));
    });
    if (saved)
        closeWindow();
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::offerStatement(int statementDate, double bankBalance) {
    if (statementDate > 0)
        dbxSTMDTE->setDateNumber(statementDate);
    tbxBNKBAL->setText(fncFORMAT_RIGHT(bankBalance, kAmountMask));
    prcCALCULATE_BALANCES();
}
