#pragma once
// Components with one property of every kind the inspector edits, and a root that publishes
// methods for event properties.
#include "toolkit/core/Component.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/Font.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel::test {

enum TGizmoKind { gkRound, gkSquare, gkStar };
QEL_ENUM_INFO(TGizmoKind, "gkRound", "gkSquare", "gkStar")
using TGizmoKinds = TSet<TGizmoKind>;

class TGizmo : public TComponent {
    QEL_CLASS(TGizmo, TComponent)
  public:
    explicit TGizmo(TComponent* AOwner) : TComponent(AOwner), Font_(std::make_unique<TFont>()) {}

    std::int8_t Small() const { return Small_; }
    void SetSmall(std::int8_t V) { Small_ = V; }
    int Count() const { return Count_; }
    void SetCount(int V) { Count_ = V; }
    TGizmoKind Kind() const { return Kind_; }
    void SetKind(TGizmoKind V) { Kind_ = V; }
    TGizmoKinds Kinds() const { return Kinds_; }
    void SetKinds(TGizmoKinds V) { Kinds_ = V; }
    bool Active() const { return Active_; }
    void SetActive(bool V) { Active_ = V; }
    TColor Color() const { return Color_; }
    void SetColor(TColor V) { Color_ = V; }
    double Ratio() const { return Ratio_; }
    void SetRatio(double V) { Ratio_ = V; }
    char Letter() const { return Letter_; }
    void SetLetter(char V) { Letter_ = V; }
    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& V) { Caption_ = V; }
    TFont* Font() const { return Font_.get(); }
    void SetFont(TFont* V) { Font_->Assign(V); }
    TGizmo* Partner() const { return Partner_; }
    void SetPartner(TGizmo* V) {
        if (Partner_) Partner_->RemoveFreeNotification(this);
        Partner_ = V;
        if (V) V->FreeNotification(this);
    }
    void Notification(TComponent* C, TOperation Op) override {
        TComponent::Notification(C, Op);
        if (Op == opRemove && C == Partner_) Partner_ = nullptr;
    }
    TNotifyEvent OnClick;
    TNotifyEvent OnChange;

  private:
    std::int8_t Small_ = 0;
    int Count_ = 0;
    TGizmoKind Kind_ = gkRound;
    TGizmoKinds Kinds_;
    bool Active_ = false;
    TColor Color_ = clBtnFace;
    double Ratio_ = 0;
    char Letter_ = 'A';
    std::string Caption_;
    std::unique_ptr<TFont> Font_;
    TGizmo* Partner_ = nullptr;
};

class TFancyGizmo : public TGizmo {
    QEL_CLASS(TFancyGizmo, TGizmo)
  public:
    using TGizmo::TGizmo;
};

// Unrelated to TGizmo, with its own Caption and Count entries.
class TWidgetThing : public TComponent {
    QEL_CLASS(TWidgetThing, TComponent)
  public:
    using TComponent::TComponent;
    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& V) { Caption_ = V; }
    int Count() const { return Count_; }
    void SetCount(int V) { Count_ = V; }
    std::string Extra;

  private:
    std::string Caption_ = "widget";
    int Count_ = 7;
};

class TGizmoRoot : public TComponent {
    QEL_CLASS(TGizmoRoot, TComponent)
  public:
    using TComponent::TComponent;
    void Gizmo1Click(TObject* Sender) { LastClick = Sender; }
    void Gizmo1Change(TObject* Sender) { LastChange = Sender; }
    void Wrong(int) {}
    TObject* LastClick = nullptr;
    TObject* LastChange = nullptr;
};

} // namespace qel::test
