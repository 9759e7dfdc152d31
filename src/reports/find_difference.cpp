#include "find_difference.h"

#include "common.h"
#include "context.h"
#include "database.h"
#include "import_session.h"
#include "matcher.h"
#include "money.h"
#include "settings.h"
#include "statement.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace reports {

namespace {

QString money(qint64 cents) {
    return formatNumber(centsToUnits(cents), QStringLiteral("###0.00"));
}

// A line as the clerk knows it: "check 1003 of 02/02/24 (-318.40, Rapid Parts)".
QString lineText(const ledger::Line& l, bool spanish) {
    QString text =
        l.check > 0
            ? (spanish ? QStringLiteral("el cheque %1 del %2") : QStringLiteral("check %1 of %2"))
                  .arg(l.check)
                  .arg(fncFORMAT_DATE(l.date))
            : (spanish ? QStringLiteral("la línea del %1") : QStringLiteral("the line of %1"))
                  .arg(fncFORMAT_DATE(l.date));
    text += QStringLiteral(" (") + money(roundToCents(l.amount));
    if (!l.description.trimmed().isEmpty())
        text += QStringLiteral(", ") + l.description.trimmed();
    return text + QLatin1Char(')');
}

QString linesText(const QList<ledger::Line>& lines, bool spanish) {
    QStringList parts;
    for (const ledger::Line& l : lines)
        parts << lineText(l, spanish);
    return parts.join(spanish ? QStringLiteral(" y ") : QStringLiteral(" and "));
}

class Search {
public:
    Search(const ledger::Month& month, const QList<ledger::Line>& lines,
           const QList<BankLine>& bank, const DifferenceOptions& options)
        : m_month(month), m_lines(lines), m_bank(bank), m_options(options),
          m_target(-roundToCents(month.difference)) {
        for (const ledger::Line& l : lines) {
            if (counted(l))
                (l.cleared > 0 ? m_cleared : m_outstanding) << &l;
            if (!bank.isEmpty()) {
                m_byKey.insert(key(l.fiscalYear, l.line), &l);
                if (l.check > 0 && counted(l))
                    m_byCheck.insert(l.check, &l);
            }
        }
    }

    DifferenceSearch run() {
        DifferenceSearch result;
        result.difference = -m_target;
        if (m_target == 0)
            return result;
        const auto timed = [&result](CauseKind kind, const std::function<void()>& search) {
            QElapsedTimer clock;
            clock.start();
            search();
            result.milliseconds[int(kind)] = double(clock.nsecsElapsed()) / 1e6;
        };
        timed(CauseKind::ClearItem, [this] { clearItem(); });
        timed(CauseKind::WrongSign, [this] { amountCorrections(CauseKind::WrongSign); });
        // Two digits swapped change an amount by a multiple of 9 cents.
        if (m_target % 9 == 0)
            timed(CauseKind::Transposed, [this] { amountCorrections(CauseKind::Transposed); });
        timed(CauseKind::DecimalPoint, [this] { amountCorrections(CauseKind::DecimalPoint); });
        timed(CauseKind::TwoItems, [this] { twoItems(); });
        timed(CauseKind::ThreeItems, [this, &result] { result.threeItemsBounded = threeItems(); });
        timed(CauseKind::BankAmount, [this] { bankAmounts(); });
        timed(CauseKind::BankLines, [this] { bankLines(); });
        timed(CauseKind::WrongMonth, [this] { wrongMonth(); });
        timed(CauseKind::BankLinesAndItem, [this] { bankLinesAndItem(); });
        result.causes = m_causes;
        return result;
    }

private:
    // The lines Reconcile counts: unreconciled and dated before the cut-off.
    bool counted(const ledger::Line& l) const { return l.date > 0 && l.date < m_month.cutOff; }
    static qint64 cents(const ledger::Line& l) { return roundToCents(l.amount); }
    // How correcting a counted line's amount by delta cents moves the difference: a line not
    // cleared is in the outstanding total as well as in the ledger balance.
    static qint64 correctionEffect(const ledger::Line& l, qint64 delta) {
        return -(l.cleared > 0 ? 1 : 2) * delta;
    }
    bool full() const { return m_causes.size() >= m_options.maxCauses; }

