// A fresh directory under the system's temporary directory, removed with everything in it.
#pragma once

#include <string>
#include <string_view>

namespace qm_test {

class TempDir {
  public:
    // The directory's name starts with `stem`, so that a left-over one tells whose it was.
    explicit TempDir(std::string_view stem = "quillmark-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // `name` below the directory (not created).
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace qm_test
