#pragma once
// The registry, kept in one text file in the layout of a registry export (REGEDIT4 style):
//   [HKEY_CURRENT_USER\Software\Nembus\Gildex\Options]
//   "BodyCode"="True"
//   "Count"=dword:0000000c
//   "Blob"=hex:01,02,ff
// Strings are Windows-1252 bytes; backslash and double quote are escaped with a backslash.
// Key paths and value names compare without regard to letter case and keep the case they
// were created with.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/cp1252.h"

namespace gildex::platform {

enum class RegType { String = 1, Binary = 3, Number = 4 };

struct RegValue {
  RegType type = RegType::String;
  std::string data;          // String: the text; Binary: the bytes
  std::uint32_t number = 0;  // Number
};

// Where the registry file lives: $GILDEX_REGISTRY, else ${XDG_CONFIG_HOME:-$HOME/.config}/gildex/registry.reg.
std::filesystem::path DefaultRegistryPath();

class Registry {
 public:
  // Loads the file when it exists. A damaged file yields one warning naming file and line
  // (see Warning()); the registry then starts empty and the damaged file is never written.
  explicit Registry(std::filesystem::path file);
  // An in-memory registry that is never saved (tests).
  Registry();

  // Full key path with the hive: "HKEY_CURRENT_USER\Software\Nembus\Gildex\Options".
  bool KeyExists(const std::string& key) const;
  std::optional<RegValue> Get(const std::string& key, const std::string& name) const;
  // Creates the key and its parents. A write that changes what this object holds is saved
  // to the file at once, atomically (temporary file, fsync, rename) under a lock, into the
  // file as it is then, so what another process wrote since stays; a write of the value
  // already held writes nothing (saving a stale copy of every setting loses no other
  // process's change). The file is created mode 0600. Throws std::runtime_error when the
  // file cannot be written (the value stays set in memory and goes with the next write).
  // Values other processes write later are not read in: this object keeps the file as it
  // was loaded plus its own changes.
  void Set(const std::string& key, const std::string& name, const RegValue& value);
  void CreateKey(const std::string& key);

  // Writes between BeginBatch and CommitBatch reach the file in one update instead of one
  // each (saving every setting at once would otherwise flush the file fifty times).
  // CommitBatch throws as Set does; the batch is closed either way.
  void BeginBatch() { batching_ = true; }
  void CommitBatch();

  const std::filesystem::path& File() const { return file_; }
  // Empty, or the one warning about a damaged file: "file:line: what is wrong".
  const std::string& Warning() const { return warning_; }

 private:
  using Values = std::map<std::string, RegValue, cp1252::LessNoCase>;
  using Keys = std::map<std::string, Values, cp1252::LessNoCase>;
  // Applies a change to memory and, when it altered something there, queues it for the
  // file; `change` tells whether it altered anything.
  bool Apply(const std::function<bool(Keys&)>& change);
  // Applies the queued changes to the file as it is now, under the file lock.
  void Flush();
  std::filesystem::path file_;
  Keys keys_;
  std::string warning_;
  bool damaged_ = false;
  bool batching_ = false;
  std::vector<std::function<bool(Keys&)>> pending_;
};

}  // namespace gildex::platform
