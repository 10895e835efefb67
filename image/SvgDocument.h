// SVG documents (*.svg, *.svgz) as icons. The core reads the file, unpacks a
// gzip one, and checks that drawing it stays bounded; the drawing itself is
// done by a renderer that the program installs (the window and quelo-pack use
// Qt's SVG module), so this folder needs no graphics library. Without one, SVG
// files are refused with a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quelo {

// The largest SVG file read, and the largest document a gzip file may unpack to.
constexpr size_t kMaxSvgBytes = size_t{8} * 1024 * 1024;
// Elements nested deeper than this are refused (renderers draw them recursively).
constexpr int32_t kMaxSvgDepth = 128;
// Elements drawn, counting every copy a <use> makes, at most.
constexpr int64_t kMaxSvgElements = 100000;
// The largest side a document may declare, in pixels.
constexpr double kMaxSvgDeclaredSide = 16384;
// A document shown at its own size is capped at this many pixels a side.
constexpr int32_t kMaxSvgOwnSide = 256;

enum class SvgProblem { None, NotSvg, TooLarge, Entities, TooDeep, TooManyElements, ReferenceLoop };

// Checks a document before it is drawn: no entity declarations (their
// expansion has no bound), nesting, and the number of elements drawn with
// <use> copies expanded (which can grow exponentially).
SvgProblem CheckSvgDocument(const uint8_t* data, size_t size);

// The message for a problem, in the user's language.
std::string SvgProblemText(SvgProblem problem);

// Unpacks gzip data (an *.svgz file) into out; false when it is damaged or
// would unpack to more than limit bytes.
bool InflateGzip(const uint8_t* data, size_t size, size_t limit, std::vector<uint8_t>& out);

class ISvgRenderer {
 public:
  enum class Result { Drawn, Invalid, TooLarge };
  virtual ~ISvgRenderer() = default;
  // Draws a checked document into straight-alpha RGBA rows. side > 0: fitted
  // into a square of that side keeping its proportions; side 0: at the
  // document's own size, fitted into ownSideCap when larger. TooLarge when the
  // document declares a side over kMaxSvgDeclaredSide.
  virtual Result Render(const std::vector<uint8_t>& document, int32_t side, int32_t ownSideCap, int32_t& width,
                        int32_t& height, std::vector<uint8_t>& rgba) = 0;
};

// One document read and drawn: the picture, or the message that refuses it.
struct SvgPicture {
  std::string problem;  // in the user's language; empty when drawn
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgba;
};

// Unpacks (gzip), checks and draws the bytes of an *.svg or *.svgz file with the
// installed renderer, fitted into side (0: the document's own size, capped).
// Touches nothing shared but the renderer, so a loader may draw several
// documents at once on threads of its own.
SvgPicture DrawSvgDocument(const uint8_t* data, size_t size, int32_t side);

// The renderer SVG files go through; nullptr (the default) refuses them.
void SetSvgRenderer(ISvgRenderer* renderer);
ISvgRenderer* InstalledSvgRenderer();

}  // namespace quelo
