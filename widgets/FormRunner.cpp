#include "widgets/FormRunner.h"

#include "widgets/DialogService.h"

namespace velmar::shell::ui {

bool RunForm(QDialog& form)
{
    return Dialogs().RunForm(form);
}

} // namespace velmar::shell::ui
