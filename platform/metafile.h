#pragma once
// Windows metafiles as VB6 keeps them in forms (WMF with or without the placeable header, and
// EMF), drawn on a transparent background by a small player of our own: pens, brushes, lines,
// polygons, rectangles, ellipses, arcs, paths and bitmaps. Text, clipping regions and fonts are
// not drawn; a picture that is mostly text comes out mostly empty.
#include <optional>
#include <string>
#include <string_view>

#include "platform/picture.h"

namespace gildex::platform {

// Whether `bytes` begin as a WMF (placeable or not) or an EMF.
bool IsMetafile(std::string_view bytes);
// The picture of the metafile `bytes` at 96 dots an inch (no side above 2048); nothing, and
// `problem` says why, for damaged data.
std::optional<RgbaImage> DrawMetafile(std::string_view bytes, std::string& problem);

}  // namespace gildex::platform
