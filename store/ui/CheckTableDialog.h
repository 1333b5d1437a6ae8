#pragma once
// The small modeless window "Checking Database Tables" that names the table
// being examined while the fixed tables are checked. User-interface thread.
#include <QDialog>

class QLabel;

namespace velmar::store {

class CheckTableDialog : public QDialog {
    Q_OBJECT
public:
    explicit CheckTableDialog(QWidget* parent = nullptr);
    // Shows the text unchanged, painted at once: the checks give the event
    // loop no turn while they run.
    void SetText(const QString& text);
    QString text() const;

private:
    QLabel* m_text;
};

} // namespace velmar::store
