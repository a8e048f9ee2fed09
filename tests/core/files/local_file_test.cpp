// SPDX-License-Identifier: MIT
// Saving and reading the operator's files: whatever stands at the path (a
// link, a device, a FIFO, a folder), the save either replaces a regular file
// whole or says why it did not, and leaves nothing behind; input files are read
// only when regular and small enough.
#include "core/files/local_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <tuple>

#include "support/test_files.h"

using namespace m350;
namespace fs = std::filesystem;

using m350test::readAll;
using m350test::TempDir;
using m350test::writeRaw;

namespace {

struct SaveCase {
    const char* what;
    // Prepares the folder; returns the path to save to.
    std::function<std::string(TempDir&)> prepare;
    bool saved;
    const char* reasonHas;  // part of the message when refused
    // What must hold afterwards (the path given and the folder).
    std::function<void(TempDir&, const std::string&)> check;
};

}  // namespace

TEST(LocalFileSave, WhateverStandsAtThePath) {
    const std::vector<SaveCase> cases = {
        {"a new file gets the usual mode", [](TempDir& d) { return d.file("new.dcf"); }, true, "",
         [](TempDir&, const std::string& p) {
             struct stat st {};
             ASSERT_EQ(::stat(p.c_str(), &st), 0);
             const mode_t mask = ::umask(0);
             ::umask(mask);
             EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
         }},
        {"an existing file keeps its mode",
         [](TempDir& d) {
             writeRaw(d.file("old.dcf"), "old");
             ::chmod(d.file("old.dcf").c_str(), 0640);
             return d.file("old.dcf");
         },
         true, "",
         [](TempDir&, const std::string& p) {
             struct stat st {};
             ASSERT_EQ(::stat(p.c_str(), &st), 0);
             EXPECT_EQ(st.st_mode & 07777, 0640u);
         }},
        {"a symbolic link stays a link and its target is replaced",
         [](TempDir& d) {
             writeRaw(d.file("target.dcf"), "old");
             fs::create_symlink("target.dcf", d.file("link.dcf"));
             return d.file("link.dcf");
         },
         true, "",
         [](TempDir& d, const std::string& p) {
             EXPECT_TRUE(fs::is_symlink(p));
             EXPECT_EQ(readAll(d.file("target.dcf")), "new bytes");
         }},
        {"a chain of links to a name not yet there creates the target",
         [](TempDir& d) {
             fs::create_symlink(d.file("final.dcf"), d.file("b"));
             fs::create_symlink("b", d.file("a"));
             return d.file("a");
         },
         true, "",
         [](TempDir& d, const std::string& p) {
             EXPECT_TRUE(fs::is_symlink(p));
             EXPECT_TRUE(fs::is_symlink(d.file("b")));
             EXPECT_EQ(readAll(d.file("final.dcf")), "new bytes");
         }},
        {"a link loop is refused",
         [](TempDir& d) {
             fs::create_symlink("y", d.file("x"));
             fs::create_symlink("x", d.file("y"));
             return d.file("x");
         },
         false, "symbolic links", [](TempDir&, const std::string&) {}},
        {"a FIFO is refused and stays a FIFO",
         [](TempDir& d) {
             ::mkfifo(d.file("fifo").c_str(), 0600);
             return d.file("fifo");
         },
         false, "a FIFO", [](TempDir&, const std::string& p) { EXPECT_TRUE(fs::is_fifo(p)); }},
        {"a link to a FIFO is refused",
         [](TempDir& d) {
             ::mkfifo(d.file("fifo").c_str(), 0600);
             fs::create_symlink("fifo", d.file("to-fifo"));
             return d.file("to-fifo");
         },
         false, "a FIFO",
         [](TempDir& d, const std::string&) { EXPECT_TRUE(fs::is_fifo(d.file("fifo"))); }},
        {"a device node is refused and never replaced",
         [](TempDir&) { return std::string("/dev/null"); }, false, "a device",
         [](TempDir&, const std::string& p) { EXPECT_TRUE(fs::is_character_file(p)); }},
        {"a link to a device node is refused",
         [](TempDir& d) {
             fs::create_symlink("/dev/null", d.file("null"));
             return d.file("null");
         },
         false, "a device",
         [](TempDir&, const std::string&) { EXPECT_TRUE(fs::is_character_file("/dev/null")); }},
        {"a directory is refused",
         [](TempDir& d) {
             fs::create_directory(d.file("dir.dcf"));
             return d.file("dir.dcf");
         },
         false, "a directory",
         [](TempDir&, const std::string& p) { EXPECT_TRUE(fs::is_directory(p)); }},
        {"a socket is refused",
         [](TempDir& d) {
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un addr{};
             addr.sun_family = AF_UNIX;
             const std::string p = d.file("sock");
             std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", p.c_str());
             ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
             ::close(fd);
             return p;
         },
         false, "a socket", [](TempDir&, const std::string& p) { EXPECT_TRUE(fs::is_socket(p)); }},
        {"a name with spaces and a newline",
         [](TempDir& d) { return d.file("my file\nnext line.dcf"); }, true, "",
         [](TempDir&, const std::string& p) { EXPECT_EQ(readAll(p), "new bytes"); }},
        {"a folder that does not exist", [](TempDir& d) { return d.file("no/such/x.dcf"); }, false,
         "No such file", [](TempDir&, const std::string&) {}},
        {"an empty name", [](TempDir&) { return std::string(); }, false, "no file name",
         [](TempDir&, const std::string&) {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = c.prepare(dir);
        const auto before = dir.names();
        std::string why;
        const bool ok = writeFileAtomically(path, std::string_view("new bytes"), &why);
        EXPECT_EQ(ok, c.saved) << why;
        if (!c.saved) {
            EXPECT_NE(why.find(c.reasonHas), std::string::npos) << why;
            EXPECT_EQ(dir.names(), before) << "nothing created, nothing left behind";
        } else {
            EXPECT_EQ(readAll(path), "new bytes");
            EXPECT_LE(dir.names().size(), before.size() + 1) << "no temporary file left";
        }
        c.check(dir, path);
    }
}

TEST(LocalFileSave, ReadOnlyFolderSaysWhyAndKeepsTheFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
    TempDir dir;
    writeRaw(dir.file("keep.dcf"), "old");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
    std::string why;
    EXPECT_FALSE(writeFileAtomically(dir.file("keep.dcf"), std::string_view("new"), &why));
    EXPECT_NE(why.find("Permission denied"), std::string::npos) << why;
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(readAll(dir.file("keep.dcf")), "old");
    EXPECT_EQ(dir.names().size(), 1u);
}

TEST(LocalFileSave, AnotherUsersFileStaysTheirs) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can hand a file to another user";
    TempDir dir;
    const std::string p = dir.file("theirs.dcf");
    writeRaw(p, "old");
    ASSERT_EQ(::chown(p.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(p.c_str(), 0604), 0);
    ASSERT_TRUE(writeFileAtomically(p, std::string_view("new")));
    struct stat st {};
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
}

// A save interrupted by SIGINT or SIGTERM leaves no temporary file and the old
// file whole; what a killed save (SIGKILL) left is removed by the next save
// of the same file once it is a minute old. A 250-byte name saves too.
TEST(LocalFileSave, InterruptedSavesLeaveNoTemporaryFiles) {
    TempDir dir;
    const std::string target = dir.file("backup.dcf");
    for (const int sig : {SIGTERM, SIGINT}) {
        ASSERT_TRUE(writeFileAtomically(target, std::string("old")));
        const pid_t child = ::fork();
        if (child == 0)  // saves without end, nearly always inside one
            for (const std::string big(8u << 20, 'x');;) writeFileAtomically(target, big);
        ASSERT_GT(child, 0);
        for (int i = 0; i < 500 && dir.names().size() < 2; ++i) ::usleep(2000);
        ::kill(child, sig);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig);
        EXPECT_EQ(dir.names(), std::set<std::string>{"backup.dcf"}) << sig;
        EXPECT_TRUE(readAll(target) == "old" || readAll(target).size() == (8u << 20));
    }
    // Name, age in seconds, removed: only the old ones of this file's own pattern.
    const std::vector<std::tuple<std::string, int, bool>> stale = {
        {"backup.dcf.Ab3xZ9", 120, true},
        {"backup.dcf.Ab3xZ8", 0, false},
        {"backup.dcf.Ab3xZ", 120, false},
        {"other.dcf.Ab3xZ9", 120, false}};
    for (const auto& [name, age, removed] : stale) {
        std::ofstream(dir.file(name)) << "partial";
        const timespec t[2] = {{std::time(nullptr) - age, 0}, {std::time(nullptr) - age, 0}};
        ::utimensat(AT_FDCWD, dir.file(name).c_str(), t, 0);
    }
    ASSERT_TRUE(writeFileAtomically(target, std::string("new")));
    for (const auto& [name, age, removed] : stale)
        EXPECT_EQ(fs::exists(dir.file(name)), !removed) << name;
    EXPECT_TRUE(writeFileAtomically(dir.file(std::string(250, 'n')), std::string("long")));
}

TEST(LocalFileRead, OnlyRegularFilesUpToTheirBound) {
    TempDir dir;
    writeRaw(dir.file("small"), "secret\n");
    writeRaw(dir.file("large"), std::string(2000, 'x'));
    ::mkfifo(dir.file("fifo").c_str(), 0600);
    fs::create_symlink("small", dir.file("link"));
    struct Case {
        std::string path;
        LongerFile longer;
        bool ok;
        const char* result;  // the data, or a part of the message
    };
    const std::vector<Case> cases = {
        {dir.file("small"), LongerFile::kRefuse, true, "secret\n"},
        {dir.file("link"), LongerFile::kRefuse, true, "secret\n"},
        {dir.file("large"), LongerFile::kRefuse, false, "longer than 1024 bytes"},
        {dir.file("large"), LongerFile::kReadHead, true, nullptr},
        {dir.file("fifo"), LongerFile::kRefuse, false, "a FIFO"},
        {"/dev/zero", LongerFile::kRefuse, false, "a device"},
        {"/dev/zero", LongerFile::kReadHead, false, "a device"},
        {dir.path(), LongerFile::kRefuse, false, "a directory"},
        {dir.file("missing"), LongerFile::kRefuse, false, "No such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string data = "stale", why;
        const bool ok = readLocalFile(c.path, 1024, data, why, c.longer);
        ASSERT_EQ(ok, c.ok) << why;
        if (!ok) {
            EXPECT_NE(why.find(c.result), std::string::npos) << why;
            EXPECT_NE(why.find(c.path), std::string::npos) << "the message names the file";
            EXPECT_TRUE(data.empty());
        } else if (c.result) {
            EXPECT_EQ(data, c.result);
        } else {
            EXPECT_EQ(data, std::string(1024, 'x'));
        }
    }
}

TEST(LocalFileRead, AStreamStopsAtItsBound) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], std::string(3000, 'p').data(), 3000), 3000);
    ::close(fds[1]);
    std::string data, why;
    EXPECT_FALSE(readLocalDescriptor(fds[0], "standard input", 1024, data, why));
    EXPECT_NE(why.find("standard input: longer than 1024"), std::string::npos) << why;
    ::close(fds[0]);
}
