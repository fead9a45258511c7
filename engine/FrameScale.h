#pragma once

// The one scale the player does on nearly every frame: a 1920 x 1080 front camera into the
// 960 x 540 video area. Averaging each 2 x 2 block is both sharper than a bilinear tap and several
// times cheaper than libswscale's general path, so exact halving has its own loop.

#include <cstdint>

// dst (dw x dh) := the rounded mean of each 2 x 2 block of src, which must hold 2*dw x 2*dh.
void HalvePlane(const std::uint8_t* src, int srcPitch, std::uint8_t* dst, int dstPitch, int dw, int dh);
