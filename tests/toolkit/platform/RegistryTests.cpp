#include "PlatformTestSupport.h"
#include "toolkit/platform/Registry.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qel {
namespace {

using RegistryTest = test::TempRegistry;

TEST_F(RegistryTest, MissingFileIsAnEmptyRegistryAndReadsCreateNothing) {
    TRegistry R;
    EXPECT_FALSE(R.KeyExists("Software\\QEL"));
    EXPECT_FALSE(R.OpenKey("Software\\QEL", false));
    EXPECT_EQ(R.ReadString("x"), "");
    EXPECT_FALSE(std::filesystem::exists(RegFile));
}

TEST_F(RegistryTest, ValuesRoundTripThroughTheFile) {
    {
        TRegistry R;
        ASSERT_TRUE(R.OpenKey("Software\\QEL\\Test", true));
        R.WriteString("Host", "mail.example.test");
        R.WriteString("Tricky", "quote \" backslash \\ newline \n tab \t bell \a end");
        R.WriteInteger("Port", 2525);
        R.WriteInteger("Negative", -7);
        R.WriteBool("Flag", true);
    }
    // A new reader sees what the file holds, names compared without case.
    TRegistry R;
    R.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(R.OpenKeyReadOnly("software\\qel\\TEST"));
    EXPECT_EQ(R.ReadString("host"), "mail.example.test");
    EXPECT_EQ(R.ReadString("Tricky"), "quote \" backslash \\ newline \n tab \t bell \a end");
    EXPECT_EQ(R.ReadInteger("PORT"), 2525);
    EXPECT_EQ(R.ReadInteger("Negative"), -7);
    EXPECT_TRUE(R.ReadBool("Flag"));
    EXPECT_EQ(R.GetValueNames(),
              (std::vector<std::string>{"Host", "Tricky", "Port", "Negative", "Flag"}));
    EXPECT_THROW(R.ReadInteger("Host"), ERegistryException); // wrong type
    EXPECT_THROW(R.ReadString("Port"), ERegistryException);  // wrong type
    EXPECT_THROW(R.ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(R.WriteString("x", "y"), ERegistryException); // opened read-only
    EXPECT_NE(ReadFile(RegFile).find("\"Port\"=dword:000009dd"), std::string::npos);
}

TEST_F(RegistryTest, RelativeAndAbsolutePathsAndKeyNames) {
    TRegistry R;
    ASSERT_TRUE(R.OpenKey("Software", true));
    ASSERT_TRUE(R.OpenKey("A\\B", true)); // relative to Software
    EXPECT_EQ(R.CurrentPath(), "Software\\A\\B");
    ASSERT_TRUE(R.OpenKey("\\Software\\C", true)); // absolute
    EXPECT_EQ(R.CurrentPath(), "Software\\C");
    R.CloseKey();
    ASSERT_TRUE(R.OpenKey("Software", false));
    EXPECT_EQ(R.GetKeyNames(), (std::vector<std::string>{"A", "C"}));
    EXPECT_TRUE(R.HasSubKeys());
    EXPECT_TRUE(R.KeyExists("A\\B"));
    EXPECT_TRUE(R.DeleteKey("A")); // with its subkey
    EXPECT_FALSE(R.KeyExists("A\\B"));
    EXPECT_FALSE(R.DeleteKey("A"));
    EXPECT_EQ(R.GetKeyNames(), (std::vector<std::string>{"C"}));
}

TEST_F(RegistryTest, DeleteValue) {
    TRegistry R;
    ASSERT_TRUE(R.OpenKey("Software\\QEL", true));
    R.WriteString("A", "1");
    EXPECT_TRUE(R.ValueExists("a"));
    EXPECT_TRUE(R.DeleteValue("A"));
    EXPECT_FALSE(R.ValueExists("A"));
    EXPECT_FALSE(R.DeleteValue("A"));
}

TEST_F(RegistryTest, CorruptFileGivesAClearError) {
    std::filesystem::create_directories(Dir + "/cfg");
    std::ofstream(RegFile) << "QEL registry 1\n[HKEY_CURRENT_USER\\Software]\n\"A\"=dword:12\n";
    TRegistry R;
    try {
        R.KeyExists("Software");
        FAIL() << "no exception";
    } catch (const ERegistryException& E) {
        std::string M = E.what();
        EXPECT_NE(M.find(RegFile), std::string::npos) << M;
        EXPECT_NE(M.find("line 3"), std::string::npos) << M;
    }
    // The raw calls report it through their result instead.
    HKEY K = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &K), ERROR_BADDB);
    EXPECT_NE(RegistryLastErrorText().find("line 3"), std::string::npos);
    // Writers refuse to overwrite what they cannot read.
    EXPECT_THROW(R.OpenKey("Software\\New", true), ERegistryException);
    EXPECT_NE(ReadFile(RegFile).find("dword:12"), std::string::npos);

