// The calculator driven through its keys and its buttons: how texts read as numbers, the
// adding-machine sequences with leading operations, division by zero, and the keys that do
// nothing.

#include "calculator.h"
#include "context.h"
#include "test_support.h"
#include <QDir>

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

QString total(QWidget* w) {
    return w->findChild<QLineEdit*>(QStringLiteral("tbxTOTAMT"))->text();
}
QString entry(QWidget* w) {
    return w->findChild<QLineEdit*>(QStringLiteral("tbxCURAMT"))->text();
}

// The button of one key of a sequence: "=" equal, "H" clear entry, "N" clear all.
QPushButton* buttonFor(QWidget* w, QChar key) {
    QString name;
    switch (key.unicode()) {
    case u'.':
        name = QStringLiteral("tbcDECIMAL");
        break;
    case u'+':
        name = QStringLiteral("tbcADD");
        break;
    case u'-':
        name = QStringLiteral("tbcSUBTRACT");
        break;
    case u'*':
        name = QStringLiteral("tbcMULTIPLY");
        break;
    case u'/':
        name = QStringLiteral("tbcDIVIDE");
        break;
    case u'=':
        name = QStringLiteral("tbcEQUAL");
        break;
    case u'H':
        name = QStringLiteral("tbcCE");
        break;
    case u'N':
        name = QStringLiteral("tbcCLEAR");
        break;
    default:
        name = QStringLiteral("tbc") + key;
    }
    return w->findChild<QPushButton*>(name);
}

// Types one key of a sequence on the keyboard, to whichever control has the focus: "=" is
// Enter, "H" Home, "N" End; anything else is typed as it is.
void typeKey(QWidget* w, QChar key) {
    QWidget* target = w->focusWidget() ? w->focusWidget() : w;
    if (key == u'=')
        QTest::keyClick(target, Qt::Key_Return);
    else if (key == u'H')
        QTest::keyClick(target, Qt::Key_Home);
    else if (key == u'N')
        QTest::keyClick(target, Qt::Key_End);
    else
        QTest::keyClicks(target, QString(key));
}

frmCALCULATOR* openCalculator() {
    auto* w = new frmCALCULATOR;
    w->load();
    w->show();
    return w;
}

} // namespace

class TestCalculator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void valueOfText_data();
    void valueOfText();
    void sequences_data();
    void sequences();
    void keysReachWindowFromAnyControl();
    void divisionByZeroLeavesWindowUsable();
    void screenshot();

private:
    TestEnvironment env;
};

void TestCalculator::valueOfText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plus sign") << "+3" << 3.0;
    QTest::newRow("minus sign") << "-3" << -3.0;
    QTest::newRow("multiply sign") << "*3" << 0.0;
    QTest::newRow("second point") << "1.2.3" << 1.2;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("leading blank") << " 5" << 0.0;
    QTest::newRow("point first") << "-.5" << -0.5;
    QTest::newRow("trailing text") << "12abc" << 12.0;
    QTest::newRow("no exponent") << "2e3" << 2.0;
    QTest::newRow("total") << "-10.00" << -10.0;
}

void TestCalculator::valueOfText() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(calculatorValue(text), value);
}

void TestCalculator::sequences_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("mode");

    QTest::newRow("add then equal") << "12+3="
                                    << "15.00"
                                    << ""
                                    << "";
    QTest::newRow("add then subtract") << "10+3-"
                                       << "7.00"
                                       << ""
                                       << "";
    QTest::newRow("subtract from nothing") << "10-"
                                           << "-10.00"
                                           << ""
                                           << "";
    QTest::newRow("multiply") << "6*7="
                              << "42.00"
                              << ""
                              << "";
    QTest::newRow("divide") << "12/4="
                            << "3.00"
                            << ""
                            << "";
    QTest::newRow("leading minus") << "10+-4="
                                   << "6.00"
                                   << ""
                                   << "";
    QTest::newRow("plus on empty window") << "+"
                                          << ""
                                          << "+"
                                          << "ENTER";
    QTest::newRow("equal on empty window") << "="
                                           << ""
                                           << "+"
                                           << "ENTER";
    QTest::newRow("multiply then equal at once") << "*="
                                                 << "0.00"
                                                 << ""
                                                 << "";
    QTest::newRow("plus after a product entry adds nothing") << "5*7+"
                                                             << "5.00"
                                                             << ""
                                                             << "";
    QTest::newRow("digits join a leading sign") << "-5"
                                                << ""
                                                << "-5"
                                                << "ENTER";
    QTest::newRow("two decimals") << "10/3="
                                  << "3.33"
                                  << ""
                                  << "";
    QTest::newRow("second point stops the value") << "1.2.3+"
                                                  << "1.20"
                                                  << ""
                                                  << "";
    QTest::newRow("chained product") << "2*3=*4="
                                     << "24.00"
                                     << ""
                                     << "";
    QTest::newRow("product of a running total") << "2+3*"
                                                << "6.00"
                                                << ""
                                                << "";
    QTest::newRow("leading divide on a total") << "9+/3="
                                               << "3.00"
                                               << ""
                                               << "";
    QTest::newRow("leading plus") << "9++3="
                                  << "12.00"
                                  << ""
                                  << "";
    QTest::newRow("clear entry") << "5+7H"
                                 << "5.00"
                                 << ""
                                 << "";
    QTest::newRow("clear all") << "5+-N"
                               << ""
                               << ""
                               << "";
    // A minus typed on a pending product is a subtraction of the product's sign: nothing.
    QTest::newRow("minus after a multiply sign") << "3*-2="
                                                 << "5.00"
                                                 << ""
                                                 << "";
}

