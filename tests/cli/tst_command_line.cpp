// The command line: each command's output on a small account, its help, the exit code and one
// line of every failure, and the program run without a display.

#include "command_line.h"
#include "common.h"
#include "settings.h"
#include "statement_files.h"
#include "test_support.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>

namespace {

const QStringList kReport{"report", "--account", "1010", "--month", "2024-02"};
const QStringList kOutstanding{"outstanding", "--account", "1010", "--as-of", "2024-02-29"};
const QStringList kDifference{"difference", "--account", "1010", "--month", "2024-02"};
const QStringList kImport{"import", "--account", "1010", "--dry-run"};
const QList<LedgerLine> kLines{
    {.line = 1, .date = 20240105, .amount = -125, .check = 301, .description = "Acme, Inc."},
    {.line = 2, .date = 20240229, .amount = 40, .description = "Deposit"},
    {.line = 3, .date = 20240210, .amount = -60, .cleared = 20240220, .check = 302},
    {.line = 4, .date = 20230801, .amount = -9, .check = 150, .description = "Old check"}};

// Each line of actual starts with the same line of starts, and they have as many lines.
void compareLines(const QString& actual, QStringList starts) {
    const QStringList lines = actual.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() == starts.size(), qPrintable(actual));
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines.at(i).startsWith(starts.at(i)), qPrintable(lines.at(i)));
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>(20240315);
        env->openDatabase();
        saveSetting("Startup", "TKVDTA-" + fncPROGRAM_FOLDER(), env->databaseFile());
        saveSetting("Startup", "TKWDTA-" + fncPROGRAM_FOLDER(), env->databaseFile());
        insertAccount(1010, "Operating Account", 2024, "CA", "BNK");
        insertAccount(4000, "Sales", 2024, "RV");
        for (const LedgerLine& line : kLines)
            insertLedgerLine(line);
        insertHistoryRow({.month = 2, .statement = 20240229, .bank = -203, .saved = 20240305});
    }
    void cleanup() { env.reset(); }

    // Each command's output, or its exit code (1 the command line is wrong, 2 the data refuses
    // it, 3 the output cannot be written) with one line on standard error and nothing on
    // standard output. "@name" is a file of the test's folder; what a file received is read
    // after the output: the CSV as it is, the PDF's report titles.
    void commands_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said"); // a failure's line without "bankrec: "
        QTest::newRow("unknown command")
            << QStringList{"export"} << 1 << "unknown command export (see bankrec --help)";
        QTest::newRow("unknown option")
            << kOutstanding + QStringList{"--pdf", "@m.pdf"} << 1 << "unknown option --pdf";
        QTest::newRow("missing value")
            << QStringList{"outstanding", "--as-of"} << 1 << "--as-of needs a value";
        QTest::newRow("missing option") << kReport << 1 << "--pdf is required";
        QTest::newRow("account 0") << QStringList{"report", "--account", "0"} << 1
                                   << "--account must be a ledger account number: 0";
        QTest::newRow("bad date") << kOutstanding + QStringList{"--as-of", "2024-02-30"} << 1
                                  << "--as-of must be a date such as 2024-02-29: 2024-02-30";
        QTest::newRow("a day is no month") << kReport + QStringList{"--month", "2024-02-15"} << 1
                                           << "--month must be a month such as 2024-02: 2024-02-15";
        QTest::newRow("stray word")
            << kOutstanding + QStringList{"extra"} << 1 << "unexpected argument extra";
        QTest::newRow("import writes nothing")
            << QStringList{"import", "--account", "1010", "@march.csv"} << 1
            << "import only shows its matches (--dry-run): cleared dates are saved in the Clear "
               "window";
        QTest::newRow("no bank account")
            << kOutstanding + QStringList{"--account", "4000"} << 2
            << "account 4000 is not a bank account (the bank accounts are 1010)";
        QTest::newRow("report, no reconciliation")
            << kReport + QStringList{"--month", "2024-01", "--pdf", "@m.pdf"} << 2
            << "account 1010 has no reconciliation for 2024-01";
        QTest::newRow("difference, no reconciliation")
            << kDifference + QStringList{"--month", "2024-01"} << 2
            << "account 1010 has no reconciliation for 2024-01";
        QTest::newRow("several statement accounts")
            << kImport + QStringList{"@two.ofx"} << 2
            << "the file holds statements of accounts 4410012345, 9999999999; name one with "
               "--statement-account";
        QTest::newRow("another currency")
            << kImport + QStringList{"@cad.ofx", "--statement-account", "4410012345"} << 2
            << "The statement is in CAD, but this bank account keeps USD";
        QTest::newRow("no database") << kOutstanding << 2 << "Database Connections are undefined.";
        QTest::newRow("database error") << kDifference << 2 << "no such table";
        QTest::newRow("pdf cannot be written") << kReport + QStringList{"--pdf", "@one.ofx/m.pdf"}
                                               << 3 << "@one.ofx/m.pdf cannot be written: ";
        QTest::newRow("csv cannot be written") << kOutstanding + QStringList{"--csv", "@one.ofx/m"}
                                               << 3 << "@one.ofx/m cannot be written: ";
        const QString csv = "date,check,description,amount,days,bucket,stale\n"
                            "2023-08-01,150,Old check,-9.00,212,Over 180,yes\n"
                            "2024-01-05,301,\"Acme, Inc.\",-125.00,55,31-60,\n"
                            "2024-02-29,,Deposit,40.00,0,0-30,\n";
        QTest::newRow("table")
            << kOutstanding << 0
            << "Outstanding items of account 1010 on 2024-02-29\nDate         Check  Description\n"
               "2023-08-01     150  Old check                             -9.00   212  Over 180  "
               "stale\n"
               "2024-01-05     301  Acme, Inc.                          -125.00    55  31-60\n"
               "2024-02-29          Deposit                               40.00     0  0-30\n"
               "0-30 days:             40.00\n31-60 days:          -125.00\n"
               "61-90 days:             0.00\n91-180 days:            0.00\n"
               "Over 180 days:         -9.00\nTotal:                -94.00\n3 items, 1 stale "
               "checks";
        QTest::newRow("csv") << kOutstanding + QStringList{"--csv", "-"} << 0 << csv;
        QTest::newRow("csv file") << kOutstanding + QStringList{"--csv", "@items.csv"} << 0
                                  << "3 outstanding items written to @items.csv\n" + csv;
        QTest::newRow("difference")
            << kDifference << 0
            << "Account 1010, 2024-02: bank -203.00, outstanding -134.00, adjusted -69.00, ledger "
               "-194.00, difference 125.00\n1. Item cleared: check 301 of 01/05/24";
        const QString written = "Report of account 1010 for 2024-02 written to @m.pdf\n";
        QTest::newRow("whole month") << kReport + QStringList{"--pdf", "@m.pdf"} << 0
                                     << written + "BANK RECONCILIATION ACTIVITY REPORT\n"
                                                  "BANK RECONCILIATION SUMMARY REPORT\n"
                                                  "BANK RECONCILIATION OUTSTANDING ITEMS";
        QTest::newRow("summary") << kReport + QStringList{"--pdf", "@m.pdf", "--summary"} << 0
                                 << written + "BANK RECONCILIATION SUMMARY REPORT";
        QTest::newRow("activity") << kReport + QStringList{"--pdf", "@m.pdf", "--activity"} << 0
                                  << written + "BANK RECONCILIATION ACTIVITY REPORT";
        QTest::newRow("import")
            << kImport + QStringList{"@march.csv"} << 0
            << "Statement march.csv (CSV), 3 lines against 4 open lines of 1010\n"
               "Date        Check        Amount  State            Lines       Why\n"
               "2024-01-09     301      -125.00  matched          1 \n"
               "2024-03-01                40.00  matched          2 \n"
               "2024-03-02                -7.50  no match \n"
               "2 matched, 0 need a choice, 1 without a match, 0 already cleared";
        const QString matches = "Date\n2024-02-06\n2024-02-17\n2024-02-21\n0 matched";
        QTest::newRow("only statement account")
            << kImport + QStringList{"@one.ofx"} << 0
            << "Statement one.ofx (OFX) for account 4410012345, 3 lines against 4 open lines\n" +
                   matches +
                   "\nbankrec: note: the file holds the statements of account 4410012345 only; "
                   "they are taken for bank account 1010";
        QTest::newRow("statement account named")
            << kImport + QStringList{"@two.ofx", "--statement-account", "4410012345"} << 0
            << "Statement two.ofx (OFX) for account 4410012345\nNote: also in the file: account "
               "9999999999, 3 lines, not read.\n" +
                   matches;
        // Help lists the commands, and a command's options each with its description, even
        // beside a wrong option.
        const QString exits = "Exit codes: 0 done; 1 the command line is wrong\naccount\nwritten.";
        QTest::newRow("help") << QStringList{"--help"} << 0
                              << "Usage:\n  bankrec                 the reconciliation windows\n"
                                 "  bankrec report --account N\n      the\n"
                                 "  bankrec outstanding --account N\n      the\n"
                                 "  bankrec import --account N FILE\n      the\n"
                                 "  bankrec difference --account N\n      the\n"
                                 "  bankrec COMMAND --help  the\n  bankrec --help          this\n"
                                 "Settings\n" +
                                     exits;
        QTest::newRow("help of a command")
            << QStringList{"report", "--bogus", "--help"} << 0
            << "Usage: bankrec report --account N --month YYYY-MM [--summary] [--activity] "
               "[--outstanding] --pdf FILE\nthe month's\n"
               "  --account N      the\n  --month YYYY-MM  the\n  --pdf FILE       the\n"
               "  --summary        the\n  --activity       the\n  --outstanding    the\n"
               "  -h, --help       these\n" +
                   exits;
        QTest::newRow("help of a command with a file")
            << QStringList{"help", "import"} << 0
            << "Usage: bankrec import --account N FILE --dry-run [--statement-account NUMBER]\n"
               "the match\n  FILE                        the\n  --account N                 the\n"
               "  --dry-run                   show\n  --statement-account NUMBER  the\n"
               "  -h, --help                  these\n" +
                   exits;
    }
    void commands() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, said);
        if (QTest::currentDataTag() == QLatin1String("no database"))
            saveSetting("Startup", "TKVDTA-" + fncPROGRAM_FOLDER(), "");
        if (QTest::currentDataTag() == QLatin1String("database error"))
            sqlExec("drop table LDG_BANK_RECONCILIATION_HISTORY");
        run(arguments, code, code ? "bankrec: " + said : said);
    }

    void windowsWithoutCommand() { QVERIFY(!cli::isCommand({}) && !cli::isCommand({"-style"})); }

    // The program as a script or a scheduled job starts it: no display, no platform named.
    void withoutDisplay() {
        const QString program = QCoreApplication::applicationDirPath() + "/../src/bankrec";
        if (!QFile::exists(program))
            QSKIP("the program is not built beside the tests");
        db().close(); // the program opens the file itself
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(name);
        for (const auto& [arguments, code] :
             {std::pair{kReport + QStringList{"--pdf", env->path("job.pdf")}, 0},
              {QStringList{"outstanding", "--account"}, 1}}) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(program, arguments);
            QVERIFY(process.waitForFinished(60000));
            QCOMPARE(process.exitCode(), code);
            QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()).count('\n'), code);
            QCOMPARE(process.readAllStandardOutput().isEmpty(), code != 0);
        }
    }

