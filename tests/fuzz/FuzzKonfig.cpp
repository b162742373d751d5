// A configuration file of any content in the store: every read, one write of each kind
// and a reload. A value the store took in must come back from the rewritten file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHilfe.h"
#include "config/UKonfig.h"

namespace {

bool SameState(const TWindowState& a, const TWindowState& b)
{
    return a.Maximized == b.Maximized && a.Left == b.Left && a.Top == b.Top && a.Width == b.Width &&
        a.Height == b.Height;
}

const char* const kKeys[] = {"Sprache",         "VerzeichnisVorlagen", "VerzeichnisDokumente",
                             "VerzeichnisWord", "WordBackend",         "Neu"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StilleMeldungen();
    static const std::string path = FuzzUnterordner("konfig") + "KONFIGURATION.XML";
    WriteBytes(path, std::string(reinterpret_cast<const char*>(data), size));

    TKonf konf(path);  // loads the file
    konf.ReadWindowState("FMHaupt");
    konf.ReadColumns("FMHaupt");
    konf.GetLanguage();
    for (const char* key : kKeys)
        konf.GetDefault(key);

    const TWindowState state{true, 12, -3, 640, 2147483647};
    konf.WriteWindowState("FMHaupt", state);
    konf.WriteColumns("FMHaupt", {"120", "x & <y>", ""});
    konf.SetLanguage("Deutsch");
    const std::string value = "/home/j\xFCrgen/Vorlagen & \"Briefe\"/";
    konf.SetDefault("VerzeichnisVorlagen", value);

    const bool stateTaken = SameState(konf.ReadWindowState("FMHaupt"), state);
    const bool valueTaken = konf.GetDefault("VerzeichnisVorlagen") == value;
    const std::vector<std::string> columns = konf.ReadColumns("FMHaupt");
    const std::string language = konf.GetLanguage();
    if (!konf.LastError().empty())
        return 0;

    TKonf reloaded(path);
    if (stateTaken)
        FUZZ_CHECK(SameState(reloaded.ReadWindowState("FMHaupt"), state));
    if (valueTaken)
        FUZZ_CHECK(reloaded.GetDefault("VerzeichnisVorlagen") == value);
    FUZZ_CHECK(reloaded.ReadColumns("FMHaupt") == columns);
    FUZZ_CHECK(reloaded.GetLanguage() == language);
    return 0;
}