    void add(CauseKind kind, QList<ledger::Line> lines, qint64 corrected, const QString& english,
             const QString& spanish, QList<int> bankLines = {}) {
        if (full())
            return;
        Cause c;
        c.kind = kind;
        c.lines = std::move(lines);
        c.bankLines = std::move(bankLines);
        c.explained = m_target;
        c.correctedCents = corrected;
        c.english = english;
        c.spanish = spanish;
        m_causes << c;
    }

    QString differenceText() const { return money(-m_target); }

    void clearItem() {
        for (const ledger::Line* l : std::as_const(m_outstanding))
            if (cents(*l) == m_target)
                add(CauseKind::ClearItem, {*l}, 0,
                    QStringLiteral("%1 is outstanding and clearing it explains the difference "
                                   "of %2: it has probably cleared. Clear it.")
                        .arg(lineText(*l, false), differenceText()),
                    QStringLiteral("%1 está pendiente y vaciarla explica la diferencia de %2: "
                                   "probablemente ya se vació. Vacíela.")
                        .arg(lineText(*l, true), differenceText()));
    }

    // The amounts a line may have been meant to hold, for one kind of slip. Kept on the
    // stack: the search runs it for every line of the account.
    struct Meant {
        qint64 values[24];
        int count = 0;
        void add(qint64 v, qint64 written) {
            if (v != written && count < 24)
                values[count++] = v;
        }
    };
    static Meant meantAmounts(CauseKind kind, qint64 written) {
        Meant meant;
        if (kind == CauseKind::WrongSign) {
            meant.add(-written, written);
        } else if (kind == CauseKind::DecimalPoint) {
            meant.add(written * 10, written);
            meant.add(written * 100, written);
            if (written % 10 == 0)
                meant.add(written / 10, written);
            if (written % 100 == 0)
                meant.add(written / 100, written);
        } else {
            // Two adjacent digits of the amount in cents swapped, with no leading zero made:
            // swapping the digits at 10^k and 10^(k+1) moves the amount by 9 * 10^k times
            // their difference.
            const qint64 sign = written < 0 ? -1 : 1;
            qint64 rest = std::llabs(written);
            int digits[20];
            int length = 0;
            for (; rest > 0 && length < 20; rest /= 10)
                digits[length++] = int(rest % 10);
            qint64 power = 1;
            for (int k = 0; k + 1 < length; ++k, power *= 10) {
                const int low = digits[k];
                const int high = digits[k + 1];
                if (low == high || (k + 2 == length && low == 0))
                    continue;
                meant.add(written + sign * 9 * power * (low - high), written);
            }
        }
        return meant;
    }

    void amountCorrections(CauseKind kind) {
        for (const QList<const ledger::Line*>* group : {&m_cleared, &m_outstanding})
            for (const ledger::Line* l : *group) {
                const qint64 written = cents(*l);
                if (written == 0)
                    continue;
                const Meant candidates = meantAmounts(kind, written);
                for (int c = 0; c < candidates.count; ++c) {
                    const qint64 meant = candidates.values[c];
                    // The sentence is made only for a cause that is kept.
                    if (correctionEffect(*l, meant - written) != m_target || full())
                        continue;
                    const QString how =
                        kind == CauseKind::WrongSign    ? QStringLiteral("with the other sign")
                        : kind == CauseKind::Transposed ? QStringLiteral("two digits swapped")
                                                        : QStringLiteral("the decimal point "
                                                                         "moved");
                    const QString como = kind == CauseKind::WrongSign
                                             ? QStringLiteral("con el otro signo")
                                         : kind == CauseKind::Transposed
                                             ? QStringLiteral("dos dígitos intercambiados")
                                             : QStringLiteral("el punto decimal movido");
                    add(kind, {*l}, meant,
                        QStringLiteral("%1 was probably meant as %2 (%3): corrected, the "
                                       "difference of %4 is gone.")
                            .arg(lineText(*l, false), money(meant), how, differenceText()),
                        QStringLiteral("%1 probablemente debía ser %2 (%3): corregida, la "
                                       "diferencia de %4 desaparece.")
                            .arg(lineText(*l, true), money(meant), como, differenceText()));
                }
            }
    }

