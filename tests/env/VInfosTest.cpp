#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/TestOrdner.h"
#include "env/VControl.h"

namespace {

TEST(VInfosTest, TheProgramFileCarriesItsVersionInTheKeyOrder)
{
    TVInfos infos;
    infos.Lesen(ProgramFolder() + "tavix-fill");
    ASSERT_EQ(infos.Lines().size(), std::size(TVInfos::kKeys));
    for (std::size_t i = 0; i < infos.Lines().size(); ++i)
        EXPECT_TRUE(infos.Lines()[i].starts_with(std::string(TVInfos::kKeys[i]) + "=")) << infos.Lines()[i];
    EXPECT_EQ(infos.Value("FileVersion"), TAVIX_VERSION);
    EXPECT_EQ(infos.Value("FileDescription"), "Tavix");
    EXPECT_EQ(infos.Value("OriginalFileName"), "tavix-fill");
    EXPECT_TRUE(infos.Value("LegalCopyright").starts_with("\xA9 ")) << "the copyright sign as a single byte";
    // A key the program file does not carry reads as empty.
    EXPECT_EQ(infos.Lines()[5], "LegalTradeMarks=");
    EXPECT_EQ(infos.Value("LegalTradeMarks"), "");
}

TEST(VInfosTest, FilesWithoutVersionInformationGiveNoLines)
{
    TTestOrdner folder;
    WriteBytes(folder / "script.sh", "#!/bin/sh\necho\n");
    WriteBytes(folder / "short",
               "\x7f"
               "ELF\x02");
    for (const std::string& file :
         {ProgramFolder() + "test_env", folder / "script.sh", folder / "short", folder / "missing", folder.Path()}) {
        TVInfos infos;
        infos.Lesen(file);
        EXPECT_TRUE(infos.Lines().empty()) << file;
        EXPECT_EQ(infos.Value("FileVersion"), "") << file;
    }
}

}  // namespace
