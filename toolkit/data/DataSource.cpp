#include "toolkit/data/DataSource.h"

#include "toolkit/core/Properties.h"
#include "toolkit/data/Fields.h"

#include <algorithm>

namespace qel {

static void DescribeDataSource(TClassBuilder<TDataSource>& B) {
    B.Bool("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).SetDefault(true);
    B.Component("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    B.Bool("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).SetDefault(true);
    B.Event("OnStateChange", &TDataSource::OnStateChange);
    B.Event("OnDataChange", &TDataSource::OnDataChange);
    B.Event("OnUpdateData", &TDataSource::OnUpdateData);
}
QEL_IMPLEMENT_CLASS(TDataSource, TComponent, DescribeDataSource)

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    *Alive_ = false;
    SetDataSet(nullptr);
    // Links outlive their source (they belong to controls): they go quiet, not dangling.
    std::vector<TDataLink*> Copy;
    Copy.swap(Links_);
    for (TDataLink* L : Copy) {
        L->DataSource_ = nullptr;
        L->UpdateState();
    }
}

TDataSetState TDataSource::State() const {
    return Enabled_ && DataSet_ ? DataSet_->State() : dsInactive;
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == DataSet_) return;
    if (DataSet_) {
        auto& S = DataSet_->Sources_;
        S.erase(std::remove(S.begin(), S.end(), this), S.end());
    }
    DataSet_ = Value;
    if (Value) Value->Sources_.push_back(this);
    DataEvent(deUpdateState, nullptr);
}

void TDataSource::SetEnabled(bool Value) {
    if (Value == Enabled_) return;
    Enabled_ = Value;
    DataEvent(deUpdateState, nullptr);
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == DataSet_) SetDataSet(nullptr);
}

void TDataSource::RemoveLink(TDataLink* L) {
    Links_.erase(std::remove(Links_.begin(), Links_.end(), L), Links_.end());
}

void TDataSource::NotifyLinks(TDataEvent Event, TField* Field) {
    const auto Alive = Alive_;
    const std::vector<TDataLink*> Copy = Links_;
    for (TDataLink* L : Copy) {
        if (!*Alive) return;
        // A handler may have freed a later link's control.
        if (std::find(Links_.begin(), Links_.end(), L) != Links_.end()) L->DataEvent(Event, Field);
    }
}

void TDataSource::DataEvent(TDataEvent Event, TField* Field) {
    const auto Alive = Alive_;
    if (Event == deUpdateState) {
        const TDataSetState S = State();
        NotifyLinks(Event, Field);
        if (!*Alive) return;
        if (S != LastState_) {
            LastState_ = S;
            if (OnStateChange) OnStateChange(this);
        }
        return;
    }
    if (State() == dsInactive) return;
    NotifyLinks(Event, Field);
    if (!*Alive) return;
    if (Event == deUpdateRecord && OnUpdateData) OnUpdateData(this);
    if ((Event == deFieldChange || Event == deRecordChange || Event == deDataSetChange ||
         Event == deDataSetScroll || Event == deLayoutChange) &&
        OnDataChange)
        OnDataChange(this, Event == deFieldChange ? Field : nullptr);
}

TDataLink::~TDataLink() {
    if (DataSource_) DataSource_->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == DataSource_) return;
    if (DataSource_) DataSource_->RemoveLink(this);
    DataSource_ = Value;
    if (Value) Value->AddLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const {
    return DataSource_ ? DataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool V) {
    if (V == ReadOnly_) return;
    ReadOnly_ = V;
    UpdateState();
}

void TDataLink::UpdateState() {
    const bool NowActive = DataSource_ && DataSource_->State() != dsInactive;
    const TDataSetState S = NowActive ? DataSource_->State() : dsInactive;
    const bool NowEditing = NowActive && !ReadOnly_ && (S == dsEdit || S == dsInsert);
    if (NowActive != Active_) {
        Active_ = NowActive;
        if (!NowActive) Editing_ = false;
        ActiveChanged();
    }
    if (NowEditing != Editing_) {
        Editing_ = NowEditing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent Event, TField* Field) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!Active_) return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        RecordChanged(Field);
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(0);
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateData();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    default:
        break;
    }
}

bool TDataLink::Edit() {
    if (!ReadOnly_ && DataSource_ && DataSource_->AutoEdit() && DataSource_->State() == dsBrowse)
        DataSet()->Edit();
    return Editing_;
}

void TFieldDataLink::SetFieldName(const std::string& Value) {
    if (Value == FieldName_) return;
    FieldName_ = Value;
    UpdateField();
}

void TFieldDataLink::UpdateField() {
    TDataSet* DS = DataSet();
    TField* F = Active() && DS && !FieldName_.empty() ? DS->FindField(FieldName_) : nullptr;
    Field_ = F;
    Modified_ = false;
    if (OnDataChange) OnDataChange(this);
}

void TFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() {
    if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* Field) {
    if (Field && Field != Field_) return;
    Modified_ = false;
    if (OnDataChange) OnDataChange(this);
}

void TFieldDataLink::UpdateData() {
    if (Modified_ && OnUpdateData) OnUpdateData(this);
    Modified_ = false;
}

} // namespace qel