void TestCalculator::sequences() {
    QFETCH(QString, keys);
    QFETCH(QString, total);
    QFETCH(QString, entry);
    QFETCH(QString, mode);

    // The same sequence on the keyboard and with the mouse.
    for (bool keyboard : {true, false}) {
        QPointer<frmCALCULATOR> w = openCalculator();
        for (QChar key : keys) {
            if (keyboard) {
                typeKey(w, key);
            } else {
                QPushButton* button = buttonFor(w, key);
                QVERIFY2(button, qPrintable(QString(key)));
                QTest::mouseClick(button, Qt::LeftButton);
                // Typing goes on reaching the window after a click.
                QCOMPARE(w->focusWidget(), w->findChild<QPushButton*>(QStringLiteral("tbcEQUAL")));
            }
        }
        const char* how = keyboard ? "keyboard" : "mouse";
        QVERIFY2(::total(w) == total, how);
        QVERIFY2(::entry(w) == entry, how);
        QVERIFY2(w->wrkMODE == mode, how);
        w->closeWindow();
    }
}

void TestCalculator::keysReachWindowFromAnyControl() {
    QPointer<frmCALCULATOR> w = openCalculator();
    auto* entryBox = w->findChild<QLineEdit*>(QStringLiteral("tbxCURAMT"));
    entryBox->setFocus();
    // Each digit lands once; letters, space and the keys of no rule do nothing.
    QTest::keyClicks(entryBox, QStringLiteral("1a2 "));
    QTest::keyClick(entryBox, Qt::Key_Backspace);
    QTest::keyClick(entryBox, Qt::Key_Left);
    QCOMPARE(::entry(w), QStringLiteral("12"));
    QTest::keyClick(entryBox, Qt::Key_Enter);
    QCOMPARE(::total(w), QStringLiteral("12.00"));
    QCOMPARE(env.messages, QStringList());

    QTest::keyClicks(w->focusWidget(), QStringLiteral("'"));
    QCOMPARE(env.messages, QStringList(ChildWindow::quoteMessage()));
    QCOMPARE(::entry(w), QString());
    w->closeWindow();
    env.clearMessages();
}

void TestCalculator::divisionByZeroLeavesWindowUsable() {
    QPointer<frmCALCULATOR> w = openCalculator();
    for (QChar key : QStringLiteral("5/0="))
        typeKey(w, key);
    const QString error = ::total(w);
    QVERIFY(!error.isEmpty());
    QCOMPARE(calculatorValue(error), 0.0); // an error text, no number
    QCOMPARE(::entry(w), QString());
    QCOMPARE(w->wrkMODE, QString());

    // The clerk goes on: the error counts as nothing.
    for (QChar key : QStringLiteral("3+2="))
        typeKey(w, key);
    QCOMPARE(::total(w), QStringLiteral("5.00"));
    for (QChar key : QStringLiteral("/0="))
        typeKey(w, key);
    QCOMPARE(::total(w), error);
    for (QChar key : QStringLiteral("N7+"))
        typeKey(w, key);
    QCOMPARE(::total(w), QStringLiteral("7.00"));
    w->closeWindow();
}

// Saves a picture of the window when BANKREC_SCREENSHOTS names a folder.
void TestCalculator::screenshot() {
    const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("BANKREC_SCREENSHOTS is not set");
    QPointer<frmCALCULATOR> w = openCalculator();
    for (QChar key : QStringLiteral("125+7.5"))
        typeKey(w, key);
    QVERIFY(w->grab().save(QDir(folder).filePath(QStringLiteral("calculator.png"))));
    w->closeWindow();
}

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
