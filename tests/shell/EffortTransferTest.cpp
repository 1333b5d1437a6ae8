// The transfer of effort data against a survey of its own: values in force
// at each key, ties, text and numeric keys, the column made on the way, and
// a failure half-way that leaves the column as it was.
#include "shell/ui/EffortTransfer.h"
#include "shell/ui/TransferEffortData.h"
#include "store/DbConnection.h"
#include "store/SqlText.h"
#include "tests/support/ScriptedDialogs.h"

#include <QComboBox>
#include <QPushButton>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace velmar::shell::test {
namespace {

using namespace ui;

// ---------------------------------------------------------- the assignment

struct AssignCase {
    const char* legend;
    std::vector<std::pair<const char*, const char*>> sources; // key, value (null: NULL)
    std::vector<const char*> dest;
    int keyType;
    std::vector<const char*> expected; // null: NULL
};

class AssignTest : public ::testing::TestWithParam<AssignCase> {};

TEST_P(AssignTest, ValueInForceAtEachKey)
{
    const AssignCase& c = GetParam();
    std::vector<TransferSourceRow> sources;
    for (const auto& [key, value] : c.sources)
        sources.push_back({QString::fromLatin1(key), value ? QVariant(QString::fromLatin1(value)) : QVariant()});
    std::vector<QString> keys;
    for (const char* k : c.dest)
        keys.push_back(QString::fromLatin1(k));
    const std::vector<QVariant> got = AssignSourceValues(sources, keys, c.keyType);
    ASSERT_EQ(got.size(), c.expected.size()) << c.legend;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (!c.expected[i])
            EXPECT_TRUE(got[i].isNull()) << c.legend << " row " << i;
        else
            EXPECT_EQ(got[i].toString(), QString::fromLatin1(c.expected[i])) << c.legend << " row " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AssignTest,
                         ::testing::Values(AssignCase{"in force",
                                                      {{"10", "V1"}, {"20", "V2"}, {"30", "V3"}},
                                                      {"5", "10", "15", "25", "35"},
                                                      SQL_INTEGER,
                                                      {nullptr, "V1", "V1", "V2", "V3"}},
                                           AssignCase{"tie: the later row wins",
                                                      {{"10", "A"}, {"20", "B"}, {"20", "C"}},
                                                      {"15", "20", "25"},
                                                      SQL_INTEGER,
                                                      {"A", "C", "C"}},
                                           AssignCase{"numeric: 9 below 10",
                                                      {{"9", "nine"}, {"10", "ten"}},
                                                      {"5", "9", "10"},
                                                      SQL_DOUBLE,
                                                      {nullptr, "nine", "ten"}},
                                           AssignCase{"text: \"10\" below \"9\"",
                                                      {{"10", "ten"}, {"9", "nine"}},
                                                      {"10", "5", "9"},
                                                      SQL_VARCHAR,
                                                      {"ten", "ten", "nine"}},
                                           AssignCase{"a NULL value is in force too",
                                                      {{"1", "a"}, {"2", nullptr}},
                                                      {"1", "3"},
                                                      SQL_INTEGER,
                                                      {"a", nullptr}},
                                           AssignCase{"no sources", {}, {"1"}, SQL_INTEGER, {nullptr}}));

// ------------------------------------------------------ against a survey

class TransferDbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store::SetBlankDatabaseTemplate(qEnvironmentVariable("VELMAR_BIN_DIR")
                                        + QStringLiteral("/BlankVelmar._sqlite"));
        ASSERT_EQ(store::OpenDB(nullptr, dir.filePath(QStringLiteral("survey.sqlite"))), store::kOpenDbOk);
        Exec("CREATE TABLE \"Effort\" (\"Index\" INTEGER PRIMARY KEY, \"T\" INTEGER, \"Status\" VARCHAR(300), "
             "\"Sea\" INTEGER)");
        Exec("INSERT INTO \"Effort\" (\"Index\", \"T\", \"Status\", \"Sea\") VALUES "
             "(1, 10, 'V1', 1), (2, 20, 'V2', 2), (3, 30, 'V3', 3)");
        Exec("CREATE TABLE \"Fixes\" (\"Index\" INTEGER PRIMARY KEY, \"T\" INTEGER, "
             "\"Status\" VARCHAR(300) CHECK (\"Status\" IS NULL OR \"Status\" <> 'V3'), \"Other\" TEXT)");
        Exec("INSERT INTO \"Fixes\" (\"T\", \"Status\", \"Other\") VALUES "
             "(5, 'old', 'x'), (10, 'old', 'x'), (15, 'old', 'x'), (25, 'old', 'x'), (35, 'old', 'x')");
        messages.clear();
        dialogs.messageBox = [this](QWidget*, const QString& text, const QString&, QMessageBox::Icon,
                                    QMessageBox::StandardButtons buttons) {
            messages << text;
            return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        };
    }
    void TearDown() override { store::CloseDB(); }
    void Exec(const char* sql)
    {
        store::SqlStatement s(store::GetDbConnection());
        ASSERT_TRUE(s.execDirect(QString::fromLatin1(sql))) << sql;
    }
    // Every row of a column in "Index" order as SQLite holds it: type, text.
    QStringList Column(const char* table, const char* column)
    {
        store::CloseDB();
        QStringList rows;
        sqlite3* db = nullptr;
        sqlite3_open(dir.filePath(QStringLiteral("survey.sqlite")).toUtf8().constData(), &db);
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("SELECT typeof(\"%1\"), \"%1\" FROM \"%2\" ORDER BY \"Index\"")
                                   .arg(QLatin1String(column), QLatin1String(table))
                                   .toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            const char* type = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
            rows << QStringLiteral("%1:%2").arg(QLatin1String(type), text ? QString::fromUtf8(text) : QString());
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        EXPECT_EQ(store::OpenDB(nullptr, dir.filePath(QStringLiteral("survey.sqlite"))), store::kOpenDbOk);
        return rows;
    }
    EffortTransferRequest Request(const char* sourceColumn, const char* destColumn)
    {
        return {QStringLiteral("Effort"),  QLatin1String(sourceColumn), QStringLiteral("T"),    QStringLiteral("Fixes"),
                QLatin1String(destColumn), QStringLiteral("T"),         QStringLiteral("Fixes")};
    }

    QTemporaryDir dir;
    velmar::test::ScriptedDialogs dialogs;
    QStringList messages;
};

