// The conversion run: one call converts the input netlist named in the
// option store into a KiCad netlist and a numbered report, and leaves its
// outcome in the result text.
#pragma once

void runConversion();

// Appends text to the result text; appending stops at 9999 characters.
void appendResult(const char* text);