    void twoItems() {
        QHash<qint64, QList<int>> byAmount;
        for (int i = 0; i < m_outstanding.size() && !full(); ++i) {
            const qint64 amount = cents(*m_outstanding.at(i));
            const auto partners = byAmount.constFind(m_target - amount);
            if (partners != byAmount.constEnd())
                for (int j : *partners)
                    addItems(CauseKind::TwoItems, {*m_outstanding.at(j), *m_outstanding.at(i)});
            byAmount[amount] << i;
        }
    }

    // False when every outstanding item was looked at; true when the bound cut the search.
    bool threeItems() {
        // The newest items: an old item that has not cleared for months rarely clears now.
        QList<const ledger::Line*> items = m_outstanding;
        std::sort(items.begin(), items.end(),
                  [](const ledger::Line* a, const ledger::Line* b) { return a->date > b->date; });
        const bool bounded = items.size() > m_options.threeItemBound;
        if (bounded)
            items = items.mid(0, m_options.threeItemBound);
        QHash<qint64, QList<int>> byAmount;
        for (int k = 0; k < items.size(); ++k)
            byAmount[cents(*items.at(k))] << k;
        for (int i = 0; i < items.size() && !full(); ++i)
            for (int j = i + 1; j < items.size() && !full(); ++j) {
                const auto third =
                    byAmount.constFind(m_target - cents(*items.at(i)) - cents(*items.at(j)));
                if (third == byAmount.constEnd())
                    continue;
                for (int k : *third)
                    if (k > j)
                        addItems(CauseKind::ThreeItems, {*items.at(i), *items.at(j), *items.at(k)});
            }
        return bounded;
    }

    void addItems(CauseKind kind, const QList<ledger::Line>& items) {
        add(kind, items, 0,
            QStringLiteral("Clearing the outstanding items %1 explains the difference of %2: "
                           "they have probably cleared.")
                .arg(linesText(items, false), differenceText()),
            QStringLiteral("Vaciar las partidas pendientes %1 explica la diferencia de %2: "
                           "probablemente ya se vaciaron.")
                .arg(linesText(items, true), differenceText()));
    }

    static qint64 key(int year, int line) { return qint64(year) << 32 | quint32(line); }
    // The ledger line a bank line stands for: the one the import matched it to, else, for a
    // check the import left alone because the ledger holds it at another amount and cleared
    // already, the line of the same check number, if it goes the same way (a credit under a
    // check's number is the bank giving it back, a line of its own).
    const ledger::Line* matched(const BankLine& b) const {
        if (b.matchedLine > 0)
            return m_byKey.value(key(b.matchedYear, b.matchedLine), nullptr);
        if (b.matchedLine == 0 && b.check > 0)
            if (const ledger::Line* l = m_byCheck.value(b.check, nullptr);
                l && (l->amount < 0) == (b.cents < 0))
                return l;
        return nullptr;
    }

