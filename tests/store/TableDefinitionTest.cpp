#include "StoreTestSupport.h"

#include "store/SqlText.h"
#include "store/TableDefinition.h"

using namespace velmar::store;
using namespace velmar::store::test;

namespace {
TableDefinition sample()
{
    TableDefinition d(QStringLiteral("Harmonic Events"));
    d.AddItem(QStringLiteral("Index"), QStringLiteral("COUNTER"), true);
    d.AddItem(QStringLiteral("Max Frequency"), QStringLiteral("LONG"));
    d.AddItem(QStringLiteral("Say \"hi\""), QStringLiteral("CHAR(20)"));
    return d;
}
} // namespace

TEST(TableDefinition, StatementTextsAreExact)
{
    const TableDefinition d = sample();
    const TableDefinition empty(QStringLiteral("Empty"));
    struct Row {
        const char* legend;
        QString actual;
        const char* expected;
    };
    auto select = [](const TableDefinition& t, const QString& suffix) {
        QString s;
        EXPECT_TRUE(t.BuildSelectText(s, suffix));
        return s;
    };
    const Row rows[] = {
        {"select", select(d, QString()), R"(SELECT "Index" , "Max Frequency" , "Say ""hi"""  FROM "Harmonic Events")"},
        {"select with suffix trimmed", select(d, QStringLiteral("  WHERE \"Index\" > 3 ")),
         R"(SELECT "Index" , "Max Frequency" , "Say ""hi"""  FROM "Harmonic Events" WHERE "Index" > 3)"},
        {"select without columns", select(empty, QString()), R"(SELECT  FROM "Empty")"},
        {"create", BuildCreateTableText(d),
         R"(CREATE TABLE "Harmonic Events" ( "Index" INTEGER CONSTRAINT MyFieldConstraint PRIMARY KEY, )"
         R"("Max Frequency" INTEGER, "Say ""hi""" VARCHAR(20) ))"},
        {"create under another name", BuildCreateTableText(d, QStringLiteral("UDF_My \"Form\"")),
         R"(CREATE TABLE "UDF_My ""Form""" ( "Index" INTEGER CONSTRAINT MyFieldConstraint PRIMARY KEY, )"
         R"("Max Frequency" INTEGER, "Say ""hi""" VARCHAR(20) ))"},
        {"create without columns", BuildCreateTableText(empty), R"(CREATE TABLE "Empty" (  ))"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.actual, QString::fromUtf8(r.expected)) << r.legend;
}

TEST(TableDefinition, BuildSelectNeedsRoomForTheNull)
{
    const TableDefinition d = sample();
    QString text;
    d.BuildSelectText(text);
    const std::size_t length = std::size_t(text.toUtf8().size());
    std::vector<char> buffer(length + 1, '#');
    EXPECT_FALSE(d.BuildSelect(buffer.data(), length));
    EXPECT_EQ(buffer[0], '#');
    EXPECT_TRUE(d.BuildSelect(buffer.data(), length + 1));
    EXPECT_EQ(QString::fromUtf8(buffer.data()), text);
}

TEST(TableDefinition, ColumnsOutOfRangeAndASecondPrimaryKey)
{
    RecordingSink sink;
    setDbMessageSink(&sink);
    TableDefinition d = sample();
    EXPECT_TRUE(d.GetColumnName(3).isNull());
    EXPECT_TRUE(d.GetColumnType(-1).isNull());
    EXPECT_FALSE(d.IsPrimaryKey(3));
    EXPECT_TRUE(sink.messages.empty());
    d.AddItem(QStringLiteral("Second"), QStringLiteral("LONG"), true);
    d.AddItem(QStringLiteral("Third"), QStringLiteral("LONG"), true);
    EXPECT_EQ(sink.texts(), QStringList{"TableDefinition::AddItem() Warning !: Only one primary key allowed in table "
                                        "Harmonic Events"});
    EXPECT_EQ(d.GetCount(), 5);
    EXPECT_TRUE(d.IsPrimaryKey(4));
    setDbMessageSink(nullptr);
}

TEST(SqlText, TypeTranslationAndTypeTexts)
{
    const std::pair<const char*, const char*> translations[] = {
        {"COUNTER", "INTEGER"},      {"LONG", "INTEGER"},        {"SHORT", "SMALLINT"},
        {"SINGLE", "REAL"},          {"DOUBLE", "DOUBLE"},       {"BIT", "BIT"},
        {"CHAR(20)", "VARCHAR(20)"}, {"text(5)", "VARCHAR(5)"},  {"CHAR", "VARCHAR(255)"},
        {"DATETIME", "TIMESTAMP"},   {"TIMESTAMP", "TIMESTAMP"}, {"MEMO", "TEXT"},
        {"LONGCHAR", "TEXT"},        {"TIME", "TIME"},
    };
    for (const auto& [access, sqlite] : translations)
        EXPECT_EQ(SqliteColumnType(QString::fromLatin1(access)), QString::fromLatin1(sqlite)) << access;

    EXPECT_EQ(SqlTypeDefinitionText(SQL_VARCHAR, 50), QStringLiteral("CHAR(50)"));
    EXPECT_EQ(SqlTypeDefinitionText(SQL_CHAR, 50), QStringLiteral("CHAR(50)"));
    EXPECT_EQ(SqlTypeDefinitionText(SQL_INTEGER, 9), QStringLiteral("LONG"));
    EXPECT_EQ(SqlTypeDefinitionText(SQL_TIMESTAMP, 0), QStringLiteral("TIMESTAMP"));
    EXPECT_EQ(SqlTypeDefinitionText(SQL_LONGVARCHAR, 0), QStringLiteral("Unknown SQL Type"));
    EXPECT_EQ(SqlTypeText(SQL_VARCHAR, 50), QStringLiteral("Text(50)"));
    EXPECT_EQ(SqlTypeText(SQL_SMALLINT, 5), QStringLiteral("Integer"));
    EXPECT_EQ(SqlTypeText(SQL_INTEGER, 9), QStringLiteral("LONG Integer"));
}

TEST(SqlText, CutsOnCharacterBoundariesAndWritesLocaleFreeReals)
{
    EXPECT_EQ(CutToWidth(QStringLiteral("abcdef"), 3), QStringLiteral("abc"));
    EXPECT_EQ(CutToWidth(QStringLiteral("ab"), 3), QStringLiteral("ab"));
    EXPECT_EQ(CutToWidth(QStringLiteral("ab"), -1), QString());
    // A whale emoji is two UTF-16 units but one character.
    const QString whale = QString::fromUtf8("a\xF0\x9F\x90\x8B"
                                            "b");
    EXPECT_EQ(CutToWidth(whale, 2), QString::fromUtf8("a\xF0\x9F\x90\x8B"));
    EXPECT_EQ(CutToWidth(whale, 1), QStringLiteral("a"));
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(FormatReal(-3.25), QStringLiteral("-3.25"));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(QuoteIdentifier(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
}
