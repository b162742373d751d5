#include "config/USpracheKeys.h"

#include <array>

namespace {

constexpr std::array kSchluessel = std::to_array<TSprachSchluessel>({
    // Shared texts, the message dialog's titles and its button captions.
    {"Basics", "OK"},
    {"Basics", "Cancel"},
    {"Basics", "HelpF1"},
    {"Basics", "New"},
    {"Basics", "Default"},
    {"Basics", "Today"},
    {"Basics", "Now"},
    {"Basics", "FileNotFound", 1},      // path
    {"Basics", "NotRepresentable", 1},  // the characters the file cannot hold
    {"Basics", "CannotOpen", 1},        // path
    {"Basics", "NoDialogMsg"},
    {"Basics", "Help"},
    {"Basics", "Error"},
    {"Basics", "Warning"},
    {"Basics", "Information"},
    {"Basics", "Confirmation"},
    {"Basics", "Yes"},
    {"Basics", "No"},
    {"Basics", "Abort"},
    {"Basics", "Retry"},
    {"Basics", "Ignore"},
    {"Basics", "All"},
    {"Basics", "NoToAll"},
    {"Basics", "YesToAll"},
    {"Basics", "LanguageCode"},  // the language's ISO 639 code, for the toolkit's own texts

    // Default folder names below the document folder.
    {"Directories", "DocDirName"},
    {"Directories", "TemplateDirName"},

    // Formats offered in the field editor, separated by ";".
    {"Format", "Float"},
    {"Format", "Time"},
    {"Format", "Date"},

    // Main window.
    {"FMHaupt", "LVCol1"},
    {"FMHaupt", "LVCol2"},
    {"FMHaupt", "OpenTitle"},
    {"FMHaupt", "OpenFilter"},
    {"FMHaupt", "SaveTitle"},
    {"FMHaupt", "SaveFilter"},
    {"FMHaupt", "HM1000"},
    {"FMHaupt", "HM2000"},
    {"FMHaupt", "HM3000"},
    {"FMHaupt", "HM4000"},
    {"FMHaupt", "HM5000"},
    {"FMHaupt", "A1010"},
    {"FMHaupt", "A1020"},
    {"FMHaupt", "A1030"},
    {"FMHaupt", "A1040"},
    {"FMHaupt", "A2010"},
    {"FMHaupt", "A2020"},
    {"FMHaupt", "A3010"},
    {"FMHaupt", "A3020"},
    {"FMHaupt", "A3030"},
    {"FMHaupt", "A3040"},
    {"FMHaupt", "A3050"},
    {"FMHaupt", "A3060"},
    {"FMHaupt", "A3070"},
    {"FMHaupt", "A3080"},
    {"FMHaupt", "A4010"},
    {"FMHaupt", "A4020"},
    {"FMHaupt", "A4030"},
    {"FMHaupt", "A4040"},
    {"FMHaupt", "A5010"},
    {"FMHaupt", "A5020"},
    {"FMHaupt", "A5040"},
    {"FMHaupt", "A5090"},
    {"FMHaupt", "FileChangedMsg", 1},  // file name
    {"FMHaupt", "FileMsg", 2},         // path, the parser's error text
    {"FMHaupt", "DocTitle"},
    {"FMHaupt", "WordTemplate"},
    {"FMHaupt", "QuestionWTemplate"},
    {"FMHaupt", "TemplateNotFoundMsg", 1},  // .dot file
    {"FMHaupt", "TextmarkeMsg", 1},         // bookmark name
    {"FMHaupt", "UnusableBookmarkMsg", 1},  // bookmark name
    {"FMHaupt", "Document"},
    {"FMHaupt", "DocumentWrittenMsg", 1},  // the document file written
    {"FMHaupt", "TemplateDir"},
    {"FMHaupt", "DocDir"},
    {"FMHaupt", "WordTemplateDir"},
    {"FMHaupt", "LibreOfficeMissingMsg", 1},  // path of the .dot file
    {"FMHaupt", "FileTooLargeMsg", 1},        // path
    {"FMHaupt", "FileNotTextMsg", 1},         // path
    {"FMHaupt", "UnstorableMsg", 2},          // path, element
    {"FMHaupt", "UnstorableFieldMsg", 3},     // path, element, field ID
    {"FMHaupt", "TitleQuestion"},
    {"FMHaupt", "ChooseWordTemplate"},
    {"FMHaupt", "NoWordTemplatesMsg", 2},   // folder searched, menu command that sets it
    {"FMHaupt", "SettingsNotSavedMsg", 1},  // the reason (it names the file)
    {"FMHaupt", "EmptyListHint", 1},        // menu command that opens a file

    // Field editor: captions, labels used in messages, messages.
    {"FMEditor", "Caption"},
    {"FMEditor", "LAID"},
    {"FMEditor", "LATyp"},
    {"FMEditor", "LAMinMax"},
    {"FMEditor", "LAMaxZ"},
    {"FMEditor", "LAZeichen"},
    {"FMEditor", "LAZeilen"},
    {"FMEditor", "LAAuswahl"},
    {"FMEditor", "LAFormat"},
    {"FMEditor", "LAHilfe"},
    {"FMEditor", "BTText"},
    {"FMEditor", "BTDatei"},
    {"FMEditor", "TSFrage"},
    {"FMEditor", "TSVorgabe"},
    {"FMEditor", "RGTyp", 0, 7},  // the seven type captions, one per line
    {"FMEditor", "OpenHelp"},
    {"FMEditor", "OpenHelpFilter"},
    {"FMEditor", "MaxChar"},
    {"FMEditor", "MaxRows"},
    {"FMEditor", "Minimum"},
    {"FMEditor", "Maximum"},
    {"FMEditor", "DefaultLengthError"},
    {"FMEditor", "DefaultRowsError"},
    {"FMEditor", "FormatError"},
    {"FMEditor", "SelectionError"},
    {"FMEditor", "HelpMsg"},
    {"FMEditor", "SelectionMsg"},
    {"FMEditor", "IBetween", 3},           // label, lower bound, upper bound
    {"FMEditor", "Between", 3},            // label, lower bound, upper bound
    {"FMEditor", "Invalid", 1},            // label
    {"FMEditor", "Greater", 2},            // label, bound
    {"FMEditor", "Smaller", 2},            // label, bound
    {"FMEditor", "InvalidDateFormat", 1},  // pattern
    {"FMEditor", "InvalidDate", 3},        // label, pattern, example
    {"FMEditor", "InvalidTimeFormat", 1},  // pattern
    {"FMEditor", "InvalidTime", 3},        // label, pattern, example

    // Answer dialogs.
    {"FMEingabe", "Invalid"},
    {"FMEingabe", "Greater", 1},  // limit
    {"FMEingabe", "Smaller", 1},  // limit
    {"FMDatum", "Greater", 1},
    {"FMDatum", "Smaller", 1},
    {"FMZeit", "Greater", 1},
    {"FMZeit", "Smaller", 1},
    {"FMZeit", "Invalid", 1},  // an example of the time format
    {"FMListbox", "Select"},

    // Folder chooser, help text dialog, About box.
    {"FMVerzeichnis", "TitleNew"},
    {"FMVerzeichnis", "QuestionNew"},
    {"FMVerzeichnis", "NoSubdir"},
    {"FMVerzeichnis", "BTNeu"},
    {"FMHilfe", "Caption"},
    {"FMHilfeFenster", "Caption"},
    {"FMHilfeFenster", "Back"},
    {"FMHilfeFenster", "Forward"},
    {"FMHilfeFenster", "Contents"},
    {"FMVersion", "LAVersion"},

    // The LibreOffice back end.
    {"LibreOffice", "StartFailedMsg", 2},   // program, reason
    {"LibreOffice", "NotInstalledMsg", 1},  // program
    {"LibreOffice", "EndedAtStartMsg", 1},  // exit status
    {"LibreOffice", "StartTimeoutMsg", 2},  // seconds, " (last error)" or nothing
    {"LibreOffice", "RuntimeMsg", 1},       // reason
    {"LibreOffice", "NoConnectionMsg", 1},  // reason
    {"LibreOffice", "ReportsMsg", 1},       // the office's message
    {"LibreOffice", "UnusableMsg", 1},      // reason
    {"LibreOffice", "CallTimeoutMsg", 1},   // seconds
    {"LibreOffice", "TimedOutMsg"},
    {"LibreOffice", "EndedMsg"},
    {"LibreOffice", "ClosedThereMsg"},
    {"LibreOffice", "DocumentClosedMsg"},
    {"LibreOffice", "WindowlessMsg"},
    {"LibreOffice", "NoDisplayMsg"},
    {"LibreOffice", "ShowMsg", 1},              // reason
    {"LibreOffice", "TemplateReadMsg", 2},      // path, reason
    {"LibreOffice", "TemplateNotFileMsg", 1},   // path
    {"LibreOffice", "TemplateUnusableMsg", 2},  // path, reason
    {"LibreOffice", "CannotOpenMsg"},
    {"LibreOffice", "PlainTextMsg"},
    {"LibreOffice", "NotTextMsg"},
    {"LibreOffice", "FillMsg", 2},  // bookmark, reason
    {"LibreOffice", "UnnamedFieldsMsg"},
    {"LibreOffice", "UpdateMsg", 1},    // reason
    {"LibreOffice", "NoFilterMsg", 2},  // path, extension
    {"LibreOffice", "ExistsMsg", 1},    // path
    {"LibreOffice", "WriteMsg", 2},     // path, reason
});

}  // namespace

std::span<const TSprachSchluessel> SprachSchluessel()
{
    return kSchluessel;
}
