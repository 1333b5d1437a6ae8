#include "shell/ui/MapFileDialog.h"

#include "platform/FileDialogs.h"
#include "map/MapFiles.h"
#include "shell/ui/SettingsChecks.h"
#include "shell/ui/SmallForms.h"
#include "widgets/FontConversion.h"
#include "widgets/MessageBoxSeam.h"
#include "widgets/MyControls.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmar::shell::ui {

using store::TheProgramSettings;

namespace {

constexpr int CustomColourCount = 16;
constexpr int GreyCount = 11;
constexpr QRgb FirstGrey = 0xEFEFEF;
constexpr QRgb GreyStep = 0x101010;

// The colour dialog's custom colours: white, eleven greys, four black. Filled
// once; what the operator makes of them lasts for the run.
void OfferCustomColours()
{
    static bool filled = false;
    if (filled)
        return;
    filled = true;
    QColorDialog::setCustomColor(0, QColor(0xFFFFFF));
    for (int i = 0; i < GreyCount; ++i)
        QColorDialog::setCustomColor(1 + i, QColor(FirstGrey - QRgb(i) * GreyStep));
    for (int i = 1 + GreyCount; i < CustomColourCount; ++i)
        QColorDialog::setCustomColor(i, QColor(0, 0, 0));
}

// A coastline file's lines carry level 0 too; only contour lines make levels
// to choose from.
bool HasContours()
{
    const std::vector<map::MapFeature>& features = map::TheMapFeatures().Features();
    return !map::TheMapFeatures().Levels().empty()
        && std::any_of(features.begin(), features.end(),
                       [](const map::MapFeature& f) { return f.kind != map::FeatureCoast; });
}

// Windows colour values are 0x00BBGGRR.
QColor ColourOfValue(int32_t v)
{
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int32_t ValueOfColour(const QColor& c)
{
    return int32_t(c.red() | (c.green() << 8) | (c.blue() << 16));
}

QPushButton* Button(QWidget* parent, int id, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::number(id));
    return b;
}

} // namespace

MapFileDialog::MapFileDialog(std::function<void()> chartChanged, QWidget* parent)
    : ProgramSettingsPage(tr("Map File"), parent), m_chartChanged(std::move(chartChanged))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Map files may be either of type .asc or .map"), this));
    m_path = MakeEdit(IdPath, PathLimit, TheProgramSettings.MapFile.text());
    layout->addWidget(m_path);
    auto* row = new QHBoxLayout;
    QPushButton* browse = Button(this, IdBrowse, tr("Browse Map Files"));
    row->addWidget(browse);
    row->addStretch();
    layout->addLayout(row);
    layout->addWidget(new QLabel(tr("Enter nothing if you wish to work without a map"), this));
    auto* buttons = new QHBoxLayout;
    QPushButton* contours = Button(this, IdSelectContours, tr("Select Contours"));
    QPushButton* colour = Button(this, IdCoastlineColour, tr("Coastline Colour"));
    buttons->addWidget(contours);
    buttons->addWidget(colour);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    connect(browse, &QPushButton::clicked, this, [this] { CmBrowseMapFiles(); });
    connect(contours, &QPushButton::clicked, this, [this] { CmSelectContours(); });
    connect(colour, &QPushButton::clicked, this, [this] { CmCoastlineColour(); });
}

int MapFileDialog::Load(const QString& path)
{
    const int features = map::TheMapFeatures().LoadMapFile(path);
    if (m_chartChanged)
        m_chartChanged();
    return features;
}

void MapFileDialog::Free()
{
    map::TheMapFeatures().FreeMapFeatures();
    if (m_chartChanged)
        m_chartChanged();
}

bool MapFileDialog::StoreSettings()
{
    const QString path = m_path->text().left(PathLimit - 1);
    if (path.isEmpty()) {
        TheProgramSettings.MapFile.setText(QString());
        Free();
        return true;
    }
    if (Load(path) == 0) {
        ShowMessageBox(this, path, QLatin1String(InvalidMapFileCaption), QMessageBox::Critical);
        const QString previous = TheProgramSettings.MapFile.text();
        if (previous.isEmpty())
            Free();
        else
            Load(previous);
        return false;
    }
    TheProgramSettings.MapFile.setText(path);
    return true;
}

void MapFileDialog::CmBrowseMapFiles()
{
    const QString chosen = platform::ChooseExistingFile(this, tr("Map File"), m_path->text(),
                                                        tr("Map Files (*.asc *.map)"));
    if (chosen.isEmpty())
        return;
    Load(chosen);
    m_path->setText(chosen);
}

void MapFileDialog::CmSelectContours()
{
    if (!StoreSettings() || !HasContours())
        return;
    ContoursDialog dialog(this);
    RunForm(dialog);
}

void MapFileDialog::CmCoastlineColour()
{
    OfferCustomColours();
    const QColor chosen = QColorDialog::getColor(ColourOfValue(TheProgramSettings.CoastColour), this);
    if (chosen.isValid())
        TheProgramSettings.CoastColour = ValueOfColour(chosen);
}

// ---- "Select Contours"

ContoursDialog::ContoursDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Select Contours"));
    setFont(FontFromLogFont(TheProgramSettings.DisplayLogFont));
    const QFontMetrics fm(font());
    const int h = fm.height();
    const int w = fm.averageCharWidth();
    const std::vector<map::ContourFlag>& levels = map::TheMapFeatures().Levels();
    m_levels = int(levels.size());
    const int n = m_levels;
    const int pitch = h + 3 + h / 2;
    setFixedSize(30 * w, (n + 2) * (h + 3) + (n + 1) * (h / 2) + 4 * h);
    for (int i = 0; i < n; ++i) {
        auto* box = new TMyCheckBox(this, IdFirstLevel + i, QString::number(levels[std::size_t(i)].value), 8 * w,
                                    2 * h + i * pitch, 19 * w, h + 3);
        box->setObjectName(QString::number(IdFirstLevel + i));
        box->setChecked(std::size_t(i) < TheProgramSettings.ShowContour.size()
                        && TheProgramSettings.ShowContour[std::size_t(i)]);
    }
    auto* ok = new TMyButton(this, IdOk, tr("Ok"), 8 * w, 2 * h + n * pitch + h / 2, 10 * w, h + 7, true);
    ok->setObjectName(QString::number(IdOk));
    connect(ok, &QPushButton::clicked, this, [this] { CmOk(); });
}

QCheckBox* ContoursDialog::LevelBox(int i) const
{
    return ControlById<QCheckBox>(this, IdFirstLevel + i);
}

void ContoursDialog::CmOk()
{
    std::vector<bool> ticked;
    for (int i = 0; i < m_levels; ++i)
        ticked.push_back(LevelBox(i) && LevelBox(i)->isChecked());
    TheProgramSettings = ApplyContourChoice(TheProgramSettings, ticked);
    QString error;
    if (!store::WriteProgramSettings(&error))
        ShowMessageBox(this, error, QLatin1String(store::SettingsFileErrorCaption), QMessageBox::Critical);
    accept();
}

} // namespace velmar::shell::ui
