#pragma once

#include "statement.h"

#include <QString>
#include <QStringList>

// What the import window and the command line decide alike before a statement is matched:
// which of the file's accounts belongs to the bank account, and whether its currency is the
// bank account's. The per-account settings live in one section of the settings store.

namespace import_session {

// "ImportBankStatement", the settings section; keys carry the ledger account ("ACCOUNT-1010").
QString settingsSection();
QString accountSetting(const QString& key, int ledgerAccount);
void saveAccountSetting(const QString& key, int ledgerAccount, const QString& value);

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

} // namespace import_session
