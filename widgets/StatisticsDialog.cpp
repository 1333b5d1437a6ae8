#include "widgets/StatisticsDialog.h"

#include "widgets/MyControls.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

namespace velmar::shell::ui {

StatisticsDialog::StatisticsDialog(QWidget* parent, nav::TrackStatistics statistics)
    : QDialog(parent), m_statistics(std::move(statistics)), m_text(nav::StatisticsClipboardText(m_statistics))
{
    setWindowTitle(QStringLiteral("Effort Statistics"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    const char* const headings[] = {"Miles", "km", "Time"};
    for (int column = 0; column < 3; ++column)
        grid->addWidget(new QLabel(QString::fromLatin1(headings[column]), this), row, column + 1);
    ++row;
    auto addRow = [&](const nav::TrackAmount& amount, const int* ids) {
        auto* name = new QLabel(amount.name, this);
        if (ids)
            SetControlId(name, StatisticsTotalLabelId);
        grid->addWidget(name, row, 0);
        const QStringList texts = nav::StatisticsTexts(amount);
        for (int column = 0; column < 3; ++column) {
            auto* value = new QLabel(texts[column], this);
            value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            if (ids)
                SetControlId(value, ids[column]);
            grid->addWidget(value, row, column + 1);
        }
        ++row;
    };
    static constexpr int totalIds[] = {StatisticsMilesId, StatisticsKmId, StatisticsTimeId};
    addRow(m_statistics.total, totalIds);
    for (const nav::TrackAmount& amount : m_statistics.categories)
        addRow(amount, nullptr);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    SetControlId(copy, StatisticsCopyId);
    grid->addWidget(ok, row, 1);
    grid->addWidget(copy, row, 2);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(copy, &QPushButton::clicked, this, &StatisticsDialog::Copy);
}

void StatisticsDialog::Copy()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard(); clipboard && !m_text.isEmpty())
        clipboard->setText(m_text);
}

} // namespace velmar::shell::ui
