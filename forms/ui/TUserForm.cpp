#include "forms/ui/TUserForm.h"

#include "platform/FileDialogs.h"
#include "forms/ControlIds.h"
#include "forms/ControlKeywords.h"
#include "forms/UserPlotThing.h"
#include "forms/ui/FormMetrics.h"
#include "nav/GpsFixList.h"
#include "widgets/DialogService.h"
#include "widgets/FontConversion.h"
#include "widgets/MyControls.h"
#include "platform/RunMode.h"
#include "widgets/TrafficLight.h"
#include "platform/DateTimeText.h"
#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "nav/EventWriters.h"
#include "settings/ProgramSettings.h"
#include "widgets/MyControls.h"
#include "platform/RunMode.h"
#include "widgets/TrafficLight.h"
#include "platform/DateTimeText.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace velmar::forms {

namespace {

constexpr int kMargin = 20;
constexpr int kHintTop = 24;
// Pop-up windows of one form open stepped by this much.
constexpr int kCascade = 20;
constexpr int kReminderBarWidth = 100;
constexpr int kReminderBarHeight = 10;

UserFormHost g_host;
// Where each form's last pop-up window was put, so the next opens beside it.
QHash<const TUserFormInfo*, QRect> g_lastPopupPlace;
std::vector<TUserForm*> g_windows;

bool showingData()
{
    return platform::RunMode == platform::RunModeShowData;
}

QColor colourOf(int32_t ref)
{
    return QColor(ref & 0xff, (ref >> 8) & 0xff, (ref >> 16) & 0xff);
}

QString askExportFile(QWidget* owner, const QString& proposed)
{
    std::unique_ptr<QFileDialog> dialog = platform::NewFileDialog(owner, QString(), QString(),
                                                                  QStringLiteral("Text Files (*.txt)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->selectFile(proposed);
    if (!shell::ui::Dialogs().RunDialog(*dialog) || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().constFirst();
}

bool askFont(QWidget* owner, store::LogFont& font)
{
    QFont chosen = shell::FontFromLogFont(font);
    if (!shell::ui::Dialogs().FontDialog(owner, chosen))
        return false;
    font = shell::LogFontFromFont(chosen, font, fontResolution());
    return true;
}

bool askColour(QWidget* owner, int32_t& colour, const std::array<int32_t, 12>& custom)
{
    for (std::size_t i = 0; i < custom.size(); ++i)
        QColorDialog::setCustomColor(int(i), colourOf(custom[i]));
    QColorDialog dialog(colourOf(colour), owner);
    if (!shell::ui::Dialogs().RunDialog(dialog))
        return false;
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid())
        return false;
    colour = platform::MakeColour(chosen.red(), chosen.green(), chosen.blue());
    return true;
}

// Where an exported record lies: from the fix in memory (the shown track),
// so the time between fixes and the distance astern count as they do on the
// map; from the database when the fix is not in memory.
std::optional<RecordPosition> locateOnShownTrack(const LocateRequest& request)
{
    const nav::GPSTHING* fix = nav::FindGpsFixByIndex(request.gpsIndex, 0);
    if (fix == nullptr)
        return DbLocateRecord(request);
    platform::SystemTime time;
    const bool timed = !request.interpolationTime.isEmpty()
                    && platform::InterpretTimeString(request.interpolationTime, &time);
    nav::DetectionPosition second;
    const nav::DetectionPosition first = nav::GpsLocateDetection(
        fix, timed ? &time : nullptr, request.hydrophoneLength, request.range, request.bearing,
        request.bearingReference, store::TheProgramSettings.MagneticVariation, &second);
    return RecordPosition{first.latitude, first.longitude, second.latitude, second.longitude};
}

qint64 secondsNow()
{
    using namespace std::chrono;
    return duration_cast<seconds>(UserFormTime().toTimePoint().time_since_epoch()).count();
}

} // namespace

void setUserFormHost(UserFormHost host)
{
    g_host = std::move(host);
}

const UserFormHost& userFormHost()
{
    return g_host;
}

TUserForm::TUserForm(QWidget* parent, TUserFormInfo* form) : QWidget(parent), NightDayWindow(this), m_form(form)
{
    if (IsPopupKind() && m_form->FormKind == kPopupForm) {
        setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        setAttribute(Qt::WA_DeleteOnClose);
    }
    g_windows.push_back(this);
    setFont(shell::FontFromLogFont(m_form->Font));
    MeasureFormFont(font());
    if (IsPopupKind() && m_form->ForceGps) {
        store::RequestGpsPoll();
        TakeGpsReference();
    }
    CreateControls();
    LayoutControls();
    setAutoFillBackground(true);
    ApplyBackground();
    m_canClose = !m_form->NoCancel;
}

TUserForm::~TUserForm()
{
    // The controls go first, while their UserControls still exist; focus
    // changes on the way check nothing.
    m_destroying = true;
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), this), g_windows.end());
    m_controls.clear();
}

