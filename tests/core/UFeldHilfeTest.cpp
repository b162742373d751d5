#include "core/UFeldHilfe.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/TestOrdner.h"

namespace {

namespace fs = std::filesystem;

class FeldHilfeTest : public ::testing::Test {
protected:
    // A file with plain read and write permissions, whatever the umask.
    std::string File(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir / name;
        WriteBytes(path, bytes);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
        return path;
    }

    TTestOrdner dir;
};

TEST_F(FeldHilfeTest, AnEntryThatNamesNoFileIsText)
{
    EXPECT_EQ(ClassifyFieldHelp(""), TFeldHilfeArt::Keine);
    EXPECT_EQ(ClassifyFieldHelp("Enter the customer's number."), TFeldHilfeArt::Text);
    EXPECT_EQ(ClassifyFieldHelp(dir / "missing.pdf"), TFeldHilfeArt::Text);
    EXPECT_EQ(ClassifyFieldHelp(dir.Path()), TFeldHilfeArt::Text);  // a folder is no help file
}

TEST_F(FeldHilfeTest, DocumentsAreOpened)
{
    EXPECT_EQ(ClassifyFieldHelp(File("Hilfe.pdf", "%PDF-1.4\n")), TFeldHilfeArt::Dokument);
    EXPECT_EQ(ClassifyFieldHelp(File("notes.txt", "plain text\n")), TFeldHilfeArt::Dokument);
    EXPECT_EQ(ClassifyFieldHelp(File("README", "")), TFeldHilfeArt::Dokument);  // empty, no extension
    // The entry is single-byte text; the file system holds the name in UTF-8.
    File("\xC3\x9C"
         "bersicht.html",
         "<html></html>");
    EXPECT_EQ(ClassifyFieldHelp(dir /
                                "\xDC"
                                "bersicht.html"),
              TFeldHilfeArt::Dokument);
}

TEST_F(FeldHilfeTest, RelativeNamesCountFromTheTemplatesFolder)
{
    const std::string path = File("Angebot Hilfe.txt", "Hilfe\n");
    EXPECT_EQ(ClassifyFieldHelp("Angebot Hilfe.txt", dir.Path()), TFeldHilfeArt::Dokument);
    EXPECT_EQ(FieldHelpFile("Angebot Hilfe.txt", dir.Path()), path);
    EXPECT_EQ(FieldHelpFile(path, "/somewhere/else/"), path);  // an absolute name stays as it is
    File("Hilfen/Preise.txt", "Preise\n");
    EXPECT_EQ(FieldHelpFile("Hilfen\\Preise.txt", dir.Path()), dir / "Hilfen/Preise.txt");
    EXPECT_EQ(FieldHelpFile("Hilfen", dir.Path()), "");  // a folder
    EXPECT_EQ(ClassifyFieldHelp("Preise.txt", dir.Path()), TFeldHilfeArt::Text);
}

TEST_F(FeldHilfeTest, FilesThatWouldRunAreNeverOpened)
{
    // By content, whatever the name says.
    EXPECT_EQ(ClassifyFieldHelp(File("help.txt", "#!/bin/sh\nrm -rf ~\n")), TFeldHilfeArt::Programm);
    EXPECT_EQ(ClassifyFieldHelp(File("help.pdf",
                                     std::string("\x7F"
                                                 "ELF\x02\x01",
                                                 6))),
              TFeldHilfeArt::Programm);
    // By permission.
    const std::string marked = File("manual.pdf", "%PDF-1.4\n");
    fs::permissions(marked, fs::perms::others_exec, fs::perm_options::add);
    EXPECT_EQ(ClassifyFieldHelp(marked), TFeldHilfeArt::Programm);
    // Windows programs and desktop launchers by their start (names are the dialogs'
    // content-type check).
    EXPECT_EQ(ClassifyFieldHelp(File("setup.pdf", "MZ\x90\0")), TFeldHilfeArt::Programm);
    EXPECT_EQ(ClassifyFieldHelp(File("launch", "\n[Desktop Entry]\nExec=rm -rf ~\n")), TFeldHilfeArt::Programm);
    // A link counts by its target.
    File("run.txt", "#!/bin/sh\n");
    fs::create_symlink(dir / "run.txt", dir / "link.pdf");
    EXPECT_EQ(ClassifyFieldHelp(dir / "link.pdf"), TFeldHilfeArt::Programm);
}

TEST_F(FeldHilfeTest, AHelpFileBesideATemplateInANonAsciiFolderIsFound)
{
    // The folder comes from the file system (UTF-8), the entry from the template.
    const std::string folder = dir / "Vorlagen f\xC3\xBCr J\xC3\xBCrgen/";
    const std::string path = File("Vorlagen f\xC3\xBCr J\xC3\xBCrgen/\xC3\x9C"
                                  "bersicht.txt",
                                  "Hilfe\n");
    EXPECT_EQ(FieldHelpFile("\xDC"
                            "bersicht.txt",
                            folder),
              path)
        << "single-byte entry";
    EXPECT_EQ(FieldHelpFile(path, ""), path) << "a name chosen in the file dialog";
    EXPECT_EQ(ClassifyFieldHelp("\xDC"
                                "bersicht.txt",
                                folder),
              TFeldHilfeArt::Dokument);
}

}  // namespace
