#include "env/UBesoVerzeichnis.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/TestOrdner.h"
#include "env/VControl.h"

namespace {

class SpecialFolderTest : public ::testing::Test {
protected:
    std::string Home() const { return dir / "home"; }

    TTestOrdner dir;
    TEnvGuard home{"HOME", dir / "home"};
    TEnvGuard configHome{"XDG_CONFIG_HOME", std::nullopt};
};

TEST_F(SpecialFolderTest, PerUserDataFollowsXdgConfigHome)
{
    EXPECT_EQ(SpecialFolder(CSIDL_LOCAL_APPDATA), Home() + "/.config/");
    {
        TEnvGuard absolute("XDG_CONFIG_HOME", dir / "cfg");
        EXPECT_EQ(SpecialFolder(CSIDL_LOCAL_APPDATA), dir / "cfg/");
    }
    {
        TEnvGuard withSlash("XDG_CONFIG_HOME", dir / "cfg/");
        EXPECT_EQ(SpecialFolder(CSIDL_LOCAL_APPDATA), dir / "cfg/");
    }
    {
        // Relative values are not allowed by the XDG rules and are ignored.
        TEnvGuard relative("XDG_CONFIG_HOME", "cfg");
        EXPECT_EQ(SpecialFolder(CSIDL_LOCAL_APPDATA), Home() + "/.config/");
    }
}

TEST_F(SpecialFolderTest, DocumentsComeFromUserDirs)
{
    EXPECT_EQ(SpecialFolder(CSIDL_PERSONAL), Home() + "/Documents/");

    struct Case {
        const char* file;
        std::string expected;
    };
    const Case cases[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", Home() + "/Dokumente/"},
        {"# written by xdg-user-dirs\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"/srv/docs\"\n",
         "/srv/docs/"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Files\\\"\"\r\n", Home() + "/My \"Files\"/"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n", Home() + "/B/"},  // last one counts
        {"XDG_DOCUMENTS_DIR=\"relative/path\"\n", Home() + "/Documents/"},
        {"XDG_DOCUMENTS_DIR=\"$HOMEWORK\"\n", Home() + "/Documents/"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", Home() + "/"},
        {"#XDG_DOCUMENTS_DIR=\"/commented\"\nXDG_DOCUMENTS_DIRS=\"/other\"\n", Home() + "/Documents/"},
    };
    for (const Case& c : cases) {
        WriteBytes(Home() + "/.config/user-dirs.dirs", c.file);
        EXPECT_EQ(SpecialFolder(CSIDL_PERSONAL), c.expected) << c.file;
    }

    // The file lives in XDG_CONFIG_HOME when that is set.
    TEnvGuard config("XDG_CONFIG_HOME", dir / "cfg");
    WriteBytes(dir / "cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papiere\"\n");
    EXPECT_EQ(SpecialFolder(CSIDL_PERSONAL), Home() + "/Papiere/");
}

TEST_F(SpecialFolderTest, InstallationDataIsTheShareFolderBesideTheProgram)
{
    // The tests run from <build>/bin, beside which the build keeps its share/Tavix copy.
    const std::string share = SpecialFolder(CSIDL_COMMON_APPDATA);
    ASSERT_FALSE(share.empty());
    EXPECT_EQ(share.back(), '/');
    EXPECT_TRUE(std::filesystem::is_regular_file(share + "Tavix/KONFIGURATION.XML")) << share;
    EXPECT_EQ(std::filesystem::path(share).parent_path().parent_path(),
              std::filesystem::path(ProgramFolder()).parent_path().parent_path());
}

TEST_F(SpecialFolderTest, UnknownRoleGivesAnEmptyPath)
{
    std::string path = "something";
    GetSpecialFolder(26, path);
    EXPECT_EQ(path, "");
}

}  // namespace
