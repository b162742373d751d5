#include "env/UDateien.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <filesystem>

#include "config/TestOrdner.h"
#include "env/UBesoVerzeichnis.h"

namespace fs = std::filesystem;

namespace {

std::string Message(const char* label, const std::string& path)
{
    return std::string(label) + "\r\n\"" + path + "\"";
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// "name" for files, "name/" for folders, sorted.
std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : ListDir(folder))
        names.push_back(entry->Name + (entry->Kind == TDateiInfo::kFolder ? "/" : ""));
    return Sorted(names);
}

// Every file below the folder with its content, as "relative/path=content".
std::vector<std::string> Tree(const std::string& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string relative = fs::relative(entry.path(), folder).string();
        files.push_back(entry.is_directory() ? relative + "/" : relative + "=" + ReadBytes(entry.path().string()));
    }
    return Sorted(files);
}

class FilesTest : public ::testing::Test {
protected:
    TTestOrdner dir;
};

TEST_F(FilesTest, CopyFileToCopiesEveryByte)
{
    const std::string bytes = std::string("line\r\nbinary\0\xFF\x80 end", 20) + std::string(200000, 'x');
    WriteBytes(dir / "a.bin", bytes);
    std::string error = "stale";
    CopyFileTo(dir / "a.bin", dir / "b.bin", false, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadBytes(dir / "b.bin"), bytes);

    WriteBytes(dir / "empty", "");
    CopyFileTo(dir / "empty", dir / "b.bin", true, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadBytes(dir / "b.bin"), "");  // overwriting truncates
}

TEST_F(FilesTest, CopyFileToNeverOverwritesWhenNotAllowed)
{
    WriteBytes(dir / "a", "new");
    WriteBytes(dir / "b", "old");
    std::string error;
    CopyFileTo(dir / "a", dir / "b", false, error);
    EXPECT_EQ(error, Message("File exists : ", dir / "b"));
    EXPECT_EQ(ReadBytes(dir / "b"), "old");

    // The target's existence is checked first, even when the source is missing.
    CopyFileTo(dir / "missing", dir / "b", false, error);
    EXPECT_EQ(error, Message("File exists : ", dir / "b"));
}

TEST_F(FilesTest, CopyFileToReportsWhatItCannotDo)
{
    std::string error;
    CopyFileTo(dir / "missing", dir / "t", true, error);
    EXPECT_EQ(error, Message("Cannot read : ", dir / "missing"));
    EXPECT_FALSE(fs::exists(dir / "t"));

    fs::create_directories(dir / "folder");
    CopyFileTo(dir / "folder", dir / "t", true, error);
    EXPECT_EQ(error, Message("Cannot read : ", dir / "folder"));

    WriteBytes(dir / "a", "data");
    CopyFileTo(dir / "a", dir / "no/such/folder/t", true, error);
    EXPECT_EQ(error, Message("Cannot write : ", dir / "no/such/folder/t"));

    // Copying a file onto itself must not truncate it.
    CopyFileTo(dir / "a", dir / "./a", true, error);
    EXPECT_EQ(error, Message("Cannot write : ", dir / "./a"));
    EXPECT_EQ(ReadBytes(dir / "a"), "data");
}

TEST_F(FilesTest, ListDirTellsFilesFromFolders)
{
    EXPECT_TRUE(ListDir(dir.Path()).empty());  // only "." and ".."
    EXPECT_TRUE(ListDir(dir / "missing").empty());

    WriteBytes(dir / "a.txt", "");
    WriteBytes(dir / ".hidden", "");
    fs::create_directories(dir / "sub.SPR");
    fs::create_symlink(dir / "sub.SPR", dir / "link");
    EXPECT_EQ(Listing(dir.Path()), (std::vector<std::string>{".hidden", "a.txt", "link/", "sub.SPR/"}));
    EXPECT_EQ(Listing(dir / "a.txt"), std::vector<std::string>{});
}

TEST_F(FilesTest, ListFilesMatchesTheMaskAmongFilesOnly)
{
    for (const char* name : {"Deutsch.SPR", "ENGLISH.SPR", "Alt.Deutsch.SPR", "klein.spr", "notes.txt", "SPR"})
        WriteBytes(dir / name, "");
    fs::create_directories(dir / "Ordner.SPR");

    // Masks match in any letter case.
    EXPECT_EQ(Sorted(ListFiles(dir.Path(), "*.SPR", false, false)),
              (std::vector<std::string>{"Alt.Deutsch", "Deutsch", "ENGLISH", "klein"}));
    EXPECT_EQ(Sorted(ListFiles(dir.Path(), "*.SPR", false, true)),
              (std::vector<std::string>{"Alt.Deutsch.SPR", "Deutsch.SPR", "ENGLISH.SPR", "klein.spr"}));
    const std::string folder = dir.Path().substr(0, dir.Path().size() - 1);  // without the "/"
    EXPECT_EQ(Sorted(ListFiles(folder, "D*.SPR", true, false)), (std::vector<std::string>{dir / "Deutsch"}));
    EXPECT_EQ(Sorted(ListFiles(dir.Path(), "*.dot", false, false)), std::vector<std::string>{});
    EXPECT_EQ(ListFiles(dir / "missing", "*", false, false), std::vector<std::string>{});
}

