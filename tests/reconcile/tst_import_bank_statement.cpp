// The statement import window: a bank file read and explained line by line, the hand-over to
// the Clear, Reconcile and Adjustments windows, and bad files that change nothing.

#include "account_adjustments.h"
#include "clear_transactions.h"
#include "common.h"
#include "database.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "import_bank_statement.h"
#include "ledger.h"
#include "list_view.h"
#include "main_window.h"
#include "reconcile_balances.h"
#include "settings.h"
#include "statement_files.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <optional>

namespace {

using Window = frmIMPORT_BANK_STATEMENT;
const QColor kMatched(192, 255, 192), kChoice(255, 236, 160), kNone(255, 192, 192);

// The February statement's ledger side: check 1002, a slip of three deposits on the 3rd,
// and an outstanding check.
void insertFebruary() {
    insertLedgerLine({.line = 1,
                      .date = 20240201,
                      .amount = -300,
                      .check = 1002,
                      .description = QStringLiteral("Rapid Parts")});
    int line = 1;
    for (double amount : {100, 80, 50})
        insertLedgerLine({.line = ++line, .date = 20240203, .amount = amount});
    insertLedgerLine({.line = 5, .date = 20240202, .amount = -42.5, .check = 1003});
}

// The bank's February statement: check 1002, the slip of three deposits credited as one, and
// a fee the ledger lacks.
QVector<Statement> february(const QString& account = QStringLiteral("4410012345"),
                            const QString& currency = QStringLiteral("USD")) {
    Statement s;
    s.account = account;
    s.currency = currency;
    s.periodStart = 20240201;
    s.periodEnd = s.closingDate = 20240229;
    s.hasClosing = true;
    s.closing = 491750;
    s.lines = {{.date = 20240205, .cents = -30000, .check = 1002, .description = "CHECK 1002"},
               {.date = 20240207, .cents = 23000, .description = "DEPOSIT BRANCH 12"},
               {.date = 20240229, .cents = -1250, .description = "MONTHLY SERVICE FEE"}};
    return {s};
}

void loadInto(Window* w, const QString& path) {
    auto* file = w->findChild<QLineEdit*>("tbxFILE");
    file->setText(path);
    QTest::keyClick(file, Qt::Key_Return);
}

using Clear = frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;

// Presses the import's OK and waits until it has handed over: the Clear window it filled.
Clear* pressOk(QPointer<Window>& w) {
    QTest::mouseClick(w->findChild<QPushButton*>("tbcOK"), Qt::LeftButton);
    if (!QTest::qWaitFor([&w] { return w.isNull(); }))
        return nullptr;
    return topLevel<Clear>();
}

QTableView* linesOf(Window* w) {
    return w->findChild<QTableView*>("grdSTATEMENT");
}
int rowsOf(Window* w) {
    return linesOf(w)->model()->rowCount();
}
QColor colourOf(Window* w, int row) {
    return linesOf(w)->model()->index(row - 1, 0).data(Qt::BackgroundRole).value<QColor>();
}

QString clearDateOf(Clear* clear, int line) {
    auto* grid = clear->findChild<FlexGrid*>("grdTRANSACTION");
    const int row = clear->rowOfLine(line);
    return row > 0 ? grid->text(row, 0) : QStringLiteral("(not listed)");
}

} // namespace

class TestImportBankStatement : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QTemporaryDir dir;
    int variants = 0;

    QString sample;

    // The statements written as a file of the format, each in a folder of its own.
    QString written(const QVector<Statement>& statements,
                    statement_files::Format format = statement_files::Format::OfxSgml) {
        statement_files::Options options;
        options.format = format;
        const statement_files::Written w = statement_files::write(statements, options);
        const QString folder = dir.filePath(QString::number(++variants));
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + w.fileName;
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            qFatal("cannot write");
        out.write(statements.isEmpty() ? QByteArray() : w.bytes);
        return path;
    }

