#pragma once

#include "database.h"
#include "report.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <optional>
#include <type_traits>
#include <vector>

class QGroupBox;
class QMdiSubWindow;
class QPushButton;

// What every window the main window opens has in common: its name (the help context), the
// load that reads its data for the selected bank account, the reload when it is activated
// after the account changed (for the windows bound to one account), F1 and F12, the rule
// that no apostrophe or double quote gets into it (typed, pasted or dropped), English and
// Spanish captions, and the unload.
class ChildWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChildWindow(const QString& name, QWidget* parent = nullptr);
    ~ChildWindow() override;

    QString windowName() const { return objectName(); }

    // Runs the window's load for the current bank account; a database error is reported
    // and leaves the window open. Called by whoever opens the window, and again on reload.
    void load();
    int loadCount() const { return m_loads; }
    int bankLoaded() const { return m_bankLoaded; } // wrkBANK_LOADED
    // Closed: its unload has run and the frame is going.
    bool isUnloaded() const { return m_unloaded; }

    // The windows that keep one account's data on screen reload when activated after the
    // selected account changed.
    void setBankBound(bool bound) { m_bankBound = bound; }
    bool bankBound() const { return m_bankBound; }
    void activated();

    // Works the window's figures out again whenever a write to the ledger of the account it
    // shows is announced (by this program's other windows): through refresh when given, else
    // by loading the window again.
    void followLedgerWrites(std::function<void()> refresh = {});

    // Closes the window (inside the main window, its frame too); the unload runs.
    void closeWindow();
    // The frame inside the main window, or null.
    QMdiSubWindow* frame() const;

    // Shows the window on its own, modal over parent, and returns when it is closed.
    void execModal(QWidget* parent);

    // A caption in both languages; English is set now, Spanish by the load when the
    // language is Spanish. target is a widget (its text, title or window title) or an action.
    void addCaption(QObject* target, const QString& english, const QString& spanish);
    void applyCaptions();

    // How windows open one another: the single instance of a window, made, loaded and shown
    // when it is not open, brought to the front when it is. The main window installs its
    // opener, which keeps the windows in its frame; without one (a window on its own, as in
    // a test) the window opens on its own, one of each too.
    using Factory = std::function<ChildWindow*()>;
    using Opener = std::function<ChildWindow*(const QString& name, const Factory& create)>;
    static void setWindowOpener(Opener opener);
    static ChildWindow* openWindow(const QString& name, const Factory& create);
    template <class Window> static Window* open() {
        return qobject_cast<Window*>(
            openWindow(QLatin1String(Window::kName), [] { return new Window; }));
    }

    // What F1 does: the program installs the opener of the help window.
    static void setHelpOpener(std::function<void(QWidget* from)> opener);
    // F1 opens the help window, except in windows that are help themselves.
    void setHelpKey(bool opensHelp) { m_helpKey = opensHelp; }
    bool helpKey() const { return m_helpKey; }

    // The message of the quote rule in the current language.
    static QString quoteMessage();
    static bool holdsQuote(const QString& text);

Q_SIGNALS:
    void unloaded();

protected:
    // One button of the Control frame: where it is kept, its object name and its caption.
    struct ControlButton {
        QPushButton*& button;
        const char* name;
        QString english;
        QString spanish;
    };
    // The Control frame of a window: a group box "grpCONTROL" with the buttons in the order
    // given, every caption registered: in a row, right-aligned, along the foot of the window,
    // or in a column, at the top, down its side. With enterPresses, Enter on a focused button
    // presses it.
    QGroupBox* addControlFrame(std::initializer_list<ControlButton> buttons,
                               bool enterPresses = false,
                               Qt::Orientation orientation = Qt::Horizontal);
    // The usual frame: tbcOK "&OK" and tbcCANCEL "&Cancel".
    QGroupBox* addControlFrame(QPushButton*& ok, QPushButton*& cancel, bool enterPresses = false);

    // A control of the window: made inside parent and named; with a caption in both
    // languages when given.
    template <class Control> Control* addControl(QWidget* parent, const char* name) {
        auto* control = new Control(parent);
        control->setObjectName(QLatin1String(name));
        return control;
    }
    template <class Control>
    Control* addControl(QWidget* parent, const char* name, const QString& english,
                        const QString& spanish) {
        Control* control = addControl<Control>(parent, name);
        addCaption(control, english, spanish);
        return control;
    }

    // Runs a command of the window when the sender's signal comes, through runCommand: a
    // database error is reported and the window stays usable. The command takes the
    // signal's arguments (a grid's row and column) or none.
    template <class Sender, class Signal, class Command>
    void connectCommand(const Sender* sender, Signal signal, Command command) {
        connect(sender, signal, this, [command](auto... args) {
            runCommand([&] {
                if constexpr (std::is_invocable_v<Command, decltype(args)...>)
                    command(args...);
                else
                    command();
            });
        });
    }

    // Where the window's frame goes in the main window's client area, in twips. It is
    // applied once the window is framed: a move made by the load would be undone by the
    // framing.
    void setDesignedPosition(int leftTwips, int topTwips) {
        m_designedPosition = QPoint(leftTwips, topTwips);
    }

    virtual void loadWindow() = 0;
    virtual void unloadWindow() {}
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Caption {
        QPointer<QObject> target;
        QString english;
        QString spanish;
    };
    std::vector<Caption> m_captions;
    QPointer<QMdiSubWindow> m_frame;
    std::optional<QPoint> m_designedPosition;
    bool m_bankBound = false;
    bool m_helpKey = true;
    bool m_unloaded = false;
    bool m_loading = false;
    int m_bankLoaded = 0;
    int m_loads = 0;
};

// Sets the visible text of a label, button, frame, window or action.
void setCaptionText(QObject* target, const QString& text);
