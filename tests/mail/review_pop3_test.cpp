// The base64 decoder's progress when a line holds several groups.
#include "mail/QELMimeParse.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;

namespace {

TEST(ReviewDecode, EveryBase64GroupIsAUnitOfProgress) {
    std::vector<std::uint16_t> Events;
    TQELDecodeEvents Ev;
    Ev.OnDecodeProgress = [&](std::uint16_t P) { Events.push_back(P); };
    std::string Out;
    std::uint16_t Last = 0;
    // Three lines of three groups: 0 %, 33 % and 67 % by line. The threshold moves one step
    // per event, so each group of a line that jumped ahead fires again until it catches up.
    QELBase64Decode(TMimeLines(3, "QUJDQUJDQUJD"), "x", Out, Ev, 10, Last);
    EXPECT_EQ(Out, "ABCABCABCABCABCABCABCABCABC");
    EXPECT_EQ(Events, (std::vector<std::uint16_t>{33, 33, 33, 67, 67, 67, 100}));
    EXPECT_EQ(Last, 67);
}

} // namespace
