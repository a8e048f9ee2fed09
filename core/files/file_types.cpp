// SPDX-License-Identifier: MIT
#include "core/files/file_types.h"

#include <array>

#include "core/input/input_checks.h"

namespace m350 {

namespace {

constexpr std::array<FileTypeInfo, kFileTypeCount> kTypes = {{
    {"BMP", ".BMP", "BMP", false},
    {"PCX", ".PCX", "PCX", false},
    {"True Type Font", ".TTF", "TTF", false},
    {"Bitmap Font", "", "", false},
    {"Printer BASIC File", ".BAS", "BAS", false},
    {"Data File", "", "", false},
    {"Firmware File", "", "NEW", true},
    {"TCF File", "", "TCF", true},
}};

constexpr std::size_t kBaseNameLimit = 8;

bool isContinuationByte(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

}  // namespace

const FileTypeInfo& fileTypeInfo(int type) {
    if (type < 0 || type >= kFileTypeCount) return kTypes[kFileData];
    return kTypes[static_cast<std::size_t>(type)];
}

std::string_view devicePrefix(int device) {
    switch (device) {
        case kDeviceFlash:
            return "F,";
        case kDeviceCard:
            return "E,";
        default:
            return "";
    }
}

char deviceLetter(int device) {
    switch (device) {
        case kDeviceFlash:
            return 'F';
        case kDeviceCard:
            return 'C';
        default:
            return 'D';
    }
}

std::string_view deviceName(int device) {
    switch (device) {
        case kDeviceFlash:
            return "FLASH";
        case kDeviceCard:
            return "CARD";
        default:
            return "DRAM";
    }
}

std::string printerFileName(std::string_view localPath, int type) {
    std::string_view name = localPath;
    if (auto slash = name.rfind('/'); slash != std::string_view::npos)
        name = name.substr(slash + 1);
    if (auto dot = name.rfind('.'); dot != std::string_view::npos) name = name.substr(0, dot);
    // Eight characters: count the lead bytes, so a name in UTF-8 is never cut
    // in the middle of one.
    std::size_t end = 0, characters = 0;
    while (end < name.size()) {
        if (!isContinuationByte(static_cast<unsigned char>(name[end]))) {
            if (characters == kBaseNameLimit) break;
            ++characters;
        }
        ++end;
    }
    std::string out(name.substr(0, end));
    out += fileTypeInfo(type).extension;
    return out;
}

NameProblem checkPrinterFileName(std::string_view name) {
    if (name.empty()) return NameProblem::kEmpty;
    if (name.size() > kMaxPrinterFileName) return NameProblem::kTooLong;
    if (!quotable(name)) return NameProblem::kUnsafeCharacter;
    if (name.find_first_of("*?") != std::string_view::npos) return NameProblem::kWildcard;
    if (name.find_first_of("/\\") != std::string_view::npos) return NameProblem::kSeparator;
    if (name.front() == ' ' || name.back() == ' ') return NameProblem::kBlank;
    return NameProblem::kNone;
}

std::string nameRuleText(NameProblem problem) {
    switch (problem) {
        case NameProblem::kEmpty:
            return "A printer file name cannot be empty.";
        case NameProblem::kTooLong:
            return "A printer file name has at most " + std::to_string(kMaxPrinterFileName) +
                   " characters.";
        case NameProblem::kUnsafeCharacter:
            return "A printer file name cannot hold a double quote or a control character.";
        case NameProblem::kWildcard:
            return "A printer file name cannot hold the wildcards * and ?.";
        case NameProblem::kSeparator:
            return "A printer file name cannot hold the path separators slash and backslash.";
        case NameProblem::kBlank:
            return "A printer file name cannot be blank or begin or end with a blank.";
        case NameProblem::kNone:
            break;
    }
    return {};
}

DownloadVerdict checkDownload(std::string_view name, std::uint64_t size, bool raw) {
    DownloadVerdict v;
    const NameProblem problem = checkPrinterFileName(name);
    v.name = !raw || problem == NameProblem::kTooLong ? problem : NameProblem::kNone;
    v.tooLarge = !raw && size > kMaxDownloadSize;
    return v;
}

}  // namespace m350
