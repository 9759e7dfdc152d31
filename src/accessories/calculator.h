#pragma once

#include "child_window.h"

class QGridLayout;
class QLineEdit;
class QPushButton;

// The value of a text as the calculator reads it: the longest leading part made of an
// optional sign, digits and at most one point; 0 when there is none ("*3" is 0, "1.2.3" 1.2).
double calculatorValue(const QString& text);
// A number in the total's form, "#0.00".
QString calculatorTotal(double value);

// A desk calculator that works like an adding machine: a number is typed into the entry,
// then the operation that applies to it; the running result stands in the total. An
// operation pressed on an empty entry becomes the sign of the next number, which "=" applies.
class frmCALCULATOR : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmCALCULATOR";
    explicit frmCALCULATOR(QWidget* parent = nullptr);

    QString wrkMODE; // "ENTER": the entry holds a leading operation that "=" still applies

    void digit(QChar d);
    void decimalPoint();
    void clearEntry();
    void clearAll();
    void add();
    void subtract();
    void multiply();
    void divide();
    void equal();

protected:
    void loadWindow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buildDisplay(const char* name, bool bold);
    QGridLayout* buildKeys();
    enum class Operation { Multiply, Divide };
    void multiplyOrDivide(Operation operation);
    void sum(double sign);
    void setTotal(double value);
    // Runs one key's action and gives the focus back to "=", so typing keeps reaching the
    // window's keys.
    void press(void (frmCALCULATOR::*action)());
    bool keyPressed(int key, const QString& text);

    QLineEdit* tbxTOTAMT;
    QLineEdit* tbxCURAMT;
    QPushButton* tbcEQUAL;
};
