#include "xml/UXParser.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr size_t kNone = std::string_view::npos;

// A set of characters as a lookup table: the scans below run over whole files.
class CharSet {
public:
    constexpr explicit CharSet(std::string_view members)
    {
        for (const char c : members)
            table_[static_cast<unsigned char>(c)] = true;
    }
    constexpr bool Has(char c) const { return table_[static_cast<unsigned char>(c)]; }

private:
    std::array<bool, 256> table_{};
};

constexpr CharSet kWhitespace("\t\n\r ");
constexpr CharSet kElementNameStops("\t\n\r />");
constexpr CharSet kAttributeNameStops("=\t\n\r ");
constexpr CharSet kTargetStops("\t\n\r ?");
constexpr CharSet kEndTagStops("\t\n\r >");
constexpr CharSet kDocTypeOpeners("[>");

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads a number the way the numeric character references are written: optional
// leading spaces and sign, then decimal digits, or hexadecimal after "$", "x", "X" or
// "0x". The whole text must be used and the value must fit 32 bits.
std::optional<int64_t> ReadReferenceNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL))
            return std::nullopt;
    }
    if (base == 10 && !negative && value > 0x7FFFFFFFLL)
        return std::nullopt;
    return negative ? -value : value;
}

// Appends the decoded form of one reference, "&" to ";" inclusive.
void DecodeReference(std::string& out, std::string_view reference)
{
    const std::string_view body = reference.substr(1, reference.size() - 2);
    if (!body.empty() && body[0] == '#') {
        if (const auto number = ReadReferenceNumber(body.substr(1)))
            out += static_cast<char>(static_cast<uint8_t>(*number & 0xFF));
        else
            out += reference;
        return;
    }
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [prefix, character] : kNamed) {
        if (body.starts_with(prefix)) {
            out += character;
            return;
        }
    }
    out += reference;
}

// Whitespace normalization as a stream: every run of whitespace becomes one space and
// the ends are trimmed. CR LF and lone CRs are whitespace runs themselves, so turning
// them into LF first changes nothing. 'pendingSpace' carries a run over to the next
// piece of the same text.
void AppendNormalized(std::string& out, bool& pendingSpace, std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        if (IsSpace(text[i])) {
            while (i < text.size() && IsSpace(text[i]))
                ++i;
            pendingSpace = !out.empty();
            continue;
        }
        const size_t start = i;
        while (i < text.size() && !IsSpace(text[i]))
            ++i;
        if (pendingSpace) {
            out += ' ';
            pendingSpace = false;
        }
        out.append(text.data() + start, i - start);
    }
}

class Parser {
public:
    explicit Parser(std::string_view source) : s_(source), tree_(std::make_unique<TXBaum>()) {}

    std::unique_ptr<TXBaum> Run()
    {
        Document();
        if (failed_)
            return nullptr;
        return std::move(tree_);
    }

    bool Failed() const { return failed_; }
    const char* Message() const { return message_; }
    // 1-based, or -1.
    int Position() const { return position_; }

private:
    // --- error state ----------------------------------------------------------------

    // Records the first error only; 'at' is a 0-based index or kNone.
    void SetError(const char* message, size_t at)
    {
        if (failed_)
            return;
        failed_ = true;
        message_ = message;
        position_ = at == kNone ? -1 : static_cast<int>(at + 1);
    }
    void Incomplete() { SetError(TXParser::kMsgUnvollstaendig, kNone); }

    // --- primitives -----------------------------------------------------------------

    bool AtEnd() const { return p_ >= s_.size(); }
    char Current() const { return s_[p_]; }

    size_t FindChar(const CharSet& set, size_t start) const
    {
        for (size_t i = start; i < s_.size(); ++i)
            if (set.Has(s_[i]))
                return i;
        return kNone;
    }
    size_t FindNotChar(const CharSet& set, size_t start) const
    {
        for (size_t i = start; i < s_.size(); ++i)
            if (!set.Has(s_[i]))
                return i;
        return kNone;
    }
    size_t FindChar(char c, size_t start) const { return start >= s_.size() ? kNone : s_.find(c, start); }
    size_t FindText(std::string_view text, size_t start) const
    {
        return start > s_.size() ? kNone : s_.find(text, start);
    }
    bool MatchAt(std::string_view text, size_t at) const { return at <= s_.size() && s_.substr(at).starts_with(text); }

    // Moves to the next non-whitespace character; false at the end of the text (an
    // error unless the end is allowed there).
    bool SkipSpace(bool endAllowed)
    {
        const size_t next = FindNotChar(kWhitespace, p_);
        if (next == kNone) {
            p_ = s_.size();
            if (!endAllowed)
                Incomplete();
            return false;
        }
        p_ = next;
        return true;
    }

