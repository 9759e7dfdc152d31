// The rules every child window follows (keys, the quote rule, reload, unload, faults in its
// load), the shared grid's redraw and the date picker's order.

#include "child_window.h"
#include "context.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "test_support.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTextEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A small window of the kind the program opens: two text boxes and a recordset.
class SampleWindow : public ChildWindow {
public:
    SampleWindow() : ChildWindow(u"frmSAMPLE"_s) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(tbxTEXT);
        layout->addWidget(rtbTEXT);
    }
    QLineEdit* tbxTEXT = new QLineEdit(this);
    QTextEdit* rtbTEXT = new QTextEdit(this);
    Recordset rsDATA;
    QList<int> banksLoaded;
    int unloads = 0;
    bool closeInLoad = false;
    bool failInLoad = false;

protected:
    void loadWindow() override {
        banksLoaded << shared().wrkBACNBR;
        rsDATA = db().execute(u"Select * from LDG_GENERAL_LEDGER_MASTER"_s);
        if (failInLoad)
            db().execute(u"Select * from NO_SUCH_TABLE"_s);
        if (closeInLoad)
            closeWindow();
    }
    void unloadWindow() override { ++unloads; }
};

// A loaded window framed in an MDI area, as the main window holds it.
QMdiSubWindow* framed(QMdiArea& area, SampleWindow* window) {
    QMdiSubWindow* frame = area.addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    window->load();
    return frame;
}

void sendPasteFromMenu(QWidget* target) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &event);
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    const auto actions = menu->actions();
    for (QAction* a : actions)
        if (a->text().startsWith(QLatin1String("&Paste")))
            a->setEnabled(true), a->trigger();
    menu->close();
}

} // namespace