bool TUserForm::IsPopupKind() const
{
    return m_form->FormKind == kPopupForm || m_form->FormKind == kSubTabForm;
}

const std::vector<TUserForm*>& TUserForm::AllWindows()
{
    return g_windows;
}

std::vector<TUserForm*> TUserForm::OpenRecordWindows()
{
    std::vector<TUserForm*> out;
    for (TUserForm* w : g_windows)
        if (w->IsPopupKind())
            out.push_back(w);
    return out;
}

bool TUserForm::CloseRecordWindowsForExit(QWidget* owner)
{
    const std::vector<TUserForm*> open = OpenRecordWindows();
    if (open.empty())
        return true;
    if (AskForm(owner,
                QStringLiteral("%1 Pop-Up or Sub-Tab forms have not been saved.\n\nClose them without saving "
                               "and exit Velmar ?")
                    .arg(open.size()),
                QStringLiteral("Velmar"))
        != QMessageBox::Yes)
        return false;
    for (TUserForm* w : open) {
        w->m_canClose = true;
        w->m_closingAfterStore = true;
        w->close();
    }
    return true;
}

void TUserForm::CreateControls()
{
    // Made where the first control goes; LayoutControls places them.
    for (const auto& rowPtr : m_form->Rows()) {
        CONTROLTYPEINFO* row = rowPtr.get();
        if (!HasDataField(row->typeCode))
            continue;
        m_controls.push_back(
            std::make_unique<UserControl>(this, row, NextControlIds(2), kMargin, kMargin + RowHeight(3)));
        if (row->Plot)
            ++m_plotCount;
    }
    if (m_form->InterpolateGps && !m_form->InterpolationControl.isEmpty()
        && FindControl(m_form->InterpolationControl) == nullptr) {
        FormMessage(this, QStringLiteral("No Time control specified for form - Can't Interpolate"),
                    m_form->DefinitionTable);
        m_form->InterpolateGps = 0;
    }
    m_hint = new TUserHint(this, NextControlIds(), kMargin, kMargin, EditWidth(80), RowHeight(1));
    m_prompt = new TUserHint(this, NextControlIds(), kMargin, kMargin + RowHeight(1), EditWidth(55), RowHeight(1));
    m_lastSaved = new TUserHint(this, NextControlIds(), kMargin, kMargin + RowHeight(2), EditWidth(50), RowHeight(1),
                                true);
    const bool blackAndWhite = store::TheProgramSettings.BlackAndWhite;
    if (!blackAndWhite) {
        m_hint->setStyleSheet(QStringLiteral("color: rgb(225,0,0)"));
        m_prompt->setStyleSheet(QStringLiteral("color: rgb(0,128,0)"));
        m_lastSaved->setStyleSheet(QStringLiteral("color: rgb(0,128,0)"));
    }
    QString first = QStringLiteral("Store"), second = QStringLiteral("Clear");
    int firstId = CM_USERFORM_STORE, secondId = CM_USERFORM_CLEAR;
    if (showingData()) {
        first = QStringLiteral("Prev'");
        second = QStringLiteral("Next");
        firstId = CM_USERFORM_PREV;
        secondId = CM_USERFORM_NEXT;
    } else if (IsPopupKind()) {
        first = QStringLiteral("Ok");
        second = QStringLiteral("Cancel");
    }
    m_store = new QPushButton(first, this);
    m_clear = new QPushButton(second, this);
    shell::SetControlId(m_store, firstId);
    shell::SetControlId(m_clear, secondId);
    m_store->setDefault(!showingData());
    connect(m_store, &QPushButton::clicked, this, [this, firstId] { Command(firstId); });
    connect(m_clear, &QPushButton::clicked, this, [this, secondId] { Command(secondId); });
    m_propertyBox = new QCheckBox(QStringLiteral("Enable Property Edits"), this);
    shell::SetControlId(m_propertyBox, CM_USERFORM_PROPERTYEDITS);
    connect(m_propertyBox, &QCheckBox::toggled, this, [this] { Command(CM_USERFORM_PROPERTYEDITS); });
    if (m_form->HotKeyId != 0) {
        const QString text = m_form->HotKeyTarget.isEmpty()
                               ? QStringLiteral("Press Ctrl-%1 to automatically open this form").arg(m_form->HotKeyText)
                               : QStringLiteral(
                                     "Press Ctrl-%1 to automatically open this form and fill in the %2 field")
                                     .arg(m_form->HotKeyText, m_form->HotKeyTarget);
        m_hotKeyHint = new QLabel(text, this);
    }
}

