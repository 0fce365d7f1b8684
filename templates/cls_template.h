#pragma once
// clsTemplate: one template as the add-in holds it in memory. Its fields are filled from the
// template's ".hdr" and ".ftr" files (template_files.h); the files are the stored form.
#include <string>

namespace gildex {

class clsTemplate {
 public:
  const std::string& Title() const { return title_; }
  void Title(std::string value) { title_ = std::move(value); }
  // The base name shared by the template's two files; the record's key in colTemplates.
  const std::string& TemplateName() const { return template_name_; }
  void TemplateName(std::string value) { template_name_ = std::move(value); }
  // Lines joined with CR LF, no line break after the last one.
  const std::string& HeaderText() const { return header_text_; }
  void HeaderText(std::string value) { header_text_ = std::move(value); }
  const std::string& FooterText() const { return footer_text_; }
  void FooterText(std::string value) { footer_text_ = std::move(value); }
  // Kept as read from the header file so that an edited file can keep them; nothing reads them.
  const std::string& PreambleLine2() const { return preamble_line2_; }
  void PreambleLine2(std::string value) { preamble_line2_ = std::move(value); }
  const std::string& PreambleLine3() const { return preamble_line3_; }
  void PreambleLine3(std::string value) { preamble_line3_ = std::move(value); }

 private:
  std::string title_;
  std::string template_name_;
  std::string header_text_;
  std::string footer_text_;
  std::string preamble_line2_;
  std::string preamble_line3_;
};

}  // namespace gildex
