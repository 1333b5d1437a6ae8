#pragma once
// "Programme Locations": the program files of the three detectors and of the
// NMEA server. A path that is not empty must name an existing file.
// User-interface thread only.
#include "shell/ui/ProgramSettingsPage.h"

#include <array>
#include <functional>

namespace velmar::shell::ui {

class ProgLocDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdPorpoise = 31270;
    static constexpr int IdWhistle = 31271;
    static constexpr int IdClick = 31272;
    static constexpr int IdNmea = 31273;
    static constexpr int IdBrowseFirst = 31274; // + row
    static constexpr int Rows = 4;

    // Asks for an executable, starting at the given file name; an empty
    // answer means cancelled. Tests replace it.
    using FileChooser = std::function<QString(QWidget* parent, const QString& initial)>;

    explicit ProgLocDialog(QWidget* parent = nullptr);

    void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    void CmBrowse(int buttonId);
    bool StoreSettings() override;

private:
    std::array<QLineEdit*, Rows> m_edits{};
    FileChooser m_chooser;
};

} // namespace velmar::shell::ui
