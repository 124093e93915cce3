#pragma once
// Published properties. Each class lists its published members once, in published order, in a
// describe function; the form reader and writer, the designer and the tools work only from
// these entries. Accessors call the class's own getters and Set… methods, so a property read
// from a form file behaves exactly like one set from code.
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/IdentMap.h"
#include "toolkit/core/Object.h"

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum class TPropKind {
    Integer, // integer of OrdSize bytes, signed or not
    Boolean,
    Enumeration, // Enum gives the value names
    Set,         // Enum gives the element names; the ordinal holds one bit per element
    Color,       // TColor: written as a colour name when it has one, else as an integer
    Char,
    String,
    Float,
    Class,      // owned sub-object: read into the existing object, written as Name.Sub = …
    Strings,    // owned TStrings: ( 'line' … )
    Collection, // owned TCollection: < item … end >
    Component,  // reference to another component, by name
    Event,      // closure bound by method name
    Binary,     // { hex … }
};

// Value names of an enumeration (and of a set's element type), lowest ordinal first.
struct TEnumInfo {
    std::string Name;
    std::vector<std::string> Names;
    int ValueOf(std::string_view Ident) const; // -1 when unknown
};

// Gives an enumeration its value names; use in the enumeration's own namespace:
//   enum TQELKind { kVertical, kHorizontal };
//   QEL_ENUM_INFO(TQELKind, "kVertical", "kHorizontal")
#define QEL_ENUM_INFO(E, ...)                                                                      \
    inline const ::qel::TEnumInfo& QelEnumInfo(E*) {                                               \
        static const ::qel::TEnumInfo Info{#E, {__VA_ARGS__}};                                     \
        return Info;                                                                               \
    }

template <class E> const TEnumInfo& EnumInfo() {
    return QelEnumInfo(static_cast<E*>(nullptr));
}

// A set of enumeration values, one bit per ordinal (up to 64 elements).
template <class E> class TSet {
  public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Items) {
        for (E I : Items)
            Bits_ |= Bit(I);
    }
    static constexpr TSet FromBits(std::uint64_t B) {
        TSet S;
        S.Bits_ = B;
        return S;
    }
    constexpr std::uint64_t Bits() const { return Bits_; }
    constexpr bool Contains(E I) const { return (Bits_ & Bit(I)) != 0; }
    constexpr bool Empty() const { return Bits_ == 0; }
    constexpr TSet& Include(E I) {
        Bits_ |= Bit(I);
        return *this;
    }
    constexpr TSet& Exclude(E I) {
        Bits_ &= ~Bit(I);
        return *this;
    }
    friend constexpr TSet operator+(TSet A, TSet B) { return FromBits(A.Bits_ | B.Bits_); }
    friend constexpr TSet operator-(TSet A, TSet B) { return FromBits(A.Bits_ & ~B.Bits_); }
    friend constexpr TSet operator*(TSet A, TSet B) { return FromBits(A.Bits_ & B.Bits_); }
    friend constexpr bool operator==(TSet A, TSet B) { return A.Bits_ == B.Bits_; }

  private:
    static constexpr std::uint64_t Bit(E I) { return std::uint64_t{1} << static_cast<int>(I); }
    std::uint64_t Bits_ = 0;
};

using TBytes = std::vector<std::uint8_t>;

struct TPropInfo {
    std::string Name;
    TPropKind Kind = TPropKind::Integer;
    int OrdSize = 4;                   // Integer: 1, 2, 4 or 8 bytes
    bool Signed = true;                // Integer
    const TEnumInfo* Enum = nullptr;   // Enumeration, Set
    const TClass* PropClass = nullptr; // Class, Strings, Collection, Component
    // Integer: names for some values (crHandPoint, DEFAULT_CHARSET …), written instead of the
    // number and accepted on reading.
    const TIdentMapHooks* Idents = nullptr;
    // Fills PropClass when the class's property list is first used: a class may publish a
    // reference to its own class (or to one that refers back), which must not be looked up
    // while the class itself is still being described.
    std::function<const TClass*()> PropClassFn;
    std::optional<std::int64_t> Default; // declared default of ordinal kinds; none = always written
    std::function<bool(const TObject&)> StoredFn; // none = stored

