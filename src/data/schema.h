#pragma once

#include "database.h"

#include <QStringList>

// Creates every table and column the program uses on an SQLite database (idempotent).
void createSchema(Connection& connection);
QStringList schemaTables();
