#include "config/USprache.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "env/UCodec.h"
#include "env/UDateien.h"
#include "xml/UXBaum.h"
#include "xml/UXParser.h"

namespace {

TMeldungsZiel* g_meldungsZiel = nullptr;
TSprache* g_sprache = nullptr;

struct TButtonInfo {
    const char* Name;
    int Result;
};

constexpr std::array<TButtonInfo, kMsgButtonCount> kButtons{{
    {"Yes", mrYes},
    {"No", mrNo},
    {"OK", mrOk},
    {"Cancel", mrCancel},
    {"Abort", mrAbort},
    {"Retry", mrRetry},
    {"Ignore", mrIgnore},
    {"All", mrAll},
    {"NoToAll", mrNoToAll},
    {"YesToAll", mrYesToAll},
    {"Help", mrNone},
}};

// One placeholder or literal run of a message pattern, as FormatMsg and
// MsgPlaceholders read it. Calls back with (literal, -1) or ("", argument index).
template <typename Sink>
void WalkPattern(std::string_view pattern, Sink&& sink)
{
    int next = 0;
    std::size_t literalStart = 0;
    std::size_t i = 0;
    auto flush = [&](std::size_t end) {
        if (end > literalStart)
            sink(pattern.substr(literalStart, end - literalStart), -1);
    };
    while (i < pattern.size()) {
        if (pattern[i] != '%') {
            ++i;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            flush(i);
            sink("%", -1);
            i += 2;
            literalStart = i;
            continue;
        }
        std::size_t j = i + 1;
        int index = next;
        std::size_t digits = j;
        long explicitIndex = 0;
        while (digits < pattern.size() && pattern[digits] >= '0' && pattern[digits] <= '9' && explicitIndex < 1000) {
            explicitIndex = explicitIndex * 10 + (pattern[digits] - '0');
            ++digits;
        }
        if (digits > j && digits < pattern.size() && pattern[digits] == ':') {
            index = static_cast<int>(explicitIndex);
            j = digits + 1;
        }
        if (j < pattern.size() && pattern[j] == 's') {
            flush(i);
            sink(std::string_view(), index);
            next = index + 1;
            i = j + 1;
            literalStart = i;
            continue;
        }
        ++i;  // not a placeholder: the percent sign stays literal text
    }
    flush(pattern.size());
}

}  // namespace

int MsgButtonResult(TMsgButton button)
{
    return kButtons[static_cast<std::size_t>(button)].Result;
}

const char* MsgButtonName(TMsgButton button)
{
    return kButtons[static_cast<std::size_t>(button)].Name;
}

const char* MsgKindTitleKey(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::Warning: return "Warning";
    case TMsgKind::Error: return "Error";
    case TMsgKind::Information: return "Information";
    case TMsgKind::Confirmation: return "Confirmation";
    case TMsgKind::Custom: break;
    }
    return "";
}

TMsgButton MsgDefaultButton(TMsgButtons buttons)
{
    if (buttons.Contains(TMsgButton::OK))
        return TMsgButton::OK;
    if (buttons.Contains(TMsgButton::Yes))
        return TMsgButton::Yes;
    return TMsgButton::Retry;
}

TMsgButton MsgCancelButton(TMsgButtons buttons)
{
    if (buttons.Contains(TMsgButton::Cancel))
        return TMsgButton::Cancel;
    if (buttons.Contains(TMsgButton::No))
        return TMsgButton::No;
    return TMsgButton::OK;
}

TMeldungsZiel* SetMeldungsZiel(TMeldungsZiel* target)
{
    return std::exchange(g_meldungsZiel, target);
}

TMeldungsZiel* MeldungsZiel()
{
    return g_meldungsZiel;
}

int MsgDlg(const std::string& text, TMsgKind kind, TMsgButtons buttons, int helpContext)
{
    if (g_meldungsZiel)
        return g_meldungsZiel->MsgDlg(text, kind, buttons, helpContext);
    std::fprintf(stderr, "%s\n", text.c_str());
    return mrCancel;
}

void StockMessage(const std::string& text, TStockIcon icon)
{
    if (g_meldungsZiel)
        g_meldungsZiel->StockMessage(text, icon);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

std::string FormatMsg(std::string_view pattern, const std::vector<std::string>& args)
{
    std::string out;
    out.reserve(pattern.size() + 32);
    WalkPattern(pattern, [&](std::string_view literal, int index) {
        if (index < 0)
            out += literal;
        else if (static_cast<std::size_t>(index) < args.size())
            out += args[static_cast<std::size_t>(index)];
    });
    return out;
}

std::vector<int> MsgPlaceholders(std::string_view pattern)
{
    std::vector<int> indexes;
    WalkPattern(pattern, [&](std::string_view, int index) {
        if (index >= 0)
            indexes.push_back(index);
    });
    return indexes;
}

TSprache::TSprache() : TSprache(InstallDataFolder()) {}

TSprache::TSprache(std::string folder) : folder_(std::move(folder))
{
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
}

TSprache::~TSprache() = default;

void TSprache::Load(const std::string& fileName)
{
    std::string path = folder_ + fileName;
    if (!IsFile(path)) {
        // The language was chosen from a listing that ignores letter case ("francais.spr").
        for (const std::string& listed : ListFiles(folder_, fileName, true, true))
            path = listed;
    }
    if (!IsFile(path)) {
        // The earlier language stays in use.
        StockMessage("Not found :\r\n\"" + PathForDisplay(path) + "\"", TStockIcon::Information);
        return;
    }
    std::unique_ptr<TXBaum> tree;
    std::string text;
    if (ReadTextLines(path, text))
        tree = TXParser::Read(text).Tree;
    if (!tree)
        MsgDlg("Error found while analysing \"" + fileName + "\"", TMsgKind::Error, {TMsgButton::OK});
    tree_ = std::move(tree);
}

std::string TSprache::GetText(std::string_view section, std::string_view key) const
{
    std::string result = "####";
    if (tree_ && tree_->DocEl()) {
        if (TXElement* sectionElement = tree_->DocEl()->Children.FindFirst(section, true)) {
            if (TXElement* keyElement = sectionElement->Children.FindFirst(key, true))
                result = keyElement->Text;
        }
    }
    if (result == "####")
        result = "#_" + std::string(key);
    return result;
}

TSprache* Sprache()
{
    return g_sprache;
}

TSprache* SetSprache(TSprache* table)
{
    return std::exchange(g_sprache, table);
}

std::string TextOrFallback(const char* section, const char* key, const char* fallback)
{
    std::string text = GetText(section, key);
    if (text == "#_" + std::string(key))
        return fallback;
    return text;
}

std::string GetText(std::string_view section, std::string_view key)
{
    if (g_sprache)
        return g_sprache->GetText(section, key);
    return "#_" + std::string(key);
}
