#include "core/UFeldHilfe.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "env/UCodec.h"
#include "env/UDateien.h"

namespace {

bool HasExecutePermission(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return true;  // what cannot be inspected is not trusted
    return (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

// Programs, scripts and launchers by their first bytes: "#!", ELF, a Windows program
// ("MZ", which a desktop may hand to an emulator) or a desktop entry.
bool StartsLikeProgram(const std::string& path)
{
    const TFileBytes start = ReadFileHead(path, 64);
    if (!start)
        return true;
    std::string_view head(start.Bytes);
    if (head.starts_with("#!") ||
        head.starts_with("\x7F"
                         "ELF") ||
        head.starts_with("MZ"))
        return true;
    while (!head.empty() &&
           (head.front() == ' ' || head.front() == '\t' || head.front() == '\r' || head.front() == '\n' ||
            head.starts_with("\xEF\xBB\xBF")))
        head.remove_prefix(head.starts_with("\xEF\xBB\xBF") ? 3 : 1);
    return head.starts_with("[Desktop Entry]") || head.starts_with("[KDE Desktop Entry]");
}

}  // namespace

bool HasProgramContent(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error || StartsLikeProgram(target.string());
}

bool IsRunnableFile(const std::string& path)
{
    // A link counts by what it points to.
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error)
        return true;
    return HasExecutePermission(target.string()) || StartsLikeProgram(target.string());
}

std::string FieldHelpFile(const std::string& entry, const std::string& folder)
{
    if (entry.empty())
        return {};
    // The folder is file-system bytes already. The entry is the template's text: a name
    // typed there is single-byte text, one chosen in a file dialog file-system bytes.
    for (std::string name : {Windows1252ToUtf8(entry), entry}) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            std::filesystem::path path(name);
            if (path.is_relative() && !folder.empty())
                path = std::filesystem::path(folder) / path;
            std::error_code error;
            if (std::filesystem::is_regular_file(path, error))
                return path.string();
            if (name.find('\\') == std::string::npos)
                break;
            std::replace(name.begin(), name.end(), '\\', '/');
        }
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
