#include "sound/PelvanePipeClient.h"
#include "sound/PipeProtocol.h"
#include "sound/SamplePipe.h"

#include "settings/PipeSettings.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

using namespace velmar::sound;
using velmar::platform::MessageBus;
using velmar::platform::SystemTime;

TEST(PipeProtocol, MessagesAreRegisteredInOrderUnderTheirNames)
{
    const PipeMessageIds first = RegisterPipeMessages();
    const PipeMessageIds& again = RegisterPipeMessages();
    const uint all[] = {first.PipeMsgPipeCommand,   first.PipeMsgNewSettings,  first.PipeMsgIconNotification,
                        first.PipeMsgPoroiseStatus, first.PipeMsgLastFillTime, first.PipeMsgGetIpDevice,
                        first.PipeMsgStartSection,  first.PipeMsgStopSection,  first.PipeMsgAvailBytes,
                        first.PipeMsgStartRun,      first.PipeMsgGetADCStatus, first.PipeMsgSampleSettings};
    for (std::size_t i = 0; i < std::size(all); ++i) {
        EXPECT_GE(all[i], MessageBus::FirstRegisteredMessage);
        EXPECT_EQ(MessageBus::messageName(all[i]), QString::fromLatin1(PipeMessageNames[i]));
    }
    EXPECT_EQ(again.PipeMsgSampleSettings, first.PipeMsgSampleSettings);
    EXPECT_EQ(&again, &PipeMessages());
}

TEST(PipeProtocol, PipeCommandsAndRoutes)
{
    struct Row {
        quint64 w;
        qint64 l;
        bool valid;
    };
    for (const Row& r : {Row{3, 32, true}, Row{4, 1, true}, Row{3, 4, true}, Row{4, 2, true}, Row{3, 8, false},
                         Row{3, 3, false}, Row{3, 16, false}, Row{3, 0, false}, Row{5, 1, false}, Row{0, 1, false},
                         Row{3, 32 + (qint64(1) << 32), false}}) {
        SCOPED_TRACE(testing::Message() << r.w << "," << r.l);
        EXPECT_EQ(IsValidPipeCommand(r.w, r.l), r.valid);
    }
    EXPECT_EQ(QString::fromLatin1(PipeRouteOfBit(4)->label), QStringLiteral("Quintra Click"));
    EXPECT_EQ(QString::fromLatin1(PipeRouteOfBit(2)->pipeName), QStringLiteral("\\\\.\\pipe\\WhistlePipe"));
    EXPECT_EQ(PipeSocketPathOfBit(32), velmar::platform::pipeFolder() + QStringLiteral("/AutorecPipe"));
    EXPECT_TRUE(PipeSocketPathOfBit(8).isEmpty());
    EXPECT_EQ(PelvanePipeBufferBytes(2, 48000, 6), 1152000);
    EXPECT_EQ(DeckPipeBufferBytes(2, 96000), 384000);
}

TEST(PipeProtocol, SectionTimeTravelsAsOleDateBytes)
{
    const SystemTime t{2010, 12, 3, 8, 12, 0, 0, 0};
    const auto [w, l] = SectionTimeParameters(t);
    EXPECT_LE(w, 0xFFFFFFFFu);
    EXPECT_DOUBLE_EQ(SectionTimeFromParameters(w, l), 40520.5);
}

TEST(PipeProtocol, PorpoiseStatusReplies)
{
    using A = PelvaneAcquisition;
    struct Row {
        const char* legend;
        int channel;
        int routed;
        A state;
        bool inScan;
        int device;
        std::optional<qint64> spot;
        qint64 reply;
    };
    const Row rows[] = {
        {"too few porpoise channels", 2, 2, A::Running, true, 5, {}, 0xFFFF},
        {"idle NI board reads the channel", 1, 2, A::Idle, false, 5, 1234, 1234},
        {"idle sound card", 1, 2, A::Idle, false, 1, {}, 0xFFFF},
        {"running, in scan", 0, 1, A::Running, true, 1, {}, 0xFFFFF},
        {"running board, in scan", 0, 1, A::Running, true, 3, {}, 0xFFFFFF},
        {"running, not in scan", 0, 1, A::Running, false, 1, {}, 0xFFFF},
        {"starting", 0, 1, A::Starting, true, 1, {}, 0xFFFF},
        {"stopping", 0, 1, A::Stopping, true, 1, {}, 0xFFFF},
        {"other state", 0, 1, A::Other, true, 1, {}, 567},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.legend);
        EXPECT_EQ(PorpoiseStatusReply(r.channel, r.routed, r.state, r.inScan, r.device, r.spot), r.reply);
    }
}

