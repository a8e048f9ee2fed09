// SPDX-License-Identifier: MIT
// The simulated printer's state: every setting it can report, the status bytes, the
// password and the files of its memory devices. Nothing here knows about sockets or
// terminals; the session feeds it command lines and asks it for report payloads.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace m350::sim {

// What kind of printer to pretend to be. The defaults describe a recent model with
// every module fitted.
struct Profile {
    int edition = 108;
    int dpi = 203;
    bool bluetooth = true;
    // "wpa", "wep", "eap", "none" (wireless present, open network) or "off" (no module).
    std::string wifi = "wpa";
};

// One file stored in a memory device ('D' DRAM, 'F' FLASH, 'C' CARD).
struct StoredFile {
    std::string name;
    std::size_t size = 0;
    std::string head;         // the first bytes only (at most kKeptFileBytes)
    std::uint32_t crc32 = 0;  // of every byte of the file, so a large one can be checked
};

// A firmware image received as a raw stream (see Session): counted, checked and
// its first bytes kept, never held whole.
struct FirmwareImage {
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
    std::string head;  // at most Printer::kKeptFileBytes
};

// CRC-32 (the one of zip and PNG), continued from crc: crc32Update(0, all) equals
// crc32Update(crc32Update(0, first), rest).
std::uint32_t crc32Update(std::uint32_t crc, std::string_view bytes);

class Printer {
  public:
    // How much of a file's content is kept; sizes and checksums cover the whole
    // file regardless. A fetch (DIAGNOSTIC FILE) returns what was kept, and a
    // file up to this size comes back whole.
    static constexpr std::size_t kKeptFileBytes = 1024 * 1024;
    // What all kept file contents together may take; a file stored beyond it
    // keeps only what still fits.
    static constexpr std::size_t kKeptBytesTotal = 64 * 1024 * 1024;

    Printer();
    explicit Printer(const Profile& profile);

    // Report payload for a key, or nullopt when the printer does not know the key.
    std::optional<std::string> report(const std::string& key) const;
    // Multi-frame reports (file lists): one payload per frame, without the closing
    // empty frame. nullopt when the key is not a list.
    std::optional<std::vector<std::string>> reportList(const std::string& key) const;

    void set(const std::string& key, std::string value) { settings_[key] = std::move(value); }
    std::string get(const std::string& key) const;
    bool has(const std::string& key) const { return settings_.count(key) != 0; }
    const std::map<std::string, std::string>& settings() const { return settings_; }

    // Applies one command line (CR LF already removed). Returns false when the line
    // is no command this printer knows; it is then only recorded.
    bool applyLine(std::string_view line);

    // A file received with DOWNLOAD (device letter D, F or C) or DLCERT.
    void storeFile(char device, const std::string& name, std::size_t size, std::string head,
                   std::uint32_t crc32 = 0);
    const std::vector<StoredFile>& files(char device) const;
    // Appends to a file, creating it when absent (dump text capture).
    void appendFile(char device, const std::string& name, std::string_view bytes);
    // The file of that name on any device (DRAM, FLASH, CARD in that order).
    const StoredFile* findFile(const std::string& name) const;
    void formatDevice(char device);
    // KILL with a name: "*.*" (or "*") empties the device, another name deletes
    // that file. False when there was no such file.
    bool deleteFiles(char device, const std::string& pattern);

    // Firmware images in arrival order (the last few only).
    void recordFirmware(FirmwareImage image);
    const std::vector<FirmwareImage>& firmware() const { return firmware_; }

    // Storage events for whoever watches the simulator (its standard output):
    // "stored F:LOGO.BMP 1234 bytes crc32 ...", "firmware ...", "formatted F" ...
    std::function<void(const std::string&)> onEvent;
    void event(const std::string& what);

    // The line answered to "OUT _SERIAL$".
    std::string serial() const { return get("_SERIAL$"); }

    // Recognised command lines and one-shot requests, in arrival order, for tests and
    // for the operator reading the simulator's log.
    const std::vector<std::string>& journal() const { return journal_; }
    void note(std::string what);

    // The label being composed: CLS and the drawing commands since, as they
    // came; PRINT reports them as one "printed" event and starts over.
    std::vector<std::string> label;
    // Report keys whose value no command line changes (--read-only KEY).
    std::set<std::string> readOnly;

    std::uint8_t statusByte = 0;
    std::array<std::uint8_t, 8> extStatus{};
    std::string emulation;  // "Y" or "Z" after an emulation switch, empty before
    // ESC Z is the Z emulation switch whatever follows it. With this set (an
    // assumption of some hosts, not a known printer rule) ESC Z directly
    // followed by CR LF puts the emulation back as it was instead.
    bool escZCrLfRestores = false;
    // Pass-through to the external module on the printer's serial port: entered with
    // DEBUG 4193,7,2 when a module is fitted, left with a reset (ESC !R).
    bool moduleMode = false;
    std::string moduleName;  // the external module's Bluetooth name; empty: no module
    std::string modulePin;
    // How long a wireless or Bluetooth scan takes before its answer goes out.
    int scanDelayMs = 500;
    // What the scans find when given on the command line: one "SSID,CODE,RSSI"
    // or "NAME,MAC" per entry (an empty list answers the count 0). Unset: a
    // few made-up neighbours. A missing module answers -1 either way.
    std::optional<std::vector<std::string>> accessPoints, bluetoothDevices;

    // The media sensors: one reading per intensity level (level 0 first) with
    // the liner or the black mark under the sensor, and with a label there.
    struct SensorCurve {
        std::vector<long> liner, label;
    };
    SensorCurve gapSensor, blineSensor;
    // What lies under the sensor: the label when true, else the liner (mark).
    bool labelUnderSensor = false;
    // When set, a file whose first word ("liner" or "label") says what lies
    // under the sensor at each read, so an operator or a test can move the
    // media while a calibration runs. A missing file leaves labelUnderSensor.
    std::string mediaFile;
    // What a host application sends while the printer is in dump mode, taken
    // in as soon as a DUMP_TEXT SAVE starts (before whatever follows the
    // command on its own connection), so that a fetch has something to return.
    std::string dumpIncoming;
    // The sensor's curve for GAPSENSOR or BLINESENSOR as it is now.
    const std::vector<long>& sensorCurve(bool blackMark) const;

  private:
    void loadProfile(const Profile& profile);

    std::map<std::string, std::string> settings_;
    std::map<char, std::vector<StoredFile>> devices_;
    std::vector<FirmwareImage> firmware_;
    std::vector<std::string> journal_;
};

// Formats a real the way the printer reports it: fixed with the given decimals.
std::string formatReal(double v, int decimals);

}  // namespace m350::sim
