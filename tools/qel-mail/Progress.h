// SPDX-License-Identifier: MIT
#pragma once
// Progress of a long transfer on standard error. On by default on a terminal, where one line is
// rewritten; into a file or pipe only when asked for, then every tenth step is a line of its
// own.
#include <algorithm>
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
        Percent = std::clamp(Percent, 0, 100);
        constexpr int Width = 30;
        const auto Filled = static_cast<std::size_t>(Percent * Width / 100);
        // Appended piece by piece: gcc's -Wrestrict misreads chains of string + at -O3.
        std::string Text = What;
        Text += " [";
        Text.append(Filled, '#');
        Text.append(Width - Filled, ' ');
        Text += "] ";
        Text += std::to_string(Percent);
        Text += '%';
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
