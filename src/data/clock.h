#pragma once

#include <QDate>
#include <QDateTime>

// The program's one source of the current date and time. BANKREC_TODAY (yyyymmdd) fixes
// the date, so tests and demonstrations see the same month every run.
QDate today();
QDateTime now();
