#pragma once

#include "database.h"

#include <QStringList>

// Creates every table and column the program uses on an SQLite database (idempotent).
// Numbers and amounts default to 0 and texts to '' (the company row's division to '*'), so
// rows inserted with only some columns read as the windows expect; texts compare without
// regard to case, as Access and SQL Server do.
void createSchema(Connection& connection);
QStringList schemaTables();
// The columns of one table, in table order; empty for a table the program does not use.
QStringList schemaColumns(const QString& table);
