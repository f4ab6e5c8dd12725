// A device context that writes what the charts draw as an SVG 1.1 document:
// lines, poly-lines, circles, rectangles and text become elements appended
// to a text buffer, one per line ended by CR LF.
#pragma once

#include <string>

#include <winkit/vgr.h>

namespace ombrix_lc {

class CSVGContext : public vgr::CDeviceContext {
 public:
  // Starts a document of width x height pixels in output (not owned): the
  // XML declaration, the document type, the svg element and the style block
  // of the three font classes.
  void BeginDocument(std::string& output, int width, int height);
  // Closes the svg element; nothing is written afterwards.
  void EndDocument();

  void SetGCInkColor(vcolor::TColor c) override;
  void SetGCInkWidth(int width) override;
  void SetGCPaperColor(vcolor::TColor c) override;
  void SetGCFont(const vfont::CFont* font) override;
  // The text's characters &, < and > are written as entities (names come from
  // other observers and the VSX), control characters are left out.
  void OutTextXY(int x, int y, int length, const char* text) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void PolyLine(int count, const int* xs, const int* ys) override;
  void Circle(int x, int y, int r) override;
  void CircleFill(int x, int y, int r, bool outlined) override;
  void Rectangle(int x, int y, int width, int height) override;

  const std::string& InkText() const { return ink; }
  const std::string& FontClass() const { return fontClass; }

 private:
  void Append(const std::string& text);

  std::string* out = nullptr;              // the document, not owned
  std::string ink = "rgb(0,0,0)";          // stroke colour
  std::string inkWidth = "1px";            // stroke width
  std::string paper = "rgb(255,255,255)";  // fill colour
  std::string fontClass = "normal";        // class of text elements
};

// "rgb(r,g,b)" of a colour; the alpha byte is ignored.
std::string SVGColour(vcolor::TColor colour);
// The style class of a font: "title" above 12 pixels, "bold" from weight
// 600, else "normal" (also for no font).
const char* SVGFontClass(const vfont::CFont* font);
// Text with &, < and > as entities and control characters dropped.
std::string SVGEscape(int length, const char* text);

}  // namespace ombrix_lc
