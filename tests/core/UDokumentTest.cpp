#include "core/UDokument.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "core/TestKern.h"
#include "env/UDateien.h"
#include "xml/UXBaum.h"
#include "xml/UXParser.h"

namespace fs = std::filesystem;

namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n";

// A file of the given body, as a template holds it.
std::string Vorlage(const std::string& body)
{
    return kDecl + "<Dialog>\r\n" + body + "</Dialog>\r\n";
}

std::unique_ptr<TTAFeld> Feld(const std::string& id, int type, const std::string& answer = "")
{
    auto field = std::make_unique<TTAFeld>();
    field->ID = id;
    field->Question = "Frage " + id;
    field->Type = type;
    field->Answer = answer;
    return field;
}

// Reads one "Field" element from its text.
std::unique_ptr<TTAFeld> FeldAus(const std::string& xml)
{
    std::string error;
    int pos = 0;
    const std::unique_ptr<TXBaum> tree = TXParser::Parse(ToCrLfLines(kDecl + xml), error, pos);
    EXPECT_TRUE(tree) << error;
    if (!tree)
        return std::make_unique<TTAFeld>();
    return TDokument::FieldFromElement(*tree->DocEl());
}

std::string FeldText(const TTAFeld& field)
{
    return TDokument::FieldToTree(field)->Serialize("\t", true);
}

// Records what the document tells its window.
class TProtokoll : public TDokumentBeobachter {
public:
    void RowsReset() override { log += "reset;"; }
    void RowInserted(int row) override { log += "insert " + std::to_string(row) + ";"; }
    void RowRemoved(int row) override { log += "remove " + std::to_string(row) + ";"; }
    void RowChanged(int row) override { log += "change " + std::to_string(row) + ";"; }
    void TitleChanged() override { log += "title;"; }
    void StateChanged() override {}
    std::string log;
};

class TFakeSpeicherDialog : public TSpeicherDialog {
public:
    bool Execute(const TSpeicherAnfrage& request, std::string& fileName) override
    {
        requests.push_back(request);
        if (answer.empty())
            return false;
        fileName = answer;
        return true;
    }
    std::string answer;  // empty: the user cancels
    std::vector<TSpeicherAnfrage> requests;
};

class DokumentTest : public ::testing::Test {
protected:
    DokumentTest()
    {
        doc.SetSpeicherDialog(&dialog);
        doc.ApplyLanguage();
    }

    std::string Docs() const { return umgebung.Path("home/Dokumente/Tavix/"); }
    const std::vector<TTestMeldungen::TMeldung>& Meldungen() const { return umgebung.Meldungen.Meldungen; }

    // Fills the document with one field of every kind worth keeping.
    void FillAllKinds()
    {
        doc.SetTitle("Angebot <Nr. 1> & \"mehr\"");
        doc.SetWordTemplate("COMMON_APPDATA_TAVIX_EXAMPLES\\Angebot");
        auto text = Feld("Anrede", ftString, "Sehr geehrte Frau");
        text->VList = {"Sehr geehrte Frau", "Sehr geehrter Herr", "Sehr geehrte Frau"};
        text->MaxChar = 40;
        text->Help = "Die Anrede des Briefes";
        doc.InsertField(-1, std::move(text));
        auto memo = Feld("Text", ftMemo, "  Zwei Zeilen,\r\n  mit Leerraum & <Zeichen>  \r\n");
        memo->MaxRow = 6;
        memo->MaxChar = 2000;
        doc.InsertField(-1, std::move(memo));
        auto count = Feld("Anzahl", ftInteger, "3");
        count->Format = "%0.0f";
        count->Maximum = 999;
        count->VList = {"1", "10"};
        doc.InsertField(-1, std::move(count));
        auto real = Feld("Preis", ftReal, "12,50");
        real->Format = "0.2";
        real->Minimum = -0.5;
        real->Maximum = 1.25e-7;
        doc.InsertField(-1, std::move(real));
        auto date = Feld("Datum", ftDatum, "15.03.2024");
        date->Format = "dd.mm.yyyy";
        date->Minimum = 36526;
        doc.InsertField(-1, std::move(date));
        auto time = Feld("Beginn", ftZeit, "14:30");
        time->Format = "hh:nn";
        time->Minimum = 0.25;
        time->Maximum = 0.75;
        doc.InsertField(-1, std::move(time));
        auto choice = Feld("Zahlung", ftAuswahl, "Rechnung");
        choice->VList = {"Rechnung", "Vorkasse"};
        choice->Help = "/usr/share/doc/hilfe.txt";
        doc.InsertField(-1, std::move(choice));
    }

