// The date and time format engine.
//
// A date or time field carries a pattern such as "dd.mm.yyyy" or "hh:nn".
// DTStrToDateTime checks a typed text strictly against such a pattern and returns the
// date-time value it denotes (days since 30 December 1899, the fraction being the time
// of day); DTFormatDateTime writes a value by a pattern. The checker turns the pattern
// into a list of tokens, runs them over the text and then checks the parts as a whole;
// the formatter is lenient (letters in either case, "m" after "h" means minutes).
//
// Pattern letters of the checker (lower case only; upper-case letters are literal text,
// except for the AM/PM forms):
//   yy yyyy          year, two-digit years placed by TwoDigitYear
//   m mm mmm mmmm    month: number, two digits, short name (3 letters), long name
//   d dd             day; ddd dddd weekday: short name (2 letters), long name
//   h hh  n nn  s ss hour, minute, second (one letter: 1..2 digits; two: exactly 2)
//   z zzz            millisecond (1..3 digits; exactly 3)
//   am/pm a/p ampm   AM/PM marker (any case); am/pm and a/p take the texts as written
//   / :              the date and the time separator of the settings
//   "..." '...'      quoted text; a doubled quote inside stands for one
//   c ddddd dddddd t tt   the locale's formats, expanded before parsing
//
// The hour with an AM/PM marker:
//   AM: hours 0..11 are taken as they are; 12 and more give DTErrHour (1005).
//   PM: hours 1..11 become 13..23, 12 PM is noon (12); 0 and 13 or more give 1005.
//   A pattern with a marker but no hour keeps hour 0, AM or PM alike.
//
// Under the 12-hour clock the formatter writes midnight as "12 AM", which the AM rule
// refuses; times from 00:00 to 00:59 therefore do not read back through such a pattern.
//
// Fixed-width numbers ("yy", "mm", "hh", ...) are read as a whole with leading blanks
// and one sign allowed, in decimal digits only. The settings (separators, AM/PM texts,
// names, formats, year window, default date) come from ULocale, guarded there by
// DateSettingsLock and TimeSettingsLock; the program calls InitLocaleSettings() once at
// start-up. The current year and "now" come from UClock.
#pragma once

#include "datetime/ULocale.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

// Result codes of DTStrToDateTime: 0 success, negative a faulty pattern (-p: at
// position p of the expanded pattern), 1..: the text does not fit at that position.
inline constexpr int DTErrPatternLength = -1000;
inline constexpr int DTErrTextLength = 1000;
inline constexpr int DTErrYear = 1001;
inline constexpr int DTErrMonth = 1002;
inline constexpr int DTErrDay = 1003;
inline constexpr int DTErrWeekday = 1004;
inline constexpr int DTErrHour = 1005;
inline constexpr int DTErrMinute = 1006;
inline constexpr int DTErrSecond = 1007;
inline constexpr int DTErrMilliSec = 1008;
inline constexpr int DTErrDate = 1009;
inline constexpr int DTErrAmbiguous = 1010;
inline constexpr int DTMaxLength = 1000;

// Checks text against pattern. On success error is 0 and the value is returned; on
// any failure error is non-zero and 0.0 is returned. Never throws.
double DTStrToDateTime(const std::string& text, const std::string& pattern, int& error) noexcept;

// Writes value by pattern. A value that is not a date of the years 1..9999 (NaN,
// infinities, out of range) gives an empty text.
std::string DTFormatDateTime(const std::string& pattern, double value);

// ---- Tokens ------------------------------------------------------------------------

// The kinds a token list counts; a pattern may hold each counted kind only once.
enum class TDTKind {
    Literal,
    DateSeparator,
    TimeSeparator,
    Year,
    Month,
    Day,
    Weekday,
    Hour,
    Minute,
    Second,
    MilliSec,
    AmPm
};

class TDTObj {
public:
    TDTObj() = default;
    TDTObj(const TDTObj&) = delete;
    TDTObj& operator=(const TDTObj&) = delete;
    virtual ~TDTObj() = default;

    // The text matched by literal and separator tokens; empty otherwise.
    std::string Text;

    // A one-line diagnostic description.
    virtual std::string Describe() const;
    // Tries the token at the 1-based position of text: the position just after what it
    // read, or the position negated when it does not fit there.
    virtual int Match(const std::string& text, int position);
    virtual bool IsNumeric() const;
    // True when the token reads a run of digits rather than a fixed width.
    virtual bool IsVariableWidth() const;
    virtual TDTKind TokenKind() const;
};

