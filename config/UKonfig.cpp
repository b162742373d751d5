#include "config/UKonfig.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include "config/USprache.h"
#include "env/UCodec.h"
#include "env/UDateien.h"
#include "xml/UXBaum.h"
#include "xml/UXParser.h"

namespace {

TKonf* g_konf = nullptr;

const char* const kVorgaben = "Vorgaben";
const char* const kSprache = "Sprache";
const char* const kDefaultLanguage = "ENGLISH";
const char* const kSpalte = "Spalte";

// The window-state keys in the order they are written.
const char* const kMaximiert = "Maximiert";
const char* const kLinks = "Links";
const char* const kOben = "Oben";
const char* const kBreite = "Breite";
const char* const kHoehe = "Hoehe";

std::string AnalyseError(const std::string& what)
{
    return "Error found while analysing \"" + what + "\"";
}

std::string ChildText(TXElement& parent, const char* name)
{
    TXElement* child = parent.Children.FindFirst(name, true);
    return child ? child->Text : std::string();
}

}  // namespace

std::int32_t TKonfWert::AsInteger(std::int32_t fallback) const
{
    std::size_t pos = Wert.find_first_not_of(" \t");
    if (pos == std::string::npos)
        return fallback;
    bool negative = false;
    if (Wert[pos] == '+' || Wert[pos] == '-') {
        negative = Wert[pos] == '-';
        ++pos;
    }
    if (pos == Wert.size())
        return fallback;
    std::int64_t value = 0;
    for (; pos < Wert.size(); ++pos) {
        const char c = Wert[pos];
        if (c < '0' || c > '9')
            return fallback;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return fallback;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min())
        return fallback;
    return static_cast<std::int32_t>(value);
}

TKonfWert* TKonfWertListe::Item(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return values_[static_cast<std::size_t>(index)].get();
}

TKonfWert* TKonfWertListe::Add(std::unique_ptr<TKonfWert> value)
{
    if (!value)
        return nullptr;
    values_.push_back(std::move(value));
    return values_.back().get();
}

TKonf::TKonf() : TKonf(DefaultPath()) {}

TKonf::TKonf(std::string filePath) : path_(std::move(filePath))
{
    Load();
}

TKonf::~TKonf() = default;

std::string TKonf::DefaultPath()
{
    return UserDataFolder() + kKonfigurationsDatei;
}

void TKonf::Load()
{
    if (!IsFile(path_)) {
        StockMessage("Not found :\r\n\"" + PathForDisplay(path_) + "\"", TStockIcon::Information);
        return;
    }
    std::unique_ptr<TXBaum> tree;
    std::string message;
    try {
        std::string text;
        if (!ReadTextLines(path_, text)) {
            message = AnalyseError(std::string(kKonfigurationsDatei) + " cannot be read");
        } else {
            tree = TXParser::Read(text).Tree;
            if (!tree)
                message = AnalyseError(kKonfigurationsDatei);
        }
    } catch (const std::exception& e) {
        tree.reset();
        message = AnalyseError(std::string(kKonfigurationsDatei) + " " + e.what());
    }
    if (!message.empty())
        StockMessage(message, TStockIcon::Error);
    xKonf_ = std::move(tree);
}

std::string TKonf::Save()
{
    if (!xKonf_)
        return "Error while saving. XKonf";
    try {
        // Every line ends in CR LF, also a lone CR or LF inside a value.
        return WriteFileAtomic(path_, ToCrLfLines(xKonf_->Serialize("\t", true)));
    } catch (const std::exception& e) {
        return e.what();
    }
}

void TKonf::OpenList(const std::string& name, std::string& error)
{
    if (konfWerte_) {
        error = "Cannot open \"" + name + "\"";
        return;
    }
    konfWerte_ = std::make_unique<TKonfWertListe>(name);
    ReadList(error);
}

void TKonf::CloseList(bool save, std::string& error)
{
    error.clear();
    if (save) {
        WriteList(error);
        if (!error.empty())
            Load();  // the change in memory is dropped with the tree
        else
            error = Save();
    }
    konfWerte_.reset();
}

void TKonf::ReadList(std::string& error)
{
    if (konfWerte_)
        konfWerte_->Clear();
    if (!xKonf_ || !konfWerte_) {
        error = AnalyseError("XKonf, KonfWerte");
        return;
    }
    TXElement* docEl = xKonf_->DocEl();
    if (!docEl) {
        error = AnalyseError("XKonf.DocEl");
        return;
    }
    TXElement* list = docEl->Children.FindFirst(konfWerte_->Name, true);
    if (!list) {
        error = AnalyseError("XKonf, Liste");
        return;
    }
    for (TXElement* e = list->Children.FindFirst("E", true); e; e = list->Children.FindNext()) {
        konfWerte_->Add(
            std::make_unique<TKonfWert>(e->Attributes.GetValue("Name"), ChildText(*e, "Info"), ChildText(*e, "Wert")));
    }
}

