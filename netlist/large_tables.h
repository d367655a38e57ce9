// Where the large zero-initialised tables live.
//
// On ELF systems each large table goes to a section of its own after the
// ordinary zero-initialised data, so that nothing the C library touches
// while starting shares its 2 MB stretches: the run asks for huge pages
// there before the first touch (run/platform.h's prepareTableMemory), and
// every stretch then costs one fault.  The rank orders the sections when
// the command-line program is linked with sections sorted by name:
//   0  the text pool, which starts a stretch and is filled from its end
//      down: its last 97 KB share the next stretch with
//   1  the tables every run touches a little (settings, read buffers, hash
//      slots, the index and the previous report's rows), together under
//      1.82 MB, and
//   2  the text buffer, whose start (all that a line-by-line reader uses)
//      takes the last 87 KB of that stretch, so that a small board finds
//      all three in one stretch;
//   4  the record tables, from a stretch of their own;
//   5  buffers that only some runs use (format detection, the numbered
//      copy), and 6 tables only tools and tests use, last, so that the rest
//      stays dense.
// Elsewhere the tables are ordinary zero-initialised data.
#pragma once

#if defined(__ELF__)
#define LARGE_TABLE(rank) __attribute__((section(".lbss." #rank)))
// A table that starts a 2 MB stretch of its own: one that a run uses only
// from its start, so that its untouched rest and its neighbour's share none.
#define LARGE_TABLE_ALIGNED(rank) __attribute__((section(".lbss." #rank), aligned(2 * 1024 * 1024)))
#else
#define LARGE_TABLE(rank)
#define LARGE_TABLE_ALIGNED(rank)
#endif
