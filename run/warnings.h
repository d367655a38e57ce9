// Warning lines of the result text: one line per kind of loss that the run
// noted, in the current language, each with its count and first example.
#pragma once

// Appends one warning line per kind of loss noted since the run began.
void appendLossWarnings();

// The message that replaces "Format error" when the reader stopped at its
// read limit: the input is too long, not of the wrong format.
const char* inputTooLongText();
