#include "word/libreoffice/ULibreOfficeProzess.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "config/USprache.h"
#include "env/UDateien.h"
#include "env/VControl.h"

extern char** environ;

namespace lo {

namespace {

std::mutex g_orphansMutex;
std::vector<std::shared_ptr<TOfficeProcess>> g_orphans;

}  // namespace

std::string OfficeText(const char* key, const char* english, const std::vector<std::string>& args)
{
    return FormatMsg(TextOrFallback("LibreOffice", key, english), args);
}

bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

std::string DefaultProgram()
{
    return std::string(kProgramDir) + "/soffice";
}

namespace {

// A small file of /proc, read up to a limit; empty when it cannot be read.
std::string ProcFile(const std::string& path)
{
    return ReadFileHead(path, 64 * 1024).Bytes;
}

std::vector<std::string> CommandLineOf(const std::string& pid)
{
    std::vector<std::string> arguments;
    const std::string bytes = ProcFile("/proc/" + pid + "/cmdline");
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\0', at), bytes.size());
        arguments.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    return arguments;
}

std::string ParentOf(const std::string& pid)
{
    // "pid (comm) state ppid ...": the name may hold blanks and brackets.
    const std::string stat = ProcFile("/proc/" + pid + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return {};
    std::size_t at = stat.find(' ', close + 2);  // past the state
    if (at == std::string::npos)
        return {};
    ++at;
    return stat.substr(at, stat.find(' ', at) - at);
}

std::string NameOf(const std::string& pid)
{
    std::string name = ProcFile("/proc/" + pid + "/comm");
    while (!name.empty() && name.back() == '\n')
        name.pop_back();
    return name;
}

bool IsOfficeProcess(const std::string& name)
{
    return name == "soffice" || name == "soffice.bin" || name == "oosplash" || name == "soffice.sh";
}

// Whether the first process above the office's own (its launcher chain) is a Tavix program.
bool StartedByTavix(std::string pid)
{
    for (int level = 0; level < 8; ++level) {
        pid = ParentOf(pid);
        if (pid.empty() || pid == "0" || pid == "1")
            return false;
        const std::string name = NameOf(pid);
        if (!IsOfficeProcess(name))
            return name.rfind("tavix", 0) == 0;
    }
    return false;
}

}  // namespace

TOfficeOnPipe FindOfficeOnPipe(const std::string& pipe)
{
    TOfficeOnPipe found;
    const std::string accept = "--accept=pipe,name=" + pipe + ";";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string pid = entry.path().filename().string();
        pid_t number = 0;
        struct stat info {};
        if (pid.find_first_not_of("0123456789") != std::string::npos || !ReadInteger(pid, number) ||
            ::stat(entry.path().c_str(), &info) != 0 || info.st_uid != ::getuid())
            continue;
        const std::vector<std::string> arguments = CommandLineOf(pid);
        if (std::none_of(arguments.begin(), arguments.end(),
                         [&](const std::string& a) { return a.rfind(accept, 0) == 0; }))
            continue;
        found.Pid = number;
        found.Headless = std::any_of(arguments.begin(), arguments.end(),
                                     [](const std::string& a) { return a == "--headless" || a == "-headless"; });
        found.OwnedByTavix = StartedByTavix(pid);
        // The office itself rather than its launcher, which may have ended or be about to.
        if (NameOf(pid) == "soffice.bin")
            break;
    }
    return found;
}

void AdoptOrphan(std::shared_ptr<TOfficeProcess> process)
{
    std::lock_guard<std::mutex> lock(g_orphansMutex);
    g_orphans.push_back(std::move(process));
}

void ReapOrphans()
{
    std::lock_guard<std::mutex> lock(g_orphansMutex);
    g_orphans.erase(std::remove_if(g_orphans.begin(), g_orphans.end(),
                                   [](const std::shared_ptr<TOfficeProcess>& p) { return !p->Running(); }),
                    g_orphans.end());
}

}  // namespace lo
