#include "gpsref/NoGpsRefDlg.h"

#include "nav/ShowDataReaders.h"
#include "widgets/DialogService.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace velmar::gpsref {

using nav::CountRowsWithoutGpsReference;
using nav::EventTimeColumns;
using nav::GpsReferenceFill;
using nav::ProgressPercent;

namespace {

const char* const kControlIdProperty = "velmarControlId";
constexpr int kEventColumnWidth = 49;
const QString kMainTrack = QStringLiteral("GpsData");

void SetId(QWidget* w, int id)
{
    w->setProperty(kControlIdProperty, id);
}

} // namespace

QStringList GpsReferenceTables()
{
    return {QStringLiteral("Hydrophone"),      QStringLiteral("ListeningEffort"), QStringLiteral("WhistleEffort"),
            QStringLiteral("PorpoiseEffort"),  QStringLiteral("QuintraEffort"),   QStringLiteral("Whistles"),
            QStringLiteral("ThingsHeard"),     QStringLiteral("Seismics"),        QStringLiteral("Comments"),
            QStringLiteral("QuintraEvents"),   QStringLiteral("PorpoiseEvents"),  QStringLiteral("WhistleEvents"),
            QStringLiteral("Harmonic Events"), QStringLiteral("Recordings"),      QStringLiteral("CameraGrabs")};
}

NoGpsRefDlg::NoGpsRefDlg(QWidget* parent, const QString& table, int rowCount, const QString& gpsTable,
                         GpsReferenceUi ui)
    : QDialog(parent), m_table(table), m_rowCount(rowCount), m_gpsTable(gpsTable), m_ui(std::move(ui))
{
    setWindowTitle(QStringLiteral("No GPS Cross References"));
    m_text = new QLabel(QStringLiteral("%1 Rows of table %2 do not contain a valid Gps cross reference Click Ok to "
                                       "automatically updata cross reference data ...")
                            .arg(rowCount)
                            .arg(table),
                        this);
    m_text->setWordWrap(true);
    SetId(m_text, IdNoGpsRefText);
    m_columns = new QComboBox(this);
    m_columns->setPlaceholderText(QStringLiteral("Select column containing event time ..."));
    SetId(m_columns, IdNoGpsRefColumns);
    m_columns->addItems(EventTimeColumns(table));
    m_columns->setCurrentIndex(m_columns->count() == 1 ? 0 : -1);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    SetId(m_progress, IdNoGpsRefProgress);
    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    SetId(m_ok, IdNoGpsRefOk);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetId(m_cancel, IdNoGpsRefCancel);
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    SetId(m_stop, IdNoGpsRefStop);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_text, 0, 0, 1, 3);
    grid->addWidget(m_columns, 1, 0, 1, 3);
    grid->addWidget(m_progress, 2, 0, 1, 3);
    grid->addWidget(m_ok, 3, 0);
    grid->addWidget(m_cancel, 3, 1);
    grid->addWidget(m_stop, 3, 2);

    connect(m_ok, &QPushButton::clicked, this, &NoGpsRefDlg::CmOk);
    connect(m_cancel, &QPushButton::clicked, this, &NoGpsRefDlg::CmCancel);
    connect(m_stop, &QPushButton::clicked, this, &NoGpsRefDlg::CmStop);
    connect(m_columns, &QComboBox::currentIndexChanged, this, [this] { UpdateControls(); });
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &NoGpsRefDlg::FillStep);
    UpdateControls();
}

NoGpsRefDlg::~NoGpsRefDlg() = default;

void NoGpsRefDlg::UpdateControls()
{
    m_columns->setEnabled(!m_running);
    m_stop->setVisible(m_running);
    m_ok->setVisible(!m_running);
    m_cancel->setVisible(!m_running);
    m_ok->setEnabled(!m_running && m_columns->currentIndex() >= 0);
}

void NoGpsRefDlg::CmOk()
{
    if (m_running || m_columns->currentIndex() < 0)
        return;
    m_stopRequested = false;
    const QString column = m_columns->currentText().left(kEventColumnWidth);
    m_fill = std::make_unique<GpsReferenceFill>(m_table, column, m_gpsTable);
    if (!m_fill->Start()) {
        if (m_ui.showStop)
            m_ui.showStop(this, m_fill->FailedQuery() + QStringLiteral("\n") + m_fill->ErrorText(),
                          QStringLiteral("Bad Request in NoGpsRefDlg::CmOk()"));
        m_fill.reset();
        return;
    }
    m_running = true;
    m_progress->setValue(0);
    UpdateControls();
    m_timer.start();
}

void NoGpsRefDlg::FillStep()
{
    if (!m_fill || !m_running)
        return;
    if (!m_stopRequested)
        m_fill->Step();
    m_progress->setValue(ProgressPercent(m_fill->RowsDone(), m_fill->RowCount()));
    if (m_stopRequested || m_fill->Finished())
        EndFill();
}

int NoGpsRefDlg::RunToEnd()
{
    CmOk();
    while (m_running)
        FillStep();
    return result();
}

void NoGpsRefDlg::EndFill()
{
    m_timer.stop();
    m_running = false;
    UpdateControls();
    const bool stopped = m_stopRequested;
    std::unique_ptr<GpsReferenceFill> fill = std::move(m_fill);
    m_filled += fill->RowsDone();
    if (fill->Failed()) {
        // Nothing is said to be done that was not written.
        if (m_ui.showStop)
            m_ui.showStop(this,
                          QStringLiteral("%1 of %2 rows of table %3 were given a Gps cross reference; the next "
                                         "could not be written:\n%4")
                              .arg(fill->RowsDone())
                              .arg(fill->RowCount())
                              .arg(m_table, fill->ErrorText()),
                          QStringLiteral("CheckGpsIndexes"));
        return;
    }
    if (!stopped)
        accept();
}

void NoGpsRefDlg::CmStop()
{
    m_stopRequested = true;
}

void NoGpsRefDlg::CmCancel()
{
    if (m_running)
        return;
    accept();
}

QString GpsReferenceSummary(const GpsReferenceCheck& check)
{
    if (check.rowsMissing == 0)
        return QStringLiteral("Every row has a GPS cross reference: none needed filling.");
    QString text = QStringLiteral("%1 of %2 rows without a GPS cross reference were given one.")
                       .arg(check.rowsFilled)
                       .arg(check.rowsMissing);
    if (check.rowsFilled < check.rowsMissing)
        text += QStringLiteral(" %1 rows still have none.").arg(check.rowsMissing - check.rowsFilled);
    return text;
}

GpsReferenceCheck CheckGpsIndexes(QWidget* parent, const QString& table, const QString& gpsTable,
                                  const GpsReferenceUi& ui)
{
    if (ui.showTable)
        ui.showTable(table);
    const int rows = CountRowsWithoutGpsReference(table);
    if (rows <= 0)
        return {};
    NoGpsRefDlg dialog(parent, table, rows, gpsTable, ui);
    if (ui.runDialog)
        ui.runDialog(dialog);
    else
        shell::ui::Dialogs().RunDialog(dialog);
    return {rows, dialog.RowsFilled()};
}

GpsReferenceCheck DbCheckGpsReferences(QWidget* parent, const std::vector<TableAndTrack>& userFormTables,
                                       const GpsReferenceUi& ui)
{
    GpsReferenceCheck check;
    for (const QString& table : GpsReferenceTables())
        check += CheckGpsIndexes(parent, table, kMainTrack, ui);
    for (const TableAndTrack& t : userFormTables)
        check += CheckGpsIndexes(parent, t.table, t.gpsTable, ui);
    return check;
}

} // namespace velmar::gpsref
