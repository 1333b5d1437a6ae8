#include "StoreTestSupport.h"

#include "store/FixedSchema.h"
#include "settings/ProgramSettings.h"
#include "store/ui/DatabaseDialog.h"
#include "store/ui/CheckTableDialog.h"
#include "store/ui/NewTableDialog.h"
#include "store/ui/QtDbMessageSink.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

using namespace velmar::store;
using namespace velmar::store::test;

namespace {

class FakeRecentList : public RecentDatabaseList {
public:
    QStringList entries() const override { return list; }
    void saveMenuChoice(const QString& path) override
    {
        list.removeAll(path);
        list.prepend(path);
    }
    QStringList list;
};

int g_closes = 0;

class DatabaseDialogTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        static const bool counting = [] {
            AddDbCloseListener([] { ++g_closes; });
            return true;
        }();
        (void)counting;
        current = path(QStringLiteral("current.sqlite"));
        ASSERT_EQ(OpenDB(nullptr, current), kOpenDbOk);
        TheProgramSettings.DatabasePath.setText(current);
        recent.list = {current};
    }
    // The page as the operator leaves it with `typed` in its combo box.
    bool leaveWith(DatabaseDialog& page, const QString& typed)
    {
        page.comboBox()->setEditText(typed);
        return page.OpenChosenDatabase();
    }

    QString current;
    FakeRecentList recent;
};

} // namespace

TEST_F(DatabaseDialogTest, ChoosingTheOpenDatabaseDoesNothing)
{
    DatabaseDialog page(recent);
    EXPECT_EQ(page.comboBox()->currentText(), current);
    const int closes = g_closes;
    EXPECT_TRUE(page.OpenChosenDatabase());
    EXPECT_EQ(g_closes, closes);
    EXPECT_EQ(GetDbPath(), current);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(DatabaseDialogTest, ANewNameWithoutExtensionIsCreatedAsSqlite)
{
    DatabaseDialog page(recent);
    const QString typed = path(QStringLiteral("season.2026/north sea"));
    QDir().mkpath(path(QStringLiteral("season.2026")));
    EXPECT_TRUE(leaveWith(page, typed));
    const QString made = typed + QStringLiteral(".sqlite");
    EXPECT_EQ(page.comboBox()->currentText(), made);
    EXPECT_TRUE(QFileInfo::exists(made));
    EXPECT_EQ(GetDbPath(), made);
    EXPECT_EQ(TheProgramSettings.DatabasePath.text(), made);
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(DatabaseDialogTest, ABadPathIsReportedAndThePreviousDatabaseOpensAgain)
{
    DatabaseDialog page(recent);
    const QString bad = path(QStringLiteral("no such folder/survey.sqlite"));
    EXPECT_FALSE(leaveWith(page, bad));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Error Opening Database"));
    EXPECT_TRUE(sink.messages[0].text.startsWith(bad + QStringLiteral("\n\n"))) << sink.messages[0].text.toStdString();
    EXPECT_TRUE(sink.messages[0].text.endsWith(current));
    EXPECT_TRUE(IsDbOpen());
    EXPECT_EQ(GetDbPath(), current);
    EXPECT_EQ(TheProgramSettings.DatabasePath.text(), current);
}

TEST_F(DatabaseDialogTest, BrowsedFilesGoToTheTopOfTheListWithTheirExtension)
{
    DatabaseDialog page(recent);
    page.UseBrowsedFile(path(QStringLiteral("other")));
    EXPECT_EQ(page.comboBox()->count(), 2);
    EXPECT_EQ(page.comboBox()->currentText(), path(QStringLiteral("other.sqlite")));
    EXPECT_EQ(recent.list.first(), path(QStringLiteral("other.sqlite")));
}

TEST_F(DatabaseDialogTest, AnExistingSurveyIsOpenedWhateverTheCaseOfItsExtension)
{
    for (const char* name : {"Survey.SQLITE", "Old.DB"}) {
        const QString file = path(QString::fromLatin1(name));
        ASSERT_EQ(OpenDB(nullptr, file), kOpenDbOk);
        {
            DirectDb db(file);
            db.exec(QStringLiteral("CREATE TABLE Kept (x INTEGER)"));
        }
        ASSERT_EQ(OpenDB(nullptr, current), kOpenDbOk);
        DatabaseDialog page(recent);
        EXPECT_TRUE(leaveWith(page, file)) << name;
        EXPECT_EQ(GetDbPath(), file) << name;
        EXPECT_EQ(TheProgramSettings.DatabasePath.text(), file) << name;
        EXPECT_EQ(DirectDb(file).rows(QStringLiteral("SELECT name FROM sqlite_master WHERE name = 'Kept'")),
                  QStringList{QStringLiteral("Kept")})
            << name;
        EXPECT_FALSE(QFileInfo::exists(path(QString::fromLatin1(name)).section(u'.', 0, -2) + ".sqlite")) << name;
    }
}

TEST_F(DatabaseDialogTest, AnExistingFileOfAnotherKindIsNeverSwappedForABlankSurvey)
{
    for (const char* name : {"notes.txt", "survey"}) {
        const QString file = path(QString::fromLatin1(name));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("field notes");
        f.close();
        sink.messages.clear();
        DatabaseDialog page(recent);
        EXPECT_FALSE(leaveWith(page, file)) << name;
        ASSERT_EQ(sink.messages.size(), 1u) << name;
        EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Error Opening Database"));
        EXPECT_TRUE(sink.messages[0].text.startsWith(file)) << sink.messages[0].text.toStdString();
        EXPECT_EQ(GetDbPath(), current);
        EXPECT_EQ(TheProgramSettings.DatabasePath.text(), current);
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("notes.sqlite"))));
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("survey.sqlite"))));
    }
}

