#include "ide/read_only_gate.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <vector>

#include "common/nembus_common.h"

namespace gildex {
namespace {

// The Windows read-only attribute as this platform keeps it. The permission bits come first:
// the superuser may write anything, but a file without write bits is read-only to its user.
// A file that is not there is not read-only (saving creates it).
bool HasReadOnlyAttribute(const std::string& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return false;
  return (info.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0;
}

// Steps of the gate for a read-only file with SourceControl on; true when the component may
// now be changed.
bool CheckOutAndReload(host::VBComponent& component, const std::string& file, CGildex& engine, Progress& progress,
                       ErrorReport& report) {
  const std::string project_path = component.Project().FileName();
  const std::string database_project = VSSProjectName(GetFile(project_path), project_path, report);
  std::string message;
  const bool checked_out = engine.CheckOutFile(file, database_project, message);
  if (!checked_out) progress.AddStatus(message);
  // The check-out may have brought a newer version, and the host must see the file's new state.
  component.Reload();
  const bool still_read_only = component.IsReadOnly();
  if (still_read_only) progress.AddStatus("Item '" + component.Name() + "' is still read-only.");
  return checked_out && !still_read_only;
}

}  // namespace

bool FileSkip(host::VBComponent& component, CGildex& engine, Progress& progress, ErrorReport& report) {
  bool read_only = false;
  const std::optional<bool> skip =
      report.Trap<std::optional<bool>>("AddIn.FileSkip", std::nullopt, [&]() -> std::optional<bool> {
        const std::string file = component.FileNames(1);
        read_only = !file.empty() && HasReadOnlyAttribute(file);
        const host::ComponentType type = component.Type();
        if (type == host::ComponentType::RelatedDocument || type == host::ComponentType::ResFile) return true;
        if (!read_only) return false;
        if (!engine.SourceControl()) return true;
        return !CheckOutAndReload(component, file, engine, progress, report);
      });
  // After a failure a read-only file stays skipped, a writable one goes on.
  return skip.value_or(read_only);
}

std::string VSSProjectName(const std::string& section, const std::string& project_file_path, ErrorReport& report) {
  return report.Trap("AddIn.VSSProjectName", std::string(),
                     [&] { return SourceControlProjectName(section, project_file_path); });
}

}  // namespace gildex
