#include "common.h"
#include "context.h"
#include "database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

class TestCommon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        qputenv("BANKREC_TODAY", "20241115");
        // The shared values close their connections at exit; the database registry must
        // outlive them, so it is made first.
        QSqlDatabase::connectionNames();
    }
    void init() { shared().wrkDTEFMT = 0; }

    void dateToNumber_data();
    void dateToNumber();
    void formatDate_data();
    void formatDate();
    void monthEnd_data();
    void monthEnd();
    void timeToNumber_data();
    void timeToNumber();
    void formatTime_data();
    void formatTime();
    void formatRight_data();
    void formatRight();
    void formatNumber_data();
    void formatNumber();
    void formatText_data();
    void formatText();
    void fieldNumber_data();
    void fieldNumber();
    void fieldNumberOfRecordset();
    void leadingNumber_data();
    void leadingNumber();
    void programFolder();
    void defaultPrinter();
};

void TestCommon::dateToNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("m/d/yyyy") << "3/15/2024" << 20240315;
    QTest::newRow("mm-dd-yy") << "03-15-24" << 20240315;
    QTest::newRow("m.d.yy 19xx") << "3.15.99" << 19990315;
    QTest::newRow("window 29") << "12/31/29" << 20291231;
    QTest::newRow("window 30") << "1/1/30" << 19300101;
    QTest::newRow("blanks around") << "  3/15/2024 " << 20240315;
    QTest::newRow("iso") << "2024-03-15" << 20240315;
    QTest::newRow("english full") << "March 15, 2024" << 20240315;
    QTest::newRow("english short") << "Mar 15 2024" << 20240315;
    QTest::newRow("short with point") << "Mar. 15, 24" << 20240315;
    QTest::newRow("spanish full") << "15 marzo 2024" << 20240315;
    QTest::newRow("spanish de") << "15 de marzo de 2024" << 20240315;
    QTest::newRow("spanish short") << "25-DIC-23" << 20231225;
    QTest::newRow("septiembre") << "septiembre 1, 2023" << 20230901;
    QTest::newRow("month and year") << "Mar 2024" << 20240301;
    QTest::newRow("day first") << "13/02/2024" << 20240213;
    QTest::newRow("day first dots") << "31.12.2024" << 20241231;
    QTest::newRow("no month either way") << "13/45/24" << 0;
    QTest::newRow("no such day") << "2/30/2024" << 0;
    QTest::newRow("leap day") << "2/29/2024" << 20240229;
    QTest::newRow("no leap day") << "2/29/2023" << 0;
    QTest::newRow("this year") << "3/15" << 20240315;
    QTest::newRow("this year day first") << "15/3" << 20240315;
    QTest::newRow("name this year") << "March 15" << 20240315;
    QTest::newRow("year-day-month") << "2024-29-02" << 20240229;
    QTest::newRow("year-day-month no leap") << "2023-29-02" << 0;
    QTest::newRow("three-digit year") << "3/15/202" << 0;
    QTest::newRow("digits only") << "20240315" << 0;
    QTest::newRow("word") << "hello" << 0;
    QTest::newRow("trailing word") << "Mar 15, 2024 noon" << 0;
    QTest::newRow("two month names") << "Mar May 15 2024" << 0;
    QTest::newRow("commas without name") << "3,15,2024" << 0;
    QTest::newRow("four numbers") << "3/15/2024/1" << 0;
    QTest::newRow("other separator") << "3:15:2024" << 0;
}

void TestCommon::dateToNumber() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(fncDATE_TO_NUMBER(text), expected);
}

