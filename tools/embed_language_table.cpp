// SPDX-License-Identifier: MIT
// Build-time tool: turns language_table.tsv into a C++ source holding every
// text as a string literal, so the program carries the table and never opens
// the file. It refuses a table that is not exactly 264 keys in order with 14
// non-empty UTF-8 texts each; the build stops on a broken table instead of a
// window later showing an empty caption.
//
// With --own it turns own_texts.tsv, the program's own texts keyed by their
// English, into a table sorted by that English; it refuses a row that is not
// 14 non-empty UTF-8 texts and an English text given twice.
//
//   embed_language_table <table.tsv> <out.cpp>
//   embed_language_table --own <own_texts.tsv> <out.cpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kKeys = 264;
constexpr int kLanguages = 14;

bool Fail(int line, const std::string& why) {
    std::cerr << "language_table.tsv:" << line << ": " << why << '\n';
    return false;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool ValidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int more = c < 0x80           ? 0
                   : (c >> 5) == 0x6  ? 1
                   : (c >> 4) == 0xE  ? 2
                   : (c >> 3) == 0x1E ? 3
                                      : -1;
        if (more < 0 || c == 0xC0 || c == 0xC1 || i + more >= s.size()) return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
        i += more + 1;
    }
    return true;
}

// The file writes a line break inside a text as the escapes \r and \n, and a
// backslash as \\; nothing else may follow a backslash.
bool Unescape(const std::string& in, std::string& out, int line) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (++i == in.size()) return Fail(line, "text ends in a lone backslash");
        switch (in[i]) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                return Fail(line, std::string("unknown escape \\") + in[i]);
        }
    }
    return true;
}

// Every byte that is not plain printable ASCII becomes a three-digit octal
// escape, which, unlike \x, cannot swallow the character after it.
std::string Literal(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
            out += ch;
        } else {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        }
    }
    return out + '"';
}

bool Generate(std::istream& in, std::ostream& out) {
    std::string line;
    int lineNo = 1;
    if (!std::getline(in, line)) return Fail(lineNo, "empty file");
    if (SplitTabs(line).size() != kLanguages + 1 || line.rfind("key\t", 0) != 0)
        return Fail(lineNo, "header must be \"key\" and 14 language columns");

    std::vector<std::vector<std::string>> rows;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) return Fail(lineNo, "empty line");
        const auto fields = SplitTabs(line);
        if (fields.size() != kLanguages + 1)
            return Fail(lineNo,
                        "expected 15 tab-separated fields, found " + std::to_string(fields.size()));
        const int key = static_cast<int>(rows.size());
        if (fields[0] != std::to_string(key))
            return Fail(lineNo, "expected key " + std::to_string(key) + ", found " + fields[0]);
        std::vector<std::string> texts;
        for (int l = 0; l < kLanguages; ++l) {
            std::string text;
            if (!Unescape(fields[l + 1], text, lineNo)) return false;
            if (text.empty()) return Fail(lineNo, "empty text for language " + std::to_string(l));
            if (!ValidUtf8(text))
                return Fail(lineNo, "text of language " + std::to_string(l) + " is not UTF-8");
            texts.push_back(std::move(text));
        }
        rows.push_back(std::move(texts));
    }
    if (static_cast<int>(rows.size()) != kKeys)
        return Fail(lineNo, "expected 264 keys, found " + std::to_string(rows.size()));

    out << "// Generated from core/i18n/language_table.tsv at build time; edit the table.\n"
           "#include \"core/i18n/language_table_data.h\"\n\n"
           "namespace m350::i18n_data {\n\n"
           "const std::string_view kTexts[kKeyCount][kLanguageColumns] = {\n";
    for (int k = 0; k < kKeys; ++k) {
        out << "    {  // " << k << '\n';
        for (const auto& text : rows[k])
            out << "        {" << Literal(text) << ", " << text.size() << "},\n";
        out << "    },\n";
    }
    out << "};\n\n}  // namespace m350::i18n_data\n";
    return true;
}

bool GenerateOwn(std::istream& in, std::ostream& out) {
    std::string line;
    int lineNo = 1;
    if (!std::getline(in, line)) return Fail(lineNo, "empty file");
    if (SplitTabs(line).size() != kLanguages || line.rfind("en\t", 0) != 0)
        return Fail(lineNo, "header must be the 14 language columns, \"en\" first");

    std::map<std::string, std::vector<std::string>> rows;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const auto fields = SplitTabs(line);
        if (fields.size() != kLanguages)
            return Fail(lineNo,
                        "expected 14 tab-separated fields, found " + std::to_string(fields.size()));
        std::vector<std::string> texts;
        for (int l = 0; l < kLanguages; ++l) {
            std::string text;
            if (!Unescape(fields[l], text, lineNo)) return false;
            if (text.empty()) return Fail(lineNo, "empty text for language " + std::to_string(l));
            if (!ValidUtf8(text))
                return Fail(lineNo, "text of language " + std::to_string(l) + " is not UTF-8");
            texts.push_back(std::move(text));
        }
        const std::string english = texts[0];
        if (!rows.emplace(english, std::move(texts)).second)
            return Fail(lineNo, "English text given twice: " + english);
    }

    out << "// Generated from core/i18n/own_texts.tsv at build time; edit the table.\n"
           "#include \"core/i18n/own_texts_data.h\"\n\n"
           "namespace m350::i18n_data {\n\n"
           "const int kOwnTextCount = "
        << rows.size()
        << ";\n\n"
           "const std::string_view kOwnTexts[][kOwnLanguageColumns] = {\n";
    for (const auto& [english, texts] : rows) {
        out << "    {\n";
        for (const auto& text : texts)
            out << "        {" << Literal(text) << ", " << text.size() << "},\n";
        out << "    },\n";
    }
    if (rows.empty()) out << "    {},\n";
    out << "};\n\n}  // namespace m350::i18n_data\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool own = argc == 4 && std::string(argv[1]) == "--own";
    if (argc != 3 && !own) {
        std::cerr << "usage: embed_language_table [--own] <table.tsv> <out.cpp>\n";
        return 2;
    }
    const char* inPath = argv[own ? 2 : 1];
    const char* outPath = argv[own ? 3 : 2];
    std::ifstream in(inPath, std::ios::binary);
    if (!in) {
        std::cerr << "cannot open " << inPath << '\n';
        return 1;
    }
    std::ostringstream text;
    if (!(own ? GenerateOwn(in, text) : Generate(in, text))) return 1;
    // Written in one go after the whole table passed, so a failed run leaves
    // no half source behind.
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.close();
    if (!out) {
        std::cerr << "cannot write " << outPath << '\n';
        return 1;
    }
    return 0;
}