void TUserForm::LayoutControls()
{
    m_x = kMargin;
    m_y = kMargin + RowHeight(3);
    m_widest = 0;
    int lineHeight = 0;
    std::size_t next = 0;
    for (const auto& rowPtr : m_form->Rows()) {
        CONTROLTYPEINFO* row = rowPtr.get();
        if (HasDataField(row->typeCode)) {
            if (next < m_controls.size()) {
                UserControl* c = m_controls[next].get();
                c->Move(m_x, m_y);
                m_x = c->Right();
                m_widest = std::max(m_widest, m_x);
                lineHeight = std::max(lineHeight, c->Height());
            }
            ++next;
        } else if (row->typeCode == CT_HSPACE) {
            m_x += EditWidth(row->Length);
        } else if (row->typeCode == CT_VSPACE) {
            m_y += RowHeight(row->Length) / 5;
        } else if (row->typeCode == CT_AUTORECORD) {
            m_triggerName = row->Title.isEmpty() ? QString::fromLatin1(kDefaultTriggerName) : row->Title.left(49);
            m_recordSeconds = row->Length;
        }
        for (int n = 0; n < row->newLineCount; ++n) {
            m_y += std::max(RowHeight(1), lineHeight);
            lineHeight = 0;
            m_y += RowHeight(1) / 4;
            m_x = kMargin;
        }
    }
    m_y += RowHeight(1) + lineHeight;
    m_buttonY = m_y;
    m_propertyBox->setGeometry(kMargin, m_y, EditWidth(23), RowHeight(1));
    m_totalHeight = RowHeight(2) + m_y + kMargin;
    if (m_hotKeyHint) {
        m_y += RowHeight(2) + RowHeight(1) / 2;
        m_hotKeyHint->setGeometry(kMargin, m_y, StaticWidth(int(m_hotKeyHint->text().size())), RowHeight(1));
        m_totalHeight = RowHeight(1) + m_y + kMargin;
    }
    setMinimumSize(m_widest + kMargin, m_totalHeight);
    PlaceButtons(width());
}

void TUserForm::Relayout()
{
    setFont(shell::FontFromLogFont(m_form->Font));
    MeasureFormFont(font());
    LayoutControls();
    if (m_form->FormKind == kPopupForm)
        resize(m_widest + kMargin, m_totalHeight);
    PlaceButtons(width());
}

void TUserForm::PlaceButtons(int w)
{
    if (m_store == nullptr)
        return;
    const int c = EditWidth(10);
    m_store->setGeometry(w / 2 - 3 * c / 2, m_buttonY, c, RowHeight(2));
    m_clear->setGeometry(w / 2 + c / 2, m_buttonY, c, RowHeight(2));
    const int d = w / 2 - 2 - kMargin;
    m_lastSaved->setGeometry(w - kMargin - d, kHintTop, d, RowHeight(1));
    m_hint->setGeometry(kMargin, kHintTop, d, RowHeight(1));
    m_prompt->setGeometry(kMargin, kHintTop + RowHeight(1), d, RowHeight(1));
}

void TUserForm::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    PlaceButtons(width());
}

