#include "company.h"

#include "common.h"
#include "context.h"
#include "database.h"

#include <cmath>
#include <limits>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

#ifdef BANKREC_TEST_SEAMS
QString& testLoginName() {
    static QString name;
    return name;
}
#endif

// The login name as the operating system knows the user running the program, before it is
// cut. Nothing in the environment can stand in for it: the name decides the user's rights.
QString loginName() {
#ifdef BANKREC_TEST_SEAMS
    if (!testLoginName().isEmpty())
        return testLoginName();
#endif
#ifdef Q_OS_WIN
    char buffer[257] = {};
    DWORD size = sizeof(buffer);
    if (GetUserNameA(buffer, &size) && size > 0)
        return QString::fromLocal8Bit(buffer);
    return QString();
#else
    if (const passwd* entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString();
#endif
}

} // namespace

#ifdef BANKREC_TEST_SEAMS
void setTestLoginName(const QString& name) {
    testLoginName() = name;
}
#endif

QString sqlText(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

QString fncGET_USER_NAME() {
    return loginName().left(10);
}

void prcLOAD_COMPANY(const QString& division, const QString& department) {
    SharedValues& s = shared();
    Connection& connection = db();

    Recordset company = connection.execute(QStringLiteral("Select * from SYS_ENTERPRISE_MASTER") +
                                           s.wrkNOLOCK + QStringLiteral(" where ddmDIVCDE='") +
                                           sqlText(division) + QStringLiteral("' and ddmDPTCDE='") +
                                           sqlText(department) + QLatin1Char('\''));
    // A first start makes the company's row; a connection that only reads leaves that to the
    // windows.
    if (company.eof() && !connection.readOnly()) {
        const QString name = sqlText(s.wrkCOMPANY_NAME);
        connection.execute(
            QStringLiteral("Insert into SYS_ENTERPRISE_MASTER(ddmLGLNME,ddmDBANME,ddmADDRS1,"
                           "ddmADDRS2,ddmCITY,ddmSTATE,ddmZIPCDE)values('") +
            name + QStringLiteral("','") + name + QStringLiteral("','") +
            sqlText(s.wrkCOMPANY_ADDRESS1) + QStringLiteral("','") +
            sqlText(s.wrkCOMPANY_ADDRESS2) + QStringLiteral("','") + sqlText(s.wrkCOMPANY_CITY) +
            QStringLiteral("','") + sqlText(s.wrkCOMPANY_STATE) + QStringLiteral("','") +
            sqlText(s.wrkCOMPANY_ZIP) + QStringLiteral("')"));
    }

    Recordset year = connection.execute(
        QStringLiteral("Select max(glmFSYEAR) as maxFSYEAR from LDG_GENERAL_LEDGER_MASTER where "
                       "glmDIVCDE='*'"));
    s.wrkFSYEAR = static_cast<int>(fncFIELD_NUMBER(year.field(QStringLiteral("maxFSYEAR"))));

    // A format outside the 16-bit range cannot be meant; it reads as the default format.
    const double format =
        fncGET_SYSTEM_VALUE(QStringLiteral("DTEFMT"), QStringLiteral("N")).toDouble();
    const double rounded = std::nearbyint(format);
    s.wrkDTEFMT = rounded >= std::numeric_limits<qint16>::min() &&
                          rounded <= std::numeric_limits<qint16>::max()
                      ? static_cast<int>(rounded)
                      : 0;
}

void prcGET_USER_SECURITY(const QString& subsystem, const QString& mode) {
    SharedValues& s = shared();
    Connection& connection = db();
    const QString user = sqlText(fncGET_USER_NAME());

    Recordset userRow;
    try {
        userRow = connection.execute(QStringLiteral("Select * from SYS_USER_MASTER where "
                                                    "usmUSRSGN='") +
                                     user + QStringLiteral("' and usmSECLVL in ('S','M','A')"));
    } catch (const DatabaseError&) {
        return; // the level stays as it was
    }

    if (userRow.eof()) {
        try {
            Recordset anyone = connection.execute(
                QStringLiteral("Select * from SYS_USER_MASTER where usmSECLVL in ('S','M','A')"));
            // Without any privileged user the suite runs without security.
            s.wrkSECLVL = anyone.eof() ? QStringLiteral("N") : QString();
        } catch (const DatabaseError&) {
        }
        return;
    }

    try {
        s.wrkSECLVL = userRow.field(QStringLiteral("usmSECLVL")).toString();
        Recordset detail = connection.execute(
            QStringLiteral("Select count(*) as hldRECCNT from SYS_USER_DETAIL where usdUSRSGN='") +
            user + QStringLiteral("' and usdSYSCDE='") + sqlText(subsystem) + QLatin1Char('\''));
        if (fncFIELD_NUMBER(detail.field(QStringLiteral("hldRECCNT"))) == 0 &&
            mode == QLatin1String("M"))
            s.wrkSECLVL.clear();
    } catch (const DatabaseError&) {
    }
}

QVariant fncGET_SYSTEM_VALUE(const QString& code, const QString& kind) {
    Recordset rs =
        db().execute(QStringLiteral("Select * from SYS_SYSTEM_VALUE_MASTER") + shared().wrkNOLOCK +
                     QStringLiteral(" where svmVALCDE='") + sqlText(code) + QLatin1Char('\''));
    QVariant result;
    if (!rs.eof()) {
        if (kind == QLatin1String("T"))
            result = rs.field(QStringLiteral("svmVALTXT")).toString();
        else if (kind == QLatin1String("N"))
            result = rs.field(QStringLiteral("svmVALNBR"));
        else if (kind == QLatin1String("C"))
            result = rs.field(QStringLiteral("svmVALCHK"));
    } else {
        if (kind == QLatin1String("T"))
            result = QString(QLatin1String(""));
        else if (kind == QLatin1String("N"))
            result = QVariant::fromValue<qint16>(0);
        else if (kind == QLatin1String("C"))
            result = QVariant::fromValue<qint32>(0);
    }
    return result;
}

int fiscalYearFor(int date, int beginningMonth) {
    if (date < 1)
        return 0;
    const QString text = QString::number(date);
    const int year = text.left(4).toInt();
    const int month = text.mid(4, 2).toInt();
    return beginningMonth >= 2 && month < beginningMonth ? year - 1 : year;
}

int fncFISCAL_YEAR(int date, const QString& division) {
    if (date < 1)
        return 0;
    Recordset rs =
        db().execute(QStringLiteral("Select * from SYS_ENTERPRISE_MASTER") + shared().wrkNOLOCK +
                     QStringLiteral(" where ddmDIVCDE='") + sqlText(division) + QLatin1Char('\''));
    // A division without a record keeps the calendar year.
    const int beginningMonth =
        rs.eof() ? 1 : static_cast<int>(fncFIELD_NUMBER(rs.field(QStringLiteral("ddmBOYMTH"))));
    return fiscalYearFor(date, beginningMonth);
}
