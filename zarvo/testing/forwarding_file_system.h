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

  Error readFile(const std::filesystem::path& p, std::string& c) override { return base_->readFile(p, c); }
  Error stat(const std::filesystem::path& p, platform::FileInfo& i) override { return base_->stat(p, i); }
  Error listDirectory(const std::filesystem::path& p, std::vector<platform::DirectoryEntry>& e) override {
    return base_->listDirectory(p, e);
  }
  Error listDirectoryWithInfo(const std::filesystem::path& p,
                              std::vector<platform::DirectoryEntry>& e) override {
    return base_->listDirectoryWithInfo(p, e);
  }
  Error readFileWithInfo(const std::filesystem::path& p, std::string& c, platform::FileInfo& i) override {
    return base_->readFileWithInfo(p, c, i);
  }
  Error newWritableFile(const std::filesystem::path& p, uint32_t mode,
                        std::unique_ptr<platform::WritableFile>& f) override {
    return base_->newWritableFile(p, mode, f);
  }
  Error rename(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return base_->rename(a, b);
  }
  Error renameNoReplace(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return base_->renameNoReplace(a, b);
  }
  Error exchange(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return base_->exchange(a, b);
  }
  Error setPermissions(const std::filesystem::path& p, uint32_t mode) override {
    return base_->setPermissions(p, mode);
  }
  Error resolveLinks(const std::filesystem::path& p, std::filesystem::path& resolved) override {
    return base_->resolveLinks(p, resolved);
  }
  Error removeFile(const std::filesystem::path& p) override { return base_->removeFile(p); }
  Error removeIfUnchanged(const std::filesystem::path& p, std::string_view expected) override {
    return base_->removeIfUnchanged(p, expected);
  }
  Error createDirectory(const std::filesystem::path& p) override { return base_->createDirectory(p); }
  Error removeDirectory(const std::filesystem::path& p) override { return base_->removeDirectory(p); }
  Error syncDirectory(const std::filesystem::path& p) override { return base_->syncDirectory(p); }
  bool isReadableAndWritable(const std::filesystem::path& p) override { return base_->isReadableAndWritable(p); }

 protected:
  const std::shared_ptr<platform::FileSystem>& base() const { return base_; }

 private:
  std::shared_ptr<platform::FileSystem> base_;
};

}  // namespace zarvo::testing
