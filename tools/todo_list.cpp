#include "tools/todo_list.h"

#include <algorithm>

#include <fmt/core.h>

#include <stdexcept>

#include "common/nembus_common.h"
#include "platform/cp1252.h"

namespace gildex {
namespace {

constexpr std::string_view kOpen = "[ ] ", kDone = "[x] ";

std::string ControlProblem(const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\r' || byte == '\n') return "an item is one line: its text holds a line break";
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F)
      return fmt::format("an item's text holds the control character {:#04x}", +byte);
  }
  return {};
}

// Blanks around an item's text are no part of it.
std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

}  // namespace

std::string FormatToDoFile(const std::vector<ToDoItem>& items) {
  std::string bytes = std::string(kToDoSignature) + "\r\n";
  for (const ToDoItem& item : items) bytes += std::string(item.done ? kDone : kOpen) + item.text + "\r\n";
  return bytes;
}

std::optional<std::vector<ToDoItem>> ParseToDoFile(const std::string& bytes, std::string& problem) {
  std::vector<ToDoItem> items;
  std::size_t at = 0;
  for (int line = 1; at < bytes.size(); ++line) {
    const std::size_t end = bytes.find("\r\n", at);
    const std::string text = bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
    auto damaged = [&](const std::string& why) {
      problem = fmt::format("line {}: {}", line, why);
      return std::nullopt;
    };
    if (end == std::string::npos) return damaged("the last line has no line end (the file was cut off)");
    at = end + 2;
    if (text.find_first_of("\r\n") != std::string::npos) return damaged("a lone CR or LF; lines end with CR LF");
    if (line == 1) {
      if (text != kToDoSignature) return damaged(fmt::format("not a To-Do list: it starts \"{}\"", text));
      continue;
    }
    ToDoItem item;
    if (text.starts_with(kOpen))
      item.done = false;
    else if (text.starts_with(kDone))
      item.done = true;
    else
      return damaged("an item starts \"[ ] \" or \"[x] \"");
    item.text = text.substr(kOpen.size());
    if (const std::string why = ToDoTextProblem(item.text); !why.empty()) return damaged(why);
    items.push_back(std::move(item));
  }
  if (bytes.empty()) {
    problem = "line 1: the file is empty, without the line \"" + std::string(kToDoSignature) + "\"";
    return std::nullopt;
  }
  return items;
}

std::string ToDoTextProblem(const std::string& text) {
  if (Trimmed(text).empty()) return "an item's text is empty";
  return ControlProblem(text);
}

std::string ToDoFileOf(const std::string& project_file) {
  if (project_file.empty()) return {};
  std::string folder = GetFilePath(project_file);
  if (!IsPathSeparator(folder.back())) folder += kPathSeparator;
  return folder + kToDoFileName;
}

ToDoList::~ToDoList() { Release(); }

std::string ToDoList::Load() {
  items_.clear();
  stamp_.reset();
  damaged_ = false;
  loaded_ = true;
  std::optional<std::string> bytes;
  try {
    bytes = platform::ReadWholeFile(file_);
  } catch (const std::exception& e) {
    damaged_ = true;
    return e.what();
  }
  if (!bytes) return {};
  std::string problem;
  std::optional<std::vector<ToDoItem>> items = ParseToDoFile(*bytes, problem);
  if (!items) {
    damaged_ = true;
    return file_ + ": " + problem + "; the list is left as it is";
  }
  items_ = std::move(*items);
  stamp_ = platform::StampOf(*bytes);
  return {};
}

std::string ToDoList::Write(const std::function<std::string(std::vector<ToDoItem>&)>& change) {
  if (!loaded_) return file_ + ": the list was not loaded; nothing was written";
  if (damaged_) return file_ + " is damaged; repair or remove it first (nothing was written)";
  std::vector<ToDoItem> items;
  std::string bytes;
  try {
    // Another program (a second window, a command line run) may have changed the file since
    // we read it: the change goes into the file as it is now, read under the lock.
    platform::FileLock lock(file_);
    const bool unchanged = stamp_ ? platform::StillAsStamped(file_, *stamp_) : !std::filesystem::exists(file_);
    items = items_;
    if (!unchanged) {
      std::optional<std::string> now = platform::ReadWholeFile(file_);
      std::string problem;
      std::optional<std::vector<ToDoItem>> parsed = now ? ParseToDoFile(*now, problem) : std::vector<ToDoItem>{};
      if (!parsed)
        return file_ + " was damaged by another program (" + problem + "); nothing was written";
      items = std::move(*parsed);
    }
    if (std::string problem = change(items); !problem.empty()) return problem;
    bytes = FormatToDoFile(items);
    platform::WriteFileAtomically(file_, bytes, 0644, true);
  } catch (const std::exception& e) {
    return e.what();
  }
  items_ = std::move(items);
  stamp_ = platform::StampOf(bytes);
  return {};
}

// Where `item` of what we read is in `items` (the file as it is now): the same place when it
// still holds it, else the one place that holds such an item.
std::string ToDoList::Locate(std::size_t item, const std::vector<ToDoItem>& items, std::size_t& at) const {
  const ToDoItem& wanted = items_[item - 1];
  if (item <= items.size() && items[item - 1] == wanted) {
    at = item - 1;
    return {};
  }
  const auto count = std::count(items.begin(), items.end(), wanted);
  if (count == 1) {
    at = static_cast<std::size_t>(std::find(items.begin(), items.end(), wanted) - items.begin());
    return {};
  }
  return fmt::format("item {} was changed by another program since the list was read; load it again (nothing was "
                     "written)",
                     item);
}

std::string ToDoList::ItemProblem(std::size_t item) const {
  if (item >= 1 && item <= items_.size()) return {};
  if (items_.empty()) return fmt::format("there is no item {}: the list is empty", item);
  return fmt::format("there is no item {}: the items are 1 to {}", item, items_.size());
}

std::string ToDoList::Add(const std::string& text) {
  if (const std::string problem = ToDoTextProblem(text); !problem.empty()) return problem;
  return Write([&](std::vector<ToDoItem>& items) {
    items.push_back({false, Trimmed(text)});
    return std::string();
  });
}

std::string ToDoList::MarkDone(std::size_t item, bool done) {
  if (const std::string problem = ItemProblem(item); !problem.empty()) return problem;
  return Write([&](std::vector<ToDoItem>& items) {
    std::size_t at = 0;
    std::string problem = Locate(item, items, at);
    if (problem.empty()) items[at].done = done;
    return problem;
  });
}

std::string ToDoList::Remove(std::size_t item) {
  if (const std::string problem = ItemProblem(item); !problem.empty()) return problem;
  return Write([&](std::vector<ToDoItem>& items) {
    std::size_t at = 0;
    std::string problem = Locate(item, items, at);
    if (problem.empty()) items.erase(items.begin() + static_cast<std::ptrdiff_t>(at));
    return problem;
  });
}

void ToDoList::Show(ToDoView& view) {
  if (view_ != nullptr && view_ != &view) view_->Hide(*this);
  view_ = &view;
  view.Show(*this);
}

void ToDoList::Unload() {
  view_ = nullptr;
  // The handler may destroy this list: nothing of it is touched after the call.
  const std::function<void()> unloaded = Unloaded;
  if (unloaded) unloaded();
}

void ToDoList::Release() {
  ToDoView* view = view_;
  view_ = nullptr;
  if (view != nullptr) view->Hide(*this);
}

}  // namespace gildex
