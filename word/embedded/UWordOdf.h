// OpenDocument text (".ott", ".odt") for the embedded engine: turns the template
// package into a document package and edits its stories.
#pragma once

#include "word/embedded/UWordXml.h"

#include <memory>
#include <string>

// Makes the package an ".odt" (mimetype and manifest). Null with error when the package
// is not an OpenDocument text or a story is broken.
std::unique_ptr<TWordContent> OpenOdf(TWordPackage& package, std::string& error);
