#include "word/UWordErzeugung.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

#include "core/TestKern.h"
#include "support/TestWord.h"
#include "core/UDokument.h"
#include "env/UDateien.h"
#include "env/UInstalliert.h"

namespace {

// ---- A word processor that only records what it is asked ----------------------------------

struct TFakeWord {
    std::vector<std::string> Calls;
    bool Attached = false;
    bool VisibleBefore = false;
    std::string ConnectError;
    std::string UserFolder;
    std::string AddError;
    std::string ShowError;
    std::set<std::string> Missing;                // bookmarks that do not exist
    std::set<std::string> Broken;                 // bookmarks that exist but cannot be filled
    std::map<std::string, std::string> NoticeOf;  // what filling a bookmark notes for the log
    std::vector<std::string> Pending;             // notes not yet taken
    std::string Throwing;                         // a bookmark whose filling throws
    std::vector<std::string> Bookmarks;
};

class TFakeDoc : public TWordDoc {
public:
    explicit TFakeDoc(TFakeWord& word) : word_(word) {}
    std::string FillBookmark(const std::string& name, const std::string& text) override
    {
        word_.Calls.push_back("Fill " + name + "=" + text);
        if (word_.NoticeOf.count(name))
            word_.Pending.push_back(word_.NoticeOf.at(name));
        if (name == word_.Throwing)
            throw std::runtime_error("kaputt");
        if (word_.Missing.count(name))
            return MissingBookmarkError(name);
        return word_.Broken.count(name) ? "The bookmark \"" + name + "\" cannot be filled: broken" : "";
    }
    std::string UpdateFields() override
    {
        word_.Calls.push_back("Update");
        return {};
    }
    std::vector<std::string> BookmarkNames() const override { return word_.Bookmarks; }
    std::vector<std::string> TakeNotices() override { return std::exchange(word_.Pending, {}); }
    std::string Extension() const override { return ".docx"; }
    std::string ShowDocument(const std::string& folder, const std::string& baseName, std::string& written) override
    {
        word_.Calls.push_back("ShowDocument " + folder + "|" + baseName);
        written = folder + baseName + ".docx";
        return word_.ShowError;
    }
    std::string SaveAs(const std::string& path, bool) override
    {
        word_.Calls.push_back("SaveAs " + path);
        return {};
    }
    void Close() override { word_.Calls.push_back("Close"); }
    bool Visible() const override { return true; }

private:
    TFakeWord& word_;
};

class TFakeApp : public TWordApp {
public:
    explicit TFakeApp(TFakeWord& word) : word_(word), visible_(word.Attached && word.VisibleBefore) {}
    TWordBackend Kind() const override { return TWordBackend::Embedded; }
    std::string Connect(bool& attached) override
    {
        word_.Calls.push_back("Connect");
        attached = word_.Attached;
        return word_.ConnectError;
    }
    bool Visible() const override { return visible_; }
    void Show() override
    {
        word_.Calls.push_back("Show");
        visible_ = true;
    }
    std::unique_ptr<TWordDoc> AddDocument(const std::string& file, bool visible, std::string& error) override
    {
        word_.Calls.push_back("Add " + file + (visible ? " visible" : " hidden"));
        error = word_.AddError;
        if (!error.empty())
            return nullptr;
        return std::make_unique<TFakeDoc>(word_);
    }
    std::string UserTemplateFolder() override
    {
        word_.Calls.push_back("UserTemplateFolder");
        return word_.UserFolder;
    }
    void Quit() override { word_.Calls.push_back("Quit"); }

private:
    TFakeWord& word_;
    bool visible_;
};

const char* const kSprache =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
    "<Language>\r\n"
    "<Basics><New>Neu</New><Error>Fehler</Error></Basics>\r\n"
    "<Directories><DocDirName>Dokumentdaten</DocDirName><TemplateDirName>Vorlagen</TemplateDirName></Directories>\r\n"
    "<FMHaupt><TemplateNotFoundMsg>Nicht gefunden: %s</TemplateNotFoundMsg>"
    "<TextmarkeMsg>Textmarke %s fehlt</TextmarkeMsg><Document>Ausf\xFCllen</Document>"
    "<DocumentWrittenMsg>Geschrieben: %s</DocumentWrittenMsg></FMHaupt>\r\n"
    "</Language>\r\n";

class WordErzeugungTest : public ::testing::Test {
protected:
    WordErzeugungTest() : env_(false), sprache_(env_.Path("spr/"))
    {
        WriteBytes(env_.Path("spr/T.SPR"), kSprache);
        sprache_.Load("T.SPR");
        sitzung_.SetAppFactory([this](TWordBackend, std::string&) { return std::make_unique<TFakeApp>(word_); });
        sitzung_.SetLog([this](const std::string& line) { log_.push_back(line); });
        word_.UserFolder = env_.Path("benutzer/");
    }

