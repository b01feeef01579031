// Fixed maximum sizes of the problem model's tables.
#pragma once

#include <array>
#include <cstdint>

namespace scarpex {

inline constexpr int32_t kMaxBoundaries = 100;
inline constexpr int32_t kMaxSoils = 20;
inline constexpr int32_t kMaxPiezoSurfaces = 10;
inline constexpr int32_t kMaxPiezoPoints = 40;
inline constexpr int32_t kMaxLoads = 50;
inline constexpr int32_t kMaxTies = 10;
inline constexpr int32_t kMaxReinfLayers = 50;
inline constexpr int32_t kMaxReinfPoints = 40;
inline constexpr int32_t kMaxAnisoEntries = 10;
inline constexpr int32_t kMaxAnisoRanges = 10;
inline constexpr int32_t kMaxLimits = 20;
inline constexpr int32_t kMaxBoxes = 10;
inline constexpr int32_t kMaxSurfacePoints = 100;
inline constexpr int32_t kMaxSliceEdges = 200;
inline constexpr int32_t kMaxSlices = kMaxSliceEdges - 1;
inline constexpr int32_t kListSlots = 13;  // slots 0 to 12 of the most-critical list

// Tables are indexed from 1, as the input language counts; element 0 is unused.
template <typename T, int32_t N>
using Table = std::array<T, static_cast<std::size_t>(N) + 1>;
template <typename T, int32_t Rows, int32_t Cols>
using Table2 = std::array<Table<T, Cols>, static_cast<std::size_t>(Rows) + 1>;

}  // namespace scarpex