    void bankAmounts() {
        for (int i = 0; i < m_bank.size(); ++i) {
            const BankLine& b = m_bank.at(i);
            const ledger::Line* l = matched(b);
            if (!l || !counted(*l) || b.cents == cents(*l))
                continue;
            // Corrected to the bank's amount, and cleared when it is not yet.
            const qint64 written = cents(*l);
            const qint64 effect = (l->cleared > 0 ? 0 : written) - (b.cents - written);
            if (effect != m_target)
                continue;
            add(CauseKind::BankAmount, {*l}, b.cents,
                QStringLiteral("The bank took %1 for %2: with the ledger line corrected to the "
                               "bank's amount and cleared, the difference of %3 is gone.")
                    .arg(money(b.cents), lineText(*l, false), differenceText()),
                QStringLiteral("El banco registró %1 para %2: con la línea del libro corregida "
                               "al importe del banco y vaciada, la diferencia de %3 desaparece.")
                    .arg(money(b.cents), lineText(*l, true), differenceText()),
                {i});
        }
    }

    // The bank's lines of the month that match no ledger line.
    QList<int> unmatchedBankLines() const {
        QList<int> unmatched;
        for (int i = 0; i < m_bank.size(); ++i)
            if (m_bank.at(i).matchedLine == 0 && m_bank.at(i).date < m_month.cutOff &&
                !matched(m_bank.at(i)))
                unmatched << i;
        return unmatched;
    }
    qint64 bankSum(const QList<int>& which) const {
        qint64 sum = 0;
        for (int i : which)
            sum += m_bank.at(i).cents;
        return sum;
    }
    QString bankLinesText(const QList<int>& which) const {
        QStringList parts;
        for (int i : which)
            parts << QStringLiteral("%1 %2 (%3)")
                         .arg(fncFORMAT_DATE(m_bank.at(i).date), m_bank.at(i).description,
                              money(m_bank.at(i).cents));
        return parts.join(QStringLiteral(", "));
    }

    // Added as adjustments and cleared, the bank's lines lower the difference by their sum.
    void bankLines() {
        const QList<int> unmatched = unmatchedBankLines();
        const qint64 sum = bankSum(unmatched);
        const auto offer = [&](const QList<int>& which) {
            add(CauseKind::BankLines, {}, 0,
                QStringLiteral("The bank's lines %1 are not in the ledger and explain the "
                               "difference of %2: add them as adjustments, cleared on the "
                               "bank's dates.")
                    .arg(bankLinesText(which), differenceText()),
                QStringLiteral("Las líneas del banco %1 no están en el libro y explican la "
                               "diferencia de %2: agréguelas como ajustes, vaciados en las "
                               "fechas del banco.")
                    .arg(bankLinesText(which), differenceText()),
                which);
        };
        if (!unmatched.isEmpty() && -sum == m_target) {
            offer(unmatched);
            return;
        }
        for (int i : unmatched)
            if (-m_bank.at(i).cents == m_target)
                offer({i});
    }

    void wrongMonth() {
        const int statement = m_month.statementDate > 0 ? m_month.statementDate : m_month.cutOff;
        for (const ledger::Line& l : m_lines) {
            const qint64 amount = cents(l);
            if (counted(l) && l.cleared > statement && -amount == m_target) {
                // Not cleared by the statement date: it belongs in the outstanding total.
                add(CauseKind::WrongMonth, {l}, 0,
                    QStringLiteral("%1 was cleared on %2, after the statement date %3: it was "
                                   "still outstanding then. Clear it next month.")
                        .arg(lineText(l, false), fncFORMAT_DATE(l.cleared),
                             fncFORMAT_DATE(statement)),
                    QStringLiteral("%1 se vació el %2, después de la fecha del estado %3: aún "
                                   "estaba pendiente. Vacíela el mes próximo.")
                        .arg(lineText(l, true), fncFORMAT_DATE(l.cleared),
                             fncFORMAT_DATE(statement)));
            } else if (!counted(l) && l.date > 0 && l.cleared > 0 && l.cleared < m_month.cutOff &&
                       -amount == m_target) {
                // The bank shows it this month, the ledger counts it next month.
                add(CauseKind::WrongMonth, {l}, 0,
                    QStringLiteral("%1 is dated after the cut-off but was cleared on %2: the bank "
                                   "counts it in this month, the ledger in the next. Check its "
                                   "date.")
                        .arg(lineText(l, false), fncFORMAT_DATE(l.cleared)),
                    QStringLiteral("%1 tiene fecha posterior al corte pero se vació el %2: el "
                                   "banco la cuenta este mes, el libro el próximo. Revise su "
                                   "fecha.")
                        .arg(lineText(l, true), fncFORMAT_DATE(l.cleared)));
            }
        }
    }

