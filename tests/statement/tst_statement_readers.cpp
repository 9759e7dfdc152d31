// Each reader over files the generator writes: read exactly as written, or refused with the
// line and the reason. Money text and dates are tested once, at the money and date readers.

#include "statement.h"
#include "statement_files.h"
#include "test_support.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace statement_files;

namespace {

// One file: what the generator writes, edits made to it, and what must come of reading it.
struct Case {
    Options options;
    // Regular-expression edits "pattern=>replacement", each made once at or after the first
    // item's line ("@" in front: from the file's start).
    QStringList edits;
    Cents cents = 0; // the first item's amount where amountTexts[0] is set
    int date = 0;    // the first item's date where dateTexts[0] is set
    int dropped = 0; // leading items of the first statement that must not be read
    // Empty: read as written. Else "where: words of the reason", where is amount, date, item,
    // item+N, statement, last or none (no line).
    QString refusal;
    QString warning; // words of a warning the first account's statement must carry
};

} // namespace

Q_DECLARE_METATYPE(Case)

namespace {

Case amountCase(Format format, const QString& text, Cents cents, const QString& refusal = {}) {
    Case c;
    c.options.format = format;
    c.options.amountTexts[0] = text;
    c.cents = cents;
    c.refusal = refusal;
    return c;
}

Case dateCase(Format format, const QString& text, int date, const QString& refusal = {}) {
    Case c;
    c.options.format = format;
    c.options.dateTexts[format == Format::Bai2 ? -1 : 0] = text;
    c.date = date;
    c.refusal = refusal;
    return c;
}

Case editCase(Format format, const QStringList& edits, const QString& refusal,
              const QString& warning = {}, int dropped = 0) {
    Case c;
    c.options.format = format;
    c.edits = edits;
    c.refusal = refusal;
    c.warning = warning;
    c.dropped = dropped;
    return c;
}

QByteArray edited(const Written& w, const QStringList& edits) {
    QString text = statement_text::decode(w.bytes);
    const int firstItem = w.places.value(0).item;
    for (const QString& edit : edits) {
        const bool fromStart = edit.startsWith(QLatin1Char('@'));
        const QString pattern = edit.mid(fromStart ? 1 : 0).section(QStringLiteral("=>"), 0, 0);
        const QString replacement = edit.section(QStringLiteral("=>"), 1);
        qsizetype from = 0;
        for (int line = 1; !fromStart && line < firstItem; ++line)
            from = text.indexOf(QLatin1Char('\n'), from) + 1;
        const QRegularExpressionMatch m =
            QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text, from);
        if (!m.hasMatch())
            qFatal("edit not found: %s", qPrintable(pattern));
        QString with = replacement;
        for (int g = m.lastCapturedIndex(); g > 0; --g)
            with.replace(QStringLiteral("\\%1").arg(g), m.captured(g));
        text.replace(m.capturedStart(), m.capturedLength(), with);
    }
    return text.toUtf8();
}

int lineOf(const QString& where, const Written& w, const QByteArray& bytes) {
    const ItemPlace first = w.places.value(0);
    if (where == QLatin1String("amount"))
        return first.amount;
    if (where == QLatin1String("date"))
        return first.date;
    if (where.startsWith(QLatin1String("item")))
        return first.item + where.mid(5).toInt();
    if (where == QLatin1String("statement"))
        return w.expected.statements.value(0).fileLine;
    if (where == QLatin1String("last"))
        return int(statement_text::decode(bytes).count(QLatin1Char('\n')));
    return where.toInt(); // a line number, or none
}

} // namespace

class TestStatementReaders : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    void check() {
        QFETCH(Case, c);
        Written w = write(c.options);
        const QByteArray bytes = c.edits.isEmpty() ? w.bytes : edited(w, c.edits);
        const QString path = writeFile(dir.filePath(w.fileName), bytes);
        QVector<StatementLine>& first = w.expected.statements[0].lines;
        if (c.options.amountTexts.contains(0))
            first[0].cents = c.cents;
        if (c.options.dateTexts.contains(0) || c.options.dateTexts.contains(-1))
            first[0].date = c.date;
        first.remove(0, c.dropped);

