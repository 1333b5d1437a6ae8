#pragma once
// A survey for the real program to open: the blank database copied where the
// scripted Velmar looks for it, open on this process's connection so that a
// test can add its definition tables, then closed again by the test.
#include "store/DbConnection.h"
#include "store/SqlText.h"

#include "tests/shell/ScriptedVelmar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace velmar::shell::test {

inline bool ExecSql(const QString& sql)
{
    store::SqlStatement s(store::GetDbConnection());
    return s.execDirect(sql);
}

inline void OpenBlankSurvey(const QString& file)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("VELMAR_BIN_DIR") + QStringLiteral("/BlankVelmar._sqlite"), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(store::OpenDB(nullptr, file), store::kOpenDbOk);
}

// Starts the scripted Velmar on the settings folder `home`, with the extra
// variables given, starting no other program; it closes itself after two
// minutes should the test not end it first.
inline void StartScriptedVelmar(QProcess& velmar, const QString& home,
                                const std::vector<std::pair<QString, QString>>& variables)
{
    QProcessEnvironment env = ScriptedVelmarEnvironment(home, 120000);
    env.insert(QStringLiteral("VELMAR_PROGRAM_START"), QStringLiteral("off"));
    for (const auto& [name, value] : variables)
        env.insert(name, value);
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(VelmarProgramPath(), {});
    ASSERT_TRUE(velmar.waitForStarted(60000));
}

} // namespace velmar::shell::test
