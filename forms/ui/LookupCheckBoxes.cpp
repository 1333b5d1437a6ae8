#include "forms/ui/LookupCheckBoxes.h"

#include "forms/UserFormInfo.h"
#include "forms/UserFormPlotMenu.h"
#include "widgets/MyControls.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace velmar::forms {

namespace {

constexpr int ScreenReserve = 50;
constexpr int BoxWidthChars = 22;
constexpr int MaxTextChars = 38;

} // namespace

LookupCheckBoxes::LookupCheckBoxes(QWidget* parent, TUserFormInfo& form, std::function<void()> plotChanged,
                                   int screenHeight)
    : QDialog(parent)
    , m_form(form)
    , m_plotChanged(std::move(plotChanged))
{
    setWindowTitle(QStringLiteral("Select %1 to plot").arg(form.FormName));
    const QFontMetrics metrics(font());
    const int h = metrics.height();
    const int w = metrics.averageCharWidth();
    const int s = h + h / 2;
    if (screenHeight <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        screenHeight = screen ? screen->geometry().height() : 768;
    }
    const int d = screenHeight - ScreenReserve;

    std::vector<const PlotMenuItem*> items;
    for (const PlotMenuItem& item : PlotMenuOf(form))
        if (!item.text.isEmpty())
            items.push_back(&item);
    const int n = int(items.size());
    int k = 1;
    while ((n + 5) * s / k > d && k < n)
        ++k;
    m_columns = k;
    const int rows = n > 0 ? (n + k - 1) / k : 0;

    int lowest = h;
    for (int i = 0; i < n; ++i) {
        const int column = rows > 0 ? i / rows : 0;
        const int row = rows > 0 ? i % rows : 0;
        auto* box = new QCheckBox(items[std::size_t(i)]->text.left(MaxTextChars), this);
        shell::SetControlId(box, items[std::size_t(i)]->id);
        const int y = h + row * s;
        box->setGeometry(3 * w + column * BoxWidthChars * w, y, BoxWidthChars * w, h);
        box->setChecked(items[std::size_t(i)]->checked);
        lowest = std::max(lowest, y);
    }
    const int buttonsY = lowest + 2 * (h / 2) + h;
    const int buttonWidth = 10 * w;
    int x = 3 * w;
    const auto button = [&](const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setGeometry(x, buttonsY, buttonWidth, 2 * h);
        x += buttonWidth + 2 * w;
        return b;
    };
    connect(button(QStringLiteral("Ok")), &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
    connect(button(QStringLiteral("Cancel")), &QPushButton::clicked, this, &QDialog::reject);
    QPushButton* apply = button(QStringLiteral("Apply"));
    shell::SetControlId(apply, LookupApplyId);
    connect(apply, &QPushButton::clicked, this, [this] { Apply(); });
    setFixedSize(std::max(k * BoxWidthChars * w + 6 * w, x + 5), std::max((rows + 5) * s, buttonsY + 3 * h));
}

QCheckBox* LookupCheckBoxes::BoxFor(int id) const
{
    for (QCheckBox* box : findChildren<QCheckBox*>())
        if (shell::ControlIdOf(box) == id)
            return box;
    return nullptr;
}

int LookupCheckBoxes::Apply()
{
    int changed = 0;
    for (const PlotMenuItem& item : std::vector<PlotMenuItem>(PlotMenuOf(m_form))) {
        if (item.text.isEmpty())
            continue;
        QCheckBox* box = BoxFor(item.id);
        if (!box)
            continue;
        if (box->isChecked() != item.checked)
            ++changed;
        SetPlotMenuCheck(m_form, item.id, box->isChecked());
    }
    if (changed > 0) {
        ReadPlotMenu(m_form);
        if (m_plotChanged)
            m_plotChanged();
    }
    return changed;
}

} // namespace velmar::forms
