// The embedded engine's whole job on one template's bytes: open, list the bookmarks,
// fill each, update the fields and write the document, which must open again.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "FuzzHilfe.h"
#include "word/embedded/UWordEmbedded.h"
#include "word/embedded/UWordPackage.h"

#include <pugixml.hpp>

#include <string_view>

inline constexpr std::array<const char*, 5> kWordNames = {"Vorlage.dotx", "Vorlage.docx", "Vorlage.dotm", "Vorlage.ott",
                                                          "Vorlage.odt"};

// Answers as the window hands them over: plain, empty, with line breaks (CR LF and the
// vertical tab of a manual break), markup characters and Windows-1252 letters.
inline constexpr std::array<const char*, 5> kAntworten = {"Antwort", "", "Zeile 1\r\nZeile 2\x0BZeile 3",
                                                          "<w:t> & \"]]>\" </text:p>",
                                                          "Gr\xFC\xDF"
                                                          "e \x80 \xFF"};

// Whether every complex field of an Office Open XML story is whole: begin, at most one
// separate, end, properly nested. False for a story that is no XML.
inline bool FieldsWhole(const std::string& xml)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size()))
        return false;
    std::vector<bool> separated;
    for (const pugi::xpath_node& found : doc.select_nodes("//*[local-name()='fldChar']")) {
        std::string type;
        for (pugi::xml_attribute a : found.node().attributes())
            if (std::string_view(a.name()).ends_with("fldCharType"))
                type = a.value();
        if (type == "begin") {
            separated.push_back(false);
        } else if (type == "separate") {
            if (separated.empty() || separated.back())
                return false;
            separated.back() = true;
        } else if (type == "end") {
            if (separated.empty())
                return false;
            separated.pop_back();
        }
    }
    return separated.empty();
}

// The main story of an Office Open XML package, empty when there is none.
inline std::string MainStory(const std::string& bytes)
{
    std::string error;
    const std::unique_ptr<TWordPackage> package = TWordPackage::Open(bytes, error);
    return package ? package->Read("word/document.xml").Bytes : std::string();
}

inline void FillAndWrite(std::string bytes, const std::string& name, std::uint8_t answerChoice)
{
    // No fill may leave a field of a whole story cut.
    const std::string story = MainStory(bytes);
    const bool wholeBefore = !story.empty() && FieldsWhole(story);
    std::string error;
    std::unique_ptr<TWordEmbeddedDoc> doc = TWordEmbeddedDoc::FromBytes(std::move(bytes), name, false, {}, error);
    if (!doc) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    const std::vector<std::string> bookmarks = doc->Bookmarks();
    // A fill or an update may be refused with its reason; what is written must still be sound.
    for (std::size_t i = 0; i < bookmarks.size(); ++i)
        std::ignore = doc->FillBookmark(bookmarks[i], kAntworten[(answerChoice + i) % kAntworten.size()]);
    std::ignore = doc->FillBookmark("KeinLesezeichen", "x");
    std::ignore = doc->UpdateFields();
    std::string written;
    if (!doc->Serialize(written).empty())
        return;
    if (wholeBefore)
        FUZZ_CHECK(FieldsWhole(MainStory(written)));
    std::unique_ptr<TWordEmbeddedDoc> again = TWordEmbeddedDoc::FromBytes(written, name, false, {}, error);
    if (!again)
        std::fprintf(stderr, "the written document does not open again: %s\n", error.c_str());
    FUZZ_CHECK(again != nullptr);
    again->Bookmarks();
}
