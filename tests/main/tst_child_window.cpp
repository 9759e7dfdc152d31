// The rules every child window follows (keys, the quote rule, reload, unload, captions) and
// the shared grid and date picker.

#include "child_window.h"
#include "clock.h"
#include "context.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// A small window of the kind the program opens: a text box, a rich text box, a recordset.
class SampleWindow : public ChildWindow {
public:
    explicit SampleWindow(QWidget* parent = nullptr)
        : ChildWindow(QStringLiteral("frmSAMPLE"), parent) {
        auto* layout = new QVBoxLayout(this);
        tbxTEXT = new QLineEdit(this);
        tbxTEXT->setObjectName(QStringLiteral("tbxTEXT"));
        rtbTEXT = new QTextEdit(this);
        rtbTEXT->setObjectName(QStringLiteral("rtbTEXT"));
        lblCAPTION = new QLabel(this);
        tbcOK = new QPushButton(this);
        grpFRAME = new QGroupBox(this);
        actPRINT = new QAction(this);
        layout->addWidget(tbxTEXT);
        layout->addWidget(rtbTEXT);
        layout->addWidget(lblCAPTION);
        layout->addWidget(tbcOK);
        layout->addWidget(grpFRAME);
        addCaption(this, QStringLiteral("Sample"), QStringLiteral("Muestra"));
        addCaption(lblCAPTION, QStringLiteral("Account"), QStringLiteral("Cuenta"));
        addCaption(tbcOK, QStringLiteral("&OK"), QStringLiteral("&Aceptar"));
        addCaption(grpFRAME, QStringLiteral("Dates"), QStringLiteral("Fechas"));
        addCaption(actPRINT, QStringLiteral("Print"), QStringLiteral("Imprimir"));
        ownRecordset(&rsDATA);
    }

    QLineEdit* tbxTEXT;
    QTextEdit* rtbTEXT;
    QLabel* lblCAPTION;
    QPushButton* tbcOK;
    QGroupBox* grpFRAME;
    QAction* actPRINT;
    Recordset rsDATA;
    QList<int> banksLoaded;
    int unloads = 0;
    bool closeInLoad = false;
    bool failInLoad = false;

protected:
    void loadWindow() override {
        banksLoaded << shared().wrkBACNBR;
        rsDATA = db().execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER"));
        if (failInLoad)
            db().execute(QStringLiteral("Select * from NO_SUCH_TABLE"));
        if (closeInLoad)
            closeWindow();
    }
    void unloadWindow() override { ++unloads; }
};

// Two sample windows inside an MDI area, as the main window holds them.
struct MdiFixture {
    QMdiArea area;
    QPointer<SampleWindow> first = new SampleWindow;
    QPointer<SampleWindow> second = new SampleWindow;
    QMdiSubWindow* firstFrame;
    QMdiSubWindow* secondFrame;

    MdiFixture() {
        firstFrame = area.addSubWindow(first);
        secondFrame = area.addSubWindow(second);
        firstFrame->setAttribute(Qt::WA_DeleteOnClose);
        secondFrame->setAttribute(Qt::WA_DeleteOnClose);
        first->load();
        second->load();
        area.resize(800, 600);
        area.show();
        area.setActiveSubWindow(firstFrame);
    }
};

void sendPasteFromMenu(QWidget* target) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &event);
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction* paste = nullptr;
    const auto actions = menu->actions();
    for (QAction* a : actions)
        if (a->text().startsWith(QLatin1String("&Paste")))
            paste = a;
    QVERIFY(paste);
    paste->setEnabled(true);
    paste->trigger();
    menu->close();
}

} // namespace

class TestChildWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void quoteRule_data();
    void quoteRule();
    void otherTextGetsIn();
    void helpKey();
    void closeKeyUnloads();
    void reloadOnActivation_data();
    void reloadOnActivation();
    void windowClosingInItsLoadTakesItsFrame();
    void databaseErrorInLoadKeepsWindow();
    void deletedWithOpenRecordset();
    void spanishCaptions_data();
    void spanishCaptions();

    void gridAddressing();
    void gridColoursAndAlignment();
    void gridRedrawKeepsCurrentCell();
    void gridClicksAndEnter();
    void gridEditor();
    void datePicker_data();
    void datePicker();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestChildWindow::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_env->openDatabase();
    ChildWindow::setHelpOpener({});
}

void TestChildWindow::cleanup() {
    ChildWindow::setHelpOpener({});
    m_env.reset();
}

void TestChildWindow::quoteRule_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("quote");
    QTest::addColumn<bool>("rich");
    QTest::addColumn<QString>("language");

    const QString english = QString();
    const QString spanish = QStringLiteral("S");
    for (const QString& how : {QStringLiteral("type"), QStringLiteral("paste key"),
                               QStringLiteral("paste menu"), QStringLiteral("drop")}) {
        for (const bool rich : {false, true}) {
            const char* box = rich ? "rich" : "line";
            QTest::addRow("%s apostrophe %s", qPrintable(how), box)
                << how << QStringLiteral("'") << rich << english;
            QTest::addRow("%s double quote %s", qPrintable(how), box)
                << how << QStringLiteral("\"") << rich << english;
        }
        QTest::addRow("%s apostrophe Spanish", qPrintable(how))
            << how << QStringLiteral("'") << false << spanish;
    }
}

void TestChildWindow::quoteRule() {
    QFETCH(QString, how);
    QFETCH(QString, quote);
    QFETCH(bool, rich);
    QFETCH(QString, language);
    shared().wrkLANGUAGE = language;

    SampleWindow window;
    window.load();
    window.show();
    QWidget* box = rich ? static_cast<QWidget*>(window.rtbTEXT) : window.tbxTEXT;
    window.tbxTEXT->setText(QStringLiteral("ABC"));
    window.rtbTEXT->setPlainText(QStringLiteral("ABC"));
    box->setFocus();
    QWidget* target = rich ? window.rtbTEXT->viewport() : box;

    const QString offered = QStringLiteral("O") + quote + QStringLiteral("Neil");
    if (how == QLatin1String("type")) {
        QTest::keyClicks(box, quote);
    } else if (how == QLatin1String("paste key")) {
        QGuiApplication::clipboard()->setText(offered);
        QTest::keySequence(box, QKeySequence::Paste);
    } else if (how == QLatin1String("paste menu")) {
        QGuiApplication::clipboard()->setText(offered);
        sendPasteFromMenu(target);
    } else {
        QMimeData data;
        data.setText(offered);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }

    const QString expected = language == QLatin1String("S")
                                 ? QStringLiteral("El Apóstrafo o las Citas Dobles no se pueden "
                                                  "utilizar en el TKV.")
                                 : QStringLiteral("The Apostrophe or Double Quotes cannot be "
                                                  "used in TKV.");
    QCOMPARE(m_env->messages, QStringList{expected});
    QCOMPARE(rich ? window.rtbTEXT->toPlainText() : window.tbxTEXT->text(), QStringLiteral("ABC"));
}

void TestChildWindow::otherTextGetsIn() {
    SampleWindow window;
    window.load();
    window.show();
    window.tbxTEXT->setFocus();
    QTest::keyClicks(window.tbxTEXT, QStringLiteral("Smith & Co"));
    QGuiApplication::clipboard()->setText(QStringLiteral(" 12"));
    QTest::keySequence(window.tbxTEXT, QKeySequence::Paste);
    sendPasteFromMenu(window.tbxTEXT);
    QCOMPARE(window.tbxTEXT->text(), QStringLiteral("Smith & Co 12 12"));
    QVERIFY(m_env->messages.isEmpty());

    // A text box outside any child window is not the rule's business.
    QLineEdit outside;
    outside.show();
    QTest::keyClicks(&outside, QStringLiteral("O'Neil"));
    QCOMPARE(outside.text(), QStringLiteral("O'Neil"));
    QVERIFY(m_env->messages.isEmpty());
}

