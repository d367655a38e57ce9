// The byte class table of the netlist writer's texts.
#include "netlist/text_class.h"

#include <initializer_list>

namespace {

constexpr TextByteClasses makeClasses() {
  TextByteClasses t{};
  for (int c = 0x80; c < 256; c++) t.of[c] = TEXT_NON_ASCII;
  for (unsigned char c : {' ', '\t', '(', ')'}) t.of[c] = TEXT_BREAKS_TOKEN;
  for (unsigned char c : {'\r', '\n'}) t.of[c] = TEXT_BREAKS_TOKEN | TEXT_NEEDS_ESCAPE;
  for (unsigned char c : {'\\', '"'}) t.of[c] = TEXT_NEEDS_ESCAPE;
  return t;
}

}  // namespace

extern const TextByteClasses textByteClasses = makeClasses();
