#pragma once
// clsASPGenerator: turns one form into a static HTML page. The controls are laid out in
// borderless tables, one table row for each run of controls with the same top, each control
// in a right-aligned cell as wide as the gap to the previous one; every control becomes one
// element; pictures are written beside the page in their stored format; the form's event
// code follows as client-side VBScript (event_code_vbscript.h).
//
// Text from the form (names, captions, list entries, fonts) is escaped for HTML and the
// form's code cannot end the script block early, so nothing a form holds gets into the page
// as markup or script. Controls without a place on the form (menus, timers: no Top, Left or
// Width) are left out of the page and named in LeftOut().
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/registry_tools.h"
#include "host/vbide.h"

namespace gildex {

// `text` fit for HTML text and quoted attribute values: & < > " ' as references.
std::string HtmlEscape(std::string_view text);
// `text` fit for an unquoted attribute value: also blanks, = and ` as references.
std::string HtmlEscapeUnquoted(std::string_view text);

// How the page lays the controls out: in tables by rows (the converter's own layout), or each
// at its own place, size and look as the designer draws it.
enum class PageLayout { Table, Positioned };

class clsASPGenerator {
 public:
  // `registry` answers the class ids of ActiveX controls (HKEY_CLASSES_ROOT).
  explicit clsASPGenerator(RegistryTools& registry) : registry_(registry) {}

  const std::string& Filename() const { return filename_; }
  void Filename(std::string value) { filename_ = std::move(value); }
  const std::string& HTMLHeader() const { return html_header_; }
  void HTMLHeader(std::string value) { html_header_ = std::move(value); }
  const std::string& FORMHeader() const { return form_header_; }
  void FORMHeader(std::string value) { form_header_ = std::move(value); }
  PageLayout Layout() const { return layout_; }
  void Layout(PageLayout value) { layout_ = value; }

  // Writes the page of `component`'s form to Filename() (replaced by `file_name` without its
  // double quotes when given). 0 on success, else the number of the error that stopped it;
  // what was written of the page by then stays. The form keeps ScaleMode 3 (pixels).
  std::int32_t ConvertForm(host::VBComponent& component, std::optional<std::string> file_name = {});
  // The markup of one control; a PictureBox's or Image's picture goes into `folder`. The
  // .frx data it reads are those beside the form of the last ConvertForm.
  std::string ControlToHTML(host::VBControl& control, double ratio, const std::string& folder);
  // Table markup for a change of row; mode 1 opens a table, 2 (or any other) closes one.
  std::string AddTableInfo(std::optional<std::int16_t> mode = {});

  // The picture files a conversion of `component` into `page` would write.
  std::vector<std::string> PictureFiles(host::VBComponent& component, const std::string& page);

  // Of the last conversion: the controls left out of the page, the picture files written,
  // and why a picture was not written (its markup is there all the same).
  const std::vector<std::string>& LeftOut() const { return left_out_; }
  const std::vector<std::string>& PicturesWritten() const { return pictures_written_; }
  const std::vector<std::string>& PictureProblems() const { return picture_problems_; }
  // The error that stopped the last conversion, as the host described it.
  const std::string& LastError() const { return last_error_; }

 private:
  void BuildPage(host::VBComponent& component);
  // The positioned layout (asp_positioned.cpp): the controls inside `container`, each at its
  // place in pixels from the container's scale (twips per unit across and down, and the units
  // at its top left).
  std::string PositionedBody(host::Designer& designer, const std::string& folder);
  std::string PositionedControls(host::Designer& designer, host::VBControl& container, double across, double down,
                                 double scale_left, double scale_top, const std::string& folder);
  std::string PositionedControl(host::Designer& designer, host::VBControl& control, int x, int y, int w, int h,
                                double across, double down, const std::string& folder);
  std::string PositionedContainer(host::Designer& designer, host::VBControl& control, std::string style,
                                  const std::string& back, int w, int h, double across, double down,
                                  const std::string& folder);
  std::string TableBody(const std::vector<host::VBControl*>& controls, double ratio, const std::string& folder);
  // Writes the control's picture into `folder` (and a PNG copy); the name the page gives it
  // beside the page, empty when there is none a browser shows.
  std::string SavePicture(host::VBControl& control, const std::string& folder);
  // The picture's own bytes from the .frx; empty when it has none.
  std::string PictureData(host::VBControl& control) const;
  std::string Placeholder(host::VBControl& control, const std::string& id, const std::string& width,
                          const std::string& height, const std::string& style);
  // The form file's folder, where its .frx files are.
  std::string form_folder_;

  RegistryTools& registry_;
  std::string filename_, html_header_, form_header_;
  PageLayout layout_ = PageLayout::Table;
  bool table_open_ = false;
  std::vector<std::string> left_out_, pictures_written_, picture_problems_;
  std::string last_error_;
};

}  // namespace gildex
