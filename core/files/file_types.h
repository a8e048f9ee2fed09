// SPDX-License-Identifier: MIT
// The kinds of file the file manager sends to the printer, the memory devices
// they go to, and the rule that turns a local file name into the short name
// the printer stores the file under.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace m350 {

// Item index of the file type list; the order is the operator's.
enum FileType : int {
    kFileBmp = 0,
    kFilePcx = 1,
    kFileTrueType = 2,
    kFileBitmapFont = 3,
    kFileBasic = 4,
    kFileData = 5,
    kFileFirmware = 6,
    kFileTcf = 7,
    kFileTypeCount = 8,
};

struct FileTypeInfo {
    const char* item;       // "BMP", "True Type Font" ...
    const char* extension;  // appended to the printer file name: ".BMP", or ""
    const char* pattern;    // what the open dialog lists: "BMP", or "" for every file
    bool raw;               // firmware and TCF files go to the printer unchanged
};

// The row of a type; an index outside the list gives the Data File row.
const FileTypeInfo& fileTypeInfo(int type);

// Memory devices, by item index of the device lists.
enum MemoryDevice : int { kDeviceDram = 0, kDeviceFlash = 1, kDeviceCard = 2, kDeviceCount = 3 };

// What names the device in DOWNLOAD and KILL: "", "F," or "E,".
std::string_view devicePrefix(int device);
// What names it in the report keys: 'D', 'F' or 'C'.
char deviceLetter(int device);
// "DRAM", "FLASH", "CARD".
std::string_view deviceName(int device);

// The printer file name of a local file: the file name without folder and
// extension, cut to 8 characters (never inside a UTF-8 sequence), then the
// type's extension. Company_Logo.bmp as BMP gives Company_.BMP.
std::string printerFileName(std::string_view localPath, int type);

// The longest printer file name the printer takes, in bytes.
inline constexpr std::size_t kMaxPrinterFileName = 30;

// Why a printer file name cannot be sent or stored: the printer's file system
// keeps names of at most kMaxPrinterFileName bytes, without wildcards or
// folders, and the name goes inside the quotes of a command.
enum class NameProblem {
    kNone,
    kEmpty,
    kTooLong,          // more than kMaxPrinterFileName bytes
    kUnsafeCharacter,  // a double quote or a control byte (findUnquotableByte): it
                       // would end the quoted name and turn the rest into commands
    kWildcard,         // '*' or '?': a name that stands for other files (KILL "*.*")
    kSeparator,        // '/' or '\\': the printer has no folders
    kBlank,            // blank, or beginning or ending with a blank
};
NameProblem checkPrinterFileName(std::string_view name);

// The rule a name breaks, as an English sentence for messages ("A printer file
// name has at most 30 characters."); empty for kNone.
std::string nameRuleText(NameProblem problem);

// The largest file a DOWNLOAD header can announce: its size field is a 32-bit
// count of bytes.
inline constexpr std::uint64_t kMaxDownloadSize = 0xFFFFFFFFull;

// What a download is checked for before any work or password gate, in the
// window and in m350ctl alike: the printer file name and the file's size. A
// raw send (firmware, TCF) uses no name: only the length rule applies to it,
// and no size limit.
struct DownloadVerdict {
    NameProblem name = NameProblem::kNone;
    bool tooLarge = false;
    bool ok() const { return name == NameProblem::kNone && !tooLarge; }
};
DownloadVerdict checkDownload(std::string_view name, std::uint64_t size, bool raw);

}  // namespace m350
