#include "command_line.h"

#include "after_month.h"
#include "common.h"
#include "company.h"
#include "context.h"
#include "database.h"
#include "find_difference.h"
#include "import_session.h"
#include "ledger.h"
#include "matcher.h"
#include "month_pdf.h"
#include "report.h"
#include "settings.h"
#include "startup.h"
#include "statement.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <stdexcept>

namespace cli {

namespace {

// A fault that ends the command: its one line goes to standard error, its code is the exit
// code.
struct Failure : std::runtime_error {
    Failure(Exit exit, const QString& text) : std::runtime_error(text.toStdString()), code(exit) {}
    Exit code;
};

bool isHelp(const QString& argument) {
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
           argument == QLatin1String("help");
}

// One line, however many lines the program's message has.
QString oneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

// The options of one command as the parser read them; other words are operands.
struct Arguments {
    const QCommandLineParser& parser;

    bool has(const QString& option) const { return parser.isSet(option); }
    QString value(const QString& option) const { return parser.value(option); }
    QStringList operands() const { return parser.positionalArguments(); }
};

int accountOf(const Arguments& arguments) {
    if (!arguments.has(QStringLiteral("account")))
        throw Failure(UsageError, QStringLiteral("--account is required"));
    const QString text = arguments.value(QStringLiteral("account"));
    bool ok = false;
    const int account = text.toInt(&ok);
    if (!ok || account <= 0)
        throw Failure(UsageError,
                      QStringLiteral("--account must be a ledger account number: ") + text);
    return account;
}

// The first day of the month --month names ("2024-02").
QDate monthOf(const Arguments& arguments) {
    if (!arguments.has(QStringLiteral("month")))
        throw Failure(UsageError, QStringLiteral("--month is required"));
    const QString text = arguments.value(QStringLiteral("month"));
    const QDate first = QDate::fromString(text + QStringLiteral("-01"), Qt::ISODate);
    if (!first.isValid() || text.size() != 7)
        throw Failure(UsageError,
                      QStringLiteral("--month must be a month such as 2024-02: ") + text);
    return first;
}

void noOperands(const Arguments& arguments) {
    if (!arguments.operands().isEmpty())
        throw Failure(UsageError,
                      QStringLiteral("unexpected argument ") + arguments.operands().first());
}

// The account must be one of the bank accounts the main window offers: the company's
// accounts of the fiscal year marked as bank accounts.
void checkBankAccount(int account) {
    Recordset banks = db().execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER") +
                                   shared().wrkNOLOCK + QStringLiteral(" where glmFSYEAR=") +
                                   QString::number(shared().wrkFSYEAR) +
                                   QStringLiteral(" and glmGLATYP='BNK' order by glmGLANBR"));
    QStringList numbers;
    for (; !banks.eof(); banks.moveNext()) {
        const int number = int(fncFIELD_NUMBER(banks, QStringLiteral("glmGLANBR")));
        if (number == account)
            return;
        numbers << QString::number(number);
    }
    throw Failure(DataError, QStringLiteral("account %1 is not a bank account (the bank accounts "
                                            "are %2)")
                                 .arg(account)
                                 .arg(numbers.isEmpty() ? QStringLiteral("none")
                                                        : numbers.join(QStringLiteral(", "))));
}

// The program's start-up without the main window: settings, connection and company; then
// the account the command is for.
void openDatabase(int account) {
    QStringList messages;
    setMessageHook([&messages](const QString& text, const QString&) { messages << text; });
    const auto fail = [&messages](const QString& fallback) {
        throw Failure(DataError, oneLine(messages.isEmpty() ? fallback : messages.first()));
    };
    SharedValues& s = shared();
    // Every command only reads: a report, a list, a dry run of an import, a search.
    s.wrkCONNECTION.setReadOnly(true);
    prcREAD_STARTUP_SETTINGS();
    if (!s.wrkDEMO && s.wrkDBTYPE.isEmpty() && s.wrkVERNBR >= 0 && s.wrkVERNBR <= 2)
        fail(undefinedConnectionsMessage());
    prcOPEN_DATABASE();
    if (!startupConnectionReady())
        fail(QStringLiteral("the database cannot be opened"));
    prcLOAD_COMPANY(QStringLiteral("*"), QString());
    // What a window would show from here on ends the command with that line on standard
    // error; the list above goes with this function.
    setMessageHook(
        [](const QString& text, const QString&) { throw Failure(DataError, oneLine(text)); });
    checkBankAccount(account);
}

QString isoDate(int yyyymmdd) {
    return numberDate(yyyymmdd).toString(Qt::ISODate);
}

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString outstandingCsv(const reports::OutstandingList& list) {
    QString csv = QStringLiteral("date,check,description,amount,days,bucket,stale\n");
    for (const reports::OutstandingItem& item : list.items)
        csv += QStringList{isoDate(item.line.date),
                           item.line.check > 0 ? QString::number(item.line.check) : QString(),
                           csvField(item.line.description),
                           QString::number(item.line.amount, 'f', 2),
                           QString::number(item.days),
                           reports::bucketCaption(item.bucket),
                           item.stale ? QStringLiteral("yes") : QString()}
                   .join(QLatin1Char(',')) +
               QLatin1Char('\n');
    return csv;
}

QString outstandingTable(const reports::OutstandingList& list) {
    QString table;
    QTextStream t(&table);
    t << "Outstanding items of account " << list.account << " on " << isoDate(list.asOf) << "\n";
    t << QStringLiteral("%1 %2  %3 %4 %5  %6\n")
             .arg(QStringLiteral("Date"), -10)
             .arg(QStringLiteral("Check"), 7)
             .arg(QStringLiteral("Description"), -30)
             .arg(QStringLiteral("Amount"), 12)
             .arg(QStringLiteral("Days"), 5)
             .arg(QStringLiteral("Age"));
    for (const reports::OutstandingItem& item : list.items)
        t << QStringLiteral("%1 %2  %3 %4 %5  %6%7\n")
                 .arg(isoDate(item.line.date), -10)
                 .arg(item.line.check > 0 ? QString::number(item.line.check) : QString(), 7)
                 .arg(item.line.description.left(30), -30)
                 .arg(item.line.amount, 12, 'f', 2)
                 .arg(item.days, 5)
                 .arg(reports::bucketCaption(item.bucket))
                 .arg(item.stale ? QStringLiteral("  stale") : QString());
    for (int b = 0; b < reports::kBucketCount; ++b)
        t << QStringLiteral("%1 %2\n")
                 .arg(reports::bucketCaption(static_cast<reports::Bucket>(b)) +
                          QStringLiteral(" days:"),
                      -15)
                 .arg(list.bucketTotals[b], 12, 'f', 2);
    t << QStringLiteral("%1 %2\n").arg(QStringLiteral("Total:"), -15).arg(list.total, 12, 'f', 2);
    t << list.items.size() << " items, " << list.staleChecks << " stale checks\n";
    return table;
}

int outstandingCommand(const Arguments& arguments, QTextStream& out, QTextStream&) {
    noOperands(arguments);
    const int account = accountOf(arguments);
    if (!arguments.has(QStringLiteral("as-of")))
        throw Failure(UsageError, QStringLiteral("--as-of is required"));
    const QString asOfText = arguments.value(QStringLiteral("as-of"));
    const QDate asOf = QDate::fromString(asOfText, Qt::ISODate);
    if (!asOf.isValid())
        throw Failure(UsageError,
                      QStringLiteral("--as-of must be a date such as 2024-02-29: ") + asOfText);
    const bool csv = arguments.has(QStringLiteral("csv"));
    const QString target = arguments.value(QStringLiteral("csv"));

    openDatabase(account);
    const reports::OutstandingList list = reports::outstandingAsOf(db(), account, dateNumber(asOf));
    if (!csv) {
        out << outstandingTable(list);
    } else if (target == QLatin1String("-")) {
        out << outstandingCsv(list);
    } else {
        QSaveFile file(target);
        const QByteArray bytes = outstandingCsv(list).toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            throw Failure(OutputError,
                          target + QStringLiteral(" cannot be written: ") + file.errorString());
        out << list.items.size() << " outstanding items written to " << target << "\n";
    }
    return 0;
}

int reportCommand(const Arguments& arguments, QTextStream& out, QTextStream&) {
    noOperands(arguments);
    const int account = accountOf(arguments);
    const QDate month = monthOf(arguments);
    const QString monthText = arguments.value(QStringLiteral("month"));
    const QString pdf = arguments.value(QStringLiteral("pdf"));
    if (pdf.isEmpty())
        throw Failure(UsageError, QStringLiteral("--pdf is required"));
    // Without a choice, the whole month: summary, activity and outstanding items.
    bool summary = arguments.has(QStringLiteral("summary"));
    bool activity = arguments.has(QStringLiteral("activity"));
    bool outstanding = arguments.has(QStringLiteral("outstanding"));
    if (!summary && !activity && !outstanding)
        summary = activity = outstanding = true;

    openDatabase(account);
    shared().wrkBACNBR = account;
    const MonthPdf written =
        writeMonthPdf(month.year(), month.month(), summary, activity, outstanding, pdf);
    if (written.result == MonthPdf::Result::NoReconciliation)
        throw Failure(
            DataError,
            QStringLiteral("account %1 has no reconciliation for %2").arg(account).arg(monthText));
    if (written.result != MonthPdf::Result::Written)
        throw Failure(OutputError, pdf + QStringLiteral(" cannot be written: ") + written.error);
    out << "Report of account " << account << " for " << monthText << " written to " << pdf << "\n";
    return 0;
}

// The statement's lines matched against the account's open lines, as the import window
// shows them; nothing is written (the clerk confirms cleared dates in the Clear window).
int importCommand(const Arguments& arguments, QTextStream& out, QTextStream& err) {
    const int account = accountOf(arguments);
    if (arguments.operands().size() != 1)
        throw Failure(UsageError, QStringLiteral("import needs one statement file"));
    if (!arguments.has(QStringLiteral("dry-run")))
        throw Failure(UsageError,
                      QStringLiteral("import only shows its matches (--dry-run): cleared dates "
                                     "are saved in the Clear window"));
    const QString file = arguments.operands().first();
    const bool spanish = shared().spanish();
    const auto said = [spanish](const ReadFault& f) { return spanish ? f.spanish : f.english; };
    import_session::Session session(account);
    StatementFile read;
    try {
        read = session.read(file);
    } catch (const StatementError& e) {
        throw Failure(DataError, oneLine(e.message(spanish)));
    }
    // The statement account: the one named, else the one known, else the file's only one;
    // nothing is remembered here.
    using Kind = import_session::AccountPick::Kind;
    const import_session::AccountPick pick = session.pick(read);
    QString statementAccount = arguments.value(QStringLiteral("statement-account"));
    if (!statementAccount.isEmpty()) {
        if (!pick.accounts.contains(statementAccount))
            throw Failure(DataError,
                          QStringLiteral("the file holds no statement of account %1; it holds %2")
                              .arg(statementAccount, pick.accounts.join(QStringLiteral(", "))));
    } else if (pick.kind == Kind::Known) {
        statementAccount = pick.account;
    } else if (pick.kind == Kind::OnlyOne) {
        statementAccount = pick.account;
        err << "bankrec: note: the file holds the statements of account " << pick.account
            << " only; they are taken for bank account " << account << "\n";
    } else if (pick.kind == Kind::Other) {
        throw Failure(DataError,
                      QStringLiteral("the statement is for account %1, but this bank account's "
                                     "statements were for account %2; name it with "
                                     "--statement-account to go on")
                          .arg(pick.account,
                               import_session::accountSetting(QStringLiteral("ACCOUNT"), account)));
    } else {
        throw Failure(DataError,
                      QStringLiteral("the file holds statements of accounts %1; name one with "
                                     "--statement-account")
                          .arg(pick.accounts.join(QStringLiteral(", "))));
    }
    ReadFault refusal;
    if (!session.take(read, statementAccount, &refusal))
        throw Failure(DataError, said(refusal));
    openDatabase(account);
    const MatchOptions options = import_session::savedMatchOptions(spanish);
    session.match(ledger::openLines(db(), account), options);
    const Statement& statement = session.statement();
    const QList<ledger::Line>& open = session.open();
    const QVector<Match>& matches = session.matches();

    out << "Statement " << QFileInfo(file).fileName() << " (" << statement.format << ")";
    if (!statement.account.isEmpty())
        out << " for account " << statement.account;
    out << ", " << statement.lines.size() << " lines against " << open.size() << " open lines of "
        << account << "\n";
    for (const ReadFault& w : session.notes())
        out << "Note: " << oneLine(said(w)) << "\n";
    out << "Date        Check        Amount  State            Lines       Why\n";
    for (qsizetype i = 0; i < matches.size(); ++i) {
        const StatementLine& line = statement.lines.at(i);
        const Match& match = matches.at(i);
        QStringList keys;
        for (int index : match.lines)
            keys << QString::number(open.at(index).line);
        out << isoDate(line.date).leftJustified(11) << ' '
            << (line.check > 0 ? QString::number(line.check) : QString()).rightJustified(6) << ' '
            << centsText(line.cents).rightJustified(12) << "  "
            << matchStateName(int(match.state), options.spanish).leftJustified(16) << ' '
            << keys.join(QLatin1Char(',')).leftJustified(11) << ' ' << match.why << "\n";
    }
    const QVector<int> counts = session.counts();
    out << counts.at(int(MatchState::Matched)) << " matched, "
        << counts.at(int(MatchState::NeedsChoice)) << " need a choice, "
        << counts.at(int(MatchState::NoMatch)) << " without a match, "
        << counts.at(int(MatchState::AlreadyCleared)) << " already cleared\n";
    return 0;
}

// The month's difference as Reconcile would show it now, and its likely causes.
int differenceCommand(const Arguments& arguments, QTextStream& out, QTextStream&) {
    noOperands(arguments);
    const int account = accountOf(arguments);
    const QDate first = monthOf(arguments);
    const QString monthText = arguments.value(QStringLiteral("month"));
    openDatabase(account);
    const ledger::Month month = ledger::monthNow(db(), account, first.year(), first.month());
    if (!month.saved)
        throw Failure(
            DataError,
            QStringLiteral("account %1 has no reconciliation for %2").arg(account).arg(monthText));
    QString file = arguments.value(QStringLiteral("statement"));
    if (file.isEmpty())
        file = reports::statementFileOfMonth(account, first.year(), first.month());
    QList<reports::BankLine> bank;
    if (!file.isEmpty()) {
        try {
            bank = reports::bankLinesOf(db(), account, file);
        } catch (const StatementError& e) {
            throw Failure(DataError, oneLine(e.message()));
        }
    }
    const reports::DifferenceSearch found = reports::findDifference(
        month, ledger::lines(db(), account, ledger::unreconciledCondition()), bank);
    const auto money = [](double amount) { return QString::number(amount, 'f', 2); };
    out << "Account " << account << ", " << monthText << ": bank " << money(month.bankBalance)
        << ", outstanding " << money(month.outstanding) << ", adjusted "
        << money(month.adjustedBalance) << ", ledger " << money(month.ledgerBalance)
        << ", difference " << money(month.difference) << "\n";
    if (month.postedOn > 0)
        out << "Posted on " << isoDate(month.postedOn) << ": the figures as posted.\n";
    if (!file.isEmpty())
        out << "Statement " << QFileInfo(file).fileName() << ", " << bank.size() << " lines\n";
    if (found.difference == 0) {
        out << "The month has no difference.\n";
        return 0;
    }
    if (found.causes.isEmpty())
        out << "No single cause found.\n";
    for (int i = 0; i < found.causes.size(); ++i) {
        const reports::Cause& cause = found.causes.at(i);
        out << i + 1 << ". " << reports::causeKindName(cause.kind) << ": " << cause.english << "\n";
    }
    if (found.threeItemsBounded)
        out << "(Three items were searched among the newest 400 outstanding items only.)\n";
    return 0;
}

QCommandLineOption valueOption(const char* name, const char* value, const char* description) {
    return QCommandLineOption(QLatin1String(name), QLatin1String(description),
                              QLatin1String(value));
}

QCommandLineOption flag(const char* name, const char* description) {
    return QCommandLineOption(QLatin1String(name), QLatin1String(description));
}

const QCommandLineOption& helpOption() {
    static const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                         QStringLiteral("these options"));
    return help;
}

