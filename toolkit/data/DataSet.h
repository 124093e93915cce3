#pragma once
// Datasets: a current record over rows that a driver supplies on demand, with the browse,
// edit and insert states, the classic navigation flags and the Before/After event pairs.
//
// Rows are held in a bounded window around the current one; a driver hands out the rows
// before or after any row it gave, so walking a table of millions keeps only a few hundred in
// memory. A failed Post leaves the dataset in its edit state with every typed value kept.
#include "toolkit/core/Component.h"
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/data/DataValue.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TDataSet;
class TDataSource;
class TField;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
QEL_ENUM_INFO(TDataSetState, "dsInactive", "dsBrowse", "dsEdit", "dsInsert")

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode
};

using TDataSetNotifyEvent = TEvent<void(TDataSet* DataSet)>;

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftString;
    bool Required = false;
    bool ReadOnly = false;
};

// Where rows come from. Rows are returned in dataset order; Before returns the rows just
// ahead of the given one, still in ascending order. The given row need not exist any more.
class TRowSource {
  public:
    virtual ~TRowSource() = default;
    virtual std::vector<TRecord> FetchFirst(int Count) = 0;
    virtual std::vector<TRecord> FetchLast(int Count) = 0;
    virtual std::vector<TRecord> FetchAfter(const TRecord& Row, int Count) = 0;
    virtual std::vector<TRecord> FetchBefore(const TRecord& Row, int Count) = 0;
    // The row itself (as stored now) and the ones after it.
    virtual std::vector<TRecord> FetchFrom(const TRecord& Row, int Count) = 0;
    // Sources that hold rows themselves hear of edits (and may give the row its Serial); Near
    // is the row an insert was made at.
    virtual void RowInserted(const TRecord* Near, TRecord& Row) {
        (void)Near;
        (void)Row;
    }
    virtual void RowUpdated(const TRecord& Old, TRecord& Row) {
        (void)Old;
        (void)Row;
    }
    virtual void RowDeleted(const TRecord& Row) { (void)Row; }
    // Forget what is held and read again (Refresh).
    virtual void Reset() {}

    // Rows the dataset let go of, kept so that the next fetch can fill them in place instead
    // of allocating new ones.
    void Recycle(TRecord&& Row) {
        if (Spare_.size() < 256) Spare_.push_back(std::move(Row));
    }

  protected:
    std::vector<TRecord> TakeSpare() { return std::exchange(Spare_, {}); }

  private:
    std::vector<TRecord> Spare_;
};

class TDataSet : public TComponent {
    QEL_CLASS(TDataSet, TComponent)
  public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    bool Active() const { return State_ != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return State_; }

    void First();
    void Prior();
    void Next();
    void Last();
    // Moves up to Distance records (negative: back); returns how far it went.
    int MoveBy(int Distance);
    bool Bof() const { return Bof_; }
    bool Eof() const { return Eof_; }
    bool IsEmpty() const { return Active() && Window_.empty() && State_ != dsInsert; }

    void Insert();
    void Append() { Insert(); }
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();
    // Posts a pending edit or insert; what navigation does first.
    void CheckBrowseMode();
    bool CanModify() const { return Active() && !ReadOnly_ && InternalCanModify(); }
    bool Modified() const { return Modified_; }
    bool ReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool V);

    int FieldCount() const { return static_cast<int>(Fields_.size()); }
    TField* Fields(int Index) const;
    TField* FindField(std::string_view Name) const;
    // Throws EDatabaseError naming the dataset when there is no such field.
    TField* FieldByName(std::string_view Name) const;
    const std::vector<TFieldDef>& FieldDefs() const { return FieldDefs_; }

    // The current record's value of field FieldNo (null when there is no record).
    const TFieldValue& FieldValue(int FieldNo) const;
    void SetFieldValue(TField* Field, const TFieldValue& V);

    void Loaded() override;

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh, OnNewRecord;

    // Tells every data source, and through them every link.
    void DataEvent(TDataEvent Event, TField* Field);

    // How many rows the dataset holds at most (a few fetches' worth).
    std::size_t WindowSize() const { return Window_.size(); }
    static constexpr int FetchCount = 256;

  protected:
    // Reads the field definitions into FieldDefs and gives the row source; throws
    // EDatabaseError when the data cannot be reached.
    virtual std::unique_ptr<TRowSource> InternalOpen(std::vector<TFieldDef>& Defs) = 0;
    virtual void InternalClose() {}
    // Writes the row (Old is none for an insert) and returns it as now stored.
    virtual TRecord InternalPost(const TRecord* Old, const TRecord& Row) = 0;
    virtual void InternalDelete(const TRecord& Row) = 0;
    virtual bool InternalCanModify() const { return true; }
    [[noreturn]] void DatabaseError(const std::string& Msg) const;
    void CheckInactive() const;

  private:
    friend class TDataSource;
    void CheckActive() const;
    void DoOpen();
    void DoClose();
    void SetState(TDataSetState S);
    // Runs an event handler; false when the handler freed the dataset.
    bool Fire(const TDataSetNotifyEvent& E);
    const TRecord* Current() const;
    void LoadFirst();
    void LoadLast();
    bool StepNext();
    bool StepPrior();
    void Resync(const TRecord& Row);
    void TrimFront();
    void TrimBack();
    void FreeFields();

    TDataSetState State_ = dsInactive;
    std::unique_ptr<TRowSource> Source_;
    std::deque<TRecord> Window_;
    std::size_t Cur_ = 0;
    bool Bof_ = true, Eof_ = true;
    TRecord Edit_;
    bool Modified_ = false;
    bool ReadOnly_ = false;
    bool StreamedActive_ = false;
    std::vector<TFieldDef> FieldDefs_;
    std::vector<TField*> Fields_;
    std::vector<TDataSource*> Sources_;
    std::shared_ptr<bool> Alive_ = std::make_shared<bool>(true);
};

} // namespace qel

QEL_PUBLIC_END
