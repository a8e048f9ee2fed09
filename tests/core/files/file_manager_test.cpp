// SPDX-License-Identifier: MIT
// The file manager's operations: the name rule and header as data, then the
// download, firmware send, memory read, format and fetch on the wire against
// the simulated printer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "core/files/file_download.h"
#include "core/files/file_fetch.h"
#include "core/files/file_types.h"
#include "core/files/memory_info.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"
#include "support/test_files.h"

using namespace m350;
using m350test::SimProcess;

using m350test::randomBytes;
using m350test::TempDir;

namespace {

struct NetRig {
    SimProcess sim;
    PortSettings settings;
    LinkContext ctx;
    m350test::RecordingProgress progress;
    std::vector<int> pauses;

    explicit NetRig(std::vector<std::string> args = {}) : sim(std::move(args)) {
        settings.net = {"127.0.0.1", sim.tcpPort()};
        ctx.settings = &settings;
        ctx.progress = &progress;
        ctx.timeouts.netReadMs = 2000;
        ctx.timeouts.progressHideMs = 0;
        ctx.sleep = [this](int ms) { pauses.push_back(ms); };
    }
    int run(std::uint32_t op, const OperationCall& call) {
        return runOperation(ctx, op, kEthernet, call);
    }
    std::string rx(std::size_t connection, std::size_t closed) {
        EXPECT_TRUE(sim.waitForClosed(closed));
        auto t = sim.transcript();
        return connection < t.size() ? t[connection].rx : std::string("<no connection>");
    }
};

// ---- names, headers, commands ---------------------------------------------------

TEST(FileNames, NameRuleCutsTheBaseNameAndAddsTheTypesExtension) {
    struct Case {
        const char* path;
        int type;
        const char* name;
    };
    const Case cases[] = {
        {"/home/op/Company_Logo.bmp", kFileBmp, "Company_.BMP"},
        {"ABCDEFGHIJ.PCX", kFilePcx, "ABCDEFGH.PCX"},  // 10 characters cut to 8
        {"ABCDEFGH.pcx", kFilePcx, "ABCDEFGH.PCX"},    // 8 stay
        {"arial.ttf", kFileTrueType, "arial.TTF"},
        {"big_font.fnt", kFileBitmapFont, "big_font"},  // no extension for these types
        {"prices.csv", kFileData, "prices"},
        {"AUTO.bas", kFileBasic, "AUTO.BAS"},
        {"T10101.NEW", kFileFirmware, "T10101"},
        {"/a.dir/README", kFileData, "README"},  // a dot in the folder is no extension
        {"v1.2.logo.bmp", kFileBmp, "v1.2.log.BMP"},
        {"K\xc3\xa4seblatt_1.bmp", kFileBmp, "K\xc3\xa4seblat.BMP"},  // 8 characters, 9 bytes
        {".bmp", kFileBmp, ".BMP"},
    };
    for (const auto& c : cases) EXPECT_EQ(printerFileName(c.path, c.type), c.name) << c.path;
}

TEST(FileNames, HeaderAndFormatCommandPerDevice) {
    struct Case {
        int device;
        const char* header;
        const char* kill;
    };
    const Case cases[] = {
        {kDeviceDram, "DOWNLOAD \"LOGO.BMP\",1234,", "KILL \"*.*\"\r\n"},
        {kDeviceFlash, "DOWNLOAD F,\"LOGO.BMP\",1234,", "KILL F,\"*.*\"\r\n"},
        {kDeviceCard, "DOWNLOAD E,\"LOGO.BMP\",1234,", "KILL E,\"*.*\"\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(downloadHeader(c.device, "LOGO.BMP", 1234), c.header);
        EXPECT_EQ(formatCommand(c.device), c.kill);
    }
    EXPECT_EQ(downloadHeader(kDeviceFlash, "LOGO.BMP", 1234).size(), 27u);
    // The largest size a header carries, as an unsigned number.
    EXPECT_EQ(downloadHeader(kDeviceFlash, "X", kMaxDownloadSize), "DOWNLOAD F,\"X\",4294967295,");
}

// ---- the streamed write -----------------------------------------------------------

TEST(FileStream, SourceDrawnInBlocksGoesOutInPortChunksWithPercents) {
    m350test::ScriptedLink link({}, kUsb);
    m350test::RecordingProgress progress;
    link.ctx().progress = &progress;
    const std::string data = randomBytes(130, 1);
    std::size_t offset = 0;
    showProgress(link.ctx(), kPercentMode, 3, 3);
    // A source that hands out 7 bytes at a time: the chunks are still whole.
    auto r = link.conn().writeFrom(data.size(), [&](std::uint8_t* dst, std::size_t cap) {
        const std::size_t n = std::min<std::size_t>({cap, 7, data.size() - offset});
        std::memcpy(dst, data.data() + offset, n);
        offset += n;
        return n;
    });
    EXPECT_EQ(r, Connection::StreamResult::kOk);
    EXPECT_EQ(link.written(), data);
    EXPECT_EQ(link.port().chunks, (std::vector<std::string>{data.substr(0, 64), data.substr(64, 64),
                                                            data.substr(128)}));
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"open Communicating...", "pos 3", "pos 49",
                                                        "pos 98", "pos 100"}));
    EXPECT_GE(progress.pumps, 3);  // the window repaints between chunks
}

