// The help window on a real database: viewer and editor, sizes, the template, OK that
// inserts, updates or deletes, the clipboard key, and F1 from a child window.

#include "company.h"
#include "context.h"
#include "flex_grid.h"
#include "rtf.h"
#include "settings.h"
#include "test_support.h"
#include "user_help.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>
#include <memory>

namespace {

const QString kProgram = QStringLiteral("BANKREC");

// Per paragraph its alignment, then its runs of equal look (bold, colour) with their text.
QString describe(const QTextDocument* document) {
    QStringList blocks;
    for (QTextBlock block = document->begin(); block != document->end(); block = block.next()) {
        QString text = (block.blockFormat().alignment() & Qt::AlignHCenter) ? QStringLiteral("C")
                                                                            : QStringLiteral("L");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            text += QLatin1Char('|') + QString(f.fontWeight() > QFont::Medium ? "b" : "");
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                text += f.foreground().color().name();
            text += QLatin1Char(':') + it.fragment().text();
        }
        blocks << text;
    }
    return blocks.join(QLatin1Char('\n'));
}

void storeHelp(const QString& window, const QString& html, int width = 0, int height = 0) {
    QTextDocument document;
    document.setHtml(html);
    sqlExec(QStringLiteral("Insert into SYS_USER_HELP (hlpPGMNME,hlpFRMNME,hlpPGENBR,hlpWIDTH,"
                           "hlpHEIGHT,hlpHLPTXT) values('%1','%2',0,%3,%4,'%5')")
                .arg(kProgram, window)
                .arg(width)
                .arg(height)
                .arg(sqlText(rtf::fromDocument(document))));
}

QString storedText(const QString& window) {
    QTextDocument document;
    rtf::toDocument(sqlValue(QStringLiteral("Select hlpHLPTXT from SYS_USER_HELP where "
                                            "hlpFRMNME='%1'")
                                 .arg(window))
                        .toString(),
                    &document);
    return document.toPlainText();
}

void setEditor(bool editor) {
    saveSetting(QStringLiteral("Startup"), QStringLiteral("HELPEDITOR"),
                editor ? QStringLiteral("YES") : QStringLiteral("NO"));
}

template <typename T> T* control(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// As the main window opens the help window.
void showHelp(QWidget* from) {
    auto* help = new frmUSER_HELP();
    help->load();
    help->execModal(from);
}

class SampleWindow : public ChildWindow {
public:
    SampleWindow() : ChildWindow(QStringLiteral("frmAUD_ACCOUNT_ADJUSTMENTS")) {
        (new QVBoxLayout(this))->addWidget(tbxTEXT = new QLineEdit(this));
    }
    QLineEdit* tbxTEXT;

protected:
    void loadWindow() override {}
};

} // namespace

class TestUserHelp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void modesAndSizes_data();
    void modesAndSizes();
    void viewerLifetime_data();
    void viewerLifetime();
    void okWrites_data();
    void okWrites();
    void templateInsertedAndStored();
    void formattingButtons_data();
    void formattingButtons();
    void clipboardKey_data();
    void clipboardKey();
    void helpKeyAndOverview_data();
    void helpKeyAndOverview();
    void helpKeyInsideTheEditor();

private:
    frmUSER_HELP* open(const QString& window, bool show = true) {
        shared().wrkHLPFRM = window;
        m_help = new frmUSER_HELP();
        m_help->load();
        if (show)
            m_help->show();
        return m_help;
    }
    std::unique_ptr<TestEnvironment> m_env;
    QPointer<frmUSER_HELP> m_help;
};

void TestUserHelp::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_env->openDatabase();
    shared().wrkEXENME = kProgram;
    setEditor(true);
}

void TestUserHelp::cleanup() {
    delete m_help;
    m_env.reset();
}

void TestUserHelp::modesAndSizes_data() {
    QTest::addColumn<bool>("editor");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("storedWidth");
    QTest::addColumn<int>("storedHeight");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("editor, no text") << true << "frmVOID" << false << 0 << 0 << 6000 << 7400;
    QTest::newRow("editor, overview") << true << "" << false << 0 << 0 << 10000 << 7400;
    QTest::newRow("viewer, size 0") << false << "frmVOID" << true << 0 << 0 << 6000 << 6825;
    QTest::newRow("viewer, overview") << false << "" << true << 0 << 0 << 10000 << 6825;
    QTest::newRow("viewer, stored") << false << "frmVOID" << true << 8010 << 5025 << 8010 << 5025;
    QTest::newRow("editor, width only") << true << "frmVOID" << true << 7005 << -15 << 7005 << 7400;
}

