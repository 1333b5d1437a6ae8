// The main window's services: the binding table covers every service, and
// the real program, started with no operator, has each one bound or left to
// a named default that it logs.
#include "ScriptedVelmar.h"
#include "shell/MainWindowServices.h"
#include "shell/ServiceTable.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmar::shell;

namespace {

// The services struct holds nothing but pointers, one a service.
constexpr size_t kServices = sizeof(MainWindowServices) / sizeof(void*);
static_assert(sizeof(MainWindowServices) % sizeof(void*) == 0);

} // namespace

TEST(ServiceTable, HasOneNamedRowPerServiceAndSeesWhatIsBound)
{
    MainWindowServices services;
    std::vector<ServiceBinding> rows = ServiceBindings(services);
    ASSERT_EQ(rows.size(), kServices);
    QSet<QString> names;
    for (const ServiceBinding& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(row.bound);
        EXPECT_GT(qstrlen(row.group), 0u);
        EXPECT_GT(qstrlen(row.byDefault), 0u);
        names.insert(QLatin1String(row.name));
    }
    EXPECT_EQ(size_t(names.size()), kServices);

    // Two services bound: exactly those rows say so.
    QSet<QString> bound;
    services.decks = &NoDecks();
    services.boards = &NoBoardLibrary();
    for (const ServiceBinding& row : ServiceBindings(services))
        if (row.bound)
            bound.insert(QStringLiteral("%1.%2").arg(QLatin1String(row.group), QLatin1String(row.name)));
    EXPECT_EQ(bound,
              (QSet<QString>{QStringLiteral("boards.BoardLibraryService"), QStringLiteral("decks.DeckService")}));
}

TEST(ServiceTableEndToEnd, RunningVelmarBindsOrNamesEveryService)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString tablePath = home.filePath(QStringLiteral("services.txt"));
    QProcessEnvironment env = test::ScriptedVelmarEnvironment(home.path(), 1500);
    env.insert(QStringLiteral("VELMAR_SERVICE_TABLE"), tablePath);
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmar.shell.services.info=true"));
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.setProcessChannelMode(QProcess::MergedChannels);
    velmar.start(test::VelmarProgramPath(), {});
    ASSERT_TRUE(velmar.waitForFinished(60000)) << velmar.readAll().toStdString();
    const QString output = QString::fromLocal8Bit(velmar.readAll());
    ASSERT_EQ(velmar.exitCode(), 0) << output.toStdString();

    QFile file(tablePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << output.toStdString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(size_t(lines.size()), kServices);
    QSet<QString> bound;
    for (const QString& line : lines) {
        SCOPED_TRACE(line.toStdString());
        const QStringList f = line.split(QLatin1Char('\t'));
        ASSERT_EQ(f.size(), 3);
        const QString service = f[0] + QLatin1Char('.') + f[1];
        if (f[2] == QLatin1String("bound")) {
            bound.insert(service);
            continue;
        }
        // Unbound: a named default, which the program told in its log.
        ASSERT_TRUE(f[2].startsWith(QLatin1String("default: ")));
        const QString does = f[2].mid(9);
        EXPECT_FALSE(does.isEmpty());
        EXPECT_TRUE(output.contains(service + QStringLiteral(" is not bound; its default ") + does));
    }
    // The start-up wiring binds every service of the main window.
    EXPECT_EQ(size_t(bound.size()), kServices);
}
