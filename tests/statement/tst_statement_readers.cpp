// Each reader over files the generator writes: read exactly as written, or refused with the
// line and the reason. Money text and dates are tested once, at the money and date readers.

#include "statement.h"
#include "statement_files.h"
#include "test_support.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace statement_files;
using enum Format;

namespace {

// One file: what the generator writes, edits made to it, and what must come of reading it.
struct Case {
    Options options;
    // Regular-expression edits "pattern=>replacement", each made once at or after the first
    // item's line ("@" in front: from the file's start).
    QStringList edits;
    // Empty: read as written. Else "where: words of the reason", where is amount, date, item,
    // item+N, statement, last or a line number (0: none).
    QString refusal;
    QString warning; // words of a warning the first account's statement must carry
    int dropped = 0; // leading items of the first statement that must not be read
    Cents cents = 0; // the first item's amount where amountTexts[0] is set
};

// A file with edits made to it, refused or warned of.
Case editCase(const Options& options, const QStringList& edits, const QString& refusal,
              const QString& warning = {}, int dropped = 0, Cents cents = 0) {
    return Case{options, edits, refusal, warning, dropped, cents};
}

QByteArray edited(const Written& w, const QStringList& edits) {
    QString text = statement_text::decode(w.bytes);
    for (const QString& edit : edits) {
        const bool fromStart = edit.startsWith(QLatin1Char('@'));
        const QString pattern = edit.mid(fromStart ? 1 : 0).section(QStringLiteral("=>"), 0, 0);
        qsizetype from = 0;
        for (int line = 1; !fromStart && line < w.places.value(0).item; ++line)
            from = text.indexOf(QLatin1Char('\n'), from) + 1;
        const QRegularExpression re(pattern, QRegularExpression::MultilineOption);
        const QRegularExpressionMatch m = re.match(text, from);
        if (!m.hasMatch())
            qFatal("edit not found: %s", qPrintable(pattern));
        QString found = m.captured(0);
        text.replace(m.capturedStart(), m.capturedLength(),
                     found.replace(re, edit.section(QStringLiteral("=>"), 1)));
    }
    return text.toUtf8();
}

int lineOf(const QString& where, const Written& w, const QByteArray& bytes) {
    const ItemPlace first = w.places.value(0);
    if (where.startsWith(QLatin1String("item")))
        return first.item + where.mid(5).toInt();
    const QHash<QString, int> named{
        {"amount", first.amount},
        {"date", first.date},
        {"statement", w.expected.statements.value(0).fileLine},
        {"last", int(statement_text::decode(bytes).count(QLatin1Char('\n')))}};
    return named.value(where, where.toInt());
}

// Each statement's heading, then each line with the file line it was read from.
QStringList shown(const QVector<Statement>& statements) {
    QStringList out;
    for (const Statement& s : statements) {
        out << QStringLiteral("%1 %2 %3-%4 line %5 opening %6 closing %7 on %8")
                   .arg(s.account, s.currency)
                   .arg(s.periodStart)
                   .arg(s.periodEnd)
                   .arg(s.fileLine)
                   .arg(s.hasOpening ? centsText(s.opening) : QStringLiteral("none"),
                        s.hasClosing ? centsText(s.closing) : QStringLiteral("none"))
                   .arg(s.closingDate);
        for (const StatementLine& l : s.lines)
            out << summary(Statement{.lines = {l}}).value(0) +
                       QStringLiteral(" @%1").arg(l.fileLine);
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Case)

class TestStatementReaders : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    void check() {
        QFETCH(Case, c);
        Written w = write(c.options);
        const QByteArray bytes = c.edits.isEmpty() ? w.bytes : edited(w, c.edits);
        QVector<StatementLine>& first = w.expected.statements[0].lines;
        if (c.options.amountTexts.contains(0))
            first[0].cents = c.cents;
        first.remove(0, c.dropped);

        StatementFile read;
        try {
            read = readStatementFile(writeFile(dir.filePath(w.fileName), bytes), w.mapping);
        } catch (const StatementError& e) {
            QVERIFY2(!c.refusal.isEmpty(), qPrintable(e.message()));
            QCOMPARE(e.line(), lineOf(c.refusal.section(QStringLiteral(": "), 0, 0), w, bytes));
            QVERIFY2(e.message().contains(c.refusal.section(QStringLiteral(": "), 1)),
                     qPrintable(e.message()));
            // The Spanish clerk reads the same fault, whole.
            QVERIFY2(e.message(true) != e.message() && e.message(true).endsWith('.'),
                     qPrintable(e.message(true)));
            return;
        }
        QVERIFY2(c.refusal.isEmpty(), "the file was read");
        QCOMPARE(read.format, w.expected.format);
        QCOMPARE(shown(read.statements), shown(w.expected.statements));
        // The first account's statements joined: all their lines and none of another account,
        // and the last one's closing.
        QVector<ReadFault> warnings;
        const Statement joined = read.forAccount(read.accounts().first(), &warnings);
        Statement want;
        for (const Statement& s : std::as_const(w.expected.statements))
            if (s.account == joined.account) {
                want.lines += s.lines;
                want.closing = s.closing;
            }
        QCOMPARE(summary(joined), summary(want));
        QCOMPARE(joined.closing, want.closing);
        QString said;
        for (const ReadFault& f : warnings)
            said += f.english + QLatin1Char(' ');
        QVERIFY2(c.warning.isEmpty() ? said.isEmpty() : said.contains(c.warning), qPrintable(said));
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
        QTest::newRow("currency, sign, groups") << "€-1,234.56" << point << -123456LL << ok;
        QTest::newRow("decimal comma, either") << "-1.234,56" << either << -123456LL << ok;
        QTest::newRow("one separator of two digits") << "7,5" << either << 750LL << ok;
        QTest::newRow("parentheses") << "(12.00)" << point << -1200LL << ok;
        QTest::newRow("trailing minus") << "12.00-" << point << -1200LL << ok;
        QTest::newRow("eighteen digits")
            << "9999999999999999.99" << point << 999999999999999999LL << ok;
        QTest::newRow("groups, point") << "1,234" << point << 123400LL << ok;
        QTest::newRow("point under comma") << "1.5" << comma << 0LL << int(MoneyFault::Grouping);
        QTest::newRow("three decimals") << "12.345" << point << 0LL << int(MoneyFault::Decimals);
        QTest::newRow("blank inside") << "- 700.66" << point << 0LL << int(MoneyFault::NotMoney);
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
        QCOMPARE(read.cents, cents); // 0 when refused
    }

    // The readers' rows read dates with times and zones, and the fuzz test's 30 February is
    // refused; these are refused only here.
    void datesRefused() {
        QCOMPARE(statement_text::ofxDate(u"20261116XY"), 0);
        QCOMPARE(statement_text::isoDate(u"0999-11-16"), 0); // before any bank's year
    }

    void ofx_data() {
        QTest::addColumn<Case>("c");
        QTest::newRow("SGML, several statements and accounts")
            << Case{.options = {.statements = 2, .accounts = {"4410012345", "9999999999"}},
                    .warning = "also in the file: account 9999999999, 6 lines, not read."};
        QTest::newRow("XML in UTF-16") << Case{.options = {.format = OfxXml, .utf16 = true}};
        QTest::newRow("CR line ends, late times with a zone")
            << Case{.options = {.byteOrderMark = true, .lineEnd = "\r", .ofxTimes = true}};
        QTest::newRow("reads two ways")
            << Case{.options = {.amountTexts = {{0, "1,234"}}},
                    .refusal = "amount: \"1,234\" cannot be read: it reads two ways"};
        QTest::newRow("comment and character reference")
            << Case{.edits = {"<FITID>=><!-- from the bank --><FITID>"}};
        QTest::newRow("no amount")
            << Case{.edits = {"<TRNAMT>=><TRNAMX>"}, .refusal = "item: the item has no amount"};
        QTest::newRow("closing tag of nothing")
            << Case{.edits = {"<TRNTYPE>=></TRNTYPX>"},
                    .refusal = "item+1: the closing tag </TRNTYPX> closes nothing"};
        QTest::newRow("cut short")
            << Case{.edits = {"@</OFX>\\n=>"}, .refusal = "last: it may have been cut short"};
    }
    void ofx() { check(); }

    void camt_data() {
        QTest::addColumn<Case>("c");
        const Options camt{.format = Camt053};
        QTest::newRow("two statements, two accounts")
            << Case{.options = {.format = Camt053,
                                .statements = 2,
                                .accounts = {"4410012345", "9999999999"},
                                .byteOrderMark = true},
                    .warning = "also in the file: account 9999999999, 6 lines, not read."};
        QTest::newRow(".001.02 in UTF-16")
            << Case{.options = {.format = Camt053, .utf16 = true, .camtVersion = "02"}};
        QTest::newRow("signed amount")
            << Case{.options = {.format = Camt053, .amountTexts = {{0, "-700.66"}}},
                    .refusal = "amount: \"-700.66\" cannot be read"};
        QTest::newRow("no credit or debit mark")
            << editCase(camt, {"<CdtDbtInd>(\\w+)</CdtDbtInd>=>"},
                        "item: (CdtDbtInd) is \"\"; CRDT or DBIT is expected");
        QTest::newRow("unknown status")
            << editCase(camt, {"BOOK=>B0OOK"}, "item: status \"B0OOK\" is none of");
        QTest::newRow("pending") << editCase(camt, {"BOOK=>PDNG"}, {},
                                             "were not read: their status is PDNG", 1);
        QTest::newRow("entry in an entry")
            << editCase(camt, {"<NtryDtls>=><Ntry>", "</NtryDtls>=></Ntry>"},
                        "item+6: an entry (Ntry) is expected only in a statement");
        QTest::newRow("entry outside a statement")
            << editCase(camt, {"@  <Stmt>=><Ntry></Ntry><Stmt>"},
                        "statement: an entry (Ntry) is expected only in a statement");
        QTest::newRow("batch that does not add up")
            << editCase(camt,
                        {"</TxDtls>=><Amt Ccy=\"USD\">500.00</Amt></TxDtls><TxDtls><Amt "
                         "Ccy=\"USD\">200.66</Amt></TxDtls>"},
                        {}, "a batch whose details give", 1);
        QTest::newRow("root misspelled")
            << editCase(camt, {"@<Document =><Documnet ", "@</Document>=></Documnet>"},
                        "2: this is not a bank statement");
        QTest::newRow("closing one cent off") << Case{
            .options = {.format = Camt053, .closingGaps = {{0, 1}}}, .warning = "but it closes at"};
    }
    void camt() { check(); }

    void bai2_data() {
        QTest::addColumn<Case>("c");
        const Options bai2{.format = Bai2};
        QTest::newRow("daily reports of two accounts") << Case{
            .options = {.format = Bai2, .statements = 3, .accounts = {"4410012345", "9999999999"}},
            .warning = "also in the file: account 9999999999, 9 lines, not read."};
        QTest::newRow("19 digits")
            << Case{.options = {.format = Bai2, .amountTexts = {{0, QString(19, '1')}}},
                    .refusal = "amount: more than 18 digits"};
        QTest::newRow("signed item")
            << Case{.options = {.format = Bai2, .amountTexts = {{0, "-70066"}}},
                    .refusal = "amount: \"-70066\" cannot be read: digits in cents are "
                               "expected, without a sign"};
        QTest::newRow("30 February")
            << Case{.options = {.format = Bai2, .dateTexts = {{-1, "240230"}}},
                    .refusal = "date: \"240230\" is not a date"};
        QTest::newRow("item before its account")
            << editCase(bai2, {"@^03,=>16,301,100,Z,,,EARLY\n03,"},
                        "statement: an item (16) is expected only inside an account");
        QTest::newRow("record after the 99")
            << editCase(bai2, {"@(^99,.*$)=>\\1\n16,301,100,Z,,,LATE"},
                        "last: a record follows the file's closing record");
        QTest::newRow("funds in a billion parts")
            << editCase(bai2, {",Z,=>,D,1000000000,"}, "item: funds availability");
        QTest::newRow("a line lost") << editCase(bai2, {"^16,.*\\n=>"}, "last: lines are missing");
        // The amount set is not the one the balances were written for.
        Options amount = bai2;
        amount.amountTexts[0] = QStringLiteral("12345");
        QTest::newRow("type 399 is the last credit")
            << editCase(amount, {"^16,\\d+,=>16,399,"}, {}, "does not add up", 0, 12345);
        QTest::newRow("type 400 is the first debit")
            << editCase(amount, {"^16,\\d+,=>16,400,"}, {}, "does not add up", 0, -12345);
        QTest::newRow("no money type code")
            << editCase(bai2, {"^16,\\d+,=>16,890,"}, {}, "type code 890", 1);
        QTest::newRow("opens where the day before did not close") << Case{
            .options = {.format = Bai2, .statements = 2, .lines = 0, .openingGaps = {{1, -250}}},
            .warning = "but the one before closed at 5000.00, a gap of -2.50"};
    }
    void bai2() { check(); }

    void csv_data() {
        QTest::addColumn<Case>("c");
        const Options debitCredit{.format = Csv, .csvDebitCredit = true};
        QTest::newRow("amount column") << Case{.options = {.format = Csv, .lines = 6}};
        QTest::newRow("debit and credit, decimal comma, UTF-16") << Case{
            .options = {
                .format = Csv, .utf16 = true, .csvDebitCredit = true, .csvDecimalComma = true}};
        QTest::newRow("a debit and a credit on one line")
            << editCase(debitCredit, {"^(.*),([\\d.]*),([\\d.]*)$=>\\1,1.00,2.00"},
                        "item: the line has both a debit and a credit");
        QTest::newRow("decimal comma unquoted")
            << Case{.options = {.format = Csv, .amountTexts = {{0, "-700,66"}}},
                    .refusal = "item: the line has 5 columns, but the file's first line has 4"};
        Options signedDebit = debitCredit;
        signedDebit.amountTexts[0] = QStringLiteral("-300.00");
        QTest::newRow("sign in a debit column")
            << editCase(signedDebit, {}, "amount: the amount \"-300.00\" cannot be read");
        QTest::newRow("unclosed quote")
            << Case{.options = {.format = Csv, .lines = 1, .amountTexts = {{0, "\"12.00"}}},
                    .refusal = "amount: never closed"};
        QTest::newRow("a payee's text does not make it OFX")
            << Case{.options = {.format = Csv, .dateTexts = {{0, "<OFX> camt.053"}}},
                    .refusal = "date: \"<OFX> camt.053\" in column 1"};
    }
    void csv() { check(); }
};

QTEST_GUILESS_MAIN(TestStatementReaders)
#include "tst_statement_readers.moc"