        StatementFile read;
        try {
            read = readStatementFile(path, w.mapping);
        } catch (const StatementError& e) {
            if (c.refusal.isEmpty())
                QFAIL(qPrintable(e.message()));
            const QString where = c.refusal.section(QStringLiteral(": "), 0, 0);
            QCOMPARE(e.line(), lineOf(where, w, bytes));
            QVERIFY2(e.message().contains(c.refusal.section(QStringLiteral(": "), 1)),
                     qPrintable(e.message()));
            // The Spanish clerk reads the same fault at the same line, and nothing of the
            // file's text cuts the message short.
            const QString spanish = e.message(true);
            QVERIFY2(spanish != e.message() && spanish.endsWith(QLatin1Char('.')),
                     qPrintable(spanish));
            QVERIFY(!e.message().contains(QChar(0)));
            return;
        }
        QVERIFY2(c.refusal.isEmpty(), "the file was read");
        QCOMPARE(read.format, w.expected.format);
        QCOMPARE(read.statements.size(), w.expected.statements.size());
        for (qsizetype k = 0; k < read.statements.size(); ++k) {
            const Statement& got = read.statements.at(k);
            const Statement& want = w.expected.statements.at(k);
            QCOMPARE(got.account, want.account);
            QCOMPARE(got.currency, want.currency);
            QCOMPARE(
                QVector<int>({got.periodStart, got.periodEnd, got.closingDate, got.fileLine}),
                QVector<int>({want.periodStart, want.periodEnd, want.closingDate, want.fileLine}));
            QCOMPARE(
                QVector<Cents>({got.hasOpening, got.opening, got.hasClosing, got.closing}),
                QVector<Cents>({want.hasOpening, want.opening, want.hasClosing, want.closing}));
            QCOMPARE(summary(got), summary(want));
            for (qsizetype i = 0; i < got.lines.size(); ++i)
                QCOMPARE(got.lines.at(i).fileLine, want.lines.at(i).fileLine);
        }
        // The first account's statements joined: all their lines and none of another account,
        // and the last one's closing.
        QVector<ReadFault> warnings;
        const Statement joined = read.forAccount(read.accounts().first(), &warnings);
        QStringList lines;
        const Statement* last = nullptr;
        for (const Statement& s : std::as_const(w.expected.statements))
            if (s.account == joined.account) {
                lines += summary(s);
                last = &s;
            }
        QCOMPARE(summary(joined), lines);
        QCOMPARE(joined.closing, last->closing);
        QStringList said;
        for (const ReadFault& f : warnings)
            said << f.english;
        if (c.options.accounts.size() > 1)
            QVERIFY2(
                said.join(' ').contains(QStringLiteral("also in the file: account %1, %2 lines, "
                                                       "not read.")
                                            .arg(c.options.accounts.at(1))
                                            .arg(c.options.lines * c.options.statements)),
                qPrintable(said.join(' ')));
        else if (c.warning.isEmpty())
            QCOMPARE(said, QStringList());
        QVERIFY2(said.join(' ').contains(c.warning), qPrintable(said.join(' ')));
    }