    TKernUmgebung umgebung;
    TFakeSpeicherDialog dialog;
    TDokument doc;
};

void ExpectSameFields(const TDokument& a, const TDokument& b)
{
    ASSERT_EQ(a.RowCount(), b.RowCount());
    for (int i = 0; i < a.RowCount(); ++i) {
        const TTAFeld& x = *a.Field(i);
        const TTAFeld& y = *b.Field(i);
        SCOPED_TRACE(x.ID);
        EXPECT_EQ(x.ID, y.ID);
        EXPECT_EQ(x.Question, y.Question);
        EXPECT_EQ(x.Answer, y.Answer);
        EXPECT_EQ(x.MaxChar, y.MaxChar);
        EXPECT_EQ(x.Type, y.Type);
        if (TTAFeld::HasRows(x.Type)) {
            EXPECT_EQ(x.MaxRow, y.MaxRow);
        }
        if (TTAFeld::HasLimits(x.Type)) {
            EXPECT_EQ(x.Minimum, y.Minimum);
            EXPECT_EQ(x.Maximum, y.Maximum);
        }
        if (TTAFeld::HasFormat(x.Type) || x.Type == ftInteger) {
            EXPECT_EQ(x.Format, y.Format);
        }
        EXPECT_EQ(x.VList, y.VList);
        EXPECT_EQ(x.Help, y.Help);
    }
}

// ---- The "Field" element -----------------------------------------------------------

TEST_F(DokumentTest, FieldElementLayoutAndWhatIsWrittenWhen)
{
    TTAFeld memo;
    memo.ID = "Text";
    memo.Question = "Ihr Text";
    memo.Answer = " a\r\nb ";
    memo.Type = ftMemo;
    memo.MaxRow = 5;
    memo.Minimum = 1;         // no limits for memos
    memo.Format = "0.2";      // nor a format
    memo.Function = "Summe";  // never written
    memo.Help = "Hilfe";
    EXPECT_EQ(FeldText(memo),
              kDecl +
                  "<Field>\r\n"
                  "\t<ID>\r\n\tText\r\n\t</ID>\r\n"
                  "\t<Question>\r\n\tIhr Text\r\n\t</Question>\r\n"
                  "\t<Default xml:space=\"preserve\"> a\r\nb </Default>\r\n"
                  "\t<MaxChar>\r\n\t80\r\n\t</MaxChar>\r\n"
                  "\t<MaxRow>\r\n\t5\r\n\t</MaxRow>\r\n"
                  "\t<Checks>\r\n"
                  "\t\t<Type>\r\n\t\tMemo\r\n\t\t</Type>\r\n"
                  "\t</Checks>\r\n"
                  "\t<Help>\r\n\tHilfe\r\n\t</Help>\r\n"
                  "</Field>\r\n");

    const struct {
        int Type;
        double Minimum, Maximum;
        const char* Format;
        std::vector<std::string> Values;
        std::vector<std::string> Present, Absent;
    } cases[] = {
        {ftString, 1, 2, "0.2", {}, {}, {"<Minimum", "<Maximum", "<Format", "<VList", "<MaxRow", "xml:space"}},
        {ftInteger,
         -1e100,
         10,
         "%0.0f",
         {"1", "2"},
         {"<Maximum>\r\n\t\t10\r\n", "<V>\r\n\t\t\t1\r\n"},
         {"<Minimum", "<Format"}},
        {ftReal, -2.5, 1e100, "", {}, {"<Minimum>\r\n\t\t-2,5\r\n"}, {"<Maximum", "<Format", "<VList"}},
        {ftDatum, 36526, 1e100 * (1 + 4e-17), "dd.mm.yyyy", {}, {"\t\t36526\r\n", "dd.mm.yyyy"}, {"<Maximum"}},
        {ftZeit, 0, 0.75, "hh:nn", {}, {"<Minimum>\r\n\t\t0\r\n", "<Maximum>\r\n\t\t0,75\r\n", "<Format"}, {}},
        {ftAuswahl, 1, 2, "x", {"a"}, {"<Type>\r\n\t\tAuswahl\r\n", "<VList>"}, {"<Minimum", "<Format"}},
    };
    for (const auto& c : cases) {
        TTAFeld field;
        field.Type = c.Type;
        field.Minimum = c.Minimum;
        field.Maximum = c.Maximum;
        field.Format = c.Format;
        field.VList = c.Values;
        field.Function = "f";
        const std::string text = FeldText(field);
        for (const std::string& part : c.Present)
            EXPECT_NE(text.find(part), std::string::npos) << c.Type << ": " << part << "\n" << text;
        for (const std::string& part : c.Absent)
            EXPECT_EQ(text.find(part), std::string::npos) << c.Type << ": " << part << "\n" << text;
        EXPECT_EQ(text.find("<Function"), std::string::npos);
    }
}

