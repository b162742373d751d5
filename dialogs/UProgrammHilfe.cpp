#include "dialogs/UProgrammHilfe.h"

#include <sys/stat.h>

#include <utility>

#include "config/UKonfig.h"
#include "config/USprache.h"
#include "dialogs/FHilfeFenster.h"
#include "env/UCodec.h"
#include "env/UDateien.h"
#include "env/VControl.h"

namespace {

constexpr const char* kHelpExtension = ".qch";
constexpr const char* kFallbackLanguage = "Deutsch";

THilfeAnzeige* g_anzeige = nullptr;

bool IsRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// "%20" stands for a blank in addresses handed around as URLs.
std::string Unescaped(std::string text)
{
    for (std::size_t at = text.find("%20"); at != std::string::npos; at = text.find("%20", at + 1))
        text.replace(at, 3, " ");
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
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

std::string HelpTopicAddress(const std::string& helpFile, const std::string& topic, const std::string& window)
{
    const std::string file = Unescaped(helpFile);
    std::string page = Unescaped(topic);
    std::string address = file;
    if (!page.empty()) {
        for (char& c : page)
            if (c == '\\')
                c = '/';
        if (page.front() != '/')
            page.insert(0, "/");
        address = file.empty() ? page : file + "::" + page;
    }
    const std::string name = Unescaped(window);
    if (!name.empty())
        address += ">" + name;
    return address;
}

THilfeAnzeige* SetHilfeAnzeige(THilfeAnzeige* viewer)
{
    return std::exchange(g_anzeige, viewer);
}

int HHDisplayTopic(const std::string& helpFile, const std::string& topic, const std::string& window, int /*mode*/)
{
    const std::string address = HelpTopicAddress(helpFile, topic, window);
    const bool shown = g_anzeige ? g_anzeige->Show(address) : ShowInHelpWindow(address);
    return shown ? 0 : 1;
}

void ShowHelpTopic(const std::string& topic)
{
    ShowHelpTopic(topic, InstallDataFolder(), Konf() ? Konf()->GetLanguage() : "");
}

void ShowHelpTopic(const std::string& topic, const std::string& folder, const std::string& language)
{
    std::string fallback;
    const std::string file = ProgramHelpFile(folder, language, fallback);
    if (file.empty()) {
        MsgDlg(FormatMsg(GetText("Basics", "FileNotFound"), {PathForDisplay(fallback)}), TMsgKind::Error,
               {TMsgButton::OK});
        return;
    }
    const int result = HHDisplayTopic(file, topic, "", 0);
    if (result != 0)
        MsgDlg(GetText("Basics", "Help") + " " + GetText("Basics", "Error") + " " + std::to_string(result),
               TMsgKind::Error, {TMsgButton::OK});
}