private Q_SLOTS:
    void initTestCase() { sample = written(february()); }
    void init() {
        env.emplace().openDatabase();
        insertFebruary();
        StatementTrace::clear();
    }
    void cleanup() {
        deleteProgramWindows();
        env.reset();
    }

    void explainsEachLine() {
        QPointer<Window> w = openWindow<Window>();
        loadInto(w, sample);
        auto* grid = linesOf(w);
        QCOMPARE(rowsOf(w), 3);
        const QString expected[3][3] = {
            {"02/05/24", "02/01/24  1002  Rapid Parts", "check 1002, amount 300.00"},
            {"02/07/24", "3 deposits of 02/03/24", "3 deposits of 02/03/24 add up to 230.00"},
            {"02/29/24", "", "no open line of 12.50 within 5 days"}};
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(cellText(grid, r, 0), expected[r - 1][0]);
            QCOMPARE(cellText(grid, r, 4), expected[r - 1][1]);
            QCOMPARE(cellText(grid, r, 5), expected[r - 1][2]);
        }
        QCOMPARE(cellText(grid, 1, 2), QStringLiteral("-300.00"));
        QCOMPARE(colourOf(w, 2), kMatched);
        QCOMPARE(colourOf(w, 3), kNone);
        QCOMPARE(w->findChild<QLabel*>("lblCOUNTS")->text(),
                 QStringLiteral("Matched 2   Needs a choice 0   No match 1   Already cleared 0"));
        QVERIFY(w->findChild<QLabel*>("lblSTATEMENT")->text().contains("Closing balance 4917.50"));
        // One read of the open lines, and nothing written.
        QCOMPARE(StatementTrace::statements(), QStringList{ledger::openLinesStatement(1010)});
        QCOMPARE(getSetting("ImportBankStatement", "FOLDER-1010"),
                 QFileInfo(sample).absolutePath());
    }

    // OK hands the bank dates to Clear, unsaved, and the closing date and balance to Reconcile.
    void handsOver() {
        QPointer<Window> w = openWindow<Window>();
        loadInto(w, sample);
        Clear* clear = pressOk(w);
        QVERIFY(w.isNull());
        auto* reconcile = topLevel<frmRECONCILE_CHECKING_ACCOUNT_BALANCES>();
        QVERIFY(clear && reconcile);
        const QString dates[5] = {"02/05/24", "02/07/24", "02/07/24", "02/07/24", ""};
        for (int line = 1; line <= 5; ++line)
            QCOMPARE(clearDateOf(clear, line), dates[line - 1]);
        QCOMPARE(clearedDate(1), 0);            // the clerk has not saved yet
        QCOMPARE(env->messages, QStringList()); // every matched line was listed in Clear
        QCOMPARE(reconcile->findChild<QLineEdit*>("tbxBNKBAL")->text().trimmed(),
                 QStringLiteral("4917.50"));
        QCOMPARE(reconcile->findChild<DatePicker*>("dbxSTMDTE")->dateNumber(), 20240229);
    }

    void noMatchBecomesAdjustment() {
        QPointer<Window> w = openWindow<Window>();
        loadInto(w, sample);
        QTest::mouseClick(w->findChild<QPushButton*>("tbcADJUSTMENT3"), Qt::LeftButton);
        auto* adjust = topLevel<frmAUD_ACCOUNT_ADJUSTMENTS>();
        QVERIFY(adjust);
        QCOMPARE(adjust->findChild<DatePicker*>("dbxTRNDTE")->dateNumber(), 20240229);
        QCOMPARE(adjust->findChild<QLineEdit*>("tbxDESCPT")->text(),
                 QStringLiteral("MONTHLY SERVICE FEE"));
        QCOMPARE(adjust->findChild<QLineEdit*>("tbxTRNAMT")->text(), QStringLiteral("-12.5"));
        QVERIFY(adjust->findChild<QRadioButton*>("optSUBTRACT")->isChecked());
    }

    // Two deposits as near to the bank's credit: the clerk chooses one in the row's list.
    void choiceFromTheList() {
        insertLedgerLine({.line = 6, .date = 20240309, .amount = 75});
        insertLedgerLine({.line = 7, .date = 20240311, .amount = 75});
        Statement march;
        march.lines = {{.date = 20240310, .cents = 7500, .description = "DEPOSIT"}};
        const QString csv = written({march}, statement_files::Format::Csv);
        QPointer<Window> w = openWindow<Window>();
        loadInto(w, csv);
        QCOMPARE(env->messages.value(0),
                 QStringLiteral("statement.csv: set the columns of the CSV file (the date and the "
                                "amount at least) before loading it."));
        // The clerk sets the columns once; they are kept for the account and the file is read.
        whenModalAppears([](QWidget* dialog) {
            const std::pair<const char*, int> columns[] = {{"tbxDATE_COLUMN", 1},
                                                           {"tbxAMOUNT_COLUMN", 4},
                                                           {"tbxDESCRIPTION_COLUMN", 2},
                                                           {"tbxSKIP_LINES", 1}};
            for (const auto& [name, value] : columns)
                dialog->findChild<QSpinBox*>(name)->setValue(value);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QTest::mouseClick(w->findChild<QPushButton*>("tbcCOLUMNS"), Qt::LeftButton);
        QVERIFY(getSetting("ImportBankStatement", "CSV-1010").startsWith("date=1;"));
        QCOMPARE(colourOf(w, 1), kChoice);
        // Fewer days apart leave neither deposit; the days are kept.
        auto* days = w->findChild<QSpinBox*>("tbxDAYS");
        days->setValue(0);
        QCOMPARE(cellText(linesOf(w), 1, 5), QStringLiteral("no open line of 75.00 within 0 days"));
        QCOMPARE(getSetting("ImportBankStatement", "DAYS"), QStringLiteral("0"));
        days->setValue(5);
        auto* choice = w->findChild<QComboBox*>("cbxMATCH1");
        QVERIFY(choice);
        QCOMPARE(choice->count(), 3);
        choice->setCurrentIndex(2);
        Q_EMIT choice->activated(2);
        QCOMPARE(colourOf(w, 1), kMatched);
        Clear* clear = pressOk(w);
        QVERIFY(clear);
        QCOMPARE(clearDateOf(clear, 6), QString());
        QCOMPARE(clearDateOf(clear, 7), QStringLiteral("03/10/24"));
        // A CSV has no closing balance: Reconcile is not offered one.
        QVERIFY(!topLevel<frmRECONCILE_CHECKING_ACCOUNT_BALANCES>());
    }

    // A file of two accounts: the clerk picks the bank account's, which is kept, and the other
    // is named above the grid.
    void severalAccounts() {
        QVector<Statement> both = february();
        both += february("9999999999");
        both.last().lines.removeLast();
        QPointer<Window> w = openWindow<Window>();
        whenModalAppears([](QWidget* dialog) {
            auto* input = qobject_cast<QInputDialog*>(dialog);
            QVERIFY(input);
            QCOMPARE(input->comboBoxItems(), QStringList({"4410012345", "9999999999"}));
            input->setTextValue(QStringLiteral("4410012345"));
            input->accept();
        });
        loadInto(w, written(both));
        QCOMPARE(w->statement().account, QStringLiteral("4410012345"));
        QCOMPARE(rowsOf(w), 3);
        QCOMPARE(w->findChild<QLabel*>("lblNOTES")->text(),
                 QStringLiteral("also in the file: account 9999999999, 2 lines, not read."));
        QCOMPARE(getSetting("ImportBankStatement", "ACCOUNT-1010"), QStringLiteral("4410012345"));
    }

    // Inside the main window: the menu item and Clear's button open the import, and OK hands
    // over to the windows of the same frame.
    void inTheMainWindow() {
        const QString folder = fncPROGRAM_FOLDER();
        saveSetting("Startup", "VERNBR", "0");
        saveSetting("Startup", "TKVDTA-" + folder, env->databaseFile());
        saveSetting("Startup", "TKWDTA-" + folder, "route.mdb");
        insertAccount(1010, "Operating Account", 2024, "CA", "BNK");
        mdiBANK_RECONCILIATION main;
        QVERIFY(main.startupSucceeded());
        auto active = [&main] {
            QMdiSubWindow* frame = main.mdiArea()->activeSubWindow();
            return frame ? frame->widget() : nullptr;
        };
        QAction* item = main.findChild<QAction*>("mtnIMPORT_BANK_STATEMENT");
        item->trigger();
        auto* w = qobject_cast<Window*>(active());
        QVERIFY(w);
        loadInto(w, sample);
        QTest::mouseClick(w->findChild<QPushButton*>("tbcOK"), Qt::LeftButton);
        auto* clear = qobject_cast<frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT*>(active());
        QVERIFY(clear);
        QCOMPARE(clearDateOf(clear, 1), QStringLiteral("02/05/24"));
        QVERIFY(main.openWindow("frmRECONCILE_CHECKING_ACCOUNT_BALANCES"));
        QTRY_VERIFY(!main.openWindow("frmIMPORT_BANK_STATEMENT"));
        QTest::mouseClick(clear->findChild<QPushButton*>("tbcIMPORT_BANK_STATEMENT"),
                          Qt::LeftButton);
        QVERIFY(qobject_cast<Window*>(active()));
    }

    // A bad file is named in a message and the statement on screen stays as it was; the
    // reader's own refusals are its tests' business.
    void badFileChangesNothing_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("said");
        const QString otherAccount = "The statement is for account 7770000001, but this bank "
                                     "account's statements were for account 4410012345. Go on "
                                     "with it?";
        QTest::newRow("unreadable") << written({}) << true << "statement.ofx: the file is empty.";
        QTest::newRow("another currency")
            << written(february("4410012345", "EUR")) << true
            << "The statement is in EUR, but this bank account keeps USD; it was not loaded.";
        QTest::newRow("another account, stopped")
            << written(february("7770000001")) << false << otherAccount;
        QTest::newRow("another account, gone on with")
            << written(february("7770000001")) << true << otherAccount;
    }

    void badFileChangesNothing() {
        QFETCH(QString, file);
        QFETCH(bool, answer);
        QFETCH(QString, said);
        QPointer<Window> w = openWindow<Window>();
        loadInto(w, sample);
        env->clearMessages();
        env->answer = answer;
        StatementTrace::clear();
        loadInto(w, file);
        QCOMPARE(env->messages + env->questions, QStringList{said});
        QCOMPARE(rowsOf(w), 3);
        QCOMPARE(w->statement().account,
                 QString(answer && !env->questions.isEmpty() ? "7770000001" : "4410012345"));
        QCOMPARE(StatementTrace::statements().size(), answer && !env->questions.isEmpty() ? 1 : 0);
    }
};

QTEST_MAIN(TestImportBankStatement)
#include "tst_import_bank_statement.moc"
