#include "env/UDateien.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "env/UBesoVerzeichnis.h"
#include "env/VControl.h"

namespace fs = std::filesystem;

namespace {

const char* const kCrLf = "\r\n";

// A relative name that is empty means the current folder.
fs::path FsPath(const std::string& path)
{
    return path.empty() ? fs::path(".") : fs::path(path);
}

// "Label : " CR LF "path" - the layout of every file routine's message.
std::string PathMessage(const char* label, const std::string& path)
{
    return std::string(label) + kCrLf + Quoted(path);
}

bool IsFolder(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(FsPath(path), ec);
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(FsPath(path), ec));
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies the rest of 'in' to 'out'; on failure readFailed tells which side failed.
bool CopyBytes(int in, int out, bool& readFailed)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            readFailed = true;
            return false;
        }
        if (got == 0)
            return true;
        if (!WriteAll(out, buffer, static_cast<std::size_t>(got))) {
            readFailed = false;
            return false;
        }
    }
}

std::string CanonicalOrEmpty(const std::string& path)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(FsPath(path), ec), ec);
    return ec ? std::string() : WithSlash(canonical.string());
}

// sources: the canonical source folders of the copies in progress, outermost first; a
// folder that is already among them (a link back up the tree) would copy forever.
void CopyTreeStep(const std::string& source, const std::string& target, bool overwrite,
                  std::vector<std::string>& sources, std::string& error)
{
    const std::string from = WithSlash(source);
    const std::string to = WithSlash(target);
    if (!IsFolder(from)) {
        error = PathMessage("Not found : ", from);
        return;
    }
    const std::string canonicalFrom = CanonicalOrEmpty(from);
    const std::string canonicalTo = CanonicalOrEmpty(to);
    bool loops = canonicalTo.starts_with(canonicalFrom);
    for (const std::string& outer : sources)
        loops = loops || outer == canonicalFrom;
    if (!loops && !canonicalFrom.empty()) {
        std::error_code ec;
        fs::create_directories(FsPath(to), ec);
    }
    if (loops || canonicalFrom.empty() || !IsFolder(to)) {
        error = PathMessage("Cannot create : ", to);
        return;
    }
    sources.push_back(canonicalFrom);
    const TDateiListe entries = ListDir(from);
    for (const auto& entry : entries) {
        if (!error.empty())
            break;
        if (entry->Kind == TDateiInfo::kFolder)
            CopyTreeStep(from + entry->Name, to + entry->Name, overwrite, sources, error);
        else
            CopyFileTo(from + entry->Name, to + entry->Name, overwrite, error);
    }
    sources.pop_back();
}

std::string SystemError(const std::string& path)
{
    return "Cannot write " + Quoted(path) + ": " + std::strerror(errno);
}

// The folder part ("" for the current folder) and the name of a path.
void SplitPath(const std::string& path, std::string& folder, std::string& name)
{
    const std::size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

void SyncFolder(const std::string& folder)
{
    TFd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid())
        ::fsync(fd.Get());
}

}  // namespace

std::string WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

std::string NumberedName(const std::string& folder, const std::string& base, const std::string& extension, int number)
{
    return WithSlash(folder) + base + (number == 1 ? std::string() : " (" + std::to_string(number) + ")") + extension;
}

