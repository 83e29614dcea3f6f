#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "flows/Session.h"
#include "model/TrackList.h"
#include "settings/Settings.h"
#include "support/ScriptedPlatform.h"

namespace tracklore::fuzz {

// A document, settings and a platform that answers every question with its default.
struct Harness {
    Harness() { ApplyDefaultSettings(settings); }
    TrackList doc;
    Settings settings;
    ScriptedPlatform ui;
    Session session{doc, settings, ui};
};

// Checks an invariant that must hold for every input; a violation is a finding.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

// The invariants of every track list a reader produces.
inline void CheckTrackList(const TrackList& doc) {
    FUZZ_CHECK(doc.trackCount >= 0 && doc.trackCount <= MaxTracks);
    FUZZ_CHECK(doc.cd.title.size() < 128 && doc.cd.artist.size() < 128);
    FUZZ_CHECK(doc.cd.discId.size() < 10 && doc.cd.year.size() < 5 && doc.cd.genre.size() < 53);
    FUZZ_CHECK(doc.cd.audioFile.size() < 300);
    for (const auto& track : doc.tracks) {
        FUZZ_CHECK(track.title.size() < 300 && track.performer.size() < 300);
    }
}

}  // namespace tracklore::fuzz
