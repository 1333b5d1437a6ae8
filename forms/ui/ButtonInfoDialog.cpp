#include "forms/ui/ButtonInfoDialog.h"

#include "platform/FileDialogs.h"
#include "forms/ButtonSerialPort.h"
#include "forms/ControlKeywords.h"
#include "forms/ui/TButtonForm.h"
#include "forms/ui/UserFormList.h"
#include "sound/ButtonSound.h"
#include "store/DbMessages.h"
#include "widgets/DialogService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmar::forms {

namespace {

constexpr int kClientWidth = 475;
constexpr int kClientHeight = 444;
constexpr int kMaxNameLength = 50;
constexpr int kMaxCodeLength = 5;
constexpr int kMaxSoundPathLength = 256;
constexpr const char* kNoForm = "- none -";
const QString kGeneral = QStringLiteral("General ...");
const QString kRecordings = QStringLiteral("Recordings and Cameras ...");
const QString kActions = QStringLiteral("Actions ...");
const QString kNextAction = QStringLiteral("Next Action ...");

// The page the form last closed on, for the next edit.
int& lastPage()
{
    static int page = 0;
    return page;
}

void selectText(QComboBox* box, const QString& text)
{
    box->setCurrentIndex(box->findText(text, Qt::MatchExactly));
}

QStringList splitList(const QString& list)
{
    return list.split(QLatin1Char('\r'), Qt::SkipEmptyParts);
}

QWidget* page(QTabWidget* tabs, const QString& title, const QString& note = {})
{
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    if (!note.isEmpty()) {
        auto* label = new QLabel(note);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    tabs->addTab(w, title);
    return w;
}

QHBoxLayout* line(QWidget* page, std::initializer_list<QWidget*> widgets)
{
    auto* row = new QHBoxLayout;
    for (QWidget* w : widgets)
        row->addWidget(w);
    row->addStretch();
    static_cast<QVBoxLayout*>(page->layout())->addLayout(row);
    return row;
}

} // namespace

TButtonInfoDlg::TButtonInfoDlg(QWidget* owner, ButtonDefinition& row, TButtonForm& panel, const ButtonTargets& targets)
    : QDialog(owner), m_row(row), m_panel(panel), m_targets(targets)
{
    setWindowTitle(QStringLiteral("Button Settings"));
    resize(kClientWidth, kClientHeight);
    auto* layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    layout->addWidget(PageControl1);

    QWidget* general = page(PageControl1, QStringLiteral("General"));
    buttonName = new QLineEdit(QStringLiteral("buttonName"));
    buttonCode = new QLineEdit(QStringLiteral("buttonCode"));
    buttonHotkey = new QLineEdit(QStringLiteral("buttonHotkey"));
    line(general, {new QLabel(QStringLiteral("Name")), buttonName});
    line(general, {new QLabel(QStringLiteral("Code to write to database")), buttonCode});
    line(general, {new QLabel(QStringLiteral("Hotkey Shortcut")), buttonHotkey});
    auto* type = new QGroupBox(QStringLiteral("Button Type"));
    auto* typeLayout = new QVBoxLayout(type);
    typePush = new QRadioButton(QStringLiteral("Push Button"));
    typeRadioButton = new QRadioButton(QStringLiteral("Radio Button"));
    typePushRadioButton = new QRadioButton(QStringLiteral("Push Like Radio Button"));
    for (QRadioButton* b : {typePush, typeRadioButton, typePushRadioButton})
        typeLayout->addWidget(b);
    line(general, {type});
    defaultButton = new QCheckBox(QStringLiteral("Default (will be pressed on startup)"));
    line(general, {defaultButton});
    haveExternal = new QCheckBox(QStringLiteral("Connect to an external (real) button on channel"));
    dioChannel = new QLineEdit(QStringLiteral("0"));
    line(general, {haveExternal, dioChannel});
    respondBroadcast = new QCheckBox(QStringLiteral("Respond to Broadcast messages with WPARAM ="));
    wParam_respond = new QLineEdit;
    line(general, {respondBroadcast, wParam_respond});

    QWidget* form = page(PageControl1, QStringLiteral("User Form"),
                         QStringLiteral("Automatically open a user form and insert cross reference and other "
                                        "information in that forms controls"));
    formName = new QComboBox;
    indexControl = new QComboBox;
    ctrlCode = new QLineEdit;
    codeControl = new QComboBox;
    line(form, {formName});
    line(form,
         {new QLabel(QStringLiteral("Write the index of this buttons db record into the control ...")), indexControl});
    line(form, {new QLabel(QStringLiteral("Write this code")), ctrlCode});
    line(form, {new QLabel(QStringLiteral("into the control named ...")), codeControl});

    QWidget* recordings = page(PageControl1, QStringLiteral("Recordings and Cameras"),
                               QStringLiteral("(The image format and the number of frames grabbed are set on "
                                              "each grabber form)"));
    makeRecording = new QCheckBox(QStringLiteral("Make a sound recording"));
    recordingLength = new QLineEdit(QStringLiteral("60"));
    line(recordings, {makeRecording, recordingLength, new QLabel(QStringLiteral("seconds long"))});
    waveRecorder = new QComboBox;
    line(recordings, {new QLabel(QStringLiteral("on this WAV recorder")), waveRecorder});
    grabberNumber = new QComboBox;
    line(recordings, {new QLabel(QStringLiteral("Grab images from cameras on the following Grabber")), grabberNumber});

    QWidget* actions = page(PageControl1, QStringLiteral("Other Actions"));
    playSound = new QCheckBox(QStringLiteral("Play the following sound file"));
    soundFileName = new QLineEdit;
    browseSoundFiles = new QPushButton(QStringLiteral("Browse"));
    line(actions, {playSound});
    line(actions, {soundFileName, browseSoundFiles});
    soundCard = new QComboBox;
    line(actions, {new QLabel(QStringLiteral("On this sound card...")), soundCard});
    auto* digital = new QGroupBox(QStringLiteral("Digital Output"));
    auto* digitalLayout = new QVBoxLayout(digital);
    pulseNone = new QRadioButton(QStringLiteral("No digital Output"));
    pulseGOHI = new QRadioButton(QStringLiteral("Set Bit Hi (1)"));
    pulseGOLO = new QRadioButton(QStringLiteral("Set Bit Lo (0)"));
    pulseHILO = new QRadioButton(QStringLiteral("Pulse bit HI (0 - 1 - 0)"));
    pulseLOHI = new QRadioButton(QStringLiteral("Pulse Bit Lo (1 - 0 - 1)"));
    for (QRadioButton* b : {pulseNone, pulseGOHI, pulseGOLO, pulseHILO, pulseLOHI})
        digitalLayout->addWidget(b);
    pulseChannel = new QLineEdit;
    pulseLength = new QLineEdit;
    auto* pulseForm = new QFormLayout;
    pulseForm->addRow(QStringLiteral("Channel"), pulseChannel);
    pulseForm->addRow(QStringLiteral("Pulse Length (seconds)"), pulseLength);
    digitalLayout->addLayout(pulseForm);
    line(actions, {digital});
    auto* serial = new QGroupBox(QStringLiteral("Serial (RS-232) output"));
    auto* serialLayout = new QVBoxLayout(serial);
    serialLayout->addWidget(new QLabel(QStringLiteral("Send the following RS-232 command string")));
    serialCommand = new QLineEdit;
    sendCR = new QCheckBox(QStringLiteral("Send a Carriage Return character"));
    serialLayout->addWidget(serialCommand);
    serialLayout->addWidget(sendCR);
    line(actions, {serial});

    QWidget* next = page(PageControl1, QStringLiteral("Next Action"),
                         QStringLiteral("If the button forms part of a sequency, you may want to enable or supress "
                                        "certain action if the button is pressed multiple times. The broadcast "
                                        "is the registered message \"VelmarButtonMessage\"."));
    autoNext = new QCheckBox(QStringLiteral("Automatically press another button"));
    nextButton = new QComboBox;
    nextDelay = new QLineEdit;
    line(next, {autoNext, nextButton});
    line(next, {new QLabel(QStringLiteral("After a delay of")), nextDelay, new QLabel(QStringLiteral("seconds"))});
    sendBroadcast = new QCheckBox(QStringLiteral("Send Broadcast Message"));
    wParam = new QLineEdit;
    line(next, {sendBroadcast, new QLabel(QStringLiteral("WPARAM")), wParam});
    repeatRestartTimer = new QCheckBox(QStringLiteral("Restart timer for next button action"));
    repeatSupressDigitalOut = new QCheckBox(QStringLiteral("Don't send repeat digital signals (COM port and DIO)"));
    repeatSupressSoundPlayback = new QCheckBox(QStringLiteral("Don't repeat sound playback"));
    for (QCheckBox* c : {repeatRestartTimer, repeatSupressDigitalOut, repeatSupressSoundPlayback})
        line(next, {c});

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttonOk = new QPushButton(QStringLiteral("Ok"));
    buttonOk->setDefault(true);
    buttonCancel = new QPushButton(QStringLiteral("Cancel"));
    buttons->addWidget(buttonOk);
    buttons->addWidget(buttonCancel);
    layout->addLayout(buttons);

    connect(buttonOk, &QPushButton::clicked, this, [this] {
        if (ReadControls())
            accept();
    });
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QCheckBox* c : {makeRecording, playSound, autoNext})
        connect(c, &QCheckBox::toggled, this, [this] { EnableControls(); });
    connect(formName, &QComboBox::currentIndexChanged, this, [this] {
        FillFormSpecificLists();
        EnableControls();
    });
    connect(browseSoundFiles, &QPushButton::clicked, this, [this] {
        std::unique_ptr<QFileDialog> dialog = platform::NewFileDialog(
            this, QStringLiteral("Select sound file for playback ..."), soundFileName->text(),
            QStringLiteral("Sound files (*.wav *.WAV)"));
        dialog->setFileMode(QFileDialog::ExistingFile);
        if (shell::ui::Dialogs().RunDialog(*dialog) && !dialog->selectedFiles().isEmpty())
            soundFileName->setText(dialog->selectedFiles().constFirst());
    });
    // Every page's tab shows its whole title: the dialog widens to the tab
    // row rather than cutting or scrolling it.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->tabBar()->setElideMode(Qt::ElideNone);
    resize(sizeHint().expandedTo(QSize(kClientWidth, kClientHeight)));
    FormCreate();
}

