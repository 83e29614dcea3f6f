#pragma once

#include <string>

namespace tracklore {

// The playing time in seconds of an audio file, or a negative value when it cannot be read.
// MP3 files are measured from their MPEG frames; WAVE, FLAC, AIFF, Ogg Vorbis, Opus and
// WavPack files by TagLib (to the sample where the format records its sample count).
double MeasureAudioFile(const std::string& path);

}  // namespace tracklore
