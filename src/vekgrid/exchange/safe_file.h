#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vekgrid {

// Replaces a file's contents all at once: the data goes to a fresh file in the target's folder
// and is renamed over the target only when it is complete and on disk. Readers and concurrent
// savers see the old version or a whole new one, never a mix. A symbolic link at the path is
// written through to its target; the target's permission bits (and owner, where allowed) are
// kept; a path naming anything but a regular file is refused untouched. Whatever fails, the
// fresh file is removed and the target keeps its old contents.
class Safe_File_Writer {
  public:
    explicit Safe_File_Writer(const std::string& path);
    ~Safe_File_Writer();
    Safe_File_Writer(const Safe_File_Writer&) = delete;
    Safe_File_Writer& operator=(const Safe_File_Writer&) = delete;

    // False once anything failed; Error() then says what.
    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    void Write(std::string_view text);
    // Flushes, syncs and renames over the target. True when the new contents are in place.
    bool Commit();

  private:
    void Fail(const std::string& what, int error_number);
    bool Flush();
    bool Open_Temporary(unsigned mode, bool anonymous);

    std::string error_;
    std::string folder_, name_;  // the resolved target
    std::string temporary_;      // the fresh file's name in folder_, once it has one
    int folder_fd_ = -1, fd_ = -1;
    bool anonymous_ = false;  // not yet linked into the folder
    bool keep_mode_ = false;
    unsigned mode_ = 0;
    unsigned owner_ = 0, group_ = 0;
    std::string buffer_;
};

}  // namespace vekgrid
