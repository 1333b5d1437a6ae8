#include "forms/ui/THeardForm.h"

#include "forms/FormSql.h"
#include "forms/UserFormDb.h"
#include "nav/GpsFixList.h"
#include "nav/HeardSpecies.h"
#include "nav/RecentLists.h"
#include "platform/DateTimeText.h"
#include "platform/ProgramClock.h"
#include "settings/ProgramSettings.h"
#include "store/DbMessages.h"
#include "store/FixedSchema.h"
#include "widgets/MyControls.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmar::forms {

namespace {

Q_LOGGING_CATEGORY(heardLog, "velmar.forms.heard")

constexpr const char* kTable = "UDF_ThingsHeard";
constexpr int kOkId = 1;
constexpr int kClearId = 2;
// The shown-data lists: 6 pixels below the top, 5 from the sides.
constexpr int kListTop = 6;
constexpr int kListMargin = 5;

QPointer<THeardForm>& heardForm()
{
    static QPointer<THeardForm> form;
    return form;
}

// The display font's text height and average character width.
struct Metrics {
    int h;
    int w;
    explicit Metrics(const QFont& font)
    {
        const QFontMetrics m(font);
        h = m.height();
        w = std::max(1, m.averageCharWidth());
    }
};

} // namespace

QString& ListeningEffortReason()
{
    static QString reason;
    return reason;
}

// ---- the reason dialog

