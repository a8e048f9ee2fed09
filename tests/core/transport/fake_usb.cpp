// SPDX-License-Identifier: MIT
#include "fake_usb.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace m350test {

namespace {

class FakeHandle final : public m350::UsbDeviceHandle {
  public:
    explicit FakeHandle(std::shared_ptr<FakeUsbDevice> d) : d_(std::move(d)) {
        d_->events.push_back("open");
    }
    ~FakeHandle() override {
        if (claimed_ >= 0) d_->events.push_back("release " + std::to_string(claimed_));
        if (detached_ >= 0) {
            d_->events.push_back("attach " + std::to_string(detached_));
            d_->kernelDriverBound = true;
        }
        d_->events.push_back("close");
    }

    bool claim(int number, int) override {
        if (d_->unplugged) return false;
        if (d_->kernelDriverBound) {
            d_->events.push_back("detach " + std::to_string(number));
            d_->kernelDriverBound = false;
            detached_ = number;
        }
        if (d_->interfaceBusy) return false;
        d_->events.push_back("claim " + std::to_string(number));
        claimed_ = number;
        return true;
    }

    bool submit(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length) override {
        if (running_ || length > m350::kUsbTransferSize) return false;
        running_ = true;
        in_ = (endpoint & 0x80) != 0;
        length_ = length;
        if (!in_) out_.assign(reinterpret_cast<const char*>(data), length);
        return true;
    }

    m350::UsbTransferState wait(int ms) override {
        ++d_->waits;
        if (!running_) return m350::UsbTransferState::kFailed;
        if (d_->unplugged) {
            running_ = false;
            return m350::UsbTransferState::kGone;
        }
        if (!in_ && !d_->stallWrites) {
            d_->chunks.push_back(out_);
            actual_ = out_.size();
            running_ = false;
            return m350::UsbTransferState::kDone;
        }
        if (in_ && !d_->replies.empty()) {
            ++d_->inTransfers;
            std::string& front = d_->replies.front();
            actual_ = std::min(front.size(), length_);
            std::memcpy(inData_, front.data(), actual_);
            front.erase(0, actual_);
            if (front.empty()) d_->replies.pop_front();
            running_ = false;
            return m350::UsbTransferState::kDone;
        }
        // Nothing happens on the bus: the time passes.
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return m350::UsbTransferState::kPending;
    }

    std::size_t result(std::uint8_t* dst, std::size_t cap) override {
        if (!in_ || !dst) return actual_;
        std::size_t n = std::min(actual_, cap);
        std::memcpy(dst, inData_, n);
        return n;
    }

    void cancel() override {
        if (!running_) return;
        d_->events.push_back("cancel");
        running_ = false;
        actual_ = 0;
    }

  private:
    std::shared_ptr<FakeUsbDevice> d_;
    int claimed_ = -1;
    int detached_ = -1;
    bool running_ = false;
    bool in_ = false;
    std::size_t length_ = 0;
    std::size_t actual_ = 0;
    std::string out_;
    std::uint8_t inData_[m350::kUsbTransferSize] = {};
};

}  // namespace

std::shared_ptr<FakeUsbDevice> makeFakePrinter(std::uint16_t vendor, std::uint16_t product) {
    auto d = std::make_shared<FakeUsbDevice>();
    d->description.vendorId = vendor;
    d->description.productId = product;
    m350::UsbInterfaceDescription itf;
    itf.number = 0;
    itf.interfaceClass = m350::kUsbPrinterClass;
    itf.bulkOut = 0x01;
    itf.bulkIn = 0x82;
    d->description.interfaces.push_back(itf);
    return d;
}

std::vector<m350::UsbDeviceDescription> FakeUsbBackend::devices() {
    listed_.clear();
    std::vector<m350::UsbDeviceDescription> out;
    for (const auto& d : bus) {
        if (d->unplugged) continue;
        out.push_back(d->description);
        out.back().token = listed_.size();
        listed_.push_back(d);
    }
    return out;
}

std::unique_ptr<m350::UsbDeviceHandle> FakeUsbBackend::open(
    const m350::UsbDeviceDescription& device) {
    if (device.token >= listed_.size()) return nullptr;
    auto& d = listed_[device.token];
    openError_ = d->unplugged ? ENODEV : d->accessDenied ? EACCES : 0;
    if (openError_ != 0) return nullptr;
    return std::make_unique<FakeHandle>(d);
}

}  // namespace m350test