class TestChildWindow : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:
    void quoteRule_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("quote");
        QTest::addColumn<bool>("rich");
        QTest::addColumn<QString>("language");
        // Each way in, into either kind of box; the Spanish message once.
        for (const char* how :
             {"type", "paste key", "paste menu", "drop", "middle button", "input method"}) {
            QTest::addRow("%s apostrophe line", how) << how << u"'"_s << false << QString();
            QTest::addRow("%s double quote rich", how) << how << u"\""_s << true << QString();
        }
        QTest::newRow("type apostrophe Spanish") << u"type"_s << u"'"_s << false << u"S"_s;
    }

    void quoteRule() {
        QFETCH(QString, how);
        QFETCH(QString, quote);
        QFETCH(bool, rich);
        QFETCH(QString, language);
        shared().wrkLANGUAGE = language;
        SampleWindow window;
        window.load();
        window.show();
        QWidget* box = rich ? static_cast<QWidget*>(window.rtbTEXT) : window.tbxTEXT;
        QWidget* target = rich ? window.rtbTEXT->viewport() : box;
        window.tbxTEXT->setText(u"ABC"_s);
        window.rtbTEXT->setPlainText(u"ABC"_s);
        box->setFocus();

        const QString offered = u"O"_s + quote + u"Neil"_s;
        QGuiApplication::clipboard()->setText(offered);
        if (how == QLatin1String("type")) {
            QTest::keyClicks(box, quote);
        } else if (how == QLatin1String("paste key")) {
            QTest::keySequence(box, QKeySequence::Paste);
        } else if (how == QLatin1String("paste menu")) {
            sendPasteFromMenu(target);
        } else if (how == QLatin1String("middle button")) {
            // The X11 primary selection, pasted where the middle button is released.
            if (!QGuiApplication::clipboard()->supportsSelection())
                QSKIP("no primary selection on this platform (run on xcb)");
            QGuiApplication::clipboard()->setText(offered, QClipboard::Selection);
            QTest::mouseClick(target, Qt::MiddleButton, {}, QPoint(5, 5));
        } else if (how == QLatin1String("input method")) {
            // A dead key or a compose sequence commits its character.
            QInputMethodEvent event;
            event.setCommitString(quote);
            QApplication::sendEvent(box, &event);
        } else {
            QMimeData data;
            data.setText(offered);
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
        }
        QCOMPARE(env->messages,
                 QStringList{language.isEmpty()
                                 ? u"The Apostrophe or Double Quotes cannot be used in TKV."_s
                                 : u"El Apóstrafo o las Citas Dobles no se pueden utilizar en "
                                   "el TKV."_s});
        QCOMPARE(rich ? window.rtbTEXT->toPlainText() : window.tbxTEXT->text(), u"ABC"_s);
    }

    // Text without quotes gets in by every way; a box outside any child window is not the
    // rule's business.
    void otherTextGetsIn() {
        SampleWindow window;
        window.load();
        window.show();
        window.tbxTEXT->setFocus();
        QTest::keyClicks(window.tbxTEXT, u"Smith & Co"_s);
        QGuiApplication::clipboard()->setText(u" 12"_s);
        QTest::keySequence(window.tbxTEXT, QKeySequence::Paste);
        sendPasteFromMenu(window.tbxTEXT);
        QCOMPARE(window.tbxTEXT->text(), u"Smith & Co 12 12"_s);
        QLineEdit outside;
        outside.show();
        QTest::keyClicks(&outside, u"O'Neil"_s);
        QCOMPARE(outside.text(), u"O'Neil"_s);
        QVERIFY(env->messages.isEmpty());
    }

    // Clicking into the already active window after the account changed reloads a bound one,
    // once (an unbound one: tst_main_window). F12 unloads the window and closes its frame; the
    // other window stays.
    void reloadOnClickIntoAndCloseKey() {
        shared().wrkBACNBR = 1010;
        QMdiArea area;
        QPointer<SampleWindow> target = new SampleWindow;
        QMdiSubWindow* frame = framed(area, target);
        QMdiSubWindow* other = framed(area, new SampleWindow);
        area.show();
        area.setActiveSubWindow(frame);
        target->setBankBound(true);
        shared().wrkBACNBR = 1020;
        QApplication::setActiveWindow(&area);
        target->tbxTEXT->clearFocus();
        QTest::mouseClick(target->tbxTEXT, Qt::LeftButton);
        target->tbxTEXT->setFocus(Qt::MouseFocusReason);
        QCOMPARE(target->banksLoaded, (QList<int>{1010, 1020}));
        area.setActiveSubWindow(other);
        area.setActiveSubWindow(frame);
        QCOMPARE(target->banksLoaded, (QList<int>{1010, 1020}));

        QTest::keyClick(target->tbxTEXT, Qt::Key_F12);
        QCOMPARE(target->unloads, 1);
        QTRY_VERIFY(!target);
        QCOMPARE(area.subWindowList(), QList<QMdiSubWindow*>{other});
    }

    void faultsInLoad_data() {
        QTest::addColumn<bool>("closes"); // else a statement of the load fails
        QTest::newRow("closes itself") << true;
        QTest::newRow("database error") << false;
    }

    // Closing takes the frame along; an error is told once and leaves the window open,
    // deleted with the area while its recordset is open.
    void faultsInLoad() {
        QFETCH(bool, closes);
        QMdiArea area;
        area.show();
        auto* window = new SampleWindow;
        window->closeInLoad = closes;
        window->failInLoad = !closes;
        framed(area, window);
        QCOMPARE(env->messages.size(), closes ? 0 : 1);
        QTRY_COMPARE(area.subWindowList().size(), closes ? 0 : 1);
    }

    // Many rows added without redrawing: one reset, and the current cell stays.
    void gridRedrawKeepsCurrentCell() {
        FlexGrid grid;
        grid.setCols(3);
        grid.setRows(6);
        grid.show();
        grid.setCurrentCell(3, 1);
        QSignalSpy reset(grid.model(), &QAbstractItemModel::modelReset);
        grid.setRedraw(false);
        for (int i = 0; i < 1000; ++i)
            grid.setText(grid.addRow(), 0, u"x"_s);
        grid.setRedraw(true);
        QCOMPARE(reset.count(), 1);
        QCOMPARE((QList<int>{grid.row(), grid.col()}), (QList<int>{3, 1}));
    }

    void datePickerInCompanyOrder_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("shown"); // 5 March 2024, as the clerk reads and types it
        QTest::newRow("0 month first") << 0 << "03/05/2024";
        QTest::newRow("2 day first") << 2 << "05/03/2024";
        QTest::newRow("4 year-day-month") << 4 << "2024-05-03";
    }

    void datePickerInCompanyOrder() {
        QFETCH(int, format);
        QFETCH(QString, shown);
        shared().wrkDTEFMT = format;
        DatePicker picker;
        picker.setDateNumber(20240305);
        QCOMPARE(picker.text(), shown);
        QCOMPARE(picker.dateNumber(), 20240305);
    }
};

QTEST_MAIN(TestChildWindow)
#include "tst_child_window.moc"
