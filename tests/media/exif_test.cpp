#include "media/exif.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

#include "support/pictures.h"

using namespace tellvaro::media;
using namespace tellvaro::media::testing;

namespace {

const std::string& plain_jpeg() {
  static const std::string jpeg = make_jpeg(32, 24, 10);
  return jpeg;
}

// A little-endian block with its first directory at `first`, holding `count` entries of which
// the first is the orientation `value` of `type`.
std::string block(std::uint32_t first, std::uint16_t count, std::uint16_t type,
                  std::uint16_t value) {
  std::string s = "II*";
  s += '\0';
  for (int i = 0; i < 4; ++i) s += static_cast<char>(first >> (8 * i) & 0xFF);
  s += static_cast<char>(count & 0xFF);
  s += static_cast<char>(count >> 8);
  s += std::string("\x12\x01", 2);
  s += static_cast<char>(type);
  s += std::string("\0\1\0\0\0", 5);
  s += static_cast<char>(value);
  s += std::string("\0\0\0", 3);
  s += std::string(4, '\0');  // no next directory
  return s;
}

}  // namespace

TEST(Exif, OrientationInBothByteOrders) {
  EXPECT_EQ(exif_orientation(plain_jpeg()), 1);
  for (bool big : {false, true}) {
    for (int value = 1; value <= 8; ++value) {
      EXPECT_EQ(exif_orientation(with_exif(plain_jpeg(), make_exif(big, value, value % 2))), value)
          << (big ? "MM " : "II ") << value;
    }
  }
}

