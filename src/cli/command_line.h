#pragma once

#include <QStringList>

class QTextStream;

// The command line: the month's report as a PDF file, the outstanding items as of a date, and
// the statement import, without a window and without a display. Same settings and
// connection as the window program. `bankrec --help` lists the commands and
// `bankrec COMMAND --help` the options of one. A failure is one line on standard error and
// one of the exit codes below.
namespace cli {

enum Exit {
    Done = 0,
    UsageError = 1,  // the command line itself is wrong: nothing was read
    DataError = 2,   // the database, the account, the month or the statement file refuses it
    OutputError = 3, // the output file cannot be written
};

// True when the program's first argument names a command (or asks for help) rather than
// the windows, which take only Qt's own options (all of them starting with a dash).
bool isCommand(const QStringList& arguments);
// True when the command draws text (the PDF report) and so needs the GUI application with
// its fonts; the others run on a core application.
bool needsFonts(const QStringList& arguments);

QString usage();

// Runs the command of arguments (without the program name); returns its exit code.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cli
