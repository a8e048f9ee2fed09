// SPDX-License-Identifier: MIT
// Link operation 14: the caller's bytes as they are, with the progress window
// following the write in percent mode.
#pragma once

#include <string_view>

#include "core/link/link.h"

namespace m350 {

// kOk, kPortOpenError or kTransmitError. Nothing is sent but the bytes.
int sendRaw(Link& link, std::string_view bytes);

}  // namespace m350
