#pragma once

#include "child_window.h"

#include <QColor>
#include <QSize>

class QPushButton;
class QTextEdit;

// The help text of the window from which the clerk pressed F1 (or the subsystem overview
// from the Help menu), kept in SYS_USER_HELP by program, window and page together with the
// window size it reads best in. Where the workstation's HELPEDITOR setting is YES the same
// window is the help editor: the text can be formatted, a skeleton inserted, and OK stores
// text and size (an emptied text removes the row).
class frmUSER_HELP : public ChildWindow {
    Q_OBJECT
public:
    static constexpr char kName[] = "frmUSER_HELP";
    explicit frmUSER_HELP(QWidget* parent = nullptr);

    QString mode() const { return wrkMODE; } // "UPDATE" when a text was found, else "ADD"
    bool editorMode() const { return m_editor; }
    void setVisible(bool visible) override;

    // The window's size in twips, frame included, as stored with the text.
    int windowWidthTwips() const;
    int windowHeightTwips() const;
    void setWindowSizeTwips(int width, int height);

    // Runs the statement of the action ("DETAIL", "INSERT", "UPDATE", "DELETE") into
    // rsUSER_HELP.
    void prcUSER_HELP(const QString& action);

protected:
    void loadWindow() override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* addButton(const char* name, const QString& caption, const QColor& letter = {});
    void placeControls();
    void activate();
    void deactivate();
    void copyOnClipboardKey(const QKeyEvent* key);

    void tbcBOLD_Click();
    void tbcCENTER_Click();
    void setColour(const QColor& colour);
    void tbcTEMPLATE_Click();
    void tbcOK_Click();

    QTextEdit* rtbHLPTXT;
    QPushButton* tbcBOLD;
    QPushButton* tbcCENTER;
    QPushButton* tbcBLACK;
    QPushButton* tbcBLUE;
    QPushButton* tbcRED;
    QPushButton* tbcGREEN;
    QPushButton* tbcTEMPLATE;
    QPushButton* tbcOK;
    QPushButton* tbcCANCEL;

    Recordset rsUSER_HELP;
    QString wrkMODE;
    QString m_helpWindow; // the window part of the key
    int wrkPAGE = 0;
    bool m_editor = false;

    // The size asked for in twips, kept while the window keeps the pixel size it gave, so
    // a stored size is stored again unchanged.
    int m_widthTwips = 0;
    int m_heightTwips = 0;
    QSize m_sizeForTwips;
};
