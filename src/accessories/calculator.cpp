#include "calculator.h"

#include "common.h"
#include "context.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr int kLeftTwips = 7000;
constexpr int kTopTwips = 505;

const QString kEnter = QStringLiteral("ENTER");

QString divisionByZeroText() {
    return shared().spanish() ? QStringLiteral("No se puede dividir por cero")
                              : QStringLiteral("Cannot divide by zero");
}

QString overflowText() {
    return shared().spanish() ? QStringLiteral("Número demasiado grande")
                              : QStringLiteral("Number too large");
}

} // namespace

double calculatorValue(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        negative = text.at(i++) == QLatin1Char('-');
    const qsizetype start = i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return 0;
    // from_chars reads the C form whatever the program's locale is.
    const QByteArray number = QStringView(text).mid(start, i - start).toLatin1();
    double value = 0;
    const auto [end, error] =
        std::from_chars(number.constData(), number.constData() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    return negative ? -value : value;
}

QString calculatorTotal(double value) {
    return formatNumber(value, QStringLiteral("#0.00"));
}

frmCALCULATOR::frmCALCULATOR(QWidget* parent) : ChildWindow(QLatin1String(kName), parent) {
    setDesignedPosition(kLeftTwips, kTopTwips);
    addCaption(this, QStringLiteral("Calculator"), QStringLiteral("La Calculadora"));
    auto* layout = new QVBoxLayout(this);
    // The total in bold, so the clerk tells the running result from the number being typed.
    layout->addWidget(tbxTOTAMT = buildDisplay("tbxTOTAMT", true));
    layout->addWidget(tbxCURAMT = buildDisplay("tbxCURAMT", false));
    layout->addSpacing(4);
    layout->addLayout(buildKeys());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The window sees every key before the focused control does.
    const auto children = findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
}

QLineEdit* frmCALCULATOR::buildDisplay(const char* name, bool bold) {
    auto* box = addControl<QLineEdit>(this, name);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    box->setFocusPolicy(Qt::ClickFocus);
    QFont font = box->font();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    font.setBold(bold);
    box->setFont(font);
    return box;
}

QGridLayout* frmCALCULATOR::buildKeys() {
    auto* keys = new QGridLayout();
    keys->setSpacing(4);
    const auto key = [this, keys](const char* name, const QString& caption, int row, int col,
                                  int span = 1, const QString& spanish = QString()) {
        auto* button =
            addControl<QPushButton>(this, name, caption, spanish.isEmpty() ? caption : spanish);
        button->setMinimumSize(40, 32);
        button->setAutoDefault(false);
        keys->addWidget(button, row, col, 1, span);
        return button;
    };
    const auto operation = [this](QPushButton* button, void (frmCALCULATOR::*action)()) {
        connect(button, &QPushButton::clicked, this, [this, action] { press(action); });
        return button;
    };
    operation(key("tbcCE", QStringLiteral("C&E"), 0, 0, 2), &frmCALCULATOR::clearEntry);
    operation(key("tbcCLEAR", QStringLiteral("&Clear"), 0, 2, 2, QStringLiteral("Claro")),
              &frmCALCULATOR::clearAll);
    static const char* const digitNames[] = {"tbc0", "tbc1", "tbc2", "tbc3", "tbc4",
                                             "tbc5", "tbc6", "tbc7", "tbc8", "tbc9"};
    for (int d = 0; d <= 9; ++d) {
        const int row = d == 0 ? 4 : 3 - (d - 1) / 3;
        const int col = d == 0 ? 0 : (d - 1) % 3;
        connect(key(digitNames[d], QString::number(d), row, col), &QPushButton::clicked, this,
                [this, d] {
                    digit(QChar(u'0' + d));
                    tbcEQUAL->setFocus();
                });
    }
    operation(key("tbcDIVIDE", QStringLiteral("/"), 1, 3), &frmCALCULATOR::divide);
    operation(key("tbcMULTIPLY", QStringLiteral("X"), 2, 3), &frmCALCULATOR::multiply);
    operation(key("tbcSUBTRACT", QStringLiteral("-"), 3, 3), &frmCALCULATOR::subtract);
    operation(key("tbcADD", QStringLiteral("+"), 4, 3), &frmCALCULATOR::add);
    operation(key("tbcDECIMAL", QStringLiteral("."), 4, 1), &frmCALCULATOR::decimalPoint);
    tbcEQUAL = operation(key("tbcEQUAL", QStringLiteral("="), 4, 2), &frmCALCULATOR::equal);
    return keys;
}

void frmCALCULATOR::loadWindow() {
    tbxTOTAMT->clear();
    tbxCURAMT->clear();
    wrkMODE.clear();
    tbcEQUAL->setFocus();
}

bool frmCALCULATOR::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Copying the total and moving between controls stay the platform's.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        keyPressed(key->key(), key->text());
        return true; // other keys do nothing
    }
    return ChildWindow::eventFilter(watched, event);
}

