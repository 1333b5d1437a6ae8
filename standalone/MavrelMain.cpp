// Mavrel: the standalone sound-file deck. One deck in a fixed-size window,
// sharing "TapeSet.dat" with Velmar's decks, playing recordings to the
// speakers and into the detector programs' pipes, and keeping its play log.
#include "deck/DeckEngine.h"
#include "platform/FileDialogs.h"
#include "deck/LogWriter.h"
#include "deck/ui/TMavrelDlgClient.h"
#include "widgets/DialogService.h"
#include "widgets/MessageBoxSeam.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using velmar::deck::TMavrelDlgClient;

// The play log: $VELMAR_TAPE_LOG, else "TapeLog.txt" in the user's data
// folder ($XDG_DATA_HOME/velmar, ~/.local/share/velmar).
QString tapeLogPath()
{
    const QString configured = qEnvironmentVariable("VELMAR_TAPE_LOG");
    if (!configured.isEmpty())
        return configured;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                         + QStringLiteral("/velmar");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/TapeLog.txt");
}

// The frame: its whole client is the deck; closing waits for the deck to stop.
class MavrelFrame final : public QWidget {
public:
    MavrelFrame()
    {
        setWindowTitle(QStringLiteral("Mavrel"));
        velmar::deck::DeckWindowServices services;
        services.showMessage = [this](const QString& text, const QString& caption) {
            velmar::shell::ui::ShowMessageBox(this, text, caption);
        };
        services.chooseFolder = [](QWidget* owner) {
            return velmar::platform::ChooseFolder(owner, QStringLiteral("Select Directory for sound files"), QString());
        };
        // Run mode 0: no period listing and nothing told to a parent.
        m_deck = new TMavrelDlgClient(this, 0, std::move(services));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_deck);
        m_deck->setTransport(velmar::deck::MakeEngineTransport(*m_deck, velmar::deck::MakeBusDetectorLink()));
        // Neither resized nor maximised.
        setFixedSize(m_deck->size());
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                       | Qt::WindowCloseButtonHint);
    }
    TMavrelDlgClient* deck() const { return m_deck; }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        if (m_deck->CanClose())
            e->accept();
        else
            e->ignore();
    }

private:
    TMavrelDlgClient* m_deck;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Copies started by scripts bind dialogs that never wait for an operator.
    velmar::shell::ui::BindDialogsForThisRun();
    QApplication::setApplicationName(QStringLiteral("Mavrel"));
    // A log that cannot be opened is no reason to stop: the deck plays without.
    velmar::deck::OpenLogFile(tapeLogPath(), true);
    int result = 0;
    {
        MavrelFrame frame;
        frame.showNormal();
        // Scripted runs: play the listed file of this name once the window is up.
        if (const QString play = qEnvironmentVariable("VELMAR_DECK_PLAY"); !play.isEmpty())
            QTimer::singleShot(0, frame.deck(), [&frame, play] { frame.deck()->playListedFile(play); });
        // Scripted runs: close once the deck has stopped after this long.
        if (const int after = qEnvironmentVariableIntValue("VELMAR_QUIT_AFTER_MS"); after > 0) {
            auto* quit = new QTimer(&frame);
            quit->setInterval(after);
            QObject::connect(quit, &QTimer::timeout, &frame, [&frame] { frame.close(); });
            quit->start();
        }
        result = app.exec();
    }
    velmar::deck::CloseLogFile();
    return result;
}
