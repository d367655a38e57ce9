// Stable merge sort on record arrays with caller-owned scratch space.
//
// Every sort in the program is stable: records with equal keys keep their
// order, so the same input gives the same bytes on every platform.  The
// scratch array is allocated once beside the table it serves, so sorting
// never allocates.
#pragma once

// Sorts records[0..count) by `less` using scratch[0..count).
template <typename Record, typename Less>
void stableSort(Record* records, int count, Record* scratch, Less less) {
  // Short runs by insertion sort, then bottom-up merging.
  const int run = 16;
  for (int start = 0; start < count; start += run) {
    int end = start + run < count ? start + run : count;
    for (int i = start + 1; i < end; i++) {
      Record item = records[i];
      int j = i;
      while (j > start && less(item, records[j - 1])) {
        records[j] = records[j - 1];
        j--;
      }
      records[j] = item;
    }
  }
  Record* from = records;
  Record* to = scratch;
  for (int width = run; width < count; width *= 2) {
    for (int left = 0; left < count; left += 2 * width) {
      int mid = left + width < count ? left + width : count;
      int right = left + 2 * width < count ? left + 2 * width : count;
      int i = left, j = mid, k = left;
      while (i < mid && j < right) to[k++] = less(from[j], from[i]) ? from[j++] : from[i++];
      while (i < mid) to[k++] = from[i++];
      while (j < right) to[k++] = from[j++];
    }
    Record* swap = from;
    from = to;
    to = swap;
  }
  if (from != records)
    for (int i = 0; i < count; i++) records[i] = from[i];
}
