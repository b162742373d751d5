// The office process of the LibreOffice back end: the launcher it is started with, its
// process group, the reaping of offices left behind, and the watchdog that ends what
// does not answer in time.
#pragma once

#include "env/UCodec.h"
#include "word/libreoffice/ULibreOfficeUno.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lo {

// How long an office that is asked to end may take before it is killed.
inline constexpr int kShutdownSeconds = 10;

// A message of the back end in the user's language; the English text where no language
// file has it. A path among the arguments goes through PathForDisplay first.
std::string OfficeText(const char* key, const char* english, const std::vector<std::string>& args = {});

// ---- Processes ---------------------------------------------------------------------------

bool HasDisplay();

std::string DefaultProgram();

// A started office (its launcher, the leader of a process group of its own, so that the
// office under it can be ended with it).
class TOfficeProcess {
public:
    TOfficeProcess() = default;
    TOfficeProcess(const TOfficeProcess&) = delete;
    TOfficeProcess& operator=(const TOfficeProcess&) = delete;

    [[nodiscard]] std::string Start(const std::vector<std::string>& arguments)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> environment;
        for (char** entry = environ; entry && *entry; ++entry)
            // This variable belongs to the program's own UNO runtime, not to the office's.
            if (std::strncmp(*entry, "URE_BOOTSTRAP=", 14) != 0)
                environment.emplace_back(*entry);
        std::vector<char*> argv, envp;
        std::vector<std::string> args = arguments;
        for (std::string& argument : args)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        posix_spawnattr_t attributes;
        posix_spawn_file_actions_t actions;
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGTERM);
        sigaddset(&defaults, SIGINT);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        // The office talks on its standard channels; the program's own stay clean.
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = 0;
        const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (failed != 0)
            return OfficeText("StartFailedMsg", "LibreOffice cannot be started (\"%s\"): %s.",
                              {PathForDisplay(arguments.front()), std::strerror(failed)});
        pid_ = pid;
        reaped_ = false;
        return {};
    }

    pid_t Pid() const { return pid_; }

    // Whether the launcher still runs; reaps it when it has ended. Any thread may ask.
    bool Running()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (pid_ <= 0 || reaped_)
            return false;
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno == ECHILD)) {
            reaped_ = true;
            status_ = status;
            return false;
        }
        return true;
    }

    // The exit status of a launcher that ended by itself; -1 for a signal.
    int ExitStatus()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

    bool WaitForExit(std::chrono::milliseconds limit)
    {
        const auto deadline = TClock::now() + limit;
        while (Running()) {
            if (TClock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Ends the office and its launcher at once. Only while the launcher is not reaped:
    // until then its process group cannot belong to anyone else.
    void Kill()
    {
        if (Running())
            ::kill(-pid_, SIGKILL);
        WaitForExit(std::chrono::seconds(kShutdownSeconds));
    }

private:
    std::mutex mutex_;
    pid_t pid_ = 0;
    bool reaped_ = true;
    int status_ = 0;
};

// What the user's processes say of the office that listens on a pipe (read off /proc):
// whether it runs without any window, and whether a running Tavix program (tavix-fill in
// the middle of a batch, say) started it.
struct TOfficeOnPipe {
    pid_t Pid = 0;  // 0: no such office was found
    bool Headless = false;
    bool OwnedByTavix = false;
};
TOfficeOnPipe FindOfficeOnPipe(const std::string& pipe);

// Offices left running for the user by objects that are gone: reaped once they end, so
// that none stays behind as a zombie.

void AdoptOrphan(std::shared_ptr<TOfficeProcess> process);

void ReapOrphans();

// ---- Time-outs -----------------------------------------------------------------------------

// Runs an action on its own thread when a deadline passes before it is disarmed.
class TWatchdog {
public:
    explicit TWatchdog(std::function<void()> expire) : expire_(std::move(expire)) {}
    TWatchdog(const TWatchdog&) = delete;
    TWatchdog& operator=(const TWatchdog&) = delete;
    ~TWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    void Arm(std::chrono::milliseconds limit)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable())
            thread_ = std::thread([this] { Run(); });
        deadline_ = TClock::now() + limit;
        armed_ = true;
        expired_ = false;
        wake_.notify_all();
    }

    // Whether the deadline had passed.
    bool Disarm()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        armed_ = false;
        wake_.notify_all();
        return expired_;
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            if (!armed_) {
                wake_.wait(lock);
                continue;
            }
            if (wake_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ && !stop_ &&
                TClock::now() >= deadline_) {
                armed_ = false;
                expired_ = true;
                lock.unlock();
                expire_();
                lock.lock();
            }
        }
    }

    std::function<void()> expire_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    TClock::time_point deadline_{};
    bool armed_ = false;
    bool expired_ = false;
    bool stop_ = false;
};

}  // namespace lo
