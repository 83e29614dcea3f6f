#include "audio/AudioLength.h"

#include <taglib/aifffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>

#include "model/Text.h"
#include "mp3/ByteSource.h"
#include "mp3/Mpeg.h"

namespace tracklore {

namespace {

double MeasureMpeg(const std::string& path) {
    auto file = FileSource::Open(path);
    if (!file) {
        return -1;
    }
    return MpegDuration(*file, static_cast<std::int64_t>(file->Size()));
}

double SamplesToSeconds(unsigned long long samples, int rate) {
    return rate > 0 ? static_cast<double>(samples) / rate : -1;
}

// Formats that record their length in samples give it exactly; the others in milliseconds.
double MeasureWithTagLib(const std::string& path) {
    TagLib::FileRef ref(path.c_str(), true, TagLib::AudioProperties::Accurate);
    if (ref.isNull() || ref.audioProperties() == nullptr) {
        return -1;
    }
    TagLib::File* file = ref.file();
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file); flac && flac->audioProperties()) {
        return SamplesToSeconds(flac->audioProperties()->sampleFrames(),
                                flac->audioProperties()->sampleRate());
    }
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file); wav && wav->audioProperties()) {
        return SamplesToSeconds(wav->audioProperties()->sampleFrames(),
                                wav->audioProperties()->sampleRate());
    }
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file);
        aiff && aiff->audioProperties()) {
        return SamplesToSeconds(aiff->audioProperties()->sampleFrames(),
                                aiff->audioProperties()->sampleRate());
    }
    if (auto* wavPack = dynamic_cast<TagLib::WavPack::File*>(file);
        wavPack && wavPack->audioProperties()) {
        return SamplesToSeconds(wavPack->audioProperties()->sampleFrames(),
                                wavPack->audioProperties()->sampleRate());
    }
    return ref.audioProperties()->lengthInMilliseconds() / 1000.0;
}

}  // namespace

double MeasureAudioFile(const std::string& path) {
    const std::string name = FileNamePart(path);
    const std::string extension = ToLowerAscii(name.substr(StripExtension(name).size()));
    if (extension == ".mp3" || extension == ".mp2") {
        return MeasureMpeg(path);
    }
    const double seconds = MeasureWithTagLib(path);
    // A file whose name does not tell its format may still be MPEG audio.
    return seconds >= 0 ? seconds : MeasureMpeg(path);
}

}  // namespace tracklore
