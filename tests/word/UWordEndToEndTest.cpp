// The example templates as the program ships them, and their documents read back by a
// real word processor (LibreOffice, headless, with a private profile).
#include "word/embedded/UWordEmbedded.h"

#include "config/TestOrdner.h"
#include "support/TestWord.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

const std::string kExamples = std::string(TAVIX_TEST_DATA) + "/../../data/Examples/";

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The texts of the elements <tag>...</tag> of a questionnaire file, trimmed.
std::vector<std::string> ElementTexts(const std::string& xml, const std::string& tag)
{
    std::vector<std::string> texts;
    const std::string open = "<" + tag + ">";
    const std::string close = "</" + tag + ">";
    for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
        const std::size_t end = xml.find(close, at);
        if (end == std::string::npos)
            break;
        texts.push_back(Trim(xml.substr(at + open.size(), end - at - open.size())));
    }
    return texts;
}

struct TExample {
    std::string Questionnaire;
    std::string WordTemplate;  // without extension
    std::vector<std::string> Ids;
};

std::vector<TExample> Examples()
{
    std::vector<TExample> examples;
    for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
        if (entry.path().extension() != ".TXL")
            continue;
        const std::string xml = ReadBytes(entry.path().string());
        const std::vector<std::string> names = ElementTexts(xml, "WTemplate");
        if (names.empty())
            continue;
        std::string name = names.front();
        name = name.substr(name.find_last_of('\\') + 1);
        examples.push_back({entry.path().filename().string(), kExamples + name, ElementTexts(xml, "ID")});
    }
    std::sort(examples.begin(), examples.end(),
              [](const TExample& a, const TExample& b) { return a.Questionnaire < b.Questionnaire; });
    return examples;
}

// Each example questionnaire has both word-processor templates, with one bookmark per
// field and no other.
TEST(WordExamples, EveryFieldHasItsBookmarkInBothFormats)
{
    const std::vector<TExample> examples = Examples();
    ASSERT_FALSE(examples.empty());
    for (const TExample& example : examples) {
        for (const char* extension : {".dotx", ".ott"}) {
            SCOPED_TRACE(example.WordTemplate + extension);
            std::string error;
            auto doc = TWordEmbeddedDoc::Open(example.WordTemplate + extension, false, {}, error);
            ASSERT_TRUE(doc) << error;
            std::vector<std::string> bookmarks = doc->Bookmarks();
            std::vector<std::string> ids = example.Ids;
            std::sort(bookmarks.begin(), bookmarks.end());
            std::sort(ids.begin(), ids.end());
            EXPECT_EQ(bookmarks, ids);
        }
    }
}

std::string FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return folder + "/" + name;
    return {};
}

// Every example is filled with answers of two lines, written as a document, and read
// back as plain text by LibreOffice: each answer stands there with its line break, and
// no placeholder of the template is left (cross-references included).
TEST(WordExamples, LibreOfficeReadsEveryAnswerBack)
{
    const std::string soffice = FindProgram("soffice");
    if (soffice.empty())
        GTEST_SKIP() << "soffice is not installed (Debian: libreoffice-writer-nogui)";
    TTestOrdner folder;
    std::filesystem::create_directories(folder / "docs");
    std::vector<std::pair<std::string, std::vector<std::string>>> written;
    for (const TExample& example : Examples()) {
        for (const char* extension : {".dotx", ".ott"}) {
            std::string error;
            auto doc = TWordEmbeddedDoc::Open(example.WordTemplate + extension, false, {}, error);
            ASSERT_TRUE(doc) << error;
            for (const std::string& id : doc->Bookmarks())
                EXPECT_EQ(doc->FillBookmark(id, "\xC4" + id + "\v2-" + id), "");
            EXPECT_EQ(doc->UpdateFields(), "");
            const std::string base =
                std::filesystem::path(example.WordTemplate).filename().string() + (extension[1] == 'd' ? "-x" : "-o");
            const std::string file = folder / ("docs/" + base + doc->Extension());
            ASSERT_EQ(doc->SaveAs(file, false), "");
            written.emplace_back(folder / ("text/" + base + ".txt"), doc->Bookmarks());
        }
    }
    const std::string command = "cd '" + folder.Path() + "' && HOME='" + folder.Path() + "' timeout 100 '" + soffice +
        "' -env:UserInstallation=file://" + folder.Path() +
        "profile --headless --norestore"
        " --convert-to 'txt:Text (encoded):UTF8' --outdir '" +
        folder.Path() + "text' docs/* > soffice.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadBytes(folder / "soffice.log");
    for (const auto& [textFile, ids] : written) {
        SCOPED_TRACE(textFile);
        std::string text = ReadBytes(textFile);
        ASSERT_FALSE(text.empty()) << ReadBytes(folder / "soffice.log");
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        for (const std::string& id : ids)
            EXPECT_NE(text.find("\xC3\x84" + id + "\n2-" + id), std::string::npos) << id << "\n" << text;
        EXPECT_EQ(text.find('['), std::string::npos) << text;
    }
}

}  // namespace
