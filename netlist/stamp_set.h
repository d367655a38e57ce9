// Component time stamps derived from references: the 32-bit FNV-1a hash of
// the reference's written bytes, made unique in output order by counting up
// from a hash that an earlier component already holds.  The set of stamps
// taken is a fixed open-addressing table sized for every part the model
// can hold.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t { FNV1A_OFFSET = 0x811C9DC5u, FNV1A_PRIME = 0x01000193u };

// Feeds bytes into a running 32-bit FNV-1a hash (start from FNV1A_OFFSET).
inline uint32_t fnv1a(uint32_t hash, const char* bytes, size_t len) {
  for (size_t i = 0; i < len; i++) {
    hash ^= static_cast<unsigned char>(bytes[i]);
    hash *= FNV1A_PRIME;
  }
  return hash;
}

// Forgets every stamp taken.
void clearStampSet();

// Takes the first stamp from `hash` upward (wrapping past 0xFFFFFFFF) that
// is not yet taken, and returns it.
uint32_t takeStamp(uint32_t hash);
