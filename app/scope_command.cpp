#include "app/scope_command.h"

#include <fmt/core.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "app/printer.h"
#include "app/terminal_view.h"
#include "app/unified_diff.h"
#include "host/verify.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "session/session.h"
#include "templates/scripter.h"

namespace gildex::app {
namespace {

std::string Display(std::string_view bytes) { return cp1252::ToDisplay(bytes); }

const char* ActionName(ScopeAction action) {
  switch (action) {
    case ScopeAction::Insert: return "insert";
    case ScopeAction::Remove: return "remove";
    case ScopeAction::Number: return "number";
    case ScopeAction::UnNumber: return "unnumber";
  }
  return "";
}

// One command of the command line over a session: what it prints and the exit code.
class ScopeRun {
 public:
  ScopeRun(const ScopeOptions& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

  int Run();

 private:
  int Fail(int code, const std::string& message) {
    if (console_) console_->EndProgress();
    Tell(err_, message);
    return code;
  }
  bool WritesNothing() const { return options_.dry_run || options_.check; }
  void ShowProgress(bool now = false);
  int Finish(bool cancelled);

  const ScopeOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<Console> console_;
  std::unique_ptr<CommandSession> command_;
  session::Session* session_ = nullptr;
  std::chrono::steady_clock::time_point drawn_{};
};

int ScopeRun::Run() {
  console_ = std::make_unique<Console>(err_, ModeFor(err_, options_.verbose, options_.quiet), [this](const std::string& line) {
    return session_ != nullptr && session_->IsInformation(line);
  });
  command_ = std::make_unique<CommandSession>(err_, options_.forced, console_.get());
  session_ = &command_->Session();
  session::Session& s = *session_;

  // A dry run only reads: it takes no lock.
  const std::string opened = command_->Open(options_.project, !options_.dry_run, options_.on_load_step);
  if (!opened.empty()) return Fail(kBadInput, opened);
  // A run that writes nothing registers nothing: the add-in list stays as it is.
  const Problem connected = s.ConnectAddIn(
      ext_cm_CommandLine, !WritesNothing(), [this](clsMessages&) -> std::unique_ptr<MessageView> {
        return std::make_unique<TerminalMessageView>(*console_);
      });
  if (!connected.empty()) return Fail(kBadInput, Worded(connected));
  s.OnIdle([this] {
    if (options_.on_idle) options_.on_idle();
    ShowProgress();
    if (TakeInterrupt()) {
      console_->Line(Said("cancelling after the current procedure..."));
      session_->Cancel();
    }
  });
  s.OnStep([this] { ShowProgress(true); });
  if (const std::string problem =
          ApplyTypedOverrides(s, options_.settings, options_.template_name, options_.script_file, WritesNothing());
      !problem.empty())
    return Fail(kBadInput, problem);
  if (const Problem problem = s.Select(options_.action, {TerminalName(options_.component), TerminalName(options_.procedure),
                                                         options_.selection, options_.whole_module});
      !problem.empty())
    return Fail(kBadInput, Worded(problem));

  const session::CommandOutcome outcome = s.Run();
  console_->EndProgress();
  for (const std::string& problem : outcome.problems) console_->Problem(problem);
  // A dry run and a check keep standard output for the diff or the file names alone; a quiet
  // run shows problems only.
  if (!options_.quiet) {
    std::ostream& said = WritesNothing() ? err_ : out_;
    // The handler's message would tell of work that was not done.
    if (outcome.all_read_only)
      said << "Nothing was changed: every file is read-only.\n";
    else
      for (const std::string& message : outcome.messages)
        if (!message.empty()) said << Display(message) << "\n";
    said.flush();
  }
  if (outcome.errors_reported > 0)
    return Fail(kReported, s.BuiltAndSaved() ? "an error was reported above; the changes were written for the build"
                                             : "nothing was written because of the error reported above");
  return Finish(outcome.cancelled);
}

void ScopeRun::ShowProgress(bool now) {
  if (!console_->Mode().terminal) return;
  const auto time = std::chrono::steady_clock::now();
  if (!now && time - drawn_ < std::chrono::milliseconds(50)) return;
  drawn_ = time;
  const session::Progress p = session_->CurrentProgress();
  if (p.whole == 0) return;
  // One of several projects: which one.
  const std::string project = options_.named ? std::filesystem::path(options_.project).filename().string() + " " : "";
  console_->Progress(FitLine(fmt::format("{}{} {}/{}{}", project, Console::BarText(0, p.whole, p.index), p.index + 1,
                                         p.whole, p.component.empty() ? "" : " "),
                             p.component, fmt::format(": {} {}", p.done, p.lines ? "lines" : "procedures"),
                             console_->ProgressWidth()));
}

int ScopeRun::Finish(bool cancelled) {
  const long changed_files = static_cast<long>(session_->Changed().size());
  long files = changed_files;
  if (options_.check) {
    // Like `git diff --exit-code --name-only`: the files, and the answer in the exit code.
    PrintChangedFiles(*session_, out_);
  } else if (options_.dry_run) {
    PrintDiff(*session_, options_.project, out_, *console_);
  } else {
    const host::SaveResult saved = session_->Save();
    if (!saved.error.empty()) return Fail(kBadInput, saved.error);
    for (const host::LoadProblem& skipped : saved.skipped) console_->Problem(skipped.file + ": " + skipped.message);
    files = static_cast<long>(saved.written.size());
    if (!console_->Mode().terminal || console_->Mode().verbose)
      for (const std::string& file : saved.written) console_->Line("wrote " + file);
  }
  // Disconnecting lets go of the engine and its tally.
  const ProcedureTally tally = session_->Tally();
  session_->Disconnect();
  console_->Line(Said((options_.named ? options_.project + ": " : std::string()) +
                      SummaryLine(options_.action, tally, changed_files, files, WritesNothing())));
  if (cancelled) return kCancelled;
  if (console_->Problems() > 0 || (options_.check && changed_files > 0)) return kReported;
  return kDone;
}

}  // namespace

platform::MsgBoxResult ConsoleDialogs::MsgBox(const platform::MessageBox& box) {
  if ((box.style & 7) != platform::vbOKOnly) {
    console_.EndProgress();  // a question starts on a line of its own
    return inner_.MsgBox(box);
  }
  std::string text = box.prompt;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
    text.replace(at, 2, " ");
  console_.Line(Said(text));
  return platform::vbOK;
}

void PrintChangedFiles(session::Session& session, std::ostream& out) {
  for (host::MemoryComponent* component : session.Changed()) out << FromCurrentFolder(component->File()) << "\n";
  out.flush();
}

// What the save would write, as one diff of the bytes on disk against the bytes it would
// write, passed to standard output untouched so that it applies.
std::optional<long> WriteChanges(session::Session& session, const std::string& project, bool dry_run, bool check,
                                 std::ostream& out, Console& console, std::string& error,
                                 std::vector<std::string>* written) {
  const long changed_files = static_cast<long>(session.Changed().size());
  if (dry_run) PrintDiff(session, project, out, console);
  if (check) PrintChangedFiles(session, out);
  if (dry_run || check) return changed_files;
  const host::SaveResult saved = session.Save();
  if (!saved.error.empty()) {
    error = saved.error;
    return std::nullopt;
  }
  for (const host::LoadProblem& skipped : saved.skipped) console.Problem(skipped.file + ": " + skipped.message);
  if (written != nullptr) *written = saved.written;
  return static_cast<long>(saved.written.size());
}

void PrintDiff(session::Session& session, const std::string& project, std::ostream& out, Console& console) {
  std::vector<host::MemoryComponent*> changed;
  std::vector<std::filesystem::path> files;
  for (host::MemoryComponent* component : session.Changed()) {
    if (const std::string why = host::WhyNotWritable(*component); !why.empty()) {
      console.Problem(component->File().string() + ": not written: " + why);
      continue;
    }
    changed.push_back(component);
    files.push_back(component->File());
  }
  const std::filesystem::path cwd = std::filesystem::current_path();
  const std::filesystem::path root =
      DiffRoot(files, cwd, std::filesystem::absolute(project).parent_path());
  if (!changed.empty() && root != cwd)
    console.Line(Said("the paths of the diff are relative to " + root.string() +
                      "/ (the current folder does not hold every file): apply it there"));
  for (host::MemoryComponent* component : changed) {
    const auto before = platform::ReadWholeFile(component->File());
    if (!before) {
      console.Problem(Said("cannot read " + component->File().string() + " to compare it"));
      continue;
    }
    const std::string diff = UnifiedDiff(DiffPath(component->File(), root), *before, component->Serialize());
    out.write(diff.data(), static_cast<std::streamsize>(diff.size()));
  }
}

namespace {

// A box with only OK asks nothing: its text is a line, and the run goes on.
class NoticeLines : public platform::Dialogs {
 public:
  explicit NoticeLines(std::unique_ptr<platform::Dialogs> inner) : inner_(std::move(inner)) {}
  platform::MsgBoxResult MsgBox(const platform::MessageBox& box) override {
    if ((box.style & 7) != platform::vbOKOnly) return inner_->MsgBox(box);
    std::string text = box.prompt;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
      text.replace(at, 2, " ");
    Tell(std::cerr, text);
    return platform::vbOK;
  }
  std::string SaveFileName(const platform::SaveFileDialog& dialog) override { return inner_->SaveFileName(dialog); }
  std::string ChooseFileToOpen(const platform::OpenFileDialog& dialog) override {
    return inner_->ChooseFileToOpen(dialog);
  }
  std::string BrowseForFolder(const std::string& title) override { return inner_->BrowseForFolder(title); }

