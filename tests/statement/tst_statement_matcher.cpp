// The matcher's rules, each with the reason the clerk reads, on plain lines without a
// database.

#include "context.h"
#include "matcher.h"

#include <QStandardPaths>
#include <QTest>

namespace {

// "line:date:amount[:check[:cleared]]" separated by blanks.
QList<ledger::Line> openLines(const QString& text) {
    QList<ledger::Line> lines;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList f = item.split(QLatin1Char(':'));
        lines.push_back({2024, f.value(0).toInt(), f.value(1).toInt(), f.value(2).toDouble(),
                         f.value(3).toLongLong(), QString(), f.value(4).toInt()});
    }
    return lines;
}

// "date:amount[:check]" separated by blanks.
QVector<StatementLine> bankLines(const QString& text) {
    QVector<StatementLine> lines;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList f = item.split(QLatin1Char(':'));
        lines.push_back(
            {f.value(0).toInt(), roundToCents(f.value(1).toDouble()), f.value(2).toLongLong()});
    }
    return lines;
}

// Each match as "state [ledger lines] why", joined with " | ".
QString described(const QVector<Match>& matches, const QList<ledger::Line>& open) {
    const char* states[] = {"matched", "choose", "none", "cleared"};
    QStringList out;
    for (const Match& m : matches) {
        QStringList lines;
        for (int i : m.state == MatchState::NeedsChoice ? m.candidates : m.lines)
            lines << QString::number(open.at(i).line);
        out << QStringLiteral("%1 [%2] %3")
                   .arg(QLatin1String(states[int(m.state)]), lines.join(QLatin1Char(',')), m.why);
    }
    return out.join(QStringLiteral(" | "));
}

} // namespace

class TestStatementMatcher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        shared().wrkDTEFMT = 0; // month/day/year
    }

    void eachBankLineMatchedAndExplained_data() {
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("bank");
        QTest::addColumn<bool>("spanish");
        QTest::addColumn<QString>("expected");

        QTest::newRow("check with another amount is a choice")
            << "1:20240201:-300:1002 2:20240204:-30"
            << "20240205:-30:1002" << false
            << "choose [1] check 1002, but the bank paid 30.00 and the ledger says 300.00";
        // Five days before and after the bank's date match, six do not; each line is used once.
        QTest::newRow("amount at the edge of the days")
            << "1:20240131:80 2:20240130:80 3:20240210:-80 4:20240211:-80"
            << "20240205:80 20240205:-80 20240205:80" << false
            << "matched [1] amount 80.00, deposited 5 days earlier | matched [3] amount 80.00, "
               "dated 5 days later | none [] no open line of 80.00 within 5 days";
        QTest::newRow("the only nearest is matched, two as near are a choice")
            << "1:20240201:-80 2:20240204:-80 3:20240206:-81 4:20240204:70 5:20240206:70"
            << "20240205:-80 20240205:70" << false
            << "matched [2] amount 80.00, written 1 day earlier, the nearest of 2 | choose [4,5] "
               "amount 70.00: 2 open lines within 5 days, choose one";
        QTest::newRow("a check entered without its number matches by amount, another number not")
            << "1:20240204:-80 2:20240204:-80:1007"
            << "20240205:-80:1008 20240205:-80:1008" << false
            << "matched [1] amount 80.00, written 1 day earlier | none [] no open line of 80.00 "
               "within 5 days";
        // Four deposits that day; three of them make the slip.
        QTest::newRow("deposit slip")
            << "1:20240203:100 2:20240203:80 3:20240203:50 4:20240203:45 5:20240204:230.01"
            << "20240205:230" << false << "matched [1,2,3] 3 deposits of 02/03/24 add up to 230.00";
        // A slip holds deposits only: not the check written that day, nor a batch of both signs.
        QTest::newRow("a whole day's deposits")
            << "1:20240203:100 2:20240203:80 3:20240203:-30"
            << "20240203:150 20240203:180" << false
            << "none [] no open line of 150.00 within 5 days | matched [1,2] 2 deposits of "
               "02/03/24 add up to 180.00";
        QTest::newRow("the stronger rule wins whatever the order")
            << "1:20240203:-300 2:20240204:-300:1002"
            << "20240205:-300 20240205:-300:1002" << false
            << "matched [1] amount 300.00, written 2 days earlier | matched [2] check 1002, "
               "amount 300.00";
        // Read a second time, after the dates went into the ledger: nothing is cleared twice.
        // A line the clerk cleared on another day is another payment of the same amount.
        QTest::newRow("already cleared")
            << "1:20240201:-300:1002:20240205 2:20240203:80:0:20240205 3:20240203:100:0:20240206 "
               "4:20240203:50:0:20240206 5:20240204:80 6:20240203:45:0:20240204"
            << "20240205:-300:1002 20240205:80 20240206:150 20240205:45" << false
            << "cleared [1] already cleared on 02/05/24 | cleared [2] already cleared on "
               "02/05/24 | cleared [3,4] already cleared on 02/06/24 | none [] no open line of "
               "45.00 within 5 days";
        // Credited back under its number, it is a line the ledger lacks.
        QTest::newRow("a check cleared already at another amount, or credited back")
            << "1:20240201:-300:1002:20240205"
            << "20240210:300:1002 20240205:-30:1002" << false
            << "none [] no open line of 300.00 within 5 days | cleared [1] already cleared on "
               "02/05/24, but the bank paid 30.00 and the ledger says 300.00";
        QTest::newRow("Spanish")
            << "1:20240201:-300:1002 2:20240203:80"
            << "20240205:-30:1002 20240205:80 20240205:9" << true
            << "choose [1] cheque 1002, pero el banco pagó 30.00 y el libro dice 300.00 | "
               "matched [2] importe 80.00, depositado 2 días antes | none [] ninguna línea "
               "abierta de 9.00 en 5 días";
        // Sixty deposits on one day: the search for a slip stops within its bounds.
        QString many;
        for (int i = 1; i <= 60; ++i)
            many += QStringLiteral("%1:20240203:%2 ").arg(i).arg(100 + i * 7);
        QTest::newRow("a slip among many deposits")
            << many << "20240205:1" << false << "none [] no open line of 1.00 within 5 days";
    }

    void eachBankLineMatchedAndExplained() {
        QFETCH(QString, open);
        QFETCH(QString, bank);
        QFETCH(bool, spanish);
        QFETCH(QString, expected);
        const QList<ledger::Line> lines = openLines(open);
        MatchOptions options;
        options.spanish = spanish;
        QCOMPARE(described(matchStatement(bankLines(bank), lines, options), lines), expected);
    }
};

QTEST_GUILESS_MAIN(TestStatementMatcher)
#include "tst_statement_matcher.moc"
