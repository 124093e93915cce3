#include "toolkit/data/DataSet.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Properties.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/data/Fields.h"

#include <algorithm>

namespace qel {

QEL_IMPLEMENT_ABSTRACT(TDataSet, TComponent, NoProperties<TDataSet>)

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
    *Alive_ = false;
    // Sources let go first so that no link hears of a half-destroyed dataset.
    while (!Sources_.empty())
        Sources_.back()->SetDataSet(nullptr);
    Source_.reset();
    FreeFields();
}

void TDataSet::DatabaseError(const std::string& Msg) const {
    throw EDatabaseError(Name().empty() ? Msg : Name() + ": " + Msg);
}

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
}

bool TDataSet::Fire(const TDataSetNotifyEvent& E) {
    if (!E) return true;
    const auto Alive = Alive_;
    E(this);
    return *Alive;
}

void TDataSet::DataEvent(TDataEvent Event, TField* Field) {
    if (Sources_.empty()) return;
    const auto Alive = Alive_;
    const std::vector<TDataSource*> Copy = Sources_;
    for (TDataSource* S : Copy) {
        if (!*Alive) return;
        if (std::find(Sources_.begin(), Sources_.end(), S) != Sources_.end())
            S->DataEvent(Event, Field);
    }
}

void TDataSet::SetState(TDataSetState S) {
    if (State_ == S) return;
    State_ = S;
    Modified_ = false;
    DataEvent(deUpdateState, nullptr);
}

void TDataSet::SetActive(bool Value) {
    if (IsLoading()) {
        StreamedActive_ = Value;
        return;
    }
    if (Value == Active()) return;
    if (Value)
        DoOpen();
    else
        DoClose();
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (StreamedActive_ && !IsDesigning()) SetActive(true);
}

void TDataSet::FreeFields() {
    std::vector<TField*> Old;
    Old.swap(Fields_);
    for (TField* F : Old)
        delete F;
}

void TDataSet::DoOpen() {
    if (!Fire(BeforeOpen)) return;
    std::vector<TFieldDef> Defs;
    std::unique_ptr<TRowSource> Src = InternalOpen(Defs);
    FreeFields();
    FieldDefs_ = std::move(Defs);
    for (std::size_t I = 0; I < FieldDefs_.size(); ++I) {
        TField* F = CreateField(this, FieldDefs_[I].DataType);
        F->SetFieldName(FieldDefs_[I].Name);
        F->SetRequired(FieldDefs_[I].Required);
        F->SetReadOnly(FieldDefs_[I].ReadOnly);
        F->Bind(this, static_cast<int>(I));
        Fields_.push_back(F);
    }
    Source_ = std::move(Src);
    {
        const TScopeFail Undo([&] {
            Source_.reset();
            InternalClose();
            FreeFields();
        });
        LoadFirst();
    }
    State_ = dsBrowse;
    const auto Alive = Alive_;
    DataEvent(deUpdateState, nullptr);
    if (!*Alive) return;
    Fire(AfterOpen);
}

void TDataSet::DoClose() {
    if (!Fire(BeforeClose)) return;
    State_ = dsInactive;
    Window_.clear();
    Edit_ = {};
    Modified_ = false;
    Bof_ = Eof_ = true;
    Source_.reset();
    InternalClose();
    const auto Alive = Alive_;
    DataEvent(deUpdateState, nullptr);
    if (!*Alive) return;
    FreeFields();
    Fire(AfterClose);
}

const TRecord* TDataSet::Current() const {
    return Window_.empty() ? nullptr : &Window_[Cur_];
}

const TFieldValue& TDataSet::FieldValue(int FieldNo) const {
    static const TFieldValue Null;
    const TRecord* R = (State_ == dsEdit || State_ == dsInsert) ? &Edit_ : Current();
    if (!R || FieldNo < 0 || static_cast<std::size_t>(FieldNo) >= R->Values.size()) return Null;
    return R->Values[static_cast<std::size_t>(FieldNo)];
}

void TDataSet::SetFieldValue(TField* Field, const TFieldValue& V) {
    if (State_ != dsEdit && State_ != dsInsert) DatabaseError("Dataset not in edit or insert mode");
    if (Field->ReadOnly()) DatabaseError("Field '" + Field->FieldName() + "' cannot be modified");
    const auto No = static_cast<std::size_t>(Field->FieldNo());
    if (Edit_.Values.size() <= No) Edit_.Values.resize(No + 1);
    Edit_.Values[No] = V;
    Modified_ = true;
    DataEvent(deFieldChange, Field);
}