 private:
  std::unique_ptr<platform::Dialogs> inner_;
};

}  // namespace

std::unique_ptr<platform::Dialogs> CommandLineDialogs(platform::MsgBoxResult forced) {
  // Questions go to standard error so that standard output stays the command's result.
  if (forced == platform::MsgBoxResult{} && ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO))
    return std::make_unique<NoticeLines>(std::make_unique<platform::TerminalDialogs>(std::cin, std::cerr));
  return std::make_unique<NoticeLines>(std::make_unique<platform::UnattendedDialogs>(std::cerr, forced));
}

void PrintLoadProblems(const std::vector<host::LoadProblem>& problems, std::ostream& err) {
  for (const host::LoadProblem& problem : problems)
    err << Display(problem.file) << (problem.line > 0 ? ":" + std::to_string(problem.line) : std::string()) << ": "
        << (problem.fatal ? "error" : "warning") << ": " << Display(problem.message) << "\n";
}

void WarnAboutRegistry(const session::PlatformContext& context, std::ostream& err) {
  if (!context.RegistryWarning().empty())
    Say(err, "warning: " + cp1252::ToUtf8(context.RegistryWarning()) +
                 " (the settings are read as unset and the file is left as it is)");
}

CommandSession::CommandSession(std::ostream& err, platform::MsgBoxResult forced, Console* console)
    : err_(err),
      answers_(CommandLineDialogs(forced)),
      console_dialogs_(console != nullptr ? std::make_unique<ConsoleDialogs>(*answers_, *console) : nullptr),
      context_(console_dialogs_ != nullptr ? *console_dialogs_ : *answers_) {
  WarnAboutRegistry(context_, err_);
  session_.emplace(context_);
}

std::string CommandSession::Open(const std::string& path, bool lock, const std::function<void()>& step) {
  session_->OnIdle([&] {
    if (step) step();
    if (Interrupted()) throw LoadCancelled{path};
  });
  const std::string opened = session_->Open(path, lock);
  session_->OnIdle(nullptr);
  PrintLoadProblems(session_->Loaded().problems, err_);
  return opened;
}

std::string ApplyTypedOverrides(session::Session& session, const std::vector<std::string>& settings,
                                const std::string& template_name, const std::string& script_file, bool write_nothing) {
  session::Overrides overrides;
  // What of the typed text cannot be taken; said after the session's check of what came before it.
  std::string typed;
  for (const std::string& setting : settings) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos) {
      typed = "--set wants NAME=VALUE, not \"" + setting + "\"";
      break;
    }
    const auto name = FromTerminalText(setting.substr(0, equals));
    const auto value = FromTerminalText(setting.substr(equals + 1));
    if (!name || !value) {
      typed = "--set " + setting + ": a character has no place in Windows-1252";
      break;
    }
    overrides.settings.emplace_back(*name, *value);
  }
  if (typed.empty()) {
    if (const auto name = FromTerminalText(template_name)) {
      overrides.template_name = *name;
      overrides.script_file = script_file;
    } else {
      typed = "--template: a character has no place in Windows-1252";
    }
  }
  if (const Problem problem = session.ApplyOverrides(overrides, write_nothing); !problem.empty()) return Worded(problem);
  return typed;
}

