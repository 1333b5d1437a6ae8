#include "PlayerPart.h"

#include "RecordingRules.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmar::video {

namespace {
constexpr int minSteppingMs = 10;
// A run that starts this near before the last frame (100 ns) starts from the beginning.
constexpr qint64 endTolerance = 1000;
} // namespace

bool PlayerPart::setSpeedRatio(double ratio)
{
    if (!(ratio > 0.0) || ratio == m_settings.speedRatio)
        return false;
    m_settings.speedRatio = ratio;
    return true;
}

void PlayerPart::setFastRatio(int ratio)
{
    if (ratio > 0)
        m_settings.fastRatio = ratio;
}

void PlayerPart::setSpeakerVolume(int volume)
{
    m_settings.speakerVolume = std::clamp(volume, 0, maxVolume);
}

void PlayerPart::setSpeakerBalance(int balance)
{
    m_settings.speakerBalance = std::clamp(balance, minBalance, maxBalance);
}

void PlayerPart::resetClip()
{
    ended = false;
    stepping = false;
    position = 0;
    duration = 1;
    frameCount = 1;
}

void PlayerPart::openClip(qint64 clipDuration, qint64 clipFrameDuration, bool clipHasAudio)
{
    duration = std::max<qint64>(clipDuration, 1);
    frameDuration = clipFrameDuration > 0 ? clipFrameDuration : defaultFrameDuration;
    frameCount = std::max<qint64>(1, std::llround(double(duration) / frameDuration));
    hasAudio = clipHasAudio;
}

double PlayerPart::frameRate() const
{
    return ClipFrameRate(frameCount, duration);
}

qint64 PlayerPart::framePosition(qint64 time) const
{
    if (frameDuration <= 0)
        return 0;
    return std::llround(double(time) / frameDuration) + 1;
}

qint64 PlayerPart::seekTo(qint64 time)
{
    position = ClampSeekTime(time, duration, frameDuration);
    return position;
}

bool PlayerPart::atEnd(qint64 time) const
{
    return ended || time + frameDuration + endTolerance >= duration;
}

qint64 PlayerPart::endPosition() const
{
    return std::max<qint64>(0, duration - frameDuration);
}

void PlayerPart::setStepDirection(bool backwards, bool fast)
{
    m_stepBackwards = backwards;
    m_stepFast = fast;
}

double PlayerPart::stepRatio() const
{
    return m_stepFast ? double(m_settings.fastRatio) : m_settings.speedRatio;
}

qint64 PlayerPart::startStepping(qint64 time)
{
    m_stepPosition = std::llround(double(time) / frameDuration) * frameDuration;
    if (m_stepBackwards && m_stepPosition <= frameDuration)
        m_stepPosition = duration - frameDuration;
    else if (!m_stepBackwards && m_stepPosition >= duration - frameDuration)
        m_stepPosition = 0;
    ended = false;
    stepping = true;
    m_stepAdvance = 0;
    m_stepClock.start();
    return m_stepPosition;
}

int PlayerPart::stepIntervalMs() const
{
    return std::max(minSteppingMs, SteppingIntervalMs(frameDuration, stepRatio()));
}

PlayerPart::Step PlayerPart::stepTick(qint64 elapsedMs)
{
    Step step;
    m_stepAdvance += SteppedAdvance(elapsedMs, stepRatio());
    if (m_stepAdvance < frameDuration)
        return step;
    const qint64 advance = std::exchange(m_stepAdvance, 0);
    if (m_stepBackwards) {
        m_stepPosition -= advance;
        if (m_stepPosition <= 0) {
            stepping = false;
            m_stepPosition = 0;
        }
        step.kind = Step::Seek;
        step.position = m_stepPosition;
        return step;
    }
    step.frames = std::max<qint64>(1, advance / frameDuration);
    m_stepPosition += step.frames * frameDuration;
    step.position = m_stepPosition;
    if (m_stepPosition >= duration - frameDuration) {
        stepping = false;
        step.kind = Step::End;
        return step;
    }
    step.kind = Step::Forward;
    position = m_stepPosition;
    return step;
}

} // namespace velmar::video
