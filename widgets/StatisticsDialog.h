#pragma once
// StatisticsDialog: "Effort Statistics", the length and duration of the
// track in total and, when the effort line is on, one row per effort state;
// "Copy" puts the table on the clipboard as tab-separated text.
//
// User-interface thread only.
#include "nav/TrackStatistics.h"

#include <QDialog>

namespace velmar::shell::ui {

inline constexpr int StatisticsTotalLabelId = 31810;
inline constexpr int StatisticsMilesId = 31811;
inline constexpr int StatisticsKmId = 31812;
inline constexpr int StatisticsTimeId = 31813;
inline constexpr int StatisticsCopyId = 31814;

class StatisticsDialog : public QDialog {
    Q_OBJECT
public:
    StatisticsDialog(QWidget* parent, nav::TrackStatistics statistics);

    // The text Copy puts on the clipboard.
    QString ClipboardText() const { return m_text; }
    void Copy();

private:
    nav::TrackStatistics m_statistics;
    QString m_text;
};

} // namespace velmar::shell::ui
