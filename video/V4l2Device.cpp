#include "V4l2Device.h"

#include <QLoggingCategory>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcV4l2, "velmar.video.v4l2")

namespace velmar::video {

namespace {
// Tuner frequencies travel in units of 62.5 kHz, or 62.5 Hz with the low flag.
constexpr double unitHz = 62500.0;
constexpr double lowUnitHz = 62.5;

V4l2Opener& Opener()
{
    static V4l2Opener opener;
    return opener;
}

QString textOf(const __u8* bytes, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(bytes),
                             int(strnlen(reinterpret_cast<const char*>(bytes), size)));
}

class SystemV4l2Device : public V4l2Device {
public:
    explicit SystemV4l2Device(int fd) : m_fd(fd) {}
    ~SystemV4l2Device() override { ::close(m_fd); }

    QList<V4l2Control> controls() override
    {
        QList<V4l2Control> list;
        v4l2_queryctrl q{};
        q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
        while (xioctl(VIDIOC_QUERYCTRL, &q)) {
            if (!(q.flags & V4L2_CTRL_FLAG_DISABLED) && q.type != V4L2_CTRL_TYPE_CTRL_CLASS) {
                V4l2Control c;
                c.id = q.id;
                c.name = textOf(q.name, sizeof q.name);
                c.type = q.type == V4L2_CTRL_TYPE_INTEGER ? V4l2Control::Integer
                       : q.type == V4L2_CTRL_TYPE_BOOLEAN ? V4l2Control::Boolean
                       : q.type == V4L2_CTRL_TYPE_MENU    ? V4l2Control::Menu
                       : q.type == V4L2_CTRL_TYPE_BUTTON  ? V4l2Control::Button
                                                          : V4l2Control::Other;
                c.minimum = q.minimum;
                c.maximum = q.maximum;
                c.step = q.step;
                c.defaultValue = q.default_value;
                c.readOnly = q.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED);
                if (c.type == V4l2Control::Menu) {
                    for (int i = c.minimum; i <= c.maximum; ++i) {
                        v4l2_querymenu m{};
                        m.id = q.id;
                        m.index = __u32(i);
                        c.menu << (xioctl(VIDIOC_QUERYMENU, &m) ? textOf(m.name, sizeof m.name) : QString());
                    }
                }
                list << c;
            }
            q.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
        }
        return list;
    }

    bool getControl(quint32 id, int& value) override
    {
        v4l2_control c{id, 0};
        if (!xioctl(VIDIOC_G_CTRL, &c))
            return false;
        value = c.value;
        return true;
    }

    bool setControl(quint32 id, int value) override
    {
        v4l2_control c{id, value};
        return xioctl(VIDIOC_S_CTRL, &c);
    }

    QList<V4l2Input> inputs() override
    {
        QList<V4l2Input> list;
        v4l2_input in{};
        for (in.index = 0; xioctl(VIDIOC_ENUMINPUT, &in); ++in.index) {
            V4l2Input i;
            i.name = textOf(in.name, sizeof in.name);
            i.isTuner = in.type == V4L2_INPUT_TYPE_TUNER;
            i.tuner = int(in.tuner);
            i.standards = in.std;
            i.noSignal = in.status & V4L2_IN_ST_NO_SIGNAL;
            i.noHorizontalLock = in.status & V4L2_IN_ST_NO_H_LOCK;
            list << i;
        }
        return list;
    }

    bool getInput(int& index) override { return xioctl(VIDIOC_G_INPUT, &index); }
    bool setInput(int index) override { return xioctl(VIDIOC_S_INPUT, &index); }

    QList<V4l2Standard> standards() override
    {
        QList<V4l2Standard> list;
        v4l2_standard s{};
        for (s.index = 0; xioctl(VIDIOC_ENUMSTD, &s); ++s.index)
            list << V4l2Standard{s.id, textOf(s.name, sizeof s.name)};
        return list;
    }

    bool getStandard(quint64& id) override
    {
        v4l2_std_id s = 0;
        if (!xioctl(VIDIOC_G_STD, &s))
            return false;
        id = s;
        return true;
    }

    bool setStandard(quint64 id) override
    {
        v4l2_std_id s = id;
        return xioctl(VIDIOC_S_STD, &s);
    }

    bool getTuner(int tuner, V4l2Tuner& out) override
    {
        v4l2_tuner t{};
        t.index = __u32(tuner);
        if (!xioctl(VIDIOC_G_TUNER, &t))
            return false;
        const double unit = t.capability & V4L2_TUNER_CAP_LOW ? lowUnitHz : unitHz;
        out.name = textOf(t.name, sizeof t.name);
        out.lowHz = quint32(t.rangelow * unit);
        out.highHz = quint32(qMin(double(UINT32_MAX), t.rangehigh * unit));
        out.signal = int(t.signal);
        return true;
    }

    bool getFrequency(int tuner, quint32& hz) override
    {
        v4l2_frequency f{};
        f.tuner = __u32(tuner);
        if (!xioctl(VIDIOC_G_FREQUENCY, &f))
            return false;
        hz = quint32(f.frequency * unitOf(tuner));
        return true;
    }

    bool setFrequency(int tuner, quint32 hz) override
    {
        v4l2_frequency f{};
        f.tuner = __u32(tuner);
        f.type = V4L2_TUNER_ANALOG_TV;
        f.frequency = __u32(hz / unitOf(tuner) + 0.5);
        return xioctl(VIDIOC_S_FREQUENCY, &f);
    }

private:
    bool xioctl(unsigned long request, void* arg)
    {
        int r;
        do
            r = ::ioctl(m_fd, request, arg);
        while (r == -1 && errno == EINTR);
        return r == 0;
    }

    double unitOf(int tuner)
    {
        v4l2_tuner t{};
        t.index = __u32(tuner);
        return xioctl(VIDIOC_G_TUNER, &t) && (t.capability & V4L2_TUNER_CAP_LOW) ? lowUnitHz : unitHz;
    }

    int m_fd;
};
} // namespace

std::unique_ptr<V4l2Device> OpenV4l2Device(const QString& path)
{
    if (Opener())
        return Opener()(path);
    if (!path.startsWith(QLatin1String("/dev/")))
        return nullptr;
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        qCDebug(lcV4l2) << "cannot open" << path << std::strerror(errno);
        return nullptr;
    }
    v4l2_capability cap{};
    if (::ioctl(fd, VIDIOC_QUERYCAP, &cap) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<SystemV4l2Device>(fd);
}

void SetV4l2Opener(V4l2Opener opener)
{
    Opener() = std::move(opener);
}

} // namespace velmar::video
