#include "word/UWordBackend.h"

#include "config/UKonfig.h"
#include "config/USprache.h"
#include "core/UTAObjs.h"
#include "env/UCodec.h"
#include "env/UDateien.h"
#include "env/VControl.h"
#include "word/UWordSchutz.h"
#include "word/embedded/UWordEmbedded.h"
#ifdef TAVIX_HAVE_LIBREOFFICE
#include "word/libreoffice/UWordLibreOffice.h"
#endif

std::unique_ptr<TWordApp> MakeWordApp(TWordBackend kind, std::string& error, TFileOpener opener)
{
    error.clear();
    switch (kind) {
    case TWordBackend::Embedded:
        return std::make_unique<TWordEmbeddedApp>(opener ? std::move(opener) : TFileOpener(OpenWithDesktop));
    case TWordBackend::LibreOffice:
#ifdef TAVIX_HAVE_LIBREOFFICE
        if (LibreOfficeInstalled())
            return std::make_unique<TWordLibreOfficeApp>();
        error = "LibreOffice is not installed: install LibreOffice Writer (Debian: libreoffice-writer).";
        return nullptr;
#else
        break;
#endif
    }
    error = "This version of the program was built without its LibreOffice back end (it needs the "
            "LibreOffice SDK, Debian: libreoffice-dev).";
    return nullptr;
}

bool WordBackendFromName(const std::string& name, TWordBackend& kind)
{
    const std::string lower = LowerAscii(name);
    if (lower == "embedded") {
        kind = TWordBackend::Embedded;
        return true;
    }
    if (lower == "libreoffice") {
        kind = TWordBackend::LibreOffice;
        return true;
    }
    return false;
}

bool LibreOfficeAvailable()
{
#ifdef TAVIX_HAVE_LIBREOFFICE
    return LibreOfficeInstalled();
#else
    return false;
#endif
}

namespace {

// A Word 97 file by its name or by its first bytes (a compound file), whatever its name.
bool IsBinaryWord(const std::string& file)
{
    const std::string extension = LowerExtension(file);
    if (extension == ".dot" || extension == ".doc")
        return true;
    return IsCompoundFile(ReadFileHead(file, kCompoundFileMagic.size()).Bytes);
}

}  // namespace

TWordTemplateChoice ChooseWordTemplate(const std::string& templateName, const std::string& setting, bool libreOffice)
{
    TWordTemplateChoice choice;
    const std::string preference = LowerAscii(setting);
    const bool preferLibreOffice = libreOffice && preference == "libreoffice";
    // With every format readable the first found wins; a user who prefers the embedded
    // engine has a ".dot" give way to another format of the same name.
    const bool binaryFirst = libreOffice && preference != "embedded";
    std::string binary;
    if (IsFile(templateName)) {
        if (IsBinaryWord(templateName))
            binary = templateName;
        else
            choice.File = templateName;
    } else {
        for (const std::string& extension : WordTemplateExtensions()) {
            const std::string file = templateName + extension;
            if (!IsFile(file))
                continue;
            if (!IsBinaryWord(file)) {
                choice.File = file;
                break;
            }
            if (binary.empty())
                binary = file;
            if (binaryFirst)
                break;
        }
    }
    if (!binary.empty() && (binaryFirst || choice.File.empty())) {
        choice.File = binary;
        choice.Backend = TWordBackend::LibreOffice;
        if (!libreOffice) {
            choice.File.clear();
            choice.Error = FormatMsg(
                TextOrFallback("FMHaupt", "LibreOfficeMissingMsg",
                               "The Word template \"%s\" is a binary .dot file, which only LibreOffice can read. "
                               "Install LibreOffice Writer (Debian: libreoffice-writer), or save the template "
                               "as .dotx in a word processor."),
                {PathForDisplay(binary)});
        }
        return choice;
    }
    if (!choice.File.empty() && preferLibreOffice)
        choice.Backend = TWordBackend::LibreOffice;
    return choice;
}

TWordTemplateChoice ChooseWordTemplate(const std::string& templateName)
{
    const std::string setting = Konf() ? Konf()->GetDefault(kWordBackendKey) : std::string();
    return ChooseWordTemplate(templateName, setting, LibreOfficeAvailable());
}
