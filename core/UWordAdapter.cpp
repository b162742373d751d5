#include "core/UWordAdapter.h"

#include "core/UWordEmbedded.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <cstring>

extern char** environ;

std::string OpenWithDesktop(const std::string& path)
{
    // The shell starts xdg-open in the background and ends at once: the program neither
    // waits for the word processor nor leaves an unreaped child behind.
    static const char* const script =
        "command -v xdg-open >/dev/null 2>&1 || exit 127; "
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

std::unique_ptr<TWordApp> MakeWordApp(TWordBackend kind, std::string& error, TFileOpener opener)
{
    error.clear();
    switch (kind) {
    case TWordBackend::Embedded:
        return std::make_unique<TWordEmbeddedApp>(opener ? std::move(opener) : TFileOpener(OpenWithDesktop));
    case TWordBackend::LibreOffice:
        break;
    }
    error = "The LibreOffice back end is not available in this version.";
    return nullptr;
}

bool WordBackendFromName(const std::string& name, TWordBackend& kind)
{
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "embedded") {
        kind = TWordBackend::Embedded;
        return true;
    }
    if (lower == "libreoffice") {
        kind = TWordBackend::LibreOffice;
        return true;
    }
    return false;
}
