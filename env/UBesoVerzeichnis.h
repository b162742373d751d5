// The special folders the program keeps its files under.
//
// The program addresses three roles by their historic numbers; on this desktop they are
// resolved the freedesktop (XDG) way:
//   5  personal documents  -> XDG_DOCUMENTS_DIR from user-dirs.dirs, else $HOME/Documents
//   28 per-user data       -> $XDG_CONFIG_HOME, else $HOME/.config
//   35 installation data   -> the "share" folder beside the program's "bin" folder, so
//                             that "Tavix/" below it is <prefix>/share/Tavix/ (in the build
//                             tree the build's copy of data/).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

constexpr std::int32_t CSIDL_PERSONAL = 5;
constexpr std::int32_t CSIDL_LOCAL_APPDATA = 28;
constexpr std::int32_t CSIDL_COMMON_APPDATA = 35;

// The folder of the role, ending with "/"; empty for an unknown role or a folder that
// cannot be worked out (no home folder, program folder unknown). The folder need not
// exist yet.
void GetSpecialFolder(std::int32_t csidl, std::string& path);
std::string SpecialFolder(std::int32_t csidl);

// The user's home folder: $HOME when it is absolute, else the account's from the password
// database; empty when neither is known.
std::string UserHomeFolder();
// A folder of the user's user-dirs.dirs (as xdg-user-dirs writes it) by its key, such as
// "XDG_DOCUMENTS_DIR" or "XDG_TEMPLATES_DIR"; the last assignment counts. None when the
// file or the key is missing or the value is neither absolute nor below $HOME.
std::optional<std::string> XdgUserDir(const std::string& key);
