#pragma once
// frmFNFinder, the function finder: loads a Basic source file into the active project as a
// component (or finds it there), lists its methods, properties and events, shows the code of
// the rows chosen and copies that code to the clipboard; on closing it offers to remove the
// component it added. The model works on the open IDE's code modules only; a window draws it
// through FunctionFinderView.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "host/event.h"
#include "host/vbide.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"

namespace gildex {

struct FinderRow {
  std::string key;  // member name followed by its type number
  std::string name;
  host::MemberType type = host::MemberType::Method;
  std::string type_text;    // "Method", "Property", "Event"
  std::string description;  // "<none>" when the member has none
  bool operator==(const FinderRow&) const = default;
};

class FunctionFinder;

// The window: the open-file dialog and a redraw of the file label, the list and the code box.
class FunctionFinderView {
 public:
  virtual ~FunctionFinderView() = default;
  // Nothing when the user cancelled.
  virtual std::optional<std::string> AskFile(const std::string& title, const std::string& filter, int flags) = 0;
  virtual void Refresh(const FunctionFinder& finder) = 0;
  // `finder` is going (the add-in disconnected): a window still showing it closes, asking nothing.
  virtual void Released(const FunctionFinder& /*finder*/) {}
};

class FunctionFinder {
 public:
  static constexpr const char* kCaption = "Gildex Function Finder";
  static constexpr const char* kBrowseTitle = "Select a VB component to load";
  static constexpr const char* kBrowseFilter =
      "VB Files (*.frm,*.cls,*.bas,*.ctl)|*.frm;*.cls;*.bas;*.ctl|All Files (*.*)|*.*";
  static constexpr int kFileMustExist = 4096;
  static constexpr const char* kNoFile = "<none>";
  static constexpr const char* kRemoveQuestion = "Do you wish to remove the added component from the project?";

  // `view` may be null (nothing is drawn, Browse has no dialog).
  FunctionFinder(host::VBE& vbe, ErrorReport& report, platform::Clipboard& clipboard, FunctionFinderView* view);
  ~FunctionFinder();
  FunctionFinder(const FunctionFinder&) = delete;
  FunctionFinder& operator=(const FunctionFinder&) = delete;

  // The window's buttons and list.
  void cmdBrowse_Click();
  void cmdCopy_Click();
  void cmdClear_Click() { code_.clear(), Redraw(); }
  // Appends the code of row `index` (from 0) to the code box.
  void lvwProcs_Click(std::size_t index);
  // Unloading the window: offers to remove a component the finder added, then forgets the
  // component, its rows and the code, as a window unloaded and loaded again shows nothing.
  void Form_Unload();

  // Browse after the dialog: adds `file` to the active project, or takes the component already
  // loaded from it, and lists its members. False when no component was obtained (the host's
  // error description has been shown).
  bool LoadFile(const std::string& file);

  const std::string& Filename() const { return filename_; }
  const std::vector<FinderRow>& Rows() const { return rows_; }
  const std::string& Code() const { return code_; }
  host::VBComponent* Component() const { return component_; }
  bool AddedByFinder() const { return added_; }

 private:
  void GetFNs(host::VBComponent& component);
  std::string CodeOf(const FinderRow& row) const;
  void Redraw();
  // The component went out of the IDE (removed, or its project closed) or the window unloaded:
  // nothing is loaded and the code box is empty.
  void Forget();

  host::VBE& vbe_;
  ErrorReport& report_;
  platform::Clipboard& clipboard_;
  FunctionFinderView* view_;
  std::string filename_ = kNoFile;
  std::vector<FinderRow> rows_;
  std::string code_;
  host::VBComponent* component_ = nullptr;
  bool added_ = false;
  host::Connection component_removed_, project_removed_;
};

}  // namespace gildex
