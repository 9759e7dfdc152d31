#include "database.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QTextStream>
#include <deque>

namespace {

// The generic failure number the old access component reported for provider errors.
constexpr int kGenericFailure = -2147467259;

int errorNumber(const QSqlError& error) {
    bool ok = false;
    const int native = error.nativeErrorCode().toInt(&ok);
    return ok && native != 0 ? native : kGenericFailure;
}

QString errorText(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text;
}

// The ODBC driver's SQL state ("HYT00"), which QODBC puts before its native code.
QString sqlState(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code.size() >= 5 && !code.at(0).isDigit() ? code.left(5) : QString();
}

QString value(const QHash<QString, QString>& parts, const char* key) {
    return parts.value(QString::fromLatin1(key).toLower());
}

// Reads odbcinst.ini to learn which ODBC drivers this machine has.
bool odbcDriverInstalled(const QString& name) {
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    return true; // Windows lists its drivers in the registry; let the driver manager decide.
#else
    for (const char* path : {"/etc/odbcinst.ini", "/usr/local/etc/odbcinst.ini"}) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        const QString header = QLatin1Char('[') + name + QLatin1Char(']');
        QTextStream in(&file);
        while (!in.atEnd())
            if (in.readLine().trimmed().compare(header, Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
#endif
}

QString odbcQuote(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + quoted + QLatin1Char('}');
}

enum class FileKind { Missing, SQLite, Access, Other };

FileKind fileKind(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return FileKind::Missing;
    const QByteArray head = file.read(32);
    if (head.isEmpty() || head.startsWith("SQLite format 3"))
        return FileKind::SQLite; // an empty file is a new SQLite database
    if (head.mid(4).startsWith("Standard Jet DB") || head.mid(4).startsWith("Standard ACE DB"))
        return FileKind::Access;
    return FileKind::Other;
}

struct TraceState {
    std::deque<QString> last;
    QString file;
    bool fileRead = false;
};

TraceState& traceState() {
    static TraceState state;
    return state;
}

constexpr std::size_t kTraceDepth = 2000;

} // namespace

DatabaseError::DatabaseError(int number, const QString& description, const QString& state)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description),
      m_state(state) {}

bool DatabaseError::isDeadlockVictim() const {
    return m_number == 1205 || m_state == QLatin1String("40001");
}

bool DatabaseError::isBusy() const {
    // SQLite: SQLITE_BUSY (5), SQLITE_LOCKED (6) and their extended codes. SQL Server:
    // lock request time-out (1222), chosen as deadlock victim (1205). ODBC: a time-out
    // (HYT00, HYT01) or serialization failure (40001).
    const int primary = m_number & 0xff;
    if (m_number > 0 && m_number < 0x10000 && (primary == 5 || primary == 6))
        return true;
    if (m_number == 1222 || m_number == 1205)
        return true;
    if (m_state == QLatin1String("HYT00") || m_state == QLatin1String("HYT01") ||
        m_state == QLatin1String("40001"))
        return true;
    return m_description.contains(QLatin1String("database is locked"), Qt::CaseInsensitive);
}

// ---------------------------------------------------------------------------------------
// Recordset

Recordset::Column::Store Recordset::Column::storeFor(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return Store::Integer;
    case QMetaType::Double:
        return Store::Real;
    case QMetaType::QString:
        return Store::Text;
    default:
        return Store::Variant;
    }
}

void Recordset::Column::hold(Store store, const QVariant& first) {
    if (m_store == Store::None) {
        // The nulls before the first value take their places in the new array.
        m_store = store;
        m_type = first.typeId();
        switch (store) {
        case Store::Integer:
            m_integers.resize(m_size);
            break;
        case Store::Real:
            m_reals.resize(m_size);
            break;
        case Store::Text:
            m_texts.resize(m_size);
            break;
        default:
            m_variants.resize(m_size);
        }
        return;
    }
    // A value of another type: the column holds QVariants from here on.
    QList<QVariant> variants;
    variants.reserve(m_size + 1);
    for (qsizetype row = 0; row < m_size; ++row)
        variants.append(at(row));
    m_integers = {};
    m_reals = {};
    m_texts = {};
    m_variants = std::move(variants);
    m_store = Store::Variant;
}

