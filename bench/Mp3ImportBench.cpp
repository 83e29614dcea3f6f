// Google Benchmark figures of the MP3 import's inner steps.

#include <benchmark/benchmark.h>

#include <cstring>

#include "BenchData.h"
#include "flows/Mp3ScanFlow.h"
#include "flows/Session.h"
#include "model/TrackList.h"
#include "mp3/FolderScan.h"
#include "mp3/Id3.h"
#include "mp3/Id3v1Split.h"
#include "mp3/Mp3Scan.h"
#include "settings/Settings.h"
#include "support/ScriptedPlatform.h"

namespace {

using namespace tracklore;

// The tag search over one window of audio-like bytes.
void SearchWindow(benchmark::State& state) {
    ScanWindow window;
    bench::NoiseBytes noise;
    noise.Fill(window.Chunk(), ScanChunkSize);
    for (auto _ : state) {
        FragmentTable table;
        SearchWindowForTags(table, 1 << 20, window.Data(), CarriedBytes + ScanChunkSize);
        benchmark::DoNotOptimize(table.fragments.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * ScanChunkSize);
}
BENCHMARK(SearchWindow);

// The whole scan of a 64 MiB joined album held in memory (no file system involved).
void ScanAlbumInMemory(benchmark::State& state) {
    bench::NoiseBytes noise;
    std::string album;
    for (int i = 0; i < 8; ++i) {
        album += bench::NoiseTrack(8u << 20, i + 1, noise);
    }
    TrackList doc;
    Settings settings = DefaultSettings();
    ScriptedPlatform ui;
    Session session{doc, settings, ui};
    for (auto _ : state) {
        Mp3ScanJob job;
        job.path = "album.mp3";
        RunMp3ScanWorker(session, job, ui, {}, [&album](const std::string&) {
            return std::make_unique<MemorySource>(album);
        });
        benchmark::DoNotOptimize(doc.trackCount);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(album.size()));
}
BENCHMARK(ScanAlbumInMemory)->Unit(benchmark::kMillisecond);

void ValidRecord(benchmark::State& state) {
    bench::NoiseBytes noise;
    std::string track = bench::NoiseTrack(1024, 1, noise);
    const auto* record = reinterpret_cast<const unsigned char*>(track.data()) + 1024 - 128;
    for (auto _ : state) {
        benchmark::DoNotOptimize(IsValidId3v1(record));
    }
}
BENCHMARK(ValidRecord);

void FileMask(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(MatchesFileMask("07 - K\xC3\xBCnstler - Lied.MP3", "*.mp3"));
    }
}
BENCHMARK(FileMask);

}  // namespace
