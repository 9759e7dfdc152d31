#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>
#include <functional>

// The same few helpers for every test: a temporary folder with its own settings file and
// program folder, a fixed date, a recorder of shown messages and questions, and a fresh
// SQLite database with the schema opened as the shared connection.
class TestEnvironment {
public:
    explicit TestEnvironment(int todayYmd = 20241115);
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString path(const QString& name) const;
    QString settingsFile() const { return path(QStringLiteral("ORLUNDE.ini")); }
    QString programFolder() const { return path(QStringLiteral("Programs")); }
    QString databaseFile() const { return path(QStringLiteral("bank.db")); }

    // Creates the schema in databaseFile() and opens db() on it (wrkDBTYPE "ACCESS").
    void openDatabase();

    // What the program showed, asked and did, in order.
    QStringList messages;
    QStringList titles;
    QStringList questions;
    bool answer = true; // the answer given to every question
    int endCount = 0;   // how often endProgram() was called

    void clearMessages() {
        messages.clear();
        titles.clear();
        questions.clear();
    }

private:
    QTemporaryDir m_dir;
};

// Runs one statement on the shared connection (throws on failure).
void sqlExec(const QString& sql);
// The first column of the first row of a query on the shared connection (null when none).
QVariant sqlValue(const QString& sql);
// Row count of a table with an optional where clause ("" for all rows).
int sqlCount(const QString& table, const QString& where = QString());

// Calls action with the next modal widget (dialog or message box) once it appears, from the
// event loop, so a test can answer a window that blocks in exec().
void whenModalAppears(std::function<void(QWidget*)> action, int timeoutMs = 5000);
