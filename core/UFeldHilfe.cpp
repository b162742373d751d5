#include "core/UFeldHilfe.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "env/UCodec.h"

namespace {

// Extensions the desktop would run, install or follow rather than show, in lower case.
constexpr auto kRunnableExtensions = std::to_array<std::string_view>({
    ".desktop", ".directory", ".sh", ".bash", ".zsh", ".ksh", ".csh", ".tcsh", ".fish",
    ".py", ".pyw", ".pl", ".rb", ".php", ".lua", ".tcl", ".js", ".mjs", ".jar", ".jnlp",
    ".exe", ".com", ".bat", ".cmd", ".msi", ".scr", ".pif", ".vbs", ".vbe", ".wsf",
    ".wsh", ".hta", ".ps1", ".lnk", ".url", ".reg", ".cpl", ".appimage", ".run", ".bin",
    ".deb", ".rpm", ".flatpakref", ".snap", ".command", ".app",
});

std::string LowerExtension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool HasExecutePermission(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return true;  // what cannot be inspected is not trusted
    return (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

bool StartsLikeProgram(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return true;
    char start[4] = {};
    in.read(start, sizeof start);
    const std::string_view head(start, static_cast<std::size_t>(in.gcount()));
    return head.starts_with("#!") || head == std::string_view("\x7F" "ELF", 4);
}

bool HasRunnableExtension(const std::filesystem::path& path)
{
    const std::string extension = LowerExtension(path);
    return std::find(kRunnableExtensions.begin(), kRunnableExtensions.end(), extension) != kRunnableExtensions.end();
}

}  // namespace

bool IsRunnableFile(const std::string& path)
{
    // A desktop may judge a link by its target's name, so both names count.
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error || HasRunnableExtension(path) || HasRunnableExtension(target))
        return true;
    return HasExecutePermission(path) || StartsLikeProgram(path);
}

std::string FieldHelpFile(const std::string& entry, const std::string& folder)
{
    if (entry.empty())
        return {};
    std::string name = Windows1252ToUtf8(entry);
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::filesystem::path path(name);
        if (path.is_relative() && !folder.empty())
            path = std::filesystem::path(Windows1252ToUtf8(folder)) / path;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error))
            return path.string();
        if (name.find('\\') == std::string::npos)
            break;
        std::replace(name.begin(), name.end(), '\\', '/');
    }
    return {};
}

TFeldHilfeArt ClassifyFieldHelp(const std::string& entry, const std::string& folder)
{
    if (entry.empty())
        return TFeldHilfeArt::Keine;
    const std::string path = FieldHelpFile(entry, folder);
    if (path.empty())
        return TFeldHilfeArt::Text;
    return IsRunnableFile(path) ? TFeldHilfeArt::Programm : TFeldHilfeArt::Dokument;
}
