#include "word/embedded/UWordPackage.h"

#include <zip.h>

#include <algorithm>
#include <set>

namespace {

struct TZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct TZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
struct TSourceFreer {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
struct TErrorFinisher {
    void operator()(zip_error_t* error) const { zip_error_fini(error); }
};

using TZipPtr = std::unique_ptr<zip_t, TZipCloser>;
using TZipFilePtr = std::unique_ptr<zip_file_t, TZipFileCloser>;
using TSourcePtr = std::unique_ptr<zip_source_t, TSourceFreer>;

std::string ErrorText(zip_error_t* error)
{
    const char* text = zip_error_strerror(error);
    return text ? text : "unknown zip error";
}

std::string ArchiveError(zip_t* archive)
{
    return ErrorText(zip_get_error(archive));
}

}  // namespace

bool IsSafeEntryName(const std::string& name)
{
    if (name.empty() || name.front() == '/')
        return false;
    if (name.find('\\') != std::string::npos || name.find('\0') != std::string::npos)
        return false;
    if (name.size() >= 2 && name[1] == ':')
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t slash = name.find('/', start);
        if (slash == std::string::npos)
            slash = name.size();
        const std::string part = name.substr(start, slash - start);
        // An empty part is allowed only as the end of a folder entry ("Pictures/").
        if (part == "." || part == ".." || (part.empty() && slash != name.size()))
            return false;
        start = slash + 1;
    }
    return true;
}

// The original bytes and the read-only archive over them; the archive reads from the
// bytes, so it is closed first.
struct TWordPackage::TArchive {
    std::string Bytes;
    TZipPtr Zip;
};

TWordPackage::TWordPackage() = default;
TWordPackage::~TWordPackage() = default;

std::unique_ptr<TWordPackage> TWordPackage::Open(std::string bytes, std::string& error)
{
    error.clear();
    if (bytes.empty()) {
        error = "The file is empty, not a zip package.";
        return nullptr;
    }
    auto archive = std::make_unique<TArchive>();
    archive->Bytes = std::move(bytes);

    zip_error_t zipError;
    zip_error_init(&zipError);
    std::unique_ptr<zip_error_t, TErrorFinisher> finisher(&zipError);
    TSourcePtr source(zip_source_buffer_create(archive->Bytes.data(), archive->Bytes.size(), 0, &zipError));
    if (!source) {
        error = "The file cannot be read: " + ErrorText(&zipError);
        return nullptr;
    }
    archive->Zip.reset(zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &zipError));
    if (!archive->Zip) {
        error = zip_error_code_zip(&zipError) == ZIP_ER_EXISTS
            ? "The package holds an entry twice."
            : "The file is not a zip package (" + ErrorText(&zipError) + ").";
        return nullptr;
    }
    source.release();  // the archive owns it now

    const zip_int64_t count = zip_get_num_entries(archive->Zip.get(), 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > kMaxEntries) {
        error = "The package has too many entries.";
        return nullptr;
    }
    std::unique_ptr<TWordPackage> package(new TWordPackage());
    std::set<std::string> names;
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive->Zip.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !stat.name ||
            !(stat.valid & ZIP_STAT_SIZE)) {
            error = "The package is damaged (" + ArchiveError(archive->Zip.get()) + ").";
            return nullptr;
        }
        const std::string name = stat.name;
        if (!IsSafeEntryName(name)) {
            error = "The package holds an entry with an unsafe name: \"" + name + "\".";
            return nullptr;
        }
        if (!names.insert(name).second) {
            error = "The package holds the entry \"" + name + "\" twice.";
            return nullptr;
        }
        total += stat.size;
        if (stat.size > kMaxUncompressed || total > kMaxUncompressed) {
            error = "The package unpacks to more than 256 MiB.";
            return nullptr;
        }
        TEntry entry;
        entry.Name = name;
        entry.Source = i;
        entry.MTime = (stat.valid & ZIP_STAT_MTIME) ? static_cast<std::int64_t>(stat.mtime) : 0;
        package->entries_.push_back(std::move(entry));
    }
    package->archive_ = std::move(archive);
    return package;
}

TWordPackage::TEntry* TWordPackage::Find(const std::string& name)
{
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const TEntry& e) { return e.Name == name; });
    return it == entries_.end() ? nullptr : &*it;
}

const TWordPackage::TEntry* TWordPackage::Find(const std::string& name) const
{
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const TEntry& e) { return e.Name == name; });
    return it == entries_.end() ? nullptr : &*it;
}

bool TWordPackage::Contains(const std::string& name) const
{
    return Find(name) != nullptr;
}

std::vector<std::string> TWordPackage::Names() const
{
    std::vector<std::string> names;
    names.reserve(entries_.size());
    for (const TEntry& entry : entries_)
        names.push_back(entry.Name);
    return names;
}

std::uint64_t TWordPackage::Size(const std::string& name) const
{
    const TEntry* entry = Find(name);
    if (!entry)
        return 0;
    if (entry->Data)
        return entry->Data->size();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_->Zip.get(), static_cast<zip_uint64_t>(entry->Source), 0, &stat) != 0)
        return 0;
    return stat.size;
}

