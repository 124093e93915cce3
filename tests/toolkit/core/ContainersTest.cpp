// Lists, string lists, collections and streams.
#include "tests/toolkit/core/TestClasses.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/List.h"
#include "toolkit/core/Streams.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

TEST(List, IndexErrorsNameTheIndex) {
    TList L;
    int A = 1, B = 2, C = 3;
    L.Add(&A);
    L.Add(&B);
    L.Insert(0, &C);
    EXPECT_EQ(L.IndexOf(&A), 1);
    L.Move(0, 2);
    EXPECT_EQ(L.Items(2), &C);
    L.Exchange(0, 1);
    EXPECT_EQ(L.First(), &B);
    EXPECT_EQ(L.Remove(&A), 1);
    EXPECT_EQ(L.Remove(&A), -1);
    EXPECT_EQ(L.Extract(&C), &C);
    EXPECT_EQ(L.Count(), 1);
    try {
        L.Items(7);
        FAIL();
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (7)");
    }
    EXPECT_THROW(L.Delete(-1), EListError);
    EXPECT_THROW(L.Insert(3, nullptr), EListError);
    L.Add(nullptr);
    L.Pack();
    EXPECT_EQ(L.Count(), 1);
    L.SetCapacity(100);
    EXPECT_GE(L.Capacity(), 100);
    EXPECT_THROW(L.SetCapacity(0), EListError);
}

TEST(List, SortIsStable) {
    TList L;
    int V[] = {3, 1, 3, 2, 1};
    for (int& X : V)
        L.Add(&X);
    L.Sort([](void* A, void* B) { return *static_cast<int*>(A) - *static_cast<int*>(B); });
    EXPECT_EQ(L.Items(0), &V[1]);
    EXPECT_EQ(L.Items(1), &V[4]);
    EXPECT_EQ(L.Items(3), &V[0]);
    EXPECT_EQ(L.Items(4), &V[2]);
}

TEST(StringList, TextSplitsAnyLineBreakAndJoinsWithLF) {
    TStringList L;
    L.SetText("a\r\nb\rc\n\nd");
    EXPECT_EQ(L.Count(), 5);
    EXPECT_EQ(L[3], "");
    EXPECT_EQ(L.Text(), "a\nb\nc\n\nd\n");
    L.SetText("");
    EXPECT_EQ(L.Count(), 0);
}

TEST(StringList, CommaAndDelimitedText) {
    TStringList L;
    L.Add("plain");
    L.Add("with space");
    L.Add("quote\"inside");
    L.Add("");
    EXPECT_EQ(L.CommaText(), "plain,\"with space\",\"quote\"\"inside\",");
    TStringList M;
    M.SetCommaText(L.CommaText());
    EXPECT_TRUE(M.Equals(L));
    M.SetCommaText("a b,c"); // unquoted spaces separate, as classic code expects
    EXPECT_EQ(M.Count(), 3);
    M.SetStrictDelimiter(true);
    M.SetDelimiter(';');
    M.SetDelimitedText("a b;c");
    EXPECT_EQ(M.Count(), 2);
    EXPECT_EQ(M[0], "a b");
    M.SetCommaText("\"\"");
    EXPECT_EQ(M.Count(), 1);
}

TEST(StringList, NamesAndValues) {
    TStringList L;
    L.Add("Host=example.org");
    L.Add("Port=25");
    L.Add("novalue");
    EXPECT_EQ(L.Values("port"), "25");
    EXPECT_EQ(L.Names(0), "Host");
    EXPECT_EQ(L.Names(2), "");
    EXPECT_EQ(L.IndexOfName("PORT"), 1);
    L.SetValues("Port", "110");
    EXPECT_EQ(L[1], "Port=110");
    L.SetValues("User", "me");
    EXPECT_EQ(L.Count(), 4);
    L.SetValues("Host", ""); // an empty value deletes the line
    EXPECT_EQ(L.IndexOfName("Host"), -1);
    EXPECT_EQ(L.ValueFromIndex(0), "110");
}

TEST(StringList, SortedListsKeepOrderAndHandleDuplicates) {
    TStringList L;
    L.SetSorted(true);
    L.Add("pear");
    L.Add("Apple");
    L.Add("banana");
    EXPECT_EQ(L.CommaText(), "Apple,banana,pear");
    EXPECT_EQ(L.Add("APPLE"), 0); // dupIgnore, case-insensitive
    EXPECT_EQ(L.Count(), 3);
    L.SetDuplicates(dupError);
    EXPECT_THROW(L.Add("pear"), EStringListError);
    L.SetDuplicates(dupAccept);
    L.Add("pear");
    EXPECT_EQ(L.Count(), 4);
    EXPECT_EQ(L.IndexOf("PEAR"), 2);
    EXPECT_THROW(L.Insert(0, "x"), EStringListError);
    L.SetCaseSensitive(true);
    EXPECT_EQ(L.IndexOf("PEAR"), -1);
    EXPECT_THROW(L.Get(10), EStringListError);
}

