// The statement import window: a bank file read and explained line by line, the hand-over to
// the Clear, Reconcile and Adjustments windows, and bad files that change nothing.

#include "account_adjustments.h"
#include "clear_transactions.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "import_bank_statement.h"
#include "ledger.h"
#include "reconcile_balances.h"
#include "settings.h"
#include "statement_files.h"
#include "test_support.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {

using Window = frmIMPORT_BANK_STATEMENT;
using Clear = frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT;
const QColor kMatched(192, 255, 192), kChoice(255, 236, 160), kNone(255, 192, 192);

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
    typeInto(child<QLineEdit>(w, "tbxFILE"), path, Qt::Key_Return);
}

// Presses the import's OK and waits until it has handed over: the Clear window it filled.
Clear* pressOk(QPointer<Window>& w) {
    clerk::clickOk(w);
    return QTest::qWaitFor([&w] { return w.isNull(); }) ? topLevel<Clear>() : nullptr;
}

QTableView* linesOf(Window* w) {
    return child<QTableView>(w, "grdSTATEMENT");
}
QColor colourOf(Window* w, int row) {
    return linesOf(w)->model()->index(row - 1, 0).data(Qt::BackgroundRole).value<QColor>();
}
// The bank dates Clear shows for the ledger lines (for a line it does not list, its heading).
QString clearDatesOf(Clear* clear, QList<int> lines) {
    QStringList dates;
    for (int line : lines)
        dates << child<FlexGrid>(clear, "grdTRANSACTION")->text(clear->rowOfLine(line), 0);
    return dates.join(QLatin1Char('|'));
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
        const statement_files::Written w = statement_files::write(statements, {.format = format});
        return writeFile(dir.filePath(QString::number(++variants) + '/' + w.fileName),
                         statements.isEmpty() ? QByteArray() : w.bytes);
    }