struct Command {
    QString name;
    QString synopsis; // what follows the command's name
    QString summary;
    QList<QCommandLineOption> options;
    QString operand; // the one word that is not an option, where the command takes one
    QString operandSummary;
    int (*run)(const Arguments&, QTextStream& out, QTextStream& err);
};

const QList<Command>& commands() {
    const char* account = "the bank account's ledger account number";
    static const QList<Command> all = {
        {QStringLiteral("report"),
         QStringLiteral("--account N --month YYYY-MM [--summary] [--activity] [--outstanding] "
                        "--pdf FILE"),
         QStringLiteral("the month's reports as a PDF file (all three when none is chosen)"),
         {valueOption("account", "N", account),
          valueOption("month", "YYYY-MM", "the reconciled month"),
          valueOption("pdf", "FILE", "the PDF file to write"),
          flag("summary", "the summary report"), flag("activity", "the activity report"),
          flag("outstanding", "the outstanding items report")},
         QString(),
         QString(),
         reportCommand},
        {QStringLiteral("outstanding"),
         QStringLiteral("--account N --as-of YYYY-MM-DD [--csv FILE|-]"),
         QStringLiteral("the items outstanding at a date with their ageing"),
         {valueOption("account", "N", account),
          valueOption("as-of", "YYYY-MM-DD", "the date the items are outstanding at"),
          valueOption("csv", "FILE|-",
                      "CSV instead of the table, to the file or with - to standard output")},
         QString(),
         QString(),
         outstandingCommand},
        {QStringLiteral("import"),
         QStringLiteral("--account N FILE --dry-run [--statement-account NUMBER]"),
         QStringLiteral("the match table of a bank statement file"),
         {valueOption("account", "N", account),
          flag("dry-run", "show the matches only (cleared dates are saved in the Clear window)"),
          valueOption("statement-account", "NUMBER",
                      "the bank's account number to read, when the file holds several")},
         QStringLiteral("FILE"),
         QStringLiteral("the bank statement file"),
         importCommand},
        {QStringLiteral("difference"),
         QStringLiteral("--account N --month YYYY-MM [--statement FILE]"),
         QStringLiteral("the month's difference as Reconcile shows it now, and its likely causes"),
         {valueOption("account", "N", account),
          valueOption("month", "YYYY-MM", "the reconciled month"),
          valueOption("statement", "FILE",
                      "the bank statement file to search (else the one imported for the month)")},
         QString(),
         QString(),
         differenceCommand},
    };
    return all;
}

