// Rows appended in bulk (an import, a migration): stored exactly as statements store them,
// in their order, and not at all when the transaction they were written in fails.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/BulkCopy.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"

#include <gtest/gtest.h>

#include <charconv>

using namespace fw;
using namespace testsupport;

namespace {

const QStringList kColumns{"Nr", "Nota", "Cant", "Data", "Activ"};

class BulkCopy : public ::testing::Test {
public:
    void SetUp() override
    {
        conn = Connection::Open(dir.Path(), TOpenMode::CreateMissing);
        conn->CreateTable("Copie",
                          {{"Nr", "INTEGER"}, {"Nota", "TEXT"}, {"Cant", "DOUBLE"}, {"Data", "DATE"}, {"Activ", "BOOLEAN"}},
                          {"Nr"});
    }
    // Each row as stored, read through the engine: numbers in their shortest exact form,
    // a date in ISO form, a boolean as 1 or 0, null as NULL.
    QStringList Stored(const QString& where = QString())
    {
        QStringList rows;
        conn->ForEachRow("SELECT Nr, Nota, Cant, Data, Activ FROM Copie " + where + " ORDER BY " + RowIdColumn(), {},
                         [&](const NativeRow& r) {
                             QStringList values;
                             for (int i = 0; i < kColumns.size(); ++i) {
                                 const QVariant v = r.Value(i);
                                 if (v.isNull()) {
                                     values << "NULL";
                                 } else if (v.typeId() == QMetaType::Double) {
                                     char text[32];
                                     values << QString::fromLatin1(text, std::to_chars(text, text + 32, v.toDouble()).ptr - text);
                                 } else {
                                     values << (v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate) : v.toString());
                                 }
                             }
                             rows << values.join('|');
                         });
        return rows;
    }
    // Rows 1 to `count`, each with a text of about a thousand bytes: several chunks of a copy.
    void AddNumbered(TBulkCopy& copy, int count, int repeated = 0)
    {
        for (int i = 1; i <= count; ++i)
            copy.Add({qint64(i == repeated ? 1 : i), QString(1000, QLatin1Char(char('a' + i % 26))), double(i), "2026-12-11", 1});
    }

    DatabaseDir dir;
    std::shared_ptr<Connection> conn;
};

TEST_F(BulkCopy, ValuesArriveAsStatementsStoreThem)
{
    const QString large = QString(100000, 'x') + QStringLiteral("ș");
    // In the forms a statement binds: texts, numbers, dates as their text, booleans as 1 or 0.
    const std::vector<QVariantList> rows{
        {qint64(1), QStringLiteral("Brânză de vacă ăâîșț ĂÂÎȘȚ"), 2.5, "2024-02-29", 1},
        {qint64(2), QString(""), 0.30000000000000004, QVariant(), 0},
        {qint64(3), "tab\there", QVariant(), "1900-01-01", QVariant()},
        {qint64(4), "two\nlines\r\nand \\ one\\", -123456789.125, "9999-12-31", 1},
        {qint64(5), "\\N", 1e300, QVariant(), 0},
        {qint64(6), "\\.", 1e-300, QVariant(), 0},
        {qint64(7), QVariant(), qint64(42), QVariant(), 1},
        {qint64(2147483647), QStringLiteral("Caș 🧀"), 0.0, "2000-01-01", 0},
        {qint64(-8), large, 1.0, QVariant(), QVariant()},
    };
    {
        TTransaction writing(conn);
        const std::unique_ptr<TBulkCopy> copy = conn->BulkCopy("Copie", kColumns);
        for (QVariantList row : rows)
            copy->Add(std::move(row));
        copy->Flush();
        writing.Commit();
    }
    EXPECT_EQ(Stored("WHERE Nr <> -8"),
              (QStringList{QStringLiteral("1|Brânză de vacă ăâîșț ĂÂÎȘȚ|2.5|2024-02-29|1"),
                           "2||0.30000000000000004|NULL|0",
                           "3|tab\there|NULL|1900-01-01|NULL",
                           "4|two\nlines\r\nand \\ one\\|-123456789.125|9999-12-31|1",
                           "5|\\N|1e+300|NULL|0",
                           "6|\\.|1e-300|NULL|0",
                           "7|NULL|42|NULL|1",
                           QStringLiteral("2147483647|Caș 🧀|0|2000-01-01|0")}));
    EXPECT_EQ(Stored("WHERE Nr = -8"), QStringList{"-8|" + large + "|1|NULL|NULL"});
    // The empty text is a text, not null.
    EXPECT_EQ(conn->ScalarInt("SELECT count(*) FROM Copie WHERE Nota = ''", {}), 1);
}

