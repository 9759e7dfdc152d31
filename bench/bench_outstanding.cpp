// How long the questions after the month take on a large bank account: 100,000 ledger lines
// over four years, about one in ten still outstanding at the statement date. Prints the
// time of the outstanding items as of a date (with ageing) and of the changes since posting
// of one month, each the best of five runs.
//
//   bench_outstanding [lines]

#include "after_month.h"
#include "best_of_five.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>

namespace {

void buildLines(int count) {
    Transaction transaction(db());
    QSqlQuery insert(db().database());
    insert.prepare(QStringLiteral(
        "insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,gltTRNDTE,gltGLANBR,"
        "gltDESCPT,gltTRNAMT,gltCHKNBR,gltRCNDTE,gltSTATUS,gltPSTDTE) "
        "values(?,?,?,1010,?,?,?,?,?,?)"));
    const QDate first(2021, 1, 1);
    for (int i = 1; i <= count; ++i) {
        const QDate date = first.addDays(i % 1460);
        const int ymd = dateNumber(date);
        const bool check = i % 3 != 0;
        // Most lines cleared within two weeks; every tenth never cleared; a few voided.
        const int cleared = i % 10 == 0 ? 0 : dateNumber(date.addDays(3 + i % 11));
        insert.addBindValue(date.year());
        insert.addBindValue(i);
        insert.addBindValue(ymd);
        insert.addBindValue(check ? QStringLiteral("Payee %1").arg(i % 500)
                                  : QStringLiteral("Deposit"));
        insert.addBindValue(check ? -(i % 997) - 0.25 : (i % 1499) + 0.5);
        insert.addBindValue(check ? i : 0);
        insert.addBindValue(cleared);
        // Months up to October are posted: their cleared lines are reconciled.
        const QString status = i % 97 == 0                         ? QStringLiteral("V")
                               : cleared > 0 && cleared < 20241101 ? QStringLiteral("R")
                                                                   : QStringLiteral("");
        insert.addBindValue(status);
        insert.addBindValue(ymd);
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
    buildLines(count);

    reports::OutstandingList list;
    const double outstanding =
        bestOfFive([&] { list = reports::outstandingAsOf(db(), 1010, 20241231); });
    ledger::HistoryRow month;
    month.account = 1010;
    month.statementDate = 20241130;
    month.postedOn = 20241205;
    reports::ChangesSincePosting changes;
    const double changed = bestOfFive([&] { changes = reports::changesSincePosting(db(), month); });

    QTextStream out(stdout);
    out << "lines    outstanding items  outstanding as of(ms)  changes since posting(ms)\n";
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(count, 7)
               .arg(list.items.size(), 18)
               .arg(outstanding, 22, 'f', 1)
               .arg(changed, 26, 'f', 1);
    resetShared();
    return 0;
}
