#pragma once
// The wire of a language server: JSON-RPC messages framed by a Content-Length header, the
// file URIs editors name documents by, and the text an editor sees of a Windows-1252 file
// with positions counted in UTF-16 code units (the protocol's default) or in UTF-8 bytes.
#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace gildex::lsp {

// One message's body; nothing at the end of the input. A header without a usable
// Content-Length gives an empty body with `problem` set (the caller answers it and reads on).
std::optional<std::string> ReadMessage(std::istream& in, std::string& problem);
void WriteMessage(std::ostream& out, std::string_view body);

// file:///a%20b/c.bas <-> /a b/c.bas; nothing for another scheme.
std::optional<std::filesystem::path> PathOfUri(std::string_view uri);
std::string UriOfPath(const std::filesystem::path& path);
// A path as a URI reference (relative when it is): bytes other than letters, digits, "/-._~"
// as %XX.
std::string UriReference(const std::filesystem::path& path);

// Source bytes in the code page in use (Windows-1252 unless the CodePage setting names
// another) as UTF-8 and back. The bytes the code page leaves undefined become the code
// points of the same value, so every file comes back byte for byte; a character the code
// page lacks is written as '?'.
std::string DecodeAnsi(std::string_view bytes);
std::string EncodeAnsi(std::string_view utf8);

// A position in a line of UTF-8 text: the byte offset of `column` (clamped to the line's
// end), and back. `utf16`: columns count UTF-16 code units, else bytes.
std::size_t ByteOfColumn(std::string_view line, std::size_t column, bool utf16);
std::size_t ColumnOfByte(std::string_view line, std::size_t byte, bool utf16);

}  // namespace gildex::lsp
