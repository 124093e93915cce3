#include "toolkit/core/Object.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/core/Properties.h"

#include <mutex>
#include <unordered_map>

namespace qel {

// Flattened property list of a class, built once on first use: the reader looks properties
// up for every value of every component, so this must not rebuild lists each time.
struct TClass::TPropCache {
    std::vector<const TPropInfo*> All;
    std::unordered_map<std::string, const TPropInfo*> ByName; // lower-cased
};

TClass::TClass(std::string Name, const TClass* Parent, Factory Create)
    : Name_(std::move(Name)), Parent_(Parent), Create_(std::move(Create)) {}

TClass::~TClass() = default;

bool TClass::InheritsFrom(const TClass& Other) const {
    for (const TClass* C = this; C; C = C->Parent_)
        if (C == &Other) return true;
    return false;
}

TObject* TClass::CreateInstance(TComponent* Owner) const {
    if (!Create_)
        throw EInvalidOperation(
            "Cannot create an instance of " + Name_ +
            (CreateItem_ ? " without a collection" : ": the class is abstract"));
    return Create_(Owner);
}

TObject* TClass::CreateItem(TCollection* Collection) const {
    if (!CreateItem_) throw EInvalidOperation("Cannot create " + Name_ + " as a collection item");
    return CreateItem_(Collection);
}

const TClass::TPropCache& TClass::Cache() const {
    // Recursive: building a class's cache builds its parent's first.
    static std::recursive_mutex M;
    std::lock_guard<std::recursive_mutex> Lock(M);
    if (!Cache_) {
        for (const TPropInfo& P : Props_)
            if (!P.PropClass && P.PropClassFn)
                const_cast<TPropInfo&>(P).PropClass = P.PropClassFn();
        auto C = std::make_unique<TPropCache>();
        if (Parent_) C->All = Parent_->Cache().All;
        for (const TPropInfo& P : Props_) {
            bool Replaced = false;
            for (auto& Existing : C->All)
                if (SameText(Existing->Name, P.Name)) {
                    Existing = &P;
                    Replaced = true;
                    break;
                }
            if (!Replaced) C->All.push_back(&P);
        }
        for (const TPropInfo* P : C->All)
            C->ByName[LowerCase(P->Name)] = P;
        Cache_ = std::move(C);
    }
    return *Cache_;
}

std::vector<const TPropInfo*> TClass::Properties() const {
    return Cache().All;
}

const std::vector<TPropInfo>& TClass::OwnProperties() const {
    Cache();
    return Props_;
}

const TPropInfo* TClass::FindProperty(std::string_view Name) const {
    const auto& Map = Cache().ByName;
    auto It = Map.find(LowerCase(Name));
    return It == Map.end() ? nullptr : It->second;
}

const TMethodEntry* TClass::FindMethod(std::string_view Name) const {
    for (const TClass* C = this; C; C = C->Parent_) {
        auto It = C->Methods_.find(Name);
        if (It != C->Methods_.end()) return &It->second;
        for (const auto& [Key, Entry] : C->Methods_)
            if (SameText(Key, Name)) return &Entry;
    }
    return nullptr;
}

const TPropInfo* TClass::FindDeclared(std::string_view Name) const {
    for (const TPropInfo& P : Unpublished_)
        if (SameText(P.Name, Name)) return &P;
    for (const TClass* C = Parent_; C; C = C->Parent_) {
        for (const TPropInfo& P : C->Props_)
            if (SameText(P.Name, Name)) return &P;
        for (const TPropInfo& P : C->Unpublished_)
            if (SameText(P.Name, Name)) return &P;
    }
    return nullptr;
}

TPropInfo& TClass::AddUnpublished(TPropInfo Info) {
    if (Cache_) throw EInvalidOperation("Class " + Name_ + " is already in use");
    Unpublished_.push_back(std::move(Info));
    return Unpublished_.back();
}

TPropInfo& TClass::AddProperty(TPropInfo Info) {
    if (Cache_) throw EInvalidOperation("Class " + Name_ + " is already in use");
    Props_.push_back(std::move(Info));
    return Props_.back();
}

void TClass::AddMethod(TMethodEntry Entry) {
    std::string Key = Entry.Name;
    Methods_.insert_or_assign(std::move(Key), std::move(Entry));
}

// ----- TObject ---------------------------------------------------------------------------

const TClass& TObject::StaticClass() {
    static const TClass C("TObject", nullptr, nullptr);
    return C;
}

// ----- Registry ----------------------------------------------------------------------------

namespace {
struct TRegistry {
    std::mutex M;
    std::unordered_map<std::string, const TClass*> ByName; // lower-cased
};
TRegistry& Registry() {
    static TRegistry R;
    return R;
}
} // namespace

void RegisterClass(const TClass& C) {
    auto& R = Registry();
    std::lock_guard<std::mutex> Lock(R.M);
    auto [It, Inserted] = R.ByName.emplace(LowerCase(C.ClassName()), &C);
    if (!Inserted && It->second != &C)
        throw EFilerError("A class named " + C.ClassName() + " already exists");
}

void UnRegisterClass(const TClass& C) {
    auto& R = Registry();
    std::lock_guard<std::mutex> Lock(R.M);
    auto It = R.ByName.find(LowerCase(C.ClassName()));
    if (It != R.ByName.end() && It->second == &C) R.ByName.erase(It);
}

const TClass* GetClass(std::string_view Name) {
    auto& R = Registry();
    std::lock_guard<std::mutex> Lock(R.M);
    auto It = R.ByName.find(LowerCase(Name));
    return It == R.ByName.end() ? nullptr : It->second;
}

const TClass& FindClass(std::string_view Name) {
    if (const TClass* C = GetClass(Name)) return *C;
    throw EClassNotFound("Class " + std::string(Name) + " not found");
}

std::vector<const TClass*> RegisteredClasses() {
    auto& R = Registry();
    std::lock_guard<std::mutex> Lock(R.M);
    std::vector<const TClass*> V;
    V.reserve(R.ByName.size());
    for (const auto& [K, C] : R.ByName)
        V.push_back(C);
    return V;
}

void ThrowInvalidCast(const TObject& O, const TClass& Target) {
    throw EInvalidCast("Invalid class typecast: " + O.ClassName() + " is not a " +
                       Target.ClassName());
}

} // namespace qel