void TUserForm::SetupWindow()
{
    const bool online = platform::RunMode == platform::RunModeOnline;
    const bool logging = online || platform::RunMode == platform::RunModeOffline;
    if (online) {
        if (m_form->StoreOnTimer && m_form->TimerInterval > 0) {
            StartTimer(kStoreTimer, m_form->TimerInterval * 1000);
            QMetaObject::invokeMethod(
                this, [this] { EvTimer(kStoreTimer); }, Qt::QueuedConnection);
        }
        if (m_form->ReminderInterval > 0) {
            StartTimer(kReminderTimer, 1000);
            SetReminderNow(secondsNow());
            m_reminderBar = new shell::TFlashWarning(parentWidget() ? parentWidget() : this, 0, QString(), 0, 0,
                                                     kReminderBarWidth, kReminderBarHeight);
            QMetaObject::invokeMethod(
                this, [this] { EvTimer(kReminderTimer); }, Qt::QueuedConnection);
        }
        if (const auto last = DbLoadLastValues(*m_form)) {
            const auto rows = m_form->ValueRows();
            for (std::size_t i = 0; i < rows.size() && i < last->size(); ++i)
                for (const auto& c : m_controls)
                    if (c->Row() == rows[i] && !rows[i]->AutoClear)
                        c->SetValue((*last)[i]);
        }
    }
    if (logging) {
        for (const auto& c : m_controls) {
            if (c->Row()->typeCode != CT_COUNTER)
                continue;
            if (IsPopupKind())
                c->SetCounter(c->Row()->counterValue, false);
            c->IncrementCounter();
        }
    }
    m_propertyBox->setChecked(m_propertyEdits);
    if (IsPopupKind()) {
        for (const auto& c : m_controls)
            if (c->Row()->AutoUpdate < 0)
                c->AutoFill();
        int n = 0, count = 0;
        for (TUserForm* w : g_windows)
            if (w->m_form == m_form)
                ++count;
        if (m_form->FormKind == kPopupForm) {
            if (count > 1 && g_lastPopupPlace.contains(m_form))
                setGeometry(g_lastPopupPlace.value(m_form).translated(kCascade, kCascade));
            else
                resize(m_widest + kMargin, m_totalHeight);
            g_lastPopupPlace.insert(m_form, geometry());
        }
        for (TUserForm* w : g_windows)
            if (w->m_form == m_form)
                w->setWindowTitle(QStringLiteral("%1, %2 of %3").arg(m_form->FormName).arg(++n).arg(count));
    }
    const bool hideClear = IsPopupKind() && (m_form->NoClear || m_form->NoCancel);
    m_clear->setVisible(!hideClear);
    ApplyTopStripRules();
    QMetaObject::invokeMethod(
        this, [this] { ClearControls(false); }, Qt::QueuedConnection);
}

void TUserForm::ApplyTopStripRules()
{
    if (platform::RunMode == platform::RunModeOffline)
        return;
    for (const auto& c : m_controls)
        if (c->Row()->ReadOnly)
            c->SetReadOnly(true);
    // Fields mirrored in the top strip refresh whether or not the form's
    // tab is shown: the strip is always in view. The control's own timer id
    // is reused, so a field that also refreshed with its tab keeps one timer.
    for (std::size_t n = 0; n < m_controls.size(); ++n) {
        const CONTROLTYPEINFO* row = m_controls[n]->Row();
        if (row->AutoUpdate > 0 && row->topStripEdit != nullptr)
            StartTimer(kFirstControlTimer + int(n), row->AutoUpdate * 1000);
    }
}

void TUserForm::TakeGpsReference()
{
    QString time;
    m_gps.index = store::GetLastGpsIndex(&time);
    m_gps.time = time;
}

FormValues TUserForm::CollectValues() const
{
    FormValues values;
    for (CONTROLTYPEINFO* row : m_form->ValueRows()) {
        QString value;
        for (const auto& c : m_controls)
            if (c->Row() == row && c->HasValue())
                value = c->Buffer();
        values.push_back(value);
    }
    return values;
}

bool TUserForm::Store(bool pollGps, CheckOrigin origin)
{
    for (const auto& c : m_controls) {
        QWidget* focus = c->Row()->typeCode == CT_SUBFORM ? c->SecondControl() : c->ValueControl();
        bool hasValue = false;
        if (!c->GetValue(&hasValue)) {
            FormMessage(this, RequiredMessage(c->Row()->Title), QString::fromLatin1(kCannotStoreCaption));
            focus->setFocus();
            return false;
        }
        const int code = c->Validate();
        if (code >= VALUE_NOT_DATETIME) {
            FormMessage(this, ValidationMessage(code, c->Buffer(), c->Row()->Title),
                        QString::fromLatin1(kDataFormatErrorCaption));
            focus->setFocus();
            return false;
        }
        if (hasValue && store::TheProgramSettings.FormErrorChecking != 0 && !c->CheckRange(false, origin)) {
            focus->setFocus();
            return false;
        }
    }
    // Offline, a record before "Start Run" would have no time.
    if (!store::ProgramClockSetOrTell())
        return false;
    // The main window polls the GPS first (when due), so the record carries
    // the newest fix.
    if (pollGps)
        store::RequestGpsPoll();
    // A failed insert is reported by the data layer; the values stay on
    // screen so nothing typed is lost.
    if (DbStoreRecord(*m_form, CollectValues(), m_gps, false) != kStoreOk)
        return false;
    if (m_plotCount > 0 || m_form->HasPlotAll)
        AddPlotThing(CollectValues(), m_rowGpsIndex);
    if (IsEffortFormName(m_form->FormName))
        AppendEffortSegment(*m_form, store::GetLastGpsIndex(), CollectValues());
    m_lastSaved->setText(QStringLiteral("%1 form last saved at %2")
                             .arg(m_form->FormName, platform::FormatTimeString(UserFormTime(), 0)));
    const int trigger = m_trigger != 0         ? m_trigger
                      : g_host.recorderTrigger ? g_host.recorderTrigger(m_form->FormName)
                                               : 0;
    if (trigger != 0 && m_recordSeconds != 0 && g_host.triggerRecorders)
        g_host.triggerRecorders(trigger, m_recordSeconds, m_form->FormName);
    m_gps = GpsReference{};
    emit stored();
    return true;
}