TEST_F(DokumentTest, FieldElementDefaultsAndFallbacks)
{
    // Nothing at all: the defaults of a new field.
    auto empty = FeldAus("<Field/>");
    EXPECT_EQ(empty->ID, "");
    EXPECT_EQ(empty->Question, "");
    EXPECT_EQ(empty->MaxChar, 80);
    EXPECT_EQ(empty->Type, ftString);
    EXPECT_EQ(empty->Minimum, NoLowerLimit);

    // Unreadable numbers fall back, an empty question takes the ID, duplicates after the
    // first are ignored, and "Help" counts only as a child of "Field".
    auto odd = FeldAus("<Field><ID>A</ID><ID>B</ID><Question></Question><MaxChar>viele</MaxChar>"
                       "<MaxRow>2.5</MaxRow><Checks><Type>Integer</Type><Minimum>klein</Minimum>"
                       "<Maximum>1e3</Maximum><Help>innen</Help><VList></VList></Checks></Field>");
    EXPECT_EQ(odd->ID, "A");
    EXPECT_EQ(odd->Question, "A");
    EXPECT_EQ(odd->MaxChar, 80);
    EXPECT_EQ(odd->MaxRow, 4);
    EXPECT_EQ(odd->Type, ftInteger);
    EXPECT_EQ(odd->Format, "%0.0f");
    EXPECT_EQ(odd->Minimum, NoLowerLimit);
    EXPECT_EQ(odd->Maximum, 1000.0);
    EXPECT_TRUE(odd->VList.empty());
    EXPECT_EQ(odd->Help, "");

    // "Format" is read after "Type" whatever the file's order; "Function" is kept.
    auto ordered = FeldAus("<Field><Checks><Function>Summe</Function><Format>%5.0f</Format>"
                           "<Type>Integer</Type><VList><V>b</V><x>no</x><V>a</V><V>b</V></VList></Checks></Field>");
    EXPECT_EQ(ordered->Format, "%5.0f");
    EXPECT_EQ(ordered->Function, "Summe");
    EXPECT_EQ(ordered->VList, (std::vector<std::string>{"b", "a", "b"}));

    // Type names are case-sensitive; prefixes on element names are ignored.
    auto lower = FeldAus("<t:Field xmlns:t=\"x\"><t:ID>P</t:ID><t:Checks><t:Type>real</t:Type></t:Checks></t:Field>");
    EXPECT_EQ(lower->ID, "P");
    EXPECT_EQ(lower->Type, ftString);
}

TEST_F(DokumentTest, LimitsWrittenWithTheOtherDecimalSeparatorAreNotLost)
{
    auto field = FeldAus("<Field><Checks><Type>Zeit</Type><Minimum>0.25</Minimum><Maximum>0,75</Maximum>"
                         "</Checks></Field>");
    EXPECT_DOUBLE_EQ(field->Minimum, 0.25);
    EXPECT_DOUBLE_EQ(field->Maximum, 0.75);
    // Thousands-like or mixed texts are still no numbers.
    auto bad = FeldAus("<Field><Checks><Type>Real</Type><Minimum>1.000,5</Minimum><Maximum>1.2.3</Maximum>"
                       "</Checks></Field>");
    EXPECT_EQ(bad->Minimum, NoLowerLimit);
    EXPECT_EQ(bad->Maximum, NoUpperLimit);
}

TEST_F(DokumentTest, KeywordsAreAppliedWhenAFieldIsRead)
{
    auto today = FeldAus("<Field><Default>Heute</Default><Checks><Type>Datum</Type><Format>yyyy-mm-dd</Format>"
                         "</Checks></Field>");
    EXPECT_EQ(today->Answer, "2024-03-15");
    auto other = FeldAus("<Field><Default>Today</Default><Checks><Type>Datum</Type></Checks></Field>");
    EXPECT_EQ(other->Answer, "Today");
}

// ---- Whole files ---------------------------------------------------------------------

