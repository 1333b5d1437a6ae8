#pragma once
// The GPS poll through the NMEA server, as the main window, its commands and
// the recorders reach it.
//
// User-interface thread only.
namespace velmar::shell {

class NavigationService {
public:
    virtual ~NavigationService() = default;
    // A reading now (command 30058, the start-up poll).
    virtual void PollGps() = 0;
    // A reading when the longest interval since the last one has passed
    // (command 30057, the GPS timer, a recorder's GPS reference).
    virtual void PollGpsIfDue() = 0;
};

// The default: no GPS poll.
NavigationService& NoNavigation();

} // namespace velmar::shell
