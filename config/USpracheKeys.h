// Every text the program looks up in the language files, with the number of arguments
// its message fills in. The shipped language files are checked against this table, so
// a key added to the program belongs here too.
#pragma once

#include <span>
#include <string_view>

struct TSprachSchluessel {
    std::string_view Section;
    std::string_view Key;
    int Arguments = 0;  // "%s" placeholders: each of 0..Arguments-1 must be used
    int Lines = 0;      // when not 0, the text must have exactly this many lines
};

std::span<const TSprachSchluessel> SprachSchluessel();