TEST_F(DokumentTest, EverythingSurvivesASaveAndALoad)
{
    FillAllKinds();
    const std::string path = umgebung.Path("Angebot.DXL");
    doc.SetFileName(path);
    ASSERT_EQ(doc.Save(), TSaveResult::Saved);
    EXPECT_FALSE(doc.Changed());
    EXPECT_TRUE(dialog.requests.empty());
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes, doc.FileText());
    EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1);  // CR LF lines
    EXPECT_EQ(bytes.find("&lt;Nr. 1&gt; &amp; &quot;mehr&quot;"), bytes.find("<Title>\r\n\tAngebot ") + 18);

    TDokument loaded;
    ASSERT_TRUE(loaded.LoadFile(path));
    EXPECT_TRUE(Meldungen().empty());
    EXPECT_EQ(loaded.Title(), doc.Title());
    EXPECT_EQ(loaded.WordTemplate(), doc.WordTemplate());
    EXPECT_EQ(loaded.FileName(), path);
    EXPECT_FALSE(loaded.Changed());
    ExpectSameFields(loaded, doc);
    EXPECT_EQ(loaded.Field(1)->Answer, "  Zwei Zeilen,\r\n  mit Leerraum & <Zeichen>  \r\n");
    EXPECT_EQ(loaded.QuestionText(1), "Frage Text");
    EXPECT_EQ(loaded.AnswerText(1), "  Zwei Zeilen,...");
    EXPECT_EQ(loaded.FileText(), bytes);

    // Line breaks of any kind are written as the file's CR LF line ends, and every text
    // that reading would normalize is kept as it is, whatever the field's type.
    doc.Field(1)->Answer = "eins\nzwei\rdrei\n";
    doc.Field(0)->Question = "Frage\nmit Umbruch";
    doc.Field(0)->Answer = "Text mit Leerzeilen\r\n\r\n";
    doc.Field(0)->VList = {"zwei  Leerzeichen", " vorn"};
    doc.Field(0)->Help = "\tEinger\xFC"
                         "ckt";
    ASSERT_EQ(doc.SaveFile(false, false), TSaveResult::Saved);
    const std::string again = ReadBytes(path);
    EXPECT_EQ(again, ToCrLfLines(again));
    ASSERT_TRUE(loaded.LoadFile(path));
    EXPECT_EQ(loaded.Field(1)->Answer, "eins\r\nzwei\r\ndrei\r\n");
    EXPECT_EQ(loaded.Field(0)->Question, "Frage\r\nmit Umbruch");
    EXPECT_EQ(loaded.Field(0)->Answer, "Text mit Leerzeilen\r\n\r\n");
    EXPECT_EQ(loaded.Field(0)->VList, doc.Field(0)->VList);
    EXPECT_EQ(loaded.Field(0)->Help,
              "\tEinger\xFC"
              "ckt");
    EXPECT_EQ(loaded.FileText(), again);
    // Texts that need nothing kept carry no mark.
    EXPECT_EQ(again.find("<Title xml:space"), std::string::npos);
    EXPECT_NE(again.find("<Question xml:space=\"preserve\">"), std::string::npos);
}

TEST_F(DokumentTest, LoadingReadsTitleTemplateAndFields)
{
    const std::string path = umgebung.Path("v.TXL");
    WriteBytes(path,
               kDecl +
                   "<Vorlage>\n<WTemplate>Brief</WTemplate><Title>Brief</Title><Title>Zweiter</Title>"
                   "<Other><Field><ID>versteckt</ID></Field></Other>"
                   "<Field><ID>a</ID></Field><Field><ID>b</ID><Question>Zwei\nZeilen</Question></Field>"
                   "</Vorlage>");
    doc.SetChanged(true);
    TProtokoll protokoll;
    doc.SetBeobachter(&protokoll);
    ASSERT_TRUE(doc.LoadFile(path));
    EXPECT_EQ(doc.Title(), "Brief");
    EXPECT_EQ(doc.WordTemplate(), "Brief");
    ASSERT_EQ(doc.RowCount(), 2);
    EXPECT_EQ(doc.QuestionText(0), "a");
    EXPECT_EQ(doc.Field(1)->Question, "Zwei Zeilen");  // not space-preserved
    EXPECT_EQ(doc.FileName(), path);
    EXPECT_FALSE(doc.Changed());
    EXPECT_EQ(protokoll.log, "reset;title;reset;");

    // Without "Title" the title stays; without "WTemplate" the word template is "Normal".
    WriteBytes(path, Vorlage("<Field><ID>c</ID></Field>"));
    ASSERT_TRUE(doc.LoadFile(path));
    EXPECT_EQ(doc.Title(), "Brief");
    EXPECT_EQ(doc.WordTemplate(), "Normal");
    EXPECT_EQ(doc.RowCount(), 1);
}