    // The bank's lines the ledger lacks (each alone, then all of them) added as adjustments,
    // and what they leave of the difference explained by one slip in the ledger. Only a
    // statement's few unmatched lines are tried, so the search stays a handful of the
    // single-line searches.
    void bankLinesAndItem() {
        const QList<int> unmatched = unmatchedBankLines();
        if (unmatched.isEmpty() || unmatched.size() > kMostBankLinesTried)
            return;
        QList<QList<int>> choices;
        for (int i : unmatched)
            choices << QList<int>{i};
        if (unmatched.size() > 1)
            choices << unmatched;
        const qint64 whole = m_target;
        QSet<qint64> rests;
        for (const QList<int>& choice : std::as_const(choices))
            rests.insert(whole + bankSum(choice));
        const QSet<qint64> found = slipsAmong(rests);
        QList<Cause> kept = m_causes;
        for (const QList<int>& choice : std::as_const(choices)) {
            // Added and cleared, the bank's lines move the difference by minus their sum.
            const qint64 rest = whole + bankSum(choice);
            if (rest == 0 || rest == whole)
                continue; // the bank's lines alone, or nothing of them
            m_target = rest;
            m_causes.clear();
            if (found.contains(rest)) {
                clearItem();
                amountCorrections(CauseKind::WrongSign);
                if (rest % 9 == 0)
                    amountCorrections(CauseKind::Transposed);
                amountCorrections(CauseKind::DecimalPoint);
            }
            bankAmounts();
            QList<Cause> parts = m_causes;
            // A correction the statement bears out (the bank paid that check at the corrected
            // amount) comes before those that only add up.
            std::stable_sort(parts.begin(), parts.end(), [this](const Cause& a, const Cause& b) {
                return borneOut(a) && !borneOut(b);
            });
            m_target = whole;
            m_causes = kept;
            // The same line corrected to the same amount (by its digits and as the bank's
            // amount, say) is one cause.
            QSet<QPair<qint64, qint64>> corrections;
            for (const Cause& part : std::as_const(parts)) {
                const ledger::Line& l = part.lines.first();
                const QPair<qint64, qint64> correction{key(l.fiscalYear, l.line),
                                                       part.correctedCents};
                if (part.lines.size() == 1 && corrections.contains(correction))
                    continue;
                corrections.insert(correction);
                addBoth(part, choice, rest);
            }
            kept = m_causes;
        }
    }

    // Which of the wanted moves of the difference one line's slip (cleared, sign, digits,
    // decimal point) makes: one pass over the lines, so the searches that build the causes
    // run only for a move that some line makes.
    QSet<qint64> slipsAmong(const QSet<qint64>& wanted) const {
        QSet<qint64> made;
        for (const QList<const ledger::Line*>* group : {&m_cleared, &m_outstanding})
            for (const ledger::Line* l : *group) {
                const qint64 written = cents(*l);
                if (l->cleared == 0 && wanted.contains(written))
                    made.insert(written);
                if (written == 0)
                    continue;
                for (CauseKind kind :
                     {CauseKind::WrongSign, CauseKind::Transposed, CauseKind::DecimalPoint}) {
                    const Meant meant = meantAmounts(kind, written);
                    for (int c = 0; c < meant.count; ++c) {
                        const qint64 effect = correctionEffect(*l, meant.values[c] - written);
                        if (wanted.contains(effect))
                            made.insert(effect);
                    }
                }
            }
        return made;
    }

