// The rows a statement returns, as the program reads them back; which database errors mean
// "another program had the database" (the clerk presses OK again) and which mean the server
// rolled a whole entry back to break a deadlock (the program makes the entry again by itself).

#include "context.h"
#include "database.h"
#include "test_support.h"

#include <QTest>

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each value comes back with its own type and NULL as a null value, whatever the other
    // rows of its column hold.
    void rowsReadBack() {
        TestEnvironment env;
        env.openDatabase();
        Recordset rs =
            db().execute(QStringLiteral("select null as a, 7 as b, 'x' as c, 1.5 as d union all "
                                        "select 3, null, 4, 2.5 union all "
                                        "select 4000000000, 8, null, null union all "
                                        "select null, 'nine', 'z', 3"));
        QCOMPARE(rs.rowCount(), 4);
        // "type:value", so that a wrong type shows even where the values compare equal.
        QStringList read;
        for (; !rs.eof(); rs.moveNext())
            for (const QVariant& v : {rs.field(0), rs.field(QStringLiteral("B")), rs.field(2),
                                      rs.field(QStringLiteral("d"))})
                read << (v.isValid() ? QString::fromLatin1(v.typeName()) + u':' + v.toString()
                                     : QStringLiteral("null"));
        QCOMPARE(read, (QStringList{"null", "qlonglong:7", "QString:x", "double:1.5", "qlonglong:3",
                                    "null", "qlonglong:4", "double:2.5", "qlonglong:4000000000",
                                    "qlonglong:8", "null", "null", "null", "QString:nine",
                                    "QString:z", "qlonglong:3"}));
        QVERIFY(!rs.field(0).isValid()); // past the end
    }

    // A connection opened to read refuses every change, and still reads a file another
    // program writes to.
    void readOnlyConnectionRefusesChanges() {
        TestEnvironment env;
        env.openDatabase();
        sqlExec("insert into LDG_BANK_RECONCILIATION_HISTORY (brhGLANBR) values (1010)");
        Connection reader;
        reader.setReadOnly(true);
        reader.open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") +
                    env.databaseFile());
        QCOMPARE(reader.execute("select count(*) as n from LDG_BANK_RECONCILIATION_HISTORY")
                     .field(0)
                     .toInt(),
                 1);
        QVERIFY_THROWS_EXCEPTION(
            DatabaseError,
            reader.execute("delete from LDG_BANK_RECONCILIATION_HISTORY where brhGLANBR=1010"));
        QCOMPARE(sqlCount("LDG_BANK_RECONCILIATION_HISTORY"), 1);
        reader.close();
    }

    // Another program had the database (busy), or the server rolled the entry back to break a
    // deadlock: then the entry is made again, three times in all before the clerk is told.
    void kinds_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("deadlock");
        // clang-format off
        QTest::newRow("SQLite busy")           << 5    << ""      << "database is locked" << true  << false;
        QTest::newRow("SQLite busy snapshot")  << 517  << ""      << ""                   << true  << false;
        QTest::newRow("SQLite locked")         << 6    << ""      << ""                   << true  << false;
        QTest::newRow("SQLite constraint")     << 19   << ""      << "UNIQUE constraint failed" << false << false;
        QTest::newRow("lock time-out")         << 1222 << ""      << ""                   << true  << false;
        QTest::newRow("deadlock victim")       << 1205 << "40001" << ""                   << true  << true;
        QTest::newRow("serialization failure") << 0    << "40001" << ""                   << true  << true;
        QTest::newRow("ODBC time-out")         << 0    << "HYT00" << ""                   << true  << false;
        QTest::newRow("no such table")         << 208  << "42S02" << ""                   << false << false;
        QTest::newRow("text alone")            << 0    << ""      << "Database is locked (5)" << true << false;
        // clang-format on
    }
    void kinds() {
        QFETCH(int, number);
        QFETCH(QString, state);
        QFETCH(QString, description);
        QFETCH(bool, busy);
        QFETCH(bool, deadlock);
        const DatabaseError error(number, description, state);
        QCOMPARE(error.isBusy(), busy);
        QCOMPARE(error.isDeadlockVictim(), deadlock);
        for (int failures : {0, 2, 3}) { // before the command would succeed
            int ran = 0, line = 0;
            try {
                line = runAgainAfterDeadlock([&] {
                    if (++ran <= failures)
                        throw error;
                    return 42;
                });
            } catch (const DatabaseError& e) {
                QCOMPARE(e.number(), number);
            }
            QCOMPARE(ran, failures == 0 ? 1 : deadlock ? 3 : 1);
            QCOMPARE(line, failures == 0 || (deadlock && failures < 3) ? 42 : 0);
        }
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
