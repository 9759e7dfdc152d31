#pragma once

#include "matcher.h"
#include "statement.h"

#include <QHash>
#include <QString>
#include <QStringList>

// One import of a statement file for one bank account, as the import window and `bankrec
// import` both run it: the file read with the account's settings, which of its accounts is
// this bank account's, the currency checked, the lines matched with the open ledger lines,
// the clerk's choices, and the bank dates they give the Clear window. The per-account
// settings live in one section of the settings store.

namespace import_session {

// "ImportBankStatement", the settings section; keys carry the ledger account ("ACCOUNT-1010").
QString settingsSection();
QString accountSetting(const QString& key, int ledgerAccount);
void saveAccountSetting(const QString& key, int ledgerAccount, const QString& value);
// The matching as the clerk last set it (the days a date may differ), in a language.
MatchOptions savedMatchOptions(bool spanish);

struct AccountPick {
    enum class Kind {
        Known,   // the file holds the account this bank account's statements carry
        OnlyOne, // none is known yet and the file holds one: ask once, then remember
        Other,   // the file holds one account, and it is not the known one
        Several, // several accounts and none of them known: the clerk names one
    };
    Kind kind = Kind::Several;
    QString account;      // the file's account, for Known, OnlyOne and Other
    QStringList accounts; // every account in the file
};

// Which of the file's accounts the bank account's statements carry, by the account number
// those statements carried before (empty when none is known yet).
AccountPick pickAccount(const StatementFile& file, const QString& known);

// The refusal of a statement in another currency than the bank account keeps ("USD" when
// the setting is empty); an empty english text when the currencies agree.
ReadFault currencyFault(const Statement& statement, const QString& kept);

// The bank's date for one ledger line, by its key.
struct ClearedDate {
    int year = 0; // gltFSYEAR
    int line = 0; // gltLNENBR
    int date = 0; // yyyymmdd
};

class Session {
public:
    explicit Session(int ledgerAccount = 0) : m_account(ledgerAccount) {}
    int ledgerAccount() const { return m_account; }

    // The file, read with the account's CSV columns; throws StatementError.
    StatementFile read(const QString& path) const;
    // Which of the file's accounts is this bank account's.
    AccountPick pick(const StatementFile& file) const;
    // The clerk's answer, kept: statements of this account belong to the bank account.
    void rememberAccount(const QString& statementAccount) const;
    // Takes the file's statements of one account, with the notes on what does not add up and
    // what was not read; false, and the refusal, for a statement without lines or in another
    // currency than the bank account keeps. Nothing changes then.
    bool take(const StatementFile& file, const QString& statementAccount, ReadFault* refusal);

    // Matches the statement's lines with the account's open lines; the choices start anew.
    void match(QList<ledger::Line> open, const MatchOptions& options);
    // The clerk's ledger line for a statement line that needs a choice (-1: none yet). When
    // another statement line holds that ledger line, nothing changes and that line is
    // returned; else -1.
    int choose(int statementLine, int openLine);

    const Statement& statement() const { return m_statement; }
    const QVector<ReadFault>& notes() const { return m_notes; }
    const QList<ledger::Line>& open() const { return m_open; }
    const QVector<Match>& matches() const { return m_matches; }
    int chosen(int statementLine) const { return m_chosen.value(statementLine, -1); }
    // How many lines are in each MatchState.
    QVector<int> counts() const;
    // The bank's date of every matched or chosen ledger line.
    QVector<ClearedDate> clearedDates() const;

private:
    int m_account;
    Statement m_statement;
    QVector<ReadFault> m_notes;
    QList<ledger::Line> m_open;
    QVector<Match> m_matches;
    QHash<int, int> m_chosen; // statement line to the open line the clerk chose for it
};

} // namespace import_session
