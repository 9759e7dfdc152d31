#include "statement.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

int Statement::statementDate() const {
    if (closingDate > 0)
        return closingDate;
    if (periodEnd > 0)
        return periodEnd;
    int last = 0;
    for (const StatementLine& l : lines)
        last = std::max(last, l.date);
    return last;
}

StatementError::StatementError(const QString& file, int line, const ReadFault& fault)
    : m_file(file), m_line(line) {
    const QString name = QFileInfo(file).fileName();
    const auto where = [&](const QString& lineWord, const QString& reason) {
        return line > 0 ? QStringLiteral("%1, %2 %3: %4")
                              .arg(name, lineWord, QString::number(line), reason)
                        : QStringLiteral("%1: %2").arg(name, reason);
    };
    m_message = where(QStringLiteral("line"), fault.english);
    m_spanish = where(QStringLiteral("línea"), fault.spanish);
    m_what = m_message.toUtf8();
}

QString CsvMapping::toText() const {
    return QStringLiteral("date=%1;order=%2;amount=%3;debit=%4;credit=%5;check=%6;"
                          "description=%7;comma=%8;skip=%9")
        .arg(dateColumn)
        .arg(dateOrder)
        .arg(amountColumn)
        .arg(debitColumn)
        .arg(creditColumn)
        .arg(checkColumn)
        .arg(descriptionColumn)
        .arg(decimalComma ? 1 : 0)
        .arg(skipLines);
}

CsvMapping CsvMapping::fromText(const QString& text) {
    CsvMapping m;
    const QStringList items = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& item : items) {
        const QString key = item.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = item.section(QLatin1Char('='), 1).trimmed();
        const int n = value.toInt();
        if (key == QLatin1String("date"))
            m.dateColumn = n;
        else if (key == QLatin1String("order") &&
                 QStringList{"MDY", "DMY", "YMD"}.contains(value.toUpper()))
            m.dateOrder = value.toUpper();
        else if (key == QLatin1String("amount"))
            m.amountColumn = n;
        else if (key == QLatin1String("debit"))
            m.debitColumn = n;
        else if (key == QLatin1String("credit"))
            m.creditColumn = n;
        else if (key == QLatin1String("check"))
            m.checkColumn = n;
        else if (key == QLatin1String("description"))
            m.descriptionColumn = n;
        else if (key == QLatin1String("comma"))
            m.decimalComma = n != 0;
        else if (key == QLatin1String("skip"))
            m.skipLines = n;
    }
    return m;
}

double parseAmount(QString text, bool decimalComma, bool* ok) {
    *ok = false;
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        negative = true;
        text = text.mid(1, text.size() - 2).trimmed();
    }
    if (text.endsWith(QLatin1Char('-'))) {
        negative = !negative;
        text.chop(1);
    } else if (text.startsWith(QLatin1Char('-'))) {
        negative = !negative;
        text.remove(0, 1);
    } else if (text.startsWith(QLatin1Char('+'))) {
        text.remove(0, 1);
    }
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('$')))
        text = text.mid(1).trimmed();
    const QChar thousands = decimalComma ? QLatin1Char('.') : QLatin1Char(',');
    const QChar point = decimalComma ? QLatin1Char(',') : QLatin1Char('.');
    // Thousands separators only between groups of three digits, so "1.5" with a decimal
    // comma is refused rather than read as fifteen.
    static const QRegularExpression grouped(QStringLiteral("^\\d{1,3}(X\\d{3})+(P\\d*)?$"));
    static const QRegularExpression plain(QStringLiteral("^(\\d+(P\\d*)?|P\\d+)$"));
    QString shape = text;
    shape.replace(thousands, QLatin1Char('X')).replace(point, QLatin1Char('P'));
    if (!plain.match(shape).hasMatch() && !grouped.match(shape).hasMatch())
        return 0;
    text.remove(thousands);
    text.replace(point, QLatin1Char('.'));
    const double value = text.toDouble(ok);
    return negative ? -value : value;
}

namespace {

bool looksLikeOfx(const QByteArray& head) {
    return head.contains("OFXHEADER") || head.contains("<OFX>") || head.contains("<OFX ");
}

} // namespace

QByteArray readStatementBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StatementError(path, 0,
                             ReadFault{QStringLiteral("the file cannot be opened."),
                                       QStringLiteral("el archivo no se puede abrir.")});
    return file.readAll();
}

Statement readStatementFile(const QString& path, const CsvMapping& csv) {
    const QByteArray data = readStatementBytes(path);
    if (data.trimmed().isEmpty())
        throw StatementError(path, 0,
                             ReadFault{QStringLiteral("the file is empty."),
                                       QStringLiteral("el archivo está vacío.")});
    const QByteArray head = data.left(4096);
    if (looksLikeOfx(head))
        return readOfx(path);
    if (head.contains("camt.053") || head.contains("BkToCstmrStmt"))
        return readCamt053(path, data);
    if (head.trimmed().startsWith("01,"))
        return readBai2(path, data);
    if (head.trimmed().startsWith("<"))
        throw StatementError(path, 1,
                             ReadFault{QStringLiteral("this is not a bank statement."),
                                       QStringLiteral("esto no es un estado de cuenta bancario.")});
    if (!csv.usable())
        throw StatementError(
            path, 0,
            ReadFault{QStringLiteral("set the columns of the CSV file (the date and the amount at "
                                     "least) before loading it."),
                      QStringLiteral("fije las columnas del archivo CSV (al menos la fecha y el "
                                     "importe) antes de cargarlo.")});
    return readCsv(path, data, csv);
}
