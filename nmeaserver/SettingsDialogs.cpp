#include "nmeaserver/SettingsDialogs.h"

#include "platform/FileDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace velmar::nmeaserver {

namespace {

QDialogButtonBox* okCancel(QDialog* dialog, const QString& ok, const QString& okName, const QString& cancel,
                           const QString& cancelName)
{
    auto* buttons = new QDialogButtonBox;
    QPushButton* okButton = buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    okButton->setObjectName(okName);
    okButton->setDefault(true);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole)->setObjectName(cancelName);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QLineEdit* edit(const QString& name, int maxLength = 0)
{
    auto* e = new QLineEdit;
    e->setObjectName(name);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

// The number format "00.000": at least two whole digits, three decimals.
QString twoDigitsThreeDecimals(double v)
{
    return (v < 0 ? QStringLiteral("-") : QString()) + QString::asprintf("%06.3f", std::fabs(v));
}

bool toReal(const QLineEdit* e, float& out, RealBounds bounds)
{
    const std::optional<float> v = parseBoundedReal(e->text(), bounds);
    if (v)
        out = *v;
    return v.has_value();
}
} // namespace

// --- Port settings -----------------------------------------------------------

const std::vector<int>& TPortSettings::baudRates()
{
    return BaudRates();
}

TPortSettings::TPortSettings(QWidget* owner, std::vector<THREADDATA>& ports, SIMSETTINGS& sim)
    : QDialog(owner), m_ports(ports), m_sim(sim)
{
    setObjectName(QStringLiteral("PortSettings"));
    setWindowTitle(QStringLiteral("Port Settings"));
    auto* group = new QGroupBox(QStringLiteral("Com Port"));
    auto* grid = new QGridLayout(group);
    simulateData = new QCheckBox(QStringLiteral("Simulate Data"));
    simulateData->setObjectName(QStringLiteral("simulateData"));
    simulateData->setChecked(sim.Simulate);
    simulationButton = new QPushButton(QStringLiteral("Settings"));
    simulationButton->setObjectName(QStringLiteral("simulationButton"));
    grid->addWidget(simulateData, 0, 0);
    grid->addWidget(simulationButton, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Port")), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("baud")), 1, 1);

    int row = 2;
    for (const THREADDATA& port : ports) {
        auto* box = new QCheckBox(port.PortName);
        box->setObjectName(QStringLiteral("com%1").arg(row - 2));
        box->setChecked(port.Enable);
        auto* list = new QComboBox;
        list->setObjectName(QStringLiteral("baud%1").arg(row - 2));
        for (int rate : baudRates())
            list->addItem(QString::number(rate));
        const bool known = std::find(baudRates().begin(), baudRates().end(), port.BaudRate) != baudRates().end();
        list->setCurrentText(QString::number(known ? port.BaudRate : DefaultBaud));
        connect(box, &QCheckBox::clicked, this, &TPortSettings::ShowDependentControls);
        grid->addWidget(box, row, 0);
        grid->addWidget(list, row, 1);
        portBoxes.push_back(box);
        baudLists.push_back(list);
        ++row;
    }

    auto* buttons = okCancel(this, QStringLiteral("Ok"), QStringLiteral("okButton"), QStringLiteral("Cancel"),
                             QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        okButtonClick();
        accept();
    });
    connect(simulateData, &QCheckBox::clicked, this, &TPortSettings::ShowDependentControls);
    connect(simulationButton, &QPushButton::clicked, this, [this] {
        TSimSettings dialog(this, m_sim);
        dialog.exec();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

void TPortSettings::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ShowDependentControls();
}

void TPortSettings::ShowDependentControls()
{
    const bool simulate = simulateData->isChecked();
    for (size_t i = 0; i < portBoxes.size(); ++i) {
        portBoxes[i]->setEnabled(!simulate);
        baudLists[i]->setEnabled(!simulate && portBoxes[i]->isChecked());
    }
    simulationButton->setEnabled(simulate);
}

void TPortSettings::okButtonClick()
{
    m_sim.Simulate = simulateData->isChecked();
    for (size_t i = 0; i < m_ports.size() && i < portBoxes.size(); ++i) {
        m_ports[i].Enable = portBoxes[i]->isChecked();
        m_ports[i].BaudRate = baudLists[i]->currentText().toInt();
    }
}

// --- Simulation settings -----------------------------------------------------

TSimSettings::TSimSettings(QWidget* owner, SIMSETTINGS& sim) : QDialog(owner), m_sim(sim)
{
    setObjectName(QStringLiteral("SimSettings"));
    setWindowTitle(QStringLiteral("Simulation Settings"));
    Lat = edit(QStringLiteral("Lat"));
    Long = edit(QStringLiteral("Long"));
    Speed = edit(QStringLiteral("Speed"));
    Heading = edit(QStringLiteral("Heading"));
    Initials = edit(QStringLiteral("Initials"), InitialsLength);
    HDTInitials = edit(QStringLiteral("HDTInitials"), InitialsLength);
    HDMInitials = edit(QStringLiteral("HDMInitials"), InitialsLength);
    Interval = edit(QStringLiteral("Interval"));

    auto addRow = [](QGridLayout* g, int row, const QString& label, QLineEdit* e, const QString& note) {
        g->addWidget(new QLabel(label), row, 0);
        g->addWidget(e, row, 1);
        g->addWidget(new QLabel(note), row, 2);
    };
    auto* start = new QGroupBox(QStringLiteral("Start Position and Speed"));
    auto* g1 = new QGridLayout(start);
    addRow(g1, 0, QStringLiteral("Latitude"), Lat, QStringLiteral("decimal degrees"));
    addRow(g1, 1, QStringLiteral("Longitude"), Long, QStringLiteral("decimal degrees"));
    addRow(g1, 2, QStringLiteral("Speed"), Speed, QStringLiteral("knots"));
    addRow(g1, 3, QStringLiteral("Heading"), Heading, QStringLiteral("degrees"));
    auto* format = new QGroupBox(QStringLiteral("Format"));
    auto* g2 = new QGridLayout(format);
    addRow(g2, 0, QStringLiteral("RMC String Type"), Initials, QStringLiteral("e.g. GP, II, etc."));
    addRow(g2, 1, QStringLiteral("HDT String Type"), HDTInitials, QStringLiteral("e.g. HE, IN, etc."));
    addRow(g2, 2, QStringLiteral("HDM String Type"), HDMInitials, QStringLiteral("e.g. HC, IN, etc."));
    addRow(g2, 3, QStringLiteral("Output interval"), Interval, QStringLiteral("s"));

    auto* buttons = okCancel(this, QStringLiteral("OK"), QStringLiteral("okbutton"), QStringLiteral("Cancel"),
                             QStringLiteral("cancelbutton"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (okbuttonClick())
            accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(start);
    layout->addWidget(format);
    layout->addWidget(buttons);
}

void TSimSettings::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Lat->setText(twoDigitsThreeDecimals(m_sim.Latitude));
    Long->setText(twoDigitsThreeDecimals(m_sim.Longitude));
    Speed->setText(twoDigitsThreeDecimals(m_sim.Speed));
    Heading->setText(twoDigitsThreeDecimals(m_sim.Heading));
    Initials->setText(m_sim.Initials);
    HDTInitials->setText(m_sim.HDTInitials);
    HDMInitials->setText(m_sim.HDMInitials);
    Interval->setText(QString::asprintf("%.1f", double(m_sim.Interval)));
}

bool TSimSettings::okbuttonClick()
{
    // Each value is stored as soon as it converts; the first that does not
    // keeps the dialog open.
    if (!toReal(Lat, m_sim.Latitude, LatitudeBounds) || !toReal(Long, m_sim.Longitude, LongitudeBounds)
        || !toReal(Speed, m_sim.Speed, SpeedBounds) || !toReal(Heading, m_sim.Heading, HeadingBounds))
        return false;
    m_sim.Initials = Initials->text();
    if (m_sim.Initials.size() != InitialsLength)
        return false;
    float interval = 0;
    if (!toReal(Interval, interval, IntervalBounds)) {
        QMessageBox::warning(this, QStringLiteral("Simulation Settings"),
                             QStringLiteral("The output interval must be at least %1 s").arg(IntervalBounds.low));
        return false;
    }
    m_sim.Interval = interval;
    m_sim.HDTInitials = HDTInitials->text();
    m_sim.HDMInitials = HDMInitials->text();
    return true;
}

// --- Dump settings -------------------------------------------------------------

TDumpDialog::TDumpDialog(QWidget* owner, DATADUMPINFO& dump) : QDialog(owner), m_dump(dump)
{
    setObjectName(QStringLiteral("DumpDialog"));
    setWindowTitle(QStringLiteral("ASCII Data Dump"));
    auto* group = new QGroupBox(QStringLiteral("File Data Dump"));
    auto* grid = new QGridLayout(group);
    auto* text = new QLabel(QStringLiteral("NMEA Data from all strings can be dumped to ASCII data files. A new file "
                                           "will be automatically created each day in the designated directory."));
    text->setWordWrap(true);
    DoDump = new QCheckBox(QStringLiteral("Dump NMEA data to ASCII Files"));
    DoDump->setObjectName(QStringLiteral("DoDump"));
    dumpAll = new QCheckBox(QStringLiteral("Dump all strings"));
    dumpAll->setObjectName(QStringLiteral("dumpAll"));
    Interval = edit(QStringLiteral("Interval"));
    Directory = edit(QStringLiteral("Directory"));
    dirSelect = new QPushButton(QStringLiteral("Select / Create"));
    dirSelect->setObjectName(QStringLiteral("dirSelect"));
    grid->addWidget(text, 0, 0, 1, 3);
    grid->addWidget(DoDump, 1, 0, 1, 3);
    grid->addWidget(dumpAll, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Interval")), 3, 0);
    grid->addWidget(Interval, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("s")), 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("Output directory")), 4, 0);
    grid->addWidget(Directory, 4, 1);
    grid->addWidget(dirSelect, 4, 2);

    DoDump->setChecked(dump.DumpData);
    dumpAll->setChecked(dump.DumpALLStrings);
    Interval->setText(QString::number(dump.DumpInterval));
    Directory->setText(dump.Directory);

    auto* buttons = okCancel(this, QStringLiteral("Ok"), QStringLiteral("okButton"), QStringLiteral("Cancel"),
                             QStringLiteral("cancelBuitton"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (okButtonClick())
            accept();
    });
    connect(DoDump, &QCheckBox::clicked, this, [this] {
        if (!DoDump->isChecked())
            dumpAll->setChecked(false);
        ShowDependentControls();
    });
    connect(dumpAll, &QCheckBox::clicked, this, &TDumpDialog::ShowDependentControls);
    connect(dirSelect, &QPushButton::clicked, this, &TDumpDialog::dirSelectClick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    ShowDependentControls();
}

void TDumpDialog::ShowDependentControls()
{
    const bool dumping = DoDump->isChecked();
    dumpAll->setEnabled(dumping);
    Interval->setEnabled(dumping && !dumpAll->isChecked());
    Directory->setEnabled(dumping);
}

bool TDumpDialog::okButtonClick()
{
    m_dump.DumpData = DoDump->isChecked();
    if (!m_dump.DumpData)
        return true;
    m_dump.DumpALLStrings = dumpAll->isChecked();
    if (Interval->text().isEmpty() || Directory->text().isEmpty())
        return false;
    bool ok = false;
    const int interval = Interval->text().trimmed().toInt(&ok);
    if (!ok) {
        QMessageBox::warning(this, QStringLiteral("Error"),
                             QStringLiteral("'%1' is not a valid integer value").arg(Interval->text()));
        return false;
    }
    m_dump.DumpInterval = interval;
    m_dump.Directory = Directory->text();
    return true;
}

void TDumpDialog::dirSelectClick()
{
    const QString folder = platform::ChooseFolder(this, QStringLiteral("Output directory"), Directory->text());
    if (!folder.isEmpty())
        Directory->setText(folder);
}

} // namespace velmar::nmeaserver
