// How long matching a statement takes: 5,000 statement lines against 100,000 open ledger
// lines (checks, single deposits and deposit slips of several deposits a day, with bank
// dates a few days after the ledger's, same-amount look-alikes and bank fees). Prints the
// time of the matching, how many lines each rule decided and the process's peak memory.
// With --files, the size of the statement files instead: a file of that many lines in each
// format, each read in a process of its own so its peak memory is its own.
//
//   bench_statement_match [statement lines] [open lines]
//   bench_statement_match --files [lines] [folder to keep the files in]

#include "matcher.h"
#include "statement_files.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

int ymd(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

// The peak of this program alone: Linux keeps the largest resident size across exec, so a
// child started by a large parent would report the parent's; VmHWM belongs to this image.
double ownPeakMegabytes() {
#ifdef Q_OS_LINUX
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
#endif
    return 0;
}

// The processor time this process has used, in milliseconds: on a machine shared with other
// work, a fairer figure than the time on the clock.
double cpuMilliseconds() {
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
#else
    return 0;
#endif
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

// Reads one file, in this process: the time and the peak memory of reading it.
int readOne(const QString& path, const QString& mapping) {
    const double before = ownPeakMegabytes();
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = cpuMilliseconds();
    StatementFile file;
    try {
        file = readStatementFile(path, CsvMapping::fromText(mapping));
    } catch (const StatementError& e) {
        QTextStream(stderr) << e.message() << "\n";
        return 1;
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    const double cpu = cpuMilliseconds() - cpuBefore;
    qsizetype lines = 0;
    for (const Statement& s : file.statements)
        lines += s.lines.size();
    QTextStream(stdout) << file.format.leftJustified(16) << QString::number(lines).rightJustified(8)
                        << " lines  " << QString::number(ms, 'f', 0).rightJustified(6) << " ms ("
                        << QString::number(cpu, 'f', 0) << " ms of processor)  "
                        << QString::number(ownPeakMegabytes(), 'f', 1).rightJustified(7)
                        << " MB peak (" << QString::number(before, 'f', 1) << " MB before)\n";
    return 0;
}

int files(const QString& program, int lines, const QString& keep) {
    using namespace statement_files;
    QTemporaryDir temporary;
    const QDir dir(keep.isEmpty() ? temporary.path() : keep);
    QTextStream out(stdout);
    out << "reading statement files of " << lines << " items\n";
    out.flush();
    const std::pair<Format, const char*> formats[] = {{Format::OfxSgml, "sgml.ofx"},
                                                      {Format::OfxXml, "xml.ofx"},
                                                      {Format::Camt053, "camt.xml"},
                                                      {Format::Bai2, "bai2.bai"},
                                                      {Format::Csv, "file.csv"}};
    for (const auto& [format, name] : formats) {
        Options options;
        options.format = format;
        options.lines = lines;
        options.days = 365;
        const Written written = write(options);
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(written.bytes) != written.bytes.size())
            return 1;
        file.close();
        QProcess reader;
        reader.setProcessChannelMode(QProcess::ForwardedChannels);
        reader.start(program, {QStringLiteral("--read"), path, written.mapping.toText()});
        reader.waitForFinished(-1);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--read"))
        return readOne(args.value(2), args.value(3));
    if (args.value(1) == QLatin1String("--files"))
        return files(app.applicationFilePath(), args.size() > 2 ? args.at(2).toInt() : 100000,
                     args.value(3));
    const int statementSize = args.size() > 1 ? args.at(1).toInt() : 5000;
    const int openSize = args.size() > 2 ? args.at(2).toInt() : 100000;

    QRandomGenerator random(20240229);
    const QDate start(2023, 1, 1);
    QList<ledger::Line> open;
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
        ledger::Line l;
        l.fiscalYear = date.year();
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
                b.cents = roundToCents(random.bounded(0, 20) == 0 ? l.amount - 5 : l.amount);
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
                b.cents = roundToCents(l.amount);
                statement.push_back(b);
            }
        } else { // a slip of three deposits, credited as one
            double total = 0;
            for (int k = 0; k < 3 && open.size() < openSize; ++k) {
                ledger::Line d = l;
                d.line = int(open.size()) + 1;
                d.amount = amount();
                d.description = QStringLiteral("Slip item");
                total += d.amount;
                open.push_back(d);
            }
            if (statement.size() < statementSize && random.bounded(0, 15) == 0) {
                StatementLine b;
                b.date = ymd(date.addDays(random.bounded(0, 3)));
                b.cents = roundToCents(total);
                statement.push_back(b);
            }
        }
    }
    while (statement.size() < statementSize) { // fees and items the ledger lacks
        StatementLine b;
        b.date = ymd(start.addDays(random.bounded(0, 540)));
        b.cents = -random.bounded(1, 5000);
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
