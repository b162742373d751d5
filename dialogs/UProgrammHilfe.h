// The program help: topics of the compiled help file (Qt's ".qch") of the interface
// language, shown in the program's own help window.
#pragma once

#include <string>

// The help file of the configured language in folder (ending with "/"), or the German
// one when that language has none; empty when neither exists (fallback then names the
// German file).
std::string ProgramHelpFile(const std::string& folder, const std::string& language, std::string& fallback);

// The address of a topic: "%20" in any part becomes a blank and the parts are trimmed;
// a topic gets slashes for backslashes and a leading slash and follows the file after
// "::"; a window name follows after ">".
std::string HelpTopicAddress(const std::string& helpFile, const std::string& topic, const std::string& window);

// Shows what an address names; the program's help window unless a test installs another.
class THilfeAnzeige {
public:
    THilfeAnzeige() = default;
    THilfeAnzeige(const THilfeAnzeige&) = delete;
    THilfeAnzeige& operator=(const THilfeAnzeige&) = delete;
    virtual ~THilfeAnzeige() = default;
    // False when there is no viewer (the help module could not be loaded).
    virtual bool Show(const std::string& address) = 0;
};
// Installs the viewer (none: the help window). Returns the previous one.
THilfeAnzeige* SetHilfeAnzeige(THilfeAnzeige* viewer);

// Hands the topic of the help file to the viewer: 0 when it took it, 1 without a viewer.
// mode is kept for callers that pass it; only 0 is used.
int HHDisplayTopic(const std::string& helpFile, const std::string& topic, const std::string& window, int mode = 0);

// Shows a topic ("editor.htm") of the program help; failures are reported to the user.
void ShowHelpTopic(const std::string& topic);
// The same with the help files of folder in the given language.
void ShowHelpTopic(const std::string& topic, const std::string& folder, const std::string& language);
