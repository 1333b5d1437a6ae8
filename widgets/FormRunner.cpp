#include "widgets/FormRunner.h"

#include <QDialog>

namespace velmar::shell::ui {

namespace {

FormRunner& runner()
{
    static FormRunner r;
    return r;
}

} // namespace

void setFormRunner(FormRunner r)
{
    runner() = std::move(r);
}

bool RunForm(QDialog& form)
{
    if (runner())
        return runner()(form);
    return form.exec() == QDialog::Accepted;
}

} // namespace velmar::shell::ui