TEffortReason::TEffortReason(QWidget* parent) : QDialog(parent)
{
    ListeningEffortReason().clear();
    setWindowTitle(QStringLiteral("Listening Effort"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter reason for changeing listening effort status"), this));
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(kHeardCommentWidth);
    shell::SetControlId(m_edit, kEffortReasonEdit);
    layout->addWidget(m_edit);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TEffortReason::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    layout->addLayout(row);
}

void TEffortReason::accept()
{
    ListeningEffortReason() = m_edit->text().left(kHeardCommentWidth);
    QDialog::accept();
}

// ---- the form

THeardForm::THeardForm(QWidget* parent, HeardFormPorts ports, bool showData)
    : QWidget(parent), m_ports(std::move(ports)), m_showData(showData)
{
    heardForm() = this;
    setObjectName(QStringLiteral("ThingsHeard"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);
    setFont(shell::DisplayFont());

    if (m_showData) {
        m_heardList = MakeList(kHeardList);
        m_effortList = MakeList(kHeardEffortList);
    }
    ReadSpecies();
    if (!m_showData)
        LayoutForm();
    BuildPlotMenu();
}

THeardForm::~THeardForm()
{
    nav::TheHeardSpecies().Clear();
}

QListWidget* THeardForm::MakeList(int id)
{
    QListWidget* list = m_ports.makeList ? m_ports.makeList(this, id) : new QListWidget(this);
    shell::SetControlId(list, id);
    return list;
}

void THeardForm::ReadSpecies()
{
    std::vector<nav::HeardSpeciesRow> rows;
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    if (!OpenUserFormDb(this, &environment, &connection)) {
        // An empty form: no species, no buttons, no plot menu.
        nav::TheHeardSpecies().Clear();
        return;
    }
    if (!store::DbCheckUserTable(connection, QLatin1String(kTable), store::kUserTableThingsHeard))
        store::DbMessage(this, QStringLiteral("Invalid table format"), QStringLiteral("UDF_ThingsHeard table"),
                         store::DbIcon::Stop);
    {
        const QString select = QStringLiteral(
            "SELECT \"Title\", \"Species\", \"NButtons\", \"Colour\" FROM \"UDF_ThingsHeard\" ORDER BY \"Order\" ASC");
        store::SqlStatement statement(connection);
        if (!statement.execDirect(select)) {
            store::DbMessage(this, select, QStringLiteral("No UDF_ThingsHeard Lookup table"));
        } else {
            while (store::sqlSucceeded(SQLFetch(statement.handle()))) {
                nav::HeardSpeciesRow row;
                row.title = detail::columnText(statement.handle(), 1);
                row.species = detail::columnText(statement.handle(), 2);
                row.nButtons = int(detail::columnInt(statement.handle(), 3).value_or(0));
                row.colour = detail::columnText(statement.handle(), 4);
                rows.push_back(row);
            }
        }
    }
    CloseUserFormDb(environment, connection);
    nav::TheHeardSpecies().Build(rows);
    qCInfo(heardLog) << "things heard:" << rows.size() << "rows";
}

int THeardForm::AddSpeciesRow(int row, int y, int* rightEdge)
{
    const Metrics m(font());
    const nav::HeardSpecies& s = nav::TheHeardSpecies().Species()[std::size_t(row)];
    const int buttonWidth = 7 * m.w;
    const int buttonHeight = 3 * m.h / 2;
    const int gap = std::min(m.h / 4, 2);
    std::vector<QPushButton*> buttons;
    if (s.gap) {
        m_buttons.push_back(buttons);
        return y + buttonHeight / 3;
    }
    new shell::TMyStatic(this, -1, s.title, 0, y + m.h / 2 - 1, 22 * m.w, m.h, 0, true);
    int x = 24 * m.w;
    for (int n = 0; n <= s.topStrength; ++n) {
        auto* b = new shell::TMyButton(this, s.baseId + n, QString::number(n), x, y, buttonWidth, buttonHeight);
        connect(b, &QPushButton::clicked, this, [this, row, n] { PressStrength(row, n); });
        buttons.push_back(b);
        *rightEdge = std::max(*rightEdge, x + buttonWidth + 7 * m.w);
        x += buttonWidth + gap;
    }
    m_buttons.push_back(buttons);
    return y + buttonHeight + 2;
}

void THeardForm::AddListeningPanel(int x, int y)
{
    const Metrics m(font());
    const int lineHeight = m.h + 8;
    const int buttonHeight = m.h + 6;
    const int labelWidth = 15 * m.w;
    const int boxWidth = 16 * m.w;
    const int buttonWidth = (15 * m.w + 16 * m.w + m.w - 6) / 3;
    const int firstRow = y + m.h + 4 + buttonHeight + 4;
    const int bottom = firstRow + 4 * (lineHeight + 2) + 4;
    new shell::TMyGroupBox(this, -1, QStringLiteral("Listening"), x, y, 32 * m.w + 20, bottom - y);

    struct Choice {
        const char* text;
        int command;
    };
    const Choice choices[] = {{"Stop", kListeningStop}, {"Half", kListeningHalf}, {"Full", kListeningFull}};
    for (int i = 0; i < 3; ++i) {
        auto* b = new shell::TMyButton(this, choices[i].command, QLatin1String(choices[i].text),
                                       x + 10 + i * (buttonWidth + 3), y + m.h + 4, buttonWidth, buttonHeight);
        connect(b, &QPushButton::clicked, this, [this, command = choices[i].command] { CmEffort(command); });
    }
    struct Row {
        const char* label;
        int id;
        const char* text;
    };
    const Row rows[] = {{"Status", kListeningStatusEdit, "Idle"},
                        {"Run Time", kListeningRunTimeEdit, "11:00:45"},
                        {"Detections", kListeningCountEdit, "453"},
                        {"Last Detection", kListeningLastEdit, "11:00:45"}};
    int rowY = firstRow;
    for (const Row& r : rows) {
        new shell::TMyStatic(this, -1, QLatin1String(r.label), x + 10, rowY, labelWidth, lineHeight);
        new shell::TMyEdit(this, r.id, QLatin1String(r.text), x + labelWidth + m.w + 10, rowY, boxWidth, lineHeight);
        rowY += lineHeight + 2;
    }
}

void THeardForm::LayoutForm()
{
    const Metrics m(font());
    int right = 5 * m.w;
    int y = 3 * m.h;
    for (int row = 0; row < int(nav::TheHeardSpecies().Species().size()); ++row)
        y = AddSpeciesRow(row, y, &right);

    const int x = right;
    y = m.h + 5 * m.w;
    AddListeningPanel(x, y);
    y += 9 * m.h;
    const QString title = QLatin1String(kHeardTitle);
    new shell::TMyStatic(this, -1, title, 24 * m.w, m.h, int(title.size() + 5) * m.w, m.h);
    y += m.h;
    new shell::TMyStatic(this, -1, QStringLiteral("Comment"), x, y, 30 * m.w, m.h + 2);
    y += m.h + 3;
    m_comment = new QLineEdit(this);
    shell::SetControlId(m_comment, kHeardCommentEdit);
    m_comment->setMaxLength(kHeardCommentWidth);
    m_comment->setGeometry(x, y, 60 * m.w, m.h + 9);
    y += m.h + 11;
    auto* ok = new shell::TMyButton(this, kOkId, QStringLiteral("OK"), x, y, 10 * m.w, 2 * m.h);
    connect(ok, &QPushButton::clicked, this, &THeardForm::CmOk);
    auto* clear = new shell::TMyButton(this, kClearId, QStringLiteral("Clear"), x + 20 * m.w, y, 10 * m.w, 2 * m.h);
    connect(clear, &QPushButton::clicked, this, &THeardForm::CmClear);
    y += 2 * m.h + 2;
    m_heardList = MakeList(kHeardList);
    m_heardList->setGeometry(x, y, 60 * m.w, 12 * m.h);
}

void THeardForm::BuildPlotMenu()
{
    const std::vector<nav::HeardSpecies>& species = nav::TheHeardSpecies().Species();
    if (species.empty())
        return;
    m_plotMenu = new QMenu(QStringLiteral("&Things Heard"), this);
    QAction* everything = m_plotMenu->addAction(QStringLiteral("Everything..."));
    everything->setCheckable(true);
    everything->setChecked(store::TheProgramSettings.PlotHeard);
    everything->setData(kPlotHeardEverything);
    connect(everything, &QAction::triggered, this, [this] { TogglePlotItem(kPlotHeardEverything); });
    m_plotMenu->addSeparator();
    for (int i = 0; i < int(species.size()); ++i) {
        QAction* item = m_plotMenu->addAction(species[std::size_t(i)].species);
        item->setCheckable(true);
        item->setChecked(species[std::size_t(i)].plot);
        item->setData(kPlotHeardFirstSpecies + i);
        connect(item, &QAction::triggered, this, [this, i] { TogglePlotItem(kPlotHeardFirstSpecies + i); });
    }
}

bool THeardForm::TogglePlotItem(int id)
{
    std::vector<nav::HeardSpecies>& species = nav::TheHeardSpecies().Species();
    if (id < kPlotHeardEverything || id > kPlotHeardEverything + int(species.size()))
        return false;
    bool on;
    if (id == kPlotHeardEverything) {
        on = store::TheProgramSettings.PlotHeard = !store::TheProgramSettings.PlotHeard;
    } else {
        bool& plot = species[std::size_t(id - kPlotHeardFirstSpecies)].plot;
        on = plot = !plot;
    }
    if (m_plotMenu) {
        for (QAction* a : m_plotMenu->actions())
            if (a->data().toInt() == id)
                a->setChecked(on);
    }
    if (m_ports.redrawMap)
        m_ports.redrawMap();
    return false;
}

QString THeardForm::NowText() const
{
    platform::SystemTime now;
    if (m_ports.programTime)
        now = m_ports.programTime();
    else
        platform::GetProgramTime(&now);
    return platform::FormatTimeStamp(now);
}

void THeardForm::PutAtTop(const QString& line)
{
    if (!m_heardList)
        return;
    m_heardList->insertItem(0, line);
    while (m_heardList->count() > kHeardListLines)
        delete m_heardList->takeItem(m_heardList->count() - 1);
}

void THeardForm::PressStrength(int row, int strength)
{
    const std::vector<nav::HeardSpecies>& species = nav::TheHeardSpecies().Species();
    if (row < 0 || row >= int(species.size()))
        return;
    m_focusButton = StrengthButton(row, strength);
    const QString& name = species[std::size_t(row)].species;
    if (m_ports.thingHeard)
        m_ports.thingHeard(name, strength);
    PutAtTop(QStringLiteral("%1, %2,  %3").arg(NowText(), name).arg(strength));
}

QPushButton* THeardForm::StrengthButton(int row, int strength) const
{
    if (row < 0 || row >= int(m_buttons.size()) || strength < 0 || strength >= int(m_buttons[std::size_t(row)].size()))
        return nullptr;
    return m_buttons[std::size_t(row)][std::size_t(strength)];
}

void THeardForm::CmOk()
{
    if (!m_comment)
        return;
    const QString text = m_comment->text().left(kHeardCommentWidth);
    if (text.isEmpty())
        return;
    if (m_ports.writeComment)
        m_ports.writeComment(text);
    PutAtTop(QStringLiteral("%1, %2").arg(NowText(), text));
    m_comment->clear();
}

void THeardForm::CmClear()
{
    if (m_comment)
        m_comment->clear();
}

void THeardForm::CmEffort(int command)
{
    if (m_ports.askEffortReason)
        ListeningEffortReason() = m_ports.askEffortReason(this).left(kHeardCommentWidth);
    if (m_ports.listeningCommand)
        m_ports.listeningCommand(command);
}

void THeardForm::Reload(nav::ShowDataReader& reader)
{
    if (m_heardList)
        m_heardList->clear();
    if (m_effortList)
        m_effortList->clear();
    reader.DbLoadHeardData(*this);
}

void THeardForm::AddHeard(const QString& time, int32_t gpsIndex, const QString& species, int strength,
                          const QString& comment)
{
    if (m_heardList)
        m_heardList->addItem(comment.isEmpty() ? QStringLiteral("%1  %2  Strength %3").arg(time, species).arg(strength)
                                               : QStringLiteral("%1  %2").arg(time, comment));
    nav::NewStoredThingHeard(species, int16_t(strength), nav::TheHeardSpecies().FindSpecies(species),
                             nav::FindGpsFixByIndex(gpsIndex, 0));
}

void THeardForm::AddEffort(const QString& time, const QString& status, const QString& comment)
{
    if (m_effortList)
        m_effortList->addItem(QStringLiteral("%1  %2  %3").arg(time, status, comment));
}

void THeardForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_focusButton)
        m_focusButton->setFocus();
}

void THeardForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_showData || !m_heardList || !m_effortList)
        return;
    const int half = width() / 2;
    m_heardList->setGeometry(kListMargin, kListTop, half - kListMargin, height() - kListTop);
    m_effortList->setGeometry(half + kListMargin, kListTop, width() - kListMargin - half - kListMargin,
                              height() - kListTop);
}

void THeardForm::keyPressEvent(QKeyEvent* event)
{
    if (m_showData)
        QApplication::beep();
    QWidget::keyPressEvent(event);
}

THeardForm* TheHeardForm()
{
    return heardForm().data();
}

bool HeardFormTogglePlotItem(int id)
{
    if (THeardForm* form = TheHeardForm())
        return form->TogglePlotItem(id);
    return false;
}

bool AddHeardFormPlotMenu(QMenu* acousticMenu)
{
    THeardForm* form = TheHeardForm();
    if (!acousticMenu || !form || !form->PlotMenu())
        return false;
    acousticMenu->addMenu(form->PlotMenu());
    return true;
}

} // namespace velmar::forms
