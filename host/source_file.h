#pragma once
// One component file (.frm .bas .cls .ctl .pag .dsr .dob) taken apart the way the VB6 IDE
// sees it: the file header (VERSION, Object= lines, the designer block, the module's
// Attribute VB_ lines), which the code window never shows, and the code lines, each with
// the hidden Attribute lines that follow it. Putting the parts back together gives the
// file's bytes again exactly.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/designer_block.h"
#include "host/source_lines.h"

namespace gildex::host {

struct LoadProblem {
  std::string file;  // as given to the loader
  long line = 0;     // 1-based; 0 when the problem concerns the whole file
  std::string message;
  bool fatal = false;  // the component cannot be used; it is kept as it is on disk and never written
};

struct SourceFile {
  std::vector<RawLine> header;       // everything above the code, Attribute VB_ lines included
  std::vector<CodeLine> code;        // what the code window shows
  LineEnd new_line_end = LineEnd::CrLf;  // the file's dominant line end, for lines Gildex adds
  std::string vb_name;               // from Attribute VB_Name; empty when missing
  std::unique_ptr<DesignerBlock> designer;  // parsed Begin ... End block; null for modules and classes
};

// Parses the bytes of a component file. Never throws on bad input: what is unusual or
// broken is added to `problems` with file and line.
SourceFile ParseSourceFile(std::string_view bytes, std::string_view file_name, std::vector<LoadProblem>& problems);
// The bytes of the file: header lines, then code lines with their hidden lines.
std::string WriteSourceFile(const std::vector<RawLine>& header, const std::vector<CodeLine>& code);

}  // namespace gildex::host
