#include "matcher.h"

#include "context.h"

#include "common.h"

#include <QDate>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <functional>

QString matchStateName(int state, bool spanish) {
    switch (MatchState(state)) {
    case MatchState::Matched:
        return spanish ? QStringLiteral("conciliada") : QStringLiteral("matched");
    case MatchState::NeedsChoice:
        return spanish ? QStringLiteral("elegir") : QStringLiteral("needs a choice");
    case MatchState::AlreadyCleared:
        return spanish ? QStringLiteral("ya aclarada") : QStringLiteral("already cleared");
    case MatchState::NoMatch:
        break;
    }
    return spanish ? QStringLiteral("sin pareja") : QStringLiteral("no match");
}

namespace {

qint64 dayOf(int ymd) {
    const QDate d = numberDate(ymd);
    return d.isValid() ? d.toJulianDay() : 0;
}

QString money(double amount) {
    return QString::number(std::abs(amount), 'f', 2);
}

class Matcher {
public:
    Matcher(const QVector<StatementLine>& statement, const QList<ledger::Line>& open,
            const MatchOptions& options)
        : m_statement(statement), m_open(open), m_options(options), m_result(statement.size()),
          m_decided(statement.size(), 0), m_used(open.size(), 0), m_day(open.size()),
          m_bankDay(statement.size()) {
        for (int i = 0; i < open.size(); ++i) {
            const ledger::Line& l = open.at(i);
            m_day[i] = dayOf(l.date);
            const qint64 cents = roundToCents(l.amount);
            if (l.cleared > 0) {
                if (l.check != 0)
                    m_clearedByCheck[l.check].push_back(i);
                m_clearedByCents[cents].push_back(i);
                if (cents > 0)
                    m_clearedDepositsByClearing[l.cleared].push_back(i);
            } else {
                if (l.check != 0)
                    m_byCheck[l.check].push_back(i);
                m_byCents[cents].push_back(i);
                if (cents > 0)
                    m_depositsByDay[m_day[i]].push_back(i);
            }
        }
        for (int s = 0; s < statement.size(); ++s)
            m_bankDay[s] = dayOf(statement.at(s).date);
    }

    QVector<Match> run() {
        forOpen([this](int s) { alreadyCleared(s); });
        forOpen([this](int s) { sameCheck(s); });
        forOpen([this](int s) { sameAmount(s); });
        forOpen([this](int s) { depositSlip(s); });
        forOpen([this](int s) { clearedAtAnotherAmount(s); });
        forOpen([this](int s) { noMatch(s); });
        return m_result;
    }

private:
    QString say(const QString& english, const QString& spanish) const {
        return m_options.spanish ? spanish : english;
    }

    // Runs a rule on every statement line no earlier rule has decided.
    void forOpen(const std::function<void(int)>& rule) {
        for (int s = 0; s < m_statement.size(); ++s)
            if (!m_decided[s])
                rule(s);
    }

    void decide(int s, MatchState state, QVector<int> lines, const QString& why) {
        Match& m = m_result[s];
        m.state = state;
        if (state == MatchState::NeedsChoice) {
            m.candidates = std::move(lines);
        } else {
            for (int i : lines)
                m_used[i] = 1;
            m.lines = std::move(lines);
        }
        m.why = why;
        m_decided[s] = 1;
    }

    QString clearedOn(int line) const {
        return say(QStringLiteral("already cleared on %1"), QStringLiteral("ya vaciado el %1"))
            .arg(fncFORMAT_DATE(m_open.at(line).cleared));
    }

    // A line cleared on the bank's own date, by the check number or the amount, or a group of
    // deposits cleared on that date that add up to the credit: this statement was read before.
    void alreadyCleared(int s) {
        const StatementLine& b = m_statement.at(s);
        const qint64 cents = b.cents;
        if (b.check != 0) {
            for (int i : m_clearedByCheck.value(b.check))
                if (!m_used[i] && roundToCents(m_open.at(i).amount) == cents)
                    return decide(s, MatchState::AlreadyCleared, {i}, clearedOn(i));
        }
        for (int i : m_clearedByCents.value(cents))
            if (!m_used[i] && m_open.at(i).cleared == b.date &&
                (b.check == 0 || m_open.at(i).check == 0 || m_open.at(i).check == b.check))
                return decide(s, MatchState::AlreadyCleared, {i}, clearedOn(i));
        if (cents > 0) {
            QVector<int> group = findSlip(m_clearedDepositsByClearing.value(b.date), cents);
            if (!group.isEmpty())
                return decide(s, MatchState::AlreadyCleared, group, clearedOn(group.first()));
        }
    }

    // The nearest by date of the lines given; -1 when none.
    int nearest(const QVector<int>& lines, int s) const {
        int best = -1;
        for (int i : lines)
            if (best < 0 ||
                std::abs(m_day[i] - m_bankDay[s]) < std::abs(m_day[best] - m_bankDay[s]))
                best = i;
        return best;
    }

