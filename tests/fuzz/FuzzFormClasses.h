#pragma once
// Component classes the form fuzzers may create: every kind of published property, and a
// root publishing one method. Loading is limited to these, so the fuzzers test the streaming
// code rather than whatever the packages' constructors do.
#include "toolkit/core/Collection.h"
#include "toolkit/core/Component.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/Strings.h"

#include <memory>

namespace qel::fuzz {

enum TFuzzKind { fkOne, fkTwo, fkThree };
QEL_ENUM_INFO(TFuzzKind, "fkOne", "fkTwo", "fkThree")

class TFuzzSub : public TPersistent {
    QEL_CLASS(TFuzzSub, TPersistent)
  public:
    int Offset = 1;
    std::string Text;
};

class TFuzzItem : public TCollectionItem {
    QEL_CLASS(TFuzzItem, TCollectionItem)
  public:
    explicit TFuzzItem(TCollection* C) : TCollectionItem(C) {}
    int Width = 0;
    std::string Caption;
};

class TFuzzWidget : public TComponent {
    QEL_CLASS(TFuzzWidget, TComponent)
  public:
    explicit TFuzzWidget(TComponent* AOwner)
        : TComponent(AOwner), Sub(std::make_unique<TFuzzSub>()),
          Lines(std::make_unique<TStringList>()),
          Items(std::make_unique<TOwnedCollection>(this, TFuzzItem::StaticClass())) {}
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == Link) Link = nullptr;
    }
    void SetLink(TFuzzWidget* V) {
        Link = V;
        if (V) V->FreeNotification(this);
    }
    void DefineProperties(TFiler& Filer) override {
        Filer.DefineProperty(
            "Heights",
            [this](TReader& R) {
                Heights.clear();
                R.ReadListBegin();
                while (!R.EndOfList())
                    Heights.push_back(R.ReadInteger());
                R.ReadListEnd();
            },
            [this](TWriter& W) {
                W.WriteListBegin();
                for (int H : Heights)
                    W.WriteInteger(H);
                W.WriteListEnd();
            },
            !Heights.empty());
        Filer.DefineBinaryProperty(
            "Blob", [this](TStream& S) { Blob = S.Size(); }, nullptr, false);
    }

    std::int32_t Int = 0;
    std::int64_t Big = 0;
    bool Flag = false;
    TFuzzKind Kind = fkOne;
    TSet<TFuzzKind> Kinds;
    double Ratio = 0;
    char Letter = 'a';
    std::string Caption;
    std::unique_ptr<TFuzzSub> Sub;
    std::unique_ptr<TStringList> Lines;
    std::unique_ptr<TOwnedCollection> Items;
    TBytes Data;
    TFuzzWidget* Link = nullptr;
    TNotifyEvent OnClick;
    std::vector<int> Heights;
    std::int64_t Blob = 0;
};

class TFuzzForm : public TComponent {
    QEL_CLASS(TFuzzForm, TComponent)
  public:
    explicit TFuzzForm(TComponent* AOwner) : TComponent(AOwner) {}
    void Click(TObject*) {}
};

inline TFormLoadOptions FuzzOptions(bool Lenient) {
    TFormLoadOptions O;
    O.AllowClass = [](const TClass& C) {
        return &C == &TFuzzWidget::StaticClass() || &C == &TFuzzForm::StaticClass();
    };
    if (Lenient) {
        O.UnknownProperty = TReadPolicy::Warn;
        O.MissingMethod = TReadPolicy::Warn;
        O.UnresolvedReference = TReadPolicy::Warn;
    }
    return O;
}

} // namespace qel::fuzz
