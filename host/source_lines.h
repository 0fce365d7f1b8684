#pragma once
// Lines of a source file as bytes, each with the line end it had on disk, so that a file
// Gildex did not change is written back byte for byte.
#include <string>
#include <string_view>
#include <vector>

namespace gildex::host {

enum class LineEnd : unsigned char { None, CrLf, Lf, Cr };

std::string_view LineEndText(LineEnd end);

struct RawLine {
  std::string text;  // without its line end
  LineEnd end = LineEnd::CrLf;
};

// Splits bytes into lines at CR LF, LF or lone CR. Only the last line may end with
// LineEnd::None (no line end after the last line); empty input gives no lines.
std::vector<RawLine> SplitLines(std::string_view bytes);
// Joins lines back: the exact inverse of SplitLines.
std::string JoinLines(const std::vector<RawLine>& lines);
// The line end most lines use (CR LF when there are none): new lines get this one.
LineEnd DominantLineEnd(const std::vector<RawLine>& lines);

// A line of the code window with the hidden "Attribute" lines that follow it in the file
// (VB6 keeps "Attribute Name.VB_Description = ..." and the like out of the code window
// and writes them back right after the line they follow).
struct CodeLine {
  RawLine line;
  std::vector<RawLine> hidden;
};

}  // namespace gildex::host
