#pragma once
// The task-list component that keeps one project's To-Do list in the file "todo.dat" of the
// project's folder. Toolkit-free: a window (ToDoView) draws it and reports the user's edits
// back through the list's operations, the command line edits it directly.
//
// The file: Windows-1252 text, every line ended by CR LF. The first line is the signature
// "Gildex To-Do list 1"; each further line is one item, "[ ] " (open) or "[x] " (done)
// followed by the item's text, which is never empty and holds no control character but tab.
//
//   Gildex To-Do list 1
//   [ ] Number the order forms
//   [x] Remove the old logging
//
// A missing file is an empty list. A file that is not of that form (a different first line,
// a line that is no item, a lone CR or LF, a last line without its CR LF as a cut-off write
// leaves it) is damaged: Load says where, and the list refuses every change, so the file is
// never overwritten. Each change is written at once, atomically, under the file's lock into the
// file as it is then, so concurrent edits lose none of each other's items; an item another
// program changed or removed since the list was read is not touched.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/atomic_file.h"

namespace gildex {

inline constexpr const char* kToDoFileName = "todo.dat";
inline constexpr const char* kToDoSignature = "Gildex To-Do list 1";

struct ToDoItem {
  bool done = false;
  std::string text;  // Windows-1252
  bool operator==(const ToDoItem&) const = default;
};

// The file's bytes for `items`.
std::string FormatToDoFile(const std::vector<ToDoItem>& items);
// The items of a file's bytes; nothing, and `problem` says which line is wrong, when damaged.
std::optional<std::vector<ToDoItem>> ParseToDoFile(const std::string& bytes, std::string& problem);
// What is wrong with `text` as an item's text; empty when it is fine.
std::string ToDoTextProblem(const std::string& text);
// The list of the project whose file is `project_file`: "todo.dat" beside it. Empty for a
// project that has no file yet.
std::string ToDoFileOf(const std::string& project_file);

class ToDoList;

// The window that shows a list. The user closing it calls the list's Unload().
class ToDoView {
 public:
  virtual ~ToDoView() = default;
  // Shows `list` titled with its caption, in place of any list shown before.
  virtual void Show(ToDoList& list) = 0;
  // `list` is being released: a window that shows it closes (one showing another list stays).
  virtual void Hide(ToDoList& list) = 0;
};

class ToDoList {
 public:
  ToDoList() = default;
  ~ToDoList();
  ToDoList(const ToDoList&) = delete;
  ToDoList& operator=(const ToDoList&) = delete;

  void Caption(std::string caption) { caption_ = std::move(caption); }
  const std::string& Caption() const { return caption_; }
  void FileName(std::string file) { file_ = std::move(file); }
  const std::string& FileName() const { return file_; }

  // Reads the file. Empty when it went well (a missing file gives an empty list); otherwise
  // why not, and the list stays empty and refuses every change.
  std::string Load();
  bool Damaged() const { return damaged_; }
  const std::vector<ToDoItem>& Items() const { return items_; }

  // Each change is written at once; empty when it went well, otherwise why it was refused
  // (nothing changed then). Items count from 1.
  std::string Add(const std::string& text);
  std::string MarkDone(std::size_t item, bool done = true);
  std::string Remove(std::size_t item);
  // Why `item` names no item; empty when it does.
  std::string ItemProblem(std::size_t item) const;

  void Show(ToDoView& view);
  // The window was closed: raises Unloaded, the last thing done, so a handler may release
  // the list.
  void Unload();
  std::function<void()> Unloaded;
  // Lets go of the window.
  void Release();

 private:
  // Applies `change` to the file's items as they are now, under the file's lock, and writes them.
  std::string Write(const std::function<std::string(std::vector<ToDoItem>&)>& change);
  std::string Locate(std::size_t item, const std::vector<ToDoItem>& items, std::size_t& at) const;

  std::string caption_, file_;
  std::vector<ToDoItem> items_;
  bool loaded_ = false, damaged_ = false;
  std::optional<platform::FileStamp> stamp_;  // what the file held when read or last written; none: no file
  ToDoView* view_ = nullptr;
};

}  // namespace gildex
