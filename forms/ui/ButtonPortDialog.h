#pragma once
// The port settings of a panel's SERIALPORT row: which serial device the row
// opens, whether the panel shows what it receives, and the four line values
// (baud rate, data bits, parity, stop bits). The program may install a fuller
// port dialog in its place (buttonPortEditor, TButtonForm.h); this one is the
// panel's own.
//
// User-interface thread only.
#include "store/ProgramSettingsDb.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;

namespace velmar::forms {

struct ButtonDefinition;

inline constexpr const char* kNoPortSelectedText = "You have not selected a COM port";

class ButtonPortDialog : public QDialog {
    Q_OBJECT
public:
    // ports: the serial devices to offer (besides the row's own name).
    ButtonPortDialog(QWidget* parent, ButtonDefinition& row, store::SerialLineSettings& line,
                     const QStringList& ports);

    QComboBox* PortList() const { return m_port; }
    QCheckBox* ShowIncoming() const { return m_showIncoming; }
    QComboBox* BaudRate() const { return m_baud; }
    QComboBox* DataBits() const { return m_dataBits; }
    QComboBox* Parity() const { return m_parity; }
    QComboBox* StopBits() const { return m_stopBits; }

    // OK: a port and every line value must be chosen; the row and the line
    // settings change only then.
    void accept() override;

private:
    ButtonDefinition& m_row;
    store::SerialLineSettings& m_line;
    QComboBox* m_port = nullptr;
    QCheckBox* m_showIncoming = nullptr;
    QComboBox* m_baud = nullptr;
    QComboBox* m_dataBits = nullptr;
    QComboBox* m_parity = nullptr;
    QComboBox* m_stopBits = nullptr;
};

// The serial devices of this computer (device paths).
QStringList AvailableSerialPorts();
// Runs the dialog modally; true on OK.
bool ShowButtonPortDialog(QWidget* owner, ButtonDefinition& row, store::SerialLineSettings& line);

} // namespace velmar::forms
