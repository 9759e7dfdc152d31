#include "reconcile_balances.h"

#include "clock.h"
#include "common.h"
#include "context.h"
#include "date_picker.h"
#include "find_difference_window.h"
#include "messages.h"
#include "money.h"
#include "report.h"
#include "statement.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QString kAmountMask = QStringLiteral("#0.00");

} // namespace

frmRECONCILE_CHECKING_ACCOUNT_BALANCES::frmRECONCILE_CHECKING_ACCOUNT_BALANCES(QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    setBankBound(true);
    addCaption(this, QStringLiteral("Reconcile Checking Account Balances"),
               QStringLiteral("Reconcilie los Saldos de cuenta que Verifican"));
    buildControls();
    connect(tbcOK, &QPushButton::clicked, this, &frmRECONCILE_CHECKING_ACCOUNT_BALANCES::onOk);
    followLedgerWrites([this] { followWrite(); });
    connectCommand(tbcFIND_DIFFERENCE, &QPushButton::clicked, [this] { findDifference(); });
    connect(tbcCANCEL, &QPushButton::clicked, this,
            &frmRECONCILE_CHECKING_ACCOUNT_BALANCES::closeWindow);
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::buildControls() {
    auto* grpDETAIL = addControl<QGroupBox>(this, "grpDETAIL", QStringLiteral("Detail"),
                                            QStringLiteral("Detalle"));
    auto* detail = new QGridLayout(grpDETAIL);

    auto label = [&](const char* name, const QString& english, const QString& spanish) {
        return addControl<QLabel>(grpDETAIL, name, english, spanish);
    };
    auto box = [&](const char* name, bool amount) {
        auto* b = addControl<QLineEdit>(grpDETAIL, name);
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
        auto* f = addControl<QFrame>(grpDETAIL, name);
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

    dbxSTMDTE = addControl<DatePicker>(grpDETAIL, "dbxSTMDTE");
    dbxSTMDTE->setFixedWidth(130);
    dbxSTMDTE->installEventFilter(this);
    detail->addWidget(label("lblREPDTE", QStringLiteral("Enter Bank Statement Date:"),
                            QStringLiteral("Entre Fecha del Banco Declaración:")),
                      1, 0);
    detail->addWidget(dbxSTMDTE, 1, 1, Qt::AlignRight);

    tbxBNKBAL = addControl<QLineEdit>(grpDETAIL, "tbxBNKBAL");
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
    lblFIGURES_MOVED = addControl<QLabel>(grpDETAIL, "lblFIGURES_MOVED");
    lblFIGURES_MOVED->setWordWrap(true);
    // It wraps within the width the figures take, never widening the window.
    lblFIGURES_MOVED->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblFIGURES_MOVED->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblFIGURES_MOVED->setStyleSheet(QStringLiteral("color: #a00000"));
    lblFIGURES_MOVED->hide();
    detail->addWidget(lblFIGURES_MOVED, 9, 0, 1, 2);

    QGroupBox* grpCONTROL = addControlFrame(
        {{tbcFIND_DIFFERENCE, "tbcFIND_DIFFERENCE", QStringLiteral("Find the &Difference"),
          QStringLiteral("Buscar la &Diferencia")},
         {tbcOK, "tbcOK", QStringLiteral("&OK"), QStringLiteral("Bueno")},
         {tbcCANCEL, "tbcCANCEL", QStringLiteral("&Cancel"), QStringLiteral("Cancele")}});
    tbcFIND_DIFFERENCE->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpDETAIL);
    layout->addWidget(grpCONTROL);
    layout->addStretch(1);

    setTabOrder(dbxSTMDTE, tbxBNKBAL);
    setTabOrder(tbxBNKBAL, tbcOK);
    setTabOrder(tbcCANCEL, tbcFIND_DIFFERENCE);
    setTabOrder(tbcOK, tbcCANCEL);
    setFocusProxy(dbxSTMDTE);
}

QString frmRECONCILE_CHECKING_ACCOUNT_BALANCES::mode() const {
    return m_month.mode == ledger::Month::Mode::Add ? QStringLiteral("ADD")
                                                    : QStringLiteral("UPDATE");
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::loadWindow() {
    prcCLEAR_FIELDS();
    prcLOAD_RECONCILIATION();
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcCLEAR_FIELDS() {
    m_month = ledger::Month();
    tbxMONTH->clear();
    tbxYEAR->clear();
    dbxSTMDTE->setDate(today().addMonths(-1));
    for (QLineEdit* b : {tbxBNKBAL, tbxOUTSTD, tbxADJBAL, tbxEOMBAL, tbxOVRSHT})
        b->setText(QStringLiteral("0.00"));
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcLOAD_RECONCILIATION() {
    // Until the whole month is read, OK stays off: a month half read would be saved as a row
    // of zeros.
    tbcOK->setEnabled(false);
    m_month = ledger::loadMonth(db(), shared().wrkBACNBR, today());
    tbxMONTH->setText(m_month.monthText());
    tbxYEAR->setText(m_month.yearText());
    dbxSTMDTE->setDateNumber(m_month.statementDate);
    tbxBNKBAL->setText(formatNumber(m_month.bankBalance, kAmountMask));
    m_balanceEntered = m_month.saved;
    m_outstandingBefore = m_month.saved ? m_month.savedOutstanding : m_month.outstanding;
    m_ledgerBefore = m_month.saved ? m_month.savedLedgerBalance : m_month.ledgerBalance;
    showFigures();
    tbcOK->setEnabled(true);
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::showFigures() {
    tbxOUTSTD->setText(formatNumber(m_month.outstanding, kAmountMask));
    tbxADJBAL->setText(formatNumber(m_month.adjustedBalance, kAmountMask));
    tbxEOMBAL->setText(formatNumber(m_month.ledgerBalance, kAmountMask));
    tbxOVRSHT->setText(formatNumber(m_month.difference, kAmountMask));
    tbcFIND_DIFFERENCE->setEnabled(m_balanceEntered && roundToCents(m_month.difference) != 0);
    const QString moved = ledger::figuresMoved(m_outstandingBefore, m_ledgerBefore, m_month,
                                               m_month.saved, shared().spanish());
    lblFIGURES_MOVED->setText(moved);
    if (moved.isEmpty() == lblFIGURES_MOVED->isHidden())
        return;
    lblFIGURES_MOVED->setVisible(!moved.isEmpty());
    // The window grows to show the line whole: it may say two things, over two lines each.
    lblFIGURES_MOVED->setMinimumHeight(moved.isEmpty() ? 0 : fontMetrics().lineSpacing() * 4);
    layout()->activate();
    const QSize wanted = size().expandedTo(minimumSizeHint());
    if (QMdiSubWindow* f = frame())
        f->resize(f->size() + (wanted - size()));
    else
        resize(wanted);
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::followWrite() {
    // A month not read whole, or being saved by this window, has nothing to follow.
    if (!tbcOK->isEnabled() || m_saving)
        return;
    // The statement date and bank balance stay as the clerk entered them (or the import
    // offered them); a balance still being typed is taken when the clerk leaves the box.
    m_month.statementDate = dbxSTMDTE->dateNumber();
    ledger::refreshFigures(db(), bankLoaded(), today(), m_month);
    showFigures();
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::prcCALCULATE_BALANCES(double bankBalance) {
    m_month.setBankBalance(bankBalance);
    tbxBNKBAL->setText(fncFORMAT_RIGHT(m_month.bankBalance, kAmountMask));
    showFigures();
}

std::optional<double> frmRECONCILE_CHECKING_ACCOUNT_BALANCES::typedBankBalance() const {
    // Read as the clerk writes money ("$1,234.56", "-12.5"); letters, or separators out of
    // place, would be read as a different amount than the clerk meant.
    const QString text = tbxBNKBAL->text().trimmed();
    if (text.isEmpty())
        return 0.0;
    bool ok = false;
    const double amount = parseAmount(text, false, &ok);
    if (ok && std::isfinite(amount))
        return amount;
    return std::nullopt;
}

std::optional<double> frmRECONCILE_CHECKING_ACCOUNT_BALANCES::bankBalance() {
    if (const std::optional<double> amount = typedBankBalance())
        return amount;
    showMessage(shared().spanish()
                    ? QStringLiteral("El saldo según el estado del banco debe ser un número, "
                                     "por ejemplo 1234.56.")
                    : QStringLiteral("The balance as per bank statement must be a number, "
                                     "for example 1234.56."));
    tbxBNKBAL->setFocus();
    return std::nullopt;
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::completeBankBalance() {
    const std::optional<double> amount = bankBalance();
    if (!amount)
        return;
    m_balanceEntered = true;
    prcCALCULATE_BALANCES(*amount);
    tbcOK->setFocus();
}

bool frmRECONCILE_CHECKING_ACCOUNT_BALANCES::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tbxBNKBAL) {
        if (event->type() == QEvent::FocusIn) {
            m_entryStarted = false;
        } else if (event->type() == QEvent::FocusOut) {
            // Left with the mouse: the figures follow the balance as they do on Enter. A
            // message box or another window taking the focus is no leaving of the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                if (const std::optional<double> amount = typedBankBalance()) {
                    m_balanceEntered = m_balanceEntered || m_entryStarted;
                    prcCALCULATE_BALANCES(*amount);
                }
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
    const std::optional<double> amount = bankBalance();
    if (!amount)
        return;
    // The figures are shown as they are stored.
    prcCALCULATE_BALANCES(*amount);
    m_month.statementDate = dbxSTMDTE->dateNumber();
    m_saving = true;
    const bool saved =
        runCommand([this] { ledger::saveMonth(db(), shared().wrkBACNBR, m_month, today()); });
    m_saving = false;
    if (saved)
        closeWindow();
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::offerStatement(int statementDate, double bankBalance) {
    if (statementDate > 0)
        dbxSTMDTE->setDateNumber(statementDate);
    m_balanceEntered = true;
    prcCALCULATE_BALANCES(bankBalance);
}

void frmRECONCILE_CHECKING_ACCOUNT_BALANCES::findDifference() {
    m_month.statementDate = dbxSTMDTE->dateNumber();
    if (auto* window = open<frmFIND_DIFFERENCE>())
        window->setMonth(m_month);
}
