#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tracklore {

// An INI text as the private-profile functions of Windows keep it: "[Section]" header lines
// and "Key=Value" lines, section and key names matched without regard to case, blanks around
// names and values ignored. Setting a value replaces it in its line, adds a new key at the
// end of its section, or adds a missing section at the end; every other line (comments,
// blank lines, unknown keys) stays as it was. Values are bytes, stored as they are.
class IniFile {
  public:
    IniFile() = default;
    explicit IniFile(std::string_view text);

    // Reads the file at path; false (and an empty file) when it cannot be read.
    bool Load(const std::string& path);

    // The value of a key; std::nullopt when the section or the key is missing. The first
    // section and the first key of a name count.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Replaces or adds the key. A value is one line: it is cut at a CR or LF.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The whole text, with the line ends the file had (LF for a new file).
    std::string Text() const;

  private:
    struct Found {
        std::size_t header = 0;  // index of the section's header line
        std::size_t end = 0;     // index after the section's last line
    };
    std::optional<Found> FindSection(std::string_view section) const;

    std::vector<std::string> lines_;
    std::string lineEnd_ = "\n";
    bool bom_ = false;
    bool finalLineEnd_ = true;
};

}  // namespace tracklore
