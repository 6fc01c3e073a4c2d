// The license agreement shown in the agreement dialog (control 1018): plain
// ASCII, the same in every language, paragraphs separated by CR LF.
#pragma once

extern const char kAgreementText[];
// The agreement dialog's caption, as its template (143) gives it.
extern const char kAgreementCaption[];