void TestCommon::formatDate_data() {
    QTest::addColumn<int>("date");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << 20240315 << 0 << "03/15/24";
    QTest::newRow("1") << 20240315 << 1 << "03/15/2024";
    QTest::newRow("2") << 20240315 << 2 << "15/03/24";
    QTest::newRow("3") << 20240315 << 3 << "15/03/2024";
    QTest::newRow("4 day before month") << 20240315 << 4 << "2024-15-03";
    QTest::newRow("7 as 0") << 20241231 << 7 << "12/31/24";
    QTest::newRow("4 year end") << 20241231 << 4 << "2024-31-12";
    QTest::newRow("none") << 0 << 0 << "";
    QTest::newRow("none 4") << 0 << 4 << "";
}

void TestCommon::formatDate() {
    QFETCH(int, date);
    QFETCH(int, format);
    QFETCH(QString, expected);
    shared().wrkDTEFMT = format;
    QCOMPARE(fncFORMAT_DATE(date), expected);
    // What is shown reads back as the same date (format 4 only where the day is past 12).
    if (date != 0 && format != 4)
        QCOMPARE(fncDATE_TO_NUMBER(expected), date);
}

void TestCommon::monthEnd_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("expected");
    QTest::newRow("leap") << "2/10/2024" << 0 << 20240229;
    QTest::newRow("not leap") << "2/10/2023" << 0 << 20230228;
    QTest::newRow("april") << "4/5/2024" << 0 << 20240430;
    QTest::newRow("december") << "12/1/2024" << 0 << 20241231;
    QTest::newRow("day first format") << "10/02/2024" << 3 << 20241031;
    QTest::newRow("format 2 leap") << "10/02/24" << 2 << 20241031;
    // Format 4 shows 29 February 2024 as 2024-29-02, which reads back as that day.
    QTest::newRow("format 4 leap") << "2024-02-10" << 4 << 20240229;
    QTest::newRow("format 4 not leap") << "2023-02-10" << 4 << 20230228;
    QTest::newRow("format 4 century") << "1900-02-10" << 4 << 19000228;
    QTest::newRow("format 4 400 years") << "2000-02-10" << 4 << 20000229;
    QTest::newRow("no date") << "soon" << 0 << 0;
}

void TestCommon::monthEnd() {
    QFETCH(QString, text);
    QFETCH(int, format);
    QFETCH(int, expected);
    shared().wrkDTEFMT = format;
    QCOMPARE(fncMONTH_END(text), expected);
}

void TestCommon::timeToNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("pm") << "1:05 PM" << 130500;
    QTest::newRow("24 hour") << "13:30" << 133000;
    QTest::newRow("seconds am") << "9:30:15 am" << 93015;
    QTest::newRow("noon") << "12:15 PM" << 121500;
    QTest::newRow("after midnight") << "12:30 AM" << 3000;
    QTest::newRow("hour only pm") << "9 PM" << 210000;
    QTest::newRow("dotted pm") << "9:00 p.m." << 210000;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("no such hour") << "25:00" << 0;
    QTest::newRow("no such minute") << "9:60" << 0;
    QTest::newRow("13 pm") << "13:00 PM" << 0;
    QTest::newRow("bare number") << "930" << 0;
    QTest::newRow("word") << "noon" << 0;
}

void TestCommon::timeToNumber() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(fncTIME_TO_NUMBER(text), expected);
}

void TestCommon::formatTime_data() {
    QTest::addColumn<int>("time");
    QTest::addColumn<QString>("expected");
    QTest::newRow("six digits") << 133000 << "13:30:00";
    QTest::newRow("five digits") << 93000 << "9:30:00";
    QTest::newRow("before one") << 530 << "0:05:30";
    QTest::newRow("seconds") << 5 << "0:00:05";
    QTest::newRow("none") << 0 << "";
}

void TestCommon::formatTime() {
    QFETCH(int, time);
    QFETCH(QString, expected);
    QCOMPARE(fncFORMAT_TIME(time), expected);
    QCOMPARE(fncTIME_TO_NUMBER(expected), time);
}

