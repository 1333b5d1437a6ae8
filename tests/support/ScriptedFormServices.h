#pragma once
// User forms and button panels as a test scripts them: each call a test cares
// about goes to its function when set; the others do nothing and answer as
// if there were no forms or panels.
#include "shell/UserFormService.h"

#include <QRect>
#include <QString>

#include <functional>

namespace velmar::test {

struct ScriptedUserForms : shell::UserFormService {
    void InstallHotKeys(QWidget*) override {}
    int LoadForms(QTabBar* tabs, int firstTab) override { return loadForms ? loadForms(tabs, firstTab) : 0; }
    void CreateTopControls(QWidget*, const QPoint&) override {}
    bool CanClose(QWidget* owner) override { return !canClose || canClose(owner); }
    void SavePlotMenus() override
    {
        if (savePlotMenus)
            savePlotMenus();
    }
    void Layout(const QRect&) override {}
    void PlaceWarnings(const QRect&) override {}
    void SelectTab(int) override {}
    int AddFormTab(QTabBar*, int, const QString&) override { return 0; }
    void MoveTabs(int from, int delta) override
    {
        if (moveTabs)
            moveTabs(from, delta);
    }
    QTabBar* FindSubTabs(int tab) override { return findSubTabs ? findSubTabs(tab) : nullptr; }
    bool OnHotKey(QWidget* frame, int key) override { return onHotKey && onHotKey(frame, key); }
    void ExportData(QWidget*, int) override {}
    void StartCounters() override {}
    void LoadAllData() override {}
    bool RebuildEffortSegments() override { return false; }
    const std::vector<shell::EffortPoint>* EffortFormLine() override { return nullptr; }

    std::function<int(QTabBar* tabs, int firstTab)> loadForms;
    std::function<bool(QWidget* owner)> canClose;
    std::function<void()> savePlotMenus;
    std::function<void(int from, int delta)> moveTabs;
    std::function<QTabBar*(int tab)> findSubTabs;
    std::function<bool(QWidget* frame, int key)> onHotKey;
};

struct ScriptedButtonPanels : shell::ButtonPanelService {
    int LoadPanels(QTabBar* tabs, int firstTab) override { return loadPanels ? loadPanels(tabs, firstTab) : firstTab; }
    void Layout(const QRect&) override {}
    void SelectTab(int) override {}
    int AddPanelTab(QTabBar*, int, const QString&) override { return 0; }
    void MoveTabs(int, int) override {}
    bool OnHotKey(int key) override { return onHotKey && onHotKey(key); }
    void RestartButtonThread() override
    {
        if (restartButtonThread)
            restartButtonThread();
    }
    bool CounterThreadRunning() override { return counterThreadRunning && counterThreadRunning(); }
    void QuitCounterThread() override
    {
        if (quitCounterThread)
            quitCounterThread();
    }
    bool WaitCounterThread(int ms) override { return !waitCounterThread || waitCounterThread(ms); }
    void StartCounterThread() override
    {
        if (startCounterThread)
            startCounterThread();
    }

    std::function<int(QTabBar* tabs, int firstTab)> loadPanels;
    std::function<bool(int key)> onHotKey;
    std::function<void()> restartButtonThread;
    std::function<bool()> counterThreadRunning;
    std::function<void()> quitCounterThread;
    std::function<bool(int ms)> waitCounterThread;
    std::function<void()> startCounterThread;
};

} // namespace velmar::test
