// Category part file and index (placeholder: an empty index).
#include "run/category.h"

IndexEntry categoryIndex[MAX_INDEX + 1];
int indexCount;

void bindCategoryIndex() { indexCount = 0; }
void clearTextPool() {}
const char* storeInTextPool(const char*, size_t) { return emptyText; }
void loadCategoryIndex(ByteSource*, const char*) { indexCount = 0; }
int writeDuplicateIndexLines(TextOut*) { return 0; }
