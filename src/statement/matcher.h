#pragma once

#include "statement.h"

#include <QString>
#include <QVector>

class Recordset;

// One ledger line of the bank account that is not reconciled: a line Clear lists.
struct OpenLine {
    int year = 0; // gltFSYEAR and gltLNENBR: the key of the line
    int line = 0;
    int date = 0;      // gltTRNDTE
    double amount = 0; // gltTRNAMT: deposits positive, checks negative
    qint64 check = 0;  // gltCHKNBR
    QString description;
    int cleared = 0; // gltRCNDTE, 0 while outstanding
};

// The open lines of a recordset of LDG_GENERAL_LEDGER_TRANSACTION rows.
QVector<OpenLine> openLinesFrom(Recordset& rs);
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

// Pairs each statement line with open lines, by these rules in turn, each line used once:
// the same check number and amount; the same check number with another amount (a choice);
// the same amount within the days allowed (the nearest date when it is the only nearest,
// else a choice); several deposits of one day adding up to one credit; else no match. Lines
// that were cleared on the bank's date already are recognised, so a statement read twice
// clears nothing twice. Returns one match per statement line, in order.
QVector<Match> matchStatement(const QVector<StatementLine>& statement,
                              const QVector<OpenLine>& open, const MatchOptions& options = {});

// Amount in whole cents, the unit lines are compared in.
qint64 toCents(double amount);
