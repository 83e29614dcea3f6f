#pragma once

// A reading of cue sheets of its own, for tests: it turns a sheet's bytes into the facts a
// cue sheet states (files, tracks, indexes, CD-TEXT fields, REM entries) in one canonical
// form, so that two sheets can be compared fact by fact whatever their spelling: keyword case,
// quoting, blanks, line ends, the digits of a time, the order of FLAGS or of REM lines, the
// encoding of the bytes. It shares no code with the product's reader, so that it can judge it.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tracklore::test {

struct CueFileFacts {
    std::string name;  // unquoted
    std::string type;  // upper-cased: WAVE, MP3, BINARY, ...
};

// REM entries: key (upper-cased, without a trailing colon) to value (unquoted, trimmed).
// A key given twice keeps both values, joined by " | " in the order of the lines.
using RemFacts = std::map<std::string, std::string>;

struct CueTrackFacts {
    int number = 0;
    std::string type;                // upper-cased: AUDIO, MODE1/2352, ...
    int file = 0;                    // 1-based position of the FILE it follows, 0 for none
    std::map<int, long> indexes;     // INDEX number to frames (75 a second)
    long pregap = -1, postgap = -1;  // frames; -1 when not given
    std::string title, performer, songwriter, isrc;
    std::set<std::string> flags;  // upper-cased
    RemFacts rem;
};

struct CueFacts {
    std::string encoding;  // how the bytes were decoded; not a fact of the sheet
    std::vector<CueFileFacts> files;
    std::string catalog, title, performer, songwriter, cdTextFile;
    RemFacts rem;
    std::vector<CueTrackFacts> tracks;
    // Lines this reading could not place ("line 7: ..."): unknown commands, times that are
    // no times, track lines before the first TRACK. They are no facts and are not compared.
    std::vector<std::string> odd;
};

// Decodes the bytes (UTF-8 or UTF-16 by their byte order mark, else UTF-8 when they are
// valid UTF-8, else Windows-1252) and reads the facts. Never fails: what it cannot read
// lands in `odd`.
CueFacts ReadCueFacts(std::string_view bytes);

// The facts as lines, in a stable order: files, disc fields, disc REM entries, then each
// track with its file, indexes, gaps, fields, flags and REM entries. Times as mm:ss:ff.
std::string Describe(const CueFacts& facts);

struct CueCompareOptions {
    // REM keys (upper case) that a writer adds of itself; entries with these keys are left
    // out on both sides, at disc and at track level.
    std::set<std::string> ignoredRemKeys;
    // Disc-level REM entries for which this returns true are left out on both sides: the
    // alternative spellings of a field the writer may add (e.g. "REM Year: 1999").
    std::function<bool(const std::string& key, const std::string& value)> ignoreDiscRem;
};

// The facts in which `saved` differs from `original`, one readable line each
// ("missing: ...", "added: ..."); empty when they state the same facts.
std::vector<std::string> CompareCueFacts(const CueFacts& original, const CueFacts& saved,
                                         const CueCompareOptions& options = {});

// The decoding ReadCueFacts uses, as UTF-8 text; `encoding` receives its name.
std::string DecodeCueBytes(std::string_view bytes, std::string* encoding = nullptr);

}  // namespace tracklore::test
