// USB port: not reachable yet; every open fails, so operations on USB report
// "Port Open Error".
#include "link/Port.h"

namespace m350 {

namespace {
class UsbPort final : public Port {
public:
    bool open() override { return false; }
    void close() override {}
    std::size_t chunkSize() const override { return 64; }
    bool writeChunk(const std::uint8_t*, std::size_t) override { return false; }
    std::size_t refill(std::uint8_t*, std::size_t) override { return 0; }
};
}  // namespace

std::unique_ptr<Port> MakeUsbPort(LinkContext&) { return std::make_unique<UsbPort>(); }

}  // namespace m350
