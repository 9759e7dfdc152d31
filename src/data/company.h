#pragma once

#include <QString>
#include <QVariant>

// The company, user and fiscal-year context that the start-up loads into the shared values
// and that the windows look up later.

// Makes sure the company record of the division and department exists (inserting the owner
// company from wrkCOMPANY_NAME and its address when it does not), then loads wrkFSYEAR and
// wrkDTEFMT. Database errors reach the caller.
void prcLOAD_COMPANY(const QString& division, const QString& department);

// Sets wrkSECLVL for the signed-on user: "S", "M" or "A" from the user record, "N" when no
// privileged user exists at all, "" when the user has no access. Mode "M" also requires the
// user's detail row for the subsystem code. Database errors are ignored: a failed query
// leaves the level as the earlier steps set it.
void prcGET_USER_SECURITY(const QString& subsystem, const QString& mode);

// A named system value: kind "T" its text, "N" its number, "C" its flag; without a row "",
// 0 (16-bit) or 0 (32-bit); any other kind an empty value.
QVariant fncGET_SYSTEM_VALUE(const QString& code, const QString& kind);

// The fiscal year (named by the calendar year in which it begins) of a yyyymmdd date for a
// division; 0 for a date below 1. A division without a record begins its year in January.
int fncFISCAL_YEAR(int date, const QString& division);
// The same rule for a known beginning-of-year month, for callers that look the month up
// once per command.
int fiscalYearFor(int date, int beginningMonth);

// The user's login name cut to 10 characters, "" when there is none: always the operating
// system's name for the user running the program.
QString fncGET_USER_NAME();
#ifdef BANKREC_TEST_SEAMS
// Test builds only: the login name the program signs on with ("" for the system's).
void setTestLoginName(const QString& name);
#endif

// Text from outside the keyboard (settings, login names, database values) goes into a
// statement with each single quote doubled, so it cannot end the literal early.
QString sqlText(const QString& text);
