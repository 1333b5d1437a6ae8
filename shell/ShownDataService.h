#pragma once
// The data shown in show-data and offline logging, as the main window
// reaches it: cleared, the GPS fixes loaded from the survey database, and the
// effort lists read.
//
// User-interface thread only.
#include <vector>

namespace velmar::shell {

struct EffortPoint;

class ShownDataService {
public:
    virtual ~ShownDataService() = default;
    // The user-form items, click and porpoise events and GPS fixes shown,
    // dropped.
    virtual void ClearShownData() = 0;
    // How many fixes were loaded.
    virtual int LoadAllGpsData() = 0;
    // Effort list `source` (0 to 3) filled from the database.
    virtual void LoadEffortData(int source, std::vector<EffortPoint>& list) = 0;
};

// The default: nothing shown, nothing loaded.
ShownDataService& NoShownData();

} // namespace velmar::shell