void TestUserHelp::modesAndSizes() {
    QFETCH(bool, editor);
    QFETCH(QString, window);
    QFETCH(bool, stored);
    QFETCH(int, storedWidth);
    QFETCH(int, storedHeight);
    QFETCH(int, width);
    QFETCH(int, height);
    setEditor(editor);
    if (stored)
        storeHelp(window, QStringLiteral("Help of ") + window, storedWidth, storedHeight);
    frmUSER_HELP* help = open(window, false);

    QCOMPARE(help->mode(), stored ? QStringLiteral("UPDATE") : QStringLiteral("ADD"));
    QCOMPARE(help->windowWidthTwips(), width);
    QCOMPARE(help->windowHeightTwips(), height);
    auto* box = control<QTextEdit>(help, "rtbHLPTXT");
    QCOMPARE(box->isReadOnly(), !editor);
    QCOMPARE(box->toPlainText(), stored ? QStringLiteral("Help of ") + window : QString());
    for (const char* name : {"tbcBOLD", "tbcCENTER", "tbcBLACK", "tbcBLUE", "tbcRED", "tbcGREEN",
                             "tbcTEMPLATE", "tbcOK", "tbcCANCEL"})
        QCOMPARE(control<QPushButton>(help, name)->isHidden(), !editor);
    QCOMPARE(control<QPushButton>(help, "tbcTEMPLATE")->isEnabled(), !stored);
    // The text fills the window; the editor's buttons keep to its bottom edge.
    QCOMPARE(box->width(), FlexGrid::twipsToPixels(width - 300));
    QCOMPARE(box->height(), FlexGrid::twipsToPixels(height - (editor ? 1170 : 650)));
    if (editor)
        QCOMPARE(control<QPushButton>(help, "tbcOK")->y(), FlexGrid::twipsToPixels(height - 1050));
}

void TestUserHelp::viewerLifetime_data() {
    QTest::addColumn<bool>("editor");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("closesAtOnce");
    QTest::addColumn<bool>("closesOnLeaving");
    QTest::newRow("viewer without text") << false << false << true << true;
    QTest::newRow("viewer with text") << false << true << false << true;
    QTest::newRow("editor without text") << true << false << false << false;
    QTest::newRow("editor with text") << true << true << false << false;
}

void TestUserHelp::viewerLifetime() {
    QFETCH(bool, editor);
    QFETCH(bool, stored);
    QFETCH(bool, closesAtOnce);
    QFETCH(bool, closesOnLeaving);
    setEditor(editor);
    if (stored)
        storeHelp(QStringLiteral("frmVOID"), QStringLiteral("Void help"));
    QPointer<frmUSER_HELP> help = open(QStringLiteral("frmVOID"));
    help->activateWindow();
    if (closesAtOnce) {
        QTRY_VERIFY(help.isNull());
        return;
    }
    QTRY_VERIFY(help->isActiveWindow());
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QTRY_VERIFY(elsewhere.isActiveWindow());
    if (closesOnLeaving) {
        QTRY_VERIFY(help.isNull());
    } else {
        QCoreApplication::processEvents();
        QVERIFY(help && help->isVisible());
    }
}

void TestUserHelp::okWrites_data() {
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("emptied");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("text");
    QTest::newRow("new text inserted")
        << false << false
        << "Insert into SYS_USER_HELP (hlpPGMNME,hlpFRMNME,hlpPGENBR,hlpWIDTH,hlpHEIGHT,"
           "hlpHLPTXT) values('BANKREC','frmVOID',0,7620,6420,'{\\rtf1"
        << "Typed";
    QTest::newRow("stored text updated")
        << true << false
        << "Update SYS_USER_HELP  set hlpWIDTH=7620,hlpHEIGHT=6420,hlpHLPTXT='{\\rtf1"
        << QStringLiteral("O'Brien's caf\u00e9 Typed");
    QTest::newRow("emptied text deleted")
        << true << true
        << "Delete from SYS_USER_HELP where hlpPGMNME='BANKREC' and hlpFRMNME='frmVOID' and "
           "hlpPGENBR=0"
        << "";
}

