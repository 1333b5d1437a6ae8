#pragma once
// The file dialogs of the suite: every dialog that lists folders (choosing a
// file to open or save, a folder, the print dialog's output file) is made
// here, so that none of them ever opens a file it lists.
//
// Why: SQLite's locks on the open survey are POSIX record locks, which the
// process loses as a whole when any descriptor of the file is closed. Qt's own
// dialogs (and the desktop's native ones) open each listed file to tell its
// type from its first bytes; listing the survey's folder would drop the
// survey's locks, and the next outside reader would take the survey for
// unused and delete its live write-ahead log. The dialogs made here are Qt's
// widget dialogs, never the desktop's, with icons and types told from the
// file NAME alone, and they are built on an empty folder of their own before
// they are aimed where the caller wants them, so not even their first
// listing runs before the name-only icons are in place.
//
// User-interface thread only. Returned dialogs and models are owned by the
// caller (or by the parent given).
#include <QString>

#include <memory>

class QAbstractFileIconProvider;
class QFileDialog;
class QFileSystemModel;
class QObject;
class QPrintDialog;
class QPrinter;
class QWidget;

namespace velmar::platform {

// Icons and type texts from the file name only; shared by every dialog and
// model made here, safe from the file-information threads of Qt's models.
QAbstractFileIconProvider& FileIconsByName();

// A file dialog with caption and name filter, showing `start`: a folder, or a
// file whose folder is shown with the file selected; empty starts where the
// last dialog of the program was accepted (else the working folder).
std::unique_ptr<QFileDialog> NewFileDialog(QWidget* parent, const QString& caption, const QString& start,
                                           const QString& filter = QString());

// Modal choices with these dialogs, as Qt's static functions would ask them:
// the chosen path, or empty when cancelled.
QString ChooseExistingFile(QWidget* parent, const QString& caption, const QString& start, const QString& filter);
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& start, const QString& filter);
QString ChooseFolder(QWidget* parent, const QString& caption, const QString& start);

// A file-system model (for a completer of typed paths) with name-only icons.
QFileSystemModel* NewFileSystemModel(QObject* parent);

// The print dialog on printer: its output-file box completes with a name-only
// model and its browse button asks through NewFileDialog.
std::unique_ptr<QPrintDialog> NewPrintDialog(QPrinter& printer, QWidget* parent);

// Test hook: shows each kind of dialog made here, without waiting, on
// folder, one after another once the one before has listed it (the print
// dialog's browse button and typed-path completion included). Logs "file
// dialog listed <folder>: <kind>" for each and "file dialogs open" when all
// are up; they stay open. context owns them.
void ShowFileDialogsOn(const QString& folder, QObject* context);

} // namespace velmar::platform
