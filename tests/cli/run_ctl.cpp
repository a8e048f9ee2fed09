// SPDX-License-Identifier: MIT
#include "run_ctl.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace m350test {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

CtlRun runCtl(const std::vector<std::string>& args, const std::string& input,
              const std::vector<std::pair<std::string, std::string>>& env) {
    TempDir dir;
    const std::string in = dir.file("stdin"), out = dir.file("stdout"), err = dir.file("stderr");
    writeFile(in, input);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> argStore{M350CTL_PATH};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e) envStore.emplace_back(*e);
    for (auto& [k, v] : env) envStore.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);

    CtlRun run;
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, M350CTL_PATH, &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) return run;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

CtlRun runCtlOnTerminal(const std::vector<std::string>& args,
                        const std::vector<std::pair<std::string, std::string>>& promptsAndAnswers) {
    CtlRun run;
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return run;
    TempDir dir;
    const std::string out = dir.file("stdout");

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, slave, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&fa, slave, 2);
    posix_spawn_file_actions_addclose(&fa, master);
    std::vector<std::string> argStore{M350CTL_PATH};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, M350CTL_PATH, &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(slave);
    if (rc != 0) {
        ::close(master);
        return run;
    }

    // Read what the terminal shows until the child has gone (EIO), typing each
    // answer once its prompt has appeared. The poll limit only guards against a
    // child that hangs; a working run ends long before it.
    std::size_t next = 0, searchFrom = 0;
    for (;;) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 20000) <= 0) break;
        char buf[1024];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) break;
        run.err.append(buf, static_cast<std::size_t>(n));
        if (next < promptsAndAnswers.size()) {
            const auto at = run.err.find(promptsAndAnswers[next].first, searchFrom);
            if (at != std::string::npos) {
                searchFrom = at + promptsAndAnswers[next].first.size();
                const std::string line = promptsAndAnswers[next].second + "\n";
                if (::write(master, line.data(), line.size()) < 0) break;
                ++next;
            }
        }
    }
    ::close(master);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.out = readFile(out);
    return run;
}

}  // namespace m350test
