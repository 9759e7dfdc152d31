#include "import_bank_statement.h"

#include "account_adjustments.h"
#include "clear_transactions.h"
#include "common.h"
#include "context.h"
#include "find_difference.h"
#include "import_session.h"
#include "ledger.h"
#include "list_view.h"
#include "messages.h"
#include "reconcile_balances.h"
#include "report.h"
#include "settings.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kColDate = 0;
constexpr int kColCheck = 1;
constexpr int kColAmount = 2;
constexpr int kColDescription = 3;
constexpr int kColMatched = 4;
constexpr int kColWhy = 5;
constexpr int kColAction = 6;
constexpr int kCols = 7;

const QString kSection = QStringLiteral("ImportBankStatement");

// Row colours by state: matched, needs a choice, no match, already cleared.
const QColor kStateColours[] = {QColor(192, 255, 192), QColor(255, 236, 160), QColor(255, 192, 192),
                                QColor(216, 216, 216)};

QString say(const char* english, const char* spanish) {
    return QString::fromUtf8(shared().spanish() ? spanish : english);
}

QString amountText(double amount) {
    return formatNumber(amount, QStringLiteral("###0.00"));
}

QString lineText(const ledger::Line& l) {
    QStringList parts{fncFORMAT_DATE(l.date)};
    if (l.check != 0)
        parts << QString::number(l.check);
    parts << l.description;
    return parts.join(QStringLiteral("  "));
}

// The columns of the account's CSV export, set once and kept.
class CsvColumnsDialog : public QDialog {
public:
    CsvColumnsDialog(const CsvMapping& m, QWidget* parent) : QDialog(parent) {
        setObjectName(QStringLiteral("dlgCSV_COLUMNS"));
        setWindowTitle(say("CSV Columns", "Columnas CSV"));
        auto* form = new QFormLayout(this);
        auto column = [&](const char* name, const char* english, const char* spanish, int value) {
            auto* box = new QSpinBox(this);
            box->setObjectName(QLatin1String(name));
            box->setRange(0, 99);
            box->setSpecialValueText(say("none", "ninguna"));
            box->setValue(value);
            form->addRow(say(english, spanish), box);
            return box;
        };
        m_date = column("tbxDATE_COLUMN", "Date column:", "Columna de la fecha:", m.dateColumn);
        m_order = new QComboBox(this);
        m_order->setObjectName(QStringLiteral("cbxDATE_ORDER"));
        m_order->addItems({QStringLiteral("MDY"), QStringLiteral("DMY"), QStringLiteral("YMD")});
        m_order->setCurrentText(m.dateOrder);
        form->addRow(say("Date order:", "Orden de la fecha:"), m_order);
        m_amount =
            column("tbxAMOUNT_COLUMN",
                   "Amount column (signed):", "Columna del importe (con signo):", m.amountColumn);
        m_debit =
            column("tbxDEBIT_COLUMN", "or Debit column:", "o columna de cargos:", m.debitColumn);
        m_credit = column("tbxCREDIT_COLUMN",
                          "and Credit column:", "y columna de abonos:", m.creditColumn);
        m_check = column("tbxCHECK_COLUMN",
                         "Check number column:", "Columna del número de cheque:", m.checkColumn);
        m_description =
            column("tbxDESCRIPTION_COLUMN",
                   "Description column:", "Columna de la descripción:", m.descriptionColumn);
        m_comma = new QCheckBox(say("Decimal comma (1.234,56)", "Coma decimal (1.234,56)"), this);
        m_comma->setObjectName(QStringLiteral("chkDECIMAL_COMMA"));
        m_comma->setChecked(m.decimalComma);
        form->addRow(m_comma);
        m_skip = column("tbxSKIP_LINES",
                        "Lines to skip at the top:", "Líneas a saltar al principio:", m.skipLines);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        form->addRow(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }

    CsvMapping mapping() const {
        CsvMapping m;
        m.dateColumn = m_date->value();
        m.dateOrder = m_order->currentText();
        m.amountColumn = m_amount->value();
        m.debitColumn = m_debit->value();
        m.creditColumn = m_credit->value();
        m.checkColumn = m_check->value();
        m.descriptionColumn = m_description->value();
        m.decimalComma = m_comma->isChecked();
        m.skipLines = m_skip->value();
        return m;
    }

private:
    QSpinBox *m_date, *m_amount, *m_debit, *m_credit, *m_check, *m_description, *m_skip;
    QComboBox* m_order;
    QCheckBox* m_comma;
};

} // namespace

