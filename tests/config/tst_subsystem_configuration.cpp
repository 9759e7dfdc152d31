// The configuration window: the cash accounts listed, what choosing one and OK write.

#include "database.h"
#include "subsystem_configuration.h"
#include "test_support.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>

using Window = frmSUBSYSTEM_CONFIGURATION;

namespace {

const QStringList kCodes = {"BNKNME", "BNKADD", "BNKCTY", "BNKSTE", "BNKZIP", "MCRCDE", "CHKLGO"};

void addValue(const QString& code, const QString& text) {
    sqlExec(QString("insert into SYS_SYSTEM_VALUE_MASTER (svmVALCDE, svmVALTXT, svmVALNBR, "
                    "svmVALCHK) values ('%1', '%2', 7, 1)")
                .arg(code, text));
}

QStringList traced(const QString& start) {
    return StatementTrace::statements().filter(QRegularExpression('^' + start));
}

QLineEdit* box(QWidget* w, const QString& code) {
    return w->findChild<QLineEdit*>("tbx" + code);
}

} // namespace

class TestSubsystemConfiguration : public DatabaseTest {
    Q_OBJECT

private Q_SLOTS:
    // The company begins its year in December, so 2024-11-15 lies in fiscal year 2023.
    void init() {
        env.emplace().openDatabase();
        sqlExec("insert into SYS_ENTERPRISE_MASTER (ddmDIVCDE, ddmDPTCDE, ddmBOYMTH) values "
                "('*', '', 12)");
        shared().wrkFSYEAR = 2024; // the main window's calendar year, not the window's
        insertAccount(1010, "Operating Account", 2024, "CA", "BNK");
        insertAccount(1300, "Receivables", 2023, "AR");
        insertAccount(1010, "Operating Account", 2023);
        insertAccount(1000, "Petty Cash", 2023);
        insertAccount(1020, "Payroll Account", 2023);
    }
    void cleanup() { env.reset(); }

    // The cash accounts of the company's fiscal year are listed, the last bank account shown;
    // only the clerk's choice moves the bank type, and Cancel then writes no system value.
    void listsAndChoosesTheBankAccountThenCancel() {
        sqlExec("update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='BNK' where glmFSYEAR=2023 and "
                "glmGLANBR in (1300, 1020, 1000)");
        StatementTrace::clear();
        QPointer<Window> w = openWindow<Window>();
        auto* combo = w->findChild<QComboBox*>("cbxLEDGER");
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i) + '=' + combo->itemData(i).toString();
        QCOMPARE(entries, QStringList({"1000 Petty Cash=1000", "1010 Operating Account=1010",
                                       "1020 Payroll Account=1020"}));
        QCOMPARE(combo->currentText() + '=' + QString::number(w->wrkGLANBR),
                 "1020 Payroll Account=1020");
        QCOMPARE(traced("Select \\* from LDG_GENERAL_LEDGER_MASTER"),
                 QStringList("Select * from LDG_GENERAL_LEDGER_MASTER where glmFSYEAR=2023 and "
                             "glmGLACDE='CA' order by glmGLANBR"));
        QVERIFY(traced("Update").isEmpty());

