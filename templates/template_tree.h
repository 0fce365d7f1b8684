#pragma once
// The tree of templates that the options dialog and the insert wizard show, and that
// `gildex templates list` prints. The windows implement TemplateTree over their tree
// controls; TextTemplateTree keeps the nodes and renders them as indented text.
#include <string>
#include <vector>

#include "common/error_report.h"
#include "engine/gildex.h"

namespace gildex {

inline constexpr const char* kTemplatesRootKey = "root";
inline constexpr const char* kCommentHeaderKey = "CommentHeader@";
// Image keys of the nodes: the pictures are the windows' own.
inline constexpr const char* kImageTemplates = "templates";
inline constexpr const char* kImageTemplate = "template";
inline constexpr const char* kImageDefault = "default";
inline constexpr const char* kImageHeader = "header";
// The options dialog's tree also offers the comment header for editing.
inline constexpr const char* kOptionsFormName = "frmOptions";

class TemplateTree {
 public:
  virtual ~TemplateTree() = default;
  virtual void Clear() = 0;
  // A child of `parent_key`, or a top-level node after the others when `parent_key` is empty.
  virtual void AddNode(const std::string& parent_key, const std::string& key, const std::string& text,
                       const std::string& image) = 0;
  virtual void SetImage(const std::string& key, const std::string& image) = 0;
  virtual void Select(const std::string& key) = 0;
  virtual void Expand(const std::string& key) = 0;
  // The name of the form the tree sits on.
  virtual std::string OwnerName() const = 0;
};

struct TemplateTreeNode {
  std::string parent_key;
  std::string key;
  std::string text;
  std::string image;
  bool expanded = false;
};

class TextTemplateTree : public TemplateTree {
 public:
  explicit TextTemplateTree(std::string owner_name) : owner_name_(std::move(owner_name)) {}
  void Clear() override;
  void AddNode(const std::string& parent_key, const std::string& key, const std::string& text,
               const std::string& image) override;
  void SetImage(const std::string& key, const std::string& image) override;
  void Select(const std::string& key) override { selected_ = Find(key).key; }
  void Expand(const std::string& key) override { Find(key).expanded = true; }
  std::string OwnerName() const override { return owner_name_; }

  const std::vector<TemplateTreeNode>& Nodes() const { return nodes_; }
  const std::string& SelectedKey() const { return selected_; }
  // The node with `key`, or null.
  const TemplateTreeNode* Node(const std::string& key) const;
  // The keys of `parent_key`'s children, in order.
  std::vector<std::string> Children(const std::string& parent_key) const;
  // Removes the node and its children; the selection goes when it was among them.
  void Remove(const std::string& key);
  // A label edit that was accepted: the node's key and text both become `name`.
  void Rename(const std::string& key, const std::string& name);
  // What the tree shows: one line a visible node, two spaces of indent a level, the default
  // template followed by " (default)". Children of a collapsed node are hidden.
  std::string Render() const;

 private:
  TemplateTreeNode& Find(const std::string& key);
  void RenderChildren(const std::string& parent_key, int depth, std::string& out) const;

  std::string owner_name_;
  std::vector<TemplateTreeNode> nodes_;
  std::string selected_;
};

// Fills `tree` with a root "Templates" and a node per template of the engine's templates
// folder, marks and selects the engine's DefaultTemplate (exact letter case) and sets
// `default_template_key` to its key, or to empty when it has no node. Failures are shown
// under "AddIn.PopulateTree".
void PopulateTree(TemplateTree& tree, CGildex& engine, ErrorReport& report, std::string& default_template_key);

}  // namespace gildex
