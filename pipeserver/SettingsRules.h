#pragma once
// The checks of Pelvane's two settings pages, on a working copy of the
// record, without widgets: what the operator typed or ticked, what the copy
// becomes, and the message when it is refused.
//
// Pure functions, any thread.
#include "settings/PipeSettings.h"

#include <QString>

#include <array>

namespace velmar::pipeserver {

struct PageCheck {
    bool accepted = false;
    QString message;       // refusal or warning text
    QString caption;       // the message's caption ("" for the pages' plain boxes)
    bool question = false; // a Yes/No question: accepted when the operator says Yes
};

// The Sampling page: device kind and number from the list, the rate, channel
// list and buffer texts. Channels dropped from the list lose their routing,
// so that no pipe announces a channel it does not get. A record whose streams
// do not add up is accepted with a warning: the Channels page is where the
// operator mends it, and it is refused when applied.
PageCheck ReadSamplingControls(PipeSettings& copy, int deviceType, int deviceNumber, const QString& rateText,
                               const QString& channelText, const QString& bufferText);

// The Channels page: ticks[c] are channel c's four boxes (porpoise, whistle,
// click, recorder). Different NI gains on one pipe are a question; the copy
// takes the routing all the same, and the caller goes back on No.
PageCheck CopyRouting(PipeSettings& copy, const std::array<std::array<bool, 4>, PipeSettings::MaxChannels>& ticks);

// Whether the record may be applied (written and used): its streams must be
// what their consumers are told. Sets the rate multipliers of the streams.
PageCheck CheckForApply(PipeSettings& settings);

} // namespace velmar::pipeserver