void TButtonInfoDlg::FormCreate()
{
    const ButtonDefinition& r = m_row;
    buttonName->setText(r.Name);
    buttonCode->setText(r.Code);
    buttonHotkey->setText(r.HotKey);
    typePush->setChecked(r.kind == CT_BUTTON);
    typeRadioButton->setChecked(r.kind == CT_RADIOBUTTON);
    typePushRadioButton->setChecked(r.kind == CT_PUSHRADIOBUTTON);
    defaultButton->setChecked(r.Default != 0);
    haveExternal->setChecked(r.isSet(BcExternal) && r.External >= 0);
    dioChannel->setText(QString::number(r.External));
    respondBroadcast->setChecked(r.isSet(BcOnBroadcast));
    if (respondBroadcast->isChecked())
        wParam_respond->setText(QString::number(r.OnBroadcast));

    {
        const QSignalBlocker block(formName);
        formName->addItem(QLatin1String(kNoForm));
        formName->addItems(splitList(UserFormNameList()));
        selectText(formName, r.Form);
    }
    FillFormSpecificLists();
    ctrlCode->setText(r.CtrlData);

    makeRecording->setChecked(r.isSet(BcRecording));
    recordingLength->setText(r.Recording < 0 ? QString() : QString::number(r.Recording));
    for (int n = 0; n < m_targets.recorderNames.size(); ++n)
        waveRecorder->addItem(QStringLiteral("Wav %1 - %2").arg(n).arg(m_targets.recorderNames[n]));
    waveRecorder->setCurrentIndex(r.Recorder < waveRecorder->count() ? r.Recorder : -1);
    grabberNumber->addItem(QStringLiteral("No Frame Grabbing"));
    for (int n = 0; n < m_targets.grabberCount; ++n)
        grabberNumber->addItem(QStringLiteral("Kelvor %1").arg(n));
    if (r.isSet(BcKelvor))
        grabberNumber->setCurrentIndex(r.Kelvor + 1 < grabberNumber->count() ? r.Kelvor + 1 : -1);

    playSound->setChecked(!r.PlaySound.isEmpty());
    soundFileName->setText(r.PlaySound);
    soundCard->addItems(sound::SoundOutputDeviceNames());
    soundCard->setCurrentIndex(r.SoundCardNumber < soundCard->count() ? r.SoundCardNumber : -1);

    if (r.isSet(BcOutputChannel)) {
        pulseChannel->setText(QString::number(r.OutputChannel));
        pulseLength->setText(QString::number(double(r.PulseLength), 'f', 1));
        QRadioButton* pulses[] = {pulseNone, pulseGOHI, pulseGOLO, pulseHILO, pulseLOHI};
        if (r.pulseCode >= PulseNone && r.pulseCode <= PulseLoHi)
            pulses[r.pulseCode]->setChecked(true);
    }
    if (r.pulseCode == PulseNone)
        pulseNone->setChecked(true);

    serialCommand->setText(r.SerialCommand);
    sendCR->setChecked(r.SendCarriageReturn != 0);

    autoNext->setChecked(r.isSet(BcAutoNextButton) && r.AutoNextButton >= 1);
    FillButtonList(r.AutoNextButton);
    nextDelay->setText(QString::number(double(r.AutoNextTime)));

    repeatRestartTimer->setChecked(r.OptionFlags & kRepeatArmsNext);
    repeatSupressDigitalOut->setChecked(r.OptionFlags & kRepeatNoOutputs);
    repeatSupressSoundPlayback->setChecked(r.OptionFlags & kRepeatNoSound);
    sendBroadcast->setChecked(r.isSet(BcBroadcast));
    if (sendBroadcast->isChecked())
        wParam->setText(QString::number(r.Broadcast));
    EnableControls();
}

