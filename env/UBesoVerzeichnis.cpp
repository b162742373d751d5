#include "env/UBesoVerzeichnis.h"

#include "env/UDateien.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "env/VControl.h"

namespace {

std::string EnvValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// XDG base folders must be absolute; a relative value is ignored as the XDG rules say.
std::string ConfigHome(const std::string& home)
{
    std::string config = EnvValue("XDG_CONFIG_HOME");
    if (!config.empty() && config.front() == '/')
        return config;
    if (home.empty())
        return {};
    return WithSlash(home) + ".config";
}

// The value of one line 'XDG_DOCUMENTS_DIR="$HOME/Documents"' as xdg-user-dirs writes
// it: quoted, with backslash escapes, either absolute or starting with $HOME.
std::optional<std::string> UserDirValue(const std::string& line, const std::string& key, const std::string& home)
{
    std::size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line.compare(pos, key.size(), key) != 0)
        return std::nullopt;
    pos += key.size();
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    ++pos;
    const bool quoted = pos < line.size() && line[pos] == '"';
    if (quoted)
        ++pos;
    std::string raw;
    for (; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (quoted && c == '"')
            break;
        if (!quoted && (c == ' ' || c == '\t' || c == '#'))
            break;
        if (c == '\\' && pos + 1 < line.size())
            raw += line[++pos];
        else
            raw += c;
    }
    if (raw.compare(0, 5, "$HOME") == 0 && (raw.size() == 5 || raw[5] == '/')) {
        if (home.empty())
            return std::nullopt;
        return home + raw.substr(5);
    }
    if (!raw.empty() && raw.front() == '/')
        return raw;
    return std::nullopt;
}

std::string DocumentsFolder()
{
    if (auto documents = XdgUserDir("XDG_DOCUMENTS_DIR"))
        return *documents;
    const std::string home = UserHomeFolder();
    if (home.empty())
        return {};
    return WithSlash(home) + "Documents";
}

// <prefix>/bin/program -> <prefix>/share
std::string InstallationShareFolder()
{
    std::string program = ProgramFolder();
    while (!program.empty() && program.back() == '/')
        program.pop_back();
    const std::size_t slash = program.rfind('/');
    if (slash == std::string::npos)
        return {};
    return program.substr(0, slash + 1) + "share";
}

}  // namespace

void GetSpecialFolder(std::int32_t csidl, std::string& path)
{
    switch (csidl) {
    case CSIDL_PERSONAL: path = DocumentsFolder(); break;
    case CSIDL_LOCAL_APPDATA: path = ConfigHome(UserHomeFolder()); break;
    case CSIDL_COMMON_APPDATA: path = InstallationShareFolder(); break;
    default: path.clear(); break;
    }
    path = WithSlash(path);
}

std::string SpecialFolder(std::int32_t csidl)
{
    std::string path;
    GetSpecialFolder(csidl, path);
    return path;
}

std::string UserHomeFolder()
{
    std::string home = EnvValue("HOME");
    if (!home.empty() && home.front() == '/')
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

std::optional<std::string> XdgUserDir(const std::string& key)
{
    const std::string home = UserHomeFolder();
    const std::string config = ConfigHome(home);
    if (config.empty())
        return std::nullopt;
    std::optional<std::string> folder;
    std::string text;
    if (!ReadTextLines(WithSlash(config) + "user-dirs.dirs", text))
        return std::nullopt;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find("\r\n", at), text.size());
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        // Like the shell that reads this file: the last assignment counts.
        if (auto value = UserDirValue(line, key, home))
            folder = std::move(value);
    }
    return folder;
}