    void AddField(const std::string& id, int type, const std::string& answer)
    {
        auto field = std::make_unique<TTAFeld>();
        field->ID = id;
        field->Question = "Frage " + id;
        field->Type = type;
        field->Answer = answer;
        dokument_.InsertField(-1, std::move(field));
    }

    std::string Cached() { return env_.Konfiguration().GetDefault("VerzeichnisWordBenutzer"); }
    std::vector<std::string> MessageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : env_.Meldungen.Meldungen)
            texts.push_back(m.Text);
        return texts;
    }
    bool Called(const std::string& call) const
    {
        return std::find(word_.Calls.begin(), word_.Calls.end(), call) != word_.Calls.end();
    }

    TKernUmgebung env_;
    TSprache sprache_;
    TInstalliert<TSprache, SetSprache> installed_{&sprache_};
    TFakeWord word_;
    TDokument dokument_;
    TWordSitzung sitzung_{dokument_};
    std::vector<std::string> log_;
};

// ---- The command ---------------------------------------------------------------------

TEST_F(WordErzeugungTest, GenerationCallsTheWordProcessorInOrderAndLogsTheWrittenFile)
{
    WriteBytes(env_.Path("benutzer/Brief.dotx"), "x");
    dokument_.SetWordTemplate("Brief");
    dokument_.SetFileName(env_.Path("daten/Kunde.DXL"));
    AddField("Name", ftString, "Anna\r\nB");  // only a memo's breaks are converted
    AddField("Adresse", ftMemo, "Weg 1\r\nOrt\rKreis\nLand");
    AddField("Leer", ftString, "");
    dokument_.SetChanged(false);

    const TErzeugung result = sitzung_.GenerateDocument();

    const std::string folder = dokument_.FolderSetting("VerzeichnisDokumente");
    EXPECT_EQ(folder, env_.Path("home/Dokumente/Tavix/Dokumentdaten/"));
    const std::vector<std::string> expected = {
        // The bare name is looked up in the user-template folder, asked once and cached.
        "Connect",
        "UserTemplateFolder",
        "Quit",
        "Connect",
        "Show",
        "Add " + env_.Path("benutzer/Brief.dotx") + " visible",
        "Fill Name=Anna\r\nB",
        "Fill Adresse=Weg 1\vOrt\vKreis\vLand",
        "Fill Leer=",
        "Update",
        "ShowDocument " + folder + "|Kunde"};
    EXPECT_EQ(word_.Calls, expected);
    EXPECT_TRUE(result.Complete());
    EXPECT_EQ(result.WrittenFile, folder + "Kunde.docx");
    EXPECT_EQ(log_, (std::vector<std::string>{"Geschrieben: " + folder + "Kunde.docx"}));
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << "the document folder is made for the document";
    EXPECT_EQ(Cached(), env_.Path("benutzer/"));
    EXPECT_TRUE(env_.Meldungen.Meldungen.empty());
    EXPECT_FALSE(dokument_.Changed());
    ASSERT_TRUE(sitzung_.WordApp() && sitzung_.WordDoc()) << "the window keeps both references";

    word_.Calls.clear();
    sitzung_.GenerateDocument();
    EXPECT_FALSE(Called("UserTemplateFolder")) << "the cached folder is used";
    EXPECT_FALSE(Called("Quit")) << "the generated document stays open";
}

