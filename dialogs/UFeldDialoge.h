// The answer dialogs as the fields reach them: the program installs one TQtFeldDialoge
// with SetFeldDialoge, and every field's EditAnswer opens the dialog of its type.
#pragma once

#include "core/UTAObjs.h"

class TQtFeldDialoge : public TFeldDialoge {
public:
    // editor, when given, answers EditDefinition (the field editor); the caller keeps
    // ownership.
    explicit TQtFeldDialoge(TFeldDialoge* editor = nullptr) : editor_(editor) {}

    // Opens the dialog of the field's type at position with the wished width; on OK
    // writes the answer back and returns true. A failure while the dialog runs is
    // shown as an error and leaves the answer as it was.
    bool EditAnswer(TTAFeld& field, TScreenPoint position, int width, const std::string& helpFolder) override;
    bool EditDefinition(TTAFeld& field, TScreenPoint position, int width, const std::string& helpFolder) override;

private:
    TFeldDialoge* editor_;
};
