#pragma once

#include <QString>

// The demonstration company: a vending route business with six months of activity on its
// operating bank account, the earlier months reconciled and posted, last month open.
struct DemoOptions {
    // Extra uncleared lines on the bank account (checks and deposits alternating), for
    // measuring the windows on a large ledger.
    int unreconciledTransactions = 0;
};

// The bank account the demo reconciles and its company.
inline constexpr int kDemoBankAccount = 1010;
inline constexpr const char* kDemoCompanyName = "Tolvane Vending Company";

// Deletes and rebuilds the SQLite database file. Everything is dated relative to today()
// of clock.h, so last month is always the open one; the same date gives the same file.
// With a statement file, the bank's statement of last month is written there as OFX, for the
// statement import.
void buildDemoDatabase(const QString& file, const DemoOptions& options = {},
                       const QString& statementFile = QString());

// Lays out a demo installation under root: root/Programs (the program folder, whose name
// has the eight characters the demo path rule expects), root/Database/TolvaneDemo.mdb and
// the settings file root/ORLUNDE.ini that turns demo mode on. Returns the program folder.
QString buildDemoInstallation(const QString& root, const DemoOptions& options = {});

// The settings file buildDemoInstallation writes under root.
QString demoSettingsFile(const QString& root);

// The bank statement of last month that buildDemoInstallation writes under root.
QString demoStatementFile(const QString& root);
