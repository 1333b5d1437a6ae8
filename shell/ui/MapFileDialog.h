#pragma once
// "Map File": the chart the map draws (a ".asc" contour file or a ".map"
// coastline file), which of its contour levels are drawn ("Select
// Contours"), and the coastline colour. A chosen file is loaded at once; one
// that does not load is refused and the chart loaded before comes back.
//
// User-interface thread only. The chart is the program's (TheMapFeatures).
#include "shell/ui/ProgramSettingsPage.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;

namespace velmar::shell::ui {

inline constexpr const char* InvalidMapFileCaption = "Invalid or Empty Map File";

class MapFileDialog : public ProgramSettingsPage {
    Q_OBJECT
public:
    static constexpr int IdPath = 31312;
    static constexpr int IdBrowse = 31313;
    static constexpr int IdSelectContours = 31314;
    static constexpr int IdCoastlineColour = 31319;
    static constexpr int PathLimit = 280;

    // chartChanged: the map draws the chart again (after a load or a free).
    explicit MapFileDialog(std::function<void()> chartChanged = {}, QWidget* parent = nullptr);

    bool StoreSettings() override;

    void CmBrowseMapFiles();
    void CmSelectContours();
    void CmCoastlineColour();

    QLineEdit* PathEdit() const { return m_path; }

private:
    int Load(const QString& path);
    void Free();

    std::function<void()> m_chartChanged;
    QLineEdit* m_path;
};

// "Select Contours": one check box per contour level of the loaded chart.
class ContoursDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int IdOk = 31315;
    static constexpr int IdFirstLevel = 31320;

    explicit ContoursDialog(QWidget* parent = nullptr);

    // The box of level i (in level order), or null.
    QCheckBox* LevelBox(int i) const;
    int LevelCount() const { return m_levels; }

    // Ok: the boxes into the level flags, the block written, closed with OK.
    void CmOk();

private:
    int m_levels = 0;
};

} // namespace velmar::shell::ui