    std::function<std::int64_t(const TObject&)> GetOrd;
    std::function<void(TObject&, std::int64_t)> SetOrd;
    std::function<double(const TObject&)> GetFloat;
    std::function<void(TObject&, double)> SetFloat;
    std::function<std::string(const TObject&)> GetStr;
    std::function<void(TObject&, const std::string&)> SetStr;
    std::function<TObject*(const TObject&)> GetObj;
    std::function<void(TObject&, TObject*)> SetObj; // Component: link; Class: Assign (optional)
    std::function<TBytes(const TObject&)> GetBytes;
    std::function<void(TObject&, const TBytes&)> SetBytes;
    // Event: the bound method's name, and binding a closure produced by a method table entry
    // (throws EInvalidCast when the method's signature does not fit the event).
    std::function<std::string(const TObject&)> GetMethodName;
    std::function<void(TObject&, const std::any&, const std::string&)> SetMethod;
    std::function<void(TObject&)> ClearMethod;
    // Binds a handler name without code: a designer has no code behind the form, yet what it
    // writes back must still name every handler the form file named.
    std::function<void(TObject&, const std::string&)> SetMethodName;

    // Chaining helpers for describe functions.
    TPropInfo& SetDefault(std::int64_t V) {
        Default = V;
        return *this;
    }
    TPropInfo& WithIdents(const TIdentMapHooks& Map) {
        Idents = &Map;
        return *this;
    }
    TPropInfo& NoDefault() {
        Default.reset();
        return *this;
    }
    // Written whatever the object's state, also where the declaring class made it depend on it.
    TPropInfo& AlwaysStored() {
        StoredFn = nullptr;
        return *this;
    }
    TPropInfo& Stored(bool S) {
        StoredFn = [S](const TObject&) { return S; };
        return *this;
    }
    template <class F> TPropInfo& Stored(F Fn) {
        StoredFn = std::move(Fn);
        return *this;
    }

    bool IsStored(const TObject& O) const { return !StoredFn || StoredFn(O); }
    // True when the writer leaves the property out: ordinal equal to its declared default,
    // empty string, zero float, nil reference, unassigned event.
    bool IsDefaultValue(const TObject& O) const;
};

namespace detail {
template <class T> struct MethodSig;
template <class C, class R, class... A> struct MethodSig<R (C::*)(A...)> { using Sig = R(A...); };
} // namespace detail

