#include "pipeserver/SettingsRules.h"

#include "pipeserver/FanOut.h"

namespace velmar::pipeserver {

namespace {
constexpr int RateDigits = 7;
constexpr int ChannelListCharacters = 39;
constexpr int BufferDigits = 2;

PageCheck refuse(const QString& message, const QString& caption = {})
{
    return {false, message, caption, false};
}

// atoi of the first characters: leading blanks, sign, digits.
int leadingInt(const QString& text, int characters)
{
    const QString t = text.left(characters).trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    while (i < t.size() && t[i].isDigit())
        ++i;
    return t.left(i).toInt();
}
} // namespace

PageCheck ReadSamplingControls(PipeSettings& copy, int deviceType, int deviceNumber, const QString& rateText,
                               const QString& channelText, const QString& bufferText)
{
    if (deviceType == 0)
        return refuse(QStringLiteral("No valid input device"));
    PipeSettings s = copy;
    s.DeviceType = deviceType;
    s.DeviceNumber = deviceNumber;
    s.Bits = deviceType == DeviceComputerBoards ? 12 : 16;
    s.SampleRate = leadingInt(rateText, RateDigits);
    if (s.SampleRate < MinSampleRate || s.SampleRate > MaxSampleRate)
        return refuse(
            QStringLiteral("The Base Sample Rate must be between %1 and %2 Hz").arg(MinSampleRate).arg(MaxSampleRate));
    const QString listProblem = ParseChannelList(s, channelText.left(ChannelListCharacters));
    if (!listProblem.isEmpty())
        return refuse(listProblem);
    if (deviceType == DeviceSoundCard) {
        if (s.ScanLength > 2)
            return refuse(QStringLiteral("A sound card can only handle two channels"));
        for (int i = 0; i < s.ScanLength; ++i)
            if (s.ScanList[i] != i)
                return refuse(
                    QStringLiteral("A sound card can only read one or two channels\n in the order 0, then 1"));
    } else if (deviceType == DeviceComputerBoards) {
        for (int i = 1; i < s.ScanLength; ++i)
            if (s.ScanList[i] != s.ScanList[i - 1] + 1)
                return refuse(QStringLiteral("Computerboards channel numbers must increase sequentially"));
    }
    s.BufferSeconds = leadingInt(bufferText, BufferDigits);
    if (s.BufferSeconds < PipeSettings::MinBufferSeconds || s.BufferSeconds > PipeSettings::MaxBufferSeconds)
        return refuse(QStringLiteral("Buffer Length must be between 3 and 30 seconds"));
    for (int c = 0; c < PipeSettings::MaxChannels; ++c)
        if (s.Occurrences[c] == 0)
            s.ChannelSettings[c].Routing = 0;
    PageCheck result{true, {}, {}, false};
    if (CheckPipeConsistency(s) == 1 || !MakeStreamLayout(s).layout)
        result.message = QStringLiteral("Warning - The channel list doesn't currently make sense\n"
                                        "    You curretnly have different sample rates going to the same detector");
    copy = s;
    return result;
}

PageCheck CopyRouting(PipeSettings& copy, const std::array<std::array<bool, 4>, PipeSettings::MaxChannels>& ticks)
{
    PipeSettings s = copy;
    for (int c = 0; c < PipeSettings::MaxChannels; ++c) {
        s.ChannelSettings[c].Routing = 0;
        if (s.Occurrences[c] == 0)
            continue;
        for (int p = 0; p < PipeSettings::PipeCount; ++p)
            if (ticks[c][p])
                s.ChannelSettings[c].Routing |= PipeRoutingBits[p];
    }
    const StreamLayoutResult made = MakeStreamLayout(s);
    if (!made.layout)
        return refuse(made.problem, QStringLiteral("Channel List Warning"));
    PageCheck result{true, {}, {}, false};
    if (CheckPipeConsistency(s) == 2) {
        // Asked before it is taken: the caller applies `copy` only on Yes.
        result.message = QStringLiteral(
            "You currently have different gains on the same detector\n\nContinue Anyway ?\n ");
        result.caption = QStringLiteral("Channel List Warning");
        result.question = true;
    }
    copy = s;
    return result;
}

PageCheck CheckForApply(PipeSettings& settings)
{
    const StreamLayoutResult made = MakeStreamLayout(settings);
    if (!made.layout)
        return refuse(made.problem, QStringLiteral("Settings"));
    // The gain check stops at its first finding and may leave multipliers
    // unset; readers of the file take the recorder's rate from them.
    for (int p = 0; p < PipeSettings::PipeCount; ++p)
        settings.RateMultipliers[p] = made.layout->pipes[p].multiplier;
    return {true, {}, {}, false};
}

} // namespace velmar::pipeserver
