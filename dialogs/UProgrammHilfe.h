// The program help: topics of the help file of the interface language.
#pragma once

#include <string>

// The help file of the configured language in folder (ending with "/"), or the German
// one when that language has none; empty when neither exists (fallback then names the
// German file).
std::string ProgramHelpFile(const std::string& folder, const std::string& language, std::string& fallback);

// Shows a topic ("editor.htm") of the program help; failures are reported to the user.
void ShowHelpTopic(const std::string& topic);
