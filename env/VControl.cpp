#include "env/VControl.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <system_error>

std::string ProgramFolder()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !exe.has_parent_path())
        return {};
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string BaseName(const std::string& fileName)
{
    const std::size_t delimiter = fileName.find_last_of("/\\:");
    std::string name = delimiter == std::string::npos ? fileName : fileName.substr(delimiter + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        c = LowerAscii(c);
    return text;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        c = UpperAscii(c);
    return text;
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view lowerWord)
{
    if (at > text.size() || text.size() - at < lowerWord.size())
        return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i)
        if (LowerAscii(text[at + i]) != lowerWord[i])
            return false;
    return true;
}

std::string Trimmed(const std::string& text)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool StartsWith(const std::string& prefix, const std::string& text)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string LineBreaksToVT(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += '\v';
        } else if (text[i] == '\n') {
            result += '\v';
        } else {
            result += text[i];
        }
    }
    return result;
}

int EnsureRange(int value, int minimum, int maximum)
{
    if (minimum > value)
        return minimum;
    if (value > maximum)
        return maximum;
    return value;
}

std::string ToPickerFormat(const std::string& pattern)
{
    std::string result = pattern;
    for (char& c : result)
        if (c == 'h')
            c = 'H';
    for (char& c : result)
        if (c == 'n')
            c = 'm';
    return result;
}

std::string FirstLine(const std::string& text)
{
    std::size_t end = text.find('\r');
    if (end == std::string::npos)
        end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

// ---- Version information ------------------------------------------------------------

namespace {

// The bytes of the named section of an ELF file (64- or 32-bit, this machine's byte
// order); false when the file is no such file or has no such section.
template <class TEhdr, class TShdr>
bool ReadElfSection(std::ifstream& in, const std::string& name, std::string& bytes)
{
    TEhdr header{};
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(&header), sizeof header) || header.e_shentsize != sizeof(TShdr) ||
        header.e_shnum == 0 || header.e_shstrndx >= header.e_shnum)
        return false;
    std::vector<TShdr> sections(header.e_shnum);
    in.seekg(static_cast<std::streamoff>(header.e_shoff));
    if (!in.read(reinterpret_cast<char*>(sections.data()),
                 static_cast<std::streamsize>(sections.size() * sizeof(TShdr))))
        return false;
    auto readPart = [&in](const TShdr& section, std::string& out) {
        constexpr std::uint64_t kMaxSection = 1 << 20;  // names and version texts are small
        if (section.sh_type == SHT_NOBITS || section.sh_size > kMaxSection)
            return false;
        out.assign(section.sh_size, '\0');
        in.seekg(static_cast<std::streamoff>(section.sh_offset));
        return static_cast<bool>(in.read(out.data(), static_cast<std::streamsize>(out.size())));
    };
    std::string names;
    if (!readPart(sections[header.e_shstrndx], names))
        return false;
    for (const TShdr& section : sections) {
        if (section.sh_name >= names.size() || names.c_str() + section.sh_name != name)
            continue;
        return readPart(section, bytes);
    }
    return false;
}

bool ReadProgramSection(const std::string& programFile, const std::string& name, std::string& bytes)
{
    std::ifstream in(programFile, std::ios::binary);
    unsigned char ident[EI_NIDENT] = {};
    if (!in.read(reinterpret_cast<char*>(ident), sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return false;
    if (ident[EI_CLASS] == ELFCLASS64)
        return ReadElfSection<Elf64_Ehdr, Elf64_Shdr>(in, name, bytes);
    if (ident[EI_CLASS] == ELFCLASS32)
        return ReadElfSection<Elf32_Ehdr, Elf32_Shdr>(in, name, bytes);
    return false;
}

}  // namespace

void TVInfos::Lesen()
{
    Lesen("/proc/self/exe");
}

void TVInfos::Lesen(const std::string& programFile)
{
    std::string section;
    if (!ReadProgramSection(programFile, kVersionSection, section))
        return;
    // The texts after the marker, each ended by a zero byte.
    std::vector<std::string> texts;
    for (std::size_t start = 0; start < section.size();) {
        const std::size_t end = std::min(section.find('\0', start), section.size());
        texts.push_back(section.substr(start, end - start));
        start = end + 1;
    }
    if (texts.empty() || texts.front() != kVersionMarker)
        return;
    for (const char* key : kKeys) {
        const std::string prefix = std::string(key) + "=";
        const auto found = std::find_if(texts.begin() + 1, texts.end(),
                                        [&](const std::string& text) { return text.starts_with(prefix); });
        lines_.push_back(found == texts.end() ? prefix : *found);
    }
}

std::string TVInfos::Value(const std::string& key) const
{
    const std::string prefix = key + "=";
    for (const std::string& line : lines_)
        if (line.starts_with(prefix))
            return line.substr(prefix.size());
    return {};
}
