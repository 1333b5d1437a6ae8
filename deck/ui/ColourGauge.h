#pragma once
// TColourGauge: the deck's vertical level meter. The level is drawn in the
// highlight colour; the part of it that reaches into the top sixth of the
// gauge is dark red, so that with the deck's range of -60..0 dB levels above
// about -10 dB show red.
//
// A widget of the user-interface thread.
#include <QWidget>

namespace velmar::deck {

class TColourGauge : public QWidget {
    Q_OBJECT
public:
    explicit TColourGauge(QWidget* parent = nullptr, int margin = 0);

    void setRange(int minimum, int maximum);
    void setValue(int value);
    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }

    // The interior (client rectangle less the border and the margin) and the
    // bar's top edge in it, as painted.
    QRect interior() const;
    int barTop() const;

    static QColor levelColour();    // the highlight colour
    static QColor overloadColour(); // dark red (128, 0, 0)
    static QColor faceColour();     // the 3D face colour

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_margin;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
};

} // namespace velmar::deck
