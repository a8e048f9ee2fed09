// Declarations of the operation bodies that live in the subsystem folders.
// Each takes the context, the interface index, the operation's buffer and the
// extra argument, and returns a result code. The entry's table refers to them.
#pragma once

#include "core/link/link_context.h"

namespace m350 {

// link/
int connectionTestOperation(LinkContext& ctx, int iface, void* buffer, int extra);     // 21
int emulationSwitchOperation(LinkContext& ctx, int iface, void* buffer, int extra);    // 30
// printer/
int statusOperation(LinkContext& ctx, int iface, void* buffer, int extra);             // 0
int factoryDefaultOperation(LinkContext& ctx, int iface, void* buffer, int extra);     // 5
int selfTestOperation(LinkContext& ctx, int iface, void* buffer, int extra);           // 7
int resetOperation(LinkContext& ctx, int iface, void* buffer, int extra);              // 11
int ignoreAutoOperation(LinkContext& ctx, int iface, void* buffer, int extra);         // 17
int exitLineModeOperation(LinkContext& ctx, int iface, void* buffer, int extra);       // 25
// printer/config/
int readConfigOperation(LinkContext& ctx, int iface, void* buffer, int extra);         // 1
int writeConfigOperation(LinkContext& ctx, int iface, void* buffer, int extra);        // 4
// access/
int readPasswordOperation(LinkContext& ctx, int iface, void* buffer, int extra);       // 2
int setPasswordOperation(LinkContext& ctx, int iface, void* buffer, int extra);        // 3
// wireless/
int wirelessDefaultOperation(LinkContext& ctx, int iface, void* buffer, int extra);     // 33
// files/
int rawSendOperation(LinkContext& ctx, int iface, void* buffer, int extra);            // 14

}  // namespace m350
