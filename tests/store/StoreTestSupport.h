#pragma once
// Shared pieces of the data layer's tests: a message recorder installed as
// the data layer's sink, a temporary folder with the blank template, and a
// direct SQLite reader used as an independent view of the files written.
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/SqlText.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace velmar::store::test {

struct RecordedMessage {
    QString text;
    QString caption;
    DbIcon icon;
};

class RecordingSink : public DbMessageSink {
public:
    void showMessage(QObject*, const QString& text, const QString& caption, DbIcon icon) override
    {
        messages.push_back({text, caption, icon});
    }
    void beep() override { ++beeps; }
    QStringList texts() const
    {
        QStringList t;
        for (const auto& m : messages)
            t << m.caption + QStringLiteral(": ") + m.text;
        return t;
    }
    std::vector<RecordedMessage> messages;
    int beeps = 0;
};

inline QString blankTemplate()
{
    return QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR")) + QStringLiteral("/BlankVelmar._sqlite");
}

// Every test starts with no database open, the built template and a recorder.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        CloseDB();
        SetBlankDatabaseTemplate(blankTemplate());
        setDbMessageSink(&sink);
    }
    void TearDown() override
    {
        CloseDB();
        setDbMessageSink(nullptr);
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    RecordingSink sink;
};

// The same with a fresh survey database open.
class OpenDbTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        file = path(QStringLiteral("survey.sqlite"));
        ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
    }
    // Runs a statement on the open database.
    bool exec(const QString& sql)
    {
        SqlStatement st(GetDbConnection());
        return st.execDirect(sql);
    }
    QString file;
};

// Reads a database file directly through SQLite, bypassing the layer under test.
class DirectDb {
public:
    explicit DirectDb(const QString& file, bool create = false)
    {
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~DirectDb() { sqlite3_close(m_db); }
    bool ok() const { return m_db != nullptr; }

    // All rows of a query, each row's cells joined with "|".
    QStringList rows(const QString& sql) const
    {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return {QStringLiteral("ERROR: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const unsigned char* t = sqlite3_column_text(st, i);
                cells << (t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QStringLiteral("NULL"));
            }
            out << cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(st);
        return out;
    }
    bool exec(const QString& sql) const
    {
        return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    // "name type" of every column in order.
    QStringList columns(const QString& table) const
    {
        QString quoted = table;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        QStringList out;
        for (const QString& row : rows(QStringLiteral("PRAGMA table_info(\"%1\")").arg(quoted))) {
            const QStringList cells = row.split(QLatin1Char('|'));
            out << cells.value(1) + QLatin1Char(' ') + cells.value(2);
        }
        return out;
    }

private:
    sqlite3* m_db = nullptr;
};

} // namespace velmar::store::test
