// Pages of `gildex html` as a browser shows them: headless Chromium loads each page, and with
// the positioned layout every control's box stands where the designer draws it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line_test.h"
#include "host/host_test.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"
#include "platform/process.h"
#include "platform/test_files.h"
#include "workbench/designer_model.h"

namespace gildex::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::ReadBytes;
using platform::testing::WriteBytes;

// Set first in the page: it notes script errors and pictures that fail to load, and once the
// page has loaded writes them, then each element's box from the form's top left, into the page.
constexpr const char* kProbe = R"(<script>
var gildexErrors = [];
window.addEventListener('error', function (e) {
  gildexErrors.push(e.target && e.target.tagName ? 'not loaded: ' + (e.target.src || e.target.tagName) : 'error: ' + e.message);
}, true);
window.addEventListener('load', function () {
  var lines = gildexErrors.slice();
  document.querySelectorAll('img').forEach(function (img) {
    if (!img.complete || img.naturalWidth == 0) lines.push('not loaded: ' + img.src);
  });
  var form = document.getElementById('gildex-form');
  var origin = form ? form.getBoundingClientRect() : {left: 0, top: 0};
  document.querySelectorAll('[id]').forEach(function (e) {
    var r = e.getBoundingClientRect();
    lines.push('box ' + e.id + ' ' + Math.round(r.left - origin.left) + ' ' + Math.round(r.top - origin.top) + ' ' +
               Math.round(r.width) + ' ' + Math.round(r.height));
  });
  var out = document.createElement('pre');
  out.id = 'gildex-probe';
  out.textContent = '\n' + lines.join('\n') + '\n';
  document.body.appendChild(out);
});
</script>)";

struct Rendered {
  std::vector<std::string> problems;  // script errors and pictures not loaded
  std::map<std::string, workbench::Rect> boxes;
};

// Loads `page` in Chromium (a copy beside it, with the probe in its head) and reads the probe.
Rendered Render(const fs::path& page) {
  std::string text = ReadBytes(page);
  const std::size_t head = text.find("<HEAD>");
  text.insert(head == std::string::npos ? 0 : head + 6, kProbe);
  const fs::path probed = page.parent_path() / ("probed-" + page.filename().string());
  WriteBytes(probed, text);
  const std::string shell = "chromium --headless --no-sandbox --disable-gpu --virtual-time-budget=5000 --dump-dom "
                            "'file://" + probed.string() + "' 2>/dev/null";
  const std::string dom = platform::RunProcess({platform::ShellArgv(shell), {}}, std::size_t{1} << 26).output;
  Rendered rendered;
  const std::size_t start = dom.find("<pre id=\"gildex-probe\">");
  if (start == std::string::npos) {
    rendered.problems.push_back("the page did not finish loading");
    return rendered;
  }
  std::istringstream lines(dom.substr(start, dom.find("</pre>", start) - start));
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("box ")) {
      std::istringstream box(line.substr(4));
      std::string id;
      workbench::Rect r;
      box >> id >> r.x >> r.y >> r.width >> r.height;
      rendered.boxes[id] = r;
    } else if (!line.empty() && !line.starts_with("<pre")) {
      rendered.problems.push_back(line);
    }
  }
  return rendered;
}

// "optStatus(1)" as the page's id "optStatus_1".
std::string PageId(std::string name) {
  const std::size_t open = name.find('(');
  if (open != std::string::npos && name.ends_with(")")) {
    name.pop_back();
    name[open] = '_';
  }
  return name;
}

TEST(HtmlInBrowser, PagesLoadAndPositionedControlsStandWhereTheDesignerDrawsThem) {
  if (std::system("command -v chromium >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "chromium is not installed; this test renders the pages in it (apt-get install chromium)";
  ScratchHome scratch;
  const fs::path& dir = scratch.dir.Path();
  std::vector<fs::path> forms = {fs::path(GILDEX_SOURCE_DIR) / "data/Sample/frmCustomer.frm"};
  if (fs::is_directory(host::testing::kCorpus))
    for (const char* form : {"cd-database/frmProcura.frm", "billing-app/frmCompanySetup.frm", "trayicon-ocx/Form1.frm"})
      forms.push_back(host::testing::kCorpus / form);
  else
    std::fprintf(stderr, "the corpus is not at %s: only the sample form is rendered\n", host::testing::kCorpus.c_str());
  // Positioned only: the table layout's pages hold the same pictures, and its markup is checked
  // as a parser reads it on every corpus form (tools/asp_generator_test.cpp).
  for (const fs::path& form : forms) {
    SCOPED_TRACE(form.string());
    const fs::path folder = dir / (form.parent_path().filename().string() + "-" + form.stem().string());
    fs::create_directories(folder);
    const fs::path page = folder / "page.html";
    const Ran ran = RunGildex({"html", form.string(), "--out", page.string(), "--layout", "positioned"});
    ASSERT_EQ(ran.code, 0) << ran.err;
    const Rendered rendered = Render(page);
    EXPECT_EQ(rendered.problems, std::vector<std::string>{});
    // The designer's places, from the form file as it is (the conversion does not save it).
    host::MemoryVBE vbe;
    const host::LoadResult loaded = host::Load(vbe, form);
    ASSERT_TRUE(loaded.readable) << loaded.error;
    workbench::DesignerModel model(*vbe.Projects().front()->At(0).GetDesigner(), form.parent_path());
    int compared = 0;
    for (const workbench::ControlView& view : model.Views()) {
      if (view.placement != workbench::Placement::Box || view.kind == workbench::DrawKind::Line) continue;
      const auto box = rendered.boxes.find(PageId(view.name));
      if (box == rendered.boxes.end()) {
        ADD_FAILURE() << view.name << " is not on the page";
        continue;
      }
      const workbench::Rect& got = box->second;
      const workbench::Rect& want = view.rect;
      EXPECT_TRUE(std::abs(got.x - want.x) <= 2 && std::abs(got.y - want.y) <= 2 &&
                  std::abs(got.width - want.width) <= 2 && std::abs(got.height - want.height) <= 2)
          << view.name << ": page " << got.x << "," << got.y << " " << got.width << "x" << got.height << ", designer "
          << want.x << "," << want.y << " " << want.width << "x" << want.height;
      ++compared;
    }
    EXPECT_GT(compared, 3);
  }
}

}  // namespace
}  // namespace gildex::app
