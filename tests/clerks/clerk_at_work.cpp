// One clerk at work on a shared database file, for the tests and the benchmark of several
// clerks at once: drives the real Adjustments or Clear window offscreen, then prints every
// message the program showed (one per line) and how long its slowest command took.
//
//   clerk_at_work DATABASE adjust COUNT NAME   adds COUNT adjustments described "NAME n"
//   clerk_at_work DATABASE clear COUNT         clears the first COUNT open lines, one OK each

#include "account_adjustments.h"
#include "clear_transactions.h"
#include "context.h"
#include "database.h"
#include "date_picker.h"
#include "flex_grid.h"
#include "test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <cstdio>

namespace {

// How long the command behind a button takes, in milliseconds.
qint64 timedClick(QWidget* w, const char* button) {
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
    return clock.elapsed();
}

// Adds the adjustments one Add at a time, as the clerk would type them.
qint64 addAdjustments(int count, const QString& name) {
    QPointer<frmAUD_ACCOUNT_ADJUSTMENTS> w = openWindow<frmAUD_ACCOUNT_ADJUSTMENTS>(1010);
    qint64 slowest = 0;
    for (int i = 1; i <= count && w; ++i) {
        child<DatePicker>(w, "dbxTRNDTE")->setDateNumber(20241031);
        typeInto(child<QLineEdit>(w, "tbxDESCPT"), QStringLiteral("%1 %2").arg(name).arg(i));
        chooseComboItem(child<QComboBox>(w, "cbxLEDGER"), QStringLiteral(" 5010"));
        typeInto(child<QLineEdit>(w, "tbxTRNAMT"), QString::number(i) + QStringLiteral(".25"));
        slowest = std::max(slowest, timedClick(w, "tbcADD"));
    }
    delete w;
    return slowest;
}

// Clears one line per visit: opens Clear, dates its first undated row, presses OK.
qint64 clearLines(int count) {
    qint64 slowest = 0;
    for (int i = 0; i < count; ++i) {
        QPointer<frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT> w =
            openWindow<frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT>(1010);
        auto* grid = child<FlexGrid>(w, "grdTRANSACTION");
        int row = 1;
        while (row < grid->rows() && !grid->text(row, 0).isEmpty())
            ++row;
        clickCell(grid, row, 0);
        auto* editor = child<QLineEdit>(w, "tbxTRANSACTION");
        editor->clear();
        QTest::keyClicks(editor, QStringLiteral("10/30/24"));
        slowest = std::max(slowest, timedClick(w, "tbcOK"));
        delete w;
    }
    return slowest;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fputs("usage: clerk_at_work DATABASE adjust|clear COUNT [NAME]\n", stderr);
        return 2;
    }
    TestEnvironment env;
    db().open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=") + args[1]);
    shared().wrkDBTYPE = QStringLiteral("ACCESS");
    shared().wrkFSYEAR = 2024;
    const int count = args[3].toInt();
    const qint64 slowest = args[2] == QLatin1String("clear")
                               ? clearLines(count)
                               : addAdjustments(count, args.value(4, QStringLiteral("Clerk")));
    for (const QString& message : env.messages)
        std::printf("message: %s\n", qPrintable(QString(message).replace('\n', ' ')));
    std::printf("slowest: %lld ms\n", static_cast<long long>(slowest));
    return env.messages.isEmpty() ? 0 : 1;
}
