// The packed string list that holds encoded lines: it must behave exactly like the toolkit's
// string list under any mix of edits, including the reclaiming of replaced and deleted lines
// and lines added from the list itself while its buffer moves.
#include "mail/QELTIEmails.h"
#include "toolkit/core/Exceptions.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace qel;

namespace {

void ExpectSame(const TQELPackedStrings& P, const TStringList& R) {
    ASSERT_EQ(P.Count(), R.Count());
    for (int I = 0; I < R.Count(); ++I) {
        ASSERT_EQ(P.Line(I), R.Get(I)) << "line " << I;
        ASSERT_EQ(P.GetObject(I), R.GetObject(I)) << "object " << I;
    }
    ASSERT_EQ(P.Text(), R.Text());
}

std::string RandomLine(std::mt19937& Gen, std::size_t MaxLength) {
    std::uniform_int_distribution<std::size_t> Len(0, MaxLength);
    std::uniform_int_distribution<int> Ch('a', 'z');
    std::string S(Len(Gen), ' ');
    for (char& C : S)
        C = static_cast<char>(Ch(Gen));
    return S;
}

TEST(PackedStrings, RandomEditsMatchTheToolkitList) {
    std::mt19937 Gen(7);
    TObject Marker;
    // Short lines exercise reclaiming in a small buffer; long ones push it past the size at
    // which it is mapped from the system.
    for (std::size_t MaxLength : {12u, 90u, 40000u}) {
        SCOPED_TRACE(MaxLength);
        TQELPackedStrings P;
        TStringList R;
        const int Steps = MaxLength > 1000 ? 400 : 3000;
        for (int Step = 0; Step < Steps; ++Step) {
            const int N = R.Count();
            std::uniform_int_distribution<int> Op(0, 9);
            std::uniform_int_distribution<int> At(0, N > 0 ? N - 1 : 0);
            switch (N == 0 ? 0 : Op(Gen)) {
            case 0:
            case 1:
            case 2: {
                std::string S = RandomLine(Gen, MaxLength);
                P.Add(S);
                R.Add(S);
                break;
            }
            case 3: {
                std::uniform_int_distribution<int> Pos(0, N);
                int I = Pos(Gen);
                std::string S = RandomLine(Gen, MaxLength);
                P.Insert(I, S);
                R.Insert(I, S);
                break;
            }
            case 4:
            case 5: {
                int I = At(Gen);
                std::string S = RandomLine(Gen, MaxLength);
                P.Put(I, S);
                R.Put(I, S);
                break;
            }
            case 6: {
                int I = At(Gen);
                P.Delete(I);
                R.Delete(I);
                break;
            }
            case 7: {
                // A line of the list added to the list itself.
                int I = At(Gen);
                P.AddView(P.Line(I));
                R.Add(R.Get(I));
                break;
            }
            case 8: {
                int I = At(Gen);
                P.PutObject(I, &Marker);
                R.PutObject(I, &Marker);
                break;
            }
            case 9: {
                std::string S = RandomLine(Gen, MaxLength);
                std::memcpy(P.AddLine(S.size()), S.data(), S.size());
                R.Add(S);
                break;
            }
            }
            if (Step % 97 == 0) ExpectSame(P, R);
        }
        ExpectSame(P, R);
        // Replaced and deleted lines are reclaimed once they make up half of what is held.
        std::size_t Live = 0;
        for (int I = 0; I < P.Count(); ++I)
            Live += P.Line(I).size();
        EXPECT_LE(P.BufferSize(), 2 * Live + 4096);
        // Deleting every line leaves nothing behind.
        while (P.Count() > 0)
            P.Delete(P.Count() - 1);
        EXPECT_EQ(P.BufferSize(), 0u);
    }
}

TEST(PackedStrings, CopiesAndClearsLikeAStringList) {
    TStringList Source;
    Source.Add("one");
    Source.Add("");
    Source.Add("three");
    TQELPackedStrings P;
    P.Add("left over");
    P.Assign(&Source);
    EXPECT_TRUE(P.Equals(Source));
    TStringList Back;
    Back.Assign(&P);
    EXPECT_TRUE(Back.Equals(Source));
    P.SetLineBreak("\r\n");
    EXPECT_EQ(P.Text(), "one\r\n\r\nthree\r\n");
    P.Clear();
    EXPECT_EQ(P.Count(), 0);
    EXPECT_EQ(P.Text(), "");
    P.Add("again");
    EXPECT_EQ(P.Get(0), "again");
}

TEST(PackedStrings, IndexesOutOfRangeRaise) {
    TQELPackedStrings P;
    P.Add("only");
    EXPECT_THROW(P.Line(1), EStringListError);
    EXPECT_THROW(P.Get(-1), EStringListError);
    EXPECT_THROW(P.Put(1, "x"), EStringListError);
    EXPECT_THROW(P.Delete(1), EStringListError);
    EXPECT_THROW(P.Insert(2, "x"), EStringListError);
    EXPECT_THROW(P.PutObject(1, nullptr), EStringListError);
    EXPECT_EQ(P.Count(), 1);
    P.Insert(1, "end");
    EXPECT_EQ(P.Get(1), "end");
}

} // namespace
