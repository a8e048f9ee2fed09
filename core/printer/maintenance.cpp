// One-shot maintenance commands: a fixed request, no reply.
#include <string_view>

#include "core/link/link_operations.h"
#include "core/link/operation_bodies.h"

namespace m350 {

namespace {
int Send(LinkContext& ctx, int iface, std::string_view request) {
    return SendCommandOperation(ctx, iface, request.data(), request.size());
}
}  // namespace

int FactoryDefaultOperation(LinkContext& ctx, int iface, void*, int) {
    return Send(ctx, iface, "INITIALPRINTER\r\n");
}
int SelfTestOperation(LinkContext& ctx, int iface, void*, int) { return Send(ctx, iface, "SELFTEST\r\n"); }
int ResetOperation(LinkContext& ctx, int iface, void*, int) { return Send(ctx, iface, "\x1B!R"); }
int IgnoreAutoOperation(LinkContext& ctx, int iface, void*, int) { return Send(ctx, iface, "\x1B!C"); }
int ExitLineModeOperation(LinkContext& ctx, int iface, void*, int) {
    return Send(ctx, iface, "\x1BZ\r\n");
}

}  // namespace m350