void TestUserHelp::okWrites() {
    QFETCH(bool, stored);
    QFETCH(bool, emptied);
    QFETCH(QString, statement);
    QFETCH(QString, text);
    storeHelp(QString(), QStringLiteral("Overview"));
    if (stored)
        storeHelp(QStringLiteral("frmVOID"), QStringLiteral("O'Brien's caf\u00e9"), 6000, 7400);
    QPointer<frmUSER_HELP> help = open(QStringLiteral("frmVOID"));
    auto* box = control<QTextEdit>(help, "rtbHLPTXT");
    if (emptied) {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
    } else {
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, stored ? QStringLiteral(" Typed") : QStringLiteral("Typed"));
    }
    // The clerk sizes the window as the reader shall see it.
    help->resize(500, 400);
    QTest::mouseClick(control<QPushButton>(help, "tbcOK"), Qt::LeftButton);

    QVERIFY2(StatementTrace::last().startsWith(statement), qPrintable(StatementTrace::last()));
    QCOMPARE(m_env->messages, QStringList());
    QTRY_VERIFY(help.isNull());
    QCOMPARE(sqlCount(QStringLiteral("SYS_USER_HELP"), QStringLiteral("hlpFRMNME='frmVOID'")),
             emptied ? 0 : 1);
    QCOMPARE(sqlCount(QStringLiteral("SYS_USER_HELP"), QStringLiteral("hlpFRMNME=''")), 1);
    if (!emptied)
        QCOMPARE(storedText(QStringLiteral("frmVOID")), text);

    // A reader now finds the text, or nothing and sees no window.
    setEditor(false);
    QPointer<frmUSER_HELP> viewer = open(QStringLiteral("frmVOID"));
    if (emptied) {
        QTRY_VERIFY(viewer.isNull());
    } else {
        QCOMPARE(control<QTextEdit>(viewer, "rtbHLPTXT")->toPlainText(), text);
        QCOMPARE(viewer->windowWidthTwips(), 7620);
    }
}

void TestUserHelp::templateInsertedAndStored() {
    frmUSER_HELP* help = open(QStringLiteral("frmPRINT_BANK_RECONCILIATION_REPORT"));
    auto* box = control<QTextEdit>(help, "rtbHLPTXT");
    QTest::mouseClick(control<QPushButton>(help, "tbcTEMPLATE"), Qt::LeftButton);

    const QString expected = QStringLiteral("C|b:PRINT BANK RECONCILIATION REPORT\nC\n"
                                            "L|b#000080:Purpose:|#000000:  Explanation \nL\n"
                                            "L|b#800000:Select: |#000000:  Explanation \nL\n"
                                            "L|b#800000:Detail: |#000000:  Explanation \nL\n"
                                            "L|b#800000:Control: |#000000:  Explanation \nL\n"
                                            "L|b#000080:Note: |#000000:  Explanation \nL\nL");
    QCOMPARE(describe(box->document()), expected);

    if (const QString folder = qEnvironmentVariable("BANKREC_SCREENSHOTS"); !folder.isEmpty())
        help->grab().save(folder + QStringLiteral("/user_help_template.png"));

    QTest::mouseClick(control<QPushButton>(help, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(m_help.isNull());
    frmUSER_HELP* again = open(QStringLiteral("frmPRINT_BANK_RECONCILIATION_REPORT"));
    QCOMPARE(describe(control<QTextEdit>(again, "rtbHLPTXT")->document()), expected);
    QVERIFY(!control<QPushButton>(again, "tbcTEMPLATE")->isEnabled());
}

void TestUserHelp::formattingButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bold does not toggle") << "tbcBOLD"
                                          << "L|:abc |b:def";
    QTest::newRow("centre") << "tbcCENTER"
                            << "C|:abc def";
    QTest::newRow("black") << "tbcBLACK"
                           << "L|:abc |#000000:def";
    QTest::newRow("blue") << "tbcBLUE"
                          << "L|:abc |#000080:def";
    QTest::newRow("red") << "tbcRED"
                         << "L|:abc |#800000:def";
    QTest::newRow("green") << "tbcGREEN"
                           << "L|:abc |#008000:def";
}

void TestUserHelp::formattingButtons() {
    QFETCH(QString, button);
    QFETCH(QString, expected);
    frmUSER_HELP* help = open(QStringLiteral("frmVOID"));
    auto* box = control<QTextEdit>(help, "rtbHLPTXT");
    QTest::keyClicks(box, QStringLiteral("abc def"));
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(4);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
    auto* command = control<QPushButton>(help, qPrintable(button));
    QTest::mouseClick(command, Qt::LeftButton);
    QTest::mouseClick(command, Qt::LeftButton);
    QCOMPARE(describe(box->document()), expected);
}

void TestUserHelp::clipboardKey_data() {
    QTest::addColumn<bool>("editor");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("2 in the editor") << true << int(Qt::Key_2) << 0 << "Help text";
    QTest::newRow("shifted 2") << true << int(Qt::Key_At) << int(Qt::ShiftModifier) << "Help text";
    QTest::newRow("2 in the viewer") << false << int(Qt::Key_2) << 0 << "Help text";
    QTest::newRow("3 copies nothing") << true << int(Qt::Key_3) << 0 << "before";
}

void TestUserHelp::clipboardKey() {
    QFETCH(bool, editor);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, clipboard);
    setEditor(editor);
    storeHelp(QStringLiteral("frmVOID"), QStringLiteral("Help text"));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    frmUSER_HELP* help = open(QStringLiteral("frmVOID"));
    QTest::keyClick(control<QTextEdit>(help, "rtbHLPTXT"), Qt::Key(key),
                    Qt::KeyboardModifiers(modifiers));
    QCOMPARE(QApplication::clipboard()->text(), clipboard);
}

