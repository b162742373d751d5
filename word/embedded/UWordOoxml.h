// Office Open XML (".dotx", ".dotm", ".docx") for the embedded engine: turns the
// template package into a document package and edits its stories.
#pragma once

#include "word/embedded/UWordXml.h"

#include <memory>
#include <string>

// Makes the package a ".docx": the main part becomes a document, macros are dropped.
// Null with error when the package is not a word-processing file or a story is broken.
std::unique_ptr<TWordContent> OpenOoxml(TWordPackage& package, std::string& error);
