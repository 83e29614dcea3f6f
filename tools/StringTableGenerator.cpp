// Turns resources/strings.de.tsv (number, TAB, name, TAB, UTF-8 text) into a C++ source file
// that holds the texts (UTF-8), and a header that gives every entry its id (str::Name). Fails
// the build on a malformed line, a duplicate number or name, or text that is not UTF-8.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "model/Cp1252.h"

namespace {

bool Unescape(const std::string& in, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (i + 1 >= in.size()) {
            return false;
        }
        char c = in[++i];
        switch (c) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                return false;
        }
    }
    return true;
}

std::string CLiteral(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F && c != '?') {
            out += static_cast<char>(c);
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\%03o", c);
            out += esc;
        }
    }
    return out + "\"";
}

// Writes the file only when its content changes, so that nothing rebuilds without need.
bool WriteIfChanged(const char* path, const std::string& generated) {
    {
        std::ifstream old(path, std::ios::binary);
        std::stringstream current;
        current << old.rdbuf();
        if (old && current.str() == generated) {
            return true;
        }
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << generated;
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: " << argv[0] << " strings.tsv output.cpp output-ids.h\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot open\n";
        return 1;
    }
    std::map<int, std::string> table;
    std::map<int, std::string> names;
    std::set<std::string> usedNames;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::size_t tab = line.find('\t');
        std::size_t nameTab = tab == std::string::npos ? tab : line.find('\t', tab + 1);
        std::string number = line.substr(0, tab);
        std::string name =
            nameTab == std::string::npos ? std::string() : line.substr(tab + 1, nameTab - tab - 1);
        auto isNameChar = [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        };
        if (nameTab == std::string::npos || number.empty() ||
            number.find_first_not_of("0123456789") != std::string::npos || name.empty() ||
            !(name[0] >= 'A' && name[0] <= 'Z') ||
            std::find_if_not(name.begin(), name.end(), isNameChar) != name.end()) {
            std::cerr << argv[1] << ":" << lineNumber
                      << ": expected number, TAB, Name, TAB, text\n";
            return 1;
        }
        if (!usedNames.insert(name).second) {
            std::cerr << argv[1] << ":" << lineNumber << ": duplicate name " << name << "\n";
            return 1;
        }
        tab = nameTab;
        int id = std::stoi(number);
        std::string text;
        if (!Unescape(line.substr(tab + 1), text)) {
            std::cerr << argv[1] << ":" << lineNumber << ": bad escape\n";
            return 1;
        }
        if (!tracklore::IsValidUtf8(text)) {
            std::cerr << argv[1] << ":" << lineNumber << ": not UTF-8\n";
            return 1;
        }
        const std::string& bytes = text;
        if (bytes.size() > 2046) {
            std::cerr << argv[1] << ":" << lineNumber << ": text longer than 2046 bytes\n";
            return 1;
        }
        if (!table.emplace(id, bytes).second) {
            std::cerr << argv[1] << ":" << lineNumber << ": duplicate number " << id << "\n";
            return 1;
        }
        names.emplace(id, name);
    }
    std::ostringstream ids;
    ids << "// Generated from strings.de.tsv. Do not edit.\n"
        << "#pragma once\n\n"
        << "namespace tracklore {\n\n"
        << "// The entries of the string table. Code names a text by its id; the number is what\n"
        << "// a message records and a test compares.\n"
        << "enum class StringId : int {\n"
        << "    None = 0,\n";
    for (const auto& [id, name] : names) {
        ids << "    " << name << " = " << id << ",\n";
    }
    ids << "};\n\n"
        << "// The ids under a short name: str::ErrorCaption.\n"
        << "namespace str {\n";
    for (const auto& [id, name] : names) {
        ids << "inline constexpr StringId " << name << " = StringId::" << name << ";\n";
    }
    ids << "}  // namespace str\n\n"
        << "}  // namespace tracklore\n";
    if (!WriteIfChanged(argv[3], ids.str())) {
        return 1;
    }
    std::ostringstream out;
    out << "// Generated from strings.de.tsv. Do not edit.\n"
        << "#include \"resources/StringTableData.h\"\n\n"
        << "namespace tracklore::detail {\n\n"
        << "const StringTableEntry StringTableEntries[] = {\n";
    for (const auto& [id, bytes] : table) {
        out << "    {" << id << ", " << CLiteral(bytes) << ", " << bytes.size() << "},\n";
    }
    out << "};\n\nconst std::size_t StringTableEntryCount = " << table.size() << ";\n\n"
        << "}  // namespace tracklore::detail\n";
    return WriteIfChanged(argv[2], out.str()) ? 0 : 1;
}
