// The string table of the contract tests: resources of the Windows test
// program (contract_strings.rc), given to the fake machine. Plain macros: the
// resource compiler reads this file too.
#pragma once

#define CONTRACT_STRING_256 101
#define CONTRACT_STRING_600 102
#define CONTRACT_STRING_MISSING 199

// Fifty characters each, numbered, so that a cut or a repeat shows.
#define CONTRACT_BLOCK(n) "Block " #n " of a long text that must load whole..... "
#define CONTRACT_TEXT_250 \
    CONTRACT_BLOCK(01) CONTRACT_BLOCK(02) CONTRACT_BLOCK(03) CONTRACT_BLOCK(04) CONTRACT_BLOCK(05)
#define CONTRACT_TEXT_256 CONTRACT_TEXT_250 "[256]."
#define CONTRACT_TEXT_600                                                                         \
    CONTRACT_TEXT_250 CONTRACT_BLOCK(06) CONTRACT_BLOCK(07) CONTRACT_BLOCK(08) CONTRACT_BLOCK(09) \
        CONTRACT_BLOCK(10) CONTRACT_BLOCK(11) CONTRACT_BLOCK(12)
