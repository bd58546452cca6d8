#include "tests/support/sim/sim_files.h"

#include <stdexcept>
#include <utility>

#include "tests/support/sim/sim_text.h"

namespace kelvo::sim {
namespace {

constexpr std::uint32_t kStoredMask = ~(kAttributeDirectory | kAttributeNormal);
// Windows gives up on a path that passes through more links than this.
constexpr int kMaxLinkDepth = 31;
// CREATE_ALWAYS with FILE_ATTRIBUTE_NORMAL does not open files with these.
constexpr std::uint32_t kRefusesRecreate = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;
// CopyFile does not replace files with these.
constexpr std::uint32_t kRefusesCopyOver = kAttributeReadOnly | kAttributeHidden;

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

SimFiles::SimFiles() {
  AddFolder("C:\\");
}

// Absolute paths only: a drive letter, then names. "C:" alone and "C:name" are taken from the
// drive's root, which is where a program started from the desktop usually stands anyway.
std::optional<SimFiles::Names> SimFiles::Parse(std::string_view path) {
  if (path.starts_with("\\\\?\\")) path.remove_prefix(4);
  if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != ':') return std::nullopt;
  Names names{UpperName(path.substr(0, 2))};
  for (std::string& name : SplitNames(path.substr(2), /*slash_too=*/true)) {
    if (name == ".") continue;
    if (name == "..") {
      if (names.size() > 1) names.pop_back();
      continue;
    }
    names.push_back(std::move(name));
  }
  return names;
}

std::uint32_t SimFiles::Reported(const Node& node) {
  if (node.folder) return node.attributes | kAttributeDirectory;
  return node.attributes == 0 ? kAttributeNormal : node.attributes;
}

SimFiles::Node* SimFiles::Find(const Names& names, bool follow_last, int depth) const {
  if (depth > kMaxLinkDepth) return nullptr;
  const Children* level = &drives_;
  Node* node = nullptr;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (node && !node->folder) return nullptr;
    const auto found = level->find(UpperName(names[i]));
    if (found == level->end()) return nullptr;
    node = found->second.get();
    if (!node->link_target.empty() && (follow_last || i + 1 < names.size())) {
      node = Find(node->link_target, /*follow_last=*/true, depth + 1);
      if (!node) return nullptr;
    }
    level = &node->children;
  }
  return node;
}

std::shared_ptr<SimFiles::Node> SimFiles::FindShared(const Names& names) const {
  Node* node = Find(names);
  return node ? node->shared_from_this() : nullptr;
}

std::uint32_t SimFiles::MissingError(const Names& names) const {
  const Names parent(names.begin(), names.end() - 1);
  const Node* folder = parent.empty() ? nullptr : Find(parent);
  return folder && folder->folder ? kErrorFileNotFound : kErrorPathNotFound;
}

bool SimFiles::Denied(const Names& names) const {
  for (const Names& prefix : denied_) {
    if (prefix.size() > names.size()) continue;
    bool inside = true;
    for (std::size_t i = 0; i < prefix.size() && inside; ++i) {
      inside = prefix[i] == UpperName(names[i]);
    }
    if (inside) return true;
  }
  return false;
}

OsResult SimFiles::Log(std::string operation, const std::string& path, OsResult result,
                       const std::string& to) {
  calls_.push_back({std::move(operation), path, to, result});
  return result;
}

std::optional<std::uint32_t> SimFiles::Attributes(const std::string& path) {
  const auto names = Parse(path);
  const Node* node = names ? Find(*names, /*follow_last=*/false) : nullptr;
  if (!node) return std::nullopt;
  return Reported(*node);
}

OsResult SimFiles::ListFolder(const std::string& path, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  const auto names = Parse(path);
  const Node* node = names ? Find(*names) : nullptr;
  if (!node || !node->folder) return OsResult::Failed(kErrorPathNotFound);
  for (const auto& [key, child] : node->children) {
    entries.push_back({child->name, Reported(*child), child->id, {}});
  }
  return OsResult::Ok();
}

