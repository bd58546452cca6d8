// An in-memory disk with the Windows rules the file operations meet: drive letters,
// backslashes, names without letter case (but kept as written), attributes, read-only files,
// files that another process holds open, places the program has no rights to change, and links
// (junctions, symbolic links) that lead to another place on the disk.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kelvo::sim {

// RemoveDirectory on a file.
inline constexpr std::uint32_t kErrorDirectory = 267;

// One port call, for tests that check what was attempted and in which order.
struct FileCall {
  std::string operation;  // "RemoveFile", "RemoveFolder", "MakeFolder", "WriteBytes", ...
  std::string path;
  std::string to;  // CopyOver's destination
  OsResult result;
};

class SimFiles : public FileSystem {
 public:
  SimFiles();  // an empty drive C:

  // FileSystem.
  // A link's own attributes (kAttributeReparsePoint with them), not its target's.
  std::optional<std::uint32_t> Attributes(const std::string& path) override;
  // In NTFS order: by name, letters compared as capitals. A folder link lists its target's
  // entries, as Windows does for a path through a junction.
  OsResult ListFolder(const std::string& path, std::vector<DirectoryEntry>& entries) override;
  OsResult MakeFolder(const std::string& path) override;
  // A folder link is removed as the link; its target is not touched.
  OsResult RemoveFolder(const std::string& path) override;
  // A file link is removed as the link.
  OsResult RemoveFile(const std::string& path) override;
  // As CreateFile with CREATE_ALWAYS and FILE_ATTRIBUTE_NORMAL: an existing read-only, hidden or
  // system file is refused with 5.
  OsResult WriteBytes(const std::string& path, std::string_view bytes) override;
  OsResult ReadBytes(const std::string& path, std::string& bytes) override;
  OsResult SetAttributes(const std::string& path, std::uint32_t attributes) override;
  // As CopyFile: the copy takes the source's attributes; a read-only or hidden destination is
  // refused with 5.
  OsResult CopyOver(const std::string& from, const std::string& to) override;
  // The entry is opened as itself, a link as the link (as Windows does with
  // FILE_FLAG_OPEN_REPARSE_POINT), unless FollowLinksWhenOpening is set. A file held open
  // elsewhere is refused with 32; a folder held open, or one below DenyChangesUnder, opens for
  // listing only and refuses its deletion. Deleting acts on the opened entry wherever it is in
  // its folder by then (a rename included) and logs "Delete <path as opened>".
  OsResult OpenForDeletion(const std::string& path, DirectoryEntry& listed,
                           std::unique_ptr<OpenedEntry>& opened) override;

  // Test side. Paths must be absolute ("C:\..."); parents are created as needed.
  void AddFolder(const std::string& path);
  void AddFile(const std::string& path, std::string_view bytes = {},
               std::uint32_t attributes = kAttributeArchive);
  // A junction (folder link) or a file symbolic link at `path` that leads to `target`; the target
  // need not exist. Every path through the link reaches the target's entries: deleting
  // "<link>\a.txt" deletes the target's a.txt.
  void AddFolderLink(const std::string& path, const std::string& target);
  void AddFileLink(const std::string& path, const std::string& target);
  bool IsLink(const std::string& path) const;
  // The path itself (a link counts as there, whatever its target).
  bool Exists(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  // The file's content; nullopt for a folder or nothing.
  std::optional<std::string> Content(const std::string& path) const;
  // Another process has the file or folder open and shares only reading: deleting, writing and
  // copying over it fail with 32 until it is released.
  void HoldOpen(const std::string& path);
  void Release(const std::string& path);
  // Every change at or below the path fails with 5, as for a user without rights there.
  // Reading and listing still work.
  void DenyChangesUnder(const std::string& path);
  // Every file and folder at or below the path, in listing order, parents first, as written
  // when added ("C:\Users\u1", "C:\Users\u1\a.ms"). Links are listed, not followed.
  std::vector<std::string> Paths(const std::string& under) const;
  const std::vector<FileCall>& calls() const { return calls_; }
  // Gives the entry another name in the same folder, as another program may at any moment.
  void Rename(const std::string& path, const std::string& new_name);
  // Called with "List", "Open" or "Delete" and the path just before an opened entry lists its
  // folder, opens one of its entries or deletes itself: the moment to change the disk under a
  // tree deletion (swap a folder for a junction between listing and deleting).
  void InterruptBefore(
      std::function<void(const std::string& operation, const std::string& path)> interruption) {
    interruption_ = std::move(interruption);
  }
  // As Wine 8: opening an entry reaches what a link leads to even when the link itself was asked
  // for, and the link's target is what then gets deleted.
  void FollowLinksWhenOpening(bool follow) { follow_links_ = follow; }

 private:
  struct Node;
  class OpenedNode;
  // Shared, so that an opened entry outlives its removal from the tree. Keyed by UpperName.
  using Children = std::map<std::string, std::shared_ptr<Node>>;
  struct Node : std::enable_shared_from_this<Node> {
    std::uint64_t id = 0;  // unique on the disk, never 0
    std::string name;
    bool folder = false;
    std::uint32_t attributes = 0;  // without kAttributeDirectory and kAttributeNormal
    std::string bytes;
    bool held_open = false;
    Children children;
    std::vector<std::string> link_target;  // names, drive first; empty for anything but a link
  };
  using Names = std::vector<std::string>;  // drive ("C:") first

  static std::optional<Names> Parse(std::string_view path);
  static std::uint32_t Reported(const Node& node);
  // Links on the way are followed; the last name's link only with `follow_last`. nullptr when
  // nothing is there or a link leads nowhere.
  Node* Find(const Names& names, bool follow_last = true, int depth = 0) const;
  void AddLink(const std::string& path, const std::string& target, bool folder);
  // 2 when only the last part is missing, 3 when a folder on the way is.
  std::uint32_t MissingError(const Names& names) const;
  bool Denied(const Names& names) const;
  Node& Make(const std::string& path, bool folder);
  std::shared_ptr<Node> NewNode(const std::string& name, bool folder);
  // Opens `child`, an entry of the folder `parent` (reached as `parent_names`), for a deletion.
  OsResult OpenChild(std::shared_ptr<Node> parent, const Names& parent_names, std::string path,
                     const std::shared_ptr<Node>& child, std::unique_ptr<OpenedEntry>& opened);
  std::shared_ptr<Node> FindShared(const Names& names) const;
  void Interrupt(const std::string& operation, const std::string& path);
  OsResult Log(std::string operation, const std::string& path, OsResult result,
               const std::string& to = {});
  void Collect(const Node& node, const std::string& path, std::vector<std::string>& out) const;

  Children drives_;
  std::vector<Names> denied_;  // upper-cased
  std::vector<FileCall> calls_;
  std::uint64_t last_id_ = 0;
  bool follow_links_ = false;
  std::function<void(const std::string&, const std::string&)> interruption_;
};

}  // namespace kelvo::sim