namespace {
struct FakeWorld {
    int looksUntilRunning = 0; // -1: never
    bool startable = true;
    int looks = 0;
    int waits = 0;
    int minimised = 0;
    QStringList started;
    QStringList messages;

    PelvaneLauncher launcher()
    {
        PelvaneLauncher l;
        l.isRunning = [this] { return looksUntilRunning >= 0 && looks++ >= looksUntilRunning; };
        l.start = [this](const QString& path) {
            started << path;
            return startable;
        };
        l.wait = [this](int ms) {
            EXPECT_EQ(ms, 100);
            ++waits;
        };
        l.minimise = [this] { ++minimised; };
        l.showMessage = [this](const QString& text, const QString& caption) { messages << caption + "|" + text; };
        return l;
    }
};
} // namespace

TEST(PipeProtocol, EnsurePelvaneRunning)
{
    FakeWorld running;
    EXPECT_TRUE(EnsurePelvaneRunning(running.launcher()));
    EXPECT_TRUE(running.started.isEmpty());
    EXPECT_EQ(running.minimised, 0);

    FakeWorld fresh;
    fresh.looksUntilRunning = 4;
    EXPECT_TRUE(EnsurePelvaneRunning(fresh.launcher()));
    EXPECT_EQ(fresh.started, QStringList{QStringLiteral("pelvane.exe")});
    EXPECT_EQ(fresh.waits, 3);
    EXPECT_EQ(fresh.minimised, 1);

    FakeWorld missing;
    missing.looksUntilRunning = -1;
    missing.startable = false;
    EXPECT_FALSE(EnsurePelvaneRunning(missing.launcher()));
    EXPECT_EQ(missing.messages, QStringList{QStringLiteral("Error|Can't find Pelvane Programme")});

    FakeWorld silent;
    silent.looksUntilRunning = -1;
    EXPECT_FALSE(EnsurePelvaneRunning(silent.launcher()));
    EXPECT_EQ(silent.waits, 50);
    EXPECT_EQ(silent.messages, QStringList{QStringLiteral("Error|Can't find Pelvane Window")});

    const QDir programs(velmar::platform::executableFolder());
    EXPECT_EQ(PelvaneProgramFile(QStringLiteral("pelvane.exe")), programs.filePath(QStringLiteral("Pelvane")));
    EXPECT_EQ(PelvaneProgramFile(QStringLiteral("/opt/velmar/bin/Pelvane")), QStringLiteral("/opt/velmar/bin/Pelvane"));
    EXPECT_TRUE(PelvaneProgramFile(QString()).isEmpty());
}

TEST(SamplePipe, ServerWritesWithoutWaitingForItsReader)
{
    const QString name = QStringLiteral("\\\\.\\pipe\\AutorecPipe");
    SamplePipeServer server;
    ASSERT_TRUE(server.create(name, 4096)) << server.errorString().toStdString();
    EXPECT_EQ(server.write(QByteArray(100, 'a')), -1); // no reader yet

    SamplePipeReader reader;
    ASSERT_TRUE(reader.open(name, 1000));
    QByteArray block;
    for (int i = 0; i < 1000; ++i)
        block += char(i);
    EXPECT_EQ(server.write(block), 1000);
    QByteArray got;
    for (int tries = 0; got.size() < 1000 && tries < 1000; ++tries)
        got += reader.read(4096);
    EXPECT_EQ(got, block);

    // Nobody reads: the pipe fills, then takes only part of a write, then nothing.
    const QByteArray big(64 * 1024, 'z');
    qint64 taken = 0;
    bool partial = false;
    for (int i = 0; i < 200 && !partial; ++i) {
        const qint64 n = server.write(big);
        ASSERT_GE(n, 0);
        taken += n;
        partial = n < big.size();
    }
    EXPECT_TRUE(partial);
    EXPECT_LE(server.pendingBytes(), 4096);
    EXPECT_GT(reader.bytesAvailable(), 0);

    reader.close();
    qint64 afterClose = 0;
    for (int i = 0; i < 100 && afterClose >= 0; ++i)
        afterClose = server.write(QByteArray(10, 'q'));
    EXPECT_EQ(afterClose, -1); // the reader has gone

    SamplePipeReader late;
    server.close();
    EXPECT_FALSE(late.open(name, 100));
}

