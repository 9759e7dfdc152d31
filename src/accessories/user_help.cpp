#include "user_help.h"

#include "common.h"
#include "company.h"
#include "context.h"
#include "flex_grid.h"
#include "report.h"
#include "rtf.h"
#include "settings.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace {

// The program-wide help page: nothing in this program turns to another page, so it stays 0;
// a viewer that loses the focus sets it back to 0.
int wrkHLPPGE = 0;

// What a sizable window's borders and caption take of its size, so sizes stored by the
// suite's other programs (frame included) show the same text area here.
constexpr int kFrameWidth = 120;
constexpr int kFrameHeight = 420;
constexpr int kMargin = 90;

const QColor kBlack(0, 0, 0);
const QColor kDarkBlue(0, 0, 128);
const QColor kDarkGreen(0, 128, 0);
const QColor kDarkRed(128, 0, 0);

int pixels(int twips) {
    return FlexGrid::twipsToPixels(twips);
}

int twips(int pixelCount) {
    return qRound(pixelCount * 1440.0 / std::max(FlexGrid::twipsToPixels(1440), 1));
}

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(pixels(left), pixels(top), pixels(std::max(width, 0)),
                        pixels(std::max(height, 0)));
}

bool editorSetting() {
    return getSetting(QStringLiteral("Startup"), QStringLiteral("HELPEDITOR")) ==
           QLatin1String("YES");
}

} // namespace

frmUSER_HELP::frmUSER_HELP(QWidget* parent) : ChildWindow(QLatin1String(kName), parent) {
    rtbHLPTXT = addControl<QTextEdit>(this, "rtbHLPTXT");
    rtbHLPTXT->setAcceptRichText(false); // pasted text comes in plain, formatted by the buttons
    rtbHLPTXT->installEventFilter(this);

    tbcBOLD = addButton("tbcBOLD", QStringLiteral("B"));
    QFont bold = tbcBOLD->font();
    bold.setBold(true);
    tbcBOLD->setFont(bold);
    tbcCENTER = addButton("tbcCENTER", QStringLiteral("<C>"));
    tbcBLACK = addButton("tbcBLACK", QStringLiteral("B"), kBlack);
    tbcBLUE = addButton("tbcBLUE", QStringLiteral("B"), kDarkBlue);
    tbcRED = addButton("tbcRED", QStringLiteral("R"), kDarkRed);
    tbcGREEN = addButton("tbcGREEN", QStringLiteral("G"), kDarkGreen);
    tbcTEMPLATE = addButton("tbcTEMPLATE", QStringLiteral("Template"));
    tbcOK = addButton("tbcOK", QStringLiteral("OK"));
    tbcCANCEL = addButton("tbcCANCEL", QStringLiteral("Cancel"));
    // The formatting buttons leave the focus, and so the selection, in the text.
    for (QPushButton* button :
         {tbcBOLD, tbcCENTER, tbcBLACK, tbcBLUE, tbcRED, tbcGREEN, tbcTEMPLATE})
        button->setFocusPolicy(Qt::NoFocus);

    addCaption(this, QStringLiteral("User Help"), QStringLiteral("La Ayuda del usuario"));
    setHelpKey(false); // F1 in the help window is no question for another help window

    connect(tbcBOLD, &QPushButton::clicked, this, &frmUSER_HELP::tbcBOLD_Click);
    connect(tbcCENTER, &QPushButton::clicked, this, &frmUSER_HELP::tbcCENTER_Click);
    connect(tbcBLACK, &QPushButton::clicked, this, [this] { setColour(kBlack); });
    connect(tbcBLUE, &QPushButton::clicked, this, [this] { setColour(kDarkBlue); });
    connect(tbcRED, &QPushButton::clicked, this, [this] { setColour(kDarkRed); });
    connect(tbcGREEN, &QPushButton::clicked, this, [this] { setColour(kDarkGreen); });
    connect(tbcTEMPLATE, &QPushButton::clicked, this, &frmUSER_HELP::tbcTEMPLATE_Click);
    connect(tbcOK, &QPushButton::clicked, this, &frmUSER_HELP::tbcOK_Click);
    connect(tbcCANCEL, &QPushButton::clicked, this, &ChildWindow::closeWindow);
}