void Recordset::Column::append(const QVariant& value) {
    const bool null = value.isNull();
    if (!null) {
        const Store store = storeFor(value);
        if (m_store == Store::None ||
            (m_store != Store::Variant && (store != m_store || value.typeId() != m_type)))
            hold(store, value);
    }
    m_nulls.push_back(null);
    ++m_size;
    switch (m_store) {
    case Store::None:
        break;
    case Store::Integer:
        m_integers.append(null ? 0 : value.toLongLong());
        break;
    case Store::Real:
        m_reals.append(null ? 0.0 : value.toDouble());
        break;
    case Store::Text:
        m_texts.append(null ? QString() : value.toString());
        break;
    case Store::Variant:
        m_variants.append(null ? QVariant() : value);
        break;
    }
}

QVariant Recordset::Column::at(qsizetype row) const {
    if (row < 0 || row >= m_size || m_nulls[std::size_t(row)])
        return {};
    switch (m_store) {
    case Store::Integer:
        return m_type == QMetaType::Int ? QVariant(int(m_integers.at(row)))
                                        : QVariant(qlonglong(m_integers.at(row)));
    case Store::Real:
        return m_reals.at(row);
    case Store::Text:
        return m_texts.at(row);
    case Store::Variant:
        return m_variants.at(row);
    case Store::None:
        break;
    }
    return {};
}

bool Recordset::eof() const {
    return !m_rows || m_rows->atEnd();
}

int Recordset::fieldIndex(const QString& name) const {
    if (!m_rows)
        return -1;
    return m_rows->columns.value(name.toLower(), -1);
}

QVariant Recordset::field(int index) const {
    if (eof() || index < 0 || index >= int(m_rows->values.size()))
        return {};
    return m_rows->values[std::size_t(index)].at(m_rows->current);
}

QVariant Recordset::field(const QString& name) const {
    const int index = fieldIndex(name);
    if (m_rows && !m_rows->atEnd() && index < 0)
        throw DatabaseError(3265, QStringLiteral("Item cannot be found in the collection "
                                                 "corresponding to the requested name or "
                                                 "ordinal: %1")
                                      .arg(name));
    return field(index);
}

void Recordset::moveNext() {
    if (!m_rows || m_rows->atEnd())
        return;
    ++m_rows->current;
}

int Recordset::rowCount() const {
    return m_rows ? static_cast<int>(m_rows->rowCount) : 0;
}

void Recordset::close() {
    if (!m_rows)
        throw DatabaseError(3704, QStringLiteral("Operation is not allowed when the object "
                                                 "is closed."));
    m_rows.reset();
}

// ---------------------------------------------------------------------------------------
// Connection

Connection::Connection() {
    static QAtomicInt counter;
    m_name = QStringLiteral("bankrec-%1").arg(counter.fetchAndAddRelaxed(1));
}

Connection::~Connection() {
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase database = QSqlDatabase::database(m_name, false);
            database.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
}

QHash<QString, QString> Connection::parseConnectionString(const QString& text) {
    QHash<QString, QString> parts;
    for (const QString& piece : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = piece.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        QString v = piece.mid(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))
            v = v.mid(1, v.size() - 2);
        parts.insert(piece.left(eq).trimmed().toLower(), v);
    }
    return parts;
}

