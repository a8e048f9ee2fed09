// SPDX-License-Identifier: MIT
#include "core/files/font_download.h"

#include "core/files/file_download.h"

namespace m350 {

int downloadFontFile(Link& link, const std::string& path, const std::string& name, int device) {
    return downloadFile(link, DownloadRequest{path, name, device});
}

}  // namespace m350