    // Reads up to the next stop character and leaves the position on it.
    bool ReadName(const CharSet& stops, std::string_view& name)
    {
        const size_t stop = FindChar(stops, p_);
        if (stop == kNone) {
            Incomplete();
            return false;
        }
        if (stop == p_) {
            SetError(TXParser::kMsgNameUngueltig, stop);
            return false;
        }
        name = s_.substr(p_, stop - p_);
        p_ = stop;
        return true;
    }

    // Steps past the current character; false (and "Unvollständig") when the text ends there.
    bool StepExpectingMore()
    {
        ++p_;
        if (AtEnd()) {
            Incomplete();
            return false;
        }
        return true;
    }

    void AddNode(TXElement* parent, std::unique_ptr<TXKnoten> node)
    {
        if (parent)
            parent->Children.Add(std::move(node));
        else
            tree_->Add(std::move(node));
    }

    // --- document -------------------------------------------------------------------

    void Document()
    {
        if (Prolog())
            Elements();
        if (!failed_)
            Epilog();
    }

    // Returns true with the position on the first character of the document element's name.
    bool Prolog()
    {
        for (;;) {
            if (!SkipSpace(false))
                return false;
            if (Current() != '<') {
                SetError(TXParser::kMsgReihenfolge, p_);
                return false;
            }
            if (!StepExpectingMore())
                return false;
            if (Current() == '!')
                MarkupDeclaration(nullptr);
            else if (Current() == '?')
                ProcessingInstruction(nullptr, true);
            else
                return true;
            if (failed_)
                return false;
        }
    }

    void Epilog()
    {
        while (SkipSpace(true)) {
            if (Current() != '<') {
                SetError(TXParser::kMsgSyntaxfehler, p_);
                return;
            }
            if (!StepExpectingMore())
                return;
            if (Current() == '!')
                MarkupDeclaration(nullptr);
            else if (Current() == '?')
                ProcessingInstruction(nullptr, false);
            else
                SetError(TXParser::kMsgSyntaxfehler, p_);
            if (failed_)
                return;
        }
    }

    // --- markup declarations ---------------------------------------------------------

    // Position on "!".
    void MarkupDeclaration(TXElement* parent)
    {
        if (!StepExpectingMore())
            return;
        switch (Current()) {
        case '-': Comment(parent); break;
        case 'D':
            if (parent)
                SetError(TXParser::kMsgDoctype, p_);
            else
                DocType();
            break;
        case '[':
            if (parent)
                CData(parent);
            else
                SetError(TXParser::kMsgCData, p_);
            break;
        default: SetError(TXParser::kMsgSyntaxfehler, p_);
        }
    }

    void Comment(TXElement* parent)
    {
        if (!StepExpectingMore())
            return;
        if (Current() != '-') {
            SetError(TXParser::kMsgSyntaxfehler, p_);
            return;
        }
        ++p_;
        const size_t end = FindText("-->", p_);
        if (end == kNone) {
            Incomplete();
            return;
        }
        AddNode(parent, std::make_unique<TXKommentar>(TXParser::Decode(s_.substr(p_, end - p_))));
        p_ = end + 3;
    }

    void CData(TXElement* parent)
    {
        constexpr std::string_view kOpen = "[CDATA[";
        if (!MatchAt(kOpen, p_)) {
            SetError(TXParser::kMsgSyntaxfehler, p_);
            return;
        }
        p_ += kOpen.size();
        const size_t end = FindText("]]>", p_);
        if (end == kNone) {
            Incomplete();
            return;
        }
        AddNode(parent, std::make_unique<TXCData>(TXParser::Decode(s_.substr(p_, end - p_))));
        p_ = end + 3;
    }

    void DocType()
    {
        constexpr std::string_view kKeyword = "DOCTYPE";
        if (!MatchAt(kKeyword, p_)) {
            SetError(TXParser::kMsgSyntaxfehler, p_);
            return;
        }
        p_ += kKeyword.size();
        const size_t start = p_;
        const size_t opener = FindChar(kDocTypeOpeners, p_);
        if (opener == kNone) {
            Incomplete();
            return;
        }
        const std::string_view terminator = s_[opener] == '>' ? ">" : "]>";
        const size_t end = FindText(terminator, opener);
        if (end == kNone) {
            Incomplete();
            return;
        }
        AddNode(nullptr, std::make_unique<TXDocType>(TXParser::Decode(s_.substr(start, end - start))));
        p_ = end + terminator.size();
    }

