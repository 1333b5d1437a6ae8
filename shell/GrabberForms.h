#pragma once
// How the main window drives the camera forms. The camera forms themselves
// come from the camera service the main window is made with
// (MainWindowServices.h). Every function accepts a null form and then does
// nothing (GetGrabberFormTab answers -1).
//
// User-interface thread only. The main window owns the forms it creates and
// frees them with FreeGrabberForm.
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace velmar::shell {

class GrabberForm {
public:
    virtual ~GrabberForm() = default;
    virtual void SetTab(int tabIndex) = 0;
    virtual int Tab() const = 0;
    // Re-parents the form to parent and places it inside rect.
    virtual void Place(QWidget* parent, const QRect& rect) = 0;
    virtual void SetVisible(bool visible) = 0;
    // Starts the form's cameras (start flag 1).
    virtual void Start(int startFlag) = 0;
    // Every camera of the form grabs a frame, logged with the reason.
    virtual void Grab(const QString& reason) = 0;
};

void SetGrabberFormTab(GrabberForm* form, int tabIndex);
int GetGrabberFormTab(const GrabberForm* form);
void PlaceGrabberForm(GrabberForm* form, QWidget* parent, const QRect& rect);
void ShowGrabberForm(GrabberForm* form, bool visible);
void StartGrabberForm(GrabberForm* form, int startFlag);
void GrabberFormGrab(GrabberForm* form, const QString& reason);
void FreeGrabberForm(GrabberForm* form);

} // namespace velmar::shell
