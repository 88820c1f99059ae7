// The 3-2-1 before a recording starts: one number a second; Esc cancels the start.
#pragma once

namespace mrv::app {

class Countdown {
  public:
    static constexpr int kSeconds = 3;
    int shown() const { return left_; }  // the number on show; 0 once over
    void SecondPassed() {
        if (left_ > 0 && !cancelled_) --left_;
    }
    void Escape() {
        if (left_ > 0) cancelled_ = true;
    }
    bool finished() const { return left_ == 0 || cancelled_; }
    bool cancelled() const { return cancelled_; }

  private:
    int left_ = kSeconds;
    bool cancelled_ = false;
};

}  // namespace mrv::app
