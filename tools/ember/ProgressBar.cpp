#include "ember/ProgressBar.h"

#include <unistd.h>

#include <cstdio>

ProgressBar::ProgressBar(std::string label, int64_t total)
    : label_(std::move(label)), total_(total) {
    enabled = isatty(2) != 0;
}

void ProgressBar::update(int64_t done) {
    if (!enabled || finished_ || done == shown_) {
        return;
    }
    shown_ = done;
    constexpr int kWidth = 40;
    if (total_ > 0) {
        const int64_t clamped = done < total_ ? done : total_;
        const int filled = static_cast<int>(clamped * kWidth / total_);
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(kWidth - filled), '.');
        std::fprintf(stderr, "\r%s [%s] %3d%% %lld/%lld frames", label_.c_str(), bar.c_str(),
                     static_cast<int>(clamped * 100 / total_), static_cast<long long>(done),
                     static_cast<long long>(total_));
    } else {
        std::fprintf(stderr, "\r%s %lld frames", label_.c_str(), static_cast<long long>(done));
    }
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (enabled && !finished_ && shown_ >= 0) {
        std::fputc('\n', stderr);
    }
    finished_ = true;
}
