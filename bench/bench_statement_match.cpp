// How long matching a statement takes: 5,000 statement lines against 100,000 open ledger
// lines (checks, single deposits and deposit slips of several deposits a day, with bank
// dates a few days after the ledger's, same-amount look-alikes and bank fees). Prints the
// time of the matching, how many lines each rule decided and the process's peak memory.
//
//   bench_statement_match [statement lines] [open lines]

#include "matcher.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

int ymd(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

double peakMegabytes() {
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
#else
    return 0;
#endif
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int statementSize = args.size() > 1 ? args.at(1).toInt() : 5000;
    const int openSize = args.size() > 2 ? args.at(2).toInt() : 100000;

    QRandomGenerator random(20240229);
    const QDate start(2023, 1, 1);
    QVector<OpenLine> open;
    open.reserve(openSize);
    QVector<StatementLine> statement;
    statement.reserve(statementSize);
    // Amounts from a small set of round figures, so many lines share an amount as on a real
    // route account.
    auto amount = [&random] { return (random.bounded(1, 400) * 25) / 10.0; };
    int check = 1000;
    while (open.size() < openSize) {
        const QDate date = start.addDays(random.bounded(0, 540));
        const int kind = random.bounded(0, 10);
        OpenLine l;
        l.year = date.year();
        l.line = int(open.size()) + 1;
        l.date = ymd(date);
        if (kind < 5) { // a check
            l.amount = -amount();
            l.check = ++check;
            l.description = QStringLiteral("Payee %1").arg(check);
            open.push_back(l);
            if (statement.size() < statementSize && random.bounded(0, 40) == 0) {
                StatementLine b;
                b.date = ymd(date.addDays(random.bounded(2, 12)));
                b.amount = random.bounded(0, 20) == 0 ? l.amount - 5 : l.amount;
                b.check = l.check;
                statement.push_back(b);
            }
        } else if (kind < 9) { // a deposit on its own
            l.amount = amount();
            l.description = QStringLiteral("Route deposit");
            open.push_back(l);
            if (statement.size() < statementSize && random.bounded(0, 40) == 0) {
                StatementLine b;
                b.date = ymd(date.addDays(random.bounded(0, 4)));
                b.amount = l.amount;
                statement.push_back(b);
            }
        } else { // a slip of three deposits, credited as one
            double total = 0;
            for (int k = 0; k < 3 && open.size() < openSize; ++k) {
                OpenLine d = l;
                d.line = int(open.size()) + 1;
                d.amount = amount();
                d.description = QStringLiteral("Slip item");
                total += d.amount;
                open.push_back(d);
            }
            if (statement.size() < statementSize && random.bounded(0, 15) == 0) {
                StatementLine b;
                b.date = ymd(date.addDays(random.bounded(0, 3)));
                b.amount = total;
                statement.push_back(b);
            }
        }
    }
    while (statement.size() < statementSize) { // fees and items the ledger lacks
        StatementLine b;
        b.date = ymd(start.addDays(random.bounded(0, 540)));
        b.amount = -random.bounded(1, 5000) / 100.0;
        statement.push_back(b);
    }

    QElapsedTimer clock;
    clock.start();
    const QVector<Match> matches = matchStatement(statement, open);
    const double ms = clock.nsecsElapsed() / 1e6;

    int counts[4] = {};
    int slips = 0;
    for (const Match& m : matches) {
        counts[int(m.state)]++;
        slips += m.lines.size() > 1 ? 1 : 0;
    }
    QTextStream out(stdout);
    out << "statement lines: " << statement.size() << ", open lines: " << open.size() << "\n"
        << "matched: " << counts[0] << " (deposit slips " << slips
        << "), needs a choice: " << counts[1] << ", no match: " << counts[2]
        << ", already cleared: " << counts[3] << "\n"
        << "matching: " << QString::number(ms, 'f', 1) << " ms\n"
        << "peak memory of the process: " << QString::number(peakMegabytes(), 'f', 1) << " MB\n";
    return 0;
}
