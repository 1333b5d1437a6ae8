#include "forms/ui/TButtonForm.h"

#include "forms/ButtonDigitalIo.h"
#include "forms/ButtonPorts.h"
#include "forms/ButtonPressLog.h"
#include "forms/ButtonSerialPort.h"
#include "forms/ControlIds.h"
#include "forms/ControlKeywords.h"
#include "forms/UserFormInfo.h"
#include "forms/ui/ComPortDialog.h"
#include "platform/Folders.h"
#include "widgets/MyControls.h"
#include "platform/RunMode.h"
#include "platform/SerialPortList.h"
#include "platform/WindowMessage.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"

#include <QApplication>
#include <QPointer>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace velmar::forms {

namespace {

Q_LOGGING_CATEGORY(panelLog, "velmar.forms.buttons")

constexpr int kLayoutMargin = 20;
constexpr int kStaticGap = 10;
constexpr int kPointsPerInch = 72;
constexpr int kCheckBoxChars = 23;
// The received-text box of a SERIALPORT row: 80 characters by 7 rows, and
// never more than 40 lines kept.
constexpr int kReceivedTextChars = 80;
constexpr int kReceivedTextRows = 7;
constexpr int kReceivedTextLines = 40;

std::vector<TButtonForm*>& panels()
{
    static std::vector<TButtonForm*> list;
    return list;
}

// The window the panels were built in: the board's reports about the main
// window are owned by it.
QPointer<QWidget>& panelsOwner()
{
    static QPointer<QWidget> owner;
    return owner;
}

// Files and rows already reported, so that a press repeated all day shows
// each problem once.
std::set<QString>& reportedSounds()
{
    static std::set<QString> s;
    return s;
}

// Layout metrics of a font: W the average character width x 12 / 10, H the
// font height.
struct Metrics {
    int w = 8;
    int h = 16;
    explicit Metrics(const QFont& font)
    {
        const QFontMetrics fm(font);
        w = fm.averageCharWidth() * 12 / 10;
        h = fm.height();
    }
    int EditWidth(int n) const { return w * (n + 2); }
    int StaticWidth(int n) const { return n == 0 ? 0 : w * (n + 1); }
    int RowHeight(int k) const { return k * (h + 4) + 4; }
};

// The widest line of a caption in font.
int CaptionWidth(const QFont& font, const QString& caption)
{
    const QFontMetrics fm(font);
    int widest = 0;
    for (const QString& line : caption.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

QString buttonMessageName()
{
    return QString::fromLatin1(kButtonMessageName);
}

} // namespace

// ---- construction and layout

TButtonForm::TButtonForm(QWidget* parent, int tabIndex, const QString& definitionTable)
    : QWidget(parent), TabIndex(tabIndex), m_definitionTable(definitionTable),
      m_panelName(ButtonFormName(definitionTable))
{
    panels().push_back(this);
    setObjectName(m_panelName);
    m_log = std::make_unique<ButtonPressLog>(m_panelName);
    m_font = QApplication::font();
    ReadDefinition();
    LayoutRows();
}

TButtonForm::~TButtonForm()
{
    auto& list = panels();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TButtonForm::ReadDefinition()
{
    m_rows = ReadButtonDefinition(m_definitionTable);
    m_controls.assign(m_rows.size(), nullptr);
}

void TButtonForm::LayoutRows()
{
    m_settingsMenu = new QMenu(this);
    Metrics m(m_font);
    int x = kLayoutMargin;
    int y = kLayoutMargin;
    int lineHeight = 0;
    QGroupBox* box = nullptr;
    QRect boxRect;
    int group = -1;
    int serialPort = -1;

    auto closeBox = [&] {
        box->setGeometry(boxRect);
        box = nullptr;
    };

    for (int i = 0; i < int(m_rows.size()); ++i) {
        ButtonDefinition& row = m_rows[std::size_t(i)];
        switch (row.kind) {
        case CT_FONT:
            if (!row.Name.isEmpty() && row.Recording != 0) {
                QFont f(row.Name);
                f.setPixelSize(
                    std::max(1, int(std::lround(double(row.Recording) * fontResolution() / kPointsPerInch))));
                if (row.Recorder > 0)
                    f.setWeight(QFont::Weight(std::clamp(int(row.Recorder), 1, 1000)));
                f.setItalic((row.Kelvor & 0xFF) != 0);
                m_font = f;
                m = Metrics(m_font);
            }
            break;
        case CT_NEWLINE:
            y += std::max(lineHeight, m.RowHeight(1));
            lineHeight = 0;
            y += m.RowHeight(1) / 4;
            x = kLayoutMargin + (box ? m.EditWidth(1) : 0);
            break;
        case CT_STATIC: {
            const int width = m.StaticWidth(int(row.Name.size()));
            auto* label = new shell::TMyStatic(this, -1, row.Name, x, y, width, m.RowHeight(1), 0, true);
            m_controls[std::size_t(i)] = label;
            lineHeight = m.RowHeight(1);
            x += width + kStaticGap;
            break;
        }
        case CT_BUTTON:
        case CT_PUSHRADIOBUTTON:
        case CT_RADIOBUTTON: {
            const QString caption = row.HotKey.isEmpty() ? row.Name
                                                         : QStringLiteral("%1\nCtrl - %2").arg(row.Name, row.HotKey);
            row.serialPort = serialPort;
            row.group = group;
            QAbstractButton* button = nullptr;
            if (row.kind == CT_RADIOBUTTON) {
                button = new QRadioButton(caption, this);
            } else {
                auto* push = new QPushButton(caption, this);
                push->setCheckable(row.kind == CT_PUSHRADIOBUTTON);
                button = push;
            }
            // Groups are kept by the panel (a press clears its group only),
            // not by Qt's exclusive siblings, which would span the panel.
            button->setAutoExclusive(false);
            // Drawn in the font the layout measured, and never narrower
            // than the caption's widest line.
            button->setFont(m_font);
            const int width = std::max(m.EditWidth(int(row.Name.size())), CaptionWidth(m_font, caption) + 2 * m.w);
            button->setGeometry(x, y, width, m.RowHeight(2));
            row.controlId = NextControlIds();
            button->setProperty("controlId", row.controlId);
            m_controls[std::size_t(i)] = button;
            const int id = row.controlId;
            connect(button, &QAbstractButton::clicked, this, [this, id] {
                const int r = RowOfControl(id);
                if (r >= 0 && m_rows[std::size_t(r)].isRadio())
                    Press(id); // selects it and clears the others of its group
                else
                    CmButton(id);
            });
            x += width + m.w;
            lineHeight = m.RowHeight(2);
            if (box) {
                boxRect.setRight(std::max(boxRect.right(), x + m.EditWidth(1)));
                boxRect.setBottom(y + m.RowHeight(3));
            }
            RegisterHotKey(row);
            if (row.isSet(BcExternal) && row.External != 0)
                ExternalMask |= 1u << (row.External & 31);
            AddSettingsEntry(i, QStringLiteral("%1 button settings ...").arg(row.Name));
            if (row.isRadio())
                button->installEventFilter(this);
            break;
        }
        case CT_BUTTONGROUP:
            if (box) {
                closeBox();
                y = boxRect.bottom() + m.RowHeight(1);
            }
            box = new QGroupBox(row.Name, this);
            box->lower();
            boxRect = QRect(x, y, m.EditWidth(int(row.Name.size())), m.RowHeight(3));
            box->setGeometry(x, y, m.EditWidth(int(row.Name.size())), m.RowHeight(2));
            m_controls[std::size_t(i)] = box;
            x += m.EditWidth(1);
            y += m.RowHeight(1);
            group = i;
            if (i > 0)
                m_settingsMenu->addSeparator();
            break;
        case CT_SERIALPORT:
            OpenButtonSerialPort(i);
            serialPort = i; // the rows that follow send to it
            AddSettingsEntry(i, QStringLiteral("%1 port settings ...").arg(row.Name));
            row.group = group;
            if (row.OptionFlags & kShowReceivedText) {
                auto* received = new QPlainTextEdit(this);
                received->setReadOnly(true);
                received->setMaximumBlockCount(kReceivedTextLines);
                received->setGeometry(x, y, m.EditWidth(kReceivedTextChars), m.RowHeight(kReceivedTextRows));
                row.controlId = NextControlIds();
                received->setProperty("controlId", row.controlId);
                m_controls[std::size_t(i)] = received;
                if (ButtonSerialPort* port = m_ports[i])
                    connect(port, &ButtonSerialPort::textReceived, received,
                            [received](const QString& text) { AppendReceivedText(received, text); });
                x += m.EditWidth(kReceivedTextChars + 1);
                lineHeight = m.RowHeight(kReceivedTextRows);
                if (box)
                    boxRect.setRight(std::max(boxRect.right(), x + m.EditWidth(1)));
            }
            break;
        case CT_ENDBUTTONGROUP:
            if (box) {
                closeBox();
                lineHeight = boxRect.bottom() - y;
            }
            group = -1;
            break;
        default: break;
        }
    }
    y += std::max(lineHeight, m.RowHeight(1));
    if (box) {
        closeBox();
        y = boxRect.bottom() + m.RowHeight(1);
    }
    m_enableEdits = new QCheckBox(QStringLiteral("Enable Property Edits"), this);
    m_enableEdits->setProperty("controlId", kEnablePropertyEditsId);
    m_enableEdits->setFont(m_font);
    m_enableEdits->setGeometry(
        kLayoutMargin, y, std::max(m.EditWidth(kCheckBoxChars), m_enableEdits->sizeHint().width()), m.RowHeight(1));
}

void TButtonForm::RegisterHotKey(ButtonDefinition& row)
{
    row.hotKeyText = row.HotKey;
    const int code = ButtonHotKeyCode(row.HotKey);
    if (code <= 0)
        return;
    HotKeyRegistrar* registrar = hotKeyRegistrar();
    if (registrar && registrar->registerHotKey(code, code)) {
        row.hotKeyId = code;
        return;
    }
    store::DbMessage(this,
                     QStringLiteral("The hot key Ctrl - %1 of the button %2 is already in use or is no key.")
                         .arg(row.HotKey, row.Name),
                     QString::fromLatin1(kInvalidHotKeyCaption));
}

void TButtonForm::SetupWindow()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setFont(m_font);
    for (const ButtonDefinition& row : m_rows)
        if (row.Default && row.controlId != 0)
            Press(row.controlId);
}

// ---- look-ups

QAbstractButton* TButtonForm::ButtonOf(int row) const
{
    return qobject_cast<QAbstractButton*>(ControlOf(row));
}

QWidget* TButtonForm::ControlOf(int row) const
{
    return row >= 0 && row < int(m_controls.size()) ? m_controls[std::size_t(row)] : nullptr;
}

int TButtonForm::PressIndex() const
{
    return m_log->PressIndex();
}

int TButtonForm::RowOfControl(int controlId) const
{
    for (int i = 0; i < int(m_rows.size()); ++i)
        if (m_rows[std::size_t(i)].controlId == controlId && controlId != 0)
            return i;
    return -1;
}

int TButtonForm::RowOfOrder(int32_t order) const
{
    for (int i = 0; i < int(m_rows.size()); ++i)
        if (m_rows[std::size_t(i)].Order == order)
            return i;
    return -1;
}

// ---- press routes

void TButtonForm::Press(int controlId, const BroadcastChain& chain)
{
    const int r = RowOfControl(controlId);
    if (r < 0)
        return;
    SelectRadio(r);
    QMetaObject::invokeMethod(
        this, [this, controlId, chain] { CmButton(controlId, chain); }, Qt::QueuedConnection);
}

void TButtonForm::SelectRadio(int r)
{
    const ButtonDefinition& row = m_rows[std::size_t(r)];
    if (!row.isRadio())
        return;
    ButtonOf(r)->setChecked(true);
    // Radio rows outside a group box are never cleared.
    if (row.group >= 0)
        for (int i = 0; i < int(m_rows.size()); ++i)
            if (i != r && m_rows[std::size_t(i)].isRadio() && m_rows[std::size_t(i)].group == row.group)
                ButtonOf(i)->setChecked(false);
}

void TButtonForm::CmButton(int controlId, const BroadcastChain& chain)
{
    const int r = RowOfControl(controlId);
    // The received-text box of a port row has a control id too, but is no
    // button: an automatic next press naming its row presses nothing.
    if (r < 0 || !m_rows[std::size_t(r)].isButton())
        return;
    if (m_rows[std::size_t(r)].isRadio() && !ButtonOf(r)->isChecked())
        return;
    DoActions(r, false, chain);
}

bool TButtonForm::OnHotKey(int id)
{
    for (const ButtonDefinition& row : m_rows)
        if (row.hotKeyId == id && id > 0) {
            // A radio row's key selects it first, so that the key always
            // presses (as a broadcast or a default press does).
            SelectRadio(RowOfControl(row.controlId));
            CmButton(row.controlId);
            return true;
        }
    return false;
}

void TButtonForm::OnExternalInput(int bit, int level)
{
    if (level != 0)
        return;
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const ButtonDefinition& row = m_rows[std::size_t(i)];
        if (row.isButton() && row.isSet(BcExternal) && row.External == bit) {
            DoActions(i, true);
            return;
        }
    }
}

void TButtonForm::OnBroadcast(int32_t code, qint64 lParam, const BroadcastChain& chain)
{
    if (code == 0 || lParam == 2)
        return;
    for (const ButtonDefinition& row : m_rows) {
        if (!row.isButton() || !row.isSet(BcOnBroadcast) || row.OnBroadcast != code)
            continue;
        if (row.isSet(BcBroadcast) && chain.count(row.Broadcast)) {
            qCInfo(panelLog) << "button" << row.Name << "of" << m_panelName << "not pressed again by broadcast" << code
                             << ": its own broadcast started this chain";
            continue;
        }
        Press(row.controlId, chain);
    }
}

bool TButtonForm::event(QEvent* event)
{
    if (event->type() == platform::WindowMessageEvent::eventType()) {
        const auto* m = static_cast<platform::WindowMessageEvent*>(event);
        if (m->message() == platform::kMsgExternalButton) {
            OnExternalInput(int(m->wParam()), int(m->lParam()));
            return true;
        }
    }
    return QWidget::event(event);
}

// ---- the actions of a press

void TButtonForm::DoActions(int r, bool external, const BroadcastChain& chain)
{
    if (r < 0 || r >= int(m_rows.size()))
        return;
    ButtonPressPorts& ports = buttonPressPorts();
    ButtonDefinition& row = m_rows[std::size_t(r)];
    const bool repeat = row.group >= 0 && m_rows[std::size_t(row.group)].lastPressed == r;

    if (ports.pollGps)
        ports.pollGps();

    int recordingIndex = 0;
    if (row.Recording > 0) {
        const QString reason =
            QStringLiteral("%1 button rec %2, code %3").arg(m_panelName).arg(PressIndex()).arg(row.CtrlData);
        if (ports.triggerRecorder)
            recordingIndex = ports.triggerRecorder(row.Recorder, row.Recording, reason).value_or(0);
    }

    if (row.isSet(BcKelvor) && row.Kelvor >= 0 && ports.grab)
        ports.grab(row.Kelvor, QStringLiteral("Button %1").arg(row.Code));

    const platform::SystemTime pressTime = ports.programTime ? ports.programTime() : platform::SystemTime();
    const bool stored = m_log->Write(pressTime, row.Code, external, recordingIndex);

    LinkToForm(r, stored);

    if (row.isSet(BcBroadcast)) {
        if (chain.count(row.Broadcast)) {
            qCInfo(panelLog) << "broadcast" << row.Broadcast << "of" << row.Name << "not sent again in its own chain";
        } else {
            if (ports.broadcast) {
                ports.broadcast(buttonMessageName(), quint64(quint32(row.Broadcast)), 1);
                ports.broadcast(buttonMessageName(), quint64(quint32(row.Broadcast)), 2);
            }
            BroadcastChain next = chain;
            next.insert(row.Broadcast);
            PostToButtonForms(row.Broadcast, 1, next);
        }
    }

    if (row.AutoNextButton != 0 && (!repeat || (row.OptionFlags & kRepeatArmsNext))) {
        const int ms = int(row.AutoNextTime * 1000.0f);
        if (RowOfOrder(row.AutoNextButton) >= 0)
            ArmTimer(row.controlId, ms);
    }

    if (!(repeat && (row.OptionFlags & kRepeatNoOutputs))) {
        if (row.isSet(BcOutputChannel) && row.pulseCode != PulseNone) {
            const int lengthMs = int(row.PulseLength * 1000.0f);
            const bool sent = ports.requestDigitalOutput
                           && ports.requestDigitalOutput(row.OutputChannel, 1, row.pulseCode, lengthMs);
            if (!sent) {
                qCWarning(panelLog) << "pulse of" << row.Name << "on output" << row.OutputChannel
                                    << "not sent: no board output in this run";
                const QString key = m_panelName + QLatin1Char('/') + QString::number(r) + QStringLiteral("/out");
                if (reportedSounds().insert(key).second)
                    store::DbMessage(this,
                                     QStringLiteral("The pulse of the button %1 on output %2 cannot be sent: "
                                                    "no measurement board output is available.")
                                         .arg(row.Name)
                                         .arg(row.OutputChannel),
                                     QStringLiteral("Digital Output"));
            }
        }
        if (row.serialPort >= 0 && (!row.SerialCommand.isEmpty() || row.SendCarriageReturn))
            SendSerialCommand(row);
    }

    if (!(repeat && (row.OptionFlags & kRepeatNoSound)) && !row.PlaySound.isEmpty())
        PlaySound(row);

    if (row.group >= 0)
        m_rows[std::size_t(row.group)].lastPressed = r;
}

void TButtonForm::ResolveForms()
{
    m_formsNotResolved = false;
    const auto& find = buttonPressPorts().findUserForm;
    for (ButtonDefinition& row : m_rows)
        row.linkedForm = (find && !row.Form.isEmpty()) ? find(row.Form) : nullptr;
}

bool TButtonForm::LinkToForm(int r, bool stored)
{
    if (m_formsNotResolved)
        ResolveForms();
    const ButtonDefinition& row = m_rows[std::size_t(r)];
    if (!row.linkedForm)
        return false;
    // A press that was not stored has no number: the form must not be
    // handed the number of the press before it.
    const QString indexText = stored ? QString::number(PressIndex()) : QString();
    return row.linkedForm->FillFromButton(row.ButtonIndex, indexText, row.FormCtrl, row.CtrlData);
}

void TButtonForm::PlaySound(const ButtonDefinition& row)
{
    const QString file = platform::toLocalPath(row.PlaySound);
    QString error;
    if (!QFileInfo::exists(file))
        error = QStringLiteral("The sound file %1 of the button %2 does not exist.").arg(file, row.Name);
    else if (const auto& play = buttonPressPorts().playSound; play && !play(file, &error) && error.isEmpty())
        error = QStringLiteral("The sound file %1 cannot be played.").arg(file);
    if (error.isEmpty())
        return;
    qCWarning(panelLog) << error;
    // Keyed by the text: a missing file is told once per file, a machine
    // without sound output once for the run.
    if (reportedSounds().insert(error).second)
        store::DbMessage(this, error, QStringLiteral("Button Sound"));
}

bool TButtonForm::WriteBackRow(int row)
{
    if (row < 0 || row >= int(m_rows.size()))
        return false;
    return WriteBackButtonRow(m_definitionTable, m_rows[std::size_t(row)]);
}

// ---- property edits

void TButtonForm::AddSettingsEntry(int row, const QString& text)
{
    QAction* action = m_settingsMenu->addAction(text);
    action->setData(kSettingsEntryBase + row);
    connect(action, &QAction::triggered, this, [this, row] { SettingsEntry(row); });
}

bool TButtonForm::PropertyEditsEnabled() const
{
    return m_enableEdits && m_enableEdits->isChecked();
}

void TButtonForm::SettingsEntry(int r)
{
    if (r < 0 || r >= int(m_rows.size()))
        return;
    if (m_rows[std::size_t(r)].isButton()) {
        m_editRow = r;
        EditChosenRow();
    } else if (m_rows[std::size_t(r)].kind == CT_SERIALPORT) {
        CmPortSettings(r);
    }
}

void TButtonForm::CmPortSettings(int r)
{
    if (r < 0 || r >= int(m_rows.size()) || m_rows[std::size_t(r)].kind != CT_SERIALPORT)
        return;
    ButtonDefinition& row = m_rows[std::size_t(r)];
    store::SerialLineSettings line = ButtonSerialPort::LineSettingsFor(row.Name);
    const auto& edit = buttonPortEditor();
    if (!edit || !edit(this, row, line))
        return;
    WriteBackRow(r);
    store::WriteSerialSettings(row.Name, line);
    // Another device is another port; the buttons that send to this row find
    // the new one by the row.
    ButtonSerialPort*& port = m_ports[r];
    if (port && port->PortName() != row.Name) {
        delete port;
        port = nullptr;
    }
    const bool fresh = port == nullptr;
    OpenButtonSerialPort(r);
    auto* received = qobject_cast<QPlainTextEdit*>(m_controls[std::size_t(r)]);
    if (fresh && received && m_ports[r])
        connect(m_ports[r], &ButtonSerialPort::textReceived, received,
                [received](const QString& text) { AppendReceivedText(received, text); });
}

void TButtonForm::EditChosenRow()
{
    if (m_editRow < 0 || m_editRow >= int(m_rows.size()))
        return;
    const auto& edit = buttonEditor();
    if (edit && edit(this, m_rows[std::size_t(m_editRow)], *this))
        WriteBackRow(m_editRow);
}

void TButtonForm::contextMenuEvent(QContextMenuEvent* event)
{
    if (!PropertyEditsEnabled() || childAt(event->pos()) != nullptr)
        return QWidget::contextMenuEvent(event);
    m_settingsMenu->popup(event->globalPos());
}

bool TButtonForm::eventFilter(QObject* watched, QEvent* event)
{
    // A right press on a radio button chooses its row; with edits enabled a
    // one-entry menu offers to edit it.
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        const int r = RowOfControl(watched->property("controlId").toInt());
        if (r >= 0) {
            m_editRow = r;
            if (PropertyEditsEnabled()) {
                auto* menu = new QMenu(this);
                menu->setAttribute(Qt::WA_DeleteOnClose);
                menu->addAction(QStringLiteral("&Edit Properties"), this, [this] { EditChosenRow(); });
                menu->popup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

ButtonEditor& buttonEditor()
{
    static ButtonEditor editor;
    return editor;
}

ButtonPortEditor& buttonPortEditor()
{
    static ButtonPortEditor editor = ShowComPortDialog;
    return editor;
}

// ---- serial ports

void TButtonForm::OpenButtonSerialPort(int r)
{
    const ButtonDefinition& row = m_rows[std::size_t(r)];
    ButtonSerialPort*& port = m_ports[r];
    if (!port)
        port = new ButtonSerialPort(row.Name, this);
    QString error;
    if (port->Open(row.OptionFlags & kShowReceivedText, ButtonSerialPort::LineSettingsFor(row.Name), &error))
        return;
    // A port that cannot be opened is told each time; the panel works on and
    // its buttons send nothing. One that opens but takes no line settings is
    // dropped silently.
    if (!error.isEmpty()) {
        qCWarning(panelLog) << "serial port" << row.Name << "of" << m_panelName << "not opened:" << error;
        store::DbMessage(this, platform::isWindowsPortName(row.Name) ? error : row.Name,
                         QString::fromLatin1(kCantOpenCommPortCaption), store::DbIcon::Stop);
    }
}

void TButtonForm::SendSerialCommand(const ButtonDefinition& row)
{
    if (ButtonSerialPort* port = SerialPortOf(row.serialPort))
        port->SendCommand(row.SerialCommand, row.SendCarriageReturn);
}

ButtonSerialPort* TButtonForm::SerialPortOf(int row) const
{
    const auto it = m_ports.find(row);
    return it == m_ports.end() ? nullptr : it->second;
}

void AppendReceivedText(QPlainTextEdit* box, const QString& text)
{
    // At the end whatever the operator clicked, so that lines stay in order.
    box->moveCursor(QTextCursor::End);
    box->insertPlainText(text);
    box->moveCursor(QTextCursor::End);
}

// ---- automatic next press

void TButtonForm::ArmTimer(int controlId, int ms)
{
    QTimer*& timer = m_timers[controlId];
    if (!timer) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, controlId] { EvTimer(controlId); });
    }
    m_timerDelays[controlId] = ms;
    timer->start(ms);
}

int TButtonForm::ArmedTimerMs(int controlId) const
{
    const auto it = m_timers.find(controlId);
    if (it == m_timers.end() || !it->second->isActive())
        return -1;
    return m_timerDelays.at(controlId);
}

void TButtonForm::EvTimer(int controlId)
{
    if (const auto it = m_timers.find(controlId); it != m_timers.end())
        it->second->stop();
    const int r = RowOfControl(controlId);
    if (r < 0)
        return;
    const int next = RowOfOrder(m_rows[std::size_t(r)].AutoNextButton);
    if (next >= 0 && m_rows[std::size_t(next)].controlId != 0)
        Press(m_rows[std::size_t(next)].controlId);
}

// ---- the panel list

const std::vector<TButtonForm*>& ButtonFormList()
{
    return panels();
}

namespace {
TButtonForm* makePanel(QWidget* parent, QTabBar* tabs, int tab, const QString& table)
{
    store::DbCheckUserTable(store::GetDbConnection(), table, store::kUserTableButtonForm);
    auto* panel = new TButtonForm(parent, tab, table);
    if (tabs)
        tabs->insertTab(tab, panel->PanelName());
    panel->hide();
    panel->SetupWindow();
    return panel;
}
} // namespace

int LoadButtonForms(QWidget* parent, QTabBar* tabs, int firstTab)
{
    if (platform::RunMode != platform::RunModeOnline || !store::IsDbOpen())
        return firstTab;
    store::BuildFixedSchema();
    panelsOwner() = parent;
    int tab = firstTab;
    for (const QString& table : ButtonFormTables())
        makePanel(parent, tabs, tab++, table);
    ButtonFormsStartButtonThread(false);
    return tab;
}

TButtonForm* AddButtonForm(QWidget* parent, QTabBar* tabs, const QString& definitionTable)
{
    if (platform::RunMode != platform::RunModeOnline || !store::IsDbOpen() || !tabs)
        return nullptr;
    for (const TButtonForm* p : panels())
        if (p->DefinitionTable().compare(definitionTable, Qt::CaseInsensitive) == 0)
            return nullptr;
    if (!panelsOwner())
        panelsOwner() = parent;
    return makePanel(parent, tabs, tabs->count(), definitionTable);
}

void ButtonFormsStartButtonThread(bool restart)
{
    uint32_t mask = 0;
    for (const TButtonForm* p : panels())
        mask |= p->ExternalMask;
    // Every panel hears every change, in list order, as the thread's posts.
    ExternalInputDelivery deliver = [](int bit, int level) {
        for (TButtonForm* p : panels())
            platform::postWindowMessage(p, platform::kMsgExternalButton, quint64(bit), level);
    };
    BoardReport report = [](const QString& text, const QString& caption, bool ownedByMainWindow) {
        store::DbMessage(ownedByMainWindow ? panelsOwner().data() : nullptr, text, caption, store::DbIcon::Stop);
    };
    // Switches set up for a board whose library is not there are told about
    // once, not left silent.
    const ButtonBoardSettings settings = ButtonBoardSettings::FromProgramSettings();
    static bool unavailableShown = false;
    if (mask && settings.deviceType == kMeasurementComputingBoard && !digitalBoard() && !unavailableShown
        && (platform::RunMode == platform::RunModeOnline || platform::RunMode == platform::RunModeOffline)) {
        unavailableShown = true;
        report(QLatin1String(kExternalButtonsUnavailableText), QLatin1String(kExternalButtonErrorCaption), true);
    }
    if (restart)
        RestartButtonThread(mask, deliver, report);
    else
        StartButtonThread(mask, deliver, report);
}

bool ButtonFormsSelectTab(int tab)
{
    bool matched = false;
    for (TButtonForm* p : panels()) {
        p->Visible = p->TabIndex == tab;
        p->setVisible(p->Visible);
        if (p->Visible) {
            matched = true;
            p->update();
        }
    }
    return matched;
}

void ButtonFormsLayout(const QRect& area)
{
    for (TButtonForm* p : panels())
        p->setGeometry(area);
}

bool ButtonFormsOnHotKey(int id)
{
    for (TButtonForm* p : panels())
        if (p->OnHotKey(id))
            return true;
    return false;
}

void PostToButtonForms(int32_t code, qint64 lParam, const BroadcastChain& chain)
{
    for (TButtonForm* p : panels())
        QMetaObject::invokeMethod(
            p, [p, code, lParam, chain] { p->OnBroadcast(code, lParam, chain); }, Qt::QueuedConnection);
}

void ButtonFormsMoveTabs(int from, int delta)
{
    for (TButtonForm* p : panels())
        if (p->TabIndex >= from)
            p->TabIndex += delta;
}

void DeleteButtonForms()
{
    while (!panels().empty())
        delete panels().back();
    reportedSounds().clear();
}

} // namespace velmar::forms
