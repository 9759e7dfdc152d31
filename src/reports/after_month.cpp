#include "after_month.h"

#include "common.h"
#include "context.h"
#include "database.h"
#include "ledger.h"
#include "money.h"
#include "settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace reports {

namespace {

bool reconciled(const QString& status) {
    return status.compare(QLatin1String("R"), Qt::CaseInsensitive) == 0;
}

QList<ledger::Line> readLines(Connection& connection, int account, int through,
                              const QString& condition) {
    return ledger::lines(connection, account, condition, through);
}

} // namespace

int daysBetween(int from, int to) {
    const QDate a = numberDate(from);
    const QDate b = numberDate(to);
    return a.isValid() && b.isValid() ? static_cast<int>(a.daysTo(b)) : 0;
}

bool isOutstandingAt(const ledger::Line& line, int asOf) {
    return line.date <= asOf && (line.cleared <= 0 || line.cleared > asOf);
}

QString statusNote(const ledger::Line& line, bool spanish) {
    if (line.status.compare(QLatin1String("V"), Qt::CaseInsensitive) == 0)
        return spanish ? QStringLiteral("Anulado") : QStringLiteral("Voided");
    if (line.status.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0)
        return spanish ? QStringLiteral("Sin fondos") : QStringLiteral("NSF");
    return QString();
}

Bucket bucketFor(int days) {
    if (days <= 30)
        return Bucket::Days30;
    if (days <= 60)
        return Bucket::Days60;
    if (days <= 90)
        return Bucket::Days90;
    if (days <= 180)
        return Bucket::Days180;
    return Bucket::Over180;
}

QString bucketCaption(Bucket bucket, bool spanish) {
    switch (bucket) {
    case Bucket::Days30:
        return QStringLiteral("0-30");
    case Bucket::Days60:
        return QStringLiteral("31-60");
    case Bucket::Days90:
        return QStringLiteral("61-90");
    case Bucket::Days180:
        return QStringLiteral("91-180");
    case Bucket::Over180:
        break;
    }
    return spanish ? QStringLiteral("Más de 180") : QStringLiteral("Over 180");
}

OutstandingList outstandingFrom(const QList<ledger::Line>& lines, int account, int asOf) {
    OutstandingList list;
    list.account = account;
    list.asOf = asOf;
    for (const ledger::Line& line : lines) {
        if (!isOutstandingAt(line, asOf))
            continue;
        OutstandingItem item;
        item.line = line;
        item.days = daysBetween(line.date, asOf);
        item.bucket = bucketFor(item.days);
        item.stale = item.bucket == Bucket::Over180 && line.check > 0 && line.amount <= 0 &&
                     statusNote(line).isEmpty();
        list.bucketTotals[static_cast<int>(item.bucket)] += line.amount;
        list.total += line.amount;
        list.staleChecks += item.stale ? 1 : 0;
        list.items << item;
    }
    for (double& total : list.bucketTotals)
        total = roundedToCents(total);
    list.total = roundedToCents(list.total);
    return list;
}

OutstandingList outstandingAsOf(Connection& connection, int account, int asOf) {
    // The database leaves out what cannot be outstanding; the rule itself is applied to what
    // comes back, so the list and its tests agree on one definition.
    return outstandingFrom(readLines(connection, account, asOf,
                                     QLatin1Char('(') + ledger::outstandingCondition() +
                                         QStringLiteral(" or gltRCNDTE>") + QString::number(asOf) +
                                         QLatin1Char(')')),
                           account, asOf);
}

QString changeCaption(Change change, bool spanish) {
    if (change == Change::PostedLater)
        return spanish ? QStringLiteral("Registrada después del cierre del mes")
                       : QStringLiteral("Posted after the month was posted");
    return spanish ? QStringLiteral("Fecha de vaciado movida al mes")
                   : QStringLiteral("Cleared date moved into the month");
}

bool ChangesSincePosting::changed() const {
    return outstandingChange != 0 || ledgerChange != 0;
}

QString ChangesSincePosting::text(bool spanish) const {
    QStringList parts;
    if (outstandingChange != 0)
        parts << (spanish ? QStringLiteral("Pend ") : QStringLiteral("Out ")) +
                     QString::number(outstandingChange, 'f', 2);
    if (ledgerChange != 0)
        parts << (spanish ? QStringLiteral("Libro ") : QStringLiteral("Book ")) +
                     QString::number(ledgerChange, 'f', 2);
    return parts.join(QStringLiteral("  "));
}

