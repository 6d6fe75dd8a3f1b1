#include "hexbytes.h"
#include "ptyclient.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The built qpa3600-sim, run as a user would run it.
class SimProgram {
public:
    explicit SimProgram(const std::vector<std::string>& arguments)
    {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        std::vector<std::string> all{QPA_SIM_PROGRAM};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        argv.reserve(all.size() + 1);
        for (std::string& argument : all)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, QPA_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }

    ~SimProgram()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }

    bool running() const { return pid_ > 0; }

    // The first line of standard output, without its newline.
    std::string firstLine(int timeoutMs = 15000) { return readLine(out_, timeoutMs); }
    std::string errorOutput(int timeoutMs = 15000) { return readLine(err_, timeoutMs); }

    void signal(int number) { ::kill(pid_, number); }

    // The exit code, or -1 when it did not exit normally within the time.
    int waitForExit(int timeoutMs = 15000)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(10000);
        }
        return -1;
    }

private:
    static std::string readLine(int fd, int timeoutMs)
    {
        std::string line;
        char c = 0;
        pollfd watched{fd, POLLIN, 0};
        while (poll(&watched, 1, timeoutMs) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

TEST(SimProgram, PrintsTheDeviceServesThroughTheLinkAndExitsOnSignal)
{
    const std::filesystem::path link =
        std::filesystem::temp_directory_path() / ("qpa-sim-program-" + std::to_string(::getpid()));
    SimProgram program({"--link", link.string(), "--seed", "9", "--trigger-delay", "0.1"});
    ASSERT_TRUE(program.running());
    const std::string device = program.firstLine();
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);

    {
        PtyClient client(link.string());
        ASSERT_TRUE(client.isOpen());
        client.send(Hex("01 10 00 76 00 02 04 00 00 96 43 5A F0"));
        EXPECT_EQ(ToHex(client.receive(5)), ToHex(WithCrc(Hex("01 09 76"))));
    }

    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(SimProgram, RefusesBadArgumentsWithExitCodeTwo)
{
    SimProgram program({"--address", "300"});
    ASSERT_TRUE(program.running());
    EXPECT_NE(program.errorOutput().find("--address"), std::string::npos);
    EXPECT_EQ(program.waitForExit(), 2);
}

// What may stand at --link PATH: an earlier run's link is replaced, anything
// else is the user's and stays as it was, the simulator exiting with 1.
TEST(SimProgram, ReplacesOnlyASymbolicLinkAtTheLinkPath)
{
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> make;
        bool replaced;
    };
    const std::vector<Case> cases = {
        {"stale link", [](const auto& p) { std::filesystem::create_symlink("/dev/pts/9999", p); },
         true},
        {"dangling link to a file of ours",
         [](const auto& p) { std::filesystem::create_symlink(p.string() + ".gone", p); }, true},
        {"regular file", [](const auto& p) { std::ofstream(p) << "keep me"; }, false},
        {"folder", [](const auto& p) { std::filesystem::create_directory(p); }, false},
    };
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qpa-sim-link-" + std::to_string(::getpid()));
    std::filesystem::create_directory(folder);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path link = folder / "port";
        std::filesystem::remove_all(link);
        c.make(link);
        const auto before = std::filesystem::symlink_status(link).type();
        SimProgram program({"--link", link.string()});
        ASSERT_TRUE(program.running());
        if (c.replaced) {
            const std::string device = program.firstLine();
            EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);
            program.signal(SIGTERM);
            EXPECT_EQ(program.waitForExit(), 0);
            EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
        } else {
            EXPECT_NE(program.errorOutput().find("not a symbolic link"), std::string::npos);
            EXPECT_EQ(program.waitForExit(), 1);
            EXPECT_EQ(std::filesystem::symlink_status(link).type(), before);
            if (before == std::filesystem::file_type::regular) {
                std::ifstream kept(link);
                EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
            }
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                                std::filesystem::directory_iterator()),
                  c.replaced ? 0 : 1)
            << "no stray file beside the link";
    }
    std::filesystem::remove_all(folder);
}

} // namespace
