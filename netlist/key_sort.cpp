// Key items shared by every sort of the run.
#include "netlist/key_sort.h"

SortItem sortItems[MAX_NODES + 1];
SortItem sortItemScratch[MAX_NODES + 1];
