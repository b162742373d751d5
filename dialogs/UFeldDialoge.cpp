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
bool RunDialog(const TTAFeld& field, TScreenPoint position, int width, std::string& answer)
{
    switch (field.Type) {
    case ftMemo: {
        TMemoParams params{"",           position.X,   position.Y,    width,     field.Question,
                           field.Answer, field.MaxRow, field.MaxChar, field.Help};
        if (!TFMMemo::Execute(params))
            return false;
        answer = params.Answer;
        return true;
    }
    case ftDatum: {
        TDatumParams params{"",
                            field.Question,
                            position.X,
                            position.Y,
                            width,
                            field.AnswerAsDate(),
                            field.Minimum,
                            field.Maximum,
                            field.Format,
                            field.Help};
        if (!TFMDatum::Execute(params))
            return false;
        answer = field.DateText(params.Date);
        return true;
    }
    case ftZeit: {
        TZeitParams params{"",
                           field.Question,
                           position.X,
                           position.Y,
                           width,
                           field.AnswerAsTime(),
                           field.Minimum,
                           field.Maximum,
                           field.Format,
                           field.Help};
        if (!TFMZeit::Execute(params))
            return false;
        answer = field.TimeText(params.Time);
        return true;
    }
    case ftAuswahl: {
        TListboxParams params{"", position.X, position.Y, width, field.Answer, field.VList, field.Help};
        if (TFMListbox::Execute(params) < 0)
            return false;
        answer = params.Answer;
        return true;
    }
    default: {
        // String, Integer, Real, and a type code the program does not know.
        TEingabeParams params{"",          position.X,    position.Y,    width,        field.Question, field.Answer,
                              field.VList, field.Minimum, field.Maximum, field.Format, field.MaxChar,  field.Help};
        if (!TFMEingabe::Execute(params))
            return false;
        answer = params.Answer;
        return true;
    }
    }
}

}  // namespace

bool TQtFeldDialoge::EditAnswer(TTAFeld& field, TScreenPoint position, int width)
{
    // The answer changes only when the dialog ends with one; a failure goes to the caller.
    std::string answer;
    if (!RunDialog(field, position, width, answer))
        return false;
    field.Answer = answer;
    return true;
}

bool TQtFeldDialoge::EditDefinition(TTAFeld& field, TScreenPoint position, int width)
{
    if (editor_)
        return editor_->EditDefinition(field, position, width);
    return TFMEditor::Execute(field);  // the editor places itself
}