TEST_F(WordErzeugungTest, OnlyAHiddenWordProcessorIsMadeVisible)
{
    WriteBytes(env_.Path("t/Brief.ott"), "x");
    dokument_.SetWordTemplate(env_.Path("t/Brief"));
    struct Case {
        bool Attached;
        bool VisibleBefore;
        bool Shown;
    };
    for (const Case c : {Case{false, false, true}, Case{true, false, true}, Case{true, true, false}}) {
        word_.Calls.clear();
        word_.Attached = c.Attached;
        word_.VisibleBefore = c.VisibleBefore;
        EXPECT_TRUE(sitzung_.GenerateDocument().Complete());
        EXPECT_EQ(Called("Show"), c.Shown) << c.Attached << c.VisibleBefore;
        EXPECT_FALSE(Called("Quit")) << "generation never quits the word processor";
        EXPECT_TRUE(sitzung_.WordApp()->Visible());
    }
}

TEST_F(WordErzeugungTest, AFailedBookmarkIsLoggedAndTheNextFieldFilled)
{
    WriteBytes(env_.Path("t/Brief.dotx"), "x");
    dokument_.SetWordTemplate(env_.Path("t/Brief"));
    AddField("A", ftString, "eins");
    AddField("B", ftInteger, "2");
    AddField("C", ftString, "drei");
    AddField("D", ftString, "vier");
    AddField("E", ftString, "f\xFCnf");
    word_.Missing = {"B"};
    word_.Throwing = "C";
    word_.Broken = {"D"};
    word_.NoticeOf = {{"E", "E twice"}};

    const TErzeugung result = sitzung_.GenerateDocument();

    EXPECT_TRUE(Called("Fill E=f\xFCnf"));
    EXPECT_TRUE(Called("Update"));
    EXPECT_EQ(result.FailedFields, 3);
    EXPECT_TRUE(result.Generated);
    EXPECT_FALSE(result.Complete());
    // A missing bookmark gets the language's advice, any other failure its real cause.
    EXPECT_EQ(log_,
              (std::vector<std::string>{"FEHLER : B,Frage B,2", "Textmarke B fehlt", "FEHLER : Ausf\xFCllen", "kaputt",
                                        "FEHLER : D,Frage D,vier", "The bookmark \"D\" cannot be filled: broken",
                                        "E twice", log_.empty() ? "" : log_.back()}));
    EXPECT_EQ(log_.back().rfind("Geschrieben: ", 0), 0u);
    EXPECT_TRUE(env_.Meldungen.Meldungen.empty()) << "bookmark failures go to the log only";
}

TEST_F(WordErzeugungTest, FailuresBeforeFillingStopWithOneErrorMessage)
{
    WriteBytes(env_.Path("t/Brief.dotx"), "x");
    dokument_.SetWordTemplate(env_.Path("t/Brief"));
    AddField("A", ftString, "eins");
    struct Case {
        std::string ConnectError;
        std::string AddError;
        std::string ShowError;
        std::string Message;
        bool Written;
    };
    for (const Case& c : {Case{"no word", "", "", "no word", false}, Case{"", "bad zip", "", "bad zip", false},
                          Case{"", "", "no desktop", "no desktop", true}}) {
        word_ = TFakeWord{};
        word_.ConnectError = c.ConnectError;
        word_.AddError = c.AddError;
        word_.ShowError = c.ShowError;
        env_.Meldungen.Meldungen.clear();
        log_.clear();
        std::vector<bool> busy;
        sitzung_.SetBusy([&](bool on) { busy.push_back(on); });
        const TErzeugung result = sitzung_.GenerateDocument();
        // Busy while it works, but not while the message is read.
        EXPECT_EQ(busy, (std::vector<bool>{true, false, true, false}));
        EXPECT_FALSE(result.Generated) << c.Message;
        EXPECT_EQ(MessageTexts(), (std::vector<std::string>{c.Message}));
        EXPECT_EQ(env_.Meldungen.Meldungen.front().Kind, TMsgKind::Error);
        EXPECT_EQ(Called("Fill A=eins"), c.ShowError.size() > 0) << "nothing is filled without a document";
        EXPECT_EQ(log_.size(), c.Written ? 1u : 0u) << "a written file is named even when it cannot be opened";
    }
}