const Command* commandNamed(const QString& name) {
    for (const Command& command : commands())
        if (command.name == name)
            return &command;
    throw Failure(UsageError, QStringLiteral("unknown command ") + name +
                                  QStringLiteral(" (see bankrec --help)"));
}

const QString kExitCodes = QStringLiteral(
    "Exit codes: 0 done; 1 the command line is wrong (nothing was read); 2 the database, the\n"
    "account, the month or the statement file does not allow it; 3 the output file cannot be\n"
    "written. A failure is one line on standard error.\n");

// "--csv FILE|-", "-h, --help"
QString optionWords(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    const QString words = names.join(QStringLiteral(", "));
    return option.valueName().isEmpty() ? words : words + QLatin1Char(' ') + option.valueName();
}

QString helpOf(const Command& command) {
    QList<std::pair<QString, QString>> rows;
    if (!command.operand.isEmpty())
        rows.append({command.operand, command.operandSummary});
    for (const QCommandLineOption& option : command.options + QList{helpOption()})
        rows.append({optionWords(option), option.description()});
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    QString text = QStringLiteral("Usage: bankrec %1 %2\n%3\n")
                       .arg(command.name, command.synopsis, command.summary);
    for (const auto& [words, summary] : rows)
        text += QStringLiteral("  ") + words.leftJustified(width + 2) + summary + QLatin1Char('\n');
    return text + kExitCodes;
}