void TestCommon::formatRight_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("padded") << 5.0 << "###0.00"
                            << "   5.00";
    QTest::newRow("as wide as the mask") << 1234.5 << "###0.00"
                                         << "1234.50";
    QTest::newRow("wider than the mask") << 123456.789 << "###0.00"
                                         << "123456.79";
    QTest::newRow("negative") << -5.0 << "###0.00"
                              << "  -5.00";
    QTest::newRow("negative wide") << -1234.5 << "###0.00"
                                   << "-1234.50";
    QTest::newRow("zero") << 0.0 << "#0.00"
                          << " 0.00";
    QTest::newRow("rounds to zero") << -0.001 << "#0.00"
                                    << " 0.00";
    QTest::newRow("half up") << 2.675 << "#0.00"
                             << " 2.68";
    QTest::newRow("dollar") << 1234.5 << "$######0.00"
                            << "   $1234.50";
    QTest::newRow("dollar negative") << -1234.5 << "$######0.00"
                                     << "  -$1234.50";
    QTest::newRow("wide grid") << 12.3 << "########0.00"
                               << "       12.30";
    QTest::newRow("percent") << 0.125 << "0.00%"
                             << "12.50%";
    QTest::newRow("text mask") << 5.5 << "@@@@@@"
                               << "   5.5";
}

void TestCommon::formatRight() {
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(fncFORMAT_RIGHT(value, mask), expected);
}

void TestCommon::formatNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("currency") << 1234.5 << "currency"
                              << "$1,234.50";
    QTest::newRow("currency negative") << -1234.5 << "Currency"
                                       << "-$1,234.50";
    QTest::newRow("currency small") << 0.5 << "currency"
                                    << "$0.50";
    QTest::newRow("grouping") << 1234567.891 << "#,##0.00"
                              << "1,234,567.89";
    QTest::newRow("half away from zero") << -2.5 << "0"
                                         << "-3";
    QTest::newRow("binary 1.005") << 1.005 << "0.00"
                                  << "1.01";
    QTest::newRow("sum noise") << 0.1 + 0.2 << "0.00"
                               << "0.30";
    QTest::newRow("carry") << 9.995 << "0.00"
                           << "10.00";
    QTest::newRow("no integer zero") << 0.5 << "#.00"
                                     << ".50";
    QTest::newRow("optional decimals") << 1.5 << "0.##"
                                       << "1.5";
    QTest::newRow("negative section") << -5.0 << "#0.00;(#0.00)"
                                      << "(5.00)";
    QTest::newRow("zero section") << 0.0 << "#0.00;(#0.00);\"nil\""
                                  << "nil";
    QTest::newRow("plain") << 1234.5 << ""
                           << "1234.5";
}

void TestCommon::formatNumber() {
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(::formatNumber(value, mask), expected);
}

void TestCommon::formatText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("right aligned") << "abc"
                                   << "@@@@@@"
                                   << "   abc";
    QTest::newRow("longer shown whole") << "abcdefgh"
                                        << "@@@"
                                        << "abcdefgh";
    QTest::newRow("literals") << "5551234"
                              << "(@@@) @@@-@@@@"
                              << "(   ) 555-1234";
    QTest::newRow("optional places") << "ab"
                                     << "&&&&"
                                     << "ab";
    QTest::newRow("numeric text") << "12.5"
                                  << "0.00"
                                  << "12.50";
    QTest::newRow("other text") << "abc"
                                << "0.00"
                                << "abc";
}

void TestCommon::formatText() {
    QFETCH(QString, text);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(::formatText(text, mask), expected);
}

void TestCommon::fieldNumber_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("null") << QVariant() << 0.0;
    QTest::newRow("integer") << QVariant(7) << 7.0;
    QTest::newRow("wide integer") << QVariant(qlonglong(20240315)) << 20240315.0;
    QTest::newRow("double") << QVariant(-12.25) << -12.25;
    QTest::newRow("numeric text") << QVariant("12.5") << 12.5;
    QTest::newRow("grouped text") << QVariant("1,234.50") << 1234.5;
    QTest::newRow("empty text") << QVariant("") << 0.0;
    QTest::newRow("other text") << QVariant("12abc") << 0.0;
}

