// Each reader over a few hundred variants of a file, with fixed seeds: amounts and dates the
// generator wrote in every form it may must come back exactly or be refused at their line;
// random damage must end in a statement or in a refusal that says where, never in a crash or
// a hang (the test build runs under the sanitizers).

#include "statement.h"
#include "statement_files.h"
#include "test_support.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace statement_files;

class TestStatementFuzz : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    static void formats() {
        QTest::addColumn<int>("format");
        QTest::newRow("OFX SGML") << int(Format::OfxSgml);
        QTest::newRow("OFX XML") << int(Format::OfxXml);
        QTest::newRow("camt.053") << int(Format::Camt053);
        QTest::newRow("BAI2") << int(Format::Bai2);
        QTest::newRow("CSV") << int(Format::Csv);
    }

private Q_SLOTS:
    void valuesComeBackOrAreRefused_data() { formats(); }

    void valuesComeBackOrAreRefused() {
        QFETCH(int, format);
        int exact = 0;
        for (quint32 seed = 1; seed <= 100; ++seed) {
            QRandomGenerator random(seed);
            Options o;
            o.format = Format(format);
            o.seed = seed;
            o.lines = 6;
            o.statements = 1 + int(random.bounded(2));
            o.moneyForms = true;
            o.ofxTimes = random.bounded(2) == 0;
            o.csvDecimalComma = random.bounded(2) == 0;
            o.csvDebitCredit = random.bounded(3) == 0;
            // Now and then 30 February in the format's own form, refused at its line.
            const bool badDate = o.format != Format::Bai2 && random.bounded(4) == 0;
            if (badDate)
                o.dateTexts[int(random.bounded(o.lines))] =
                    QString::fromLatin1(o.format == Format::Camt053 ? "2024-02-30"
                                        : o.format == Format::Csv   ? "02/30/2024"
                                                                    : "20240230");
            const Written w = write(o);
            QSet<int> valueLines;
            for (const ItemPlace& p : w.places)
                valueLines << p.amount << p.date;
            try {
                const StatementFile read =
                    readStatementFile(writeFile(dir.filePath(w.fileName), w.bytes), w.mapping);
                QVERIFY2(!badDate, qPrintable(QStringLiteral("seed %1 read a bad date").arg(seed)));
                QCOMPARE(read.statements.size(), w.expected.statements.size());
                for (qsizetype k = 0; k < read.statements.size(); ++k)
                    QCOMPARE(summary(read.statements.at(k)), summary(w.expected.statements.at(k)));
                ++exact;
            } catch (const StatementError& e) {
                QVERIFY2(valueLines.contains(e.line()),
                         qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(e.message())));
            }
        }
        // Most files hold no form that reads two ways; a reader refusing all would fail here.
        QVERIFY2(exact > 20, qPrintable(QString::number(exact)));
    }

    void damageEndsInAStatementOrARefusal_data() { formats(); }

    void damageEndsInAStatementOrARefusal() {
        QFETCH(int, format);
        static const char noise[] = {'\0', '<', '>', '/', ',', '\n', '\r', '"', '&', ';', '9', '-'};
        for (quint32 seed = 1; seed <= 150; ++seed) {
            QRandomGenerator random(seed * 7919);
            const Written w = write(Options{.format = Format(format),
                                            .seed = seed,
                                            .lines = 4,
                                            .utf16 = random.bounded(10) == 0});
            QByteArray bytes = w.bytes;
            // A byte changed, bytes lost, a piece repeated or a byte put in.
            for (int n = 1 + int(random.bounded(4)); n > 0 && !bytes.isEmpty(); --n) {
                const qsizetype at = random.bounded(int(bytes.size()));
                const quint32 kind = random.bounded(4);
                if (kind == 0)
                    bytes[at] = noise[random.bounded(int(sizeof noise))];
                else if (kind == 1)
                    bytes.remove(at, random.bounded(1, 40));
                else if (kind == 2)
                    bytes.insert(
                        at, bytes.mid(random.bounded(int(bytes.size())), random.bounded(1, 80)));
                else
                    bytes.insert(at, noise[random.bounded(int(sizeof noise))]);
            }
            try {
                readStatementFile(writeFile(dir.filePath(w.fileName), bytes), w.mapping);
            } catch (const StatementError& e) {
                const QString m = e.message();
                // A refusal names its line, unless it is about the file as a whole.
                const bool whole = m.contains(QLatin1String("is empty")) ||
                                   m.contains(QLatin1String("holds no")) ||
                                   m.contains(QLatin1String("set the columns"));
                QVERIFY2(e.line() > 0 || whole,
                         qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(m)));
                QVERIFY(!m.contains(QChar(0)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestStatementFuzz)
#include "tst_statement_fuzz.moc"
