#pragma once
// The serial port of a button panel's SERIALPORT row: TComPortDialog picks
// one of the serial ports present on this computer and whether what the port
// receives is shown; its "Advanced" button opens TDCBDialog for the line
// settings (baud rate, data bits, parity, stop bits). Both work directly on
// the row and line settings handed to ShowComPortDialog.
//
// Ports are device paths (/dev/ttyUSB0). A row that names a Windows port
// ("COM3") shows that name as stored; "Ok" refuses it with a message naming
// the ports of this computer, as the port could never be opened here.
//
// User-interface thread only.
#include "forms/ButtonDefinition.h"
#include "store/ProgramSettingsDb.h"

#include <QDialog>
#include <QStringList>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;

namespace velmar::forms {

inline constexpr const char* kNoComPortText = "You have not selected a COM port";
inline constexpr const char* kNoComPortCaption = "Error ...";

// One entry of a line-settings list: what it shows and what it stores.
struct LineChoice {
    QString text;
    int32_t value;
};
const std::vector<LineChoice>& BaudRateChoices();
const std::vector<LineChoice>& DataBitsChoices();
const std::vector<LineChoice>& ParityChoices();
const std::vector<LineChoice>& StopBitsChoices();
// The entry storing value, or -1 when none does.
int LineChoiceIndex(const std::vector<LineChoice>& choices, int32_t value);

// The ports the list offers: those present, sorted; a stored name that is
// not among them (a Windows name) is offered too, as stored.
QStringList ComPortChoices(const QStringList& present, const QString& stored);

// The four chosen entries (-1 for none) into the line settings; none while
// any list has no choice. Other members stay as they were.
std::optional<store::SerialLineSettings> CheckLineChoice(const store::SerialLineSettings& line, int baud, int dataBits,
                                                         int parity, int stopBits);

class TDCBDialog : public QDialog {
    Q_OBJECT
public:
    TDCBDialog(store::SerialLineSettings& line, QWidget* parent = nullptr);

    QComboBox* baudRate;
    QComboBox* dataBits;
    QComboBox* parity;
    QComboBox* stopBits;

    void accept() override;

private:
    store::SerialLineSettings& m_line;
};

class TComPortDialog : public QDialog {
    Q_OBJECT
public:
    // present: the serial ports of this computer.
    TComPortDialog(ButtonDefinition& row, store::SerialLineSettings& line, const QStringList& present,
                   QWidget* parent = nullptr);

    QComboBox* comPortName;
    QCheckBox* showRecievedStrings;

    void accept() override;
    // "Advanced": TDCBDialog on the line settings.
    void Advanced();

private:
    ButtonDefinition& m_row;
    store::SerialLineSettings& m_line;
    QStringList m_present;
};

// Opens the port form on the row and its line settings; true when it ended
// with OK (the row then holds the port and the show flag; the line settings
// changed through "Advanced" stay changed either way). The caller writes the
// row back, stores the line settings under the port name and reopens it.
bool ShowComPortDialog(QWidget* parent, ButtonDefinition& row, store::SerialLineSettings& line);

} // namespace velmar::forms
