#include "toolkit/controls/Dialogs.h"

#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/Pen.h"
#include "toolkit/graphics/Resources.h"
#include "toolkit/graphics/TextDraw.h"

#include <algorithm>
#include <memory>

namespace qel {

namespace {
TDialogShownHook& ShownHook() {
    static TDialogShownHook H;
    return H;
}
TMessageDlgAnswerHook& AnswerHook() {
    static TMessageDlgAnswerHook H;
    return H;
}

struct TButtonInfo {
    const char* Name;
    const char* Caption;
    int Result;
};
const TButtonInfo ButtonInfos[] = {
    {"Yes", DialogStrings::SMsgDlgYes, mrYes},
    {"No", DialogStrings::SMsgDlgNo, mrNo},
    {"OK", DialogStrings::SMsgDlgOK, mrOk},
    {"Cancel", DialogStrings::SMsgDlgCancel, mrCancel},
    {"Abort", DialogStrings::SMsgDlgAbort, mrAbort},
    {"Retry", DialogStrings::SMsgDlgRetry, mrRetry},
    {"Ignore", DialogStrings::SMsgDlgIgnore, mrIgnore},
    {"All", DialogStrings::SMsgDlgAll, mrAll},
    {"NoToAll", DialogStrings::SMsgDlgNoToAll, mrNoToAll},
    {"YesToAll", DialogStrings::SMsgDlgYesToAll, mrYesToAll},
    {"Help", DialogStrings::SMsgDlgHelp, mrNone},
};

const char* TitleOf(TMsgDlgType T) {
    switch (T) {
    case mtWarning:
        return DialogStrings::SMsgDlgWarning;
    case mtError:
        return DialogStrings::SMsgDlgError;
    case mtInformation:
        return DialogStrings::SMsgDlgInformation;
    case mtConfirmation:
        return DialogStrings::SMsgDlgConfirm;
    default:
        return nullptr;
    }
}

// The type's symbol: a coloured disc with a sign, drawn rather than loaded so it scales.
void PaintSymbol(TCanvas& C, const TRect& R, TMsgDlgType T) {
    static const TColor Discs[] = {clYellow, clRed, clBlue, clBlue};
    static const char* const Signs[] = {"!", "X", "i", "?"};
    if (T == mtCustom) return;
    C.Pen()->SetColor(clBlack);
    C.Brush()->SetColor(Discs[T]);
    C.Brush()->SetStyle(bsSolid);
    C.Ellipse(R);
    C.Brush()->SetStyle(bsClear);
    C.Font()->SetColor(T == mtWarning ? clBlack : clWhite);
    C.Font()->SetStyle(TFontStyles{fsBold});
    C.Font()->SetSize(14);
    TSize S = C.TextExtent(Signs[T]);
    C.TextOut(R.Left + (R.Width() - S.cx) / 2, R.Top + (R.Height() - S.cy) / 2, Signs[T]);
}
} // namespace

int ModalResultOf(TMsgDlgBtn Button) {
    return ButtonInfos[Button].Result;
}

TDialogShownHook SetDialogShownHook(TDialogShownHook Hook) {
    std::swap(ShownHook(), Hook);
    return Hook;
}

TMessageDlgAnswerHook SetMessageDlgAnswerHook(TMessageDlgAnswerHook Hook) {
    std::swap(AnswerHook(), Hook);
    return Hook;
}

bool InitComponentFromResource(TComponent* Root) {
    auto Data = FindResourceData(0, Root->ClassName(), "DFM");
    if (!Data) return false;
    TMemoryStream S;
    S.WriteBuffer(Data->Bytes.data(), static_cast<std::int64_t>(Data->Bytes.size()));
    S.SetPosition(0);
    ReadComponent(S, Root);
    return true;
}

TMessageForm::TMessageForm(TComponent* AOwner) : TForm(AOwner) {
    if (!InitComponentFromResource(this)) throw EComponentError("Resource TMessageForm not found");
}

TForm* CreateMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
    auto F = std::make_unique<TMessageForm>(nullptr);
    F->DlgType_ = DlgType;
    if (const char* T = TitleOf(DlgType))
        F->SetCaption(T);
    else
        F->SetCaption(Application && !Application->Title().empty() ? Application->Title()
                                                                   : std::string("Message"));
    auto* Image = dynamic_cast<TPaintBox*>(F->FindComponent("Image"));
    auto* Label = dynamic_cast<TLabel*>(F->FindComponent("Message"));
    auto* Row = dynamic_cast<TPanel*>(F->FindComponent("Buttons"));
    if (!Image || !Label || !Row) throw EComponentError("The message form resource is incomplete");
    Image->OnPaint = [Image, DlgType](TObject*) {
        PaintSymbol(*Image->Canvas(), Image->ClientRect(), DlgType);
    };
    if (DlgType == mtCustom) {
        Image->SetVisible(false);
        Label->SetLeft(Image->Left());
    }

