// The byte-count text (byte_count.h). Digits are written by hand rather than with sprintf, which
// would pull the C runtime's whole formatter into setup.exe for four short figures.
#include "folders/byte_count.h"

namespace {

// Writes `value` in decimal followed by `unit` (none when 0) and a terminator: at most 10 digits,
// the unit and the NUL, so 12 bytes.
void WriteFigure(uint32_t value, char unit, char* out) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = char('0' + value % 10);
    value /= 10;
  } while (value != 0);
  int length = 0;
  while (count > 0)
    out[length++] = digits[--count];
  if (unit != '\0') out[length++] = unit;
  out[length] = '\0';
}

// A quotient taken as a signed 32-bit figure, as the text is defined: the wrap of a quotient of
// 2^31 or more is on purpose. Through uint32_t, as int64 to int32 is the compiler's choice.
int32_t AsFigure(int64_t quotient) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(quotient)));
}

}  // namespace

char* FormatByteCount(int64_t n, char* out) {
  // A count that no step below writes (a negative one, or one beyond 2^61 whose every quotient
  // wraps to 0 or below) leaves the empty text rather than whatever `out` held.
  out[0] = '\0';
  const int32_t qK = AsFigure(n / 1024);
  const int32_t qM = AsFigure(n / 1048576);
  const int32_t qG = AsFigure(n / 1073741824);
  if (n >= 0 && n < 1024) WriteFigure(uint32_t(n), '\0', out);
  if (qK > 0) WriteFigure(uint32_t(qK), 'K', out);
  if (qM > 0) WriteFigure(uint32_t(qM), 'M', out);
  if (qG > 0) WriteFigure(uint32_t(qG), 'G', out);
  return out;
}

uint32_t ProgressPercent(uint32_t written, uint32_t total) {
  if (total == 0) return 0;
  // written = whole * total + rest, so written * 100 / total = whole * 100 + rest * 100 / total,
  // and both sides wrap alike beyond 32 bits.
  uint32_t percent = written / total * 100;
  const uint32_t rest = written % total;
  // rest * 100 / total, below 100: rest is added a hundred times to a sum kept below total, and
  // each time the sum reaches total, total is taken off and the quotient counts one more. Two
  // figures below total can add up past 32 bits; such a sum has reached total, and taking total
  // off wraps back to the true remainder.
  uint32_t sum = 0;
  for (int step = 0; step < 100; ++step) {
    const uint32_t next = sum + rest;
    if (next < sum || next >= total) {
      sum = next - total;
      ++percent;
    } else {
      sum = next;
    }
  }
  return percent;
}
