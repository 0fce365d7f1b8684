#pragma once
// A read-only session of the project an editor's file belongs to, with the editor's unsaved
// texts standing for the files: what the add-in would do there, computed by the same session
// commands the command line runs. Nothing is written and no lock is taken. The view stays
// loaded while the editor types: its texts are brought up to date by Update, and each command
// is undone once its edits are taken, so the next one starts from the editor's text again.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs.h"
#include "session/platform_context.h"
#include "session/session.h"
#include "session/tag_window.h"
#include "tools/procedure_report.h"

namespace gildex::lsp {

namespace fs = std::filesystem;

// The .vbp in the file's folder or above it that lists the file; the file itself otherwise.
fs::path ProjectOf(const fs::path& file);

enum class Command { Insert, Remove, Number, UnNumber, CommentBlock, Tag, Untag };

// What a command works on: a procedure of a file, lines of a file (counted from 0; the
// procedures they cover), a whole file, or the whole project when `file` is empty.
struct Target {
  fs::path file;
  std::string procedure;  // Windows-1252
  std::optional<std::pair<long, long>> lines;
};

// A procedure with its lines counted from 0 in the file (not the code window).
struct Symbol {
  fs::path file;
  std::string component;
  ReportedProcedure procedure;
  long first = 0, declaration = 0, last = 0;
};

// One file's bytes before and after a command (Windows-1252).
struct FileEdit {
  fs::path file;
  std::string before, after;
};

class ProjectView {
 public:
  // `texts`: the editor's texts (UTF-8) of open files by absolute path.
  ProjectView(const fs::path& project, const std::map<fs::path, std::string>& texts);
  ~ProjectView();
  ProjectView(const ProjectView&) = delete;
  ProjectView& operator=(const ProjectView&) = delete;

  // Why the project did not open (empty when it did), the line of the project file that
  // names `file` (from 1; 1 when none does), and the loader's problems.
  const std::string& OpenProblem() const { return problem_; }
  long ProjectLineOf(const fs::path& file) const;
  const std::vector<host::LoadProblem>& LoadProblems() const { return session_.Loaded().problems; }
  // False once a file of the project changed on disk, or a command could not be undone:
  // a new view is needed.
  bool Current() const;
  // The editor's new bytes of `file`. False when the change reaches the header or a hidden
  // line (those are taken from disk): a new view is needed.
  bool Update(const fs::path& file, const std::string& bytes);

  // The procedures of `file`, or of every file of the project when `file` is empty.
  std::vector<Symbol> Symbols(const fs::path& file);
  // The procedures of `file` an insert of its module would give error handling to.
  std::vector<Symbol> WouldInsert(const fs::path& file, std::string& problem);
  // Runs `command` on `target`; the files it changed, or nothing with `problem` set.
  std::vector<FileEdit> Run(Command command, const Target& target, std::string& problem);

 private:
  host::MemoryComponent* ComponentOf(const fs::path& file);
  std::string Connect();
  std::string Select(Command command, const Target& target, host::MemoryComponent* component);
  void Undo();

  std::ostringstream said_;  // what the add-in's boxes said: nobody reads it
  platform::UnattendedDialogs dialogs_{said_};
  session::PlatformContext context_{dialogs_};
  session::Session session_{context_};
  session::TagWindow tag_window_;
  fs::path project_;
  std::map<fs::path, std::string> before_;  // each component's bytes as the editor has them
  std::map<fs::path, std::pair<fs::file_time_type, std::uintmax_t>> stamps_;  // the files as loaded
  std::size_t components_ = 0;
  std::string problem_;
  bool connected_ = false, spoiled_ = false;
};

}  // namespace gildex::lsp
