// The XML parser: turns the whole text of a file into a TXBaum, or reports the first
// error with a German message, its 1-based position (-1 where a search ran to the end
// of the text) and an excerpt of the text before it.
//
// It reads a small, lenient dialect: names are only checked for being non-empty, the
// XML declaration's contents are not read, entity references are decoded in every
// kind of text, and element text is whitespace-normalized unless xml:space says
// "preserve". The text is taken as it is (single-byte, line ends already CR LF).
//
// Parse never throws for any input and never reads outside the text. A text that ends
// too early fails with "Unvollständig" at -1; nesting deeper than kMaxDepth levels
// fails with kMsgZuTief at the "<" of the element that went too deep.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "xml/UXBaum.h"

// What TXParser::Read gives: the tree, or where and why reading stopped. Tested like a bool.
struct [[nodiscard]] TXParseResult {
    std::unique_ptr<TXBaum> Tree;
    const char* Message = "";  // the kind of error: one of TXParser's kMsg texts; empty on success
    int Position = 0;          // 1-based; -1 where a search ran to the end of the text
    std::string ErrorText;     // the message, " Pos : ", the position, CR LF and the excerpt
    explicit operator bool() const { return Tree != nullptr; }
};

class TXParser {
public:
    static constexpr int kMaxDepth = 10000;

    // The error messages, in the files' single-byte encoding.
    static constexpr const char* kMsgUnvollstaendig = "Unvollst\xE4ndig";
    static constexpr const char* kMsgNameUngueltig = "Name ung\xFCltig";
    static constexpr const char* kMsgReihenfolge = "Reihenfolge";
    static constexpr const char* kMsgSyntaxfehler = "Syntaxfehler";
    static constexpr const char* kMsgDeklaration = "XML-Deklaration an dieser Stelle nicht erlaubt";
    static constexpr const char* kMsgDoctype = "DOCTYPE nur im Prolog erlaubt";
    static constexpr const char* kMsgCData = "CDATA im Prolog nicht erlaubt";
    static constexpr const char* kMsgGleichheitszeichen = "Attribut: Gleichheitszeichen fehlt";
    static constexpr const char* kMsgAnfuehrungszeichen = "Attribut: Anf\xFChrungszeichen";
    static constexpr const char* kMsgLeerraumFehlt = "Leerraum fehlt";
    static constexpr const char* kMsgLeerraumVerboten = "Leerraum nicht erlaubt";
    static constexpr const char* kMsgAbschluss = "Element Abschluss unkorrekt";
    static constexpr const char* kMsgGroesserErwartet = "> erwartet";
    static constexpr const char* kMsgZuTief = "Elemente zu tief verschachtelt";

    static TXParseResult Read(const std::string& text);
    // Read with out values: on success returns the tree and leaves them untouched; on
    // failure returns none, errorPos gets the position and errorText the error text.
    static std::unique_ptr<TXBaum> Parse(const std::string& text, std::string& errorText, int& errorPos);

    static std::string Escape(std::string_view text) { return XEscape(text); }
    static std::string_view LocalName(std::string_view name) { return XLocalName(name); }

    // Decodes entity references: "&#..;" numeric (decimal, or hexadecimal after "$",
    // "x", "X" or "0x"; the low 8 bits), then the prefixes lt, gt, amp, quot, apos.
    // Anything else stays as it is.
    static std::string Decode(std::string_view text);
    static void DecodeAppend(std::string& out, std::string_view text);
    // CR LF and CR become LF, runs of tab, LF, CR and space one space, ends trimmed.
    static std::string Normalize(std::string_view text);
    // The error text for a message at a position in the source.
    static std::string ErrorText(std::string_view message, int pos, std::string_view source);
};
