#include "shell/ui/TransferEffortData.h"

#include "shell/ui/EffortTransfer.h"
#include "shell/ui/SmallForms.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "widgets/MessageBoxSeam.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmar::shell::ui {

namespace {

constexpr int ClientWidth = 439;
constexpr int ClientHeight = 489;
constexpr int ProgressPaintRows = 500;

QComboBox* List(QWidget* parent, const char* name, bool editable = false)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(editable);
    if (editable)
        c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

QString Warning()
{
    return QStringLiteral("Warning");
}

} // namespace

TTransferEffortData::TTransferEffortData(TransferTables tables, QWidget* parent)
    : QDialog(parent), m_tables(std::move(tables))
{
    setWindowTitle(tr("Transfer Effort Data"));
    resize(ClientWidth, ClientHeight);
    auto* layout = new QVBoxLayout(this);
    auto* source = new QGroupBox(tr("Data Source"), this);
    auto* sourceForm = new QFormLayout(source);
    sourceTable = List(source, "sourceTable");
    sourceColumn = List(source, "sourceColumn");
    sourceJoin = List(source, "sourceJoin");
    sourceForm->addRow(tr("Table name"), sourceTable);
    sourceForm->addRow(tr("Column"), sourceColumn);
    sourceForm->addRow(tr("Join by"), sourceJoin);
    layout->addWidget(source);
    auto* dest = new QGroupBox(tr("Data Destination"), this);
    auto* destForm = new QFormLayout(dest);
    destTable = List(dest, "destTable");
    destJoin = List(dest, "destJoin");
    destColumn = List(dest, "destColumn", true);
    destForm->addRow(tr("Table name"), destTable);
    destForm->addRow(tr("Join by"), destJoin);
    destForm->addRow(tr("Column"), destColumn);
    layout->addWidget(dest);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    layout->addWidget(progressBar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    start = new QPushButton(tr("Start"), this);
    close = new QPushButton(tr("Close"), this);
    buttons->addWidget(start);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(sourceTable, &QComboBox::currentTextChanged, this,
            [this] { FillColumnList(sourceTable, sourceColumn, sourceJoin); });
    connect(destTable, &QComboBox::currentTextChanged, this,
            [this] { FillColumnList(destTable, destColumn, destJoin); });
    for (QComboBox* c : {sourceColumn, sourceJoin, destJoin, destColumn})
        connect(c, &QComboBox::currentTextChanged, this, [this] { UpdateStart(); });
    connect(start, &QPushButton::clicked, this, [this] { Start(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    FillTableList();
}

QString TTransferEffortData::DataTableOfEntry(const QString& entry) const
{
    return m_tables.dataTableOf ? m_tables.dataTableOf(entry) : entry;
}

void TTransferEffortData::FillTableList()
{
    const QStringList entries = m_tables.entries ? m_tables.entries() : QStringList{QStringLiteral("GpsData")};
    for (QComboBox* list : {sourceTable, destTable}) {
        list->clear();
        list->addItems(entries);
        list->setCurrentIndex(-1);
    }
    UpdateStart();
}

void TTransferEffortData::FillColumnList(QComboBox* table, QComboBox* column, QComboBox* join)
{
    const QStringList columns = TableColumnNames(store::GetDbConnection(), DataTableOfEntry(table->currentText()));
    for (QComboBox* list : {column, join}) {
        list->clear();
        list->addItems(columns);
        list->setCurrentIndex(-1);
    }
    UpdateStart();
}

void TTransferEffortData::UpdateStart()
{
    bool all = true;
    for (QComboBox* c : {sourceTable, sourceColumn, sourceJoin, destTable, destJoin, destColumn})
        all = all && !c->currentText().isEmpty();
    start->setEnabled(all);
}

bool TTransferEffortData::Start()
{
    SQLHDBC db = store::GetDbConnection();
    if (db == SQL_NULL_HDBC)
        return false;
    EffortTransferRequest r;
    r.sourceTable = DataTableOfEntry(sourceTable->currentText());
    r.sourceColumn = sourceColumn->currentText();
    r.sourceJoin = sourceJoin->currentText();
    r.destEntry = destTable->currentText();
    r.destTable = DataTableOfEntry(r.destEntry);
    r.destColumn = destColumn->currentText().trimmed();
    r.destJoin = destJoin->currentText();

    std::optional<ColumnToCreate> create;
    if (store::DbGetColumnInfo(db, r.destTable, r.destColumn, nullptr, nullptr, nullptr) < 0) {
        ColumnToCreate c;
        if (store::DbGetColumnInfo(db, r.sourceTable, r.sourceColumn, &c.typeName, nullptr, &c.size) < 0) {
            ShowMessageBox(this,
                           QStringLiteral("Column %1 does not exist in table %2").arg(r.sourceColumn, r.sourceTable),
                           QStringLiteral("Error"), QMessageBox::Critical);
            return false;
        }
        c.sourceTypeName = c.typeName;
        const QString question = QStringLiteral("%1 Column %2 does not exit in table %3. Do you want to create it ?")
                                     .arg(c.typeName, r.destColumn, r.destEntry);
        if (ShowMessageBox(this, question, Warning(), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
            return false;
        create = c;
    } else {
        const QString question = QStringLiteral("Do you want to write over all the data in column %1 in table %2")
                                     .arg(r.destColumn, r.destEntry);
        if (ShowMessageBox(this, question, Warning(), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
            return false;
    }
    progressBar->setValue(0);
    // No events are handled while the transaction is open (a GPS reading
    // stored meanwhile would share its fate); the bar is painted directly.
    const TransferOutcome outcome = TransferColumn(db, r, create, [this](int done, int total) {
        progressBar->setMaximum(std::max(total, 1));
        progressBar->setValue(done);
        if (done % ProgressPaintRows == 0 || done == total)
            progressBar->repaint();
    });
    if (!outcome.ok) {
        progressBar->setValue(0);
        ShowMessageBox(this, outcome.message + QStringLiteral("\n\nNothing was changed."), outcome.caption,
                       QMessageBox::Critical);
        return false;
    }
    if (create) {
        // The new column is offered from now on.
        const QString typed = r.destColumn;
        FillColumnList(destTable, destColumn, destJoin);
        destColumn->setCurrentText(typed);
        destJoin->setCurrentText(r.destJoin);
    }
    return true;
}

void ShowTransferEffortDialog(QWidget* parent, TransferTables tables)
{
    TTransferEffortData form(std::move(tables), parent);
    RunForm(form);
}

} // namespace velmar::shell::ui
