// The command line: each command's output and exit code on a small account, its one line on
// standard error for bad arguments and a database it cannot open, and the program itself run
// without a display.

#include "command_line.h"
#include "common.h"
#include "context.h"
#include "database.h"
#include "settings.h"
#include "statement.h"
#include "statement_files.h"
#include "test_support.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>

namespace {

struct Result {
    int code = 0;
    QString out;
    QString err;
};

Result runCli(const QStringList& arguments) {
    Result r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = cli::run(arguments, out, err);
    return r;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>(20240315);
        env->openDatabase();
        const QString folder = fncPROGRAM_FOLDER();
        saveSetting("Startup", "TKVDTA-" + folder, env->databaseFile());
        saveSetting("Startup", "TKWDTA-" + folder, env->databaseFile());
        insertAccount(1010, "Operating Account", 2024, "CA", "BNK");
        insertLedgerLine({.line = 1,
                          .date = 20240105,
                          .amount = -125,
                          .check = 301,
                          .description = "Acme, Inc."});
        insertLedgerLine({.line = 2, .date = 20240229, .amount = 40, .description = "Deposit"});
        insertLedgerLine({.line = 3,
                          .date = 20240210,
                          .amount = -60,
                          .cleared = 20240220,
                          .check = 302,
                          .description = "Cleared"});
        insertLedgerLine(
            {.line = 4, .date = 20230801, .amount = -9, .check = 150, .description = "Old check"});
        insertHistoryRow({.month = 2,
                          .statement = 20240229,
                          .bank = 1000,
                          .outstanding = -94,
                          .saved = 20240305});
    }
    void cleanup() { env.reset(); }

