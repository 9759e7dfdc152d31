// The statement files of each format and variant, read into one statement, and the bad files
// that must be refused with the file and the line named.

#include "statement.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString sample(const char* name) {
    return QStringLiteral(BANKREC_TESTS_DIR "/statement/data/") + QLatin1String(name);
}

QByteArray sampleBytes(const char* name) {
    QFile f(sample(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Each line as "date amount #check description", joined with " | ".
QString summary(const Statement& s) {
    QStringList items;
    for (const StatementLine& l : s.lines)
        items << QStringLiteral("%1 %2%3 %4")
                     .arg(l.date)
                     .arg(l.amount, 0, 'f', 2)
                     .arg(l.check ? QStringLiteral(" #%1").arg(l.check) : QString())
                     .arg(l.description);
    return items.join(QStringLiteral(" | "));
}

CsvMapping germanBank() {
    CsvMapping m;
    m.dateColumn = 1;
    m.dateOrder = QStringLiteral("DMY");
    m.descriptionColumn = 2;
    m.checkColumn = 3;
    m.amountColumn = 4;
    m.decimalComma = true;
    m.skipLines = 1;
    return m;
}

} // namespace

class TestStatementReaders : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int variants = 0;

    // A copy of a sample with one text replaced, or cut after a number of bytes.
    QString variant(const char* name, const QByteArray& from, const QByteArray& to, int cut = -1) {
        QByteArray data = sampleBytes(name);
        if (!from.isEmpty()) {
            const int at = int(data.indexOf(from));
            if (at < 0)
                qFatal("sample text not found: %s", from.constData());
            data.replace(at, from.size(), to);
        }
        if (cut >= 0)
            data.truncate(cut);
        // Each variant in a folder of its own, under the sample's name.
        const QString folder = dir.filePath(QString::number(++variants));
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + QLatin1String(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        f.write(data);
        return path;
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void readsEachFormat_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("balances"); // opening/closing on date, period
        QTest::addColumn<QString>("lines");

        const QString ofxLines = QStringLiteral(
            "20240205 -300.00 #1002 CHECK 1002 | 20240207 230.00 DEPOSIT / BRANCH 12 | "
            "20240229 -12.50 MONTHLY SERVICE FEE");
        QTest::newRow("OFX 1 SGML") << sample("statement_sgml.ofx") << "OFX"
                                    << "4410012345"
                                    << "-/4917.50 on 20240229, 20240201-20240229" << ofxLines;
        QTest::newRow("OFX 2 XML") << sample("statement_xml.ofx") << "OFX"
                                   << "4410012345"
                                   << "-/4917.50 on 20240229, 20240201-20240229" << ofxLines;
        // A pending entry is left out; the cheque number and the creditor come from the
        // transaction details.
        QTest::newRow("camt.053.001.02, prefixed")
            << sample("camt053_v02.xml") << "camt.053.001.02"
            << "4410012345"
            << "5000.00/4917.50 on 20240229, 20240201-20240229"
            << "20240205 -300.00 #1002 Rapid Parts Supply | 20240207 230.00 DEPOSIT BRANCH 12 | "
               "20240229 -12.50 MONTHLY SERVICE FEE";
        // The batched entry of two checks gives two lines.
        QTest::newRow("camt.053.001.08, batch")
            << sample("camt053_v08.xml") << "camt.053.001.08"
            << "US00TEST4410012345"
            << "5000.00/4917.50 on 20240229, 20240201-20240229"
            << "20240205 -300.00 #1002 Rapid Parts Supply | 20240205 -42.50 #1003 Invoice 7781 | "
               "20240207 272.50 DEPOSIT BRANCH 12";
        QTest::newRow("BAI2 with continuation")
            << sample("prior_day.bai") << "BAI2"
            << "4410012345"
            << "5000.00/4917.50 on 20240229, 20240229-20240229"
            << "20240229 -300.00 #1002 CHECK PAID | 20240229 230.00 DEPOSIT BRANCH 12 SLIP OF "
               "THREE ITEMS | 20240229 -12.50 MONTHLY SERVICE FEE";
        // Windows-1252, semicolons, a quoted semicolon, decimal comma and thousands points.
        QTest::newRow("CSV ; and decimal comma")
            << sample("semicolon_comma.csv") << "CSV"
            << ""
            << "-/- on 0, 20240205-20240229"
            << QStringLiteral("20240205 -300.00 #1002 Scheck eingelöst | 20240207 230.00 "
                              "Einzahlung; Filiale 12 | 20240229 -1012.50 Kontoführung");
    }

    void readsEachFormat() {
        QFETCH(QString, file);
        QFETCH(QString, format);
        QFETCH(QString, account);
        QFETCH(QString, balances);
        QFETCH(QString, lines);
        Statement s;
        try {
            s = readStatementFile(file, germanBank());
        } catch (const StatementError& e) {
            QFAIL(qPrintable(e.message()));
        }
        QCOMPARE(s.format, format);
        QCOMPARE(s.account, account);
        if (format != QLatin1String("CSV"))
            QCOMPARE(s.currency, QStringLiteral("USD"));
        const QString got = QStringLiteral("%1/%2 on %3, %4-%5")
                                .arg(s.hasOpening ? QString::number(s.opening, 'f', 2) : "-")
                                .arg(s.hasClosing ? QString::number(s.closing, 'f', 2) : "-")
                                .arg(s.closingDate)
                                .arg(s.periodStart)
                                .arg(s.periodEnd);
        QCOMPARE(got, balances);
        QCOMPARE(summary(s), lines);
    }

    void csvColumnsAndEncodings_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("mapping");
        QTest::addColumn<QString>("lines");
        QTest::newRow("commas, quotes, UTF-8, debit and credit")
            << QByteArray("Date,Description,Debit,Credit,Check\n"
                          "2024-02-05,\"Café \"\"Sol\"\", Inc.\",300.00,,1002\n"
                          "2024-02-07,Deposit,,\"1,230.00\",\n")
            << "date=1;order=YMD;debit=3;credit=4;check=5;description=2;skip=1"
            << QStringLiteral("20240205 -300.00 #1002 Café \"Sol\", Inc. | 20240207 1230.00 "
                              "Deposit");
        QTest::newRow("tabs, month first, negative in parentheses")
            << QByteArray("02/05/24\t(300.00)\tCHECK\n02/07/2024\t230.00\tDEPOSIT\n")
            << "date=1;order=MDY;amount=2;description=3"
            << "20240205 -300.00 CHECK | 20240207 230.00 DEPOSIT";
    }

    void csvColumnsAndEncodings() {
        QFETCH(QByteArray, data);
        QFETCH(QString, mapping);
        QFETCH(QString, lines);
        const CsvMapping m = CsvMapping::fromText(mapping);
        QCOMPARE(CsvMapping::fromText(m.toText()).toText(), m.toText());
        QCOMPARE(summary(readCsv(QStringLiteral("bank.csv"), data, m)), lines);
    }

    void refusesBadFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << variant("prior_day.bai", {}, {}, 0)
                               << "prior_day.bai: the file is empty.";
        QTest::newRow("not a statement")
            << variant("camt053_v02.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<c:Document",
                       "<!DOCTYPE html>\n<html><c:Document", 200)
            << "camt053_v02.xml, line 2: this is not a bank statement.";
        QTest::newRow("OFX without a statement")
            << variant("statement_xml.ofx", "<BANKMSGSRSV1>", "<BANKMSGSRSV1><!--")
            << "statement_xml.ofx: this is not a bank statement.";
        QTest::newRow("OFX cut short")
            << variant("statement_sgml.ofx", {}, {}, 900)
            << "statement_sgml.ofx, line 59: the file ends before the statement does; it may "
               "have been cut short.";
        QTest::newRow("OFX damaged")
            << variant("statement_sgml.ofx", "<STMTTRN>\n<TRNTYPE>SRVCHG", "<XX>\n<TRNTYPE>SRVCHG")
            << "statement_sgml.ofx: the OFX file is damaged: its parts do not nest as they should.";
        QTest::newRow("OFX amount")
            << variant("statement_sgml.ofx", "230.00", "23O.00")
            << "statement_sgml.ofx, line 44: the amount \"23O.00\" cannot be read.";
        QTest::newRow("camt unknown version")
            << variant("camt053_v08.xml", "camt.053.001.08", "camt.053.001.11")
            << "camt053_v08.xml, line 2: camt.053 version .001.11 is not one this program "
               "reads (.001.02 to .001.08).";
        QTest::newRow("camt cut short")
            << variant("camt053_v02.xml", {}, {}, 1500)
            << "camt053_v02.xml, line 41: the file ends before the statement does; it may have "
               "been cut short.";
        QTest::newRow("camt amount")
            << variant("camt053_v02.xml", ">230.00<", ">230,00.0<")
            << "camt053_v02.xml, line 46: the amount \"230,00.0\" cannot be read.";
        QTest::newRow("camt other currency in an item")
            << variant("camt053_v08.xml", "<Amt Ccy=\"USD\">42.50", "<Amt Ccy=\"EUR\">42.50")
            << "camt053_v08.xml, line 46: the item is in EUR, the statement in USD.";
        QTest::newRow("BAI2 cut short")
            << variant("prior_day.bai", {}, {}, 200)
            << "prior_day.bai, line 5: the file ends before its closing record (99); it may "
               "have been cut short.";
        QTest::newRow("BAI2 lost a line")
            << variant("prior_day.bai", "16,698,1250,Z,2024022903,,MONTHLY SERVICE FEE/\n", "")
            << "prior_day.bai, line 9: the file says it has 10 records but holds 9; lines are "
               "missing.";
        QTest::newRow("BAI2 amount")
            << variant("prior_day.bai", "16,475,30000", "16,475,300.00")
            << "prior_day.bai, line 4: the amount \"300.00\" cannot be read.";
        QTest::newRow("CSV mapping does not fit")
            << variant("semicolon_comma.csv", ";;230,00", "")
            << "semicolon_comma.csv, line 3: the line has 2 columns, but the columns set for "
               "this account go up to 4.";
        QTest::newRow("CSV amount")
            << variant("semicolon_comma.csv", "230,00", "230.0")
            << "semicolon_comma.csv, line 3: the amount \"230.0\" in column 4 cannot be read.";
        QTest::newRow("CSV amount with a percent sign")
            << variant("semicolon_comma.csv", "230,00", "2%1")
            << "semicolon_comma.csv, line 3: the amount \"2%1\" in column 4 cannot be read.";
        QTest::newRow("CSV date order")
            << variant("semicolon_comma.csv", "29.02.2024", "2024-02-29")
            << "semicolon_comma.csv, line 4: \"2024-02-29\" in column 1 is not a date (DMY).";
    }

    void refusesBadFiles() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        try {
            readStatementFile(file, germanBank());
            QFAIL("the file was read");
        } catch (const StatementError& e) {
            QCOMPARE(e.message(), message);
            // The Spanish clerk reads the same fault in Spanish, at the same line.
            const QString spanish = e.message(true);
            QVERIFY2(spanish != message, qPrintable(spanish));
            QCOMPARE(spanish.section(QLatin1Char(':'), 0, 0),
                     message.section(QLatin1Char(':'), 0, 0)
                         .replace(QStringLiteral("line"), QStringLiteral("línea")));
        }
    }

    void amountTextsParseOrAreRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<double>("value"); // NaN: refused
        const double no = qQNaN();
        QTest::newRow("plain") << "1234.5" << false << 1234.5;
        QTest::newRow("thousands") << "$1,234.56" << false << 1234.56;
        QTest::newRow("plus sign") << "+5" << false << 5.0;
        QTest::newRow("minus, one decimal") << "-12.5" << false << -12.5;
        QTest::newRow("trailing minus") << "12.50-" << false << -12.5;
        QTest::newRow("parentheses") << "(12.50)" << false << -12.5;
        QTest::newRow("decimal comma") << "-1.234,56" << true << -1234.56;
        QTest::newRow("point under comma") << "1.5" << true << no;
        QTest::newRow("misgrouped") << "12,34.00" << false << no;
        QTest::newRow("letters") << "12a" << false << no;
        QTest::newRow("no digits") << "abc" << false << no;
        QTest::newRow("sign alone") << "$" << false << no;
    }

    void amountTextsParseOrAreRefused() {
        QFETCH(QString, text);
        QFETCH(bool, comma);
        QFETCH(double, value);
        bool ok = false;
        const double got = parseAmount(text, comma, &ok);
        QCOMPARE(ok, !qIsNaN(value));
        if (ok)
            QCOMPARE(got, value);
    }
};

QTEST_GUILESS_MAIN(TestStatementReaders)
#include "tst_statement_readers.moc"
