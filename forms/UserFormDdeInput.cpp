#include "forms/UserFormDdeInput.h"

#include "store/SqlText.h"

#include <QLoggingCategory>
#include <QStringDecoder>

Q_LOGGING_CATEGORY(lcFormDde, "velmar.forms.dde")

namespace velmar::forms {

namespace {

QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

std::vector<QString> SplitPokedFields(const QByteArray& data)
{
    QByteArray text = data;
    if (const qsizetype end = text.indexOf('\0'); end >= 0)
        text.truncate(end);
    std::vector<QString> fields;
    if (text.isEmpty())
        return fields;
    for (const QByteArray& raw : text.split(',')) {
        qsizetype start = 0;
        while (start < raw.size() && raw[start] == ' ')
            ++start;
        fields.push_back(decode(raw.mid(start)));
    }
    return fields;
}

bool FillFromDde(UserFormWindow& window, const QByteArray& data)
{
    const std::vector<QString> fields = SplitPokedFields(data);
    const std::vector<CONTROLTYPEINFO*> rows = window.Form().ValueRows();
    // Stored before the answer: a sender told true has its row, and the next
    // poke cannot overwrite values still waiting to be stored.
    return window.StoreFilled([&] {
        for (std::size_t i = 0; i < rows.size() && i < fields.size(); ++i) {
            const int index = int(i);
            if (!fields[i].isEmpty())
                window.SetValueText(index, store::CutToWidth(fields[i], std::max(1, rows[i]->FieldLength() - 1)));
            else if (rows[i]->AutoUpdate > 0)
                window.AutoFillValue(index);
        }
    });
}

bool UserFormDdePoke(const QString& item, const QByteArray& data)
{
    if (data.size() > kMaxUserFormPokeBytes) {
        qCWarning(lcFormDde) << "poke for" << item << "refused:" << data.size() << "bytes";
        return false;
    }
    for (TUserFormInfo* form : UserFormList()) {
        if (!form->DdeEnabled || form->FormName.compare(item, Qt::CaseInsensitive) != 0)
            continue;
        UserFormWindow* window = GetFormWindow(*form, 0);
        if (!window)
            continue;
        return FillFromDde(*window, data);
    }
    return false;
}

bool UserFormDdeHandler(const QString& topic, const QString& item, const QByteArray& data)
{
    if (topic.compare(QLatin1String(kUserFormDdeTopic), Qt::CaseInsensitive) != 0)
        return false;
    return UserFormDdePoke(item, data);
}

} // namespace velmar::forms