bool IsFile(const std::string& path)
{
    std::error_code ec;
    const auto status = fs::status(path, ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

std::string ExtensionOf(const std::string& path)
{
    const std::size_t delimiter = path.find_last_of("/\\:");
    const std::size_t start = delimiter == std::string::npos ? 0 : delimiter + 1;
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < start ? std::string() : path.substr(dot);
}

std::string LowerExtension(const std::string& path)
{
    return LowerAscii(ExtensionOf(path));
}

std::string UserDataFolder()
{
    return SpecialFolder(CSIDL_LOCAL_APPDATA) + kProgrammOrdner;
}

std::string InstallDataFolder()
{
    return SpecialFolder(CSIDL_COMMON_APPDATA) + kProgrammOrdner;
}

std::string ExampleFolder()
{
    return InstallDataFolder() + "Examples/";
}

std::string DocumentFolder()
{
    return SpecialFolder(CSIDL_PERSONAL) + kProgrammOrdner;
}

bool SplitExamplesMarker(const std::string& name, std::string& fileName)
{
    const std::string marker = kExamplesMarker;
    const std::string stem = marker.substr(0, marker.size() - 1);
    if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0)
        return false;
    const char delimiter = name[stem.size()];
    if (delimiter != '\\' && delimiter != '/')
        return false;
    std::string rest = name.substr(stem.size() + 1);
    // Only the marker itself may be a folder part.
    if (rest.find_first_of("\\/") != std::string::npos)
        return false;
    fileName = std::move(rest);
    return true;
}

void CopyFileTo(const std::string& source, const std::string& target, bool overwrite, std::string& error)
{
    error.clear();
    if (!overwrite && Exists(target)) {
        error = PathMessage("File exists : ", target);
        return;
    }
    TFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat sourceInfo {};
    // Only plain files are copied: a device or pipe could block the copy for ever.
    if (!in.Valid() || ::fstat(in.Get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
        error = PathMessage("Cannot read : ", source);
        return;
    }
    struct stat targetInfo {};
    if (::stat(target.c_str(), &targetInfo) == 0 && targetInfo.st_dev == sourceInfo.st_dev &&
        targetInfo.st_ino == sourceInfo.st_ino) {
        // Truncating the target would destroy the source.
        error = PathMessage("Cannot write : ", target);
        return;
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
    TFd out(::open(target.c_str(), flags, 0666));
    if (!out.Valid()) {
        error = PathMessage(errno == EEXIST ? "File exists : " : "Cannot write : ", target);
        return;
    }
    bool readFailed = false;
    if (!CopyBytes(in.Get(), out.Get(), readFailed)) {
        error = readFailed ? PathMessage("Cannot read : ", source) : PathMessage("Cannot write : ", target);
        return;
    }
    if (!out.Close())
        error = PathMessage("Cannot write : ", target);
}

TDateiListe ListDir(const std::string& folder)
{
    TDateiListe entries;
    std::error_code ec;
    fs::directory_iterator it(FsPath(folder), ec);
    if (ec)
        return entries;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        auto info = std::make_unique<TDateiInfo>();
        std::error_code statusError;
        info->Kind = it->is_directory(statusError) ? TDateiInfo::kFolder : TDateiInfo::kFile;
        info->Name = it->path().filename().string();
        entries.push_back(std::move(info));
    }
    return entries;
}

void CopyTree(const std::string& source, const std::string& target, bool overwrite, std::string& error)
{
    error.clear();
    std::vector<std::string> sources;
    CopyTreeStep(source, target, overwrite, sources, error);
}

void CopyFolder(const std::string& source, const std::string& target, bool overwrite, std::string& error)
{
    CopyTree(source, target, overwrite, error);
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& mask, bool withPath,
                                   bool withExtension)
{
    const std::string prefix = WithSlash(folder);
    std::vector<std::string> names;
    for (const auto& entry : ListDir(prefix)) {
        if (entry->Kind != TDateiInfo::kFile || ::fnmatch(mask.c_str(), entry->Name.c_str(), FNM_CASEFOLD) != 0)
            continue;
        std::string name = entry->Name;
        if (!withExtension) {
            const std::size_t dot = name.rfind('.');
            if (dot != std::string::npos)
                name.erase(dot);
        }
        names.push_back(withPath ? prefix + name : name);
    }
    return names;
}

void FolderOf(const std::string& fileName, const std::string& defaultFolder, std::string& folder)
{
    const std::size_t slash = fileName.rfind('/');
    folder = slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
    if (folder.empty())
        folder = WithSlash(defaultFolder);
}

void PrepareFolders(const TFehlerAnzeige& showError)
{
    PrepareFolders(SpecialFolder(CSIDL_LOCAL_APPDATA), SpecialFolder(CSIDL_COMMON_APPDATA),
                   SpecialFolder(CSIDL_PERSONAL), showError);
}

void PrepareFolders(const std::string& localAppData, const std::string& commonAppData, const std::string& personal,
                    const TFehlerAnzeige& showError)
{
    const std::string userData = localAppData + kProgrammOrdner;
    const std::string installData = commonAppData + kProgrammOrdner;
    std::string error;
    if (!IsFolder(userData) || !Exists(userData + kKonfigurationsDatei)) {
        std::error_code ec;
        fs::create_directories(FsPath(userData), ec);
        if (!IsFolder(userData))
            error = std::string("Cannot create :") + kCrLf + Quoted(userData);
        else
            CopyFileTo(installData + kKonfigurationsDatei, userData + kKonfigurationsDatei, true, error);
        if (!error.empty() && showError)
            showError(error);
    }
    const std::string documents = personal + kProgrammOrdner;
    if (!IsFolder(documents)) {
        CopyFolder(installData + "Examples/", documents, true, error);
        if (!error.empty() && showError)
            showError(error);
    }
}

namespace {

TFileBytes Failed(TReadFailure failure, int error = 0)
{
    TFileBytes result;
    result.Failure = failure;
    result.Error = error;
    return result;
}

// Reads at most limit bytes; past them the file is TooLarge, or with headOnly just cut off.
TFileBytes ReadBounded(const std::string& path, std::uint64_t limit, bool headOnly)
{
    // Opened without waiting: a pipe or device of this name would otherwise block
    // before its kind could be checked.
    TFd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in.Valid())
        return Failed(TReadFailure::Open, errno);
    struct stat info {};
    if (::fstat(in.Get(), &info) != 0)
        return Failed(TReadFailure::Read, errno);
    if (!S_ISREG(info.st_mode))
        return Failed(TReadFailure::NotRegular);
    if (!headOnly && static_cast<std::uint64_t>(info.st_size) > limit)
        return Failed(TReadFailure::TooLarge);
    ::fcntl(in.Get(), F_SETFL, ::fcntl(in.Get(), F_GETFL) & ~O_NONBLOCK);
    TFileBytes result;
    result.Bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(info.st_size, limit)));
    char buffer[64 * 1024];
    while (result.Bytes.size() <= limit) {
        const std::size_t wanted =
            headOnly ? std::min<std::uint64_t>(sizeof buffer, limit - result.Bytes.size()) : sizeof buffer;
        if (wanted == 0)
            break;
        const ssize_t got = ::read(in.Get(), buffer, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failed(TReadFailure::Read, errno);
        if (got == 0)
            return result;
        result.Bytes.append(buffer, static_cast<std::size_t>(got));
    }
    if (headOnly)
        return result;
    return Failed(TReadFailure::TooLarge);  // it grew while being read
}

}  // namespace

