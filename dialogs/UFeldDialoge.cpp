#include "dialogs/UFeldDialoge.h"

#include <exception>

#include "config/USprache.h"
#include "dialogs/FDatum.h"
#include "dialogs/FEditor.h"
#include "dialogs/FEingabe.h"
#include "dialogs/FListbox.h"
#include "dialogs/FMemo.h"
#include "dialogs/FZeit.h"

namespace {

// Runs the dialog of the field's type; on OK the new answer is in answer.
// frame: next to the answer cell, with the field's help; the field's question, no caption.
bool RunDialog(const TTAFeld& field, const TAntwortRahmen& frame, std::string& answer)
{
    switch (field.Type) {
    case ftMemo: {
        TMemoParams params{.Frame = frame,
                           .Question = field.Question,
                           .Answer = field.Answer,
                           .MaxRow = field.MaxRow,
                           .MaxChar = field.MaxChar};
        if (!TFMMemo::Execute(params))
            return false;
        answer = params.Answer;
        return true;
    }
    case ftDatum: {
        TDatumParams params{.Frame = frame,
                            .Question = field.Question,
                            .Date = field.AnswerAsDate(),
                            .Minimum = field.Minimum,
                            .Maximum = field.Maximum,
                            .Format = field.Format};
        if (!TFMDatum::Execute(params))
            return false;
        answer = field.DateText(params.Date);
        return true;
    }
    case ftZeit: {
        TZeitParams params{.Frame = frame,
                           .Question = field.Question,
                           .Time = field.AnswerAsTime(),
                           .Minimum = field.Minimum,
                           .Maximum = field.Maximum,
                           .Format = field.Format};
        if (!TFMZeit::Execute(params))
            return false;
        answer = field.TimeText(params.Time);
        return true;
    }
    case ftAuswahl: {
        TListboxParams params{.Frame = frame, .Answer = field.Answer, .VList = field.VList};
        if (TFMListbox::Execute(params) < 0)
            return false;
        answer = params.Answer;
        return true;
    }
    default: {
        // String, Integer, Real, and a type code the program does not know.
        TEingabeParams params{.Frame = frame,
                              .Question = field.Question,
                              .Answer = field.Answer,
                              .VList = field.VList,
                              .Minimum = field.Minimum,
                              .Maximum = field.Maximum,
                              .Format = field.Format,
                              .MaxChar = field.MaxChar};
        if (!TFMEingabe::Execute(params))
            return false;
        answer = params.Answer;
        return true;
    }
    }
}

}  // namespace

bool TQtFeldDialoge::EditAnswer(TTAFeld& field, TScreenPoint position, int width, const std::string& helpFolder)
{
    // The answer changes only when the dialog ends with one; a failure goes to the caller.
    std::string answer;
    if (!RunDialog(field,
                   {.X = position.X, .Y = position.Y, .Width = width, .Help = field.Help, .HelpFolder = helpFolder},
                   answer))
        return false;
    field.Answer = answer;
    return true;
}

bool TQtFeldDialoge::EditDefinition(TTAFeld& field, TScreenPoint position, int width, const std::string& helpFolder)
{
    if (editor_)
        return editor_->EditDefinition(field, position, width, helpFolder);
    return TFMEditor::Execute(field, helpFolder);  // the editor places itself
}