TField* TDataSet::Fields(int Index) const {
    if (Index < 0 || Index >= FieldCount()) throw EListError("List index out of bounds");
    return Fields_[static_cast<std::size_t>(Index)];
}

TField* TDataSet::FindField(std::string_view Name) const {
    for (TField* F : Fields_) {
        const std::string& N = F->FieldName();
        if (N.size() == Name.size() &&
            std::equal(N.begin(), N.end(), Name.begin(), [](char A, char B) {
                return std::tolower(static_cast<unsigned char>(A)) ==
                       std::tolower(static_cast<unsigned char>(B));
            }))
            return F;
    }
    return nullptr;
}

TField* TDataSet::FieldByName(std::string_view Name) const {
    TField* F = FindField(Name);
    if (!F) DatabaseError("Field '" + std::string(Name) + "' not found");
    return F;
}

void TDataSet::SetReadOnly(bool V) {
    if (V == ReadOnly_) return;
    // Controls decide what they offer when the dataset opens.
    CheckInactive();
    ReadOnly_ = V;
}

// Window handling. The window never grows beyond a few fetches: rows fall off the far end.
void TDataSet::TrimFront() {
    while (Window_.size() > static_cast<std::size_t>(4 * FetchCount) && Cur_ > 0) {
        Source_->Recycle(std::move(Window_.front()));
        Window_.pop_front();
        --Cur_;
    }
}

void TDataSet::TrimBack() {
    while (Window_.size() > static_cast<std::size_t>(4 * FetchCount) && Cur_ + 1 < Window_.size()) {
        Source_->Recycle(std::move(Window_.back()));
        Window_.pop_back();
    }
}

void TDataSet::LoadFirst() {
    auto Rows = Source_->FetchFirst(FetchCount);
    Window_.assign(std::make_move_iterator(Rows.begin()), std::make_move_iterator(Rows.end()));
    Cur_ = 0;
    Bof_ = true;
    Eof_ = Window_.empty();
}

void TDataSet::LoadLast() {
    auto Rows = Source_->FetchLast(FetchCount);
    Window_.assign(std::make_move_iterator(Rows.begin()), std::make_move_iterator(Rows.end()));
    Cur_ = Window_.empty() ? 0 : Window_.size() - 1;
    Eof_ = true;
    Bof_ = Window_.empty();
}

bool TDataSet::StepNext() {
    if (Window_.empty()) return false;
    if (Cur_ + 1 >= Window_.size()) {
        auto Rows = Source_->FetchAfter(Window_.back(), FetchCount);
        if (Rows.empty()) return false;
        for (auto& R : Rows)
            Window_.push_back(std::move(R));
        ++Cur_;
        TrimFront();
        return true;
    }
    ++Cur_;
    return true;
}

bool TDataSet::StepPrior() {
    if (Window_.empty()) return false;
    if (Cur_ == 0) {
        auto Rows = Source_->FetchBefore(Window_.front(), FetchCount);
        if (Rows.empty()) return false;
        for (auto It = Rows.rbegin(); It != Rows.rend(); ++It)
            Window_.push_front(std::move(*It));
        Cur_ += Rows.size();
        --Cur_;
        TrimBack();
        return true;
    }
    --Cur_;
    return true;
}