void TestChildWindow::helpKey() {
    QWidget* askedFrom = nullptr;
    QString helpContext;
    ChildWindow::setHelpOpener([&](QWidget* from) {
        askedFrom = from;
        helpContext = shared().wrkHLPFRM;
    });
    SampleWindow window;
    window.load();
    window.show();
    window.tbxTEXT->setFocus();
    QTest::keyClick(window.tbxTEXT, Qt::Key_F1);
    QCOMPARE(helpContext, QStringLiteral("frmSAMPLE"));
    QCOMPARE(askedFrom, &window);
    QVERIFY(window.isVisible());
    QVERIFY(window.tbxTEXT->text().isEmpty());
}

void TestChildWindow::closeKeyUnloads() {
    MdiFixture mdi;
    mdi.first->tbxTEXT->setFocus();
    QVERIFY(mdi.first->rsDATA.isOpen());
    QSignalSpy unloaded(mdi.first.data(), &ChildWindow::unloaded);
    QPointer<QMdiSubWindow> frame = mdi.firstFrame;
    QTest::keyClick(mdi.first->tbxTEXT, Qt::Key_F12);
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!mdi.first->rsDATA.isOpen());
    QCOMPARE(mdi.first->unloads, 1);
    // The window and its frame go; the other window stays.
    QTRY_VERIFY(!frame);
    QTRY_VERIFY(!mdi.first);
    QCOMPARE(mdi.area.subWindowList().size(), 1);
    QVERIFY(mdi.second);
}

void TestChildWindow::reloadOnActivation_data() {
    QTest::addColumn<bool>("bound");
    QTest::addColumn<bool>("byClick"); // clicking into the already active window
    QTest::newRow("bound, activated") << true << false;
    QTest::newRow("bound, clicked into") << true << true;
    QTest::newRow("not bound, activated") << false << false;
    QTest::newRow("not bound, clicked into") << false << true;
}

void TestChildWindow::reloadOnActivation() {
    QFETCH(bool, bound);
    QFETCH(bool, byClick);
    shared().wrkBACNBR = 1010;
    MdiFixture mdi;
    mdi.first->setBankBound(bound);
    mdi.second->setBankBound(bound);
    QLineEdit outside(nullptr); // the main window's account box stands for this
    QCOMPARE(mdi.second->banksLoaded, QList<int>{1010});

    shared().wrkBACNBR = 1020;
    SampleWindow* target = byClick ? mdi.first.data() : mdi.second.data();
    if (byClick) {
        mdi.area.activateWindow();
        QApplication::setActiveWindow(&mdi.area);
        target->tbxTEXT->clearFocus();
        QTest::mouseClick(target->tbxTEXT, Qt::LeftButton);
        target->tbxTEXT->setFocus(Qt::MouseFocusReason);
    } else {
        mdi.area.setActiveSubWindow(mdi.secondFrame);
    }
    const QList<int> expected = bound ? QList<int>{1010, 1020} : QList<int>{1010};
    QCOMPARE(target->banksLoaded, expected);
    QCOMPARE(target->bankLoaded(), bound ? 1020 : 1010);

    // Coming back once more for the same account loads nothing again.
    mdi.area.setActiveSubWindow(byClick ? mdi.secondFrame : mdi.firstFrame);
    mdi.area.setActiveSubWindow(byClick ? mdi.firstFrame : mdi.secondFrame);
    QCOMPARE(target->banksLoaded, expected);
}

void TestChildWindow::windowClosingInItsLoadTakesItsFrame() {
    QMdiArea area;
    area.show();
    auto* window = new SampleWindow;
    window->closeInLoad = true;
    QPointer<QMdiSubWindow> frame = area.addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    window->load();
    QTRY_VERIFY(!frame);
    QVERIFY(area.subWindowList().isEmpty());
}