OsResult SimFiles::MakeFolder(const std::string& path) {
  const auto names = Parse(path);
  if (!names) return Log("MakeFolder", path, OsResult::Failed(kErrorPathNotFound));
  if (Find(*names, /*follow_last=*/false)) {
    return Log("MakeFolder", path, OsResult::Failed(kErrorAlreadyExists));
  }
  Node* parent = Find(Names(names->begin(), names->end() - 1));
  if (!parent || !parent->folder) {
    return Log("MakeFolder", path, OsResult::Failed(kErrorPathNotFound));
  }
  if (Denied(*names)) return Log("MakeFolder", path, OsResult::Failed(kErrorAccessDenied));
  parent->children[UpperName(names->back())] = NewNode(names->back(), /*folder=*/true);
  return Log("MakeFolder", path, OsResult::Ok());
}

OsResult SimFiles::RemoveFolder(const std::string& path) {
  const auto names = Parse(path);
  if (!names) return Log("RemoveFolder", path, OsResult::Failed(kErrorPathNotFound));
  const Node* node = Find(*names, /*follow_last=*/false);
  std::uint32_t error = 0;
  if (!node) {
    error = MissingError(*names);
  } else if (!node->folder) {
    error = kErrorDirectory;
  } else if (names->size() == 1 || Denied(*names)) {
    error = kErrorAccessDenied;
  } else if (node->held_open) {
    error = kErrorSharingViolation;
  } else if (node->attributes & kAttributeReadOnly) {
    error = kErrorAccessDenied;
  } else if (!node->children.empty()) {
    error = kErrorDirNotEmpty;
  }
  if (error != 0) return Log("RemoveFolder", path, OsResult::Failed(error));
  Find(Names(names->begin(), names->end() - 1))->children.erase(UpperName(names->back()));
  return Log("RemoveFolder", path, OsResult::Ok());
}

OsResult SimFiles::RemoveFile(const std::string& path) {
  const auto names = Parse(path);
  if (!names) return Log("RemoveFile", path, OsResult::Failed(kErrorPathNotFound));
  const Node* node = Find(*names, /*follow_last=*/false);
  std::uint32_t error = 0;
  if (!node) {
    error = MissingError(*names);
  } else if (node->folder || Denied(*names)) {
    error = kErrorAccessDenied;
  } else if (node->held_open) {
    error = kErrorSharingViolation;
  } else if (node->attributes & kAttributeReadOnly) {
    error = kErrorAccessDenied;
  }
  if (error != 0) return Log("RemoveFile", path, OsResult::Failed(error));
  Find(Names(names->begin(), names->end() - 1))->children.erase(UpperName(names->back()));
  return Log("RemoveFile", path, OsResult::Ok());
}

OsResult SimFiles::WriteBytes(const std::string& path, std::string_view bytes) {
  const auto names = Parse(path);
  if (!names) return Log("WriteBytes", path, OsResult::Failed(kErrorPathNotFound));
  Node* node = Find(*names);
  std::uint32_t error = 0;
  if (!node && Find(*names, /*follow_last=*/false)) {
    error = kErrorFileNotFound;  // a link that leads nowhere
  } else if (node) {
    if (node->folder || Denied(*names)) {
      error = kErrorAccessDenied;
    } else if (node->held_open) {
      error = kErrorSharingViolation;
    } else if (node->attributes & kRefusesRecreate) {
      error = kErrorAccessDenied;
    }
  } else {
    Node* parent = Find(Names(names->begin(), names->end() - 1));
    if (!parent || !parent->folder) {
      error = kErrorPathNotFound;
    } else if (Denied(*names)) {
      error = kErrorAccessDenied;
    } else {
      auto file = NewNode(names->back(), /*folder=*/false);
      node = file.get();
      parent->children[UpperName(names->back())] = std::move(file);
    }
  }
  if (error != 0) return Log("WriteBytes", path, OsResult::Failed(error));
  node->bytes.assign(bytes);
  node->attributes |= kAttributeArchive;
  return Log("WriteBytes", path, OsResult::Ok());
}

OsResult SimFiles::ReadBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  const auto names = Parse(path);
  if (!names) return OsResult::Failed(kErrorPathNotFound);
  const Node* node = Find(*names);
  if (!node) return OsResult::Failed(MissingError(*names));
  if (node->folder) return OsResult::Failed(kErrorAccessDenied);
  bytes = node->bytes;
  return OsResult::Ok();
}