    void badArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("no account") << QStringList{"outstanding", "--as-of", "2024-02-29"}
                                    << "bankrec: --account is required\n";
        QTest::newRow("account not a number")
            << QStringList{"outstanding", "--account", "abc", "--as-of", "2024-02-29"}
            << "bankrec: --account must be a ledger account number: abc\n";
        QTest::newRow("no date") << QStringList{"outstanding", "--account", "1010", "--as-of"}
                                 << "bankrec: --as-of needs a value\n";
        QTest::newRow("bad date")
            << QStringList{"outstanding", "--account", "1010", "--as-of", "2024-02-30"}
            << "bankrec: --as-of must be a date such as 2024-02-29: 2024-02-30\n";
        QTest::newRow("unknown option")
            << QStringList{"outstanding", "--account", "1010", "--pdf", "x.pdf"}
            << "bankrec: unknown option --pdf\n";
        QTest::newRow("bad month")
            << QStringList{"report", "--account", "1010", "--month", "2024-2", "--pdf", "x.pdf"}
            << "bankrec: --month must be a month such as 2024-02: 2024-2\n";
        QTest::newRow("no pdf") << QStringList{"report", "--account", "1010", "--month", "2024-02"}
                                << "bankrec: --pdf is required\n";
        QTest::newRow("month never reconciled")
            << QStringList{"report",  "--account", "1010",     "--month",
                           "2024-01", "--pdf",     "month.pdf"}
            << "bankrec: account 1010 has no reconciliation for 2024-01\n";
        QTest::newRow("difference of a month never reconciled")
            << QStringList{"difference", "--account", "1010", "--month", "2024-01"}
            << "bankrec: account 1010 has no reconciliation for 2024-01\n";
        QTest::newRow("import writes nothing")
            << QStringList{"import", "--account", "1010", "statement.ofx"}
            << "bankrec: import only shows its matches (--dry-run): cleared dates are saved in "
               "the Clear window\n";
        QTest::newRow("unknown command")
            << QStringList{"export"} << "bankrec: unknown command export (see bankrec --help)\n";
    }
    void badArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const QString pdf = env->path("month.pdf");
        arguments.replaceInStrings(QRegularExpression("^month.pdf$"), pdf);
        const Result r = runCli(arguments);
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, error);
        QCOMPARE(r.out, QString());
        QVERIFY(!QFile::exists(pdf));
    }

    // The month's difference as Reconcile would show it now, and the cause found.
    void differenceOfTheMonth() {
        sqlExec("update LDG_BANK_RECONCILIATION_HISTORY set brhBNKBAL=-203");
        const Result r = runCli({"difference", "--account", "1010", "--month", "2024-02"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out.split('\n'),
                 QStringList({"Account 1010, 2024-02: bank -203.00, outstanding -134.00, "
                              "adjusted -69.00, ledger -194.00, difference 125.00",
                              "1. Item cleared: check 301 of 01/05/24 (-125.00, Acme, Inc.) is "
                              "outstanding and clearing it explains the difference of 125.00: it "
                              "has probably cleared. Clear it.",
                              ""}));
    }

    void helpPrintsUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("--help") << QStringList{"--help"};
        QTest::newRow("of a command") << QStringList{"report", "-h"};
    }
    void helpPrintsUsage() {
        QFETCH(QStringList, arguments);
        QVERIFY(cli::isCommand(arguments));
        const Result r = runCli(arguments);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, cli::usage());
        QCOMPARE(r.err, QString());
    }

    void windowsWithoutCommand() {
        QVERIFY(!cli::isCommand({}));
        QVERIFY(!cli::isCommand({"-style", "fusion"}));
    }

    // The statement's lines against the account's open lines: the match table, nothing written.
    void importDryRun() {
        Statement march;
        march.lines = {
            {.date = 20240109, .cents = -12500, .check = 301, .description = "CHECK 301"},
            {.date = 20240301, .cents = 4000, .description = "DEPOSIT"},
            {.date = 20240302, .cents = -750, .description = "SERVICE FEE"}};
        statement_files::Options options;
        options.format = statement_files::Format::Csv;
        const statement_files::Written csv = statement_files::write({march}, options);
        saveSetting("ImportBankStatement", "CSV-1010", csv.mapping.toText());
        const QString file = env->path("march.csv");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(csv.bytes);
        out.close();
        const Result r = runCli({"import", "--account", "1010", file, "--dry-run"});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines.at(2).startsWith("2024-01-09     301      -125.00  matched          1 "),
                 qPrintable(lines.at(2)));
        QVERIFY2(lines.at(3).contains("matched          2 "), qPrintable(lines.at(3)));
        QVERIFY2(lines.at(4).contains("no match"), qPrintable(lines.at(4)));
        QCOMPARE(lines.at(5), QString("2 matched, 0 need a choice, 1 without a match, 0 already "
                                      "cleared"));
        // The command closed its connection; the file still holds only the one cleared line.
        db().open("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + env->databaseFile());
        QCOMPARE(sqlCount("LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE>0"), 1);
    }

    // The statement account is the one named, or the file's only one with a note; a file of
    // several accounts or another currency is refused, as the window refuses it.
    void importPicksTheStatementAccount_data() {
        QTest::addColumn<QStringList>("accounts");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QString>("named");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said"); // the start of standard error, or a line of the output
        QTest::newRow("only account") << QStringList{"4410012345"} << "USD"
                                      << "" << 0
                                      << "bankrec: note: the file holds the statements of account "
                                         "4410012345 only; they are taken for bank account 1010";
        QTest::newRow("several, none named")
            << QStringList{"4410012345", "9999999999"} << "USD"
            << "" << 1
            << "bankrec: the file holds statements of accounts 4410012345, 9999999999; name one "
               "with --statement-account";
        QTest::newRow("several, one named")
            << QStringList{"4410012345", "9999999999"} << "USD"
            << "4410012345" << 0
            << "Note: also in the file: account 9999999999, 3 lines, not read.";
        QTest::newRow("another currency")
            << QStringList{"4410012345"} << "CAD"
            << "4410012345" << 1
            << "bankrec: The statement is in CAD, but this bank account keeps USD";
    }
    void importPicksTheStatementAccount() {
        QFETCH(QStringList, accounts);
        QFETCH(QString, currency);
        QFETCH(QString, named);
        QFETCH(int, code);
        QFETCH(QString, said);
        statement_files::Options options;
        options.accounts = accounts;
        options.currency = currency;
        const QString file = env->path("statement.ofx");
        QFile ofx(file);
        QVERIFY(ofx.open(QIODevice::WriteOnly));
        ofx.write(statement_files::write(options).bytes);
        ofx.close();
        QStringList arguments{"import", "--account", "1010", file, "--dry-run"};
        if (!named.isEmpty())
            arguments << "--statement-account" << named;
        const Result r = runCli(arguments);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.startsWith(said) || r.out.split('\n').contains(said),
                 qPrintable(r.err + r.out));
        QCOMPARE(getSetting("ImportBankStatement", "ACCOUNT-1010"), QString());
    }

    void outstandingTable() {
        const Result r = runCli({"outstanding", "--account", "1010", "--as-of", "2024-02-29"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        const QStringList lines = r.out.split('\n');
        QCOMPARE(lines.at(0), QString("Outstanding items of account 1010 on 2024-02-29"));
        QCOMPARE(lines.at(2), QString("2023-08-01     150  Old check                             "
                                      "-9.00   212  Over 180  stale"));
        QCOMPARE(
            lines.at(3),
            QString(
                "2024-01-05     301  Acme, Inc.                          -125.00    55  31-60"));
        QCOMPARE(
            lines.at(4),
            QString("2024-02-29          Deposit                               40.00     0  0-30"));
        QVERIFY(r.out.contains("Total:                -94.00\n3 items, 1 stale checks\n"));
    }

    void outstandingCsv_data() {
        QTest::addColumn<bool>("toFile");
        QTest::newRow("standard output") << false;
        QTest::newRow("file") << true;
    }
    void outstandingCsv() {
        QFETCH(bool, toFile);
        const QString file = env->path("items.csv");
        const Result r = runCli({"outstanding", "--account", "1010", "--as-of", "2024-02-29",
                                 "--csv", toFile ? file : QString("-")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        const QString expected = "date,check,description,amount,days,bucket,stale\n"
                                 "2023-08-01,150,Old check,-9.00,212,Over 180,yes\n"
                                 "2024-01-05,301,\"Acme, Inc.\",-125.00,55,31-60,\n"
                                 "2024-02-29,,Deposit,40.00,0,0-30,\n";
        if (!toFile) {
            QCOMPARE(r.out, expected);
            return;
        }
        QCOMPARE(r.out, QString("3 outstanding items written to %1\n").arg(file));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), expected);
    }

    void reportPdf_data() {
        QTest::addColumn<QStringList>("choice");
        QTest::addColumn<QStringList>("titles");
        const QString activity = "BANK RECONCILIATION ACTIVITY REPORT";
        const QString summary = "BANK RECONCILIATION SUMMARY REPORT";
        const QString outstanding = "BANK RECONCILIATION OUTSTANDING ITEMS";
        QTest::newRow("whole month")
            << QStringList{} << QStringList{activity, summary, outstanding};
        QTest::newRow("summary") << QStringList{"--summary"} << QStringList{summary};
        QTest::newRow("outstanding and activity")
            << QStringList{"--outstanding", "--activity"} << QStringList{activity, outstanding};
    }
    void reportPdf() {
        QFETCH(QStringList, choice);
        QFETCH(QStringList, titles);
        const QString pdf = env->path("month.pdf");
        const Result r =
            runCli(QStringList{"report", "--account", "1010", "--month", "2024-02", "--pdf", pdf} +
                   choice);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("Report of account 1010 for 2024-02 written to %1\n").arg(pdf));
        const QString text = pdfText(pdf);
        int at = -1;
        for (const QString& title : titles) {
            const int next = text.indexOf(title);
            QVERIFY2(next > at, qPrintable(title));
            at = next;
        }
        QCOMPARE(text.count("BANK RECONCILIATION"), titles.size());
    }

    void databaseCannotOpen() {
        const QString folder = fncPROGRAM_FOLDER();
        saveSetting("Startup", "TKVDTA-" + folder, "");
        const Result r = runCli({"outstanding", "--account", "1010", "--as-of", "2024-02-29"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.startsWith("bankrec: Database Connections are undefined."),
                 qPrintable(r.err));
    }

    // The program itself, as a script or a scheduled job would start it: no display, no
    // platform named.
    void withoutDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::newRow("outstanding")
            << QStringList{"outstanding", "--account", "1010", "--as-of", "2024-02-29"} << 0;
        QTest::newRow("report") << QStringList{"report",  "--account", "1010", "--month",
                                               "2024-02", "--pdf",     "@"}
                                << 0;
        QTest::newRow("bad arguments") << QStringList{"report", "--account"} << 1;
    }
    void withoutDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        const QString program = QCoreApplication::applicationDirPath() + "/../src/bankrec";
        if (!QFile::exists(program))
            QSKIP("the program is not built beside the tests");
        const QString pdf = env->path("job.pdf");
        arguments.replaceInStrings(QRegularExpression("^@$"), pdf);
        db().close(); // the program opens the file itself
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(name);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(process.exitCode(), code);
        QCOMPARE(err.count('\n'), code);
        if (code == 0)
            QVERIFY(!process.readAllStandardOutput().isEmpty());
    }

private:
    std::unique_ptr<TestEnvironment> env;
};

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestCommandLine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_command_line.moc"