void TUserForm::FillAndStore(bool pollGps)
{
    for (const auto& c : m_controls)
        c->AutoFill();
    Store(pollGps, CheckOrigin::Automatic);
}

bool TUserForm::CmStore()
{
    if (showingData())
        return false;
    if (!Store(true))
        return false;
    if (IsPopupKind()) {
        m_canClose = true;
        m_closingAfterStore = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    } else {
        for (const auto& c : m_controls)
            if (c->Row()->typeCode == CT_COUNTER)
                c->IncrementCounter();
        ClearControls(false);
    }
    if (m_form->ReminderInterval > 0) {
        AdvanceReminder(secondsNow());
        EvTimer(kReminderTimer);
    }
    return true;
}

namespace {

// Holds the messages of a store made for another program and shows them
// once its answer has gone: a modal box inside the answer would keep the
// sender waiting for an operator and let the next poke in meanwhile.
class HeldMessages : public store::DbMessageSink {
public:
    HeldMessages() : m_next(store::dbMessageSink()) { store::setDbMessageSink(this); }
    ~HeldMessages() override
    {
        store::setDbMessageSink(m_next);
        for (const Held& m : m_held)
            QTimer::singleShot(0, qApp, [m] {
                if (m.beep)
                    store::DbBeep();
                else
                    store::DbMessage(nullptr, m.text, m.caption, m.icon);
            });
    }
    void showMessage(QObject*, const QString& text, const QString& caption, store::DbIcon icon) override
    {
        m_held.push_back({false, text, caption, icon});
    }
    void beep() override { m_held.push_back({true, {}, {}, store::DbIcon::None}); }

private:
    struct Held {
        bool beep;
        QString text;
        QString caption;
        store::DbIcon icon;
    };
    store::DbMessageSink* m_next;
    std::vector<Held> m_held;
};

} // namespace

bool TUserForm::StoreFilled(const std::function<void()>& fill)
{
    if (showingData())
        return false;
    std::vector<UserControl::Snapshot> before;
    for (const auto& c : m_controls)
        before.push_back(c->Save());
    const bool edited = m_edited;
    const bool userEdits = m_hasUserEdits;
    const HeldMessages held;
    fill();
    if (CmStore())
        return true;
    // Refused: nothing of the fill may stay for the next store to pick up.
    for (std::size_t n = 0; n < m_controls.size(); ++n)
        m_controls[n]->Restore(before[n]);
    SetEdited(edited);
    m_hasUserEdits = userEdits;
    return false;
}

