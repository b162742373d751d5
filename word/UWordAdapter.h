// The word-processor adapter: the operations document generation needs from a word
// processor (attach or start, show, new document from a template, fill a bookmark,
// update fields, user-template folder, list bookmarks, close without saving, quit),
// behind one interface so that the back end can be chosen.
//
// Texts (bookmark names, answers, error texts) are single-byte Windows-1252 like the
// rest of the core; file paths are passed through as the file system's bytes. Every
// operation that can fail returns an error text, empty on success.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class TWordBackend {
    Embedded,     // reads and writes the template files itself; needs no office suite
    LibreOffice,  // drives an installed LibreOffice (optional at build time)
};

// Opens a written file with the desktop's associated program; returns an error text.
using TFileOpener = std::function<std::string(const std::string& path)>;

// The default opener: starts "xdg-open PATH" detached and returns at once.
[[nodiscard]] std::string OpenWithDesktop(const std::string& path);

// The template extensions looked for, in the order a name without extension is resolved.
inline const std::vector<std::string>& WordTemplateExtensions()
{
    static const std::vector<std::string> extensions = {".dot", ".dotx", ".dotm", ".ott"};
    return extensions;
}

// The first existing file base + extension in the order above; empty when none exists.
std::string FindWordTemplateFile(const std::string& base);

// One document made from a template. It lives in memory until it is shown or saved.
class TWordDoc {
public:
    TWordDoc() = default;
    TWordDoc(const TWordDoc&) = delete;
    TWordDoc& operator=(const TWordDoc&) = delete;
    virtual ~TWordDoc() = default;

    // Replaces the content of the bookmark with text and keeps the bookmark around the
    // new text. A vertical tab (code 11) is a manual line break.
    [[nodiscard]] virtual std::string FillBookmark(const std::string& name, const std::string& text) = 0;
    // What the log should say beyond errors since the last call (a bookmark name used
    // twice, of which only the first was filled); each note is handed out once.
    virtual std::vector<std::string> TakeNotices() { return {}; }
    // Gives cross-references to filled bookmarks their new text and has the word
    // processor update the other fields when the document is opened.
    [[nodiscard]] virtual std::string UpdateFields() = 0;
    // The names of the bookmarks, in reading order, each once, as UTF-8 (the word
    // processor's own hidden ones, beginning with "_", included).
    virtual std::vector<std::string> BookmarkNames() const = 0;
    // The names a user sees that can be a field's ID, as single-byte text.
    std::vector<std::string> Bookmarks() const;
    // The extension of the finished document (".docx", ".odt").
    virtual std::string Extension() const = 0;
    // Leaves the document with the user: written into folder as baseName + Extension()
    // (an existing file is never replaced: " (2)", " (3)" ... are appended) and opened
    // with the desktop's program. writtenFile receives the file written.
    [[nodiscard]] virtual std::string ShowDocument(const std::string& folder, const std::string& baseName,
                                                   std::string& writtenFile) = 0;
    // Writes the document to path; an existing file is replaced only when overwrite.
    [[nodiscard]] virtual std::string SaveAs(const std::string& path, bool overwrite) = 0;
    // Discards the document without saving; later calls fail.
    virtual void Close() = 0;
    virtual bool Visible() const = 0;
};

// The error text of a fill whose bookmark the template does not have, in every back end.
inline std::string MissingBookmarkError(const std::string& name)
{
    return "The bookmark \"" + name + "\" does not exist.";
}

// Bookmark names (UTF-8) without the hidden ones, split into those that can be a field's
// ID, as single-byte text, and those the file encoding cannot hold (UTF-8, as found).
struct TBookmarkNamen {
    std::vector<std::string> Usable;
    std::vector<std::string> Unusable;
};
TBookmarkNamen SplitBookmarkNames(const std::vector<std::string>& utf8Names);

class TWordApp {
public:
    TWordApp() = default;
    TWordApp(const TWordApp&) = delete;
    TWordApp& operator=(const TWordApp&) = delete;
    virtual ~TWordApp() = default;

    virtual TWordBackend Kind() const = 0;
    // Attaches to a running word processor or starts one; attached tells which.
    [[nodiscard]] virtual std::string Connect(bool& attached) = 0;
    virtual bool Visible() const = 0;
    virtual void Show() = 0;
    // A new document from the template file (with extension; without one, the
    // extensions of WordTemplateExtensions() are tried). Null with error on failure.
    virtual std::unique_ptr<TWordDoc> AddDocument(const std::string& templateFile, bool visible,
                                                  std::string& error) = 0;
    // The folder of the user's own templates, ending with "/".
    virtual std::string UserTemplateFolder() = 0;
    // Ends an instance this program started.
    virtual void Quit() = 0;
};
