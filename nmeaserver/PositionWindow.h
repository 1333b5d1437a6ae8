#pragma once
// The position display of the main form: the newest RMC's latitude,
// longitude, speed, course and GPS time in large type on white.
//
// User-interface thread only. The store it reads is owned by the server and
// must outlive the window.
#include "nmeaserver/RmcFix.h"
#include "nmeaserver/SentenceStore.h"

#include <QFrame>

class QLabel;

namespace velmar::nmeaserver {

class TPositionWindow : public QFrame {
    Q_OBJECT
public:
    explicit TPositionWindow(const SentenceStore& store, QWidget* parent = nullptr);

    // Shows an RMC entry of the store; null: the newest RMC of any talker.
    void ShowRmc(const DataThing* entry = nullptr);
    void SetDisplayFont(const QFont& font);

    // The texts of a fix as the window shows them.
    static QString latitudeText(const RmcFix& fix);
    static QString longitudeText(const RmcFix& fix);
    static QString speedText(const RmcFix& fix);
    static QString headingText(const RmcFix& fix);
    static QString timeText(const RmcFix& fix);

    QLabel* lat_edit = nullptr;
    QLabel* long_edit = nullptr;
    QLabel* speed_edit = nullptr;
    QLabel* heading_edit = nullptr;
    QLabel* time_edit = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormResize();

    const SentenceStore& m_store;
};

} // namespace velmar::nmeaserver
