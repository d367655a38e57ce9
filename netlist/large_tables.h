// Where the large zero-initialised tables live.
//
// On ELF systems each large table goes to a section of its own after the
// ordinary zero-initialised data, so that nothing the C library touches
// while starting shares its 2 MB stretches: the run asks for huge pages
// there before the first touch (run/platform.h's prepareTableMemory), and
// every stretch then costs one fault.  The rank orders the sections when
// the command-line program is linked with sections sorted by name: first
// the tables every run touches a little (settings, read buffers, hash
// slots, the index and previous report rows), so that a small board finds
// them in one stretch, then the text buffer, the text pool and last the
// record tables.  Elsewhere the tables are ordinary zero-initialised data.
#pragma once

#if defined(__ELF__)
#define LARGE_TABLE(rank) __attribute__((section(".lbss." #rank)))
#else
#define LARGE_TABLE(rank)
#endif
