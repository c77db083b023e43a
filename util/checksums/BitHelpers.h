// Bit fields, bit counts, bit reversal and small numeric helpers.
#pragma once

#include <keelward/Base.h>

namespace keelward {

// Bit fields number bits from the most significant end: bit 0 is the top bit of the
// word, bit 31 the lowest. A field covers bits offset to offset + width - 1.

// The field, right-aligned. A width of 0, or a field running past bit 31, gives 0.
UInt32 GetBits(UInt32 value, UInt32 offset, UInt32 width);
// `value` with the field replaced by the same bits of `newBits`; the new bits are
// taken at the field's own position, not right-aligned. A width of 0, or a field
// running past bit 31, returns `value` unchanged.
UInt32 SetBits(UInt32 value, UInt32 offset, UInt32 width, UInt32 newBits);

// Number of one bits.
UInt32 CountBits(UInt32 value);
// Number of one bits, in constant time (parallel sum).
UInt32 CountBits2(UInt32 value);
UInt32 CountBits64(UInt64 value);

// Zero bits above the highest one bit; 32 for 0.
UInt32 CountLeadingZeroBits(UInt32 value);
// Zero bits below the lowest one bit; 32 for 0.
UInt32 CountTrailingZeroBits(UInt32 value);

// The low 8 or 16 bits, or all bits, in reverse order (bit 0 becomes the top bit).
UInt8 ReverseBits8(UInt32 value);
UInt16 ReverseBits16(UInt32 value);
UInt32 ReverseBits32(UInt32 value);
UInt64 ReverseBits64(UInt64 value);

// floor(value / step + 0.5) * step: halves round toward positive infinity.
double RoundTo(double value, double step);

// The integer spelled by `count` packed BCD bytes, most significant first. Nibbles
// above 9 count with their value; ten digits or more wrap modulo 2^32.
SInt32 BCDToInteger(const void* bcd, UInt32 count);

// A pseudo-random number (from rand) from `low` to `high`, both included, reduced to
// 16 bits. Bounds given in the wrong order are swapped. A range of more than 65536
// numbers yields low + r for a 16-bit random r, which still lies inside the range.
UInt16 RangedRandom(SInt32 low, SInt32 high);

// `value` mapped linearly from [sourceLow, sourceHigh] onto [targetLow, targetHigh],
// computed in single precision and truncated toward zero; not clamped to the target.
// An empty source range gives `targetLow`; a product beyond 32 bits saturates.
SInt32 TranslateValue(SInt32 sourceLow, SInt32 sourceHigh, SInt32 value, SInt32 targetLow, SInt32 targetHigh);

}  // namespace keelward
