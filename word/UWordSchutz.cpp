#include "word/UWordSchutz.h"

#include <cstdint>
#include <set>
#include <vector>

namespace {

// Little-endian fields of the file; 0 past its end, so a damaged file reads as nothing.
std::uint32_t U32(std::string_view bytes, std::uint64_t at)
{
    if (at + 4 > bytes.size())
        return 0;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::uint64_t>(i)]);
    return value;
}

std::uint16_t U16(std::string_view bytes, std::uint64_t at)
{
    if (at + 2 > bytes.size())
        return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMaxSector = 0xFFFFFFFA;

// The parts of a compound file this check needs: sectors, the allocation table (from
// the header's first 109 entries, which hold files up to several megabytes) and the
// directory. Every chain is followed at most as far as the file has sectors.
class TCompoundFile {
public:
    explicit TCompoundFile(std::string_view bytes) : Bytes_(bytes)
    {
        const std::uint16_t shift = U16(bytes, 0x1E);
        if (shift != 9 && shift != 12)
            return;
        SectorSize_ = std::uint64_t{1} << shift;
        SectorCount_ = bytes.size() > SectorSize_ ? (bytes.size() - SectorSize_) / SectorSize_ : 0;
        for (std::uint64_t i = 0; i < 109; ++i) {
            const std::uint32_t fatSector = U32(bytes, 0x4C + 4 * i);
            if (fatSector > kMaxSector)
                break;
            FatSectors_.push_back(fatSector);
        }
        FirstDirectorySector_ = U32(bytes, 0x30);
    }

    // The directory entries' names (UTF-16 as read, ASCII only) with their first sector
    // and size, visited until visit returns true.
    template <typename TVisit>
    void Entries(TVisit visit) const
    {
        ForChain(FirstDirectorySector_, [&](std::uint64_t offset) {
            for (std::uint64_t entry = 0; entry + 128 <= SectorSize_; entry += 128) {
                const std::uint64_t at = offset + entry;
                const std::uint16_t nameBytes = U16(Bytes_, at + 0x40);
                std::string name;
                for (std::uint64_t i = 0; i + 2 < nameBytes && i < 64; i += 2)
                    name += static_cast<char>(U16(Bytes_, at + i) & 0x7F);
                if (visit(name, U32(Bytes_, at + 0x74), U32(Bytes_, at + 0x78)))
                    return true;
            }
            return false;
        });
    }

    // The file offset of the stream's first sector; 0 when it has none.
    std::uint64_t SectorOffset(std::uint32_t sector) const
    {
        return sector < SectorCount_ ? (std::uint64_t{sector} + 1) * SectorSize_ : 0;
    }

private:
    std::uint32_t Next(std::uint32_t sector) const
    {
        const std::uint64_t perSector = SectorSize_ / 4;
        const std::uint64_t table = sector / perSector;
        if (table >= FatSectors_.size())
            return kEndOfChain;
        return U32(Bytes_, SectorOffset(FatSectors_[table]) + 4 * (sector % perSector));
    }

    template <typename TVisit>
    void ForChain(std::uint32_t sector, TVisit visit) const
    {
        std::set<std::uint32_t> seen;
        while (sector <= kMaxSector && SectorOffset(sector) != 0 && seen.insert(sector).second) {
            if (visit(SectorOffset(sector)))
                return;
            sector = Next(sector);
        }
    }

    std::string_view Bytes_;
    std::uint64_t SectorSize_ = 0;
    std::uint64_t SectorCount_ = 0;
    std::vector<std::uint32_t> FatSectors_;
    std::uint32_t FirstDirectorySector_ = kEndOfChain;
};

}  // namespace

bool IsCompoundFile(std::string_view bytes)
{
    return bytes.substr(0, kCompoundFileMagic.size()) == kCompoundFileMagic;
}

TWordSchutz CompoundFileProtection(std::string_view bytes)
{
    if (!IsCompoundFile(bytes))
        return TWordSchutz::None;
    const TCompoundFile file(bytes);
    TWordSchutz protection = TWordSchutz::None;
    file.Entries([&](const std::string& name, std::uint32_t start, std::uint32_t size) {
        if (name == "EncryptedPackage") {
            protection = TWordSchutz::EncryptedPackage;
            return true;
        }
        // The Word 97 header: its identification 0xA5EC, then the flags with fEncrypted.
        // The stream is always larger than the small-stream limit, so it lies in sectors.
        if (name == "WordDocument" && size >= 4096) {
            const std::uint64_t at = file.SectorOffset(start);
            if (at != 0 && U16(bytes, at) == 0xA5EC && (U16(bytes, at + 0x0A) & 0x0100) != 0)
                protection = TWordSchutz::EncryptedWord;
            return true;
        }
        return false;
    });
    return protection;
}

bool ManifestEncrypts(std::string_view manifest)
{
    return manifest.find("encryption-data") != std::string_view::npos;
}

std::string ProtectedTemplateReason()
{
    return "it is protected with a password (encrypted). Remove the password in the word processor "
           "(save the template without one) and use it again.";
}