OsResult SimFiles::SetAttributes(const std::string& path, std::uint32_t attributes) {
  const auto names = Parse(path);
  if (!names) return Log("SetAttributes", path, OsResult::Failed(kErrorPathNotFound));
  Node* node = Find(*names, /*follow_last=*/false);
  if (!node) return Log("SetAttributes", path, OsResult::Failed(MissingError(*names)));
  if (Denied(*names)) return Log("SetAttributes", path, OsResult::Failed(kErrorAccessDenied));
  // Another process holding the file open does not stop an attribute change. Only making or
  // removing a link changes whether something is one.
  node->attributes = (attributes & kStoredMask & ~kAttributeReparsePoint) |
                     (node->attributes & kAttributeReparsePoint);
  return Log("SetAttributes", path, OsResult::Ok());
}

OsResult SimFiles::CopyOver(const std::string& from, const std::string& to) {
  const auto log = [&](std::uint32_t error) {
    return Log("CopyOver", from, error == 0 ? OsResult::Ok() : OsResult::Failed(error), to);
  };
  const auto source_names = Parse(from);
  const auto names = Parse(to);
  if (!source_names || !names) return log(kErrorPathNotFound);
  const Node* source = Find(*source_names);
  if (!source) return log(MissingError(*source_names));
  if (source->folder) return log(kErrorAccessDenied);
  Node* target = Find(*names);
  if (target == source) return log(kErrorSharingViolation);
  if (target) {
    if (target->folder || Denied(*names)) return log(kErrorAccessDenied);
    if (target->held_open) return log(kErrorSharingViolation);
    if (target->attributes & kRefusesCopyOver) return log(kErrorAccessDenied);
  } else {
    Node* parent = Find(Names(names->begin(), names->end() - 1));
    if (!parent || !parent->folder) return log(kErrorPathNotFound);
    if (Denied(*names)) return log(kErrorAccessDenied);
    auto file = NewNode(names->back(), /*folder=*/false);
    target = file.get();
    parent->children[UpperName(names->back())] = std::move(file);
  }
  target->bytes = source->bytes;
  target->attributes = source->attributes;
  return log(0);
}

std::shared_ptr<SimFiles::Node> SimFiles::NewNode(const std::string& name, bool folder) {
  auto node = std::make_shared<Node>();
  node->id = ++last_id_;
  node->name = name;
  node->folder = folder;
  return node;
}

void SimFiles::Interrupt(const std::string& operation, const std::string& path) {
  if (interruption_) interruption_(operation, path);
}

// An entry opened for a deletion: the node itself, held even when it leaves the tree, and the
// folder it was opened in.
class SimFiles::OpenedNode final : public OpenedEntry {
 public:
  OpenedNode(SimFiles& files, Names names, std::string path, std::shared_ptr<Node> parent,
             std::shared_ptr<Node> node, std::uint32_t delete_refusal)
      : files_(files),
        names_(std::move(names)),
        path_(std::move(path)),
        parent_(std::move(parent)),
        node_(std::move(node)),
        delete_refusal_(delete_refusal) {}

  std::uint32_t attributes() const override { return Reported(*node_); }
  std::uint64_t id() const override { return node_->id; }

  OsResult List(std::vector<DirectoryEntry>& entries) override {
    entries.clear();
    files_.Interrupt("List", path_);
    if (!node_->folder) return OsResult::Failed(kErrorDirectory);
    if (!node_->link_target.empty()) return OsResult::Ok();  // a junction's own folder is empty
    for (const auto& [key, child] : node_->children) {
      entries.push_back({child->name, Reported(*child), child->id, {}});
    }
    return OsResult::Ok();
  }

  OsResult Open(const DirectoryEntry& entry, std::unique_ptr<OpenedEntry>& opened) override {
    opened.reset();
    const std::string path = path_ + "\\" + entry.name;
    files_.Interrupt("Open", path);
    if (!node_->folder || !node_->link_target.empty()) {
      return OsResult::Failed(kErrorPathNotFound);
    }
    const auto found = node_->children.find(UpperName(entry.name));
    if (found == node_->children.end()) return OsResult::Failed(kErrorFileNotFound);
    return files_.OpenChild(node_, names_, path, found->second, opened);
  }

