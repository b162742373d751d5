// What a field's help entry stands for.
//
// A help entry either names a file or is the help text itself. A named document is
// handed to the desktop to open with its associated program. A template may come from
// anyone, so a file that would run rather than open (a program, a script, a desktop
// launcher) is never handed on: its name is shown as text like any other help text.
#pragma once

#include <string>

enum class TFeldHilfeArt {
    Keine,     // empty entry: the field has no help
    Text,      // not an existing file: the entry is the help text
    Dokument,  // an existing document: opened with its associated program
    Programm,  // an existing file that would run: shown as text, never opened
};

// The file an entry names, in UTF-8: a relative name counts from folder (the folder of
// the template, where its help files lie; the current folder when empty), and a name
// written with backslashes is also tried with slashes. Empty when no such file exists
// (folders are no help files; links count by what they point to).
std::string FieldHelpFile(const std::string& entry, const std::string& folder);

// The kind of the entry (single-byte text; the file system is asked in UTF-8).
TFeldHilfeArt ClassifyFieldHelp(const std::string& entry, const std::string& folder = {});

// Whether the existing file at path (UTF-8) would run when opened, judged by what a
// link points to: any execute permission, or a start of a script ("#!"), a program
// (ELF, a Windows "MZ") or a desktop launcher ("[Desktop Entry]"). Whether a file is a
// document at all is the caller's to decide by its content type.
bool IsRunnableFile(const std::string& path);
// The content part of that test alone: a script, program or launcher by its first
// bytes (drives without permissions show every file as executable).
bool HasProgramContent(const std::string& path);
