// The display windows of a component given a panel, offscreen: the preview
// window shows the stamped frames sized to the video, the mouse and key
// events reach the host in video or window pixels, the logo shows while
// there is no video, and the dual display floats and follows the mouse.
#include "CaptureFixture.h"
#include "video/ui/DisplayForm.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace velmar::video;
using namespace velmar::video::tests;

TEST_F(Capture, PreviewWindowShowsTheStampedFrames)
{
    QWidget panel;
    panel.resize(200, 150);
    panel.show();
    m_component->setPanel(&panel);
    stampTime();
    ASSERT_TRUE(startPreview());
    TDisplayForm* form = m_component->DisplayForm(0);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(runUntil([&] { return form->paintedFrames() > 2; }));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->parentWidget(), &panel);
    EXPECT_EQ(form->geometry(), panel.rect());
    EXPECT_EQ(m_component->VideoSourceWidth(), 320);
    EXPECT_EQ(panel.size(), QSize(320, 240)) << "sized to the video";

    const QImage shown = form->grab().toImage();
    EXPECT_NE(shown.pixelColor(160, 120), QColor(Qt::black)) << "the picture, not the background";
    EXPECT_GT(darkPixels(form->frame(), textArea), 20) << "the time stamp";

    m_component->StopPreview();
    ASSERT_TRUE(runUntil([&] { return m_component->CurrentState() == cs_Down; }));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Capture, DisplayWindowEventsReachTheHost)
{
    // A panel laid out by its form keeps its size.
    QWidget form640;
    auto* layout = new QVBoxLayout(&form640);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget panel;
    layout->addWidget(&panel);
    form640.resize(640, 480);
    form640.show();
    m_component->setPanel(&panel);
    ASSERT_TRUE(startPreview());
    TDisplayForm* form = m_component->DisplayForm(0);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(runUntil([&] { return !form->frame().isNull(); }));
    QSignalSpy down(m_component.get(), &TOmbrix::OnMouseDown);
    QSignalSpy up(m_component.get(), &TOmbrix::OnMouseUp);
    QList<QChar> keys;
    QObject::connect(m_component.get(), &TOmbrix::OnKeyPress, [&](int window, QChar* key, int, Qt::KeyboardModifiers) {
        EXPECT_EQ(window, 0);
        keys << *key;
    });

    // Video pixels: the middle of a 320 x 240 picture shown 640 x 480.
    QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(320, 240));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.first().at(3).toInt(), 160);
    EXPECT_EQ(down.first().at(4).toInt(), 120);

    // Window pixels: press and release at one place report one position.
    m_component->setTranslateMouseCoordinates(false);
    QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(down.count(), 2);
    ASSERT_EQ(up.count(), 2);
    EXPECT_EQ(down.last().at(3).toInt(), 5);
    EXPECT_EQ(up.last().at(3).toInt(), 5);
    EXPECT_EQ(up.last().at(4).toInt(), 5);

    // The key pressed now, and Escape leaves full screen at once.
    m_component->Display().SetBool(vwFullScreen, true);
    EXPECT_EQ(form->parentWidget(), nullptr);
    EXPECT_EQ(form->geometry(), QGuiApplication::primaryScreen()->geometry()) << "covers its monitor";
    QTest::keyClick(form, Qt::Key_A);
    QTest::keyClick(form, Qt::Key_Escape);
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys.at(0), QChar('a'));
    EXPECT_EQ(keys.at(1), QChar(27));
    EXPECT_FALSE(m_component->Display().GetBool(vwFullScreen));
    EXPECT_EQ(form->parentWidget(), &panel);
}

TEST_F(Capture, LogoShowsWhileThereIsNoVideo)
{
    QWidget panel;
    panel.resize(100, 100);
    panel.show();
    m_component->setPanel(&panel);
    EXPECT_FALSE(m_component->SetLogoFromBMPFile(m_dir.filePath("missing.bmp")));
    writeBmp(m_dir.filePath("logo.bmp"), {32, 24});
    ASSERT_TRUE(m_component->SetLogoFromBMPFile(m_dir.filePath("logo.bmp")));
    m_component->setLogoLayout(lg_Stretched);
    m_component->setLogoDisplayed(true);
    TDisplayForm* form = m_component->DisplayForm(0);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    QImage shown = form->grab().toImage();
    EXPECT_EQ(shown.pixelColor(50, 10), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(50, 90), QColor(Qt::blue));

    ASSERT_TRUE(startPreview());
    ASSERT_TRUE(runUntil([&] { return !form->frame().isNull(); }));
    m_component->StopPreview();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->frame().isNull());
    shown = form->grab().toImage();
    EXPECT_EQ(shown.pixelColor(50, 10), QColor(Qt::red)) << "the logo again";
}

TEST_F(Capture, DualDisplayFloatsAndFollowsTheMouse)
{
    QWidget panel;
    panel.resize(320, 240);
    panel.show();
    m_component->setPanel(&panel);
    m_component->DualDisplay().SetBool(vwActive, true);
    QSignalSpy down(m_component.get(), &TOmbrix::OnMouseDown);
    ASSERT_TRUE(startPreview());
    TDisplayForm* dual = m_component->DisplayForm(1);
    ASSERT_NE(dual, nullptr);
    ASSERT_TRUE(
        runUntil([&] { return dual->paintedFrames() > 0 && m_component->DisplayForm(0)->paintedFrames() > 0; }));
    EXPECT_EQ(dual->parentWidget(), nullptr) << "floating";
    EXPECT_EQ(dual->size(), QSize(320, 240)) << "sized to the video";
    EXPECT_EQ(dual->pos(), QPoint(400, 10));

    // A floating window is dragged, and the host sees no mouse events.
    QTest::mousePress(dual, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 25), dual->mapToGlobal(QPointF(30, 25)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dual, &move);
    QTest::mouseRelease(dual, Qt::LeftButton, {}, QPoint(30, 25));
    EXPECT_EQ(down.count(), 0);
    EXPECT_EQ(dual->pos(), QPoint(420, 25));
    EXPECT_EQ(m_component->DualDisplay().GetInt(vwLeft), 420);
    EXPECT_EQ(m_component->DualDisplay().GetInt(vwTop), 25);
}
