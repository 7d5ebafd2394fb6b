#include <errno.h>
#include <iconv.h>

#include <atomic>
#include <cstdint>

#include "profile/ansi_text.h"

namespace varnacle::profile {

namespace {

std::atomic<bool> chineseFallback{false};

// U+FFFD in UTF-8.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// U+0080 … U+00FF in UTF-8.
void appendLatin1(std::string& out, unsigned char byte) {
  out += static_cast<char>(0xC0 | (byte >> 6));
  out += static_cast<char>(0x80 | (byte & 0x3F));
}

class Converter {
 public:
  explicit Converter(const char* codePage) : cd_(iconv_open("UTF-8", codePage)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1)); }

  // Converts as much of `in` as it can onto `out`; returns false at a sequence
  // it cannot convert (left at the front of `in`).
  bool convert(std::string_view& in, std::string& out) {
    char buffer[4096];
    while (!in.empty()) {
      char* source = const_cast<char*>(in.data());
      size_t sourceLeft = in.size();
      char* target = buffer;
      size_t targetLeft = sizeof buffer;
      const size_t result = iconv(cd_, &source, &sourceLeft, &target, &targetLeft);
      const int error = errno;
      out.append(buffer, static_cast<size_t>(target - buffer));
      in.remove_prefix(in.size() - sourceLeft);
      if (result != static_cast<size_t>(-1)) continue;
      if (error == E2BIG) continue;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
      return false;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

void setAnsiFallbackChinese(bool chinese) {
  chineseFallback.store(chinese, std::memory_order_relaxed);
}

std::string decodeAnsi(std::string_view bytes) {
  const bool chinese = chineseFallback.load(std::memory_order_relaxed);
  Converter converter(chinese ? "GB18030" : "WINDOWS-1252");
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  while (!bytes.empty()) {
    if (converter.valid() && converter.convert(bytes, out)) break;
    // One byte the code page cannot decode, or any byte should the system
    // lack the code page. Windows-1252 leaves five bytes undefined, all in
    // 0x80–0x9F; the others it maps as ISO 8859-1 does from 0xA0 on.
    const auto byte = static_cast<unsigned char>(bytes.front());
    if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else if (!chinese) {
      appendLatin1(out, byte);
    } else {
      out += kReplacement;
    }
    bytes.remove_prefix(1);
  }
  return out;
}

}  // namespace varnacle::profile
