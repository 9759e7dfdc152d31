// The month's clearing and reconciling on a large ledger: for 1,000, 10,000 and 100,000
// uncleared lines on the demo bank account, how long the Clear window takes to open and to
// save a cleared date on every row, how long the Reconcile window takes to open, and how
// that compares with the plain queries that fetch the same rows.
//
//   QT_QPA_PLATFORM=offscreen bench_monthly_cycle [sizes...] [--folder DIR]

#include "clear_transactions.h"
#include "clock.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "demo_database.h"
#include "flex_grid.h"
#include "messages.h"
#include "reconcile_balances.h"
#include "report.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <sys/resource.h>

namespace {

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

double elapsedMs(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

void settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// The two lists the Clear window reads, fetched and read field by field with nothing else.
double plainClearQueries(int account, int* rowCount) {
    QElapsedTimer timer;
    timer.start();
    int rows = 0;
    for (const char* condition : {"gltTRNAMT>0", "gltTRNAMT<=0"}) {
        QSqlQuery query(db().database());
        query.setForwardOnly(true);
        query.exec(QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION where "
                                  "gltGLANBR=%1 and gltSTATUS<>'R' and %2")
                       .arg(account)
                       .arg(QString::fromLatin1(condition)));
        while (query.next()) {
            for (const char* field : {"gltRCNDTE", "gltCHKNBR", "gltTRNDTE", "gltTRNAMT",
                                      "gltDESCPT", "gltLNENBR", "gltFSYEAR"})
                (void)query.value(QString::fromLatin1(field));
            ++rows;
        }
    }
    *rowCount = rows;
    return elapsedMs(timer);
}

// The Reconcile window's statements for a new month, run bare.
double plainReconcileQueries(int account, int cutOff, int year) {
    QElapsedTimer timer;
    timer.start();
    const QString a = QString::number(account);
    const QStringList statements = {
        "Select max(brhSTMDTE) as maxSTMDTE from LDG_BANK_RECONCILIATION_HISTORY where "
        "brhGLANBR=" +
            a,
        "Select sum(gltTRNAMT) as sumTRNAMT from LDG_GENERAL_LEDGER_TRANSACTION where "
        "gltGLANBR=" +
            a + " and gltRCNDTE=0 and gltTRNDTE<" + QString::number(cutOff),
        "Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=" + QString::number(year) +
            " and glmGLANBR=" + a,
        "Select sum(gltTRNAMT) as sumTRNAMT from LDG_GENERAL_LEDGER_TRANSACTION where "
        "gltGLANBR=" +
            a + " and gltSTATUS<>'R' and gltTRNDTE<" + QString::number(cutOff)};
    for (const QString& sql : statements) {
        QSqlQuery query(db().database());
        query.setForwardOnly(true);
        query.exec(sql);
        while (query.next())
            (void)query.value(0);
    }
    return elapsedMs(timer);
}

// The same updates OK runs, bare: one autocommitted statement each (at most `limit` of them,
// as each waits for the disk), or all of them in one transaction.
double plainUpdates(const QVector<QPair<int, int>>& keys, int date, bool oneTransaction,
                    int limit) {
    QElapsedTimer timer;
    timer.start();
    QSqlDatabase database = db().database();
    if (oneTransaction)
        database.transaction();
    for (int i = 0; i < keys.size() && i < limit; ++i) {
        QSqlQuery query(database);
        query.exec(QStringLiteral("Update LDG_GENERAL_LEDGER_TRANSACTION set gltRCNDTE=%1 where "
                                  "gltFSYEAR=%2 and gltLNENBR=%3")
                       .arg(date)
                       .arg(keys[i].first)
                       .arg(keys[i].second));
    }
    if (oneTransaction)
        database.commit();
    return elapsedMs(timer);
}

void pragma(const QString& text) {
    QSqlQuery query(db().database());
    query.exec(text);
}

struct Figures {
    int size = 0;
    int rows = 0;
    double build = 0, clearOpen = 0, clearQuery = 0, clearOk = 0, rowFull = 0, rowNormal = 0,
           okOneTx = 0, reconcileOpen = 0, reconcileQuery = 0, peak = 0;
};

Figures measure(int size, const QString& folder) {
    Figures f;
    f.size = size;
    const QString file = QDir(folder).filePath(QStringLiteral("bench_%1.db").arg(size));
    QElapsedTimer timer;
    timer.start();
    buildDemoDatabase(file, DemoOptions{size});
    f.build = elapsedMs(timer);

    resetShared();
    db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1").arg(file));
    shared().wrkDBTYPE = QStringLiteral("ACCESS");
    shared().wrkBACNBR = kDemoBankAccount;

    // Warm the file cache the same way for the window and the plain queries.
    int plainRows = 0;
    plainClearQueries(kDemoBankAccount, &plainRows);
    f.clearQuery = plainClearQueries(kDemoBankAccount, &plainRows);

    timer.restart();
    QPointer<frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT> clear =
        new frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;
    clear->load();
    clear->show();
    QApplication::processEvents();
    f.clearOpen = elapsedMs(timer);

    auto* grid = clear->findChild<FlexGrid*>(QStringLiteral("grdTRANSACTION"));
    QVector<QPair<int, int>> keys;
    QHash<qint64, int> dateOfLine;
    for (int r = 1; r < grid->rows() && clear->lineOfRow(r) > 0; ++r) {
        keys.append({clear->fiscalYearOfRow(r), clear->lineOfRow(r)});
        dateOfLine.insert(frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT::lineKey(keys.last().first,
                                                                             keys.last().second),
                          20241031);
    }
    clear->setClearedDates(dateOfLine);
    f.rows = keys.size();
    if (f.rows != plainRows)
        std::fprintf(stderr, "grid rows %d, query rows %d\n", f.rows, plainRows);

    timer.restart();
    clear->findChild<QPushButton*>(QStringLiteral("tbcOK"))->click();
    f.clearOk = elapsedMs(timer);
    settle();
    if (clear)
        std::fprintf(stderr, "the Clear window did not close after OK\n");

    // Autocommit per row, measured on the first rows: with the default full sync and with the
    // normal sync that write-ahead logging allows.
    const int sample = std::min<int>(keys.size(), 2000);
    f.rowFull = plainUpdates(keys, 20241030, false, sample) * 1000.0 / sample;
    pragma(QStringLiteral("PRAGMA synchronous=NORMAL"));
    f.rowNormal = plainUpdates(keys, 20241029, false, sample) * 1000.0 / sample;
    pragma(QStringLiteral("PRAGMA synchronous=FULL"));
    f.okOneTx = plainUpdates(keys, 20241028, true, int(keys.size()));

    const QDate lastMonth = today().addMonths(-1);
    const int cutOff = fncMONTH_END(lastMonth.toString(QStringLiteral("MM/dd/yyyy")));
    plainReconcileQueries(kDemoBankAccount, cutOff, lastMonth.year());
    f.reconcileQuery = plainReconcileQueries(kDemoBankAccount, cutOff, lastMonth.year());
    timer.restart();
    QPointer<frmRECONCILE_CHECKING_ACCOUNT_BALANCES> reconcile =
        new frmRECONCILE_CHECKING_ACCOUNT_BALANCES;
    reconcile->load();
    reconcile->show();
    QApplication::processEvents();
    f.reconcileOpen = elapsedMs(timer);
    reconcile->close();
    settle();

    f.peak = peakMegabytes();
    resetShared();
    QFile::remove(file);
    return f;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installMessageBoxes();
    setMessageHandler([](const QString& text, const QString&) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });

    QList<int> sizes;
    QString folder;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--folder") && i + 1 < args.size())
            folder = args[++i];
        else if (args[i].toInt() > 0)
            sizes << args[i].toInt();
    }
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000};
    QTemporaryDir temporary;
    if (folder.isEmpty())
        folder = temporary.path();

    std::printf("Monthly cycle on the demo database (%s), times in ms\n", qPrintable(folder));
    std::printf("Clear OK writes every row in one transaction; rowFull and rowNormal are bare\n"
                "autocommitted updates in microseconds per row (sync FULL and NORMAL).\n");
    std::printf("%8s %8s %8s | %9s %9s %6s | %9s %9s %6s | %8s %9s | %9s %9s %6s | %8s\n", "lines",
                "rows", "build", "clearOpen", "query", "ratio", "clearOK", "oneTx", "ratio",
                "rowFull", "rowNormal", "reconOpen", "query", "ratio", "peakMB");
    for (int size : sizes) {
        const Figures f = measure(size, folder);
        std::printf("%8d %8d %8.0f | %9.1f %9.1f %6.2f | %9.1f %9.1f %6.2f | %8.0f %9.0f | "
                    "%9.1f %9.1f %6.2f | %8.1f\n",
                    f.size, f.rows, f.build, f.clearOpen, f.clearQuery, f.clearOpen / f.clearQuery,
                    f.clearOk, f.okOneTx, f.clearOk / f.okOneTx, f.rowFull, f.rowNormal,
                    f.reconcileOpen, f.reconcileQuery, f.reconcileOpen / f.reconcileQuery, f.peak);
        std::fflush(stdout);
    }
    return 0;
}