private:
    // Runs the command beside the statement files it may read; every command only reads.
    void run(QStringList arguments, int code, QString said) {
        const QString folder = env->path("") + "/";
        writeFile(folder + "one.ofx", statement_files::write({}).bytes);
        writeFile(folder + "cad.ofx", statement_files::write({.currency = "CAD"}).bytes);
        writeFile(folder + "two.ofx",
                  statement_files::write({.accounts = {"4410012345", "9999999999"}}).bytes);
        Statement march;
        march.lines = {
            {.date = 20240109, .cents = -12500, .check = 301, .description = "CHECK 301"},
            {.date = 20240301, .cents = 4000, .description = "DEPOSIT"},
            {.date = 20240302, .cents = -750, .description = "SERVICE FEE"}};
        const statement_files::Written csv =
            statement_files::write({march}, {.format = statement_files::Format::Csv});
        saveSetting("ImportBankStatement", "CSV-1010", csv.mapping.toText());
        writeFile(folder + "march.csv", csv.bytes);

        arguments.replaceInStrings(QRegularExpression("^@"), folder);
        QString printed, error;
        QTextStream out(&printed), err(&error);
        QCOMPARE(cli::run(arguments, out, err), code);
        printed += QString::fromUtf8(readFile(folder + "items.csv"));
        const QString pdf = QFile::exists(folder + "m.pdf") ? pdfText(folder + "m.pdf") : "";
        for (const auto& title :
             QRegularExpression("BANK RECONCILIATION \\w+ \\w+").globalMatch(pdf))
            printed += title.captured() + '\n';
        const QStringList lines = said.replace('@', folder).split('\n', Qt::SkipEmptyParts);
        compareLines(printed, lines.filter(QRegularExpression("^(?!bankrec: )")));
        compareLines(error, lines.filter(QRegularExpression("^bankrec: ")));
        db().open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + env->databaseFile());
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE>0"), 1);
        QCOMPARE(getSetting("ImportBankStatement", "ACCOUNT-1010"), QString());
    }

    std::unique_ptr<TestEnvironment> env;
};

QTEST_MAIN(TestCommandLine)

#include "tst_command_line.moc"
