#pragma once

// Keeps a handler from nesting inside itself while it lets events run:
//     ReentryGuard guard(busy_);
//     if (!guard) return;
class ReentryGuard {
public:
    explicit ReentryGuard(bool& busy) : busy_(busy), entered_(!busy) {
        if (entered_) busy_ = true;
    }
    ~ReentryGuard() {
        if (entered_) busy_ = false;
    }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

    explicit operator bool() const { return entered_; }

private:
    bool& busy_;
    bool entered_;
};
