#include "config/UKonfig.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "config/TestMeldungen.h"
#include "config/TestOrdner.h"
#include "xml/UXBaum.h"

namespace {

std::string Entry(const std::string& name, const std::string& wert, const std::string& info = "i")
{
    return "\t\t<E Name=\"" + name + "\">\r\n\t\t\t<Info>" + info + "</Info>\r\n\t\t\t<Wert>" + wert +
        "</Wert>\r\n\t\t</E>\r\n";
}

std::string List(const std::string& name, const std::string& entries)
{
    return "\t<" + name + ">\r\n" + entries + "\t</" + name + ">\r\n";
}

std::string ConfigFile(const std::string& lists, const std::string& declaration = "<?xml version=\"1.0\" ?>\r\n")
{
    return declaration + "<Konfiguration>\r\n" + lists + "</Konfiguration>\r\n";
}

// The names of the document element's child elements, in order.
std::vector<std::string> ListOrder(const TKonf& konf)
{
    std::vector<std::string> names;
    const TXElement* docEl = konf.XKonf() ? konf.XKonf()->DocEl() : nullptr;
    for (int i = 0; docEl && i < docEl->Children.Count(); ++i) {
        if (const TXElement* e = docEl->Children.Item(i)->AsElement())
            names.push_back(e->Name);
    }
    return names;
}

// Entries of the folder other than the expected ones (left-over temporary files).
std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class KonfTest : public ::testing::Test {
protected:
    std::string Path() const { return dir / "KONFIGURATION.XML"; }
    void WriteConfig(const std::string& text) { WriteBytes(Path(), text); }
    std::string Standard() const
    {
        return ConfigFile(
            List("Vorgaben", Entry("Sprache", "Deutsch") + Entry("VerzeichnisVorlagen", "")) +
            List("FMHaupt",
                 Entry("Maximiert", "Ja") + Entry("Links", "abc") + Entry("Oben", "12") + Entry("Breite", "  640")) +
            List("LV", Entry("Spalte0", "200") + Entry("Spalte1", "300")) +
            List("Spalten", Entry("Spalte0", "a") + Entry("Spalte1", "b") + Entry("Spalte3", "d")));
    }

    TTestOrdner dir;
    TTestMeldungen meldungen;
};

TEST_F(KonfTest, WithoutAFileReadsGiveDefaultsAndEveryWriteReportsTheMissingFile)
{
    TKonf konf(Path());
    const std::string notFound = "Not found :\r\n\"" + Path() + "\"";
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_TRUE(meldungen.Meldungen[0].Stock);
    EXPECT_EQ(meldungen.Meldungen[0].Icon, TStockIcon::Information);
    EXPECT_EQ(meldungen.Meldungen[0].Text, notFound);

    EXPECT_EQ(konf.GetLanguage(), "ENGLISH");
    EXPECT_EQ(konf.GetDefault("VerzeichnisVorlagen"), "");
    const TWindowState state = konf.ReadWindowState("FMHaupt");
    EXPECT_FALSE(state.Maximized);
    EXPECT_EQ(state.Left, -1);
    EXPECT_EQ(state.Top, -1);
    EXPECT_EQ(state.Width, -1);
    EXPECT_EQ(state.Height, -1);
    EXPECT_TRUE(konf.ReadColumns("LV").empty());
    EXPECT_EQ(meldungen.Meldungen.size(), 1u);  // reads are silent

    konf.SetDefault("VerzeichnisWord", "/x/");
    konf.WriteColumns("LV", {"1"});
    ASSERT_EQ(meldungen.Meldungen.size(), 3u);
    EXPECT_EQ(meldungen.Meldungen[2].Text, notFound);
    EXPECT_FALSE(konf.LastError().empty());
    EXPECT_FALSE(std::filesystem::exists(Path()));  // the store never creates the file
}

TEST_F(KonfTest, UnparsableFileGivesDefaults)
{
    WriteConfig("<Konfiguration><Vorgaben></Konfiguration>\r\n");
    TKonf konf(Path());
    ASSERT_EQ(meldungen.Meldungen.size(), 1u);
    EXPECT_EQ(meldungen.Meldungen[0].Icon, TStockIcon::Error);
    EXPECT_EQ(meldungen.Meldungen[0].Text, "Error found while analysing \"KONFIGURATION.XML\"");
    EXPECT_EQ(konf.XKonf(), nullptr);
    EXPECT_EQ(konf.GetLanguage(), "ENGLISH");
}

TEST_F(KonfTest, ReadsValuesAsStored)
{
    WriteConfig(Standard());
    TKonf konf(Path());
    EXPECT_TRUE(meldungen.Meldungen.empty());

    EXPECT_EQ(konf.GetLanguage(), "Deutsch");
    const TWindowState state = konf.ReadWindowState("FMHaupt");
    EXPECT_TRUE(state.Maximized);
    EXPECT_EQ(state.Left, 0);  // not a number
    EXPECT_EQ(state.Top, 12);
    EXPECT_EQ(state.Width, 640);                                                   // leading blanks are read
    EXPECT_EQ(state.Height, -1);                                                   // missing
    EXPECT_EQ(konf.ReadColumns("Spalten"), (std::vector<std::string>{"a", "b"}));  // stops at the gap
    EXPECT_EQ(konf.ReadColumns("Missing"), std::vector<std::string>{});
    EXPECT_EQ(konf.GetDefault("VerzeichnisVorlagen"), "");
    EXPECT_EQ(konf.GetDefault("Unbekannt"), "");
}

TEST_F(KonfTest, MaximizedOnlyForExactlyJa)
{
    for (const char* value : {"ja", "JA", "Jawohl", "1", "true", ""}) {
        WriteConfig(ConfigFile(List("W", Entry("Maximiert", value))));
        TKonf konf(Path());
        EXPECT_FALSE(konf.ReadWindowState("W").Maximized) << value;
    }
}

TEST(KonfWertTest, AsIntegerReadsWholeDecimalNumbersOnly)
{
    const std::pair<const char*, int> cases[] = {
        {"12", 12},
        {" 7", 7},
        {"-5", -5},
        {"+3", 3},
        {"abc", 0},
        {"", 0},
        {"12 ", 0},
        {"1.5", 0},
        {"-", 0},
        {"2147483647", 2147483647},
        {"2147483648", 0},
        {"-2147483648", -2147483647 - 1},
        {"99999999999999999999", 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TKonfWert("k", "", text).AsInteger(), expected) << '"' << text << '"';
    EXPECT_EQ(TKonfWert("k", "", "x").AsInteger(-1), -1);
}

TEST_F(KonfTest, WindowStateRoundTripsThroughTheFile)
{
    WriteConfig(Standard());
    {
        TKonf konf(Path());
        konf.WriteWindowState("FMHaupt", {false, 10, -20, 800, 600});
        EXPECT_EQ(konf.LastError(), "");
    }
    TKonf konf(Path());
    const TWindowState state = konf.ReadWindowState("FMHaupt");
    EXPECT_FALSE(state.Maximized);
    EXPECT_EQ(state.Left, 10);
    EXPECT_EQ(state.Top, -20);
    EXPECT_EQ(state.Width, 800);
    EXPECT_EQ(state.Height, 600);
    std::string error;
    konf.OpenList("FMHaupt", error);
    int index = -1;
    const TKonfWert* maximiert = konf.FindValue("Maximiert", index);
    ASSERT_NE(maximiert, nullptr);
    EXPECT_EQ(maximiert->Wert, "Nein");
    const TKonfWert* hoehe = konf.FindValue("Hoehe", index);
    ASSERT_NE(hoehe, nullptr);
    EXPECT_EQ(hoehe->Info, "Hoehe");  // added with the key as its Info
    EXPECT_EQ(index, 4);
    konf.CloseList(false, error);
}

TEST_F(KonfTest, WriteColumnsFillsOnlyExistingEntries)
{
    WriteConfig(Standard());
    {
        TKonf konf(Path());
        konf.WriteColumns("LV", {"150", "250", "350"});
    }
    TKonf konf(Path());
    EXPECT_EQ(konf.ReadColumns("LV"), (std::vector<std::string>{"150", "250"}));
    EXPECT_EQ(ReadBytes(Path()).find("Spalte2"), std::string::npos);
}

TEST_F(KonfTest, SetLanguageNeverAddsTheEntryButRewritesTheFile)
{
    WriteConfig(ConfigFile(List("Vorgaben", Entry("VerzeichnisWord", "w")) + List("LV", Entry("Spalte0", "1"))));
    TKonf konf(Path());
    konf.SetLanguage("Deutsch");
    EXPECT_EQ(konf.LastError(), "");
    EXPECT_EQ(konf.GetLanguage(), "ENGLISH");
    // Rewritten: the list moved to the end of the file.
    TKonf reread(Path());
    EXPECT_EQ(ListOrder(reread), (std::vector<std::string>{"LV", "Vorgaben"}));
    EXPECT_EQ(reread.GetLanguage(), "ENGLISH");
}

TEST_F(KonfTest, SetDefaultAddsNewKeysWithTheKeyAsInfo)
{
    WriteConfig(Standard());
    {
        TKonf konf(Path());
        konf.SetDefault("VerzeichnisWordBenutzer", "/home/u/Vorlagen/");
        konf.SetDefault("VerzeichnisVorlagen", "/t/");
    }
    TKonf konf(Path());
    EXPECT_EQ(konf.GetDefault("VerzeichnisWordBenutzer"), "/home/u/Vorlagen/");
    EXPECT_EQ(konf.GetDefault("VerzeichnisVorlagen"), "/t/");
    std::string error;
    konf.OpenList("Vorgaben", error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(konf.KonfWerte()->Count(), 3);
    EXPECT_EQ(konf.KonfWerte()->Item(2)->Name, "VerzeichnisWordBenutzer");
    EXPECT_EQ(konf.KonfWerte()->Item(2)->Info, "VerzeichnisWordBenutzer");
    EXPECT_EQ(konf.KonfWerte()->Item(0)->Info, "i");  // existing entries keep their Info
    konf.CloseList(false, error);
}

TEST_F(KonfTest, WrittenListMovesToTheEndAndTheDeclarationIsNormalized)
{
    WriteConfig(ConfigFile(List("Vorgaben", Entry("Sprache", "ENGLISH")) + List("LV", Entry("Spalte0", "1")),
                           "<?xml version=\"1.1\" encoding=\"UTF-8\" ?>\r\n"));
    TKonf konf(Path());
    konf.SetDefault("Sprache", "Deutsch");
    EXPECT_EQ(ListOrder(konf), (std::vector<std::string>{"LV", "Vorgaben"}));
    const std::string text = ReadBytes(Path());
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n", 0), 0u) << text;

    WriteConfig(ConfigFile(List("Vorgaben", Entry("Sprache", "ENGLISH")), ""));
    TKonf withoutDeclaration(Path());
    withoutDeclaration.SetDefault("Sprache", "Deutsch");
    EXPECT_EQ(ReadBytes(Path()).rfind("<Konfiguration>\r\n", 0), 0u);
}

TEST_F(KonfTest, ValuesAreEscapedAndComeBackNormalized)
{
    WriteConfig(Standard());
    {
        TKonf konf(Path());
        konf.SetDefault("A", "Tom & Jerry <x>");
        konf.SetDefault("B", "two  spaces");
        konf.SetDefault("C", "line\nbreak");
    }
    const std::string text = ReadBytes(Path());
    EXPECT_NE(text.find("Tom &amp; Jerry &lt;x&gt;"), std::string::npos);
    // Every line ends in CR LF, also the one broken inside a value.
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        ASSERT_EQ(text[i - 1], '\r') << "at " << i;
    EXPECT_EQ(text.find("line\r\n"), text.find("line"));

    TKonf konf(Path());
    EXPECT_EQ(konf.GetDefault("A"), "Tom & Jerry <x>");
    EXPECT_EQ(konf.GetDefault("B"), "two spaces");
    EXPECT_EQ(konf.GetDefault("C"), "line break");
}

TEST_F(KonfTest, WritingAMissingListFailsSilentlyAndReloads)
{
    WriteConfig(Standard());
    TKonf konf(Path());
    const std::string before = ReadBytes(Path());
    konf.WriteWindowState("Gibtsnicht", {true, 1, 2, 3, 4});
    EXPECT_EQ(konf.LastError(), "Error while saving: XKonf, Liste");
    EXPECT_EQ(ReadBytes(Path()), before);
    EXPECT_TRUE(meldungen.Meldungen.empty());
    EXPECT_EQ(konf.ReadWindowState("Gibtsnicht").Left, -1);
    EXPECT_EQ(konf.GetLanguage(), "Deutsch");  // the reloaded tree works
}

TEST_F(KonfTest, OnlyOneListIsOpenAtATime)
{
    WriteConfig(Standard());
    TKonf konf(Path());
    std::string error;
    konf.OpenList("LV", error);
    EXPECT_EQ(error, "");
    konf.OpenList("Vorgaben", error);
    EXPECT_EQ(error, "Cannot open \"Vorgaben\"");
    EXPECT_EQ(konf.KonfWerte()->Name, "LV");
    konf.CloseList(false, error);
    EXPECT_EQ(konf.KonfWerte(), nullptr);

    konf.OpenList("Nirgends", error);
    EXPECT_EQ(error, "Error found while analysing \"XKonf, Liste\"");
    EXPECT_EQ(konf.KonfWerte()->Count(), 0);
    konf.CloseList(false, error);
}

// A write that fails half-way (here: the file size limit, which holds also for root, as
// a full disk would) must leave the old file whole and no temporary file behind.
TEST_F(KonfTest, FailedWriteLeavesTheOldFileWhole)
{
    WriteConfig(Standard());
    TKonf konf(Path());
    const std::string before = ReadBytes(Path());

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    konf.SetDefault("VerzeichnisVorlagen", std::string(2000, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previousHandler);

    EXPECT_NE(konf.LastError(), "");
    EXPECT_EQ(ReadBytes(Path()), before);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"KONFIGURATION.XML"});
    EXPECT_TRUE(meldungen.Meldungen.empty());  // write errors are silent

    // The next write goes through again.
    konf.SetDefault("VerzeichnisVorlagen", "/v/");
    EXPECT_EQ(konf.LastError(), "");
    EXPECT_EQ(TKonf(Path()).GetDefault("VerzeichnisVorlagen"), "/v/");
}

TEST_F(KonfTest, FailedRenameLeavesTheTargetAndNoTemporaryFile)
{
    WriteConfig(Standard());
    TKonf konf(Path());
    // The file's place is taken by a folder that cannot be replaced.
    std::filesystem::remove(Path());
    WriteBytes(Path() + "/inside", "keep");
    konf.SetDefault("VerzeichnisVorlagen", "/v/");
    EXPECT_NE(konf.LastError(), "");
    EXPECT_EQ(ReadBytes(Path() + "/inside"), "keep");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"KONFIGURATION.XML"});
}

