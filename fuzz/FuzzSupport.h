#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "flows/Session.h"
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

// A field holds valid UTF-8 of fewer than `limit` characters.
inline bool FieldFits(const std::string& text, std::size_t limit) {
    return ValidUtf8(text) == text && CharacterCount(text) < limit;
}

// The invariants of every track list a reader produces. Capacities count characters.
inline void CheckTrackList(const TrackList& doc) {
    FUZZ_CHECK(doc.trackCount >= 0 && doc.trackCount <= MaxTracks);
    FUZZ_CHECK(FieldFits(doc.cd.title, 128) && FieldFits(doc.cd.artist, 128));
    FUZZ_CHECK(FieldFits(doc.cd.discId, 10) && FieldFits(doc.cd.year, 5) &&
               FieldFits(doc.cd.genre, 53));
    FUZZ_CHECK(FieldFits(doc.cd.audioFile, 300));
    for (const auto& track : doc.tracks) {
        FUZZ_CHECK(FieldFits(track.title, 300) && FieldFits(track.performer, 300));
    }
}

}  // namespace tracklore::fuzz
