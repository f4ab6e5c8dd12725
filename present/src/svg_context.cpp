// SVG drawing context: each drawing operation becomes one element.
#include "ombrix_present/svg_context.h"

#include <string>

namespace ombrix_lc {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr int kNormalFontHeight = 12;
constexpr int kBoldWeight = 600;

std::string Attribute(const char* name, int value) {
  return std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
}

}  // namespace

std::string SVGColour(vcolor::TColor c) {
  return "rgb(" + std::to_string(vcolor::Red(c)) + "," + std::to_string(vcolor::Green(c)) + "," +
         std::to_string(vcolor::Blue(c)) + ")";
}

const char* SVGFontClass(const vfont::CFont* font) {
  if (!font) return "normal";
  if (font->AbsHeight() > kNormalFontHeight) return "title";
  if (font->Desc().weight >= kBoldWeight) return "bold";
  return "normal";
}

std::string SVGEscape(int length, const char* text) {
  std::string escaped;
  for (int i = 0; text && i < length && text[i]; ++i) {
    const char c = text[i];
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      default:
        // XML 1.0 has no form for control characters but tab.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') escaped += c;
        break;
    }
  }
  return escaped;
}

void CSVGContext::Append(const std::string& text) {
  if (out) *out += text;
}

void CSVGContext::BeginDocument(std::string& output, int width, int height) {
  out = &output;
  Append(std::string("<?xml version=\"1.0\"?>") + kLineEnd);
  Append(std::string("<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\"") + kLineEnd);
  Append(std::string("\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">") + kLineEnd);
  Append("<svg xmlns=\"http://www.w3.org/2000/svg\"" + Attribute("width", width) + Attribute("height", height) + ">" +
         kLineEnd);
  for (const char* line : {"<style>", ".normal {font: 12px sans-serif; }", ".bold   {font: bold 12px sans-serif; }",
                           ".title  {font: bold 16px sans-serif; }", "</style>"})
    Append(std::string(line) + kLineEnd);
}

void CSVGContext::EndDocument() {
  Append("</svg>");
  out = nullptr;
}

void CSVGContext::SetGCInkColor(vcolor::TColor c) {
  vgr::CDeviceContext::SetGCInkColor(c);
  ink = SVGColour(c);
}

void CSVGContext::SetGCInkWidth(int width) {
  vgr::CDeviceContext::SetGCInkWidth(width);
  inkWidth = std::to_string(width) + "px";
}

void CSVGContext::SetGCPaperColor(vcolor::TColor c) {
  vgr::CDeviceContext::SetGCPaperColor(c);
  paper = SVGColour(c);
}

void CSVGContext::SetGCFont(const vfont::CFont* font) {
  vgr::CDeviceContext::SetGCFont(font);
  fontClass = SVGFontClass(font);
}

void CSVGContext::OutTextXY(int x, int y, int length, const char* text) {
  Append("<text" + Attribute("x", x) + Attribute("y", y) + " class=\"" + fontClass + "\">" + SVGEscape(length, text) +
         "</text>" + kLineEnd);
}

void CSVGContext::Line(int x1, int y1, int x2, int y2) {
  Append("<line" + Attribute("x1", x1) + Attribute("y1", y1) + Attribute("x2", x2) + Attribute("y2", y2) +
         " style=\"stroke:" + ink + ";stroke-width:" + inkWidth + "\" />" + kLineEnd);
}

void CSVGContext::PolyLine(int count, const int* xs, const int* ys) {
  if (count <= 0) return;
  std::string points;
  for (int i = 0; i < count; ++i) points += std::to_string(xs[i]) + "," + std::to_string(ys[i]) + " ";
  Append("<polyline points=\"" + points + "\" style=\"fill:none;stroke:" + ink + ";stroke-width:" + inkWidth + "\" />" +
         kLineEnd);
}

void CSVGContext::Circle(int x, int y, int r) {
  Append("<circle" + Attribute("cx", x) + Attribute("cy", y) + Attribute("r", r) + " style=\"stroke:" + ink +
         ";stroke-width:" + inkWidth + ";fill:none\" />" + kLineEnd);
}

void CSVGContext::CircleFill(int x, int y, int r, bool outlined) {
  const std::string style = outlined ? "stroke:" + ink + ";stroke-width:" + inkWidth + ";fill:" + paper
                                     : "stroke:" + paper + ";stroke-width:1px;fill:" + paper;
  Append("<circle" + Attribute("cx", x) + Attribute("cy", y) + Attribute("r", r) + " style=\"" + style + "\" />" +
         kLineEnd);
}

void CSVGContext::Rectangle(int x, int y, int width, int height) {
  Append("<rect" + Attribute("x", x) + Attribute("y", y) + Attribute("width", width) + Attribute("height", height) +
         " style=\"fill:" + paper + "\" />" + kLineEnd);
}

}  // namespace ombrix_lc
