// Builds a demo installation: the program folder, the demo database beside it, the settings
// file that turns demo mode on, and last month's bank statement in every format the import
// reads.
//
//   bankrec_demo ROOT [--large N]
//
// --large N adds N uncleared checks and deposits to the bank account, for measuring the
// windows on a large ledger.

#include "database.h"
#include "demo_database.h"
#include "statement_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments().mid(1);

    QString root;
    DemoOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--large") && i + 1 < arguments.size()) {
            bool ok = false;
            options.unreconciledTransactions = arguments.at(++i).toInt(&ok);
            if (!ok || options.unreconciledTransactions < 0) {
                err << "--large needs a whole number of transactions\n";
                return 2;
            }
        } else if (root.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            root = argument;
        } else {
            root.clear();
            break;
        }
    }
    if (root.isEmpty()) {
        err << "usage: bankrec_demo ROOT [--large N]\n";
        return 2;
    }

    try {
        QElapsedTimer clock;
        clock.start();
        const QString programs = buildDemoInstallation(root, options);
        const QString settings = demoSettingsFile(root);
        out << "Program folder: " << QDir::toNativeSeparators(programs) << "\n"
            << "Settings file:  " << QDir::toNativeSeparators(settings) << "\n"
            << "Bank statement: " << QDir::toNativeSeparators(demoStatementFile(root))
            << " (last month's, for Import Bank Statement)\n";
        for (const QString& other : statement_files::writeOtherFormats(demoStatementFile(root)))
            out << "                " << QDir::toNativeSeparators(other) << "\n";
        out << "(the same statement; for the CSV set the columns date 1, description 2, check 3, "
               "amount 4, 1 heading line)\n"
            << "Built in " << clock.elapsed() << " ms. Run the program with\n"
            << "  ORLUNDE_SETTINGS=" << settings << " TKV_PROGRAM_FOLDER=" << programs
            << " bankrec\n";
    } catch (const DatabaseError& error) {
        err << "The demo could not be built: " << error.description() << "\n";
        return 1;
    } catch (const StatementError& error) {
        err << "The demo's statement could not be written: " << error.message() << "\n";
        return 1;
    }
    return 0;
}
