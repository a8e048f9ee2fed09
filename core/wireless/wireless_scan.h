// SPDX-License-Identifier: MIT
// The printer's scans: access points heard by its wireless module (link
// operation 28) and Bluetooth devices found by its Bluetooth module (link
// operation 31), their reply parsers, the rows a list shows, and the
// Bluetooth master connection (link operation 32).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/link.h"

namespace m350 {

// At most this many entries are taken from one scan.
inline constexpr std::size_t kMaxScanEntries = 100;
// Room for the scan's reply frame (and for the announcement's).
inline constexpr std::size_t kScanReplyCapacity = 8912;

// The waits before the reply is read: the printer needs this long to scan.
// The progress window steps after every pause.
struct ScanWait {
    int pauses;
    int pauseMs;
};
inline constexpr ScanWait kAccessPointScanWait{60, 200};  // 12 s
inline constexpr ScanWait kBluetoothScanWait{100, 600};   // 60 s

struct AccessPoint {
    std::string ssid;
    int encryption = 0;  // 1 WEP, 2 WPA, other values none
};

struct AccessPointScan {
    std::vector<AccessPoint> entries;
    bool moduleFound = false;  // the printer answered with a count (not -1)
};

struct BluetoothDevice {
    std::string name;
    std::string address;
};

struct BluetoothScan {
    std::vector<BluetoothDevice> entries;
    bool moduleFound = false;
};

// Parse a SCANAP payload: a decimal count and CR (-1: no wireless module),
// then per access point the SSID, ",", the decimal encryption code, ",", a
// field that is not read, and CR. A line missing a separator ends the list
// there, keeping what came before. kOk, or kReceiveError when there is no CR
// at all. The result is reset first.
int parseAccessPointScan(std::string_view payload, AccessPointScan& out);

// Parse a SCANBT payload: a decimal count and CR (-1: no Bluetooth module),
// then per device the name, ",", the address and CR. A line missing a
// separator ends the list there. kOk or kReceiveError (no CR at all).
int parseBluetoothScan(std::string_view payload, BluetoothScan& out);

// Link operation 28: announce, ask for SCANAP, wait 12 s with the progress
// window stepping every 200 ms, read the reply and parse it.
// wait: how long the printer is given (the command-line tool lets an
// operator shorten or lengthen it).
int scanAccessPoints(Link& link, AccessPointScan& out, ScanWait wait = kAccessPointScanWait);

// Link operation 31: the same for SCANBT, waiting 60 s in 600 ms steps.
int scanBluetooth(Link& link, BluetoothScan& out, ScanWait wait = kBluetoothScanWait);

// A wait of about seconds in the pause length of base.
ScanWait scanWaitOf(ScanWait base, int seconds);

// Link operation 32: BT DMAC "address". No reply is read.
int setBluetoothMaster(Link& link, std::string_view address);

// One row of an access-point list.
struct AccessPointRow {
    std::string ssid;
    std::string encryption;  // "WEP", "WPA" or "NONE"
};

// The rows a list shows: entries in order, an entry skipped when an earlier
// one has the same SSID and the same encryption code.
std::vector<AccessPointRow> accessPointRows(const AccessPointScan& scan);

// "WEP" for code 1, "WPA" for 2, "NONE" for anything else.
std::string_view encryptionWord(int code);

// The item of the wireless encryption choice a listed kind selects: 1 (WEP1)
// for "WEP", 5 (WPA-Personal / WPA-PSK) for "WPA", 0 otherwise.
int encryptionIndexForWord(std::string_view word);

inline constexpr std::string_view kNoExternalModuleText = "Can't find external module!";
inline constexpr std::string_view kNoBluetoothModuleText = "Can't find Bluetooth module!";

}  // namespace m350
