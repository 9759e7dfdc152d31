#pragma once

#include "child_window.h"
#include "database.h"

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Where the administrator names the company's bank account among the cash accounts of the
// fiscal year (written at once) and keeps the bank's name, address, MICR coding line and
// check logo that the suite's check printing reads from the system values (written by OK,
// which then ends the program).
class frmSUBSYSTEM_CONFIGURATION : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmSUBSYSTEM_CONFIGURATION";
    explicit frmSUBSYSTEM_CONFIGURATION(QWidget* parent = nullptr);

    // The system value codes, in the order they are read and written.
    static const std::array<const char*, 7>& valueCodes();

    int wrkGLANBR = 0; // the account marked as the bank account, or the one just chosen
    // Whether a row exists for each code of valueCodes().
    std::array<bool, 7> wrkEXISTS{};

protected:
    void loadWindow() override;

private:
    QGroupBox* buildSettings(); // the bank account and the check printing values
    void prcSYSTEM_VALUE(const QString& action, const QString& code, const QString& text,
                         float number, int flag);
    void prcLEDGER(const QString& action);
    int fiscalYear() const;

    void ledgerChosen(int index);
    void chooseLogo();
    void okClicked();

    QLineEdit* valueBox(int i) const { return m_values.at(size_t(i)); }

    Recordset m_systemValue;
    Recordset m_ledger;

    QGroupBox* grpSETTING;
    QLabel* lblBANK;
    QComboBox* cbxLEDGER;
    QLineEdit* tbxBNKNME;
    QLineEdit* tbxBNKADD;
    QLineEdit* tbxBNKCTY;
    QLineEdit* tbxBNKSTE;
    QLineEdit* tbxBNKZIP;
    QLineEdit* tbxMCRCDE;
    QLineEdit* tbxCHKLGO;
    QPushButton* tbcCHKLGO;
    QGroupBox* grpCONTROL;
    QPushButton* tbcOK;
    QPushButton* tbcCANCEL;
    std::array<QLineEdit*, 7> m_values{};
};
