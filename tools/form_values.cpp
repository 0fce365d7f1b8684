#include "tools/form_values.h"

#include <cmath>
#include <filesystem>

#include "host/designer_block.h"
#include "host/project_file.h"
#include "platform/atomic_file.h"
#include "tools/asp_generator.h"

namespace gildex::form_values {

namespace fs = std::filesystem;

const host::Property* Find(host::VBControl& control, std::string_view name) { return control.FindProperty(name); }

double Number(host::VBControl& control, std::string_view name) {
  const host::Property* property = Find(control, name);
  return property != nullptr ? Val(property->Value()) : 0;
}

long Whole(double value) { return static_cast<long>(std::nearbyint(value)); }

VbError DamagedFrx(const host::FrxReference& reference) {
  return VbError(380, "Invalid property value: the data at " + reference.file + ":" + std::to_string(reference.offset) +
                          " is damaged");
}

std::string FrxBytes(const std::string& form_folder, const host::FrxReference& reference) {
  const auto file = host::FindIgnoringCase(form_folder.empty() ? fs::path(".") : fs::path(form_folder), reference.file);
  const auto bytes = file ? platform::ReadWholeFile(*file) : std::nullopt;
  if (!bytes) throw VbError(53, "File not found: " + reference.file);
  if (reference.offset >= bytes->size()) throw DamagedFrx(reference);
  return *bytes;
}

std::uint32_t Little(const std::string& bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

std::string Text(host::VBControl& control, std::string_view name, const std::string& form_folder) {
  const host::Property* property = Find(control, name);
  if (property == nullptr) return {};
  const std::string value = property->Value();
  const auto reference = host::ParseFrxReference(value);
  if (!reference) return host::DesignerStringText(value);
  const std::string bytes = FrxBytes(form_folder, *reference);
  const std::size_t at = reference->offset;
  if (at + 4 > bytes.size() || Little(bytes, at, 4) > bytes.size() - at - 4) throw DamagedFrx(*reference);
  return bytes.substr(at + 4, Little(bytes, at, 4));
}

std::vector<std::string> ListEntries(host::VBControl& control, const std::string& form_folder) {
  const host::Property* property = Find(control, "List");
  if (property == nullptr || property->Value().empty()) return {};  // none
  const auto reference = host::ParseFrxReference(property->Value());
  if (!reference) throw VbError(380, "Invalid property value: List");
  const std::string bytes = FrxBytes(form_folder, *reference);
  std::size_t at = reference->offset;
  if (at + 4 > bytes.size()) throw DamagedFrx(*reference);
  const std::uint32_t count = Little(bytes, at, 2);
  at += 4;
  std::vector<std::string> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + 2 > bytes.size() || Little(bytes, at, 2) > bytes.size() - at - 2) throw DamagedFrx(*reference);
    entries.push_back(bytes.substr(at + 2, Little(bytes, at, 2)));
    at += 2 + Little(bytes, at, 2);
  }
  return entries;
}

std::string PictureExtension(std::string_view data) {
  const auto starts = [&](std::string_view magic, std::size_t at = 0) { return data.substr(at, magic.size()) == magic; };
  if (starts("BM")) return ".bmp";
  if (starts("GIF8")) return ".gif";
  if (starts("\xFF\xD8\xFF")) return ".jpg";
  if (starts("\x89PNG")) return ".png";
  if (starts(std::string_view("\0\0\1\0", 4))) return ".ico";
  if (starts(std::string_view("\0\0\2\0", 4))) return ".cur";
  if (starts("\xD7\xCD\xC6\x9A")) return ".wmf";
  if (starts(std::string_view("\1\0\0\0", 4)) && starts(" EMF", 40)) return ".emf";
  if (starts(std::string_view("\1\0\x09\0", 4)) || starts(std::string_view("\2\0\x09\0", 4))) return ".wmf";
  return ".bin";
}

std::string FontName(host::VBControl& control) {
  for (host::VBControl* at = &control; at != nullptr; at = at->Container())
    if (const host::Property* name = Find(*at, "Font.Name")) return host::DesignerStringText(name->Value());
  return "MS Sans Serif";
}

// The element's id: the control's name, with its index for a member of a control array
std::string ElementId(host::VBControl& control) {
  return control.Index() >= 0 ? control.Name() + "_" + std::to_string(control.Index()) : control.Name();
}

namespace {

// `caption` as shown: with `mark` the access key's letter between <u> and </u>.
std::string Shown(const std::string& caption, bool mnemonic, bool mark) {
  if (!mnemonic) return HtmlEscape(caption);
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&' || i + 1 == caption.size()) {
      shown += HtmlEscape(caption.substr(i, 1));
    } else if (caption[i + 1] == '&') {
      shown += "&amp;";
      ++i;
    } else {
      const std::string key = HtmlEscape(caption.substr(++i, 1));
      shown += mark ? "<u>" + key + "</u>" : key;
    }
  }
  return shown;
}

bool Mnemonic(host::VBControl& control) {
  const host::Property* use = Find(control, "UseMnemonic");
  return use == nullptr || use->Value().empty() || Val(use->Value()) != 0;
}

}  // namespace

std::string CaptionMarkup(host::VBControl& control, const std::string& form_folder) {
  return Shown(Text(control, "Caption", form_folder), Mnemonic(control), true);
}

std::string CaptionShown(host::VBControl& control, const std::string& form_folder) {
  return Shown(Text(control, "Caption", form_folder), Mnemonic(control), false);
}

}  // namespace gildex::form_values