void TKonf::WriteList(std::string& error)
{
    if (!xKonf_ || !konfWerte_) {
        error = "Error while saving. XKonf, KonfWerte";
        return;
    }
    auto listTree = std::make_unique<TXBaum>();
    auto listElement = std::make_unique<TXElement>(konfWerte_->Name, "");
    for (int i = 0; i < konfWerte_->Count(); ++i) {
        const TKonfWert* value = konfWerte_->Item(i);
        if (!value) {
            error = "Error while saving: not possible";
            break;
        }
        TXElement* e = listElement->AddElement(-1, "E", "");
        e->Attributes.Add("Name", value->Name);
        e->AddElement(-1, "Info", value->Info);
        e->AddElement(-1, "Wert", value->Wert);
    }
    listTree->SetDocEl(std::move(listElement));
    TXElement* docEl = xKonf_->DocEl();
    if (error.empty() && !docEl)
        error = "Error while saving: XKonf.DocEl";
    TXElement* old = error.empty() ? docEl->Children.FindFirst(konfWerte_->Name, true) : nullptr;
    if (error.empty() && !old)
        error = "Error while saving: XKonf, Liste";
    if (!error.empty())
        return;
    // The list moves to the end of the document element; whatever else the old list
    // element held goes with it.
    xKonf_->Extract(old);
    xKonf_->InsertTree(docEl, -1, *listTree);
}

TKonfWert* TKonf::FindValue(std::string_view name, int& index) const
{
    index = -1;
    if (!konfWerte_)
        return nullptr;
    for (int i = 0; i < konfWerte_->Count(); ++i) {
        TKonfWert* value = konfWerte_->Item(i);
        if (value->Name == name) {
            index = i;
            return value;
        }
    }
    return nullptr;
}

TKonfWert* TKonf::FindOrAddValue(const std::string& name, const std::string& info, int& index)
{
    if (TKonfWert* value = FindValue(name, index))
        return value;
    if (!konfWerte_)
        return nullptr;
    index = konfWerte_->Count();
    return konfWerte_->Add(std::make_unique<TKonfWert>(name, info, ""));
}

bool TKonf::Open(const std::string& name)
{
    if (konfWerte_)
        return false;
    std::string error;  // a list that cannot be read stays empty: reads give defaults
    OpenList(name, error);
    return true;
}

void TKonf::Close(bool save)
{
    CloseList(save, lastError_);
    if (!save)
        return;
    if (!lastError_.empty() && !writesFailing_)
        unreportedError_ = lastError_;
    writesFailing_ = !lastError_.empty();
}

TWindowState TKonf::ReadWindowState(const std::string& listName)
{
    TWindowState state;
    if (!Open(listName))
        return state;
    int index = -1;
    if (const TKonfWert* v = FindValue(kMaximiert, index))
        state.Maximized = v->Wert == "Ja";
    if (const TKonfWert* v = FindValue(kLinks, index))
        state.Left = v->AsInteger(0);
    if (const TKonfWert* v = FindValue(kOben, index))
        state.Top = v->AsInteger(0);
    if (const TKonfWert* v = FindValue(kBreite, index))
        state.Width = v->AsInteger(0);
    if (const TKonfWert* v = FindValue(kHoehe, index))
        state.Height = v->AsInteger(0);
    Close(false);
    return state;
}

void TKonf::WriteWindowState(const std::string& listName, const TWindowState& state)
{
    if (!Open(listName))
        return;
    const std::pair<const char*, std::string> values[] = {
        {kMaximiert, JaNein(state.Maximized)},  {kLinks, std::to_string(state.Left)},
        {kOben, std::to_string(state.Top)},     {kBreite, std::to_string(state.Width)},
        {kHoehe, std::to_string(state.Height)},
    };
    int index = -1;
    for (const auto& [key, text] : values) {
        if (TKonfWert* v = FindOrAddValue(key, key, index))
            v->Wert = text;
    }
    Close(true);
}

std::vector<std::string> TKonf::ReadColumns(const std::string& listName)
{
    std::vector<std::string> columns;
    if (!Open(listName))
        return columns;
    int index = -1;
    for (int i = 0;; ++i) {
        const TKonfWert* v = FindValue(kSpalte + std::to_string(i), index);
        if (!v)
            break;
        columns.push_back(v->Wert);
    }
    Close(false);
    return columns;
}

void TKonf::WriteColumns(const std::string& listName, std::vector<std::string> columns)
{
    if (!Open(listName))
        return;
    int index = -1;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (TKonfWert* v = FindValue(kSpalte + std::to_string(i), index))
            v->Wert = std::move(columns[i]);
    }
    Close(true);
}

std::string TKonf::GetLanguage()
{
    std::string language = kDefaultLanguage;
    if (!Open(kVorgaben))
        return language;
    int index = -1;
    if (const TKonfWert* v = FindValue(kSprache, index))
        language = v->Wert;
    Close(false);
    return language;
}

void TKonf::SetLanguage(const std::string& name)
{
    if (!Open(kVorgaben))
        return;
    int index = -1;
    if (TKonfWert* v = FindValue(kSprache, index))
        v->Wert = name;
    Close(true);
}

std::string TKonf::GetDefault(const std::string& key)
{
    std::string value;
    if (!Open(kVorgaben))
        return value;
    int index = -1;
    if (const TKonfWert* v = FindValue(key, index))
        value = v->Wert;
    Close(false);
    return value;
}

void TKonf::SetDefault(const std::string& key, const std::string& value)
{
    if (!Open(kVorgaben))
        return;
    int index = -1;
    if (TKonfWert* v = FindOrAddValue(key, key, index))
        v->Wert = value;
    Close(true);
}

TKonf* Konf()
{
    return g_konf;
}

TKonf* SetKonf(TKonf* store)
{
    return std::exchange(g_konf, store);
}
