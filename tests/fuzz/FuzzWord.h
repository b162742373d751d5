// The embedded engine's whole job on one template's bytes: open, list the bookmarks,
// fill each, update the fields and write the document, which must open again.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzHilfe.h"
#include "word/embedded/UWordEmbedded.h"

inline constexpr std::array<const char*, 5> kWordNames = {"Vorlage.dotx", "Vorlage.docx", "Vorlage.dotm",
                                                          "Vorlage.ott", "Vorlage.odt"};

// Answers as the window hands them over: plain, empty, with line breaks (CR LF and the
// vertical tab of a manual break), markup characters and Windows-1252 letters.
inline constexpr std::array<const char*, 5> kAntworten = {
    "Antwort", "", "Zeile 1\r\nZeile 2\x0BZeile 3", "<w:t> & \"]]>\" </text:p>", "Gr\xFC\xDF" "e \x80 \xFF"};

inline void FillAndWrite(std::string bytes, const std::string& name, std::uint8_t answerChoice)
{
    std::string error;
    std::unique_ptr<TWordEmbeddedDoc> doc = TWordEmbeddedDoc::FromBytes(std::move(bytes), name, false, {}, error);
    if (!doc) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    const std::vector<std::string> bookmarks = doc->Bookmarks();
    for (std::size_t i = 0; i < bookmarks.size(); ++i)
        doc->FillBookmark(bookmarks[i], kAntworten[(answerChoice + i) % kAntworten.size()]);
    doc->FillBookmark("KeinLesezeichen", "x");
    doc->UpdateFields();
    std::string written;
    if (!doc->Serialize(written).empty())
        return;
    std::unique_ptr<TWordEmbeddedDoc> again = TWordEmbeddedDoc::FromBytes(written, name, false, {}, error);
    if (!again)
        std::fprintf(stderr, "the written document does not open again: %s\n", error.c_str());
    FUZZ_CHECK(again != nullptr);
    again->Bookmarks();
}
