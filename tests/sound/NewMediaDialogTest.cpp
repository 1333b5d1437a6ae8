#include "sound/NewMediaDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace velmar::sound;

namespace {
QString labelText(const QDialog& d, int id)
{
    const auto* l = d.findChild<QLabel*>(QString::number(id));
    return l ? l->text() : QStringLiteral("<missing>");
}
} // namespace

TEST(NewMediaDialog, OkMovesToTheNextMediaCancelChangesNothing)
{
    RECORDINGINFO r;
    r.DeviceType = 8;
    r.MediaNumber = 3;
    r.SecondsUsed = 1200;
    r.FileSequence = 12;
    {
        NewMediaDialog d(r);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Change Recording Media"));
        EXPECT_EQ(labelText(d, NewMediaDialog::IdRemoveText), QStringLiteral("Remove the old tape"));
        EXPECT_EQ(labelText(d, NewMediaDialog::IdInsertText), QStringLiteral("Insert the new tape"));
        EXPECT_EQ(labelText(d, NewMediaDialog::IdOldMedia), QStringLiteral("AutoRec_0003"));
        EXPECT_EQ(labelText(d, NewMediaDialog::IdNewMedia), QStringLiteral("AutoRec_0004"));
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    EXPECT_EQ(r.MediaNumber, 3);
    EXPECT_EQ(r.SecondsUsed, 1200);

    NewMediaDialog d(r);
    d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(r.MediaNumber, 4);
    EXPECT_EQ(r.SecondsUsed, 0);
    EXPECT_EQ(r.FileSequence, 0);
}
