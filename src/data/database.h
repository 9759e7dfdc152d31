#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <stdexcept>
#include <vector>

// A failed connection or statement: the number and description the connection failure
// message and the command guard show.
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(int number, const QString& description, const QString& state = QString());
    QString state() const { return m_state; } // the driver's SQL state, where it gave one
    int number() const { return m_number; }
    QString description() const { return m_description; }
    // Another program held the database (a lock or a lock wait that ran out): nothing of
    // the command was written and the same command can simply be run again.
    bool isBusy() const;
    // The server broke a deadlock with another program by rolling back this program's whole
    // transaction: nothing of it was written and it can be run again at once.
    bool isDeadlockVictim() const;

private:
    int m_number;
    QString m_description;
    QString m_state;
};

// Runs a command that is one whole transaction; when the server rolls it back to break a
// deadlock with another program, runs it again, attempts times in all before the error goes
// to the clerk.
template <class Command> auto runAgainAfterDeadlock(Command command, int attempts = 3) {
    for (int attempt = 1;; ++attempt) {
        try {
            return command();
        } catch (const DatabaseError& e) {
            if (!e.isDeadlockVictim() || attempt >= attempts)
                throw;
        }
    }
}

// The rows of one SELECT, forward only, positioned on the first row after execute.
// Field names are looked up without regard to case; NULL reads as a null QVariant.
// The rows are read whole when the statement runs and the statement is released at once:
// no result set keeps a read snapshot (which would stop this program, or another, from
// writing) or keeps a server connection busy while the program runs its next statement.
// The rows go when the last copy of the recordset goes out of scope; close() lets them go
// sooner.
class Recordset {
public:
    Recordset() = default;
    bool isOpen() const { return m_rows != nullptr; }
    bool eof() const;
    QVariant field(const QString& name) const;
    QVariant field(int index) const;
    int fieldIndex(const QString& name) const; // -1 when the column does not exist
    void moveNext();
    void close();
    int rowCount() const; // rows read, for sizing what is filled from them

private:
    friend class Connection;
    // One column's values, held as an array of their own type while they all share it (as
    // a column's values nearly always do): a hundred thousand rows take a third of what they
    // would as QVariants. A column whose values differ in type holds QVariants.
    class Column {
    public:
        void append(const QVariant& value);
        QVariant at(qsizetype row) const;

    private:
        enum class Store { None, Integer, Real, Text, Variant };
        static Store storeFor(const QVariant& value);
        void hold(Store store, const QVariant& first);
        Store m_store = Store::None;
        int m_type = 0; // the values' type id while they share one
        qsizetype m_size = 0;
        std::vector<bool> m_nulls;
        QList<qint64> m_integers;
        QList<double> m_reals;
        QList<QString> m_texts;
        QList<QVariant> m_variants;
    };
    struct Rows {
        QHash<QString, int> columns; // lower-case name -> index
        std::vector<Column> values;
        qsizetype rowCount = 0;
        qsizetype current = 0; // the current row
        bool atEnd() const { return current >= rowCount || values.empty(); }
    };
    std::shared_ptr<Rows> m_rows;
};

// The program's one connection. open() takes the suite's connection strings as they are
// and picks a Qt driver from their Provider:
//   Microsoft.Jet.OLEDB.4.0  an SQLite file at Data Source (whatever its extension), or a
//                            real Access file through ODBC where an Access driver exists
//   SQLOLEDB.1               SQL Server through ODBC (Driver 18, else FreeTDS)
class Connection {
public:
    enum class Kind { None, SQLite, AccessOdbc, SqlServerOdbc, OtherOdbc };

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void open(const QString& connectionString); // throws DatabaseError
    // The next open() only reads: the database refuses every change made through it (the
    // command line's questions, a dry run).
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool readOnly() const { return m_readOnly; }
    void close(); // throws DatabaseError when never opened
    bool isOpen() const;
    Kind kind() const { return m_kind; }

    // Runs one statement and returns its rows (an empty, closed recordset for statements
    // that return none). Every statement is traced. Throws DatabaseError on failure.
    Recordset execute(const QString& sql);
    // A server connection (SQL Server, or an Access file through ODBC) rather than the
    // embedded SQLite file.
    bool isServer() const { return m_kind != Kind::SQLite && m_kind != Kind::None; }
    // Opens an ODBC connection string as it is, as a server connection: for a driver that
    // the suite's connection strings do not name (tests run the ODBC path on SQLite's ODBC
    // driver so).
    void openOdbc(const QString& odbcConnectionString);

    QSqlDatabase database() const;

    static QHash<QString, QString> parseConnectionString(const QString& text);

private:
    friend class Transaction;
    void fail(const QSqlError& error) const;
    QString m_name;
    Kind m_kind = Kind::None;
    bool m_opened = false;
    bool m_readOnly = false;
    int m_transactions = 0;
};

// Brackets the statements of one command that must not be half done: begun in the
// constructor (BEGIN IMMEDIATE on SQLite), rolled back by the destructor unless committed.
class Transaction {
public:
    // Serializable: on a server, what the command reads (the next line number) stays
    // locked until it commits, so two clerks cannot take the same numbers. SQLite's
    // BEGIN IMMEDIATE already gives one writer at a time.
    enum class Isolation { Default, Serializable };
    explicit Transaction(Connection& connection, Isolation isolation = Isolation::Default);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    void restoreIsolation();
    Connection& m_connection;
    bool m_done = false;
    bool m_serializable = false;
};

// The statement trace: the last statements in memory and, when BANKREC_SQL_TRACE names a
// file, every statement appended there, one per line.
namespace StatementTrace {
QStringList statements();
QString last();
void clear();
void record(const QString& sql);
} // namespace StatementTrace