    for (const char* Bad : {"[HKEY_NOWHERE\\X]\n", "\"A\"=\"1\"\n",
                            "[HKEY_USERS\\X]\n\"A\"=\"open\n", "[HKEY_USERS\\X]\n\"A\"=hex:1,2\n",
                            "QEL registry 2\n", "[HKEY_USERS\\X]\n\"A\"=\"1\"\n\"a\"=\"2\"\n"}) {
        std::ofstream(RegFile) << Bad;
        EXPECT_THROW(R.KeyExists("X"), ERegistryException) << Bad;
    }
}

// A store that is not a file of text (a device, a fifo, a folder) or that is far too large for
// one is refused with the reason, before it is read into memory, locked or replaced.
TEST_F(RegistryTest, StoresThatAreNoFileOrTooLargeAreRefused) {
    auto ExpectRefused = [](const std::string& Why) {
        TRegistry R;
        try {
            R.KeyExists("Software");
            ADD_FAILURE() << "no exception for " << Why;
        } catch (const ERegistryException& E) {
            EXPECT_NE(std::string(E.what()).find(Why), std::string::npos) << E.what();
        }
        EXPECT_THROW(R.OpenKey("Software\\New", true), ERegistryException);
    };
    for (const char* Device : {"/dev/zero", "/dev/full"}) {
        Env.Set("QEL_REGISTRY", Device);
        ExpectRefused("not a regular file");
    }
    EXPECT_FALSE(std::filesystem::exists("/dev/full.lock"));
    const std::string Fifo = Dir + "/fifo";
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    Env.Set("QEL_REGISTRY", Fifo);
    ExpectRefused("not a regular file"); // and no hang waiting for a writer
    Env.Set("QEL_REGISTRY", RegFile);
    std::filesystem::create_directories(Dir + "/cfg");
    {
        std::ofstream Big(RegFile);
        Big << "QEL registry 1\n";
        const std::string Comment = "; " + std::string(1 << 20, 'x') + "\n";
        for (int I = 0; I < 65; ++I)
            Big << Comment;
    }
    ExpectRefused("larger than 64 MB");
}

