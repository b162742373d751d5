#include "dialogs/FVersion.h"

#include <QLabel>
#include <QPushButton>

#include "DialogTest.h"

namespace {

class VersionTest : public DialogTest {};

TEST_F(VersionTest, TheBoxShowsWhatTheProgramFileCarries)
{
    TVInfos infos;
    infos.Lesen(ProgramFolder() + "tavix");
    ASSERT_FALSE(infos.Lines().empty()) << "the program file carries version information";
    TFMVersion box(infos);
    EXPECT_EQ(box.windowTitle(), "Information");
    EXPECT_EQ(Child<QLabel>(&box, "LABeschreibung")->text(), "  " + QApplication::applicationName());
    EXPECT_EQ(Child<QLabel>(&box, "LADateiVersion")->text().toStdString(), "Version : " + infos.Value("FileVersion"));
    EXPECT_EQ(Child<QLabel>(&box, "LACopyright")->text(),
              QString::fromUtf8("Copyright : \u00a9 2026 The Tavix developers"));
    const QStringList contact = Child<QLabel>(&box, "MEHersteller")->text().split('\n');
    EXPECT_EQ(contact.size(), 4) << "name and place, web, e-mail, telephone";
    auto* ok = Child<QPushButton>(&box, "BTOK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_FALSE(Child<QLabel>(&box, "IMIcon")->pixmap().isNull());
}

TEST_F(VersionTest, WithoutVersionInformationTheRowsAreEmpty)
{
    TFMVersion box(TVInfos{});
    EXPECT_EQ(Child<QLabel>(&box, "LADateiVersion")->text(), "Version : ");
    EXPECT_EQ(Child<QLabel>(&box, "LACopyright")->text(), "Copyright : ");
}

TEST_F(VersionTest, ShowAboutIsModalAndClosesWithOk)
{
    TModalAction action([](QWidget* box) {
        EXPECT_EQ(box->objectName(), "FMVersion");
        Child<QPushButton>(box, "BTOK")->click();
    });
    ShowAbout();
    EXPECT_TRUE(action.Ran());
}

}  // namespace
