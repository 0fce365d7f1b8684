#pragma once
// The in-memory code module: the code window's lines in a gap buffer and the procedure
// table kept right after every edit, so that walking all procedures of a large module and
// editing each costs about linear time in the module's size.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/source_lines.h"
#include "host/vbide.h"

namespace gildex::host {

class MemoryCodeModule : public CodeModule {
 public:
  // `lines` is the code part of a file (below the header's Attribute lines); `new_line_end`
  // is given to inserted lines. `parent` may be null for a module used on its own (tests,
  // the engine without a host); Parent() then throws HostError 91.
  MemoryCodeModule(std::string name, std::vector<CodeLine> lines, LineEnd new_line_end, VBComponent* parent);
  // A stand-alone module from text as the code window shows it (lines split at CR LF, LF or CR).
  static std::unique_ptr<MemoryCodeModule> FromText(std::string name, std::string_view text);
  ~MemoryCodeModule() override;

  // The lines for writing the file back, hidden lines in place.
  std::vector<CodeLine> ExportLines() const;
  // Appends the bytes of those lines, each with its line end, as the file holds them.
  void AppendFileText(std::string& bytes) const;
  // The whole text as the code window shows it, lines joined with CR LF (no final CR LF).
  std::string Text() const;
  // True once any edit happened since construction or ClearDirty().
  bool IsDirty() const;
  void ClearDirty();
  void SetName(std::string name);
  // Recomputes the procedure table and the declarations count from scratch and compares them
  // with the ones kept up to date by the edits: empty when they agree, else the first
  // difference. Costs a full scan; for tests and fuzzing.
  std::string CheckConsistency() const;

  std::string Name() const override;
  VBComponent& Parent() override;
  CodePane& Pane() override;
  std::string Lines(long first, long count) const override;
  std::string_view Line(long line) const override;
  long CountOfLines() const override;
  long CountOfDeclarationLines() const override;
  void InsertLines(long line, std::string_view text) override;
  void DeleteLines(long first, long count = 1) override;
  void ReplaceLine(long line, std::string_view text) override;
  std::string ProcOfLine(long line, ProcKind& kind) const override;
  long ProcStartLine(std::string_view name, ProcKind kind) const override;
  long ProcBodyLine(std::string_view name, ProcKind kind) const override;
  long ProcCountLines(std::string_view name, ProcKind kind) const override;
  std::vector<Member> Members() const override;
  bool Find(std::string_view target, long& start_line, long& start_column, long& end_line, long& end_column,
            bool whole_word = false, bool match_case = false, bool pattern_search = false) const override;

  // Raised after every edit, whoever made it: (first line, lines removed there, lines added
  // there). A window showing the module redraws just those lines.
  Signal<long, long, long> Edited;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace gildex::host
