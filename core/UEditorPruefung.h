// The checks of the field editor and the taking over of its entries, without Qt.
//
// The editor hands what its controls hold, as text, to CheckEditorInput when OK is
// pressed; the messages come back in the order they are shown (section "FMEditor"
// unless they say otherwise), and an empty list accepts the entries. WriteEditorInput
// then copies them into the field copy being edited. Tests and tools reach both without
// a window.
#pragma once

#include <string>
#include <vector>

#include "core/UEingabePruefung.h"
#include "core/UTAObjs.h"

struct TEditorEingabe {            // what the editor's controls hold, as text
    std::string ID;                // EDID
    int Type = ftString;           // the type chosen in RGTyp
    std::string Question;          // MEFrage
    std::string Default;           // MEVorgabe
    std::string Minimum, Maximum;  // EDMinimum, EDMaximum
    std::string MaxChar, MaxRow;   // EDMaxZeichen, EDMaxZeilen
    std::string Format;            // EDFormat
};

// Bounds of the editor's checks.
inline constexpr int kMaxCharLimit = 32000;
inline constexpr int kMaxRowLimit = 1000;
inline constexpr int kIntegerLimit = 2147483647;
inline constexpr double kLatestDate = 105000.0;           // 23 June 2187
inline constexpr double kLatestTime = 0.999999988425926;  // 23:59:59.999

// The messages that OK shows, in order (section "FMEditor"); empty when the input is accepted.
std::vector<TEingabeMeldung> CheckEditorInput(const TEditorEingabe& input, const std::vector<std::string>& valueList);
// WriteBack: the controls into the working copy (value list and help are set by their buttons).
void WriteEditorInput(const TEditorEingabe& input, TTAFeld& working);

// What the controls show for a field when the editor opens (LoadFromField): limits as
// text for types with limits, the number of lines only for "Memo", the format only for
// types with a format.
TEditorEingabe EditorInputOf(const TTAFeld& field);

// The characters of a text counted as the file holds it (a line break is CR LF, two).
int CharacterCount(const std::string& text);
// The lines of a text; an empty last line is not counted.
int LineCount(const std::string& text);
