#include "forms/ui/TopControls.h"

#include "forms/ControlIds.h"
#include "forms/ControlKeywords.h"
#include "forms/FormSql.h"
#include "forms/UserFormInfo.h"
#include "forms/UserFormWindows.h"
#include "forms/ui/FormMetrics.h"
#include "forms/ui/UserControl.h"
#include "forms/ui/UserFormList.h"
#include "widgets/MyControls.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/SqlText.h"
#include "platform/Utilities.h"

#include <QPointer>

#include <algorithm>
#include <vector>

namespace velmar::forms {

namespace {

struct StripEntry {
    CONTROLTYPEINFO* row = nullptr;
    QPointer<QWidget> title;
    QPointer<QWidget> edit;
};

std::vector<StripEntry>& strip()
{
    static std::vector<StripEntry> entries;
    return entries;
}

QString stripColumn(SQLHSTMT statement, int column)
{
    QString text = detail::columnText(statement, column).left(kTopControlTextWidth);
    platform::TrimRight(text);
    return text;
}

CONTROLTYPEINFO* valueRowTitled(const TUserFormInfo& form, const QString& title)
{
    for (const auto& row : form.Rows())
        if (HasDataField(row->typeCode) && row->Title == title)
            return row.get();
    return nullptr;
}

// A widget of the strip that goes away on its own (its window closes) must
// not stay behind in its row.
void forgetOnDestroy(QWidget* widget)
{
    QObject::connect(widget, &QObject::destroyed, [widget] {
        for (StripEntry& e : strip()) {
            if (e.row && e.row->topStripStatic == widget)
                e.row->topStripStatic = nullptr;
            if (e.row && e.row->topStripEdit == widget)
                e.row->topStripEdit = nullptr;
        }
    });
}

} // namespace

int CreateTopControls(QWidget* parent, const QPoint& origin)
{
    const QString sql = QStringLiteral("SELECT \"Table\", \"Field\", \"Title\" FROM %1 ORDER BY \"Order\"")
                            .arg(store::QuoteIdentifier(QString::fromLatin1(kTopControlsTable)));
    store::SqlStatement statement(store::GetDbConnection());
    if (!statement.isValid() || !statement.execDirect(sql)) {
        store::DbMessage(parent, sql, QString::fromLatin1(kDefinitionErrorCaption));
        return 0;
    }
    int x = origin.x();
    int y = origin.y();
    int widest = x;
    int mirrored = 0;
    while (store::sqlSucceeded(SQLFetch(statement.handle()))) {
        const QString table = stripColumn(statement.handle(), 1);
        const QString field = stripColumn(statement.handle(), 2);
        const QString title = stripColumn(statement.handle(), 3);
        if (table.compare(QLatin1String("NEWCOLUMN"), Qt::CaseInsensitive) == 0) {
            x = widest;
            y = origin.y();
            continue;
        }
        if (table.compare(QLatin1String("NEWLINE"), Qt::CaseInsensitive) == 0) {
            y += RowHeight(1);
            continue;
        }
        TUserFormInfo* form = FindUserForm(table);
        CONTROLTYPEINFO* row = form ? valueRowTitled(*form, field) : nullptr;
        if (!row)
            continue;
        const int titleWidth = StaticWidth(int(title.size()));
        const int editLeft = x + StaticWidth(int(title.size()) + 1);
        const int editWidth = EditWidth(row->FieldLength());
        auto* titleStatic = new shell::TMyStatic(parent, NextControlIds(), title, x, y, titleWidth, RowHeight(1), 0,
                                                 true);
        const QString start = row->typeCode == CT_COUNTER ? QString::number(row->counterValue) : QString();
        auto* edit = new shell::TMyEdit(parent, NextControlIds(), start, editLeft, y, editWidth, RowHeight(1));
        // The edit is a read-out: its limit only has to keep what the strip
        // may show.
        edit->setMaxLength(std::max<int>(row->Length, kTopStripMinChars) - 1);
        titleStatic->show();
        edit->show();
        // A row mirrored twice shows in the newer pair only.
        if (auto* old = row->topStripStatic)
            delete old;
        if (auto* old = row->topStripEdit)
            delete old;
        row->topStripStatic = titleStatic;
        row->topStripEdit = edit;
        strip().push_back({row, titleStatic, edit});
        forgetOnDestroy(titleStatic);
        forgetOnDestroy(edit);
        ++mirrored;
        // The next column starts clear of this edit.
        widest = std::max(widest, editLeft + editWidth);
        y += RowHeight(1);
        for (int n = 0; UserFormWindow* w = GetFormWindow(*form, n); ++n)
            w->ApplyTopStripRules();
    }
    return mirrored;
}

void ClearTopControls()
{
    std::vector<StripEntry> entries;
    entries.swap(strip());
    for (StripEntry& e : entries) {
        if (e.row) {
            e.row->topStripStatic = nullptr;
            e.row->topStripEdit = nullptr;
        }
        for (QPointer<QWidget>* w : {&e.title, &e.edit})
            if (*w) {
                QObject::disconnect(w->data(), &QObject::destroyed, nullptr, nullptr);
                delete w->data();
            }
    }
}

QString TopStripText(const UserControl& control)
{
    const CONTROLTYPEINFO& row = *control.Row();
    QString text;
    switch (row.typeCode) {
    case CT_LOOKUP: text = control.List() ? control.List()->currentText() : QString(); break;
    case CT_CHECKBOX:
        text = control.ShownText() == QLatin1String("1") ? QStringLiteral("true") : QStringLiteral("false");
        break;
    default: text = control.ShownText(); break;
    }
    return text.left(std::max<int>(row.Length, kTopStripMinChars) - 1);
}

} // namespace velmar::forms