    bool borneOut(const Cause& c) const {
        if (c.lines.size() != 1 || c.lines.first().check <= 0 || c.correctedCents == 0)
            return false;
        return std::any_of(m_bank.cbegin(), m_bank.cend(), [&c](const BankLine& b) {
            return b.check == c.lines.first().check && b.cents == c.correctedCents;
        });
    }

    void addBoth(const Cause& part, const QList<int>& choice, qint64 rest) {
        const QString partText = money(-rest);
        const QString bankText = money(bankSum(choice));
        const bool one = choice.size() == 1;
        add(CauseKind::BankLinesAndItem, part.lines, part.correctedCents,
            QStringLiteral("Two causes together explain the difference of %1. %2 of it: %3 The "
                           "other %4: %5 %6")
                .arg(differenceText(), partText, part.english, bankText,
                     one ? QStringLiteral("the bank's line") : QStringLiteral("the bank's lines"),
                     bankLinesText(choice))
                .append(one ? QStringLiteral(" is not in the ledger; add it as an adjustment, "
                                             "cleared on the bank's date.")
                            : QStringLiteral(" are not in the ledger; add them as adjustments, "
                                             "cleared on the bank's dates.")),
            QStringLiteral("Dos causas juntas explican la diferencia de %1. %2 de ella: %3 El "
                           "resto, %4: %5 %6")
                .arg(differenceText(), partText, part.spanish, bankText,
                     one ? QStringLiteral("la línea del banco")
                         : QStringLiteral("las líneas del banco"),
                     bankLinesText(choice))
                .append(one ? QStringLiteral(" no está en el libro; agréguela como ajuste, "
                                             "vaciado en la fecha del banco.")
                            : QStringLiteral(" no están en el libro; agréguelas como ajustes, "
                                             "vaciados en las fechas del banco.")),
            choice + part.bankLines);
    }

    static constexpr int kMostBankLinesTried = 12;

    const ledger::Month& m_month;
    const QList<ledger::Line>& m_lines;
    const QList<BankLine>& m_bank;
    const DifferenceOptions& m_options;
    qint64 m_target; // what an action must move the difference by: minus it
    QList<const ledger::Line*> m_outstanding;
    QList<const ledger::Line*> m_cleared;
    QHash<qint64, const ledger::Line*> m_byKey;   // the lines by their key, for the bank's matches
    QHash<qint64, const ledger::Line*> m_byCheck; // the counted lines by check number
    QList<Cause> m_causes;
};

} // namespace

DifferenceSearch findDifference(const ledger::Month& month, const QList<ledger::Line>& lines,
                                const QList<BankLine>& bank, const DifferenceOptions& options) {
    return Search(month, lines, bank, options).run();
}

QList<BankLine> bankLinesOf(Connection& db, int account, const QString& file) {
    import_session::Session session(account);
    const StatementFile read = session.read(file);
    // The account this bank account's statements carry; else the file's first.
    const import_session::AccountPick pick = session.pick(read);
    const QString which =
        !pick.account.isEmpty() || pick.accounts.isEmpty() ? pick.account : pick.accounts.first();
    ReadFault refusal;
    if (!session.take(read, which, &refusal))
        throw StatementError(file, 0, refusal);
    session.match(ledger::openLines(db, account), import_session::savedMatchOptions(false));
    const Statement& statement = session.statement();
    const QList<ledger::Line>& open = session.open();
    const QVector<Match>& matches = session.matches();
    QList<BankLine> lines;
    for (qsizetype i = 0; i < statement.lines.size(); ++i) {
        const StatementLine& s = statement.lines.at(i);
        BankLine b{s.date, s.cents, s.description};
        b.check = s.check;
        const Match& m = matches.at(i);
        // A line matched to one ledger line, or already cleared on it; a deposit slip of
        // several lines is matched as a whole and compared by its sum elsewhere.
        if ((m.state == MatchState::Matched || m.state == MatchState::AlreadyCleared) &&
            m.lines.size() == 1) {
            b.matchedYear = open.at(m.lines.first()).fiscalYear;
            b.matchedLine = open.at(m.lines.first()).line;
        } else if (m.state != MatchState::NoMatch) {
            b.matchedLine = -1; // matched otherwise: neither compared nor offered
        }
        lines << b;
    }
    return lines;
}

