// The embedded engine on a valid template with one XML part of any content, so that the
// inputs reach past the zip layer into the story and field code.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzWord.h"
#include "word/embedded/UWordPackage.h"

namespace {

struct TVorlage {
    std::string Name;
    std::string Bytes;
    std::vector<std::string> XmlParts;
};

std::vector<TVorlage> LoadTemplates()
{
    std::vector<TVorlage> templates;
    for (const char* file : {"Invoice.dotx", "Invoice.ott"}) {
        TVorlage vorlage;
        vorlage.Name = file;
        vorlage.Bytes = ReadBytes(QuellDaten() + "Examples/" + file);
        std::string error;
        const std::unique_ptr<TWordPackage> package = TWordPackage::Open(vorlage.Bytes, error);
        FUZZ_CHECK(package != nullptr);
        for (const std::string& part : package->Names())
            if (part.size() > 4 && (part.ends_with(".xml") || part.ends_with(".rels")))
                vorlage.XmlParts.push_back(part);
        FUZZ_CHECK(!vorlage.XmlParts.empty());
        templates.push_back(std::move(vorlage));
    }
    return templates;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StilleMeldungen();
    static const std::vector<TVorlage> templates = LoadTemplates();
    TEingabe input(data, size);
    const TVorlage& vorlage = templates[input.Byte() % templates.size()];
    const std::string& part = vorlage.XmlParts[input.Byte() % vorlage.XmlParts.size()];
    const std::uint8_t answers = input.Byte();

    std::string error;
    const std::unique_ptr<TWordPackage> package = TWordPackage::Open(vorlage.Bytes, error);
    package->Put(part, input.Rest());
    TPackageBytes written = package->Write();
    FUZZ_CHECK(written);
    FillAndWrite(std::move(written.Bytes), vorlage.Name, answers);
    return 0;
}