TEST_F(DokumentTest, FailedLoadsEmptyTheListAndKeepTheRest)
{
    const std::string good = umgebung.Path("gut.TXL");
    WriteBytes(good, Vorlage("<Title>Alt</Title><WTemplate>W</WTemplate><Field><ID>a</ID></Field>"));
    const std::string broken = umgebung.Path("kaputt.TXL");
    WriteBytes(broken, Vorlage("<Field><ID>a</ID></Field").substr(0, 80));
    const std::string utf16 = umgebung.Path("utf16.TXL");
    WriteBytes(utf16, std::string("\xFF\xFE<\0?\0x\0m\0l\0", 12));
    const std::string control = umgebung.Path("steuer.TXL");
    WriteBytes(control, Vorlage("<Field><ID>a\x01</ID></Field>"));
    const std::string folder = umgebung.Path("ordner.TXL/");
    fs::create_directories(folder);
    const std::string fifo = umgebung.Path("pipe.TXL");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const struct {
        std::string Path;
        std::string Message;  // the part of the message that names the file
    } cases[] = {
        {umgebung.Path("fehlt.TXL"), "Nicht gefunden: " + umgebung.Path("fehlt.TXL")},
        {folder, "Nicht gefunden: " + folder},
        {broken, "Lesefehler " + broken + ": Unvollst\xE4ndig"},
        {utf16, "\"" + utf16 + "\" is not a text file"},
        {control, "\"" + control + "\" is not a text file"},
        {fifo, "\"" + fifo + "\" is not a text file"},
        // A folder name in the file system's UTF-8 shows as the single-byte text it is.
        {umgebung.Path("J\xC3\xBCrgen/fehlt.TXL"), "Nicht gefunden: " + umgebung.Path("J\xFCrgen/fehlt.TXL")},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(doc.LoadFile(good));
        doc.SetChanged(true);
        umgebung.Meldungen.Meldungen.clear();
        EXPECT_FALSE(doc.LoadFile(c.Path)) << c.Path;
        EXPECT_EQ(doc.RowCount(), 0) << c.Path;
        EXPECT_EQ(doc.FileName(), good) << c.Path;
        EXPECT_TRUE(doc.Changed()) << c.Path;
        EXPECT_EQ(doc.Title(), "Alt");
        EXPECT_EQ(doc.WordTemplate(), "W");
        ASSERT_EQ(Meldungen().size(), 1u) << c.Path;
        EXPECT_EQ(Meldungen()[0].Kind, TMsgKind::Error);
        EXPECT_EQ(Meldungen()[0].Buttons, TMsgButtons{TMsgButton::OK});
        EXPECT_NE(Meldungen()[0].Text.find(c.Message), std::string::npos) << Meldungen()[0].Text;
    }
}

TEST_F(DokumentTest, FilesTooLargeForATemplateAreRefusedUnread)
{
    const std::string path = umgebung.Path("riesig.TXL");
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        // Sparse: takes no disk space, and it must not be read anyway.
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxTemplateBytes) + 1), 0);
        ::close(fd);
    }
    EXPECT_FALSE(doc.LoadFile(path));
    ASSERT_EQ(Meldungen().size(), 1u);
    EXPECT_NE(Meldungen()[0].Text.find("\"" + path + "\" is larger than 256 MB"), std::string::npos);
    EXPECT_EQ(doc.RowCount(), 0);
}

// ---- Saving --------------------------------------------------------------------------

TEST_F(DokumentTest, SaveDialogSettings)
{
    const std::string docs = Docs() + "Dokumentdaten/";
    const std::string templates = Docs() + "Vorlagen/";
    const struct {
        std::string FileName;
        bool AsTemplate;
        std::string Folder, Name, Ext;
        int Index;
    } cases[] = {
        {"", false, docs, "NEU.DXL", "DXL", 1},
        {"/a/b/Brief.TXL", false, "/a/b/", "Brief.DXL", "DXL", 1},
        {"Brief.TXL", false, docs, "Brief.DXL", "DXL", 1},
        {"/a/b/Brief.DXL", true, templates, "Brief.TXL", "TXL", 2},  // not beside document data
        {"/a/b/Brief.dxl", true, "/a/b/", "Brief.TXL", "TXL", 2},    // the test is case-sensitive
        {"/a/b/Brief.TXL", true, "/a/b/", "Brief.TXL", "TXL", 2},
        {"", true, templates, "NEU.TXL", "TXL", 2},
    };
    for (const auto& c : cases) {
        doc.SetFileName(c.FileName);
        dialog.requests.clear();
        EXPECT_EQ(doc.SaveFile(true, c.AsTemplate), TSaveResult::Cancelled);
        ASSERT_EQ(dialog.requests.size(), 1u);
        const TSpeicherAnfrage& r = dialog.requests[0];
        EXPECT_EQ(r.InitialDir, c.Folder) << c.FileName;
        EXPECT_EQ(r.FileName, c.Name) << c.FileName;
        EXPECT_EQ(r.DefaultExt, c.Ext);
        EXPECT_EQ(r.FilterIndex, c.Index);
        EXPECT_EQ(r.Title, "Speichern");
        EXPECT_EQ(r.Filter, "Daten|*.DXL|Vorlagen|*.TXL");
        // An empty name becomes "NEU" and stays so after cancelling.
        EXPECT_EQ(doc.FileName(), c.FileName.empty() ? "NEU" : c.FileName);
    }
    EXPECT_TRUE(Meldungen().empty());
}

