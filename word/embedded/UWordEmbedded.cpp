#include "word/embedded/UWordEmbedded.h"

#include "word/UWordSchutz.h"

#include "word/embedded/UWordOdf.h"
#include "word/embedded/UWordOoxml.h"
#include "word/embedded/UWordPackage.h"
#include "word/embedded/UWordXml.h"
#include "env/UCodec.h"
#include "env/UBesoVerzeichnis.h"
#include "env/UDateien.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

std::string SystemError(int code)
{
    return std::strerror(code);
}

std::string ReadTemplateFile(const std::string& path, std::string& bytes)
{
    TFileBytes file = ReadFileBytes(path, TWordPackage::kMaxUncompressed);
    switch (file.Failure) {
    case TReadFailure::None: bytes = std::move(file.Bytes); return {};
    case TReadFailure::NotRegular: return "The template \"" + path + "\" is not a file.";
    case TReadFailure::TooLarge: return "The template \"" + path + "\" is larger than 256 MiB.";
    case TReadFailure::Open:
    case TReadFailure::Read: break;
    }
    return "The template \"" + path + "\" cannot be read: " + SystemError(file.Error) + ".";
}

// Writes all bytes to an open descriptor and closes it; the file is removed on failure.
std::string WriteAndClose(int fd, const std::string& path, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int code = errno;
            ::close(fd);
            ::unlink(path.c_str());
            return "The document \"" + path + "\" cannot be written: " + SystemError(code) + ".";
        }
        done += static_cast<std::size_t>(written);
    }
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(path.c_str());
        return "The document \"" + path + "\" cannot be written: " + SystemError(code) + ".";
    }
    return {};
}

// Creates the file exclusively, so that an existing file is never replaced, even by a
// race with another program.
std::string WriteNewFile(const std::string& path, const std::string& bytes, bool& exists)
{
    exists = false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        exists = errno == EEXIST;
        return "The document \"" + path + "\" cannot be written: " + SystemError(errno) + ".";
    }
    return WriteAndClose(fd, path, bytes);
}

// A name usable as one file name in the folder: its last path part, never "." or "..".
std::string PlainFileName(const std::string& name)
{
    const std::size_t slash = name.find_last_of('/');
    std::string plain = slash == std::string::npos ? name : name.substr(slash + 1);
    if (plain == "." || plain == "..")
        plain.clear();
    return plain;
}

std::string BaseNameOf(const std::string& path)
{
    std::string name = PlainFileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

}  // namespace

std::string DesktopTemplatesFolder()
{
    const std::string home = UserHomeFolder();
    if (home.empty())
        return {};
    std::optional<std::string> folder = XdgUserDir("XDG_TEMPLATES_DIR");
    // xdg-user-dirs points a folder it switched off at the home folder itself.
    if (!folder || WithSlash(*folder) == WithSlash(home))
        folder = WithSlash(home) + "Templates";
    return WithSlash(*folder);
}

TWordEmbeddedDoc::TWordEmbeddedDoc(std::string name, bool visible, TFileOpener opener)
    : name_(std::move(name))
    , visible_(visible)
    , opener_(std::move(opener))
{
}

TWordEmbeddedDoc::~TWordEmbeddedDoc() = default;

std::unique_ptr<TWordEmbeddedDoc> TWordEmbeddedDoc::Open(const std::string& templateFile, bool visible,
                                                         TFileOpener opener, std::string& error)
{
    std::string file = templateFile;
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        const std::string found = FindWordTemplateFile(templateFile);
        if (!found.empty())
            file = found;
    }
    std::string bytes;
    error = ReadTemplateFile(file, bytes);
    if (!error.empty())
        return nullptr;
    return FromBytes(std::move(bytes), file, visible, std::move(opener), error);
}

std::unique_ptr<TWordEmbeddedDoc> TWordEmbeddedDoc::FromBytes(std::string bytes, const std::string& name, bool visible,
                                                              TFileOpener opener, std::string& error)
{
    const std::string refused = "The template \"" + name + "\" cannot be used: ";
    if (IsCompoundFile(bytes)) {
        error = refused +
            (CompoundFileProtection(bytes) != TWordSchutz::None
                 ? ProtectedTemplateReason()
                 : "it is a binary Word template, which only the LibreOffice back end reads; "
                   "save it as .dotx or .ott.");
        return nullptr;
    }
    std::unique_ptr<TWordEmbeddedDoc> doc(new TWordEmbeddedDoc(name, visible, std::move(opener)));
    doc->package_ = TWordPackage::Open(std::move(bytes), error);
    if (!doc->package_) {
        error = refused + error;
        return nullptr;
    }
    if (const TPackageBytes manifest = doc->package_->Read("META-INF/manifest.xml");
        manifest && ManifestEncrypts(manifest.Bytes)) {
        error = refused + ProtectedTemplateReason();
        return nullptr;
    }
    if (doc->package_->Contains("[Content_Types].xml"))
        doc->content_ = OpenOoxml(*doc->package_, error);
    else if (doc->package_->Contains("content.xml") || doc->package_->Contains("mimetype"))
        doc->content_ = OpenOdf(*doc->package_, error);
    else
        error = "it is neither an Office Open XML nor an OpenDocument file.";
    if (!doc->content_) {
        error = refused + error;
        return nullptr;
    }
    return doc;
}

