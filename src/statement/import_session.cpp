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

} // namespace import_session
