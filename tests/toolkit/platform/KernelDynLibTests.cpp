#include "PlatformTestSupport.h"
#include "toolkit/platform/DynLib.h"
#include "toolkit/platform/Kernel.h"
#include "toolkit/platform/Registry.h"

#include <cmath>
#include <filesystem>

namespace qel {
namespace {

using KernelTest = test::TempRegistry;

TEST_F(KernelTest, ProfileIntegersComeFromTheWinIniKey) {
    EXPECT_EQ(GetProfileIntA("Mail", "MAPI", 0), 0u);
    EXPECT_EQ(GetProfileIntA("Mail", "MAPI", 7), 7u);
    TRegistry R;
    ASSERT_TRUE(R.OpenKey("Software\\QEL\\WinIni\\Mail", true));
    R.WriteString("MAPI", "1");
    R.WriteString("Text", "  42 apples");
    R.WriteString("Hex", "0x1F");
    R.WriteString("Word", "yes");
    R.WriteInteger("Number", 9);
    EXPECT_EQ(GetProfileIntA("mail", "mapi", 0), 1u);
    EXPECT_EQ(GetProfileIntA("Mail", "Text", 0), 42u);
    EXPECT_EQ(GetProfileIntA("Mail", "Hex", 0), 31u);
    EXPECT_EQ(GetProfileIntA("Mail", "Word", 5), 0u);
    EXPECT_EQ(GetProfileIntA("Mail", "Number", 0), 9u);
    EXPECT_EQ(GetProfileIntA("Mail", "Absent", 3), 3u);
}

TEST(Kernel, VersionIsFixedUnlessOverridden) {
    test::EnvGuard Env;
    Env.Unset("QEL_WINDOWS_VERSION");
    OSVERSIONINFOA V{};
    EXPECT_EQ(GetVersionExA(&V), 0); // size field not set
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    V.dwOSVersionInfoSize = sizeof V;
    ASSERT_EQ(GetVersionExA(&V), 1);
    EXPECT_EQ(V.dwMajorVersion, 4u);
    EXPECT_EQ(V.dwMinorVersion, 0u);
    EXPECT_EQ(V.dwPlatformId, VER_PLATFORM_WIN32_NT);
    Env.Set("QEL_WINDOWS_VERSION", "3.51.1057");
    ASSERT_EQ(GetVersionExA(&V), 1);
    EXPECT_EQ(V.dwMajorVersion, 3u);
    EXPECT_EQ(V.dwMinorVersion, 51u);
    EXPECT_EQ(V.dwBuildNumber, 1057u);
}

TEST(Kernel, ErrorModeAndTime) {
    UINT Old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    EXPECT_EQ(SetErrorMode(Old), SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    DWORD T0 = GetTickCount();
    Sleep(30);
    SleepEx(20, 1);
    DWORD Elapsed = GetTickCount() - T0; // unsigned difference survives the wrap
    EXPECT_GE(Elapsed, 45u);
    EXPECT_LT(Elapsed, 2000u);
}

TEST(DynLib, WindowsNamesMapToSharedObjects) {
    test::EnvGuard Env;
    Env.Unset("QEL_MAPI_LIBRARY");
    EXPECT_EQ(SharedObjectCandidates("MAPI32.DLL"), std::vector<std::string>{"libqelmapi.so"});
    EXPECT_EQ(SharedObjectCandidates("mapi32"), std::vector<std::string>{"libqelmapi.so"});
    Env.Set("QEL_MAPI_LIBRARY", "/opt/x/libother.so");
    EXPECT_EQ(SharedObjectCandidates("mapi32.dll"),
              (std::vector<std::string>{"/opt/x/libother.so", "libqelmapi.so"}));
    Env.Unset("QEL_MAPI_LIBRARY");
    EXPECT_EQ(SharedObjectCandidates("Foo.dll"), std::vector<std::string>{"libfoo.so"});
    EXPECT_EQ(SharedObjectCandidates("libm.so.6"), std::vector<std::string>{"libm.so.6"});
    EXPECT_EQ(SharedObjectCandidates("./dir/x.dll"), std::vector<std::string>{"./dir/x.dll"});
    Env.Set("QEL_LIBRARY_PATH", "/first:/second");
    auto Paths = LibrarySearchPaths("libqelmapi.so");
    ASSERT_GE(Paths.size(), 3u);
    EXPECT_EQ(Paths[0], "/first/libqelmapi.so");
    EXPECT_EQ(Paths[1], "/second/libqelmapi.so");
    EXPECT_EQ(Paths.back(), "libqelmapi.so");
}

TEST(DynLib, LoadsResolvesAndReportsFailures) {
    test::EnvGuard Env;
    Env.Unset("QEL_MAPI_LIBRARY");
    Env.Unset("QEL_LIBRARY_PATH");
    HMODULE M = LoadLibraryA("libm.so.6");
    ASSERT_NE(M, nullptr) << DynLibErrorText();
    auto Cos = reinterpret_cast<double (*)(double)>(GetProcAddress(M, "cos"));
    ASSERT_NE(Cos, nullptr);
    EXPECT_DOUBLE_EQ(Cos(0.0), 1.0);
    EXPECT_EQ(GetProcAddress(M, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(FreeLibrary(M), 1);

    EXPECT_EQ(LoadLibraryA("qel-no-such-library.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_NE(DynLibErrorText().find("libqel-no-such-library.so"), std::string::npos)
        << DynLibErrorText();

    // The environment can point mapi32 at any shared object.
    Env.Set("QEL_MAPI_LIBRARY", "libm.so.6");
    M = LoadLibraryA("mapi32");
    ASSERT_NE(M, nullptr) << DynLibErrorText();
    EXPECT_NE(GetProcAddress(M, "sin"), nullptr);
    FreeLibrary(M);
}

} // namespace
} // namespace qel
