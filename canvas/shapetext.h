#pragma once
// A text field of a shape record. Almost every shape of a survey map leaves
// its notes and free text empty, so a text costs a 32-bit handle in the
// record: 0 when empty, else the slot of a heap string in a table shared by
// all records.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

class TShapeText {
 public:
  TShapeText() = default;
  TShapeText(const std::string& s) { assign(s); }  // NOLINT(implicit)
  TShapeText(const char* s) { assign(s ? std::string(s) : std::string()); }  // NOLINT(implicit)
  TShapeText(const TShapeText& other) { assign(other.str()); }
  TShapeText(TShapeText&& other) noexcept : id_(other.id_) { other.id_ = 0; }
  ~TShapeText() { clear(); }

  TShapeText& operator=(const TShapeText& other) {
    if (this != &other) assign(other.str());
    return *this;
  }
  TShapeText& operator=(TShapeText&& other) noexcept {
    if (this != &other) {
      clear();
      id_ = other.id_;
      other.id_ = 0;
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
  const std::string& str() const { return id_ ? *Slot(id_) : Empty(); }
  const char* c_str() const { return str().c_str(); }
  bool empty() const { return id_ == 0; }
  std::size_t size() const { return id_ ? Slot(id_)->size() : 0; }
  std::size_t length() const { return size(); }
  void clear() noexcept {
    if (id_) Release(id_);
    id_ = 0;
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
    if (s.empty())
      clear();
    else if (id_)
      *Slot(id_) = s;
    else
      id_ = Acquire(s);
  }

  // The shared table (shapes.cpp): a new slot holding a copy of s, the string
  // of a slot (stable until the slot is released), and the slot's release.
  static uint32_t Acquire(const std::string& s);
  static std::string* Slot(uint32_t id);
  static void Release(uint32_t id) noexcept;

  uint32_t id_ = 0;
};
