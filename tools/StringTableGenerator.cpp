// Turns the string tables resources/strings.de.tsv and strings.en.tsv (number, TAB, name, TAB,
// UTF-8 text) into a C++ source file that holds the texts of both languages (UTF-8), and a
// header that gives every entry its id (str::Name). Fails the build on a malformed line, a
// duplicate number or name, text that is not UTF-8, or tables whose entries differ.
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

struct Table {
    std::map<int, std::string> texts;
    std::map<int, std::string> names;
};

// Reads one table; false (with the reason on standard error) for a malformed file.
bool ReadTable(const char* path, Table& table) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot open\n";
        return false;
    }
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
            std::cerr << path << ":" << lineNumber << ": expected number, TAB, Name, TAB, text\n";
            return false;
        }
        if (!usedNames.insert(name).second) {
            std::cerr << path << ":" << lineNumber << ": duplicate name " << name << "\n";
            return false;
        }
        int id = std::stoi(number);
        std::string text;
        if (!Unescape(line.substr(nameTab + 1), text)) {
            std::cerr << path << ":" << lineNumber << ": bad escape\n";
            return false;
        }
        if (!tracklore::IsValidUtf8(text)) {
            std::cerr << path << ":" << lineNumber << ": not UTF-8\n";
            return false;
        }
        if (text.size() > 2046) {
            std::cerr << path << ":" << lineNumber << ": text longer than 2046 bytes\n";
            return false;
        }
        if (!table.texts.emplace(id, text).second) {
            std::cerr << path << ":" << lineNumber << ": duplicate number " << id << "\n";
            return false;
        }
        table.names.emplace(id, name);
    }
    return true;
}

void WriteEntries(std::ostringstream& out, const char* arrayName, const char* countName,
                  const Table& table) {
    out << "const StringTableEntry " << arrayName << "[] = {\n";
    for (const auto& [id, bytes] : table.texts) {
        out << "    {" << id << ", " << CLiteral(bytes) << ", " << bytes.size() << "},\n";
    }
    out << "};\n\nconst std::size_t " << countName << " = " << table.texts.size() << ";\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: " << argv[0]
                  << " strings.de.tsv strings.en.tsv output.cpp output-ids.h\n";
        return 2;
    }
    Table german;
    Table english;
    if (!ReadTable(argv[1], german) || !ReadTable(argv[2], english)) {
        return 1;
    }
    // Every language names the same entries: a text missing in one would show up empty.
    if (german.names != english.names) {
        for (const auto& [id, name] : german.names) {
            auto it = english.names.find(id);
            if (it == english.names.end() || it->second != name) {
                std::cerr << argv[2] << ": entry " << id << " " << name
                          << " missing or named otherwise\n";
            }
        }
        for (const auto& [id, name] : english.names) {
            if (!german.names.count(id)) {
                std::cerr << argv[2] << ": entry " << id << " " << name << " not in " << argv[1]
                          << "\n";
            }
        }
        return 1;
    }
    const auto& names = german.names;
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
    if (!WriteIfChanged(argv[4], ids.str())) {
        return 1;
    }
    std::ostringstream out;
    out << "// Generated from strings.de.tsv and strings.en.tsv. Do not edit.\n"
        << "#include \"resources/StringTableData.h\"\n\n"
        << "namespace tracklore::detail {\n\n";
    WriteEntries(out, "GermanEntries", "GermanEntryCount", german);
    WriteEntries(out, "EnglishEntries", "EnglishEntryCount", english);
    out << "}  // namespace tracklore::detail\n";
    return WriteIfChanged(argv[3], out.str()) ? 0 : 1;
}
