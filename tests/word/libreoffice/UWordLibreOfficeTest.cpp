// The LibreOffice back end against a real office: headless, with a private, prepared
// profile in a temporary folder. Most tests share one office (a start costs about a
// second); the tests of starting, attaching, quitting and crashing run offices of their
// own, each with a copy of the profile and its own pipe. Every office started here is
// ended here.
#include "word/libreoffice/UWordLibreOffice.h"

#include "config/TestOrdner.h"
#include "support/TestWord.h"
#include "core/TestKern.h"
#include "core/UDokument.h"
#include "word/embedded/UWordEmbedded.h"
#include "word/UWordErzeugung.h"
#include "config/USprache.h"
#include "env/UDateien.h"
#include "env/UInstalliert.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;

const std::string kExamples = std::string(TAVIX_TEST_DATA) + "/../../data/Examples/";
const std::string kProgram = "/usr/lib/libreoffice/program/soffice";

double SecondsSince(TClock::time_point start)
{
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// ---- Templates ---------------------------------------------------------------------------

std::string WRun(const std::string& text)
{
    return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

std::string WMark(int id, const std::string& name, const std::string& text)
{
    return "<w:bookmarkStart w:id=\"" + std::to_string(id) + "\" w:name=\"" + name + "\"/>" +
        (text.empty() ? "" : WRun(text)) + "<w:bookmarkEnd w:id=\"" + std::to_string(id) + "\"/>";
}

std::string WPara(const std::string& inner)
{
    return "<w:p>" + inner + "</w:p>";
}

// One letter in Office Open XML: a header and a footer, a range bookmark, a point
// bookmark, a memo, one to be emptied, one in a table cell, a cross-reference to "Name"
// and one of the word processor's hidden bookmarks.
std::string LetterDocx()
{
    TDocxLayout layout;
    layout.Header = WPara(WRun("Kopf: ") + WMark(10, "Kopf", "[Kopf]"));
    layout.Footer = WPara(WRun("Fuss: ") + WMark(11, "Fuss", "[Fuss]"));
    const std::string cell = "<w:tc><w:tcPr><w:tcW w:w=\"3000\" w:type=\"dxa\"/></w:tcPr>";
    layout.Body = WPara(WRun("Sehr geehrte ") + WMark(1, "Name", "[Name]") + WRun(",")) +
        WPara(WRun("Punkt:") + WMark(2, "Punkt", "") + WRun("!")) + WPara(WRun("Memo: ") + WMark(3, "Memo", "[Memo]")) +
        WPara(WRun("Leer&lt;") + WMark(4, "Leer", "[Leer]") + WRun("&gt;")) +
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid><w:tr>" + cell +
        WPara(WMark(5, "Zelle", "[Zelle]")) + "</w:tc>" + cell + WPara(WRun("B")) + "</w:tc></w:tr></w:tbl>" +
        WPara(WRun("Verweis: ") +
              "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText "
              "xml:space=\"preserve\"> REF Name \\h </w:instrText></w:r><w:r><w:fldChar "
              "w:fldCharType=\"separate\"/></w:r>" +
              WRun("[alt]") + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>") +
        WPara(WMark(6, "_Toc1", "") + WRun("Ende")) +
        "<w:sectPr xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<w:headerReference w:type=\"default\" r:id=\"rId1\"/><w:footerReference w:type=\"default\" r:id=\"rId2\"/>"
        "<w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>";
    return MakeDocx(layout);
}

std::string OMark(const std::string& name, const std::string& text)
{
    return "<text:bookmark-start text:name=\"" + name + "\"/>" + text + "<text:bookmark-end text:name=\"" + name +
        "\"/>";
}

// The same letter as an OpenDocument template, with a text frame anchored to the first
// paragraph (the office keeps frame text before the body).
std::string LetterOtt()
{
    TOttLayout layout;
    layout.MasterPage = "<style:header><text:p>Kopf: " + OMark("Kopf", "[Kopf]") +
        "</text:p></style:header>"
        "<style:footer><text:p>Fuss: " +
        OMark("Fuss", "[Fuss]") + "</text:p></style:footer>";
    layout.Body = "<text:p>Sehr geehrte " + OMark("Name", "[Name]") +
        ","
        "<draw:frame draw:name=\"Rahmen1\" text:anchor-type=\"paragraph\" svg:width=\"5cm\" svg:height=\"2cm\">"
        "<draw:text-box><text:p>Im Rahmen " +
        OMark("Rahmen", "[Rahmen]") +
        "</text:p></draw:text-box>"
        "</draw:frame></text:p>"
        "<text:p>Punkt:<text:bookmark text:name=\"Punkt\"/>!</text:p>"
        "<text:p>Memo: " +
        OMark("Memo", "[Memo]") +
        "</text:p>"
        "<text:p>Leer&lt;" +
        OMark("Leer", "[Leer]") +
        "&gt;</text:p>"
        "<table:table table:name=\"T1\"><table:table-column table:number-columns-repeated=\"2\"/>"
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>" +
        OMark("Zelle", "[Zelle]") +
        "</text:p></table:table-cell><table:table-cell office:value-type=\"string\"><text:p>B</text:p>"
        "</table:table-cell></table:table-row></table:table>"
        "<text:p>Verweis: <text:bookmark-ref text:reference-format=\"text\" text:ref-name=\"Name\">[alt]"
        "</text:bookmark-ref></text:p>"
        "<text:p><text:bookmark text:name=\"_Toc1\"/>Ende</text:p>";
    return MakeOtt(layout);
}

// ---- Reading the saved documents back -----------------------------------------------------

// The text inside a bookmark of an OpenDocument part (line breaks "\n"); "<none>" when
// the bookmark is not there.
std::string OdtBookmarkText(const std::string& xml, const std::string& name)
{
    auto doc = ParseXml(xml);
    std::string text;
    bool inside = false;
    for (pugi::xml_node n = doc->document_element(); n;) {
        const std::string tag = n.name();
        const bool ours = n.attribute("text:name").value() == name;
        if (tag == "text:bookmark" && ours)
            return "";
        if (tag == "text:bookmark-start" && ours)
            inside = true;
        else if (tag == "text:bookmark-end" && ours)
            return text;
        else if (inside && n.type() == pugi::node_pcdata)
            text += n.value();
        else if (inside && tag == "text:line-break")
            text += "\n";
        else if (inside && tag == "text:tab")
            text += "\t";
        n = NextBelow(n, *doc);
    }
    return "<none>";
}

std::string ZipPart(const std::string& file, const std::string& part)
{
    return PartOf(ReadBytes(file), part);
}

bool HasParagraph(const std::vector<std::string>& paragraphs, const std::string& text)
{
    return std::find(paragraphs.begin(), paragraphs.end(), text) != paragraphs.end();
}

// ---- Processes of the tests' own -----------------------------------------------------------

// Starts args[0] with its output thrown away, in a process group of its own when grouped.
// Its pid; 0 when it cannot be started.
pid_t Spawn(std::vector<std::string> args, bool grouped)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (grouped) {
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ) != 0)
        pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return pid;
}

// ---- Offices of the tests' own ------------------------------------------------------------

// An office the test starts itself, as a user or another program would.
class TTestOffice {
public:
    TTestOffice(const std::string& profile, const std::string& pipe)
    {
        std::vector<std::string> args = {kProgram, "-env:UserInstallation=file://" + profile, "--headless", "--nologo",
                                         "--norestore"};
        if (!pipe.empty())
            args.push_back("--accept=pipe,name=" + pipe + ";urp;StarOffice.ComponentContext");
        pid_ = Spawn(args, true);
    }
    TTestOffice(const TTestOffice&) = delete;
    TTestOffice& operator=(const TTestOffice&) = delete;
    ~TTestOffice() { End(); }

    pid_t Pid() const { return pid_; }
    bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

    void End()
    {
        if (pid_ <= 0)
            return;
        ::kill(-pid_, SIGTERM);
        for (int i = 0; i < 200 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (::waitpid(pid_, nullptr, WNOHANG) == 0) {
            ::kill(-pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
};

// Whether a living process of the group is left. One that has ended and waits to be
// reaped does not count, but a killed one is a zombie before its last thread is gone.
bool GroupAlive(int group)
{
    if (group <= 0)
        return false;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (entry.path().filename().string().find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = ReadBytes(entry.path().string() + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int parent = 0, processGroup = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d %d", &state, &parent, &processGroup) != 3 ||
            processGroup != group)
            continue;
        std::error_code ignored;
        const auto threads = std::distance(std::filesystem::directory_iterator(entry.path() / "task", ignored),
                                           std::filesystem::directory_iterator());
        if (state != 'Z' || threads > 1)
            return true;
    }
    return false;
}

bool WaitUntil(const std::function<bool()>& condition, double seconds)
{
    const auto start = TClock::now();
    while (!condition()) {
        if (SecondsSince(start) > seconds)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Kills the process group of an office the test ended itself; whether it is gone in time.
bool KillGroup(int group)
{
    ::kill(-group, SIGKILL);
    return WaitUntil([&] { return !GroupAlive(group); }, 20);
}

// The processes whose command line names the text (the offices started on a profile in
// the tests' folder).
std::vector<pid_t> ProcessesMentioning(const std::string& text)
{
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string command = ReadBytes(entry.path().string() + "/cmdline");
        if (command.find(text) != std::string::npos && std::stoi(name) != ::getpid())
            found.push_back(std::stoi(name));
    }
    return found;
}

// What a shell command writes on standard output.
std::string CommandOutput(const std::string& command)
{
    std::string output;
    if (FILE* out = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, out))
            output += buffer;
        ::pclose(out);
    }
    return output;
}

// A virtual X server of the test's own (Xvfb), for an office with windows. It picks a
// free display number itself and is ended with the object.
class TXServer {
public:
    TXServer()
    {
        int ready[2];
        if (::access(kXvfb, X_OK) != 0 || ::pipe(ready) != 0)
            return;
        ::fcntl(ready[0], F_SETFD, FD_CLOEXEC);  // the server keeps only the end it writes
        std::string fd = std::to_string(ready[1]);
        std::vector<std::string> args = {kXvfb, "-displayfd", fd, "-screen", "0", "1280x900x24", "-nolisten", "tcp"};
        pid_ = Spawn(args, false);
        ::close(ready[1]);
        // The server writes its display number once it accepts connections.
        std::string number;
        char c = 0;
        while (pid_ > 0 && ::read(ready[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(ready[0]);
        if (!number.empty())
            display_ = ":" + number;
    }
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;
    ~TXServer()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

    // ":N"; empty when the server did not start.
    const std::string& Display() const { return display_; }

    // The names of the top-level windows shown now (one line each).
    std::string WindowNames() const { return CommandOutput("xwininfo -root -tree -display " + display_); }

    // Whether a top-level window whose name contains text is mapped and viewable.
    bool Viewable(const std::string& text) const
    {
        std::istringstream tree(WindowNames());
        for (std::string line; std::getline(tree, line);) {
            const std::size_t id = line.find("0x");
            if (id == std::string::npos || line.find(text) == std::string::npos)
                continue;
            const std::string window = line.substr(id, line.find(' ', id) - id);
            const std::string state = CommandOutput("xwininfo -id " + window + " -display " + display_);
            if (state.find("Map State: IsViewable") != std::string::npos)
                return true;
        }
        return false;
    }

private:
    static constexpr const char* kXvfb = "/usr/bin/Xvfb";
    pid_t pid_ = 0;
    std::string display_;
};

// The test's own X server as the display of the offices it starts, while it lives.
struct TTestDisplay {
    TTestDisplay()
    {
        if (!Server.Display().empty())
            Guard.emplace("DISPLAY", Server.Display());
    }
    bool Ready() const { return Guard.has_value(); }

    TXServer Server;
    std::optional<TEnvGuard> Guard;
};

// ---- What the tests share ---------------------------------------------------------------------

struct TWorld {
    TTestOrdner Folder;
    std::string Profile;  // prepared once, copied for every office of a test's own
    std::string Dot, Dotx, Ott;
    std::unique_ptr<TWordLibreOfficeApp> Shared;
    int Offices = 0;
    std::vector<std::unique_ptr<TEnvGuard>> Environment;

    // Options for an office of its own: a fresh copy of the profile and its own pipe.
    TLibreOfficeOptions OwnOffice()
    {
        const std::string copy = Folder / ("profile" + std::to_string(++Offices));
        std::filesystem::copy(Profile, copy, std::filesystem::copy_options::recursive);
        TLibreOfficeOptions options;
        options.UserInstallation = copy;
        options.Pipe = "tavix_test_" + std::to_string(::getpid()) + "_" + std::to_string(Offices);
        options.Headless = true;
        return options;
    }
};

TWorld* g_world = nullptr;

std::string LibreOfficeVersion()
{
    // "LibreOffice 7.4.7.2 40(Build:2)"
    const std::string text = CommandOutput(kProgram + " --version");
    const std::size_t first = text.find(' ');
    const std::size_t second = first == std::string::npos ? first : text.find('.', text.find('.', first) + 1);
    return first != std::string::npos && second != std::string::npos ? text.substr(first + 1, second - first - 1)
                                                                     : "7.4";
}

class TOfficeEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (::access(kProgram.c_str(), X_OK) != 0)
            return;  // every test skips
        auto world = std::make_unique<TWorld>();
        // Offices read and write their settings under the home folder: a private one.
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            world->Environment.push_back(std::make_unique<TEnvGuard>(name, world->Folder / "home"));
        std::filesystem::create_directories(world->Folder / "home");
        world->Environment.push_back(std::make_unique<TEnvGuard>("DISPLAY", std::nullopt));
        world->Environment.push_back(std::make_unique<TEnvGuard>("WAYLAND_DISPLAY", std::nullopt));

        // The recorded last version spares every start the first-start work.
        world->Profile = world->Folder / "profile";
        WriteBytes(world->Profile + "/user/registrymodifications.xcu",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                   "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                   "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                   "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" "
                   "oor:op=\"fuse\"><value>" +
                       LibreOfficeVersion() + "</value></prop></item>\n</oor:items>\n");

        world->Dotx = world->Folder / "fixtures/Brief.dotx";
        world->Ott = world->Folder / "fixtures/Brief.ott";
        world->Dot = world->Folder / "fixtures/Brief.dot";
        WriteBytes(world->Dotx, LetterDocx());
        WriteBytes(world->Ott, LetterOtt());
        // The binary template is made by the office itself, which also sets the profile up.
        const std::string command = "cd '" + world->Folder.Path() + "' && timeout 120 '" + kProgram +
            "' -env:UserInstallation=file://" + world->Profile +
            " --headless --norestore"
            " --convert-to 'dot:MS Word 97 Vorlage' --outdir fixtures fixtures/Brief.dotx > convert.log 2>&1";
        if (std::system(command.c_str()) != 0 || ReadBytes(world->Dot).empty()) {
            ADD_FAILURE() << "the .dot fixture cannot be made:\n" << ReadBytes(world->Folder / "convert.log");
            return;
        }
        world->Shared = std::make_unique<TWordLibreOfficeApp>(world->OwnOffice());
        bool attached = true;
        const std::string error = world->Shared->Connect(attached);
        if (!error.empty()) {
            ADD_FAILURE() << "the shared office does not start: " << error;
            return;
        }
        g_world = world.release();
    }

    void TearDown() override
    {
        if (!g_world)
            return;
        const int group = g_world->Shared->StartedProcessGroup();
        g_world->Shared->Quit();
        g_world->Shared.reset();
        EXPECT_FALSE(GroupAlive(group)) << "the shared office still runs";
        // Every office ran on a profile in the tests' folder: none of them may be left.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (pid_t pid : ProcessesMentioning(g_world->Folder.Path())) {
            ADD_FAILURE() << "an office is left running: " << pid;
            ::kill(pid, SIGKILL);
        }
        delete g_world;
        g_world = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const kOffice = ::testing::AddGlobalTestEnvironment(new TOfficeEnvironment);

#define REQUIRE_OFFICE()                                                                                               \
    do {                                                                                                               \
        if (!g_world)                                                                                                  \
            GTEST_SKIP() << "LibreOffice is not installed or does not start";                                          \
    } while (false)

struct TFormat {
    const char* Name;
    std::string TWorld::*File;
    bool HasFrame;
};

class WordLibreOfficeFormats : public ::testing::TestWithParam<TFormat> {};

// Each answer stands in its bookmark, with the text around it untouched: range and point
// bookmarks, a memo's manual line breaks, an empty answer, a table cell, header and
// footer, an updated cross-reference, Windows-1252 text. Read back from the saved file.
TEST_P(WordLibreOfficeFormats, FillsEveryBookmarkInPlace)
{
    REQUIRE_OFFICE();
    const TFormat& format = GetParam();
    std::string error;
    auto doc = g_world->Shared->AddDocument(g_world->*format.File, false, error);
    ASSERT_TRUE(doc) << error;
    EXPECT_FALSE(doc->Visible());

    std::vector<std::string> order = {"Kopf", "Name", "Punkt", "Memo", "Leer", "Zelle", "Fuss"};
    if (format.HasFrame)
        order.insert(order.begin() + 2, "Rahmen");
    EXPECT_EQ(doc->Bookmarks(), order) << "reading order, without the hidden \"_Toc1\"";

    const std::vector<std::pair<std::string, std::string>> answers = {
        {"Name", "M\xFCller & S\xF6hne"},
        {"Punkt", "P-Text"},
        {"Memo", "Zeile 1\vZeile 2\vZeile 3"},
        {"Leer", ""},
        {"Zelle", "Z\tB"},
        {"Kopf", "K"},
        {"Fuss", "F"},
        {"Rahmen", "R"},
    };
    for (const auto& [name, answer] : answers) {
        if (name != "Rahmen" || format.HasFrame) {
            EXPECT_EQ(doc->FillBookmark(name, answer), "") << name;
        }
    }
    // Word's names ignore case.
    EXPECT_EQ(doc->FillBookmark("punkt", "P-Text"), "");
    const std::string missing = doc->FillBookmark("Fehlt", "x");
    EXPECT_NE(missing.find("\"Fehlt\""), std::string::npos) << missing;
    EXPECT_EQ(doc->UpdateFields(), "");
    EXPECT_EQ(doc->Bookmarks(), order) << "filling keeps every bookmark";

    const std::string file = g_world->Folder / (std::string("out/") + format.Name + ".odt");
    std::filesystem::create_directories(g_world->Folder / "out");
    ASSERT_EQ(doc->SaveAs(file, false), "");
    EXPECT_NE(doc->SaveAs(file, false).find("exists already"), std::string::npos);
    doc->Close();
    EXPECT_EQ(doc->FillBookmark("Name", "x"), "The document is closed.");

    const std::string content = ZipPart(file, "content.xml");
    const std::string styles = ZipPart(file, "styles.xml");
    const std::string name = "M\xC3\xBCller & S\xC3\xB6hne";
    EXPECT_EQ(OdtBookmarkText(content, "Name"), name);
    EXPECT_EQ(OdtBookmarkText(content, "Punkt"), "P-Text");
    EXPECT_EQ(OdtBookmarkText(content, "Memo"), "Zeile 1\nZeile 2\nZeile 3");
    EXPECT_EQ(OdtBookmarkText(content, "Leer"), "");
    EXPECT_EQ(OdtBookmarkText(content, "Zelle"), "Z\tB");
    EXPECT_EQ(OdtBookmarkText(styles, "Kopf"), "K");
    EXPECT_EQ(OdtBookmarkText(styles, "Fuss"), "F");
    if (format.HasFrame) {
        EXPECT_EQ(OdtBookmarkText(content, "Rahmen"), "R");
    }

    const std::vector<std::string> paragraphs = OdfParagraphs(content);
    EXPECT_TRUE(HasParagraph(paragraphs, "Sehr geehrte " + name + ","));
    EXPECT_TRUE(HasParagraph(paragraphs, "Punkt:P-Text!"));
    EXPECT_TRUE(HasParagraph(paragraphs, "Memo: Zeile 1\nZeile 2\nZeile 3")) << "one paragraph, two line breaks";
    EXPECT_TRUE(HasParagraph(paragraphs, "Leer<>"));
    EXPECT_TRUE(HasParagraph(paragraphs, "Verweis: " + name)) << "the cross-reference shows the new text";
    EXPECT_TRUE(HasParagraph(OdfParagraphs(styles), "Kopf: K"));
    for (const std::string& paragraph : paragraphs)
        EXPECT_EQ(paragraph.find('['), std::string::npos) << paragraph;
}

INSTANTIATE_TEST_SUITE_P(Templates, WordLibreOfficeFormats,
                         ::testing::Values(TFormat{"dot", &TWorld::Dot, false}, TFormat{"dotx", &TWorld::Dotx, false},
                                           TFormat{"ott", &TWorld::Ott, true}),
                         [](const ::testing::TestParamInfo<TFormat>& info) { return std::string(info.param.Name); });

// A ".dot" made by LibreOffice from an example's ".dotx" has the same bookmarks in the
// same order, one per field.
TEST(WordLibreOffice, ExampleDotHasTheBookmarksOfItsDotx)
{
    REQUIRE_OFFICE();
    std::string error;
    auto embedded = TWordEmbeddedDoc::Open(kExamples + "Invoice.dotx", false, {}, error);
    ASSERT_TRUE(embedded) << error;
    auto doc = g_world->Shared->AddDocument(kExamples + "Invoice.dot", false, error);
    ASSERT_TRUE(doc) << error;
    EXPECT_EQ(doc->Extension(), ".doc");
    EXPECT_EQ(doc->Bookmarks(), embedded->Bookmarks());
    EXPECT_FALSE(doc->Bookmarks().empty());
}

TEST(WordLibreOffice, UserTemplateFolderIsTheProfilesWritableOne)
{
    REQUIRE_OFFICE();
    const std::string folder = g_world->Shared->UserTemplateFolder();
    EXPECT_EQ(std::filesystem::path(folder).lexically_normal(),
              std::filesystem::path(g_world->Folder / "profile1/user/template/").lexically_normal());
    EXPECT_EQ(folder.back(), '/');
}

TEST(WordLibreOffice, TemplateErrorsAreTexts)
{
    REQUIRE_OFFICE();
    const std::string notText = g_world->Folder / "fixtures/Tabelle.csv";
    WriteBytes(notText, "a,b\n1,2\n");
    const std::string broken = g_world->Folder / "fixtures/Kaputt.dotx";
    WriteBytes(broken, "PK\x03\x04 no zip at all");
    struct TCase {
        std::string File;
        std::string Expected;
    };
    for (const TCase& c : {TCase{g_world->Folder / "fixtures/Fehlt.dotx", "cannot be read"},
                           TCase{g_world->Folder.Path(), "is not a file"}, TCase{notText, "cannot be used"},
                           TCase{broken, "cannot be used"}}) {
        std::string error;
        EXPECT_FALSE(g_world->Shared->AddDocument(c.File, false, error)) << c.File;
        EXPECT_NE(error.find(c.Expected), std::string::npos) << c.File << ": " << error;
    }
    // The shared office is still fine.
    std::string error;
    EXPECT_TRUE(g_world->Shared->AddDocument(g_world->Dotx, false, error)) << error;
}

// The back end speaks the user's language, and shows a path as the name the user gave it.
TEST(WordLibreOffice, MessagesComeInTheUsersLanguage)
{
    TSprache sprache(TAVIX_DATA_SOURCE);
    sprache.Load("Deutsch.SPR");
    const TInstalliert<TSprache, SetSprache> installed(&sprache);
    TTestOrdner dir;
    TLibreOfficeOptions options;
    options.Program = dir / "kein-soffice";
    TWordLibreOfficeApp app(options);
    std::string error;
    EXPECT_FALSE(app.AddDocument(dir /
                                     "Br\xC3\xBC"
                                     "cke.dotx",
                                 false, error));  // UTF-8, as the file system has it
    const std::string shown = dir /
        "Br\xFC"
        "cke.dotx";  // the program's own text
    EXPECT_EQ(error, "Die Vorlage \"" + shown + "\" l\xE4sst sich nicht lesen: " + std::strerror(ENOENT) + ".");
    const std::string dotx = dir / "Brief.dotx";
    WriteBytes(dotx, "PK");
    EXPECT_FALSE(app.AddDocument(dotx, false, error));
    EXPECT_EQ(error,
              "LibreOffice ist nicht installiert (\"" + options.Program +
                  "\" fehlt). Bitte installieren Sie LibreOffice Writer.");
}

// An office already listening on the pipe is used as it is, and Quit leaves it running.
TEST(WordLibreOffice, AttachesToAnOfficeListeningAndLeavesItRunning)
{
    REQUIRE_OFFICE();
    TLibreOfficeOptions options = g_world->OwnOffice();
    TTestOffice office(options.UserInstallation, options.Pipe);
    ASSERT_GT(office.Pid(), 0);
    // The app may not start one of its own: it has to find the one listening.
    options.Program = "/bin/false";
    TWordLibreOfficeApp app(options);
    bool attached = false;
    ASSERT_TRUE(WaitUntil([&] { return app.Connect(attached).empty(); }, 60));
    EXPECT_TRUE(attached);
    EXPECT_EQ(app.StartedProcessGroup(), 0);
    EXPECT_FALSE(app.Visible()) << "an office started without any window stays so";
    std::string error;
    auto doc = app.AddDocument(g_world->Ott, false, error);
    ASSERT_TRUE(doc) << error;
    EXPECT_EQ(doc->FillBookmark("Name", "x"), "");
    doc->Close();
    app.Quit();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(office.Running());
    TWordLibreOfficeApp again(options);
    EXPECT_EQ(again.Connect(attached), "");
    EXPECT_TRUE(attached);
}

// A start while the user runs LibreOffice hands the request over: the program is then
// attached to the user's office and does not end it.
TEST(WordLibreOffice, StartHandedOverToTheUsersOfficeCountsAsAttached)
{
    REQUIRE_OFFICE();
    TLibreOfficeOptions options = g_world->OwnOffice();
    const std::string userPipe = options.Pipe + "_user";
    TTestOffice office(options.UserInstallation, userPipe);
    TLibreOfficeOptions probe = options;
    probe.Pipe = userPipe;
    probe.Program = "/bin/false";
    TWordLibreOfficeApp user(probe);
    bool attached = false;
    ASSERT_TRUE(WaitUntil([&] { return user.Connect(attached).empty(); }, 60)) << "the user's office is up";

    TWordLibreOfficeApp app(options);
    ASSERT_EQ(app.Connect(attached), "");
    EXPECT_TRUE(attached);
    EXPECT_EQ(app.StartedProcessGroup(), 0);
    app.Quit();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(office.Running());
}

// Quit ends an office it started, but not while it holds a document someone else made
// there and has changed.
TEST(WordLibreOffice, QuitEndsOnlyWhatItStartedAndHoldsNoOnesWork)
{
    REQUIRE_OFFICE();
    const TLibreOfficeOptions options = g_world->OwnOffice();
    {
        TWordLibreOfficeApp app(options);
        bool attached = true;
        ASSERT_EQ(app.Connect(attached), "");
        EXPECT_FALSE(attached);
        const int group = app.StartedProcessGroup();
        ASSERT_GT(group, 0);
        TWordLibreOfficeApp other(options);
        ASSERT_EQ(other.Connect(attached), "");
        EXPECT_TRUE(attached);
        std::string error;
        auto work = other.AddDocument(g_world->Dotx, true, error);
        ASSERT_TRUE(work) << error;
        ASSERT_EQ(work->FillBookmark("Name", "ungesichert"), "");

        app.Quit();
        EXPECT_TRUE(GroupAlive(group));
        EXPECT_EQ(work->FillBookmark("Name", "noch da"), "") << "the office still serves the other document";
        work->Close();
        other.Quit();
        EXPECT_TRUE(GroupAlive(group)) << "the other one only attached";
        EXPECT_TRUE(KillGroup(group));  // started by this test's app, which left it
    }
    TWordLibreOfficeApp app(options);
    bool attached = true;
    ASSERT_EQ(app.Connect(attached), "");
    EXPECT_FALSE(attached);
    const int group = app.StartedProcessGroup();
    std::string error;
    auto doc = app.AddDocument(g_world->Dotx, false, error);
    ASSERT_TRUE(doc) << error;
    ASSERT_EQ(doc->FillBookmark("Name", "verworfen"), "");
    app.Quit();
    EXPECT_FALSE(GroupAlive(group)) << "a document of its own, never shown, does not keep the office";
    EXPECT_EQ(app.StartedProcessGroup(), 0);
}

// Starts an office of the test's own through app and loads the letter into it, hidden.
::testing::AssertionResult StartWithLetter(TWordLibreOfficeApp& app, int& group, std::unique_ptr<TWordDoc>& doc)
{
    bool attached = true;
    if (const std::string error = app.Connect(attached); !error.empty())
        return ::testing::AssertionFailure() << error;
    group = app.StartedProcessGroup();
    if (attached || group <= 0)
        return ::testing::AssertionFailure() << "no office of its own was started";
    std::string error;
    doc = app.AddDocument(g_world->Dotx, false, error);
    if (!doc)
        return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess();
}

// After the office of lostGroup is gone, the next connection starts a new office that
// serves, and Quit ends it.
void ExpectANewOfficeServes(TWordLibreOfficeApp& app, int lostGroup)
{
    int group = 0;
    std::unique_ptr<TWordDoc> doc;
    ASSERT_TRUE(StartWithLetter(app, group, doc));
    EXPECT_NE(group, lostGroup);
    EXPECT_EQ(doc->FillBookmark("Name", "x"), "");
    doc->Close();
    app.Quit();
    EXPECT_FALSE(GroupAlive(group));
}

// A killed office is reported at the next call without waiting for a time-out, and the
// next connection starts a new one.
TEST(WordLibreOffice, KilledOfficeIsDetectedAndReplaced)
{
    REQUIRE_OFFICE();
    TLibreOfficeOptions options = g_world->OwnOffice();
    options.CallSeconds = 30;
    TWordLibreOfficeApp app(options);
    int group = 0;
    std::unique_ptr<TWordDoc> doc;
    ASSERT_TRUE(StartWithLetter(app, group, doc));

    ASSERT_TRUE(KillGroup(group));
    const auto start = TClock::now();
    const std::string lost = doc->FillBookmark("Name", "x");
    EXPECT_LT(SecondsSince(start), 10.0);
    EXPECT_NE(lost.find("LibreOffice has ended"), std::string::npos) << lost;
    EXPECT_NE(doc->UpdateFields(), "");
    ExpectANewOfficeServes(app, group);
}

// An office that stops answering costs one time-out, not a hang; the unseen office is
// ended and the next use starts a new one.
TEST(WordLibreOffice, HangingOfficeTimesOut)
{
    REQUIRE_OFFICE();
    TLibreOfficeOptions options = g_world->OwnOffice();
    options.CallSeconds = 2;
    TWordLibreOfficeApp app(options);
    int group = 0;
    std::unique_ptr<TWordDoc> doc;
    ASSERT_TRUE(StartWithLetter(app, group, doc));

    ::kill(-group, SIGSTOP);
    const auto start = TClock::now();
    const std::string hung = doc->FillBookmark("Name", "x");
    const double waited = SecondsSince(start);
    EXPECT_GE(waited, 1.5);
    EXPECT_LT(waited, 15.0);
    EXPECT_NE(hung.find("did not answer within 2 seconds"), std::string::npos) << hung;
    EXPECT_TRUE(WaitUntil([&] { return !GroupAlive(group); }, 20)) << "the unseen office is ended";
    if (GroupAlive(group)) {
        ::kill(-group, SIGKILL);
        ::kill(-group, SIGCONT);
    }
    EXPECT_NE(doc->FillBookmark("Name", "x"), "");
    ExpectANewOfficeServes(app, group);
}

// F5 on the example shipped with a ".dot": with a display the filled document stays
// open, unsaved, in a LibreOffice window, and the office is left to the user afterwards.
TEST(WordLibreOffice, GenerationFromTheDotExampleLeavesTheDocumentInAWindow)
{
    REQUIRE_OFFICE();
    TTestDisplay display;
    if (!display.Ready())
        GTEST_SKIP() << "no virtual X server (Debian: xvfb)";
    TKernUmgebung env;
    TDokument dokument;
    ASSERT_TRUE(dokument.LoadFile(kExamples + "Invoice.TXL"));
    const std::map<std::string, std::string> answers = {{"InvoiceNo", "2026-042"},
                                                        {"Customer",
                                                         "Muster GmbH\r\nHauptstra\xDF"
                                                         "e 1"},
                                                        {"Description", "Beratung"}};
    for (int row = 0; row < dokument.RowCount(); ++row)
        if (answers.count(dokument.Field(row)->ID))
            dokument.Field(row)->Answer = answers.at(dokument.Field(row)->ID);

    TWordSitzung sitzung(dokument);
    std::vector<std::string> log;
    sitzung.SetLog([&](const std::string& line) { log.push_back(line); });
    std::vector<TWordBackend> made;
    TLibreOfficeOptions options = g_world->OwnOffice();
    options.Headless = false;
    sitzung.SetAppFactory([&](TWordBackend backend, std::string&) {
        made.push_back(backend);
        return std::make_unique<TWordLibreOfficeApp>(options);
    });

    const TErzeugung result = sitzung.GenerateDocument();

    EXPECT_TRUE(result.Complete()) << ::testing::PrintToString(log);
    EXPECT_TRUE(env.Meldungen.Meldungen.empty()) << env.Meldungen.Meldungen.front().Text;
    EXPECT_EQ(result.WrittenFile, "") << "nothing is saved";
    EXPECT_EQ(sitzung.ResolvedTemplate(), ExampleFolder() + "Invoice.dot");
    EXPECT_EQ(made, std::vector<TWordBackend>{TWordBackend::LibreOffice});
    EXPECT_TRUE(log.empty()) << ::testing::PrintToString(log);
    EXPECT_TRUE(WaitUntil([&] { return display.Server.Viewable("LibreOffice Writer"); }, 20))
        << display.Server.WindowNames();

    // The document in the window holds the answers (a copy is read back).
    ASSERT_NE(sitzung.WordDoc(), nullptr);
    const std::string copy = g_world->Folder / "Invoice-shown.odt";
    ASSERT_EQ(sitzung.WordDoc()->SaveAs(copy, false), "");
    const std::string content = ZipPart(copy, "content.xml");
    EXPECT_EQ(OdtBookmarkText(content, "InvoiceNo"), "2026-042");
    EXPECT_EQ(OdtBookmarkText(content, "Customer"),
              "Muster GmbH\nHauptstra\xC3\x9F"
              "e 1");
    EXPECT_EQ(OdtBookmarkText(content, "Description"), "Beratung");

    auto* first = dynamic_cast<TWordLibreOfficeApp*>(sitzung.WordApp());
    ASSERT_NE(first, nullptr);
    const int group = first->StartedProcessGroup();
    ASSERT_GT(group, 0);

    // F5 again: the next document joins the first in the same office, which the
    // replaced connection leaves running for the shown document.
    EXPECT_TRUE(sitzung.GenerateDocument().Complete()) << ::testing::PrintToString(log);
    EXPECT_EQ(made.size(), 2u);
    auto* second = dynamic_cast<TWordLibreOfficeApp*>(sitzung.WordApp());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->StartedProcessGroup(), 0) << "attached to the running office";
    EXPECT_TRUE(GroupAlive(group));
    EXPECT_TRUE(WaitUntil([&] { return display.Server.Viewable("Untitled 2"); }, 20)) << display.Server.WindowNames();
    EXPECT_TRUE(display.Server.Viewable("Untitled 1")) << display.Server.WindowNames();

    second->Quit();
    EXPECT_TRUE(GroupAlive(group)) << "the shown documents keep their office";
    EXPECT_TRUE(KillGroup(group));
}

// An office the program started for documents it showed stays while one of them is
// open, and ends with the program's last connection once the user has closed them.
TEST(WordLibreOffice, AnOfficeThatShowedDocumentsEndsWhenTheUserHasClosedThem)
{
    REQUIRE_OFFICE();
    TTestDisplay display;
    if (!display.Ready())
        GTEST_SKIP() << "no virtual X server (Debian: xvfb)";
    for (const bool userCloses : {false, true}) {
        SCOPED_TRACE(userCloses ? "closed by the user" : "left open");
        TLibreOfficeOptions options = g_world->OwnOffice();
        options.Headless = false;
        int group = 0;
        {
            auto starter = std::make_unique<TWordLibreOfficeApp>(options);
            bool attached = true;
            ASSERT_EQ(starter->Connect(attached), "");
            group = starter->StartedProcessGroup();
            ASSERT_GT(group, 0);
            // The window's next generation connects before the first connection goes.
            TWordLibreOfficeApp next(options);
            ASSERT_EQ(next.Connect(attached), "");
            EXPECT_TRUE(attached);
            std::string error;
            auto doc = starter->AddDocument(g_world->Dotx, true, error);
            ASSERT_TRUE(doc) << error;
            std::string written;
            ASSERT_EQ(doc->ShowDocument(g_world->Folder.Path(), "Brief", written), "");
            if (userCloses)
                doc->Close();
            doc.reset();
            starter.reset();
            EXPECT_TRUE(GroupAlive(group)) << "another connection is left";
        }
        if (userCloses) {
            EXPECT_TRUE(WaitUntil([&] { return !GroupAlive(group); }, 20)) << "nothing of the user's is left";
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_TRUE(GroupAlive(group)) << "the shown document keeps its office";
        }
        EXPECT_TRUE(KillGroup(group));
    }
}

// F5 while a windowless office of someone else's holds the pipe: while it is busy the
// user is told why the document cannot be shown; once it is idle it gives way to a
// visible office, which shows the document.
TEST(WordLibreOffice, AWindowlessOfficeOnThePipeGivesWayOrSaysWhy)
{
    REQUIRE_OFFICE();
    TTestDisplay display;
    if (!display.Ready())
        GTEST_SKIP() << "no virtual X server (Debian: xvfb)";
    TLibreOfficeOptions options = g_world->OwnOffice();
    TTestOffice windowless(options.UserInstallation, options.Pipe);
    ASSERT_GT(windowless.Pid(), 0);
    options.Headless = false;
    // The other program finds the office listening; it may not start one.
    TLibreOfficeOptions finder = options;
    finder.Program = "/bin/false";
    TWordLibreOfficeApp other(finder);
    bool attached = false;
    ASSERT_TRUE(WaitUntil([&] { return other.Connect(attached).empty(); }, 60));
    EXPECT_FALSE(other.Visible());
    std::string error;
    auto hidden = other.AddDocument(g_world->Ott, false, error);
    ASSERT_TRUE(hidden) << error;

    TWordLibreOfficeApp app(options);
    ASSERT_EQ(app.Connect(attached), "");
    EXPECT_TRUE(attached);
    EXPECT_EQ(app.AddDocument(g_world->Dotx, true, error), nullptr);
    EXPECT_NE(error.find("without a window"), std::string::npos) << error;
    EXPECT_TRUE(windowless.Running()) << "a busy office is left to its work";

    hidden->Close();
    auto shown = app.AddDocument(g_world->Dotx, true, error);
    ASSERT_TRUE(shown) << error;
    EXPECT_TRUE(WaitUntil([&] { return !windowless.Running(); }, 20));
    std::string written;
    EXPECT_EQ(shown->ShowDocument(g_world->Folder.Path(), "Brief", written), "");
    EXPECT_TRUE(WaitUntil([&] { return display.Server.Viewable("LibreOffice Writer"); }, 20))
        << display.Server.WindowNames();
    const int group = app.StartedProcessGroup();
    ASSERT_GT(group, 0);
    shown.reset();
    EXPECT_TRUE(KillGroup(group));
}

// The user closes the shown document in the office (File > Close): the office this
// program started for it ends rather than leave an empty Start Center on the screen.
TEST(WordLibreOffice, ClosingTheShownDocumentLeavesNoStartCenter)
{
    REQUIRE_OFFICE();
    TTestDisplay display;
    if (!display.Ready())
        GTEST_SKIP() << "no virtual X server (Debian: xvfb)";
    if (std::system("/usr/bin/python3 -c 'import uno' 2>/dev/null") != 0)
        GTEST_SKIP() << "no Python bridge to play the user (Debian: python3-uno)";
    TLibreOfficeOptions options = g_world->OwnOffice();
    options.Headless = false;
    TWordLibreOfficeApp app(options);
    bool attached = true;
    ASSERT_EQ(app.Connect(attached), "");
    const int group = app.StartedProcessGroup();
    ASSERT_GT(group, 0);
    std::string error, written;
    auto doc = app.AddDocument(g_world->Dotx, true, error);
    ASSERT_TRUE(doc) << error;
    ASSERT_EQ(doc->ShowDocument(g_world->Folder.Path(), "Brief", written), "");
    ASSERT_TRUE(WaitUntil([&] { return display.Server.Viewable("LibreOffice Writer"); }, 20))
        << display.Server.WindowNames();

    const std::string user = g_world->Folder / "close-document.py";
    WriteBytes(user,
               "import sys, uno\n"
               "local = uno.getComponentContext()\n"
               "resolver = local.ServiceManager.createInstanceWithContext("
               "'com.sun.star.bridge.UnoUrlResolver', local)\n"
               "office = resolver.resolve('uno:pipe,name=' + sys.argv[1] + ';urp;StarOffice.ComponentContext')\n"
               "desktop = office.ServiceManager.createInstanceWithContext('com.sun.star.frame.Desktop', office)\n"
               "helper = office.ServiceManager.createInstanceWithContext("
               "'com.sun.star.frame.DispatchHelper', office)\n"
               "try:\n"
               "    helper.executeDispatch(desktop.getFrames().getByIndex(0), '.uno:CloseDoc', '', 0, ())\n"
               "except Exception:\n"
               "    pass  # the office may end before it answers\n");
    EXPECT_EQ(std::system(("/usr/bin/python3 '" + user + "' '" + options.Pipe + "' > /dev/null 2>&1").c_str()), 0);
    EXPECT_TRUE(WaitUntil([&] { return !GroupAlive(group); }, 20)) << display.Server.WindowNames();
    if (GroupAlive(group)) {
        KillGroup(group);
    }
}

// ---- The command-line tool ---------------------------------------------------------------

struct TToolRun {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

// tavix-fill with the tests' private home (whose LibreOffice profile is the prepared one)
// and without a display.
TToolRun RunTool(const std::string& arguments)
{
    const std::string out = g_world->Folder / "tool.out";
    const std::string err = g_world->Folder / "tool.err";
    const std::string command = "cd '" + g_world->Folder.Path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=C '" +
        std::string(TAVIX_FILL) + "' " + arguments + " > '" + out + "' 2> '" + err + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(out), ReadBytes(err)};
}

// Each bookmark's text of a finished document, read through the shared office.
std::map<std::string, std::string> BookmarkTexts(const std::string& document, const std::vector<std::string>& names)
{
    std::string error;
    auto doc = g_world->Shared->AddDocument(document, false, error);
    EXPECT_TRUE(doc) << document << ": " << error;
    std::map<std::string, std::string> texts;
    if (!doc)
        return texts;
    const std::string copy = document + ".odt";
    EXPECT_EQ(doc->SaveAs(copy, true), "");
    doc->Close();
    const std::string content = ZipPart(copy, "content.xml");
    for (const std::string& name : names)
        texts[name] = OdtBookmarkText(content, name);
    return texts;
}

// The tool reads a ".dot" through LibreOffice by default: its bookmarks in reading order,
// and a document with the same answers as the embedded engine writes from the ".dotx";
// the office it started is gone when it ends.
TEST(WordLibreOffice, TheToolFillsAndListsTheDotExample)
{
    REQUIRE_OFFICE();
    // The user's own profile of the private home: the prepared one.
    const std::string userProfile = g_world->Folder / "home/.config/libreoffice/4";
    std::filesystem::create_directories(userProfile);
    std::filesystem::copy(g_world->Profile, userProfile,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing);
    std::string error;
    auto dotx = TWordEmbeddedDoc::Open(kExamples + "Invoice.dotx", false, {}, error);
    ASSERT_TRUE(dotx) << error;
    const std::vector<std::string> bookmarks = dotx->Bookmarks();

    const TToolRun list = RunTool("--list-bookmarks '" + kExamples + "Invoice.dot'");
    EXPECT_EQ(list.Exit, 0) << list.Err;
    EXPECT_EQ(OutputLines(list.Out), bookmarks);

    // The invoice number's default is its answer.
    std::string questionnaire = ReadBytes(kExamples + "Invoice.TXL");
    const std::size_t noDefault = questionnaire.find("<Default/>");
    ASSERT_NE(noDefault, std::string::npos);
    questionnaire.replace(noDefault, 10, "<Default>2026-042</Default>");
    WriteBytes(g_world->Folder / "Rechnung.TXL", questionnaire);
    for (const char* folder : {"dot", "dotx", "office"})
        std::filesystem::create_directories(g_world->Folder / folder);
    const TToolRun viaDot = RunTool("Rechnung.TXL -o dot");
    EXPECT_EQ(viaDot.Exit, 0) << viaDot.Err;
    EXPECT_EQ(viaDot.Out, "dot/Rechnung.doc\n");
    const TToolRun viaDotx = RunTool("--backend embedded Rechnung.TXL -o dotx");
    EXPECT_EQ(viaDotx.Exit, 0) << viaDotx.Err;
    EXPECT_EQ(viaDotx.Out, "dotx/Rechnung.docx\n");
    const TToolRun viaOffice = RunTool("--backend libreoffice Rechnung.TXL -o office");
    EXPECT_EQ(viaOffice.Exit, 0) << viaOffice.Err;
    EXPECT_EQ(viaOffice.Out, "office/Rechnung.doc\n");

    const auto expected = BookmarkTexts(g_world->Folder / "dotx/Rechnung.docx", bookmarks);
    EXPECT_EQ(expected.at("InvoiceNo"), "2026-042");
    EXPECT_EQ(BookmarkTexts(g_world->Folder / "dot/Rechnung.doc", bookmarks), expected);
    EXPECT_EQ(BookmarkTexts(g_world->Folder / "office/Rechnung.doc", bookmarks), expected);

    // Rows of a table share one office, each document with its own answers.
    WriteBytes(g_world->Folder / "rows.csv", "InvoiceNo\r\nA-1\r\nA-2\r\nA-3\r\n");
    const TToolRun rows = RunTool("--csv rows.csv Rechnung.TXL -o csv");
    EXPECT_EQ(rows.Exit, 0) << rows.Err;
    EXPECT_EQ(OutputLines(rows.Out),
              (std::vector<std::string>{"csv/Rechnung 1.doc", "csv/Rechnung 2.doc", "csv/Rechnung 3.doc"}));
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(BookmarkTexts(g_world->Folder / ("csv/Rechnung " + std::to_string(row) + ".doc"), bookmarks)
                      .at("InvoiceNo"),
                  "A-" + std::to_string(row));
    EXPECT_EQ(ProcessesMentioning("name=" + LibreOfficePipeName() + ";"), std::vector<pid_t>{})
        << "the tool's office has ended";
}

}  // namespace

namespace {

// A finished document as LibreOffice reads it: saved by the office as OpenDocument text.
std::string ContentAsLibreOfficeReadsIt(const std::string& document)
{
    std::string error;
    auto doc = g_world->Shared->AddDocument(document, false, error);
    EXPECT_TRUE(doc) << document << ": " << error;
    if (!doc)
        return {};
    const std::string copy = document + ".odt";
    EXPECT_EQ(doc->SaveAs(copy, true), "");
    doc->Close();
    return ZipPart(copy, "content.xml");
}

}  // namespace

namespace {

// Labels, answers and form fields of the filled form, as the office reads the document.
void ExpectFilledForm(const std::string& content)
{
    const std::vector<std::string> paragraphs = OdfParagraphs(content);
    EXPECT_TRUE(HasParagraph(paragraphs, "Name: M\xC3\xBCller (bitte vollst\xC3\xA4ndig)")) << content;
    EXPECT_TRUE(std::any_of(paragraphs.begin(), paragraphs.end(), [](const std::string& p) {
        return p.starts_with("Stand: heute");
    })) << content;
    auto xml = ParseXml(content);
    EXPECT_TRUE(xml->select_node("//field:fieldmark-start[@field:type='vnd.oasis.opendocument.field.FORMTEXT']"))
        << content;
    EXPECT_TRUE(xml->select_node("//field:fieldmark[@field:type='vnd.oasis.opendocument.field.FORMCHECKBOX']"
                                 "/field:param[@field:name='Checkbox_Checked'][@field:value='true']"))
        << content;
}

const std::pair<const char*, const char*> kFormAnswers[] = {{"Name",
                                                             "M\xFC"
                                                             "ller"},
                                                            {"Zustimmung", "Ja"},
                                                            {"Farbe", "Blau"},
                                                            {"Stand", "heute"}};

}  // namespace

// A form filled by the embedded engine stays a form in the office: labels, answers and
// the form fields with their values.
TEST(WordLibreOffice, AFilledFormReadsBackWithItsFieldsAndLabels)
{
    REQUIRE_OFFICE();
    TDocxLayout layout;
    layout.Body = FormBody();
    std::string error;
    auto doc = TWordEmbeddedDoc::FromBytes(MakeDocx(layout), "Formular.dotx", false, {}, error);
    ASSERT_TRUE(doc) << error;
    for (const auto& [name, answer] : kFormAnswers)
        EXPECT_EQ(doc->FillBookmark(name, answer), "") << name;
    const std::string written = g_world->Folder / "Formular.docx";
    ASSERT_EQ(doc->SaveAs(written, true), "");
    EXPECT_EQ(FieldProblems(PartOf(ReadBytes(written), "word/document.xml")), "");

    const std::string content = ContentAsLibreOfficeReadsIt(written);
    ExpectFilledForm(content);
    // The date field the bookmark ended in went with the bookmark's text.
    EXPECT_TRUE(HasParagraph(OdfParagraphs(content), "Stand: heute Ende")) << content;
    EXPECT_TRUE(
        ParseXml(content)->select_node("//field:fieldmark[@field:type='vnd.oasis.opendocument.field.FORMDROPDOWN']"
                                       "/field:param[@field:name='Dropdown_Selected'][@field:value='1']"))
        << content;
}

// The office fills the same form as a form: the text field gets its result, the box
// under its bookmark is checked, not replaced. Its import keeps no name for a drop-down
// field: that one is reported missing, with the reason.
TEST(WordLibreOffice, TheOfficeFillsAFormAsAForm)
{
    REQUIRE_OFFICE();
    TDocxLayout layout;
    layout.Body = FormBody();
    const std::string form = g_world->Folder / "Formular.dotx";
    WriteBytes(form, MakeDocx(layout));
    std::string error;
    auto doc = g_world->Shared->AddDocument(form, false, error);
    ASSERT_TRUE(doc) << error;
    const std::vector<std::string> names = doc->BookmarkNames();
    for (const char* name : {"Name", "Zustimmung", "Stand"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    for (const auto& [name, answer] : kFormAnswers) {
        const std::string error = doc->FillBookmark(name, answer);
        if (name == std::string("Farbe"))
            EXPECT_TRUE(error.starts_with(MissingBookmarkError(name)) && error.find("form fields") != std::string::npos)
                << error;
        else
            EXPECT_EQ(error, "") << name;
    }
    const std::string written = g_world->Folder / "Formular-office.docx";
    ASSERT_EQ(doc->SaveAs(written, true), "");
    EXPECT_EQ(FieldProblems(PartOf(ReadBytes(written), "word/document.xml")), "");
    ExpectFilledForm(ContentAsLibreOfficeReadsIt(written));

    // The same form as a binary template, written by the office.
    const std::string binary = g_world->Folder / "Formular.doc";
    ASSERT_EQ(doc->SaveAs(binary, true), "");
    doc->Close();
    auto fromBinary = g_world->Shared->AddDocument(binary, false, error);
    ASSERT_TRUE(fromBinary) << error;
    EXPECT_EQ(fromBinary->FillBookmark("name", "Anna"), "");
    const std::string again = g_world->Folder / "Formular-doc.odt";
    ASSERT_EQ(fromBinary->SaveAs(again, true), "");
    const std::string content = ZipPart(again, "content.xml");
    EXPECT_TRUE(HasParagraph(OdfParagraphs(content), "Name: Anna (bitte vollst\xC3\xA4ndig)")) << content;
    EXPECT_TRUE(ParseXml(content)->select_node(
        "//field:fieldmark-start[@text:name='Name'][@field:type='vnd.oasis.opendocument.field.FORMTEXT']"))
        << content;
}

// Form fields take their answers, under a bookmark around them or by their own name: a
// drop-down selects the entry (an answer that is none becomes one), a check box follows
// yes or no, a text field's result takes the answer with its line break.
TEST(WordLibreOffice, FormFieldsTakeTheirAnswers)
{
    REQUIRE_OFFICE();
    const auto marked = [](const char* name, const char* type, const std::string& params) {
        return std::string("<text:bookmark-start text:name=\"") + name + "\"/>" +
            "<field:fieldmark field:type=\"vnd.oasis.opendocument.field." + type + "\">" + params +
            "</field:fieldmark><text:bookmark-end text:name=\"" + name + "\"/>";
    };
    const auto param = [](const char* name, const char* value) {
        return std::string("<field:param field:name=\"") + name + "\" field:value=\"" + value + "\"/>";
    };
    const std::string entries = param("Dropdown_ListEntry", "Rot") + param("Dropdown_ListEntry", "Blau");
    TOttLayout layout;
    layout.Body = "<text:p xmlns:field=\"urn:openoffice:names:experimental:ooo-ms-interop:xmlns:field:1.0\">"
                  "Farbe=" +
        marked("Farbe", "FORMDROPDOWN", entries) + "/Sorte=" + marked("Sorte", "FORMDROPDOWN", entries) +
        "/Ein=" + marked("Ein", "FORMCHECKBOX", "") +
        "/Aus=" + marked("Aus", "FORMCHECKBOX", param("Checkbox_Checked", "true")) +
        "/Text=<field:fieldmark-start text:name=\"Vorname\" field:type=\"vnd.oasis.opendocument.field.FORMTEXT\"/>"
        "<field:fieldmark-separator/>xx<field:fieldmark-end/>!</text:p>";
    const std::string form = g_world->Folder / "Felder.ott";
    WriteBytes(form, MakeOtt(layout));
    std::string error;
    auto doc = g_world->Shared->AddDocument(form, false, error);
    ASSERT_TRUE(doc) << error;
    EXPECT_EQ(doc->BookmarkNames(), (std::vector<std::string>{"Farbe", "Sorte", "Ein", "Aus", "Vorname"}));
    for (const auto& [name, answer] : {std::pair<const char*, const char*>{"Farbe", "blau"},
                                       {"Sorte", "Gr\xFCn"},
                                       {"Ein", " X "},
                                       {"Aus", "Nein"},
                                       {"Vorname", "Anna\nB"}})
        EXPECT_EQ(doc->FillBookmark(name, answer), "") << name;
    const std::string written = g_world->Folder / "Felder.odt";
    ASSERT_EQ(doc->SaveAs(written, true), "");
    const std::string content = ZipPart(written, "content.xml");
    auto xml = ParseXml(content);
    const auto params = [&](const char* name) {
        std::vector<std::string> found;
        for (const pugi::xpath_node& p : xml->select_nodes((std::string("//text:bookmark-start[@text:name='") + name +
                                                            "']/following-sibling::field:fieldmark[1]/field:param")
                                                               .c_str()))
            found.push_back(std::string(p.node().attribute("field:name").value()) + "=" +
                            p.node().attribute("field:value").value());
        return found;
    };
    using TParams = std::vector<std::string>;
    EXPECT_EQ(params("Farbe"), (TParams{"Dropdown_ListEntry=Rot", "Dropdown_ListEntry=Blau", "Dropdown_Selected=1"}));
    EXPECT_EQ(params("Sorte"),
              (TParams{"Dropdown_ListEntry=Rot", "Dropdown_ListEntry=Blau", "Dropdown_ListEntry=Gr\xC3\xBCn",
                       "Dropdown_Selected=2"}));
    EXPECT_EQ(params("Ein"), (TParams{"Checkbox_Checked=true"}));
    EXPECT_EQ(params("Aus"), (TParams{"Checkbox_Checked=false"}));
    EXPECT_TRUE(HasParagraph(OdfParagraphs(content), "Farbe=/Sorte=/Ein=/Aus=/Text=Anna\nB!")) << content;
}

// A file LibreOffice can read only as plain text is no template: listing its bookmarks
// fails with the office's reason instead of listing none.
TEST(WordLibreOffice, ListingAFileThatIsNoTemplateFails)
{
    REQUIRE_OFFICE();
    const struct {
        std::string Bytes;
        const char* Reason;
    } cases[] = {
        {"Dear Sir,\nthis is a letter, not a template.\n", "only as plain text"},
        {std::string("\xD0\xCF\x11\xE0 not really a Word file", 28), "cannot open it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Reason);
        WriteBytes(g_world->Folder / "Kaputt.dot", c.Bytes);
        const TToolRun run = RunTool("--backend libreoffice --list-bookmarks Kaputt.dot");
        EXPECT_EQ(run.Exit, 1) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_NE(run.Err.find(c.Reason), std::string::npos) << run.Err;
    }
}

namespace {

// The text of a PDF, as poppler's pdftotext reads it.
std::string PdfText(const std::string& pdf)
{
    return CommandOutput("pdftotext -layout '" + pdf + "' - 2>&1");
}

}  // namespace

// PDFs come out of the tool through the office: beside each document, or alone, for
// single files and for every row of a table, with the answers in them.
TEST(WordLibreOffice, TheToolWritesPdfsBesideTheDocumentsOrAlone)
{
    REQUIRE_OFFICE();
    ASSERT_EQ(std::system("command -v pdftotext > /dev/null"), 0) << "pdftotext (poppler-utils) is missing";
    std::string questionnaire = ReadBytes(kExamples + "Invoice.TXL");
    const std::size_t noDefault = questionnaire.find("<Default/>");
    ASSERT_NE(noDefault, std::string::npos);
    questionnaire.replace(noDefault, 10, "<Default>2026-077</Default>");
    WriteBytes(g_world->Folder / "Pdf.TXL", questionnaire);

    const TToolRun both = RunTool("--backend embedded --pdf Pdf.TXL -o pdf-both/");
    EXPECT_EQ(both.Exit, 0) << both.Err;
    EXPECT_EQ(OutputLines(both.Out), (std::vector<std::string>{"pdf-both/Pdf.docx", "pdf-both/Pdf.pdf"}));
    EXPECT_NE(PdfText(g_world->Folder / "pdf-both/Pdf.pdf").find("2026-077"), std::string::npos);

    // Only the PDF: no document is left anywhere, and an existing PDF is never replaced.
    const TToolRun only = RunTool("--pdf-only Pdf.TXL -o pdf-both/");
    EXPECT_EQ(only.Exit, 0) << only.Err;
    EXPECT_EQ(only.Out, "pdf-both/Pdf (2).pdf\n");
    EXPECT_NE(PdfText(g_world->Folder / "pdf-both/Pdf (2).pdf").find("2026-077"), std::string::npos);
    const TToolRun toFile = RunTool("--pdf-only Pdf.TXL -o Rechnung.pdf");
    EXPECT_EQ(toFile.Exit, 0) << toFile.Err;
    EXPECT_EQ(toFile.Out, "Rechnung.pdf\n");
    EXPECT_FALSE(std::filesystem::exists(g_world->Folder / "Rechnung.doc"));
    const TToolRun fileAndPdf = RunTool("--backend embedded --pdf Pdf.TXL -o Beides.docx");
    EXPECT_EQ(fileAndPdf.Exit, 0) << fileAndPdf.Err;
    EXPECT_EQ(OutputLines(fileAndPdf.Out), (std::vector<std::string>{"Beides.docx", "Beides.pdf"}));

    WriteBytes(g_world->Folder / "pdf-rows.csv", "InvoiceNo\r\nP-1\r\nP-2\r\n");
    const TToolRun rows = RunTool("--backend embedded --pdf-only --csv pdf-rows.csv Pdf.TXL -o pdf-rows");
    EXPECT_EQ(rows.Exit, 0) << rows.Err;
    EXPECT_EQ(OutputLines(rows.Out), (std::vector<std::string>{"pdf-rows/Pdf 1.pdf", "pdf-rows/Pdf 2.pdf"}));
    for (int row = 1; row <= 2; ++row)
        EXPECT_NE(PdfText(g_world->Folder / ("pdf-rows/Pdf " + std::to_string(row) + ".pdf"))
                      .find("P-" + std::to_string(row)),
                  std::string::npos);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(g_world->Folder / "pdf-rows"))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Pdf 1.pdf", "Pdf 2.pdf"}));
}

namespace {

// The text of a story that no bookmark and no field holds: what filling bookmarks must
// leave as it was (a field cut by a bookmark goes with it; a form field's value changes).
std::string TextOutsideBookmarks(const std::string& xml)
{
    auto doc = ParseXml(xml);
    std::set<std::string> openBookmarks;
    int fieldDepth = 0;
    std::string text;
    const auto isOdfField = [](const std::string& tag) {
        static const std::set<std::string> plain = {"text:p",
                                                    "text:h",
                                                    "text:span",
                                                    "text:a",
                                                    "text:s",
                                                    "text:tab",
                                                    "text:line-break",
                                                    "text:soft-page-break",
                                                    "text:list",
                                                    "text:list-item",
                                                    "text:section",
                                                    "text:bookmark",
                                                    "text:bookmark-start",
                                                    "text:bookmark-end"};
        return tag.rfind("text:", 0) == 0 && !plain.count(tag);
    };
    std::function<void(pugi::xml_node, bool)> walk = [&](pugi::xml_node node, bool inField) {
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            const std::string tag = child.name();
            if (tag == "w:bookmarkStart")
                openBookmarks.insert(child.attribute("w:id").value());
            else if (tag == "w:bookmarkEnd")
                openBookmarks.erase(child.attribute("w:id").value());
            else if (tag == "text:bookmark-start")
                openBookmarks.insert(child.attribute("text:name").value());
            else if (tag == "text:bookmark-end")
                openBookmarks.erase(child.attribute("text:name").value());
            else if (tag == "w:fldChar") {
                const std::string type = child.attribute("w:fldCharType").value();
                fieldDepth += type == "begin" ? 1 : type == "end" ? -1 : 0;
            }
            const bool field = inField || tag == "w:fldSimple" || isOdfField(tag);
            if (child.type() == pugi::node_pcdata && openBookmarks.empty() && fieldDepth == 0 && !field &&
                (node.name() == std::string("w:t") || std::string(node.name()).rfind("text:", 0) == 0))
                text += child.value();
            if (tag == "w:p" || tag == "text:p" || tag == "text:h")
                text += "|";
            walk(child, field);
        }
    };
    walk(*doc, false);
    return text;
}

}  // namespace

// Every bookmark of every fixture and example template filled with random answers: the
// document opens in LibreOffice, its fields stay whole and the text outside the
// bookmarks stays as it was.
TEST(WordLibreOffice, RandomAnswersInEveryBookmarkKeepEveryDocumentSound)
{
    REQUIRE_OFFICE();
    std::vector<std::pair<std::string, std::string>> templates;  // name, bytes
    TDocxLayout form;
    form.Body = FormBody();
    templates.emplace_back("Formular.dotx", MakeDocx(form));
    templates.emplace_back("Brief.dotx", LetterDocx());
    templates.emplace_back("Brief.ott", LetterOtt());
    TDocxLayout tables;
    tables.Body = TableBodyDocx();
    templates.emplace_back("Tabellen.dotx", MakeDocx(tables));
    TOttLayout odfTables;
    odfTables.Body = TableBodyOdf();
    templates.emplace_back("Tabellen.ott", MakeOtt(odfTables));
    for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".dotx" || extension == ".ott")
            templates.emplace_back(entry.path().filename().string(), ReadBytes(entry.path().string()));
    }
    const unsigned seed = static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count());
    std::mt19937 random(seed);
    const std::vector<std::string> pieces = {"Anna", " ",  "M\xFCller", "&",     "<b>",
                                             "\v",   "\t", "\"x\"",     "12,50", "Ja",
                                             "Blau", "",   "\xE9t\xE9", "1",     "Zeile\r\nzwei"};
    for (const auto& [name, bytes] : templates) {
        SCOPED_TRACE(name + ", seed " + std::to_string(seed));
        std::string error;
        auto doc = TWordEmbeddedDoc::FromBytes(bytes, name, false, {}, error);
        ASSERT_TRUE(doc) << error;
        for (const std::string& bookmark : doc->Bookmarks()) {
            std::string answer;
            for (int n = std::uniform_int_distribution<int>(0, 4)(random); n > 0; --n)
                answer += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
            EXPECT_EQ(doc->FillBookmark(bookmark, answer), "") << bookmark;
        }
        EXPECT_EQ(doc->UpdateFields(), "");
        const std::string written = g_world->Folder / ("zufall-" + name);
        ASSERT_EQ(doc->SaveAs(written + doc->Extension(), true), "");
        const std::string output = ReadBytes(written + doc->Extension());
        const bool docx = doc->Extension() == ".docx";
        for (const char* story : {"word/document.xml", "word/header1.xml", "content.xml", "styles.xml"}) {
            const TPackageBytes original = TWordPackage::Open(bytes, error)->Read(story);
            if (!original)
                continue;
            std::string before = original.Bytes;
            std::string after = PartOf(output, story);
            if (docx) {
                EXPECT_EQ(FieldProblems(after), "") << story;
            }
            EXPECT_EQ(TextOutsideBookmarks(after), TextOutsideBookmarks(before)) << story;
        }
        EXPECT_FALSE(ContentAsLibreOfficeReadsIt(written + doc->Extension()).empty()) << "LibreOffice opens it";
    }
}