QPushButton* frmUSER_HELP::addButton(const char* name, const QString& caption,
                                     const QColor& letter) {
    auto* button = new QPushButton(this);
    button->setObjectName(QLatin1String(name));
    addCaption(button, caption, caption);
    if (letter.isValid()) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, letter);
        button->setPalette(palette);
    }
    button->installEventFilter(this);
    return button;
}

void frmUSER_HELP::loadWindow() {
    wrkPAGE = wrkHLPPGE;
    // The key is this window's own: F1 pressed inside it asks for another help text.
    m_helpWindow = shared().wrkHLPFRM;
    m_editor = editorSetting();
    move(pixels(1000), pixels(500));
    int height = m_editor ? 7400 : 6825;
    int width = m_helpWindow.isEmpty() ? 10000 : 6000;
    rtbHLPTXT->setReadOnly(!m_editor);
    for (QPushButton* button :
         {tbcBOLD, tbcCENTER, tbcBLACK, tbcBLUE, tbcRED, tbcGREEN, tbcTEMPLATE, tbcOK, tbcCANCEL})
        button->setVisible(m_editor);

    // Without an answer from the database the window is one without text.
    wrkMODE = QStringLiteral("ADD");
    rtbHLPTXT->clear();
    tbcTEMPLATE->setEnabled(true);
    setWindowSizeTwips(width, height);

    prcUSER_HELP(QStringLiteral("DETAIL"));
    if (!rsUSER_HELP.eof()) {
        wrkMODE = QStringLiteral("UPDATE");
        tbcTEMPLATE->setEnabled(false);
        if (const int stored = int(fncFIELD_NUMBER(rsUSER_HELP, QStringLiteral("hlpWIDTH")));
            stored > 0)
            width = stored;
        if (const int stored = int(fncFIELD_NUMBER(rsUSER_HELP, QStringLiteral("hlpHEIGHT")));
            stored > 0)
            height = stored;
        rtf::toDocument(rsUSER_HELP.field(QStringLiteral("hlpHLPTXT")).toString(),
                        rtbHLPTXT->document());
        setWindowSizeTwips(width, height);
    }
}

void frmUSER_HELP::prcUSER_HELP(const QString& action) {
    const QString key = QStringLiteral(" where hlpPGMNME='") + sqlText(shared().wrkEXENME) +
                        QStringLiteral("' and hlpFRMNME='") + sqlText(m_helpWindow) +
                        QStringLiteral("' and hlpPGENBR=") + QString::number(wrkPAGE);
    const QString width = QString::number(windowWidthTwips());
    const QString height = QString::number(windowHeightTwips());
    QString sql;
    if (action == QLatin1String("DETAIL")) {
        sql = QStringLiteral("Select * from SYS_USER_HELP") + key;
    } else if (action == QLatin1String("INSERT")) {
        sql = QStringLiteral("Insert into SYS_USER_HELP "
                             "(hlpPGMNME,hlpFRMNME,hlpPGENBR,hlpWIDTH,hlpHEIGHT,hlpHLPTXT) "
                             "values('") +
              sqlText(shared().wrkEXENME) + QStringLiteral("','") + sqlText(m_helpWindow) +
              QStringLiteral("',") + QString::number(wrkPAGE) + QLatin1Char(',') + width +
              QLatin1Char(',') + height + QStringLiteral(",'") +
              sqlText(rtf::fromDocument(*rtbHLPTXT->document())) + QStringLiteral("')");
    } else if (action == QLatin1String("UPDATE")) {
        sql = QStringLiteral("Update SYS_USER_HELP  set hlpWIDTH=") + width +
              QStringLiteral(",hlpHEIGHT=") + height + QStringLiteral(",hlpHLPTXT='") +
              sqlText(rtf::fromDocument(*rtbHLPTXT->document())) + QLatin1Char('\'') + key;
    } else if (action == QLatin1String("DELETE")) {
        sql = QStringLiteral("Delete from SYS_USER_HELP") + key;
    } else {
        return;
    }
    rsUSER_HELP = db().execute(sql);
}