void TButtonInfoDlg::FillFormSpecificLists()
{
    indexControl->clear();
    codeControl->clear();
    if (formName->currentIndex() <= 0)
        return;
    const QStringList titles = splitList(UserFormFieldList(formName->currentText()));
    indexControl->addItems(titles);
    codeControl->addItems(titles);
    selectText(indexControl, m_row.ButtonIndex);
    selectText(codeControl, m_row.FormCtrl);
}

void TButtonInfoDlg::FillButtonList(int order)
{
    nextButton->clear();
    for (const ButtonDefinition& r : m_panel.Rows())
        if (r.isButton()) {
            nextButton->addItem(QStringLiteral("%1 - %2").arg(r.Order).arg(r.Name), int(r.Order));
            if (r.Order == order)
                nextButton->setCurrentIndex(nextButton->count() - 1);
        }
    if (nextButton->findData(order) < 0)
        nextButton->setCurrentIndex(-1);
}

void TButtonInfoDlg::EnableControls()
{
    recordingLength->setEnabled(makeRecording->isChecked());
    waveRecorder->setEnabled(makeRecording->isChecked());
    soundFileName->setEnabled(playSound->isChecked());
    browseSoundFiles->setEnabled(playSound->isChecked());
    soundCard->setEnabled(playSound->isChecked());
    nextButton->setEnabled(autoNext->isChecked());
    nextDelay->setEnabled(autoNext->isChecked());
    const ButtonSerialPort* port = m_panel.SerialPortOf(m_row.serialPort);
    serialCommand->setEnabled(port && port->IsOpen());
}