void Connection::open(const QString& connectionString) {
    if (m_opened)
        close();
    const QHash<QString, QString> parts = parseConnectionString(connectionString);
    const QString provider = value(parts, "provider");
    QSqlDatabase database;

    if (provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive) ||
        provider.startsWith(QLatin1String("Microsoft.ACE.OLEDB"), Qt::CaseInsensitive)) {
        const QString file = value(parts, "data source");
        switch (fileKind(file)) {
        case FileKind::Missing:
            throw DatabaseError(kGenericFailure,
                                QStringLiteral("Could not find file '%1'.").arg(file));
        case FileKind::Other:
            throw DatabaseError(kGenericFailure,
                                QStringLiteral("Unrecognized database format '%1'.").arg(file));
        case FileKind::SQLite:
            database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            database.setDatabaseName(file);
            database.setConnectOptions(
                m_readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_OPEN_READONLY")
                           : QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
            m_kind = Kind::SQLite;
            break;
        case FileKind::Access: {
            const QString driver = QStringLiteral("Microsoft Access Driver (*.mdb, *.accdb)");
            if (!odbcDriverInstalled(driver))
                throw DatabaseError(kGenericFailure,
                                    QStringLiteral("The Access database '%1' cannot be opened: "
                                                   "this computer has no ODBC driver for "
                                                   "Access files.")
                                        .arg(file));
            database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
            QString odbc = QStringLiteral("Driver=%1;Dbq=%2;").arg(odbcQuote(driver), file);
            const QString password = value(parts, "password");
            if (!password.isEmpty())
                odbc += QStringLiteral("Pwd=%1;").arg(odbcQuote(password));
            database.setDatabaseName(odbc);
            m_kind = Kind::AccessOdbc;
            break;
        }
        }
    } else if (provider.startsWith(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive)) {
        QString driver;
        for (const char* candidate :
             {"ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server", "FreeTDS"})
            if (odbcDriverInstalled(QString::fromLatin1(candidate))) {
                driver = QString::fromLatin1(candidate);
                break;
            }
        if (driver.isEmpty())
            throw DatabaseError(kGenericFailure,
                                QStringLiteral("SQL Server '%1' cannot be reached: this "
                                               "computer has no ODBC driver for SQL Server "
                                               "(install Microsoft's ODBC Driver 18 or "
                                               "FreeTDS).")
                                    .arg(value(parts, "data source")));
        QString odbc = QStringLiteral("Driver=%1;Server=%2;Database=%3;")
                           .arg(odbcQuote(driver), value(parts, "data source"),
                                value(parts, "initial catalog"));
        if (driver == QLatin1String("FreeTDS"))
            odbc += QStringLiteral("TDS_Version=7.4;");
        else
            odbc += QStringLiteral("TrustServerCertificate=yes;");
        if (value(parts, "integrated security")
                .compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0)
            odbc += QStringLiteral("Trusted_Connection=yes;");
        if (!value(parts, "user id").isEmpty())
            odbc += QStringLiteral("UID=%1;").arg(odbcQuote(value(parts, "user id")));
        if (!value(parts, "password").isEmpty())
            odbc += QStringLiteral("PWD=%1;").arg(odbcQuote(value(parts, "password")));
        database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
        database.setDatabaseName(odbc);
        m_kind = Kind::SqlServerOdbc;
    } else {
        throw DatabaseError(3706, QStringLiteral("Provider cannot be found. It may not be "
                                                 "properly installed."));
    }

    if (m_readOnly && m_kind != Kind::SQLite)
        database.setConnectOptions(QStringLiteral("SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY"));
    if (!database.open()) {
        const QSqlError error = database.lastError();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        m_kind = Kind::None;
        throw DatabaseError(errorNumber(error), errorText(error));
    }
    if (m_kind == Kind::SQLite && !m_readOnly) {
        // Several programs of the suite share the file: WAL lets readers and one writer meet.
        QSqlQuery pragma(database);
        pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        pragma.exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
    }
    m_opened = true;
}

void Connection::openOdbc(const QString& odbcConnectionString) {
    if (m_opened)
        close();
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    database.setDatabaseName(odbcConnectionString);
    if (!database.open()) {
        const QSqlError error = database.lastError();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw DatabaseError(errorNumber(error), errorText(error), sqlState(error));
    }
    m_kind = Kind::OtherOdbc;
    m_opened = true;
}