TEST_F(DokumentTest, WhenSavingAsksForAName)
{
    FillAllKinds();
    ASSERT_TRUE(doc.Changed());
    // No name yet: the dialog; cancelling saves nothing and keeps Changed.
    EXPECT_EQ(doc.Save(), TSaveResult::Cancelled);
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_TRUE(doc.Changed());
    // The placeholder "NEU" was never chosen: the next save asks again instead of writing
    // a file "NEU" into the working folder.
    EXPECT_EQ(doc.FileName(), "NEU");
    const std::string cwd = fs::current_path().string();
    fs::current_path(umgebung.Ordner().Path());
    EXPECT_EQ(doc.Save(), TSaveResult::Cancelled);
    fs::current_path(cwd);
    EXPECT_EQ(dialog.requests.size(), 2u);
    EXPECT_FALSE(fs::exists(umgebung.Path("NEU")));
    // So does a proposed name of the language's new name once the language changed.
    doc.SetProvisionalFileName("New.TXL");
    EXPECT_EQ(doc.Save(), TSaveResult::Cancelled);
    EXPECT_EQ(dialog.requests.size(), 3u);
    EXPECT_EQ(dialog.requests.back().FileName, "New.DXL");
    dialog.requests.resize(1);
    // A file named like the language's new name is not yet really named: dialog.
    doc.SetFileName(umgebung.Path("Neu.DXL"));
    dialog.answer = umgebung.Path("Gewaehlt.DXL");
    EXPECT_EQ(doc.Save(), TSaveResult::Saved);
    EXPECT_EQ(dialog.requests.size(), 2u);
    EXPECT_EQ(doc.FileName(), dialog.answer);
    EXPECT_TRUE(fs::exists(dialog.answer));
    // Asked for explicitly, the dialog comes whatever the name.
    dialog.answer = umgebung.Path("Vorlage.TXL");
    EXPECT_EQ(doc.SaveFile(true, true), TSaveResult::Saved);
    EXPECT_EQ(ReadBytes(dialog.answer), ReadBytes(umgebung.Path("Gewaehlt.DXL")));
    EXPECT_TRUE(Meldungen().empty());
}

// Saves over an existing file and expects the save to fail with a message, the old file
// untouched, Changed kept, and no temporary file left behind.
class SaveFailureTest : public DokumentTest {
protected:
    void ExpectFailedSave(const std::string& target, const std::string& messagePart)
    {
        const auto before = Listing();
        umgebung.Meldungen.Meldungen.clear();
        doc.SetFileName(target);
        doc.SetChanged(true);
        EXPECT_EQ(doc.Save(), TSaveResult::Failed) << target;
        EXPECT_TRUE(doc.Changed());
        EXPECT_EQ(doc.FileName(), target);
        ASSERT_EQ(Meldungen().size(), 1u) << target;
        EXPECT_EQ(Meldungen()[0].Kind, TMsgKind::Error);
        EXPECT_NE(Meldungen()[0].Text.find(messagePart), std::string::npos) << Meldungen()[0].Text;
        EXPECT_EQ(Listing(), before) << "a temporary file was left behind";
        EXPECT_EQ(ReadBytes(old), oldBytes);
    }

    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(umgebung.Ordner().Path()))
            names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void SetUp() override
    {
        old = umgebung.Path("alt.DXL");
        oldBytes = Vorlage("<Title>Alt</Title>");
        WriteBytes(old, oldBytes);
        FillAllKinds();
    }

    std::string old;
    std::string oldBytes;
};

TEST_F(SaveFailureTest, TargetsThatCannotBeReplaced)
{
    const std::string folder = umgebung.Path("ordner.DXL");
    fs::create_directories(folder + "/inhalt");
    ExpectFailedSave(folder, "Is a directory");
    EXPECT_TRUE(fs::is_directory(folder + "/inhalt"));

    const std::string fifo = umgebung.Path("pipe.DXL");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectFailedSave(fifo, "not a regular file");
    EXPECT_TRUE(fs::is_fifo(fifo));

    // The temporary file cannot be made: no such folder, or a file where a folder should be.
    ExpectFailedSave(umgebung.Path("fehlt/neu.DXL"), umgebung.Path("fehlt/neu.DXL"));
    ExpectFailedSave(old + "/neu.DXL", "Not a directory");
}