// ---- Finding the template -------------------------------------------------------------

TEST_F(WordErzeugungTest, ExtensionsAreTriedInOrderAndTheMessageNamesTheDotFile)
{
    struct Case {
        std::vector<std::string> Files;
        std::string Found;  // empty: not found
    };
    const Case cases[] = {
        {{"Brief.ott", "Brief.dotx"}, "Brief.dotx"},
        {{"Brief.ott", "Brief.dotm"}, "Brief.dotm"},
#ifdef TAVIX_HAVE_LIBREOFFICE
        {{"Brief.dotx", "Brief.dot"}, "Brief.dot"},
#else
        // Without LibreOffice a binary ".dot" gives way to a format this build can read.
        {{"Brief.dotx", "Brief.dot"}, "Brief.dotx"},
#endif
        {{"Brief.ott"}, "Brief.ott"},
        {{"Brief.docx", "Brief.odt", "Brief"}, ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string folder = env_.Path("fall" + std::to_string(++n) + "/");
        for (const std::string& file : c.Files)
            WriteBytes(folder + file, "x");
        dokument_.SetWordTemplate(folder + "Brief");
        env_.Meldungen.Meldungen.clear();
        EXPECT_EQ(sitzung_.CheckWordTemplate(), !c.Found.empty()) << n;
        EXPECT_EQ(sitzung_.ResolvedTemplate(), c.Found.empty() ? "" : folder + c.Found);
        EXPECT_EQ(MessageTexts(),
                  c.Found.empty() ? std::vector<std::string>{"Nicht gefunden: " + folder + "Brief.dot"}
                                  : std::vector<std::string>{});
    }
}

// The user's "WordBackend" setting and a back end set for the session (a tool's option)
// look for a template among the formats the back end reads; the factory is asked for it.
TEST_F(WordErzeugungTest, AChosenBackEndLooksAmongTheFormatsItReads)
{
    WriteBytes(env_.Path("beide/Brief.dot"), "x");
    WriteBytes(env_.Path("beide/Brief.dotx"), "x");
    WriteBytes(env_.Path("dot/Brief.dot"), "x");
    std::vector<TWordBackend> made;
    sitzung_.SetAppFactory([&](TWordBackend backend, std::string&) {
        made.push_back(backend);
        return std::make_unique<TFakeApp>(word_);
    });

    env_.Konfiguration().SetDefault(kWordBackendKey, "Embedded");
    dokument_.SetWordTemplate(env_.Path("beide/Brief"));
    ASSERT_TRUE(sitzung_.CheckWordTemplate());
    EXPECT_EQ(sitzung_.ResolvedTemplate(), env_.Path("beide/Brief.dotx"));
    bool attached = false;
    std::string error;
    EXPECT_TRUE(sitzung_.ConnectWord(false, attached, error)) << error;
    EXPECT_EQ(made, std::vector<TWordBackend>{TWordBackend::Embedded});

    env_.Konfiguration().SetDefault(kWordBackendKey, "");
    sitzung_.SetBackend(TWordBackend::Embedded);
    ASSERT_TRUE(sitzung_.CheckWordTemplate());
    EXPECT_EQ(sitzung_.ResolvedTemplate(), env_.Path("beide/Brief.dotx"));
    // The embedded engine cannot read a ".dot": the message says what helps.
    dokument_.SetWordTemplate(env_.Path("dot/Brief"));
    EXPECT_FALSE(sitzung_.CheckWordTemplate());
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_NE(MessageTexts()[0].find("LibreOffice Writer"), std::string::npos) << MessageTexts()[0];
}

TEST_F(WordErzeugungTest, ABareNameMissingFromTheCachedFolderAsksTheWordProcessorAgain)
{
    env_.Konfiguration().SetDefault("VerzeichnisWordBenutzer", env_.Path("alt/"));
    dokument_.SetWordTemplate("Normal");
    AddField("A", ftString, "eins");

    EXPECT_FALSE(sitzung_.GenerateDocument().Generated);
    EXPECT_EQ(word_.Calls, (std::vector<std::string>{"Connect", "UserTemplateFolder", "Quit"}));
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Nicht gefunden: " + env_.Path("benutzer/") + "Normal.dot"}));
    EXPECT_EQ(env_.Meldungen.Meldungen.front().Buttons, (TMsgButtons{TMsgButton::OK}));
    EXPECT_EQ(Cached(), env_.Path("benutzer/")) << "the newly asked folder is cached";

    // Once the file is there it is found without asking again.
    WriteBytes(env_.Path("benutzer/Normal.ott"), "x");
    word_.Calls.clear();
    EXPECT_TRUE(sitzung_.CheckWordTemplate());
    EXPECT_EQ(sitzung_.ResolvedTemplate(), env_.Path("benutzer/Normal.ott"));
    EXPECT_TRUE(word_.Calls.empty());
}

TEST_F(WordErzeugungTest, WithoutAUserTemplateFolderABareNameIsNotLookedUpInTheWorkingFolder)
{
    word_.UserFolder.clear();
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::create_directories(env_.Path("cwd"));
    std::filesystem::current_path(env_.Path("cwd"));
    WriteBytes(env_.Path("cwd/Normal.dotx"), "x");
    dokument_.SetWordTemplate("Normal");
    const bool found = sitzung_.CheckWordTemplate();
    std::filesystem::current_path(previous);
    EXPECT_FALSE(found);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Nicht gefunden: Normal.dot"}));
    EXPECT_EQ(Cached(), "") << "an unknown folder is not cached, and never as \"/\"";
}

TEST_F(WordErzeugungTest, TheExamplesMarkerBecomesTheExampleFolder)
{
    ASSERT_FALSE(FindWordTemplateFile(ExampleFolder() + "Angebot").empty())
        << "the build copies the examples to " << ExampleFolder();
    for (const char* marker : {"COMMON_APPDATA_TAVIX_EXAMPLES\\", "COMMON_APPDATA_TAVIX_EXAMPLES/"}) {
        dokument_.SetWordTemplate(std::string(marker) + "Angebot");
        dokument_.SetChanged(false);
        EXPECT_TRUE(sitzung_.CheckWordTemplate()) << marker;
        EXPECT_EQ(dokument_.WordTemplate(), ExampleFolder() + "Angebot");
        EXPECT_EQ(sitzung_.ResolvedTemplate(), ExampleFolder() + "Angebot.dotx");
        EXPECT_FALSE(dokument_.Changed());
    }
    // The full path is what a later save stores.
    EXPECT_NE(dokument_.FileText().find(ExampleFolder() + "Angebot"), std::string::npos);

    dokument_.SetWordTemplate("COMMON_APPDATA_TAVIX_EXAMPLES\\Fehlt");
    EXPECT_FALSE(sitzung_.CheckWordTemplate());
    EXPECT_EQ(dokument_.WordTemplate(), ExampleFolder() + "Fehlt");
    EXPECT_EQ(MessageTexts().back(), "Nicht gefunden: " + ExampleFolder() + "Fehlt.dot");

    // Only the marker itself is a folder part that stands for the examples.
    dokument_.SetWordTemplate("COMMON_APPDATA_TAVIX_EXAMPLES\\sub\\Angebot");
    EXPECT_FALSE(sitzung_.CheckWordTemplate());
    EXPECT_EQ(dokument_.WordTemplate(), "COMMON_APPDATA_TAVIX_EXAMPLES\\sub\\Angebot");
    EXPECT_TRUE(word_.Calls.empty()) << "no word processor is needed to find a template";
}

// ---- Queries --------------------------------------------------------------------------

TEST_F(WordErzeugungTest, TheUserTemplateFolderIsAskedOnceAndCached)
{
    std::vector<bool> busy;
    sitzung_.SetBusy([&](bool on) { busy.push_back(on); });
    word_.UserFolder = "/opt/vorlagen";
    EXPECT_EQ(sitzung_.WordUserTemplateFolder(), "/opt/vorlagen/");
    EXPECT_EQ(word_.Calls, (std::vector<std::string>{"Connect", "UserTemplateFolder", "Quit"}));
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(Cached(), "/opt/vorlagen/");
    EXPECT_EQ(sitzung_.WordUserTemplateFolder(), "/opt/vorlagen/");
    EXPECT_EQ(word_.Calls.size(), 3u);
    // It is the default of "VerzeichnisWord".
    EXPECT_EQ(dokument_.FolderSetting("VerzeichnisWord"), "/opt/vorlagen/");

    // A word processor the user runs is left running.
    env_.Konfiguration().SetDefault("VerzeichnisWordBenutzer", "");
    word_.Calls.clear();
    word_.Attached = true;
    EXPECT_EQ(sitzung_.WordUserTemplateFolder(), "/opt/vorlagen/");
    EXPECT_EQ(word_.Calls, (std::vector<std::string>{"Connect", "UserTemplateFolder"}));

    // One that cannot be reached gives no folder, and nothing is cached.
    env_.Konfiguration().SetDefault("VerzeichnisWordBenutzer", "");
    word_.ConnectError = "none";
    busy.clear();
    EXPECT_EQ(sitzung_.WordUserTemplateFolder(), "");
    EXPECT_EQ(Cached(), "");
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_TRUE(env_.Meldungen.Meldungen.empty());
}

TEST_F(WordErzeugungTest, TemplatesOfAllFormatsAreListedOnceWithoutLockFiles)
{
    const std::string folder = env_.Path("wv/");
    for (const char* file : {"Brief.dotx", "Brief.ott", "Alt.dot", "~$Brief.dotx", "~$Neu.ott", "Notiz.txt",
                             "Rechnung.dotm", "Plan.ott", "Bericht.docx", ".dotx"})
        WriteBytes(folder + file, "x");
    env_.Konfiguration().SetDefault("VerzeichnisWord", env_.Path("wv"));
    std::string listed;
    std::vector<std::string> names = sitzung_.ListWordTemplates(listed);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Alt", "Brief", "Plan", "Rechnung"}));
    EXPECT_EQ(listed, folder);
    EXPECT_EQ(word_.Calls, (std::vector<std::string>{"Connect", "Quit"}));

    // Without a setting the user-template folder is listed; a word processor that cannot
    // be reached does not keep the files from being listed.
    env_.Konfiguration().SetDefault("VerzeichnisWord", "");
    env_.Konfiguration().SetDefault("VerzeichnisWordBenutzer", folder);
    word_.ConnectError = "none";
    EXPECT_EQ(sitzung_.ListWordTemplates(listed).size(), 4u);
    EXPECT_EQ(listed, folder);
}

TEST_F(WordErzeugungTest, BookmarksAreReadFromAHiddenDocumentThatIsClosedAgain)
{
    word_.Bookmarks = {"Name", "_Toc1", "\xD0\x98\xD0\xBC\xD1\x8F", "Ort"};
    const TWordSitzung::TBookmarkListe listed = sitzung_.ListBookmarks("/t/Brief");
    EXPECT_TRUE(listed.Ok);
    EXPECT_EQ(listed.Usable, (std::vector<std::string>{"Name", "Ort"}));
    // A name the file encoding cannot hold is no field's ID, but the log says it was left.
    EXPECT_EQ(listed.Unusable, (std::vector<std::string>{"\xD0\x98\xD0\xBC\xD1\x8F"}));
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0], "The bookmark \"???\" was left out: its name has characters that a field's ID cannot hold.");
    EXPECT_EQ(word_.Calls, (std::vector<std::string>{"Connect", "Add /t/Brief hidden", "Close", "Quit"}));

    // A bare name is a name in the user-template folder.
    word_.Calls.clear();
    word_.Attached = true;
    sitzung_.ListBookmarks("Brief");
    EXPECT_TRUE(Called("Add " + env_.Path("benutzer/Brief") + " hidden"));
    EXPECT_FALSE(Called("Quit"));

    // A template that cannot be opened, or a word processor that cannot start: the error
    // is shown, no names.
    word_.AddError = "bad zip";
    EXPECT_FALSE(sitzung_.ListBookmarks("/t/Brief").Ok);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"bad zip"}));
    word_.ConnectError = "no office";
    const TWordSitzung::TBookmarkListe none = sitzung_.ListBookmarks("/t/Brief");
    EXPECT_FALSE(none.Ok);
    EXPECT_TRUE(none.Usable.empty());
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"bad zip", "no office"}));
}

