// The company record, the user's security level, system values and fiscal years.

#include "company.h"
#include "database.h"
#include "test_support.h"

class TestCompany : public DatabaseTest {
    Q_OBJECT
private Q_SLOTS:

    // clang-format off
    void security_data() {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("users");   // rows of (sign, level)
        QTest::addColumn<QString>("details"); // rows of (sign, subsystem)
        QTest::addColumn<QString>("subsystem");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("only unprivileged users")       << "CLERK"        << "('CLERK','X'),('BOSS','Z')" << ""                     << "ABR" << "M" << "N";
        QTest::newRow("unprivileged among privileged") << "CLERK"        << "('CLERK','X'),('BOSS','S')" << "('CLERK','ABR')"      << "ABR" << ""  << "";
        QTest::newRow("A without detail, mode M")      << "CLERK"        << "('CLERK','A')"              << "('CLERK','ABR')"      << "AGL" << "M" << "";
        QTest::newRow("A without detail, mode blank")  << "CLERK"        << "('CLERK','A')"              << "('CLERK','ABR')"      << "AGL" << ""  << "A";
        QTest::newRow("M with detail")                 << "CLERK"        << "('CLERK','M')"              << "('CLERK','AGL')"      << "AGL" << "M" << "M";
        QTest::newRow("detail of another user")        << "CLERK"        << "('CLERK','S'),('BOSS','S')" << "('BOSS','AGL')"       << "AGL" << "M" << "";
        QTest::newRow("login of 12 looked up by 10")   << "CLERKJOHNSON" << "('CLERKJOHNS','S')"         << "('CLERKJOHNS','APR')" << "APR" << "M" << "S";
        QTest::newRow("apostrophe in login")           << "O'NEIL"       << "('O''NEIL','M')"            << "('O''NEIL','ABR')"    << "ABR" << "M" << "M";
    }
    // clang-format on

    void security() {
        QFETCH(QString, login);
        QFETCH(QString, users);
        QFETCH(QString, details);
        QFETCH(QString, subsystem);
        QFETCH(QString, mode);
        QFETCH(QString, expected);
        setTestLoginName(login);
        sqlExec("insert into SYS_USER_MASTER(usmUSRSGN,usmSECLVL) values" + users);
        if (!details.isEmpty())
            sqlExec("insert into SYS_USER_DETAIL(usdUSRSGN,usdSYSCDE) values" + details);
        shared().wrkSECLVL = "?";
        prcGET_USER_SECURITY(subsystem, mode);
        QCOMPARE(shared().wrkSECLVL, expected);
    }

    // A failing statement leaves the level as far as it was read.
    void securityIgnoresDatabaseErrors() {
        sqlExec("insert into SYS_USER_MASTER(usmUSRSGN,usmSECLVL) values('CLERK','A')");
        sqlExec("drop table SYS_USER_DETAIL");
        prcGET_USER_SECURITY("AGL", "M"); // the count fails: the level of the user row stays
        QCOMPARE(shared().wrkSECLVL, QString("A"));
        db().close();
        shared().wrkSECLVL = "S";
        prcGET_USER_SECURITY("ABR", "");
        QCOMPARE(shared().wrkSECLVL, QString("S"));
        QCOMPARE(env->messages, QStringList());
    }

    // clang-format off
    void systemValue_data() {
        QTest::addColumn<bool>("row");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("text")               << true  << "T" << QVariant(QString("First Bank"));
        QTest::newRow("number")             << true  << "N" << QVariant(3);
        QTest::newRow("flag")               << true  << "C" << QVariant(1);
        QTest::newRow("other kind")         << true  << "X" << QVariant();
        QTest::newRow("no row, text")       << false << "T" << QVariant(QString(""));
        QTest::newRow("no row, number")     << false << "N" << QVariant(0);
    }
    // clang-format on

    void systemValue() {
        QFETCH(bool, row);
        QFETCH(QString, kind);
        QFETCH(QVariant, expected);
        if (row)
            sqlExec("insert into SYS_SYSTEM_VALUE_MASTER(svmVALCDE,svmVALTXT,svmVALNBR,svmVALCHK) "
                    "values('BNKNME','First Bank',3,1)");
        // Numbers compare by value, text only to text.
        QCOMPARE(fncGET_SYSTEM_VALUE("BNKNME", kind), expected);
    }

