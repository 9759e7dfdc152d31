#include "child_window.h"

#include "ledger_notifier.h"

#include "context.h"
#include "flex_grid.h"
#include "messages.h"
#include "report.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

std::function<void(QWidget*)>& helpOpener() {
    static std::function<void(QWidget*)> opener;
    return opener;
}

ChildWindow::Opener& windowOpener() {
    static ChildWindow::Opener opener;
    return opener;
}

ChildWindow* owningWindow(QObject* object) {
    for (QObject* o = object; o; o = o->parent())
        if (auto* window = qobject_cast<ChildWindow*>(o))
            return window;
    return nullptr;
}

bool acceptsText(QObject* object) {
    const QWidget* w = qobject_cast<QWidget*>(object);
    return w &&
           (w->inherits("QLineEdit") || w->inherits("QTextEdit") || w->inherits("QPlainTextEdit") ||
            w->inherits("QAbstractSpinBox") || w->inherits("QComboBox") ||
            (w->parentWidget() && (w->parentWidget()->inherits("QTextEdit") ||
                                   w->parentWidget()->inherits("QPlainTextEdit"))));
}

// Sees every key, paste and drop before the focused control does, for the widgets inside
// a child window.
class ChildWindowKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            return keyPress(watched, static_cast<QKeyEvent*>(event));
        case QEvent::Drop:
            return drop(watched, static_cast<QDropEvent*>(event));
        case QEvent::ContextMenu:
            return contextMenu(watched, static_cast<QContextMenuEvent*>(event));
        case QEvent::MouseButtonRelease:
            return middleButtonPaste(watched, static_cast<QMouseEvent*>(event));
        case QEvent::InputMethod:
            return inputMethod(watched, static_cast<QInputMethodEvent*>(event));
        case QEvent::FocusIn:
            // Clicking into a window that is already the active one is also coming back to
            // it after the account was changed in the main window.
            if (ChildWindow* window = owningWindow(watched); window && window->bankBound())
                window->activated();
            return false;
        default:
            return false;
        }
    }

private:
    static bool keyPress(QObject* watched, QKeyEvent* key) {
        ChildWindow* window = owningWindow(watched);
        if (!window)
            return false;
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            if (!window->helpKey())
                return true;
            shared().wrkHLPFRM = window->windowName();
            if (helpOpener())
                helpOpener()(window);
            return true;
        }
        if (key->key() == Qt::Key_F12 && key->modifiers() == Qt::NoModifier) {
            window->closeWindow();
            return true;
        }
        if (ChildWindow::holdsQuote(key->text())) {
            showMessage(ChildWindow::quoteMessage());
            return true;
        }
        if (key->matches(QKeySequence::Paste) && acceptsText(watched)) {
            const QClipboard* clipboard = QGuiApplication::clipboard();
            if (clipboard && ChildWindow::holdsQuote(clipboard->text())) {
                showMessage(ChildWindow::quoteMessage());
                return true;
            }
        }
        return false;
    }

    // The edit menu's Paste follows the same rule as the paste key.
    static bool contextMenu(QObject* watched, QContextMenuEvent* event) {
        if (!owningWindow(watched))
            return false;
        QWidget* target = qobject_cast<QWidget*>(watched);
        QMenu* menu = nullptr;
        std::function<void()> paste;
        if (auto* line = qobject_cast<QLineEdit*>(watched)) {
            menu = line->createStandardContextMenu();
            paste = [line] { line->paste(); };
        } else if (QWidget* owner = target ? target->parentWidget() : nullptr) {
            if (auto* text = qobject_cast<QTextEdit*>(owner); text && target == text->viewport()) {
                menu = text->createStandardContextMenu(event->pos());
                paste = [text] { text->paste(); };
            } else if (auto* plain = qobject_cast<QPlainTextEdit*>(owner);
                       plain && target == plain->viewport()) {
                menu = plain->createStandardContextMenu(event->pos());
                paste = [plain] { plain->paste(); };
            }
        }
        if (!menu)
            return false;
        // The text boxes name their Paste item; the line box only shows its shortcut.
        const QString pasteKey =
            QLatin1Char('\t') +
            QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
        const auto actions = menu->actions();
        for (QAction* action : actions) {
            if (action->objectName() != QLatin1String("edit-paste") &&
                !action->text().endsWith(pasteKey))
                continue;
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            QObject::connect(action, &QAction::triggered, menu, [paste] {
                const QClipboard* clipboard = QGuiApplication::clipboard();
                if (clipboard && ChildWindow::holdsQuote(clipboard->text()))
                    showMessage(ChildWindow::quoteMessage());
                else
                    paste();
            });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
        event->accept();
        return true;
    }

    // Where the platform has a primary selection (X11), the middle button pastes it.
    static bool middleButtonPaste(QObject* watched, const QMouseEvent* event) {
        if (event->button() != Qt::MiddleButton || !acceptsText(watched) || !owningWindow(watched))
            return false;
        const QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard || !clipboard->supportsSelection() ||
            !ChildWindow::holdsQuote(clipboard->text(QClipboard::Selection)))
            return false;
        showMessage(ChildWindow::quoteMessage());
        return true;
    }

    // Dead keys and compose sequences arrive as text committed by the input method.
    static bool inputMethod(QObject* watched, const QInputMethodEvent* event) {
        if (!ChildWindow::holdsQuote(event->commitString()) || !owningWindow(watched))
            return false;
        // The composition ends without its text, so nothing half-typed stays in the field.
        QInputMethodEvent cleared;
        QCoreApplication::sendEvent(watched, &cleared);
        showMessage(ChildWindow::quoteMessage());
        return true;
    }

    static bool drop(QObject* watched, QDropEvent* event) {
        if (!owningWindow(watched) || !event->mimeData())
            return false;
        const QMimeData* data = event->mimeData();
        if (ChildWindow::holdsQuote(data->text()) || ChildWindow::holdsQuote(data->html())) {
            event->setDropAction(Qt::IgnoreAction);
            event->accept();
            showMessage(ChildWindow::quoteMessage());
            return true;
        }
        return false;
    }
};

