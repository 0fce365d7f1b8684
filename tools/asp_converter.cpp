#include "tools/asp_converter.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/cp1252.h"

namespace gildex {
namespace {
namespace fs = std::filesystem;

// Every file of `project` on disk: the project file, each member's file and the binary file
// a designer keeps beside it.
std::vector<fs::path> ProjectFiles(host::VBProject& project) {
  static constexpr std::pair<const char*, const char*> kBinary[] = {
      {".frm", ".frx"}, {".ctl", ".ctx"}, {".pag", ".pgx"}, {".dob", ".dox"}, {".dsr", ".dsx"}};
  std::vector<fs::path> files = {project.FileName()};
  for (int i = 1; i <= project.ComponentCount(); ++i) {
    const fs::path file = project.Component(i).FileNames(1);
    if (file.empty()) continue;
    files.push_back(file);
    for (const auto& [source, binary] : kBinary)
      if (cp1252::EqualsNoCase(file.extension().string(), source)) files.push_back(fs::path(file).replace_extension(binary));
  }
  return files;
}

// Why the page and its pictures may not be written: a file of the project is never replaced,
// another existing one only when the view confirms it. Empty when they may.
std::string PageProblem(const std::vector<std::string>& files, host::VBComponent& component, ASPConverterView& view) {
  std::error_code ec;
  const std::vector<fs::path> own = ProjectFiles(component.Project());
  for (const std::string& file : files) {
    if (!fs::exists(file, ec)) continue;
    for (const fs::path& mine : own)
      if (!mine.empty() && fs::equivalent(file, mine, ec))
        return file + " is one of the project's own files; the page goes to a file of its own";
  }
  for (const std::string& file : files)
    if (fs::exists(file, ec) && !view.ConfirmReplace(file)) return file + " exists and was not replaced";
  return {};
}

}  // namespace

void frmASPConverter::cmdBrowse_Click() {
  const std::string file = view_.SaveFileName("Please select file to save to", "*.html");
  if (!file.empty()) txtFilename = file;
}

std::string frmASPConverter::GenerateHeader() const {
  const auto meta = [](const char* name, const std::string& content) {
    return std::string("<META name=\"") + name + "\" content=\"" + HtmlEscape(content) + "\">";
  };
  // The page is written in Windows-1252, as the form's text is.
  return std::string(chkPositioned ? "<!DOCTYPE html>\r\n" : "") + "<HTML>\r\n<HEAD>\r\n<META charset=\"windows-1252\">\r\n<TITLE>" + HtmlEscape(txtTitle) + "</TITLE>\r\n" + meta("title", txtTitle) + "\r\n" +
         meta("keywords", txtKeywords) + "\r\n" + meta("description", txtDescription) + "\r\n</HEAD>\r\n<BODY>";
}

std::string frmASPConverter::GenerateForm() const {
  return std::string("<FORM method=") + (optMethod == 0 ? "GET" : "POST") + " action=\"" + HtmlEscape(txtAction) + "\">";
}

void frmASPConverter::ShowConverter(host::VBComponent& component, clsASPGenerator& generator, Progress& progress) {
  const std::string name = component.Name();
  txtFilename = name + ".html";
  txtTitle = component.GetDesigner() != nullptr ? component.GetDesigner()->Caption() : std::string();
  convert_ = false;
  refusal_.clear();
  view_.ShowModal(*this);
  if (!convert_) return view_.Unload();
  std::vector<std::string> files = generator.PictureFiles(component, fs::absolute(txtFilename).string());
  files.insert(files.begin(), txtFilename);
  refusal_ = PageProblem(files, component, view_);
  if (!refusal_.empty()) {
    progress.AddStatus("FAILED to convert " + name + ": " + refusal_);
    return view_.Unload();
  }
  generator.Filename(txtFilename);
  generator.HTMLHeader(GenerateHeader());
  generator.FORMHeader(GenerateForm());
  generator.Layout(chkPositioned ? PageLayout::Positioned : PageLayout::Table);
  progress.SetMessageText("Converting your form to HTML..please wait");
  progress.Show();
  const std::int32_t result = generator.ConvertForm(component);
  if (!generator.LeftOut().empty()) {
    std::string names;
    for (const std::string& control : generator.LeftOut()) names += (names.empty() ? "" : ", ") + control;
    progress.AddStatus("Left out of the page (no place on the form): " + names);
  }
  if (result != 0)
    progress.AddStatus("FAILED to convert " + name + " (" + std::to_string(result) + ")");
  else
    progress.AddStatus("Form '" + name + "' converted OK");
  progress.SetMessageText("Finished Conversion Process");
  view_.DefaultMousePointer();
  view_.Unload();
}

}  // namespace gildex