    // A check the clerk cleared already, entered at another amount than the bank paid: it is
    // cleared, and the amounts are told, so it is never taken for a line the ledger lacks. A
    // line of the other sign under its number is no payment of it (the bank credited it back).
    void clearedAtAnotherAmount(int s) {
        const StatementLine& b = m_statement.at(s);
        if (b.check == 0)
            return;
        for (int i : m_clearedByCheck.value(b.check))
            if (!m_used[i] && (m_open.at(i).amount < 0) == (b.cents < 0))
                return decide(s, MatchState::AlreadyCleared, {i},
                              clearedOn(i) +
                                  say(QStringLiteral(", but the bank paid %1 and the ledger "
                                                     "says %2"),
                                      QStringLiteral(", pero el banco pagó %1 y el libro dice %2"))
                                      .arg(money(std::abs(centsToUnits(b.cents))))
                                      .arg(money(std::abs(m_open.at(i).amount))));
    }

    void sameCheck(int s) {
        const StatementLine& b = m_statement.at(s);
        if (b.check == 0)
            return;
        const qint64 cents = b.cents;
        QVector<int> same, other;
        for (int i : m_byCheck.value(b.check)) {
            if (m_used[i])
                continue;
            (roundToCents(m_open.at(i).amount) == cents ? same : other).push_back(i);
        }
        if (!same.isEmpty())
            return decide(
                s, MatchState::Matched, {nearest(same, s)},
                say(QStringLiteral("check %1, amount %2"), QStringLiteral("cheque %1, importe %2"))
                    .arg(b.check)
                    .arg(money(centsToUnits(b.cents))));
        if (!other.isEmpty()) {
            const ledger::Line& l = m_open.at(nearest(other, s));
            const QString why =
                b.cents < 0 ? say(QStringLiteral("check %1, but the bank paid %2 and the ledger "
                                                 "says %3"),
                                  QStringLiteral("cheque %1, pero el banco pagó %2 y el libro "
                                                 "dice %3"))
                            : say(QStringLiteral("check %1, but the bank credited %2 and the "
                                                 "ledger says %3"),
                                  QStringLiteral("cheque %1, pero el banco abonó %2 y el libro "
                                                 "dice %3"));
            decide(s, MatchState::NeedsChoice, other,
                   why.arg(b.check).arg(money(centsToUnits(b.cents)), money(l.amount)));
        }
    }

    QString distance(int line, int s) const {
        const qint64 days = m_bankDay[s] - m_day[line];
        const bool deposit = m_open.at(line).amount > 0;
        if (days == 0)
            return say(QStringLiteral("same day"), QStringLiteral("el mismo día"));
        const QString count =
            std::abs(days) == 1
                ? say(QStringLiteral("1 day"), QStringLiteral("1 día"))
                : say(QStringLiteral("%1 days"), QStringLiteral("%1 días")).arg(std::abs(days));
        if (days > 0)
            return deposit ? say(QStringLiteral("deposited %1 earlier"),
                                 QStringLiteral("depositado %1 antes"))
                                 .arg(count)
                           : say(QStringLiteral("written %1 earlier"),
                                 QStringLiteral("emitido %1 antes"))
                                 .arg(count);
        return say(QStringLiteral("dated %1 later"), QStringLiteral("fechado %1 después"))
            .arg(count);
    }

    void sameAmount(int s) {
        const StatementLine& b = m_statement.at(s);
        QVector<int> fit;
        for (int i : m_byCents.value(b.cents)) {
            const ledger::Line& l = m_open.at(i);
            if (m_used[i] || std::abs(m_day[i] - m_bankDay[s]) > m_options.days)
                continue;
            if (b.check != 0 && l.check != 0 && l.check != b.check)
                continue;
            fit.push_back(i);
        }
        if (fit.isEmpty())
            return;
        std::sort(fit.begin(), fit.end(), [&](int x, int y) {
            const qint64 dx = std::abs(m_day[x] - m_bankDay[s]);
            const qint64 dy = std::abs(m_day[y] - m_bankDay[s]);
            return dx != dy ? dx < dy : x < y;
        });
        const QString amount = say(QStringLiteral("amount %1"), QStringLiteral("importe %1"))
                                   .arg(money(centsToUnits(b.cents)));
        const auto gap = [&](int i) { return std::abs(m_day[i] - m_bankDay[s]); };
        if (fit.size() == 1)
            return decide(s, MatchState::Matched, {fit.first()},
                          amount + QStringLiteral(", ") + distance(fit.first(), s));
        if (gap(fit.at(0)) < gap(fit.at(1)))
            return decide(s, MatchState::Matched, {fit.first()},
                          amount + QStringLiteral(", ") + distance(fit.first(), s) +
                              say(QStringLiteral(", the nearest of %1"),
                                  QStringLiteral(", el más cercano de %1"))
                                  .arg(fit.size()));
        decide(s, MatchState::NeedsChoice, fit,
               amount + say(QStringLiteral(": %1 open lines within %2 days, choose one"),
                            QStringLiteral(": %1 líneas abiertas en %2 días, elija una"))
                            .arg(fit.size())
                            .arg(m_options.days));
    }

