#include "StateChecks.h"

namespace velmar::video {

QList<StateReport> CheckStateReports(const StateCheckInput& in)
{
    QList<StateReport> reports;
    const bool previewAllowed = in.allowed & as_Preview;
    const bool recordingAllowed = in.allowed & as_Recording;
    if (((in.needDevice && in.captureDeviceSource && previewAllowed) || recordingAllowed) && in.videoDevice == -1)
        reports << StateReport{QStringLiteral("no video device selected"), e_no_video_device_selected};
    if (in.state == cs_Recording && !recordingAllowed)
        reports << StateReport{QStringLiteral("first stop recording"), e_stop_recording_first};
    if (in.state == cs_Reencoding && !(in.allowed & as_Reencoding))
        reports << StateReport{QStringLiteral("first stop reencoding"), e_reencoding};
    if (in.state == cs_Playback && !(in.allowed & as_Player))
        reports << StateReport{QStringLiteral("first close player"), e_stop_player_first};
    if (in.state == cs_Preview && !previewAllowed)
        reports << StateReport{QStringLiteral("first stop preview"), e_stop_preview_first};
    if (in.state == cs_Down && in.allowed == as_Preview)
        reports << StateReport{QStringLiteral("first start preview"), e_start_preview_first};
    return reports;
}

IndexReport CheckIndex(int index, int count, const QString& itemName)
{
    IndexReport r;
    if (count > 0) {
        if (index >= count)
            r = {true, sevError, QStringLiteral("index of ") + itemName + QStringLiteral(" out of range"),
                 e_index_out_of_range};
    } else {
        r = {true, sevInfo, QStringLiteral("no ") + itemName + QStringLiteral(" available"), e_no_device_available};
    }
    return r;
}

} // namespace velmar::video