int frmUSER_HELP::windowWidthTwips() const {
    return size() == m_sizeForTwips ? m_widthTwips : twips(width()) + kFrameWidth;
}

int frmUSER_HELP::windowHeightTwips() const {
    return size() == m_sizeForTwips ? m_heightTwips : twips(height()) + kFrameHeight;
}

void frmUSER_HELP::setWindowSizeTwips(int width, int height) {
    m_widthTwips = width;
    m_heightTwips = height;
    m_sizeForTwips =
        QSize(std::max(pixels(width - kFrameWidth), 1), std::max(pixels(height - kFrameHeight), 1));
    resize(m_sizeForTwips);
    placeControls();
}

void frmUSER_HELP::resizeEvent(QResizeEvent* event) {
    ChildWindow::resizeEvent(event);
    placeControls();
}

// The text fills the window; in the editor the buttons keep to the bottom edge.
void frmUSER_HELP::placeControls() {
    const int width = windowWidthTwips();
    const int height = windowHeightTwips();
    const int boxWidth = width - 300;
    if (!m_editor) {
        place(rtbHLPTXT, kMargin, kMargin, boxWidth, height - 650);
        return;
    }
    if (height <= 1200) {
        rtbHLPTXT->resize(pixels(std::max(boxWidth, 0)), rtbHLPTXT->height());
        return;
    }
    place(rtbHLPTXT, kMargin, kMargin, boxWidth, height - 1170);
    int left = kMargin;
    for (QPushButton* button : {tbcBOLD, tbcCENTER, tbcBLACK, tbcBLUE, tbcRED, tbcGREEN}) {
        place(button, left, height - 1000, 420, 375);
        left += 450;
    }
    place(tbcTEMPLATE, left + 60, height - 1000, 900, 375);
    const int cancelLeft = width - kFrameWidth - kMargin - 900;
    place(tbcCANCEL, cancelLeft, height - 1050, 900, 435);
    place(tbcOK, cancelLeft - 960, height - 1050, 900, 435);
}

bool frmUSER_HELP::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        activate();
    else if (event->type() == QEvent::WindowDeactivate)
        deactivate();
    return ChildWindow::event(event);
}

void frmUSER_HELP::showEvent(QShowEvent* event) {
    ChildWindow::showEvent(event);
    // Being shown is the first activation, also where the platform activates no window.
    QTimer::singleShot(0, this, &frmUSER_HELP::activate);
}

// A viewer without text closes instead of showing, so it is never on screen at all.
void frmUSER_HELP::setVisible(bool visible) {
    if (visible && !isVisible() && wrkMODE == QLatin1String("ADD") && !editorSetting()) {
        closeWindow();
        return;
    }
    ChildWindow::setVisible(visible);
}

// A viewer without text closes before the clerk sees it.
void frmUSER_HELP::activate() {
    m_editor = editorSetting();
    if (!m_editor && wrkMODE == QLatin1String("ADD"))
        QTimer::singleShot(0, this, &ChildWindow::closeWindow);
}

// A viewer goes away when the clerk clicks elsewhere; an editor stays.
void frmUSER_HELP::deactivate() {
    m_editor = editorSetting();
    if (m_editor)
        return;
    // A message box of the program's own over the viewer (the quote rule's) is no going
    // elsewhere: the viewer waits behind it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this)
        return;
    QTimer::singleShot(0, this, [this] {
        if (isActiveWindow())
            return; // the activation came straight back
        wrkHLPPGE = 0;
        closeWindow();
    });
}

bool frmUSER_HELP::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        copyOnClipboardKey(static_cast<QKeyEvent*>(event));
    return ChildWindow::eventFilter(watched, event);
}

