// CGildex::CheckOutFile: checking a read-only file out of the source-control database
// ("SourceSafe.0") before a command changes it.
#include <cstdint>
#include <memory>
#include <string>

#include "common/nembus_common.h"
#include "engine/gildex.h"
#include "platform/source_safe.h"

namespace gildex {
namespace {

constexpr const char* kCouldNotCheckOut = "Could not check-out file ";

// The login failure as the user is told it.
std::string LoginFailureMessage(const std::exception& error) {
  const auto* server = dynamic_cast<const platform::SourceSafeError*>(&error);
  if (server && server->Code() == platform::kSsInvalidUserName)
    return "Error logging into SourceSafe: Invalid user name";
  if (server && server->Code() == platform::kSsInvalidIniFile)
    return "Error logging into SourceSafe: Invalid SRCSAFE.INI file.";
  return "Error logging into SourceSafe";
}

// The database path of a file outside any known project: its path without the drive,
// "C:\Orders\frmMain.frm" giving "$/Orders/frmMain.frm". Paths of this platform have no
// drive, so nothing is cut from them.
std::string ItemPathOfFile(const std::string& file_path) {
  std::string path = file_path.size() >= 2 && file_path[1] == ':' ? file_path.substr(2) : file_path;
  for (char& c : path)
    if (c == '\\') c = '/';
  return (!path.empty() && path.front() == '/' ? "$" : "$/") + path;
}

bool CheckOutSteps(platform::Services& services, const std::string& comment, const std::string& file_path,
                   const std::string& database_project, std::string& message) {
  std::unique_ptr<platform::SourceSafe> database;
  try {
    database = platform::CreateSourceSafe(services.env);
    database->Open();
  } catch (const std::exception& e) {
    message = LoginFailureMessage(e);
    return false;
  }

  database->CurrentProject(database_project);
  std::unique_ptr<platform::SourceSafeItem> item = database->VSSItem(database_project + "/" + GetFile(file_path));
  if (!item) item = database->VSSItem(ItemPathOfFile(file_path));
  if (!item) {
    message = kCouldNotCheckOut + file_path;
    return false;
  }
  // Checked out already, by us or by someone else: the caller's reload shows what we got.
  const int checked_out = item->IsCheckedOut();
  if (checked_out == 1 || checked_out == 2) return true;

  try {
    item->CheckOut(comment, "", 0);
  } catch (const platform::SourceSafeError& e) {
    if (e.Code() != platform::kSsWritableCopyExists) throw;
    const platform::MessageBox question{item->Name() + " is writable. Replace?",
                                        platform::vbYesNoCancel | platform::vbQuestion, std::string(kAppTitle)};
    if (services.dialogs.MsgBox(question) != platform::vbYes) {
      message = kCouldNotCheckOut + item->Name() + ", already writable!";
      return false;
    }
    item->CheckOut(comment, "", platform::kVssFlagReplaceWritable);
  }
  return true;
}

}  // namespace

bool CGildex::CheckOutFile(const std::string& file_path, const std::string& database_project, std::string& message) {
  // An unexpected failure of the server is reported once, with the server's own number as VB
  // shows an automation error; the file then stays read-only and the status list says so.
  return report_.Trap("CGildex.CheckOutFile", false, [&] {
    message = kCouldNotCheckOut + file_path;
    try {
      const bool done = CheckOutSteps(services_, VSSComment(), file_path, database_project, message);
      if (done) message.clear();
      return done;
    } catch (const platform::SourceSafeError& e) {
      throw VbError(static_cast<std::int32_t>(e.Code()), e.what());
    }
  });
}

}  // namespace gildex
