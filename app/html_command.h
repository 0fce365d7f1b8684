#pragma once
// `gildex html FORM-FILE-OR-PROJECT`: the converter window run from the command line. The
// options fill its fields, Convert is pressed, and the page and its pictures are written;
// the form itself is never saved.
#include <iosfwd>
#include <string>

#include "common/registry_tools.h"

namespace gildex::app {

struct HtmlOptions {
  std::string input;      // a .frm, or a .vbp/.vbg holding the form
  std::string component;  // the form's name; may be empty when there is only one form
  std::string out;        // the page; empty: the form's name + ".html" in the current folder
  std::string title;      // terminal text (UTF-8); `title_set` false: the form's caption
  bool title_set = false;
  std::string keywords, description;  // terminal text (UTF-8)
  std::string layout = "table";       // table or positioned
  std::string method = "POST";  // GET or POST, any letter case
  std::string action = "--WEBBOT-SELF--";
  bool force = false;  // replace an existing page (never a file of the project)
  bool quiet = false;  // problems only: no "wrote" lines
};

// 0 done, 1 the conversion failed, 2 bad usage or input (nothing written).
int RunHtmlCommand(const HtmlOptions& options, RegistryTools& registry, std::ostream& out, std::ostream& err);

}  // namespace gildex::app
