#include "core/files/font_download.h"

#include <fstream>
#include <iterator>

#include "core/link/connection.h"
#include "core/link/link_operations.h"

namespace m350 {

std::string downloadHeader(int device, const std::string& name, std::size_t size) {
    const char* prefix = device == kFlash ? "F," : device == kCard ? "E," : "";
    return "DOWNLOAD " + std::string(prefix) + "\"" + name + "\"," + std::to_string(size) + ",";
}

int downloadFontFile(Link& link, const std::string& path, const std::string& name, int device) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return kFileOpenError;
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return kFileOpenError;
    Connection c(link.ctx, link.iface);
    if (!c.open()) return kPortOpenError;
    if (!c.write(downloadHeader(device, name, data.size()))) return kTransmitError;
    showProgress(link.ctx, kPercentMode, 3, 3);
    const bool ok = c.write(data);
    hideProgress(link.ctx);
    return ok ? kOk : kTransmitError;
}

}  // namespace m350
