// Several clerks at once on one database file, each in a process of its own: no entry is
// refused while another program writes, no line number is taken twice, every entry is whole.

#include "context.h"
#include "database.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QProcess>
#include <memory>
#include <vector>

namespace {

struct Clerk {
    QString mode;  // "adjust" or "clear"
    int count = 0; // adjustments to add, or lines to clear
};

} // namespace

class TestSeveralClerks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One clearing, three adding adjustments.
    void clerksAtOnce() {
        const QList<Clerk> clerks{{"clear", 12}, {"adjust", 25}, {"adjust", 25}, {"adjust", 25}};
        TestEnvironment env;
        env.openDatabase();
        insertAccount(1010, "Operating Bank", 2024, "CA", "BNK");
        insertAccount(5010, "Bank Service Charges");
        for (int line = 1; line <= 12; ++line) // lines waiting to be cleared
            insertLedgerLine({.line = line, .date = 20241001, .amount = -10.0 * line});
        const QString program = QCoreApplication::applicationDirPath() + "/clerk_at_work";

        std::vector<std::unique_ptr<QProcess>> running;
        for (int i = 0; i < clerks.size(); ++i) {
            auto process = std::make_unique<QProcess>();
            process->setProcessChannelMode(QProcess::MergedChannels);
            QStringList args{env.databaseFile(), clerks[i].mode, QString::number(clerks[i].count),
                             QString("Clerk%1").arg(i)};
            process->start(program, args);
            QVERIFY2(process->waitForStarted(), qPrintable(program));
            running.push_back(std::move(process));
        }
        int adjustments = 0;
        for (int i = 0; i < clerks.size(); ++i) {
            QProcess& p = *running[std::size_t(i)];
            QVERIFY(p.waitForFinished(240000));
            const QString output = QString::fromLocal8Bit(p.readAll());
            // No clerk was shown a message: nothing was refused.
            QVERIFY2(!output.contains("message:"), qPrintable(output));
            QCOMPARE(p.exitCode(), 0);
            if (clerks[i].mode == "adjust")
                adjustments += clerks[i].count;
        }

        // Every entry is there, twice as many lines, no line number taken twice.
        const QString ba = "gltJRNCDE='BA'";
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", ba), 2 * adjustments);
        QCOMPARE(sqlValue("select count(distinct gltLNENBR) from LDG_GENERAL_LEDGER_TRANSACTION "
                          "where gltFSYEAR=2024")
                     .toInt(),
                 sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltFSYEAR=2024"));
        // Every entry is balanced: its bank line and the reversing line that follows it.
        QCOMPARE(sqlValue("select count(*) from LDG_GENERAL_LEDGER_TRANSACTION a join "
                          "LDG_GENERAL_LEDGER_TRANSACTION r on r.gltFSYEAR=a.gltFSYEAR and "
                          "r.gltLNENBR=a.gltLNENBR+1 and r.gltTRNTYP='R' and "
                          "r.gltDESCPT=a.gltDESCPT and r.gltTRNAMT=-a.gltTRNAMT where "
                          "a.gltJRNCDE='BA' and a.gltTRNTYP='A'")
                     .toInt(),
                 adjustments);
        const int cleared = clerks[0].mode == "clear" ? clerks[0].count : 0;
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE=20241030"), cleared);
    }
};

QTEST_MAIN(TestSeveralClerks)
#include "tst_several_clerks.moc"
