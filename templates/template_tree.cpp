#include "templates/template_tree.h"

#include <stdexcept>

#include "templates/template_files.h"

namespace gildex {

void TextTemplateTree::Clear() {
  nodes_.clear();
  selected_.clear();
}

void TextTemplateTree::AddNode(const std::string& parent_key, const std::string& key, const std::string& text,
                               const std::string& image) {
  for (const TemplateTreeNode& node : nodes_)
    if (node.key == key) throw VbError(35602, "Key is not unique in collection");
  if (!parent_key.empty()) Find(parent_key);
  nodes_.push_back({parent_key, key, text, image, false});
}

void TextTemplateTree::SetImage(const std::string& key, const std::string& image) { Find(key).image = image; }

TemplateTreeNode& TextTemplateTree::Find(const std::string& key) {
  for (TemplateTreeNode& node : nodes_)
    if (node.key == key) return node;
  throw VbError(35601, "Element not found");
}

const TemplateTreeNode* TextTemplateTree::Node(const std::string& key) const {
  for (const TemplateTreeNode& node : nodes_)
    if (node.key == key) return &node;
  return nullptr;
}

std::vector<std::string> TextTemplateTree::Children(const std::string& parent_key) const {
  std::vector<std::string> keys;
  for (const TemplateTreeNode& node : nodes_)
    if (node.parent_key == parent_key) keys.push_back(node.key);
  return keys;
}

void TextTemplateTree::Remove(const std::string& key) {
  Find(key);
  for (const std::string& child : Children(key)) Remove(child);
  if (selected_ == key) selected_.clear();
  std::erase_if(nodes_, [&](const TemplateTreeNode& node) { return node.key == key; });
}

void TextTemplateTree::Rename(const std::string& key, const std::string& name) {
  TemplateTreeNode& renamed = Find(key);
  for (TemplateTreeNode& node : nodes_)
    if (node.parent_key == key) node.parent_key = name;
  renamed.key = name;
  renamed.text = name;
  if (selected_ == key) selected_ = name;
}

std::string TextTemplateTree::Render() const {
  std::string out;
  RenderChildren("", 0, out);
  return out;
}

void TextTemplateTree::RenderChildren(const std::string& parent_key, int depth, std::string& out) const {
  for (const TemplateTreeNode& node : nodes_) {
    if (node.parent_key != parent_key) continue;
    out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + node.text;
    if (node.image == kImageDefault) out += " (default)";
    out += '\n';
    if (node.expanded) RenderChildren(node.key, depth + 1, out);
  }
}

void PopulateTree(TemplateTree& tree, CGildex& engine, ErrorReport& report, std::string& default_template_key) {
  report.Trap("AddIn.PopulateTree", [&] {
    tree.Clear();
    default_template_key.clear();
    tree.AddNode("", kTemplatesRootKey, "Templates", kImageTemplates);
    const std::string default_template = engine.DefaultTemplate();
    for (const std::string& name : TemplateNames(engine.TemplatePath())) {
      tree.AddNode(kTemplatesRootKey, name, name, kImageTemplate);
      if (name == default_template) {
        default_template_key = name;
        tree.SetImage(name, kImageDefault);
        tree.Select(name);
      }
    }
    if (tree.OwnerName() == kOptionsFormName) tree.AddNode("", kCommentHeaderKey, "Comment Header", kImageHeader);
    tree.Expand(kTemplatesRootKey);
    // Adding the comment header node may have moved the selection.
    if (!default_template_key.empty()) tree.Select(default_template_key);
  });
}

}  // namespace gildex
