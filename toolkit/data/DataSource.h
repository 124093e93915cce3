#pragma once
// Data sources and data links: how controls hear of a dataset. A source passes the dataset's
// events to every link attached to it; a link turns them into the few notifications a control
// cares about (active, editing, data changed).
#include "toolkit/core/Component.h"
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/data/DataSet.h"

#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TDataLink;
class TField;

using TDataChangeEvent = TEvent<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
    QEL_CLASS(TDataSource, TComponent)
  public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return DataSet_; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool Value);
    bool AutoEdit() const { return AutoEdit_; }
    void SetAutoEdit(bool Value) { AutoEdit_ = Value; }
    // dsInactive while disabled or without an open dataset.
    TDataSetState State() const;

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, TField* Field);
    void NotifyLinks(TDataEvent Event, TField* Field);
    void AddLink(TDataLink* L) { Links_.push_back(L); }
    void RemoveLink(TDataLink* L);

    TDataSet* DataSet_ = nullptr;
    bool Enabled_ = true;
    bool AutoEdit_ = true;
    TDataSetState LastState_ = dsInactive;
    std::vector<TDataLink*> Links_;
    std::shared_ptr<bool> Alive_ = std::make_shared<bool>(true);
};

class TDataLink : public TObject {
  public:
    TDataLink() = default;
    ~TDataLink() override;

    TDataSource* DataSource() const { return DataSource_; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const;
    // The source is enabled and its dataset open.
    bool Active() const { return Active_; }
    bool Editing() const { return Editing_; }
    bool ReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool V);
    // Puts the dataset into edit state when the source allows it; true when editing.
    bool Edit();

  protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}
    virtual void DataSetScrolled(int Distance) {
        (void)Distance;
        DataSetChanged();
    }
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) {
        (void)Field;
        DataSetChanged();
    }
    virtual void UpdateData() {}
    virtual void CheckBrowseMode() {}

  private:
    friend class TDataSource;
    void DataEvent(TDataEvent Event, TField* Field);
    void UpdateState();

    TDataSource* DataSource_ = nullptr;
    bool Active_ = false;
    bool Editing_ = false;
    bool ReadOnly_ = false;
};

// A link to one field of the dataset, by name.
class TFieldDataLink : public TDataLink {
  public:
    const std::string& FieldName() const { return FieldName_; }
    void SetFieldName(const std::string& Value);
    TField* Field() const { return Field_; }
    // The control the link serves (the label, an edit box).
    TComponent* Control() const { return Control_; }
    void SetControl(TComponent* Value) { Control_ = Value; }
    bool Modified() const { return Modified_; }
    void Modify() { Modified_ = true; }
    void Reset();

    TNotifyEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

  protected:
    void ActiveChanged() override;
    void DataSetChanged() override { RecordChanged(nullptr); }
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

  private:
    void UpdateField();
    std::string FieldName_;
    TField* Field_ = nullptr;
    TComponent* Control_ = nullptr;
    bool Modified_ = false;
};

} // namespace qel

QEL_PUBLIC_END
