#include "statement.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <limits>

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

StatementError::StatementError(const QString& file, int line, const ReadFault& fault,
                               const QString& element)
    : m_file(file), m_line(line) {
    const QString name = QFileInfo(file).fileName();
    const QString inElement = element.isEmpty() ? QString() : QStringLiteral(", <%1>").arg(element);
    const auto where = [&](const QString& lineWord, const QString& reason) {
        return line > 0 ? QStringLiteral("%1, %2 %3%4: %5")
                              .arg(name, lineWord, QString::number(line), inElement, reason)
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

namespace statement_text {

QString decode(const QByteArray& data) {
    QString text;
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(data.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                         : QStringDecoder::Utf16BE);
        text = utf16(QByteArrayView(data).sliced(2));
    } else {
        const QByteArrayView bytes =
            data.startsWith("\xEF\xBB\xBF") ? QByteArrayView(data).sliced(3) : QByteArrayView(data);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8(bytes);
        if (utf8.hasError()) {
            // Windows-1252 differs from Latin-1 only in 0x80-0x9F.
            static const char16_t high[32] = {
                0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
            text.resize(bytes.size());
            QChar* out = text.data();
            for (const char c : bytes) {
                const auto b = static_cast<unsigned char>(c);
                *out++ = b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(b);
            }
        }
    }
    // One kind of line end, so every reader counts lines alike.
    if (text.contains(QLatin1Char('\r'))) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return text;
}

QString quoted(QStringView text) {
    QString out = text.left(40).toString();
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    if (text.size() > 40)
        out += QChar(0x2026);
    return out;
}

int calendarDate(int year, int month, int day) {
    if (year < 1900 || year > 2999)
        return 0;
    const QDate date(year, month, day);
    return date.isValid() ? year * 10000 + month * 100 + day : 0;
}

namespace {

// The number of n digits at text[from], or -1.
int digitsAt(QStringView text, qsizetype from, int n) {
    if (from + n > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = from; i < from + n; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

int ofxDate(QStringView text) {
    // YYYYMMDD, then optionally HHMMSS, then optionally .XXX, then optionally [zone]; the
    // zone is the bank's, and the calendar day is the one the bank wrote.
    static const QRegularExpression form(
        QStringLiteral("^\\d{8}(\\d{4}(\\d{2}(\\.\\d{1,3})?)?)?(\\[[+-]?\\d{1,2}(\\.\\d{1,2})?(:[A-"
                       "Za-z]{1,5})?\\])?$"));
    const QStringView t = text.trimmed();
    if (!form.match(t).hasMatch())
        return 0;
    return calendarDate(digitsAt(t, 0, 4), digitsAt(t, 4, 2), digitsAt(t, 6, 2));
}

int isoDate(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.size() < 10 || t.at(4) != QLatin1Char('-') || t.at(7) != QLatin1Char('-'))
        return 0;
    if (t.size() > 10 && t.at(10) != QLatin1Char('T'))
        return 0;
    return calendarDate(digitsAt(t, 0, 4), digitsAt(t, 5, 2), digitsAt(t, 8, 2));
}

ReadFault amountFault(QStringView text, MoneyFault fault) {
    const QString value = quoted(text.trimmed());
    return ReadFault{QStringLiteral("the amount \"%1\" cannot be read: %2.")
                         .arg(value, moneyFaultText(fault, false)),
                     QStringLiteral("el importe \"%1\" no se puede leer: %2.")
                         .arg(value, moneyFaultText(fault, true))};
}

ReadFault dateFault(QStringView text, const QString& expected) {
    return ReadFault{QStringLiteral("\"%1\" is not a date of the calendar; %2 is expected."),
                     QStringLiteral("\"%1\" no es una fecha del calendario; se espera %2.")}
        .arg(quoted(text.trimmed()), expected);
}

bool XmlFeed::next(QXmlStreamReader::TokenType* token) {
    constexpr qsizetype kPiece = 1 << 20;
    for (;;) {
        *token = m_xml.readNext();
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError &&
            m_fed < m_data.size()) {
            m_xml.addData(m_data.mid(m_fed, kPiece));
            m_fed += kPiece;
            continue;
        }
        return !m_xml.atEnd() && !m_xml.hasError();
    }
}

} // namespace statement_text

using namespace statement_text;

namespace {

QString dateText(int yyyymmdd) {
    return yyyymmdd > 0 ? QStringLiteral("%1-%2-%3")
                              .arg(yyyymmdd / 10000)
                              .arg(yyyymmdd / 100 % 100, 2, 10, QLatin1Char('0'))
                              .arg(yyyymmdd % 100, 2, 10, QLatin1Char('0'))
                        : QStringLiteral("-");
}

} // namespace

void StatementFile::skip(const QString& account, int fileLine, const ReadFault& reason) {
    if (!skipped.isEmpty() && skipped.last().account == account &&
        skipped.last().reason.english == reason.english) {
        ++skipped.last().count;
        return;
    }
    skipped.push_back(SkippedEntries{account, 1, fileLine, reason});
}

QStringList StatementFile::accounts() const {
    QStringList out;
    for (const Statement& s : statements)
        if (!out.contains(s.account))
            out << s.account;
    return out;
}

Statement StatementFile::forAccount(const QString& account, QVector<ReadFault>* warnings) const {
    Statement out;
    out.format = format;
    out.account = account;
    const Statement* before = nullptr;
    QMap<QString, int> others; // account -> lines not read
    QStringList otherOrder;
    for (const Statement& s : statements) {
        if (s.account != account) {
            if (!others.contains(s.account))
                otherOrder << s.account;
            others[s.account] += int(s.lines.size());
            continue;
        }
        Cents total = s.opening;
        bool fits = true;
        for (const StatementLine& l : s.lines)
            fits = fits && addCents(&total, l.cents);
        if (s.hasOpening && s.hasClosing && (!fits || total != s.closing)) {
            Cents gap = s.closing;
            const bool gapFits = fits && addCents(&gap, -total);
            warnings->push_back(
                ReadFault{QStringLiteral("the statement closing on %1 (line %2) does not add up: "
                                         "its opening balance %3 and its lines give %4, but it "
                                         "closes at %5, a gap of %6."),
                          QStringLiteral("el estado de cuenta que cierra el %1 (línea %2) no "
                                         "cuadra: su saldo inicial %3 y sus partidas dan %4, pero "
                                         "cierra en %5, una diferencia de %6.")}
                    .arg(dateText(s.statementDate()), QString::number(s.fileLine),
                         centsText(s.opening), fits ? centsText(total) : QStringLiteral("?"),
                         centsText(s.closing), gapFits ? centsText(gap) : QStringLiteral("?")));
        }
        if (before && before->hasClosing && s.hasOpening && s.opening != before->closing) {
            Cents gap = s.opening;
            const bool gapFits = addCents(&gap, -before->closing);
            warnings->push_back(
                ReadFault{QStringLiteral("the statement of line %1 opens at %2, but the one "
                                         "before closed at %3, a gap of %4."),
                          QStringLiteral("el estado de cuenta de la línea %1 abre en %2, pero el "
                                         "anterior cerró en %3, una diferencia de %4.")}
                    .arg(QString::number(s.fileLine), centsText(s.opening),
                         centsText(before->closing),
                         gapFits ? centsText(gap) : QStringLiteral("?")));
        }
        if (!before) {
            out.currency = s.currency;
            out.hasOpening = s.hasOpening;
            out.opening = s.opening;
            out.periodStart = s.periodStart;
            out.fileLine = s.fileLine;
        }
        if (out.periodStart == 0 || (s.periodStart > 0 && s.periodStart < out.periodStart))
            out.periodStart = s.periodStart;
        out.periodEnd = std::max(out.periodEnd, s.periodEnd);
        // The closing balance is the last statement's; one that gives none offers none, rather
        // than an earlier day's as if it were the end.
        out.hasClosing = s.hasClosing;
        out.closing = s.closing;
        out.closingDate = s.closingDate;
        out.lines += s.lines;
        before = &s;
    }
    for (const SkippedEntries& k : skipped)
        if (k.account == account)
            warnings->push_back(ReadFault{
                QStringLiteral("%1 entries from line %2 were not read: %3")
                    .arg(QString::number(k.count), QString::number(k.fileLine), k.reason.english),
                QStringLiteral("%1 partidas desde la línea %2 no se leyeron: %3")
                    .arg(QString::number(k.count), QString::number(k.fileLine), k.reason.spanish)});
    for (const QString& other : std::as_const(otherOrder))
        warnings->push_back(
            ReadFault{QStringLiteral("also in the file: account %1, %2 lines, not read."),
                      QStringLiteral("también en el archivo: cuenta %1, %2 partidas, no "
                                     "leídas.")}
                .arg(other.isEmpty() ? QStringLiteral("-") : quoted(other),
                     QString::number(others.value(other))));
    return out;
}

namespace {

enum class Kind { Ofx, Camt, Bai2, Csv, Unknown };

// The format by the file's start: past the byte order mark and blanks, the OFX header, the
// XML root element, BAI2's file header; anything else is taken for CSV.
Kind detect(const QString& text, int* line) {
    qsizetype i = 0;
    *line = 1;
    auto skipBlanks = [&] {
        while (i < text.size() && text.at(i).isSpace()) {
            if (text.at(i) == QLatin1Char('\n'))
                ++*line;
            ++i;
        }
    };
    skipBlanks();
    const QStringView rest = QStringView(text).mid(i);
    if (rest.startsWith(QLatin1String("OFXHEADER")))
        return Kind::Ofx;
    if (rest.startsWith(QLatin1String("01,")))
        return Kind::Bai2;
    if (!rest.startsWith(QLatin1Char('<')))
        return Kind::Csv;
    // Past declarations, processing instructions and comments to the root element.
    while (i < text.size()) {
        skipBlanks();
        const QStringView at = QStringView(text).mid(i);
        QLatin1String close;
        if (at.startsWith(QLatin1String("<?OFX")))
            return Kind::Ofx;
        if (at.startsWith(QLatin1String("<?")))
            close = QLatin1String("?>");
        else if (at.startsWith(QLatin1String("<!--")))
            close = QLatin1String("-->");
        else if (at.startsWith(QLatin1String("<!")))
            close = QLatin1String(">");
        else
            break;
        const qsizetype end = text.indexOf(close, i);
        if (end < 0)
            return Kind::Unknown;
        for (qsizetype k = i; k < end; ++k)
            if (text.at(k) == QLatin1Char('\n'))
                ++*line;
        i = end + close.size();
    }
    if (i >= text.size() || text.at(i) != QLatin1Char('<'))
        return Kind::Unknown;
    qsizetype end = i + 1;
    while (end < text.size() &&
           (text.at(end).isLetterOrNumber() || text.at(end) == QLatin1Char(':') ||
            text.at(end) == QLatin1Char('_') || text.at(end) == QLatin1Char('.') ||
            text.at(end) == QLatin1Char('-')))
        ++end;
    const QStringView name = QStringView(text).mid(i + 1, end - i - 1);
    const QStringView local = name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
    if (name.compare(QLatin1String("OFX"), Qt::CaseInsensitive) == 0)
        return Kind::Ofx;
    if (local == QLatin1String("Document"))
        return Kind::Camt;
    return Kind::Unknown;
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

StatementFile readStatementFile(const QString& path, const CsvMapping& csv) {
    const QByteArray data = readStatementBytes(path);
    // The start alone decides; a payee's text further down cannot.
    const QString head = decode(data.left(8192));
    if (head.trimmed().isEmpty() && decode(data).trimmed().isEmpty())
        throw StatementError(path, 0,
                             ReadFault{QStringLiteral("the file is empty."),
                                       QStringLiteral("el archivo está vacío.")});
    int line = 1;
    switch (detect(head, &line)) {
    case Kind::Ofx:
        return readOfx(path, data);
    case Kind::Camt:
        return readCamt053(path, data);
    case Kind::Bai2:
        return readBai2(path, data);
    case Kind::Unknown:
        throw StatementError(
            path, line,
            ReadFault{QStringLiteral("this is not a bank statement: an OFX file, a camt.053 "
                                     "document, a BAI2 file or a CSV file is expected."),
                      QStringLiteral("esto no es un estado de cuenta bancario: se espera un "
                                     "archivo OFX, un documento camt.053, un archivo BAI2 o un "
                                     "archivo CSV.")});
    case Kind::Csv:
        break;
    }
    if (!csv.usable())
        throw StatementError(
            path, 0,
            ReadFault{QStringLiteral("set the columns of the CSV file (the date and the amount at "
                                     "least) before loading it."),
                      QStringLiteral("fije las columnas del archivo CSV (al menos la fecha y el "
                                     "importe) antes de cargarlo.")});
    return readCsv(path, data, csv);
}