// ---- With the embedded engine ---------------------------------------------------------

std::string Bookmark(int id, const std::string& name, const std::string& text)
{
    return "<w:p><w:bookmarkStart w:id=\"" + std::to_string(id) + "\" w:name=\"" + name + "\"/><w:r><w:t>" + text +
        "</w:t></w:r><w:bookmarkEnd w:id=\"" + std::to_string(id) + "\"/></w:p>";
}

TEST_F(WordErzeugungTest, TheEmbeddedEngineWritesTheDocumentBesideTheDataAndOpensIt)
{
    TDocxLayout layout;
    layout.Body = Bookmark(1, "Name", "[Name]") + Bookmark(2, "Adresse", "[Adresse]");
    WriteBytes(env_.Path("t/Brief.dotx"), MakeDocx(layout));
    dokument_.SetWordTemplate(env_.Path("t/Brief"));
    dokument_.SetFileName(env_.Path("irgendwo/Kunde.DXL"));
    AddField("Name", ftString, "J\xFCrgen");
    AddField("Adresse", ftMemo, "Weg 1\r\nOrt");
    AddField("Fehlt", ftString, "x");
    std::vector<std::string> opened;
    sitzung_.SetAppFactory({});
    sitzung_.SetOpener([&](const std::string& path) {
        opened.push_back(path);
        return std::string();
    });

    const TErzeugung first = sitzung_.GenerateDocument();
    const TErzeugung second = sitzung_.GenerateDocument();

    const std::string folder = dokument_.FolderSetting("VerzeichnisDokumente");
    EXPECT_EQ(opened, (std::vector<std::string>{folder + "Kunde.docx", folder + "Kunde (2).docx"}));
    EXPECT_EQ(first.WrittenFile, opened[0]);
    EXPECT_EQ(second.WrittenFile, opened[1]);
    EXPECT_EQ(first.FailedFields, 1);
    const std::string xml = PartOf(ReadBytes(opened[0]), "word/document.xml");
    EXPECT_EQ(DocxBookmarkText(xml, "Name"), "J\xC3\xBCrgen");
    EXPECT_EQ(DocxBookmarkText(xml, "Adresse"), "Weg 1\nOrt");
    EXPECT_EQ(log_[0], "FEHLER : Fehlt,Frage Fehlt,x");
    EXPECT_EQ(log_[2], "Geschrieben: " + folder + "Kunde.docx");
}

}  // namespace
