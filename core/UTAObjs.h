// The field: one question of a template with everything needed to accept, check, show
// and store its answer.
//
// The identifier is also the name of the word-processor bookmark that receives the
// answer. Limits are doubles with sentinels for "none"; for date fields they are whole
// days since 30 December 1899, for time fields the fraction of a day. All texts are
// single-byte Windows-1252 text.
//
// Fields never show dialogs themselves: EditAnswer and EditDefinition hand the field to
// the installed TFeldDialoge (the Qt program installs its dialogs, tests a fake).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Type codes: the position in the field editor's type group.
inline constexpr int ftString = 0;
inline constexpr int ftMemo = 1;
inline constexpr int ftInteger = 2;
inline constexpr int ftReal = 3;
inline constexpr int ftDatum = 4;
inline constexpr int ftZeit = 5;
inline constexpr int ftAuswahl = 6;

inline constexpr double NoLowerLimit = -1e100;
inline constexpr double NoUpperLimit = 1e100;

// Whether a limit is one of the sentinels. The comparison allows a relative difference
// of 1e-16, since a sentinel may have passed through a text form on its way here.
bool IsNoLowerLimit(double value);
bool IsNoUpperLimit(double value);
bool IsUnsetLimit(double value);

// The format "Integer" fields get when the type is set by name.
inline constexpr const char* kIntegerFormat = "%0.0f";

struct TScreenPoint {
    int X = 0;
    int Y = 0;
};

class TTAFeld;

// The answer dialogs and the field editor, as the program supplies them.
class TFeldDialoge {
public:
    TFeldDialoge() = default;
    TFeldDialoge(const TFeldDialoge&) = delete;
    TFeldDialoge& operator=(const TFeldDialoge&) = delete;
    virtual ~TFeldDialoge() = default;

    // Opens the answer dialog of the field's type below position; on OK writes the
    // confirmed answer into the field and returns true. A help file named without a
    // folder lies in helpFolder (the template's; empty: the current folder).
    virtual bool EditAnswer(TTAFeld& field, TScreenPoint position, int width, const std::string& helpFolder) = 0;
    // Opens the field editor on a copy of the field; on OK the field takes the edited
    // definition over and the result is true.
    virtual bool EditDefinition(TTAFeld& field, TScreenPoint position, int width, const std::string& helpFolder) = 0;
};

// Installs the process-wide dialogs (none: editing reports that no dialog is
// available). Returns the previous ones; the caller keeps ownership.
TFeldDialoge* SetFeldDialoge(TFeldDialoge* dialogs);
TFeldDialoge* FeldDialoge();

class TTAFeld {
public:
    TTAFeld() = default;
    virtual ~TTAFeld() = default;
    // Copies go through Clone and Assign, which are part of the field's interface.
    TTAFeld(const TTAFeld&) = delete;
    TTAFeld& operator=(const TTAFeld&) = delete;

    std::string ID;
    std::string Question;  // may hold line breaks
    std::string Answer;    // stored as "Default"; may hold line breaks
    std::int32_t MaxChar = 80;
    std::int32_t MaxRow = 4;
    int Type = ftString;
    std::string Format;
    double Minimum = NoLowerLimit;
    double Maximum = NoUpperLimit;
    std::vector<std::string> VList;
    std::string Function;  // read from templates and carried along; never written
    std::string Help;      // a file name or a help text

    // Sets Type from a stored name (case-sensitive); "Integer" also sets Format to
    // kIntegerFormat. Any other name changes nothing.
    virtual void SetTypeName(const std::string& name);
    // The stored name of Type; "String" for a code outside 0..6.
    virtual std::string GetTypeName() const;
    // A date field whose answer is the language's word for today gets today's date, a
    // time field whose answer is the word for now the current time.
    virtual void ApplyDefaultKeywords();
    // Answer read as a date (as a time); the current date-time when it cannot be read.
    virtual double AnswerAsDate() const;
    virtual double AnswerAsTime() const;
    // A date (time) as answer text: by Format, else the short date (long time) format.
    virtual std::string DateText(double value) const;
    virtual std::string TimeText(double value) const;
    // Delegate to the installed TFeldDialoge; without one they show an error message
    // and return false.
    virtual bool EditAnswer(TScreenPoint position, int width, const std::string& helpFolder = {});
    virtual bool EditDefinition(TScreenPoint position, int width, const std::string& helpFolder = {});
    virtual std::unique_ptr<TTAFeld> Clone() const;
    virtual void Assign(const TTAFeld& source);

    // These depend on the type code only (the field editor asks about the type it has
    // selected, not the field's).
    static bool HasLimits(int type);     // Integer, Real, Datum, Zeit
    static bool HasRows(int type);       // Memo
    static bool HasFormat(int type);     // Real, Datum, Zeit
    static bool HasValueList(int type);  // String, Integer, Real, Auswahl
    // The formats offered for the type, from the language section "Format".
    static std::vector<std::string> FormatChoices(int type);
    // A limit as the field editor shows it; empty for an unset limit.
    static std::string LimitText(const std::string& format, int type, double value);

    // The one-line forms the main window lists: the first line, with "..." when the
    // text has more.
    std::string QuestionDisplay() const;
    std::string AnswerDisplay() const;
};

// The stored names by type code.
const char* FieldTypeName(int type);

// Splits a list of offered formats: items are separated by ";" and by blanks (any
// character up to " "); an item in double quotes may hold both, a doubled quote
// standing for one; a ";" at the very end adds an empty item.
std::vector<std::string> SplitFormatList(const std::string& text);

// The one-line form of a text: FirstLine, followed by "..." when that is not all of it.
std::string OneLineDisplay(const std::string& text);
