#include "install/web_address.h"

namespace {

// Compares the start of `text` with the lower-case ASCII `prefix`, ignoring letter case.
bool StartsWithFolded(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix) {
    char c = *text;
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != *prefix) return false;  // also stops at the end of a shorter text
  }
  return true;
}

}  // namespace

bool IsWebAddress(const char* target) {
  return StartsWithFolded(target, "http://") || StartsWithFolded(target, "https://");
}