TEST(FileStream, ASourceThatEndsEarlyOrAPortThatFailsIsReported) {
    m350test::ScriptedLink shortSource({}, kEthernet);
    int calls = 0;
    EXPECT_EQ(shortSource.conn().writeFrom(2000,
                                           [&](std::uint8_t* dst, std::size_t cap) {
                                               if (calls++ > 0) return std::size_t{0};
                                               std::memset(dst, 'x', 1000);
                                               return std::size_t{1000};
                                           }),
              Connection::StreamResult::kSourceFailed);
    EXPECT_EQ(shortSource.written().size(), 0u);  // a block goes out only when whole
    // The bulk write it began is ended all the same.
    EXPECT_EQ(shortSource.port().bulkBegins, 1);
    EXPECT_EQ(shortSource.port().bulkEnds, 1);

    m350test::ScriptedLink failing({}, kEthernet);
    failing.port().failWrites = true;
    EXPECT_EQ(failing.conn().writeFrom(10,
                                       [](std::uint8_t* dst, std::size_t cap) {
                                           std::memset(dst, 'x', cap);
                                           return cap;
                                       }),
              Connection::StreamResult::kWriteFailed);
}

TEST(FileDownload, TooLargeUnsafeOrMissingFilesOpenNoPort) {
    TempDir dir;
    // A sparse file one byte past what a header can announce.
    const std::string huge = dir.path() + "/huge.dat";
    {
        int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxDownloadSize + 1)), 0);
        ::close(fd);
    }
    const std::string small = dir.write("small.bmp", "BM");
    // A FIFO with no writer would hold an open for reading forever.
    const std::string fifo = dir.path() + "/fifo.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<DownloadRequest, const char*> cases[] = {
        {{fifo, "FIFO.BMP", kDeviceFlash}, "a FIFO"},
        {{"/dev/zero", "ZERO.BMP", kDeviceFlash}, "a device"},
        {{huge, "HUGE", kDeviceFlash}, "4 GiB"},
        {{dir.path() + "/absent.bmp", "ABSENT.BMP", kDeviceFlash}, "missing"},
        {{dir.path(), "FOLDER", kDeviceFlash}, "a folder"},
        {{small, "A\",0,\r\nKILL \"*.*", kDeviceFlash}, "a quote in the name"},
        {{small, "", kDeviceFlash}, "no name"},
    };
    for (const auto& [request, what] : cases) {
        m350test::ScriptedLink link({}, kEthernet);
        const int opensBefore = link.port().opens;  // the rig's own connection
        Link l{link.ctx(), kEthernet};
        EXPECT_EQ(downloadFile(l, request), kFileOpenError) << what;
        EXPECT_EQ(link.port().opens, opensBefore) << what;
    }
}

