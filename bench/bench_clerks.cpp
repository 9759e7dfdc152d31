// Several clerks adding adjustments at once on one database file: 4 processes (by default),
// each adding 100 adjustments through the real Adjustments window. Prints the wall time, the
// time per adjustment over all clerks, and the slowest single Add (the longest wait for
// another clerk's write).
//
//   QT_QPA_PLATFORM=offscreen bench_clerks [clerks] [adjustments]

#include "context.h"
#include "database.h"
#include "schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    const int clerks = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 4;
    const int each = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 100;
    const QString program = QCoreApplication::applicationDirPath() + "/../tests/clerk_at_work";

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("clerks.mdb"));
    QFile(file).open(QIODevice::WriteOnly);
    db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=") + file);
    createSchema(db());
    db().execute("insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,glmGLANBR,glmGLANME,"
                 "glmGLACDE,glmGLATYP,glmBOYBAL) values(2024,'*',1010,'Operating Bank','CA',"
                 "'BNK',0),(2024,'*',5010,'Bank Service Charges','CA','',0)");
    db().close();

    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QProcess>> running;
    for (int i = 0; i < clerks; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(program, {file, QStringLiteral("adjust"), QString::number(each),
                           QStringLiteral("Clerk%1").arg(i)});
        running.push_back(std::move(p));
    }
    qint64 slowest = 0;
    int refused = 0;
    for (auto& p : running) {
        p->waitForFinished(-1);
        const QString out = QString::fromLocal8Bit(p->readAll());
        refused += int(out.count(QStringLiteral("message:")));
        const auto m = QRegularExpression(QStringLiteral("slowest: (\\d+) ms")).match(out);
        slowest = std::max(slowest, m.hasMatch() ? m.captured(1).toLongLong() : 0);
        if (p->exitStatus() != QProcess::NormalExit || !m.hasMatch())
            QTextStream(stderr) << "a clerk failed: " << out << "\n";
    }
    const double total = double(clock.elapsed());
    QTextStream(stdout) << "clerks  adjustments  wall(ms)  per adjustment(ms)  slowest Add(ms)  "
                           "refused\n"
                        << qSetFieldWidth(6) << clerks << qSetFieldWidth(13) << clerks * each
                        << qSetFieldWidth(10) << qint64(total) << qSetFieldWidth(20)
                        << QString::number(total / (clerks * each), 'f', 1) << qSetFieldWidth(17)
                        << slowest << qSetFieldWidth(9) << refused << qSetFieldWidth(0) << "\n";
    return refused == 0 ? 0 : 1;
}
