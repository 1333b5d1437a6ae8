#include "CameraSettingsDialog.h"

#include "widgets/MessageBoxSeam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace velmar::camera {

using velmar::shell::ui::ShowMessageBox;

TCameraSettings::TCameraSettings(QWidget* parent, const TCamSettings& settings, const QStringList& devices)
    : QDialog(parent), m_edited(settings)
{
    setWindowTitle(QStringLiteral("CameraSettings"));
    auto* form = new QFormLayout(this);
    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("VideoDevice"));
    m_device->addItems(devices);
    m_device->setCurrentIndex(settings.CameraNumber < devices.size() ? settings.CameraNumber : -1);
    form->addRow(QStringLiteral("Camera"), m_device);
    m_outputFormat = new QComboBox(this);
    m_outputFormat->addItems({QStringLiteral("JPeg files"), QStringLiteral("Bitmap files")});
    m_outputFormat->setCurrentIndex(settings.outputFormat == 1 ? 1 : 0);
    form->addRow(QStringLiteral("StorageFormat"), m_outputFormat);
    m_jpegQuality = new QSpinBox(this);
    m_jpegQuality->setRange(5, 10);
    m_jpegQuality->setValue(std::clamp(settings.jpegQuality / 10, 5, 10));
    form->addRow(QStringLiteral("JPEG Quality"), m_jpegQuality);
    m_clipboard = new QCheckBox(QStringLiteral("Copy to Clipboard"), this);
    m_clipboard->setChecked(settings.CopyToClipboard);
    form->addRow(m_clipboard);
    m_grabFrameRate = new QLineEdit(QString::number(settings.grabFrameRate), this);
    m_grabFrameRate->setObjectName(QStringLiteral("GrabFrameRate"));
    form->addRow(QStringLiteral("Grab Rate (fps)"), m_grabFrameRate);
    m_singleFrame = new QCheckBox(QStringLiteral("Single Frame"), this);
    m_singleFrame->setChecked(settings.grabSingle);
    form->addRow(m_singleFrame);
    m_fullRate = new QCheckBox(QStringLiteral("Full Preview Rate"), this);
    m_fullRate->setChecked(settings.grabFullRate != 0);
    form->addRow(m_fullRate);
    m_preSample = new QLineEdit(QString::number(settings.grabPreSeconds), this);
    m_preSample->setObjectName(QStringLiteral("PreSample"));
    form->addRow(QStringLiteral("Pre-Sample (seconds)"), m_preSample);
    m_postSample = new QLineEdit(QString::number(settings.grabPostSeconds), this);
    m_postSample->setObjectName(QStringLiteral("PostSample"));
    form->addRow(QStringLiteral("Post-sample (seconds)"), m_postSample);
    m_outputInitials = new QLineEdit(settings.outputInitials, this);
    form->addRow(QStringLiteral("File initials"), m_outputInitials);
    m_outputDirectory = new QLineEdit(settings.outputDirectory, this);
    m_outputDirectory->setObjectName(QStringLiteral("outputDirectory"));
    auto* select = new QPushButton(QStringLiteral("..."), this);
    connect(select, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QString(), m_outputDirectory->text());
        if (!folder.isEmpty())
            m_outputDirectory->setText(folder);
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_outputDirectory);
    folderRow->addWidget(select);
    form->addRow(QStringLiteral("Output Directory"), folderRow);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    connect(m_clipboard, &QCheckBox::toggled, this, &TCameraSettings::ShowDependentControls);
    ShowDependentControls();
}

void TCameraSettings::ShowDependentControls()
{
    // The clipboard takes single bitmaps; nothing goes to files.
    const bool files = !m_clipboard->isChecked();
    if (!files) {
        m_singleFrame->setChecked(true);
        m_outputFormat->setCurrentIndex(1);
    }
    m_singleFrame->setEnabled(files);
    m_outputFormat->setEnabled(files);
}

bool TCameraSettings::ReadControls()
{
    TCamSettings s = m_edited;
    struct Number {
        QLineEdit* edit;
        double* field;
        bool positive; // else 0 or more
        const char* what;
    };
    const Number numbers[] = {
        {m_grabFrameRate, &s.grabFrameRate, true, "Grab Rate"},
        {m_preSample, &s.grabPreSeconds, false, "Pre-Sample"},
        {m_postSample, &s.grabPostSeconds, false, "Post-sample"},
    };
    for (const Number& n : numbers) {
        bool ok = false;
        const double v = n.edit->text().trimmed().toDouble(&ok);
        if (!ok || (n.positive ? !(v > 0) : !(v >= 0))) {
            ShowMessageBox(this,
                           QStringLiteral("'%1' is not a valid %2: it must be a number %3.")
                               .arg(n.edit->text(), QLatin1String(n.what),
                                    n.positive ? QStringLiteral("above 0") : QStringLiteral("of 0 or more")),
                           windowTitle(), QMessageBox::Critical);
            n.edit->setFocus();
            return false;
        }
        *n.field = v;
    }
    s.CameraNumber = m_device->currentIndex();
    s.CameraName = m_device->currentText();
    s.grabSingle = m_singleFrame->isChecked();
    s.grabFullRate = m_fullRate->isChecked() ? 1 : 0;
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
    m_edited = s;
    return true;
}

void TCameraSettings::accept()
{
    if (ReadControls())
        QDialog::accept();
}

} // namespace velmar::camera
