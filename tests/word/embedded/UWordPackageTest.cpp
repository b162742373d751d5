#include "word/embedded/UWordPackage.h"

#include "config/TestOrdner.h"
#include "support/TestWord.h"
#include "word/embedded/UWordEmbedded.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(WordPackage, EntryNames)
{
    for (const char* good : {"word/document.xml", "[Content_Types].xml", "Pictures/", "a..b/c.xml"})
        EXPECT_TRUE(IsSafeEntryName(good)) << good;
    for (const char* bad :
         {"", "/etc/passwd", "../evil.xml", "word/../../evil.xml", "a/./b", "C:/x.xml", "word\\..\\x.xml", "a//b"})
        EXPECT_FALSE(IsSafeEntryName(bad)) << bad;
}

TEST(WordPackage, ReplacedRemovedAndStoredFirstEntries)
{
    std::string error;
    auto package = TWordPackage::Open(MakeZip({{"a.txt", "alpha"}, {"b.txt", "beta"}, {"c/", ""}}), error);
    ASSERT_TRUE(package) << error;
    package->Put("b.txt", "BETA");
    package->Put("new.txt", "new");
    package->Remove("a.txt");
    package->PutFirstStored("mimetype", "type");
    const TPackageBytes written = package->Write();
    ASSERT_TRUE(written) << written.Error;
    auto result = TWordPackage::Open(written.Bytes, error);
    ASSERT_TRUE(result) << error;
    EXPECT_EQ(result->Names(), (std::vector<std::string>{"mimetype", "b.txt", "c/", "new.txt"}));
    const TPackageBytes b = result->Read("b.txt");
    EXPECT_TRUE(b && b.Bytes == "BETA") << b.Error;
    const TPackageBytes type = result->Read("mimetype");
    EXPECT_TRUE(type && type.Bytes == "type") << type.Error;
    const TPackageBytes removed = result->Read("a.txt");
    EXPECT_FALSE(removed);
    EXPECT_EQ(removed.Error, "The package has no part \"a.txt\".");
}

struct TBadCase {
    const char* Label;
    std::string Bytes;
    const char* Message;  // a part of the error text
};

// A template whose stories claim the given unpacked sizes (what a hostile file may claim).
std::string ClaimingSizes(const std::vector<std::pair<std::string, std::uint32_t>>& claims)
{
    TDocxLayout layout;
    layout.Body = "<w:p/>";
    layout.Header = "<w:p/>";
    layout.Footer = "<w:p/>";
    std::vector<TRawEntry> raw;
    for (const TTestEntry& entry : DocxEntries(layout)) {
        std::uint32_t size = static_cast<std::uint32_t>(entry.Data.size());
        for (const auto& [name, claimed] : claims)
            if (name == entry.Name)
                size = claimed;
        raw.push_back({entry.Name, entry.Data, size});
    }
    return MakeRawZip(raw);
}

std::string WithEntry(const std::string& name, const std::string& data)
{
    TDocxLayout layout;
    layout.Body = "<w:p/>";
    auto entries = DocxEntries(layout);
    bool replaced = false;
    for (TTestEntry& entry : entries)
        if (entry.Name == name) {
            entry.Data = data;
            replaced = true;
        }
    if (!replaced)
        entries.push_back({name, data});
    return MakeZip(entries);
}

std::string WithoutEntry(const std::string& name)
{
    TDocxLayout layout;
    layout.Header = "<w:p/>";
    auto entries = DocxEntries(layout);
    std::erase_if(entries, [&](const TTestEntry& e) { return e.Name == name; });
    return MakeZip(entries);
}