// The statement's lines beside what they matched, read from the import session when the view
// shows them; each row coloured by its state, a chosen line counting as matched.
class frmIMPORT_BANK_STATEMENT::LinesModel : public QAbstractTableModel {
public:
    LinesModel(const import_session::Session& session, QObject* parent)
        : QAbstractTableModel(parent), m_session(session) {}

    // The session matched its lines anew.
    void reload() {
        beginResetModel();
        endResetModel();
    }
    // The clerk chose a line for this row.
    void rowChanged(int s) { Q_EMIT dataChanged(index(s, 0), index(s, kCols - 1)); }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_session.matches().size()); // a match a line
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kCols;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const char* const english[] = {"Date",         "Check", "Amount", "Bank Description",
                                              "Matched Line", "Why",   ""};
        static const char* const spanish[] = {
            "Fecha",   "Cheque", "Importe", "Descripción del Banco", "Línea Conciliada",
            "Por Qué", ""};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= kCols)
            return {};
        return say(english[section], spanish[section]);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        const int s = index.row();
        const int col = index.column();
        const Match& m = m_session.matches().at(s);
        switch (role) {
        case Qt::DisplayRole:
            return text(s, col);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(
                (col == kColCheck || col == kColAmount ? Qt::AlignRight : Qt::AlignLeft) |
                Qt::AlignVCenter));
        case Qt::BackgroundRole:
            return kStateColours[int(m.state == MatchState::NeedsChoice && m_session.chosen(s) >= 0
                                         ? MatchState::Matched
                                         : m.state)];
        default:
            return {};
        }
    }

private:
    QString text(int s, int col) const {
        const StatementLine& b = m_session.statement().lines.at(s);
        const Match& m = m_session.matches().at(s);
        const auto& open = m_session.open();
        switch (col) {
        case kColDate:
            return fncFORMAT_DATE(b.date);
        case kColCheck:
            return b.check ? QString::number(b.check) : QString();
        case kColAmount:
            return amountText(centsToUnits(b.cents));
        case kColDescription:
            return b.description;
        case kColMatched:
            if (m.lines.size() == 1)
                return lineText(open.at(m.lines.first()));
            if (m.lines.size() > 1)
                return say("%1 deposits of %2", "%1 depósitos del %2")
                    .arg(m.lines.size())
                    .arg(fncFORMAT_DATE(open.at(m.lines.first()).date));
            return {};
        case kColWhy:
            return m.why;
        default:
            return {};
        }
    }

    const import_session::Session& m_session;
};

