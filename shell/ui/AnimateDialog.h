#pragma once
// "Animate Display": asks for the warp factor of the show-data animation
// (a positive whole number kept in the settings block).
// User-interface thread only.
#include <QDialog>

class QLineEdit;

namespace velmar::shell::ui {

class AnimateDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int IdWarpFactor = 31906;

    explicit AnimateDialog(QWidget* parent = nullptr);

    // The close check: stores a factor above 0 and closes; otherwise the
    // message, and the dialog stays open.
    void accept() override;

private:
    QLineEdit* m_edit;
};

} // namespace velmar::shell::ui
