#include "host/control_catalogue.h"

#include <gtest/gtest.h>

#include <iostream>
#include <set>

#include "host/host_test.h"
#include "host/memory_vbe.h"
#include "host/project_loader.h"

namespace gildex::host {
namespace {

// What VB6 wrote is the judge: every property an intrinsic control of the corpus lists is in
// the catalogue, none is at its default unless VB6 writes it at any value, and every comment
// after a value is the one the catalogue gives.
TEST(ControlCatalogue, AgreesWithWhatVb6WroteInTheCorpus) {
  GILDEX_SKIP_WITHOUT_CORPUS();
  // Groups the catalogue does not know: a data binding's format is written whole or not at all.
  const std::set<std::string> unknown_groups = {"DataFormat"};
  std::set<std::string> problems;
  int checked = 0;
  for (const std::filesystem::path& project_file : testing::CorpusFiles({".vbp"})) {
    MemoryVBE vbe;
    LoadResult loaded = Load(vbe, project_file);
    for (MemoryProject* project : loaded.projects) {
      for (MemoryComponent* component : project->Components()) {
        auto* designer = static_cast<MemoryDesigner*>(component->GetDesigner());
        if (!designer || !component->Usable()) continue;
        std::vector<const DesignerControl*> controls{&designer->Root().Block()};
        for (VBControl* control : designer->Controls()) controls.push_back(&static_cast<MemoryControl*>(control)->Block());
        for (const DesignerControl* control : controls) {
          const ControlClass* known = IntrinsicClass(control->prog_id);
          if (!known) continue;
          for (const DesignerProperty& line : control->properties) {
            if (line.name == "Index" || (line.is_group && unknown_groups.count(line.name))) continue;
            const std::string where = control->prog_id + "." + line.name;
            const CatalogueProperty* property = CatalogueFind(control->prog_id, {line.name});
            if (!property) {
              problems.insert(where + " is not in the catalogue");
              continue;
            }
            ++checked;
            if (line.is_group) continue;
            if (!property->always_written && line.value == property->default_value)
              problems.insert(where + " = " + line.value + " is written at its default");
            const std::vector<RawLine>& header = component->Header();
            const std::string& text = header.at(static_cast<std::size_t>(line.line - 1)).text;
            const std::size_t quote = text.rfind('\'');
            const bool commented = quote != std::string::npos && text.find('"') == std::string::npos;
            const std::string written = commented ? text.substr(quote + 1) : "";
            if (written != ValueComment(control->prog_id, line.name, line.value))
              problems.insert(where + " = " + line.value + " has the comment '" + written + "', the catalogue '" +
                              ValueComment(control->prog_id, line.name, line.value) + "'");
          }
        }
      }
    }
  }
  EXPECT_GT(checked, 5000);
  for (const std::string& problem : problems) ADD_FAILURE() << problem;
  std::cout << checked << " property lines of intrinsic controls checked\n";
}

}  // namespace
}  // namespace gildex::host