void installKeys() {
    static bool installed = false;
    if (!installed && qApp) {
        qApp->installEventFilter(new ChildWindowKeys(qApp));
        installed = true;
    }
}

} // namespace

void setCaptionText(QObject* target, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(target))
        action->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(target))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(target))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(target))
        group->setTitle(text);
    else if (auto* widget = qobject_cast<QWidget*>(target))
        widget->setWindowTitle(text);
}

ChildWindow::ChildWindow(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose);
    installKeys();
}

// The recordsets belong to the derived window and are gone by now; each closes itself.
ChildWindow::~ChildWindow() = default;

void ChildWindow::setHelpOpener(std::function<void(QWidget*)> opener) {
    helpOpener() = std::move(opener);
}

void ChildWindow::setWindowOpener(Opener opener) {
    windowOpener() = std::move(opener);
}

ChildWindow* ChildWindow::openWindow(const QString& name, const Factory& create) {
    if (windowOpener())
        return windowOpener()(name, create);
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* top : tops)
        if (auto* open = qobject_cast<ChildWindow*>(top);
            open && open->objectName() == name && open->isVisible() && !open->isUnloaded()) {
            open->activateWindow();
            return open;
        }
    ChildWindow* window = create();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->load();
    window->show();
    return window;
}

QString ChildWindow::quoteMessage() {
    return shared().spanish()
               ? QStringLiteral("El Apóstrafo o las Citas Dobles no se pueden utilizar en el TKV.")
               : QStringLiteral("The Apostrophe or Double Quotes cannot be used in TKV.");
}

bool ChildWindow::holdsQuote(const QString& text) {
    return text.contains(QLatin1Char('\'')) || text.contains(QLatin1Char('"'));
}

void ChildWindow::load() {
    // A message shown by the load moves the focus away and back, which must not start
    // the load again.
    if (m_loading)
        return;
    m_loading = true;
    ++m_loads;
    m_bankLoaded = shared().wrkBACNBR;
    runCommand([this] { loadWindow(); });
    applyCaptions();
    // A window sized by its design grows where its captions (longer in Spanish) want more
    // room than that. The layouts keep the sizes they last worked out until told.
    if (testAttribute(Qt::WA_Resized)) {
        const auto controls = findChildren<QWidget*>();
        for (QWidget* control : controls)
            control->updateGeometry();
        resize(size().expandedTo(sizeHint()));
    }
    m_loading = false;
}