void TestUserHelp::helpKeyAndOverview_data() {
    QTest::addColumn<bool>("helpKey");
    QTest::addColumn<QString>("text");
    QTest::newRow("F1 on a window") << true << "Adjustments help";
    QTest::newRow("subsystem overview") << false << "Overview help";
}

void TestUserHelp::helpKeyAndOverview() {
    QFETCH(bool, helpKey);
    QFETCH(QString, text);
    setEditor(false);
    storeHelp(QStringLiteral("frmAUD_ACCOUNT_ADJUSTMENTS"), QStringLiteral("Adjustments help"));
    storeHelp(QString(), QStringLiteral("Overview help"));
    ChildWindow::setHelpOpener(showHelp);
    QString shown;
    whenModalAppears([&shown](QWidget* modal) {
        auto* box = control<QTextEdit>(modal, "rtbHLPTXT");
        shown = box->toPlainText();
        QTest::keyClick(box, Qt::Key_F12);
    });
    auto* sample = new SampleWindow();
    sample->load();
    sample->show();
    if (helpKey) {
        QTest::keyClick(sample->tbxTEXT, Qt::Key_F1);
    } else {
        shared().wrkHLPFRM.clear();
        showHelp(sample);
    }
    ChildWindow::setHelpOpener({});
    QCOMPARE(shown, text);
    sample->close();
}

// F1 in the editor shows the help window's own help; the text being written stays with
// the window it was opened for.
void TestUserHelp::helpKeyInsideTheEditor() {
    ChildWindow::setHelpOpener(showHelp);
    QPointer<frmUSER_HELP> help = open(QStringLiteral("frmVOID"));
    auto* box = control<QTextEdit>(help, "rtbHLPTXT");
    QTest::keyClicks(box, QStringLiteral("Void"));
    QString opened;
    whenModalAppears([&opened](QWidget* modal) {
        opened = modal->objectName() + QLatin1Char(' ') + shared().wrkHLPFRM;
        QTest::keyClick(control<QTextEdit>(modal, "rtbHLPTXT"), Qt::Key_F12);
    });
    QTest::keyClick(box, Qt::Key_F1);
    ChildWindow::setHelpOpener({});
    QCOMPARE(opened, QStringLiteral("frmUSER_HELP frmUSER_HELP"));
    QTest::mouseClick(control<QPushButton>(help, "tbcOK"), Qt::LeftButton);
    QTRY_VERIFY(help.isNull());
    QCOMPARE(storedText(QStringLiteral("frmVOID")), QStringLiteral("Void"));
}

QTEST_MAIN(TestUserHelp)
#include "tst_user_help.moc"
