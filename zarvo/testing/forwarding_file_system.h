// A file system that passes every call to a base file system: tests derive from it and override only
// the calls they watch or change (a counter of reads, a file system without atomic exchange).
#pragma once

#include <memory>

#include "zarvo/platform/filesystem.h"

namespace zarvo::testing {

class ForwardingFileSystem : public platform::FileSystem {
 public:
  explicit ForwardingFileSystem(std::shared_ptr<platform::FileSystem> base = platform::FileSystem::posix())
      : base_(std::move(base)) {}

  std::error_code readFile(const std::filesystem::path& p, std::string& c) override { return base_->readFile(p, c); }
  std::error_code stat(const std::filesystem::path& p, platform::FileInfo& i) override { return base_->stat(p, i); }
  std::error_code listDirectory(const std::filesystem::path& p, std::vector<platform::DirectoryEntry>& e) override {
    return base_->listDirectory(p, e);
  }
  std::error_code listDirectoryWithInfo(const std::filesystem::path& p,
                                        std::vector<platform::DirectoryEntry>& e) override {
    return base_->listDirectoryWithInfo(p, e);
  }
  std::error_code readFileWithInfo(const std::filesystem::path& p, std::string& c, platform::FileInfo& i) override {
    return base_->readFileWithInfo(p, c, i);
  }
  std::error_code newWritableFile(const std::filesystem::path& p, uint32_t mode,
                                  std::unique_ptr<platform::WritableFile>& f) override {
    return base_->newWritableFile(p, mode, f);
  }
  std::error_code rename(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return base_->rename(a, b);
  }
  std::error_code renameNoReplace(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return base_->renameNoReplace(a, b);
  }
  std::error_code exchange(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return base_->exchange(a, b);
  }
  std::error_code setPermissions(const std::filesystem::path& p, uint32_t mode) override {
    return base_->setPermissions(p, mode);
  }
  std::error_code resolveLinks(const std::filesystem::path& p, std::filesystem::path& resolved) override {
    return base_->resolveLinks(p, resolved);
  }
  std::error_code removeFile(const std::filesystem::path& p) override { return base_->removeFile(p); }
  std::error_code createDirectory(const std::filesystem::path& p) override { return base_->createDirectory(p); }
  std::error_code removeDirectory(const std::filesystem::path& p) override { return base_->removeDirectory(p); }
  std::error_code syncDirectory(const std::filesystem::path& p) override { return base_->syncDirectory(p); }
  bool isReadableAndWritable(const std::filesystem::path& p) override { return base_->isReadableAndWritable(p); }

 protected:
  const std::shared_ptr<platform::FileSystem>& base() const { return base_; }

 private:
  std::shared_ptr<platform::FileSystem> base_;
};

}  // namespace zarvo::testing
