#pragma once
// The about box and the version block it reads.
//
// TProjectRCVersion: the program's version strings (product name and
// version, legal copyright, special build). A Linux program has no version
// resource, so the block is built into the program by the build; a module
// without one has no block and the readers find nothing.
//
// User-interface thread only.
#include <QDialog>
#include <QHash>
#include <QString>

class QLabel;

namespace velmar::shell::ui {

class TProjectRCVersion {
public:
    // The block built into this program.
    TProjectRCVersion();
    // A given block; an empty one stands for a module without a block.
    explicit TProjectRCVersion(QHash<QString, QString> block);

    bool HasBlock() const { return !m_block.isEmpty(); }
    bool GetProductName(QString& text) const { return Read(QStringLiteral("ProductName"), text); }
    bool GetProductVersion(QString& text) const { return Read(QStringLiteral("ProductVersion"), text); }
    bool GetCopyright(QString& text) const { return Read(QStringLiteral("LegalCopyright"), text); }
    bool GetSpecialBuild(QString& text) const { return Read(QStringLiteral("SpecialBuild"), text); }

private:
    bool Read(const QString& key, QString& text) const;
    QHash<QString, QString> m_block;
};

class TOrvidAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int IdVersion = 22001;
    static constexpr int IdCopyright = 22002;
    static constexpr int IdSpecialBuild = 22003;

    explicit TOrvidAboutDlg(QWidget* parent = nullptr, const TProjectRCVersion& version = TProjectRCVersion());

    QLabel* Static(int id) const;
};

} // namespace velmar::shell::ui