  OsResult Delete() override {
    files_.Interrupt("Delete", path_);
    const auto log = [&](std::uint32_t error) {
      return files_.Log("Delete", path_, error == 0 ? OsResult::Ok() : OsResult::Failed(error));
    };
    if (delete_refusal_ != 0) return log(delete_refusal_);
    if (!parent_ || files_.Denied(names_)) return log(kErrorAccessDenied);
    if (node_->held_open) return log(kErrorSharingViolation);
    if (node_->attributes & kAttributeReadOnly) return log(kErrorAccessDenied);
    if (node_->folder && node_->link_target.empty() && !node_->children.empty()) {
      return log(kErrorDirNotEmpty);
    }
    // Wherever the node is in its folder now, under whatever name.
    for (auto child = parent_->children.begin(); child != parent_->children.end(); ++child) {
      if (child->second == node_) {
        parent_->children.erase(child);
        return log(0);
      }
    }
    return log(kErrorFileNotFound);
  }

 private:
  SimFiles& files_;
  Names names_;  // as opened
  std::string path_;
  std::shared_ptr<Node> parent_;  // null for a drive
  std::shared_ptr<Node> node_;
  std::uint32_t delete_refusal_;
};

OsResult SimFiles::OpenChild(std::shared_ptr<Node> parent, const Names& parent_names,
                             std::string path, const std::shared_ptr<Node>& child,
                             std::unique_ptr<OpenedEntry>& opened) {
  Names names = parent_names;
  names.push_back(child->name);
  std::shared_ptr<Node> node = child;
  if (follow_links_ && !child->link_target.empty()) {
    // What the link leads to, as if it had been opened by its own path.
    names = child->link_target;
    node = FindShared(names);
    if (!node) return OsResult::Failed(kErrorFileNotFound);
    parent = names.size() > 1 ? FindShared(Names(names.begin(), names.end() - 1)) : nullptr;
  }
  std::uint32_t delete_refusal = 0;
  if (node->held_open) {
    if (!node->folder) return OsResult::Failed(kErrorSharingViolation);
    delete_refusal = kErrorSharingViolation;
  } else if (Denied(names)) {
    delete_refusal = kErrorAccessDenied;
  }
  opened = std::make_unique<OpenedNode>(*this, std::move(names), std::move(path), std::move(parent),
                                        std::move(node), delete_refusal);
  return OsResult::Ok();
}

OsResult SimFiles::OpenForDeletion(const std::string& path, DirectoryEntry& listed,
                                   std::unique_ptr<OpenedEntry>& opened) {
  opened.reset();
  listed = {};
  const auto names = Parse(path);
  if (!names || names->size() < 2) return OsResult::Failed(kErrorPathNotFound);
  const Names parent_names(names->begin(), names->end() - 1);
  const std::shared_ptr<Node> parent = FindShared(parent_names);
  if (!parent || !parent->folder) return OsResult::Failed(kErrorPathNotFound);
  const auto found = parent->children.find(UpperName(names->back()));
  if (found == parent->children.end()) return OsResult::Failed(kErrorFileNotFound);
  const Node& child = *found->second;
  listed = {child.name, Reported(child), child.id, {}};
  return OpenChild(parent, parent_names, path, found->second, opened);
}

SimFiles::Node& SimFiles::Make(const std::string& path, bool folder) {
  const auto names = Parse(path);
  if (!names) throw std::invalid_argument("not an absolute Windows path: " + path);
  Children* level = &drives_;
  Node* node = nullptr;
  for (std::size_t i = 0; i < names->size(); ++i) {
    const bool last = i + 1 == names->size();
    std::shared_ptr<Node>& slot = (*level)[UpperName((*names)[i])];
    if (!slot) slot = NewNode((*names)[i], !last || folder);
    if (slot->folder != (!last || folder)) {
      throw std::invalid_argument("a file and a folder would share the path " + path);
    }
    node = slot.get();
    if (!last && !node->link_target.empty()) {
      node = Find(node->link_target);
      if (!node || !node->folder) throw std::invalid_argument("a link on the way leads nowhere");
    }
    level = &node->children;
  }
  return *node;
}

void SimFiles::AddFolder(const std::string& path) {
  Make(path, /*folder=*/true);
}

