#pragma once

#include "context.h"

#include <QApplication>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <optional>

// The same few helpers for every test: a temporary folder with its own settings file and
// program folder, a fixed date, a recorder of shown messages and questions, and a fresh
// SQLite database with the schema opened as the shared connection.
class TestEnvironment {
public:
    explicit TestEnvironment(int todayYmd = 20241115);
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString path(const QString& name) const;
    QString settingsFile() const { return path(QStringLiteral("ORLUNDE.ini")); }
    QString programFolder() const { return path(QStringLiteral("Programs")); }
    QString databaseFile() const { return path(QStringLiteral("bank.db")); }

    // Creates the schema in databaseFile() and opens db() on it (wrkDBTYPE "ACCESS").
    void openDatabase();

    // What the program showed, asked and did, in order.
    QStringList messages;
    QStringList titles;
    QStringList questions;
    bool answer = true; // the answer given to every question
    int endCount = 0;   // how often endProgram() was called

    void clearMessages() {
        messages.clear();
        titles.clear();
        questions.clear();
    }

private:
    QTemporaryDir m_dir;
};

// Runs one statement on the shared connection (throws on failure).
void sqlExec(const QString& sql);
// The first column of the first row of a query on the shared connection (null when none).
QVariant sqlValue(const QString& sql);
// Row count of a table with an optional where clause ("" for all rows).
int sqlCount(const QString& table, const QString& where = QString());

// Calls action with the next modal widget (dialog or message box) once it appears, from the
// event loop, so a test can answer a window that blocks in exec().
void whenModalAppears(std::function<void(QWidget*)> action, int timeoutMs = 5000);

class FlexGrid;
class QTableView;
class frmPRINT_PREVIEW;
class QComboBox;
class QLineEdit;
class QTextDocument;

// A window's control by its name.
template <typename T> T* child(QWidget* w, const char* name) {
    return w->findChild<T*>(QLatin1String(name));
}

// What the clerk does with a window's controls, found by their names.
namespace clerk {
// Clicks the button.
void click(QWidget* w, const char* name);
inline void clickOk(QWidget* w) {
    click(w, "tbcOK");
}
// The text of the text box.
QString text(QWidget* w, const char* name);
} // namespace clerk

// A document as the clerk sees it: per paragraph its alignment (L, C, R, J), then its runs of
// equal look ("b" bold, "i" italic, "u" underline, a colour) with their text.
QString describeDocument(const QTextDocument& document);

// Picks the item that starts with the given text from a drop-down list with the mouse.
void chooseComboItem(QComboBox* combo, const QString& startsWith);
// Replaces a box's text by typing, as the clerk does, and presses the key given after it.
void typeInto(QLineEdit* box, const QString& text, Qt::Key then = Qt::Key_unknown);

// Answers the print preview each time a prepared preview comes up for the clerk, one step
// per appearance, from inside the preview's own modal loop; later appearances are left alone.
void answerPreviews(QList<std::function<void(frmPRINT_PREVIEW*)>> steps);

// Clicks (or clicks, then double-clicks) a grid cell where the clerk would, on the grid's
// viewport.
void clickCell(QTableView* grid, int row, int col, bool twice = false);
// A cell's text as the view shows it, rows numbered as a FlexGrid's: 0 the headings, data
// from 1.
QString cellText(const QTableView* view, int row, int col);
// The grid's data rows that hold text in the given column.
int filledRows(const FlexGrid* grid, int col = 0);

// Writes the bytes to the file, making its folder as needed; returns the path.
QString writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes ("" when it cannot be read).
QByteArray readFile(const QString& path);

// The text of a PDF file as pdftotext -layout reads it ("" when it cannot be read).
QString pdfText(const QString& file);

// One ledger line; only the fields a test sets differ from the table's defaults.
struct LedgerLine {
    int line = 0;
    int date = 20241015;
    double amount = 0;
    int account = 1010;
    int year = 2024;
    QString status;
    int cleared = 0;
    int check = 0;
    QString description;
    QString journal;
    QString type;
    int time = 0;
    int employee = 0;
    QString checkText;
};
void insertLedgerLine(const LedgerLine& l);
// A column (or an expression of columns) of a ledger line as stored.
QVariant ledgerValue(int line, const QString& column, int year = 2024);
inline int clearedDate(int line, int year = 2024) {
    return ledgerValue(line, QStringLiteral("gltRCNDTE"), year).toInt();
}

// One account's month in the reconciliation history; only the fields a test sets differ
// from the table's defaults. A month is open until it has a posting date.
struct HistoryRow {
    int year = 2024;
    int month = 0;
    int statement = 0; // the statement date, yyyymmdd
    double bank = 0;
    double outstanding = 0;
    double adjusted = 0;
    double ledger = 0;
    double difference = 0;
    int saved = 0;  // the date the month was last saved
    int posted = 0; // the date it was posted, 0 while open
    int account = 1010;
};
void insertHistoryRow(const HistoryRow& h);
Q_DECLARE_METATYPE(HistoryRow)
// One account of the chart of accounts.
void insertAccount(int account, const QString& name, int year = 2024,
                   const QString& accountClass = QStringLiteral("CA"),
                   const QString& type = QString(), double beginning = 0);

// Constructs a window for the bank account, runs its load and shows it, as the main window
// does.
template <class Window> Window* openWindow(int bank = 1010) {
    shared().wrkBACNBR = bank;
    auto* w = new Window;
    w->load();
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("window not exposed");
    return w;
}

// Each test function's own environment and database, and the window it opened, which goes
// before the database does.
template <class Window> class WindowFixture {
protected:
    std::optional<TestEnvironment> env;
    QPointer<Window> w;
    void setUp(int todayYmd = 20241115) { env.emplace(todayYmd).openDatabase(); }
    void tearDown() {
        delete w.data();
        env.reset();
    }
};

// A test class whose every test function has its own environment and database: derive from
// it, and a test class of its own init() or cleanup() replaces these.
class DatabaseTest : public QObject {
    Q_OBJECT
protected:
    std::optional<TestEnvironment> env;
private Q_SLOTS:
    void init() { env.emplace().openDatabase(); }
    void cleanup() { env.reset(); }
};

// The program's window of the given class that is showing on its own, if there is one.
template <class Window> Window* topLevel() {
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops)
        if (auto* window = qobject_cast<Window*>(w); window && window->isVisible())
            return window;
    return nullptr;
}
// Deletes every program window left open; one may take others (its dialogs) with it.
void deleteProgramWindows();

// Closes a window as the clerk would and waits until it is gone.
template <class Window> void closeAndWait(QPointer<Window>& w) {
    if (w)
        w->close();
    QTRY_VERIFY(w.isNull());
}
