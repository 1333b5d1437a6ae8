#include "forms/ui/UserControl.h"

#include "forms/AutoFillSources.h"
#include "forms/ControlKeywords.h"
#include "forms/ExternalCounters.h"
#include "forms/UserFormInfo.h"
#include "forms/UserPlotThing.h"
#include "forms/WeatherKeywords.h"
#include "forms/ui/FormMetrics.h"
#include "forms/ui/TUserForm.h"
#include "forms/ui/TopControls.h"
#include "widgets/MessageBoxSeam.h"
#include "widgets/MyControls.h"
#include "platform/ProgramClock.h"
#include "platform/RunMode.h"
#include "platform/DateTimeText.h"
#include "store/DbMessages.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QSignalBlocker>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace velmar::forms {

namespace {

// F1 twice within this time fills twice but moves the focus only once.
constexpr qint64 kHelpRepeatMs = 100;
// Characters of a row's Default that "Set Default" keeps.
constexpr int kDefaultWidth = 49;
// Space between a control's parts, in pixels.
constexpr int kGap = 5;
constexpr int kTimestampGap = 10;
constexpr int kLookupGap = 2;
// The smallest number of lines a look-up list drops.
constexpr int kMinListLines = 12;
// Board types of the settings that read analog and digital inputs.
constexpr int kBoardMeasurementComputing = 3;
constexpr int kBoardNiDaq = 5;
constexpr int kBoardNiDaqMx = 10;

std::function<platform::SystemTime()> g_clock;
std::function<qint64()> g_ticks;
qint64 g_lastHelpTick = -1000000;

qint64 nowTicks()
{
    if (g_ticks)
        return g_ticks();
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

bool showingData()
{
    return platform::RunMode == platform::RunModeShowData;
}

// The time of day of a stored TIME value: a whole time stamp's time part, or
// the text itself when it is already a time.
QString timeOfValue(const QString& value)
{
    if (value.contains(QLatin1Char('-'))) {
        const platform::SystemTime t = platform::ParseTimeStamp(value);
        return platform::FormatTimeString(t, 0);
    }
    return value.trimmed();
}

} // namespace

void setUserFormClock(std::function<platform::SystemTime()> clock)
{
    g_clock = std::move(clock);
}

platform::SystemTime UserFormTime()
{
    if (g_clock)
        return g_clock();
    platform::SystemTime now;
    platform::GetProgramTime(&now);
    return now;
}

void setUserFormTicks(std::function<qint64()> ticks)
{
    g_ticks = std::move(ticks);
    g_lastHelpTick = -1000000;
}

int AskForm(QWidget* owner, const QString& text, const QString& caption)
{
    return shell::ui::ShowMessageBox(owner, text, caption, QMessageBox::Question,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

void FormMessage(QWidget* owner, const QString& text, const QString& caption, bool stopIcon)
{
    store::DbMessage(owner, text, caption, stopIcon ? store::DbIcon::Stop : store::DbIcon::None);
}

// --- control classes ----------------------------------------------------------

TUserEdit::TUserEdit(QWidget* parent, UserControl* control, int id, int filter)
    : QLineEdit(parent), m_control(control), m_filter(filter)
{
    shell::SetControlId(this, id);
    connect(this, &QLineEdit::textEdited, this, &TUserEdit::OnTextEdited);
}

void TUserEdit::OnTextEdited(const QString& text)
{
    if (showingData())
        return;
    if (const auto kept = FilterLastCharacter(m_filter, text)) {
        setText(*kept);
        setCursorPosition(int(kept->size()));
    }
    m_control->MarkEdited();
}

void TUserEdit::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_F1: m_control->OnHelpKey(this); return;
    case Qt::Key_Up: m_control->MoveFocus(this, false); return;
    case Qt::Key_Down: m_control->MoveFocus(this, true); return;
    case Qt::Key_Left:
        if (text().isEmpty()) {
            m_control->MoveFocus(this, false);
            return;
        }
        break;
    case Qt::Key_Right:
        if (text().isEmpty()) {
            m_control->MoveFocus(this, true);
            return;
        }
        break;
    default: break;
    }
    QLineEdit::keyPressEvent(e);
}

void TUserEdit::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    m_control->m_rangeFailedOnLeave = false;
    m_control->ShowHint();
}