// Whether some process listens on the socket at path, as the kernel lists
// it (without connecting, which would make socat fork a handler); waits up to
// 5 s for the answer `wanted`.
static bool WaitUntilListening(const QString& path, bool wanted)
{
    constexpr char listeningFlag[] = "00010000";
    for (int i = 0; i < 500; ++i) {
        QFile table(QStringLiteral("/proc/net/unix"));
        bool listening = false;
        if (table.open(QIODevice::ReadOnly))
            for (const QByteArray& line : table.readAll().split('\n')) {
                const QList<QByteArray> f = line.simplified().split(' ');
                if (f.size() >= 8 && f[3] == listeningFlag && QString::fromLocal8Bit(f[7]) == path)
                    listening = true;
            }
        if (listening == wanted)
            return true;
        QThread::msleep(10);
    }
    return false;
}

// Another program's pipe (here socat listening on the socket) is never taken
// over; a socket left by a program that died is.
TEST(SamplePipe, OnlyAStaleSocketIsReplaced)
{
    const QString name = QStringLiteral("\\\\.\\pipe\\QuintraPipe");
    const QString path = PipeSocketPath(name);
    QFile::remove(path);
    QProcess owner;
    owner.start(QStringLiteral("socat"),
                {QStringLiteral("UNIX-LISTEN:") + path + QStringLiteral(",fork"), QStringLiteral("SYSTEM:cat")});
    ASSERT_TRUE(owner.waitForStarted());
    // socat makes the file before it listens.
    ASSERT_TRUE(WaitUntilListening(path, true));

    SamplePipeServer second;
    EXPECT_FALSE(second.create(name, 4096));
    EXPECT_TRUE(second.errorString().contains(QStringLiteral("already served by another program")))
        << second.errorString().toStdString();
    EXPECT_TRUE(second.errorString().contains(name));
    EXPECT_FALSE(second.isCreated());
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(owner.state(), QProcess::Running);

    // Killed, the owner leaves its socket behind with nobody listening.
    ::kill(pid_t(owner.processId()), SIGKILL);
    owner.waitForFinished();
    ASSERT_TRUE(QFileInfo::exists(path));
    // The copy socat forked for the check's caller holds the socket until
    // that caller's hang-up reaches it.
    ASSERT_TRUE(WaitUntilListening(path, false));
    SamplePipeServer next;
    ASSERT_TRUE(next.create(name, 4096)) << next.errorString().toStdString();
    SamplePipeReader reader;
    EXPECT_TRUE(reader.open(name, 1000));
}

// Pelvane as the consumer sees it: the pipe exists when the open command has
// been answered, and goes after the close command.
TEST(SamplePipe, ConsumerOpensReadsAndClosesItsPipe)
{
    SamplePipeServer pelvane;
    QStringList commands;
    auto messenger = [&](const QString& message, quint64 w, qint64 l) -> std::optional<qint64> {
        commands << QStringLiteral("%1 %2 %3").arg(message).arg(w).arg(l);
        if (!IsValidPipeCommand(w, l))
            return 0;
        if (w == PipeCommandOpen && !pelvane.isCreated())
            pelvane.create(QString::fromLatin1(PipeRouteOfBit(l)->pipeName), 1 << 16);
        return 0;
    };
    {
        PelvanePipeClient recorder(32, messenger);
        ASSERT_TRUE(recorder.open());
        EXPECT_EQ(commands, QStringList{QStringLiteral("PipeMsgPipeCommand 3 32")});
        EXPECT_EQ(pelvane.socketPath(), PipeSocketPathOfBit(32));
        const QByteArray block(4800, 'x');
        EXPECT_EQ(pelvane.write(block), block.size());
        QByteArray got;
        for (int tries = 0; got.size() < block.size() && tries < 1000; ++tries)
            got += recorder.read(block.size());
        EXPECT_EQ(got, block);
    } // the destructor closes
    EXPECT_EQ(commands.last(), QStringLiteral("PipeMsgPipeCommand 4 32"));

    // Pelvane answers but no pipe appears: the consumer closes again.
    commands.clear();
    PelvanePipeClient whistle(2, messenger);
    EXPECT_FALSE(whistle.open(100));
    EXPECT_EQ(commands,
              (QStringList{QStringLiteral("PipeMsgPipeCommand 3 2"), QStringLiteral("PipeMsgPipeCommand 4 2")}));
    // Pelvane not answering at all.
    PelvanePipeClient silent(4, [](const QString&, quint64, qint64) { return std::optional<qint64>(); });
    EXPECT_FALSE(silent.open(100));
}
