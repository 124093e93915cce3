// The clipboard on a real X server, against another client that knows nothing of ours: what we
// copy it can paste, what it copies we paste, large texts both ways, and an owner that never
// answers does not hang us.
#include "ControlsTestSupport.h"
#include "XServerSupport.h"
#include "toolkit/controls/Clipbrd.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Memo.h"
#include "toolkit/platform/X11Backend.h"

#include <gtest/gtest.h>
#include <thread>

// Last: Xlib's macros must not meet our headers.
#include "ForeignXClient.h"

using namespace qel;
using namespace qel::test;

namespace {

double SecondsSince(TForeignClient::TClock::time_point T0) {
    return std::chrono::duration<double>(TForeignClient::TClock::now() - T0).count();
}

struct X11Clipboard : ::testing::Test {
    static void SetUpTestSuite() {
        Server = new TXServer();
        if (Server->Display().empty()) return;
        // The server resets whenever its last client leaves, and refuses connections while it
        // does: one connection stays open from test to test.
        for (int I = 0; I < 100 && !Keeper; ++I) {
            Keeper = XOpenDisplay(Server->Display().c_str());
            if (!Keeper) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    static void TearDownTestSuite() {
        if (Keeper) XCloseDisplay(Keeper);
        Keeper = nullptr;
        delete Server;
        Server = nullptr;
    }

    void SetUp() override {
        if (Server->Display().empty()) {
            if (std::getenv("QEL_REQUIRE_SERVERS")) FAIL() << "Xvfb is required but not installed";
            GTEST_SKIP() << "no X server and no Xvfb";
        }
        Headless();
        auto B = TX11Backend::Open(Server->Display().c_str());
        ASSERT_TRUE(B) << "cannot open display " << Server->Display();
        X = B.get();
        SetBackend(std::move(B));
        Foreign = std::make_unique<TForeignClient>(Server->Display());
        ASSERT_TRUE(Foreign->Ok());
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 320, 240);
        Edit = new TEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(8, 8, 200, 21);
        Memo = new TMemo(Form);
        Memo->SetParent(Form);
        Memo->SetBounds(8, 40, 300, 180);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        StopServing();
        delete Form;
        Pump();
        Foreign.reset();
        if (X) SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    }

    // Runs Fn (the other client's part) on a thread while our loop keeps running.
    void WhilePumping(const std::function<void()>& Fn) {
        std::atomic<bool> Done{false};
        std::thread T([&] {
            Fn();
            Done = true;
        });
        PumpUntil([&] { return Done.load(); }, 20000);
        T.join();
    }

    // The other client takes the clipboard and answers from a thread until the test ends.
    void ForeignOwns(const std::string& Text, bool Silent = false,
                     std::size_t Chunk = std::size_t(1) << 20,
                     std::function<void()> OnRequest = {}) {
        Foreign->Own();
        Serving = std::thread([this, Text, Silent, Chunk, OnRequest] {
            Foreign->Serve(Text, Silent, Chunk, Stop, OnRequest);
        });
    }
    void StopServing() {
        Stop = true;
        if (Serving.joinable()) Serving.join();
        Stop = false;
    }

    static TXServer* Server;
    static Display* Keeper;
    TX11Backend* X = nullptr;
    std::unique_ptr<TForeignClient> Foreign;
    std::thread Serving;
    std::atomic<bool> Stop{false};
    TForm* Form = nullptr;
    TEdit* Edit = nullptr;
    TMemo* Memo = nullptr;
};
TXServer* X11Clipboard::Server = nullptr;
Display* X11Clipboard::Keeper = nullptr;

TEST_F(X11Clipboard, AnotherClientPastesOurCopyInEveryTextTarget) {
    // "grün € ok" with a CR LF break, as a program written for such a clipboard would copy.
    const std::string Copied = "gr\xC3\xBCn \xE2\x82\xAC ok\r\nzwei";
    Memo->SetText(Copied);
    Memo->SelectAll();
    Memo->CopyToClipboard();
    EXPECT_EQ(Clipboard().AsText(), Copied) << "our own copy comes back from memory, as stored";
    const std::string Lf = "gr\xC3\xBCn \xE2\x82\xAC ok\nzwei";

    TForeignClient::TAnswer Utf8, Latin1, Text, Plain, Targets, Image;
    std::vector<std::optional<std::string>> Several;
    WhilePumping([&] {
        Several = Foreign->RequestMultiple({"STRING", "image/png", "UTF8_STRING"});
        Utf8 = Foreign->Request("UTF8_STRING");
        Latin1 = Foreign->Request("STRING");
        Text = Foreign->Request("TEXT");
        Plain = Foreign->Request("text/plain;charset=utf-8");
        Targets = Foreign->Request("TARGETS");
        Image = Foreign->Request("image/png");
    });
    ASSERT_TRUE(Utf8.Ok);
    EXPECT_EQ(Utf8.Type, "UTF8_STRING");
    EXPECT_EQ(Utf8.Data, Lf) << "X clients get LF line breaks";
    ASSERT_TRUE(Latin1.Ok);
    EXPECT_EQ(Latin1.Type, "STRING");
    EXPECT_EQ(Latin1.Data, "gr\xFCn ? ok\nzwei") << "Latin-1, '?' for what it cannot hold";
    ASSERT_TRUE(Text.Ok);
    EXPECT_EQ(Text.Data, Lf);
    EXPECT_EQ(Text.Type, "UTF8_STRING") << "the type names the encoding chosen for TEXT";
    ASSERT_TRUE(Plain.Ok);
    EXPECT_EQ(Plain.Data, Lf);
    ASSERT_TRUE(Targets.Ok);
    EXPECT_EQ(Targets.Type, "ATOM");
    for (const char* T : {"TARGETS", "MULTIPLE", "TIMESTAMP", "UTF8_STRING", "STRING", "TEXT",
                          "text/plain;charset=utf-8"})
        EXPECT_NE(std::find(Targets.Atoms.begin(), Targets.Atoms.end(), T), Targets.Atoms.end())
            << T;
    EXPECT_FALSE(Image.Ok) << "targets we do not have are refused";
    ASSERT_EQ(Several.size(), 3u);
    EXPECT_EQ(Several[0], Latin1.Data);
    EXPECT_FALSE(Several[1]) << "one refused target in MULTIPLE leaves the others";
    EXPECT_EQ(Several[2], Lf);

    // An emptied clipboard is still ours, but offers no text any more.
    Clipboard().Clear();
    EXPECT_FALSE(Clipboard().HasText());
    EXPECT_EQ(Clipboard().AsText(), "");
    WhilePumping([&] {
        Utf8 = Foreign->Request("UTF8_STRING");
        Targets = Foreign->Request("TARGETS");
    });
    EXPECT_FALSE(Utf8.Ok);
    ASSERT_TRUE(Targets.Ok);
    EXPECT_EQ(std::find(Targets.Atoms.begin(), Targets.Atoms.end(), "UTF8_STRING"),
              Targets.Atoms.end());
}

TEST_F(X11Clipboard, ForeignCopyIsPastedAndReplacesOurs) {
    Clipboard().SetAsText("ours");
    ASSERT_TRUE(Clipboard().HasText());
    ForeignOwns("\xC3\xBC"
                "ber\nzwei");
    // Taking the selection tells us we lost it; our copy is not the clipboard any more.
    EXPECT_TRUE(PumpUntil([] { return Clipboard().AsText() != "ours"; }, 3000));
    EXPECT_EQ(Clipboard().AsText(), "\xC3\xBC"
                                    "ber\nzwei");
    EXPECT_TRUE(Clipboard().HasText()) << "the owner offers UTF8_STRING";

    Memo->SetText("a");
    Memo->SetFocus();
    Memo->SelectAll();
    Memo->PasteFromClipboard();
    EXPECT_EQ(Memo->Lines()->Count(), 2);
    EXPECT_EQ(Memo->Lines()->Strings(0), "\xC3\xBC"
                                         "ber");
    EXPECT_EQ(Memo->Lines()->Strings(1), "zwei");
    Edit->SetText("");
    Edit->PasteFromClipboard();
    EXPECT_EQ(Edit->Text(), "\xC3\xBC"
                            "ber")
        << "a single-line edit keeps the first line";

    // The other client takes the clipboard and we copy again at once, before our loop ran:
    // the notice of the loss must not cost us the new copy.
    StopServing();
    Foreign->Own();
    Clipboard().SetAsText("mine again");
    Pump(20);
    EXPECT_EQ(Clipboard().AsText(), "mine again");
    TForeignClient::TAnswer A;
    WhilePumping([&] { A = Foreign->Request("UTF8_STRING"); });
    EXPECT_EQ(A.Data, "mine again");
}

TEST_F(X11Clipboard, ClipboardManagerKeepsOurCopyWhenWeGo) {
    std::string Saved;
    Foreign->Own("CLIPBOARD_MANAGER");
    Serving = std::thread([this, &Saved] { Foreign->ServeAsManager(Saved, Stop); });
    Clipboard().SetAsText("outlives us \xE2\x82\xAC");
    delete Form;
    Form = nullptr;
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    X = nullptr;
    StopServing();
    EXPECT_EQ(Saved, "outlives us \xE2\x82\xAC");
}

TEST_F(X11Clipboard, TenMegabytesGoIncrementallyBothWays) {
    std::string Big;
    Big.reserve(10u << 20);
    for (int I = 0; Big.size() < (10u << 20); ++I)
        Big += "line " + std::to_string(I) + " \xE2\x82\xAC caf\xC3\xA9\n";
    auto T0 = TForeignClient::TClock::now();
    Clipboard().SetAsText(Big);
    TForeignClient::TAnswer A;
    WhilePumping([&] { A = Foreign->Request("UTF8_STRING", 15000); });
    ASSERT_TRUE(A.Ok);
    EXPECT_TRUE(A.Incremental) << "10 MB do not fit one request";
    EXPECT_TRUE(A.Data == Big) << "got " << A.Data.size() << " of " << Big.size() << " bytes";
    double Out = SecondsSince(T0);

    Big[0] = 'L';
    ForeignOwns(Big, false, 256u << 10);
    T0 = TForeignClient::TClock::now();
    std::string Got = Clipboard().AsText();
    double In = SecondsSince(T0);
    EXPECT_TRUE(Got == Big) << "got " << Got.size() << " of " << Big.size() << " bytes";
    EXPECT_LT(Out, 10.0);
    EXPECT_LT(In, 10.0);

    // Beyond the limit nothing is read, whether it comes in one piece or incrementally.
    StopServing();
    X->SetClipboardMaxBytes(1u << 20);
    ForeignOwns(Big.substr(0, 2u << 20), false, 4u << 20);
    EXPECT_EQ(Clipboard().AsText(), "");
    StopServing();
    ForeignOwns(Big.substr(0, 2u << 20), false, 256u << 10);
    T0 = TForeignClient::TClock::now();
    EXPECT_EQ(Clipboard().AsText(), "");
    EXPECT_LT(SecondsSince(T0), 3.0);
}

TEST_F(X11Clipboard, SilentOwnerNeitherHangsPasteNorEatsInput) {
    Memo->SetText("kept");
    Memo->SetFocus();
    Memo->SelectAll();
    // While we wait for the silent owner a key arrives for our window: it must still be typed
    // once the wait is over.
    unsigned long Native = X->NativeWindow(Form->Handle());
    std::atomic<bool> KeySent{false};
    TForeignClient* F = Foreign.get();
    ForeignOwns("never sent", true, 1u << 20, [F, Native, &KeySent] {
        if (KeySent.exchange(true)) return;
        XKeyEvent K{};
        K.type = KeyPress;
        K.display = F->Dpy();
        K.window = Native;
        K.root = DefaultRootWindow(F->Dpy());
        K.keycode = XKeysymToKeycode(F->Dpy(), 'z');
        K.same_screen = True;
        XSendEvent(F->Dpy(), Native, False, KeyPressMask, reinterpret_cast<XEvent*>(&K));
        XFlush(F->Dpy());
    });
    auto T0 = TForeignClient::TClock::now();
    Memo->PasteFromClipboard();
    EXPECT_LT(SecondsSince(T0), 3.0);
    EXPECT_EQ(Memo->Text(), "kept");
    T0 = TForeignClient::TClock::now();
    EXPECT_EQ(Clipboard().AsText(), "");
    EXPECT_LT(SecondsSince(T0), 3.0);
    EXPECT_TRUE(KeySent);
    EXPECT_TRUE(PumpUntil([&] { return Memo->Text() == "z"; }, 3000))
        << "the key that came during the wait was lost: " << Memo->Text();
}

} // namespace
