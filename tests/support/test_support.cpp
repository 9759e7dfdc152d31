#include "test_support.h"

#include "child_window.h"
#include "company.h"
#include "context.h"
#include "database.h"
#include "flex_grid.h"
#include "messages.h"
#include "print_preview.h"
#include "report.h"
#include "schema.h"
#include "settings.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

namespace {
// Before any test runs: Qt's own files (the file dialog's history, caches) go to test
// folders, never to the user's.
void enableTestPaths() {
    QStandardPaths::setTestModeEnabled(true);
}
Q_CONSTRUCTOR_FUNCTION(enableTestPaths)
} // namespace

TestEnvironment::TestEnvironment(int todayYmd) {
    QStandardPaths::setTestModeEnabled(true);
    qputenv("BANKREC_TODAY", QByteArray::number(todayYmd));
    qputenv("ORLUNDE_SETTINGS", settingsFile().toLocal8Bit());
    qputenv("TKV_PROGRAM_FOLDER", programFolder().toLocal8Bit());
    setTestLoginName(QStringLiteral("CLERK"));
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
    frmPRINT_PREVIEW::setShownHook({});
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

QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

void answerPreviews(QList<std::function<void(frmPRINT_PREVIEW*)>> steps) {
    auto left = std::make_shared<QList<std::function<void(frmPRINT_PREVIEW*)>>>(std::move(steps));
    frmPRINT_PREVIEW::setShownHook([left](frmPRINT_PREVIEW* preview) {
        if (!left->isEmpty())
            left->takeFirst()(preview);
    });
}

void deleteProgramWindows() {
    QList<QPointer<QWidget>> tops;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<ChildWindow*>(w))
            tops << w;
    for (const QPointer<QWidget>& w : tops)
        delete w.data();
}

void clerk::click(QWidget* w, const char* name) {
    auto* button = child<QAbstractButton>(w, name);
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

QString clerk::text(QWidget* w, const char* name) {
    return child<QLineEdit>(w, name)->text();
}

QString describeDocument(const QTextDocument& document) {
    QStringList blocks;
    for (QTextBlock block = document.begin(); block != document.end(); block = block.next()) {
        const int align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        QString text = align == Qt::AlignHCenter   ? "C"
                       : align == Qt::AlignRight   ? "R"
                       : align == Qt::AlignJustify ? "J"
                                                   : "L";
        QString lastLook;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QString look = QString(f.fontWeight() > QFont::Medium ? "b" : "") +
                           (f.fontItalic() ? "i" : "") + (f.fontUnderline() ? "u" : "");
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                look += f.foreground().color().name();
            if (look != lastLook || text.size() == 1)
                text += '|' + look + ':';
            text += it.fragment().text();
            lastLook = look;
        }
        blocks << text;
    }
    return blocks.join('\n');
}

void chooseComboItem(QComboBox* combo, const QString& startsWith) {
    int index = 0;
    while (index < combo->count() && !combo->itemText(index).startsWith(startsWith))
        ++index;
    QVERIFY2(index < combo->count(), qPrintable(startsWith));
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex item = combo->model()->index(index, 0);
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    QTRY_VERIFY(!view->isVisible());
}

void typeInto(QLineEdit* box, const QString& text, Qt::Key then) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    if (then != Qt::Key_unknown)
        QTest::keyClick(box, then);
}

void clickCell(QTableView* grid, int row, int col, bool twice) {
    const QPoint at = grid->visualRect(grid->model()->index(row - 1, col)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    // The view takes a double click only on the cell the first press went to.
    if (twice)
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

QString cellText(const QTableView* view, int row, int col) {
    const QAbstractItemModel* model = view->model();
    return row == 0 ? model->headerData(col, Qt::Horizontal).toString()
                    : model->index(row - 1, col).data().toString();
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

QVariant ledgerValue(int line, const QString& column, int year) {
    return sqlValue(QStringLiteral("select %1 from LDG_GENERAL_LEDGER_TRANSACTION where "
                                   "gltFSYEAR=%2 and gltLNENBR=%3")
                        .arg(column)
                        .arg(year)
                        .arg(line));
}

void insertHistoryRow(const HistoryRow& h) {
    const auto money = [](double v) {
        return QString::number(v, 'f', QLocale::FloatingPointShortest);
    };
    const QStringList values{QString::number(h.year),
                             QString::number(h.month),
                             QString::number(h.account),
                             QString::number(h.statement),
                             money(h.bank),
                             money(h.outstanding),
                             money(h.adjusted),
                             money(h.ledger),
                             money(h.difference),
                             QString::number(h.saved),
                             QString::number(h.posted)};
    sqlExec(QStringLiteral("insert into LDG_BANK_RECONCILIATION_HISTORY(brhFSYEAR,brhMONTH,"
                           "brhGLANBR,brhSTMDTE,brhBNKBAL,brhOUTSTD,brhADJBAL,brhEOMBAL,"
                           "brhOVRSHT,brhRLSDTE,brhPSTDTE) values(") +
            values.join(',') + ')');
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
