// 16- and 32-bit little-endian fields of file headers.
#pragma once

#include <cstdint>

inline std::uint32_t GetLittle16(const std::uint8_t* p)
{
    return std::uint32_t(p[0] | (p[1] << 8));
}

inline void PutLittle16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

inline std::uint32_t GetLittle32(const std::uint8_t* p)
{
    return GetLittle16(p) | (GetLittle16(p + 2) << 16);
}

inline void PutLittle32(std::uint8_t* p, std::uint32_t v)
{
    PutLittle16(p, v);
    PutLittle16(p + 2, v >> 16);
}
