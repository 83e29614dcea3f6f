// Turns resources/strings.de.tsv (number, TAB, UTF-8 text) into a C++ source file that holds
// the texts as Windows-1252 bytes. Fails the build on a malformed line, a duplicate number
// or a character that Windows-1252 cannot hold.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " strings.tsv output.cpp\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot open\n";
        return 1;
    }
    std::map<int, std::string> table;
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
        std::string number = line.substr(0, tab);
        if (tab == std::string::npos || number.empty() ||
            number.find_first_not_of("0123456789") != std::string::npos) {
            std::cerr << argv[1] << ":" << lineNumber << ": expected number, TAB, text\n";
            return 1;
        }
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
        std::string bytes = tracklore::Utf8ToCp1252(text);
        if (tracklore::Cp1252ToUtf8(bytes) != text) {
            std::cerr << argv[1] << ":" << lineNumber << ": character outside Windows-1252\n";
            return 1;
        }
        if (bytes.size() > 2046) {
            std::cerr << argv[1] << ":" << lineNumber << ": text longer than 2046 bytes\n";
            return 1;
        }
        if (!table.emplace(id, bytes).second) {
            std::cerr << argv[1] << ":" << lineNumber << ": duplicate number " << id << "\n";
            return 1;
        }
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
    std::string generated = out.str();
    {
        std::ifstream old(argv[2], std::ios::binary);
        std::stringstream current;
        current << old.rdbuf();
        if (old && current.str() == generated) {
            return 0;
        }
    }
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file << generated;
    return file ? 0 : 1;
}