void TUserForm::CmClear()
{
    ClearControls(true);
    if (IsPopupKind())
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TUserForm::ClearControls(bool all)
{
    for (const auto& c : m_controls)
        if (all || (c->Row()->AutoClear && c->Row()->AutoUpdate >= 0))
            c->Clear();
    SetEdited(false);
    m_hasUserEdits = false;
    FocusFirstControl();
}

void TUserForm::SetEdited(bool state)
{
    if (showingData() || state == m_edited)
        return;
    m_edited = state;
    m_prompt->setText(
        state ? QStringLiteral("Press \"Store\" to save %1 data, \"Clear\" to clear form").arg(m_form->FormName)
              : QString());
    m_store->setEnabled(state || IsPopupKind());
}

void TUserForm::FocusFirstControl()
{
    if (!m_timersActive || m_closingAfterStore)
        return;
    for (const auto& c : m_controls) {
        const CONTROLTYPEINFO* row = c->Row();
        if (row->typeCode == CT_COUNTER || row->AutoUpdate != 0 || row->ReadOnly)
            continue;
        (row->typeCode == CT_SUBFORM ? c->SecondControl() : c->ValueControl())->setFocus();
        return;
    }
}

void TUserForm::StartTimer(int id, int ms)
{
    StopTimer(id);
    const int qtId = startTimer(ms);
    m_qtTimerOf.insert(id, qtId);
    m_timerOfQt.insert(qtId, id);
}

void TUserForm::StopTimer(int id)
{
    if (const auto it = m_qtTimerOf.find(id); it != m_qtTimerOf.end()) {
        killTimer(*it);
        m_timerOfQt.remove(*it);
        m_qtTimerOf.erase(it);
    }
}

void TUserForm::timerEvent(QTimerEvent* e)
{
    if (const auto it = m_timerOfQt.find(e->timerId()); it != m_timerOfQt.end())
        EvTimer(*it);
    else
        QWidget::timerEvent(e);
}

void TUserForm::ActivateTimers(bool on)
{
    m_timersActive = on;
    if (showingData())
        return;
    for (std::size_t n = 0; n < m_controls.size(); ++n) {
        const CONTROLTYPEINFO* row = m_controls[n]->Row();
        const int id = kFirstControlTimer + int(n);
        const bool refresh = row->AutoUpdate > 0 && row->topStripEdit == nullptr && !row->autoNmea;
        if (!on) {
            if (refresh)
                StopTimer(id);
            continue;
        }
        if (refresh) {
            StartTimer(id, row->AutoUpdate * 1000);
            EvTimer(id);
        } else if (row->AutoUpdate < 0 && !(m_form->FormKind == kTabForm && m_edited)) {
            m_controls[n]->AutoFill();
        }
    }
    bool nmea = false;
    for (const auto& c : m_controls)
        nmea = nmea || (c->Row()->AutoUpdate > 0 && c->Row()->autoNmea);
    if (on && nmea) {
        m_nmeaTicks = 0;
        StartTimer(kNmeaTimer, 1000);
        EvTimer(kNmeaTimer);
    } else if (!on) {
        StopTimer(kNmeaTimer);
    }
    if (on)
        FocusFirstControl();
}

void TUserForm::EvTimer(int id)
{
    if (id == kStoreTimer) {
        FillAndStore(true);
    } else if (id == kReminderTimer) {
        UpdateReminder();
    } else if (id == kNmeaTimer) {
        for (const auto& c : m_controls)
            if (c->Row()->AutoUpdate > 0 && c->Row()->autoNmea)
                c->AutoFill();
        ++m_nmeaTicks;
    } else if (id >= kFirstControlTimer && std::size_t(id - kFirstControlTimer) < m_controls.size()) {
        m_controls[std::size_t(id - kFirstControlTimer)]->AutoFill();
    }
}

void TUserForm::SetReminderNow(qint64 now)
{
    const qint64 b = qint64(m_form->ReminderInterval) * 60;
    if (b <= 0 || store::TheProgramSettings.SimpleWarningTimes) {
        m_reminderDue = now;
        return;
    }
    const qint64 rest = now % b;
    m_reminderDue = now - rest + (rest > b / 2 ? b : 0);
}

void TUserForm::AdvanceReminder(qint64 now)
{
    const qint64 b = qint64(m_form->ReminderInterval) * 60;
    if (b <= 0)
        return;
    if (store::TheProgramSettings.SimpleWarningTimes) {
        m_reminderDue = now + b;
        return;
    }
    m_reminderDue = ((now + b) / b) * b;
    while (m_reminderDue - now < b / 2)
        m_reminderDue += b;
}

void TUserForm::UpdateReminder()
{
    if (m_reminderBar == nullptr)
        return;
    const qint64 now = secondsNow();
    if (now > m_reminderDue)
        m_reminderBar->SetWarning(QStringLiteral("%1 Overdue").arg(m_form->FormName), true);
    else
        m_reminderBar->SetWarning(
            QStringLiteral("%1 due in %2 minutes").arg(m_form->FormName).arg((m_reminderDue - now + 30) / 60), false);
}

bool TUserForm::FillFromButton(UserControl* first, int number, UserControl* second, const QString& text)
{
    if (first)
        first->SetValue(QString::number(number));
    if (second)
        second->SetValue(text);
    if (m_form->TabIndex < 0)
        ActivateTimers(true);
    else if (g_host.selectTab)
        g_host.selectTab(m_form->TabIndex);
    return true;
}

UserControl* TUserForm::FindControl(const QString& title) const
{
    for (const auto& c : m_controls)
        if (c->Row()->Title.compare(title, Qt::CaseInsensitive) == 0)
            return c.get();
    return nullptr;
}

UserControl* TUserForm::FindControlByOrder(int order) const
{
    for (const auto& c : m_controls)
        if (c->Row()->Order == order)
            return c.get();
    return nullptr;
}

void TUserForm::SetRecorderTrigger(int trigger, int link)
{
    m_trigger = trigger;
    m_recorderLink = link;
}

void TUserForm::RefreshControls()
{
    for (const auto& c : m_controls)
        c->SetValue(std::nullopt);
}

void TUserForm::CmSubForm(UserControl* control)
{
    if (!g_host.findForm || !g_host.openSubForm)
        return;
    TUserFormInfo* sub = g_host.findForm(control->Row()->Topic);
    if (sub == nullptr)
        return;
    TUserForm* window = g_host.openSubForm(sub, control->Row()->Plot ? this : parentWidget());
    update();
    if (window == nullptr)
        return;
    const CONTROLTYPEINFO* row = control->Row();
    UserControl* from = FindControl(row->SendControlName);
    UserControl* to = window->FindControl(row->ControlOnSubform);
    if (from && to)
        to->SetText(from->ShownText().left(128));
    if (UserControl* back = window->FindControl(row->GetControlData))
        control->SetText(back->ShownText());
}

QString TUserForm::HintText() const
{
    return m_hint->text();
}

QString TUserForm::PromptText() const
{
    return m_prompt->text();
}

QString TUserForm::LastSavedText() const
{
    return m_lastSaved->text();
}

void TUserForm::ShowHintText(const QString& text)
{
    if (!showingData())
        m_hint->setText(text);
}

void TUserForm::FocusNeighbour(QWidget* from, bool forward, int steps)
{
    std::vector<QWidget*> order;
    for (const auto& c : m_controls)
        for (QWidget* w : {c->ValueControl(), c->SecondControl()})
            if (w && w->isEnabled() && w->focusPolicy() != Qt::NoFocus)
                order.push_back(w);
    const auto it = std::find(order.begin(), order.end(), from);
    if (it == order.end() || order.empty())
        return;
    const int size = int(order.size());
    int i = int(it - order.begin());
    i = ((i + (forward ? steps : -steps)) % size + size) % size;
    order[std::size_t(i)]->setFocus();
}

void TUserForm::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        CmStore();
        return;
    }
    if (e->key() == Qt::Key_Escape)
        return;
    QWidget::keyPressEvent(e);
}

