#include "shell/DetectorLinkService.h"

#include "shell/ShellLog.h"

#include "shell/MainCommands.h"

namespace velmar::shell {

namespace {

// The timers' and the layout's calls (every second, every resize) are not
// logged.
class NoDetectorLinkService final : public DetectorLinkService {
public:
    QWidget* MakeDetectorForm(QWidget*) override
    {
        qCInfo(lcServices) << "detector links: no detector panel made (no detector link service)";
        return nullptr;
    }
    QWidget* MakeWhistleForm(QWidget*) override
    {
        qCInfo(lcServices) << "detector links: no whistle form made (no detector link service)";
        return nullptr;
    }
    int DetectorPanelWidth() override { return 0; }
    void PlaceDetectorForm(QWidget*, const QRect&) override {}
    void InitDde() override
    {
        qCInfo(lcServices) << "detector links: no event service started (no detector link service)";
    }
    void CloseDde() override {}
    void StartDetectorListener(QWidget*) override
    {
        qCInfo(lcServices) << "detector links: no listener for status reports (no detector link service)";
    }
    void UpdateProgramStatus() override {}
    void PurgeOldDetections() override {}
    void UpdateCounts() override {}
    quint32 ProgramStatus(int) override { return StatusNotRunning; }
    void StartProgram(int program, int) override
    {
        qCInfo(lcServices) << "detector links: program" << program << "not started (no detector link service)";
    }
    void SendDetectorCommand(int program, int action, int) override
    {
        qCInfo(lcServices) << "detector links: command" << action << "not sent to program" << program
                           << "(no detector link service)";
    }
    void ShowProgramme(int command) override
    {
        qCInfo(lcServices) << "detector links: command" << command << "shows no program (no detector link service)";
    }
    void SetListeningStatus(int command) override
    {
        qCInfo(lcServices) << "detector links: listening command" << command
                           << "left unheard (no detector link service)";
    }
    void SetProgramStatus(quint64 program, qint64 status) override
    {
        qCInfo(lcServices) << "detector links: status" << status << "of program" << program
                           << "left unshown (no detector link service)";
    }
    void DdeEvent(quint64 kind, qint64 record) override
    {
        qCInfo(lcServices) << "detector links: detection" << kind << record
                           << "not dispatched (no detector link service)";
    }
    void LoadSpermData() override
    {
        qCInfo(lcServices) << "detector links: no click events loaded (no detector link service)";
    }
    void LoadPorpoiseEvents() override
    {
        qCInfo(lcServices) << "detector links: no porpoise events loaded (no detector link service)";
    }
};

class NoThingsHeardService final : public ThingsHeardService {
public:
    QWidget* MakeHeardForm(QWidget*) override
    {
        qCInfo(lcServices) << "things heard: no form made (no things-heard service)";
        return nullptr;
    }
    void ThingsHeard(quint64, qint64 strength) override
    {
        qCInfo(lcServices) << "things heard: a press of strength" << strength << "not stored (no things-heard service)";
    }
    void ReloadThingsHeard() override { qCInfo(lcServices) << "things heard: none listed (no things-heard service)"; }
};

} // namespace

DetectorLinkService& NoDetectorLinks()
{
    static NoDetectorLinkService links;
    return links;
}

ThingsHeardService& NoThingsHeard()
{
    static NoThingsHeardService heard;
    return heard;
}

} // namespace velmar::shell
