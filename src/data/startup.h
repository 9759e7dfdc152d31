#pragma once

#include <QString>

struct SharedValues;

// Start-up settings and the program's one database connection.
//
// Which database the suite uses, and where, comes from the settings store (section
// "Startup") or, for SQL Server, from the connection file "tkv.ini" in the program folder.
// The main window runs prcREAD_STARTUP_SETTINGS, then prcOPEN_DATABASE, and at its unload
// prcCLOSE_DATABASE.

// Reads the executable name, "DEMO", "VERNBR", the owner company's name and address
// (section "Company"), then the connection settings by the database kind.
void prcREAD_STARTUP_SETTINGS();
// The three per-folder keys of the Access database; wrkDBTYPE "ACCESS", or "" with the
// undefined-connections message when either database is not set.
void prcREAD_REGISTRY_CONNECTIONS();
// The six lines of "tkv.ini"; a missing, empty, short or broken file is rewritten from the
// settings store (prcWRITE_INI_CONNECTIONS).
void prcREAD_INI_CONNECTIONS();
// Writes the "tkv.ini" template from the settings-store values.
void prcWRITE_INI_CONNECTIONS();
// Reads "LANGUAGE" and opens wrkCONNECTION; a failure shows one composed message and
// leaves wrkDBTYPE "".
void prcOPEN_DATABASE();
// Closes both connections, ignoring every error.
void prcCLOSE_DATABASE();

// True when the start-up has a usable database: the main window ends the program otherwise.
bool startupConnectionReady();

// The building blocks, kept pure so they can be checked on their own.

// "True"/"False" (any case), "-1"/"1"/"0"; anything else reads as false.
bool settingBoolean(const QString& text);
// A whole number; anything else reads as 0.
int settingWholeNumber(const QString& text);
// The full path of "tkv.ini" in the program folder.
QString connectionFilePath();
// The demo database beside the program folder: the folder without its last 8 characters
// (the "Programs" folder name) followed by Database/TolvaneDemo.mdb. Empty when the folder
// is shorter than that.
QString demoDatabasePath(const QString& programFolder);
// The connection string for the values' branch: demo, SQL Server (wrkVERNBR 2 or more) or
// Access. In demo mode wrkDATABASE must already hold the demo path.
QString connectionString(const SharedValues& values);
// "The TKV/i Access Demo", "The TKV/i SQL Server" or "The TKV/i Access".
QString connectionFailureCaption(const SharedValues& values);
// The message shown when the connection cannot be opened; withServer adds the SQL Server
// line (wrkVERNBR 2 or more). Lines are separated by a carriage return.
QString connectionFailureMessage(const QString& caption, bool withServer,
                                 const QString& programFolder, const QString& server,
                                 const QString& database, int errorNumber,
                                 const QString& errorDescription);
// The text of the undefined-connections message.
QString undefinedConnectionsMessage();
