// File and folder routines, the program's own folders and their preparation at start.
//
// Routines that can fail report a message text; an empty text means success. Paths use
// "/" as the delimiter and folder names end with it.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One entry of a folder listing.
struct TDateiInfo {
    static constexpr std::int32_t kFile = 0;
    static constexpr std::int32_t kFolder = 1;

    std::int32_t Kind = kFile;
    std::string Name;  // without path
};

// The entries in the order the file system enumerates them; the list owns its entries.
using TDateiListe = std::vector<std::unique_ptr<TDateiInfo>>;

// The folder name every per-program folder carries below its special folder.
inline constexpr const char* kProgrammOrdner = "Tavix/";
inline constexpr const char* kKonfigurationsDatei = "KONFIGURATION.XML";

// Stored word-processor template names may begin with this marker instead of a folder;
// it stands for the example folder. Files keep this exact form (with a backslash).
inline constexpr const char* kExamplesMarker = "COMMON_APPDATA_TAVIX_EXAMPLES\\";

// The per-program folders, each ending with "/" (relative names when the special folder
// cannot be resolved):
// Closes a descriptor when it goes out of scope.
class TFd {
public:
    explicit TFd(int fd) : fd_(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    void Reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now and tells whether the close succeeded (a full disk can show here).
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

// How many numbered names a file that never replaces another tries, and the number-th
// of them: base + extension, then base + " (2)" + extension ...
inline constexpr int kMaxNumberedName = 10000;
std::string NumberedName(const std::string& folder, const std::string& base, const std::string& extension, int number);

// The path with a "/" at its end (an empty path stays empty).
std::string WithSlash(std::string path);
// Whether something that is no folder exists under the name (a pipe or device counts:
// its reader refuses it with its own message).
bool IsFile(const std::string& path);
// The extension of the name part (after the last "/", "\" or drive colon), with its
// dot; empty when there is none. LowerExtension has it in lower case.
std::string ExtensionOf(const std::string& path);
std::string LowerExtension(const std::string& path);

std::string UserDataFolder();     // per-user data: holds the user's KONFIGURATION.XML
std::string InstallDataFolder();  // installation data: default KONFIGURATION.XML, language files
std::string ExampleFolder();      // example templates
std::string DocumentFolder();     // the user's templates and document data

// When the name's folder part is the examples marker (written with "\" or "/"), gives the
// file name after it and returns true.
bool SplitExamplesMarker(const std::string& name, std::string& fileName);

void CopyFileTo(const std::string& source, const std::string& target, bool overwrite, std::string& error);
TDateiListe ListDir(const std::string& folder);
void CopyTree(const std::string& source, const std::string& target, bool overwrite, std::string& error);
void CopyFolder(const std::string& source, const std::string& target, bool overwrite, std::string& error);
// Names of the files in the folder matching the mask (shell wildcards, in any letter
// case: "*.SPR" finds "francais.spr"), in enumeration order.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& mask, bool withPath,
                                   bool withExtension);
void FolderOf(const std::string& fileName, const std::string& defaultFolder, std::string& folder);

// Seeds the user's folders at start: the per-user data folder with the installation's
// KONFIGURATION.XML, the document folder with the examples. Each failure is handed to
// showError (the caller shows it in the platform's message box) and the start goes on.
using TFehlerAnzeige = std::function<void(const std::string& message)>;
void PrepareFolders(const TFehlerAnzeige& showError);
// The same below given special folders (each empty or ending with "/"): the per-user
// data, the installation data and the personal documents folder.
void PrepareFolders(const std::string& localAppData, const std::string& commonAppData, const std::string& personal,
                    const TFehlerAnzeige& showError);

// The largest text file the program reads; a larger one is no file of the program's.
inline constexpr std::uint64_t kMaxTextFileBytes = 256ull * 1024 * 1024;

// Why ReadFileBytes gave no bytes.
enum class TReadFailure { None, Open, NotRegular, TooLarge, Read };

struct [[nodiscard]] TFileBytes {
    std::string Bytes;
    TReadFailure Failure = TReadFailure::None;
    int Error = 0;  // errno of an Open or Read failure
    explicit operator bool() const { return Failure == TReadFailure::None; }
};

// A regular file's bytes, never waiting for a pipe or device of that name: all of them,
// or TooLarge when there are more than maxBytes (also when the file grows while it is
// read). Every file the program reads whole comes through here.
TFileBytes ReadFileBytes(const std::string& path, std::uint64_t maxBytes = kMaxTextFileBytes);
// The first count bytes of a regular file (fewer when it is shorter); files of /proc,
// which report no size, too.
TFileBytes ReadFileHead(const std::string& path, std::size_t count);

// A text file read as single-byte text: every line (ended by CR LF, LF or CR) ends with
// CR LF in the result. False when the file cannot be read, is no regular file (a pipe
// or device is never waited for) or is larger than kMaxTextFileBytes.
[[nodiscard]] bool ReadTextLines(const std::string& path, std::string& text);
// The text with every line break (CR LF, CR, LF) made CR LF and a CR LF after the last line.
std::string ToCrLfLines(const std::string& text);
// Replaces the file as a whole: writes a temporary file in the same folder, flushes it to
// disk and renames it over the target. On any failure the old file stays as it was and
// the temporary file is removed. Returns the error text, empty on success.
[[nodiscard]] std::string WriteFileAtomic(const std::string& path, const std::string& bytes);
