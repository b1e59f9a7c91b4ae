#include "temp_folder.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace test {

namespace fs = std::filesystem;

TempFolder::TempFolder() : previous_(fs::current_path()) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = fs::temp_directory_path() / ("namewisp-test-" + std::to_string(random()));
    if (fs::create_directory(path_)) {
      fs::current_path(path_);
      return;
    }
  }
  throw std::runtime_error("no temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  // A test may leave the folder or a file read-only (on Windows, an attribute).
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (const auto& entry : fs::directory_iterator(path_, ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

void TempFolder::write(const Name& name, const std::string& content) const {
  std::ofstream(path_ / name, std::ios::binary) << content;
}

void TempFolder::write(const Name& name) const {
  const auto bytes = fs::path(name).u8string();
  write(name, std::string(bytes.begin(), bytes.end()));
}

void TempFolder::makeEmpty(const Name& prefix, int count) const {
  for (int i = 0; i < count; ++i) {
    const fs::path file = path_ / (prefix + fs::path(std::to_string(i)).native());
    if (!std::ofstream(file, std::ios::binary)) throw std::runtime_error("cannot make a file");
  }
}

std::map<TempFolder::Name, std::string> TempFolder::contents() const {
  return contentsOf(path_);
}

std::map<TempFolder::Name, std::string> contentsOf(const fs::path& folder) {
  std::map<TempFolder::Name, std::string> result;
  for (const auto& entry : fs::directory_iterator(folder)) {
    result[entry.path().filename().native()] =
        entry.is_directory() ? "<dir>" : readFile(entry.path());
  }
  return result;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace test
