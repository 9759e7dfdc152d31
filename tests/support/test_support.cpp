#include "test_support.h"

#include "context.h"
#include "database.h"
#include "flex_grid.h"
#include "messages.h"
#include "report.h"
#include "schema.h"
#include "settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

TestEnvironment::TestEnvironment(int todayYmd) {
    QStandardPaths::setTestModeEnabled(true);
    qputenv("BANKREC_TODAY", QByteArray::number(todayYmd));
    qputenv("ORLUNDE_SETTINGS", settingsFile().toLocal8Bit());
    qputenv("TKV_PROGRAM_FOLDER", programFolder().toLocal8Bit());
    qputenv("BANKREC_USER", "CLERK");
    QDir().mkpath(programFolder());
    // Posting archives the month's report: into this folder, never the user's documents.
    saveSetting(QStringLiteral("Startup"), QStringLiteral("REPORTARCHIVE"),
                path(QStringLiteral("Archive")));
    resetShared();
    StatementTrace::clear();
    resetProgramEnded();
    installMessageBoxes();
    setMessageHandler([this](const QString& text, const QString& title) {
        messages << text;
        titles << title;
    });
    setQuestionHandler([this](const QString& text, const QString&) {
        questions << text;
        return answer;
    });
    setEndProgramHandler([this] { ++endCount; });
}

TestEnvironment::~TestEnvironment() {
    setMessageHandler({});
    setQuestionHandler({});
    setEndProgramHandler({});
    resetShared(); // closes the connection before the folder goes
}

QString TestEnvironment::path(const QString& name) const {
    return m_dir.filePath(name);
}

void TestEnvironment::openDatabase() {
    QFile::remove(databaseFile());
    QFile(databaseFile()).open(QIODevice::WriteOnly); // an empty file is a new database
    db().open(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%1").arg(databaseFile()));
    createSchema(db());
    shared().wrkDBTYPE = QStringLiteral("ACCESS");
    StatementTrace::clear();
}

void sqlExec(const QString& sql) {
    db().execute(sql);
}

QVariant sqlValue(const QString& sql) {
    Recordset rs = db().execute(sql);
    return rs.eof() ? QVariant() : rs.field(0);
}

int sqlCount(const QString& table, const QString& where) {
    QString sql = QStringLiteral("select count(*) from ") + table;
    if (!where.isEmpty())
        sql += QStringLiteral(" where ") + where;
    return sqlValue(sql).toInt();
}

void whenModalAppears(std::function<void(QWidget*)> action, int timeoutMs) {
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, action, timeoutMs] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

void clickCell(FlexGrid* grid, int row, int col, bool twice) {
    const QPoint at = grid->visualRect(grid->model()->index(row - 1, col)).center();
    if (twice)
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
}

int filledRows(const FlexGrid* grid, int col) {
    int count = 0;
    for (int r = 1; r < grid->rows(); ++r)
        if (!grid->text(r, col).isEmpty())
            ++count;
    return count;
}

QString pdfText(const QString& file) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), file, QStringLiteral("-")});
    pdftotext.waitForFinished();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

void insertLedgerLine(const LedgerLine& l) {
    sqlExec(
        QStringLiteral("insert into LDG_GENERAL_LEDGER_TRANSACTION(gltFSYEAR,gltLNENBR,"
                       "gltTRNDTE,gltTRNTME,gltGLANBR,gltDESCPT,gltTRNAMT,gltCHKNBR,"
                       "gltRCNDTE,gltSTATUS,gltJRNCDE,gltTRNTYP,gltEMPNBR,gltCHKTXT) "
                       "values(%1,%2,%3,%4,%5,'%6',%7,%8,%9,'%10','%11','%12',%13,'%14')")
            .arg(l.year)
            .arg(l.line)
            .arg(l.date)
            .arg(l.time)
            .arg(l.account)
            .arg(l.description.isEmpty() ? QStringLiteral("Line %1").arg(l.line) : l.description)
            .arg(l.amount)
            .arg(l.check)
            .arg(l.cleared)
            .arg(l.status, l.journal, l.type)
            .arg(l.employee)
            .arg(l.checkText));
}

void insertAccount(int account, const QString& name, int year, const QString& accountClass,
                   const QString& type, double beginning) {
    sqlExec(QStringLiteral("insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,glmGLANBR,"
                           "glmGLANME,glmGLACDE,glmGLATYP,glmBOYBAL) "
                           "values(%1,'*',%2,'%3','%4','%5',%6)")
                .arg(year)
                .arg(account)
                .arg(name, accountClass, type)
                .arg(beginning));
}
