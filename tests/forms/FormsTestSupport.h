#pragma once
// The user-form tests' fixture: a fresh survey database made from the blank
// template, the sample survey's definition tables applied to it, a message
// recorder, and a hot-key service stand-in that refuses keys already taken.
#include "forms/UserFormInfo.h"
#include "platform/RunMode.h"
#include "store/DbConnection.h"
#include "store/SqlText.h"
#include "tests/store/StoreTestSupport.h"

#include <QFile>
#include <QStringList>

#include <ostream>
#include <set>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace velmar::forms::test {

class FakeHotKeys : public HotKeyRegistrar {
public:
    bool registerHotKey(int id, int code) override
    {
        if (taken.count(code))
            return false;
        taken.insert(code);
        ids.insert(id);
        return true;
    }
    void unregisterHotKey(int id) override
    {
        ids.erase(id);
        taken.erase(id);
    }
    std::set<int> taken;
    std::set<int> ids;
};

inline QString sampleSurveyScript()
{
    return QString::fromLocal8Bit(qgetenv("VELMAR_SOURCE_DIR")) + QStringLiteral("/tests/data/forms/sample_survey.sql");
}

// Runs each statement of a script of ";"-terminated statements ("--" lines
// are comments). False at the first statement the database refuses.
inline bool applyScript(const QString& file, QString* failed = nullptr)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QString statement;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        statement += line + QLatin1Char('\n');
        if (!line.trimmed().endsWith(QLatin1Char(';')))
            continue;
        store::SqlStatement s(store::GetDbConnection());
        if (!s.execDirect(statement.trimmed())) {
            if (failed)
                *failed = statement;
            return false;
        }
        statement.clear();
    }
    return true;
}

inline bool execSql(const QString& text)
{
    store::SqlStatement s(store::GetDbConnection());
    return s.execDirect(text);
}

class FormsTest : public store::test::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        platform::RunMode = platform::RunModeOnline;
        setHotKeyRegistrar(&hotKeys);
        dbFile = path(QStringLiteral("survey.sqlite"));
        ASSERT_EQ(store::OpenDB(nullptr, dbFile), store::kOpenDbOk);
        QString failed;
        ASSERT_TRUE(applyScript(sampleSurveyScript(), &failed)) << failed.toStdString();
        sink.messages.clear();
    }
    void TearDown() override
    {
        setHotKeyRegistrar(nullptr);
        platform::RunMode = platform::RunModeOnline;
        StoreTest::TearDown();
    }
    QStringList captions() const
    {
        QStringList c;
        for (const auto& m : sink.messages)
            c << m.caption;
        return c;
    }

    FakeHotKeys hotKeys;
    QString dbFile;
};

} // namespace velmar::forms::test