TEST_F(BulkCopy, RowsOfManyChunksArriveWholeInTheirOrder)
{
    {
        TTransaction writing(conn);
        const std::unique_ptr<TBulkCopy> copy = conn->BulkCopy("Copie", kColumns);
        AddNumbered(*copy, 3001);
        copy->Flush();
        writing.Commit();
    }
    // 1 + 2 + ... + 3001
    EXPECT_EQ(conn->ScalarInt("SELECT sum(Nr) FROM Copie", {}), 4504501);
    EXPECT_EQ(conn->ScalarInt("SELECT sum(length(Nota)) FROM Copie", {}), 3001000);
    const QStringList stored = Stored();
    ASSERT_EQ(stored.size(), 3001);
    EXPECT_EQ(stored.front(), "1|" + QString(1000, 'b') + "|1|2026-12-11|1");
    EXPECT_EQ(stored.back(), "3001|" + QString(1000, 'l') + "|3001|2026-12-11|1");
}

// A row refused after others were written (the second row 1, far into the rows): the key
// is named, and the transaction's rollback leaves nothing.
TEST_F(BulkCopy, ARowRefusedInTheMiddleLeavesNothingWritten)
{
    conn->Begin();
    try {
        const std::unique_ptr<TBulkCopy> copy = conn->BulkCopy("Copie", kColumns);
        AddNumbered(*copy, 3000, 2500);
        copy->Flush();
        ADD_FAILURE() << "the repeated key was taken";
    } catch (const EKeyViolation& e) {
        EXPECT_TRUE(e.Message().startsWith("Exista deja o inregistrare cu aceeasi cheie")) << e.Message().toStdString();
    }
    conn->Rollback();
    EXPECT_EQ(conn->ScalarInt("SELECT count(*) FROM Copie", {}), 0);
    // The connection serves on.
    const std::unique_ptr<TBulkCopy> copy = conn->BulkCopy("Copie", kColumns);
    AddNumbered(*copy, 2);
    copy->Flush();
    EXPECT_EQ(conn->ScalarInt("SELECT count(*) FROM Copie", {}), 2);
}

// Rows added and never flushed (the caller gave up) are not written.
TEST_F(BulkCopy, RowsNotFlushedAreNotWritten)
{
    {
        const std::unique_ptr<TBulkCopy> copy = conn->BulkCopy("Copie", kColumns);
        AddNumbered(*copy, 3);
    }
    EXPECT_EQ(conn->ScalarInt("SELECT count(*) FROM Copie", {}), 0);
}

using BulkCopyOnServer = BulkCopy;

// The server's process ends in the middle of a copy (as when it is stopped): the user is
// told the connection was lost and nothing saved, and nothing was.
TEST_F(BulkCopyOnServer, ALostConnectionInTheMiddleSaysSoAndLeavesNothing)
{
    ASSERT_TRUE(OnServer());
    conn->Exec("CREATE FUNCTION lose() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN IF NEW.nr = 2500 THEN "
               "PERFORM pg_terminate_backend(pg_backend_pid()); END IF; RETURN NEW; END$$");
    conn->Exec("CREATE TRIGGER lose BEFORE INSERT ON copie FOR EACH ROW EXECUTE PROCEDURE lose()");
    QString message;
    try {
        TTransaction writing(conn);
        const std::unique_ptr<TBulkCopy> copy = conn->BulkCopy("Copie", kColumns);
        AddNumbered(*copy, 3000);
        copy->Flush();
        writing.Commit();
    } catch (const EDatabaseError& e) {
        message = e.Message();
    }
    EXPECT_EQ(message, dbmsg::ServerConnectionLost(conn->Describe()));
    // Asked on the connection made again.
    EXPECT_EQ(conn->ScalarInt("SELECT count(*) FROM Copie", {}), 0);
}

} // namespace