TEST_F(TransferDbTest, FillsTheColumnOnlyAndKeepsTypesAndLongTexts)
{
    Exec("UPDATE \"Effort\" SET \"Status\" = 'V1' || printf('%.290c', 'x') WHERE \"Index\" = 1");
    Exec("UPDATE \"Effort\" SET \"Status\" = 'V2' WHERE \"Index\" = 2");
    Exec("UPDATE \"Effort\" SET \"Status\" = 'V4' WHERE \"Index\" = 3");
    const TransferOutcome out = TransferColumn(store::GetDbConnection(), Request("Status", "Status"), std::nullopt);
    ASSERT_TRUE(out.ok) << out.message.toStdString();
    EXPECT_EQ(out.rows, 5);
    const QString v1 = QStringLiteral("text:V1") + QString(290, QLatin1Char('x'));
    EXPECT_EQ(Column("Fixes", "Status"),
              (QStringList{QStringLiteral("null:"), v1, v1, QStringLiteral("text:V2"), QStringLiteral("text:V4")}));
    EXPECT_EQ(Column("Fixes", "Other"), QStringList(5, QStringLiteral("text:x")));
    EXPECT_EQ(Column("Fixes", "T"),
              (QStringList{QStringLiteral("integer:5"), QStringLiteral("integer:10"), QStringLiteral("integer:15"),
                           QStringLiteral("integer:25"), QStringLiteral("integer:35")}));
}

