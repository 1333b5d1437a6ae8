// stand_in_detector: a detector program in miniature for the event tests and
// for trying the main program by hand. It pokes records into the service
// "Velmar2000" as the real detectors do.
//
//   stand_in_detector known [topic]     one known record of each kind
//   stand_in_detector random SEED       random bytes of every length 0..300
//                                       on every item of "EventsService"
//   stand_in_detector udf               the known records on "UDFSERVICE"
//
// Prints "poked N" (pokes the service acknowledged) and ends; exit code 1
// when the service is not there.
#include "KnownRecords.h"

#include "platform/Dde.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTextStream>

#include <cstdio>

using namespace knownrecords;

namespace {

constexpr int TimeoutMs = 20000; // generous: test machines may be busy

int pokeKnown(velmar::platform::DdeClient& client, const QString& topic)
{
    int acknowledged = 0;
    for (const KnownPoke& poke : allKnownPokes())
        acknowledged += client.poke(topic, QString::fromLatin1(poke.item), poke.bytes, TimeoutMs) ? 1 : 0;
    return acknowledged;
}

int pokeRandom(velmar::platform::DdeClient& client, quint32 seed)
{
    QRandomGenerator random(seed);
    const QStringList items{"NewWhistles",     "NewSeismic",      "NewRCEvent", "PorpoiseEvent",
                            "NewWhislteEvent", "RightWhaleEvent", "Porpoise",   "NoSuchItem"};
    int acknowledged = 0;
    for (int length = 0; length <= 300; ++length) {
        for (const QString& item : items) {
            QByteArray bytes(length, '\0');
            for (char& c : bytes)
                c = char(random.bounded(256));
            acknowledged += client.poke(QStringLiteral("EventsService"), item, bytes, TimeoutMs) ? 1 : 0;
        }
    }
    return acknowledged;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    velmar::platform::DdeClient client(QStringLiteral("Velmar2000"));
    if (args.isEmpty() || !client.serverPresent()) {
        std::fprintf(stderr, "stand_in_detector: %s\n",
                     args.isEmpty() ? "usage: known [topic] | random SEED | udf" : "Velmar2000 is not running");
        return 1;
    }
    int acknowledged = 0;
    if (args[0] == QLatin1String("known"))
        acknowledged = pokeKnown(client, args.value(1, QStringLiteral("EventsService")));
    else if (args[0] == QLatin1String("random"))
        acknowledged = pokeRandom(client, args.value(1).toUInt());
    else if (args[0] == QLatin1String("udf"))
        acknowledged = pokeKnown(client, QStringLiteral("UDFSERVICE"));
    QTextStream(stdout) << "poked " << acknowledged << Qt::endl;
    return 0;
}
