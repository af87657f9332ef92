// Fixed measures and colours of the main view.
#pragma once

#include "Picture.h"

namespace view {

inline constexpr ColorRef kBackground = MakeColorRef(127, 127, 127);
// Space between the image and the edge of the image area when the frame is drawn.
inline constexpr int kFrameMargin = 9;
inline constexpr int kFramePad = 2 * kFrameMargin;
inline constexpr int kMinWidth = 400;
inline constexpr int kMinHeight = 340;
// The window must fit into the screen height minus this to stay at 100 %.
inline constexpr int kScreenReserve = 26;
inline constexpr int kScaledReserveX = 10;
inline constexpr int kScaledReserveY = 36;
// A centred window sits this much above the true centre.
inline constexpr int kCentreShift = 13;
inline constexpr int kStatusPartEdges[] = {110, 150, 210, -1};
inline constexpr int kStatusParts = 4;

} // namespace view
