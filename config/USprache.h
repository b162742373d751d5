// The language tables and the message interface.
//
// TSprache holds the loaded language file and answers GetText (section, key). Every
// message goes through MsgDlg; only the few fixed English texts that must work without
// a language file (configuration store, language loader, folder preparation) go to the
// platform's stock message box. Both are reached through one process-wide TMeldungsZiel
// that the program installs (its own dialogs) and tests replace with a recorder, so
// nothing here waits for a human.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TXBaum;

// --- Messages ---------------------------------------------------------------------

enum class TMsgKind { Warning = 0, Error = 1, Information = 2, Confirmation = 3, Custom = 4 };

// In the order in which the dialog lays them out.
enum class TMsgButton { Yes = 0, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };
constexpr int kMsgButtonCount = 11;

// Results of MsgDlg: which button closed the dialog.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrAll = 8;
constexpr int mrNoToAll = 9;
constexpr int mrYesToAll = 10;

// A set of buttons; bit n stands for the button with code n.
class TMsgButtons {
public:
    constexpr TMsgButtons() = default;
    constexpr TMsgButtons(std::initializer_list<TMsgButton> buttons)
    {
        for (TMsgButton b : buttons)
            bits_ |= Bit(b);
    }
    constexpr bool Contains(TMsgButton b) const { return (bits_ & Bit(b)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint16_t Bits() const { return bits_; }
    constexpr bool operator==(const TMsgButtons&) const = default;

private:
    static constexpr std::uint16_t Bit(TMsgButton b) { return static_cast<std::uint16_t>(1u << static_cast<int>(b)); }
    std::uint16_t bits_ = 0;
};

// The result a button returns (Help returns 0 and therefore does not close the dialog).
int MsgButtonResult(TMsgButton button);
// The button's component name, which is also its caption key in section "Basics".
const char* MsgButtonName(TMsgButton button);
// The key in section "Basics" of the window title; empty for Custom (the application's title).
const char* MsgKindTitleKey(TMsgKind kind);
// The button the dialog makes its default: OK when requested, else Yes when requested,
// else Retry (which then is a default only when it is among the buttons).
TMsgButton MsgDefaultButton(TMsgButtons buttons);
// The button Esc presses: Cancel when requested, else No when requested, else OK.
TMsgButton MsgCancelButton(TMsgButtons buttons);

// The icon of the platform's stock message box for the fixed English messages.
enum class TStockIcon { Information, Error };

// Where messages go. The program installs its dialogs; tests install a recorder.
class TMeldungsZiel {
public:
    TMeldungsZiel() = default;
    TMeldungsZiel(const TMeldungsZiel&) = delete;
    TMeldungsZiel& operator=(const TMeldungsZiel&) = delete;
    virtual ~TMeldungsZiel() = default;

    // Shows the message dialog modally and returns the result of the button that closed
    // it (mrCancel when it was closed otherwise). The help context is not used.
    virtual int MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int helpContext) = 0;
    // The platform's stock message box with one OK button.
    virtual void StockMessage(const std::string& text, TStockIcon icon) = 0;
};

// Installs the process-wide target (none: messages go to standard error and MsgDlg
// answers mrCancel). Returns the previous one. The caller keeps ownership.
TMeldungsZiel* SetMeldungsZiel(TMeldungsZiel* target);
TMeldungsZiel* MeldungsZiel();

int MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int helpContext = 0);
void StockMessage(const std::string& text, TStockIcon icon);

// GetText, or fallback while the loaded language file lacks the key (the key is newer
// than the file) or no language file is loaded: the user then reads a sentence instead
// of "#_" and the key.
std::string TextOrFallback(const char* section, const char* key, const char* fallback);

// Fills a message text: "%s" takes the next argument, "%N:s" argument N (and the next
// "%s" then N + 1), "%%" is a percent sign. Anything else is copied as it is, and a
// missing argument gives an empty text, so a language file can never break a message.
std::string FormatMsg(std::string_view pattern, const std::vector<std::string>& args);
// The argument numbers the pattern refers to, in order (as FormatMsg counts them).
std::vector<int> MsgPlaceholders(std::string_view pattern);

// --- Language tables --------------------------------------------------------------

class TSprache {
public:
    // Language files are looked up in the installation data folder.
    TSprache();
    // The same with another folder (empty or ending with "/").
    explicit TSprache(std::string folder);
    TSprache(const TSprache&) = delete;
    TSprache& operator=(const TSprache&) = delete;
    ~TSprache();

    // Loads the language file of that name from the folder. A missing file keeps the
    // loaded texts; a file that cannot be read or parsed leaves no texts at all.
    void Load(const std::string& fileName);
    // The text, or "#_" followed by the key when there is none.
    std::string GetText(std::string_view section, std::string_view key) const;

    bool Loaded() const { return tree_ != nullptr; }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    std::unique_ptr<TXBaum> tree_;
};

// The one language table of the program: owned by the main window, reached by every
// part through this reference (none before the window installs it).
TSprache* Sprache();
TSprache* SetSprache(TSprache* table);  // returns the previous one
// GetText on the installed table; "#_" followed by the key when none is installed.
std::string GetText(std::string_view section, std::string_view key);
