// The program's string tables as data, produced from resources/strings by
// gen_strings.py: the same source the resource script's STRINGTABLEs come from.
// Texts are UTF-8 here; the Windows loader hands them to the program in the
// system's code page.
#pragma once

#include <map>
#include <string>
#include <vector>

struct StringEntry {
    unsigned language;
    unsigned id;
    const char* text;
};

// Every entry of every table, grouped by language (generated).
extern const StringEntry kStringEntries[];
extern const unsigned kStringEntryCount;

// The languages that have a table: 1033, 1028, 1041, 2052, in that order.
const std::vector<unsigned>& StringLanguages();

// The table of one language; empty for a language without a table.
const std::map<unsigned, std::string>& StringTable(unsigned languageId);

// The table a system in this language loads from: its own, or the English one
// when the program has none for it.
const std::map<unsigned, std::string>& StringTableForSystem(unsigned languageId);
