#include "shell/GrabberForms.h"

namespace velmar::shell {

void SetGrabberFormTab(GrabberForm* form, int tabIndex)
{
    if (form)
        form->SetTab(tabIndex);
}

int GetGrabberFormTab(const GrabberForm* form)
{
    return form ? form->Tab() : -1;
}

void PlaceGrabberForm(GrabberForm* form, QWidget* parent, const QRect& rect)
{
    if (form)
        form->Place(parent, rect);
}

void ShowGrabberForm(GrabberForm* form, bool visible)
{
    if (form)
        form->SetVisible(visible);
}

void StartGrabberForm(GrabberForm* form, int startFlag)
{
    if (form)
        form->Start(startFlag);
}

void GrabberFormGrab(GrabberForm* form, const QString& reason)
{
    if (form)
        form->Grab(reason);
}

void FreeGrabberForm(GrabberForm* form)
{
    delete form;
}

} // namespace velmar::shell
