// SPDX-License-Identifier: MIT
#include "core/files/file_download.h"

#include "core/files/file_source.h"
#include "core/files/file_types.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

namespace {

// Sends the open file after what the connection has already sent, inside the
// progress window in percent mode.
int streamFile(Link& link, Connection& c, FileSource& file) {
    showProgress(link.ctx, kPercentMode, 3, 3);
    const auto r = c.writeFrom(
        file.size(), [&file](std::uint8_t* dst, std::size_t cap) { return file.read(dst, cap); });
    hideProgress(link.ctx);
    switch (r) {
        case Connection::StreamResult::kOk:
            return kOk;
        case Connection::StreamResult::kSourceFailed:
            // The file shrank or could not be read while it went out; the
            // printer has seen fewer bytes than announced and the connection
            // closes on it.
            return kFileOpenError;
        default:
            return kTransmitError;
    }
}

}  // namespace

std::string downloadHeader(int device, std::string_view name, std::uint64_t size) {
    std::string h = "DOWNLOAD ";
    h += devicePrefix(device);
    h += '"';
    h += name;
    h += "\",";
    h += std::to_string(size);
    h += ',';
    return h;
}

int downloadFile(Link& link, const DownloadRequest& request) {
    // The callers word the verdict before they get here; a name the printer
    // cannot hold or a file too large to announce is never sent, whoever asks.
    FileSource file;
    if (!file.open(request.path) || !checkDownload(request.name, file.size(), false).ok())
        return kFileOpenError;
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (!c.write(downloadHeader(request.device, request.name, file.size()))) return kTransmitError;
    return streamFile(link, c, file);
}

int sendFileRaw(Link& link, const std::string& path) {
    FileSource file;
    if (!file.open(path)) return kFileOpenError;
    return sendFileRaw(link, file);
}

int sendFileRaw(Link& link, FileSource& file) {
    if (!file.isOpen()) return kFileOpenError;
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    return streamFile(link, c, file);
}

}  // namespace m350
