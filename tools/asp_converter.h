#pragma once
// frmASPConverter, the window that converts one form to an HTML page, as a model without a
// toolkit: its fields, its buttons and the whole conversion (ShowConverter). A window draws
// it through ASPConverterView; the command line fills the fields and presses Convert.
#include <cstdint>
#include <string>

#include "engine/progress.h"
#include "host/vbide.h"
#include "tools/asp_generator.h"

namespace gildex {

class frmASPConverter;

class ASPConverterView {
 public:
  virtual ~ASPConverterView() = default;
  // Shows the window modally over `window`'s fields; returns once a button hid it or the user
  // closed it (the user's edits and clicks go to the model meanwhile).
  virtual void ShowModal(frmASPConverter& window) = 0;
  // The save-file dialog: the chosen file, or empty when cancelled.
  virtual std::string SaveFileName(const std::string& title, const std::string& pattern) = 0;
  // The page or one of its pictures exists (and is none of the project's): true to replace
  // it. A window that cannot ask keeps the file.
  virtual bool ConfirmReplace(const std::string& /*file*/) { return false; }
  virtual void DefaultMousePointer() = 0;
  virtual void Unload() = 0;
};

inline constexpr const char* kConverterCaption = "Gildex HTML Form Converter";
inline constexpr const char* kConverterAction = "--WEBBOT-SELF--";

class frmASPConverter {
 public:
  explicit frmASPConverter(ASPConverterView& view) : view_(view) {}

  // The whole conversion of `component`'s form with `generator`, reported to `progress`. The
  // page and its pictures never replace a file of the project; another existing file only
  // when the view confirms it.
  void ShowConverter(host::VBComponent& component, clsASPGenerator& generator, Progress& progress);
  // Why the last ShowConverter wrote nothing though Convert was pressed; empty otherwise.
  const std::string& Refusal() const { return refusal_; }
  // The page header and the form's opening tag from the fields, every value escaped.
  std::string GenerateHeader() const;
  std::string GenerateForm() const;

  // Buttons.
  void cmdGo_Click() { convert_ = true; }
  void cmdClose_Click() { convert_ = false; }
  void cmdBrowse_Click();

  // Fields; optMethod 0 is GET, 1 POST; chkPositioned places each control as the designer
  // draws it instead of in tables.
  std::string txtFilename, txtTitle, txtKeywords, txtDescription, txtAction = kConverterAction;
  int optMethod = 1;
  bool chkPositioned = false;

 private:
  ASPConverterView& view_;
  bool convert_ = false;
  std::string refusal_;
};

}  // namespace gildex