// ---- on the wire --------------------------------------------------------------------

TEST(FileDownloadWire, HeaderThenExactlyTheFileBytesForEachDeviceAndSize) {
    NetRig rig;
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    TempDir dir;
    struct Case {
        int device;
        std::size_t size;
        const char* name;
        const char* prefix;
        char letter;
    };
    const Case cases[] = {
        {kDeviceDram, 0, "EMPTY.DAT", "", 'D'},  // size 0, no data bytes
        {kDeviceDram, 1234, "LOGO.BMP", "", 'D'},     {kDeviceFlash, 512, "A512.PCX", "F,", 'F'},
        {kDeviceFlash, 100000, "BIG.TTF", "F,", 'F'}, {kDeviceCard, 513, "AUTO.BAS", "E,", 'C'},
    };
    std::size_t n = 0;
    for (const auto& c : cases) {
        const std::string bytes = randomBytes(c.size, static_cast<unsigned>(c.size));
        const std::string path = dir.write(c.name, bytes);
        ASSERT_EQ(rig.run(kOpDownload,
                          [&](Link& l) {
                              return downloadFile(l, {path, c.name, c.device});
                          }),
                  kOk)
            << c.name;
        EXPECT_EQ(rig.rx(n, n + 1), "DOWNLOAD " + std::string(c.prefix) + "\"" + c.name + "\"," +
                                        std::to_string(c.size) + "," + bytes)
            << c.name;
        EXPECT_TRUE(rig.sim.waitForLog(std::string("stored ") + c.letter + ":" + c.name + " " +
                                       std::to_string(c.size) + " bytes"))
            << rig.sim.log();
        ++n;
    }
    // The memory read lists the files where they went, and free space follows them.
    MemoryInfo info;
    ASSERT_EQ(rig.run(kOpMemoryInfo, [&](Link& l) { return readMemoryInfo(l, info); }), kOk);
    EXPECT_EQ(info.devices[kDeviceDram].fileList, "EMPTY.DAT\r\nLOGO.BMP\r\n");
    EXPECT_EQ(info.devices[kDeviceFlash].fileList, "A512.PCX\r\nBIG.TTF\r\n");
    EXPECT_EQ(info.devices[kDeviceCard].fileList, "AUTO.BAS\r\n");
    EXPECT_EQ(info.devices[kDeviceDram].freeSpace, 1048576 - 2);  // 0 KB + 2 KB
    EXPECT_EQ(info.devices[kDeviceFlash].freeSpace, 4194304 - 1 - 98);
}

TEST(FileDownloadWire, ProgressInPercentModeFromTheBodyNotTheEntry) {
    NetRig rig;
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    TempDir dir;
    const std::string path = dir.write("p.dat", std::string(1000, 'p'));
    ASSERT_EQ(rig.run(kOpDownload, [&](Link& l) { return downloadFile(l, {path, "P", 0}); }), kOk);
    // The header goes out before the window; then 512 + 488 bytes.
    EXPECT_EQ(rig.progress.calls,
              (std::vector<std::string>{"open Communicating...", "pos 3", "pos 51", "pos 100",
                                        "pos 100", "pos 100", "close"}));
}

TEST(FirmwareWire, BytesOnTheWireEqualTheFileAndTheSimulatorTakesThemForFirmware) {
    NetRig rig;
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    TempDir dir;
    const std::string image = randomBytes(300000, 7);
    const std::string path = dir.write("T10101.NEW", image);
    ASSERT_EQ(rig.run(kOpRawSend, [&](Link& l) { return sendFileRaw(l, path); }), kOk);
    EXPECT_EQ(rig.rx(0, 1), image);
    EXPECT_TRUE(rig.sim.waitForLog("firmware 300000 bytes")) << rig.sim.log();
    EXPECT_EQ(rig.run(kOpRawSend, [&](Link& l) { return sendFileRaw(l, dir.path() + "/none"); }),
              kFileOpenError);
}