TEST(StringList, ObjectsMoveWithTheirLines) {
    TStringList L;
    TStringList O1, O2;
    L.AddObject("one", &O1);
    L.AddObject("two", &O2);
    L.Move(0, 1);
    EXPECT_EQ(L[1], "one");
    EXPECT_EQ(L.Objects(1), &O1);
    L.Exchange(0, 1);
    EXPECT_EQ(L.Objects(0), &O1);
    EXPECT_EQ(L.IndexOfObject(&O2), 1);
    TStringList Copy;
    Copy.Assign(&L);
    EXPECT_EQ(Copy.Objects(1), &O2);
}

TEST(StringList, ChangeEventsFireOncePerUpdate) {
    TStringList L;
    int Changes = 0, Changings = 0;
    L.OnChange = [&](TObject*) { ++Changes; };
    L.OnChanging = [&](TObject*) { ++Changings; };
    L.Add("a");
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Changings, 1);
    L.BeginUpdate();
    L.Add("b");
    L.Add("c");
    L.Delete(0);
    EXPECT_EQ(Changes, 1);
    L.EndUpdate();
    EXPECT_EQ(Changes, 2);
    L.SetText("x\ny"); // one change for the whole text
    EXPECT_EQ(Changes, 3);
}

TEST(StringList, FilesAndStreams) {
    std::string Path = ::testing::TempDir() + "/core_strings.txt";
    TStringList L;
    L.Add("line 1");
    L.Add("line 2");
    L.SaveToFile(Path);
    TStringList M;
    M.LoadFromFile(Path);
    EXPECT_TRUE(M.Equals(L));
    try {
        M.LoadFromFile(Path + ".missing");
        FAIL();
    } catch (const EFOpenError& E) {
        EXPECT_EQ(std::string(E.what()),
                  "Cannot open file \"" + Path + ".missing\". No such file or directory");
    }
}

TEST(Collection, ItemsKnowTheirCollectionIndexAndID) {
    TTestForm Owner(nullptr);
    TTestWidget W(&Owner);
    W.SetName("W");
    TCollection& C = *W.Columns();
    auto* A = &As<TTestColumn>(*C.Add());
    auto* B = &As<TTestColumn>(*C.Add());
    auto* X = &As<TTestColumn>(*C.Insert(0));
    EXPECT_EQ(X->Index(), 0);
    EXPECT_EQ(A->Index(), 1);
    EXPECT_EQ(C.FindItemID(B->ID()), B);
    EXPECT_EQ(W.Columns()->Owner(), &W);
    EXPECT_EQ(B->GetNamePath(), "W.Columns[2]");
    B->SetIndex(0);
    EXPECT_EQ(C.Items(0), B);
    EXPECT_THROW(B->SetIndex(3), EListError);
    delete A; // an item freed on its own leaves the collection
    EXPECT_EQ(C.Count(), 2);
    C.Delete(0);
    EXPECT_EQ(C.Items(0), X);
    EXPECT_THROW(C.Items(1), EListError);
    EXPECT_EQ(X->DisplayName(), "TTestColumn");
}

TEST(Collection, AssignCopiesItemsAndRejectsForeignClasses) {
    TTestWidget A(nullptr), B(nullptr);
    As<TTestColumn>(*A.Columns()->Add()).SetCaption("one");
    As<TTestColumn>(*A.Columns()->Add()).SetWidth(9);
    B.Columns()->Add();
    // Columns items assign field by field; TTestColumn relies on the default Assign here,
    // which cannot copy, so give it a collection of the base class instead.
    EXPECT_THROW(B.Columns()->Assign(A.Columns()), EConvertError);
    TStringList L;
    EXPECT_THROW(B.Columns()->Assign(&L), EConvertError);
    // The cast keeps this an expression: a bare TCollection(X::StaticClass()) declares a function.
    EXPECT_THROW((void)TCollection(TTestWidget::StaticClass()), EInvalidOperation);
}

TEST(Streams, MemoryStreamGrowsAndSeeks) {
    TMemoryStream M;
    M.WriteBuffer("hello", 5);
    M.SetPosition(10);
    M.WriteBuffer("!", 1);
    EXPECT_EQ(M.Size(), 11);
    M.SetPosition(0);
    char Buf[11];
    M.ReadBuffer(Buf, 11);
    EXPECT_EQ(std::string(Buf, 5), "hello");
    EXPECT_EQ(Buf[7], 0);
    EXPECT_THROW(M.ReadBuffer(Buf, 1), EReadError);
    EXPECT_THROW(M.Seek(-1, soBeginning), EStreamError);
    EXPECT_EQ(M.Seek(-1, soEnd), 10);
    TStringStream S;
    S.CopyFrom(M, 0);
    EXPECT_EQ(S.DataString().size(), 11u);
}

TEST(Streams, FileStreamModes) {
    std::string Path = ::testing::TempDir() + "/core_stream.bin";
    {
        TFileStream F(Path, fmCreate);
        F.WriteBuffer("abcdef", 6);
        F.SetSize(4);
        EXPECT_EQ(F.Size(), 4);
    }
    TFileStream R(Path, fmOpenRead);
    EXPECT_EQ(R.Size(), 4);
    char B[4];
    R.ReadBuffer(B, 4);
    EXPECT_EQ(std::string(B, 4), "abcd");
    EXPECT_THROW(R.WriteBuffer("x", 1), EWriteError);
    EXPECT_THROW(TFileStream("/nonexistent-dir/x", fmCreate), EFCreateError);
    EXPECT_THROW(TFileStream(::testing::TempDir(), fmOpenRead), EFOpenError);
}
