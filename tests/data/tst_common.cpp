#include "common.h"
#include "context.h"
#include "database.h"
#include "test_support.h"

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
        // The database registry must outlive the shared values, which close at exit.
        QSqlDatabase::connectionNames();
    }
    void init() { shared().wrkDTEFMT = 0; }

    // Dates in the order of the company's format, never the other way round; short entries (#)
    // from the last date accepted (5 March 2024); a month's end (>); times (@), numbers (~).
    // clang-format off
    void readTyped_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("date window 29")        << 0 << "12/31/29" << 20291231.0;
        QTest::newRow("date window 30")        << 0 << "1.1.30" << 19300101.0;
        QTest::newRow("english")               << 0 << "March 15, 2024" << 20240315.0;
        QTest::newRow("spanish de")            << 0 << "15 de marzo de 2024" << 20240315.0;
        QTest::newRow("spanish short")         << 0 << "25-DIC-23" << 20231225.0;
        QTest::newRow("no leap day")           << 0 << "2/29/2023" << 0.0;
        QTest::newRow("trailing word")         << 0 << "Mar 15, 2024 noon" << 0.0;
        QTest::newRow("0 month first")         << 0 << "05/03/24"   << 20240503.0;
        QTest::newRow("2 day first")           << 2 << "05/03/24"   << 20240305.0;
        QTest::newRow("4 year-day-month")      << 4 << "2024-05-03" << 20240305.0;
        QTest::newRow("2 no month 13")         << 2 << "03/13/24"   << 0.0;
        QTest::newRow("0 no month 13")         << 0 << "13/03/24"   << 0.0;
        QTest::newRow("3 this year")           << 3 << "15/3"       << 20240315.0;
        QTest::newRow("1 iso stays iso")       << 1 << "2024-02-29" << 20240229.0;
        QTest::newRow("short day")             << 2 << "#17"        << 20240317.0;
        QTest::newRow("short 0 mmdd")          << 0 << "#0412"      << 20240412.0;
        QTest::newRow("short 3 ddmm")          << 3 << "#0412"      << 20241204.0;
        QTest::newRow("short 4 ddmm")          << 4 << "#0412"      << 20241204.0;
        QTest::newRow("short 2 ddmmyy")        << 2 << "#311225"    << 20251231.0;
        QTest::newRow("short 0 no 31 feb")     << 0 << "#0231"      << 0.0;
        QTest::newRow("short odd length")      << 0 << "#123"       << 0.0;
        QTest::newRow("end december")          << 0 << ">12/1/2024"  << 20241231.0;
        QTest::newRow("end day first format")  << 3 << ">10/02/2024" << 20240229.0;
        QTest::newRow("end on the last day")   << 0 << ">4/30/2024"  << 20240430.0;
        // Format 4 shows 29 February 2024 as 2024-29-02, which reads back as that day.
        QTest::newRow("end format 4 leap")     << 4 << ">2024-10-02" << 20240229.0;
        QTest::newRow("end no date")           << 0 << ">soon"       << 0.0;
        QTest::newRow("time seconds am")       << 0 << "@9:30:15 am" << 93015.0;
        QTest::newRow("time noon")             << 0 << "@12:15 PM" << 121500.0;
        QTest::newRow("time after midnight")   << 0 << "@12:30 AM" << 3000.0;
        QTest::newRow("time dotted pm, no minute") << 0 << "@9 p.m." << 210000.0;
        QTest::newRow("time no such hour")     << 0 << "@25:00" << 0.0;
        QTest::newRow("time 13 pm")            << 0 << "@13:00 PM" << 0.0;
        QTest::newRow("lead blanks skipped")   << 0 << "~  1 2" << 12.0;
        QTest::newRow("lead negative decimal") << 0 << "~-3.5x" << -3.5;
        QTest::newRow("lead exponent")         << 0 << "~1e3" << 1000.0;
    }
    // clang-format on

    void readTyped() {
        QFETCH(int, format);
        QFETCH(QString, text);
        QFETCH(double, expected);
        shared().wrkDTEFMT = format;
        const QChar kind = text.at(0);
        const QString rest = text.mid(1);
        const double read = kind == '#'   ? shortDateEntry(rest, 20240305)
                            : kind == '>' ? fncMONTH_END(rest)
                            : kind == '@' ? fncTIME_TO_NUMBER(rest)
                            : kind == '~' ? leadingNumber(rest)
                                          : fncDATE_TO_NUMBER(text);
        QCOMPARE(read, expected);
        // What the program shows of a date reads back as the same day.
        if (QStringLiteral("#>@~").contains(kind) || expected == 0)
            return;
        QCOMPARE(fncDATE_TO_NUMBER(fncFORMAT_DATE(int(expected))), int(expected));
    }

    // Dates in a format (D) and times (H) shown read back as the same value; numbers right-aligned
    // (R), numbers (N) and texts (T) in a mask.
    // clang-format off
    void format_data() {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");
        QTest::newRow("date 0")                 << 'D' << QVariant(20240315) << "0" << "03/15/24";
        QTest::newRow("date 1")                 << 'D' << QVariant(20240315) << "1" << "03/15/2024";
        QTest::newRow("date 2")                 << 'D' << QVariant(20240315) << "2" << "15/03/24";
        QTest::newRow("date 3")                 << 'D' << QVariant(20240315) << "3" << "15/03/2024";
        QTest::newRow("date 4 day before month") << 'D' << QVariant(20240315) << "4" << "2024-15-03";
        QTest::newRow("date 7 as 0")            << 'D' << QVariant(20241231) << "7" << "12/31/24";
        QTest::newRow("date none")              << 'D' << QVariant(0) << "4" << "";
        QTest::newRow("time six digits")        << 'H' << QVariant(133000) << "" << "13:30:00";
        QTest::newRow("time five digits")       << 'H' << QVariant(93000) << "" << "9:30:00";
        QTest::newRow("time before one")        << 'H' << QVariant(530) << "" << "0:05:30";
        QTest::newRow("time none")              << 'H' << QVariant(0) << "" << "";
        QTest::newRow("right wider than mask")  << 'R' << QVariant(123456.789) << "###0.00" << "123456.79";
        QTest::newRow("right rounds to zero")   << 'R' << QVariant(-0.001) << "#0.00" << " 0.00";
        QTest::newRow("right dollar negative")  << 'R' << QVariant(-1234.5) << "$######0.00" << "  -$1234.50";
        QTest::newRow("right percent")          << 'R' << QVariant(0.125) << "0.00%" << "12.50%";
        QTest::newRow("right text mask")        << 'R' << QVariant(5.5) << "@@@@@@" << "   5.5";
        QTest::newRow("currency negative")      << 'N' << QVariant(-1234.5) << "Currency" << "-$1,234.50";
        QTest::newRow("half away from zero")    << 'N' << QVariant(-2.5) << "0" << "-3";
        QTest::newRow("binary 1.005")           << 'N' << QVariant(1.005) << "0.00" << "1.01";
        QTest::newRow("carry")                  << 'N' << QVariant(9.995) << "0.00" << "10.00";
        QTest::newRow("no integer zero")        << 'N' << QVariant(0.5) << "#.00" << ".50";
        QTest::newRow("negative section")       << 'N' << QVariant(-5.0) << "#0.00;(#0.00)" << "(5.00)";
        QTest::newRow("zero section")           << 'N' << QVariant(0.0) << "#0.00;(#0.00);\"nil\"" << "nil";
        QTest::newRow("plain")                  << 'N' << QVariant(1234.5) << "" << "1234.5";
        QTest::newRow("text longer shown whole") << 'T' << QVariant("abcdefgh") << "@@@" << "abcdefgh";
        QTest::newRow("text literals")          << 'T' << QVariant("5551234") << "(@@@) @@@-@@@@" << "(   ) 555-1234";
        QTest::newRow("text numeric")           << 'T' << QVariant("12.5") << "0.00" << "12.50";
    }
    // clang-format on

    void format() {
        QFETCH(char, kind);
        QFETCH(QVariant, value);
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        shared().wrkDTEFMT = mask.toInt();
        const QString shown = kind == 'D'   ? fncFORMAT_DATE(value.toInt())
                              : kind == 'H' ? fncFORMAT_TIME(value.toInt())
                              : kind == 'R' ? fncFORMAT_RIGHT(value.toDouble(), mask)
                              : kind == 'N' ? formatNumber(value.toDouble(), mask)
                                            : formatText(value.toString(), mask);
        QCOMPARE(shown, expected);
        // Format 4 reads back only where the day is past 12.
        if ((kind == 'D' && mask != "4" && value != 0) || (kind == 'H' && value != 0))
            QCOMPARE(kind == 'D' ? fncDATE_TO_NUMBER(shown) : fncTIME_TO_NUMBER(shown),
                     value.toInt());
    }

    // Null, text that is no number and a missing or null column read as 0; names in any case.
    void fieldNumber() {
        QCOMPARE(fncFIELD_NUMBER(QVariant()) + fncFIELD_NUMBER(QVariant("12abc")), 0.0);
        QCOMPARE(fncFIELD_NUMBER(QVariant(qlonglong(20240315))), 20240315.0);
        QCOMPARE(fncFIELD_NUMBER(QVariant("1,234.50")), 1234.5);
        QTemporaryDir dir;
        Connection connection;
        connection.open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                        writeFile(dir.filePath("n.mdb"), {})); // an empty file: a new database
        connection.execute("CREATE TABLE t (amount REAL)");
        const QString max = "SELECT MAX(amount) AS maxAMOUNT FROM t";
        Recordset rs = connection.execute(max);
        QCOMPARE(fncFIELD_NUMBER(rs, "maxAMOUNT") + fncFIELD_NUMBER(rs, "noSUCH"), 0.0);
        connection.execute("INSERT INTO t (amount) VALUES (12.5)");
        rs = connection.execute(max);
        QCOMPARE(fncFIELD_NUMBER(rs, "MAXamount"), 12.5);
    }

    void programFolder() {
        const QByteArray saved = qgetenv("TKV_PROGRAM_FOLDER");
        qunsetenv("TKV_PROGRAM_FOLDER");
        QCOMPARE(fncPROGRAM_FOLDER(),
                 QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
        qputenv("TKV_PROGRAM_FOLDER", "/srv/programs/");
        QCOMPARE(fncPROGRAM_FOLDER(), QString("/srv/programs"));
        qputenv("TKV_PROGRAM_FOLDER", saved);
    }

    void defaultPrinter() {
#ifdef Q_OS_WIN
        QSKIP("The Windows profile belongs to the user running the test");
#else
        // Stand-in printer tools on a PATH of their own.
        QTemporaryDir dir;
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()));
        auto tool = [&](const QString& name, const QByteArray& script) {
            QFile::setPermissions(writeFile(dir.filePath(name), "#!/bin/sh\n" + script),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        tool("lpstat", "echo 'system default destination: Laser'\n");
        const QByteArray log = QFile::encodeName(dir.filePath("set.log"));
        tool("lpoptions", "echo \"$@\" > '" + log + "'\n");
        QCOMPARE(fncGET_DEFAULT_PRINTER(), QString("Laser"));
        QCOMPARE(fncSET_DEFAULT_PRINTER("Office,winspool,Ne01:"), 1);
        QCOMPARE(readFile(QFile::decodeName(log)).trimmed(), QByteArray("-d Office"));
        QCOMPARE(fncSET_DEFAULT_PRINTER(""), 0);

        tool("lpstat", "echo 'no system default destination'\n");
        tool("lpoptions", "exit 1\n");
        QCOMPARE(fncGET_DEFAULT_PRINTER(), QString());
        QCOMPARE(fncSET_DEFAULT_PRINTER("Laser"), 0);
        tool("lpstat", "exec /bin/sleep 30\n"); // a printer system that does not answer
        QCOMPARE(fncGET_DEFAULT_PRINTER(), QString());
        qputenv("PATH", savedPath);
#endif
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
