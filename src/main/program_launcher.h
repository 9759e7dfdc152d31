#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QLocalServer;
class QWidget;

// Starting the suite's other programs and finding one that already runs by its window title.
//
// On Windows a running program is a top-level window with that exact title. Elsewhere there
// is no such lookup, so a running program holds a local server named after its title (per
// user); finding it means connecting to that name and asking it to bring its window forward.

// The full path of a program file of the program folder. Program files are named with
// ".exe" as on Windows; elsewhere the same name without ".exe" is the executable.
QString programFilePath(const QString& folder, const QString& fileName);

// Starts a program in its own process and returns at once. A program that cannot be started
// gets a message naming its file; returns false then.
bool startProgram(const QString& path);

// Finds a running program by its window title and brings its window to the top.
bool bringRunningProgramToTop(const QString& title);

// Tests replace the starting of programs (empty: start them for real).
using ProgramStarter = std::function<bool(const QString& path)>;
void setProgramStarter(ProgramStarter starter);

// Keeps this program findable by its title while it lives; a request to come forward raises
// and activates window.
class ProgramTitleHolder : public QObject {
    Q_OBJECT
public:
    ProgramTitleHolder(const QString& title, QWidget* window);
    ~ProgramTitleHolder() override;
    bool holding() const;
    int raiseCount() const { return m_raised; }

private:
    void bringForward();

    QString m_title;
    QPointer<QWidget> m_window;
    QLocalServer* m_server = nullptr;
    QWidget* m_titleWindow = nullptr;
    int m_raised = 0;
};

// The name under which a program title is held where there are no window titles to search.
QString programTitleServerName(const QString& title);