TEST(MemoryWire, OneConnectionInTheExactQueryOrder) {
    NetRig rig({"--file", "F:A.BAS=10 PRINT", "--file", "F:B.PCX=x", "--set", "CPHYSPACE=512"});
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    MemoryInfo info;
    ASSERT_EQ(rig.run(kOpMemoryInfo, [&](Link& l) { return readMemoryInfo(l, info); }), kOk);
    EXPECT_EQ(rig.rx(0, 1),
              "\r\nDIAGNOSTIC INTERFACE NET\r\n"
              "DIAGNOSTIC REPORT DPHYSPACE\r\nDIAGNOSTIC REPORT DFREESPACE\r\n"
              "DIAGNOSTIC REPORT DFILELIST\r\n"
              "DIAGNOSTIC REPORT FPHYSPACE\r\nDIAGNOSTIC REPORT FFREESPACE\r\n"
              "DIAGNOSTIC REPORT FFILELIST\r\n"
              "DIAGNOSTIC REPORT CPHYSPACE\r\nDIAGNOSTIC REPORT CFILELIST\r\n");
    EXPECT_EQ(rig.sim.transcript().size(), 1u);
    EXPECT_EQ(info.devices[kDeviceFlash].fileList, "A.BAS\r\nB.PCX\r\n");
    EXPECT_EQ(fileListLines(info.devices[kDeviceFlash].fileList),
              (std::vector<std::string>{"A.BAS", "B.PCX"}));
    EXPECT_TRUE(info.devices[kDeviceCard].physicalKnown);
    EXPECT_EQ(info.devices[kDeviceCard].physicalSize, 512);
    EXPECT_FALSE(info.devices[kDeviceCard].freeKnown);  // never asked
    EXPECT_EQ(info.devices[kDeviceDram].fileList, "");
    // The entry wraps it in the window in step mode: one step per query sent.
    ASSERT_GE(rig.progress.calls.size(), 3u);
    EXPECT_EQ(rig.progress.calls[1], "pos 3");
    EXPECT_EQ(rig.progress.calls[2], "pos 6");
}

TEST(MemoryWire, AFailureKeepsWhatTheStepsBeforeItRead) {
    struct Case {
        const char* fault;
        int dramKnown;   // physical, free
        int flashKnown;  // physical, free
        bool cardPhysical;
    };
    const Case cases[] = {
        {"drop:DPHYSPACE", 0, 0, false},
        {"drop:FFREESPACE", 2, 1, false},
        {"drop:FFILELIST", 2, 2, false},
        {"broken-frame:CFILELIST", 2, 2, true},
    };
    for (const auto& c : cases) {
        NetRig rig({"--fault", c.fault});
        ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
        rig.ctx.timeouts.netReadMs = 300;
        MemoryInfo info;
        EXPECT_EQ(rig.run(kOpMemoryInfo, [&](Link& l) { return readMemoryInfo(l, info); }),
                  kReceiveError)
            << c.fault;
        const auto& d = info.devices[kDeviceDram];
        const auto& f = info.devices[kDeviceFlash];
        EXPECT_EQ(d.physicalKnown + d.freeKnown, c.dramKnown) << c.fault;
        EXPECT_EQ(f.physicalKnown + f.freeKnown, c.flashKnown) << c.fault;
        EXPECT_EQ(info.devices[kDeviceCard].physicalKnown, c.cardPhysical) << c.fault;
        if (c.dramKnown == 2) {
            EXPECT_EQ(d.physicalSize, 1048576) << c.fault;
        }
    }
}

