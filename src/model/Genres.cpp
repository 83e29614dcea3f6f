#include "model/Genres.h"

#include "resources/Strings.h"

namespace tracklore {

const std::string_view GenreList =
    "Blues|Classic Rock|Country|Dance|Disco|Funk|Grunge|Hip-Hop|Jazz|Metal|New "
    "Age|Oldies|Other|Pop|R&B|Rap|Reggae|Rock|Techno|Industrial|Alternative|Ska|Death "
    "Metal|Pranks|SoundTrack|Euro-Techno|Ambient|Trip-Hop|Vocal|Jazz+Funk|Fusion|Trance|Classical|"
    "Instrumental|Acid|House|Game|Sound "
    "Clip|Gospel|Noise|AlternRock|Bass|Soul|Punk|Space|Meditative|Instrumental Pop|Instrumental "
    "Rock|Ethnic|Gothic|Darkwave|Techno-Industrial|Electronic|Popfolk|EuroDance|Dream|Southern "
    "Rock|Comedy|Cult|Gangsta|Top 40|Christian Rap|Pop/Funk|Jungle|Native American|Cabaret|New "
    "Wave|Psychadelic|Rave|ShowTunes|Trailer|Lo-Fi|Tribal|Acid Punk|Acid "
    "Jazz|Polka|Retro|Musical|Rock & Roll|Hard Rock|Folk|Folk/Rock|National "
    "Folk|Swing|Fast-Fusion|Bebob|Latin|Revival|Celtic|BlueGrass|AvantGarde|Gothic "
    "Rock|Progressive Rock|Psychadelic Rock|Symphonic Rock|Slow Rock|Big Band|Chorus|Easy "
    "Listening|Acoustic|Humour|Speech|Chanson|Opera|Chamber Music|Sonata|Symphony|Booty "
    "Bass|Primus|Porn Groove|Satire|Slow Jam|Club|Tango|Samba|Folklore|Ballad|Power Ballad|Rhytmic "
    "Soul|Freestyle|Duet|Punk Rock|Drum Solo|Acapella|Euro-House|Dance Hall|Goa|Drum & "
    "Bass|Club-House|Hardcore|Terror|Indie|Britpop|NegerPunk|Polsk Punk|Beat|Christian Gangsta "
    "Rap|Heavy Metal|Black Metal|Crossover|Contemporary Christian|Christian "
    "Rock|||Merengue|Salsa|Thrash Metal";

std::string GenreName(int number) {
    if (number < 0 || number >= GenreSlotCount) {
        return {};
    }
    std::size_t begin = 0;
    for (int slot = 0; slot < number; ++slot) {
        begin = GenreList.find('|', begin);
        if (begin == std::string_view::npos) {
            return {};
        }
        ++begin;
    }
    std::size_t end = GenreList.find('|', begin);
    return std::string(GenreList.substr(begin, end == std::string_view::npos ? end : end - begin));
}

std::vector<GenreEntry> GenreEntries() {
    std::vector<GenreEntry> entries;
    std::vector<std::string> slots = SplitList(GenreList, '|');
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].empty()) {
            entries.push_back({slots[i], static_cast<int>(i)});
        }
    }
    return entries;
}

}  // namespace tracklore
