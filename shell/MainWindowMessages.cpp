#include "shell/MainWindowMessages.h"

#include "widgets/MainLayout.h"

#include <Qt>

namespace velmar::shell {

int VirtualKeyOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey; // Qt numbers these as their ASCII characters, as the virtual keys are
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VkF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_PageUp: return VkPrior;
    case Qt::Key_PageDown: return VkNext;
    case Qt::Key_Left: return VkLeft;
    case Qt::Key_Right: return VkRight;
    default: return 0;
    }
}

} // namespace velmar::shell