// An option's name as typed, without its dashes and value: "--as-of=x" is "as-of".
QString bareName(const QString& word) {
    qsizetype dashes = 0;
    while (dashes < word.size() && word.at(dashes) == QLatin1Char('-'))
        ++dashes;
    return word.mid(dashes).section(QLatin1Char('='), 0, 0);
}

// The word as it was typed for an option the parser does not know ("--pdf", "-x=1" as "-x").
QString typedOption(const QStringList& words, const QString& name) {
    for (const QString& word : words)
        if (word.startsWith(QLatin1Char('-')) && bareName(word) == name)
            return word.section(QLatin1Char('='), 0, 0);
    return QStringLiteral("--") + name;
}

// Reads the command's words against its options. A word the parser cannot take ends the
// command with exit code 1: an unknown option, or an option whose value is missing.
void read(QCommandLineParser& parser, const Command& command, const QStringList& words) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(command.options);
    parser.addOption(helpOption());
    if (parser.parse(QStringList{QStringLiteral("bankrec")} + words) || parser.isSet(helpOption()))
        return;
    if (!parser.unknownOptionNames().isEmpty())
        throw Failure(UsageError, QStringLiteral("unknown option ") +
                                      typedOption(words, parser.unknownOptionNames().first()));
    // The parser's other refusals: a value missing after the last word, or given to a flag.
    const QString last = words.isEmpty() ? QString() : words.last();
    for (const QCommandLineOption& option : command.options)
        if (!option.valueName().isEmpty() && last.startsWith(QLatin1Char('-')) &&
            !last.contains(QLatin1Char('=')) && option.names().contains(bareName(last)))
            throw Failure(UsageError, last + QStringLiteral(" needs a value"));
    throw Failure(UsageError, oneLine(parser.errorText()));
}