    // Deposits (unused, positive) of which some add up to target: all of them first, else the
    // first subset found, largest amounts first. Empty when none within the bounds.
    QVector<int> findSlip(const QVector<int>& deposits, qint64 target) const {
        QVector<int> items;
        for (int i : deposits)
            if (!m_used[i])
                items.push_back(i);
        if (items.size() < 2)
            return {};
        if (items.size() > m_options.slipMaxDeposits)
            return findSmallSlip(items, target);
        QVector<qint64> cents(items.size());
        std::sort(items.begin(), items.end(),
                  [this](int x, int y) { return m_open.at(x).amount > m_open.at(y).amount; });
        qint64 total = 0;
        for (int k = 0; k < items.size(); ++k)
            total += cents[k] = roundToCents(m_open.at(items.at(k)).amount);
        if (total == target)
            return items;
        if (total < target)
            return {};
        QVector<qint64> rest(items.size() + 1, 0); // sum of items k and after
        for (int k = int(items.size()) - 1; k >= 0; --k)
            rest[k] = rest[k + 1] + cents[k];
        QVector<int> chosen;
        int tries = 0;
        std::function<bool(int, qint64)> search = [&](int k, qint64 left) -> bool {
            if (left == 0)
                return chosen.size() >= 2;
            if (k >= items.size() || rest[k] < left || ++tries > m_options.slipMaxTries)
                return false;
            if (cents[k] <= left) {
                chosen.push_back(items.at(k));
                if (search(k + 1, left - cents[k]))
                    return true;
                chosen.pop_back();
            }
            return search(k + 1, left);
        };
        return search(0, target) ? chosen : QVector<int>();
    }

    // On a day of many deposits only slips of two or three are looked for, each through a
    // lookup by amount rather than a search of all the day's combinations.
    QVector<int> findSmallSlip(QVector<int> items, qint64 target) const {
        std::sort(items.begin(), items.end(),
                  [this](int x, int y) { return m_open.at(x).amount < m_open.at(y).amount; });
        QVector<qint64> cents(items.size());
        QHash<qint64, int> byCents; // amount to its last position in items
        for (int k = 0; k < items.size(); ++k)
            byCents.insert(cents[k] = roundToCents(m_open.at(items.at(k)).amount), k);
        for (int k = 0; k < items.size(); ++k) {
            const auto other = byCents.constFind(target - cents[k]);
            if (other != byCents.constEnd() && *other != k)
                return {items.at(k), items.at(*other)};
        }
        int tries = 0;
        for (int a = 0; a < items.size(); ++a)
            for (int b = a + 1; b < items.size() && cents[a] + cents[b] < target; ++b) {
                if (++tries > m_options.slipMaxTries)
                    return {};
                const auto third = byCents.constFind(target - cents[a] - cents[b]);
                if (third != byCents.constEnd() && *third > b)
                    return {items.at(a), items.at(b), items.at(*third)};
            }
        return {};
    }

    void depositSlip(int s) {
        const StatementLine& b = m_statement.at(s);
        const qint64 target = b.cents;
        if (target <= 0 || b.check != 0)
            return;
        // A slip is deposited on or before the day the bank credits it.
        for (int back = 0; back <= m_options.days; ++back) {
            const auto found = m_depositsByDay.constFind(m_bankDay[s] - back);
            if (found == m_depositsByDay.constEnd())
                continue;
            const QVector<int> group = findSlip(*found, target);
            if (group.isEmpty())
                continue;
            return decide(s, MatchState::Matched, group,
                          say(QStringLiteral("%1 deposits of %2 add up to %3"),
                              QStringLiteral("%1 depósitos del %2 suman %3"))
                              .arg(group.size())
                              .arg(fncFORMAT_DATE(m_open.at(group.first()).date))
                              .arg(money(centsToUnits(b.cents))));
        }
    }

    void noMatch(int s) {
        const StatementLine& b = m_statement.at(s);
        decide(s, MatchState::NoMatch, {},
               say(QStringLiteral("no open line of %1 within %2 days"),
                   QStringLiteral("ninguna línea abierta de %1 en %2 días"))
                   .arg(money(centsToUnits(b.cents)))
                   .arg(m_options.days));
    }

    const QVector<StatementLine>& m_statement;
    const QList<ledger::Line>& m_open;
    MatchOptions m_options;
    QVector<Match> m_result;
    QVector<char> m_decided;
    QVector<char> m_used;
    QVector<qint64> m_day;     // the open lines' dates as day numbers
    QVector<qint64> m_bankDay; // the statement lines' dates as day numbers
    QHash<qint64, QVector<int>> m_byCheck, m_byCents, m_clearedByCheck, m_clearedByCents;
    QHash<qint64, QVector<int>> m_depositsByDay;
    QHash<int, QVector<int>> m_clearedDepositsByClearing;
};

} // namespace

QVector<Match> matchStatement(const QVector<StatementLine>& statement,
                              const QList<ledger::Line>& open, const MatchOptions& options) {
    return Matcher(statement, open, options).run();
}
