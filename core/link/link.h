// SPDX-License-Identifier: MIT
// What a typed link operation runs on: the context (port settings, progress,
// pauses, time limits) and the interface index chosen by the operator.
#pragma once

#include "core/link/link_context.h"

namespace m350 {

struct Link {
    LinkContext& ctx;
    int iface;
};

}  // namespace m350