// Puts Row (or, when it is gone, the row after it, else the last one) at the centre of a
// fresh window.
void TDataSet::Resync(const TRecord& Row) {
    auto Before = Source_->FetchBefore(Row, FetchCount / 2);
    auto From = Source_->FetchFrom(Row, FetchCount / 2);
    Window_.assign(std::make_move_iterator(Before.begin()), std::make_move_iterator(Before.end()));
    Cur_ = Window_.size();
    for (auto& R : From)
        Window_.push_back(std::move(R));
    Bof_ = Window_.empty();
    Eof_ = From.empty();
    if (From.empty() && !Window_.empty()) Cur_ = Window_.size() - 1;
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, nullptr);
    if (State_ == dsEdit || State_ == dsInsert) {
        DataEvent(deUpdateRecord, nullptr);
        if (Modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::First() {
    CheckBrowseMode();
    if (!Fire(BeforeScroll)) return;
    LoadFirst();
    const auto Alive = Alive_;
    DataEvent(deDataSetChange, nullptr);
    if (*Alive) Fire(AfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    if (!Fire(BeforeScroll)) return;
    LoadLast();
    const auto Alive = Alive_;
    DataEvent(deDataSetChange, nullptr);
    if (*Alive) Fire(AfterScroll);
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    if ((Distance > 0 && Eof_) || (Distance < 0 && Bof_) || Distance == 0) return 0;
    if (!Fire(BeforeScroll)) return 0;
    int Moved = 0;
    if (Distance > 0) {
        Bof_ = false;
        while (Moved < Distance && StepNext())
            ++Moved;
        if (Moved < Distance) Eof_ = true;
    } else {
        Eof_ = false;
        while (Moved > Distance && StepPrior())
            --Moved;
        if (Moved > Distance) Bof_ = true;
    }
    const auto Alive = Alive_;
    DataEvent(deDataSetScroll, nullptr);
    if (*Alive) Fire(AfterScroll);
    return Moved;
}

void TDataSet::Next() {
    MoveBy(1);
}

void TDataSet::Prior() {
    MoveBy(-1);
}

void TDataSet::Insert() {
    CheckBrowseMode();
    if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
    if (!Fire(BeforeInsert)) return;
    Edit_ = TRecord{};
    Edit_.Values.resize(Fields_.size());
    const auto Alive = Alive_;
    SetState(dsInsert);
    if (!*Alive) return;
    if (!Fire(OnNewRecord)) return;
    Modified_ = false;
    DataEvent(deDataSetChange, nullptr);
    if (*Alive) Fire(AfterInsert);
}

void TDataSet::Edit() {
    if (State_ == dsEdit || State_ == dsInsert) return;
    CheckActive();
    if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
    if (Window_.empty()) {
        Insert();
        return;
    }
    if (!Fire(BeforeEdit)) return;
    Edit_ = Window_[Cur_];
    const auto Alive = Alive_;
    SetState(dsEdit);
    if (!*Alive) return;
    DataEvent(deRecordChange, nullptr);
    if (*Alive) Fire(AfterEdit);
}

void TDataSet::Post() {
    CheckActive();
    if (State_ != dsEdit && State_ != dsInsert) return;
    const auto Alive = Alive_;
    DataEvent(deUpdateRecord, nullptr);
    if (!*Alive) return;
    if (!Fire(BeforePost)) return;
    for (TField* F : Fields_)
        if (F->Required() && !F->ReadOnly() && F->IsNull())
            DatabaseError("Field '" + F->FieldName() + "' must have a value");
    // The edit buffer stays untouched until the row is safely stored.
    const bool Inserting = State_ == dsInsert;
    TRecord Stored = InternalPost(Inserting ? nullptr : Current(), Edit_);
    if (Inserting)
        Source_->RowInserted(Current(), Stored);
    else
        Source_->RowUpdated(*Current(), Stored);
    Edit_ = {};
    Resync(Stored);
    SetState(dsBrowse);
    if (!*Alive) return;
    DataEvent(deDataSetChange, nullptr);
    if (*Alive) Fire(AfterPost);
}

void TDataSet::Cancel() {
    if (State_ != dsEdit && State_ != dsInsert) return;
    if (!Fire(BeforeCancel)) return;
    Edit_ = {};
    const auto Alive = Alive_;
    SetState(dsBrowse);
    if (!*Alive) return;
    DataEvent(deDataSetChange, nullptr);
    if (*Alive) Fire(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (State_ == dsInsert) {
        Cancel();
        return;
    }
    if (Window_.empty()) DatabaseError("Cannot perform this operation on an empty dataset");
    if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
    if (!Fire(BeforeDelete)) return;
    const TRecord Gone = Window_[Cur_];
    InternalDelete(Gone);
    Source_->RowDeleted(Gone);
    Edit_ = {};
    Resync(Gone);
    const auto Alive = Alive_;
    SetState(dsBrowse);
    if (!*Alive) return;
    DataEvent(deDataSetChange, nullptr);
    if (!*Alive || !Fire(AfterDelete)) return;
    Fire(AfterScroll);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    if (!Fire(BeforeRefresh)) return;
    Source_->Reset();
    if (Window_.empty())
        LoadFirst();
    else
        Resync(TRecord(Window_[Cur_]));
    const auto Alive = Alive_;
    DataEvent(deDataSetChange, nullptr);
    if (*Alive) Fire(AfterRefresh);
}

} // namespace qel
