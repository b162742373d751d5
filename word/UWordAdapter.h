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
std::string OpenWithDesktop(const std::string& path);

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

    // Replaces the content of every occurrence of the bookmark with text and keeps the
    // bookmark around the new text. A vertical tab (code 11) is a manual line break.
    virtual std::string FillBookmark(const std::string& name, const std::string& text) = 0;
    // Gives cross-references to filled bookmarks their new text and has the word
    // processor update the other fields when the document is opened.
    virtual std::string UpdateFields() = 0;
    // The names of the bookmarks a user sees, in reading order, each once.
    virtual std::vector<std::string> Bookmarks() const = 0;
    // The extension of the finished document (".docx", ".odt").
    virtual std::string Extension() const = 0;
    // Leaves the document with the user: written into folder as baseName + Extension()
    // (an existing file is never replaced: " (2)", " (3)" ... are appended) and opened
    // with the desktop's program. writtenFile receives the file written.
    virtual std::string ShowDocument(const std::string& folder, const std::string& baseName,
                                     std::string& writtenFile) = 0;
    // Writes the document to path; an existing file is replaced only when overwrite.
    virtual std::string SaveAs(const std::string& path, bool overwrite) = 0;
    // Discards the document without saving; later calls fail.
    virtual void Close() = 0;
    virtual bool Visible() const = 0;
};

class TWordApp {
public:
    TWordApp() = default;
    TWordApp(const TWordApp&) = delete;
    TWordApp& operator=(const TWordApp&) = delete;
    virtual ~TWordApp() = default;

    virtual TWordBackend Kind() const = 0;
    // Attaches to a running word processor or starts one; attached tells which.
    virtual std::string Connect(bool& attached) = 0;
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