TEST_F(SaveFailureTest, AFullDeviceIsNotReplaced)
{
    struct stat info {};
    if (::stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode))
        GTEST_SKIP() << "no /dev/full here";
    ExpectFailedSave("/dev/full", "/dev/full");
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// Limits the size of files this process may write, so that writing the document fails
// half-way exactly as on a full disk (the kernel refuses the write); root is bound too.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    bool Active() const { return active_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

TEST_F(SaveFailureTest, AWriteFailingHalfWayLeavesTheOldFile)
{
    ASSERT_GT(doc.FileText().size(), 600u);
    TFileSizeLimit limit(512);
    ASSERT_TRUE(limit.Active());
    ExpectFailedSave(old, "File too large");
}

TEST_F(SaveFailureTest, TextsTheFileCannotHoldAreRefused)
{
    doc.Field(2)->Answer = std::string("1\0"
                                       "2",
                                       3);
    ExpectFailedSave(old, "\"Default\" of the field \"Anzahl\"");
    EXPECT_NE(Meldungen()[0].Text.find("\"" + old + "\""), std::string::npos);
    doc.Field(2)->Answer = "12";
    doc.Field(6)->VList.push_back("\x0B");
    ExpectFailedSave(old, "\"VList\" of the field \"Zahlung\"");
    doc.Field(6)->VList.pop_back();
    doc.SetTitle("Titel\x1B");
    ExpectFailedSave(old, "\"Title\" holds a control character");
    doc.SetTitle("Titel\t\xE4\x80\xFF");  // tabs and every byte from 0x20 up are fine
    EXPECT_EQ(doc.Save(), TSaveResult::Saved);
    EXPECT_FALSE(doc.Changed());
}

// ---- Folders and names -----------------------------------------------------------------

TEST_F(DokumentTest, FolderSettingsAndTheirDefaults)
{
    EXPECT_EQ(doc.FolderSetting("VerzeichnisVorlagen"), Docs() + "Vorlagen/");
    EXPECT_EQ(doc.FolderSetting("VerzeichnisDokumente"), Docs() + "Dokumentdaten/");
    EXPECT_EQ(doc.FolderSetting("VerzeichnisWord"), "");
    doc.SetWordFolderSource([] { return std::string("/opt/word/vorlagen"); });
    EXPECT_EQ(doc.FolderSetting("VerzeichnisWord"), "/opt/word/vorlagen/");

    umgebung.Konfiguration().SetDefault("VerzeichnisVorlagen", " \t ");  // blank: the default
    umgebung.Konfiguration().SetDefault("VerzeichnisDokumente", "/daten");
    umgebung.Konfiguration().SetDefault("VerzeichnisWord", "/w/");
    EXPECT_EQ(doc.FolderSetting("VerzeichnisVorlagen"), Docs() + "Vorlagen/");
    EXPECT_EQ(doc.FolderSetting("VerzeichnisDokumente"), "/daten/");
    EXPECT_EQ(doc.FolderSetting("VerzeichnisWord"), "/w/");

    EXPECT_EQ(doc.DocumentDataName("/x/y/Brief.v1.TXL"), "/daten/Brief.v1.DXL");
    EXPECT_EQ(doc.DocumentDataName("C:\\Vorlagen\\Brief.TXL"), "/daten/Brief.DXL");
    EXPECT_EQ(doc.DocumentDataName(""), "/daten/Neu.DXL");
    EXPECT_EQ(doc.DocumentDataName("/x/.TXL"), "/daten/Neu.DXL");
}

// ---- Rows ----------------------------------------------------------------------------

