#pragma once
// A TCanvas that records every call with the state it was made in.
#include <string>
#include <vector>

#include "canvas/gdicanvas.h"

struct TRecordedCall {
  std::string Op;  // "Line", "Rectangle", "TextOut", ...
  std::vector<int> Args;
  std::string Text;
  TPenState Pen;
  TBrushState Brush;
  TFontState Font;
};

class TRecordingCanvas : public TCanvas {
 public:
  std::vector<TRecordedCall> Calls;
  int CharWidth = 7;
  int LineHeight = 13;

  void SetPixel(int x, int y, TColor c) override {
    Record("SetPixel", {x, y, static_cast<int>(c)});
  }
  void Line(int x1, int y1, int x2, int y2) override { Record("Line", {x1, y1, x2, y2}); }
  void Polyline(const TPixelPoint* p, int n) override { Record("Polyline", Flat(p, n)); }
  void Polygon(const TPixelPoint* p, int n) override { Record("Polygon", Flat(p, n)); }
  void PolyBezier(const TPixelPoint* p, int n) override { Record("PolyBezier", Flat(p, n)); }
  void Rectangle(int l, int t, int r, int b) override { Record("Rectangle", {l, t, r, b}); }
  void RoundRect(int l, int t, int r, int b, int w, int h) override {
    Record("RoundRect", {l, t, r, b, w, h});
  }
  void Ellipse(int l, int t, int r, int b) override { Record("Ellipse", {l, t, r, b}); }
  void FillRect(int l, int t, int r, int b) override { Record("FillRect", {l, t, r, b}); }
  void TextOut(int x, int y, const std::string& text) override {
    Record("TextOut", {x, y});
    Calls.back().Text = text;
  }
  int TextWidth(const std::string& text) override { return CharWidth * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) override { return LineHeight; }

  std::vector<std::string> Texts() const {
    std::vector<std::string> v;
    for (const auto& c : Calls)
      if (c.Op == "TextOut") v.push_back(c.Text);
    return v;
  }
  std::vector<TRecordedCall> Of(const std::string& op) const {
    std::vector<TRecordedCall> v;
    for (const auto& c : Calls)
      if (c.Op == op) v.push_back(c);
    return v;
  }

 private:
  static std::vector<int> Flat(const TPixelPoint* p, int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) v.insert(v.end(), {p[i].x, p[i].y});
    return v;
  }
  void Record(const char* op, std::vector<int> args) {
    Calls.push_back({op, std::move(args), {}, Pen, Brush, Font});
  }
};
