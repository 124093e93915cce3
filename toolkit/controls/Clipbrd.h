#pragma once
// The clipboard the text controls cut, copy and paste through. It lives in the process, which
// is what the headless window system offers; a window system with selections of its own would
// take ownership of the selection here.
#include <string>

namespace qel {

class TClipboard {
  public:
    std::string AsText() const { return Text_; }
    void SetAsText(const std::string& V) {
        Text_ = V;
        HasText_ = true;
    }
    bool HasText() const { return HasText_; }
    void Clear() {
        Text_.clear();
        HasText_ = false;
    }

  private:
    std::string Text_;
    bool HasText_ = false;
};

TClipboard& Clipboard();

} // namespace qel
