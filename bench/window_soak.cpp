// SPDX-License-Identifier: MIT
// The window's soak: one main window, driven by object name with scripted
// boxes, runs COUNT operations against a printer on 127.0.0.1:PORT (status,
// configuration read, Save and Load of a file), then prints its own
// descriptor count and resident memory at the start and the end. Run by
// scripts/soak.sh; not a test, so it has no time limit of its own.
//   window_soak PORT COUNT FOLDER
#include <dirent.h>

#include <QApplication>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gui/main_window.h"
#include "test_window.h"

namespace {

int descriptors() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++n;
        ::closedir(d);
        --n;  // the listing's own
    }
    return n;
}

long residentKb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: window_soak PORT COUNT FOLDER\n");
        return 64;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int port = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    const QString file = QString::fromLocal8Bit(argv[3]) + QStringLiteral("/soak.dcf");

    m350test::ScriptedPrompter prompter;
    m350test::RecordingProgress progress;
    m350::gui::MainWindow window(m350test::loopbackPrinter(port),
                                 m350test::testSeams(prompter, progress));
    auto click = [&](const char* name) {
        auto* b = window.findChild<QPushButton*>(QString::fromLatin1(name));
        if (!b) {
            std::fprintf(stderr, "window_soak: no control %s\n", name);
            std::exit(1);
        }
        b->click();
        QCoreApplication::processEvents();
    };
    struct Op {
        const char* button;
        bool file;  // answers a file box
    };
    const Op ops[] = {{"ButtonGetStatus", false},
                      {"ButtonRead", false},
                      {"ButtonSave", true},
                      {"ButtonLoad", true}};
    auto run = [&](int i) {
        const Op& op = ops[i % 4];
        if (op.file) prompter.files.push_back(file);
        click(op.button);
    };
    // One round first: what Qt opens once (fonts, the platform) is not growth.
    for (int i = 0; i < 4; ++i) run(i);
    prompter.messages.clear();
    const int fd0 = descriptors();
    const long rss0 = residentKb();
    for (int i = 0; i < count; ++i) run(i);
    const int fd1 = descriptors();
    const long rss1 = residentKb();
    std::printf("window: %d operations\n", count);
    std::printf("window descriptors: start %d, end %d\n", fd0, fd1);
    std::printf("window resident memory: start %ld kB, end %ld kB\n", rss0, rss1);
    std::printf("window messages: %lld\n", static_cast<long long>(prompter.messages.size()));
    for (const QString& m : prompter.messages) std::fprintf(stderr, "%s\n", qPrintable(m));
    return prompter.messages.isEmpty() ? 0 : 1;
}