// Every bad template is refused with a clear message; nothing is written anywhere.
TEST(WordPackage, BadTemplatesAreRefusedCleanly)
{
    const std::uint32_t mib = 1024 * 1024;
    std::vector<TTestEntry> ottWithBadContent = OttEntries({});
    ottWithBadContent[1].Data = "<office:document-content><unclosed>";
    std::vector<TTestEntry> encryptedOtt = OttEntries({});
    for (TTestEntry& entry : encryptedOtt)
        if (entry.Name == "META-INF/manifest.xml")
            entry.Data.replace(entry.Data.find("media-type=\"text/xml\"/>"),
                               std::string("media-type=\"text/xml\"/>").size(),
                               "media-type=\"text/xml\"><manifest:encryption-data manifest:checksum-type=\"SHA1/1K\""
                               " manifest:checksum=\"x\"/></manifest:file-entry>");
    const std::vector<TBadCase> cases = {
        {"not a zip", "Dear Sir or Madam, this is plain text.", "not a zip package"},
        {"empty file", "", "not a zip package"},
        {"truncated zip", MakeDocx({}).substr(0, 200), "not a zip package"},
        {"binary Word template", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'),
         "binary Word template"},
        {"zip of something else", MakeZip({{"readme.txt", "hello"}}), "neither"},
        {"encrypted Office Open XML", MakeCompoundFile({{"EncryptionInfo", "i"}, {"EncryptedPackage", "p"}}),
         "protected with a password"},
        {"password-protected binary Word", MakeCompoundFile({{"WordDocument", WordDocumentStream(true)}}),
         "protected with a password"},
        {"encrypted OpenDocument", MakeZip(encryptedOtt), "protected with a password"},
        {"main part missing", WithoutEntry("word/document.xml"), "no part \"word/document.xml\""},
        {"header missing", WithoutEntry("word/header1.xml"), "no part \"word/header1.xml\""},
        {"no main document named", WithEntry("_rels/.rels", "<Relationships/>"), "names no main document"},
        {"malformed body", WithEntry("word/document.xml", "<w:document><w:body></w:document>"), "not well-formed"},
        {"malformed content types", WithEntry("[Content_Types].xml", "<Types"), "not well-formed"},
        {"malformed settings", WithEntry("word/settings.xml", "<w:settings><w:zoom></w:settings>"), "not well-formed"},
        {"spreadsheet",
         WithEntry("[Content_Types].xml",
                   "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                   "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                   "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"),
         "not a word-processing document"},
        {"OpenDocument drawing", MakeOtt({"", "", "application/vnd.oasis.opendocument.graphics"}),
         "not an OpenDocument text"},
        {"OpenDocument with malformed content", MakeZip(ottWithBadContent), "not well-formed"},
        {"parent folder in a name", WithEntry("../evil.xml", "x"), "unsafe name"},
        {"parent folder inside a name", WithEntry("word/../../evil.xml", "x"), "unsafe name"},
        {"absolute name", WithEntry("/tmp/evil.xml", "x"), "unsafe name"},
        {"drive letter", WithEntry("C:/evil.xml", "x"), "unsafe name"},
        {"one entry over the cap", MakeRawZip({{"[Content_Types].xml", "<Types/>", 300 * mib}}), "256 MiB"},
        {"entries over the cap together", MakeRawZip({{"a.xml", "<a/>", 200 * mib}, {"b.xml", "<b/>", 200 * mib}}),
         "256 MiB"},
        {"entry larger than it says", MakeRawZip({{"[Content_Types].xml", std::string(5000, ' ') + "<Types/>", 10}}),
         "[Content_Types].xml"},
        {"same name twice", MakeRawZip({{"a.xml", "<a/>", 4}, {"a.xml", "<a/>", 4}}), "an entry twice"},
        // No real document needs this much XML; parsed, it would take gigabytes.
        {"story over the XML cap", ClaimingSizes({{"word/document.xml", 40 * mib}}),
         "\"word/document.xml\" holds more XML than any document needs (32 MiB)"},
        {"stories over the XML cap together",
         ClaimingSizes(
             {{"word/document.xml", 30 * mib}, {"word/header1.xml", 30 * mib}, {"word/footer1.xml", 30 * mib}}),
         "more XML than any document needs (64 MiB with the parts before it)"},
    };
    TTestOrdner folder;
    for (const TBadCase& c : cases) {
        SCOPED_TRACE(c.Label);
        WriteBytes(folder / "in/Vorlage.dotx", c.Bytes);
        TWordEmbeddedApp app([](const std::string&) { return std::string(); });
        std::string error;
        const auto doc = app.AddDocument(folder / "in/Vorlage.dotx", true, error);
        EXPECT_FALSE(doc);
        EXPECT_NE(error.find("The template \"" + folder / "in/Vorlage.dotx\" cannot be used"), std::string::npos)
            << error;
        EXPECT_NE(error.find(c.Message), std::string::npos) << error;
    }
    std::filesystem::remove_all(folder / "in");
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(WordPackage, MissingTemplateFileIsAnError)
{
    TTestOrdner folder;
    TWordEmbeddedApp app;
    std::string error;
    EXPECT_FALSE(app.AddDocument(folder / "none", false, error));
    EXPECT_NE(error.find(folder / "none"), std::string::npos) << error;
    EXPECT_FALSE(app.AddDocument(folder.Path(), false, error));
    EXPECT_NE(error.find("not a file"), std::string::npos) << error;
}

}  // namespace
