#pragma once
// "Create New Table": asks the survey designer for the name of a new user
// table (user form, button panel, static points or static lines). Modal.
// The name typed is kept for the next opening, as one buffer of the program.
// User-interface thread only.
#include <QDialog>

class QLineEdit;

namespace velmar::store {

class NewTableDialog : public QDialog {
    Q_OBJECT
public:
    // command: the menu command that opened it (kCmdNew...Table).
    NewTableDialog(QWidget* parent, int command);

    int command() const { return m_command; }
    QString kindText() const;
    // The name as typed (the caller removes trailing blanks).
    static QString tableName();

    // True when the name can name a table of the survey database (blanks only
    // count as valid: they create nothing).
    static bool IsValidTableName(const QString& name);

    void accept() override;

private:
    int m_command;
    QLineEdit* m_name;
};

} // namespace velmar::store
