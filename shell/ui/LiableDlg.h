#pragma once
// "Velmar 2000 Warning": the warning that the program is no aid to
// navigation, with "Don't show this warning again". Acknowledging stores the
// box in the settings block; Escape changes nothing.
// User-interface thread only.
#include <QDialog>

class QCheckBox;

namespace velmar::shell::ui {

class LiableDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int IdDontShow = 30074;

    explicit LiableDlg(QWidget* parent = nullptr);

    void accept() override;

private:
    QCheckBox* m_dontShow;
};

} // namespace velmar::shell::ui