void TestChildWindow::databaseErrorInLoadKeepsWindow() {
    SampleWindow window;
    window.failInLoad = true;
    window.load();
    window.show();
    QCOMPARE(m_env->messages.size(), 1);
    QVERIFY(window.isVisible());
    QCOMPARE(window.loadCount(), 1);
    QVERIFY(window.tbxTEXT->isEnabled());
}

void TestChildWindow::deletedWithOpenRecordset() {
    // The main window may end while windows are open: nothing of theirs is touched after
    // it is gone (the sanitizer watches this).
    auto* window = new SampleWindow;
    window->load();
    QVERIFY(window->rsDATA.isOpen());
    delete window;
}

void TestChildWindow::spanishCaptions_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("English") << QString()
                             << QStringList{"Sample", "Account", "&OK", "Dates", "Print"};
    QTest::newRow("Spanish") << QStringLiteral("S")
                             << QStringList{"Muestra", "Cuenta", "&Aceptar", "Fechas", "Imprimir"};
}

void TestChildWindow::spanishCaptions() {
    QFETCH(QString, language);
    QFETCH(QStringList, captions);
    shared().wrkLANGUAGE = language;
    SampleWindow window;
    window.load();
    QCOMPARE((QStringList{window.windowTitle(), window.lblCAPTION->text(), window.tbcOK->text(),
                          window.grpFRAME->title(), window.actPRINT->text()}),
             captions);
}

void TestChildWindow::gridAddressing() {
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(1);
    QCOMPARE(grid.rows(), 1);
    grid.setText(0, 1, QStringLiteral("Amount"));
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Amount"));
    QCOMPARE(grid.addRow(), 1);
    QCOMPARE(grid.addRow(), 2);
    grid.setText(2, 2, QStringLiteral("12.50"));
    grid.setRowData(2, 4711);
    QCOMPARE(grid.text(2, 2), QStringLiteral("12.50"));
    QCOMPARE(grid.text(1, 2), QString());
    QCOMPARE(grid.rowData(2), 4711);
    QCOMPARE(grid.rowData(1), 0);
    QCOMPARE(grid.model()->index(1, 2).data().toString(), QStringLiteral("12.50"));

    // Outside the grid nothing is written and nothing read.
    grid.setText(3, 0, QStringLiteral("x"));
    grid.setText(1, 3, QStringLiteral("x"));
    grid.setRowData(0, 5);
    grid.setRowData(9, 5);
    QCOMPARE(grid.rows(), 3);
    QCOMPARE(grid.text(3, 0), QString());
    QCOMPARE(grid.rowData(0), 0);

    // More columns later: earlier rows take texts in them too.
    grid.setCols(5);
    grid.setText(1, 4, QStringLiteral("late"));
    QCOMPARE(grid.text(1, 4), QStringLiteral("late"));

    grid.clearCells();
    QCOMPARE(grid.rows(), 3);
    QCOMPARE(grid.text(2, 2), QString());
    QCOMPARE(grid.text(0, 1), QString());
    QCOMPARE(grid.rowData(2), 0);

    grid.setRows(2);
    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.model()->rowCount(), 1);
}

