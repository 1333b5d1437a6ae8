#include "CameraSettingsDialog.h"

#include "platform/FileDialogs.h"
#include "widgets/MessageBoxSeam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmar::camera {

using velmar::shell::ui::ShowMessageBox;

namespace {

constexpr int bitmapFiles = 1;
constexpr int aviFiles = 2;

// A number as "0.##" or "0.#" shows it: at most that many decimals, no
// trailing zeros.
QString NumberText(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

// The list's items, with the stored index selected when there are any.
void Fill(QComboBox* list, const QStringList& items, int index)
{
    list->clear();
    list->addItems(items);
    if (list->count() > 0)
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

QComboBox* List(QWidget* parent, const char* name, const QStringList& items, int index)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    Fill(list, items, index);
    return list;
}

QLineEdit* Edit(QWidget* parent, const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption, bool checked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

// An edit with its unit after it.
QHBoxLayout* WithUnit(QLineEdit* edit, const QString& unit)
{
    auto* row = new QHBoxLayout;
    row->addWidget(edit);
    row->addWidget(new QLabel(unit));
    return row;
}

} // namespace

TCameraSettings::TCameraSettings(QWidget* parent, const TCamSettings& settings, CameraDevices& devices)
    : QDialog(parent), m_devices(devices), m_edited(settings)
{
    setWindowTitle(QStringLiteral("CameraSettings"));
    auto* pages = new QTabWidget(this);

    auto* input = new QWidget;
    auto* inputForm = new QFormLayout(input);
    m_device = List(input, "VideoDevice", devices.videoDevices(), settings.CameraNumber);
    inputForm->addRow(QStringLiteral("Camera"), m_device);
    m_videoSize = List(input, "VideoSize", {}, -1);
    inputForm->addRow(QStringLiteral("Video Size"), m_videoSize);
    m_videoInputs = List(input, "cbVideoInputs", {}, -1);
    inputForm->addRow(QStringLiteral("Video Input"), m_videoInputs);
    FillSizesAndInputs(devices.currentLists(), settings.VideoSize, settings.VideoInput);
    m_frameRate = Edit(input, "FrameRate", NumberText(settings.FrameRate, 2));
    inputForm->addRow(QStringLiteral("Frame Rate"), WithUnit(m_frameRate, QStringLiteral("fps")));
    m_dvReduceFrameRate = Check(input, "DVReduceFrameRate", QStringLiteral("DV Half Frame Rate"),
                                settings.DVReduceFrameRate);
    inputForm->addRow(m_dvReduceFrameRate);
    m_displayScale = List(input, "displayScale",
                          {QStringLiteral("Full Scale"), QStringLiteral("1/2 Scale"), QStringLiteral("1/4 Scale"),
                           QStringLiteral("1/8 Scale")},
                          settings.DisplayScale);
    inputForm->addRow(QStringLiteral("Display Scale"), m_displayScale);
    m_outputFormat = List(
        input, "outputFormat",
        {QStringLiteral("JPeg files"), QStringLiteral("Bitmap files"), QStringLiteral("AVI video files")},
        settings.outputFormat);
    inputForm->addRow(QStringLiteral("StorageFormat"), m_outputFormat);
    m_jpegQuality = new QSlider(Qt::Horizontal, input);
    m_jpegQuality->setObjectName(QStringLiteral("jpegQuality"));
    m_jpegQuality->setRange(5, 10);
    m_jpegQuality->setPageStep(1);
    m_jpegQuality->setTickPosition(QSlider::TicksBelow);
    m_jpegQuality->setValue(settings.jpegQuality / 10);
    inputForm->addRow(QStringLiteral("JPEG Quality"), m_jpegQuality);
    m_grabAudio = Check(input, "GrabAudio", QStringLiteral("Include Audio"), settings.GrabAudio);
    inputForm->addRow(m_grabAudio);
    m_audioDevice = List(input, "AudioDevice", devices.audioDevices(), settings.AudioDevice);
    inputForm->addRow(QStringLiteral("Audio Device"), m_audioDevice);
    m_clipboard = Check(input, "clipboard", QStringLiteral("Copy to Clipboard"), settings.CopyToClipboard);
    inputForm->addRow(m_clipboard);
    pages->addTab(input, QStringLiteral("Video Input"));

    auto* grabbing = new QWidget;
    auto* grabForm = new QFormLayout(grabbing);
    m_grabFrameRate = Edit(grabbing, "GrabFrameRate", NumberText(settings.grabFrameRate, 2));
    grabForm->addRow(QStringLiteral("Grab Rate"), WithUnit(m_grabFrameRate, QStringLiteral("fps")));
    m_rgbFormat = List(grabbing, "GrabberRGBFormat",
                       {QStringLiteral("default"), QStringLiteral("32 bits RGB"), QStringLiteral("24 bits RGB"),
                        QStringLiteral("16 bits RGB 5:6:5"), QStringLiteral("16 bits RGB 5:5:5"),
                        QStringLiteral("8 bits RGB")},
                       settings.FrameGrabberRGBFormat);
    grabForm->addRow(QStringLiteral("RGB Format"), m_rgbFormat);
    m_singleFrame = Check(grabbing, "SingleFrame", QStringLiteral("Single Frame"), settings.grabSingle);
    grabForm->addRow(m_singleFrame);
    m_fullRate = Check(grabbing, "GrabFullRate", QStringLiteral("Full Preview Rate"), settings.grabFullRate != 0);
    grabForm->addRow(m_fullRate);
    m_preSample = Edit(grabbing, "PreSample", NumberText(settings.grabPreSeconds, 1));
    grabForm->addRow(QStringLiteral("Pre-Sample"), WithUnit(m_preSample, QStringLiteral("seconds")));
    m_postSample = Edit(grabbing, "PostSample", NumberText(settings.grabPostSeconds, 1));
    grabForm->addRow(QStringLiteral("Post-sample"), WithUnit(m_postSample, QStringLiteral("seconds")));
    m_outputInitials = Edit(grabbing, "outputInitials", settings.outputInitials);
    grabForm->addRow(QStringLiteral("File initials"), m_outputInitials);
    m_outputDirectory = Edit(grabbing, "outputDirectory", settings.outputDirectory);
    auto* select = new QPushButton(QStringLiteral("..."), grabbing);
    select->setObjectName(QStringLiteral("selectDirectory"));
    m_selectDirectory = select;
    connect(select, &QPushButton::clicked, this, [this] {
        const QString folder = platform::ChooseFolder(this, QString(), m_outputDirectory->text());
        if (!folder.isEmpty())
            m_outputDirectory->setText(folder);
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_outputDirectory);
    folderRow->addWidget(select);
    grabForm->addRow(QStringLiteral("Output Directory"), folderRow);
    pages->addTab(grabbing, QStringLiteral("Frame Grabbing"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("ButtonOk"));
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("ButtonCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(pages);
    column->addWidget(buttons);

    connect(m_device, &QComboBox::activated, this, &TCameraSettings::VideoDeviceChange);
    for (QCheckBox* box : {m_singleFrame, m_fullRate, m_grabAudio, m_clipboard})
        connect(box, &QCheckBox::toggled, this, &TCameraSettings::ShowDependentControls);
    connect(m_outputFormat, &QComboBox::currentIndexChanged, this, &TCameraSettings::ShowDependentControls);
    ShowDependentControls();
}

void TCameraSettings::FillSizesAndInputs(const CameraDeviceLists& lists, int size, int input)
{
    Fill(m_videoSize, lists.sizes, size);
    Fill(m_videoInputs, lists.inputs, input);
    m_digitalVideo = lists.digitalVideo;
}

void TCameraSettings::VideoDeviceChange(int index)
{
    FillSizesAndInputs(m_devices.selectDevice(index), m_videoSize->currentIndex(), m_videoInputs->currentIndex());
    ShowDependentControls();
}

void TCameraSettings::ShowDependentControls()
{
    m_dvReduceFrameRate->setEnabled(m_digitalVideo);
    m_frameRate->setEnabled(!m_digitalVideo);
    const bool single = m_singleFrame->isChecked();
    m_fullRate->setEnabled(!single);
    m_grabFrameRate->setEnabled(!single && !m_fullRate->isChecked());
    m_preSample->setEnabled(!single);
    m_postSample->setEnabled(!single);
    // The clipboard takes single bitmaps; nothing goes to files.
    const bool files = !m_clipboard->isChecked();
    if (!files) {
        m_singleFrame->setChecked(true);
        m_outputFormat->setCurrentIndex(bitmapFiles);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_jpegQuality, m_outputInitials, m_outputDirectory,
                                                      m_selectDirectory, m_singleFrame, m_outputFormat})
        w->setEnabled(files);
    // Sound goes only into AVI clips.
    const bool avi = m_outputFormat->currentIndex() == aviFiles;
    m_grabAudio->setEnabled(avi);
    if (!avi)
        m_grabAudio->setChecked(false);
    m_audioDevice->setEnabled(m_grabAudio->isChecked());
}

bool TCameraSettings::ReadControls()
{
    TCamSettings s = m_edited;
    struct Number {
        QLineEdit* edit;
        double* field;
        enum { Any, Positive, NotNegative } rule;
        const char* what;
    };
    const Number numbers[] = {
        {m_frameRate, &s.FrameRate, Number::Any, "Frame Rate"},
        {m_grabFrameRate, &s.grabFrameRate, Number::Positive, "Grab Rate"},
        {m_preSample, &s.grabPreSeconds, Number::NotNegative, "Pre-Sample"},
        {m_postSample, &s.grabPostSeconds, Number::NotNegative, "Post-sample"},
    };
    for (const Number& n : numbers) {
        bool ok = false;
        const double v = n.edit->text().trimmed().toDouble(&ok);
        const bool allowed = ok && (n.rule == Number::Any || (n.rule == Number::Positive ? v > 0 : v >= 0));
        if (!allowed) {
            const QString rule = n.rule == Number::Positive    ? QStringLiteral(" above 0")
                               : n.rule == Number::NotNegative ? QStringLiteral(" of 0 or more")
                                                               : QString();
            ShowMessageBox(this,
                           QStringLiteral("'%1' is not a valid %2: it must be a number%3.")
                               .arg(n.edit->text(), QLatin1String(n.what), rule),
                           windowTitle(), QMessageBox::Critical);
            n.edit->setFocus();
            return false;
        }
        *n.field = v;
    }
    s.CameraNumber = m_device->currentIndex();
    s.CameraName = m_device->currentText();
    s.DVReduceFrameRate = m_dvReduceFrameRate->isChecked();
    s.VideoSize = m_videoSize->currentIndex();
    s.VideoInput = m_videoInputs->currentIndex();
    s.grabSingle = m_singleFrame->isChecked();
    s.grabFullRate = m_fullRate->isChecked() ? 1 : 0;
    s.FrameGrabberRGBFormat = m_rgbFormat->currentIndex();
    s.outputDirectory = m_outputDirectory->text();
    s.outputInitials = m_outputInitials->text();
    s.CopyToClipboard = m_clipboard->isChecked();
    s.outputFormat = m_outputFormat->currentIndex();
    s.jpegQuality = m_jpegQuality->value() * 10;
    if (!s.outputDirectory.isEmpty() && !QDir().mkpath(s.outputDirectory)) {
        ShowMessageBox(this, s.outputDirectory, QStringLiteral("Unable to create output directory"),
                       QMessageBox::Critical);
        return false;
    }
    s.DisplayScale = m_displayScale->currentIndex();
    s.GrabAudio = m_grabAudio->isChecked();
    s.AudioDevice = m_audioDevice->currentIndex();
    m_edited = s;
    return true;
}

void TCameraSettings::accept()
{
    if (ReadControls())
        QDialog::accept();
}

} // namespace velmar::camera