// Literal text; Quote is ' ' for unquoted text, '"' or '\'' for quoted text.
class TDTString : public TDTObj {
public:
    explicit TDTString(char quote, std::string text = {});
    char Quote;
    std::string Describe() const override;
    int Match(const std::string& text, int position) override;
};

class TDTAmPm : public TDTObj {
public:
    TDTAmPm(std::string amText, std::string pmText);
    std::string AmText;
    std::string PmText;
    bool IsAm = true;  // set by Match
    std::string Describe() const override;
    int Match(const std::string& text, int position) override;
    TDTKind TokenKind() const override { return TDTKind::AmPm; }
};

// The locale's separator of dates or of times, matched as it is.
class TDTSeparator : public TDTObj {
public:
    std::string Describe() const override;
    int Match(const std::string& text, int position) override;
    TDTKind TokenKind() const override { return kind_; }

protected:
    // name is the word of Describe.
    TDTSeparator(std::string separator, TDTKind kind, const char* name);

private:
    TDTKind kind_;
    const char* name_;
};

class TDTDateSeparator : public TDTSeparator {
public:
    explicit TDTDateSeparator(std::string separator)
        : TDTSeparator(std::move(separator), TDTKind::DateSeparator, "DATESEP")
    {
    }
};

class TDTTimeSeparator : public TDTSeparator {
public:
    explicit TDTTimeSeparator(std::string separator)
        : TDTSeparator(std::move(separator), TDTKind::TimeSeparator, "TIMESEP")
    {
    }
};

class TDTYear : public TDTObj {
public:
    explicit TDTYear(bool fourDigit);
    bool FourDigit;
    int Value = -1;
    std::string Describe() const override;
    int Match(const std::string& text, int position) override;
    bool IsNumeric() const override { return true; }
    TDTKind TokenKind() const override { return TDTKind::Year; }
};

// A part of the date read by kind: Kind is how many times its letter stands in the pattern.
class TDTDatePart : public TDTObj {
public:
    int Kind;
    int Value = -1;
    std::string Describe() const override;

protected:
    // name is the word of Describe.
    TDTDatePart(int kind, const char* name) : Kind(kind), name_(name) {}

private:
    const char* name_;
};

// Kind 1..4: the number of "m" letters.
class TDTMonth : public TDTDatePart {
public:
    explicit TDTMonth(int kind) : TDTDatePart(kind, "MONTH") {}
    int Match(const std::string& text, int position) override;
    bool IsNumeric() const override { return Kind <= 2; }
    bool IsVariableWidth() const override { return Kind == 1; }
    TDTKind TokenKind() const override { return TDTKind::Month; }
};

// Kind 1 or 2.
class TDTDay : public TDTDatePart {
public:
    explicit TDTDay(int kind) : TDTDatePart(kind, "DAY") {}
    int Match(const std::string& text, int position) override;
    bool IsNumeric() const override { return true; }
    bool IsVariableWidth() const override { return Kind == 1; }
    TDTKind TokenKind() const override { return TDTKind::Day; }
};

// Kind 3 (short name) or 4 (long name); Value 1 = Sunday .. 7 = Saturday.
class TDTWeekday : public TDTDatePart {
public:
    explicit TDTWeekday(int kind) : TDTDatePart(kind, "WEEKDAY") {}
    int Match(const std::string& text, int position) override;
    TDTKind TokenKind() const override { return TDTKind::Weekday; }
};

// A part of the time of day. LeadingZero: exactly two digits; otherwise one or two.
class TDTClockPart : public TDTObj {
public:
    bool LeadingZero;
    int Value = -1;
    std::string Describe() const override;
    int Match(const std::string& text, int position) override;
    bool IsNumeric() const override { return true; }
    bool IsVariableWidth() const override { return !LeadingZero; }
    TDTKind TokenKind() const override { return kind_; }

protected:
    // name is the word of Describe; the part reads 0..maximum.
    TDTClockPart(bool leadingZero, TDTKind kind, const char* name, int maximum)
        : LeadingZero(leadingZero)
        , kind_(kind)
        , name_(name)
        , maximum_(maximum)
    {
    }

private:
    TDTKind kind_;
    const char* name_;
    int maximum_;
};

