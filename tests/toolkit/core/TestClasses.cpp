#include "tests/toolkit/core/TestClasses.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Streams.h"

#include <algorithm>

namespace qel::test {

static void DescribeFont(TClassBuilder<TTestFont>& B) {
    B.Integer("Offset", &TTestFont::Offset, &TTestFont::SetOffset).SetDefault(1);
    B.Enum("Style", &TTestFont::Style, &TTestFont::SetStyle).SetDefault(tsCircle);
    B.Float("Depth", &TTestFont::Depth, &TTestFont::SetDepth);
}
QEL_IMPLEMENT_CLASS(TTestFont, TPersistent, DescribeFont)

void TTestFont::Assign(const TPersistent* Source) {
    if (auto* F = dynamic_cast<const TTestFont*>(Source)) {
        Offset_ = F->Offset_;
        Style_ = F->Style_;
        Depth_ = F->Depth_;
        return;
    }
    TPersistent::Assign(Source);
}

static void DescribeColumn(TClassBuilder<TTestColumn>& B) {
    B.String("Caption", &TTestColumn::Caption, &TTestColumn::SetCaption);
    B.Integer("Width", &TTestColumn::Width, &TTestColumn::SetWidth).SetDefault(50);
}
QEL_IMPLEMENT_CLASS(TTestColumn, TCollectionItem, DescribeColumn)

static void DescribeWidget(TClassBuilder<TTestWidget>& B) {
    B.String("Caption", &TTestWidget::Caption, &TTestWidget::SetCaption);
    B.Integer("Width", &TTestWidget::Width, &TTestWidget::SetWidth).SetDefault(0);
    B.Integer("Big", &TTestWidget::Big, &TTestWidget::SetBig).SetDefault(0);
    B.Integer("Small", &TTestWidget::Small, &TTestWidget::SetSmall).SetDefault(0);
    B.Bool("Visible", &TTestWidget::Visible, &TTestWidget::SetVisible).SetDefault(1);
    B.Enum("Shape", &TTestWidget::Shape, &TTestWidget::SetShape).SetDefault(tsCircle);
    B.Set<TTestEdge>("Edges", &TTestWidget::Edges, &TTestWidget::SetEdges)
        .SetDefault(static_cast<std::int64_t>(TTestEdges{teLeft}.Bits()));
    B.Float("Ratio", &TTestWidget::Ratio, &TTestWidget::SetRatio);
    B.Char("Letter", &TTestWidget::Letter, &TTestWidget::SetLetter).SetDefault('A');
    B.Color("Color", &TTestWidget::Color, &TTestWidget::SetColor).SetDefault(0);
    B.Object("Font3D", &TTestWidget::Font3D, &TTestWidget::SetFont3D);
    B.Strings("Lines", &TTestWidget::Lines, &TTestWidget::SetLines);
    B.Collection("Columns", &TTestWidget::Columns);
    B.Binary("Data", &TTestWidget::Data, &TTestWidget::SetData);
    B.Component("Link", &TTestWidget::Link, &TTestWidget::SetLink);
    B.Event("OnClick", &TTestWidget::OnClick);
}
QEL_IMPLEMENT_CLASS(TTestWidget, TComponent, DescribeWidget)

TTestWidget::TTestWidget(TComponent* AOwner)
    : TComponent(AOwner), Font3D_(std::make_unique<TTestFont>()),
      Lines_(std::make_unique<TStringList>()),
      Columns_(std::make_unique<TOwnedCollection>(this, TTestColumn::StaticClass())) {}

TTestWidget::~TTestWidget() {
    SetParentComponent(nullptr);
    for (TTestWidget* C : Children_)
        C->Parent_ = nullptr;
}

void TTestWidget::SetLink(TTestWidget* V) {
    Link_ = V;
    if (V) V->FreeNotification(this);
}

void TTestWidget::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Link_) Link_ = nullptr;
    if (Operation == opRemove)
        Children_.erase(std::remove(Children_.begin(), Children_.end(), AComponent),
                        Children_.end());
}

void TTestWidget::Loaded() {
    TComponent::Loaded();
    ++LoadedCount;
    LinkSetBeforeLoaded = Link_ != nullptr;
}

void TTestWidget::DefineProperties(TFiler& Filer) {
    TComponent::DefineProperties(Filer);
    Filer.DefineProperty(
        "ItemHeights",
        [this](TReader& R) {
            ItemHeights_.clear();
            R.ReadListBegin();
            while (!R.EndOfList())
                ItemHeights_.push_back(R.ReadInteger());
            R.ReadListEnd();
        },
        [this](TWriter& W) {
            W.WriteListBegin();
            for (int H : ItemHeights_)
                W.WriteInteger(H);
            W.WriteListEnd();
        },
        !ItemHeights_.empty());
    Filer.DefineBinaryProperty(
        "Blob",
        [this](TStream& S) {
            Blob_.resize(static_cast<std::size_t>(S.Size()));
            if (!Blob_.empty()) S.ReadBuffer(Blob_.data(), S.Size());
        },
        [this](TStream& S) {
            S.WriteBuffer(Blob_.data(), static_cast<std::int64_t>(Blob_.size()));
        },
        !Blob_.empty());
}

void TTestWidget::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    TComponent::GetChildren(Proc, Root);
    for (TTestWidget* C : Children_)
        Proc(C);
}

void TTestWidget::SetParentComponent(TComponent* Value) {
    if (Parent_) {
        auto& L = Parent_->Children_;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
    }
    Parent_ = dynamic_cast<TTestWidget*>(Value);
    if (Parent_) Parent_->Children_.push_back(this);
}

static void DescribeForm(TClassBuilder<TTestForm>& B) {
    B.Method("ButtonClick", &TTestForm::ButtonClick);
    B.Method("WrongSignature", &TTestForm::WrongSignature);
}
QEL_IMPLEMENT_CLASS(TTestForm, TComponent, DescribeForm)

std::string CanonicalFormText() {
    return R"(object Form1: TTestForm
  Tag = 7
  object Panel1: TTestWidget
    Caption = 'It''s a '#8364' panel'#13#10'second line'
    Width = -300
    Big = 5000000000
    Small = 200
    Visible = False
    Shape = tsTriangle
    Edges = [teRight, teBottom]
    Ratio = 0.25
    Letter = 'z'
    Color = 1193046
    Font3D.Offset = 2
    Font3D.Style = tsSquare
    Font3D.Depth = 1.5
    Lines.Strings = (
      'first'
      ''
      'third '#9' tab')
    Columns = <
      item
        Caption = 'Name'
      end
      item
        Caption = 'Size'
        Width = 120
      end>
    Data = {
      000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F
      FF80}
    Link = Label2
    OnClick = ButtonClick
    ItemHeights = (
      12
      -4
      100000)
    Blob = {
      CAFE}
    object Label2: TTestWidget
      Caption =
        '0123456789012345678901234567890123456789012345678901234567890123' +
        '456789'
      Columns = <>
      Link = Panel1
    end
  end
  object Empty3: TTestWidget
    Columns = <>
  end
end
)";
}

} // namespace qel::test
