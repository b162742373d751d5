// The checks an answer must pass before a dialog (or a command-line tool) accepts it.
//
// Every check answers with an empty optional when the answer is accepted, otherwise
// with the message to show: its language section and key, the texts it fills in and
// its kind. The dialogs show that message and stay open; a tool prints it. Nothing
// here shows anything, so both share the very same rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/USprache.h"
#include "core/UTAObjs.h"

struct TEingabeMeldung {
    std::string Section;  // the dialog's form name, or "Basics"
    std::string Key;
    std::vector<std::string> Args;
    TMsgKind Kind = TMsgKind::Information;

    // The message text from the installed language table (for the keys that are newer
    // than some language files, an English sentence while the file lacks the key).
    std::string Text() const;
    bool operator==(const TEingabeMeldung&) const = default;
};

using TPruefung = std::optional<TEingabeMeldung>;

// --- Text and number answers ("FMEingabe") ---------------------------------------

// A limit as the messages show it: FormatNumber of format, or a whole number when the
// format is the whole-number format.
std::string NumberLimitText(const std::string& format, double limit);
// Without limits every text passes, even in a number field. With a limit the text must
// be a number ("Invalid") of at least the minimum ("Greater") and at most the maximum
// ("Smaller"); both limits are inclusive.
TPruefung CheckNumberInput(const std::string& text, double minimum, double maximum, const std::string& format);

// --- Dates and times ("FMDatum", "FMZeit") ----------------------------------------

// A limit as date (time) text: by format, or the short date (long time) format of the
// regional settings when format is empty.
std::string DateLimitText(const std::string& format, double limit);
std::string TimeLimitText(const std::string& format, double limit);
// The whole-day part of date against the day limits.
TPruefung CheckDateInput(double date, double minimum, double maximum, const std::string& format);
// The time of day of value (its fraction) against the limits.
TPruefung CheckTimeInput(double value, double minimum, double maximum, const std::string& format);

// The refusal of a time dialog whose shown text is no time of the field's format (a
// half-typed entry the picker would otherwise read another way), with an example of
// the format ("Invalid" of "FMZeit").
TEingabeMeldung UnreadableTimeMessage(const std::string& format);

// Whole days of a date-time value (towards zero, so the time of day never moves a day)
// and its time of day as a fraction 0 <= t < 1 (rounded to whole milliseconds).
double DatePart(double value);
double TimePart(double value);

// --- Choices ("FMListbox") -------------------------------------------------------

// The first value equal to answer, ignoring letter case (of Windows-1252 letters); -1
// when there is none.
int FindChoice(const std::vector<std::string>& values, const std::string& answer);
// A chosen index must name an entry ("Select", an error).
TPruefung CheckChoiceInput(int index, int count);

// --- An answer of any field type -------------------------------------------------

// What a field asks of its answers, as it hands it to its answer dialog.
struct TAntwortRegeln {
    int Type = ftString;
    double Minimum = NoLowerLimit;
    double Maximum = NoUpperLimit;
    std::string Format{};
    int ChoiceCount = 0;  // choices: the number of entries
};
TAntwortRegeln RulesOf(const TTAFeld& field);

// An answer as a dialog takes it: the text of a text, number or memo field, the entry
// of a choice, the value of a date or time.
struct TAntwort {
    std::string Text{};
    int Choice = -1;
    double Value = 0;
};

// The one decision, for every answer dialog and for the command-line tool, whether an
// answer of the field's type is acceptable, and with which message when not: a memo
// takes any text, a text or number its limits, a date or time its day or time limits,
// a choice one of the entries. How long a text may be typed is the edit's affair: a
// longer answer that comes from a file is kept.
TPruefung CheckAnswer(const TAntwortRegeln& rules, const TAntwort& answer);

// --- Typed text ------------------------------------------------------------------

// Text typed in UTF-8 must fit the single-byte file encoding. Refused with "Basics"
// "NotRepresentable" (an error) naming the characters as "U+XXXX", each once.
TPruefung CheckRepresentable(std::string_view utf8);
