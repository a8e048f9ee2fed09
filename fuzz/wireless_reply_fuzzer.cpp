// SPDX-License-Identifier: MIT
// Whatever a printer or its external module sends, the scan parsers, the
// module name read and the module exchange end in a result, never a fault,
// and keep to their bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/link/link_operations.h"
#include "core/wireless/external_module.h"
#include "core/wireless/wireless_scan.h"
#include "support/scripted_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    m350::AccessPointScan aps;
    m350::parseAccessPointScan(bytes, aps);
    if (aps.entries.size() > m350::kMaxScanEntries) std::abort();
    (void)m350::accessPointRows(aps);
    m350::BluetoothScan devices;
    m350::parseBluetoothScan(bytes, devices);
    if (devices.entries.size() > m350::kMaxScanEntries) std::abort();
    (void)m350::parseModuleName(bytes);

    m350test::ScriptedLink link({std::string(bytes)});
    link.conn().close();
    link.ctx().timeouts.moduleReadMs = 1;
    m350::Link l{link.ctx(), m350::kCom};
    std::string collected;
    m350::moduleExchange(l, "AT+GLN\r", std::string_view("\r\n1\r\n"), &collected);
    if (collected.size() > m350::kModuleCollectionBytes) std::abort();
    return 0;
}
