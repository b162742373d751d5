// The one crossing between the core's single-byte text (Windows-1252 in std::string)
// and Qt's QString.
//
// Every byte has a character, so text from the core always shows. The way back can
// fail: a character typed into a dialog that the file encoding cannot hold is refused
// with a message instead of being changed silently.
#pragma once

#include <QString>

#include <string>
#include <vector>

QString ToQString(const std::string& text);
// The single-byte form of text; false (out untouched) when a character has none.
bool FromQString(const QString& text, std::string& out);

// Line breaks: the core writes CR LF (or a lone CR or LF), Qt's text controls use LF.
QString ToDisplayLines(const std::string& text);
// LF becomes CR LF; false as FromQString.
bool FromDisplayLines(const QString& text, std::string& out);

// Takes typed text for the core, converting LF to CR LF when lines is true. Text that
// the file encoding cannot hold is refused: the message names the characters and is
// shown through MsgDlg, and the result is false.
bool TakeTypedText(const QString& text, std::string& out, bool lines = false);

// A list of core texts as QStrings.
QStringList ToQStringList(const std::vector<std::string>& texts);
