#include "outstanding_report.h"

#include "common.h"
#include "print_engine.h"

#include <algorithm>

using namespace mdlPRINTING;

namespace {

const QString kHeadings =
    QStringLiteral("[6]Date[20]ChkNbr[35]Description[77]Days[84]Age[99]Debits[113]Credits");
// The description stops short of the days column, so every item keeps to one line.
constexpr int kDescriptionWidth = 40;

QString money(double value) {
    return fncFORMAT_RIGHT(value, QStringLiteral("#######0.00"));
}

// Receipts in the Debits column, payments (negated) in the Credits column, as the activity
// report prints them.
void amountItems(QList<PrintItem>& items, double amount) {
    if (amount >= 0)
        items << col(95) << text(money(amount));
    else
        items << col(110) << text(money(-amount));
}

} // namespace

void printOutstandingReport(const reports::OutstandingList& list, const QString& rightText,
                            QString& destination) {
    prcPRINT_HEADER(QStringLiteral("P"), QStringLiteral("BANK RECONCILIATION OUTSTANDING ITEMS"),
                    rightText, kHeadings, destination);
    Surface* surface = wrkPRINT_OBJECT;
    if (!surface)
        return;

    // One body line, then the page-break check; false when the report must stop.
    const auto line = [&](const QList<PrintItem>& items) {
        wrkPRINT_OBJECT->print(items);
        prcCHECK_PAGE_BREAK(QStringLiteral("P"), destination);
        return !destination.isEmpty();
    };

    surface->print();
    surface->setFontBold(true);
    surface->print({col(35), text(QStringLiteral("Items outstanding on ") +
                                  fncFORMAT_DATE(list.asOf) + QLatin1Char('.'))});
    surface->setFontBold(false);
    surface->print();

    for (const reports::OutstandingItem& item : list.items) {
        // A stale check is marked in the margin: it may be voided. So are a voided check and a
        // deposit returned unpaid, which count until they are cleared.
        QList<PrintItem> items;
        const QString note = reports::statusNote(item.line);
        if (item.stale)
            items << col(1) << text(QStringLiteral("**"));
        else if (!note.isEmpty())
            items << col(1) << text(note.left(3).toUpper());
        items << col(4) << text(fncFORMAT_DATE(item.line.date));
        if (item.line.check > 0)
            items << col(20) << num(item.line.check);
        items << col(35) << text(item.line.description.left(kDescriptionWidth)) << col(76)
              << text(fncFORMAT_RIGHT(item.days, QStringLiteral("####0"))) << col(84)
              << text(reports::bucketCaption(item.bucket));
        amountItems(items, item.line.amount);
        if (!line(items))
            return;
    }

    if (!line({}))
        return;
    wrkPRINT_OBJECT->setFontBold(true);
    if (!line({col(35), text(QStringLiteral("Ageing of the outstanding items:"))}))
        return;
    wrkPRINT_OBJECT->setFontBold(false);
    for (int b = 0; b < reports::kBucketCount; ++b) {
        QList<PrintItem> items{col(40),
                               text(reports::bucketCaption(static_cast<reports::Bucket>(b)) +
                                    QStringLiteral(" days"))};
        amountItems(items, list.bucketTotals[b]);
        if (!line(items))
            return;
    }
    QList<PrintItem> total{col(35), text(QStringLiteral("Total of the outstanding items:"))};
    amountItems(total, list.total);
    if (!line(total))
        return;
    if (list.staleChecks > 0 &&
        !line({col(35), text(QStringLiteral("** Checks outstanding over 180 days (stale):")),
               num(list.staleChecks)}))
        return;
    const bool marked = std::any_of(list.items.begin(), list.items.end(), [](const auto& item) {
        return !reports::statusNote(item.line).isEmpty();
    });
    if (marked && !line({col(35), text(QStringLiteral("VOI voided check, NSF deposit returned "
                                                      "unpaid: counted until cleared."))}))
        return;

    prcPRINT_END_OF_REPORT(QStringLiteral("P"), destination, !list.items.isEmpty());
}