// Typed front end for describe functions: B.Integer("Width", &T::Width,
// &T::SetWidth).SetDefault(0); Getters and setters are anything std::invoke accepts with (const T&)
// and (T&, value).
//
// A base class declares the properties its subclasses may show, once, with their defaults:
//   auto D = B.Unpublished();
//   D.Bool("Visible", &TControl::Visible, &TControl::SetVisible).SetDefault(true);
// and each subclass publishes them by name, in its published order, among its own:
//   B.Publish({"Align", "Anchors"});
//   B.Integer("Progress", &T::Progress, &T::SetProgress).SetDefault(0);
//   B.Publish("Color").SetDefault(clBtnFace); // a subclass may state another default
template <class T> class TClassBuilder {
  public:
    explicit TClassBuilder(TClass& C) : C_(C) {}

    // A builder whose entries are declared for subclasses instead of published.
    TClassBuilder Unpublished() const {
        TClassBuilder B(C_);
        B.Unpublished_ = true;
        return B;
    }
    // Publishes, at this point of the published order, a property an ancestor declares (or
    // publishes: publishing it again moves nothing, but may change the default). A name no
    // ancestor declares is a fault of the describe function and throws EInvalidOperation.
    TPropInfo& Publish(std::string_view Name) {
        const TPropInfo* Declared = C_.FindDeclared(Name);
        if (!Declared) ThrowUndeclared(Name);
        return Add(TPropInfo(*Declared));
    }
    void Publish(std::initializer_list<std::string_view> Names) {
        for (std::string_view N : Names)
            Publish(N);
    }

    template <class G, class S> TPropInfo& Integer(std::string Name, G Get, S Set) {
        using V = std::decay_t<std::invoke_result_t<G, const T&>>;
        TPropInfo& P = Ordinal(std::move(Name), TPropKind::Integer, Get, Set);
        P.OrdSize = sizeof(V);
        P.Signed = std::is_signed_v<V>;
        return P;
    }
    template <class G, class S> TPropInfo& Bool(std::string Name, G Get, S Set) {
        return Ordinal(std::move(Name), TPropKind::Boolean, Get, Set);
    }
    template <class G, class S> TPropInfo& Char(std::string Name, G Get, S Set) {
        return Ordinal(std::move(Name), TPropKind::Char, Get, Set);
    }
    template <class G, class S> TPropInfo& Color(std::string Name, G Get, S Set) {
        return Ordinal(std::move(Name), TPropKind::Color, Get, Set);
    }
    template <class G, class S> TPropInfo& Enum(std::string Name, G Get, S Set) {
        using E = std::decay_t<std::invoke_result_t<G, const T&>>;
        TPropInfo& P = Ordinal(std::move(Name), TPropKind::Enumeration, Get, Set);
        P.Enum = &EnumInfo<E>();
        return P;
    }
    template <class E, class G, class S> TPropInfo& Set(std::string Name, G Get, S Setter) {
        TPropInfo P;
        P.Name = std::move(Name);
        P.Kind = TPropKind::Set;
        P.Enum = &EnumInfo<E>();
        P.GetOrd = [Get](const TObject& O) {
            return static_cast<std::int64_t>(std::invoke(Get, Self(O)).Bits());
        };
        P.SetOrd = [Setter](TObject& O, std::int64_t V) {
            std::invoke(Setter, Self(O), TSet<E>::FromBits(static_cast<std::uint64_t>(V)));
        };
        return Add(std::move(P));
    }
    template <class G, class S> TPropInfo& String(std::string Name, G Get, S Set) {
        TPropInfo P;
        P.Name = std::move(Name);
        P.Kind = TPropKind::String;
        P.GetStr = [Get](const TObject& O) { return std::string(std::invoke(Get, Self(O))); };
        P.SetStr = [Set](TObject& O, const std::string& V) { std::invoke(Set, Self(O), V); };
        return Add(std::move(P));
    }
    template <class G, class S> TPropInfo& Float(std::string Name, G Get, S Set) {
        using V = std::decay_t<std::invoke_result_t<G, const T&>>;
        TPropInfo P;
        P.Name = std::move(Name);
        P.Kind = TPropKind::Float;
        P.GetFloat = [Get](const TObject& O) {
            return static_cast<double>(std::invoke(Get, Self(O)));
        };
        P.SetFloat = [Set](TObject& O, double X) { std::invoke(Set, Self(O), static_cast<V>(X)); };
        return Add(std::move(P));
    }
    // Owned sub-object (Font3D, Frame, Gradient …). Setter (optional, may be nullptr) assigns.
    template <class G, class S = std::nullptr_t>
    TPropInfo& Object(std::string Name, G Get, S Set = nullptr) {
        return ObjectLike(std::move(Name), TPropKind::Class, Get, Set);
    }
    template <class G, class S = std::nullptr_t>
    TPropInfo& Strings(std::string Name, G Get, S Set = nullptr) {
        return ObjectLike(std::move(Name), TPropKind::Strings, Get, Set);
    }
    template <class G, class S = std::nullptr_t>
    TPropInfo& Collection(std::string Name, G Get, S Set = nullptr) {
        return ObjectLike(std::move(Name), TPropKind::Collection, Get, Set);
    }
    // Reference to another component, streamed by name.
    template <class G, class S> TPropInfo& Component(std::string Name, G Get, S Set) {
        using P0 = std::remove_pointer_t<std::decay_t<std::invoke_result_t<G, const T&>>>;
        TPropInfo P;
        P.Name = std::move(Name);
        P.Kind = TPropKind::Component;
        P.PropClassFn = [] { return &P0::StaticClass(); };
        P.GetObj = [Get](const TObject& O) -> TObject* { return std::invoke(Get, Self(O)); };
        P.SetObj = [Set](TObject& O, TObject* V) {
            std::invoke(Set, Self(O), V ? &As<P0>(*V) : static_cast<P0*>(nullptr));
        };
        return Add(std::move(P));
    }
    // The event field may live in a base class of T.
    template <class Sig, class C> TPropInfo& Event(std::string Name, TEvent<Sig> C::*Field) {
        static_assert(std::is_base_of_v<C, T>, "the event must be a member of the class or a base");
        TPropInfo P;
        P.Name = std::move(Name);
        P.Kind = TPropKind::Event;
        P.GetMethodName = [Field](const TObject& O) { return (Self(O).*Field).MethodName; };
        P.SetMethod = [Field, N = P.Name](TObject& O, const std::any& Closure,
                                          const std::string& Method) {
            const auto* Fn = std::any_cast<std::function<Sig>>(&Closure);
            if (!Fn) ThrowIncompatibleMethod(N, Method);
            Self(O).*Field = TEvent<Sig>(*Fn, Method);
        };
        P.ClearMethod = [Field](TObject& O) { Self(O).*Field = nullptr; };
        P.SetMethodName = [Field](TObject& O, const std::string& Method) {
            Self(O).*Field = TEvent<Sig>(nullptr, Method);
        };
        return Add(std::move(P));
    }
    template <class G, class S> TPropInfo& Binary(std::string Name, G Get, S Set) {
        TPropInfo P;
        P.Name = std::move(Name);
        P.Kind = TPropKind::Binary;
        P.GetBytes = [Get](const TObject& O) { return TBytes(std::invoke(Get, Self(O))); };
        P.SetBytes = [Set](TObject& O, const TBytes& V) { std::invoke(Set, Self(O), V); };
        return Add(std::move(P));
    }
    // A published method that form files may bind events to: B.Method("Button1Click",
    // &T::Button1Click);
    template <class M> void Method(std::string Name, M Fn) {
        using Sig = typename detail::MethodSig<M>::Sig;
        C_.AddMethod(TMethodEntry{std::move(Name), [Fn](TObject& O) -> std::any {
                                      T* Obj = &static_cast<T&>(O);
                                      return std::function<Sig>(BindMember<Sig>(Obj, Fn));
                                  }});
    }

  private:
    static const T& Self(const TObject& O) { return static_cast<const T&>(O); }
    static T& Self(TObject& O) { return static_cast<T&>(O); }
    [[noreturn]] static void ThrowIncompatibleMethod(const std::string& Prop,
                                                     const std::string& Method);
    [[noreturn]] void ThrowUndeclared(std::string_view Name) const;
    TPropInfo& Add(TPropInfo P) {
        return Unpublished_ ? C_.AddUnpublished(std::move(P)) : C_.AddProperty(std::move(P));
    }

    template <class Sig, class M> static auto BindMember(T* Obj, M Fn) {
        return [Obj, Fn](auto&&... A) { return (Obj->*Fn)(std::forward<decltype(A)>(A)...); };
    }

    template <class G, class S> TPropInfo& Ordinal(std::string Name, TPropKind Kind, G Get, S Set) {
        using V = std::decay_t<std::invoke_result_t<G, const T&>>;
        TPropInfo P;
        P.Name = std::move(Name);
        P.Kind = Kind;
        P.GetOrd = [Get](const TObject& O) {
            return static_cast<std::int64_t>(std::invoke(Get, Self(O)));
        };
        P.SetOrd = [Set](TObject& O, std::int64_t X) {
            std::invoke(Set, Self(O), static_cast<V>(X));
        };
        return Add(std::move(P));
    }
    template <class G, class S>
    TPropInfo& ObjectLike(std::string Name, TPropKind Kind, G Get, S Set) {
        using P0 = std::remove_pointer_t<std::decay_t<std::invoke_result_t<G, const T&>>>;
        TPropInfo P;
        P.Name = std::move(Name);
        P.Kind = Kind;
        P.PropClassFn = [] { return &P0::StaticClass(); };
        P.GetObj = [Get](const TObject& O) -> TObject* { return std::invoke(Get, Self(O)); };
        if constexpr (!std::is_same_v<S, std::nullptr_t>)
            P.SetObj = [Set](TObject& O, TObject* V) { std::invoke(Set, Self(O), &As<P0>(*V)); };
        return Add(std::move(P));
    }

    TClass& C_;
    bool Unpublished_ = false;
};