void TUserForm::closeEvent(QCloseEvent* e)
{
    if (!m_canClose) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}

void TUserForm::ApplyBackground()
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colourOf(m_form->BackgroundColour));
    setPalette(p);
    update();
}

void TUserForm::AddPlotThing(const FormValues& values, int32_t gpsIndex)
{
    const bool online = platform::RunMode == platform::RunModeOnline;
    PlotThingSource source;
    source.values = values;
    source.fix = online ? nav::GetLastGpsFix(0) : nav::FindGpsFixByIndex(gpsIndex, m_form->GpsDataSet);
    source.created = online ? nav::MonotonicMilliseconds() : 0;
    source.showingData = showingData();
    source.magneticVariation = store::TheProgramSettings.MagneticVariation;
    AddUserPlotThing(*m_form, source);
}

int TUserForm::LoadRows(int firstGpsIndex, int lastGpsIndex, const LoadProgress& progress)
{
    m_loaded = DbLoadUserFormData(*m_form, firstGpsIndex, lastGpsIndex, progress);
    m_firstGpsIndex = firstGpsIndex;
    m_row = 0;
    m_rowIndex = 0;
    m_rowGpsIndex = 0;
    for (const LoadedRow& row : m_loaded)
        AddPlotThing(row.values, row.gpsIndex);
    UpdateBrowseButtons();
    return LoadedCount();
}

int TUserForm::LoadShownData(const LoadProgress& progress)
{
    const nav::GPSTHING* first = nav::GetFirstGpsFix(m_form->GpsDataSet);
    const nav::GPSTHING* last = nav::GetLastGpsFix(m_form->GpsDataSet);
    if (first == nullptr || last == nullptr) {
        // No fixes shown: no record can be placed in the period.
        m_loaded.clear();
        m_row = 0;
        UpdateBrowseButtons();
        return 0;
    }
    return LoadRows(first->Index, last->Index, progress);
}

void TUserForm::RebuildEffortSegments()
{
    m_form->EffortSegments.clear();
    if (m_loaded.empty())
        return;
    if (const auto before = DbLoadRowBefore(*m_form, m_firstGpsIndex))
        AppendEffortSegment(*m_form, before->gpsIndex, before->values);
    for (const LoadedRow& row : m_loaded)
        AppendEffortSegment(*m_form, row.gpsIndex, row.values);
}

