#pragma once
// A read-only session of the project an editor's file belongs to, with the editor's unsaved
// texts standing for the files: what the add-in would do there, computed by the same session
// commands the command line runs. Nothing is written and no lock is taken. A view runs one
// command: make a fresh one for the next.
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "session/platform_context.h"
#include "session/session.h"
#include "tools/procedure_report.h"

namespace gildex::lsp {

namespace fs = std::filesystem;

// The .vbp in the file's folder or above it that lists the file; the file itself otherwise.
fs::path ProjectOf(const fs::path& file);

enum class Command { Insert, Remove, Number, UnNumber, CommentBlock };

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
  // Why the project did not open (empty when it did), and the loader's problems.
  const std::string& OpenProblem() const { return problem_; }
  const std::vector<host::LoadProblem>& LoadProblems() const { return session_.Loaded().problems; }

  // The procedures of `file`, or of every file of the project when `file` is empty.
  std::vector<Symbol> Symbols(const fs::path& file);
  // The procedures of `file` an insert of its module would give error handling to.
  std::vector<Symbol> WouldInsert(const fs::path& file, std::string& problem);
  // Runs `command` on `procedure` of `file` (its module when empty; the whole project when
  // `file` is empty too); the files it changed, or nothing with `problem` set.
  std::vector<FileEdit> Run(Command command, const fs::path& file, const std::string& procedure, std::string& problem);

 private:
  host::MemoryComponent* ComponentOf(const fs::path& file);
  std::string Connect();

  std::ostringstream said_;  // what the add-in's boxes said: nobody reads it
  platform::UnattendedDialogs dialogs_{said_};
  session::PlatformContext context_{dialogs_};
  session::Session session_{context_};
  std::map<fs::path, std::string> before_;  // each component's bytes as the editor has them
  std::string problem_;
};

}  // namespace gildex::lsp
