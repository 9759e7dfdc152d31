#include "startup.h"

#include "common.h"
#include "context.h"
#include "database.h"
#include "report.h"
#include "settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <exception>
#include <limits>

namespace {

const QString kStartup = QStringLiteral("Startup");

#ifdef Q_OS_WIN
constexpr QChar kSeparator = QLatin1Char('\\');
#else
constexpr QChar kSeparator = QLatin1Char('/');
#endif

QString executableName() {
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStringLiteral("bankrec");
}

// The lines of a text file, whatever line ends it uses; a final line end adds no line.
QStringList fileLines(const QByteArray& bytes) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = QString::fromLocal8Bit(bytes).split(lineEnd);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A 16-bit whole number, as the integrated-security flag is held.
bool readShort(const QString& text, int* value) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max())
        return false;
    *value = n;
    return true;
}

} // namespace

bool settingBoolean(const QString& text) {
    const QString t = text.trimmed();
    return t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || t == QLatin1String("-1") ||
           t == QLatin1String("1");
}

int settingWholeNumber(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? n : 0;
}

QString connectionFilePath() {
    QString folder = fncPROGRAM_FOLDER();
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) &&
        !folder.endsWith(QLatin1Char('\\')))
        folder += kSeparator;
    return folder + QStringLiteral("tkv.ini");
}

QString demoDatabasePath(const QString& programFolder) {
    if (programFolder.size() < 8)
        return QString();
    return programFolder.left(programFolder.size() - 8) + QStringLiteral("Database") + kSeparator +
           QStringLiteral("TolvaneDemo.mdb");
}

QString connectionString(const SharedValues& v) {
    if (v.wrkDEMO)
        return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=") + v.wrkDATABASE;
    if (v.wrkVERNBR >= 2) {
        QString text = QStringLiteral("Provider=SQLOLEDB.1;Data Source=") + v.wrkSERVER +
                       QStringLiteral(";Initial Catalog=") + v.wrkDATABASE;
        if (v.wrkINTSEC == 1)
            text += QStringLiteral(";Integrated Security=SSPI;Persist Security Info=False");
        if (!v.wrkUSERID.isEmpty())
            text += QStringLiteral(";User ID=") + v.wrkUSERID;
        if (!v.wrkPASSWORD.isEmpty())
            text += QStringLiteral(";Password=") + v.wrkPASSWORD;
        return text;
    }
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=") + v.wrkDATABASE +
           QStringLiteral(";Password='") + v.wrkPASSWORD + QLatin1Char('\'');
}

QString connectionFailureCaption(const SharedValues& v) {
    if (v.wrkDEMO)
        return QStringLiteral("The TKV/i Access Demo");
    if (v.wrkVERNBR >= 2)
        return QStringLiteral("The TKV/i SQL Server");
    return QStringLiteral("The TKV/i Access");
}

QString connectionFailureMessage(const QString& caption, bool withServer,
                                 const QString& programFolder, const QString& server,
                                 const QString& database, int errorNumber,
                                 const QString& errorDescription) {
    QStringList lines;
    lines << caption + QStringLiteral(" database connection was aborted. Use System Control to "
                                      "restore connection.")
          << QStringLiteral("Program Path:   ") + programFolder;
    if (withServer)
        lines << QStringLiteral("SQL Server:     ") + server;
    lines << QStringLiteral("TKV Database: ") + database
          << QStringLiteral("Err#: ") + QString::number(errorNumber)
          << QStringLiteral("ErrDescpt: ") + errorDescription;
    return lines.join(QLatin1Char('\r'));
}

QString undefinedConnectionsMessage() {
    return QStringLiteral(
        "Database Connections are undefined. Use System Control to configure connections");
}

void prcREAD_STARTUP_SETTINGS() {
    SharedValues& s = shared();
    s.wrkEXENME = executableName();
    s.wrkDEMO = settingBoolean(getSetting(kStartup, QStringLiteral("DEMO")));
    s.wrkVERNBR = settingWholeNumber(getSetting(kStartup, QStringLiteral("VERNBR")));

    // The owner company, shown in the main window's caption and written as the default
    // company record when the database has none.
    const QString company = QStringLiteral("Company");
    s.wrkCOMPANY_NAME = getSetting(company, QStringLiteral("NAME"));
    s.wrkCOMPANY_ADDRESS1 = getSetting(company, QStringLiteral("ADDRESS1"));
    s.wrkCOMPANY_ADDRESS2 = getSetting(company, QStringLiteral("ADDRESS2"));
    s.wrkCOMPANY_CITY = getSetting(company, QStringLiteral("CITY"));
    s.wrkCOMPANY_STATE = getSetting(company, QStringLiteral("STATE"));
    s.wrkCOMPANY_ZIP = getSetting(company, QStringLiteral("ZIP"));

    if (s.wrkVERNBR == 0 || s.wrkVERNBR == 1)
        prcREAD_REGISTRY_CONNECTIONS();
    else if (s.wrkVERNBR == 2)
        prcREAD_INI_CONNECTIONS();
}