        chooseComboItem(combo, "1010 Operating Account");
        QCOMPARE(w->wrkGLANBR, 1010);
        QCOMPARE(traced("Update"),
                 QStringList({"Update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='' where "
                              "glmFSYEAR=2023 and glmGLATYP='BNK'",
                              "Update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='BNK' where "
                              "glmFSYEAR=2023 and glmGLANBR=1010"}));
        QTest::keyClicks(box(w, "BNKNME"), "Not Saved");
        clerk::click(w, "tbcCANCEL");
        QTRY_VERIFY(w.isNull());
        QCOMPARE(sqlCount("SYS_SYSTEM_VALUE_MASTER") + env->endCount, 0);
    }

    // OK writes each box as far as its column holds (the server would cut longer text
    // silently): a stored value updated, a missing one inserted. A failed OK keeps the window
    // and the program, and OK again inserts no value twice.
    void okWritesEveryValueOnce() {
        const QStringList existing = {"BNKADD", "BNKZIP", "CHKLGO"};
        for (const QString& code : existing)
            addValue(code, "old " + code);
        QPointer<Window> w = openWindow<Window>();
        for (const QString& code : kCodes) {
            QCOMPARE(box(w, code)->text(), existing.contains(code) ? "old " + code : QString());
            box(w, code)->selectAll();
            QTest::keyClicks(box(w, code), "new " + code + QString(250, 'x'));
        }
        sqlExec("create trigger refuse before insert on SYS_SYSTEM_VALUE_MASTER when "
                "new.svmVALCDE='MCRCDE' begin select raise(abort, 'refused'); end");
        clerk::click(w, "tbcOK");
        QCOMPARE(QList<int>({int(env->messages.size()), env->endCount}), QList<int>({1, 0}));
        QVERIFY(w && w->isVisible());
        QCOMPARE(sqlCount("SYS_SYSTEM_VALUE_MASTER"), 6);

        sqlExec("drop trigger refuse");
        StatementTrace::clear();
        clerk::click(w, "tbcOK");
        QStringList expected;
        for (const QString& code : kCodes)
            expected << (code != "MCRCDE"
                             ? QString("Update SYS_SYSTEM_VALUE_MASTER set svmVALTXT='%2',"
                                       "svmVALNBR=0,svmVALCHK=0 where svmVALCDE='%1'")
                             : QString("Insert into SYS_SYSTEM_VALUE_MASTER(svmVALCDE,svmVALTXT,"
                                       "svmVALNBR,svmVALCHK) values('%1','%2',0,0)"))
                            .arg(code, ("new " + code + QString(250, 'x')).left(255));
        QCOMPARE(StatementTrace::statements(), expected);
        QCOMPARE(env->endCount, 1);
        delete w;
    }

    void logoFileDialog_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("subfolder");
        QTest::newRow("file chosen") << true << "";
        QTest::newRow("dialog cancelled") << false << "";
        // A path the column cannot hold is refused, not cut.
        QTest::newRow("path too long") << true << QString(120, 'd') + '/' + QString(120, 'e');
    }
    void logoFileDialog() {
        QFETCH(bool, accept);
        QFETCH(QString, subfolder);
        // An apostrophe in the folder must reach the statement whole.
        const QString folder = env->path("O'Neil Printing/" + subfolder);
        QDir().mkpath(folder);
        const QString logo = QDir(folder).filePath("logo.bmp");
        QFile(logo).open(QIODevice::WriteOnly);
        addValue("CHKLGO", "old.bmp");
        QPointer<Window> w = openWindow<Window>();
        whenModalAppears([&](QWidget* modal) {
            // The clerk types the whole path: the dialog reads it at once, without waiting
            // for its folder listing, which is filled in the background.
            if (accept)
                modal->findChild<QLineEdit*>("fileNameEdit")->setText(logo);
            QMetaObject::invokeMethod(modal, accept ? "accept" : "reject");
        });
        clerk::click(w, "tbcCHKLGO");
        const bool fits = logo.size() <= 255;
        const QString expected = accept && fits ? QDir::toNativeSeparators(logo) : "old.bmp";
        QCOMPARE(env->messages,
                 fits ? QStringList()
                      : QStringList("The file's path is longer than 255 characters. "
                                    "Keep the logo in a folder with a shorter path."));
        clerk::click(w, "tbcOK");
        QCOMPARE(sqlValue("select svmVALTXT from SYS_SYSTEM_VALUE_MASTER where svmVALCDE='CHKLGO'")
                     .toString(),
                 expected);
        delete w;
    }
};

QTEST_MAIN(TestSubsystemConfiguration)
#include "tst_subsystem_configuration.moc"