class TDTHour : public TDTClockPart {
public:
    explicit TDTHour(bool leadingZero) : TDTClockPart(leadingZero, TDTKind::Hour, "HOUR", 23) {}
};

class TDTMinute : public TDTClockPart {
public:
    explicit TDTMinute(bool leadingZero) : TDTClockPart(leadingZero, TDTKind::Minute, "MINUTE", 59) {}
};

class TDTSecond : public TDTClockPart {
public:
    explicit TDTSecond(bool leadingZero) : TDTClockPart(leadingZero, TDTKind::Second, "SECOND", 59) {}
};

// LeadingZero: exactly three digits; otherwise one to three.
class TDTMilliSec : public TDTObj {
public:
    explicit TDTMilliSec(bool leadingZero);
    bool LeadingZero;
    int Value = -1;
    std::string Describe() const override;
    int Match(const std::string& text, int position) override;
    bool IsNumeric() const override { return true; }
    bool IsVariableWidth() const override { return !LeadingZero; }
    TDTKind TokenKind() const override { return TDTKind::MilliSec; }
};

// The tokens of one pattern, in order, owned, with a counter per kind.
class TDTFmtObjects {
public:
    TDTFmtObjects() = default;
    TDTFmtObjects(const TDTFmtObjects&) = delete;
    TDTFmtObjects& operator=(const TDTFmtObjects&) = delete;

    // Appends the token and raises its kind's counter; a second token of a counted kind
    // is refused (false) and destroyed.
    bool Add(std::unique_ptr<TDTObj> token);
    int Count(TDTKind kind) const { return counters_[static_cast<std::size_t>(kind)]; }
    std::size_t Size() const { return items_.size(); }
    TDTObj& operator[](std::size_t index) { return *items_[index]; }
    const TDTObj& operator[](std::size_t index) const { return *items_[index]; }

    // The first token of a type, or nullptr.
    template <class T>
    T* Find()
    {
        for (const auto& item : items_)
            if (auto* token = dynamic_cast<T*>(item.get()))
                return token;
        return nullptr;
    }
    template <class T>
    const T* Find() const
    {
        for (const auto& item : items_)
            if (const auto* token = dynamic_cast<const T*>(item.get()))
                return token;
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<TDTObj>> items_;
    std::array<int, 12> counters_{};
};

// ---- The steps of DTStrToDateTime, usable one by one ---------------------------------

// Replaces c, ddddd, dddddd, t and tt outside quotes by the locale's formats (date
// formats with M turned into m, time formats with the minute m turned into n; quoted
// text and AM/PM markers inside the formats stay as they are).
std::string ExpandFormat(const std::string& pattern);
// Fills tokens; 0, or minus the 1-based position where the faulty token starts.
int ParseFormat(const std::string& pattern, TDTFmtObjects& tokens);
// 0, or DTErrAmbiguous when a variable-width token is directly followed by a number.
int CheckAmbiguity(const TDTFmtObjects& tokens);
// 0, or the 1-based text position where a token did not fit or text was left over.
int MatchText(const std::string& text, TDTFmtObjects& tokens);
// 0 or DTErrYear..DTErrDate; value receives the date-time on success.
int ComposeDateTime(const TDTFmtObjects& tokens, double& value);

// The full year of a two-digit year value (0..99) seen from currentYear with a window
// of 0..50 years: with window 0 the current century; otherwise the years from
// currentYear - window to the end of the previous century belong to the previous
// century, and the years from the start of the next century to currentYear + window
// belong to the next.
int TwoDigitYear(int value, int currentYear, int window);

// ---- String routines (1-based positions) ------------------------------------------

// The first position at or after start whose character is (not) in set; -1 when there
// is none, the text is empty or start lies beyond its end.
int FindFirstOf(const std::string& text, const std::string& set, int start);
int FindFirstNotOf(const std::string& text, const std::string& set, int start);
// Collects the text from start up to the next lone quote character (a doubled quote
// adds one quote); the position of the closing quote, or -1 when there is none.
int ExtractQuoted(const std::string& text, char quote, int start, std::string& quoted);
// Replaces count characters at position; position plus the replacement's length, or -1
// when no character follows the replaced span.
int ReplaceAt(std::string& text, const std::string& replacement, int position, int count);