    // Measure the message: lines wrap at a width that keeps the box readable.
    HDC DC = CreateCompatibleDC(0);
    SelectObject(DC, Label->Font()->Handle());
    TRect Text{0, 0, std::max(200, GetSystemMetrics(SM_CXSCREEN) / 2), 0};
    DrawTextA(DC, Msg.c_str(), static_cast<int>(Msg.size()), &Text,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    DeleteDC(DC);
    Label->SetShowAccelChar(false);
    Label->SetAutoSize(false);
    Label->SetCaption(Msg);
    Label->SetBounds(Label->Left(), Label->Top(), Text.Width() + 4, std::max(13, Text.Height()));

    std::vector<TButton*> Made;
    for (int B = mbYes; B <= mbHelp; ++B) {
        if (!Buttons.Contains(static_cast<TMsgDlgBtn>(B))) continue;
        auto* Btn = new TButton(F.get());
        Btn->SetName(ButtonInfos[B].Name);
        Btn->SetParent(Row);
        Btn->SetCaption(ButtonInfos[B].Caption);
        Btn->SetModalResult(ButtonInfos[B].Result);
        Made.push_back(Btn);
    }
    if (Made.empty()) throw EInvalidOperation("A message dialog needs at least one button");
    // Enter picks the first of OK/Yes, Escape the first of Cancel/No, else OK.
    auto Pick = [&](std::initializer_list<int> Results) -> TButton* {
        for (int R : Results)
            for (TButton* B : Made)
                if (B->ModalResult() == R) return B;
        return nullptr;
    };
    if (TButton* D = Pick({mrOk, mrYes}))
        D->SetDefault(true);
    else
        Made.front()->SetDefault(true);
    if (TButton* C = Pick({mrCancel, mrNo, mrOk})) C->SetCancel(true);

    constexpr int BW = 75, BH = 25, Gap = 8;
    int RowW = static_cast<int>(Made.size()) * (BW + Gap) - Gap;
    int ContentW = Label->Left() + Label->Width() + 16;
    int ClientW = std::max({ContentW, RowW + 32, 180});
    int Top = std::max(Label->Top() + Label->Height(),
                       Image->Visible() ? Image->Top() + Image->Height() : 0) +
              16;
    F->SetClientWidth(ClientW);
    Row->SetBounds(0, Top, ClientW, BH + 16);
    F->SetClientHeight(Top + BH + 16);
    int X = (ClientW - RowW) / 2;
    for (TButton* B : Made) {
        B->SetBounds(X, 0, BW, BH);
        X += BW + Gap;
    }
    for (TButton* B : Made)
        if (B->Default()) F->SetActiveControl(B);
    return F.release();
}

int ExecuteDialog(TCustomForm* Dialog) {
    auto Previous = Dialog->OnShow;
    Dialog->OnShow = [Dialog, Previous](TObject* Sender) {
        if (Previous) Previous(Sender);
        if (ShownHook()) {
            ShownHook()(Dialog);
            // Wakes the modal loop in case the hook only set the result.
            PostMessageA(Dialog->Handle(), WM_NULL, 0, 0);
        }
    };
    int R = Dialog->ShowModal();
    Dialog->OnShow = Previous;
    return R;
}

int MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                  int X, int Y) {
    if (AnswerHook())
        if (std::optional<int> A = AnswerHook()(Msg, DlgType, Buttons)) return *A;
    std::unique_ptr<TForm> F(CreateMessageDialog(Msg, DlgType, Buttons));
    // Help asks for the topic and leaves the question open.
    if (auto* Help = dynamic_cast<TButton*>(F->FindComponent("Help")))
        Help->OnClick = [HelpCtx](TObject*) {
            if (Application) Application->HelpContext(HelpCtx);
        };
    if (X >= 0) {
        F->SetPosition(poDesigned);
        F->SetLeft(X);
    }
    if (Y >= 0) {
        F->SetPosition(poDesigned);
        F->SetTop(Y);
    }
    return ExecuteDialog(F.get());
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
    return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, -1, -1);
}

void ShowMessage(const std::string& Msg) {
    MessageDlgPos(Msg, mtCustom, {mbOK}, 0, -1, -1);
}

QEL_IMPLEMENT_CLASS(TMessageForm, TForm, NoProperties<TMessageForm>)

} // namespace qel
