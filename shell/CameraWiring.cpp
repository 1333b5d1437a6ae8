#include "shell/CameraWiring.h"

#include "camera/CamerGrab.h"
#include "camera/CameraGrabLog.h"
#include "camera/SurveySettingsStore.h"
#include "camera/TestCameras.h"
#include "settings/ProgramSettings.h"
#include "shell/GrabberForms.h"
#include "video/ui/VideoDialogsUi.h"
#include "shell/MainWindowServices.h"

#include <QPointer>

namespace velmar::shell {

namespace {

camera::SurveySettingsStore& SettingsRows()
{
    static camera::SurveySettingsStore store;
    return store;
}

camera::CameraGrabLog& GrabLog()
{
    static camera::CameraGrabLog log;
    return log;
}

// A camera form as the main window drives it. The form is a child of the
// main window, which may free it first when it closes.
class CameraGrabberForm final : public GrabberForm {
public:
    explicit CameraGrabberForm(QWidget* parent)
        // The main program finds each camera by its number unless asked to go by names.
        : m_form(new camera::TCamerGrab(SettingsRows(), &GrabLog(), store::TheProgramSettings.IdCamerasByName,
                                        camera::GrabberHost::MainProgram, parent))
    {
    }
    ~CameraGrabberForm() override { delete m_form.data(); }

    void SetTab(int tabIndex) override { m_tab = tabIndex; }
    int Tab() const override { return m_tab; }
    void Place(QWidget* parent, const QRect& rect) override
    {
        if (!m_form)
            return;
        if (m_form->parentWidget() != parent) {
            const bool shown = m_form->isVisible();
            m_form->setParent(parent);
            m_form->setVisible(shown);
        }
        m_form->setGeometry(rect);
    }
    void SetVisible(bool visible) override
    {
        if (m_form)
            m_form->setVisible(visible);
    }
    void Start(int startFlag) override
    {
        if (m_form)
            m_form->StartCameras(startFlag != 0);
    }
    void Grab(const QString& reason) override
    {
        if (m_form)
            m_form->GrabAll(reason);
    }

private:
    QPointer<camera::TCamerGrab> m_form;
    int m_tab = -1;
};

class CameraForms final : public CameraService {
public:
    GrabberForm* MakeGrabberForm(QWidget* parent, int) override { return new CameraGrabberForm(parent); }
};

} // namespace

CameraService& BindCameras()
{
    camera::UseTestCamerasWhenAsked();
    video::InstallVideoDialogs();
    static CameraForms forms;
    return forms;
}

} // namespace velmar::shell
