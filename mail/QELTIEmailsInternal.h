#pragma once
// Shared by the SMTP session and the composition of its mail; not part of the interface.
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

namespace qel::smtpdetail {

// Header values and command arguments are single lines: a line end inside them would start a
// new header or a new command on the wire.
std::string OneLine(const std::string& S);

// The progress rule: the event fires when the percentage reaches the next threshold, which
// then moves on by one step only; Last belongs to the component and outlives one run.
class TProgressRule {
  public:
    TProgressRule(int Step, std::uint16_t& Last, std::function<void(std::uint16_t)> Event)
        : Step_(Step), Threshold_(Step), Last_(Last), Event_(std::move(Event)) {}
    void Update(double Done, double Total) {
        // rint rounds halves to even in the default rounding mode; unlike nearbyint it does not
        // save and restore the floating-point state, which shows at one call per line.
        const double R = Total > 0 ? std::rint(Done * 100.0 / Total) : 100.0;
        const std::uint16_t P = static_cast<std::uint16_t>(static_cast<std::uint32_t>(R));
        Last_ = P;
        if (P >= Threshold_) {
            Event_(P);
            Threshold_ += Step_;
        }
    }

  private:
    int Step_;
    int Threshold_;
    std::uint16_t& Last_;
    std::function<void(std::uint16_t)> Event_;
};

} // namespace qel::smtpdetail