TEST(Exif, DamagedBlocksMeanNoOrientation) {
  const std::string good = block(8, 1, 3, 6);
  ASSERT_EQ(exif_orientation(with_exif(plain_jpeg(), good)), 6);
  std::string wrong_order = good;
  wrong_order[0] = wrong_order[1] = 'X';
  std::string not_tiff = good;
  not_tiff[2] = 43;
  struct Case {
    const char* what;
    std::string tiff;
  } cases[] = {
      {"empty", ""},
      {"cut header", "II*"},
      {"no byte order", wrong_order},
      {"not 42", not_tiff},
      {"directory beyond the block", block(4000, 1, 3, 6)},
      {"directory at the block's end", block(static_cast<std::uint32_t>(good.size()), 1, 3, 6)},
      {"offset wrapping around", block(0xFFFFFFF0u, 1, 3, 6)},
      {"count beyond the block", block(8, 0xFFFF, 3, 6)},
      {"cut entry", good.substr(0, 16)},
      {"orientation as long", block(8, 1, 4, 6)},
      {"orientation 9", block(8, 1, 3, 9)},
      {"orientation 0", block(8, 1, 3, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string jpeg = with_exif(plain_jpeg(), c.tiff);
    EXPECT_EQ(exif_orientation(jpeg), 1);
    const std::string scan = scan_data(jpeg);
    remove_location(jpeg);
    EXPECT_EQ(scan_data(jpeg), scan);
    EXPECT_EQ(decode_upright(jpeg).size(), (Size{32, 24}));
  }
  // A segment cut off by the file's end, and one whose length is less than its own header.
  std::string cut = with_exif(plain_jpeg(), good).substr(0, 20);
  EXPECT_EQ(exif_orientation(cut), 1);
  EXPECT_FALSE(remove_location(cut));
  std::string short_segment = "\xFF\xD8\xFF\xE1";
  short_segment += std::string("\0\1Exif\0\0", 8);
  EXPECT_EQ(exif_orientation(short_segment), 1);
  EXPECT_FALSE(remove_location(short_segment));
}

TEST(Exif, LocationGoesEverythingElseStays) {
  for (bool big : {false, true}) {
    SCOPED_TRACE(big ? "MM" : "II");
    const std::string original = with_exif(plain_jpeg(), make_exif(big, 6, true));
    ASSERT_NE(original.find(exif_latitude(big)), std::string::npos);
    std::string jpeg = original;
    EXPECT_TRUE(remove_location(jpeg));
    EXPECT_EQ(jpeg.size(), original.size());
    EXPECT_EQ(jpeg.find(exif_latitude(big)), std::string::npos);
    EXPECT_EQ(exif_orientation(jpeg), 6);
    EXPECT_NE(jpeg.find("Tellfon"), std::string::npos);
    EXPECT_EQ(scan_data(jpeg), scan_data(original));
    // The directory still reads, without a pointer to GPS data: nothing left to take out.
    EXPECT_FALSE(remove_location(jpeg));
  }
  std::string no_gps = with_exif(plain_jpeg(), make_exif(false, 3, false));
  const std::string kept = no_gps;
  EXPECT_FALSE(remove_location(no_gps));
  EXPECT_EQ(no_gps, kept);
}

TEST(Exif, BrokenGpsPointersAreRemovedSafely) {
  // The GPS pointer of a block with orientation 8 aims outside the block, and in another at the
  // directory itself: the pointer goes, the orientation stays.
  for (std::uint32_t target : {0xFFFFFFF0u, 8u}) {
    std::string tiff = make_exif(false, 8, true);
    const std::size_t pointer = 8 + 2 + 2 * 12 + 8;  // third entry's value
    ASSERT_EQ(static_cast<unsigned char>(tiff[pointer - 8]), 0x25);
    for (int i = 0; i < 4; ++i) tiff[pointer + i] = static_cast<char>(target >> (8 * i) & 0xFF);
    std::string jpeg = with_exif(plain_jpeg(), tiff);
    const std::string scan = scan_data(jpeg);
    EXPECT_TRUE(remove_location(jpeg)) << target;
    EXPECT_EQ(scan_data(jpeg), scan);
    if (target != 8) {
      EXPECT_EQ(exif_orientation(jpeg), 8);
    }
  }
  // An unreadable first directory may still hide a position: the block is zeroed whole.
  std::string tiff = make_exif(true, 6, true);
  tiff[9] = '\xFF';  // 255 entries
  std::string jpeg = with_exif(plain_jpeg(), tiff);
  EXPECT_TRUE(remove_location(jpeg));
  EXPECT_EQ(jpeg.find(exif_latitude(true)), std::string::npos);
  EXPECT_EQ(jpeg.size(), with_exif(plain_jpeg(), tiff).size());
  EXPECT_EQ(decode_upright(jpeg).size(), (Size{32, 24}));
}

TEST(Exif, PositionInAnXmpPacketIsBlanked) {
  // As a photo editor writes it (exiftool made the file): elements in the exif namespace.
  const std::string edited =
      tellvaro::test::read_file(TELLVARO_MEDIA_DATA "/edited-xmp-gps.jpg");
  ASSERT_NE(edited.find("<exif:GPSLatitude>52,31.2005N</exif:GPSLatitude>"), std::string::npos);
  std::string jpeg = edited;
  EXPECT_TRUE(remove_location(jpeg));
  EXPECT_EQ(jpeg.size(), edited.size());
  EXPECT_EQ(scan_data(jpeg), scan_data(edited));
  for (const char* gone : {"52,31", "13,24", "34/1"}) {
    EXPECT_EQ(jpeg.find(gone), std::string::npos) << gone;
  }
  EXPECT_NE(jpeg.find("<exif:GPSLatitude>"), std::string::npos);  // the markup still reads
  EXPECT_NE(jpeg.find("Lampe aus Messing"), std::string::npos);
  EXPECT_NE(jpeg.find("Fotobearbeitung 3"), std::string::npos);
  EXPECT_FALSE(remove_location(jpeg));

  // Attributes, another prefix, and names that only look alike.
  const std::string packet =
      "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:Description xmlns:GPSx='urn:gps'"
      " e:GPSLongitude = \"13,24.3E\" e:GPSAltitudeRef='0' note='e:GPSLatitude=1'"
      " xmp:Label='GPS 4'/><e:GPSLatitude/><e:GPSLatitude>cut";
  const std::string payload = std::string("http://ns.adobe.com/xap/1.0/\0", 29) + packet;
  std::string segment = "\xFF\xE1";
  segment += static_cast<char>((payload.size() + 2) >> 8);
  segment += static_cast<char>((payload.size() + 2) & 0xFF);
  jpeg = plain_jpeg().substr(0, 2) + segment + payload + plain_jpeg().substr(2);
  const std::string before = jpeg;
  EXPECT_TRUE(remove_location(jpeg));
  EXPECT_EQ(jpeg.size(), before.size());
  EXPECT_EQ(jpeg.find("13,24.3E"), std::string::npos);
  EXPECT_NE(jpeg.find("e:GPSLongitude = \"        \""), std::string::npos);
  EXPECT_NE(jpeg.find("e:GPSAltitudeRef=' '"), std::string::npos);
  EXPECT_NE(jpeg.find("xmlns:GPSx='urn:gps'"), std::string::npos);
  EXPECT_NE(jpeg.find("xmp:Label='GPS 4'"), std::string::npos);
  EXPECT_EQ(scan_data(jpeg), scan_data(before));
  EXPECT_EQ(decode(jpeg).rgb, decode(before).rgb);
}

namespace {

// One APP1 segment right after the start marker of `jpeg`.
std::string with_app1(const std::string& jpeg, const std::string& payload) {
  std::string segment = "\xFF\xE1";
  segment += static_cast<char>((payload.size() + 2) >> 8);
  segment += static_cast<char>((payload.size() + 2) & 0xFF);
  return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

}  // namespace

// Where phones and drones put a position the first reading missed: the second picture of a
// file (a picture and its large preview, one after the other), a packet of extended XMP split
// over two segments (the value cut between them), and a drone's own names in mixed case. Each
// is taken out; the compressed pictures stay byte for byte.
TEST(Exif, EveryPictureOfTheFileExtendedXmpAndPositionNamesInAnyCaseLoseTheirPosition) {
  // A second picture with GPS of its own after the first.
  const std::string first = with_exif(plain_jpeg(), make_exif(false, 6, false));
  const std::string second = with_exif(make_jpeg(16, 8), make_exif(true, 1, true));
  std::string two = first + second;
  ASSERT_NE(two.find(exif_latitude(true)), std::string::npos);
  EXPECT_TRUE(remove_location(two));
  EXPECT_EQ(two.size(), first.size() + second.size());
  EXPECT_EQ(two.find(exif_latitude(true)), std::string::npos);
  EXPECT_EQ(two.substr(0, first.size()), first);
  EXPECT_EQ(scan_data(two.substr(first.size())), scan_data(second));
  EXPECT_EQ(exif_orientation(two), 6);

  // Extended XMP: the main packet points at it, the position sits in the extension, its value
  // cut between the two pieces.
  const std::string extension =
      "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF><rdf:Description>"
      "<exif:GPSLatitude>52,31.2005N</exif:GPSLatitude><exif:GPSLongitude>13,24.3E"
      "</exif:GPSLongitude><dc:title>Lampe</dc:title></rdf:Description></rdf:RDF></x:xmpmeta>";
  const std::size_t cut = extension.find("31.2005N");
  const std::string id(32, 'A');
  const auto piece = [&](std::size_t from, std::size_t n) {
    std::string p = std::string("http://ns.adobe.com/xmp/extension/\0", 35) + id;
    for (std::uint32_t v : {std::uint32_t(extension.size()), std::uint32_t(from)})
      for (int shift = 24; shift >= 0; shift -= 8) p += static_cast<char>(v >> shift & 0xFF);
    return p + extension.substr(from, n);
  };
  std::string extended = with_app1(
      with_app1(with_app1(plain_jpeg(), piece(cut, std::string::npos)), piece(0, cut)),
      std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
          "<x:xmpmeta><rdf:Description xmpNote:HasExtendedXMP='" + id + "'/></x:xmpmeta>");
  const std::string before = extended;
  EXPECT_TRUE(remove_location(extended));
  EXPECT_EQ(extended.size(), before.size());
  for (const char* gone : {"52,", "31.2005N", "13,24.3E"})
    EXPECT_EQ(extended.find(gone), std::string::npos) << gone;
  EXPECT_NE(extended.find("<dc:title>Lampe</dc:title>"), std::string::npos);
  EXPECT_NE(extended.find(id), std::string::npos);
  EXPECT_EQ(scan_data(extended), scan_data(before));

  // A drone's names: mixed case, and a latitude by its name alone.
  std::string drone = with_app1(
      plain_jpeg(), std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
                        "<rdf:Description drone-dji:GpsLatitude=\"52.520008\" "
                        "drone-dji:GpsLongtitude=\"13.404954\" drone-dji:gpslongitude='13.40' "
                        "Camera:Latitude='52.52' drone-dji:FlightYawDegree=\"+12.3\"/>");
  const std::string flown = drone;
  EXPECT_TRUE(remove_location(drone));
  for (const char* gone : {"52.520008", "13.404954", "13.40'", "52.52'"})
    EXPECT_EQ(drone.find(gone), std::string::npos) << gone;
  EXPECT_NE(drone.find("drone-dji:FlightYawDegree=\"+12.3\""), std::string::npos);
  EXPECT_EQ(scan_data(drone), scan_data(flown));
}