TEST(FolderOfTest, GivesTheFolderPartOrTheDefault)
{
    struct Case {
        const char* fileName;
        const char* defaultFolder;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/u/Vorlagen/Brief.TXL", "/d/", "/home/u/Vorlagen/"},
        {"relative/Brief.TXL", "/d/", "relative/"},
        {"/Brief.TXL", "/d/", "/"},
        {"Brief.TXL", "/d/", "/d/"},
        {"Brief.TXL", "/d", "/d/"},
        {"C:\\Daten\\Brief.TXL", "/d/", "/d/"},  // only "/" separates folders here
        {"", "/d", "/d/"},
        {"Brief.TXL", "", ""},  // no default: the current folder, never the root
    };
    for (const Case& c : cases) {
        std::string folder = "stale";
        FolderOf(c.fileName, c.defaultFolder, folder);
        EXPECT_EQ(folder, c.expected) << c.fileName << " / " << c.defaultFolder;
    }
}

TEST(ExamplesMarkerTest, AcceptsBothDelimitersAndOnlyAsTheWholeFolder)
{
    struct Case {
        const char* name;
        bool marked;
        const char* fileName;
    };
    const Case cases[] = {
        {"COMMON_APPDATA_TAVIX_EXAMPLES\\Brief", true, "Brief"},
        {"COMMON_APPDATA_TAVIX_EXAMPLES/Brief", true, "Brief"},
        {"COMMON_APPDATA_TAVIX_EXAMPLES\\", true, ""},
        {"COMMON_APPDATA_TAVIX_EXAMPLES\\sub\\Brief", false, ""},
        {"COMMON_APPDATA_TAVIX_EXAMPLESX\\Brief", false, ""},
        {"common_appdata_tavix_examples\\Brief", false, ""},
        {"/x/COMMON_APPDATA_TAVIX_EXAMPLES\\Brief", false, ""},
        {"Normal", false, ""},
    };
    for (const Case& c : cases) {
        std::string fileName;
        EXPECT_EQ(SplitExamplesMarker(c.name, fileName), c.marked) << c.name;
        EXPECT_EQ(fileName, c.fileName) << c.name;
    }
}

TEST_F(FilesTest, CopyTreeCopiesSubFolders)
{
    WriteBytes(dir / "src/a.TXL", "A");
    WriteBytes(dir / "src/Vorlagen/b.TXL", "B");
    WriteBytes(dir / "src/Vorlagen/tief/c.dot", "C");
    fs::create_directories(dir / "src/leer");
    std::string error = "stale";
    CopyTree(dir / "src", dir / "new/target", false, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(Tree(dir / "new/target"), Tree(dir / "src"));
    EXPECT_EQ(Tree(dir / "new/target").size(), 6u);
}

TEST_F(FilesTest, CopyTreeErrors)
{
    std::string error;
    CopyTree(dir / "missing", dir / "t", true, error);
    EXPECT_EQ(error, Message("Not found : ", dir / "missing/"));
    EXPECT_FALSE(fs::exists(dir / "t"));

    WriteBytes(dir / "src/a", "A");
    WriteBytes(dir / "blocker", "file in the way");
    CopyFolder(dir / "src/", dir / "blocker/t", true, error);
    EXPECT_EQ(error, Message("Cannot create : ", dir / "blocker/t/"));

    // The first file that exists ends the copy; it stays as it was.
    WriteBytes(dir / "src/sub/b", "B");
    WriteBytes(dir / "t2/sub/b", "old");
    CopyTree(dir / "src", dir / "t2", false, error);
    EXPECT_EQ(error, Message("File exists : ", dir / "t2/sub/b"));
    EXPECT_EQ(ReadBytes(dir / "t2/sub/b"), "old");
}

TEST_F(FilesTest, CopyTreeRefusesToCopyIntoItself)
{
    WriteBytes(dir / "src/a", "A");
    std::string error;
    CopyTree(dir / "src", dir / "src/inner", true, error);
    EXPECT_EQ(error, Message("Cannot create : ", dir / "src/inner/"));
    EXPECT_FALSE(fs::exists(dir / "src/inner"));

    // A link back up the tree would copy for ever.
    fs::create_directory_symlink(dir / "src", dir / "src/loop");
    CopyTree(dir / "src", dir / "t", true, error);
    EXPECT_EQ(error, Message("Cannot create : ", dir / "t/loop/"));
}

class PrepareFoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(dir / "common/Tavix/KONFIGURATION.XML", "<Konfiguration/>\r\n");
        WriteBytes(dir / "common/Tavix/Examples/Brief.TXL", "brief");
        WriteBytes(dir / "common/Tavix/Examples/Vorlagen/Rechnung.TXL", "rechnung");
    }
    void Prepare()
    {
        PrepareFolders(dir / "local/", dir / "common/", dir / "docs/",
                       [this](const std::string& message) { shown.push_back(message); });
    }

    TTestOrdner dir;
    std::vector<std::string> shown;
};

