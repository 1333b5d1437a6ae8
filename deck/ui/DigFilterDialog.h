#pragma once
// "Digital Filter": the dialog that designs the deck's speaker filter, with
// its z-plane plot of poles and zeros (TPoleZero) and the plot of gain and
// phase against frequency (TFilterResponse). Validation, tick spacing and the
// values of each plot column are pure functions below.
//
// User-interface thread.
#include "deck/DeckSettings.h"
#include "deck/DigitalFilter.h"

#include <QDialog>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmar::deck {

// The dialog's fields as typed.
struct FilterFields {
    int type = 0; // list index
    int band = 1; // 1 high, 2 low, 3 band pass
    QString highPass, lowPass, order, ripple;
    bool showGrid = true, showPhase = true, logFrequency = false;
    QString gainRange, startFrequency;
};
// Reads the fields into the spec and the display settings in order, stopping
// at the first invalid one; its message, or empty when all are valid.
// Cut-offs must lie above 0 and below half the sample rate.
QString ValidateFilterFields(const FilterFields& fields, double sampleRate, FilterSpec& spec,
                             FilterDisplaySettings& display);

// Tick spacing: the first step whose spacing exceeds 50 pixels (else the last).
int GainTickStep(double pixelsPerDb);
int PhaseTickStep(double pixelsPerDegree);
int LinearFrequencyStep(double pixelsPerHz);

// One column of the response plot.
struct ResponseColumn {
    double frequency = 0;
    double gainDb = 0;       // NoGain when the gain is 0
    double phaseDegrees = 0; // in [-180, 180)
};
inline constexpr double NoGain = -999999.9;
std::vector<ResponseColumn> ResponseColumns(const FilterDesign& design, double sampleRate, int points,
                                            const FilterDisplaySettings& display);

class TPoleZero : public QWidget {
    Q_OBJECT
public:
    explicit TPoleZero(QWidget* parent = nullptr);
    void setDesign(const FilterDesign* design)
    {
        m_design = design;
        update();
    }
    QString caption() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const FilterDesign* m_design = nullptr;
};

class TFilterResponse : public QWidget {
    Q_OBJECT
public:
    explicit TFilterResponse(QWidget* parent = nullptr);
    void setDesign(const FilterDesign* design, const FilterDisplaySettings* display, double sampleRate,
                   double referenceGain);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const FilterDesign* m_design = nullptr;
    const FilterDisplaySettings* m_display = nullptr;
    double m_rate = 0;
    double m_referenceGain = 1;
};

class DigFilterDialog : public QDialog {
    Q_OBJECT
public:
    using MessageFn = std::function<void(const QString& text, const QString& caption)>;
    DigFilterDialog(QWidget* parent, FilterSpec& spec, FilterDisplaySettings& display, double sampleRate,
                    MessageFn showMessage, const QString& caption = QString());

    // "Plot Now": validate and design; false when a field is refused.
    bool redesign();
    // OK: redesigns and stays open after an edit, else stores and closes.
    void ok();
    int poleCount() const { return m_design.count(); }
    QString poleZeroCaption() const { return m_poleZero->caption(); }
    const FilterSpec& workingSpec() const { return m_spec; }

    QComboBox* type() const { return m_type; }
    QLineEdit* highPass() const { return m_highPass; }
    QLineEdit* lowPass() const { return m_lowPass; }
    QLineEdit* order() const { return m_order; }
    QLineEdit* ripple() const { return m_ripple; }
    QRadioButton* bandButton(int band) const;

private:
    FilterFields fields() const;
    void readControls();
    bool validate();

    FilterSpec& m_callerSpec;
    FilterDisplaySettings& m_display;
    FilterSpec m_spec;
    double m_rate;
    MessageFn m_showMessage;
    FilterDesign m_design;
    double m_referenceGain = 1;
    bool m_changed = false;

    QComboBox* m_type;
    QRadioButton *m_high, *m_band, *m_low;
    QLineEdit *m_highPass, *m_lowPass, *m_order, *m_ripple, *m_gainRange, *m_startFrequency;
    QCheckBox *m_grid, *m_phase, *m_log;
    TPoleZero* m_poleZero;
    TFilterResponse* m_response;
};

} // namespace velmar::deck