QString statementFileOfMonth(int account, int year, int month) {
    const QString file = getSetting(
        import_session::settingsSection(),
        QStringLiteral("LAST-%1-%2-%3").arg(account).arg(year).arg(month, 2, 10, QLatin1Char('0')));
    return !file.isEmpty() && QFileInfo::exists(file) ? file : QString();
}

void rememberStatementFile(int account, int statementDate, const QString& file) {
    if (statementDate <= 0)
        return;
    saveSetting(import_session::settingsSection(),
                QStringLiteral("LAST-%1-%2-%3")
                    .arg(account)
                    .arg(statementDate / 10000)
                    .arg(statementDate / 100 % 100, 2, 10, QLatin1Char('0')),
                QFileInfo(file).absoluteFilePath());
}

QList<PastAdjustment> pastAdjustments(Connection& db, int bankAccount) {
    // An adjustment is two lines with the next two line numbers of its year: the bank line
    // ("A") on the bank account, then the reversing line ("R") on the account it went to.
    struct Row {
        int year, line, date, time, account;
        bool bankLine;
        QString description;
    };
    QList<Row> rows;
    QHash<qint64, int> byKey;
    for (Recordset rs = db.execute(
             QStringLiteral("Select gltFSYEAR,gltLNENBR,gltTRNDTE,gltTRNTME,gltTRNTYP,gltGLANBR,"
                            "gltDESCPT from LDG_GENERAL_LEDGER_TRANSACTION") +
             shared().wrkNOLOCK +
             QStringLiteral(" where gltJRNCDE='BA' order by gltTRNDTE desc, gltTRNTME desc"));
         !rs.eof(); rs.moveNext()) {
        const auto whole = [&rs](int column) { return int(fncFIELD_NUMBER(rs.field(column))); };
        Row r{whole(0),
              whole(1),
              whole(2),
              whole(3),
              whole(5),
              rs.field(4).toString().trimmed().compare(QLatin1String("A"), Qt::CaseInsensitive) ==
                  0,
              rs.field(6).toString().trimmed()};
        byKey.insert(qint64(r.year) << 32 | quint32(r.line), int(rows.size()));
        rows << r;
    }
    QList<PastAdjustment> past;
    for (const Row& a : std::as_const(rows)) {
        if (!a.bankLine || a.account != bankAccount)
            continue;
        const auto reversing = byKey.constFind(qint64(a.year) << 32 | quint32(a.line + 1));
        if (reversing == byKey.constEnd())
            continue;
        const Row& r = rows.at(*reversing);
        if (!r.bankLine && r.date == a.date && r.time == a.time)
            past << PastAdjustment{a.date, a.description, r.account};
    }
    return past;
}

namespace {

// The words of a bank text that tell it apart: letters only, three or more of them.
QSet<QString> significantWords(const QString& text) {
    QSet<QString> words;
    QString word;
    for (const QChar c : text.toUpper() + QLatin1Char(' ')) {
        if (c.isLetter()) {
            word += c;
        } else {
            if (word.size() >= 3)
                words.insert(word);
            word.clear();
        }
    }
    return words;
}

} // namespace