void Connection::close() {
    if (!m_opened)
        throw DatabaseError(3704, QStringLiteral("Operation is not allowed when the object is "
                                                 "closed."));
    m_opened = false;
    m_kind = Kind::None;
    {
        QSqlDatabase database = QSqlDatabase::database(m_name, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool Connection::isOpen() const {
    return m_opened;
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(m_name, false);
}

void Connection::fail(const QSqlError& error) const {
    throw DatabaseError(errorNumber(error), errorText(error), sqlState(error));
}

Recordset Connection::execute(const QString& sql) {
    StatementTrace::record(sql);
    if (!m_opened)
        throw DatabaseError(3709, QStringLiteral("The connection cannot be used to perform "
                                                 "this operation. It is either closed or "
                                                 "invalid in this context."));
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(sql))
        fail(query.lastError());
    Recordset result;
    if (!query.isSelect())
        return result;
    auto rows = std::make_shared<Recordset::Rows>();
    const QSqlRecord record = query.record();
    const int columns = record.count();
    rows->values.resize(std::size_t(columns));
    for (int i = 0; i < columns; ++i)
        rows->columns.insert(record.fieldName(i).toLower(), i);
    while (query.next()) {
        for (int i = 0; i < columns; ++i)
            rows->values[std::size_t(i)].append(query.value(i));
        ++rows->rowCount;
    }
    if (query.lastError().isValid())
        fail(query.lastError());
    // Released before the command goes on: no snapshot is kept, no cursor stays open.
    query.finish();
    result.m_rows = std::move(rows);
    return result;
}

// ---------------------------------------------------------------------------------------
// Transaction

Transaction::Transaction(Connection& connection, Isolation isolation) : m_connection(connection) {
    if (!connection.isOpen())
        throw DatabaseError(3709, QStringLiteral("The connection is closed."));
    QSqlDatabase database = connection.database();
    bool ok;
    if (connection.kind() == Connection::Kind::SQLite) {
        // IMMEDIATE takes the write lock at once, waiting its turn behind another program's
        // write, so a read-then-write cannot deadlock with another program that does the same.
        QSqlQuery begin(database);
        ok = begin.exec(QStringLiteral("BEGIN IMMEDIATE"));
        if (!ok)
            connection.fail(begin.lastError());
    } else {
        if (isolation == Isolation::Serializable &&
            connection.kind() == Connection::Kind::SqlServerOdbc) {
            QSqlQuery level(database);
            if (!level.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL SERIALIZABLE")))
                connection.fail(level.lastError());
            m_serializable = true;
        }
        ok = database.transaction();
        if (!ok) {
            const QSqlError error = database.lastError();
            restoreIsolation();
            connection.fail(error);
        }
    }
    ++connection.m_transactions;
}

void Transaction::restoreIsolation() {
    if (!m_serializable)
        return;
    m_serializable = false;
    QSqlQuery level(m_connection.database());
    level.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED"));
}

void Transaction::commit() {
    if (m_done)
        return;
    QSqlDatabase database = m_connection.database();
    bool ok;
    QSqlError error;
    if (m_connection.kind() == Connection::Kind::SQLite) {
        QSqlQuery end(database);
        ok = end.exec(QStringLiteral("COMMIT"));
        error = end.lastError();
    } else {
        ok = database.commit();
        error = database.lastError();
    }
    if (!ok)
        m_connection.fail(error); // the destructor rolls back
    m_done = true;
    --m_connection.m_transactions;
    restoreIsolation();
}

Transaction::~Transaction() {
    if (m_done || !m_connection.isOpen())
        return;
    QSqlDatabase database = m_connection.database();
    if (m_connection.kind() == Connection::Kind::SQLite) {
        QSqlQuery rollback(database);
        rollback.exec(QStringLiteral("ROLLBACK"));
    } else {
        database.rollback();
    }
    --m_connection.m_transactions;
    restoreIsolation();
}

// ---------------------------------------------------------------------------------------
// Statement trace

namespace StatementTrace {

QStringList statements() {
    const auto& last = traceState().last;
    return QStringList(last.begin(), last.end());
}

QString last() {
    return traceState().last.empty() ? QString() : traceState().last.back();
}

void clear() {
    traceState().last.clear();
}

void record(const QString& sql) {
    TraceState& state = traceState();
    state.last.push_back(sql);
    if (state.last.size() > kTraceDepth)
        state.last.pop_front();
    if (!state.fileRead) {
        state.file = qEnvironmentVariable("BANKREC_SQL_TRACE");
        state.fileRead = true;
    }
    if (!state.file.isEmpty()) {
        QFile file(state.file);
        if (file.open(QIODevice::Append | QIODevice::Text)) {
            QString line = sql;
            line.replace(QLatin1Char('\n'), QLatin1Char(' '));
            file.write(line.toUtf8() + '\n');
        }
    }
}

} // namespace StatementTrace
