// A fresh folder under the system's temporary folder for one test (or one
// test program), removed with everything in it when the object goes out of
// scope; and small helpers for the files in it.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

namespace testsupport {

class TempFolder {
 public:
  // Throws when no folder can be made.
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tobrik-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    // Open to others, so that a process run as another user can reach it.
    chmod(path_.c_str(), 0755);
  }
  // Also removes folders a test has made unwritable.
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (auto& entry : fs::recursive_directory_iterator(path_, ec))
      if (entry.is_directory(ec))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Throws when the file cannot be written.
inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Names in folder, sorted, each followed by a line break.
inline std::string ListFolder(const std::string& folder) {
  std::string names;
  std::set<std::string> sorted;
  for (auto& e : std::filesystem::directory_iterator(folder)) sorted.insert(e.path().filename());
  for (auto& n : sorted) names += n + "\n";
  return names;
}

}  // namespace testsupport
