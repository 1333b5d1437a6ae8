// A JACK client that plays a known signal into the server, for Pelvane's
// tests and benchmark: output port k (out_1, out_2, ...) carries, for frame n
// of the stream, the 16-bit sample ((n mod 4096) << 4) | (k - 1), so a reader
// can tell each sample's channel and check that no frame is lost, doubled or
// out of step. Runs until it is terminated.
//
// With a port pattern it also connects its outputs, in order, to the input
// ports of that pattern as they appear (for a client that does not connect
// itself to it, such as PortAudio's), and with "pa" it scales for PortAudio's
// float-to-16-bit conversion, which truncates v x 32767.
//
// Usage: pelvane_jack_ramp <ports> [input port pattern [pa]]
#include <jack/jack.h>

#include <csignal>
#include <string>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {
jack_client_t* client = nullptr;
std::vector<jack_port_t*> ports;
unsigned counter = 0;
bool portAudioScale = false;
volatile std::sig_atomic_t done = 0;

int process(jack_nframes_t frames, void*)
{
    for (std::size_t k = 0; k < ports.size(); ++k) {
        auto* out = static_cast<float*>(jack_port_get_buffer(ports[k], frames));
        for (jack_nframes_t f = 0; f < frames; ++f) {
            const int16_t v = int16_t((((counter + f) % 4096) << 4) | k);
            out[f] = portAudioScale ? (float(v) + (v < 0 ? -0.5f : 0.5f)) / 32767.0f : float(v) / 32768.0f;
        }
    }
    counter += frames;
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 4;
    const char* feed = argc > 2 ? argv[2] : nullptr;
    portAudioScale = argc > 3 && std::string(argv[3]) == "pa";
    client = jack_client_open("pelvane_ramp", JackNoStartServer, nullptr);
    if (!client) {
        std::fprintf(stderr, "no JACK server\n");
        return 1;
    }
    for (int k = 1; k <= count; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "out_%d", k);
        ports.push_back(jack_port_register(client, name, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0));
    }
    jack_set_process_callback(client, process, nullptr);
    std::signal(SIGTERM, [](int) { done = 1; });
    std::signal(SIGINT, [](int) { done = 1; });
    if (jack_activate(client) != 0)
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    while (!done) {
        if (feed) {
            const char** inputs = jack_get_ports(client, feed, JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput);
            for (std::size_t k = 0; inputs && inputs[k] && k < ports.size(); ++k)
                jack_connect(client, jack_port_name(ports[k]), inputs[k]); // EEXIST once connected
            jack_free(inputs);
        }
        usleep(100000);
    }
    jack_client_close(client);
    return 0;
}
