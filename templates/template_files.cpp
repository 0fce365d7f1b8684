#include "templates/template_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "common/nembus_common.h"
#include "platform/cp1252.h"
#include "platform/system.h"

namespace gildex {
namespace {

namespace fs = std::filesystem;

// Template folders often come from Windows, where "STANDARD.HDR" answers to "Standard.hdr";
// the listing already matches "*.hdr" in any case, so reading must find the same file.
std::optional<fs::path> FindFile(const fs::path& wanted) {
  std::error_code error;
  if (fs::exists(wanted, error)) return wanted;
  const std::string name = wanted.filename().string();
  const fs::path folder = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
  for (fs::directory_iterator entry(folder, error); !error && entry != fs::directory_iterator();
       entry.increment(error)) {
    if (cp1252::EqualsNoCase(entry->path().filename().string(), name)) return entry->path();
  }
  return std::nullopt;
}

std::optional<std::string> ReadBytes(const fs::path& file) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;
  return bytes;
}

// The lines of a text file; the break after the last line does not start another one.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

bool IsPreambleMarker(std::string_view line) { return cp1252::EqualsNoCase(TrimSpaces(line), kPreambleMarker); }

void FillIfEmpty(clsTemplate& record, std::size_t preamble_index, const std::string& value) {
  switch (preamble_index) {
    case 1:
      if (record.Title().empty()) record.Title(value);
      break;
    case 2:
      if (record.PreambleLine2().empty()) record.PreambleLine2(value);
      break;
    case 3:
      if (record.PreambleLine3().empty()) record.PreambleLine3(value);
      break;
  }
}

void StoreBlock(clsTemplate& record, std::string_view extension, std::string block) {
  if (extension == kHeaderExtension)
    record.HeaderText(std::move(block));
  else
    record.FooterText(std::move(block));
}

}  // namespace

bool ReadTemplateBlock(const std::string& path_without_extension, std::string_view extension, clsTemplate& record) {
  StoreBlock(record, extension, "");
  const std::optional<fs::path> file = FindFile(platform::NativePath(path_without_extension + std::string(extension)));
  if (!file) return false;
  const std::optional<std::string> bytes = ReadBytes(*file);
  if (!bytes) return false;
  const std::vector<std::string> lines = SplitLines(*bytes);
  std::size_t first_block_line = 0;
  if (!lines.empty() && IsPreambleMarker(lines[0])) {
    for (std::size_t i = 1; i <= 3 && i < lines.size(); ++i) FillIfEmpty(record, i, lines[i]);
    // The preamble promises three more lines; a file that ends inside it is damaged, as
    // reading past its end would have failed.
    if (lines.size() < 4) return false;
    first_block_line = 4;
  }
  std::string block;
  for (std::size_t i = first_block_line; i < lines.size(); ++i) {
    if (i > first_block_line) block += "\r\n";
    block += lines[i];
  }
  StoreBlock(record, extension, std::move(block));
  return true;
}

std::string FindTemplateFile(const std::string& path) {
  const std::optional<fs::path> file = FindFile(platform::NativePath(path));
  return file ? file->string() : std::string();
}

std::vector<std::string> TemplateNames(const std::string& template_path) {
  std::vector<std::string> names = Files(platform::NativePath(template_path), std::string("*") + std::string(kHeaderExtension));
  for (std::string& name : names) name.resize(name.size() - kHeaderExtension.size());
  return names;
}

clsTemplate ReadTemplate(CGildex& engine, const std::string& name) {
  clsTemplate record;
  record.Title(name);
  const std::string path = engine.TemplatePath() + name;
  ReadTemplateBlock(path, kHeaderExtension, record);
  ReadTemplateBlock(path, kFooterExtension, record);
  return record;
}

clsTemplate LoadTemplate(CGildex& engine, std::string_view name) {
  std::string wanted(TrimSpaces(name));
  if (wanted.empty()) wanted = engine.DefaultTemplate();
  clsTemplate record = ReadTemplate(engine, wanted);
  engine.HeaderCode(record.HeaderText());
  engine.FooterCode(record.FooterText());
  return record;
}

}  // namespace gildex