void prcREAD_REGISTRY_CONNECTIONS() {
    SharedValues& s = shared();
    const QString folder = fncPROGRAM_FOLDER();
    s.wrkDATABASE = getSetting(kStartup, QStringLiteral("TKVDTA-") + folder);
    s.wrkDATABASE2 = getSetting(kStartup, QStringLiteral("TKWDTA-") + folder);
    s.wrkPASSWORD = getSetting(kStartup, QStringLiteral("PASSWORD-") + folder);
    s.wrkDBTYPE = QStringLiteral("ACCESS");
    if (s.wrkDATABASE.isEmpty() || s.wrkDATABASE2.isEmpty()) {
        reportMessage(undefinedConnectionsMessage());
        // The route database is only carried here, never opened: with the main database
        // defined the program still runs on it.
        if (s.wrkDATABASE.isEmpty())
            s.wrkDBTYPE.clear();
    }
}

void prcREAD_INI_CONNECTIONS() {
    SharedValues& s = shared();
    QFile file(connectionFilePath());
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
        prcWRITE_INI_CONNECTIONS();
        return;
    }
    const QStringList lines = fileLines(file.readAll());
    file.close();
    if (lines.isEmpty() || lines.first().isEmpty()) {
        prcWRITE_INI_CONNECTIONS();
        return;
    }

    s.wrkDBTYPE = QStringLiteral("SQLSERVER");
    // A short or broken file is rewritten; what was read before the fault stays set, so the
    // server and user id already in the file survive the rewrite.
    QString* const texts[] = {&s.wrkSERVER, &s.wrkDATABASE, &s.wrkDATABASE2, &s.wrkUSERID,
                              &s.wrkPASSWORD};
    int line = 0;
    for (QString* text : texts) {
        if (line >= lines.size()) {
            prcWRITE_INI_CONNECTIONS();
            return;
        }
        *text = lines.at(line++);
    }
    int intsec = 0;
    if (line >= lines.size() || !readShort(lines.at(line), &intsec)) {
        prcWRITE_INI_CONNECTIONS();
        return;
    }
    s.wrkINTSEC = intsec;
}

void prcWRITE_INI_CONNECTIONS() {
    prcREAD_REGISTRY_CONNECTIONS();
    const SharedValues& s = shared();
    const QStringList lines = {s.wrkSERVER, s.wrkDATABASE, s.wrkDATABASE2,
                               s.wrkUSERID, s.wrkPASSWORD, QString::number(s.wrkINTSEC)};
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLocal8Bit() + "\r\n";

    // The template is a convenience for the administrator: when it cannot be written the
    // connection attempt that follows reports the real problem.
    const QString path = connectionFilePath();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        qWarning("%s cannot be written: %s", qPrintable(path), qPrintable(file.errorString()));
}

void prcOPEN_DATABASE() {
    SharedValues& s = shared();
    s.wrkLANGUAGE = getSetting(kStartup, QStringLiteral("LANGUAGE"));
    try {
        if (s.wrkCONNECTION.isOpen())
            s.wrkCONNECTION.close();
    } catch (const DatabaseError&) {
    }

    const QString caption = connectionFailureCaption(s);
    const bool sqlServer = !s.wrkDEMO && s.wrkVERNBR >= 2;
    try {
        if (s.wrkDEMO) {
            const QString folder = fncPROGRAM_FOLDER();
            if (folder.size() < 8)
                throw DatabaseError(5, QStringLiteral("Invalid procedure call or argument"));
            s.wrkDATABASE = demoDatabasePath(folder);
        }
        s.wrkNOLOCK = sqlServer ? QStringLiteral(" with (NOLOCK)") : QString();
        s.wrkCONNECTION.open(connectionString(s));
        if (sqlServer)
            s.wrkCONNECTION.execute(QStringLiteral("SET ANSI_WARNINGS OFF"));
        // The demo database is an Access file, whatever the connection settings said.
        if (s.wrkDEMO)
            s.wrkDBTYPE = QStringLiteral("ACCESS");
    } catch (const std::exception& e) {
        int number = 0;
        QString description = QString::fromLocal8Bit(e.what());
        if (const auto* error = dynamic_cast<const DatabaseError*>(&e)) {
            number = error->number();
            description = error->description();
        }
        s.wrkDBTYPE.clear();
        reportMessage(connectionFailureMessage(caption, s.wrkVERNBR >= 2, fncPROGRAM_FOLDER(),
                                               s.wrkSERVER, s.wrkDATABASE, number, description));
    }
}

void prcCLOSE_DATABASE() {
    SharedValues& s = shared();
    for (Connection* connection : {&s.wrkCONNECTION, &s.wrkCONNECTION2}) {
        try {
            connection->close();
        } catch (const DatabaseError&) {
            // Closing a connection that never opened is expected at exit.
        }
    }
}

bool startupConnectionReady() {
    return !shared().wrkDBTYPE.isEmpty() && shared().wrkCONNECTION.isOpen();
}
