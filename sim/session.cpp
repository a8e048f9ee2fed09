// SPDX-License-Identifier: MIT
#include "session.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "commands.h"

namespace m350::sim {

namespace {

constexpr char kEsc = 0x1B;

std::string upperCase(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trimmed(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// Control bytes that no request of the command language holds: TAB, LF, CR and
// ESC are its own, STX opens the D emulation's lines, DLE and RS wrap the Z
// emulation's.
bool isFirmwareByte(unsigned char c) {
    switch (c) {
        case '\t':
        case '\n':
        case '\r':
        case 0x02:
        case 0x10:
        case 0x1B:
        case 0x1E:
            return false;
        default:
            return c < 0x20 || c == 0x7F;
    }
}

std::string crcText(std::uint32_t crc) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", crc);
    return buf;
}

std::string storedEvent(char device, const std::string& name, std::size_t size, std::uint32_t crc) {
    return std::string("stored ") + device + ":" + name + " " + std::to_string(size) +
           " bytes crc32 " + crcText(crc);
}

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
    if (mode == "silent")
        f.mode = FaultMode::Silent;
    else if (mode == "broken-frame")
        f.mode = FaultMode::BrokenFrame;
    else if (mode == "drop")
        f.mode = FaultMode::Drop;
    else if (mode == "empty")
        f.mode = FaultMode::Empty;
    else if (mode == "garbage")
        f.mode = FaultMode::Garbage;
    else if (mode == "slow" || mode == "trickle" || mode == "steady" || mode == "stream") {
        // steady is trickle by the name of what it is: the whole valid reply,
        // a byte at a time.
        f.mode = mode == "slow"                          ? FaultMode::Slow
                 : mode == "trickle" || mode == "steady" ? FaultMode::Trickle
                                                         : FaultMode::Stream;
        auto c2 = rest.find(':');
        std::string ms = rest.substr(0, c2);
        const bool numeric = !ms.empty() && ms.find_first_not_of("0123456789") == std::string::npos;
        if (numeric) {
            if (ms.size() > 7) return false;
            f.delayMs = std::atoi(ms.c_str());
            rest = c2 == std::string::npos ? std::string() : rest.substr(c2 + 1);
        } else if (f.mode != FaultMode::Stream) {
            return false;  // slow and trickle need their milliseconds
        }
    } else {
        return false;
    }
    const bool timed =
        f.mode == FaultMode::Slow || f.mode == FaultMode::Trickle || f.mode == FaultMode::Stream;
    if (colon != std::string::npos && !timed && rest.empty()) return false;
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
        case FaultMode::Trickle:
            // The answer, one byte at a time.
            if (writable_)
                for (char b : bytes) out.push_back(Action{f->delayMs, std::string(1, b), false});
            return;
        case FaultMode::Stream:
            // Never an answer: bytes without an opening brace, without end. As
            // fast as the host takes them, or one every delayMs.
            if (writable_) {
                std::string unit = "STREAM\r\n";
                if (f->delayMs > 0) {
                    unit = ".";
                } else {
                    for (int i = 0; i < 6; ++i) unit += unit;  // 512 bytes at a time
                }
                out.push_back(Action{f->delayMs, std::move(unit), false, true});
            }
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
        if (firmware_) {
            takeFirmware(chunk.substr(i));
            break;
        }
        char c = chunk[i];

        if (dumpPrint_) break;  // everything that follows is printed as text

        if (!recognised_ && binaryLeft_ == 0 && probe_.size() < kFirmwareProbe) {
            probe_.push_back(c);
            if (isFirmwareByte(static_cast<unsigned char>(c))) {
                // Not the command language: a firmware image, from its first byte.
                firmware_ = true;
                printer_.note("FIRMWARE");
                line_.clear();
                esc_.clear();
                takeFirmware(probe_);
                probe_.clear();
                probe_.shrink_to_fit();
                takeFirmware(chunk.substr(i + 1));
                break;
            }
        }

        if (binaryLeft_ > 0) {
            std::size_t n = std::min(binaryLeft_, chunk.size() - i);
            if (binaryAppend_) {
                printer_.appendFile(binaryDevice_, binaryName_, chunk.substr(i, n));
                binaryLeft_ -= n;
                i += n - 1;
                continue;
            }
            const std::size_t keep = Printer::kKeptFileBytes;
            if (binaryHead_.size() < keep)
                binaryHead_.append(chunk.substr(i, std::min(n, keep - binaryHead_.size())));
            binaryCrc_ = crc32Update(binaryCrc_, chunk.substr(i, n));
            binaryLeft_ -= n;
            i += n - 1;
            if (binaryLeft_ == 0) {
                if (binaryDevice_ >= '1' && binaryDevice_ <= '3') {
                    static const char* keys[] = {"WIFICACERT", "WIFICLTCERT", "WIFIPRIVKEY"};
                    printer_.set(keys[binaryDevice_ - '1'], binaryName_);
                    printer_.storeFile('W', binaryName_, binarySize_, std::move(binaryHead_));
                } else {
                    printer_.storeFile(binaryDevice_, binaryName_, binarySize_,
                                       std::move(binaryHead_), binaryCrc_);
                    printer_.event(
                        storedEvent(binaryDevice_, binaryName_, binarySize_, binaryCrc_));
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
                if (escZPending_ && printer_.escZCrLfRestores) {
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

        if (c == '\r' && printer_.moduleMode && !overlong_) {
            // In pass-through mode a CR ends a command: the module's AT commands
            // have no LF.
            moduleCommand(out);
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
        } else if (c == ',' && (tryStartBinary() || tryStartDump())) {
            recognised_ = true;
            line_.clear();
        }
    }
    return out;
}

void Session::takeFirmware(std::string_view bytes) {
    image_.size += bytes.size();
    image_.crc32 = crc32Update(image_.crc32, bytes);
    if (image_.head.size() < Printer::kKeptFileBytes)
        image_.head.append(bytes.substr(0, Printer::kKeptFileBytes - image_.head.size()));
}

void Session::end() {
    if (ended_) return;
    ended_ = true;
    if (firmware_) {
        printer_.event("firmware " + std::to_string(image_.size) + " bytes crc32 " +
                       crcText(image_.crc32));
        printer_.recordFirmware(std::move(image_));
        image_ = {};
    }
    if (binaryLeft_ > 0 && !binaryAppend_) {
        // The printer discards a file that did not arrive whole.
        printer_.event(std::string("download cut short ") + binaryDevice_ + ":" + binaryName_ +
                       " " + std::to_string(binarySize_ - binaryLeft_) + " of " +
                       std::to_string(binarySize_) + " bytes");
        binaryLeft_ = 0;
        binaryHead_.clear();
    }
}

void Session::handleEscape(std::vector<Action>& out) {
    // esc_ holds ESC and what followed it so far.
    const char second = esc_[1];
    if (esc_.size() == 2) {
        if (second == '!') return;  // one more byte to come
        if (second == 'Y') {
            printer_.emulation = "Y";
            printer_.note("ESC Y");
            recognised_ = true;
        } else if (second == 'Z') {
            prevEmulation_ = printer_.emulation;
            printer_.emulation = "Z";
            printer_.note("ESC Z");
            recognised_ = true;
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
            recognised_ = true;
            answer("status", std::string(1, static_cast<char>(printer_.statusByte)), false, out);
            break;
        case 'S':
            printer_.note("ESC !S");
            recognised_ = true;
            answer("ext-status",
                   std::string(reinterpret_cast<const char*>(printer_.extStatus.data()),
                               printer_.extStatus.size()),
                   false, out);
            skipCrLf_ = 2;
            break;
        case 'R':
            printer_.note("ESC !R");
            recognised_ = true;
            printer_.moduleMode = false;  // a reset ends the pass-through mode
            break;
        case 'C':
            printer_.note("ESC !C");
            recognised_ = true;
            break;
        default:
            printer_.note("UNKNOWN ESCAPE");
            break;
    }
}

void Session::moduleCommand(std::vector<Action>& out) {
    std::string text = std::move(line_);
    line_.clear();
    while (!text.empty() && (text.front() == '\n' || text.front() == ' ')) text.erase(0, 1);
    if (text.empty()) return;  // the wake-up CRs
    if (text.size() >= 2 && (text[0] == 'A' || text[0] == 'a') &&
        (text[1] == 'T' || text[1] == 't')) {
        printer_.note("MODULE " + text);
        recognised_ = true;
        answer("MODULE", moduleAnswer(printer_, text), false, out);
        return;
    }
    handleLine(std::move(text), out);
}

bool Session::tryStartDump() {
    // DUMP_TEXT PRINT,   and   DUMP_TEXT SAVE SIZE,[E,]"NAME",   end without a line
    // end; what follows is printed, or saved into the file up to SIZE bytes.
    if (line_ == "DUMP_TEXT PRINT,") {
        printer_.note("DUMP_TEXT PRINT");
        dumpPrint_ = true;
        return true;
    }
    if (!startsWith(line_, "DUMP_TEXT SAVE ") || line_.size() < 4 || line_.back() != ',' ||
        line_[line_.size() - 2] != '"')
        return false;
    std::string rest = line_.substr(15, line_.size() - 16);  // SIZE,[E,]"NAME"
    auto comma = rest.find(',');
    if (comma == std::string::npos) return false;
    std::string digits = rest.substr(0, comma);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    rest = rest.substr(comma + 1);
    char device = 'D';
    if (startsWith(rest, "E,")) {
        device = 'C';
        rest = rest.substr(2);
    }
    if (rest.size() < 2 || rest.front() != '"' || rest.find('"', 1) != rest.size() - 1)
        return false;
    binaryName_ = rest.substr(1, rest.size() - 2);
    binaryDevice_ = device;
    binaryLeft_ = std::strtoul(digits.c_str(), nullptr, 10);
    binaryAppend_ = true;
    // Each dump starts its file afresh: a fetch returns this dump, not the
    // ones before it.
    printer_.storeFile(device, binaryName_, 0, {});
    const std::string incoming = printer_.dumpIncoming.substr(0, binaryLeft_);
    printer_.appendFile(device, binaryName_, incoming);
    binaryLeft_ -= incoming.size();
    printer_.note("DUMP_TEXT SAVE " + std::string(1, device) + " " + binaryName_);
    return true;
}

bool Session::tryStartBinary() {
    // DOWNLOAD [F,|E,]"NAME",SIZE,   and   DLCERT N,"NAME",SIZE,
    // are followed at once by SIZE bytes of file, without a line end.
    std::size_t pos;
    char device;
    if (startsWith(line_, "DOWNLOAD ")) {
        pos = 9;
        device = 'D';
        if (line_.compare(pos, 2, "F,") == 0)
            device = 'F', pos += 2;
        else if (line_.compare(pos, 2, "E,") == 0)
            device = 'C', pos += 2;
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
    binaryAppend_ = false;
    binaryHead_.clear();
    printer_.note(std::string(device >= '1' && device <= '3' ? "DLCERT " : "DOWNLOAD ") + device +
                  " " + binaryName_ + " " + digits);
    if (binarySize_ == 0) {
        if (device >= '1' && device <= '3') {
            static const char* keys[] = {"WIFICACERT", "WIFICLTCERT", "WIFIPRIVKEY"};
            printer_.set(keys[device - '1'], binaryName_);
        } else {
            printer_.storeFile(device, binaryName_, 0, {});
            printer_.event(storedEvent(device, binaryName_, 0, 0));
        }
    }
    binaryLeft_ = binarySize_;
    binaryCrc_ = 0;
    return true;
}

void Session::handleLine(std::string line, std::vector<Action>& out) {
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return;
    const std::string up = upperCase(line);

    if (startsWith(up, "DIAGNOSTIC REPORT ")) {
        std::string key = trimmed(up.substr(18));
        printer_.note("REPORT " + key);
        recognised_ = true;
        if (auto list = printer_.reportList(key)) {
            std::string bytes;
            for (const auto& name : *list)
                bytes += "{" + std::to_string(name.size()) + "|" + name + "}";
            bytes += "{0|}";
            answer(key, std::move(bytes), true, out);
            return;
        }
        const std::size_t before = out.size();
        frame(key, printer_.report(key).value_or(std::string()), out);
        if (key == "SCANAP" || key == "SCANBT") {
            // A scan takes a while: the answer comes after the host has discarded
            // whatever it had received before.
            for (std::size_t i = before; i < out.size(); ++i)
                out[i].delayMs += printer_.scanDelayMs;
        }
        return;
    }
    if (startsWith(up, "DIAGNOSTIC INTERFACE ")) {
        std::string name = trimmed(up.substr(21));
        printer_.set("_INTERFACE", name);
        printer_.note("INTERFACE " + name);
        recognised_ = true;
        frame("INTERFACE", name, out);
        return;
    }
    if (startsWith(up, "DIAGNOSTIC PASSWORD")) {
        auto args = splitArgs(line.substr(19));
        printer_.set("PASSWORD", args.empty() ? std::string() : args[0]);
        printer_.note("PASSWORD SET");
        recognised_ = true;
        frame("PASSWORDSET", "", out);
        return;
    }
    if (startsWith(up, "DIAGNOSTIC FILE")) {
        auto args = splitArgs(line.substr(15));
        std::string name = args.empty() ? std::string() : args[0];
        printer_.note("FILE " + name);
        recognised_ = true;
        const StoredFile* f = printer_.findFile(name);
        frame("FILE", f ? f->head : std::string(), out);
        return;
    }
    if (trimmed(up) == "DEBUG 4193,7,2") {
        // The printer confirms the pass-through mode with "U" when a module is fitted.
        printer_.note("DEBUG 4193,7,2");
        recognised_ = true;
        if (!printer_.moduleName.empty()) {
            printer_.moduleMode = true;
            answer("DEBUG", "U", false, out);
        }
        return;
    }
    if (trimmed(up) == "OUT _SERIAL$") {
        printer_.note("OUT _SERIAL$");
        recognised_ = true;
        answer("SERIAL", printer_.serial() + "\r\n", false, out);
        return;
    }
    if (printer_.applyLine(line)) {
        printer_.note("COMMAND " + line);
        recognised_ = true;
    } else {
        printer_.note("UNKNOWN " + line);
    }
}

}  // namespace m350::sim
