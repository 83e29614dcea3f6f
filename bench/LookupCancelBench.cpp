// Times how soon a CD database look-up ends after its cancel flag is set, in the three places a
// look-up waits: a gnudb server that sends the headers and then nothing, one that drips its
// answer a byte at a time, and MusicBrainz's Retry-After wait before the retry of a 503. Each
// is cancelled at a different moment in every round; the median and the worst delay from the
// flag to the function's return are printed, against a target of 250 ms for the worst.
//
// Usage: tracklore_lookup_cancel_bench [--rounds N]   (default 20)
// Exit status 0 when every worst delay meets the target, 1 when not.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "freedb/Cddb.h"
#include "freedb/MusicBrainz.h"
#include "support/LocalHttpServer.h"

using namespace tracklore;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double TargetMs = 250.0;

TrackList SampleList() {
    TrackList list;
    list.trackCount = 12;
    for (int k = 0; k < list.trackCount; ++k) {
        list.tracks[k].start = 150 + 18000 * k;
    }
    list.cd.totalSeconds = 3000;
    return list;
}

// Runs `lookUp` with a flag set after `delay`; the time from setting it to the return, in ms.
template <typename LookUp>
double CancelDelay(LookUp lookUp, std::chrono::milliseconds delay) {
    std::atomic<bool> cancel{false};
    Clock::time_point setAt{};
    std::thread canceller([&] {
        std::this_thread::sleep_for(delay);
        setAt = Clock::now();
        cancel = true;
    });
    lookUp(&cancel);
    const Clock::time_point returned = Clock::now();
    canceller.join();
    return std::chrono::duration<double, std::milli>(returned - setAt).count();
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 20;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    test::LocalHttpServer server;
    DatabaseClient client;
    client.cddbAddress = server.Url("/cddb");
    client.musicBrainzAddress = server.Url("/ws/2/");
    client.email = "bench@example.org";
    client.musicBrainzGap = std::chrono::milliseconds(0);
    client.maxRetryWait = std::chrono::seconds(60);
    const TrackList list = SampleList();
    const DiscToc toc = *TocOfTrackList(list);
    const std::string query = CddbRequestAddress(client, *CddbQueryCommand(list));

    test::HttpReply busy = test::HttpReply::Status(503, "{}");
    busy.headers = {{"Retry-After", "60"}};
    server.Serve(MusicBrainzFuzzyAddress(client, toc).substr(server.Url().size()), busy);

    struct Kind {
        const char* name;
        test::HttpReply reply;
        bool musicBrainz;
    };
    const std::vector<Kind> kinds = {
        {"gnudb, server silent after the headers", test::HttpReply::Stall(), false},
        {"gnudb, answer dripping one byte per 100 ms",
         test::HttpReply::Slow(std::string(4096, 'x'), 100), false},
        {"MusicBrainz, waiting for Retry-After: 60", busy, true},
    };
    bool met = true;
    for (const Kind& kind : kinds) {
        server.Serve(query.substr(server.Url().size()), kind.reply);
        std::vector<double> delays;
        for (int round = 0; round < rounds; ++round) {
            // Cancel at a different point of the wait in every round.
            const auto delay = std::chrono::milliseconds(100 + 37 * (round % 7));
            delays.push_back(CancelDelay(
                [&](const std::atomic<bool>* cancel) {
                    if (kind.musicBrainz) {
                        MusicBrainzLookup(toc, client, cancel);
                    } else {
                        CddbLookup(list, client, cancel);
                    }
                },
                delay));
        }
        std::sort(delays.begin(), delays.end());
        const double median = delays[delays.size() / 2];
        const double worst = delays.back();
        std::printf("%-45s median %6.1f ms  worst %6.1f ms  (%d rounds)\n", kind.name, median,
                    worst, rounds);
        met = met && worst <= TargetMs;
    }
    std::printf("target: worst delay <= %.0f ms: %s\n", TargetMs, met ? "met" : "NOT met");
    return met ? 0 : 1;
}
