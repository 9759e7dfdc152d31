// How long finding the cause of a difference takes on a large bank account: 100,000
// outstanding items and as many cleared ones, with a difference that nothing explains, so
// every kind searches to its end. Prints the read of the lines, each kind's search and the
// whole search, each the best of five runs.
//
//   bench_find_difference [outstanding items]

#include "best_of_five.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "find_difference.h"
#include "schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <numeric>
#include <random>

namespace {

// Outstanding items (every other line) and cleared ones, dated over the year before the
// cut-off, amounts in cents from a fixed seed.
QList<ledger::Line> makeLines(int outstanding) {
    std::mt19937 random(20241130);
    std::uniform_int_distribution<int> cents(1, 500000);
    QList<ledger::Line> lines;
    const QDate first(2024, 1, 1);
    for (int i = 0; i < 2 * outstanding; ++i) {
        ledger::Line l;
        l.fiscalYear = 2024;
        l.line = i + 1;
        l.date = dateNumber(first.addDays(i % 330));
        const bool deposit = i % 3 == 0;
        l.amount = (deposit ? 1 : -1) * cents(random) / 100.0;
        l.check = deposit ? 0 : 10000 + i;
        l.cleared = i % 2 == 0 ? 0 : dateNumber(first.addDays(i % 330 + 3));
        lines << l;
    }
    return lines;
}

void writeLines(const QList<ledger::Line>& lines) {
    Transaction transaction(db());
    QSqlQuery insert(db().database());
    insert.prepare(QStringLiteral(
        "insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,gltTRNDTE,gltGLANBR,"
        "gltDESCPT,gltTRNAMT,gltCHKNBR,gltRCNDTE,gltSTATUS,gltPSTDTE) "
        "values(?,?,?,1010,'Line',?,?,?,'',?)"));
    for (const ledger::Line& l : lines) {
        for (const QVariant& v :
             {QVariant(l.fiscalYear), QVariant(l.line), QVariant(l.date), QVariant(l.amount),
              QVariant(l.check), QVariant(l.cleared), QVariant(l.date)})
            insert.addBindValue(v);
        insert.exec();
    }
    transaction.commit();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("large.mdb"));
    QFile(file).open(QIODevice::WriteOnly); // an empty file is a new database
    db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1").arg(file));
    createSchema(db());
    writeLines(makeLines(count));

    QList<ledger::Line> lines;
    const double read =
        bestOfFive([&] { lines = ledger::lines(db(), 1010, ledger::unreconciledCondition()); });

    QTextStream out(stdout);
    out << "outstanding items " << count << ", lines read " << lines.size() << "\n";
    out << QStringLiteral("read of the lines      %1 ms\n").arg(read, 9, 'f', 1);
    // A cent that nothing explains, so every kind but the swapped digits searches to its
    // end; nine cents, a multiple of 9, which many lines of a large account explain.
    for (double difference : {0.01, 0.09}) {
        ledger::Month month;
        month.year = 2024;
        month.month = 11;
        month.statementDate = 20241130;
        month.cutOff = 20241130;
        month.difference = difference;
        // A statement whose twelve lines the ledger lacks (the most the pairing with one slip
        // tries), so that search runs each single-line search thirteen times.
        QList<reports::BankLine> bank;
        for (int i = 0; i < 12; ++i)
            bank << reports::BankLine{20241101 + i, -(1000 + 7 * i),
                                      QStringLiteral("FEE %1").arg(i)};
        reports::DifferenceSearch best;
        const double total = bestOfFive([&] {
            const reports::DifferenceSearch found = reports::findDifference(month, lines, bank);
            const auto sum = [](const reports::DifferenceSearch& s) {
                return std::accumulate(std::begin(s.milliseconds), std::end(s.milliseconds), 0.0);
            };
            if (best.milliseconds[0] == 0 || sum(found) < sum(best))
                best = found;
        });
        out << QStringLiteral("difference %1\n").arg(difference, 0, 'f', 2);
        for (int kind = 0; kind < reports::kCauseKinds; ++kind)
            out << QStringLiteral("  %1 %2 ms\n")
                       .arg(reports::causeKindName(reports::CauseKind(kind)).leftJustified(20))
                       .arg(best.milliseconds[kind], 9, 'f', 1);
        out << QStringLiteral("  search in total      %1 ms (three items among the newest %2), "
                              "%3 causes found (at most %4)\n")
                   .arg(total, 9, 'f', 1)
                   .arg(reports::DifferenceOptions().threeItemBound)
                   .arg(best.causes.size())
                   .arg(reports::DifferenceOptions().maxCauses);
    }
    resetShared();
    return 0;
}
