// About box, animation and navigation-warning dialogs, and help pages.
#include "PagesTestSupport.h"

#include "shell/ui/AnimateDialog.h"
#include "shell/ui/HtmlHelp.h"
#include "shell/ui/LiableDlg.h"
#include "shell/ui/TOrvidAboutDlg.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QUrl>

namespace velmar::shell::test {
namespace {

using store::TheProgramSettings;
using namespace ui;

TEST(AboutBox, VersionLineFromTheBlock)
{
    TOrvidAboutDlg box(nullptr, TProjectRCVersion({{QStringLiteral("ProductName"), QStringLiteral("Velmar 2010")},
                                                   {QStringLiteral("ProductVersion"), QStringLiteral("4.2")},
                                                   {QStringLiteral("SpecialBuild"), QStringLiteral("sea trial")}}));
    EXPECT_EQ(box.Static(TOrvidAboutDlg::IdVersion)->text(), QStringLiteral("Velmar 2010 Version 4.2"));
    EXPECT_EQ(box.Static(TOrvidAboutDlg::IdCopyright)->text(), QString());
    EXPECT_EQ(box.Static(TOrvidAboutDlg::IdSpecialBuild)->text(), QStringLiteral("sea trial"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Velmar 2010"));

    TOrvidAboutDlg bare(nullptr, TProjectRCVersion(QHash<QString, QString>{}));
    EXPECT_EQ(bare.Static(TOrvidAboutDlg::IdVersion)->text(), QStringLiteral("Version"));

    TProjectRCVersion own;
    QString name;
    EXPECT_TRUE(own.GetProductName(name));
}

struct WarpCase {
    const char* typed;
    bool accepted;
    int stored;
};

class AnimateTest : public PageTest, public ::testing::WithParamInterface<WarpCase> {};

TEST_P(AnimateTest, WarpFactor)
{
    const WarpCase& c = GetParam();
    TheProgramSettings.ReplaySpeedUp = 3600;
    AnimateDialog dialog;
    auto* edit = Ctl<QLineEdit>(&dialog, AnimateDialog::IdWarpFactor);
    EXPECT_EQ(edit->text(), QStringLiteral("3600"));
    EXPECT_EQ(edit->maxLength(), 6);
    edit->setText(QString::fromLatin1(c.typed));
    dialog.open();
    dialog.accept();
    EXPECT_EQ(dialog.isVisible(), !c.accepted) << c.typed;
    EXPECT_EQ(TheProgramSettings.ReplaySpeedUp, c.stored) << c.typed;
    if (!c.accepted) {
        EXPECT_EQ(messages.texts, QStringList{QStringLiteral("Invalid Warp Factor ...")});
        EXPECT_EQ(messages.captions, QStringList{QStringLiteral("Error")});
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AnimateTest,
                         ::testing::Values(WarpCase{"25", true, 25}, WarpCase{"0", false, 3600},
                                           WarpCase{"-4", false, 3600}, WarpCase{"fast", false, 3600},
                                           WarpCase{"999999", true, 999999}));

TEST_F(PageTest, NavigationWarningStoresTheBoxOnAcknowledgeOnly)
{
    {
        LiableDlg dialog;
        auto* box = Ctl<QCheckBox>(&dialog, LiableDlg::IdDontShow);
        EXPECT_FALSE(box->isChecked());
        box->setChecked(true);
        dialog.accept();
    }
    EXPECT_TRUE(TheProgramSettings.NoStartupNotice);
    {
        LiableDlg dialog; // starts cleared again
        EXPECT_FALSE(Ctl<QCheckBox>(&dialog, LiableDlg::IdDontShow)->isChecked());
        dialog.reject();
    }
    EXPECT_TRUE(TheProgramSettings.NoStartupNotice) << "Escape changes nothing";
    {
        LiableDlg dialog;
        dialog.accept();
    }
    EXPECT_FALSE(TheProgramSettings.NoStartupNotice);
}

TEST(HtmlHelp, PagesAndOneMessagePerMissingPage)
{
    MessageRecorder messages;
    QTemporaryDir dir;
    const QString start = dir.filePath(QStringLiteral("Velmar_2010_Help.html"));
    for (const QString& name : {start, dir.filePath(QStringLiteral("30010.html"))}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QList<QUrl> opened;
    setUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    EXPECT_TRUE(ShowHelp(nullptr, start, HelpCommandContents, 0));
    EXPECT_TRUE(ShowHelp(nullptr, start, HelpCommandTopic, 30010));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1].toLocalFile(), QDir(dir.path()).filePath(QStringLiteral("30010.html")));

    EXPECT_FALSE(ShowHelp(nullptr, start, HelpCommandTopic, 31904));
    EXPECT_FALSE(ShowHelp(nullptr, start, HelpCommandTopic, 31904));
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.captions.value(0), QStringLiteral("Error"));
    EXPECT_EQ(opened.size(), 2);
    setUrlOpener({});
    CloseHelp();
}

TEST(HtmlHelp, EveryMenuCommandShipsAPage)
{
    const QString folder = QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR")) + QStringLiteral("/help");
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Velmar_2010_Help.html")));
    for (int id : {30000, 30001, 30002, 30003, 30004, 30005, 30006, 30010, 30012, 30014, 30015,
                   30017, 30018, 30019, 30020, 30021, 30022, 30034, 31900, 31901, 31904, 31905,
                   31907, 31940, 31941, 31942, 31943, 20065, 18000, 18001, 20062, 24310})
        EXPECT_TRUE(QFile::exists(QStringLiteral("%1/%2.html").arg(folder).arg(id))) << id;
}

} // namespace
} // namespace velmar::shell::test
