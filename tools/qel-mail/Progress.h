// SPDX-License-Identifier: MIT
#pragma once
// Progress of a long transfer on standard error. On by default on a terminal, where one line is
// rewritten; into a file or pipe only when asked for, then every tenth step is a line of its
// own.
#include <iostream>
#include <string>
#include <unistd.h>

namespace qel {

class TProgressDisplay {
  public:
    enum class TMode { Auto, On, Off };
    explicit TProgressDisplay(TMode Mode)
        : Tty_(::isatty(2) != 0), Enabled_(Mode == TMode::On || (Mode == TMode::Auto && Tty_)) {}
    ~TProgressDisplay() {
        if (Open_) std::cerr << "\n";
    }
    TProgressDisplay(const TProgressDisplay&) = delete;
    TProgressDisplay& operator=(const TProgressDisplay&) = delete;

    void Show(const std::string& What, int Percent) {
        if (!Enabled_) return;
        const int Width = 30;
        const int Filled = Percent * Width / 100;
        std::string Bar = "[" + std::string(Filled, '#') + std::string(Width - Filled, ' ') + "]";
        std::string Text = What + " " + Bar + " " + std::to_string(Percent) + "%";
        if (Tty_) {
            std::cerr << "\r" << Text << "\x1b[K" << std::flush;
            Open_ = Percent < 100;
            if (!Open_) std::cerr << "\n";
        } else if (Percent % 10 == 0) {
            std::cerr << What << " " << Percent << "%\n";
        }
    }
    // A message that must not be overwritten by the next step.
    void Note(const std::string& Text) {
        if (Open_) std::cerr << "\n";
        Open_ = false;
        if (!Text.empty()) std::cerr << Text << "\n";
    }

  private:
    bool Tty_;
    bool Enabled_;
    bool Open_ = false;
};

} // namespace qel
