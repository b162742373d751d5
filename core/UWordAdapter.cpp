#include "core/UWordAdapter.h"

#include "config/UKonfig.h"
#include "config/USprache.h"
#include "core/UTAObjs.h"
#include "core/UWordEmbedded.h"
#include "env/UCodec.h"
#ifdef TAVIX_HAVE_LIBREOFFICE
#include "core/UWordLibreOffice.h"
#endif

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

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
#ifdef TAVIX_HAVE_LIBREOFFICE
        if (LibreOfficeInstalled())
            return std::make_unique<TWordLibreOfficeApp>();
        error = "LibreOffice is not installed: install LibreOffice Writer (Debian: libreoffice-writer).";
        return nullptr;
#else
        break;
#endif
    }
    error = "This version of the program was built without its LibreOffice back end (it needs the "
            "LibreOffice SDK, Debian: libreoffice-dev).";
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

bool LibreOfficeAvailable()
{
#ifdef TAVIX_HAVE_LIBREOFFICE
    return LibreOfficeInstalled();
#else
    return false;
#endif
}

namespace {

std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The extension of the file name part, lower case, with its dot; empty when none.
std::string ExtensionOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return LowerCase(path.substr(dot));
}

// A Word 97 file by its name or by its first bytes (a compound file), whatever its name.
bool IsBinaryWord(const std::string& file)
{
    const std::string extension = ExtensionOf(file);
    if (extension == ".dot" || extension == ".doc")
        return true;
    std::ifstream in(file, std::ios::binary);
    char magic[8] = {};
    return in.read(magic, sizeof magic) && std::memcmp(magic, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) == 0;
}

}  // namespace

TWordTemplateChoice ChooseWordTemplate(const std::string& templateName, const std::string& setting,
                                       bool libreOffice)
{
    TWordTemplateChoice choice;
    const std::string preference = LowerCase(setting);
    const bool preferLibreOffice = libreOffice && preference == "libreoffice";
    // With every format readable the first found wins; a user who prefers the embedded
    // engine has a ".dot" give way to another format of the same name.
    const bool binaryFirst = libreOffice && preference != "embedded";
    std::string binary;
    if (IsFile(templateName)) {
        if (IsBinaryWord(templateName))
            binary = templateName;
        else
            choice.File = templateName;
    } else {
        for (const std::string& extension : WordTemplateExtensions()) {
            const std::string file = templateName + extension;
            if (!IsFile(file))
                continue;
            if (!IsBinaryWord(file)) {
                choice.File = file;
                break;
            }
            if (binary.empty())
                binary = file;
            if (binaryFirst)
                break;
        }
    }
    if (!binary.empty() && (binaryFirst || choice.File.empty())) {
        choice.File = binary;
        choice.Backend = TWordBackend::LibreOffice;
        if (!libreOffice) {
            choice.File.clear();
            choice.Error = FormatMsg(
                TextOrFallback("FMHaupt", "LibreOfficeMissingMsg",
                               "The Word template \"%s\" is a binary .dot file, which only LibreOffice can read. "
                               "Install LibreOffice Writer (Debian: libreoffice-writer), or save the template "
                               "as .dotx in a word processor."),
                {PathForDisplay(binary)});
        }
        return choice;
    }
    if (!choice.File.empty() && preferLibreOffice)
        choice.Backend = TWordBackend::LibreOffice;
    return choice;
}

TWordTemplateChoice ChooseWordTemplate(const std::string& templateName)
{
    const std::string setting = Konf() ? Konf()->GetDefault(kWordBackendKey) : std::string();
    return ChooseWordTemplate(templateName, setting, LibreOfficeAvailable());
}
