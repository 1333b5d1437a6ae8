#pragma once
// The V4L2 side of a capture device: its controls (picture and camera
// adjustments, flips), its inputs, the analog standards of its decoder and
// its tuner. The component reaches a device's hardware only through this
// interface; tests give it an in-memory device instead.
//
// Threads: an object is used by one thread at a time (the user-interface
// thread of its component). Frequencies are in hertz.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace velmar::video {

struct V4l2Control {
    enum Type { Other, Integer, Boolean, Menu, Button };
    quint32 id = 0;
    QString name;
    Type type = Integer;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
    bool readOnly = false;
    // A menu control's entry names for minimum .. maximum; an empty name is
    // a value the device skips.
    QStringList menu;
};

struct V4l2Input {
    QString name;
    bool isTuner = false;
    int tuner = 0;         // the tuner of a tuner input
    quint64 standards = 0; // V4L2_STD_* bits the input accepts
    bool noSignal = false;
    bool noHorizontalLock = false;
};

struct V4l2Standard {
    quint64 id = 0; // V4L2_STD_* bits
    QString name;
};

struct V4l2Tuner {
    QString name;
    quint32 lowHz = 0;
    quint32 highHz = 0;
    int signal = 0; // 0 .. 65535
};

class V4l2Device {
public:
    virtual ~V4l2Device() = default;

    virtual QList<V4l2Control> controls() = 0;
    virtual bool getControl(quint32 id, int& value) = 0;
    virtual bool setControl(quint32 id, int value) = 0;

    virtual QList<V4l2Input> inputs() = 0;
    virtual bool getInput(int& index) = 0;
    virtual bool setInput(int index) = 0;

    virtual QList<V4l2Standard> standards() = 0;
    virtual bool getStandard(quint64& id) = 0;
    virtual bool setStandard(quint64 id) = 0;

    virtual bool getTuner(int tuner, V4l2Tuner& out) = 0;
    virtual bool getFrequency(int tuner, quint32& hz) = 0;
    virtual bool setFrequency(int tuner, quint32 hz) = 0;
};

// The V4L2 device of a path ("/dev/video0"); nullptr when the path is no
// V4L2 device (a test source, a device that went away).
std::unique_ptr<V4l2Device> OpenV4l2Device(const QString& path);

// Tests and scripted runs open their devices here instead; an empty
// function restores the system's devices.
using V4l2Opener = std::function<std::unique_ptr<V4l2Device>(const QString& path)>;
void SetV4l2Opener(V4l2Opener opener);

} // namespace velmar::video
