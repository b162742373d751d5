// tavix-fill as a user runs it: the built program in a private folder, with a private
// home and the C locale, its output and exit status read back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "config/TestOrdner.h"
#include "support/TestWord.h"
#include "core/UDokument.h"
#include "env/UDateien.h"

namespace fs = std::filesystem;

namespace {

struct TLauf {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class TavixFillTest : public ::testing::Test {
protected:
    // Runs the program in the test's folder; with a terminal its standard error is a
    // pseudo-terminal, whose output lands in Err.
    TLauf Run(const std::vector<std::string>& args, bool terminal = false)
    {
        const std::string out = ordner_ / "stdout";
        const std::string err = ordner_ / "stderr";
        int master = -1;
        int slave = -1;
        if (terminal && ::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        std::vector<std::string> env = {"HOME=" + ordner_.Path() + "home",
                                        "XDG_CONFIG_HOME=" + ordner_.Path() + "home/.config", "LC_ALL=C",
                                        "PATH=/usr/bin:/bin"};
        std::vector<std::string> argv = {TAVIX_FILL};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargv;
        for (std::string& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        std::vector<char*> cenv;
        for (std::string& e : env)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);
        const std::string cwd = ordner_ / "work";
        fs::create_directories(cwd);

        const pid_t pid = ::fork();
        if (pid == 0) {
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = terminal ? slave : ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 || ::chdir(cwd.c_str()) != 0)
                ::_exit(127);
            if (master >= 0)
                ::close(master);
            ::execve(cargv[0], cargv.data(), cenv.data());
            ::_exit(127);
        }
        TLauf lauf;
        if (terminal) {
            ::close(slave);
            char buffer[4096];
            ssize_t got = 0;
            while ((got = ::read(master, buffer, sizeof buffer)) > 0)  // EIO once the child is gone
                lauf.Err.append(buffer, static_cast<std::size_t>(got));
            ::close(master);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        lauf.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        lauf.Out = ReadBytes(out);
        if (!terminal)
            lauf.Err = ReadBytes(err);
        return lauf;
    }

    std::string Work(const std::string& name) const { return ordner_ / ("work/" + name); }

    // A word-processor template with one paragraph per bookmark, in the given order.
    std::string WriteWordTemplate(const std::string& name, const std::vector<std::string>& bookmarks)
    {
        TDocxLayout layout;
        int id = 0;
        for (const std::string& b : bookmarks) {
            ++id;
            layout.Body += "<w:p><w:r><w:t xml:space=\"preserve\">" + b + ": </w:t></w:r><w:bookmarkStart w:id=\"" +
                std::to_string(id) + "\" w:name=\"" + b + "\"/><w:r><w:t>[" + b +
                "]</w:t></w:r><w:bookmarkEnd w:id=\"" + std::to_string(id) + "\"/></w:p>";
        }
        const std::string path = ordner_ / ("vorlagen/" + name);
        WriteBytes(path + ".dotx", MakeDocx(layout));
        return path;
    }

    // The questionnaire of the CSV tests: one field of every kind.
    std::string WriteQuestionnaire(const std::string& name, const std::string& wordTemplate)
    {
        TDokument dokument;
        dokument.SetWordTemplate(wordTemplate);
        const auto add = [&](const std::string& id, int type, const std::string& answer) -> TTAFeld& {
            auto field = std::make_unique<TTAFeld>();
            field->ID = id;
            field->Question = id + "?";
            field->Type = type;
            field->Answer = answer;
            TTAFeld& ref = *field;
            dokument.InsertField(-1, std::move(field));
            return ref;
        };
        add("Name", ftString, "Vorgabe").MaxChar = 12;
        TTAFeld& anzahl = add("Anzahl", ftInteger, "1");
        anzahl.Minimum = 1;
        anzahl.Maximum = 9;
        anzahl.Format = kIntegerFormat;
        TTAFeld& datum = add("Datum", ftDatum, "01.01.2024");
        datum.Format = "dd.mm.yyyy";
        datum.Minimum = 45292;  // 1 January 2024
        add("Zeit", ftZeit, "08:00").Format = "hh:nn";
        add("Wahl", ftAuswahl, "Rot").VList = {"Rot", "Gr\xFCn"};
        add("Notiz", ftMemo, "");
        const std::string path = ordner_ / ("daten/" + name);
        WriteBytes(path, dokument.FileText());
        return path;
    }

    static std::string BookmarkText(const std::string& document, const std::string& name)
    {
        return DocxBookmarkText(PartOf(ReadBytes(document), "word/document.xml"), name);
    }

    TTestOrdner ordner_;
};

const std::vector<std::string> kFields = {"Name", "Anzahl", "Datum", "Zeit", "Wahl", "Notiz"};

TEST_F(TavixFillTest, OneQuestionnaireGivesOneDocumentWithItsAnswers)
{
    const std::string questionnaire = WriteQuestionnaire("Brief.TXL", WriteWordTemplate("Brief", kFields));

    TLauf lauf = Run({questionnaire});
    EXPECT_EQ(lauf.Exit, 0) << lauf.Err;
    EXPECT_EQ(lauf.Out, "./Brief.docx\n");
    EXPECT_EQ(lauf.Err, "");
    EXPECT_EQ(BookmarkText(Work("Brief.docx"), "Name"), "Vorgabe");
    EXPECT_EQ(BookmarkText(Work("Brief.docx"), "Wahl"), "Rot");

    // -o names the file: an existing one is replaced, a missing extension added, a wrong
    // one refused.
    WriteBytes(Work("fertig.docx"), "old");
    lauf = Run({questionnaire, "-o", "fertig.docx"});
    EXPECT_EQ(lauf.Exit, 0) << lauf.Err;
    EXPECT_EQ(BookmarkText(Work("fertig.docx"), "Datum"), "01.01.2024");
    lauf = Run({questionnaire, "-o", "ohne"});
    EXPECT_EQ(lauf.Out, "ohne.docx\n");
    lauf = Run({questionnaire, "-o", "falsch.odt"});
    EXPECT_EQ(lauf.Exit, 1);
    EXPECT_TRUE(Contains(lauf.Err, "\".docx\"")) << lauf.Err;
    EXPECT_FALSE(fs::exists(Work("falsch.odt")));
    EXPECT_FALSE(fs::exists(Work("Brief (2).docx"))) << "no document opened or written elsewhere";
}

TEST_F(TavixFillTest, AMissingBookmarkIsReportedTheDocumentWrittenAndTheRunFails)
{
    const std::string questionnaire =
        WriteQuestionnaire("Teil.TXL", WriteWordTemplate("Teil", {"Name", "Anzahl", "Datum", "Zeit", "Notiz"}));
    const TLauf lauf = Run({questionnaire});
    EXPECT_EQ(lauf.Exit, 1);
    EXPECT_TRUE(fs::exists(Work("Teil.docx")));
    EXPECT_EQ(OutputLines(lauf.Err),
              (std::vector<std::string>{"tavix-fill: " + questionnaire + ": ERROR : Wahl,Wahl?,Rot",
                                        "tavix-fill: " + questionnaire +
                                            ": The bookmark \"Wahl\" could not be filled in. "
                                            "Check that the Word template has a bookmark of this name."}));
}

TEST_F(TavixFillTest, SeveralFilesGoIntoOneFolderAndNothingIsReplaced)
{
    std::vector<std::string> examples;
    for (const auto& entry : fs::directory_iterator(ExampleFolder()))
        if (entry.path().extension() == ".TXL")
            examples.push_back(entry.path().string());
    ASSERT_GE(examples.size(), 2u);
    std::sort(examples.begin(), examples.end());

    for (const char* round : {"", " (2)"}) {
        const TLauf lauf = Run([&] {
            // One example has a ".dot" too, which goes to LibreOffice by default.
            std::vector<std::string> args = {"--backend", "embedded"};
            args.insert(args.end(), examples.begin(), examples.end());
            args.insert(args.end(), {"-o", "aus"});
            return args;
        }());
        EXPECT_EQ(lauf.Exit, 0) << lauf.Err;
        EXPECT_EQ(lauf.Err, "") << "no progress bar without a terminal";
        std::vector<std::string> expected;
        for (const std::string& example : examples)
            expected.push_back("aus/" + fs::path(example).stem().string() + round + ".docx");
        EXPECT_EQ(OutputLines(lauf.Out), expected);
        for (const std::string& file : expected)
            EXPECT_TRUE(fs::exists(Work(file))) << file;
    }

    // A file that cannot be read fails alone.
    const TLauf lauf = Run({examples[0], "fehlt.TXL", "-o", "aus2"});
    EXPECT_EQ(lauf.Exit, 1);
    EXPECT_EQ(OutputLines(lauf.Out).size(), 1u);
    EXPECT_TRUE(Contains(lauf.Err, "fehlt.TXL")) << lauf.Err;
    EXPECT_TRUE(Contains(lauf.Err, "1 of 2 documents failed")) << lauf.Err;
}

TEST_F(TavixFillTest, AProgressBarIsDrawnOnATerminalForMoreThanOneDocument)
{
    const std::string questionnaire = WriteQuestionnaire("Brief.TXL", WriteWordTemplate("Brief", kFields));
    TLauf lauf = Run({questionnaire, questionnaire, "-o", "aus"}, true);
    EXPECT_EQ(lauf.Exit, 0);
    EXPECT_TRUE(Contains(lauf.Err, "] 2/2")) << lauf.Err;
    lauf = Run({questionnaire, "-o", "aus"}, true);
    EXPECT_EQ(lauf.Exit, 0);
    EXPECT_EQ(lauf.Err, "") << "one document needs no bar";
}

TEST_F(TavixFillTest, CsvRowsAreCheckedLikeTypedAnswersAndABadRowGivesNoDocument)
{
    const std::string questionnaire = WriteQuestionnaire("Brief.TXL", WriteWordTemplate("Brief", kFields));
    WriteBytes(Work("rows.csv"),
               "\xEF\xBB\xBFName,Anzahl,Datum,Zeit,Wahl,Notiz\r\n"
               "\"Ann, \"\"Jo\"\"\",3,15.03.2024,09:05,gr\xC3\xBCn,\"Zeile 1\r\nZeile 2\"\r\n"  // row 1
               "Bob,0,31.12.2023,25:00,Blau,x\r\n"                                              // row 2: four refusals
               "\r\n"                                                                           // blank: no row
               "Zo\xC3\xAB \xE2\x98\x83,2,01.02.2024,10:00,Rot,\r\n"                            // row 3: a snowman
               "L\xC3\xA4ngerer Name als erlaubt,2,01.02.2024,10:00,Rot,\r\n"  // row 4: long, as from a file
               "Cleo,2\r\n"                                                    // row 5: too short
               "Dora,9,01.02.2024,23:59,Rot,\n");                              // row 6
    const TLauf lauf = Run({"--csv", "rows.csv", questionnaire, "-o", "aus"});
    EXPECT_EQ(lauf.Exit, 1);
    EXPECT_EQ(OutputLines(lauf.Out),
              (std::vector<std::string>{"aus/Brief 1.docx", "aus/Brief 4.docx", "aus/Brief 6.docx"}));
    EXPECT_EQ(OutputLines(lauf.Err),
              (std::vector<std::string>{
                  "tavix-fill: rows.csv:4: row 2, field \"Anzahl\": Please enter a value of at least 1.",
                  "tavix-fill: rows.csv:4: row 2, field \"Datum\": Please choose a date no earlier than 01.01.2024.",
                  "tavix-fill: rows.csv:4: row 2, field \"Zeit\": \"25:00\" is not a time of the form \"hh:nn\"",
                  "tavix-fill: rows.csv:4: row 2, field \"Wahl\": Please choose an entry from the list. (\"Blau\")",
                  "tavix-fill: rows.csv:6: row 3, field \"Name\": The text contains characters that cannot be stored "
                  "in the file (U+2603). Please replace them.",
                  "tavix-fill: rows.csv:8: row 5 has 2 values, the header 6",
                  "tavix-fill: 3 of 6 rows failed",
              }));
    for (const char* missing : {"Brief 2.docx", "Brief 3.docx", "Brief 5.docx"})
        EXPECT_FALSE(fs::exists(Work(std::string("aus/") + missing))) << missing;

    EXPECT_EQ(BookmarkText(Work("aus/Brief 4.docx"), "Name"), "L\xC3\xA4ngerer Name als erlaubt")
        << "kept whole, as the answer dialog keeps a longer answer it is given";
    const std::string first = Work("aus/Brief 1.docx");
    EXPECT_EQ(BookmarkText(first, "Name"), "Ann, \"Jo\"");
    EXPECT_EQ(BookmarkText(first, "Anzahl"), "3");
    EXPECT_EQ(BookmarkText(first, "Datum"), "15.03.2024");
    EXPECT_EQ(BookmarkText(first, "Zeit"), "09:05");
    EXPECT_EQ(BookmarkText(first, "Wahl"), "Gr\xC3\xBCn") << "the list's own spelling";
    EXPECT_EQ(BookmarkText(first, "Notiz"), "Zeile 1\nZeile 2") << "a memo's lines become line breaks";
    EXPECT_EQ(BookmarkText(Work("aus/Brief 6.docx"), "Notiz"), "") << "an empty value is an empty answer";
}

TEST_F(TavixFillTest, ABadCsvFileOrHeaderWritesNothing)
{
    const std::string questionnaire = WriteQuestionnaire("Brief.TXL", WriteWordTemplate("Brief", kFields));
    struct Case {
        std::string Csv;
        std::string Error;
    };
    const Case cases[] = {
        {"Name,Anzahl\r\nAnn,\"2\r\nBob,3\r\n", "tavix-fill: rows.csv:2: a quoted value is not closed"},
        {"Name,Anzahl\r\n\"Ann\"x,2\r\n", "tavix-fill: rows.csv:2: text follows a closing quote"},
        {"Name,Alter\r\nAnn,2\r\n", "tavix-fill: rows.csv:1: column 2: the template has no field \"Alter\""},
        {"Name,Name\r\nAnn,Bob\r\n", "tavix-fill: rows.csv:1: column 2: \"Name\" is named twice"},
        {"", "tavix-fill: rows.csv: the first row must name the field IDs"},
    };
    for (const Case& c : cases) {
        WriteBytes(Work("rows.csv"), c.Csv);
        const TLauf lauf = Run({"--csv", "rows.csv", questionnaire, "-o", "leer"});
        EXPECT_EQ(lauf.Exit, 1) << c.Csv;
        EXPECT_EQ(OutputLines(lauf.Err), (std::vector<std::string>{c.Error}));
        EXPECT_EQ(lauf.Out, "");
    }
    EXPECT_FALSE(fs::exists(Work("leer")) && !fs::is_empty(Work("leer")));

    // A questionnaire whose word template is missing is told once, not once per row.
    const std::string orphan = WriteQuestionnaire("Waise.TXL", ordner_ / "vorlagen/Fehlt");
    WriteBytes(Work("rows.csv"), "Name\r\nAnn\r\nBob\r\n");
    const TLauf lauf = Run({"--csv", "rows.csv", orphan});
    EXPECT_EQ(lauf.Exit, 1);
    EXPECT_EQ(OutputLines(lauf.Err),
              (std::vector<std::string>{"tavix-fill: " + orphan + ": The Word template \"" +
                                        (ordner_ / "vorlagen/Fehlt.dot") + "\" could not be found."}));
}

TEST_F(TavixFillTest, BookmarksAreListedInReadingOrder)
{
    const std::string wordTemplate = WriteWordTemplate("Liste", {"Zweiter", "Erster", "Dritter"});
    for (const std::string& name : {wordTemplate, wordTemplate + ".dotx"}) {
        const TLauf lauf = Run({"--list-bookmarks", name});
        EXPECT_EQ(lauf.Exit, 0) << lauf.Err;
        EXPECT_EQ(lauf.Out, "Zweiter\nErster\nDritter\n");
    }
    const TLauf lauf = Run({"--list-bookmarks", "fehlt.dotx"});
    EXPECT_EQ(lauf.Exit, 1);
    EXPECT_EQ(lauf.Out, "");
    EXPECT_TRUE(Contains(lauf.Err, "fehlt.dotx")) << lauf.Err;
}

TEST_F(TavixFillTest, UsageErrorsExitWithTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--bogus", "a.TXL"},
        {"--csv"},
        {"--csv", "rows.csv"},
        {"--csv", "rows.csv", "a.TXL", "b.TXL"},
        {"--csv", "rows.csv", "--list-bookmarks", "x", "a.TXL"},
        {"--list-bookmarks", "x.dotx", "a.TXL"},
        {"--list-bookmarks", "x.dotx", "-o", "aus"},
        {"-o", "a", "-o", "b", "a.TXL"},
        {"--backend", "word", "a.TXL"},
        {"--backend=", "a.TXL"},
        {"--pdf", "--list-bookmarks", "x.dotx"},
        {"--pdf", "--pdf-only", "a.TXL"},
    };
    for (const std::vector<std::string>& args : cases) {
        const TLauf lauf = Run(args);
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        EXPECT_EQ(lauf.Exit, 2) << shown;
        EXPECT_TRUE(Contains(lauf.Err, "Usage:")) << shown;
        EXPECT_EQ(lauf.Out, "") << shown;
    }
    const TLauf help = Run({"--help"});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_TRUE(Contains(help.Out, "Usage:"));
    EXPECT_TRUE(Contains(help.Out, "Exit status"));

    // The other back end is a choice, not a usage error, whether it is installed or not.
    const TLauf other = Run({"--backend=LibreOffice", "fehlt.TXL"});
    EXPECT_EQ(other.Exit, 1);
    EXPECT_FALSE(Contains(other.Err, "Usage:")) << other.Err;
    EXPECT_NE(other.Err, "");
}

}  // namespace
