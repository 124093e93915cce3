#pragma once
// Shared by the Simple MAPI tests: a private registry that declares the service present, and
// the recording provider loaded as "mapi32" with its log and script functions.
#include "mail/QELTMapiMail.h"
#include "tests/toolkit/platform/EnvGuard.h"
#include "toolkit/platform/Registry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace qel::test {

inline std::string RecordProviderPath() {
    return std::string(QEL_BINARY_DIR) + "/lib/libqelmapi_record.so";
}
inline std::string DeliveringProviderPath() {
    return std::string(QEL_BINARY_DIR) + "/lib/libqelmapi.so";
}

// Writes HKLM\SOFTWARE\Microsoft\Windows Messaging Subsystem "MAPI" (nothing: no value).
inline void SetMapiValue(const char* Value) {
    TRegistry R;
    R.SetRootKey(HKEY_LOCAL_MACHINE);
    R.DeleteKey("SOFTWARE\\Microsoft\\Windows Messaging Subsystem");
    if (!Value) return;
    ASSERT_TRUE(R.OpenKey("SOFTWARE\\Microsoft\\Windows Messaging Subsystem", true));
    R.WriteString("MAPI", Value);
}

class MapiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char Tmpl[] = "/tmp/qel-mapi-XXXXXX";
        Dir = ::mkdtemp(Tmpl);
        Env.Set("QEL_REGISTRY", Dir + "/registry");
        Env.Unset("QEL_WINDOWS_VERSION");
        Env.Unset("QEL_MAPI_LIBRARY");
        SetMapiValue("1");
        UseProvider(RecordProviderPath());
        // Our own reference keeps the recorder (and its log) loaded whatever the binding does.
        Lib = LoadLibraryA(RecordProviderPath().c_str());
        ASSERT_NE(Lib, nullptr) << DynLibErrorText();
        Log = reinterpret_cast<const char* (*)()>(GetProcAddress(Lib, "QelMapiRecordLog"));
        Reset = reinterpret_cast<void (*)()>(GetProcAddress(Lib, "QelMapiRecordReset"));
        Script = reinterpret_cast<int (*)(const char*)>(GetProcAddress(Lib, "QelMapiRecordScript"));
        ASSERT_TRUE(Log && Reset && Script);
        Reset();
    }
    void TearDown() override {
        QELMapiFinalize();
        if (Lib) FreeLibrary(Lib);
        Env.RestoreAll();
        std::filesystem::remove_all(Dir);
    }
    void UseProvider(const std::string& Path) {
        Env.Set("QEL_MAPI_LIBRARY", Path);
        QELMapiReinitialize();
        ASSERT_TRUE(QELMapiAvailable()) << QELMapiLoadError() << " " << DynLibErrorText();
    }
    // The recorded calls, one string per CALL with its record lines.
    std::vector<std::string> Calls(const std::string& Only = "") const {
        std::vector<std::string> R;
        std::istringstream In(Log());
        std::string Line;
        while (std::getline(In, Line)) {
            if (Line.rfind("CALL ", 0) == 0)
                R.push_back(Line);
            else if (!R.empty())
                R.back() += "\n" + Line;
        }
        if (!Only.empty())
            std::erase_if(
                R, [&](const std::string& C) { return C.rfind("CALL " + Only + " ", 0) != 0; });
        return R;
    }
    static bool Has(const std::string& Text, const std::string& Part) {
        return Text.find(Part) != std::string::npos;
    }
    std::string MakeFile(const std::string& Name, const std::string& Content) const {
        std::string P = Dir + "/" + Name;
        std::ofstream(P, std::ios::binary) << Content;
        return P;
    }

    EnvGuard Env;
    std::string Dir;
    HMODULE Lib = nullptr;
    const char* (*Log)() = nullptr;
    void (*Reset)() = nullptr;
    int (*Script)(const char*) = nullptr;
};

} // namespace qel::test
