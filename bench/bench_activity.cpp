// How long the activity inquiry takes to list a large bank account: the demo company with
// 1,000, 10,000 and 100,000 extra uncleared lines. Prints, per size, the time of the plain
// statements (run and read to the end) and the time from OK to a drawn listing.
//
//   QT_QPA_PLATFORM=offscreen bench_activity [sizes...]

#include "bank_activity.h"
#include "context.h"
#include "database.h"
#include "demo_database.h"
#include "flex_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

double plainQueries() {
    QElapsedTimer clock;
    clock.start();
    const QString account = QString::number(shared().wrkBACNBR);
    int rows = 0;
    for (const QString& sql :
         {QStringLiteral("Select * from LDG_BANK_EXPENDITURE_TRANSACTION where betGLANBR=") +
              account,
          QStringLiteral("Select * from LDG_BANK_DEPOSIT_TRANSACTION where bdtGLANBR=") +
              account}) {
        Recordset rs = db().execute(sql);
        for (; !rs.eof(); rs.moveNext()) {
            rs.field(0);
            ++rows;
        }
    }
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString::fromLocal8Bit(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000};

    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "lines    build(ms)  rows listed  plain query(ms)  open listing(ms)\n";
    for (const int size : sizes) {
        resetShared();
        const QString file = dir.filePath(QStringLiteral("large%1.mdb").arg(size));
        QElapsedTimer clock;
        clock.start();
        buildDemoDatabase(file, DemoOptions{size});
        const double build = clock.nsecsElapsed() / 1e6;
        db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1").arg(file));
        shared().wrkBACNBR = kDemoBankAccount;

        plainQueries(); // the file into the cache, as for a clerk who has worked a while
        const double plain = plainQueries();

        auto* window = new frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS;
        window->load();
        window->show();
        QApplication::processEvents();
        auto* ok = window->findChild<QPushButton*>(QStringLiteral("tbcOK"));
        clock.restart();
        ok->click();
        window->repaint(); // the listing on screen, not only in the grid's model
        QApplication::processEvents();
        const double open = clock.nsecsElapsed() / 1e6;
        const int rows = window->nextRow() - 1;
        window->closeWindow();
        QApplication::processEvents();

        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(size, 7)
                   .arg(build, 11, 'f', 0)
                   .arg(rows, 12)
                   .arg(plain, 16, 'f', 1)
                   .arg(open, 17, 'f', 1);
        out.flush();
    }
    resetShared();
    return 0;
}