void TestChildWindow::gridColoursAndAlignment() {
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(3);
    const QColor green(192, 255, 192);
    const QColor red(255, 192, 192);
    QCOMPARE(grid.cellColour(1, 0), QColor(Qt::white));
    grid.setRowColour(1, green);
    grid.setCellColour(2, 1, red);
    QCOMPARE(grid.cellColour(1, 2), green);
    QCOMPARE(grid.cellColour(2, 1), red);
    QCOMPARE(grid.cellColour(2, 0), QColor(Qt::white));
    QCOMPARE(grid.model()->index(0, 2).data(Qt::BackgroundRole).value<QColor>(), green);
    grid.setRowColour(1, QColor()); // back to the grid's own colour
    grid.setGridBackground(QColor(Qt::lightGray));
    QCOMPARE(grid.cellColour(1, 2), QColor(Qt::lightGray));
    QCOMPARE(grid.cellColour(2, 1), red);

    grid.setColAlignment(2, Qt::AlignRight);
    grid.setCellAlignment(1, 2, Qt::AlignCenter);
    QCOMPARE(grid.cellAlignment(2, 2), Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(grid.cellAlignment(1, 2) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(grid.cellAlignment(1, 0), Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(grid.model()->index(1, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);

    grid.setColWidthTwips(1, 1440);
    QCOMPARE(grid.colWidthTwips(1), 1440);
    QCOMPARE(grid.columnWidth(1), FlexGrid::twipsToPixels(1440));
}

void TestChildWindow::gridRedrawKeepsCurrentCell() {
    FlexGrid grid;
    grid.setCols(2);
    grid.setRows(6);
    grid.resize(300, 200);
    grid.show();
    grid.setCurrentCell(3, 1);
    QSignalSpy reset(grid.model(), &QAbstractItemModel::modelReset);
    grid.setRedraw(false);
    for (int i = 0; i < 1000; ++i) {
        const int r = grid.addRow();
        grid.setText(r, 0, QString::number(r));
        grid.setRowColour(r, QColor(192, 255, 192));
    }
    grid.setRedraw(true);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(grid.rows(), 1006);
    QCOMPARE(grid.text(1005, 0), QStringLiteral("1005"));
    QCOMPARE(grid.model()->rowCount(), 1005);
    QCOMPARE(grid.row(), 3);
    QCOMPARE(grid.col(), 1);
}

void TestChildWindow::gridClicksAndEnter() {
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(5);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy clicked(&grid, &FlexGrid::cellClicked);
    QSignalSpy doubled(&grid, &FlexGrid::cellDoubleClicked);
    QSignalSpy entered(&grid, &FlexGrid::enterPressed);

    const QRect cell = grid.cellRect(2, 1);
    QVERIFY(cell.isValid());
    // cellRect is in the grid's coordinates: its centre lies in the viewport's cell.
    const QPoint inViewport = grid.viewport()->mapFrom(&grid, cell.center());
    QCOMPARE(grid.indexAt(inViewport), grid.model()->index(1, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, inViewport);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0), (QList<QVariant>{2, 1}));
    QCOMPARE(grid.row(), 2);
    QCOMPARE(grid.col(), 1);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, inViewport);
    QCOMPARE(doubled.last(), (QList<QVariant>{2, 1}));
    QTest::keyClick(&grid, Qt::Key_Return);
    QCOMPARE(entered.count(), 1);
    QCOMPARE(entered.at(0), (QList<QVariant>{2, 1}));
    QCOMPARE(grid.topRow(), 1);
    QCOMPARE(grid.cellRect(0, 0), QRect());
}

void TestChildWindow::gridEditor() {
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(4);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QLineEdit* editor = grid.cellEditor();
    QVERIFY(!grid.editorVisible());
    grid.placeEditor(2, 2);
    QVERIFY(grid.editorVisible());
    QCOMPARE(editor->geometry(), grid.visualRect(grid.model()->index(1, 2)));
    grid.hideEditor();
    QVERIFY(!grid.editorVisible());
    QCOMPARE(grid.cellEditor(), editor);
}

void TestChildWindow::datePicker_data() {
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("shown");
    QTest::newRow("a date") << 20240229 << 20240229;
    QTest::newRow("year end") << 20231231 << 20231231;
    QTest::newRow("none") << 0 << 20241115;
    QTest::newRow("no such day") << 20230229 << 20241115;
}

void TestChildWindow::datePicker() {
    QFETCH(int, given);
    QFETCH(int, shown);
    DatePicker picker;
    QCOMPARE(picker.dateNumber(), 20241115); // starts on today
    picker.setDateNumber(given);
    QCOMPARE(picker.dateNumber(), shown);
}

QTEST_MAIN(TestChildWindow)
#include "tst_child_window.moc"
