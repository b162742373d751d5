// A template or document-data file of any content, loaded as the window loads it, then
// every field operation the window uses on each field, and saving. What saves must
// load to the same fields and save to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzHilfe.h"
#include "FuzzLocales.h"
#include "config/USprache.h"
#include "core/UDokument.h"
#include "core/UEditorPruefung.h"
#include "core/UEingabePruefung.h"
#include "core/UTAObjs.h"
#include "xml/UXBaum.h"

namespace {

std::string FieldText(const TTAFeld& field)
{
    return TDokument::FieldToTree(field)->Serialize("\t", true);
}

void UseField(const TTAFeld& field)
{
    field.QuestionDisplay();
    field.AnswerDisplay();
    field.GetTypeName();
    TTAFeld::FormatChoices(field.Type);
    TTAFeld::LimitText(field.Format, field.Type, field.Minimum);
    TTAFeld::LimitText(field.Format, field.Type, field.Maximum);
    const double date = field.AnswerAsDate();
    const double time = field.AnswerAsTime();
    field.DateText(date);
    field.TimeText(time);
    switch (field.Type) {
    case ftInteger:
    case ftReal: CheckNumberInput(field.Answer, field.Minimum, field.Maximum, field.Format); break;
    case ftDatum: CheckDateInput(date, field.Minimum, field.Maximum, field.Format); break;
    case ftZeit: CheckTimeInput(time, field.Minimum, field.Maximum, field.Format); break;
    case ftAuswahl:
        CheckChoiceInput(FindChoice(field.VList, field.Answer), static_cast<int>(field.VList.size()));
        break;
    default: break;
    }

    // Clone, assign and the definition editor's round: the copy is the field.
    const std::unique_ptr<TTAFeld> clone = field.Clone();
    FUZZ_CHECK(FieldText(*clone) == FieldText(field));
    TTAFeld assigned;
    assigned.Assign(field);
    FUZZ_CHECK(FieldText(assigned) == FieldText(field));
    const TEditorEingabe shown = EditorInputOf(field);
    if (CheckEditorInput(shown, field.VList).empty())
        WriteEditorInput(shown, *clone);

    // A field written alone reads back as itself.
    const std::unique_ptr<TXBaum> tree = TDokument::FieldToTree(field);
    const std::unique_ptr<TTAFeld> read = TDokument::FieldFromElement(*tree->DocEl());
    FUZZ_CHECK(FieldText(*read) == FieldText(field));
}

struct TUmgebung {
    TSprache Sprache{QuellDaten()};
    TUmgebung()
    {
        StilleMeldungen();
        Sprache.Load("ENGLISH.SPR");
        SetSprache(&Sprache);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TUmgebung umgebung;
    TEingabe input(data, size);
    InstallFuzzLocale(input.Byte());
    const std::string path = FuzzOrdner() + ((input.Byte() & 1) ? "Daten.DXL" : "Vorlage.TXL");
    WriteBytes(path, input.Rest());

    TDokument dokument;
    if (!dokument.LoadFile(path))
        return 0;
    for (int row = 0; row < dokument.RowCount(); ++row) {
        dokument.QuestionText(row);
        dokument.AnswerText(row);
        UseField(*dokument.Field(row));
    }
    const std::string text = dokument.FileText();
    dokument.SetChanged(true);
    if (dokument.Save() != TSaveResult::Saved) {
        FUZZ_CHECK(!dokument.CheckStorable().empty());
        return 0;
    }
    FUZZ_CHECK(ReadBytes(path) == text);

    TDokument again;
    FUZZ_CHECK(again.LoadFile(path));
    FUZZ_CHECK(again.RowCount() == dokument.RowCount());
    for (int row = 0; row < dokument.RowCount(); ++row) {
        const std::string before = FieldText(*dokument.Field(row));
        const std::string after = FieldText(*again.Field(row));
        if (after != before)
            std::fprintf(stderr, "field %d saved as\n%s\nloads as\n%s\n", row, before.c_str(), after.c_str());
        FUZZ_CHECK(after == before);
    }
    FUZZ_CHECK(again.FileText() == text);
    return 0;
}
