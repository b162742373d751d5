// The embedded word-processor engine: the default back end of the adapter. It needs no
// office suite: it reads the template package itself (libzip), edits the XML parts of
// its stories (pugixml) and writes the new document; the desktop's associated program
// then opens it for the user.
//
// Templates: ".dotx", ".dotm", ".docx" give a ".docx" (macros are not carried over),
// ".ott", ".odt" give an ".odt". A binary ".dot" needs the LibreOffice back end.
//
// The user-template folder is the desktop's templates folder (XDG_TEMPLATES_DIR in
// user-dirs.dirs, else "~/Templates/"), where a desktop user keeps document templates.
#pragma once

#include "word/UWordAdapter.h"

#include <memory>
#include <string>
#include <vector>

class TWordPackage;
class TWordContent;

class TWordEmbeddedDoc final : public TWordDoc {
public:
    // A new document from the template file (see TWordApp::AddDocument).
    static std::unique_ptr<TWordEmbeddedDoc> Open(const std::string& templateFile, bool visible, TFileOpener opener,
                                                  std::string& error);
    // A new document from a template's bytes; name stands for the template in messages.
    static std::unique_ptr<TWordEmbeddedDoc> FromBytes(std::string bytes, const std::string& name, bool visible,
                                                       TFileOpener opener, std::string& error);
    ~TWordEmbeddedDoc() override;

    [[nodiscard]] std::string FillBookmark(const std::string& name, const std::string& text) override;
    [[nodiscard]] std::string UpdateFields() override;
    std::vector<std::string> TakeNotices() override;
    std::vector<std::string> BookmarkNames() const override;
    std::string Extension() const override;
    [[nodiscard]] std::string ShowDocument(const std::string& folder, const std::string& baseName,
                                           std::string& writtenFile) override;
    [[nodiscard]] std::string SaveAs(const std::string& path, bool overwrite) override;
    void Close() override;
    bool Visible() const override { return visible_; }

    // The finished document as file bytes.
    std::string Serialize(std::string& bytes);

private:
    TWordEmbeddedDoc(std::string name, bool visible, TFileOpener opener);

    std::string name_;
    bool visible_ = false;
    TFileOpener opener_;
    std::unique_ptr<TWordPackage> package_;
    std::unique_ptr<TWordContent> content_;
};

class TWordEmbeddedApp final : public TWordApp {
public:
    explicit TWordEmbeddedApp(TFileOpener opener = {});

    TWordBackend Kind() const override { return TWordBackend::Embedded; }
    // Nothing runs outside the program, so the engine is always started, never attached.
    [[nodiscard]] std::string Connect(bool& attached) override;
    bool Visible() const override { return visible_; }
    void Show() override { visible_ = true; }
    std::unique_ptr<TWordDoc> AddDocument(const std::string& templateFile, bool visible, std::string& error) override;
    std::string UserTemplateFolder() override;
    void Quit() override { visible_ = false; }

private:
    TFileOpener opener_;
    bool visible_ = false;
};

// The desktop's templates folder, ending with "/"; empty without a home folder.
std::string DesktopTemplatesFolder();
