#include "settings/InputDeviceNames.h"
#include "settings/PathText.h"

#include <gtest/gtest.h>

using namespace velmar::pipeserver;

TEST(InputDeviceNames, KindNamesAndPipedKinds)
{
    EXPECT_EQ(InputDeviceKindName(1, 100), QStringLiteral("Sound card"));
    EXPECT_EQ(InputDeviceKindName(8, 100), QStringLiteral("External Mavrel"));
    EXPECT_EQ(InputDeviceKindName(4, 100), QStringLiteral("Unknown Input Device"));
    EXPECT_EQ(InputDeviceKindName(1, 10), std::nullopt);
    EXPECT_EQ(InputDeviceKindName(1, 11), QStringLiteral("Sound card"));
    PipeSettings pelvane;
    pelvane.DeviceType = DeviceAsio;
    EXPECT_EQ(InputDeviceKindName(6, 18, pelvane), QStringLiteral("ASIO Card (Piped)"));
    EXPECT_EQ(InputDeviceKindName(6, 17, pelvane), QStringLiteral("ASIO Card"));
    EXPECT_EQ(InputDeviceKindName(6, 9, pelvane), std::nullopt);
}

TEST(InputDeviceNames, DeviceNamesByKind)
{
    InputDeviceCatalog catalog;
    catalog.soundCardCount = [] { return 2; };
    catalog.soundCardName = [](int n) {
        return n == 0 ? std::optional<QString>(QStringLiteral("HDA Intel PCH")) : std::nullopt;
    };
    catalog.niBoardName = [](int n) { return QStringLiteral("PCI-6024E #%1").arg(n); };
    catalog.asioDriverCount = [] { return 1; };
    catalog.asioDriverName = [](int) { return QString(60, QLatin1Char('a')); };
    PipeSettings pelvane;
    pelvane.DeviceType = DeviceNiDaq;
    struct Row {
        int kind;
        int number;
        std::optional<QString> name;
    };
    const Row rows[] = {
        {1, 0, QStringLiteral("HDA Intel PCH")},
        {1, 1, QStringLiteral("Unknown Sound Card")},
        {1, 2, QStringLiteral("Un Installed")},
        {3, 0, QStringLiteral("Unknown Device")}, // no board library
        {5, 1, QStringLiteral("PCI-6024E #1")},
        {6, 2, QStringLiteral("PCI-6024E #2")}, // Pelvane's kind
        {8, 0, QString()},
        {10, 0, QStringLiteral("National Instruments mx (unistalled)")},
        {11, 0, QString(49, QLatin1Char('a'))},
        {11, 1, QStringLiteral("Unknown ASIO device")},
        {42, 0, QStringLiteral("Unknown Device")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        EXPECT_EQ(InputDeviceName(r.kind, r.number, 256, catalog, pelvane), r.name);
    }
    EXPECT_EQ(InputDeviceName(1, 0, 13, catalog, pelvane), std::nullopt);
}

TEST(PathText, SplitFilePath)
{
    struct Row {
        const char* path;
        bool ok;
        const char* folder;
        const char* name;
        const char* ext;
    };
    const Row rows[] = {
        {"D:\\prog\\tool.exe", true, "D:\\prog", "tool", "exe"},
        {"tool.exe", true, "", "tool", "exe"},
        {"/opt/velmar/Pelvane.ini", true, "/opt/velmar", "Pelvane", "ini"},
        {"D:\\a.b\\tool.exe", false, "", "", ""},
        {"D:\\a.b\\tool", false, "", "", ""},
        {"tool", false, "", "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        QString folder, name, ext;
        EXPECT_EQ(SplitFilePath(QString::fromLatin1(r.path), folder, 260, name, 100, ext, 10), r.ok);
        if (r.ok) {
            EXPECT_EQ(folder, QString::fromLatin1(r.folder));
            EXPECT_EQ(name, QString::fromLatin1(r.name));
            EXPECT_EQ(ext, QString::fromLatin1(r.ext));
        }
    }
    QString folder, name, ext;
    EXPECT_FALSE(SplitFilePath(QStringLiteral("D:\\prog\\tool.exe"), folder, 260, name, 100, ext, 3));
    EXPECT_TRUE(ext.isEmpty());
    EXPECT_FALSE(SplitFilePath(QStringLiteral("D:\\prog\\tool.exe"), folder, 7, name, 100, ext, 4));
    EXPECT_EQ(ext, QStringLiteral("exe")); // taken before the folder failed
    EXPECT_EQ(name, QStringLiteral("tool"));
    QString text = QStringLiteral("line");
    AppendCrLf(text);
    EXPECT_EQ(text, QStringLiteral("line\r\n"));
}
