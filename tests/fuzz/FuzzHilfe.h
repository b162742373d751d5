// What every fuzz target shares: a message target that answers without a human, a
// private scratch folder, the installation data of the source tree and a reader that
// splits one input into the parts a target needs.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "config/USprache.h"

// Stops the run like a sanitizer does, so that libFuzzer keeps the input that broke a property.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

// Answers every question with Cancel and shows nothing.
class TStilleMeldungen : public TMeldungsZiel {
public:
    int MsgDlg(const std::string& text, TMsgKind, TMsgButtons, int) override
    {
        Letzte = text;
        return mrCancel;
    }
    void StockMessage(const std::string& text, TStockIcon) override { Letzte = text; }
    std::string Letzte;
};

// Installed once for the whole run.
inline TStilleMeldungen& StilleMeldungen()
{
    static TStilleMeldungen meldungen;
    static TMeldungsZiel* const previous = SetMeldungsZiel(&meldungen);
    (void)previous;
    return meldungen;
}

// A folder of the process's own below /dev/shm (or the temporary folder), ending with "/".
inline const std::string& FuzzOrdner()
{
    static const std::string folder = [] {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/tavix-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern + "/";
    }();
    return folder;
}

// A folder of that name inside FuzzOrdner(), made on first use, ending with "/".
inline std::string FuzzUnterordner(const std::string& name)
{
    const std::string folder = FuzzOrdner() + name + "/";
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        std::abort();
    return folder;
}

inline void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        std::abort();
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The data/ folder of the source tree: language files, configuration, examples.
inline std::string QuellDaten()
{
    return std::string(TAVIX_FUZZ_DATA) + "/";
}

// Takes an input apart from its front: single bytes for choices, then texts separated
// by a zero byte; the last text is whatever remains.
class TEingabe {
public:
    TEingabe(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte()
    {
        if (rest_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::string Text()
    {
        const std::size_t end = rest_.find('\0');
        std::string text(rest_.substr(0, end));
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return text;
    }
    std::string Rest()
    {
        std::string text(rest_);
        rest_ = {};
        return text;
    }

private:
    std::string_view rest_;
};
