// SPDX-License-Identifier: MIT
// Reading and writing the operator's own files: configuration files, fetched
// dumps, command texts, fonts, traces. Every file the programs save goes
// through writeFileAtomically, and every input file with a size that fits its
// purpose goes through readLocalFile, so a symbolic link, a device node, a FIFO
// or an endless file behaves the same everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace m350 {

// Writes bytes to path through a temporary file beside the target, fsync and
// rename. A symbolic link is followed and its target replaced (the link stays a
// link); a directory, device node, FIFO or socket at the path is refused and
// left alone. A replaced file keeps its mode, and its owner and group where the
// process may set them. On any failure the temporary file is removed and an
// existing file is untouched; why (when given) receives a sentence naming the
// file and the reason.
bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string* why = nullptr);
bool writeFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* why = nullptr);
// The temporary file is named after the target (cut where the name would be
// too long) with a dot and six letters or digits. SIGINT and SIGTERM remove it
// before the process ends (the handler is installed on the first save unless
// the program handles those signals itself); a save also removes temporary
// files of its own pattern older than a minute, which a killed save left.

// Removes the temporary files of saves in progress; async-signal-safe, for a
// program's own SIGINT or SIGTERM handler.
void removeTemporaryFilesNow();

// Opens a file that is written as the program runs (a trace), truncated, for
// appending, and returns its descriptor (close-on-exec), or -1 with a sentence
// in why. The same rules as writeFileAtomically: links are followed, and a
// directory, device node, FIFO or socket at the path is refused without being
// opened for writing. A new file gets the usual mode under the umask.
int openLocalOutputFile(const std::string& path, std::string* why = nullptr);

// Reads a whole regular file of at most maxBytes. A FIFO, device node, socket
// or directory is refused without being opened for reading (so nothing blocks
// and /dev/zero is never read), and so is a larger file. False with a sentence
// naming the file and the reason in why.
// kReadHead reads the first maxBytes of a longer regular file instead.
enum class LongerFile { kRefuse, kReadHead };
bool readLocalFile(const std::string& path, std::size_t maxBytes, std::string& data,
                   std::string& why, LongerFile longer = LongerFile::kRefuse);

// Opens a regular file of at most maxBytes to be read in blocks, with the same
// refusals and messages as readLocalFile but reading nothing: a file of any
// size is then sent with one block in memory. Returns the descriptor
// (close-on-exec, the caller closes it), or -1 with the reason in why.
int openLocalFile(const std::string& path, std::size_t maxBytes, std::string& why);

// The same for an open descriptor (standard input): a regular file is used
// where it stands (its rest must hold at most maxBytes); anything else (a pipe)
// is copied into an unnamed temporary file first, refused past maxBytes, so
// the caller still holds one block in memory and knows the size before it
// sends anything. Returns a descriptor of the caller's own, or -1 with why.
int openLocalDescriptor(int fd, const std::string& name, std::size_t maxBytes, std::string& why);

// The same for an open descriptor (standard input): regular files and pipes are
// read up to maxBytes + 1 to tell a file that is too long.
bool readLocalDescriptor(int fd, const std::string& name, std::size_t maxBytes, std::string& data,
                         std::string& why);

}  // namespace m350
