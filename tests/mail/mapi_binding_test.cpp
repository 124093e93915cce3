// Whether the unit finds Simple MAPI, which library names it tries, and what the components
// do without it.
#include "mapi_support.h"
#include "tests/mail/exception_recorder.h"
#include "toolkit/platform/Kernel.h"

namespace qel {
namespace {

using MapiBinding = test::MapiTest;

// Reinitialises with a loader that records the names asked for and loads Path for the names
// in Accept.
std::vector<std::string> InitWith(const std::vector<std::string>& Accept, const std::string& Path) {
    std::vector<std::string> Asked;
    QELMapiReinitialize([&](LPCSTR Name) -> HMODULE {
        Asked.push_back(Name);
        // Error boxes are suppressed while the library loads.
        UINT Mode = SetErrorMode(0);
        SetErrorMode(Mode);
        EXPECT_EQ(Mode, SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        for (const std::string& A : Accept)
            if (A == Name) return LoadLibraryA(Path.c_str());
        return nullptr;
    });
    return Asked;
}

TEST_F(MapiBinding, TheRegistryValueMustBeExactlyOne) {
    const std::string Lib = test::RecordProviderPath();
    for (const char* Value : {"0", "11", "", " 1", "yes"}) {
        test::SetMapiValue(Value);
        EXPECT_TRUE(InitWith({"mapi32"}, Lib).empty()) << Value; // no library is even tried
        EXPECT_FALSE(QELMapiAvailable()) << Value;
    }
    test::SetMapiValue(nullptr);
    EXPECT_TRUE(InitWith({"mapi32"}, Lib).empty());
    EXPECT_FALSE(QELMapiAvailable());
    // A number instead of a string is not the character "1" either.
    TRegistry R;
    R.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(R.OpenKey("SOFTWARE\\Microsoft\\Windows Messaging Subsystem", true));
    R.WriteInteger("MAPI", 1);
    EXPECT_TRUE(InitWith({"mapi32"}, Lib).empty());
    test::SetMapiValue("1");
    EXPECT_EQ(InitWith({"mapi32"}, Lib), std::vector<std::string>{"mapi32"});
    EXPECT_TRUE(QELMapiAvailable());
    EXPECT_NE(QELMapiEntries().MAPISaveMail, nullptr);
}

TEST_F(MapiBinding, TheSecondLibraryNameIsTriedWhenTheFirstFails) {
    const std::string Lib = test::RecordProviderPath();
    EXPECT_EQ(InitWith({"mapi32.dll"}, Lib), (std::vector<std::string>{"mapi32", "mapi32.dll"}));
    EXPECT_TRUE(QELMapiAvailable());
    EXPECT_EQ(InitWith({}, Lib), (std::vector<std::string>{"mapi32", "mapi32.dll"}));
    EXPECT_FALSE(QELMapiAvailable());
    EXPECT_TRUE(QELMapiLoadError().empty()); // a missing library is no error
}

TEST_F(MapiBinding, OlderSystemsAskTheProfileFile) {
    Env.Set("QEL_WINDOWS_VERSION", "3.51");
    test::SetMapiValue(nullptr);
    const std::string Lib = test::RecordProviderPath();
    EXPECT_TRUE(InitWith({"mapi32"}, Lib).empty());
    TRegistry R;
    ASSERT_TRUE(R.OpenKey("Software\\QEL\\WinIni\\Mail", true));
    R.WriteString("MAPI", "1");
    EXPECT_EQ(InitWith({"mapi32"}, Lib), std::vector<std::string>{"mapi32"});
    EXPECT_TRUE(QELMapiAvailable());
    Env.Set("QEL_WINDOWS_VERSION", "3.52"); // the registry again, where MAPI is absent
    EXPECT_TRUE(InitWith({"mapi32"}, Lib).empty());
}

TEST_F(MapiBinding, ALibraryWithoutTheEntryPointsIsRefused) {
    // Any shared object without the ten names will do.
    EXPECT_EQ(InitWith({"mapi32"}, "libm.so.6"), std::vector<std::string>{"mapi32"});
    EXPECT_FALSE(QELMapiAvailable());
    EXPECT_EQ(QELMapiLoadError(), SQELMapiDllError);
    // The fault reaches the application's handler, AfterExecute follows, nothing is sent.
    test::TExceptionRecorder Recorder;
    const std::vector<std::string>& Shown = Recorder.Shown;
    TQELMapiMail M(nullptr);
    int After = 0;
    M.AfterExecute = [&](TObject*) { ++After; };
    EXPECT_FALSE(M.Execute());
    EXPECT_EQ(After, 1);
    EXPECT_EQ(Shown, std::vector<std::string>{SQELMapiDllError});
    // Quick mail tells the application too, instead of only leaving error 26 behind.
    TQELQuickMail Q(nullptr);
    int Errors = 0;
    Q.OnError = [&](TObject*) { ++Errors; };
    EXPECT_FALSE(Q.Execute());
    EXPECT_EQ(Q.ErrorNo(), std::to_string(MAPI_E_NOT_SUPPORTED));
    EXPECT_EQ(Errors, 1);
    EXPECT_EQ(Shown.size(), 2u);
}

TEST_F(MapiBinding, WithoutSimpleMapiNothingIsCalled) {
    QELMapiFinalize();
    EXPECT_FALSE(QELMapiAvailable());
    TQELMapiMail M(nullptr);
    std::vector<std::string> E;
    M.OnMapiNotAvailable = [&](TObject*) { E.push_back("OnMapiNotAvailable"); };
    M.BeforeLogon = [&](TObject*) { E.push_back("BeforeLogon"); };
    M.AfterExecute = [&](TObject*) { E.push_back("AfterExecute"); };
    M.Messages()->Add()->RecipientsTo()->Add("a@example.test");
    EXPECT_FALSE(M.GetMAPIAvail());
    EXPECT_FALSE(M.Execute());
    EXPECT_EQ(E, (std::vector<std::string>{"OnMapiNotAvailable", "AfterExecute"}));
    EXPECT_EQ(M.SendMapi(), static_cast<int>(MAPI_E_NOT_SUPPORTED));
    EXPECT_EQ(M.Messages()->Count(), 1);
    EXPECT_EQ(std::string(Log()), ""); // the provider heard nothing

    M.SetDesigning(true);
    EXPECT_THROW(M.Logon(), TQELExceptunavailable);

    TQELQuickMail Q(nullptr);
    int Errors = 0;
    Q.OnError = [&](TObject*) { ++Errors; };
    EXPECT_TRUE(Q.Execute());
    EXPECT_EQ(Q.ErrorNo(), std::to_string(MAPI_E_NOT_SUPPORTED));
    EXPECT_EQ(Errors, 1);
}

} // namespace
} // namespace qel
