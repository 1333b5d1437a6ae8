#pragma once
// A test camera of 320 x 240 bars bound to a component, with a scratch
// folder for its files, and the helpers the frame tests share.
#include "video/Ombrix.h"
#include "video/PictureCodec.h"
#include "video/ProcessLog.h"
#include "video/SyncManager.h"
#include "video/TestDeviceProvider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace velmar::video::tests {

constexpr int waitLimitMs = 10000;
inline const QRect textArea(0, 0, 120, 24);

// Dark pixels in an area; the test camera's bars hold none at the top.
inline int darkPixels(const QImage& picture, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom() && y < picture.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            n += c.red() < 60 && c.green() < 60 && c.blue() < 60;
        }
    return n;
}

class Capture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRegistry2::DeleteSettingsKey();
        auto provider = std::make_unique<TestDeviceProvider>();
        m_provider = provider.get();
        m_provider->addVideoDevice("/dev/test0", "Test Camera", {{320, 240}});
        SetDeviceProvider(std::move(provider));
        TSyncManager::ensure();
        m_component = std::make_unique<TOmbrix>();
        m_component->setVideoDevice(0);
        m_component->setStoragePath(m_dir.path());
    }
    void TearDown() override
    {
        m_component.reset();
        TSyncManager::destroy();
    }

    template <typename F>
    bool runUntil(F condition, int limitMs = waitLimitMs)
    {
        QElapsedTimer limit;
        limit.start();
        while (!condition()) {
            if (limit.elapsed() > limitMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        return true;
    }

    // The time in black at the top left of every frame.
    void stampTime()
    {
        TextOverlayStyle style = m_component->TextOverlay_Style();
        style.color = Qt::black;
        style.font.setPixelSize(16);
        m_component->setTextOverlay_Style(style);
        m_component->setTextOverlay_String("%sys_time[hh:nn:ss]%");
        m_component->setTextOverlay_Enabled(true);
    }

    bool startPreview()
    {
        return m_component->StartPreview() && runUntil([&] { return m_component->DeliveredFrames() > 2; });
    }

    QTemporaryDir m_dir;
    TestDeviceProvider* m_provider = nullptr;
    std::unique_ptr<TOmbrix> m_component;
};

// A picture red above, blue below, written as a 24-bit BMP file.
inline void writeBmp(const QString& name, QSize size)
{
    QImage picture(size, QImage::Format_BGR888);
    picture.fill(Qt::blue);
    for (int y = 0; y < size.height() / 2; ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixelColor(x, y, Qt::red);
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EncodeBmp(picture));
}

} // namespace velmar::video::tests
