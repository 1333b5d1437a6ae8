#include "platform/FileDialogs.h"

#include <QAbstractFileIconProvider>
#include <QComboBox>
#include <QCoreApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <vector>

Q_LOGGING_CATEGORY(lcFileDialogs, "velmar.platform.filedialogs")

namespace velmar::platform {

namespace {

// How long the test hook waits for one dialog to list its folder.
constexpr int kListingBoundMs = 20000;

// Names Qt gives the print dialog's output-file controls.
const char* const kPrintFileEdit = "filename";
const char* const kPrintFileBrowse = "fileBrowser";
const char* const kPrintPrinters = "printers";

class NameOnlyIcons final : public QAbstractFileIconProvider {
public:
    using QAbstractFileIconProvider::icon;

    // Whether a path is a folder or a file comes from stat, which opens nothing.
    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return icon(Drive);
        if (info.isDir())
            return icon(Folder);
        return icon(File);
    }

    QString type(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return QStringLiteral("Drive");
        if (info.isDir())
            return QStringLiteral("Folder");
        const QMimeType mime = m_mimes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

private:
    QMimeDatabase m_mimes;
};

QString& lastFolder()
{
    static QString folder;
    return folder;
}

// A folder of the program's own that stays empty: dialogs are built on it,
// so their first listing has nothing to look at.
QString emptyFolder()
{
    static const QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("velmar-empty-XXXXXX")));
    return folder.isValid() ? folder.path() : QDir::rootPath();
}

void aim(QFileDialog& dialog, const QString& start)
{
    QString folder = start.isEmpty() ? lastFolder() : start;
    if (folder.isEmpty())
        folder = QDir::currentPath();
    const QFileInfo info(folder);
    if (info.isDir()) {
        dialog.setDirectory(info.absoluteFilePath());
        return;
    }
    if (QFileInfo(info.absolutePath()).isDir())
        dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
}

QString chosen(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void browseForPrintFile(QPrintDialog& print, QLineEdit& edit)
{
    auto* dialog = NewFileDialog(&print, QObject::tr("Print To File ..."), edit.text()).release();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    QPointer<QLineEdit> target(&edit);
    QPointer<QPrintDialog> owner(&print);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [target, owner](const QString& file) {
        if (file.isEmpty() || !target)
            return;
        target->setText(file);
        // Choosing a file chooses printing to a file, the last printer.
        if (auto* printers = owner ? owner->findChild<QComboBox*>(QLatin1String(kPrintPrinters)) : nullptr)
            printers->setCurrentIndex(printers->count() - 1);
    });
    dialog->open();
}

QFileSystemModel* listingModel(QObject* owner)
{
    return owner ? owner->findChild<QFileSystemModel*>() : nullptr;
}

// The test hook's run: one dialog after another, each once the one before has
// listed the folder.
class DialogParade final : public QObject {
public:
    DialogParade(const QString& folder, QObject* context)
        : QObject(context), m_folder(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()))
    {
        m_printer = std::make_unique<QPrinter>();
        m_steps = {
            {QStringLiteral("open file"), [this] { return Dialog(QFileDialog::AcceptOpen, QFileDialog::AnyFile); }},
            {QStringLiteral("existing file"),
             [this] { return Dialog(QFileDialog::AcceptOpen, QFileDialog::ExistingFile); }},
            {QStringLiteral("save file"), [this] { return Dialog(QFileDialog::AcceptSave, QFileDialog::AnyFile); }},
            {QStringLiteral("folder"), [this] { return Dialog(QFileDialog::AcceptOpen, QFileDialog::Directory); }},
            {QStringLiteral("print dialog's output file"), [this] { return PrintBrowse(); }},
            {QStringLiteral("print dialog's typed path"), [this] { return PrintTyped(); }},
        };
        QTimer::singleShot(0, this, [this] { Next(); });
        // Windows must go while the application is still there.
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { CloseAll(); });
    }
    ~DialogParade() override { CloseAll(); }

