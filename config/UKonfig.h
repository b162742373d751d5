// The configuration store: the user's settings in KONFIGURATION.XML.
//
// The store keeps the whole file as one XML tree and works on one named list of values at
// a time: the list is read out of the tree, looked up or changed, written back into the
// tree, and the file is rewritten at once after every change. It never creates the file or
// its lists; PrepareFolders seeds the user's copy from the installation before the store
// is created. Its few messages are fixed English texts in the stock message box, since
// they must work before any language file is loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

class TXBaum;

struct TWindowState {
    bool Maximized = false;
    std::int32_t Left = -1;
    std::int32_t Top = -1;
    std::int32_t Width = -1;
    std::int32_t Height = -1;
};

class TKonfWert {
public:
    TKonfWert() = default;
    TKonfWert(std::string name, std::string info, std::string wert)
        : Name(std::move(name))
        , Info(std::move(info))
        , Wert(std::move(wert))
    {
    }

    std::string Name;  // the key
    std::string Info;  // a description for whoever edits the file; not used by the program
    std::string Wert;  // the value

    // Wert as a decimal 32-bit integer (leading blanks and a sign allowed), else the default.
    std::int32_t AsInteger(std::int32_t fallback = 0) const;
};

// One named list of values; owns its values.
class TKonfWertListe {
public:
    explicit TKonfWertListe(std::string name) : Name(std::move(name)) {}
    TKonfWertListe(const TKonfWertListe&) = delete;
    TKonfWertListe& operator=(const TKonfWertListe&) = delete;

    std::string Name;  // the list element's name in the file

    int Count() const { return static_cast<int>(values_.size()); }
    TKonfWert* Item(int index) const;  // none outside the range
    TKonfWert* Add(std::unique_ptr<TKonfWert> value);
    void Clear() { values_.clear(); }

private:
    std::vector<std::unique_ptr<TKonfWert>> values_;
};

class TKonf {
public:
    // The user's file: the per-user data folder's KONFIGURATION.XML.
    TKonf();
    // The same with another file (tests, tools).
    explicit TKonf(std::string filePath);
    TKonf(const TKonf&) = delete;
    TKonf& operator=(const TKonf&) = delete;
    ~TKonf();

    static std::string DefaultPath();
    const std::string& FilePath() const { return path_; }

    TWindowState ReadWindowState(const std::string& listName);
    void WriteWindowState(const std::string& listName, const TWindowState& state);
    // The values of "Spalte0", "Spalte1", ... up to the first missing number.
    std::vector<std::string> ReadColumns(const std::string& listName);
    // Sets "Spalte" + i to columns[i] where that entry exists; adds none.
    void WriteColumns(const std::string& listName, std::vector<std::string> columns);
    std::string GetLanguage();
    void SetLanguage(const std::string& name);
    std::string GetDefault(const std::string& key);
    void SetDefault(const std::string& key, const std::string& value);
    static std::string JaNein(bool flag) { return flag ? "Ja" : "Nein"; }

    // Reads the file again; a missing or unparsable file leaves the store without a tree.
    void Load();
    // Writes the tree to the file (atomically); the error text, empty on success.
    [[nodiscard]] std::string Save();

    // Building blocks, each on the one open list.
    void OpenList(const std::string& name, std::string& error);
    void CloseList(bool save, std::string& error);
    void ReadList(std::string& error);
    void WriteList(std::string& error);
    TKonfWert* FindValue(std::string_view name, int& index) const;
    TKonfWert* FindOrAddValue(const std::string& name, const std::string& info, int& index);

    const TXBaum* XKonf() const { return xKonf_.get(); }
    const TKonfWertListe* KonfWerte() const { return konfWerte_.get(); }
    // The error text of the last CloseList (empty when it succeeded); the store reports
    // nothing to its callers, but the program may want to know a setting was not saved.
    const std::string& LastError() const { return lastError_; }
    // The error of a failed write, once: the first time it is asked for after writes
    // began to fail; empty otherwise. A write that succeeds ends the failure, so a later
    // one is reported again.
    std::string TakeWriteError() { return std::exchange(unreportedError_, std::string()); }

private:
    // Opens the list, returns false when that failed (then nothing is to be closed).
    bool Open(const std::string& name);
    void Close(bool save);

    std::string path_;
    std::unique_ptr<TXBaum> xKonf_;
    std::unique_ptr<TKonfWertListe> konfWerte_;
    std::string lastError_;
    std::string unreportedError_;
    bool writesFailing_ = false;
};

// The one configuration store of the program, owned by the main window and reached by
// every part through this reference (none before the window installs it).
TKonf* Konf();
TKonf* SetKonf(TKonf* store);  // returns the previous one
