#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "flows/Session.h"
#include "model/Cp1252.h"
#include "model/Encoding.h"
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

// A field holds valid UTF-8 and fewer characters than its capacity.
inline bool FitsField(std::string_view text, std::size_t capacity) {
    return IsValidUtf8(text) && CharacterCount(text) < capacity;
}

// The invariants of every track list a reader produces.
inline void CheckTrackList(const TrackList& doc) {
    FUZZ_CHECK(doc.trackCount >= 0 && doc.trackCount <= MaxTracks);
    FUZZ_CHECK(FitsField(doc.cd.title, 128) && FitsField(doc.cd.artist, 128));
    FUZZ_CHECK(FitsField(doc.cd.discId, 10) && FitsField(doc.cd.year, 5) &&
               FitsField(doc.cd.genre, 53));
    FUZZ_CHECK(FitsField(doc.cd.audioFile, 300));
    for (const auto& track : doc.tracks) {
        FUZZ_CHECK(FitsField(track.title, 300) && FitsField(track.performer, 300));
    }
}

}  // namespace tracklore::fuzz
