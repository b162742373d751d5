// The main window: the list of questions and answers of the open template or
// document-data file, the commands on it, and the log.
//
// The window owns the process-wide configuration store and language table (installed
// for every other part while it lives) and the document (TDokument), whose changes it
// mirrors in the list. File dialogs and the warning beep go through replaceable seams,
// and every message through MsgDlg, so tests drive the window without a human.
#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/UDokument.h"
#include "word/UWordErzeugung.h"
#include "dialogs/UDateiDialog.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QTranslator;
class QTreeWidget;
class QTreeWidgetItem;
class TKonf;
class TSprache;
struct TAntwortRahmen;

// What the open dialog is shown with: the title and filter of "OpenTitle" and
// "OpenFilter", the document-data folder (or the nearest of its parents that exists).
using TOeffnenAnfrage = TDateiDialogAnfrage;

// Where a window of the given client bounds and frame goes on the available screen
// area: where it is, unless its title bar or more than a third of it would lie outside,
// or it is larger than the area; then it is fitted to the area and centred.
QRect PlaceOnScreen(const QRect& window, const QRect& available, const QMargins& frame);

class TFMHaupt : public QMainWindow, private TDokumentBeobachter {
    Q_OBJECT

public:
    // The open dialog: true with the chosen full name, false when cancelled.
    using TOeffnenDialog = std::function<bool(const TOeffnenAnfrage&, std::string&)>;

    // Creates the window and runs the start-up (FormCreate) with the program's command
    // line parameters (without the program name).
    explicit TFMHaupt(const std::vector<std::string>& parameters, QWidget* parent = nullptr);
    // Stores the placement and releases the configuration store (FormDestroy).
    ~TFMHaupt() override;
    Q_DISABLE_COPY_MOVE(TFMHaupt)

    // ---- Seams: the program installs real dialogs, tests their own answers -------------
    void SetOeffnenDialog(TOeffnenDialog dialog) { openDialog_ = std::move(dialog); }
    void SetSpeicherDialog(TSpeicherDialog* dialog);
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }
    // The program that opens a generated document (empty: the desktop's).
    void SetWordOpener(TFileOpener opener) { word_->SetOpener(std::move(opener)); }

    TDokument& Dokument() { return dokument_; }
    // The word-processor connection: WordApp and WordDoc of the last generation.
    TWordSitzung& WordSitzung() { return *word_; }
    bool TemplateEditing() const;
    // Appends one line to the log.
    void Log(const std::string& line);
    void ApplyLanguage();
    // Re-evaluates every action's enabling rule; runs after each change of the state or
    // the selection.
    void UpdateActions();
    // The selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);

    // The commands, as the menu runs them.
    void Open();
    // Opens a template or document-data file as Open does after its dialog.
    void OpenFile(const std::string& fileName);
    void EditSelected();
    void InsertField();
    void DeleteField();
    // "Dokument..." (F5) with the busy cursor.
    void GenerateDocument();
    // Where the window's own text requests open, with their caption.
    TAntwortRahmen RequestFrame(const std::string& caption, int screenParts) const;
    void ChangeTitle();
    void ChangeWordTemplate();
    void NewTemplate();
    void ChooseLanguage();
    // Lets the user pick the folder of the key ("VerzeichnisWord", "VerzeichnisVorlagen",
    // "VerzeichnisDokumente"), or ask for its built-in default.
    void ChooseFolderSetting(const std::string& key);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A template or document-data file dropped onto the window opens like File > Open.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Start-up and shut-down.
    void FormCreate(const std::vector<std::string>& parameters);
    void BuildActions();
    void BuildMenus();
    void BuildLayout();
    void RestoreWindowState();
    // Moves a window that would lie (partly) off the screen back onto it.
    void KeepOnScreen();
    // Loads the stored language's file, Qt's own translations with it, and applies them.
    void LoadLanguage();
    void OpenDropped(const std::string& fileName);
    // The word templates and their folder, under the busy cursor; false (after telling
    // the user where it looked) when there is none.
    bool ListWordTemplates(std::string& folder, std::vector<std::string>& names);
    void StoreWindowState();
    // Every command of the window runs through RunCommand: a failure nobody expected is
    // shown once, as an error message, and the window goes on.
    void OnTriggered(QAction* action, std::function<void()> command);
    void RunCommand(const std::function<void()>& command);
    // Tells the user once that a setting could not be written, and why.
    void ReportSettingsError();
    // The question asked before unsaved changes would be lost: true when it may go on.
    bool ConfirmDiscard();

    // The busy cursor, and no input, while the word processor works (in pairs; nested).
    void SetBusy(bool busy);

    // Action handlers that need a selected row beep without one.
    void OnSelectedOrBeep(void (TFMHaupt::*command)());
    void Beep();
    void LVDblClick();

    // The list mirrors the document.
    void ShowRow(int row);
    void FillList();
    void RowsReset() override;
    void RowInserted(int row) override;
    void RowRemoved(int row) override;
    void RowChanged(int row) override;
    void TitleChanged() override;
    void StateChanged() override;

    QAction* MakeAction(const char* name, int tag, const char* category, const char* caption);

    std::unique_ptr<TKonf> konf_;
    std::unique_ptr<TSprache> sprache_;
    std::unique_ptr<QTranslator> qtTranslator_;
    TDokument dokument_;
    std::unique_ptr<TWordSitzung> word_;  // after the document it works on

    TOeffnenDialog openDialog_;
    std::unique_ptr<TSpeicherDialog> ownSaveDialog_;
    std::function<void()> beep_;
    std::unique_ptr<QObject> inputBlocker_;
    int busyLevel_ = 0;
    bool placedOnShow_ = false;

    QToolBar* tb_ = nullptr;
    QTreeWidget* lv_ = nullptr;
    QSplitter* sp_ = nullptr;
    QPlainTextEdit* me_ = nullptr;
    std::vector<QMenu*> menus_;
    std::vector<QAction*> actions_;

    QAction* acDateiOeffnen_ = nullptr;
    QAction* acDateiSpeichern_ = nullptr;
    QAction* acDateiSpeichernUnter_ = nullptr;
    QAction* acBeenden_ = nullptr;
    QAction* acBearbeiten_ = nullptr;
    QAction* acDokument_ = nullptr;
    QAction* acVorlageBearbeiten_ = nullptr;
    QAction* acVorlageNeu_ = nullptr;
    QAction* acVorlageSpeichern_ = nullptr;
    QAction* acVorlageTitel_ = nullptr;
    QAction* acVorlageWord_ = nullptr;
    QAction* acNeuesFeld_ = nullptr;
    QAction* acFeldBearbeiten_ = nullptr;
    QAction* acFeldLoeschen_ = nullptr;
    QAction* acSprache_ = nullptr;
    QAction* acWordVerzeichnis_ = nullptr;
    QAction* acVorlagenVerzeichnis_ = nullptr;
    QAction* acDokVerzeichnis_ = nullptr;
    QAction* acErsteSchritte_ = nullptr;
    QAction* acInhaltsverzeichnis_ = nullptr;
    QAction* acVersion_ = nullptr;
    QAction* acHilfe_ = nullptr;
};