void SimFiles::AddFile(const std::string& path, std::string_view bytes, std::uint32_t attributes) {
  Node& file = Make(path, /*folder=*/false);
  file.bytes.assign(bytes);
  file.attributes = attributes & kStoredMask & ~kAttributeReparsePoint;
}

void SimFiles::AddLink(const std::string& path, const std::string& target, bool folder) {
  const auto target_names = Parse(target);
  if (!target_names) throw std::invalid_argument("not an absolute Windows path: " + target);
  const auto names = Parse(path);
  if (names && Find(*names, /*follow_last=*/false)) {
    throw std::invalid_argument("something is at the link's path already: " + path);
  }
  Node& link = Make(path, folder);
  link.attributes = kAttributeReparsePoint;
  link.link_target = *target_names;
}

void SimFiles::AddFolderLink(const std::string& path, const std::string& target) {
  AddLink(path, target, /*folder=*/true);
}

void SimFiles::AddFileLink(const std::string& path, const std::string& target) {
  AddLink(path, target, /*folder=*/false);
}

bool SimFiles::IsLink(const std::string& path) const {
  const auto names = Parse(path);
  const Node* node = names ? Find(*names, /*follow_last=*/false) : nullptr;
  return node && !node->link_target.empty();
}

bool SimFiles::Exists(const std::string& path) const {
  const auto names = Parse(path);
  return names && Find(*names, /*follow_last=*/false);
}

bool SimFiles::IsFolder(const std::string& path) const {
  const auto names = Parse(path);
  const Node* node = names ? Find(*names, /*follow_last=*/false) : nullptr;
  return node && node->folder;
}

std::optional<std::string> SimFiles::Content(const std::string& path) const {
  const auto names = Parse(path);
  const Node* node = names ? Find(*names) : nullptr;
  if (!node || node->folder) return std::nullopt;
  return node->bytes;
}

void SimFiles::HoldOpen(const std::string& path) {
  const auto names = Parse(path);
  Node* node = names ? Find(*names, /*follow_last=*/false) : nullptr;
  if (!node) throw std::invalid_argument("nothing to hold open at " + path);
  node->held_open = true;
}

void SimFiles::Rename(const std::string& path, const std::string& new_name) {
  const auto names = Parse(path);
  Node* parent =
      names && names->size() > 1 ? Find(Names(names->begin(), names->end() - 1)) : nullptr;
  const auto found =
      parent ? parent->children.find(UpperName(names->back())) : Children::iterator{};
  if (!parent || found == parent->children.end()) {
    throw std::invalid_argument("nothing to rename at " + path);
  }
  std::shared_ptr<Node> node = found->second;
  parent->children.erase(found);
  node->name = new_name;
  parent->children[UpperName(new_name)] = std::move(node);
}

void SimFiles::Release(const std::string& path) {
  const auto names = Parse(path);
  if (Node* node = names ? Find(*names, /*follow_last=*/false) : nullptr) node->held_open = false;
}

void SimFiles::DenyChangesUnder(const std::string& path) {
  const auto names = Parse(path);
  if (!names) throw std::invalid_argument("not an absolute Windows path: " + path);
  Names upper;
  for (const std::string& name : *names)
    upper.push_back(UpperName(name));
  denied_.push_back(std::move(upper));
}

void SimFiles::Collect(const Node& node, const std::string& path,
                       std::vector<std::string>& out) const {
  for (const auto& [key, child] : node.children) {
    std::string child_path = path + "\\" + child->name;
    out.push_back(child_path);
    if (child->folder && child->link_target.empty()) Collect(*child, child_path, out);
  }
}

std::vector<std::string> SimFiles::Paths(const std::string& under) const {
  std::vector<std::string> out;
  const auto names = Parse(under);
  if (!names) return out;
  // The path as it was written when the folders were made.
  std::string path;
  const Children* level = &drives_;
  const Node* node = nullptr;
  for (const std::string& name : *names) {
    const auto found = level->find(UpperName(name));
    if (found == level->end() || !found->second->folder) return out;
    node = found->second.get();
    path += (path.empty() ? "" : "\\") + node->name;
    level = &node->children;
  }
  Collect(*node, path, out);
  return out;
}

}  // namespace kelvo::sim
