// The help window: viewer and editor, sizes, the template, what OK writes, and F1.

#include "company.h"
#include "rtf.h"
#include "settings.h"
#include "test_support.h"
#include "user_help.h"

#include <QPushButton>
#include <QTextEdit>

namespace {

void storeHelp(const QString& window, const QString& html, int width = 0, int height = 0) {
    QTextDocument document;
    document.setHtml(html);
    sqlExec(QString("Insert into SYS_USER_HELP (hlpPGMNME,hlpFRMNME,hlpPGENBR,hlpWIDTH,hlpHEIGHT,"
                    "hlpHLPTXT) values('BANKREC','%1',0,%2,%3,'%4')")
                .arg(window)
                .arg(width)
                .arg(height)
                .arg(sqlText(rtf::fromDocument(document))));
}

void setEditor(bool editor) {
    saveSetting("Startup", "HELPEDITOR", editor ? "YES" : "NO");
}
QTextEdit* textBox(QWidget* window) {
    return window->findChild<QTextEdit*>("rtbHLPTXT");
}
} // namespace

class TestUserHelp : public DatabaseTest {
    Q_OBJECT
    QPointer<frmUSER_HELP> m_help;

    frmUSER_HELP* open(const QString& window, bool show = true) {
        shared().wrkHLPFRM = window;
        m_help = new frmUSER_HELP();
        m_help->load();
        if (show)
            m_help->show();
        return m_help;
    }

private Q_SLOTS:
    void init() {
        env.emplace().openDatabase();
        shared().wrkEXENME = "BANKREC";
        setEditor(true);
    }
    void cleanup() {
        ChildWindow::setHelpOpener({});
        delete m_help;
        env.reset();
    }

    void opensInItsModeAndSize_data() {
        QTest::addColumn<bool>("editor");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QList<int>>("sizes"); // stored width, height (none: -1), shown twips
        QTest::newRow("editor, no text") << true << "frmVOID" << QList<int>{-1, 0, 6000, 7400};
        QTest::newRow("viewer, overview") << false << "" << QList<int>{0, 0, 10000, 6825};
        QTest::newRow("viewer, stored") << false << "frmVOID" << QList<int>{8010, 5025, 8010, 5025};
        QTest::newRow("editor, width only")
            << true << "frmVOID" << QList<int>{7005, -15, 7005, 7400};
    }
    void opensInItsModeAndSize() {
        QFETCH(bool, editor);
        QFETCH(QString, window);
        QFETCH(QList<int>, sizes);
        const bool stored = sizes[0] >= 0;
        setEditor(editor);
        if (stored)
            storeHelp(window, "Help of " + window, sizes[0], sizes[1]);
        frmUSER_HELP* help = open(window, false);
        QCOMPARE(help->mode(), stored ? "UPDATE" : "ADD");
        QCOMPARE(QList<int>({help->windowWidthTwips(), help->windowHeightTwips()}), sizes.mid(2));
        QCOMPARE(textBox(help)->isReadOnly(), !editor);
        QCOMPARE(textBox(help)->toPlainText(), stored ? "Help of " + window : QString());
        for (const char* name : {"tbcBOLD", "tbcBLUE", "tbcTEMPLATE", "tbcOK"})
            QCOMPARE(help->findChild<QPushButton*>(name)->isHidden(), !editor);
        QCOMPARE(help->findChild<QPushButton*>("tbcTEMPLATE")->isEnabled(), !stored);
    }

