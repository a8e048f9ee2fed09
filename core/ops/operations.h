// SPDX-License-Identifier: MIT
// Every link operation, declared once: number, name, parallel-port rule,
// progress rule, whether it may be cancelled, and its typed function. The
// window and m350ctl run these (run(ctx, iface, ops::readClock(values)),
// AppContext::runStandard, Session::run); the test operation_callers checks
// that each has a caller in the window and a command in m350ctl, or says in
// oneSide which has none and why. Number 27 has no operation.
#pragma once

#include <span>

#include "core/access/emulation.h"
#include "core/access/password.h"
#include "core/config/config_read.h"
#include "core/config/config_write.h"
#include "core/files/file_download.h"
#include "core/files/file_fetch.h"
#include "core/files/font_download.h"
#include "core/files/memory_info.h"
#include "core/files/raw_send.h"
#include "core/link/link_operations.h"
#include "core/link/operation.h"
#include "core/net/net_settings.h"
#include "core/printer/clock.h"
#include "core/printer/dump_text.h"
#include "core/printer/maintenance.h"
#include "core/printer/sensor.h"
#include "core/printer/status.h"
#include "core/printer/test_page.h"
#include "core/wireless/external_module.h"
#include "core/wireless/wireless_rules.h"
#include "core/wireless/wireless_scan.h"

