#include "session.h"

#include <cctype>
#include <cstdlib>

#include "commands.h"

namespace m350sim {

namespace {

constexpr char kEsc = 0x1B;

std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trimmed(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

bool parseFault(std::string_view text, Fault& out) {
    std::string t(text);
    std::string mode = t, rest;
    auto colon = t.find(':');
    if (colon != std::string::npos) {
        mode = t.substr(0, colon);
        rest = t.substr(colon + 1);
    }
    Fault f;
    if (mode == "silent") f.mode = FaultMode::Silent;
    else if (mode == "broken-frame") f.mode = FaultMode::BrokenFrame;
    else if (mode == "drop") f.mode = FaultMode::Drop;
    else if (mode == "empty") f.mode = FaultMode::Empty;
    else if (mode == "garbage") f.mode = FaultMode::Garbage;
    else if (mode == "slow") {
        f.mode = FaultMode::Slow;
        auto c2 = rest.find(':');
        std::string ms = rest.substr(0, c2);
        if (ms.empty() || ms.find_first_not_of("0123456789") != std::string::npos || ms.size() > 7)
            return false;
        f.delayMs = std::atoi(ms.c_str());
        rest = c2 == std::string::npos ? std::string() : rest.substr(c2 + 1);
    } else {
        return false;
    }
    if (colon != std::string::npos && f.mode != FaultMode::Slow && rest.empty()) return false;
    f.target = rest;
    out = f;
    return true;
}

Session::Session(Printer& printer, const std::vector<Fault>& faults, bool writable)
    : printer_(printer), faults_(faults), writable_(writable) {}

const Fault* Session::faultFor(const std::string& target) const {
    for (const auto& f : faults_)
        if (f.target == target) return &f;
    for (const auto& f : faults_)
        if (f.target.empty()) return &f;
    return nullptr;
}

void Session::answer(const std::string& target, std::string bytes, bool framed,
                     std::vector<Action>& out) {
    const Fault* f = faultFor(target);
    if (!f) {
        if (writable_) out.push_back(Action{0, std::move(bytes), false});
        return;
    }
    printer_.note("FAULT " + target);
    switch (f->mode) {
        case FaultMode::Silent:
            return;
        case FaultMode::Drop:
            finished_ = true;
            out.push_back(Action{0, {}, true});
            return;
        case FaultMode::Slow:
            if (writable_) out.push_back(Action{f->delayMs, std::move(bytes), false});
            return;
        case FaultMode::Empty:
            bytes = framed ? "{0|}" : std::string();
            break;
        case FaultMode::BrokenFrame:
            // A frame that announces five bytes and delivers two; byte answers are cut.
            bytes = framed ? "{5|ab" : bytes.substr(0, bytes.size() / 2);
            break;
        case FaultMode::Garbage:
            bytes = framed ? "{x|}" : bytes.substr(0, bytes.size() / 2);
            break;
    }
    if (writable_ && !bytes.empty()) out.push_back(Action{0, std::move(bytes), false});
}

void Session::frame(const std::string& target, const std::string& payload,
                    std::vector<Action>& out) {
    answer(target, "{" + std::to_string(payload.size()) + "|" + payload + "}", true, out);
}

std::vector<Action> Session::feed(std::string_view chunk) {
    std::vector<Action> out;
    for (std::size_t i = 0; i < chunk.size() && !finished_; ++i) {
        char c = chunk[i];

        if (binaryLeft_ > 0) {
            std::size_t n = std::min(binaryLeft_, chunk.size() - i);
            if (binaryHead_.size() < kKeptFileBytes)
                binaryHead_.append(chunk.substr(i, std::min(n, kKeptFileBytes - binaryHead_.size())));
            binaryLeft_ -= n;
            i += n - 1;
            if (binaryLeft_ == 0) {
                if (binaryDevice_ >= '1' && binaryDevice_ <= '3') {
                    static const char* keys[] = {"WIFICACERT", "WIFICLTCERT", "WIFIPRIVKEY"};
                    printer_.set(keys[binaryDevice_ - '1'], binaryName_);
                    printer_.storeFile('W', binaryName_, binarySize_, std::move(binaryHead_));
                } else {
                    printer_.storeFile(binaryDevice_, binaryName_, binarySize_, std::move(binaryHead_));
                }
                binaryHead_.clear();
            }
            continue;
        }

        if (skipCrLf_ > 0) {
            if (c == '\r' && skipCrLf_ == 2) {
                skipCrLf_ = 1;
                continue;
            }
            skipCrLf_ = 0;
            if (c == '\n') {
                if (escZPending_) {
                    // ESC Z CR LF leaves line mode; it is no emulation switch.
                    printer_.emulation = prevEmulation_;
                    printer_.note("EXIT LINE MODE");
                }
                escZPending_ = false;
                continue;
            }
            escZPending_ = false;
        }

        if (!esc_.empty()) {
            esc_.push_back(c);
            handleEscape(out);
            continue;
        }

        if (c == kEsc) {
            if (!line_.empty()) printer_.note("FRAGMENT " + line_);
            line_.clear();
            overlong_ = false;
            esc_.push_back(c);
            continue;
        }

        if (c == '\n') {
            if (!overlong_) handleLine(std::move(line_), out);
            line_.clear();
            overlong_ = false;
            continue;
        }
        if (overlong_) continue;
        line_.push_back(c);
        if (line_.size() > kMaxLine) {
            printer_.note("OVERLONG LINE");
            line_.clear();
            overlong_ = true;
        } else if (c == ',' && tryStartBinary()) {
            line_.clear();
        }
    }
    return out;
}

void Session::handleEscape(std::vector<Action>& out) {
    // esc_ holds ESC and what followed it so far.
    const char second = esc_[1];
    if (esc_.size() == 2) {
        if (second == '!') return;  // one more byte to come
        if (second == 'Y') {
            printer_.emulation = "Y";
            printer_.note("ESC Y");
        } else if (second == 'Z') {
            prevEmulation_ = printer_.emulation;
            printer_.emulation = "Z";
            printer_.note("ESC Z");
            escZPending_ = true;
            skipCrLf_ = 2;
        } else {
            printer_.note("UNKNOWN ESCAPE");
        }
        esc_.clear();
        return;
    }
    const char third = esc_[2];
    esc_.clear();
    switch (third) {
        case '?':
            printer_.note("ESC !?");
            answer("status", std::string(1, static_cast<char>(printer_.statusByte)), false, out);
            break;
        case 'S':
            printer_.note("ESC !S");
            answer("ext-status",
                   std::string(reinterpret_cast<const char*>(printer_.extStatus.data()),
                               printer_.extStatus.size()),
                   false, out);
            skipCrLf_ = 2;
            break;
        case 'R':
            printer_.note("ESC !R");
            break;
        case 'C':
            printer_.note("ESC !C");
            break;
        default:
            printer_.note("UNKNOWN ESCAPE");
            break;
    }
}

bool Session::tryStartBinary() {
    // DOWNLOAD [F,|E,]"NAME",SIZE,   and   DLCERT N,"NAME",SIZE,
    // are followed at once by SIZE bytes of file, without a line end.
    std::size_t pos;
    char device;
    if (startsWith(line_, "DOWNLOAD ")) {
        pos = 9;
        device = 'D';
        if (line_.compare(pos, 2, "F,") == 0) device = 'F', pos += 2;
        else if (line_.compare(pos, 2, "E,") == 0) device = 'C', pos += 2;
    } else if (startsWith(line_, "DLCERT ") && line_.size() > 9 && line_[7] >= '1' &&
               line_[7] <= '3' && line_[8] == ',') {
        device = line_[7];
        pos = 9;
    } else {
        return false;
    }
    if (pos >= line_.size() || line_[pos] != '"') return false;
    std::size_t close = line_.find('"', pos + 1);
    if (close == std::string::npos || close + 1 >= line_.size() || line_[close + 1] != ',')
        return false;
    std::string digits = line_.substr(close + 2, line_.size() - close - 3);
    if (digits.empty() || digits.size() > 10 || line_.back() != ',' ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    binaryName_ = line_.substr(pos + 1, close - pos - 1);
    binarySize_ = std::strtoull(digits.c_str(), nullptr, 10);
    binaryDevice_ = device;
    binaryHead_.clear();
    printer_.note(std::string(device >= '1' && device <= '3' ? "DLCERT " : "DOWNLOAD ") + device +
                  " " + binaryName_ + " " + digits);
    if (binarySize_ == 0) {
        if (device >= '1' && device <= '3') {
            static const char* keys[] = {"WIFICACERT", "WIFICLTCERT", "WIFIPRIVKEY"};
            printer_.set(keys[device - '1'], binaryName_);
        } else {
            printer_.storeFile(device, binaryName_, 0, {});
        }
    }
    binaryLeft_ = binarySize_;
    return true;
}

void Session::handleLine(std::string line, std::vector<Action>& out) {
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return;
    const std::string up = upper(line);

    if (startsWith(up, "DIAGNOSTIC REPORT ")) {
        std::string key = trimmed(up.substr(18));
        printer_.note("REPORT " + key);
        if (auto list = printer_.reportList(key)) {
            std::string bytes;
            for (const auto& name : *list)
                bytes += "{" + std::to_string(name.size()) + "|" + name + "}";
            bytes += "{0|}";
            answer(key, std::move(bytes), true, out);
            return;
        }
        frame(key, printer_.report(key).value_or(std::string()), out);
        return;
    }
    if (startsWith(up, "DIAGNOSTIC INTERFACE ")) {
        std::string name = trimmed(up.substr(21));
        printer_.set("_INTERFACE", name);
        printer_.note("INTERFACE " + name);
        frame("INTERFACE", name, out);
        return;
    }
    if (startsWith(up, "DIAGNOSTIC PASSWORD")) {
        auto args = splitArgs(line.substr(19));
        printer_.set("PASSWORD", args.empty() ? std::string() : args[0]);
        printer_.note("PASSWORD SET");
        frame("PASSWORDSET", "", out);
        return;
    }
    if (trimmed(up) == "OUT _SERIAL$") {
        printer_.note("OUT _SERIAL$");
        answer("SERIAL", printer_.serial() + "\r\n", false, out);
        return;
    }
    if (printer_.applyLine(line)) {
        printer_.note("COMMAND " + line);
    } else {
        printer_.note("UNKNOWN " + line);
    }
}

}  // namespace m350sim
