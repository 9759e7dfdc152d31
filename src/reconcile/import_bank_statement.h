#pragma once

#include "child_window.h"
#include "database.h"
#include "import_session.h"
#include "matcher.h"
#include "statement.h"

#include <QHash>
#include <functional>

class ListView;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Reads the bank's statement file for the selected bank account and pairs each of its lines
// with the account's open ledger lines, saying why. Nothing is written here: OK hands the
// bank dates of the accepted lines to the Clear window, where the clerk reviews and saves
// them, and offers the closing date and balance to the Reconcile window. A line the ledger
// lacks (a fee, interest) can be taken to the Adjustments window.
class frmIMPORT_BANK_STATEMENT : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmIMPORT_BANK_STATEMENT";
    explicit frmIMPORT_BANK_STATEMENT(QWidget* parent = nullptr);
    ~frmIMPORT_BANK_STATEMENT() override;

    // Reads the file and matches it; a file that cannot be used is reported and changes
    // nothing on screen. False when nothing was loaded.
    bool loadFile(const QString& path);

    const Statement& statement() const { return m_session.statement(); }
    const QVector<Match>& matches() const { return m_session.matches(); }

protected:
    void loadWindow() override;

private:
    QGroupBox* buildFileRow(); // the file, its CSV columns and the days a date may differ
    QGroupBox* buildGrid();

    QString setting(const QString& key) const;
    void saveAccountSetting(const QString& key, const QString& value) const;
    bool chooseAccount(const import_session::Session& session, const StatementFile& file,
                       QString* account);
    MatchOptions matchOptions() const;
    void matchLines();
    void fillGrid();
    void showSummary();
    void rowChoiceMade(int row, int candidate);
    void addAsAdjustment(int row);
    void browse();
    void editColumns();
    void onOk();

    QLineEdit* tbxFILE;
    QPushButton* tbcBROWSE;
    QPushButton* tbcCOLUMNS;
    QSpinBox* tbxDAYS;
    ListView* grdSTATEMENT;
    QLabel* lblNOTES;
    QLabel* lblSTATEMENT;
    QLabel* lblCOUNTS;
    QPushButton* tbcOK;
    QPushButton* tbcCANCEL;

    import_session::Session m_session;
    class LinesModel; // the statement's lines as the grid shows them
    LinesModel* m_lines = nullptr;
};