bool TWordPackage::ChargeXml(std::uint64_t bytes) const
{
    if (bytes > kMaxXmlTotal - std::min(xmlCharged_, kMaxXmlTotal))
        return false;
    xmlCharged_ += bytes;
    return true;
}

TPackageBytes TWordPackage::Read(const std::string& name) const
{
    TPackageBytes result;
    result.Error = ReadInto(name, result.Bytes);
    if (!result)
        result.Bytes.clear();
    return result;
}

TPackageBytes TWordPackage::Write() const
{
    TPackageBytes result;
    result.Error = WriteInto(result.Bytes);
    if (!result)
        result.Bytes.clear();
    return result;
}

std::string TWordPackage::ReadInto(const std::string& name, std::string& data) const
{
    data.clear();
    const TEntry* entry = Find(name);
    if (!entry)
        return "The package has no part \"" + name + "\".";
    if (entry->Data) {
        data = *entry->Data;
        return {};
    }
    zip_t* zip = archive_->Zip.get();
    const auto index = static_cast<zip_uint64_t>(entry->Source);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip, index, 0, &stat) != 0)
        return "The part \"" + name + "\" cannot be read (" + ArchiveError(zip) + ").";
    TZipFilePtr file(zip_fopen_index(zip, index, 0));
    if (!file)
        return "The part \"" + name + "\" cannot be read (" + ArchiveError(zip) + ").";
    // The declared size was checked against the cap; reading stops one byte past it so
    // that an entry unpacking to more than it declares is caught, not followed.
    data.resize(static_cast<std::size_t>(stat.size) + 1);
    std::size_t filled = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), data.data() + filled, data.size() - filled);
        if (got < 0) {
            data.clear();
            return "The part \"" + name + "\" is damaged (" + ErrorText(zip_file_get_error(file.get())) + ").";
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
        if (filled == data.size()) {
            data.clear();
            return "The part \"" + name + "\" is larger than its entry says.";
        }
    }
    data.resize(filled);
    return {};
}

void TWordPackage::Put(const std::string& name, std::string data)
{
    if (TEntry* entry = Find(name)) {
        entry->Data = std::move(data);
        return;
    }
    TEntry entry;
    entry.Name = name;
    entry.Data = std::move(data);
    entry.MTime = entries_.empty() ? 0 : entries_.front().MTime;
    entries_.push_back(std::move(entry));
}

void TWordPackage::Remove(const std::string& name)
{
    std::erase_if(entries_, [&](const TEntry& e) { return e.Name == name; });
}

void TWordPackage::PutFirstStored(const std::string& name, std::string data)
{
    Put(name, std::move(data));
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const TEntry& e) { return e.Name == name; });
    it->Stored = true;
    std::rotate(entries_.begin(), it, it + 1);
}

std::string TWordPackage::WriteInto(std::string& bytes) const
{
    bytes.clear();
    zip_error_t zipError;
    zip_error_init(&zipError);
    std::unique_ptr<zip_error_t, TErrorFinisher> finisher(&zipError);
    TSourcePtr target(zip_source_buffer_create(nullptr, 0, 0, &zipError));
    if (!target)
        return "The document cannot be written: " + ErrorText(&zipError);
    TZipPtr out(zip_open_from_source(target.get(), ZIP_TRUNCATE, &zipError));
    if (!out)
        return "The document cannot be written: " + ErrorText(&zipError);
    // zip_close releases the source it wrote to; keep it for reading the bytes back.
    zip_source_keep(target.get());

    for (const TEntry& entry : entries_) {
        zip_source_t* source = entry.Data
            ? zip_source_buffer(out.get(), entry.Data->data(), entry.Data->size(), 0)
            : zip_source_zip(out.get(), archive_->Zip.get(), static_cast<zip_uint64_t>(entry.Source), 0, 0, -1);
        if (!source)
            return "The document cannot be written (" + ArchiveError(out.get()) + ").";
        const zip_int64_t index = zip_file_add(out.get(), entry.Name.c_str(), source, 0);
        if (index < 0) {
            zip_source_free(source);
            return "The document cannot be written (" + ArchiveError(out.get()) + ").";
        }
        const auto at = static_cast<zip_uint64_t>(index);
        if (entry.Stored)
            zip_set_file_compression(out.get(), at, ZIP_CM_STORE, 0);
        if (entry.Data)
            zip_file_set_mtime(out.get(), at, static_cast<time_t>(entry.MTime), 0);
    }
    if (zip_close(out.get()) != 0)
        return "The document cannot be written (" + ArchiveError(out.get()) + ").";
    out.release();

    if (zip_source_open(target.get()) != 0)
        return "The document cannot be written (" + ErrorText(zip_source_error(target.get())) + ").";
    std::string result;
    char buffer[65536];
    for (;;) {
        const zip_int64_t got = zip_source_read(target.get(), buffer, sizeof buffer);
        if (got < 0) {
            zip_source_close(target.get());
            return "The document cannot be written (" + ErrorText(zip_source_error(target.get())) + ").";
        }
        if (got == 0)
            break;
        result.append(buffer, static_cast<std::size_t>(got));
    }
    zip_source_close(target.get());
    bytes = std::move(result);
    return {};
}