int dispatch(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.isEmpty() || isHelp(arguments.first())) {
        // "bankrec help report" is "bankrec report --help".
        out << (arguments.size() > 1 ? helpOf(*commandNamed(arguments.at(1))) : usage());
        return Done;
    }
    const Command& command = *commandNamed(arguments.first());
    QCommandLineParser parser;
    read(parser, command, arguments.mid(1));
    if (parser.isSet(helpOption())) {
        out << helpOf(command);
        return Done;
    }
    return command.run(Arguments{parser}, out, err);
}

} // namespace

bool isCommand(const QStringList& arguments) {
    return !arguments.isEmpty() &&
           (!arguments.first().startsWith(QLatin1Char('-')) || isHelp(arguments.first()));
}

bool needsFonts(const QStringList& arguments) {
    return !arguments.isEmpty() && arguments.first() == QLatin1String("report");
}

QString usage() {
    QString text = QStringLiteral("Usage:\n"
                                  "  bankrec                 the reconciliation windows\n");
    for (const Command& command : commands())
        text += QStringLiteral("  bankrec %1 %2\n      %3\n")
                    .arg(command.name, command.synopsis, command.summary);
    return text +
           QStringLiteral("  bankrec COMMAND --help  the options of a command\n"
                          "  bankrec --help          this text\n"
                          "Settings and database are those of the windows.\n") +
           kExitCodes;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    int code = Done;
    try {
        code = dispatch(arguments, out, err);
    } catch (const Failure& e) {
        err << "bankrec: " << oneLine(QString::fromStdString(e.what())) << "\n";
        code = e.code;
    } catch (const DatabaseError& e) {
        err << "bankrec: " << oneLine(e.description()) << "\n";
        code = DataError;
    } catch (const std::exception& e) {
        err << "bankrec: " << oneLine(QString::fromStdString(e.what())) << "\n";
        code = DataError;
    }
    setMessageHook({});
    out.flush();
    err.flush();
    prcCLOSE_DATABASE();
    shared().wrkCONNECTION.setReadOnly(false); // the windows of the same program write
    return code;
}

} // namespace cli
