// One-shot maintenance commands: a fixed request, no reply.
#include <string_view>

#include "core/link/link_operations.h"
#include "core/link/operation_bodies.h"

namespace m350 {

namespace {
int send(LinkContext& ctx, int iface, std::string_view request) {
    return sendCommandOperation(ctx, iface, request.data(), request.size());
}
}  // namespace

int factoryDefaultOperation(LinkContext& ctx, int iface, void*, int) {
    return send(ctx, iface, "INITIALPRINTER\r\n");
}
int selfTestOperation(LinkContext& ctx, int iface, void*, int) { return send(ctx, iface, "SELFTEST\r\n"); }
int resetOperation(LinkContext& ctx, int iface, void*, int) { return send(ctx, iface, "\x1B!R"); }
int ignoreAutoOperation(LinkContext& ctx, int iface, void*, int) { return send(ctx, iface, "\x1B!C"); }
int exitLineModeOperation(LinkContext& ctx, int iface, void*, int) {
    return send(ctx, iface, "\x1BZ\r\n");
}

}  // namespace m350
