#pragma once

#include <QStringList>

class QTextStream;

// The command line: the month's report as a PDF file, the outstanding items as of a date, and
// the statement import, without a window and without a display. Same settings and
// connection as the window program. Exit code 0 on success; 1 with one line on standard
// error for bad arguments or a database error.
namespace cli {

// True when the program's first argument names a command rather than the windows.
bool isCommand(const QStringList& arguments);
// True when the command draws text (the PDF report) and so needs the GUI application with
// its fonts; the others run on a core application.
bool needsFonts(const QStringList& arguments);

QString usage();

// Runs the command of arguments (without the program name).
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cli
