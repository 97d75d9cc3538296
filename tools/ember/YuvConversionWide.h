// The wide copies of the Y'CbCr conversion (YuvConversionWide.cpp), for YuvConversion.cpp
// to choose from at run time. Each converts whole groups of thirty-two pixels and returns
// how many pixels it converted; only the processor that has the instructions may call
// them, and only an x86-64 build defines them.
#pragma once

#include <cstddef>
#include <cstdint>

size_t argbToYuvGroupsAvx2(const uint32_t* argb, size_t count, uint8_t* y, uint8_t* cb,
                           uint8_t* cr);
size_t rgb565ToYuvGroupsAvx2(const uint16_t* rgb565, size_t count, uint8_t* y, uint8_t* cb,
                             uint8_t* cr);
size_t argbToYuvGroupsAvx512(const uint32_t* argb, size_t count, uint8_t* y, uint8_t* cb,
                             uint8_t* cr);
size_t rgb565ToYuvGroupsAvx512(const uint16_t* rgb565, size_t count, uint8_t* y, uint8_t* cb,
                               uint8_t* cr);
