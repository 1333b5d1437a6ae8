#include "platform/TerminationSignals.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace velmar::platform {

namespace {

int signalPair[2] = {-1, -1};

void WakeEventLoop(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPair[0], &byte, 1);
}

} // namespace

bool CatchTerminationSignals(QObject* context, std::function<void()> onSignal)
{
    if (signalPair[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPair) != 0) {
        signalPair[0] = signalPair[1] = -1;
        return false;
    }
    auto* notifier = new QSocketNotifier(signalPair[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [onSignal = std::move(onSignal)] {
        char byte;
        [[maybe_unused]] const auto n = ::read(signalPair[1], &byte, 1);
        if (onSignal)
            onSignal();
    });

    struct sigaction action {};
    action.sa_handler = WakeEventLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
    return true;
}

} // namespace velmar::platform