bool TButtonInfoDlg::Refuse(const QString& text, const QString& caption)
{
    store::DbMessage(this, text, caption);
    return false;
}

bool TButtonInfoDlg::ReadControls()
{
    ButtonDefinition r = m_row;
    auto setPresent = [&r](int column, bool set) { r.present[std::size_t(column)] = set; };
    // An entry that is no number is refused as the conversion error it is.
    bool numbersOk = true;
    QString badNumber;
    auto integer = [&](const QLineEdit* edit) {
        bool ok = false;
        const int v = edit->text().trimmed().toInt(&ok);
        if (!ok && numbersOk) {
            numbersOk = false;
            badNumber = edit->text();
        }
        return v;
    };
    auto real = [&](const QLineEdit* edit) {
        bool ok = false;
        const float v = edit->text().trimmed().toFloat(&ok);
        if (!ok && numbersOk) {
            numbersOk = false;
            badNumber = edit->text();
        }
        return v;
    };

    if (buttonName->text().size() >= kMaxNameLength)
        return Refuse(QStringLiteral("Button name length exceds 50 characters"), kGeneral);
    r.Name = buttonName->text();
    if (buttonCode->text().size() > kMaxCodeLength)
        return Refuse(QStringLiteral("Button code length exceds 5 characters"), kGeneral);
    r.Code = buttonCode->text();
    setPresent(BcCode, true);
    if (buttonHotkey->text().size() > kMaxCodeLength)
        return Refuse(QStringLiteral("Button HotKey length exceds 5 characters"), kGeneral);
    r.HotKey = buttonHotkey->text();
    setPresent(BcHotKey, true);
    r.kind = typePush->isChecked() ? CT_BUTTON : typeRadioButton->isChecked() ? CT_RADIOBUTTON : CT_PUSHRADIOBUTTON;
    r.Default = defaultButton->isChecked();
    setPresent(BcDefault, true);

    const bool external = haveExternal->isChecked() && !dioChannel->text().isEmpty();
    r.External = external ? integer(dioChannel) : 0;
    setPresent(BcExternal, external);
    const bool onBroadcast = respondBroadcast->isChecked() && !wParam_respond->text().isEmpty();
    r.OnBroadcast = onBroadcast ? integer(wParam_respond) : 0;
    setPresent(BcOnBroadcast, onBroadcast);

    const bool linked = formName->currentIndex() > 0;
    r.Form = linked ? formName->currentText() : QString();
    r.ButtonIndex = linked ? indexControl->currentText() : QString();
    r.FormCtrl = linked ? codeControl->currentText() : QString();
    for (int c : {BcForm, BcButtonIndex, BcFormCtrl})
        setPresent(c, linked);
    r.CtrlData = ctrlCode->text();
    setPresent(BcCtrlData, !r.CtrlData.isEmpty());

    if (makeRecording->isChecked()) {
        if (recordingLength->text().isEmpty())
            return Refuse(QStringLiteral("You have not specified a recording length"), kRecordings);
        r.Recording = int16_t(integer(recordingLength));
        if (waveRecorder->currentIndex() < 0)
            return Refuse(QStringLiteral("You have not specified a sound card for playback"), kRecordings);
        r.Recorder = int16_t(waveRecorder->currentIndex());
        setPresent(BcRecording, true);
        setPresent(BcRecorder, true);
    } else {
        r.Recording = r.Recorder = -1;
        setPresent(BcRecording, false);
        setPresent(BcRecorder, false);
    }

    r.Kelvor = int16_t(grabberNumber->currentIndex() - 1);
    setPresent(BcKelvor, grabberNumber->currentIndex() > 0);

    if (playSound->isChecked()) {
        if (soundFileName->text().isEmpty() || soundFileName->text().size() >= kMaxSoundPathLength)
            return Refuse(QStringLiteral("You have not specified a valid sound file"), kActions);
        r.PlaySound = soundFileName->text();
        if (soundCard->currentIndex() < 0)
            return Refuse(QStringLiteral("Yo have not selected a sound card for playback"), kActions);
        r.SoundCardNumber = soundCard->currentIndex();
        r.SoundCardName = soundCard->currentText();
    } else {
        r.PlaySound.clear();
        r.SoundCardName.clear();
        r.SoundCardNumber = -1;
    }
    for (int c : {BcPlaySound, BcSoundCardNumber, BcSoundCardName})
        setPresent(c, playSound->isChecked());

    if (pulseNone->isChecked()) {
        r.pulseCode = PulseNone;
        r.OutputChannel = -1;
        setPresent(BcOutputChannel, false);
        setPresent(BcPulseLength, false);
    } else {
        r.pulseCode = pulseGOHI->isChecked() ? PulseGoHi
                    : pulseGOLO->isChecked() ? PulseGoLo
                    : pulseLOHI->isChecked() ? PulseLoHi
                                             : PulseHiLo;
        if (pulseChannel->text().isEmpty())
            return Refuse(QStringLiteral("You have not specified a digital output channel"), kActions);
        r.OutputChannel = int16_t(integer(pulseChannel));
        setPresent(BcOutputChannel, true);
        const bool pulses = r.pulseCode == PulseHiLo || r.pulseCode == PulseLoHi;
        if (pulses && pulseLength->text().isEmpty())
            return Refuse(QStringLiteral("You have not specified a pulse length"), kActions);
        if (!pulseLength->text().isEmpty()) {
            r.PulseLength = real(pulseLength);
            setPresent(BcPulseLength, true);
        }
    }

    r.SerialCommand = serialCommand->text();
    setPresent(BcSerialCommand, !r.SerialCommand.isEmpty());
    r.SendCarriageReturn = sendCR->isChecked();
    setPresent(BcSendCarriageReturn, true);

    if (autoNext->isChecked()) {
        if (nextButton->currentIndex() < 0)
            return Refuse(QStringLiteral("You have not specified a button for the next action"), kNextAction);
        r.AutoNextButton = nextButton->currentData().toInt();
        if (nextDelay->text().isEmpty())
            return Refuse(QStringLiteral("You have not specified a time delay for the next action"), kNextAction);
        r.AutoNextTime = real(nextDelay);
        setPresent(BcAutoNextButton, true);
        setPresent(BcAutoNextTime, true);
    } else {
        r.AutoNextButton = -1;
        setPresent(BcAutoNextButton, false);
        setPresent(BcAutoNextTime, false);
    }

    const bool broadcast = sendBroadcast->isChecked() && !wParam->text().isEmpty();
    r.Broadcast = broadcast ? integer(wParam) : 0;
    setPresent(BcBroadcast, broadcast);

    r.OptionFlags = (repeatRestartTimer->isChecked() ? kRepeatArmsNext : 0)
                  | (repeatSupressDigitalOut->isChecked() ? kRepeatNoOutputs : 0)
                  | (repeatSupressSoundPlayback->isChecked() ? kRepeatNoSound : 0);
    setPresent(BcOptionFlags, true);

    if (!numbersOk)
        return Refuse(QStringLiteral("'%1' is not a valid number").arg(badNumber), windowTitle());
    m_row = r;
    return true;
}

bool ShowButtonInfoDialog(QWidget* owner, ButtonDefinition& row, TButtonForm& panel, const ButtonTargets& targets)
{
    TButtonInfoDlg dialog(owner, row, panel, targets);
    dialog.PageControl1->setCurrentIndex(lastPage());
    const bool accepted = shell::ui::Dialogs().RunDialog(dialog);
    lastPage() = dialog.PageControl1->currentIndex();
    return accepted;
}

} // namespace velmar::forms