int RunScopeCommand(const ScopeOptions& options, std::ostream& out, std::ostream& err) {
  return RunReportingFailure(ActionName(options.action), err,
                             [&]() -> int { return ScopeRun(options, out, err).Run(); });
}

namespace {

std::string Count(long n, std::string_view one, std::string_view many) {
  return fmt::format("{} {}", n, n == 1 ? one : many);
}

}  // namespace

std::string SummaryLine(ScopeAction action, const ProcedureTally& tally, long changed_files, long written_files,
                        bool would) {
  std::vector<std::string> parts;
  const bool insert = action == ScopeAction::Insert;
  if (insert || action == ScopeAction::Remove) {
    std::string procedures = Count(tally.changed, "procedure changed", "procedures changed");
    if (tally.already_handled > 0)
      procedures += fmt::format(", {} {}", tally.already_handled, insert ? "already handled" : "had nothing to remove");
    if (tally.too_small > 0) procedures += fmt::format(", {} too small", tally.too_small);
    if (tally.skipped > 0) procedures += fmt::format(", {} skipped", tally.skipped);
    if (tally.script_failed > 0)
      procedures += ", " + Count(tally.script_failed, "script failure", "script failures");
    parts.push_back(procedures);
  }
  const bool numbering = action == ScopeAction::Insert || action == ScopeAction::Number;
  if (tally.line_numbers > 0 || !(insert || action == ScopeAction::Remove))
    parts.push_back(numbering ? Count(tally.line_numbers, "line numbered", "lines numbered")
                              : Count(tally.line_numbers, "line number removed", "line numbers removed"));
  // The remove commands take every line number off, also the user's own.
  if (action == ScopeAction::Remove && tally.foreign_line_numbers > 0)
    parts.push_back(Count(tally.foreign_line_numbers, "line lost a line number the insert did not write",
                          "lines lost line numbers the insert did not write"));
  if (changed_files == 0)
    parts.push_back("nothing to change");
  else
    parts.push_back(Count(written_files, "file", "files") + (would ? " would be written" : " written"));
  std::string line;
  for (const std::string& part : parts) line += (line.empty() ? "" : "; ") + part;
  return line + ".";
}

int ScriptCheck(const std::string& file, std::ostream& out, std::ostream& err) {
  std::string problem;
  const auto text = session::ReadScriptFile(file, problem);
  if (!text) {
    Say(err, problem);
    return kBadInput;
  }
  platform::UnattendedDialogs dialogs(err);
  ErrorReport report(dialogs);
  const platform::SystemClock clock;
  clsScripter scripter(report, clock);
  std::string message;
  ScriptErrors result = errSCRIPT_OK;
  scripter.CheckScript(*text, message, result);
  out << Display(ValidateMessage(result, message)) << "\n";
  return result == errSCRIPT_OK ? kDone : kBadInput;
}

}  // namespace gildex::app
