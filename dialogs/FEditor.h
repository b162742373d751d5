// The field editor: the definition of one field (identifier, type, question, default
// answer, limits, number of characters and lines, value list, format, help), edited on
// a copy that is written back only when OK accepts every entry.
#pragma once

#include <QDialog>

#include <array>
#include <memory>
#include <string>

#include "core/UEditorPruefung.h"
#include "core/UTAObjs.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class TFMEditor : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFMEditor)

public:
    explicit TFMEditor(QWidget* parent = nullptr);
    ~TFMEditor() override;

    // Edits a copy of field; on OK the field takes the copy over and the result is true.
    // The help file chooser starts in helpFolder (the template's) for a help named
    // without a folder.
    static bool Execute(TTAFeld& field, const std::string& helpFolder = {});

    // Shows a copy of field in the controls.
    void LoadFromField(const TTAFeld& field);
    // Enables the controls for the selected type and shows its remembered texts.
    void UpdateControls();
    int SelectedType() const;
    void SelectType(int type);
    // The copy being edited.
    const TTAFeld& Working() const { return *working_; }

    // OK: the entries are checked; the dialog closes only when they pass.
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::string helpFolder_;
    // The controls' texts; false (after saying so) when one holds a character the file
    // cannot store.
    bool ReadInput(TEditorEingabe& input) const;
    void BTAuswahlClick();
    void BTHilfeTextClick();
    void BTHilfeDateiClick();
    void BTFormatClick();
    // Where a dialog opened by button goes: right of it, six button heights higher.
    QPoint BesideButton(const QWidget* button) const;
    void ApplyLanguage();

    std::unique_ptr<TTAFeld> working_;
    std::array<std::string, 7> minTexts_;
    std::array<std::string, 7> maxTexts_;
    std::array<std::string, 7> formatTexts_;
    int previousType_ = ftString;

    QLabel* laID_;
    QLineEdit* edID_;
    QLabel* laTyp_;
    QGroupBox* rgTyp_;
    QButtonGroup* typeButtons_;
    QTabWidget* pc_;
    QWidget* tsFrage_;
    QWidget* tsVorgabe_;
    QPlainTextEdit* meFrage_;
    QPlainTextEdit* meVorgabe_;
    QLabel* laMinMax_;
    QLineEdit* edMinimum_;
    QLineEdit* edMaximum_;
    QLabel* laMaxZ_;
    QLineEdit* edMaxZeichen_;
    QLabel* laZeichen_;
    QLineEdit* edMaxZeilen_;
    QLabel* laZeilen_;
    QLabel* laAuswahl_;
    QPushButton* btAuswahl_;
    QLabel* laFormat_;
    QLineEdit* edFormat_;
    QPushButton* btFormat_;
    QLabel* laHilfe_;
    QPushButton* btHilfeText_;
    QPushButton* btHilfeDatei_;
    QPushButton* btOk_;
    QPushButton* btAbbrechen_;
    QPushButton* btHilfe_;
};
