// The string table of the contract tests. The Windows test program carries it
// as resources (contract_strings.rc); the fake machine is given the same texts.
// Plain macros: the resource compiler reads this file too.
#pragma once

#define CONTRACT_STRING_SHORT 101
#define CONTRACT_STRING_255 102
#define CONTRACT_STRING_256 103
#define CONTRACT_STRING_600 104
// No text has this id.
#define CONTRACT_STRING_MISSING 199

// Fifty characters each, numbered, so that a cut or a repeat shows.
#define CONTRACT_BLOCK_01 "Block 01 of a long text that must load whole..... "
#define CONTRACT_BLOCK_02 "Block 02 of a long text that must load whole..... "
#define CONTRACT_BLOCK_03 "Block 03 of a long text that must load whole..... "
#define CONTRACT_BLOCK_04 "Block 04 of a long text that must load whole..... "
#define CONTRACT_BLOCK_05 "Block 05 of a long text that must load whole..... "
#define CONTRACT_BLOCK_06 "Block 06 of a long text that must load whole..... "
#define CONTRACT_BLOCK_07 "Block 07 of a long text that must load whole..... "
#define CONTRACT_BLOCK_08 "Block 08 of a long text that must load whole..... "
#define CONTRACT_BLOCK_09 "Block 09 of a long text that must load whole..... "
#define CONTRACT_BLOCK_10 "Block 10 of a long text that must load whole..... "
#define CONTRACT_BLOCK_11 "Block 11 of a long text that must load whole..... "
#define CONTRACT_BLOCK_12 "Block 12 of a long text that must load whole..... "

#define CONTRACT_TEXT_SHORT "Copying the driver files"
#define CONTRACT_TEXT_250 \
    CONTRACT_BLOCK_01 CONTRACT_BLOCK_02 CONTRACT_BLOCK_03 CONTRACT_BLOCK_04 CONTRACT_BLOCK_05
#define CONTRACT_TEXT_255 CONTRACT_TEXT_250 "[255]"
#define CONTRACT_TEXT_256 CONTRACT_TEXT_250 "[256]."
#define CONTRACT_TEXT_600                                                                     \
    CONTRACT_TEXT_250 CONTRACT_BLOCK_06 CONTRACT_BLOCK_07 CONTRACT_BLOCK_08 CONTRACT_BLOCK_09 \
        CONTRACT_BLOCK_10 CONTRACT_BLOCK_11 CONTRACT_BLOCK_12

#ifndef RC_INVOKED
static_assert(sizeof(CONTRACT_TEXT_255) - 1 == 255, "length in the name");
static_assert(sizeof(CONTRACT_TEXT_256) - 1 == 256, "length in the name");
static_assert(sizeof(CONTRACT_TEXT_600) - 1 == 600, "length in the name");
#endif