void TUserEdit::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    if (isReadOnly() || !isEnabled() || !m_control->Form()->ChecksFocus())
        return;
    QWidget* next = QApplication::focusWidget();
    if (m_control->Row()->typeCode == CT_LOOKUP)
        m_control->OnLookupFocusLeft(next);
    else
        m_control->OnEditFocusLeft(this, next);
}

void TUserEdit::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    QAction* setDefault = menu.addAction(QStringLiteral("&Set Default"));
    QAction* propertyEdits = nullptr;
    TUserForm* form = m_control->Form();
    if (form->PropertyEdits())
        propertyEdits = menu.addAction(QStringLiteral("&Enable Property Edits"));
    QAction* reset = nullptr;
    if (m_control->Row()->typeCode == CT_COUNTER)
        reset = menu.addAction(QStringLiteral("&Reset Counter"));
    QAction* chosen = menu.exec(e->globalPos());
    if (chosen == nullptr)
        return;
    if (chosen == setDefault) {
        CONTROLTYPEINFO* row = m_control->Row();
        row->Default = text().left(kDefaultWidth);
        row->SetLengths();
        form->Form()->WriteDefinitionRow(*row);
    } else if (chosen == propertyEdits) {
        form->PropertyEditsBox()->setChecked(!form->PropertyEditsBox()->isChecked());
    } else if (chosen == reset) {
        m_control->ResetCounter();
    }
}

TUserListBox::TUserListBox(QWidget* parent, UserControl* control, int id) : QComboBox(parent), m_control(control)
{
    shell::SetControlId(this, id);
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this](int index) { m_control->OnListSelected(index); });
}

void TUserListBox::keyPressEvent(QKeyEvent* e)
{
    const bool open = view() && view()->isVisible();
    switch (e->key()) {
    case Qt::Key_F1: m_control->OnHelpKey(this); return;
    case Qt::Key_Up:
        if (!open) {
            m_control->MoveFocus(this, false);
            return;
        }
        break;
    case Qt::Key_Down:
        if (!open) {
            m_control->MoveFocus(this, true);
            return;
        }
        break;
    case Qt::Key_Left: m_control->MoveFocus(this, false); return;
    case Qt::Key_Right: m_control->MoveFocus(this, true); return;
    default: break;
    }
    QComboBox::keyPressEvent(e);
}

void TUserListBox::focusInEvent(QFocusEvent* e)
{
    QComboBox::focusInEvent(e);
    m_control->ShowHint();
}

void TUserListBox::focusOutEvent(QFocusEvent* e)
{
    QComboBox::focusOutEvent(e);
    if (!m_control->Form()->ChecksFocus() || (view() && view()->isVisible()))
        return; // the drop-down took the focus
    m_control->OnLookupFocusLeft(QApplication::focusWidget());
}

TUserButton::TUserButton(QWidget* parent, UserControl* control, int id, const QString& text)
    : QPushButton(text, parent), m_control(control)
{
    shell::SetControlId(this, id);
    setAutoDefault(false);
}

void TUserButton::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: m_control->MoveFocus(this, false); return;
    case Qt::Key_Right:
    case Qt::Key_Down: m_control->MoveFocus(this, true); return;
    default: QPushButton::keyPressEvent(e);
    }
}

TUserCheckBox::TUserCheckBox(QWidget* parent, UserControl* control, int id) : QCheckBox(parent), m_control(control)
{
    shell::SetControlId(this, id);
    connect(this, &QCheckBox::clicked, this, [this] { m_control->MarkEdited(); });
}

void TUserCheckBox::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: m_control->MoveFocus(this, false); return;
    case Qt::Key_Right:
    case Qt::Key_Down: m_control->MoveFocus(this, true); return;
    default: QCheckBox::keyPressEvent(e);
    }
}

void TUserCheckBox::focusInEvent(QFocusEvent* e)
{
    QCheckBox::focusInEvent(e);
    m_control->ShowHint();
}