void TUserForm::ShowRow(int row)
{
    m_row = row;
    const LoadedRow& loaded = m_loaded[std::size_t(row - 1)];
    m_rowIndex = loaded.index;
    m_rowGpsIndex = loaded.gpsIndex;
    const auto rows = m_form->ValueRows();
    for (const auto& c : m_controls) {
        c->Clear();
        const auto at = std::find(rows.begin(), rows.end(), c->Row());
        const std::size_t i = std::size_t(at - rows.begin());
        const QString value = i < loaded.values.size() ? loaded.values[i] : QString();
        // A NULL column shows empty, not the row's Default.
        if (!value.isNull())
            c->SetValue(value);
        else if (c->Row()->typeCode != CT_TIMESTAMP)
            c->SetValue(QString());
    }
    UpdateBrowseButtons();
}

void TUserForm::UpdateBrowseButtons()
{
    if (!showingData())
        return;
    m_store->setEnabled(m_row > 1);
    m_clear->setEnabled(m_row < LoadedCount());
}

void TUserForm::ShowFirstRow()
{
    for (const auto& c : m_controls)
        c->Clear();
    m_row = 0;
    m_hint->setText(QStringLiteral("%1 records loaded from database").arg(LoadedCount()));
    if (!m_loaded.empty())
        ShowRow(1);
    UpdateBrowseButtons();
}

void TUserForm::CmPrev()
{
    if (m_row > 1)
        ShowRow(m_row - 1);
}

void TUserForm::CmNext()
{
    if (m_row < LoadedCount())
        ShowRow(m_row + 1);
}

void TUserForm::CmDump()
{
    if (m_loaded.empty()) {
        FormMessage(this, QStringLiteral("No Data loaded"), m_form->FormName);
        return;
    }
    const QString proposed = QStringLiteral("%1.txt").arg(m_form->FormName);
    const QString path = askExportFile(this, proposed);
    if (path.isEmpty())
        return;
    // Written over, the survey would be lost.
    if (store::IsOpenDbFile(path)) {
        store::DbMessage(this, path + QStringLiteral("\n\nis the open survey database: choose another file"),
                         QStringLiteral("Export Data"));
        return;
    }
    ExportUserFormData(*m_form, m_loaded, path, locateOnShownTrack);
}

void TUserForm::Command(int id)
{
    switch (id) {
    case 1:
    case CM_USERFORM_STORE: CmStore(); break;
    case CM_USERFORM_CLEAR: CmClear(); break;
    case CM_USERFORM_PREV: CmPrev(); break;
    case CM_USERFORM_NEXT: CmNext(); break;
    case CM_USERFORM_DUMP: CmDump(); break;
    case CM_USERFORM_PROPERTYEDITS: m_propertyEdits = m_propertyBox->isChecked(); break;
    case CM_USERFORM_FONT: ChooseFont(); break;
    case CM_USERFORM_COLOUR: ChooseColour(); break;
    default: break;
    }
}

std::unique_ptr<QMenu> TUserForm::MakePropertyMenu()
{
    if (!m_propertyEdits)
        return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    for (const auto& [text, id] :
         {std::pair{"&Font...", CM_USERFORM_FONT}, std::pair{"&Colour...", CM_USERFORM_COLOUR}}) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setData(id);
        // Queued: the menu is gone before a dialog opens over the window.
        connect(
            action, &QAction::triggered, this, [this, id = id] { Command(id); }, Qt::QueuedConnection);
    }
    return menu;
}

void TUserForm::contextMenuEvent(QContextMenuEvent* e)
{
    // The chosen action runs its command through its own connection.
    if (auto menu = MakePropertyMenu())
        shell::ui::Dialogs().RunPopup(*menu, e->globalPos());
}

void TUserForm::ChooseFont()
{
    store::LogFont font = m_form->Font;
    const bool chosen = askFont(this, font);
    if (!chosen)
        return;
    m_form->StoreFont(font);
    for (TUserForm* w : g_windows)
        if (w->m_form == m_form)
            w->Relayout();
}

void TUserForm::ChooseColour()
{
    int32_t colour = m_form->BackgroundColour;
    const auto custom = TUserFormInfo::CustomColours();
    const bool chosen = askColour(this, colour, custom);
    if (!chosen)
        return;
    m_form->StoreFormColour(colour);
    for (TUserForm* w : g_windows)
        if (w->m_form == m_form)
            w->ApplyBackground();
}

} // namespace velmar::forms