TEST_F(DokumentTest, RowsAreInsertedDeletedAndEditedAtTheirPosition)
{
    TProtokoll protokoll;
    doc.SetBeobachter(&protokoll);
    for (const char* id : {"a", "b", "c", "d", "e"})
        doc.InsertField(-1, Feld(id, ftString));
    doc.SetChanged(false);
    EXPECT_EQ(doc.NewField(2), 2);  // before the third row
    EXPECT_EQ(doc.Field(2)->ID, "Neu");
    EXPECT_EQ(doc.Field(2)->Question, "Neu");
    EXPECT_EQ(doc.Field(3)->ID, "c");
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(doc.NewField(-1), 6);  // no position: appended
    EXPECT_EQ(doc.NewField(99), 7);

    doc.SetChanged(false);
    EXPECT_TRUE(doc.DeleteField(0));
    EXPECT_FALSE(doc.DeleteField(7));
    EXPECT_FALSE(doc.DeleteField(-1));
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(doc.RowCount(), 7);
    EXPECT_EQ(doc.Field(0)->ID, "b");

    doc.Field(0)->Question = "";
    EXPECT_EQ(doc.QuestionText(0), "b");  // an empty question shows the ID
    EXPECT_EQ(doc.QuestionText(7), "");
    EXPECT_EQ(doc.Field(7), nullptr);

    EXPECT_FALSE(doc.EditRow(0, false, {0, 0}, 100));  // no dialogs installed
    EXPECT_EQ(protokoll.log, "insert 0;insert 1;insert 2;insert 3;insert 4;insert 2;insert 6;insert 7;remove 0;");
    doc.SetChanged(false);
    doc.FieldEdited(3);
    EXPECT_TRUE(doc.Changed());
    doc.ClearFields();
    EXPECT_EQ(doc.RowCount(), 0);
    EXPECT_EQ(protokoll.log.substr(protokoll.log.size() - 15), "change 3;reset;");
}

// ---- The shipped examples -------------------------------------------------------------

std::vector<std::string> Examples()
{
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(std::string(TAVIX_TEST_DATA) + "/../../data/Examples"))
        if (entry.path().extension() == ".TXL")
            paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(ExamplesTest, EveryExampleLoadsAndSavesBackByteForByte)
{
    const std::vector<std::string> paths = Examples();
    ASSERT_GE(paths.size(), 3u);
    std::set<int> types;
    std::set<std::string> kinds;
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string original = ReadBytes(path);
        // Written on a machine with a decimal comma or one with a point; under the other
        // the values must come out the same.
        std::vector<std::string> texts;
        std::unique_ptr<TDokument> first;
        for (const TLocaleSettings& settings : {GermanSettings(), UsSettings()}) {
            // No language table: "Today" and "Now" stay as written, so the bytes can match.
            TKernUmgebung umgebung(false);
            TScopedLocaleSettings locale(settings);
            auto doc = std::make_unique<TDokument>();
            ASSERT_TRUE(doc->LoadFile(path));
            EXPECT_TRUE(umgebung.Meldungen.Meldungen.empty());
            EXPECT_GE(doc->RowCount(), 5);
            EXPECT_EQ(doc->WordTemplate().rfind("COMMON_APPDATA_TAVIX_EXAMPLES\\", 0), 0u);
            EXPECT_EQ(doc->CheckStorable(), "");
            texts.push_back(doc->FileText());
            if (first)
                ExpectSameFields(*doc, *first);
            else
                first = std::move(doc);
        }
        EXPECT_TRUE(texts[0] == original || texts[1] == original);
        for (int i = 0; i < first->RowCount(); ++i) {
            const TTAFeld& f = *first->Field(i);
            types.insert(f.Type);
            if (TTAFeld::HasLimits(f.Type) && !IsNoLowerLimit(f.Minimum))
                kinds.insert("min " + f.GetTypeName());
            if (TTAFeld::HasLimits(f.Type) && !IsNoUpperLimit(f.Maximum))
                kinds.insert("max " + f.GetTypeName());
            if (TTAFeld::HasFormat(f.Type) && !f.Format.empty())
                kinds.insert("format " + f.GetTypeName());
            if (!f.VList.empty())
                kinds.insert("values");
            if (f.Answer == "Today" || f.Answer == "Heute")
                kinds.insert("today");
            if (f.Answer == "Now" || f.Answer == "Jetzt")
                kinds.insert("now");
            if (!f.Help.empty())
                kinds.insert(fs::exists(fs::path(path).parent_path() / f.Help) ? "help file" : "help text");
        }
    }
    EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    for (const char* kind :
         {"min Integer", "max Integer", "min Real", "max Real", "min Datum", "max Datum", "min Zeit", "max Zeit",
          "format Real", "format Datum", "format Zeit", "values", "today", "now", "help file", "help text"})
        EXPECT_EQ(kinds.count(kind), 1u) << kind;
}

TEST(ExamplesTest, KeywordsOfTheActiveLanguageBecomeTodayAndNow)
{
    TKernUmgebung umgebung;  // German words, clock at 15.03.2024 14:30
    for (const std::string& path : Examples()) {
        TDokument doc;
        ASSERT_TRUE(doc.LoadFile(path));
        for (int i = 0; i < doc.RowCount(); ++i) {
            EXPECT_NE(doc.Field(i)->Answer, "Heute") << path;
            EXPECT_NE(doc.Field(i)->Answer, "Jetzt") << path;
        }
    }
}

}  // namespace
