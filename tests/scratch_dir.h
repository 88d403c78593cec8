#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

namespace vantrel::testing {

// A fresh directory that is the working directory while the object lives, with helpers for
// the files and fake editors of a test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-edit-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
    m_previous = std::filesystem::current_path();
    std::filesystem::current_path(m_path);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string Path(const std::string& name) const { return m_path + "/" + name; }

  // Writes name (relative to the directory) and returns its absolute path.
  std::string Write(const std::string& name, const std::string& content, mode_t mode = 0644) const {
    const std::string path = Path(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    ::chmod(path.c_str(), mode);
    return path;
  }

  // Writes an executable shell script with the given body.
  std::string Script(const std::string& name, const std::string& body) const {
    return Write(name, "#!/bin/sh\n" + body + "\n", 0755);
  }

  std::optional<std::string> Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Waits for a file that a child process moves into place when done; the minute is a bound
  // for a child that never does it, which no loaded machine comes near.
  std::optional<std::string> AwaitFile(const std::string& name) const {
    for (int i = 0; i < 6000; ++i) {
      if (std::optional<std::string> content = Read(name)) return content;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
  }

 private:
  std::string m_path;
  std::filesystem::path m_previous;
};

}  // namespace vantrel::testing
