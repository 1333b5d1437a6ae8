// A press heard by another program: a listener process on the test's private
// session bus receives "VelmarButtonMessage" twice with the row's Broadcast
// code, lParam 1 and then 2.
#include "forms/ButtonPorts.h"
#include "forms/ControlIds.h"
#include "forms/ui/TButtonForm.h"
#include "store/FixedSchema.h"
#include "tests/forms/FormsTestSupport.h"

#include <QAbstractButton>
#include <QProcess>
#include <QTabBar>

namespace velmar::forms::test {
namespace {

class ButtonBusTest : public FormsTest {
protected:
    void TearDown() override
    {
        DeleteButtonForms();
        FormsTest::TearDown();
    }
};

TEST_F(ButtonBusTest, PressIsHeardByAnotherProgram)
{
    ResetControlIds();
    ResetButtonPressPorts();
    const QString table = QStringLiteral("UDB_Deck");
    ASSERT_TRUE(store::DbCheckUserTable(store::GetDbConnection(), table, store::kUserTableButtonForm));
    ASSERT_TRUE(execSql(QStringLiteral("INSERT INTO \"UDB_Deck\" (\"Order\", \"Type\", \"Name\", \"Code\", "
                                       "\"Broadcast\") VALUES (1, 'BUTTON', 'Blow', 'BLOW', 77)")));

    QProcess listener;
    listener.start(QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR")) + QStringLiteral("/../tests/button_bus_listener"),
                   {QStringLiteral("2")});
    ASSERT_TRUE(listener.waitForStarted(5000));
    ASSERT_TRUE(listener.waitForReadyRead(5000));
    ASSERT_EQ(listener.readLine().trimmed(), QByteArray("ready"));

    QTabBar tabs;
    QWidget host;
    LoadButtonForms(&host, &tabs, 0);
    ASSERT_EQ(ButtonFormList().size(), 1u);
    ButtonFormList().front()->ButtonOf(0)->click();

    ASSERT_TRUE(listener.waitForFinished(10000));
    EXPECT_EQ(listener.exitCode(), 0);
    const QList<QByteArray> lines = listener.readAllStandardOutput().trimmed().split('\n');
    EXPECT_EQ(lines, (QList<QByteArray>{"VelmarButtonMessage 77 1", "VelmarButtonMessage 77 2"}));
}

} // namespace
} // namespace velmar::forms::test
