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

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <stdexcept>

namespace cli {

namespace {

// A fault that ends the command: its one line goes to standard error.
struct Failure : std::runtime_error {
    explicit Failure(const QString& text) : std::runtime_error(text.toStdString()) {}
};

const QStringList kCommands = {QStringLiteral("report"), QStringLiteral("outstanding"),
                               QStringLiteral("import"), QStringLiteral("difference")};

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

// The options of one command: flags, and options with a value; other words are operands.
struct Arguments {
    QHash<QString, QString> values;
    QStringList flags;
    QStringList operands;

    bool has(const QString& flag) const { return flags.contains(flag); }
    QString value(const QString& option) const { return values.value(option); }
};

Arguments parse(const QStringList& words, const QStringList& withValue,
                const QStringList& allowedFlags) {
    Arguments result;
    for (int i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (withValue.contains(word)) {
            if (i + 1 >= words.size())
                throw Failure(word + QStringLiteral(" needs a value"));
            result.values.insert(word, words.at(++i));
        } else if (allowedFlags.contains(word)) {
            result.flags << word;
        } else if (word.startsWith(QLatin1String("--")) && word.size() > 2) {
            throw Failure(QStringLiteral("unknown option ") + word);
        } else {
            result.operands << word;
        }
    }
    return result;
}

int accountOf(const Arguments& arguments) {
    const QString text = arguments.value(QStringLiteral("--account"));
    if (text.isEmpty())
        throw Failure(QStringLiteral("--account is required"));
    bool ok = false;
    const int account = text.toInt(&ok);
    if (!ok || account <= 0)
        throw Failure(QStringLiteral("--account must be a ledger account number: ") + text);
    return account;
}

// The first day of the month --month names ("2024-02").
QDate monthOf(const Arguments& arguments) {
    const QString text = arguments.value(QStringLiteral("--month"));
    const QDate first = QDate::fromString(text + QStringLiteral("-01"), Qt::ISODate);
    if (!first.isValid() || text.size() != 7)
        throw Failure(QStringLiteral("--month must be a month such as 2024-02: ") + text);
    return first;
}

void noOperands(const Arguments& arguments) {
    if (!arguments.operands.isEmpty())
        throw Failure(QStringLiteral("unexpected argument ") + arguments.operands.first());
}

// The program's start-up without the main window: settings, connection and company.
void openDatabase() {
    QStringList messages;
    setMessageHook([&messages](const QString& text, const QString&) { messages << text; });
    const auto fail = [&messages](const QString& fallback) {
        throw Failure(oneLine(messages.isEmpty() ? fallback : messages.first()));
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
    setMessageHook([](const QString& text, const QString&) { throw Failure(oneLine(text)); });
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

int outstandingCommand(const QStringList& words, QTextStream& out) {
    const Arguments arguments = parse(
        words, {QStringLiteral("--account"), QStringLiteral("--as-of"), QStringLiteral("--csv")},
        {});
    noOperands(arguments);
    const int account = accountOf(arguments);
    const QString asOfText = arguments.value(QStringLiteral("--as-of"));
    const QDate asOf = QDate::fromString(asOfText, Qt::ISODate);
    if (!asOf.isValid())
        throw Failure(QStringLiteral("--as-of must be a date such as 2024-02-29: ") + asOfText);
    const bool csv = arguments.values.contains(QStringLiteral("--csv"));
    const QString target = arguments.value(QStringLiteral("--csv"));

    openDatabase();
    const reports::OutstandingList list = reports::outstandingAsOf(db(), account, dateNumber(asOf));
    if (!csv) {
        out << outstandingTable(list);
    } else if (target == QLatin1String("-")) {
        out << outstandingCsv(list);
    } else {
        QSaveFile file(target);
        const QByteArray bytes = outstandingCsv(list).toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            throw Failure(target + QStringLiteral(" cannot be written: ") + file.errorString());
        out << list.items.size() << " outstanding items written to " << target << "\n";
    }
    return 0;
}

int reportCommand(const QStringList& words, QTextStream& out) {
    const Arguments arguments = parse(
        words, {QStringLiteral("--account"), QStringLiteral("--month"), QStringLiteral("--pdf")},
        {QStringLiteral("--summary"), QStringLiteral("--activity"),
         QStringLiteral("--outstanding")});
    noOperands(arguments);
    const int account = accountOf(arguments);
    const QDate month = monthOf(arguments);
    const QString monthText = arguments.value(QStringLiteral("--month"));
    const QString pdf = arguments.value(QStringLiteral("--pdf"));
    if (pdf.isEmpty())
        throw Failure(QStringLiteral("--pdf is required"));
    // Without a choice, the whole month: summary, activity and outstanding items.
    bool summary = arguments.has(QStringLiteral("--summary"));
    bool activity = arguments.has(QStringLiteral("--activity"));
    bool outstanding = arguments.has(QStringLiteral("--outstanding"));
    if (!summary && !activity && !outstanding)
        summary = activity = outstanding = true;

    openDatabase();
    shared().wrkBACNBR = account;
    const MonthPdf written =
        writeMonthPdf(month.year(), month.month(), summary, activity, outstanding, pdf);
    if (written.result == MonthPdf::Result::NoReconciliation)
        throw Failure(
            QStringLiteral("account %1 has no reconciliation for %2").arg(account).arg(monthText));
    if (written.result != MonthPdf::Result::Written)
        throw Failure(pdf + QStringLiteral(" cannot be written: ") + written.error);
    out << "Report of account " << account << " for " << monthText << " written to " << pdf << "\n";
    return 0;
}

// The statement's lines matched against the account's open lines, as the import window
// shows them; nothing is written (the clerk confirms cleared dates in the Clear window).
int importCommand(const QStringList& words, QTextStream& out, QTextStream& err) {
    const Arguments arguments =
        parse(words, {QStringLiteral("--account"), QStringLiteral("--statement-account")},
              {QStringLiteral("--dry-run")});
    const int account = accountOf(arguments);
    if (arguments.operands.size() != 1)
        throw Failure(QStringLiteral("import needs one statement file"));
    if (!arguments.has(QStringLiteral("--dry-run")))
        throw Failure(QStringLiteral("import only shows its matches (--dry-run): cleared dates "
                                     "are saved in the Clear window"));
    const QString file = arguments.operands.first();
    const bool spanish = shared().spanish();
    const auto said = [spanish](const ReadFault& f) { return spanish ? f.spanish : f.english; };
    import_session::Session session(account);
    StatementFile read;
    try {
        read = session.read(file);
    } catch (const StatementError& e) {
        throw Failure(oneLine(e.message(spanish)));
    }
    // The statement account: the one named, else the one known, else the file's only one;
    // nothing is remembered here.
    using Kind = import_session::AccountPick::Kind;
    const import_session::AccountPick pick = session.pick(read);
    QString statementAccount = arguments.value(QStringLiteral("--statement-account"));
    if (!statementAccount.isEmpty()) {
        if (!pick.accounts.contains(statementAccount))
            throw Failure(QStringLiteral("the file holds no statement of account %1; it holds %2")
                              .arg(statementAccount, pick.accounts.join(QStringLiteral(", "))));
    } else if (pick.kind == Kind::Known) {
        statementAccount = pick.account;
    } else if (pick.kind == Kind::OnlyOne) {
        statementAccount = pick.account;
        err << "bankrec: note: the file holds the statements of account " << pick.account
            << " only; they are taken for bank account " << account << "\n";
    } else if (pick.kind == Kind::Other) {
        throw Failure(QStringLiteral("the statement is for account %1, but this bank account's "
                                     "statements were for account %2; name it with "
                                     "--statement-account to go on")
                          .arg(pick.account,
                               import_session::accountSetting(QStringLiteral("ACCOUNT"), account)));
    } else {
        throw Failure(QStringLiteral("the file holds statements of accounts %1; name one with "
                                     "--statement-account")
                          .arg(pick.accounts.join(QStringLiteral(", "))));
    }
    ReadFault refusal;
    if (!session.take(read, statementAccount, &refusal))
        throw Failure(said(refusal));
    openDatabase();
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
int differenceCommand(const QStringList& words, QTextStream& out) {
    const Arguments arguments = parse(
        words,
        {QStringLiteral("--account"), QStringLiteral("--month"), QStringLiteral("--statement")},
        {});
    noOperands(arguments);
    const int account = accountOf(arguments);
    const QDate first = monthOf(arguments);
    const QString monthText = arguments.value(QStringLiteral("--month"));
    openDatabase();
    const ledger::Month month = ledger::monthNow(db(), account, first.year(), first.month());
    if (!month.saved)
        throw Failure(
            QStringLiteral("account %1 has no reconciliation for %2").arg(account).arg(monthText));
    QString file = arguments.value(QStringLiteral("--statement"));
    if (file.isEmpty())
        file = reports::statementFileOfMonth(account, first.year(), first.month());
    QList<reports::BankLine> bank;
    if (!file.isEmpty()) {
        try {
            bank = reports::bankLinesOf(db(), account, file);
        } catch (const StatementError& e) {
            throw Failure(oneLine(e.message()));
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

} // namespace

bool isCommand(const QStringList& arguments) {
    return !arguments.isEmpty() &&
           (kCommands.contains(arguments.first()) || isHelp(arguments.first()));
}

bool needsFonts(const QStringList& arguments) {
    return !arguments.isEmpty() && arguments.first() == QLatin1String("report");
}

QString usage() {
    return QStringLiteral(
        "Usage:\n"
        "  bankrec                 the reconciliation windows\n"
        "  bankrec report --account N --month YYYY-MM [--summary] [--activity] "
        "[--outstanding] --pdf FILE\n"
        "      the month's reports as a PDF file (all three when none is chosen)\n"
        "  bankrec outstanding --account N --as-of YYYY-MM-DD [--csv FILE|-]\n"
        "      the items outstanding at a date with their ageing\n"
        "  bankrec import --account N FILE --dry-run [--statement-account NUMBER]\n"
        "      the match table of a bank statement file\n"
        "  bankrec difference --account N --month YYYY-MM [--statement FILE]\n"
        "      the month's difference as Reconcile shows it now, and its likely causes\n"
        "  bankrec --help          this text\n"
        "Settings and database are those of the windows. Exit code 0 on success, 1 on an "
        "error.\n");
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.isEmpty() || isHelp(arguments.first()) ||
        std::any_of(arguments.begin(), arguments.end(), isHelp)) {
        out << usage();
        return 0;
    }
    const QString command = arguments.first();
    const QStringList words = arguments.mid(1);
    int code = 1;
    try {
        if (command == QLatin1String("report"))
            code = reportCommand(words, out);
        else if (command == QLatin1String("outstanding"))
            code = outstandingCommand(words, out);
        else if (command == QLatin1String("import"))
            code = importCommand(words, out, err);
        else if (command == QLatin1String("difference"))
            code = differenceCommand(words, out);
        else
            throw Failure(QStringLiteral("unknown command ") + command +
                          QStringLiteral(" (see bankrec --help)"));
    } catch (const DatabaseError& e) {
        err << "bankrec: " << oneLine(e.description()) << "\n";
        code = 1;
    } catch (const std::exception& e) {
        err << "bankrec: " << oneLine(QString::fromStdString(e.what())) << "\n";
        code = 1;
    }
    setMessageHook({});
    out.flush();
    err.flush();
    prcCLOSE_DATABASE();
    shared().wrkCONNECTION.setReadOnly(false); // the windows of the same program write
    return code;
}

} // namespace cli
