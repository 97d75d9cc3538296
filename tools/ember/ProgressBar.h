// A progress bar on standard error, drawn only when standard error is a terminal.
//   ProgressBar bar("rendering", total);   // total 0: unknown, a count is shown instead
//   bar.update(done); ... bar.finish();
#pragma once

#include <cstdint>
#include <string>

class ProgressBar {
public:
    ProgressBar(std::string label, int64_t total);
    ~ProgressBar() { finish(); }
    void setTotal(int64_t total) { total_ = total; }
    void update(int64_t done);
    void finish();

    bool enabled; // drawn at all: standard error is a terminal, unless turned off

private:
    std::string label_;
    int64_t total_;
    int64_t shown_ = -1;
    bool finished_ = false;
};