private:
    void CloseAll()
    {
        for (const QPointer<QWidget>& w : m_windows)
            delete w.data();
        m_windows.clear();
    }

    QFileSystemModel* Dialog(QFileDialog::AcceptMode mode, QFileDialog::FileMode files)
    {
        std::unique_ptr<QFileDialog> dialog = NewFileDialog(nullptr, QString(), m_folder);
        dialog->setAcceptMode(mode);
        dialog->setFileMode(files);
        if (files == QFileDialog::Directory)
            dialog->setOption(QFileDialog::ShowDirsOnly);
        dialog->show();
        m_windows.emplace_back(dialog.get());
        return listingModel(dialog.release());
    }

    QPrintDialog* Print()
    {
        if (!m_print) {
            m_print = NewPrintDialog(*m_printer, nullptr).release();
            m_windows.emplace_back(m_print.data());
            m_print->show();
        }
        return m_print;
    }

    QFileSystemModel* PrintBrowse()
    {
        QPrintDialog* print = Print();
        auto* edit = print->findChild<QLineEdit*>(QLatin1String(kPrintFileEdit));
        auto* browse = print->findChild<QToolButton*>(QLatin1String(kPrintFileBrowse));
        if (!edit || !browse)
            return nullptr;
        edit->setText(QDir(m_folder).filePath(QStringLiteral("map.pdf")));
        const QList<QFileDialog*> before = print->findChildren<QFileDialog*>();
        browse->click();
        for (QFileDialog* dialog : print->findChildren<QFileDialog*>())
            if (!before.contains(dialog))
                return listingModel(dialog);
        return nullptr;
    }

    QFileSystemModel* PrintTyped()
    {
        auto* edit = Print()->findChild<QLineEdit*>(QLatin1String(kPrintFileEdit));
        QCompleter* completer = edit ? edit->completer() : nullptr;
        if (!completer)
            return nullptr;
        // What typing the folder's path into the box makes the completer do.
        edit->setText(m_folder + QLatin1Char('/'));
        completer->setCompletionPrefix(edit->text());
        auto* model = qobject_cast<QFileSystemModel*>(completer->model());
        if (model)
            model->fetchMore(model->index(m_folder));
        return model;
    }

    void Next()
    {
        if (m_step == m_steps.size()) {
            qCInfo(lcFileDialogs) << "file dialogs open";
            return;
        }
        const QString kind = m_steps[m_step].first;
        QFileSystemModel* model = m_steps[m_step].second();
        ++m_step;
        if (!model) {
            qCWarning(lcFileDialogs).noquote() << "file dialog not made:" << kind;
            QTimer::singleShot(0, this, [this] { Next(); });
            return;
        }
        auto done = std::make_shared<bool>(false);
        const auto finish = [this, kind, done](bool listed) {
            if (*done)
                return;
            *done = true;
            qCInfo(lcFileDialogs).noquote()
                << (listed ? "file dialog listed" : "file dialog did not list") << m_folder << ":" << kind;
            QTimer::singleShot(0, this, [this] { Next(); });
        };
        connect(model, &QFileSystemModel::directoryLoaded, this, [this, finish](const QString& path) {
            if (QDir::cleanPath(path) == m_folder)
                finish(true);
        });
        QTimer::singleShot(kListingBoundMs, this, [finish] { finish(false); });
    }

    QString m_folder;
    std::unique_ptr<QPrinter> m_printer;
    QPointer<QPrintDialog> m_print;
    std::vector<QPointer<QWidget>> m_windows;
    std::vector<std::pair<QString, std::function<QFileSystemModel*()>>> m_steps;
    std::size_t m_step = 0;
};

} // namespace

QAbstractFileIconProvider& FileIconsByName()
{
    static NameOnlyIcons icons;
    return icons;
}

std::unique_ptr<QFileDialog> NewFileDialog(QWidget* parent, const QString& caption, const QString& start,
                                           const QString& filter)
{
    // Built on the empty folder: Qt lists the folder it is built on at once,
    // with its own icons, before any setting below could take effect.
    auto dialog = std::make_unique<QFileDialog>(parent, caption, emptyFolder(), filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog->setIconProvider(&FileIconsByName());
    aim(*dialog, start);
    QFileDialog* self = dialog.get();
    QObject::connect(self, &QDialog::accepted, self, [self] { lastFolder() = self->directory().absolutePath(); });
    return dialog;
}

QString ChooseExistingFile(QWidget* parent, const QString& caption, const QString& start, const QString& filter)
{
    std::unique_ptr<QFileDialog> dialog = NewFileDialog(parent, caption, start, filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return chosen(*dialog);
}

QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& start, const QString& filter)
{
    std::unique_ptr<QFileDialog> dialog = NewFileDialog(parent, caption, start, filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    return chosen(*dialog);
}

QString ChooseFolder(QWidget* parent, const QString& caption, const QString& start)
{
    std::unique_ptr<QFileDialog> dialog = NewFileDialog(parent, caption, start);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    return chosen(*dialog);
}

QFileSystemModel* NewFileSystemModel(QObject* parent)
{
    auto* model = new QFileSystemModel(parent);
    model->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    model->setIconProvider(&FileIconsByName());
    return model;
}

std::unique_ptr<QPrintDialog> NewPrintDialog(QPrinter& printer, QWidget* parent)
{
    auto print = std::make_unique<QPrintDialog>(&printer, parent);
    auto* edit = print->findChild<QLineEdit*>(QLatin1String(kPrintFileEdit));
    if (edit) {
        // Qt's completer of typed paths uses its own icons: replaced, with
        // the model that was made for it. That model has started listing the
        // home folder, but icons and types are made where the listing reaches
        // the model, in the event loop, which it never sees.
        QPointer<QCompleter> old = edit->completer();
        QPointer<QAbstractItemModel> oldModel = old ? old->model() : nullptr;
        QFileSystemModel* model = NewFileSystemModel(edit);
        // A model without a root path fetches nothing; Qt's was rooted at home.
        model->setRootPath(QDir::homePath());
        edit->setCompleter(new QCompleter(model, edit));
        delete old.data();
        delete oldModel.data();
    }
    auto* browse = print->findChild<QToolButton*>(QLatin1String(kPrintFileBrowse));
    if (browse && edit) {
        QObject::disconnect(browse, &QAbstractButton::clicked, nullptr, nullptr);
        QPrintDialog* self = print.get();
        QObject::connect(browse, &QAbstractButton::clicked, self, [self, edit] { browseForPrintFile(*self, *edit); });
    }
    if (!edit || !browse)
        qCWarning(lcFileDialogs) << "the print dialog's output-file controls were not found";
    return print;
}

void ShowFileDialogsOn(const QString& folder, QObject* context)
{
    new DialogParade(folder, context);
}

} // namespace velmar::platform
