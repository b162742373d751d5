// The choice of the word-processor back end: which one a template needs, which one the
// configuration prefers, and making it.
#pragma once

#include <memory>
#include <string>

#include "word/UWordAdapter.h"

// The back end of the kind; null with error when it is not available. An empty opener
// means OpenWithDesktop.
std::unique_ptr<TWordApp> MakeWordApp(TWordBackend kind, std::string& error, TFileOpener opener = {});

// "embedded" / "libreoffice" (case-insensitive); false for other names.
bool WordBackendFromName(const std::string& name, TWordBackend& kind);

// Whether the LibreOffice back end is built in and LibreOffice is installed.
bool LibreOfficeAvailable();

// The configuration key (list "Vorgaben") that chooses the back end: "LibreOffice" for
// every template format, "Embedded" for every format the embedded engine reads (a binary
// ".dot" only when no other format of its name exists); empty leaves it to the format.
inline constexpr const char* kWordBackendKey = "WordBackend";

// The template file and the back end that fills it.
struct TWordTemplateChoice {
    std::string File;  // the template file; empty when none exists or none can be used
    TWordBackend Backend = TWordBackend::Embedded;
    std::string Error;  // set when the only template is one this installation cannot read
};

// Chooses for a template path with or without extension. Binary Word templates (".dot",
// ".doc") need LibreOffice, Office Open XML and OpenDocument templates go to the embedded
// engine unless setting (the value of kWordBackendKey) is "LibreOffice" and LibreOffice
// can be used (libreOffice). A name without extension is looked up in the order of
// WordTemplateExtensions(); without LibreOffice, or with setting "Embedded", a ".dot"
// gives way to another format of the same name, and a ".dot" alone without LibreOffice
// gives Error, which says how to help it.
TWordTemplateChoice ChooseWordTemplate(const std::string& templateName, const std::string& setting, bool libreOffice);
// The same with the configuration's setting and this installation.
TWordTemplateChoice ChooseWordTemplate(const std::string& templateName);