    // Position on "?".
    void ProcessingInstruction(TXElement* parent, bool declarationAllowed)
    {
        ++p_;
        std::string_view target;
        if (!ReadName(kTargetStops, target))
            return;
        if (IsXmlTarget(target)) {
            if (declarationAllowed)
                XmlDeclaration();
            else
                SetError(TXParser::kMsgDeklaration, p_);
            return;
        }
        const size_t end = FindText("?>", p_);
        if (end == kNone) {
            Incomplete();
            return;
        }
        // One separating character after the target is skipped, and one blank before
        // "?>": the writer puts one there, so a written instruction reads back unchanged.
        const size_t dataStart = p_ + 1;
        std::string_view data = end > dataStart ? s_.substr(dataStart, end - dataStart) : std::string_view();
        if (data.ends_with(' '))
            data.remove_suffix(1);
        AddNode(parent, std::make_unique<TXProcInst>(std::string(target), TXParser::Decode(data)));
        p_ = end + 2;
    }

    static bool IsXmlTarget(std::string_view target)
    {
        return target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
            (target[2] | 0x20) == 'l';
    }

    void XmlDeclaration()
    {
        const size_t end = FindText("?>", p_);
        if (end == kNone) {
            Incomplete();
            return;
        }
        // Its contents are not read: the files are always written as 1.0 / ISO-8859-1.
        tree_->SetDeklaration(std::make_unique<TXDeklaration>());
        p_ = end + 2;
    }

    // --- elements -------------------------------------------------------------------

    struct Open {
        TXElement* element;
        bool preserved;
        bool pendingSpace;
    };

    // The character data of each open element so far, by depth: decoded, and normalized
    // on the way unless space is preserved. The buffers keep their capacity, so reading
    // a text costs no allocation beyond the element's own Text.
    std::string& TextSoFar(size_t depth)
    {
        if (texts_.size() <= depth)
            texts_.resize(depth + 1);
        return texts_[depth];
    }

    void AppendCharacterData(Open& top, std::string& text, std::string_view data)
    {
        if (top.preserved) {
            TXParser::DecodeAppend(text, data);
        } else if (data.find('&') == kNone) {
            AppendNormalized(text, top.pendingSpace, data);
        } else {
            decoded_.clear();
            TXParser::DecodeAppend(decoded_, data);
            AppendNormalized(text, top.pendingSpace, decoded_);
        }
    }

    // Parses the document element and everything inside it with an explicit stack of
    // open elements, so deep nesting cannot exhaust the call stack.
    void Elements()
    {
        std::vector<Open> open;
        if (!StartTag(nullptr, false, open))
            return;
        while (!open.empty() && !failed_) {
            Open& top = open.back();
            std::string& text = TextSoFar(open.size() - 1);
            const size_t lt = FindChar('<', p_);
            if (lt == kNone) {
                Incomplete();
                return;
            }
            AppendCharacterData(top, text, s_.substr(p_, lt - p_));
            p_ = lt;
            if (!StepExpectingMore())
                return;
            switch (Current()) {
            case '!': MarkupDeclaration(top.element); break;
            case '?': ProcessingInstruction(top.element, false); break;
            case '/':
                top.element->Text = text;
                EndTag(*top.element);
                open.pop_back();
                break;
            default: StartTag(top.element, top.preserved, open);
            }
        }
    }

    // Position on the first character after "<". Reads the start tag with its
    // attributes; an element with content is pushed, the position after its ">".
    bool StartTag(TXElement* parent, bool parentPreserved, std::vector<Open>& open)
    {
        const size_t lessThan = p_ - 1;
        if (open.size() >= static_cast<size_t>(TXParser::kMaxDepth)) {
            SetError(TXParser::kMsgZuTief, lessThan);
            return false;
        }
        if (IsSpace(Current())) {
            SetError(TXParser::kMsgLeerraumVerboten, FindNotChar(kWhitespace, p_));
            return false;
        }
        std::string_view name;
        if (!ReadName(kElementNameStops, name))
            return false;
        auto created = std::make_unique<TXElement>(std::string(name), std::string());
        TXElement* element = created.get();
        if (parent)
            parent->Children.Add(std::move(created));
        else
            tree_->SetDocEl(std::move(created));
        if (!Attributes(*element))
            return false;
        if (Current() == '/') {
            if (!StepExpectingMore())
                return false;
            if (Current() != '>') {
                SetError(TXParser::kMsgGroesserErwartet, p_);
                return false;
            }
            ++p_;
            return true;
        }
        ++p_;  // past ">"
        const int own = OwnSpace(*element);
        open.push_back({element, own < 0 ? parentPreserved : own == 1, false});
        TextSoFar(open.size() - 1).clear();
        return true;
    }

