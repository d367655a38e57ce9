// A set of reference texts with a number each (a part's or a report row's
// position): an open-addressing hash table of pointers to the records' own
// texts.  Each fill sizes the table to what it will hold, so a small board
// touches and clears only a small table.
#pragma once

#include <cstdint>

#include "netlist/model.h"

// Empties the set and makes room for `capacity` texts (at most MAX_PARTS).
void startReferenceSet(int capacity);

// Adds a text with its number and returns true; a text already in the set
// keeps its first number (returns false).  The text must stay in place
// while the set is used.
bool addToReferenceSet(const char* text, int number);

// The number the text was added with, or -1.
int findInReferenceSet(const char* text);
// Adding and finding with a hash the caller computes: every text of one
// fill must then be added and found with hashes of one function, under
// which equal texts hash alike.  The calls without a hash use
// hashText(HASH_START, text) (netlist/group_sort.h).
bool addToReferenceSet(const char* text, int number, uint32_t hash);
int findInReferenceSet(const char* text, uint32_t hash);

// Empties the set and adds the references of parts[0..count), numbered by
// position.
void fillReferenceSet(const PartRecord* parts, int count);

// Whether a part added by the last fill carries exactly this reference.
bool referenceSetHas(const char* reference);