TFileBytes ReadFileBytes(const std::string& path, std::uint64_t maxBytes)
{
    return ReadBounded(path, maxBytes, false);
}

TFileBytes ReadFileHead(const std::string& path, std::size_t count)
{
    return ReadBounded(path, count, true);
}

bool ReadTextLines(const std::string& path, std::string& text)
{
    text.clear();
    TFileBytes file = ReadFileBytes(path);
    if (!file)
        return false;
    text = ToCrLfLines(file.Bytes);
    return true;
}

std::string ToCrLfLines(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += kCrLf;
        } else if (c == '\n') {
            out += kCrLf;
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() != '\n')
        out += kCrLf;
    return out;
}

namespace {

// What a save writes before it replaces the file: hidden, named after the file and
// saying what it is, with the writing process, so that one left by a killed save can
// be told from one being written.
constexpr const char* kTemporaryMark = ".tavix-unsaved-";

std::string TemporaryName(const std::string& name, pid_t pid, unsigned number)
{
    return "." + name + kTemporaryMark + std::to_string(pid) + "-" + std::to_string(number);
}

// The writing process of a temporary file of ours; 0 when the name is none.
pid_t TemporaryOwner(const std::string& name)
{
    if (name.empty() || name.front() != '.')
        return 0;
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string::npos)
        return 0;
    const std::size_t digits = mark + std::strlen(kTemporaryMark);
    const std::size_t dash = name.find('-', digits);
    pid_t pid = 0;
    return dash != std::string::npos && ReadInteger(std::string_view(name).substr(digits, dash - digits), pid) &&
            pid > 0
        ? pid
        : 0;
}

// Removes the temporary files that saves of processes no longer running left behind.
void RemoveDeadTemporaries(const std::string& folder)
{
    for (const auto& entry : ListDir(folder.empty() ? "./" : folder)) {
        const pid_t owner = TemporaryOwner(entry->Name);
        if (entry->Kind == TDateiInfo::kFile && owner != 0 && ::kill(owner, 0) != 0 && errno == ESRCH)
            ::unlink((folder + entry->Name).c_str());
    }
}

// Whether the user may not write the file in place. The administrator, who may write
// anything, is judged by the file's mode bits, so a file protected on purpose stays so.
bool IsWriteProtected(const std::string& path, const struct stat& info)
{
    if (::geteuid() != 0)
        return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;  // with every group of the user
    if (info.st_uid == ::geteuid())
        return (info.st_mode & S_IWUSR) == 0;
    if (info.st_gid == ::getegid())
        return (info.st_mode & S_IWGRP) == 0;
    return (info.st_mode & S_IWOTH) == 0;
}

}  // namespace

std::string WriteFileAtomic(const std::string& path, const std::string& bytes)
{
    // Writing through a link keeps the link and replaces the file it points to.
    std::string target = path;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved.string();
    }
    std::string folder;
    std::string name;
    SplitPath(target, folder, name);

    // Renaming over a file needs only the folder's permission: a file the user could not
    // change in place is not replaced either.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) && IsWriteProtected(target, existing)) {
        errno = EACCES;
        return SystemError(target);
    }
    RemoveDeadTemporaries(folder);

    static std::atomic<unsigned> counter{0};
    std::string temp;
    TFd out(-1);
    for (int attempt = 0; attempt < 100 && !out.Valid(); ++attempt) {
        temp = folder + TemporaryName(name, ::getpid(), counter++);
        out.Reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!out.Valid() && errno != EEXIST)
            break;
    }
    if (!out.Valid())
        return SystemError(target);

    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(out.Get(), old.st_mode & 07777);  // keep the old file's permissions
    std::string error;
    if (!WriteAll(out.Get(), bytes.data(), bytes.size()) || ::fsync(out.Get()) != 0 || !out.Close() ||
        ::rename(temp.c_str(), target.c_str()) != 0) {
        error = SystemError(target);
        ::unlink(temp.c_str());
        return error;
    }
    SyncFolder(folder);
    return error;
}
