// The difference of two state images of one size as a packed XOR: the runs
// of bytes that differ, each after the count of equal bytes before it. XOR
// works both ways, so applying a delta to either image gives the other;
// equal stretches (most of a frame's state) cost two bytes or less.
//
// Packed form: pairs of LEB128 numbers (equal bytes to skip, bytes that
// differ) each followed by that many XOR bytes; the bytes after the last
// run are equal.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Appends the delta of `a` and `b` (`size` bytes each) to `out`.
void PackStateDelta(const uint8_t* a, const uint8_t* b, size_t size, std::vector<uint8_t>* out);
// XORs a packed delta into `image` (`size` bytes). False, with the image
// partly changed, when the delta reaches past its end.
bool ApplyStateDelta(const uint8_t* delta, size_t delta_size, uint8_t* image, size_t size);