frmIMPORT_BANK_STATEMENT::frmIMPORT_BANK_STATEMENT(QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    setBankBound(true);
    addCaption(this, QStringLiteral("Import Bank Statement"),
               QStringLiteral("Importar Estado de Cuenta Bancario"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFileRow());
    layout->addWidget(buildGrid(), 1);
    layout->addWidget(addControlFrame(tbcOK, tbcCANCEL));
    resize(1100, 600);

    connect(tbxFILE, &QLineEdit::returnPressed, this,
            [this] { loadFile(tbxFILE->text().trimmed()); });
    connect(tbcBROWSE, &QPushButton::clicked, this, &frmIMPORT_BANK_STATEMENT::browse);
    connect(tbcCOLUMNS, &QPushButton::clicked, this, &frmIMPORT_BANK_STATEMENT::editColumns);
    connect(tbxDAYS, &QSpinBox::valueChanged, this, [this](int days) {
        saveSetting(kSection, QStringLiteral("DAYS"), QString::number(days));
        if (!m_session.statement().lines.isEmpty())
            runCommand([this] { matchLines(); });
    });
    connectCommand(tbcOK, &QPushButton::clicked, [this] { onOk(); });
    connect(tbcCANCEL, &QPushButton::clicked, this, &frmIMPORT_BANK_STATEMENT::closeWindow);
}

// The view lets go of the model before the session it reads goes.
frmIMPORT_BANK_STATEMENT::~frmIMPORT_BANK_STATEMENT() {
    grdSTATEMENT->setModel(nullptr);
}

QGroupBox* frmIMPORT_BANK_STATEMENT::buildFileRow() {
    auto* grpFILE = addControl<QGroupBox>(this, "grpFILE", QStringLiteral("Statement File"),
                                          QStringLiteral("Archivo del Estado de Cuenta"));
    tbxFILE = addControl<QLineEdit>(grpFILE, "tbxFILE");
    tbcBROWSE = addControl<QPushButton>(grpFILE, "tbcBROWSE", QStringLiteral("&Browse..."),
                                        QStringLiteral("Buscar..."));
    tbcCOLUMNS = addControl<QPushButton>(grpFILE, "tbcCOLUMNS", QStringLiteral("CSV Columns..."),
                                         QStringLiteral("Columnas CSV..."));
    auto* lblDAYS = addControl<QLabel>(grpFILE, "lblDAYS", QStringLiteral("Days apart:"),
                                       QStringLiteral("Días de diferencia:"));
    tbxDAYS = addControl<QSpinBox>(grpFILE, "tbxDAYS");
    tbxDAYS->setRange(0, 60);
    lblDAYS->setBuddy(tbxDAYS);
    auto* fileRow = new QHBoxLayout(grpFILE);
    fileRow->addWidget(tbxFILE, 1);
    fileRow->addWidget(tbcBROWSE);
    fileRow->addWidget(tbcCOLUMNS);
    fileRow->addSpacing(12);
    fileRow->addWidget(lblDAYS);
    fileRow->addWidget(tbxDAYS);
    return grpFILE;
}

QGroupBox* frmIMPORT_BANK_STATEMENT::buildGrid() {
    auto* grpDETAIL = addControl<QGroupBox>(this, "grpDETAIL", QStringLiteral("Detail"),
                                            QStringLiteral("Detalle"));
    grdSTATEMENT = addControl<ListView>(grpDETAIL, "grdSTATEMENT");
    m_lines = new LinesModel(m_session, this);
    grdSTATEMENT->setModel(m_lines);
    grdSTATEMENT->setGridBackground(QColor(224, 224, 224));
    grdSTATEMENT->setRowHighlight(true);
    const int widths[kCols] = {900, 700, 1000, 2600, 3000, 4200, 1700};
    for (int c = 0; c < kCols; ++c)
        grdSTATEMENT->setColWidthTwips(c, widths[c]);
    grdSTATEMENT->widenColumns({{kColDate, fncFORMAT_DATE(20241231)},
                                {kColCheck, QStringLiteral("000000")},
                                {kColAmount, QStringLiteral("-00000.00")}});
    lblSTATEMENT = addControl<QLabel>(grpDETAIL, "lblSTATEMENT");
    lblCOUNTS = addControl<QLabel>(grpDETAIL, "lblCOUNTS");
    auto* detail = new QVBoxLayout(grpDETAIL);
    // What the file holds beside this statement, and balances that do not add up.
    lblNOTES = addControl<QLabel>(grpDETAIL, "lblNOTES");
    lblNOTES->setWordWrap(true);
    lblNOTES->setVisible(false);
    detail->addWidget(lblNOTES);
    detail->addWidget(grdSTATEMENT, 1);
    detail->addWidget(lblSTATEMENT);
    detail->addWidget(lblCOUNTS);
    return grpDETAIL;
}

QString frmIMPORT_BANK_STATEMENT::setting(const QString& key) const {
    return import_session::accountSetting(key, shared().wrkBACNBR);
}

void frmIMPORT_BANK_STATEMENT::saveAccountSetting(const QString& key, const QString& value) const {
    import_session::saveAccountSetting(key, shared().wrkBACNBR, value);
}

void frmIMPORT_BANK_STATEMENT::loadWindow() {
    // A reload for another account starts over: the statement belonged to the old one.
    m_session = import_session::Session(shared().wrkBACNBR);
    tbxFILE->clear();
    lblNOTES->clear();
    lblNOTES->setVisible(false);
    const QString days = getSetting(kSection, QStringLiteral("DAYS"));
    const QSignalBlocker quiet(tbxDAYS);
    tbxDAYS->setValue(days.isEmpty() ? MatchOptions().days : days.toInt());
    fillGrid();
}

bool frmIMPORT_BANK_STATEMENT::loadFile(const QString& path) {
    if (path.isEmpty())
        return false;
    // A new session: what is on screen stays until the new file is read, checked and matched.
    import_session::Session next(shared().wrkBACNBR);
    StatementFile file;
    try {
        file = next.read(path);
    } catch (const StatementError& e) {
        showMessage(e.message(shared().spanish()));
        return false;
    }
    QString account;
    if (!chooseAccount(next, file, &account))
        return false;
    ReadFault refusal;
    if (!next.take(file, account, &refusal)) {
        showMessage(shared().spanish() ? refusal.spanish : refusal.english);
        return false;
    }
    bool loaded = false;
    runCommand([&] {
        next.match(ledger::openLines(db(), shared().wrkBACNBR), matchOptions());
        m_session = std::move(next);
        QStringList notes;
        for (const ReadFault& w : m_session.notes())
            notes << (shared().spanish() ? w.spanish : w.english);
        lblNOTES->setText(notes.join(QLatin1Char('\n')));
        lblNOTES->setVisible(!notes.isEmpty());
        if (tbxFILE->text() != path)
            tbxFILE->setText(path);
        saveAccountSetting(QStringLiteral("FOLDER"), QFileInfo(path).absolutePath());
        fillGrid();
        loaded = true;
    });
    return loaded;
}

bool frmIMPORT_BANK_STATEMENT::chooseAccount(const import_session::Session& session,
                                             const StatementFile& file, QString* account) {
    using Kind = import_session::AccountPick::Kind;
    const import_session::AccountPick pick = session.pick(file);
    *account = pick.account;
    switch (pick.kind) {
    case Kind::Known:
        return true;
    case Kind::OnlyOne:
        // Asked once: the answer is what the next statements are known by.
        if (!askQuestion(say("Statements of account %1 belong to bank account %2?",
                             "¿Los estados de cuenta de la cuenta %1 son de la cuenta bancaria "
                             "%2?")
                             .arg(pick.account, QString::number(shared().wrkBACNBR))))
            return false;
        session.rememberAccount(pick.account);
        return true;
    case Kind::Other:
        return askQuestion(say("The statement is for account %1, but this bank account's "
                               "statements were for account %2. Go on with it?",
                               "El estado de cuenta es de la cuenta %1, pero los de esta cuenta "
                               "bancaria eran de la cuenta %2. ¿Seguir con él?")
                               .arg(pick.account, setting(QStringLiteral("ACCOUNT"))));
    case Kind::Several:
        break;
    }
    bool ok = false;
    *account = QInputDialog::getItem(this, windowTitle(),
                                     say("The file holds statements of several accounts. Which "
                                         "one belongs to bank account %1?",
                                         "El archivo contiene estados de cuenta de varias "
                                         "cuentas. ¿Cuál es de la cuenta bancaria %1?")
                                         .arg(shared().wrkBACNBR),
                                     pick.accounts, 0, false, &ok);
    if (ok) // the clerk's pick is what the next statements are known by
        session.rememberAccount(*account);
    return ok;
}

MatchOptions frmIMPORT_BANK_STATEMENT::matchOptions() const {
    MatchOptions options;
    options.days = tbxDAYS->value();
    options.spanish = shared().spanish();
    return options;
}

void frmIMPORT_BANK_STATEMENT::matchLines() {
    m_session.match(m_session.open(), matchOptions());
    fillGrid();
}

void frmIMPORT_BANK_STATEMENT::fillGrid() {
    m_lines->reload(); // the row widgets go with the rows they stood in
    const QVector<Match>& matches = m_session.matches();
    const auto& open = m_session.open();
    // The row widgets: a choice among the candidates, and the way to an adjustment.
    for (int s = 0; s < matches.size(); ++s) {
        const Match& m = matches.at(s);
        const int row = s + 1;
        if (m.state == MatchState::NeedsChoice) {
            auto* choice = new QComboBox;
            choice->setObjectName(QStringLiteral("cbxMATCH%1").arg(row));
            choice->addItem(say("(choose the line)", "(elija la línea)"), -1);
            for (int i : m.candidates)
                choice->addItem(lineText(open.at(i)) + QStringLiteral("  ") +
                                    amountText(std::abs(open.at(i).amount)),
                                i);
            connect(choice, &QComboBox::activated, this, [this, row, choice](int index) {
                rowChoiceMade(row, choice->itemData(index).toInt());
            });
            grdSTATEMENT->setIndexWidget(grdSTATEMENT->model()->index(row - 1, kColMatched),
                                         choice);
        } else if (m.state == MatchState::NoMatch) {
            auto* add = new QPushButton(say("Add as Adjustment", "Agregar como Ajuste"));
            add->setObjectName(QStringLiteral("tbcADJUSTMENT%1").arg(row));
            connect(add, &QPushButton::clicked, this, [this, row] { addAsAdjustment(row); });
            // The column is as wide as the button's caption, in either language.
            if (grdSTATEMENT->columnWidth(kColAction) < add->sizeHint().width())
                grdSTATEMENT->setColumnWidth(kColAction, add->sizeHint().width());
            grdSTATEMENT->setIndexWidget(grdSTATEMENT->model()->index(row - 1, kColAction), add);
        }
    }
    showSummary();
    // The clerk's work starts at the first line that needs a choice or has no match, else at
    // the first matched one; scrolled there once the grid has laid out its new rows.
    auto first = [&matches](std::initializer_list<MatchState> states) {
        for (int s = 0; s < matches.size(); ++s)
            if (std::find(states.begin(), states.end(), matches.at(s).state) != states.end())
                return s;
        return -1;
    };
    int s = first({MatchState::NeedsChoice, MatchState::NoMatch});
    if (s < 0)
        s = first({MatchState::Matched});
    if (s >= 0)
        QTimer::singleShot(0, grdSTATEMENT, [grid = grdSTATEMENT, s] {
            if (s >= grid->model()->rowCount())
                return;
            grid->setCurrentIndex(grid->model()->index(s, 0));
            grid->scrollTo(grid->model()->index(s, 0), QAbstractItemView::PositionAtCenter);
        });
}

void frmIMPORT_BANK_STATEMENT::showSummary() {
    if (m_session.statement().lines.isEmpty()) {
        lblSTATEMENT->clear();
        lblCOUNTS->clear();
        return;
    }
    const Statement& s = m_session.statement();
    auto balance = [](bool has, Cents value) {
        return has ? formatNumber(centsToUnits(value), QStringLiteral("#0.00"))
                   : QStringLiteral("-");
    };
    lblSTATEMENT->setText(say("Account %1   Period %2 to %3   Opening balance %4   Closing "
                              "balance %5",
                              "Cuenta %1   Período %2 al %3   Saldo inicial %4   Saldo final %5")
                              .arg(s.account.isEmpty() ? QStringLiteral("-") : s.account)
                              .arg(fncFORMAT_DATE(s.periodStart), fncFORMAT_DATE(s.periodEnd))
                              .arg(balance(s.hasOpening, s.opening))
                              .arg(balance(s.hasClosing, s.closing)));
    const QVector<int> counts = m_session.counts();
    lblCOUNTS->setText(say("Matched %1   Needs a choice %2   No match %3   Already cleared %4",
                           "Conciliadas %1   Por elegir %2   Sin pareja %3   Ya vaciadas %4")
                           .arg(counts[0])
                           .arg(counts[1])
                           .arg(counts[2])
                           .arg(counts[3]));
}

void frmIMPORT_BANK_STATEMENT::rowChoiceMade(int row, int candidate) {
    const int s = row - 1;
    const int other = m_session.choose(s, candidate);
    if (other >= 0) {
        showMessage(say("That ledger line is matched to the bank's line of %1 already.",
                        "Esa línea del libro ya está conciliada con la línea del banco del %1.")
                        .arg(fncFORMAT_DATE(m_session.statement().lines.at(other).date)));
        if (auto* choice = qobject_cast<QComboBox*>(
                grdSTATEMENT->indexWidget(grdSTATEMENT->model()->index(row - 1, kColMatched))))
            choice->setCurrentIndex(std::max(0, choice->findData(m_session.chosen(s))));
        return;
    }
    m_lines->rowChanged(s);
}

void frmIMPORT_BANK_STATEMENT::addAsAdjustment(int row) {
    const StatementLine& b = m_session.statement().lines.at(row - 1);
    runCommand([&] {
        if (auto* w = open<frmAUD_ACCOUNT_ADJUSTMENTS>())
            w->prefillFromStatement(b.date, b.description, centsToUnits(b.cents));
    });
}

void frmIMPORT_BANK_STATEMENT::browse() {
    const QString folder = setting(QStringLiteral("FOLDER"));
    const QString path = QFileDialog::getOpenFileName(
        this, say("Bank Statement File", "Archivo del Estado de Cuenta"), folder,
        say("Bank statements (*.ofx *.qfx *.xml *.bai *.bai2 *.txt *.csv);;All files (*)",
            "Estados de cuenta (*.ofx *.qfx *.xml *.bai *.bai2 *.txt *.csv);;Todos (*)"));
    if (path.isEmpty())
        return;
    tbxFILE->setText(path);
    loadFile(path);
}

void frmIMPORT_BANK_STATEMENT::editColumns() {
    CsvColumnsDialog dialog(CsvMapping::fromText(setting(QStringLiteral("CSV"))), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    saveAccountSetting(QStringLiteral("CSV"), dialog.mapping().toText());
    if (!tbxFILE->text().trimmed().isEmpty())
        loadFile(tbxFILE->text().trimmed());
}

void frmIMPORT_BANK_STATEMENT::onOk() {
    // The bank's date of every accepted line, by ledger line.
    QHash<qint64, int> dates;
    for (const import_session::ClearedDate& d : m_session.clearedDates())
        dates.insert(frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::lineKey(d.year, d.line), d.date);
    const Statement& statement = m_session.statement();
    // The month's statement, for the search of its difference.
    reports::rememberStatementFile(shared().wrkBACNBR, statement.statementDate(),
                                   tbxFILE->text().trimmed());
    if (statement.hasClosing)
        if (auto* w = open<frmRECONCILE_CHECKING_ACCOUNT_BALANCES>())
            w->offerStatement(statement.statementDate(), centsToUnits(statement.closing));
    if (!dates.isEmpty()) {
        auto* clear = open<frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT>();
        const int listed = clear ? clear->setClearedDates(dates) : 0;
        if (listed < dates.size())
            showMessage(say("%1 of the matched lines are no longer listed in the Clear window; "
                            "another clerk may have reconciled them.",
                            "%1 de las líneas conciliadas ya no aparecen en la ventana de "
                            "vaciado; otro empleado pudo haberlas reconciliado.")
                            .arg(dates.size() - listed));
    }
    closeWindow();
}