namespace detail {
[[noreturn]] void ThrowIncompatibleMethod(const std::string& Prop, const std::string& Method);
[[noreturn]] void ThrowUndeclared(const TClass& C, std::string_view Name);

template <class T, class D>
const TClass& MakeClass(const char* Name, const TClass& Parent, bool Creatable, D Describe) {
    TClass::Factory F;
    if (Creatable) {
        if constexpr (std::is_constructible_v<T, TComponent*>)
            F = [](TComponent* Owner) -> TObject* { return new T(Owner); };
        else if constexpr (std::is_default_constructible_v<T>)
            F = [](TComponent*) -> TObject* { return new T(); };
    }
    static TClass C(Name, &Parent, std::move(F));
    if constexpr (std::is_constructible_v<T, TCollection*> && !std::is_abstract_v<T>) {
        if (Creatable) C.SetItemFactory([](TCollection* Coll) -> TObject* { return new T(Coll); });
    }
    TClassBuilder<T> B(C);
    Describe(B);
    return C;
}
} // namespace detail

template <class T>
void TClassBuilder<T>::ThrowIncompatibleMethod(const std::string& Prop, const std::string& Method) {
    detail::ThrowIncompatibleMethod(Prop, Method);
}

template <class T> void TClassBuilder<T>::ThrowUndeclared(std::string_view Name) const {
    detail::ThrowUndeclared(C_, Name);
}

// No published members of its own.
template <class T> void NoProperties(TClassBuilder<T>&) {}

} // namespace qel

QEL_PUBLIC_END
