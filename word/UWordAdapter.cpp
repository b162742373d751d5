#include "word/UWordAdapter.h"

#include "env/UCodec.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

extern char** environ;

std::string OpenWithDesktop(const std::string& path)
{
    // The shell starts xdg-open in the background and ends at once: the program neither
    // waits for the word processor nor leaves an unreaped child behind.
    static const char* const script = "command -v xdg-open >/dev/null 2>&1 || exit 127; "
                                      "xdg-open \"$1\" </dev/null >/dev/null 2>&1 & exit 0";
    std::string shell = "sh", dashC = "-c", body = script, name = "tavix-open", file = path;
    char* argv[] = {shell.data(), dashC.data(), body.data(), name.data(), file.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ);
    if (spawned != 0)
        return std::string("The desktop's program cannot be started: ") + std::strerror(spawned) + ".";
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return {};  // reaped elsewhere; the start itself succeeded
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        return "xdg-open is not installed (package xdg-utils).";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "The desktop's program cannot be started.";
    return {};
}

std::string FindWordTemplateFile(const std::string& base)
{
    for (const std::string& extension : WordTemplateExtensions()) {
        const std::string file = base + extension;
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return file;
    }
    return {};
}

TBookmarkNamen SplitBookmarkNames(const std::vector<std::string>& utf8Names)
{
    TBookmarkNamen names;
    for (const std::string& utf8 : utf8Names) {
        if (utf8.empty() || utf8.front() == '_')
            continue;
        std::string name;
        if (Utf8ToWindows1252(utf8, name))
            names.Usable.push_back(name);
        else
            names.Unusable.push_back(utf8);
    }
    return names;
}

std::vector<std::string> TWordDoc::Bookmarks() const
{
    return SplitBookmarkNames(BookmarkNames()).Usable;
}
