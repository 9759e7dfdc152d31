#include "month_report.h"

#include "common.h"
#include "context.h"
#include "database.h"
#include "outstanding_report.h"
#include "print_engine.h"

namespace mdlPRINTING {

namespace {

// A number as the number-to-text conversion writes it: a leading blank when not negative.
QString leadingSpace(int value) {
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

const QString kActivityHeadings =
    QStringLiteral("[6]Date[20]ChkNbr[35]Description[99]Debits[113]Credits");

QString rightHandText(const ReportMonth& m) {
    return QString(15, QLatin1Char(' ')) + QStringLiteral("Period  ") + leadingSpace(m.month) +
           QLatin1Char('/') + leadingSpace(m.year);
}

// The month's row of the history ("RECONCILIATION").
Recordset reconciliationRow(Connection& db, const ReportMonth& m) {
    return db.execute(QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY") +
                      shared().wrkNOLOCK + QStringLiteral(" where brhGLANBR=") +
                      QString::number(m.account) + QStringLiteral(" and brhMONTH=") +
                      QString::number(m.month) + QStringLiteral(" and brhFSYEAR=") +
                      QString::number(m.year));
}

// The account's unreconciled lines, cleared ("CLEARED") or not ("OUTSTANDING").
Recordset activityLines(Connection& db, const ReportMonth& m, bool cleared) {
    return db.execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_TRANSACTION") +
                      shared().wrkNOLOCK + QStringLiteral(" where gltGLANBR=") +
                      QString::number(m.account) + QStringLiteral(" and gltSTATUS<>'R' and ") +
                      (cleared ? QStringLiteral("gltRCNDTE>0") : QStringLiteral("gltRCNDTE=0")) +
                      QStringLiteral(" order by gltTRNDTE"));
}

// The account's ledger master row of the month's year ("LEDGER").
Recordset ledgerRow(Connection& db, const ReportMonth& m) {
    return db.execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER") +
                      shared().wrkNOLOCK + QStringLiteral(" where glmFSYEAR=") +
                      QString::number(m.year) + QStringLiteral(" and glmGLANBR=") +
                      QString::number(m.account));
}

void printTransactions(Recordset& rs, QString& destination) {
    for (; !rs.eof(); rs.moveNext()) {
        const int date = static_cast<int>(fncFIELD_NUMBER(rs, QStringLiteral("gltTRNDTE")));
        const double check = fncFIELD_NUMBER(rs, QStringLiteral("gltCHKNBR"));
        const double amount = fncFIELD_NUMBER(rs, QStringLiteral("gltTRNAMT"));
        QList<PrintItem> items{col(4), text(fncFORMAT_DATE(date))};
        if (check > 0)
            items << col(20) << num(check);
        items << col(35) << text(rs.field(QStringLiteral("gltDESCPT")).toString());
        if (amount >= 0)
            items << col(95) << text(fncFORMAT_RIGHT(amount, QStringLiteral("#######0.00")));
        else
            items << col(110) << text(fncFORMAT_RIGHT(-amount, QStringLiteral("#######0.00")));
        wrkPRINT_OBJECT->print(items);

        prcCHECK_PAGE_BREAK(QStringLiteral("P"), destination);
        if (destination.isEmpty())
            return;
    }
}

} // namespace

QString reconciliationsStatement(int account) {
    return QStringLiteral("Select * from LDG_BANK_RECONCILIATION_HISTORY") + shared().wrkNOLOCK +
           QStringLiteral(" where brhGLANBR=") + QString::number(account) +
           QStringLiteral(" order by brhFSYEAR desc, brhMONTH desc");
}

QString monthEntryText(int month, int year) {
    return QStringLiteral("Reconciliation for ") + leadingSpace(month) + leadingSpace(year);
}

void printActivityReport(Connection& db, const ReportMonth& m, QString destination) {
    prcPRINT_HEADER(QStringLiteral("P"), QStringLiteral("BANK RECONCILIATION ACTIVITY REPORT"),
                    rightHandText(m), kActivityHeadings, destination);
    if (!wrkPRINT_OBJECT)
        return;

    const auto section = [](const QString& caption) {
        wrkPRINT_OBJECT->print();
        wrkPRINT_OBJECT->setFontBold(true);
        wrkPRINT_OBJECT->print({col(35), text(caption)});
        wrkPRINT_OBJECT->setFontBold(false);
        wrkPRINT_OBJECT->print();
    };

    section(QStringLiteral("Bank Activity that has cleared."));
    Recordset cleared = activityLines(db, m, true);
    printTransactions(cleared, destination);
    if (destination.isEmpty())
        return;

    section(QStringLiteral("Bank Activity that has not cleared."));
    Recordset open = activityLines(db, m, false);
    printTransactions(open, destination);
    if (destination.isEmpty())
        return;

    prcPRINT_END_OF_REPORT(QStringLiteral("P"), destination, true);
}

