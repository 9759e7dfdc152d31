// OFX 1.x (SGML), OFX 2.x (XML) and QFX, read by libofx. The library parses a file by its
// path and hands over the account, the statement and each transaction through callbacks.

#include "statement.h"

#include "common.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

#include <libofx/libofx.h>

namespace {

int dateOf(time_t t) {
    return dateNumber(QDateTime::fromSecsSinceEpoch(qint64(t)).date());
}

struct OfxRead {
    Statement statement;
    QString accountId; // the first statement's; items of other accounts are left out
    bool sawStatement = false;
};

int onAccount(const OfxAccountData data, void* user) {
    auto* read = static_cast<OfxRead*>(user);
    if (read->statement.account.isEmpty() && data.account_number_valid)
        read->statement.account = QString::fromUtf8(data.account_number);
    if (read->statement.currency.isEmpty() && data.currency_valid)
        read->statement.currency = QString::fromUtf8(data.currency);
    return 0;
}

int onStatement(const OfxStatementData data, void* user) {
    auto* read = static_cast<OfxRead*>(user);
    if (read->sawStatement)
        return 0;
    read->sawStatement = true;
    Statement& s = read->statement;
    if (data.account_id_valid)
        read->accountId = QString::fromUtf8(data.account_id);
    if (data.currency_valid)
        s.currency = QString::fromUtf8(data.currency);
    if (data.date_start_valid)
        s.periodStart = dateOf(data.date_start);
    if (data.date_end_valid)
        s.periodEnd = dateOf(data.date_end);
    if (data.ledger_balance_valid) {
        s.hasClosing = true;
        s.closing = data.ledger_balance;
        s.closingDate = data.ledger_balance_date_valid ? dateOf(data.ledger_balance_date) : 0;
    }
    return 0;
}

int onTransaction(const OfxTransactionData data, void* user) {
    auto* read = static_cast<OfxRead*>(user);
    const QString account = data.account_id_valid ? QString::fromUtf8(data.account_id) : QString();
    if (!read->accountId.isEmpty() && account != read->accountId)
        return 0;
    StatementLine line;
    line.date = data.date_posted_valid ? dateOf(data.date_posted) : 0;
    line.amount = data.amount_valid ? data.amount : 0;
    if (data.check_number_valid)
        line.check = QString::fromUtf8(data.check_number).toLongLong();
    QStringList words;
    if (data.name_valid)
        words << QString::fromUtf8(data.name).trimmed();
    if (data.memo_valid && QString::fromUtf8(data.memo).trimmed() != words.value(0))
        words << QString::fromUtf8(data.memo).trimmed();
    words.removeAll(QString());
    line.description = words.join(QStringLiteral(" / "));
    if (data.fi_id_valid)
        line.reference = QString::fromUtf8(data.fi_id);
    read->statement.lines.push_back(line);
    return 0;
}

// libofx reads an amount it cannot parse as 0 and says nothing; the clerk must hear of it, so
// the amounts are looked at first, each with its line.
void checkAmounts(const QString& path, const QByteArray& data, QVector<int>* itemLines) {
    static const QRegularExpression tag(
        QStringLiteral("<(TRNAMT|BALAMT|STMTTRN)>\\s*([^<\\r\\n]*)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromLatin1(data);
    int line = 1;
    int counted = 0;
    auto it = tag.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        line += text.mid(counted, m.capturedStart() - counted).count(QLatin1Char('\n'));
        counted = m.capturedStart();
        if (m.captured(1).compare(QLatin1String("STMTTRN"), Qt::CaseInsensitive) == 0) {
            itemLines->push_back(line);
            continue;
        }
        QString value = m.captured(2).trimmed();
        bool ok = false;
        parseAmount(value, false, &ok);
        if (!ok) // OFX also allows a decimal comma
            parseAmount(value, true, &ok);
        if (!ok)
            throw StatementError(path, line,
                                 ReadFault{QStringLiteral("the amount \"%1\" cannot be read."),
                                           QStringLiteral("el importe \"%1\" no se puede leer.")}
                                     .arg(value));
    }
}

} // namespace

Statement readOfx(const QString& path) {
    const QByteArray data = readStatementBytes(path);
    QVector<int> itemLines;
    checkAmounts(path, data, &itemLines);
    const int lastLine = int(data.count('\n')) + (data.endsWith('\n') ? 0 : 1);

    // The library prints its progress and complaints unless told not to; the clerk gets one
    // message from the window instead.
    ofx_PARSER_msg = false;
    ofx_DEBUG_msg = false;
    ofx_DEBUG1_msg = false;
    ofx_DEBUG2_msg = false;
    ofx_DEBUG3_msg = false;
    ofx_DEBUG4_msg = false;
    ofx_DEBUG5_msg = false;
    ofx_STATUS_msg = false;
    ofx_INFO_msg = false;
    ofx_WARNING_msg = false;
    ofx_ERROR_msg = false;
    ofx_show_position = false;

    OfxRead read;
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_account_cb(context, onAccount, &read);
    ofx_set_statement_cb(context, onStatement, &read);
    ofx_set_transaction_cb(context, onTransaction, &read);
    const int result = libofx_proc_file(context, QFile::encodeName(path).constData(), OFX);
    libofx_free_context(context);

    if (!data.toUpper().contains("</OFX>"))
        throw StatementError(
            path, lastLine,
            ReadFault{
                QStringLiteral(
                    "the file ends before the statement does; it may have been cut short."),
                QStringLiteral(
                    "el archivo termina antes que el estado de cuenta; puede estar cortado.")});
    if (!read.sawStatement)
        throw StatementError(path, 0,
                             ReadFault{QStringLiteral("this is not a bank statement."),
                                       QStringLiteral("esto no es un estado de cuenta bancario.")});
    if (result != 0)
        throw StatementError(
            path, 0,
            ReadFault{
                QStringLiteral("the OFX file is damaged: its parts do not nest as they should."),
                QStringLiteral("el archivo OFX está dañado: sus partes no se anidan como deben.")});
    Statement& s = read.statement;
    s.format = QStringLiteral("OFX");
    for (int i = 0; i < s.lines.size(); ++i) {
        s.lines[i].fileLine = itemLines.value(i);
        if (s.lines[i].date == 0)
            throw StatementError(
                path, s.lines[i].fileLine,
                ReadFault{QStringLiteral("the item has no date it was booked on."),
                          QStringLiteral("la partida no tiene fecha de asiento.")});
    }
    return s;
}
