#include "word/UWordSchutz.h"

#include "support/TestWord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WordSchutz, TellsPasswordProtectionFromTheFilesBytes)
{
    const std::string plainDoc = MakeCompoundFile({{"WordDocument", WordDocumentStream(false)}, {"1Table", "x"}});
    std::string loopingDirectory = plainDoc;
    loopingDirectory.replace(512 + 4, 4, std::string("\x01\0\0\0", 4));  // the directory's sector follows itself
    const struct {
        const char* Label;
        std::string Bytes;
        TWordSchutz Expected;
    } cases[] = {
        {"binary Word", plainDoc, TWordSchutz::None},
        {"binary Word with a password",
         MakeCompoundFile(
             {{"1Table", "x"}, {"Data", "y"}, {"SummaryInformation", "z"}, {"WordDocument", WordDocumentStream(true)}}),
         TWordSchutz::EncryptedWord},
        {"encrypted Office Open XML", MakeCompoundFile({{"EncryptionInfo", "info"}, {"EncryptedPackage", "data"}}),
         TWordSchutz::EncryptedPackage},
        {"a zip package", MakeDocx({}), TWordSchutz::None},
        {"only the magic", std::string(kCompoundFileMagic), TWordSchutz::None},
        {"header cut short", plainDoc.substr(0, 700), TWordSchutz::None},
        {"directory chain in a loop", loopingDirectory, TWordSchutz::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Label);
        EXPECT_EQ(CompoundFileProtection(c.Bytes), c.Expected);
    }
}

TEST(WordSchutz, AManifestWithEncryptionDataEncrypts)
{
    EXPECT_TRUE(ManifestEncrypts("<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data "
                                 "manifest:checksum-type=\"SHA1/1K\"/></manifest:file-entry>"));
    EXPECT_FALSE(ManifestEncrypts("<manifest:file-entry manifest:full-path=\"content.xml\"/>"));
}

}  // namespace
