// Whether a word-processor file is protected with a password, told from its bytes, so
// that the user learns why a template cannot be read instead of a format complaint.
//
// Office documents protected with a password are compound files (the container of the
// binary formats): an encrypted Office Open XML document holds its package in an
// "EncryptedPackage" stream, an encrypted Word 97 document sets a flag in the header of
// its "WordDocument" stream. Encrypted OpenDocument parts are named in the manifest.
#pragma once

#include <string>
#include <string_view>

// The first bytes of every compound file (binary Word, and encrypted Office documents).
inline constexpr std::string_view kCompoundFileMagic{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

enum class TWordSchutz { None, EncryptedPackage, EncryptedWord };

bool IsCompoundFile(std::string_view bytes);
// What protects the compound file in bytes; None for other files and damaged ones.
TWordSchutz CompoundFileProtection(std::string_view bytes);
// Whether an OpenDocument manifest names encrypted parts.
bool ManifestEncrypts(std::string_view manifest);
// The reason a protected template cannot be used, for "cannot be used: ...".
std::string ProtectedTemplateReason();
