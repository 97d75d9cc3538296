// Files that appear whole or not at all.
//
// Every file ember writes is first written under a temporary name beside it, in the
// same directory (".NAME.XXXXXX.EXT", so that programs that choose a format by the
// extension, ffmpeg among them, see the right one), and renamed over the final name
// only once it is complete. Until then an existing file of that name is untouched; when
// anything fails, or the object goes away uncommitted, the temporary is removed. On
// SIGINT, SIGTERM and SIGHUP the temporaries of the process are removed before it ends;
// SIGXFSZ is ignored, so that a file size limit is a write error like a full disk.
// A symbolic link stays a link (the file it leads to is replaced); a device or a pipe
// (/dev/null, a FIFO) is written directly, since there is no file to keep.
//
// Usage:
//   OutputFile out("frames/f.png");          // creates the empty temporary, mode 0666 & ~umask
//   writeSomething(out.temporaryPath());     // any writer that takes a path
//   out.commit();                            // renamed into place (ToolError on failure)
#pragma once

#include <string>

class OutputFile {
public:
    explicit OutputFile(std::string path); // ToolError when the temporary cannot be made
    ~OutputFile();                         // removes the temporary unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporary_; }
    void commit();

private:
    std::string path_;
    std::string target_; // the file renamed over: path_, or where its link leads
    std::string temporary_;
    bool direct_ = false; // a device or a pipe, written in place
    int slot_ = -1;       // in the process's list of temporaries
};
