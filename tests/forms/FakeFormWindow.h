#pragma once
// A stand-in for the form window: records what the form list asks of it and
// stores its values into the form's data table when told to store.
#include "forms/UserFormData.h"
#include "forms/UserFormWindows.h"

#include <QTimer>
#include <QWidget>

#include <functional>

namespace velmar::forms::test {

class FakeFormWindow : public QWidget, public UserFormWindow {
public:
    FakeFormWindow(QWidget* parent, TUserFormInfo& form, bool popup)
        : QWidget(parent, popup ? Qt::Window : Qt::Widget), m_form(form), popup(popup), values(form.ValueRows().size())
    {
    }
    QObject* Object() override { return this; }
    TUserFormInfo& Form() override { return m_form; }
    bool HasEdits() const override { return edited; }
    void ActivateFromHotKey(bool fill) override
    {
        ++activations;
        fills += fill ? 1 : 0;
    }
    void ActivateTimers(bool on) override { timersOn = on; }
    QString SubTabLabel() const override { return label; }
    void SetValueText(int valueIndex, const QString& text) override { values.at(std::size_t(valueIndex)) = text; }
    void AutoFillValue(int valueIndex) override { values.at(std::size_t(valueIndex)) = QStringLiteral("auto"); }
    bool StoreFilled(const std::function<void()>& fill) override
    {
        const FormValues before = values;
        fill();
        if (Store() == kStoreOk)
            return true;
        values = before;
        return false;
    }
    void FillAndStore(bool) override { Store(); }
    void SetTableLetter(const QString& l) override { letter = l; }

    int Store()
    {
        const int result = DbStoreRecord(m_form, values, {}, false);
        ++stores;
        // A stored record clears the window, as the real one does.
        if (result == kStoreOk)
            values.assign(values.size(), QString());
        if (onStored)
            onStored(result);
        return result;
    }

    TUserFormInfo& m_form;
    bool popup = false;
    FormValues values;
    bool edited = false;
    int activations = 0;
    int fills = 0;
    bool timersOn = false;
    QString label;
    QString letter;
    int stores = 0;
    std::function<void(int)> onStored;
};

} // namespace velmar::forms::test