TEST_F(KonfTest, WriteKeepsTheFilePermissions)
{
    WriteConfig(Standard());
    std::filesystem::permissions(Path(), std::filesystem::perms(0640));
    TKonf konf(Path());
    konf.SetDefault("Sprache", "ENGLISH");
    EXPECT_EQ(konf.LastError(), "");
    EXPECT_EQ(std::filesystem::status(Path()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
}

// The installation's default file must hold every list and entry the program writes,
// since the store never adds lists and never adds column entries.
TEST_F(KonfTest, ShippedDefaultFileHoldsEverythingTheProgramWrites)
{
    WriteBytes(Path(), ReadBytes(std::string(TAVIX_DATA_SOURCE) + "/KONFIGURATION.XML"));
    TKonf konf(Path());
    ASSERT_NE(konf.XKonf(), nullptr);
    EXPECT_TRUE(meldungen.Meldungen.empty());
    EXPECT_EQ(konf.GetLanguage(), "ENGLISH");

    struct Expected {
        const char* list;
        std::vector<std::string> keys;
    };
    const Expected lists[] = {
        {"Vorgaben",
         {"Sprache", "VerzeichnisVorlagen", "VerzeichnisDokumente", "VerzeichnisWord", "VerzeichnisWordBenutzer"}},
        {"FMHaupt", {"Maximiert", "Links", "Oben", "Breite", "Hoehe"}},
        {"ME", {"Maximiert", "Links", "Oben", "Breite", "Hoehe"}},
        {"LV", {"Spalte0", "Spalte1"}},
    };
    for (const Expected& e : lists) {
        std::string error;
        konf.OpenList(e.list, error);
        EXPECT_EQ(error, "") << e.list;
        int index = -1;
        for (const std::string& key : e.keys) {
            const TKonfWert* value = konf.FindValue(key, index);
            ASSERT_NE(value, nullptr) << e.list << "/" << key;
            EXPECT_FALSE(value->Info.empty()) << e.list << "/" << key;
        }
        konf.CloseList(false, error);
    }
    EXPECT_EQ(konf.ReadColumns("LV").size(), 2u);

    // Written values all land in the file.
    konf.WriteWindowState("FMHaupt", {true, 1, 2, 3, 4});
    konf.WriteColumns("LV", {"111", "222"});
    konf.SetDefault("VerzeichnisDokumente", "/d/");
    konf.SetLanguage("Deutsch");
    EXPECT_EQ(konf.LastError(), "");
    TKonf reread(Path());
    EXPECT_EQ(reread.ReadWindowState("FMHaupt").Height, 4);
    EXPECT_EQ(reread.ReadColumns("LV"), (std::vector<std::string>{"111", "222"}));
    EXPECT_EQ(reread.GetDefault("VerzeichnisDokumente"), "/d/");
    EXPECT_EQ(reread.GetLanguage(), "Deutsch");
}

TEST(KonfGlobalTest, DefaultPathIsTheUsersDataFolder)
{
    TTestOrdner home;
    TEnvGuard homeGuard("HOME", home.Path() + "h");
    TEnvGuard configGuard("XDG_CONFIG_HOME", home.Path() + "cfg");
    EXPECT_EQ(TKonf::DefaultPath(), home.Path() + "cfg/Tavix/KONFIGURATION.XML");
}

}  // namespace
