#pragma once
// The program's own receivers of the show-data readers: fixes into the
// program's fix lists, click and porpoise events into the recent lists,
// linked to the loaded main-track fix with the row's GPS index.
//
// User-interface thread only.
#include "nav/ShowDataReaders.h"

namespace velmar::nav {

class ProgramFixSink : public GpsFixSink {
public:
    // Fixes are timed from the start of the shown period.
    explicit ProgramFixSink(const platform::SystemTime& showStart);
    void ClearGpsFixes() override;
    void AddFix(const GpsFixData& fix, int32_t index, int dataSet) override;

private:
    platform::SystemTime m_showStart;
};

class ProgramEventSink : public DetectorEventSink {
public:
    bool AddClickEvent(const NewRCEventRecord& record, int32_t gpsIndex) override;
    void AddPorpoiseEvent(const PorpoiseEventRecord& record, int32_t gpsIndex) override;
};

// Every fix, click event and porpoise event held in memory goes.
void ClearGpsFixes();
void ClearRCEvents();
void ClearPorpoiseEvents();

} // namespace velmar::nav