private Q_SLOTS:
    void money_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimal"); // MoneyForm::Decimal
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<int>("fault"); // MoneyFault::None when read
        const int point = int(MoneyForm::Decimal::Point), comma = int(MoneyForm::Decimal::Comma),
                  either = int(MoneyForm::Decimal::Either);
        const auto ok = int(MoneyFault::None);
        QTest::newRow("one decimal") << "1234.5" << point << 123450LL << ok;
        QTest::newRow("sign, groups") << "$1,234.56" << point << 123456LL << ok;
        QTest::newRow("decimal comma, either") << "-1.234,56" << either << -123456LL << ok;
        QTest::newRow("one separator of two digits") << "7,5" << either << 750LL << ok;
        QTest::newRow("parentheses") << "(12.00)" << point << -1200LL << ok;
        QTest::newRow("trailing minus") << "12.00-" << point << -1200LL << ok;
        QTest::newRow("currency, then sign") << "€-7" << point << -700LL << ok;
        QTest::newRow("eighteen digits")
            << "9999999999999999.99" << point << 999999999999999999LL << ok;
        QTest::newRow("reads two ways") << "1,234" << either << 0LL << int(MoneyFault::Ambiguous);
        QTest::newRow("groups, point") << "1,234" << point << 123400LL << ok;
        QTest::newRow("point under comma") << "1.5" << comma << 0LL << int(MoneyFault::Grouping);
        QTest::newRow("misgrouped") << "12,34.00" << point << 0LL << int(MoneyFault::Grouping);
        QTest::newRow("three decimals") << "12.345" << point << 0LL << int(MoneyFault::Decimals);
        QTest::newRow("blank inside") << "- 700.66" << point << 0LL << int(MoneyFault::NotMoney);
        QTest::newRow("two signs") << "-(12.00)" << point << 0LL << int(MoneyFault::NotMoney);
        QTest::newRow("sign alone") << "$" << point << 0LL << int(MoneyFault::NotMoney);
        QTest::newRow("forty nines")
            << QString(40, '9') << point << 0LL << int(MoneyFault::TooManyDigits);
        QTest::newRow("seventeen whole digits")
            << "12345678901234567" << point << 0LL << int(MoneyFault::TooManyDigits);
    }

    void money() {
        QFETCH(QString, text);
        QFETCH(int, decimal);
        QFETCH(qint64, cents);
        QFETCH(int, fault);
        MoneyForm form;
        form.decimal = MoneyForm::Decimal(decimal);
        const MoneyRead read = readMoney(text, form);
        QCOMPARE(int(read.fault), fault);
        QCOMPARE(read.ok, fault == int(MoneyFault::None));
        if (read.ok)
            QCOMPARE(read.cents, cents);
    }

    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ofx"); // else ISO
        QTest::addColumn<int>("date"); // 0: refused
        QTest::newRow("OFX zone west of the bank") << "20261116233000[-5:EST]" << true << 20261116;
        QTest::newRow("OFX 30 February") << "20240230" << true << 0;
        QTest::newRow("OFX month 13") << "20241301" << true << 0;
        QTest::newRow("OFX short") << "202611" << true << 0;
        QTest::newRow("OFX letters after") << "20261116XY" << true << 0;
        QTest::newRow("ISO with zone") << "2024-02-29T23:30:00-05:00" << false << 20240229;
        QTest::newRow("ISO day 0") << "2026-11-00" << false << 0;
        QTest::newRow("ISO year 999") << "0999-11-16" << false << 0;
    }

    void dates() {
        QFETCH(QString, text);
        QFETCH(bool, ofx);
        QFETCH(int, date);
        QCOMPARE(ofx ? statement_text::ofxDate(text) : statement_text::isoDate(text), date);
    }

    void ofx_data() {
        QTest::addColumn<Case>("c");
        Case several;
        several.options.statements = 2;
        several.options.accounts << QStringLiteral("9999999999");
        QTest::newRow("SGML, several statements and accounts") << several;
        Case xml;
        xml.options.format = Format::OfxXml;
        xml.options.utf16 = true;
        QTest::newRow("XML in UTF-16") << xml;
        Case zone;
        zone.options.byteOrderMark = true;
        zone.options.lineEnd = "\r";
        zone.options.ofxTimes = true;
        QTest::newRow("CR line ends, late times with a zone") << zone;
        QTest::newRow("reads two ways") << amountCase(
            Format::OfxSgml, "1,234", 0, "amount: \"1,234\" cannot be read: it reads two ways");
        QTest::newRow("comment and character reference")
            << editCase(Format::OfxSgml, {"<FITID>=><!-- from the bank --><FITID>"}, {});
        QTest::newRow("no amount")
            << editCase(Format::OfxSgml, {"<TRNAMT>=><TRNAMX>"}, "item: the item has no amount");
        QTest::newRow("closing tag of nothing")
            << editCase(Format::OfxSgml, {"<TRNTYPE>=></TRNTYPX>"},
                        "item+1: the closing tag </TRNTYPX> closes nothing");
        QTest::newRow("cut short")
            << editCase(Format::OfxSgml, {"@</OFX>\\n=>"}, "last: it may have been cut short");
    }
    void ofx() { check(); }

    void camt_data() {
        QTest::addColumn<Case>("c");
        Case several;
        several.options.format = Format::Camt053;
        several.options.statements = 2;
        several.options.accounts << QStringLiteral("9999999999");
        several.options.byteOrderMark = true;
        QTest::newRow("two statements, two accounts") << several;
        Case old;
        old.options.format = Format::Camt053;
        old.options.camtVersion = QStringLiteral("02");
        old.options.utf16 = true;
        QTest::newRow(".001.02 in UTF-16") << old;
        QTest::newRow("signed amount")
            << amountCase(Format::Camt053, "-700.66", 0, "amount: \"-700.66\" cannot be read");
        QTest::newRow("no credit or debit mark")
            << editCase(Format::Camt053, {"<CdtDbtInd>(\\w+)</CdtDbtInd>=>"},
                        "item: (CdtDbtInd) is \"\"; CRDT or DBIT is expected");
        QTest::newRow("DEBIT") << editCase(Format::Camt053,
                                           {"(CRDT|DBIT)</CdtDbtInd>=>DEBIT</CdtDbtInd>"},
                                           "item: (CdtDbtInd) is \"DEBIT\"");
        QTest::newRow("unknown status")
            << editCase(Format::Camt053, {"BOOK=>B0OOK"}, "item: status \"B0OOK\" is none of");
        QTest::newRow("pending") << editCase(Format::Camt053, {"BOOK=>PDNG"}, {},
                                             "were not read: their status is PDNG", 1);
        QTest::newRow("entry in an entry")
            << editCase(Format::Camt053, {"<NtryDtls>=><Ntry>", "</NtryDtls>=></Ntry>"},
                        "item+6: an entry (Ntry) is expected only in a statement");
        QTest::newRow("entry outside a statement")
            << editCase(Format::Camt053, {"@  <Stmt>=><Ntry></Ntry><Stmt>"},
                        "statement: an entry (Ntry) is expected only in a statement");
        QTest::newRow("batch that does not add up")
            << editCase(Format::Camt053,
                        {"</TxDtls>=><Amt Ccy=\"USD\">500.00</Amt></TxDtls><TxDtls><Amt "
                         "Ccy=\"USD\">200.66</Amt></TxDtls>"},
                        {}, "a batch whose details give", 1);
        QTest::newRow("root misspelled")
            << editCase(Format::Camt053, {"@<Document =><Documnet ", "@</Document>=></Documnet>"},
                        "2: this is not a bank statement");
        Case gap;
        gap.options.format = Format::Camt053;
        gap.options.closingGaps[0] = 1;
        gap.warning = QStringLiteral("but it closes at");
        QTest::newRow("closing one cent off") << gap;
    }
    void camt() { check(); }

    void bai2_data() {
        QTest::addColumn<Case>("c");
        Case month;
        month.options.format = Format::Bai2;
        month.options.statements = 3;
        month.options.accounts << QStringLiteral("9999999999");
        QTest::newRow("daily reports of two accounts") << month;
        Case cr;
        cr.options.format = Format::Bai2;
        cr.options.lineEnd = "\r";
        QTest::newRow("CR line ends") << cr;
        QTest::newRow("19 digits")
            << amountCase(Format::Bai2, QString(19, '1'), 0, "amount: more than 18 digits");
        QTest::newRow("signed item") << amountCase(Format::Bai2, "-70066", 0,
                                                   "amount: \"-70066\" cannot be read: digits in "
                                                   "cents are expected, without a sign");
        QTest::newRow("30 February")
            << dateCase(Format::Bai2, "240230", 0, "date: \"240230\" is not a date");
        QTest::newRow("item before its account")
            << editCase(Format::Bai2, {"@^03,=>16,301,100,Z,,,EARLY\n03,"},
                        "statement: an item (16) is expected only inside an account");
        QTest::newRow("item after a stray 49")
            << editCase(Format::Bai2, {"^16,=>49,0,2/\n16,"},
                        "item+1: an item (16) is expected only inside an account");
        QTest::newRow("record after the 99")
            << editCase(Format::Bai2, {"@(^99,.*$)=>\\1\n16,301,100,Z,,,LATE"},
                        "last: a record follows the file's closing record");
        QTest::newRow("funds in a billion parts")
            << editCase(Format::Bai2, {",Z,=>,D,1000000000,"}, "item: funds availability");
        QTest::newRow("a line lost")
            << editCase(Format::Bai2, {"^16,.*\\n=>"}, "last: lines are missing");
        Case credit = amountCase(Format::Bai2, "12345", 12345);
        credit.edits = QStringList{"^16,\\d+,=>16,399,"};
        Case debit = amountCase(Format::Bai2, "12345", -12345);
        debit.edits = QStringList{"^16,\\d+,=>16,400,"};
        // The amount set is not the one the balances were written for.
        credit.warning = debit.warning = QStringLiteral("does not add up");
        QTest::newRow("type 399 is the last credit") << credit;
        QTest::newRow("type 400 is the first debit") << debit;
        QTest::newRow("no money type code")
            << editCase(Format::Bai2, {"^16,\\d+,=>16,890,"}, {}, "type code 890", 1);
        Case chain;
        chain.options.format = Format::Bai2;
        chain.options.statements = 2;
        chain.options.openingGaps[1] = -250;
        chain.warning = QStringLiteral("but the one before closed at 5000.00, a gap of -2.50");
        chain.options.lines = 0;
        QTest::newRow("opens where the day before did not close") << chain;
    }
    void bai2() { check(); }

    void csv_data() {
        QTest::addColumn<Case>("c");
        Case plain;
        plain.options.format = Format::Csv;
        plain.options.lines = 6;
        QTest::newRow("amount column") << plain;
        Case columns;
        columns.options.format = Format::Csv;
        columns.options.csvDebitCredit = true;
        columns.options.csvDecimalComma = true;
        columns.options.utf16 = true;
        QTest::newRow("debit and credit, decimal comma, UTF-16") << columns;
        Case cr;
        cr.options.format = Format::Csv;
        cr.options.lineEnd = "\r";
        cr.options.byteOrderMark = true;
        QTest::newRow("CR line ends") << cr;
        Case both = editCase(Format::Csv, {"^(.*),([\\d.]*),([\\d.]*)$=>\\1,1.00,2.00"},
                             "item: the line has both a debit and a credit");
        both.options.csvDebitCredit = true;
        QTest::newRow("a debit and a credit on one line") << both;
        QTest::newRow("decimal comma unquoted")
            << amountCase(Format::Csv, "-700,66", 0,
                          "item: the line has 5 columns, but the file's "
                          "first line has 4");
        Case signedDebit =
            amountCase(Format::Csv, "-300.00", 0, "amount: the amount \"-300.00\" cannot be read");
        signedDebit.options.csvDebitCredit = true;
        QTest::newRow("sign in a debit column") << signedDebit;
        Case unclosed = amountCase(Format::Csv, "\"12.00", 0, "amount: never closed");
        unclosed.options.lines = 1;
        QTest::newRow("unclosed quote") << unclosed;
        QTest::newRow("a payee's text does not make it OFX")
            << dateCase(Format::Csv, "<OFX> camt.053", 0, "date: \"<OFX> camt.053\" in column 1");
    }
    void csv() { check(); }
};

QTEST_GUILESS_MAIN(TestStatementReaders)
#include "tst_statement_readers.moc"