private Q_SLOTS:
    void initTestCase() { sample = written(february()); }
    void init() {
        env.emplace().openDatabase();
        // The ledger's February: check 1002, a slip of three deposits on the 3rd, and an
        // outstanding check.
        // line, date, amount, account, year, status, cleared, check, description
        insertLedgerLine({1, 20240201, -300, 1010, 2024, "", 0, 1002, "Rapid Parts"});
        int line = 1;
        for (double amount : {100, 80, 50})
            insertLedgerLine({.line = ++line, .date = 20240203, .amount = amount});
        insertLedgerLine({.line = 5, .date = 20240202, .amount = -42.5, .check = 1003});
        StatementTrace::clear();
    }
    void cleanup() {
        deleteProgramWindows();
        env.reset();
    }

    // Each bank line explained, with one read of the open lines and nothing written; Add as
    // Adjustment fills the adjustment; OK hands the bank dates to Clear, unsaved, and the
    // closing date and balance to Reconcile.
    void explainsEachLineAndHandsOver() {
        QPointer<Window> w = openWindow<Window>();
        loadInto(w, sample);
        QStringList rows;
        for (int r = 1; r <= linesOf(w)->model()->rowCount(); ++r)
            rows << QStringList{cellText(linesOf(w), r, 0), cellText(linesOf(w), r, 2),
                                cellText(linesOf(w), r, 4)}
                        .join(" | ");
        QCOMPARE(rows, (QStringList{"02/05/24 | -300.00 | 02/01/24  1002  Rapid Parts",
                                    "02/07/24 | 230.00 | 3 deposits of 02/03/24",
                                    "02/29/24 | -12.50 | "}));
        QCOMPARE(colourOf(w, 2), kMatched);
        QCOMPARE(colourOf(w, 3), kNone);
        QCOMPARE(child<QLabel>(w, "lblCOUNTS")->text(),
                 QString("Matched 2   Needs a choice 0   No match 1   Already cleared 0"));
        QVERIFY(child<QLabel>(w, "lblSTATEMENT")->text().contains("Closing balance 4917.50"));
        QCOMPARE(StatementTrace::statements(), QStringList{ledger::openLinesStatement(1010)});
        QCOMPARE(getSetting("ImportBankStatement", "FOLDER-1010"),
                 QFileInfo(sample).absolutePath());

        clerk::click(w, "tbcADJUSTMENT3");
        auto* adjust = topLevel<frmAUD_ACCOUNT_ADJUSTMENTS>();
        QVERIFY(adjust);
        QCOMPARE(child<DatePicker>(adjust, "dbxTRNDTE")->dateNumber(), 20240229);
        QCOMPARE(clerk::text(adjust, "tbxDESCPT") + '|' + clerk::text(adjust, "tbxTRNAMT"),
                 QString("MONTHLY SERVICE FEE|-12.5"));
        QVERIFY(child<QRadioButton>(adjust, "optSUBTRACT")->isChecked());

        Clear* clear = pressOk(w);
        auto* reconcile = topLevel<frmRECONCILE_CHECKING_ACCOUNT_BALANCES>();
        QVERIFY(clear && reconcile);
        QCOMPARE(clearDatesOf(clear, {1, 2, 3, 4, 5}),
                 QString("02/05/24|02/07/24|02/07/24|02/07/24|"));
        QCOMPARE(clearedDate(1), 0);            // the clerk has not saved yet
        QCOMPARE(env->messages, QStringList()); // every matched line was listed in Clear
        QCOMPARE(clerk::text(reconcile, "tbxBNKBAL").trimmed(), QString("4917.50"));
        QCOMPARE(child<DatePicker>(reconcile, "dbxSTMDTE")->dateNumber(), 20240229);
    }

    // Two deposits as near to a CSV file's credit: the clerk sets the columns, which are kept
    // for the account, narrows the days, which are kept, and chooses one in the row's list.
    void choiceFromTheList() {
        insertLedgerLine({.line = 6, .date = 20240309, .amount = 75});
        insertLedgerLine({.line = 7, .date = 20240311, .amount = 75});
        Statement march;
        march.lines = {{.date = 20240310, .cents = 7500, .description = "DEPOSIT"}};
        QPointer<Window> w = openWindow<Window>();
        loadInto(w, written({march}, statement_files::Format::Csv));
        QCOMPARE(env->messages.value(0),
                 QString("statement.csv: set the columns of the CSV file (the date and the "
                         "amount at least) before loading it."));
        whenModalAppears([](QWidget* dialog) {
            for (const auto& [name, value] : {std::pair{"tbxDATE_COLUMN", 1},
                                              {"tbxAMOUNT_COLUMN", 4},
                                              {"tbxDESCRIPTION_COLUMN", 2},
                                              {"tbxSKIP_LINES", 1}})
                child<QSpinBox>(dialog, name)->setValue(value);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        clerk::click(w, "tbcCOLUMNS");
        QVERIFY(getSetting("ImportBankStatement", "CSV-1010").startsWith("date=1;"));
        QCOMPARE(colourOf(w, 1), kChoice);
        auto* days = child<QSpinBox>(w, "tbxDAYS");
        days->setValue(0);
        QCOMPARE(cellText(linesOf(w), 1, 5), QString("no open line of 75.00 within 0 days"));
        QCOMPARE(getSetting("ImportBankStatement", "DAYS"), QString("0"));
        days->setValue(5);
        chooseComboItem(child<QComboBox>(w, "cbxMATCH1"), "03/11/24");
        QCOMPARE(colourOf(w, 1), kMatched);
        Clear* clear = pressOk(w);
        QVERIFY(clear);
        QCOMPARE(clearDatesOf(clear, {6, 7}), QString("|03/10/24"));
        // A CSV has no closing balance: Reconcile is not offered one.
        QVERIFY(!topLevel<frmRECONCILE_CHECKING_ACCOUNT_BALANCES>());
    }

    // A file of two accounts: the clerk picks the bank account's, which is kept, and the other
    // is named above the grid.
    void severalAccounts() {
        QVector<Statement> both = february() + february("9999999999");
        both.last().lines.removeLast();
        QPointer<Window> w = openWindow<Window>();
        whenModalAppears([](QWidget* dialog) {
            auto* input = qobject_cast<QInputDialog*>(dialog);
            QVERIFY(input);
            QCOMPARE(input->comboBoxItems(), QStringList({"4410012345", "9999999999"}));
            input->setTextValue("4410012345");
            input->accept();
        });
        loadInto(w, written(both));
        QCOMPARE(w->statement().account, QString("4410012345"));
        QCOMPARE(linesOf(w)->model()->rowCount(), 3);
        QCOMPARE(child<QLabel>(w, "lblNOTES")->text(),
                 QString("also in the file: account 9999999999, 2 lines, not read."));
        QCOMPARE(getSetting("ImportBankStatement", "ACCOUNT-1010"), QString("4410012345"));
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
        const bool taken = answer && !env->questions.isEmpty();
        QCOMPARE(w->statement().account, QString(taken ? "7770000001" : "4410012345"));
        QCOMPARE(StatementTrace::statements().size(), int(taken));
    }
};

QTEST_MAIN(TestImportBankStatement)
#include "tst_import_bank_statement.moc"
