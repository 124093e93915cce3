#pragma once
// Small component classes that use every kind of published property, for the form tests.
#include "toolkit/core/Collection.h"
#include "toolkit/core/Component.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/Strings.h"

#include <memory>
#include <vector>

namespace qel::test {

enum TTestShape { tsCircle, tsSquare, tsTriangle };
QEL_ENUM_INFO(TTestShape, "tsCircle", "tsSquare", "tsTriangle")
enum TTestEdge { teLeft, teRight, teTop, teBottom };
QEL_ENUM_INFO(TTestEdge, "teLeft", "teRight", "teTop", "teBottom")
using TTestEdges = TSet<TTestEdge>;

// A drawing sub-object owned by a widget (like Font3D).
class TTestFont : public TPersistent {
    QEL_CLASS(TTestFont, TPersistent)
  public:
    TTestFont() = default;
    int Offset() const { return Offset_; }
    void SetOffset(int V) { Offset_ = V; }
    TTestShape Style() const { return Style_; }
    void SetStyle(TTestShape V) { Style_ = V; }
    double Depth() const { return Depth_; }
    void SetDepth(double V) { Depth_ = V; }
    void Assign(const TPersistent* Source) override;

  private:
    int Offset_ = 1;
    TTestShape Style_ = tsCircle;
    double Depth_ = 0;
};

class TTestColumn : public TCollectionItem {
    QEL_CLASS(TTestColumn, TCollectionItem)
  public:
    explicit TTestColumn(TCollection* C) : TCollectionItem(C) {}
    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& V) {
        Caption_ = V;
        Changed(false);
    }
    int Width() const { return Width_; }
    void SetWidth(int V) {
        Width_ = V;
        Changed(false);
    }

  private:
    std::string Caption_;
    int Width_ = 50;
};

class TTestWidget : public TComponent {
    QEL_CLASS(TTestWidget, TComponent)
  public:
    explicit TTestWidget(TComponent* AOwner);
    ~TTestWidget() override;

    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& V) { Caption_ = V; }
    std::int32_t Width() const { return Width_; }
    void SetWidth(std::int32_t V) { Width_ = V; }
    std::int64_t Big() const { return Big_; }
    void SetBig(std::int64_t V) { Big_ = V; }
    std::uint8_t Small() const { return Small_; }
    void SetSmall(std::uint8_t V) { Small_ = V; }
    bool Visible() const { return Visible_; }
    void SetVisible(bool V) { Visible_ = V; }
    TTestShape Shape() const { return Shape_; }
    void SetShape(TTestShape V) { Shape_ = V; }
    TTestEdges Edges() const { return Edges_; }
    void SetEdges(TTestEdges V) { Edges_ = V; }
    double Ratio() const { return Ratio_; }
    void SetRatio(double V) { Ratio_ = V; }
    char Letter() const { return Letter_; }
    void SetLetter(char V) { Letter_ = V; }
    std::int32_t Color() const { return Color_; }
    void SetColor(std::int32_t V) { Color_ = V; }
    TTestFont* Font3D() const { return Font3D_.get(); }
    void SetFont3D(TTestFont* V) { Font3D_->Assign(V); }
    TStringList* Lines() const { return Lines_.get(); }
    void SetLines(TStringList* V) { Lines_->Assign(V); }
    TOwnedCollection* Columns() const { return Columns_.get(); }
    const TBytes& Data() const { return Data_; }
    void SetData(const TBytes& V) { Data_ = V; }
    TTestWidget* Link() const { return Link_; }
    void SetLink(TTestWidget* V);
    std::vector<int>& ItemHeights() { return ItemHeights_; }
    TBytes& Blob() { return Blob_; }

    TNotifyEvent OnClick;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void DefineProperties(TFiler& Filer) override;

    // Parent-child nesting, as controls do.
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
    bool HasParent() const override { return Parent_ != nullptr; }
    TComponent* GetParentComponent() const override { return Parent_; }
    void SetParentComponent(TComponent* Value) override;
    TTestWidget* Parent() const { return Parent_; }

    int LoadedCount = 0;
    bool LinkSetBeforeLoaded = false;

  private:
    std::string Caption_;
    std::int32_t Width_ = 0;
    std::int64_t Big_ = 0;
    std::uint8_t Small_ = 0;
    bool Visible_ = true;
    TTestShape Shape_ = tsCircle;
    TTestEdges Edges_{teLeft};
    double Ratio_ = 0;
    char Letter_ = 'A';
    std::int32_t Color_ = 0;
    std::unique_ptr<TTestFont> Font3D_;
    std::unique_ptr<TStringList> Lines_;
    std::unique_ptr<TOwnedCollection> Columns_;
    TBytes Data_;
    TTestWidget* Link_ = nullptr;
    TTestWidget* Parent_ = nullptr;
    std::vector<TTestWidget*> Children_;
    std::vector<int> ItemHeights_;
    TBytes Blob_; // streamed through DefineBinaryProperty
};

// A form: the root, publishing the methods events bind to.
class TTestForm : public TComponent {
    QEL_CLASS(TTestForm, TComponent)
  public:
    explicit TTestForm(TComponent* AOwner) : TComponent(AOwner) {}
    void ButtonClick(TObject* Sender) {
        ++Clicks;
        LastSender = Sender;
    }
    void WrongSignature(int) {}
    int Clicks = 0;
    TObject* LastSender = nullptr;
    int LoadedCount = 0;
    void Loaded() override {
        TComponent::Loaded();
        ++LoadedCount;
    }
};

// Text of a form written by this program: reading it and writing it back must give it again.
std::string CanonicalFormText();

} // namespace qel::test