    // clang-format off
    void fiscalYear_data() {
        QTest::addColumn<int>("beginningMonth"); // -1: the division has no record
        QTest::addColumn<int>("date");
        QTest::addColumn<int>("expected");

        QTest::newRow("July, July date")    << 7  << 20240701  << 2024;
        QTest::newRow("July, June 30")      << 7  << 20240630  << 2023;
        QTest::newRow("no record")          << -1 << 20240315  << 2024;
        QTest::newRow("date 0")             << 7  << 0         << 0;
    }
    // clang-format on

    void fiscalYear() {
        QFETCH(int, beginningMonth);
        QFETCH(int, date);
        QFETCH(int, expected);
        if (beginningMonth >= 0)
            sqlExec(QString("insert into SYS_ENTERPRISE_MASTER(ddmDIVCDE,ddmDPTCDE,ddmLGLNME,"
                            "ddmBOYMTH) values('*','','Tolvane',%1)")
                        .arg(beginningMonth));
        QCOMPARE(fncFISCAL_YEAR(date, "*"), expected);
    }

    // A first start writes the company's row from the settings, the name quoted.
    void loadCompany() {
        SharedValues& s = shared();
        std::tie(s.wrkCOMPANY_NAME, s.wrkCOMPANY_ADDRESS1, s.wrkCOMPANY_ADDRESS2, s.wrkCOMPANY_CITY,
                 s.wrkCOMPANY_STATE, s.wrkCOMPANY_ZIP) =
            std::tuple<QString, QString, QString, QString, QString, QString>(
                "Bob's Vending", "1 Main St", "Suite 2", "Miami", "FL", "33101");
        sqlExec("insert into SYS_SYSTEM_VALUE_MASTER(svmVALCDE,svmVALTXT,svmVALNBR,svmVALCHK) "
                "values('DTEFMT','',4,0)");
        StatementTrace::clear();
        prcLOAD_COMPANY("*", ""); // an empty ledger and a missing company row
        QCOMPARE(StatementTrace::statements().filter("Insert"),
                 QStringList("Insert into SYS_ENTERPRISE_MASTER(ddmLGLNME,ddmDBANME,ddmADDRS1,"
                             "ddmADDRS2,ddmCITY,ddmSTATE,ddmZIPCDE)values('Bob''s Vending','Bob''s "
                             "Vending','1 Main St','Suite 2','Miami','FL','33101')"));
        QCOMPARE(QList<int>({s.wrkFSYEAR, s.wrkDTEFMT}), QList<int>({0, 4}));

        // The next start finds the row it wrote and reads the newest company-wide year.
        sqlExec("insert into LDG_GENERAL_LEDGER_MASTER(glmFSYEAR,glmDIVCDE,glmGLANBR) "
                "values(2023,'*',1010),(2024,'*',1010),(2025,'02',1010)");
        prcLOAD_COMPANY("*", "");
        QCOMPARE(sqlCount("SYS_ENTERPRISE_MASTER"), 1);
        QCOMPARE(s.wrkFSYEAR, 2024);
    }

    // The reading statements, with the table hint; the user's own row is read without it.
    void readingStatements() {
        shared().wrkNOLOCK = " with (NOLOCK)";
        const auto sent = [](const std::function<void()>& call) {
            StatementTrace::clear();
            try {
                call(); // SQLite refuses the hint; the trace keeps the statement as sent
            } catch (const DatabaseError&) {
            }
            return StatementTrace::statements().value(0);
        };
        QCOMPARE(QStringList({sent([] { prcLOAD_COMPANY("*", ""); }),
                              sent([] { fncGET_SYSTEM_VALUE("DTEFMT", "N"); }),
                              sent([] { fncFISCAL_YEAR(20240315, "*"); }),
                              sent([] { prcGET_USER_SECURITY("ABR", ""); })}),
                 QStringList({"Select * from SYS_ENTERPRISE_MASTER with (NOLOCK) where "
                              "ddmDIVCDE='*' and ddmDPTCDE=''",
                              "Select * from SYS_SYSTEM_VALUE_MASTER with (NOLOCK) where "
                              "svmVALCDE='DTEFMT'",
                              "Select * from SYS_ENTERPRISE_MASTER with (NOLOCK) where "
                              "ddmDIVCDE='*'",
                              "Select * from SYS_USER_MASTER where usmUSRSGN='CLERK' and "
                              "usmSECLVL in ('S','M','A')"}));
    }
};

QTEST_GUILESS_MAIN(TestCompany)
#include "tst_company.moc"
