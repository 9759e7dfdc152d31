#include "import_session.h"

#include "settings.h"

namespace import_session {

QString settingsSection() {
    return QStringLiteral("ImportBankStatement");
}

QString accountSetting(const QString& key, int ledgerAccount) {
    return getSetting(settingsSection(), key + QLatin1Char('-') + QString::number(ledgerAccount));
}

void saveAccountSetting(const QString& key, int ledgerAccount, const QString& value) {
    saveSetting(settingsSection(), key + QLatin1Char('-') + QString::number(ledgerAccount), value);
}

MatchOptions savedMatchOptions(bool spanish) {
    MatchOptions options;
    const QString days = getSetting(settingsSection(), QStringLiteral("DAYS"));
    if (!days.isEmpty())
        options.days = days.toInt();
    options.spanish = spanish;
    return options;
}

AccountPick pickAccount(const StatementFile& file, const QString& known) {
    AccountPick pick;
    pick.accounts = file.accounts();
    // A file that names no account (CSV) is the bank account's own by its columns.
    if ((!known.isEmpty() && pick.accounts.contains(known)) || pick.accounts == QStringList{""}) {
        pick.kind = AccountPick::Kind::Known;
        pick.account = pick.accounts.value(pick.accounts.indexOf(known), QString());
    } else if (pick.accounts.size() == 1) {
        pick.kind = known.isEmpty() ? AccountPick::Kind::OnlyOne : AccountPick::Kind::Other;
        pick.account = pick.accounts.first();
    }
    return pick;
}

ReadFault currencyFault(const Statement& statement, const QString& kept) {
    const QString expected = kept.isEmpty() ? QStringLiteral("USD") : kept;
    if (statement.currency.isEmpty() ||
        statement.currency.compare(expected, Qt::CaseInsensitive) == 0)
        return {};
    return ReadFault{QStringLiteral("The statement is in %1, but this bank account keeps %2; it "
                                    "was not loaded."),
                     QStringLiteral("El estado de cuenta está en %1, pero esta cuenta bancaria "
                                    "lleva %2; no se cargó.")}
        .arg(statement_text::quoted(statement.currency), expected);
}

StatementFile Session::read(const QString& path) const {
    return readStatementFile(
        path, CsvMapping::fromText(accountSetting(QStringLiteral("CSV"), m_account)));
}

AccountPick Session::pick(const StatementFile& file) const {
    return pickAccount(file, accountSetting(QStringLiteral("ACCOUNT"), m_account));
}

void Session::rememberAccount(const QString& statementAccount) const {
    saveAccountSetting(QStringLiteral("ACCOUNT"), m_account, statementAccount);
}

bool Session::take(const StatementFile& file, const QString& statementAccount, ReadFault* refusal) {
    QVector<ReadFault> notes;
    Statement statement = file.forAccount(statementAccount, &notes);
    if (statement.lines.isEmpty()) {
        *refusal = ReadFault{QStringLiteral("The statement of account %1 holds no items; it was "
                                            "not loaded."),
                             QStringLiteral("El estado de cuenta de la cuenta %1 no tiene "
                                            "partidas; no se cargó.")}
                       .arg(statementAccount.isEmpty() ? QStringLiteral("-")
                                                       : statement_text::quoted(statementAccount));
        return false;
    }
    *refusal = currencyFault(statement, accountSetting(QStringLiteral("CURRENCY"), m_account));
    if (!refusal->english.isEmpty())
        return false;
    m_statement = std::move(statement);
    m_notes = std::move(notes);
    m_open.clear();
    m_matches.clear();
    m_chosen.clear();
    return true;
}

void Session::match(QList<ledger::Line> open, const MatchOptions& options) {
    m_open = std::move(open);
    m_matches = matchStatement(m_statement.lines, m_open, options);
    m_chosen.clear();
}

int Session::choose(int statementLine, int openLine) {
    if (openLine < 0) {
        m_chosen.remove(statementLine);
        return -1;
    }
    // One ledger line answers one bank line.
    for (int other = 0; other < m_matches.size(); ++other)
        if (other != statementLine &&
            (m_matches.at(other).lines.contains(openLine) || m_chosen.value(other, -1) == openLine))
            return other;
    m_chosen.insert(statementLine, openLine);
    return -1;
}

QVector<int> Session::counts() const {
    QVector<int> counts(4, 0);
    for (const Match& m : m_matches)
        counts[int(m.state)]++;
    return counts;
}

QVector<ClearedDate> Session::clearedDates() const {
    QVector<ClearedDate> dates;
    for (int s = 0; s < m_matches.size(); ++s) {
        const Match& m = m_matches.at(s);
        QVector<int> lines;
        if (m.state == MatchState::Matched)
            lines = m.lines;
        else if (m.state == MatchState::NeedsChoice && m_chosen.contains(s))
            lines = {m_chosen.value(s)};
        for (int i : lines)
            dates.push_back(
                {m_open.at(i).fiscalYear, m_open.at(i).line, m_statement.lines.at(s).date});
    }
    return dates;
}

} // namespace import_session
