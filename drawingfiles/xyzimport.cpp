#include "drawingfiles/xyzimport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstring>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "app/formats.h"
#include "app/textfile.h"
#include "app/textlines.h"
#include "app/utf8.h"
#include "drawingfiles/numberscan.h"
#include "canvas/canvasmodel.h"
#include "canvas/shapes.h"

namespace {

// The newly made shape: normally the last of the list, so no search.
TQShape* NewShape(TQuarixCanvasModel& canvas, int32_t number) {
  if (!canvas.Shapes.empty() && canvas.Shapes.back()->Number == number) return canvas.Shapes.back();
  return canvas.FindShape(number);
}

// Whole lines of a file, each with a line feed for its line end (LF, CR LF
// or a CR alone; the last line may lack it), cut to kMaxXYZLineLength bytes.
class TXYZLineReader {
 public:
  explicit TXYZLineReader(FILE* File) : file_(File), buffer_(256 * 1024) {}
  // Bytes counts what has been read of the file so far.
  bool Next(std::string& Line, uint64_t& Bytes) {
    Line.clear();
    bool any = false;
    for (;;) {
      if (pos_ == end_) {
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        pos_ = 0;
        Bytes += end_;
        if (end_ == 0) return any;
      }
      std::string_view text;
      const bool ended = cutter_.Next(std::string_view(buffer_.data(), end_), pos_, text);
      if (!ended) pos_ = end_;
      any = any || ended || !text.empty();
      if (Line.size() < kMaxXYZLineLength)
        Line.append(text.data(), std::min(text.size(), kMaxXYZLineLength - Line.size()));
      if (ended) {
        Line.push_back('\n');
        return true;
      }
    }
  }

 private:
  FILE* file_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0, end_ = 0;
  textlines::LineCutter cutter_;
};

}  // namespace

bool ParseXYZImportPiece(const std::string& Piece, double& X, double& Y, double& Z) {
  std::string s = Piece;
  // Text mode: a CR LF line end counts as its line feed alone.
  if (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0) s.erase(s.size() - 2, 1);
  if (s.size() < 3) return false;
  const char first = s[0];
  if (first == '#' || first == '/') return false;
  if (!(std::isdigit(static_cast<unsigned char>(first)) || first == '-' || first == '+')) return false;
  for (char& c : s)
    if (c == ',' || c == '\t') c = ' ';
  double v[4];
  int count = 0;
  const char* p = s.data();
  const char* end = s.data() + s.size();
  while (count < 4 && ScanLfNumber(p, end, v[count])) ++count;
  for (int i = 0; i < count; ++i)
    if (!std::isfinite(v[i])) return false;
  if (count == 4) {
    X = v[1], Y = v[2], Z = v[3];
  } else if (count == 3) {
    X = v[0], Y = v[1], Z = v[2];
  } else {
    return false;
  }
  return !(X == 0 && Y == 0);
}

std::string XYZDepthLabel(double Z) { return FormatFixed(Z, 2); }

long ImportXYZPoints(TQuarixCanvasModel& Canvas, const std::string& FileName, int Layer,
                     const TImportProgress& Progress, std::string* Why) {
  auto refuse = [Why](const std::string& why) {
    if (Why) *Why = why;
    return kXYZNotRead;
  };
  // Only a regular file is read on.
  std::string why;
  uint64_t size = 0;
  const int fd = OpenFileToRead(FileName, kMaxXYZFileBytes, &why, &size);
  if (fd < 0) return refuse(why);
  std::unique_ptr<FILE, int (*)(FILE*)> file(::fdopen(fd, "r"), &std::fclose);
  if (!file) {
    ::close(fd);
    return refuse(std::strerror(errno));
  }
  long count = 0;
  uint64_t bytes = 0, lines = 0;
  TXYZLineReader reader(file.get());
  std::string line;
  for (bool first = true; reader.Next(line, bytes); first = false) {
    if (first) line.erase(0, ByteOrderMarkLength(line));  // saved by an editor with a mark
    if (Progress && (++lines & 0x3FFF) == 0 && !Progress(bytes, size)) return kXYZCancelled;
    double x, y, z;
    if (!ParseXYZImportPiece(line, x, y, z)) continue;
    const int32_t point = Canvas.DrawPoint(x, y, Layer);
    if (point > 0) {
      if (auto* p = dynamic_cast<TQPoint*>(NewShape(Canvas, point))) p->PointSize = 1;
      if (TQShape* s = NewShape(Canvas, point)) s->PenWidth = 1;
    }
    const int32_t label = Canvas.TextAdd(Layer, XYZDepthLabel(z), x, y, 0);
    if (label > 0) {
      if (auto* t = dynamic_cast<TQText*>(NewShape(Canvas, label))) {
        t->TextAlign = 1;
        t->TextJustify = 1;
      }
    }
    Canvas.NeedsRedraw = true;
    ++count;
  }
  if (Progress && !Progress(size, size)) return kXYZCancelled;
  return count;
}
