// The main window's services: the binding table covers every entry, and the
// real program, started with no operator, has each one bound or left to a
// named default that it logs.
#include "ScriptedVelmar.h"
#include "shell/MainCommands.h"
#include "shell/MainWindowPorts.h"
#include "shell/ServiceTable.h"
#include "shell/ShellHooks.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace velmar::shell;

namespace {

// The three structs hold nothing but entries, and every std::function has
// one size: so their sizes count their entries.
constexpr size_t kEntrySize = sizeof(std::function<void()>);
constexpr size_t kEntries =
    (sizeof(MainWindowHooks) + sizeof(MainCommandHooks) + sizeof(ShellHooks)) / kEntrySize;

} // namespace

TEST(ServiceTable, HasOneNamedRowPerEntryAndSeesWhatIsBound)
{
    static_assert(sizeof(MainWindowHooks) % kEntrySize == 0 && sizeof(MainCommandHooks) % kEntrySize == 0
                  && sizeof(ShellHooks) % kEntrySize == 0);
    MainWindowHooks window;
    MainCommandHooks commands;
    ShellHooks shell;
    std::vector<ServiceBinding> rows = ServiceBindings(window, commands, shell);
    ASSERT_EQ(rows.size(), kEntries);
    QSet<QString> names;
    for (const ServiceBinding& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(row.bound);
        EXPECT_GT(qstrlen(row.group), 0u);
        EXPECT_GT(qstrlen(row.byDefault), 0u);
        names.insert(QLatin1String(row.name));
    }
    EXPECT_EQ(size_t(names.size()), kEntries);

    // One entry of each struct bound: exactly those rows say so.
    window.makeMap = [](QWidget*) -> QWidget* { return nullptr; };
    commands.runPopup = [](QMenu&, const QPoint&) -> QAction* { return nullptr; };
    shell.showHelp = [](QWidget*, const QString&, int, quint64) { return true; };
    QSet<QString> bound;
    for (const ServiceBinding& row : ServiceBindings(window, commands, shell))
        if (row.bound)
            bound.insert(QStringLiteral("%1.%2").arg(QLatin1String(row.group), QLatin1String(row.name)));
    EXPECT_EQ(bound, (QSet<QString>{QStringLiteral("map.makeMap"), QStringLiteral("dialogs.runPopup"),
                                    QStringLiteral("help.showHelp")}));
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
    ASSERT_EQ(size_t(lines.size()), kEntries);
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
    // What the start-up wiring binds today stays bound.
    for (const char* service :
         {"store.openDB", "store.isDbOpen", "store.closeDB", "store.databaseSheet", "store.addRecentFile",
          "navigation.programmeSetup", "navigation.pollGps", "detector links.initDde", "user forms.loadUserForms",
          "user forms.installHotKeys", "user forms.userFormsOnHotKey", "button panels.loadButtonForms",
          "button panels.buttonFormsOnHotKey", "help.showHelp", "help.showAboutBox", "shown data.clearShownData"})
        EXPECT_TRUE(bound.contains(QLatin1String(service))) << service;
}