std::string TWordEmbeddedDoc::FillBookmark(const std::string& name, const std::string& text)
{
    if (!content_)
        return "The document is closed.";
    const std::string utf8Name = Windows1252ToUtf8(name);
    if (!content_->HasBookmark(utf8Name)) {
        const std::string cause = content_->RemovalCause(utf8Name);
        if (!cause.empty())
            return "The bookmark \"" + name + "\" no longer exists: " + PathForDisplay(cause) + ".";
        return MissingBookmarkError(name);
    }
    const std::string error = content_->Fill(utf8Name, SplitAnswer(text));
    if (!error.empty())
        return "The bookmark \"" + name + "\" cannot be filled: " + error;
    return {};
}

std::string TWordEmbeddedDoc::UpdateFields()
{
    if (!content_)
        return "The document is closed.";
    return content_->UpdateFields();
}

std::vector<std::string> TWordEmbeddedDoc::BookmarkNames() const
{
    return content_ ? content_->Bookmarks() : std::vector<std::string>();
}

std::vector<std::string> TWordEmbeddedDoc::TakeNotices()
{
    std::vector<std::string> notices;
    if (content_)
        for (const std::string& utf8 : content_->TakeNotices())
            notices.push_back(PathForDisplay(utf8));
    return notices;
}

std::string TWordEmbeddedDoc::Extension() const
{
    return content_ ? content_->Extension() : std::string();
}

std::string TWordEmbeddedDoc::Serialize(std::string& bytes)
{
    bytes.clear();
    if (!content_)
        return "The document is closed.";
    content_->Store(*package_);
    TPackageBytes written = package_->Write();
    bytes = std::move(written.Bytes);
    return written.Error;
}

std::string TWordEmbeddedDoc::ShowDocument(const std::string& folder, const std::string& baseName,
                                           std::string& writtenFile)
{
    writtenFile.clear();
    std::string bytes;
    std::string error = Serialize(bytes);
    if (!error.empty())
        return error;
    std::string base = PlainFileName(baseName);
    if (base.empty())
        base = BaseNameOf(name_);
    if (base.empty())
        base = "Dokument";
    const std::string target = WithSlash(folder.empty() ? std::string(".") : folder);
    const std::string extension = Extension();
    for (int number = 1; number <= kMaxNumberedName; ++number) {
        const std::string path = NumberedName(target, base, extension, number);
        bool exists = false;
        error = WriteNewFile(path, bytes, exists);
        if (exists)
            continue;
        if (!error.empty())
            return error;
        writtenFile = path;
        error = opener_ ? opener_(path) : OpenWithDesktop(path);
        if (!error.empty())
            return "The document \"" + path + "\" was written but cannot be opened: " + error;
        return {};
    }
    return "The folder \"" + target + "\" has too many documents named \"" + base + "\".";
}

std::string TWordEmbeddedDoc::SaveAs(const std::string& path, bool overwrite)
{
    std::string bytes;
    std::string error = Serialize(bytes);
    if (!error.empty())
        return error;
    if (overwrite)
        return WriteFileAtomic(path, bytes);
    bool exists = false;
    error = WriteNewFile(path, bytes, exists);
    if (exists)
        return "The document \"" + path + "\" exists already.";
    return error;
}

void TWordEmbeddedDoc::Close()
{
    content_.reset();
    package_.reset();
}

TWordEmbeddedApp::TWordEmbeddedApp(TFileOpener opener) : opener_(std::move(opener)) {}

std::string TWordEmbeddedApp::Connect(bool& attached)
{
    attached = false;
    return {};
}

std::unique_ptr<TWordDoc> TWordEmbeddedApp::AddDocument(const std::string& templateFile, bool visible,
                                                        std::string& error)
{
    return TWordEmbeddedDoc::Open(templateFile, visible, opener_, error);
}

std::string TWordEmbeddedApp::UserTemplateFolder()
{
    return DesktopTemplatesFolder();
}
