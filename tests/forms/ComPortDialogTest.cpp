// The serial port forms of a button panel's SERIALPORT row.
#include "forms/ui/ComPortDialog.h"
#include "platform/SerialPortList.h"
#include "tests/support/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

namespace velmar::forms {
namespace {

struct Messages {
    Messages()
    {
        dialogs.messageBox = [this](QWidget*, const QString& text, const QString&, QMessageBox::Icon,
                                    QMessageBox::StandardButtons) {
            texts << text;
            return QMessageBox::Ok;
        };
    }
    test::ScriptedDialogs dialogs;
    QStringList texts;
};

TEST(ComPortChoices, PresentPortsSortedAndAStoredNameAsStored)
{
    const QStringList present{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyS1"),
                              QStringLiteral("/dev/ttyS0")};
    EXPECT_EQ(
        ComPortChoices(present, QStringLiteral("/dev/ttyS1")),
        (QStringList{QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyUSB0")}));
    EXPECT_EQ(ComPortChoices(present, QStringLiteral("COM3")).value(0), QStringLiteral("COM3"));
    EXPECT_EQ(ComPortChoices({}, QString()), QStringList());
    for (const char* name : {"COM1", "com3", "COM256"})
        EXPECT_TRUE(platform::isWindowsPortName(QLatin1String(name))) << name;
    for (const char* name : {"COM0", "COM257", "/dev/ttyS0", "COMX"})
        EXPECT_FALSE(platform::isWindowsPortName(QLatin1String(name))) << name;
}

TEST(LineSettings, ListsSelectTheStoredValues)
{
    store::SerialLineSettings line{4800, 2, 7, 0};
    TDCBDialog dcb(line);
    EXPECT_EQ(dcb.baudRate->currentText(), QStringLiteral("4800"));
    EXPECT_EQ(dcb.dataBits->currentText(), QStringLiteral("7"));
    EXPECT_EQ(dcb.parity->currentText(), QStringLiteral("Even"));
    EXPECT_EQ(dcb.stopBits->currentText(), QStringLiteral("1 stop bit"));

    Messages messages;
    store::SerialLineSettings odd{1000, 0, 8, 0};
    TDCBDialog unlisted(odd);
    EXPECT_EQ(unlisted.baudRate->currentIndex(), -1);
    unlisted.open();
    unlisted.accept();
    EXPECT_TRUE(unlisted.isVisible()) << "no baud rate chosen";
    EXPECT_EQ(messages.texts.size(), 1);
    unlisted.baudRate->setCurrentText(QStringLiteral("115200"));
    unlisted.parity->setCurrentText(QStringLiteral("Mark"));
    unlisted.stopBits->setCurrentText(QStringLiteral("2 stop bits"));
    unlisted.accept();
    EXPECT_EQ(odd, (store::SerialLineSettings{115200, 3, 8, 2}));
}

TEST(ComPortForm, OkWritesThePortAndShowFlagOnly)
{
    Messages messages;
    ButtonDefinition row;
    row.Name = QStringLiteral("/dev/ttyusb1");
    row.OptionFlags = 8 | 4 | 1;
    store::SerialLineSettings line{9600, 0, 8, 0};
    const QStringList present{QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyS0")};
    TComPortDialog form(row, line, present);
    EXPECT_EQ(form.comPortName->currentText(), QStringLiteral("/dev/ttyUSB1")) << "letter case ignored";
    EXPECT_TRUE(form.showRecievedStrings->isChecked());

    // Line settings changed through Advanced stay even when the form is
    // then cancelled.
    test::ScriptedDialogs forms;
    forms.runForm = [](QDialog& d) {
        auto* dcb = qobject_cast<TDCBDialog*>(&d);
        dcb->baudRate->setCurrentText(QStringLiteral("4800"));
        dcb->accept();
        return true;
    };
    form.Advanced();
    EXPECT_EQ(line.BaudRate, 4800);
    form.reject();
    EXPECT_EQ(row.Name, QStringLiteral("/dev/ttyusb1"));

    TComPortDialog again(row, line, present);
    again.comPortName->setCurrentText(QStringLiteral("/dev/ttyS0"));
    again.accept();
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(row.Name, QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(row.OptionFlags, 8) << "other bits cleared";
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(ComPortForm, NoPortOrAWindowsNameIsRefused)
{
    Messages messages;
    ButtonDefinition row;
    row.Name = QStringLiteral("COM3");
    store::SerialLineSettings line;
    TComPortDialog stored(row, line, {QStringLiteral("/dev/ttyS0")});
    EXPECT_EQ(stored.comPortName->currentText(), QStringLiteral("COM3")) << "shown as stored";
    stored.open();
    stored.accept();
    EXPECT_TRUE(stored.isVisible());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("/dev/ttyS0"))) << messages.texts[0].toStdString();

    row.Name.clear();
    TComPortDialog none(row, line, {QStringLiteral("/dev/ttyS0")});
    none.open();
    none.accept();
    EXPECT_TRUE(none.isVisible());
    EXPECT_EQ(messages.texts.value(1), QLatin1String(kNoComPortText));
    EXPECT_EQ(row.Name, QString());
}

} // namespace
} // namespace velmar::forms