void ChildWindow::activated() {
    if (!m_unloaded && m_bankBound && shared().wrkBACNBR != m_bankLoaded)
        load();
}

void ChildWindow::followLedgerWrites(std::function<void()> refresh) {
    connect(&LedgerNotifier::instance(), &LedgerNotifier::written, this,
            [this, refresh = std::move(refresh)](int account) {
                const int shown = m_bankBound ? m_bankLoaded : shared().wrkBACNBR;
                if (m_unloaded || m_loading || account != shown)
                    return;
                if (refresh)
                    runCommand(refresh);
                else
                    load();
            });
}

void ChildWindow::addCaption(QObject* target, const QString& english, const QString& spanish) {
    m_captions.push_back({target, english, spanish});
    setCaptionText(target, english);
}

void ChildWindow::applyCaptions() {
    const bool spanish = shared().spanish();
    for (const Caption& c : m_captions)
        if (c.target)
            setCaptionText(c.target, spanish ? c.spanish : c.english);
}

QGroupBox* ChildWindow::addControlFrame(std::initializer_list<ControlButton> buttons,
                                        bool enterPresses, Qt::Orientation orientation) {
    auto* group = addControl<QGroupBox>(this, "grpCONTROL", QStringLiteral("Control"),
                                        QStringLiteral("Control"));
    const bool row = orientation == Qt::Horizontal;
    auto* layout = row ? static_cast<QBoxLayout*>(new QHBoxLayout(group)) : new QVBoxLayout(group);
    if (row)
        layout->addStretch(1);
    for (const ControlButton& b : buttons) {
        b.button = addControl<QPushButton>(group, b.name, b.english, b.spanish);
        if (enterPresses)
            b.button->setAutoDefault(true);
        layout->addWidget(b.button);
    }
    if (!row)
        layout->addStretch(1);
    return group;
}

QGroupBox* ChildWindow::addControlFrame(QPushButton*& ok, QPushButton*& cancel, bool enterPresses) {
    return addControlFrame(
        {{ok, "tbcOK", QStringLiteral("&OK"), QStringLiteral("Bueno")},
         {cancel, "tbcCANCEL", QStringLiteral("&Cancel"), QStringLiteral("Cancele")}},
        enterPresses);
}

QMdiSubWindow* ChildWindow::frame() const {
    return m_frame ? m_frame.data() : qobject_cast<QMdiSubWindow*>(parentWidget());
}

void ChildWindow::closeWindow() {
    if (QMdiSubWindow* f = frame())
        f->close();
    else
        close();
}

void ChildWindow::execModal(QWidget* parent) {
    setParent(parent, Qt::Dialog);
    setWindowModality(Qt::ApplicationModal);
    QPointer<ChildWindow> self(this);
    QEventLoop loop;
    connect(this, &ChildWindow::unloaded, &loop, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    if (self && isVisible())
        loop.exec(QEventLoop::DialogExec);
}

void ChildWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (frame && frame != m_frame) {
        m_frame = frame;
        if (m_designedPosition)
            frame->move(FlexGrid::twipsToPixels(m_designedPosition->x()),
                        FlexGrid::twipsToPixels(m_designedPosition->y()));
        connect(frame, &QMdiSubWindow::windowStateChanged, this,
                [this](Qt::WindowStates before, Qt::WindowStates now) {
                    if ((now & Qt::WindowActive) && !(before & Qt::WindowActive))
                        activated();
                });
    }
}

void ChildWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!event->isAccepted() || m_unloaded)
        return;
    m_unloaded = true;
    unloadWindow();
    Q_EMIT unloaded();
    // A window that closes itself takes its frame with it (when the frame is what closes,
    // this nested close returns at once).
    if (QMdiSubWindow* f = frame(); f && f->isVisible())
        f->close();
}
