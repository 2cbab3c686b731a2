#pragma once
// A text field of a shape record. Almost every shape of a survey map leaves
// its notes and free text empty, so an empty text costs one pointer instead
// of a whole std::string; a set text lives on the heap.
#include <cstddef>
#include <ostream>
#include <string>

class TShapeText {
 public:
  TShapeText() = default;
  TShapeText(const std::string& s) { assign(s); }  // NOLINT(implicit)
  TShapeText(const char* s) { assign(s ? std::string(s) : std::string()); }  // NOLINT(implicit)
  TShapeText(const TShapeText& other) { assign(other.str()); }
  TShapeText(TShapeText&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ~TShapeText() { delete p_; }

  TShapeText& operator=(const TShapeText& other) {
    if (this != &other) assign(other.str());
    return *this;
  }
  TShapeText& operator=(TShapeText&& other) noexcept {
    if (this != &other) {
      delete p_;
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  TShapeText& operator=(const std::string& s) {
    assign(s);
    return *this;
  }
  TShapeText& operator=(const char* s) {
    assign(s ? std::string(s) : std::string());
    return *this;
  }

  operator const std::string&() const { return str(); }  // NOLINT(implicit)
  const std::string& str() const { return p_ ? *p_ : Empty(); }
  const char* c_str() const { return str().c_str(); }
  bool empty() const { return p_ == nullptr; }
  std::size_t size() const { return p_ ? p_->size() : 0; }
  std::size_t length() const { return size(); }
  void clear() {
    delete p_;
    p_ = nullptr;
  }

  friend bool operator==(const TShapeText& a, const TShapeText& b) { return a.str() == b.str(); }
  friend bool operator==(const TShapeText& a, const std::string& b) { return a.str() == b; }
  friend bool operator==(const TShapeText& a, const char* b) { return a.str() == (b ? b : ""); }
  friend std::string operator+(const TShapeText& a, const std::string& b) { return a.str() + b; }
  friend std::string operator+(const std::string& a, const TShapeText& b) { return a + b.str(); }
  friend std::ostream& operator<<(std::ostream& os, const TShapeText& t) { return os << t.str(); }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  void assign(const std::string& s) {
    if (s.empty()) {
      clear();
    } else if (p_) {
      *p_ = s;
    } else {
      p_ = new std::string(s);
    }
  }

  std::string* p_ = nullptr;
};