// Keys as the tables hold them: a text join column orders "10" before "9",
// and of two source rows with one key the later "Index" wins.
TEST_F(TransferDbTest, TextKeysAndTiesAsStored)
{
    Exec("CREATE TABLE \"Watch\" (\"Index\" INTEGER PRIMARY KEY, \"K\" VARCHAR(10), \"V\" VARCHAR(10))");
    Exec("INSERT INTO \"Watch\" (\"Index\", \"K\", \"V\") VALUES (1, '9', 'nine'), (2, '10', 'ten'), "
         "(4, '10', 'ten later'), (3, '10', 'ten first')");
    Exec("CREATE TABLE \"Log\" (\"Index\" INTEGER PRIMARY KEY, \"K\" VARCHAR(10), \"V\" VARCHAR(10))");
    Exec("INSERT INTO \"Log\" (\"Index\", \"K\") VALUES (1, '10'), (2, '5'), (3, '9'), (4, '095')");
    const EffortTransferRequest r{QStringLiteral("Watch"), QStringLiteral("V"), QStringLiteral("K"),
                                  QStringLiteral("Log"),   QStringLiteral("V"), QStringLiteral("K"),
                                  QStringLiteral("Log")};
    const TransferOutcome out = TransferColumn(store::GetDbConnection(), r, std::nullopt);
    ASSERT_TRUE(out.ok) << out.message.toStdString();
    EXPECT_EQ(Column("Log", "V"), (QStringList{QStringLiteral("text:ten later"), QStringLiteral("text:ten later"),
                                               QStringLiteral("text:nine"), QStringLiteral("null:")}));
}

TEST_F(TransferDbTest, AFailureHalfWayLeavesTheColumnAsItWas)
{
    // The last source value breaks the destination's check at the last row.
    const TransferOutcome out = TransferColumn(store::GetDbConnection(), Request("Status", "Status"), std::nullopt);
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(out.message.startsWith(QStringLiteral("Can't update effort info in table")))
        << out.message.toStdString();
    EXPECT_EQ(Column("Fixes", "Status"), QStringList(5, QStringLiteral("text:old")));
}

TEST_F(TransferDbTest, TheDialogMakesAMissingColumnWithTheSourceType)
{
    TTransferEffortData form(
        {[] {
             return QStringList{QStringLiteral("GpsData"), QStringLiteral("Effort"), QStringLiteral("Fixes")};
         },
         [](const QString& e) { return e; }});
    form.sourceTable->setCurrentText(QStringLiteral("Effort"));
    EXPECT_EQ(form.sourceColumn->count(), 4);
    form.sourceColumn->setCurrentText(QStringLiteral("Sea"));
    form.sourceJoin->setCurrentText(QStringLiteral("T"));
    form.destTable->setCurrentText(QStringLiteral("Fixes"));
    form.destJoin->setCurrentText(QStringLiteral("T"));
    EXPECT_FALSE(form.start->isEnabled());
    form.destColumn->setCurrentText(QStringLiteral("SeaState"));
    EXPECT_TRUE(form.start->isEnabled());
    ASSERT_TRUE(form.Start()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(
        QStringLiteral("Column SeaState does not exit in table Fixes. Do you want to create it ?")))
        << messages[0].toStdString();
    EXPECT_EQ(Column("Fixes", "SeaState"),
              (QStringList{QStringLiteral("null:"), QStringLiteral("integer:1"), QStringLiteral("integer:1"),
                           QStringLiteral("integer:2"), QStringLiteral("integer:3")}));
}

TEST_F(TransferDbTest, NoToTheQuestionChangesNothing)
{
    dialogs.messageBox = [this](QWidget*, const QString& text, const QString&, QMessageBox::Icon,
                                QMessageBox::StandardButtons) {
        messages << text;
        return QMessageBox::No;
    };
    TTransferEffortData form({[] { return QStringList{QStringLiteral("Effort"), QStringLiteral("Fixes")}; }, {}});
    form.sourceTable->setCurrentText(QStringLiteral("Effort"));
    form.sourceColumn->setCurrentText(QStringLiteral("Sea"));
    form.sourceJoin->setCurrentText(QStringLiteral("T"));
    form.destTable->setCurrentText(QStringLiteral("Fixes"));
    form.destJoin->setCurrentText(QStringLiteral("T"));
    form.destColumn->setCurrentText(QStringLiteral("Other"));
    EXPECT_FALSE(form.Start());
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("Do you want to write over all the data in column Other in table Fixes")});
    EXPECT_EQ(Column("Fixes", "Other"), QStringList(5, QStringLiteral("text:x")));
}

} // namespace
} // namespace velmar::shell::test
