#include "tools/asp_converter.h"

namespace gildex {

void frmASPConverter::cmdBrowse_Click() {
  const std::string file = view_.SaveFileName("Please select file to save to", "*.html");
  if (!file.empty()) txtFilename = file;
}

std::string frmASPConverter::GenerateHeader() const {
  const auto meta = [](const char* name, const std::string& content) {
    return std::string("<META name=\"") + name + "\" content=\"" + HtmlEscape(content) + "\">";
  };
  return "<HTML>\r\n<HEAD>\r\n<TITLE>" + HtmlEscape(txtTitle) + "</TITLE>\r\n" + meta("title", txtTitle) + "\r\n" +
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
  view_.ShowModal(*this);
  if (!convert_) return view_.Unload();
  generator.Filename(txtFilename);
  generator.HTMLHeader(GenerateHeader());
  generator.FORMHeader(GenerateForm());
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