TEST_F(RegistryTest, ChangesByOtherWritersAreSeenAndNotLost) {
    TRegistry R;
    ASSERT_TRUE(R.OpenKey("Software\\QEL", true));
    R.WriteString("Mine", "1");
    // Another program rewrites the file behind our back.
    std::string Text = ReadFile(RegFile);
    Text += "\"Theirs\"=\"2\"\n";
    std::ofstream(RegFile + ".new") << Text;
    std::filesystem::rename(RegFile + ".new", RegFile);
    EXPECT_EQ(R.ReadString("Theirs"), "2");
    R.WriteString("Mine", "3");
    EXPECT_EQ(R.ReadString("Theirs"), "2");

    // Several processes writing at once: every value arrives.
    const int Children = 4, Each = 15;
    std::vector<pid_t> Pids;
    for (int C = 0; C < Children; ++C) {
        pid_t P = ::fork();
        ASSERT_GE(P, 0);
        if (P == 0) {
            try {
                TRegistry W;
                W.OpenKey("Software\\Race", true);
                for (int I = 0; I < Each; ++I)
                    W.WriteInteger("v" + std::to_string(C) + "_" + std::to_string(I), I);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        Pids.push_back(P);
    }
    for (pid_t P : Pids) {
        int St = 0;
        ::waitpid(P, &St, 0);
        EXPECT_TRUE(WIFEXITED(St) && WEXITSTATUS(St) == 0);
    }
    ASSERT_TRUE(R.OpenKey("\\Software\\Race", false));
    EXPECT_EQ(R.GetValueNames().size(), static_cast<std::size_t>(Children * Each));
    // No temporary files are left beside the store.
    for (const auto& E : std::filesystem::directory_iterator(Dir + "/cfg"))
        EXPECT_EQ(E.path().string().find(".tmp"), std::string::npos) << E.path();
}

TEST_F(RegistryTest, ContentTypeFallsBackToTheSystemMimeTable) {
    auto Mime = [](const std::string& Ext) {
        TRegistry R;
        R.SetRootKey(HKEY_CLASSES_ROOT);
        std::string Result = "application/octet-stream";
        if (R.KeyExists(Ext) && R.OpenKey(Ext, false)) {
            std::string V = R.ReadString("Content Type");
            if (!V.empty()) Result = V;
            R.CloseKey();
        }
        return Result;
    };
    EXPECT_EQ(Mime(".pdf"), "application/pdf");
    EXPECT_EQ(Mime(".Png"), "image/png");
    EXPECT_EQ(Mime(".txt"), "text/plain"); // the first type listed for an extension
    EXPECT_EQ(Mime(".unknownext"), "application/octet-stream");
    EXPECT_EQ(Mime("."), "application/octet-stream");

    // A stored value overrides the table; a stored key without the value does not hide it.
    TRegistry W;
    W.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(W.OpenKey(".pdf", true));
    W.WriteString("Content Type", "application/x-custom");
    ASSERT_TRUE(W.OpenKey("\\.png", true));
    W.WriteString("Other", "x");
    EXPECT_EQ(Mime(".pdf"), "application/x-custom");
    EXPECT_EQ(Mime(".png"), "image/png");
    ASSERT_TRUE(W.OpenKey("\\.png", false));
    EXPECT_EQ(W.GetValueNames(), (std::vector<std::string>{"Other", "Content Type"}));
}

TEST_F(RegistryTest, RawCallsFollowTheWin32Contract) {
    HKEY K = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", 0, KEY_READ, &K),
              ERROR_FILE_NOT_FOUND);
    DWORD Disp = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &K, &Disp),
              ERROR_SUCCESS);
    EXPECT_EQ(Disp, REG_CREATED_NEW_KEY);
    const char One[] = "1";
    ASSERT_EQ(RegSetValueExA(K, "MAPI", 0, REG_SZ, reinterpret_cast<const BYTE*>(One), 2),
              ERROR_SUCCESS);
    const char Long[] = "0123456789";
    ASSERT_EQ(RegSetValueExA(K, "Long", 0, REG_SZ, reinterpret_cast<const BYTE*>(Long), 11),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(K), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(K), ERROR_INVALID_HANDLE); // closed handles are refused

    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\vendor", 0, KEY_READ, &K),
              ERROR_SUCCESS);
    char Buf[9];
    DWORD Size = sizeof Buf, Type = 0;
    ASSERT_EQ(RegQueryValueExA(K, "MAPI", nullptr, &Type, reinterpret_cast<LPBYTE>(Buf), &Size),
              ERROR_SUCCESS);
    EXPECT_EQ(Type, REG_SZ);
    EXPECT_EQ(Size, 2u);
    EXPECT_STREQ(Buf, "1");
    Size = sizeof Buf;
    EXPECT_EQ(RegQueryValueExA(K, "Long", nullptr, &Type, reinterpret_cast<LPBYTE>(Buf), &Size),
              ERROR_MORE_DATA);
    EXPECT_EQ(Size, 11u);
    Size = 0;
    EXPECT_EQ(RegQueryValueExA(K, "Long", nullptr, nullptr, nullptr, &Size), ERROR_SUCCESS);
    EXPECT_EQ(Size, 11u);
    EXPECT_EQ(RegQueryValueExA(K, "None", nullptr, nullptr, nullptr, &Size), ERROR_FILE_NOT_FOUND);
    // A key opened for reading cannot be written through.
    EXPECT_EQ(RegSetValueExA(K, "X", 0, REG_SZ, reinterpret_cast<const BYTE*>(One), 2),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(K), ERROR_SUCCESS);
    EXPECT_EQ(
        RegQueryValueExA(reinterpret_cast<HKEY>(&Buf), "MAPI", nullptr, nullptr, nullptr, &Size),
        ERROR_INVALID_HANDLE);

    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &K, &Disp),
              ERROR_SUCCESS);
    EXPECT_EQ(Disp, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(RegCloseKey(K), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", 0, KEY_READ, &K),
              ERROR_FILE_NOT_FOUND);
}

TEST(RegistryFormat, ParseAndFormatAreInverse) {
    TRegistryData D;
    TRegKey& K = D.Create("HKEY_USERS\\S-1\\Key With ] Bracket");
    K.SetValue({"", REG_SZ, std::string("default\0", 8)});
    K.SetValue({"bin", REG_BINARY, std::string("\x00\xff\x10", 3)});
    K.SetValue({"multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)});
    K.SetValue({"exp", REG_EXPAND_SZ, std::string("$HOME\0", 6)});
    K.SetValue({"zero inside", REG_SZ, std::string("a\0b\0", 4)});
    const std::string Text = FormatRegistry(D);
    TRegistryData Back = ParseRegistry(Text, "mem");
    EXPECT_EQ(FormatRegistry(Back), Text);
    const TRegKey* B = Back.Find("hkey_users\\s-1\\key with ] bracket");
    ASSERT_NE(B, nullptr);
    EXPECT_EQ(B->FindValue("zero inside")->Data, std::string("a\0b\0", 4));
    EXPECT_EQ(B->FindValue("multi")->Type, REG_MULTI_SZ);
    EXPECT_EQ(B->FindValue("")->Data, std::string("default\0", 8));
}

} // namespace
} // namespace qel