bool frmCALCULATOR::keyPressed(int key, const QString& text) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        press(&frmCALCULATOR::equal);
        return true;
    case Qt::Key_Home:
        press(&frmCALCULATOR::clearEntry);
        return true;
    case Qt::Key_End:
        press(&frmCALCULATOR::clearAll);
        return true;
    default:
        break;
    }
    if (text.size() != 1)
        return false;
    const QChar c = text.at(0);
    if (c.isDigit() && c.unicode() < 128) {
        digit(c);
        tbcEQUAL->setFocus();
        return true;
    }
    switch (c.unicode()) {
    case u'.':
        press(&frmCALCULATOR::decimalPoint);
        return true;
    case u'+':
        press(&frmCALCULATOR::add);
        return true;
    case u'-':
        press(&frmCALCULATOR::subtract);
        return true;
    case u'*':
        press(&frmCALCULATOR::multiply);
        return true;
    case u'/':
        press(&frmCALCULATOR::divide);
        return true;
    default:
        return false;
    }
}

void frmCALCULATOR::press(void (frmCALCULATOR::*action)()) {
    (this->*action)();
    tbcEQUAL->setFocus();
}

void frmCALCULATOR::digit(QChar d) {
    tbxCURAMT->setText(tbxCURAMT->text() + d);
}

// A second point is kept as typed; the value simply stops at it.
void frmCALCULATOR::decimalPoint() {
    tbxCURAMT->setText(tbxCURAMT->text() + QLatin1Char('.'));
}

void frmCALCULATOR::clearEntry() {
    tbxCURAMT->clear();
}

void frmCALCULATOR::clearAll() {
    wrkMODE.clear();
    tbxTOTAMT->clear();
    tbxCURAMT->clear();
}

void frmCALCULATOR::setTotal(double value) {
    tbxTOTAMT->setText(std::isfinite(value) ? calculatorTotal(value) : overflowText());
}

void frmCALCULATOR::sum(double sign) {
    if (tbxCURAMT->text().isEmpty()) {
        // The sign leads the next number.
        wrkMODE = kEnter;
        tbxCURAMT->setText(sign < 0 ? QStringLiteral("-") : QStringLiteral("+"));
        return;
    }
    wrkMODE.clear();
    setTotal(calculatorValue(tbxTOTAMT->text()) + sign * calculatorValue(tbxCURAMT->text()));
    tbxCURAMT->clear();
}

void frmCALCULATOR::add() {
    sum(1);
}

void frmCALCULATOR::subtract() {
    sum(-1);
}

void frmCALCULATOR::multiply() {
    multiplyOrDivide(Operation::Multiply);
}

void frmCALCULATOR::divide() {
    multiplyOrDivide(Operation::Divide);
}

void frmCALCULATOR::multiplyOrDivide(Operation operation) {
    const QString sign =
        operation == Operation::Multiply ? QStringLiteral("*") : QStringLiteral("/");
    const QString entry = tbxCURAMT->text();
    const QString total = tbxTOTAMT->text();
    if (entry.isEmpty()) {
        wrkMODE = kEnter;
        tbxCURAMT->setText(sign);
        return;
    }
    if (wrkMODE != kEnter && total.isEmpty()) {
        // The first number of a product or quotient becomes the total.
        setTotal(calculatorValue(entry));
        tbxCURAMT->setText(sign);
        wrkMODE = kEnter;
        return;
    }
    // After a leading operation the entry's first character is that operation.
    const double operand = calculatorValue(wrkMODE == kEnter ? entry.mid(1) : entry);
    const double left = calculatorValue(total);
    if (operation == Operation::Divide && operand == 0)
        tbxTOTAMT->setText(divisionByZeroText()); // reads as 0 when the clerk goes on
    else
        setTotal(operation == Operation::Multiply ? left * operand : left / operand);
    tbxCURAMT->clear();
    wrkMODE.clear();
}

void frmCALCULATOR::equal() {
    if (wrkMODE != kEnter) {
        add();
        return;
    }
    const QString entry = tbxCURAMT->text();
    const QChar first = entry.isEmpty() ? QChar() : entry.at(0);
    if (first == QLatin1Char('*'))
        multiply();
    else if (first == QLatin1Char('/'))
        divide();
    else
        add(); // "+", "-" (its sign makes the value negative) or a digit
}