ChangesSincePosting changesFrom(const ledger::HistoryRow& reconciliation,
                                const QList<ledger::Line>& lines) {
    ChangesSincePosting result;
    result.reconciliation = reconciliation;
    const int asOf = reconciliation.statementDate;
    const int postedOn = reconciliation.postedOn;
    for (const ledger::Line& line : lines) {
        if (line.date > asOf)
            continue;
        const bool outstanding = isOutstandingAt(line, asOf);
        if (outstanding)
            result.outstandingNow += line.amount;
        if (postedOn <= 0)
            continue;
        ChangedLine changed;
        changed.line = line;
        if (line.posted > postedOn) {
            changed.change = Change::PostedLater;
            changed.ledgerEffect = line.amount;
            changed.outstandingEffect = outstanding ? line.amount : 0;
        } else if (!reconciled(line.status) && line.cleared > 0 && line.cleared <= asOf) {
            changed.change = Change::ClearedMoved;
            changed.outstandingEffect = -line.amount;
        } else {
            continue;
        }
        result.outstandingChange += changed.outstandingEffect;
        result.ledgerChange += changed.ledgerEffect;
        result.lines << changed;
    }
    result.outstandingChange = roundedToCents(result.outstandingChange);
    result.ledgerChange = roundedToCents(result.ledgerChange);
    result.outstandingNow = roundedToCents(result.outstandingNow);
    return result;
}

namespace {

// The lines that may have changed a month posted on postedOn, or be outstanding at its
// statement date, through its statement date. Reconciled lines cleared by the date are
// settled history: neither outstanding now nor changed since; leaving them to the database
// keeps a long-kept account quick.
QList<ledger::Line> linesSincePosting(Connection& connection, int account, int statementDate,
                                      int postedOn, int through) {
    return readLines(connection, account, through,
                     QStringLiteral("(gltSTATUS is null or gltSTATUS<>'R' or gltRCNDTE=0 or "
                                    "gltRCNDTE>") +
                         QString::number(statementDate) + QStringLiteral(" or gltPSTDTE>") +
                         QString::number(postedOn) + QLatin1Char(')'));
}

} // namespace

ChangesSincePosting changesSincePosting(Connection& connection,
                                        const ledger::HistoryRow& reconciliation) {
    return changesFrom(reconciliation,
                       linesSincePosting(connection, reconciliation.account,
                                         reconciliation.statementDate, reconciliation.postedOn,
                                         reconciliation.statementDate));
}

QList<ChangesSincePosting> changesSincePosting(Connection& connection,
                                               const QList<ledger::HistoryRow>& reconciliations) {
    QList<ChangesSincePosting> changes;
    if (reconciliations.isEmpty())
        return changes;
    // The earliest statement date and posting read every line a later month needs as well.
    int earliestStatement = reconciliations.first().statementDate;
    int earliestPosting = reconciliations.first().postedOn;
    int through = earliestStatement;
    for (const ledger::HistoryRow& r : reconciliations) {
        earliestStatement = std::min(earliestStatement, r.statementDate);
        earliestPosting = std::min(earliestPosting, r.postedOn);
        through = std::max(through, r.statementDate);
    }
    const QList<ledger::Line> lines = linesSincePosting(
        connection, reconciliations.first().account, earliestStatement, earliestPosting, through);
    for (const ledger::HistoryRow& r : reconciliations)
        changes << changesFrom(r, lines);
    return changes;
}

QList<ledger::HistoryRow> balanceSeries(Connection& connection, int account, int months) {
    QList<ledger::HistoryRow> series = ledger::history(connection, account, months);
    std::reverse(series.begin(), series.end());
    return series;
}

QString archiveFolder() {
    const QString setting = getSetting(QStringLiteral("Startup"), QStringLiteral("REPORTARCHIVE"));
    if (!setting.isEmpty())
        return setting;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QStringLiteral("Bank Reconciliations"));
}

QString archiveFilePath(const QString& folder, int account, int year, int month) {
    const QString stem = QStringLiteral("%1 %2-%3")
                             .arg(account)
                             .arg(year, 4, 10, QLatin1Char('0'))
                             .arg(month, 2, 10, QLatin1Char('0'));
    const QDir dir(folder);
    QString path = dir.filePath(stem + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(stem + QStringLiteral(" (%1).pdf").arg(n));
    return path;
}

} // namespace reports
