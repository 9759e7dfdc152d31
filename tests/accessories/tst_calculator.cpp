// The calculator through its keys and buttons: sequences, division by zero, ignored keys.

#include "calculator.h"
#include "test_support.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

QString total(QWidget* w) {
    return w->findChild<QLineEdit*>("tbxTOTAMT")->text();
}
QString entry(QWidget* w) {
    return w->findChild<QLineEdit*>("tbxCURAMT")->text();
}

// Presses one key of a sequence ("=" equal, "H" clear entry, "N" clear all) on its button,
// or types it on the keyboard (Enter, Home, End) to whichever control has the focus.
void press(QWidget* w, QChar key, bool keyboard) {
    if (!keyboard) {
        static const QHash<QChar, QString> names = {
            {'.', "DECIMAL"}, {'+', "ADD"},   {'-', "SUBTRACT"}, {'*', "MULTIPLY"},
            {'/', "DIVIDE"},  {'=', "EQUAL"}, {'H', "CE"},       {'N', "CLEAR"}};
        auto* button = w->findChild<QPushButton*>("tbc" + names.value(key, key));
        if (!button)
            return; // a key of no button is only typed
        QTest::mouseClick(button, Qt::LeftButton);
        // Typing goes on reaching the window after a click.
        QCOMPARE(w->focusWidget(), w->findChild<QPushButton*>("tbcEQUAL"));
        return;
    }
    QWidget* target = w->focusWidget() ? w->focusWidget() : w;
    static const QHash<QChar, Qt::Key> keys = {
        {'=', Qt::Key_Return}, {'H', Qt::Key_Home}, {'N', Qt::Key_End}};
    if (keys.contains(key))
        QTest::keyClick(target, keys.value(key));
    else
        QTest::keyClicks(target, QString(key));
}

} // namespace

class TestCalculator : public QObject {
    Q_OBJECT
    TestEnvironment env;

private Q_SLOTS:
    void keySequencesShowTotalAndEntry_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown"); // total|entry|mode
        const auto row = [](const char* name, const char* keys, const char* shown) {
            QTest::newRow(name) << QString(keys) << QString(shown);
        };
        row("subtract from nothing", "10-", "-10.00||");
        row("divide, two decimals", "10/3=", "3.33||");
        row("leading minus", "10+-4=", "6.00||");
        row("plus on empty window", "+", "|+|ENTER");
        row("plus after a product entry adds nothing", "5*7+", "5.00||");
        row("second point stops the value", "1.2.3+", "1.20||");
        row("chained product", "2*3=*4=", "24.00||");
        row("product of a running total", "2+3*", "6.00||");
        row("leading divide on a total", "9+/3=", "3.00||");
        // Letters and space do nothing, typed on any control (the = key has the focus).
        row("letters and space", "1a2 +", "12.00||");
        row("clear entry", "5+7H", "5.00||");
        row("clear all", "5+-N", "||");
        // A minus typed on a pending product is a subtraction of the product's sign: nothing.
        row("minus after a multiply sign", "3*-2=", "5.00||");
        // Division by zero shows a text that counts as nothing until the clerk goes on.
        row("division by zero", "5/0=", "Cannot divide by zero||");
        row("after division by zero", "5/0=3+2=", "5.00||");
    }
    void keySequencesShowTotalAndEntry() {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        for (const bool keyboard : {true, false}) {
            QPointer<frmCALCULATOR> w = openWindow<frmCALCULATOR>();
            for (const QChar key : keys)
                press(w, key, keyboard);
            QCOMPARE(total(w) + '|' + entry(w) + '|' + w->wrkMODE, shown);
            delete w;
        }
    }
};

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
