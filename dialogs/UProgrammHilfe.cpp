#include "dialogs/UProgrammHilfe.h"

#include <sys/stat.h>

#include "config/UKonfig.h"
#include "config/USprache.h"
#include "env/UDateien.h"

namespace {

constexpr const char* kHelpExtension = ".qch";
constexpr const char* kFallbackLanguage = "Deutsch";

bool IsRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The viewer call: 0 when the topic was handed to a viewer, 1 when there is none.
int HHDisplayTopic(const std::string& /*helpFile*/, const std::string& /*topic*/)
{
    return 1;  // the help viewer is not part of this build yet
}

}  // namespace

std::string ProgramHelpFile(const std::string& folder, const std::string& language, std::string& fallback)
{
    fallback = folder + kFallbackLanguage + kHelpExtension;
    const std::string own = folder + language + kHelpExtension;
    if (!language.empty() && IsRegularFile(own))
        return own;
    return IsRegularFile(fallback) ? fallback : std::string();
}

void ShowHelpTopic(const std::string& topic)
{
    std::string fallback;
    const std::string file = ProgramHelpFile(InstallDataFolder(), Konf() ? Konf()->GetLanguage() : "", fallback);
    if (file.empty()) {
        MsgDlg(FormatMsg(GetText("Basics", "FileNotFound"), {fallback}), TMsgKind::Error, {TMsgButton::OK});
        return;
    }
    const int result = HHDisplayTopic(file, topic);
    if (result != 0)
        MsgDlg(GetText("Basics", "Help") + " " + GetText("Basics", "Error") + " " + std::to_string(result),
               TMsgKind::Error, {TMsgButton::OK});
}