TEST_F(DatabaseDialogTest, ARelativeNameIsStoredAsAnAbsolutePath)
{
    const QString before = QDir::currentPath();
    QDir().mkpath(path(QStringLiteral("work")));
    ASSERT_TRUE(QDir::setCurrent(path(QStringLiteral("work"))));
    DatabaseDialog page(recent);
    const bool left = leaveWith(page, QStringLiteral("relative"));
    QDir::setCurrent(before);
    EXPECT_TRUE(left);
    const QString made = path(QStringLiteral("work/relative.sqlite"));
    EXPECT_EQ(TheProgramSettings.DatabasePath.text(), made);
    EXPECT_EQ(GetDbPath(), made);
    EXPECT_EQ(page.comboBox()->currentText(), made);
}

TEST(NewTableDialog, NamesItsKindAndRefusesNamesThatCannotBeTables)
{
    RecordingSink sink;
    setDbMessageSink(&sink);
    const std::pair<int, const char*> kinds[] = {
        {kCmdNewStaticPointsTable, "New Static Points Table"},
        {kCmdNewUserFormTable, "New User Form Definition Table"},
        {kCmdNewStaticLinesTable, "New Static Lines Table"},
        {kCmdNewButtonFormTable, "New Buttons Form Definition Table"},
        {1, "Unknown table type"},
    };
    for (const auto& [command, text] : kinds)
        EXPECT_EQ(NewTableDialog(nullptr, command).kindText(), QString::fromLatin1(text));

    const std::pair<const char*, bool> names[] = {
        {"Sightings 2026", true}, {"   ", true},       {"", true},      {"a.b", false},       {"[x]", false},
        {" lead", false},         {"sqlite_x", false}, {"it's", false}, {"tab\there", false}, {"Walvis_Bay", true},
    };
    for (const auto& [name, valid] : names)
        EXPECT_EQ(NewTableDialog::IsValidTableName(QString::fromLatin1(name)), valid) << name;

    NewTableDialog dialog(nullptr, kCmdNewUserFormTable);
    auto* edit = dialog.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->maxLength(), 19);
    edit->setText(QStringLiteral("a.b"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Create New Table"));
    edit->setText(QStringLiteral("Sightings"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(NewTableDialog::tableName(), QStringLiteral("Sightings"));
    // The name stays for the next opening.
    EXPECT_EQ(NewTableDialog(nullptr, kCmdNewStaticPointsTable).findChild<QLineEdit*>()->text(),
              QStringLiteral("Sightings"));
    setDbMessageSink(nullptr);
}

TEST(QtDbMessageSink, ShowsEachTableWhileTheFixedTablesAreChecked)
{
    // Message boxes are recorded rather than run: they would wait for a click.
    class Sink : public QtDbMessageSink {
    public:
        void showMessage(QObject*, const QString& text, const QString&, DbIcon) override { messages << text; }
        void setTableCheckText(const QString& text) override
        {
            QtDbMessageSink::setTableCheckText(text);
            shown << checkDialog()->text();
            visible = visible && checkDialog()->isVisible()
                   && checkDialog()->windowTitle() == QStringLiteral("Checking Database Tables");
        }
        QStringList messages;
        QStringList shown;
        bool visible = true;
    } sink;
    QTemporaryDir dir;
    CloseDB();
    SetBlankDatabaseTemplate(blankTemplate());
    setDbMessageSink(&sink);
    ASSERT_EQ(OpenDB(nullptr, dir.filePath(QStringLiteral("s.sqlite"))), kOpenDbOk);
    CloseDB();
    setDbMessageSink(nullptr);
    EXPECT_EQ(sink.shown, FixedTablesAtOpen());
    EXPECT_TRUE(sink.visible);
    EXPECT_EQ(sink.checkDialog(), nullptr);
    EXPECT_TRUE(sink.messages.empty());
}
