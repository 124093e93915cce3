// Every page of the gallery is a form file that other people copy from: each must load with
// the package's classes, draw without errors and write back to text that reads the same again.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/platform/Window.h"
#include "visual/Brisca40.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

std::vector<std::string> PageFiles() {
    std::vector<std::string> Files;
    const std::filesystem::path Dir =
        std::filesystem::path(QEL_SOURCE_DIR) / "examples/gallery/pages";
    if (std::filesystem::is_directory(Dir))
        for (const auto& E : std::filesystem::directory_iterator(Dir))
            if (E.path().extension() == ".dfm") Files.push_back(E.path().string());
    std::sort(Files.begin(), Files.end());
    return Files;
}

std::unique_ptr<TForm> LoadPage(const std::string& File) {
    auto Form = std::make_unique<TForm>(nullptr);
    TFileStream S(File, fmOpenRead);
    ReadComponent(S, Form.get());
    return Form;
}

} // namespace

TEST(gallery_pages, EveryPageLoadsDrawsAndReadsBackTheSame) {
    qel::test::Headless();
    RegisterBrisca40Classes();
    for (const std::string& File : PageFiles()) {
        SCOPED_TRACE(File);
        std::unique_ptr<TForm> Form;
        ASSERT_NO_THROW(Form = LoadPage(File));
        Form->Show();
        for (int I = 0; I < 100 && HasPendingPaint(); ++I)
            Application->ProcessMessages();
        const TSurface* Surface = GetWindowSurface(Form->Handle());
        ASSERT_NE(Surface, nullptr);
        EXPECT_GT(Surface->Width, 0);
        const std::string Text = ComponentToText(Form.get());
        // A page may hold a component of which a process has only one (the balloon hints).
        Form.reset();
        auto Again = std::make_unique<TForm>(nullptr);
        TStringStream In(Text);
        ReadComponent(In, Again.get());
        EXPECT_EQ(ComponentToText(Again.get()), Text);
    }
}
