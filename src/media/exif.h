#pragma once

// The two things the picture slots need from a JPEG's metadata (APP1 segments before the scan
// data): which way up the picture stands, and taking the location out. Both read untrusted
// bytes: every offset and count is checked against the segment it lies in, both byte orders
// are read, and a damaged block never stops a picture from being used.

#include <string>
#include <string_view>

#include "media/image.h"

namespace tellvaro::media {

// The orientation tag (1 to 8) of the first EXIF block; 1 when there is none, it holds another
// value, or the block is damaged.
int exif_orientation(std::string_view jpeg);

// Takes the GPS entries out of every EXIF block of every picture in the file (phones store a
// second picture after the first) in place: the pointer to the GPS directory is removed from
// its directory, and the GPS directory with its values is overwritten with zeros. A block whose
// first directory cannot be read is zeroed whole (a lenient reader might still find a position
// in it). In XMP packets, extended ones included, the values of the properties that hold a
// position (names starting with "GPS" or naming a latitude or longitude, in any letter case)
// are overwritten with blanks. The file keeps its length, and every byte outside these segments, the
// compressed picture included, stays as it is. True when something was taken out.
bool remove_location(std::string& jpeg);

// Decodes by content (see decode) and turns a JPEG's pixels upright by its orientation tag.
// `min_size` is meant upright.
Image decode_upright(std::string_view bytes, Size min_size = {});

}  // namespace tellvaro::media