    void okStoresOrDeletesTheText_data() {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("typed"); // "" empties the text
        QTest::addColumn<QString>("statement");
        QTest::newRow("new text inserted")
            << false << "Typed"
            << "Insert into SYS_USER_HELP (hlpPGMNME,hlpFRMNME,hlpPGENBR,hlpWIDTH,hlpHEIGHT,"
               "hlpHLPTXT) values('BANKREC','frmVOID',0,7620,6420,'{\\rtf1";
        QTest::newRow("stored text updated")
            << true << " Typed"
            << "Update SYS_USER_HELP  set hlpWIDTH=7620,hlpHEIGHT=6420,hlpHLPTXT='{\\rtf1";
        QTest::newRow("emptied text deleted")
            << true << ""
            << "Delete from SYS_USER_HELP where hlpPGMNME='BANKREC' and hlpFRMNME='frmVOID' and "
               "hlpPGENBR=0";
    }
    void okStoresOrDeletesTheText() {
        QFETCH(bool, stored);
        QFETCH(QString, typed);
        QFETCH(QString, statement);
        const QString old = stored ? "O'Brien's caf\u00e9" : "";
        if (stored)
            storeHelp("frmVOID", old, 6000, 7400);
        QPointer<frmUSER_HELP> help = open("frmVOID");
        textBox(help)->moveCursor(QTextCursor::End);
        if (typed.isEmpty())
            textBox(help)->clear();
        QTest::keyClicks(textBox(help), typed);
        help->resize(500, 400); // the clerk sizes the window as the reader shall see it
        clerk::click(help, "tbcOK");
        QVERIFY2(StatementTrace::last().startsWith(statement), qPrintable(StatementTrace::last()));
        QTRY_VERIFY(help.isNull());
        QTextDocument saved; // what a reader will be shown
        rtf::toDocument(sqlValue("select hlpHLPTXT from SYS_USER_HELP").toString(), &saved);
        QCOMPARE(saved.toPlainText(), typed.isEmpty() ? QString() : old + typed);
    }

    void templateInserted() {
        frmUSER_HELP* help = open("frmPRINT_BANK_RECONCILIATION_REPORT");
        clerk::click(help, "tbcTEMPLATE");
        const QString expected = "C|b:PRINT BANK RECONCILIATION REPORT\nC\n"
                                 "L|b#000080:Purpose:|#000000:  Explanation \nL\n"
                                 "L|b#800000:Select: |#000000:  Explanation \nL\n"
                                 "L|b#800000:Detail: |#000000:  Explanation \nL\n"
                                 "L|b#800000:Control: |#000000:  Explanation \nL\n"
                                 "L|b#000080:Note: |#000000:  Explanation \nL\nL";
        QCOMPARE(describeDocument(*textBox(help)->document()), expected);
    }

    // Bold does not toggle; the colour and centring apply to the selection and its paragraph.
    // F1 inside the help window opens no second help window.
    void formattingButtonsAndHelpKey() {
        int helpOpened = 0;
        ChildWindow::setHelpOpener([&helpOpened](QWidget*) { ++helpOpened; });
        frmUSER_HELP* help = open("frmVOID");
        QTest::keyClicks(textBox(help), "abc def");
        QTextCursor cursor = textBox(help)->textCursor();
        cursor.setPosition(4);
        cursor.setPosition(7, QTextCursor::KeepAnchor);
        textBox(help)->setTextCursor(cursor);
        for (const char* button : {"tbcBOLD", "tbcBOLD", "tbcBLUE", "tbcCENTER"})
            clerk::click(help, button);
        QCOMPARE(describeDocument(*textBox(help)->document()), QString("C|:abc |b#000080:def"));
        QTest::keyClick(textBox(help), Qt::Key_F1);
        QCOMPARE(helpOpened, 0);
    }

    // A viewer without text is never on screen; one with text closes only when another
    // window takes the activation.
    void viewerClosesWithoutTextOrWhenLeft() {
        setEditor(false);
        QPointer<frmUSER_HELP> viewer = open("frmVOID");
        QVERIFY(!viewer || !viewer->isVisible());
        QTRY_VERIFY(viewer.isNull());
        storeHelp("frmVOID", "Help of the void window");
        viewer = open("frmVOID");
        viewer->activateWindow();
        QTRY_VERIFY(viewer->isActiveWindow());
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(viewer.isNull());
    }
};

QTEST_MAIN(TestUserHelp)
#include "tst_user_help.moc"
