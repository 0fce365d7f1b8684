#include "lsp/protocol.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "platform/code_page.h"
#include "platform/cp1252.h"
#include "platform/utf8.h"

namespace gildex::lsp {
namespace {

// A body larger than this is read and dropped: no editor sends one module of 256 MB.
constexpr std::size_t kLargestBody = std::size_t{256} << 20;

// The length in bytes of the UTF-8 sequence at `at` (1 for a stray byte) and its UTF-16 units.
std::size_t Step(std::string_view line, std::size_t at, std::size_t& units) {
  std::size_t next = at;
  const auto cp = cp1252::NextUtf8(line, next);
  if (!cp) {
    units = 1;
    return 1;
  }
  units = *cp >= 0x10000 ? 2 : 1;
  return next - at;
}

}  // namespace

std::optional<std::string> ReadMessage(std::istream& in, std::string& problem) {
  problem.clear();
  std::optional<std::size_t> length;
  std::string header;
  bool any = false;
  while (std::getline(in, header)) {
    any = true;
    if (!header.empty() && header.back() == '\r') header.pop_back();
    if (header.empty()) break;
    const std::size_t colon = header.find(':');
    if (colon == std::string::npos || !cp1252::EqualsNoCase(header.substr(0, colon), "Content-Length")) continue;
    std::size_t value = 0, digits = 0;
    for (char c : header.substr(colon + 1)) {
      if (c == ' ' || c == '\t') continue;
      if (!std::isdigit(static_cast<unsigned char>(c)) || value > kLargestBody) {
        digits = 0;
        break;
      }
      value = value * 10 + static_cast<std::size_t>(c - '0');
      ++digits;
    }
    if (digits > 0) length = value;
  }
  if (!any || !in) return std::nullopt;
  if (!length) {
    problem = "a message without a Content-Length header";
    return std::string();
  }
  if (*length > kLargestBody) {
    in.ignore(static_cast<std::streamsize>(*length));
    problem = "a message larger than 256 MB";
    return in ? std::optional<std::string>(std::string()) : std::nullopt;
  }
  std::string body(*length, '\0');
  in.read(body.data(), static_cast<std::streamsize>(body.size()));
  if (static_cast<std::size_t>(in.gcount()) != body.size()) return std::nullopt;
  return body;
}

void WriteMessage(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n";
  out.write(body.data(), static_cast<std::streamsize>(body.size()));
  out.flush();
}

std::optional<std::filesystem::path> PathOfUri(std::string_view uri) {
  constexpr std::string_view scheme = "file://";
  if (!cp1252::StartsWithNoCase(uri, scheme)) return std::nullopt;
  uri.remove_prefix(scheme.size());
  const std::size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  uri.remove_prefix(slash);  // the host part ("localhost" or nothing)
  std::string path;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      path += static_cast<char>(std::stoi(std::string(uri.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else if (uri[i] == '?' || uri[i] == '#') {
      break;
    } else {
      path += uri[i];
    }
  }
  return std::filesystem::path(path).lexically_normal();
}

std::string UriOfPath(const std::filesystem::path& path) {
  return "file://" + UriReference(std::filesystem::absolute(path).lexically_normal());
}

std::string UriReference(const std::filesystem::path& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri;
  for (unsigned char c : path.generic_string()) {
    if (std::isalnum(c) || std::string_view("/-._~").find(static_cast<char>(c)) != std::string_view::npos) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::string DecodeAnsi(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    // A byte the code page leaves undefined is kept as the code point of its own number.
    const auto b = static_cast<unsigned char>(ch);
    utf8::Append(out, cp1252::CodePoint(ch).value_or(b));
  }
  return out;
}

std::string EncodeAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const auto cp = cp1252::NextUtf8(utf8, at);
    if (!cp) {
      out += '?';
      ++at;
      continue;
    }
    std::optional<char> byte = cp1252::FromUnicode(*cp);
    if (!byte && *cp < 0x100 && !cp1252::CodePoint(static_cast<char>(*cp))) byte = static_cast<char>(*cp);
    out += byte.value_or('?');
  }
  return out;
}

std::size_t ByteOfColumn(std::string_view line, std::size_t column, bool utf16) {
  if (!utf16) return std::min(column, line.size());
  std::size_t at = 0, units = 0;
  while (at < line.size() && column > 0) {
    const std::size_t length = Step(line, at, units);
    if (units > column) break;  // inside a surrogate pair: the character's start
    column -= units;
    at += length;
  }
  return at;
}

std::size_t ColumnOfByte(std::string_view line, std::size_t byte, bool utf16) {
  byte = std::min(byte, line.size());
  if (!utf16) return byte;
  std::size_t at = 0, column = 0, units = 0;
  while (at < byte) {
    at += Step(line, at, units);
    column += units;
  }
  return column;
}

}  // namespace gildex::lsp
