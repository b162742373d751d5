// A word-processor file as a zip package in memory, for the embedded engine: read with
// limits that make hostile files harmless, parts replaced or removed, and written back
// with every untouched entry copied as it was (compressed bytes included).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Bytes from a package, or why there are none. Tested like a bool.
struct [[nodiscard]] TPackageBytes {
    std::string Bytes;
    std::string Error;  // empty on success
    explicit operator bool() const { return Error.empty(); }
};

class TWordPackage {
public:
    // Caps on what a template may unpack to, per entry and in total.
    static constexpr std::uint64_t kMaxUncompressed = 256ull * 1024 * 1024;
    static constexpr std::uint64_t kMaxEntries = 10000;
    // The most XML one part may hold, and all parts parsed from a package together:
    // documents of a few hundred pages hold less than 20 MiB. Parsed, XML takes a few
    // times its size.
    static constexpr std::uint64_t kMaxXmlPart = 32ull * 1024 * 1024;
    static constexpr std::uint64_t kMaxXmlTotal = 64ull * 1024 * 1024;

    ~TWordPackage();
    TWordPackage(const TWordPackage&) = delete;
    TWordPackage& operator=(const TWordPackage&) = delete;

    // Opens the package held in bytes. Refuses what is not a zip, entry names that are
    // absolute or climb with "..", duplicate names, and sizes beyond the caps.
    static std::unique_ptr<TWordPackage> Open(std::string bytes, std::string& error);

    bool Contains(const std::string& name) const;
    // The entry names in package order.
    std::vector<std::string> Names() const;
    // The current content of an entry (replaced content when it was replaced).
    TPackageBytes Read(const std::string& name) const;
    // The size of an entry's content (unpacked, as the entry declares it); 0 when missing.
    std::uint64_t Size(const std::string& name) const;
    // Counts bytes of XML about to be parsed against kMaxXmlTotal; false once they would
    // exceed it.
    bool ChargeXml(std::uint64_t bytes) const;
    // Replaces an entry's content, or adds the entry at the end.
    void Put(const std::string& name, std::string data);
    void Remove(const std::string& name);
    // Writes this entry first and uncompressed (the OpenDocument "mimetype").
    void PutFirstStored(const std::string& name, std::string data);

    // The whole package as zip bytes.
    TPackageBytes Write() const;

private:
    struct TEntry {
        std::string Name;
        std::int64_t Source = -1;         // index in the original archive, -1 when new
        std::optional<std::string> Data;  // replaced content
        bool Stored = false;
        std::int64_t MTime = 0;
    };
    struct TArchive;

    TWordPackage();
    // Read and Write: the error text, empty on success.
    [[nodiscard]] std::string ReadInto(const std::string& name, std::string& data) const;
    [[nodiscard]] std::string WriteInto(std::string& bytes) const;
    TEntry* Find(const std::string& name);
    const TEntry* Find(const std::string& name) const;

    std::unique_ptr<TArchive> archive_;
    std::vector<TEntry> entries_;
    mutable std::uint64_t xmlCharged_ = 0;
};

// Whether an entry name is safe: relative, not empty, without "." or ".." parts,
// without backslashes or drive letters.
bool IsSafeEntryName(const std::string& name);
