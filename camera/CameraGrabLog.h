#pragma once
// The grab logger of the main program: a row of CameraGrabs for every saved
// frame, with the GPS cross reference of the moment it is logged, the
// frame's UTC time, the file name, the form, camera and device, the frame
// size and the reason. Texts are cut to their columns. A row that cannot be
// stored is reported once (a beep and a log line) and then again only after
// a row was stored.
//
// User-interface thread only.
#include "VideoUnit.h"

#include <memory>

namespace velmar::store {
class TableInserter;
}

namespace velmar::camera {

class CameraGrabLog final : public GrabLogger {
public:
    CameraGrabLog();
    ~CameraGrabLog() override;
    void logGrab(const GrabRecord& record) override;

private:
    std::unique_ptr<store::TableInserter> m_insert;
    bool m_failing = false;
};

} // namespace velmar::camera
