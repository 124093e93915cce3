#pragma once
// Root of the object model and the class registry. Every persistent class carries a TClass:
// its name, its parent, a factory, its published properties in published order and its
// published methods (the method table form files bind events through).
#include "toolkit/core/Export.h"

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TObject;
class TComponent;
class TCollection;
struct TPropInfo;

// A published method: given the object that publishes it, produce a closure of the event's
// type wrapped in std::any (the event property checks the type when it binds).
struct TMethodEntry {
    std::string Name;
    std::function<std::any(TObject& Self)> Bind;
};

class TClass {
  public:
    using Factory = std::function<TObject*(TComponent* Owner)>;
    // Collection items are created with their collection instead of an owner.
    using ItemFactory = std::function<TObject*(TCollection* Collection)>;

    TClass(std::string Name, const TClass* Parent, Factory Create);
    ~TClass();
    TClass(const TClass&) = delete;
    TClass& operator=(const TClass&) = delete;

    const std::string& ClassName() const { return Name_; }
    const TClass* ClassParent() const { return Parent_; }
    bool InheritsFrom(const TClass& Other) const;
    bool IsAbstract() const { return !Create_ && !CreateItem_; }
    bool IsCollectionItem() const { return static_cast<bool>(CreateItem_); }

    // Creates an instance; components are owned by Owner. Throws EInvalidOperation for
    // abstract classes.
    TObject* CreateInstance(TComponent* Owner = nullptr) const;
    // Creates a collection item inside Collection. Throws EInvalidOperation when the class is
    // not a creatable collection item class.
    TObject* CreateItem(TCollection* Collection) const;
    void SetItemFactory(ItemFactory F) { CreateItem_ = std::move(F); }

    // Own properties only, in published order.
    const std::vector<TPropInfo>& OwnProperties() const;
    // All properties, inherited first, in published order. A subclass may republish an
    // inherited property (same name) to change its default; the latest entry wins, at the
    // position of the first.
    std::vector<const TPropInfo*> Properties() const;
    const TPropInfo* FindProperty(std::string_view Name) const;
    // The property a subclass of this class publishes under Name: one this class declares
    // unpublished, else the nearest ancestor's published or unpublished one. nullptr when no
    // class declares it. Usable while the class is being described.
    const TPropInfo* FindDeclared(std::string_view Name) const;

    // Searches this class and its ancestors, case-insensitively.
    const TMethodEntry* FindMethod(std::string_view Name) const;
    const std::map<std::string, TMethodEntry, std::less<>>& OwnMethods() const { return Methods_; }

    // Used by TClassBuilder while the class is being described.
    TPropInfo& AddProperty(TPropInfo Info);
    TPropInfo& AddUnpublished(TPropInfo Info);
    void AddMethod(TMethodEntry Entry);

  private:
    struct TPropCache;
    const TPropCache& Cache() const;

    std::string Name_;
    const TClass* Parent_;
    Factory Create_;
    ItemFactory CreateItem_;
    std::vector<TPropInfo> Props_;
    std::vector<TPropInfo> Unpublished_; // declared for subclasses to publish
    std::map<std::string, TMethodEntry, std::less<>> Methods_;
    mutable std::unique_ptr<TPropCache> Cache_;
};

class TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const TClass& StaticClass();
    virtual const TClass& ClassType() const { return StaticClass(); }
    const std::string& ClassName() const { return ClassType().ClassName(); }
    bool InheritsFrom(const TClass& C) const { return ClassType().InheritsFrom(C); }
    template <class T> bool Is() const { return InheritsFrom(T::StaticClass()); }
};

// Class registry, for finding and creating classes by name (form files, tools).
void RegisterClass(const TClass& C);
void UnRegisterClass(const TClass& C);
const TClass* GetClass(std::string_view Name);
const TClass& FindClass(std::string_view Name); // throws EClassNotFound
std::vector<const TClass*> RegisteredClasses();

[[noreturn]] void ThrowInvalidCast(const TObject& O, const TClass& Target);

// Checked downcast that throws EInvalidCast, the `as` operator of the toolkit.
template <class T> T& As(TObject& O) {
    if (!O.InheritsFrom(T::StaticClass())) ThrowInvalidCast(O, T::StaticClass());
    return static_cast<T&>(O);
}
template <class T> T* As(TObject* O) {
    return O ? &As<T>(*O) : nullptr;
}
// The `is` test followed by a cast; nullptr when O is not a T.
template <class T> T* Cast(TObject* O) {
    return O && O->InheritsFrom(T::StaticClass()) ? static_cast<T*>(O) : nullptr;
}

} // namespace qel

// Declares the class's metaclass inside the class body.
#define QEL_CLASS(Self, Base)                                                                      \
  public:                                                                                          \
    using inherited = Base;                                                                        \
    static const ::qel::TClass& StaticClass();                                                     \
    const ::qel::TClass& ClassType() const override {                                              \
        return StaticClass();                                                                      \
    }                                                                                              \
                                                                                                   \
  private:

// Defines the metaclass in the .cpp and registers the class when the library loads.
// Describe is a function `void(::qel::TClassBuilder<Self>&)` listing the published members.
// Use QEL_IMPLEMENT_CLASS for classes created by a factory taking an owner (components) or no
// argument (other persistents); QEL_IMPLEMENT_ABSTRACT for classes without a factory.
#define QEL_IMPLEMENT_CLASS(Self, Base, Describe)                                                  \
    const ::qel::TClass& Self::StaticClass() {                                                     \
        static const ::qel::TClass& C =                                                            \
            ::qel::detail::MakeClass<Self>(#Self, Base::StaticClass(), true, Describe);            \
        return C;                                                                                  \
    }                                                                                              \
    static const bool QelRegistered_##Self = (::qel::RegisterClass(Self::StaticClass()), true);

#define QEL_IMPLEMENT_ABSTRACT(Self, Base, Describe)                                               \
    const ::qel::TClass& Self::StaticClass() {                                                     \
        static const ::qel::TClass& C =                                                            \
            ::qel::detail::MakeClass<Self>(#Self, Base::StaticClass(), false, Describe);           \
        return C;                                                                                  \
    }

QEL_PUBLIC_END