TUserHint::TUserHint(QWidget* parent, int id, int x, int y, int w, int h, bool rightAlign) : QLabel(parent)
{
    shell::SetControlId(this, id);
    setGeometry(x, y, w, h);
    setAlignment((rightAlign ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
}

// --- UserControl --------------------------------------------------------------

UserControl::UserControl(TUserForm* form, CONTROLTYPEINFO* row, int id, int x, int y)
    : m_form(form), m_row(row), m_id(id)
{
    if (m_row->Hint.isEmpty())
        m_row->Hint = DefaultHint(m_row->typeCode);
    if (m_row->AnalogMultiply == 0)
        m_row->AnalogMultiply = 1;
    m_weatherItem = m_row->typeCode == CT_DAVISWEATHER ? WeatherKeywordCode(m_row->Topic) : 0;
    Layout(x, y, true);
}

UserControl::~UserControl()
{
    ForgetRangeFailure(this);
}

void UserControl::Layout(int x, int y, bool create)
{
    const int type = m_row->typeCode;
    const int h = RowHeight(1);
    auto place = [&](QWidget* w, int width) {
        w->setGeometry(x, y, width, h);
        x += width;
    };
    // Captions are drawn on the form's own background.
    auto makeStatic = [&](QLabel*& s, const QString& text, bool right) {
        if (create) {
            s = new QLabel(text, m_form);
            s->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        }
        // Characters of a proportional font may be wider than the average.
        const int width = text.isEmpty() ? 0
                                         : std::max(StaticWidth(int(text.size())),
                                                    s->fontMetrics().horizontalAdvance(text) + MetricW() / 2);
        s->setGeometry(x, y, width, h);
        x += width;
    };
    auto makeEdit = [&](QWidget*& slot, int filter, int chars, int width) {
        if (create) {
            auto* edit = new TUserEdit(m_form, this, slot == m_value ? m_id : m_id + 1, filter);
            edit->setMaxLength(std::max(1, chars));
            slot = edit;
        }
        place(slot, width);
    };

    if (type != CT_SUBFORM) {
        makeStatic(m_title, m_row->Title, true);
        x += kGap;
    }
    switch (type) {
    case CT_TIMESTAMP:
        makeStatic(m_dateCaption, QStringLiteral("Date"), true);
        makeEdit(m_value, FILTER_NONE, kDateEditCharacters, EditWidth(11));
        x += kTimestampGap;
        makeStatic(m_timeCaption, QStringLiteral("Time"), true);
        makeEdit(m_second, FILTER_NONE, kTimeEditCharacters, EditWidth(9));
        break;
    case CT_LOOKUP: {
        makeEdit(m_value, FILTER_NONE, kLookupEditCharacters, EditWidth(5));
        x += kLookupGap;
        if (create) {
            auto* list = new TUserListBox(m_form, this, m_id + 1);
            for (const LookupItem& item : m_row->lookup)
                list->addItem(item.code.isEmpty() && item.text.isEmpty()
                                  ? QString()
                                  : QStringLiteral("%1 - %2").arg(item.code, 2).arg(item.text));
            list->setMaxVisibleItems(std::max(int(m_row->Height), kMinListLines));
            m_second = list;
        }
        // Wide enough for the longest "code - text" of the list.
        place(m_second, std::max(EditWidth(m_row->FieldLength()), m_second->sizeHint().width()));
        break;
    }
    case CT_TIME: makeEdit(m_value, FILTER_NONE, kTimeEditCharacters, EditWidth(9)); break;
    case CT_CHECKBOX:
        if (create)
            m_value = new TUserCheckBox(m_form, this, m_id);
        place(m_value, EditWidth(1));
        break;
    case CT_SUBFORM:
        if (create)
            m_value = new TUserButton(m_form, this, m_id, m_row->Title);
        place(m_value, EditWidth(int(m_row->Title.size())));
        makeEdit(m_second, FILTER_NONE, CharactersAccepted(*m_row), EditWidth(m_row->FieldLength()));
        break;
    default:
        // Every other type with a data field is typed into an edit.
        if (HasDataField(type)) {
            makeEdit(m_value, EntryFilterOf(type), CharactersAccepted(*m_row), EditWidth(m_row->FieldLength()));
            if (create && type == CT_COUNTER) {
                auto* edit = static_cast<TUserEdit*>(m_value);
                edit->setReadOnly(true);
                edit->setFocusPolicy(Qt::NoFocus);
            }
        }
        break;
    }
    if (!m_row->PostTitle.isEmpty()) {
        x += kGap;
        makeStatic(m_postTitle, m_row->PostTitle, false);
        x += kGap;
    }
    m_right = x + MetricW();
    m_height = h;
    if (create) {
        if (m_value && type == CT_SUBFORM)
            QObject::connect(static_cast<TUserButton*>(m_value), &QPushButton::clicked, m_form,
                             [this] { m_form->CmSubForm(this); });
        if (showingData()) {
            for (QWidget* w : {m_value, m_second})
                if (w && type != CT_SUBFORM)
                    w->setEnabled(false);
        }
    }
}

void UserControl::Move(int x, int y)
{
    Layout(x, y, false);
}

TUserEdit* UserControl::ValueEdit() const
{
    return qobject_cast<TUserEdit*>(m_value);
}

TUserEdit* UserControl::TimeEdit() const
{
    return m_row->typeCode == CT_TIMESTAMP ? qobject_cast<TUserEdit*>(m_second) : nullptr;
}

TUserListBox* UserControl::List() const
{
    return qobject_cast<TUserListBox*>(m_second);
}

bool UserControl::OwnsWidget(const QWidget* w) const
{
    return w != nullptr && (w == m_value || w == m_second);
}

QString UserControl::ShownText() const
{
    switch (m_row->typeCode) {
    case CT_TIMESTAMP: return ValueEdit()->text() + QLatin1Char(' ') + TimeEdit()->text();
    case CT_CHECKBOX: return static_cast<QCheckBox*>(m_value)->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    case CT_SUBFORM: return static_cast<QLineEdit*>(m_second)->text();
    default: return ValueEdit() ? ValueEdit()->text() : QString();
    }
}

void UserControl::SetBuffer(const QString& text)
{
    m_buffer = text.left(m_row->FieldLength());
}

bool UserControl::GetValue(bool* hasValue)
{
    m_hasValue = false;
    switch (m_row->typeCode) {
    case CT_TIMESTAMP:
        SetBuffer(ShownText());
        m_hasValue = m_buffer.size() > 2;
        break;
    case CT_CHECKBOX:
        m_buffer = ShownText();
        m_hasValue = true;
        break;
    case CT_SUBFORM:
        m_buffer = ShownText().left(std::max(0, m_row->ColumnLength() - 1));
        m_hasValue = !m_buffer.isEmpty();
        break;
    default:
        SetBuffer(ShownText());
        m_hasValue = !m_buffer.isEmpty();
        break;
    }
    // A code typed in another case is stored as the list writes it, also
    // when the record is stored before the focus left the code.
    if (m_row->typeCode == CT_LOOKUP) {
        QString canonical;
        if (FindLookupCode(m_buffer, &canonical) >= 0)
            m_buffer = canonical;
    }
    if (hasValue)
        *hasValue = m_hasValue;
    if (m_row->Required && !m_hasValue)
        return false;
    if (m_row->topStripEdit && m_row->typeCode != CT_COUNTER)
        UpdateTopStrip();
    return true;
}

int UserControl::Validate() const
{
    return ValidateValue(*m_row, m_buffer, m_hasValue);
}

bool UserControl::CheckRange(bool reRead, CheckOrigin origin)
{
    if (reRead)
        GetValue();
    return forms::CheckRange(this, *m_row, m_form->Form()->FormName, m_buffer, m_hasValue, origin, m_form);
}

void UserControl::SetValue(const std::optional<QString>& text)
{
    if (text)
        SetBuffer(*text);
    switch (m_row->typeCode) {
    case CT_TIMESTAMP: {
        const platform::SystemTime t = platform::ParseTimeStamp(m_buffer);
        ValueEdit()->setText(platform::FormatDateString(t, 0, 3));
        TimeEdit()->setText(platform::FormatTimeString(t, 0));
        break;
    }
    case CT_LOOKUP: {
        const QString code = m_buffer.section(QLatin1Char(' '), 0, 0);
        if (code.isEmpty()) {
            ValueEdit()->clear();
            List()->setCurrentIndex(0);
            m_lookupIndex = 0;
            break;
        }
        ValueEdit()->setText(code);
        QString canonical;
        const int index = FindLookupCode(code, &canonical);
        if (index >= 0) {
            List()->setCurrentIndex(index);
            ValueEdit()->setText(canonical);
            m_lookupIndex = index;
        } else if (showingData()) {
            List()->setCurrentIndex(0);
            m_lookupIndex = 0;
        }
        break;
    }
    case CT_TIME: ValueEdit()->setText(timeOfValue(m_buffer)); break;
    case CT_CHECKBOX:
        static_cast<QCheckBox*>(m_value)->setChecked(!m_buffer.startsWith(QLatin1Char('0')) && !m_buffer.isEmpty());
        break;
    case CT_SUBFORM: break;
    default:
        if (ValueEdit())
            ValueEdit()->setText(m_buffer);
        break;
    }
    UpdateTopStrip();
}

void UserControl::SetText(const QString& text)
{
    switch (m_row->typeCode) {
    case CT_TIMESTAMP: {
        ValueEdit()->setText(text.section(QLatin1Char(' '), 0, 0));
        TimeEdit()->setText(text.section(QLatin1Char(' '), 1).trimmed());
        break;
    }
    case CT_CHECKBOX: static_cast<QCheckBox*>(m_value)->setChecked(text.trimmed() == QLatin1String("1")); break;
    case CT_SUBFORM: static_cast<QLineEdit*>(m_second)->setText(text); break;
    default:
        if (ValueEdit())
            ValueEdit()->setText(text);
        break;
    }
}

UserControl::Snapshot UserControl::Save() const
{
    Snapshot s;
    if (TUserEdit* e = ValueEdit())
        s.value = e->text();
    if (TUserEdit* t = TimeEdit())
        s.time = t->text();
    if (auto* second = qobject_cast<QLineEdit*>(m_second))
        s.second = second->text();
    if (auto* box = qobject_cast<QCheckBox*>(m_value))
        s.checked = box->isChecked();
    if (TUserListBox* list = List())
        s.listIndex = list->currentIndex();
    s.buffer = m_buffer;
    s.lookupIndex = m_lookupIndex;
    s.hasValue = m_hasValue;
    s.edited = m_edited;
    return s;
}

void UserControl::Restore(const Snapshot& s)
{
    if (TUserEdit* e = ValueEdit())
        e->setText(s.value);
    if (TUserEdit* t = TimeEdit())
        t->setText(s.time);
    if (auto* second = qobject_cast<QLineEdit*>(m_second))
        second->setText(s.second);
    if (auto* box = qobject_cast<QCheckBox*>(m_value)) {
        const QSignalBlocker quiet(box);
        box->setChecked(s.checked);
    }
    if (TUserListBox* list = List()) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(s.listIndex);
    }
    m_buffer = s.buffer;
    m_lookupIndex = s.lookupIndex;
    m_hasValue = s.hasValue;
    m_edited = s.edited;
}

void UserControl::Clear()
{
    m_edited = false;
    m_buffer.clear();
    const int type = m_row->typeCode;
    switch (type) {
    case CT_TIMESTAMP:
        ValueEdit()->clear();
        TimeEdit()->clear();
        break;
    case CT_LOOKUP:
        ValueEdit()->clear();
        List()->setCurrentIndex(0);
        m_lookupIndex = 0;
        break;
    case CT_CHECKBOX: static_cast<QCheckBox*>(m_value)->setChecked(false); break;
    case CT_SUBFORM: static_cast<QLineEdit*>(m_second)->clear(); break;
    default:
        if (ValueEdit())
            ValueEdit()->clear();
        break;
    }
    const QString& def = m_row->Default;
    if (def.isEmpty())
        return;
    if (type == CT_LOOKUP) {
        ValueEdit()->setText(def);
        QString canonical;
        const int index = FindLookupCode(def, &canonical);
        if (index >= 0) {
            List()->setCurrentIndex(index);
            ValueEdit()->setText(canonical);
            m_lookupIndex = index;
        }
    } else if (type == CT_CHECKBOX) {
        bool ok = false;
        const double v = def.trimmed().toDouble(&ok);
        static_cast<QCheckBox*>(m_value)->setChecked(ok && v != 0);
    } else if (type != CT_TIMESTAMP && type != CT_COUNTER && type != CT_SUBFORM && ValueEdit()) {
        ValueEdit()->setText(def);
    }
}

void UserControl::ShowFillText(const QString& text)
{
    if (ValueEdit())
        ValueEdit()->setText(text.left(m_row->FieldLength()));
}

QString UserControl::CounterText(int value) const
{
    if (m_form->Letter() != 0)
        return QStringLiteral("%1%2").arg(value).arg(QLatin1Char(m_form->Letter()));
    return QString::number(value);
}

bool UserControl::AutoFill()
{
    if (m_row->ForceGps) {
        store::RequestGpsPoll();
        m_form->TakeGpsReference();
    }
    AutoFillSources& sources = autoFillSources();
    const int boardType = store::TheProgramSettings.IODeviceType;
    const int boardNumber = store::TheProgramSettings.IODeviceNumber;
    switch (m_row->typeCode) {
    case CT_TIMESTAMP: {
        const platform::SystemTime now = UserFormTime();
        const QString date = platform::FormatDateString(now, 0, 3);
        if (ValueEdit()->text() != date)
            ValueEdit()->setText(date);
        TimeEdit()->setText(platform::FormatTimeString(now, 0));
        return true;
    }
    case CT_TIME: ValueEdit()->setText(platform::FormatTimeString(UserFormTime(), 0)); return true;
    case CT_NMEAFLOAT:
        if (const auto v = sources.nmeaFloat(m_row->NmeaString, m_row->NmeaPosition)) {
            ShowFillText(QString::asprintf("%g", *v));
            return true;
        }
        break;
    case CT_NMEAINT:
        if (const auto v = sources.nmeaInt(m_row->NmeaString, m_row->NmeaPosition)) {
            ShowFillText(QString::number(*v));
            return true;
        }
        break;
    case CT_NMEACHAR:
        if (const auto v = sources.nmeaString(m_row->NmeaString, m_row->NmeaPosition)) {
            ShowFillText(*v);
            return true;
        }
        break;
    case CT_COUNTER: ShowFillText(CounterText(m_row->counterValue)); return true;
    case CT_ANALOG:
        if (boardType == kBoardMeasurementComputing || boardType == kBoardNiDaq || boardType == kBoardNiDaqMx) {
            if (const auto volts = sources.readVoltage(boardType, boardNumber, m_row->AdcChannel, m_row->AdcGain)) {
                const double value = *volts * m_row->AnalogMultiply + m_row->AnalogAdd;
                ShowFillText(QString::asprintf("%g", value));
                UpdateTopStrip();
                return true;
            }
        }
        break;
    case CT_DIGITAL:
        if (boardType == kBoardMeasurementComputing || boardType == kBoardNiDaq) {
            if (const auto line = sources.readDigitalLine(boardType, boardNumber, m_row->AdcChannel)) {
                ShowFillText(QString::number(*line));
                return true;
            }
        }
        break;
    case CT_DAVISWEATHER:
        if (const auto v = sources.weatherValue(m_weatherItem)) {
            ShowFillText(*v);
            return true;
        }
        break;
    default: return false;
    }
    if (m_value)
        m_value->update();
    return false;
}

void UserControl::SetCounter(int value, bool writeBack)
{
    m_row->counterValue = value;
    ShowFillText(CounterText(value));
    if (auto* edit = qobject_cast<QLineEdit*>(m_row->topStripEdit))
        edit->setText(QString::number(value));
    if (!writeBack)
        return;
    // A pop-up window keeps the number it showed; the next window takes the
    // one after it.
    m_row->Default = QString::number(value + (m_form->Form()->FormKind == kPopupForm ? 1 : 0));
    m_row->SetLengths();
    m_form->Form()->WriteDefinitionRow(*m_row);
}

void UserControl::IncrementCounter()
{
    const int value = m_row->counterValue + 1;
    if (!m_row->IsNull(COL_ADCCHANNEL))
        SendCounterPulses(m_form->Form()->FormName, m_row->Title, m_row->AdcChannel + 1, 1);
    SetCounter(value, true);
}

void UserControl::ResetCounter()
{
    if (AskForm(m_form, QStringLiteral("Are you sure you want to reset the counter to zero ?"), m_row->Title)
        != QMessageBox::Yes)
        return;
    if (!m_row->IsNull(COL_ADCCHANNEL)) {
        const QString& form = m_form->Form()->FormName;
        if (SendCounterPulses(form, m_row->Title, m_row->AdcChannel, 1))
            SendCounterPulses(form, m_row->Title, m_row->AdcChannel + 1, 1);
    }
    SetCounter(1, true);
}

void UserControl::UpdateTopStrip()
{
    if (auto* edit = qobject_cast<QLineEdit*>(m_row->topStripEdit))
        edit->setText(TopStripText(*this));
}

int UserControl::FindLookupCode(const QString& text, QString* canonical) const
{
    return forms::FindLookupCode(*m_row, text, canonical);
}

int32_t UserControl::EffortColour(int* state) const
{
    return EffortColourOf(*m_row, m_buffer, m_hasValue, state);
}

void UserControl::ShowHint()
{
    if (!showingData())
        m_form->ShowHintText(m_row->Hint);
}

void UserControl::MarkEdited()
{
    if (showingData())
        return;
    if (m_row->AutoUpdate == 0)
        m_edited = true;
    m_form->SetEdited(true);
}

void UserControl::MoveFocus(QWidget* from, bool forward, int steps)
{
    m_form->FocusNeighbour(from, forward, steps);
}

void UserControl::OnHelpKey(QWidget* from)
{
    const qint64 now = nowTicks();
    const bool repeat = now - g_lastHelpTick <= kHelpRepeatMs;
    g_lastHelpTick = now;
    if (m_row->typeCode == CT_LOOKUP) {
        if (from == m_second) {
            List()->showPopup();
        } else if (!repeat) {
            List()->setFocus();
            List()->showPopup();
        }
        return;
    }
    if (!IsAutoFillType(m_row->typeCode))
        return;
    if (AutoFill() && !repeat)
        MoveFocus(from, true, from == m_value && m_row->typeCode == CT_TIMESTAMP ? 2 : 1);
}

bool UserControl::OnEditFocusLeft(TUserEdit* edit, QWidget* next)
{
    if (next != nullptr && next == m_form->ClearButton())
        return true;
    if (!m_form->isAncestorOf(edit) || m_form->ClosingAfterStore())
        return true;
    const QString text = edit->text();
    auto refuse = [edit](const QString& message) {
        FormMessage(edit->window(), message, QString::fromLatin1(kEntryErrorCaption));
        QTimer::singleShot(0, edit, [edit] { edit->setFocus(); });
        return false;
    };
    const int type = m_row->typeCode;
    if (type == CT_TIMESTAMP && edit == m_value) {
        if (text.isEmpty())
            return true;
        platform::SystemTime date;
        int kind = platform::DateKindNone;
        if (!platform::InterpretDateString(text.left(kDateEditCharacters), &date, &kind))
            return refuse(InvalidDateMessage(text));
        if (kind == platform::DateKindWords)
            edit->setText(platform::FormatDateString(date, 0, 3));
        return true;
    }
    if ((type == CT_TIMESTAMP && edit == m_second) || type == CT_TIME) {
        if (!text.isEmpty() && !platform::CheckTimeString(text))
            return refuse(InvalidTimeMessage(text));
        return true;
    }
    if (HasRangeCheck(type) && store::TheProgramSettings.FormErrorChecking == 1 && !m_rangeFailedOnLeave) {
        if (!CheckRange(true)) {
            m_rangeFailedOnLeave = true;
            QTimer::singleShot(0, edit, [edit] { edit->setFocus(); });
            return false;
        }
    }
    return true;
}

void UserControl::OnLookupFocusLeft(QWidget* next)
{
    if (OwnsWidget(next) || !m_form->isAncestorOf(m_value) || m_form->ClosingAfterStore())
        return;
    const QString text = ValueEdit()->text();
    if (text.trimmed().isEmpty()) {
        Clear();
        return;
    }
    QString canonical;
    const int index = FindLookupCode(text, &canonical);
    if (index >= 0) {
        List()->setCurrentIndex(index);
        ValueEdit()->setText(canonical);
        m_lookupIndex = index;
        return;
    }
    ValueEdit()->clear();
    List()->setCurrentIndex(0);
    m_lookupIndex = 0;
    auto* button = qobject_cast<QPushButton*>(next);
    if (button == nullptr || button->text() != QLatin1String("Clear"))
        store::DbBeep();
    QWidget* edit = m_value;
    QTimer::singleShot(0, edit, [edit] { edit->setFocus(); });
}

void UserControl::OnListSelected(int index)
{
    if (index < 0 || std::size_t(index) >= m_row->lookup.size())
        return;
    ValueEdit()->setText(m_row->lookup[std::size_t(index)].code);
    m_lookupIndex = index;
    MarkEdited();
}

void UserControl::SetReadOnly(bool readOnly)
{
    if (m_row->typeCode == CT_SUBFORM) {
        if (m_second)
            m_second->setEnabled(!readOnly);
        return;
    }
    for (QWidget* w : {m_value, m_second})
        if (w)
            w->setEnabled(!readOnly);
}

} // namespace velmar::forms
