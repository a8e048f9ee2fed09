// SPDX-License-Identifier: MIT
// A font file downloaded on the wire: DOWNLOAD, the device prefix, the quoted
// printer name, the size and a comma, then the file's bytes and nothing more.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "core/files/font_download.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350;

TEST(FontDownload, HeaderAndBytesOnTheWirePerDevice) {
    struct Case {
        int device;
        const char* header;
    };
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("TEMP.BMF")).toStdString();
    std::string file("B\x01\x00\x01", 4);
    file += std::string(40, '\xAA');
    std::ofstream(path, std::ios::binary) << file;
    for (const Case c : {Case{m350::kDeviceDram, "DOWNLOAD \"FONT001\",44,"},
                         Case{m350::kDeviceFlash, "DOWNLOAD F,\"FONT001\",44,"},
                         Case{m350::kDeviceCard, "DOWNLOAD E,\"FONT001\",44,"}}) {
        m350test::SimProcess sim;
        ASSERT_TRUE(sim.ok()) << sim.error();
        PortSettings settings;
        settings.net = {"127.0.0.1", sim.tcpPort()};
        m350test::RecordingProgress progress;
        LinkContext ctx;
        ctx.settings = &settings;
        ctx.progress = &progress;
        ctx.timeouts.progressHideMs = 0;
        ASSERT_EQ(
            runOperation(ctx, kOpDownload, kEthernet,
                         [&](Link& l) { return downloadFontFile(l, path, "FONT001", c.device); }),
            kOk);
        ASSERT_TRUE(sim.waitForClosed(1));
        const auto t = sim.transcript();
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0].rx, c.header + file);
        EXPECT_EQ(progress.calls.front(), "open Communicating...");
    }
}

TEST(FontDownload, MissingFileSendsNothing) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    PortSettings settings;
    settings.net = {"127.0.0.1", sim.tcpPort()};
    LinkContext ctx;
    ctx.settings = &settings;
    EXPECT_EQ(
        runOperation(ctx, kOpDownload, kEthernet,
                     [&](Link& l) { return downloadFontFile(l, "/nonexistent/F.BMF", "F", 1); }),
        kFileOpenError);
    EXPECT_TRUE(sim.transcript().empty());
}