void frmUSER_HELP::keyPressEvent(QKeyEvent* event) {
    copyOnClipboardKey(event);
    ChildWindow::keyPressEvent(event);
}

// The 2 key of the main keyboard, whatever the shift keys, puts the text on the clipboard;
// the key still does what it does in the text.
void frmUSER_HELP::copyOnClipboardKey(const QKeyEvent* key) {
    const bool twoKey = key->key() == Qt::Key_2 || key->nativeVirtualKey() == 50 ||
                        (key->key() == Qt::Key_At && (key->modifiers() & Qt::ShiftModifier));
    if (!twoKey || (key->modifiers() & Qt::KeypadModifier))
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(rtbHLPTXT->toPlainText());
}

void frmUSER_HELP::tbcBOLD_Click() {
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    rtbHLPTXT->mergeCurrentCharFormat(format);
    rtbHLPTXT->setFocus();
}

void frmUSER_HELP::tbcCENTER_Click() {
    rtbHLPTXT->setAlignment(Qt::AlignHCenter);
    rtbHLPTXT->setFocus();
}

void frmUSER_HELP::setColour(const QColor& colour) {
    QTextCharFormat format;
    format.setForeground(colour);
    rtbHLPTXT->mergeCurrentCharFormat(format);
    rtbHLPTXT->setFocus();
}

// The skeleton of a new help text: the window's name as a centred heading, then the five
// labelled paragraphs every help text has.
void frmUSER_HELP::tbcTEMPLATE_Click() {
    QString heading = m_helpWindow;
    heading.replace(QLatin1Char('_'), QLatin1Char(' '));
    heading.remove(QStringLiteral("frm"), Qt::CaseSensitive);

    QTextCursor cursor = rtbHLPTXT->textCursor();
    cursor.beginEditBlock();
    QTextBlockFormat block = cursor.blockFormat();
    block.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(block);
    QTextCharFormat headingFormat;
    headingFormat.setFontWeight(QFont::Bold);
    cursor.insertText(heading, headingFormat);
    cursor.insertBlock();
    cursor.insertBlock();
    block.setAlignment(Qt::AlignLeft);
    cursor.setBlockFormat(block);

    QTextCharFormat explanation;
    explanation.setFontWeight(QFont::Normal);
    explanation.setForeground(kBlack);
    const std::pair<const char*, QColor> labels[] = {{"Purpose:", kDarkBlue},
                                                     {"Select: ", kDarkRed},
                                                     {"Detail: ", kDarkRed},
                                                     {"Control: ", kDarkRed},
                                                     {"Note: ", kDarkBlue}};
    for (const auto& [label, colour] : labels) {
        QTextCharFormat labelFormat;
        labelFormat.setFontWeight(QFont::Bold);
        labelFormat.setForeground(colour);
        cursor.insertText(QLatin1String(label), labelFormat);
        cursor.insertText(QStringLiteral("  Explanation "), explanation);
        cursor.insertBlock(block, explanation);
        cursor.insertBlock(block, explanation);
    }
    cursor.endEditBlock();
    rtbHLPTXT->setTextCursor(cursor);
    rtbHLPTXT->setCurrentCharFormat(explanation);
    rtbHLPTXT->setFocus();
}

// Stores the text with the window's present size: the editor sizes the window as the
// reader shall see it. Emptying the text of a stored help removes it.
void frmUSER_HELP::tbcOK_Click() {
    const bool stored = runCommand([this] {
        if (wrkMODE != QLatin1String("UPDATE"))
            prcUSER_HELP(QStringLiteral("INSERT"));
        else if (!rtbHLPTXT->toPlainText().isEmpty())
            prcUSER_HELP(QStringLiteral("UPDATE"));
        else
            prcUSER_HELP(QStringLiteral("DELETE"));
    });
    // A failed statement keeps the window, and the clerk's text, open.
    if (stored)
        closeWindow();
}
