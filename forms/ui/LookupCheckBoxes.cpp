#include "forms/ui/LookupCheckBoxes.h"

#include "forms/UserFormPlotMenu.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace velmar::forms {

namespace {

// The desktop's height less the room the task bar takes.
constexpr int kScreenMargin = 50;
constexpr int kExtraRows = 5;
constexpr int kBoxWidthChars = 22;
constexpr int kLeftChars = 3;
constexpr int kMarginChars = 6;
constexpr int kButtonWidthChars = 10;

QPushButton* button(QWidget* parent, const QString& text, const char* name)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

LookupGrid LookupCheckBoxGrid(int items, int pitch, int usableHeight)
{
    LookupGrid g;
    if (items <= 0)
        return g;
    const int needed = (items + kExtraRows) * pitch;
    g.columns = 1;
    while (needed / g.columns > usableHeight && g.columns < items)
        ++g.columns;
    g.rows = (items + g.columns - 1) / g.columns;
    return g;
}

LookupCheckBoxes::LookupCheckBoxes(QWidget* parent, TUserFormInfo& form, std::function<void()> changed)
    : QDialog(parent), m_form(form), m_changed(std::move(changed))
{
    setWindowTitle(tr("Select %1 to plot").arg(form.FormName));
    QPushButton* ok = button(this, tr("Ok"), "Ok");
    QPushButton* cancel = button(this, tr("Cancel"), "Cancel");
    QPushButton* apply = button(this, tr("Apply"), "Apply");
    const QFontMetrics fm(cancel->font());
    const int h = fm.height();
    const int w = fm.averageCharWidth();
    const int pitch = h + h / 2;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int usable = desktop.height() - kScreenMargin;

    std::vector<const PlotMenuItem*> items;
    for (const PlotMenuItem& item : PlotMenuOf(form))
        if (item.kind != PlotMenuItem::Separator && !item.text.isEmpty())
            items.push_back(&item);
    m_grid = LookupCheckBoxGrid(int(items.size()), pitch, usable);

    int lowest = h;
    for (int i = 0; i < int(items.size()); ++i) {
        const int column = m_grid.rows > 0 ? i / m_grid.rows : 0;
        const int row = m_grid.rows > 0 ? i % m_grid.rows : 0;
        auto* box = new QCheckBox(items[std::size_t(i)]->text.left(MaxBoxText), this);
        box->setObjectName(QString::number(items[std::size_t(i)]->id));
        const int y = h + row * pitch;
        box->setGeometry(kLeftChars * w + column * kBoxWidthChars * w, y, kBoxWidthChars * w, h);
        box->setChecked(items[std::size_t(i)]->checked);
        lowest = std::max(lowest, y);
    }
    const int buttonsY = lowest + 2 * (h / 2) + h;
    int x = kLeftChars * w;
    for (QPushButton* b : {ok, cancel, apply}) {
        b->setGeometry(x, buttonsY, kButtonWidthChars * w, 2 * h);
        x += (kButtonWidthChars + 2) * w;
    }
    const int width = std::max(m_grid.columns * kBoxWidthChars * w + kMarginChars * w, x + 5);
    const int height = std::max((m_grid.rows + kExtraRows) * pitch, buttonsY + 3 * h);
    resize(width, height);
    move(desktop.left() + (desktop.width() - width) / 2, desktop.top() + (usable - height) / 2);

    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply, &QPushButton::clicked, this, [this] { ApplyBoxes(); });
}

QCheckBox* LookupCheckBoxes::Box(int id) const
{
    return findChild<QCheckBox*>(QString::number(id));
}

bool LookupCheckBoxes::ApplyBoxes()
{
    int changes = 0;
    for (const PlotMenuItem& item : PlotMenuOf(m_form)) {
        if (item.kind == PlotMenuItem::Separator || item.text.isEmpty())
            continue;
        if (const QCheckBox* box = Box(item.id))
            changes += SetPlotMenuCheck(m_form, item.id, box->isChecked()) ? 1 : 0;
    }
    if (changes == 0)
        return false;
    ReadPlotMenu(m_form);
    if (m_changed)
        m_changed();
    return true;
}

void LookupCheckBoxes::accept()
{
    ApplyBoxes();
    QDialog::accept();
}

} // namespace velmar::forms
