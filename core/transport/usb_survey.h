// SPDX-License-Identifier: MIT
// What an operator needs to choose a USB printer: every device that may be a
// printer (printer class, in the printer list, or the device named), which one the
// next operation would use, who holds each (the system's printer driver, a
// program such as ipp-usb) and whether this user may open it. Nothing here
// opens a device: it reads the system's tables.
#pragma once

#include <string>
#include <vector>

#include "core/transport/usb_backend.h"
#include "core/transport/usb_printer_list.h"

namespace m350 {

struct UsbSurveyEntry {
    UsbDeviceDescription device;
    bool listedVendor = false;  // matches an entry of the printer list
    bool printerClass = false;  // has a printer-class interface
    bool named = false;         // matches the device the operator named
    bool chosen = false;        // the next operation uses it
    std::string nodePath;       // /dev/bus/usb/BBB/DDD
    bool permitted = false;     // this user may open it for reading and writing
    // Programs that have the device open: "ipp-usb (pid 812)".
    std::vector<std::string> holders;
};

struct UsbSurvey {
    std::string named;               // the device named for this run, empty for none
    std::vector<UsbListEntry> list;  // the printer list the choice was made with
    UsbSelection selection;
    std::vector<UsbSurveyEntry> entries;
};

// Where the survey looks; tests point both elsewhere.
struct UsbSurveyPlaces {
    std::string devRoot = "/dev/bus/usb";
    std::string procRoot = "/proc";
};

UsbSurvey surveyUsbDevices(UsbBackend& backend, const std::string& named,
                           const std::vector<UsbListEntry>& list,
                           const UsbSurveyPlaces& places = {});

// Processes under procRoot that have path open, as "name (pid N)". Only the
// processes this user may look into are seen.
std::vector<std::string> processesHolding(const std::string& path, const std::string& procRoot);

// The survey as the text `m350ctl usb list` prints, ending with how to name
// a device. Without all, printer-class devices outside the list (and not
// named) are only counted, with the line that would allow each.
std::string usbSurveyText(const UsbSurvey& survey, bool all = true);

// The command that puts a device in the printer list: "sudo m350ctl usb
// allow VID:PID[:SERIAL]" (the serial number when the device has a safe one).
std::string usbAllowCommand(const UsbDeviceDescription& device);

}  // namespace m350
