// Declarations of the operation bodies that live in the subsystem folders.
// Each takes the context, the interface index, the operation's buffer and the
// extra argument, and returns a result code. The entry's table refers to them.
#pragma once

#include "core/link/link_context.h"

namespace m350 {

// link/
int ConnectionTestOperation(LinkContext& ctx, int iface, void* buffer, int extra);     // 21
int EmulationSwitchOperation(LinkContext& ctx, int iface, void* buffer, int extra);    // 30
// printer/
int StatusOperation(LinkContext& ctx, int iface, void* buffer, int extra);             // 0
int FactoryDefaultOperation(LinkContext& ctx, int iface, void* buffer, int extra);     // 5
int SelfTestOperation(LinkContext& ctx, int iface, void* buffer, int extra);           // 7
int ResetOperation(LinkContext& ctx, int iface, void* buffer, int extra);              // 11
int IgnoreAutoOperation(LinkContext& ctx, int iface, void* buffer, int extra);         // 17
int ExitLineModeOperation(LinkContext& ctx, int iface, void* buffer, int extra);       // 25
// printer/config/
int ReadConfigOperation(LinkContext& ctx, int iface, void* buffer, int extra);         // 1
int WriteConfigOperation(LinkContext& ctx, int iface, void* buffer, int extra);        // 4
// access/
int ReadPasswordOperation(LinkContext& ctx, int iface, void* buffer, int extra);       // 2
int SetPasswordOperation(LinkContext& ctx, int iface, void* buffer, int extra);        // 3
// wireless/
int WirelessDefaultOperation(LinkContext& ctx, int iface, void* buffer, int extra);     // 33
// files/
int RawSendOperation(LinkContext& ctx, int iface, void* buffer, int extra);            // 14

}  // namespace m350