TEST(MemoryWire, AFileListFrameMustFitTheRoomLeft) {
    // A name of L bytes takes L + 2 of the 65536 with its CR LF, and the empty
    // frame that ends the list still needs a frame's room after it: 65530 bytes
    // fit, 65531 do not.
    for (std::size_t length : {std::size_t{65530}, std::size_t{65531}}) {
        NetRig rig({"--file", "F:" + std::string(length, 'N') + "=x"});
        ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
        MemoryInfo info;
        const int r = rig.run(kOpMemoryInfo, [&](Link& l) { return readMemoryInfo(l, info); });
        EXPECT_EQ(r, length == 65530 ? kOk : kReceiveError) << length;
        // The DRAM part was read before the failing list.
        EXPECT_TRUE(info.devices[kDeviceDram].freeKnown) << length;
    }
}

// A file list ends within its own limit (shortened to 1 s), however many
// names the printer sends with a real pause before each: 4 names fit, 100
// (5 s of pauses) end at the limit.
TEST(MemoryWire, AnEndlessFileListEndsWithinItsLimit) {
    for (const int files : {4, 100}) {
        std::vector<std::string> args;
        for (int i = 0; i < files; ++i)
            args.insert(args.end(), {"--file", "F:N" + std::to_string(i) + "=x"});
        NetRig rig(args);
        rig.ctx.sleep = nullptr;
        rig.ctx.timeouts.frameListMs = 1000;
        MemoryInfo info;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(rig.run(kOpMemoryInfo, [&](Link& l) { return readMemoryInfo(l, info); }),
                  files == 4 ? kOk : kReceiveError);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    }
}

TEST(FormatWire, EachDeviceGetsItsKillFormAndIsEmptied) {
    NetRig rig({"--file", "D:A.DAT=a", "--file", "F:B.DAT=b", "--file", "C:C.DAT=c"});
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    const std::pair<int, const char*> cases[] = {
        {kDeviceFlash, "KILL F,\"*.*\"\r\n"},
        {kDeviceDram, "KILL \"*.*\"\r\n"},
        {kDeviceCard, "KILL E,\"*.*\"\r\n"},
    };
    std::size_t n = 0;
    for (const auto& [device, bytes] : cases) {
        ASSERT_EQ(
            rig.run(kOpFormat, [device = device](Link& l) { return formatDevice(l, device); }),
            kOk);
        EXPECT_EQ(rig.rx(n, n + 1), bytes);
        ++n;
    }
    MemoryInfo info;
    ASSERT_EQ(rig.run(kOpMemoryInfo, [&](Link& l) { return readMemoryInfo(l, info); }), kOk);
    for (const auto& d : info.devices) EXPECT_EQ(d.fileList, "");
    EXPECT_TRUE(rig.sim.waitForLog("formatted C"));
}

TEST(FetchWire, AStoredFileComesBackWhole) {
    NetRig rig({"--file", "D:Dump.txt=line one"});
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    std::string content;
    ASSERT_EQ(rig.run(kOpFetchFile, [&](Link& l) { return fetchFile(l, "Dump.txt", content); }),
              kOk);
    EXPECT_EQ(content, "line one");
    EXPECT_EQ(rig.rx(0, 1), "\r\nDIAGNOSTIC FILE \"Dump.txt\"\r\n\r\n");
    EXPECT_EQ(rig.pauses, (std::vector<int>{500, 100}));
    // A name that would end the quotes early is not sent.
    EXPECT_EQ(fetchFile(*std::make_unique<Link>(Link{rig.ctx, kEthernet}), "a\"b", content),
              kTransmitError);
}

TEST(LinkTable, FileOperationsRunOnTheParallelPortAndOnlyTheMemoryReadIsWrapped) {
    for (std::uint32_t op : {kOpMemoryInfo, kOpDownload, kOpRawSend, kOpFormat, kOpFetchFile}) {
        m350test::ScriptedLink link({}, kLpt);
        m350test::RecordingProgress progress;
        link.ctx().progress = &progress;
        bool ran = false;
        EXPECT_EQ(runOperation(link.ctx(), op, kLpt,
                               [&](Link&) {
                                   ran = true;
                                   return kOk;
                               }),
                  kOk)
            << op;
        EXPECT_TRUE(ran) << op;
        EXPECT_EQ(!progress.calls.empty(), op == kOpMemoryInfo) << op;
    }
}

}  // namespace
