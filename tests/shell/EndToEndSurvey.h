#pragma once
// A survey for the real program to open: the blank database copied where the
// scripted Velmar looks for it, open on this process's connection so that a
// test can add its definition tables, then closed again by the test.
#include "store/DbConnection.h"
#include "store/SqlText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

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

} // namespace velmar::shell::test
