// The real Velmar, offscreen, with every kind of its file dialogs open on the
// folder of the open survey: Velmar still holds its locks on the survey and
// its shared-memory file after each dialog has listed the folder, an outside
// sqlite3 read leaves the live write-ahead log alone, and every sighting
// Velmar acknowledges after that is in the survey after a kill.
//
// Also: no file dialog is made anywhere but in the one place that makes them
// safe, so the dialogs shown here are the ones every menu opens.
#include "forms/UserFormDdeInput.h"
#include "platform/Dde.h"
#include "store/FixedSchema.h"
#include "tests/shell/EndToEndSurvey.h"
#include "tests/shell/ScriptedVelmar.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using velmar::shell::test::ExecSql;
using velmar::shell::test::OpenBlankSurvey;
using velmar::shell::test::StartScriptedVelmar;

constexpr int kBoundMs = 60000;
constexpr int kSightings = 20;

// The kinds of dialog the program shows on the folder, as it logs them.
const char* const kDialogKinds[] = {
    "open file", "existing file", "save file", "folder", "print dialog's output file", "print dialog's typed path",
};

quint64 InodeOf(const QString& file)
{
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

// Whether /proc/locks holds a POSIX lock of process pid on file.
bool HoldsLock(qint64 pid, const QString& file)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const quint64 inode = InodeOf(file);
    // "1: POSIX  ADVISORY  READ 24790 fe:00:10952974 1073741826 1073742335"
    const QStringList lines = QString::fromLatin1(locks.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (f.size() >= 6 && f[1] == QLatin1String("POSIX") && f[4].toLongLong() == pid
            && f[5].section(QLatin1Char(':'), 2).toULongLong() == inode)
            return true;
    }
    return false;
}

// What the sqlite3 program answers to sql on file; its exit code in *code.
QString Sqlite3(const QString& file, const QString& sql, int* code)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    if (!p.waitForFinished(kBoundMs))
        p.kill();
    *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

// The survey: the blank database with a tab form "Sightings" whose one value
// control takes bus input.
void MakeSurvey(const QString& file)
{
    OpenBlankSurvey(file);
    if (testing::Test::HasFatalFailure())
        return;
    ASSERT_TRUE(velmar::store::DbCheckUserTable(velmar::store::GetDbConnection(), QStringLiteral("UDF_Sightings"),
                                                velmar::store::kUserTableUserForm));
    ASSERT_TRUE(ExecSql(QStringLiteral("INSERT INTO \"UDF_Sightings\" (\"Order\", \"Type\", \"Title\") "
                                       "VALUES (1, 'INTEGER', 'Count'), (2, 'DDEENABLE', '')")));
    velmar::store::CloseDB();
}

TEST(SurveyLocksEndToEnd, FileDialogsOnTheSurveysFolderLeaveItsLocksAndSightingsDurable)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString folder = QDir(home.path()).filePath(QStringLiteral("data"));
    const QString survey = QDir(folder).filePath(QStringLiteral("Survey.sqlite"));
    const QString shm = survey + QStringLiteral("-shm");
    const QString wal = survey + QStringLiteral("-wal");
    MakeSurvey(survey);
    if (testing::Test::HasFatalFailure())
        return;

    QProcess velmar;
    StartScriptedVelmar(velmar, home.path(), {{QStringLiteral("VELMAR_FILE_DIALOGS"), folder}});
    if (testing::Test::HasFatalFailure())
        return;
    const qint64 pid = velmar.processId();
    QByteArray output;
    for (const char* kind : kDialogKinds) {
        const QByteArray line = "file dialog listed " + folder.toUtf8() + " : " + kind;
        ASSERT_TRUE(velmar::shell::test::ReadOutputUntil(velmar, line, output, kBoundMs)) << output.toStdString();
        EXPECT_TRUE(HoldsLock(pid, survey)) << "after the " << kind << " dialog";
        EXPECT_TRUE(HoldsLock(pid, shm)) << "after the " << kind << " dialog";
    }
    ASSERT_TRUE(velmar::shell::test::ReadOutputUntil(velmar, "file dialogs open", output, kBoundMs))
        << output.toStdString();

    // An outside read, as the README invites, while the dialogs stay open:
    // it must find the survey in use and leave the live log where it is.
    int code = 0;
    EXPECT_EQ(Sqlite3(survey, QStringLiteral("SELECT count(*) FROM \"UDF_Sightings\""), &code), QStringLiteral("2"));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(QFileInfo::exists(wal));
    EXPECT_TRUE(QFileInfo::exists(shm));

    velmar::platform::DdeClient dde{QLatin1String(velmar::forms::kUserFormDdeService)};
    ASSERT_TRUE(QTest::qWaitFor([&] { return dde.serverPresent(); }, kBoundMs));
    QStringList acknowledged;
    for (int i = 1; i <= kSightings; ++i)
        if (dde.poke(QLatin1String(velmar::forms::kUserFormDdeTopic), QStringLiteral("Sightings"),
                     QByteArray::number(i), kBoundMs))
            acknowledged << QString::number(i);
    EXPECT_EQ(acknowledged.size(), kSightings) << output.toStdString();

    velmar.kill();
    ASSERT_TRUE(velmar.waitForFinished(kBoundMs));

    const QString stored = Sqlite3(survey, QStringLiteral("SELECT \"Count\" FROM \"Sightings\" ORDER BY \"Count\""),
                                   &code);
    EXPECT_EQ(code, 0) << stored.toStdString();
    EXPECT_EQ(stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts), acknowledged);
}

// A file dialog, a file-system model or a print dialog made anywhere else
// would list folders with Qt's own icons, which open every file listed.
TEST(SurveyLocksEndToEnd, FileDialogsAreMadeOnlyWhereTheyListByName)
{
    const QDir source(qEnvironmentVariable("VELMAR_SOURCE_DIR"));
    ASSERT_TRUE(source.exists(QStringLiteral("platform/FileDialogs.cpp")));
    const QRegularExpression made(
        QStringLiteral(R"(QFileDialog::get\w+\(|QFileDialog\s+\w+\s*[({]|new\s+QFileDialog\b|make_unique<QFileDialog>|)"
                       R"(QPrintDialog\s+\w+\s*[({]|new\s+QPrintDialog\b|make_unique<QPrintDialog>|)"
                       R"(new\s+QFileSystemModel\b|QFileSystemModel\s+\w+\s*[({])"));
    QStringList found;
    for (const QString& top : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (top == QLatin1String("tests") || top == QLatin1String("build") || top.startsWith(QLatin1Char('.')))
            continue;
        QDirIterator files(source.filePath(top), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            const QString name = source.relativeFilePath(path);
            if (name == QLatin1String("platform/FileDialogs.cpp"))
                continue;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly) && made.match(QString::fromUtf8(file.readAll())).hasMatch())
                found << name;
        }
    }
    EXPECT_TRUE(found.isEmpty()) << found.join(QStringLiteral(", ")).toStdString();
}

} // namespace