namespace m350::ops {

// Shorthands for the table below.
inline constexpr OnLpt kRuns = OnLpt::kRuns;
inline constexpr OnLpt kRefused = OnLpt::kRefused;
inline constexpr ProgressRule kBare = ProgressRule::kNone;
inline constexpr ProgressRule kStep = ProgressRule::kStep;
inline constexpr ProgressRule kOwn = ProgressRule::kOwnWindow;

// clang-format off
inline constexpr Operation<StatusFlags&> readStatus{
    {kOpStatus, "Reading the status", kRefused, kBare, kCancellable, {}}, &m350::readStatus};
// The start-up read and m350ctl show nothing around it; the Read button
// shows the progress window.
inline constexpr Operation<ConfigRecord&> readConfig{
    {kOpReadConfig, "Reading the configuration", kRefused, kBare, kCancellable, {}}, &m350::readConfig};
inline constexpr Operation<ConfigRecord&> readConfigShown{
    {kOpReadConfig, "Reading the configuration", kRefused, kStep, kCancellable, {}}, &m350::readConfig};
inline constexpr Operation<std::string&> readPassword{
    {kOpReadPassword, "Reading the password", OnLpt::kEmptyText, kBare, kNotCancellable, {}},
    &m350::readPassword};
inline constexpr Operation<const std::string&> setPassword{
    {kOpSetPassword, "Setting the password", kRuns, kBare, kNotCancellable, {}}, &m350::setPassword};
inline constexpr Operation<ConfigRecord&, int, const CertificatePaths&> writeConfig{
    {kOpWriteConfig, "Writing the configuration", kRuns, kStep, kNotCancellable, {}},
    &m350::writeConfig};
inline constexpr Operation<> factoryDefault{
    {kOpFactoryDefault, "Factory default", kRuns, kBare, kNotCancellable, {}}, &m350::factoryDefault};
inline constexpr Operation<const DumpRequest&> enterDumpMode{
    {kOpDumpText, "Dump text mode", kRuns, kBare, kNotCancellable, {}}, &m350::enterDumpMode};
inline constexpr Operation<> printSelfTest{
    {kOpSelfTest, "Printing the configuration page", kRuns, kBare, kNotCancellable, {}},
    &m350::printSelfTest};
inline constexpr Operation<const ClockValues&> setClock{
    {kOpSetClock, "Setting the clock", kRuns, kBare, kNotCancellable, {}}, &m350::setClock};
inline constexpr Operation<ClockValues&> readClock{
    {kOpReadClock, "Reading the clock", kRuns, kBare, kCancellable, {}}, &m350::readClock};
inline constexpr Operation<const SensorRequest&> applySensorCalibration{
    {kOpSensorCommand, "Calibrating the sensor", kRuns, kBare, kNotCancellable, {}},
    &m350::applySensorCalibration};
inline constexpr Operation<> resetPrinter{
    {kOpReset, "Resetting the printer", kRuns, kBare, kNotCancellable, {}}, &m350::resetPrinter};
inline constexpr Operation<MemoryInfo&> readMemoryInfo{
    {kOpMemoryInfo, "Reading the memory", kRuns, kStep, kCancellable, {}}, &m350::readMemoryInfo};
inline constexpr Operation<const DownloadRequest&> downloadFile{
    {kOpDownload, "Downloading a file", kRuns, kOwn, kCancellable, {}}, &m350::downloadFile};
inline constexpr Operation<const std::string&, const std::string&, int> downloadFontFile{
    {kOpDownload, "Downloading a font", kRuns, kOwn, kCancellable, {}}, &m350::downloadFontFile};
inline constexpr Operation<std::string_view> sendRaw{
    {kOpRawSend, "Sending to the printer", kRuns, kOwn, kCancellable,
     "window only: the Command Tool sends its editor's text; m350ctl send streams a file "
     "or standard input (sendOpenedFileRaw)"},
    &m350::sendRaw};
inline constexpr Operation<const std::string&> sendFileRaw{
    {kOpRawSend, "Sending a file to the printer", kRuns, kOwn, kCancellable, {}}, &m350::sendFileRaw};
inline constexpr Operation<FileSource&> sendOpenedFileRaw{
    {kOpRawSend, "Sending a file to the printer", kRuns, kOwn, kCancellable,
     "m350ctl only: it opens the file first, to refuse what is no regular file and read "
     "standard input; the window sends the file it names (sendFileRaw)"},
    &m350::sendFileRaw};
inline constexpr Operation<int> formatDevice{
    {kOpFormat, "Formatting", kRuns, kBare, kNotCancellable, {}}, &m350::formatDevice};
inline constexpr Operation<const TestPageRequest&> printTestPage{
    {kOpTestPage, "Printing the test page", kRuns, kBare, kNotCancellable, {}},
    &m350::printTestPage};
inline constexpr Operation<> ignoreAutoStart{
    {kOpIgnoreAuto, "Ignoring the start-up program", kRuns, kBare, kNotCancellable, {}},
    &m350::ignoreAutoStart};
inline constexpr Operation<const NetSettings&> writeNetAddress{
    {kOpNetAddress, "Setting the network address", kRuns, kBare, kNotCancellable, {}},
    &m350::writeNetAddress};
inline constexpr Operation<const NetSettings&> writeNetName{
    {kOpNetName, "Setting the network name", kRuns, kBare, kNotCancellable, {}},
    &m350::writeNetName};
inline constexpr Operation<NetSettings&> readNetSettings{
    {kOpNetReport, "Reading the network settings", kRuns, kBare, kCancellable, {}},
    &m350::readNetSettings};
inline constexpr Operation<> testConnection{
    {kOpConnectionTest, "Connecting", kRuns, kBare, kCancellable,
     "window only: its silent start-up contact; every m350ctl command reports a port that "
     "does not open"},
    &m350::testConnection};
inline constexpr Operation<const std::string&, std::string&, std::size_t> fetchFile{
    {kOpFetchFile, "Fetching a file", kRuns, kBare, kCancellable, {}}, &m350::fetchFile};
inline constexpr Operation<SensorRequest&> readSensorSettings{
    {kOpReadSensor, "Reading the sensor settings", kRuns, kBare, kCancellable, {}},
    &m350::readSensorSettings};
inline constexpr Operation<SensorValues&> readSensorValues{
    {kOpSensorValues, "Reading the sensor", kRuns, kBare, kCancellable, {}},
    &m350::readSensorValues};
inline constexpr Operation<> exitLineMode{
    {kOpExitLineMode, "Leaving line mode", kRuns, kBare, kNotCancellable, {}}, &m350::exitLineMode};
inline constexpr Operation<ConfigRecord&> setUpModule{
    {kOpModuleMode, "Setting up the external module", kRuns, kOwn, kNotCancellable, {}},
    &m350::setUpModule};
inline constexpr Operation<const ConfigRecord&> writeModule{
    {kOpModuleMode, "Writing the external module", kRuns, kBare, kNotCancellable, {}},
    &m350::writeModule};
inline constexpr Operation<AccessPointScan&, ScanWait> scanAccessPoints{
    {kOpScanAp, "Scanning for access points", kRuns, kOwn, kCancellable, {}},
    &m350::scanAccessPoints};
inline constexpr Operation<int&> readEmulation{
    {kOpEmulationQuery, "Reading the emulation", kRefused, kBare, kCancellable, {}},
    &m350::readEmulation};
inline constexpr Operation<int> switchEmulation{
    {kOpEmulationSwitch, "Switching the emulation", kRuns, kBare, kNotCancellable, {}},
    &m350::switchEmulation};
inline constexpr Operation<BluetoothScan&, ScanWait> scanBluetooth{
    {kOpScanBt, "Scanning for Bluetooth devices", kRuns, kOwn, kCancellable, {}},
    &m350::scanBluetooth};
inline constexpr Operation<std::string_view> setBluetoothMaster{
    {kOpBtMaster, "Setting the Bluetooth master", kRuns, kBare, kNotCancellable, {}},
    &m350::setBluetoothMaster};
inline constexpr Operation<> wirelessFactoryDefault{
    {kOpWifiDefault, "Wireless factory default", kRuns, kBare, kNotCancellable, {}},
    &m350::wirelessFactoryDefault};
// clang-format on

struct Registered {
    std::string_view name;  // the descriptor's name in this namespace
    const OperationInfo* info;
};
// Every descriptor above, in number order.
std::span<const Registered> all();

}  // namespace m350::ops