    static int OwnSpace(const TXElement& element)
    {
        const TXAttribut* space = element.Attributes.Find("xml:space");
        if (!space)
            return -1;
        return space->Value == "default" ? 0 : space->Value == "preserve" ? 1 : -1;
    }

    // Position on the stop character after the element name; ends on "/" or ">".
    bool Attributes(TXElement& element)
    {
        for (;;) {
            if (Current() == '/' || Current() == '>')
                return true;
            const size_t before = p_;
            if (!SkipSpace(false))
                return false;
            if (Current() == '/' || Current() == '>')
                return true;
            if (p_ == before) {
                SetError(TXParser::kMsgLeerraumFehlt, p_);
                return false;
            }
            if (!Attribute(element))
                return false;
            if (AtEnd()) {
                Incomplete();
                return false;
            }
        }
    }

    bool Attribute(TXElement& element)
    {
        std::string_view name;
        if (!ReadName(kAttributeNameStops, name) || !SkipSpace(false))
            return false;
        if (Current() != '=') {
            SetError(TXParser::kMsgGleichheitszeichen, p_);
            return false;
        }
        ++p_;
        if (!SkipSpace(false))
            return false;
        const char quote = Current();
        if (quote != '"' && quote != '\'') {
            SetError(TXParser::kMsgAnfuehrungszeichen, p_);
            return false;
        }
        const size_t close = s_.find(quote, p_ + 1);
        if (close == kNone) {
            Incomplete();
            return false;
        }
        element.Attributes.Add(std::string(name), TXParser::Decode(s_.substr(p_ + 1, close - p_ - 1)));
        p_ = close + 1;
        return true;
    }

    // Position on the "/" of "</".
    void EndTag(const TXElement& element)
    {
        ++p_;
        if (AtEnd() || IsSpace(Current())) {
            SetError(TXParser::kMsgLeerraumVerboten, FindNotChar(kWhitespace, p_));
            return;
        }
        std::string_view name;
        if (!ReadName(kEndTagStops, name))
            return;
        if (name != element.Name) {
            SetError(TXParser::kMsgAbschluss, p_);
            return;
        }
        if (!SkipSpace(false))
            return;
        if (Current() != '>') {
            SetError(TXParser::kMsgGroesserErwartet, p_);
            return;
        }
        ++p_;
    }

    std::string_view s_;
    size_t p_ = 0;
    std::vector<std::string> texts_;
    std::string decoded_;
    std::unique_ptr<TXBaum> tree_;
    bool failed_ = false;
    const char* message_ = "";
    int position_ = 0;
};

}  // namespace

TXParseResult TXParser::Read(const std::string& text)
{
    Parser parser(text);
    TXParseResult result;
    result.Tree = parser.Run();
    if (parser.Failed()) {
        result.Tree.reset();
        result.Message = parser.Message();
        result.Position = parser.Position();
        result.ErrorText = ErrorText(result.Message, result.Position, text);
    }
    return result;
}

std::unique_ptr<TXBaum> TXParser::Parse(const std::string& text, std::string& errorText, int& errorPos)
{
    TXParseResult result = Read(text);
    if (!result) {
        errorPos = result.Position;
        errorText = std::move(result.ErrorText);
    }
    return std::move(result.Tree);
}

void TXParser::DecodeAppend(std::string& out, std::string_view text)
{
    size_t from = 0;
    for (;;) {
        const size_t amp = text.find('&', from);
        const size_t semi = amp == kNone ? kNone : text.find(';', amp + 1);
        if (semi == kNone) {
            out.append(text.data() + from, text.size() - from);
            return;
        }
        out.append(text.data() + from, amp - from);
        DecodeReference(out, text.substr(amp, semi - amp + 1));
        from = semi + 1;
    }
}

std::string TXParser::Decode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    DecodeAppend(out, text);
    return out;
}

std::string TXParser::Normalize(std::string_view text)
{
    std::string out;
    bool pendingSpace = false;
    AppendNormalized(out, pendingSpace, text);
    return out;
}

std::string TXParser::ErrorText(std::string_view message, int pos, std::string_view source)
{
    constexpr int kExcerptLength = 200;
    const int n = static_cast<int>(source.size());
    int e = n;
    if (pos >= 1 && pos <= n && (n <= kExcerptLength || pos < n))
        e = pos;
    const int begin = n <= kExcerptLength ? 1 : std::max(1, e - kExcerptLength);

    std::string text(message);
    text += " Pos : ";
    text += std::to_string(pos);
    text += "\r\n";
    if (begin > 1)
        text += "...";
    if (e >= begin)
        text += source.substr(static_cast<size_t>(begin - 1), static_cast<size_t>(e - begin + 1));
    if (e < n)
        text += "...";
    return text;
}