AdjustmentProposal proposeAdjustment(const QList<PastAdjustment>& past, const QString& bankText) {
    const QSet<QString> wanted = significantWords(bankText);
    AdjustmentProposal proposal;
    if (wanted.isEmpty())
        return proposal;
    double best = 0.5; // at least half the words of both shared
    const PastAdjustment* like = nullptr;
    for (const PastAdjustment& p : past) { // newest first: the newest of equals stays
        const QSet<QString> words = significantWords(p.description);
        const double shared = double(QSet<QString>(wanted).intersect(words).size());
        const double all = double(QSet<QString>(wanted).unite(words).size());
        if (all > 0 && shared / all > best - 1e-9 && (!like || shared / all > best + 1e-9)) {
            best = shared / all;
            like = &p;
        }
    }
    if (!like)
        return proposal;
    proposal.account = like->account;
    proposal.english = QStringLiteral("like '%1' on %2 -> %3")
                           .arg(like->description, fncFORMAT_DATE(like->date))
                           .arg(like->account);
    proposal.spanish = QStringLiteral("como '%1' del %2 -> %3")
                           .arg(like->description, fncFORMAT_DATE(like->date))
                           .arg(like->account);
    return proposal;
}

LineSource sourceOf(Connection& db, int account, const ledger::Line& line) {
    LineSource source;
    const QString nolock = shared().wrkNOLOCK;
    if (line.check > 0 && line.amount < 0) {
        const Recordset rs = db.execute(
            QStringLiteral("Select betLNENBR, betTRNDTE from LDG_BANK_EXPENDITURE_TRANSACTION") +
            nolock +
            QStringLiteral(" where betGLANBR=%1 and betCHKNBR=%2 order by betLNENBR")
                .arg(account)
                .arg(line.check));
        if (!rs.eof()) {
            source.line = int(fncFIELD_NUMBER(rs.field(0)));
            source.date = int(fncFIELD_NUMBER(rs.field(1)));
        }
        return source;
    }
    // A deposit's ledger line carries its batch's date and time.
    const Recordset rs = db.execute(
        QStringLiteral("Select bdtDEPDTE, bdtDEPTME from LDG_BANK_DEPOSIT_TRANSACTION") + nolock +
        QStringLiteral(" where bdtGLANBR=%1 and bdtDEPDTE=%2 and bdtDEPTME=(Select gltTRNTME "
                       "from LDG_GENERAL_LEDGER_TRANSACTION where gltFSYEAR=%3 and "
                       "gltLNENBR=%4)")
            .arg(account)
            .arg(line.date)
            .arg(line.fiscalYear)
            .arg(line.line));
    if (!rs.eof()) {
        source.deposit = true;
        source.date = int(fncFIELD_NUMBER(rs.field(0)));
        source.time = int(fncFIELD_NUMBER(rs.field(1)));
    }
    return source;
}

QString causeKindName(CauseKind kind, bool spanish) {
    switch (kind) {
    case CauseKind::ClearItem:
        return spanish ? QStringLiteral("Partida vaciada") : QStringLiteral("Item cleared");
    case CauseKind::WrongSign:
        return spanish ? QStringLiteral("Signo equivocado") : QStringLiteral("Wrong sign");
    case CauseKind::Transposed:
        return spanish ? QStringLiteral("Dígitos intercambiados")
                       : QStringLiteral("Digits swapped");
    case CauseKind::DecimalPoint:
        return spanish ? QStringLiteral("Punto decimal") : QStringLiteral("Decimal point");
    case CauseKind::TwoItems:
        return spanish ? QStringLiteral("Dos partidas") : QStringLiteral("Two items");
    case CauseKind::ThreeItems:
        return spanish ? QStringLiteral("Tres partidas") : QStringLiteral("Three items");
    case CauseKind::BankAmount:
        return spanish ? QStringLiteral("Importe del banco") : QStringLiteral("Bank's amount");
    case CauseKind::BankLines:
        return spanish ? QStringLiteral("Líneas del banco") : QStringLiteral("Bank's lines");
    case CauseKind::WrongMonth:
        return spanish ? QStringLiteral("Mes equivocado") : QStringLiteral("Wrong month");
    case CauseKind::BankLinesAndItem:
        break;
    }
    return spanish ? QStringLiteral("Banco y una partida") : QStringLiteral("Bank and an item");
}

} // namespace reports