TEST_F(PrepareFoldersTest, FirstStartSeedsTheUsersFolders)
{
    Prepare();
    EXPECT_EQ(shown, std::vector<std::string>{});
    EXPECT_EQ(ReadBytes(dir / "local/Tavix/KONFIGURATION.XML"), "<Konfiguration/>\r\n");
    EXPECT_EQ(Tree(dir / "docs/Tavix"), Tree(dir / "common/Tavix/Examples"));
}

TEST_F(PrepareFoldersTest, LaterStartsLeaveTheUsersFilesAlone)
{
    Prepare();
    WriteBytes(dir / "local/Tavix/KONFIGURATION.XML", "mine");
    fs::remove(dir / "docs/Tavix/Brief.TXL");
    Prepare();
    EXPECT_EQ(ReadBytes(dir / "local/Tavix/KONFIGURATION.XML"), "mine");
    EXPECT_FALSE(fs::exists(dir / "docs/Tavix/Brief.TXL"));  // an existing folder is not refilled

    // Without its configuration the per-user folder gets the installation's copy again.
    fs::remove(dir / "local/Tavix/KONFIGURATION.XML");
    Prepare();
    EXPECT_EQ(ReadBytes(dir / "local/Tavix/KONFIGURATION.XML"), "<Konfiguration/>\r\n");
    EXPECT_EQ(shown, std::vector<std::string>{});
}

TEST_F(PrepareFoldersTest, MissingExamplesAreReportedOnceAndTheStartGoesOn)
{
    fs::remove_all(dir / "common/Tavix/Examples");
    Prepare();
    EXPECT_EQ(shown, std::vector<std::string>{Message("Not found : ", dir / "common/Tavix/Examples/")});
    EXPECT_TRUE(fs::exists(dir / "local/Tavix/KONFIGURATION.XML"));
    EXPECT_FALSE(fs::exists(dir / "docs/Tavix"));
}

TEST_F(PrepareFoldersTest, UnusableFoldersAreReported)
{
    WriteBytes(dir / "local/Tavix", "a file where the folder belongs");
    fs::remove(dir / "common/Tavix/KONFIGURATION.XML");
    Prepare();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Cannot create :\r\n\"" + (dir / "local/Tavix/") + "\"");

    fs::remove(dir / "local/Tavix");
    shown.clear();
    Prepare();
    EXPECT_EQ(shown, std::vector<std::string>{Message("Cannot read : ", dir / "common/Tavix/KONFIGURATION.XML")});
}

// The real first start: a fresh home, the build's installation data beside bin/.
TEST(PrepareFoldersStartTest, FreshHomeGetsConfigurationAndExamples)
{
    TTestOrdner home;
    TEnvGuard homeGuard("HOME", home / "u");
    TEnvGuard configGuard("XDG_CONFIG_HOME", std::nullopt);
    std::vector<std::string> shown;
    PrepareFolders([&](const std::string& message) { shown.push_back(message); });

    EXPECT_EQ(shown, std::vector<std::string>{});
    EXPECT_EQ(UserDataFolder(), home / "u/.config/Tavix/");
    EXPECT_EQ(DocumentFolder(), home / "u/Documents/Tavix/");
    EXPECT_EQ(ReadBytes(UserDataFolder() + "KONFIGURATION.XML"), ReadBytes(InstallDataFolder() + "KONFIGURATION.XML"));
    EXPECT_FALSE(ReadBytes(UserDataFolder() + "KONFIGURATION.XML").empty());
    EXPECT_EQ(Tree(DocumentFolder()), Tree(ExampleFolder()));
    EXPECT_FALSE(Tree(DocumentFolder()).empty());
}

TEST(TextLinesTest, EveryLineEndsWithCrLf)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\r\n", "a\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\n\r\nb", "a\r\n\r\nb\r\n"},
        {"\n", "\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ToCrLfLines(text), expected) << text;
}

