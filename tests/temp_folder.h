// A real temporary folder that is the working directory while it lives: the ground every
// window and end-to-end test stands on, on Linux and on Windows alike.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace test {

class TempFolder {
 public:
  using Name = std::filesystem::path::string_type;  // a name as the file system keeps it

  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `name` in the folder with `content`; the content defaults to the name's own bytes
  // (UTF-8 on Windows), so every file's bytes say which file it started as.
  void write(const Name& name, const std::string& content) const;
  void write(const Name& name) const;
  // Empty files named `prefix` followed by 0, 1, ... count - 1.
  void makeEmpty(const Name& prefix, int count) const;
  // Every entry, hidden ones and folders included, with the bytes of each file ("<dir>" for a
  // folder).
  std::map<Name, std::string> contents() const;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

std::string readFile(const std::filesystem::path& path);
// What TempFolder::contents() says, for any folder.
std::map<TempFolder::Name, std::string> contentsOf(const std::filesystem::path& folder);

}  // namespace test
