// SPDX-License-Identifier: MIT
// Draws a 3D label of the visual package on a form, headless, from an installed prefix.
#include <qel/toolkit/controls/Forms.h>
#include <qel/toolkit/platform/Headless.h>
#include <qel/toolkit/platform/Window.h>
#include <qel/visual/Brisca40.h>
#include <qel/visual/QELTLabel.h>

#include <cstdio>
#include <memory>
#include <set>

int main() {
    qel::SetBackend(std::make_unique<qel::THeadlessBackend>());
    qel::RegisterBrisca40Classes();
    auto Form = std::make_unique<qel::TForm>(nullptr);
    Form->SetBounds(0, 0, 200, 80);
    auto* Label = new qel::TQELLabel(Form.get());
    Label->SetParent(Form.get());
    Label->SetBounds(10, 10, 180, 40);
    Label->SetCaption("Installed");
    Form->Show();
    for (int I = 0; I < 100 && qel::HasPendingPaint(); ++I)
        qel::Application->ProcessMessages();
    const qel::TSurface* S = qel::GetWindowSurface(Form->Handle());
    if (!S) return 1;
    std::set<std::uint32_t> Colours(S->Pixels.begin(), S->Pixels.end());
    std::printf("%dx%d, %zu colours\n", S->Width, S->Height, Colours.size());
    // A drawn caption means more than the form's background colour.
    return Colours.size() > 2 ? 0 : 1;
}