TEST_F(FilesTest, ReadTextLinesReadsFilesOnly)
{
    WriteBytes(dir / "t.txt", std::string("\xE4\n\0x", 4));
    std::string text;
    EXPECT_TRUE(ReadTextLines(dir / "t.txt", text));
    EXPECT_EQ(text, std::string("\xE4\r\n\0x\r\n", 7));
    EXPECT_FALSE(ReadTextLines(dir / "missing", text));
    EXPECT_FALSE(ReadTextLines(dir.Path(), text));
    EXPECT_EQ(text, "");
    // A pipe is refused at once, never waited for; so is a file beyond the size cap.
    ASSERT_EQ(::mkfifo((dir / "KONFIGURATION.XML").c_str(), 0600), 0);
    EXPECT_FALSE(ReadTextLines(dir / "KONFIGURATION.XML", text));
    WriteBytes(dir / "huge.SPR", "");
    fs::resize_file(dir / "huge.SPR", kMaxTextFileBytes + 1);  // sparse: takes no space
    EXPECT_FALSE(ReadTextLines(dir / "huge.SPR", text));
}

TEST_F(FilesTest, ReadFileBytesSaysWhyAndReadFileHeadCutsOff)
{
    WriteBytes(dir / "t.bin", "0123456789");
    EXPECT_EQ(ReadFileBytes(dir / "t.bin", 10).Bytes, "0123456789");
    EXPECT_EQ(ReadFileBytes(dir / "t.bin", 9).Failure, TReadFailure::TooLarge);
    const TFileBytes missing = ReadFileBytes(dir / "missing");
    EXPECT_EQ(missing.Failure, TReadFailure::Open);
    EXPECT_EQ(missing.Error, ENOENT);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadFileHead(dir / "pipe", 8).Failure, TReadFailure::NotRegular);
    EXPECT_EQ(ReadFileBytes(dir.Path()).Failure, TReadFailure::NotRegular);

    EXPECT_EQ(ReadFileHead(dir / "t.bin", 4).Bytes, "0123");
    EXPECT_EQ(ReadFileHead(dir / "t.bin", 100).Bytes, "0123456789");
    EXPECT_TRUE(ReadFileHead(dir / "t.bin", 0));
    // A file of /proc reports no size and is read all the same.
    const TFileBytes status = ReadFileHead("/proc/self/status", 4096);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status.Bytes.starts_with("Name:"));
}

TEST_F(FilesTest, WriteFileAtomicReplacesTheWholeFile)
{
    WriteBytes(dir / "f", "old content that is longer");
    ::chmod((dir / "f").c_str(), 0600);
    EXPECT_EQ(WriteFileAtomic(dir / "f", "new"), "");
    EXPECT_EQ(ReadBytes(dir / "f"), "new");
    EXPECT_EQ(fs::status(dir / "f").permissions() & fs::perms::all, fs::perms(0600));
    EXPECT_EQ(WriteFileAtomic(dir / "fresh", "x"), "");
    EXPECT_EQ(ReadBytes(dir / "fresh"), "x");

    // Through a link the link stays and its target changes.
    fs::create_symlink(dir / "f", dir / "link");
    EXPECT_EQ(WriteFileAtomic(dir / "link", "via link"), "");
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(ReadBytes(dir / "f"), "via link");
}

TEST_F(FilesTest, WriteFileAtomicFailureLeavesNothingBehind)
{
    WriteBytes(dir / "taken/inside", "keep");  // a folder where the file should go
    EXPECT_NE(WriteFileAtomic(dir / "taken", "new"), "");
    EXPECT_EQ(ReadBytes(dir / "taken/inside"), "keep");
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"taken/"});

    EXPECT_NE(WriteFileAtomic(dir / "no/folder/f", "new"), "");
}

TEST_F(FilesTest, WriteFileAtomicLeavesAWriteProtectedFileAlone)
{
    WriteBytes(dir / "protected.DXL", "old");
    ::chmod((dir / "protected.DXL").c_str(), 0444);
    const std::string error = WriteFileAtomic(dir / "protected.DXL", "new");
    EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(dir / "protected.DXL"), "old");
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"protected.DXL"}) << "no temporary file left";
    ::chmod((dir / "protected.DXL").c_str(), 0644);
    EXPECT_EQ(WriteFileAtomic(dir / "protected.DXL", "new"), "");
}

TEST_F(FilesTest, TemporaryFilesOfKilledSavesAreRemovedByTheNextSave)
{
    // The process id of a process that has ended.
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    const std::string left = ".Offer.DXL.tavix-unsaved-" + std::to_string(dead) + "-0";
    const std::string running = ".Other.DXL.tavix-unsaved-" + std::to_string(::getpid()) + "-7";
    WriteBytes(dir / left, "half a file");
    WriteBytes(dir / running, "being written");
    WriteBytes(dir / ".hidden-notes", "mine");

    EXPECT_EQ(WriteFileAtomic(dir / "Letter.DXL", "saved"), "");
    EXPECT_EQ(Listing(dir.Path()), (std::vector<std::string>{running, ".hidden-notes", "Letter.DXL"}))
        << "only the dead save's file goes";
}

}  // namespace
