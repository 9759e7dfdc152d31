#pragma once

#include "ledger.h"
#include "statement.h"

#include <QString>
#include <QVector>

// The state's name in the clerk's words, for lists and the command line.
QString matchStateName(int state, bool spanish);

enum class MatchState { Matched, NeedsChoice, NoMatch, AlreadyCleared };

struct Match {
    MatchState state = MatchState::NoMatch;
    QVector<int> lines;      // the open lines matched (more than one for a deposit slip)
    QVector<int> candidates; // the lines to choose from when a choice is needed
    QString why;             // the reason, in the clerk's words
};

struct MatchOptions {
    int days = 5;         // how far the bank's date may lie from the ledger's
    bool spanish = false; // the language of the reasons
    // Any combination of a day's deposits is searched for a slip when the day has at most
    // slipMaxDeposits of them, else only pairs and threes; either search stops after
    // slipMaxTries tries, so a day of many deposits cannot hold the matching up.
    int slipMaxDeposits = 24;
    int slipMaxTries = 20000;
};

// Pairs each statement line with open lines (the account's lines that are not reconciled,
// ledger::openLines), compared to the cent, by these rules in turn, each line used once:
// the same check number and amount; the same check number with another amount (a choice);
// the same amount within the days allowed (the nearest date when it is the only nearest,
// else a choice); several deposits of one day adding up to one credit; else no match. Lines
// that were cleared on the bank's date already are recognised, so a statement read twice
// clears nothing twice. Returns one match per statement line, in order.
QVector<Match> matchStatement(const QVector<StatementLine>& statement,
                              const QList<ledger::Line>& open, const MatchOptions& options = {});