void printSummaryReport(Connection& db, const ReportMonth& m, QString destination) {
    const Recordset row = reconciliationRow(db, m);
    prcPRINT_HEADER(QStringLiteral("P"), QStringLiteral("BANK RECONCILIATION SUMMARY REPORT"),
                    rightHandText(m), QString(), destination);
    Surface* surface = wrkPRINT_OBJECT;
    if (!surface)
        return;

    surface->setFontSize(12);
    surface->setFontBold(true);
    surface->setCurrentY(1500);
    const Recordset ledger = ledgerRow(db, m);
    // A period or ledger row that is missing prints as zeros and an empty name.
    surface->print({col(7), text(QStringLiteral("Reconciliation for Ledger Account Number: ")),
                    num(m.account), text(ledger.field(QStringLiteral("glmGLANME")).toString())});

    const auto amount = [&row](const char* field) {
        return fncFORMAT_RIGHT(fncFIELD_NUMBER(row, QString::fromLatin1(field)),
                               QStringLiteral("########0.00"));
    };
    const auto date = [&row](const char* field) {
        return fncFORMAT_DATE(static_cast<int>(fncFIELD_NUMBER(row, QString::fromLatin1(field))));
    };
    const auto blank = [surface](int lines) {
        for (int i = 0; i < lines; ++i)
            surface->print();
    };

    surface->setCurrentY(2000);
    surface->print({col(7), text(QStringLiteral("Closing Date as per Bank Statement:")), col(69),
                    text(date("brhSTMDTE"))});
    blank(2);
    surface->print({col(7), text(QStringLiteral("Closing Account Balance as per Bank Statement:")),
                    col(65), text(amount("brhBNKBAL"))});
    blank(1);
    surface->print({col(7), text(QStringLiteral("Total Amount of Outstanding Account Items:")),
                    col(65), text(amount("brhOUTSTD"))});
    surface->print({col(7), text(QString(70, QLatin1Char('-')))});
    surface->print({col(7), text(QStringLiteral("Adjusted Account Balance as per Bank Statement:")),
                    col(65), text(amount("brhADJBAL"))});
    blank(2);
    surface->print({col(7), text(QStringLiteral("Closing Balance as per General Ledger:")), col(65),
                    text(amount("brhEOMBAL"))});
    blank(3);
    surface->print({col(7),
                    text(QStringLiteral("Overage/(-)Shortage between Bank Statement & Books:")),
                    col(65), text(amount("brhOVRSHT"))});
    blank(3);
    if (fncFIELD_NUMBER(row, QStringLiteral("brhPSTDTE")) > 0)
        surface->print({col(7), text(QStringLiteral("This Reconciliation was FINALIZED on ")),
                        col(69), text(date("brhPSTDTE"))});
    else
        surface->print(
            {col(12),
             text(QStringLiteral("** This account reconciliation has not yet been FINALIZED **"))});

    prcPRINT_END_OF_REPORT(QStringLiteral("P"), destination, true);
}

void printOutstandingItems(Connection& db, const ReportMonth& m, QString destination) {
    // The items as they stood at the month's statement date, by today's lines.
    const ledger::HistoryRow month = ledger::historyRow(db, m.account, m.year, m.month);
    printOutstandingReport(reports::outstandingAsOf(db, m.account, month.statementDate),
                           rightHandText(m), destination);
}

bool printMonth(Connection& db, int account, int year, int month, const MonthParts& parts,
                Surface* surface) {
    // The month is printed when the report window would list it.
    bool listed = false;
    for (Recordset rs = db.execute(reconciliationsStatement(account)); !rs.eof() && !listed;
         rs.moveNext())
        listed = fncFIELD_NUMBER(rs, QStringLiteral("brhMONTH")) == month &&
                 fncFIELD_NUMBER(rs, QStringLiteral("brhFSYEAR")) == year;
    if (!listed)
        return false;
    wrkPRINT_OBJECT = surface;
    const ReportMonth m{account, year, month};
    if (parts.activity)
        printActivityReport(db, m, QStringLiteral("P"));
    if (parts.summary)
        printSummaryReport(db, m, QStringLiteral("P"));
    if (parts.outstanding)
        printOutstandingItems(db, m, QStringLiteral("P"));
    return true;
}

} // namespace mdlPRINTING