void TestCommon::fieldNumber() {
    QFETCH(QVariant, value);
    QFETCH(double, expected);
    QCOMPARE(fncFIELD_NUMBER(value), expected);
}

void TestCommon::fieldNumberOfRecordset() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath("n.mdb"));
    QVERIFY(file.open(QIODevice::WriteOnly)); // an empty file is an empty database
    file.close();
    Connection connection;
    connection.open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.fileName());
    connection.execute("CREATE TABLE t (amount REAL)");
    Recordset rs = connection.execute("SELECT MAX(amount) AS maxAMOUNT FROM t");
    QCOMPARE(fncFIELD_NUMBER(rs, "maxAMOUNT"), 0.0);
    QCOMPARE(fncFIELD_NUMBER(rs, "noSUCH"), 0.0);
    connection.execute("INSERT INTO t (amount) VALUES (12.5)");
    rs = connection.execute("SELECT MAX(amount) AS maxAMOUNT FROM t");
    QCOMPARE(fncFIELD_NUMBER(rs, "MAXamount"), 12.5);
    rs.close();
    connection.close();
}

void TestCommon::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("stops at letters") << "12abc" << 12.0;
    QTest::newRow("blanks skipped") << "  1 2" << 12.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("negative decimal") << "-3.5x" << -3.5;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("second point") << "1.2.3" << 1.2;
    QTest::newRow("minus inside") << "5-3" << 5.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("bare exponent") << "1e" << 1.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
}

void TestCommon::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(::leadingNumber(text), expected);
}

void TestCommon::programFolder() {
    const QByteArray saved = qgetenv("TKV_PROGRAM_FOLDER");
    qunsetenv("TKV_PROGRAM_FOLDER");
    QCOMPARE(fncPROGRAM_FOLDER(), QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    qputenv("TKV_PROGRAM_FOLDER", "/srv/programs/");
    QCOMPARE(fncPROGRAM_FOLDER(), QString("/srv/programs"));
    if (saved.isEmpty())
        qunsetenv("TKV_PROGRAM_FOLDER");
    else
        qputenv("TKV_PROGRAM_FOLDER", saved);
}

void TestCommon::defaultPrinter() {
#ifdef Q_OS_WIN
    QSKIP("The Windows profile belongs to the user running the test");
#else
    // Stand-in printer tools on a PATH of their own.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()));
    auto tool = [&](const QString& name, const QByteArray& script) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("#!/bin/sh\n" + script);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };

    // No printer system at all.
    QCOMPARE(fncGET_DEFAULT_PRINTER(), QString());
    QCOMPARE(fncSET_DEFAULT_PRINTER("Laser"), 0);

    tool("lpstat", "echo 'system default destination: Laser'\n");
    const QByteArray log = QFile::encodeName(dir.filePath("set.log"));
    tool("lpoptions", "echo \"$@\" > '" + log + "'\n");
    QCOMPARE(defaultPrinterEntry(), QString("Laser"));
    QCOMPARE(fncGET_DEFAULT_PRINTER(), QString("Laser"));
    QCOMPARE(fncSET_DEFAULT_PRINTER("Office,winspool,Ne01:"), 1);
    QFile written(QFile::decodeName(log));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().trimmed(), QByteArray("-d Office"));
    QCOMPARE(fncSET_DEFAULT_PRINTER(""), 0);

    tool("lpstat", "echo 'no system default destination'\n");
    tool("lpoptions", "exit 1\n");
    QCOMPARE(fncGET_DEFAULT_PRINTER(), QString());
    QCOMPARE(fncSET_DEFAULT_PRINTER("Laser"), 0);

    // A printer system that does not answer is given up on.
    tool("lpstat", "exec /bin/sleep 30\n");
    QCOMPARE(fncGET_DEFAULT_PRINTER(), QString());

    qputenv("PATH", savedPath);
#endif
}

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
