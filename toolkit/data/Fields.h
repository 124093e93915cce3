#pragma once
// Fields: one column of a dataset, read and written through the dataset's current record.
// The typed classes convert on the way in, so an integer field never holds text.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"
#include "toolkit/data/DataValue.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TDataSet;

class TField : public TComponent {
    QEL_CLASS(TField, TComponent)
  public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    TDataSet* DataSet() const { return DataSet_; }
    const std::string& FieldName() const { return FieldName_; }
    void SetFieldName(const std::string& V) { FieldName_ = V; }
    TFieldType DataType() const { return DataType_; }
    // Position of the field's value in the dataset's records.
    int FieldNo() const { return FieldNo_; }
    bool ReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool V) { ReadOnly_ = V; }
    bool Required() const { return Required_; }
    void SetRequired(bool V) { Required_ = V; }
    // Number fields: FormatFloat; date fields: FormatDateTime. Empty: the plain text.
    const std::string& DisplayFormat() const { return DisplayFormat_; }
    void SetDisplayFormat(const std::string& V);

    const TFieldValue& Value() const;
    void SetValue(const TFieldValue& V);
    bool IsNull() const { return IsNullValue(Value()); }
    void Clear() { SetValue(std::monostate{}); }

    std::string AsString() const;
    void SetAsString(const std::string& V);
    std::int64_t AsInteger() const;
    void SetAsInteger(std::int64_t V);
    double AsFloat() const;
    void SetAsFloat(double V);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime V);
    bool AsBoolean() const;
    void SetAsBoolean(bool V);
    // What controls show: empty for null, formatted with DisplayFormat otherwise.
    std::string DisplayText() const;

    // The value as this field's type stores it; throws EConvertError when it does not fit.
    TFieldValue Convert(const TFieldValue& V) const;

  protected:
    TField(TComponent* AOwner, TFieldType Type);

  private:
    friend class TDataSet;
    void Bind(TDataSet* DS, int FieldNo);

    TDataSet* DataSet_ = nullptr;
    std::string FieldName_;
    TFieldType DataType_ = ftUnknown;
    int FieldNo_ = -1;
    bool ReadOnly_ = false;
    bool Required_ = false;
    std::string DisplayFormat_;
};

class TStringField : public TField {
    QEL_CLASS(TStringField, TField)
  public:
    explicit TStringField(TComponent* AOwner) : TField(AOwner, ftString) {}
};
class TIntegerField : public TField {
    QEL_CLASS(TIntegerField, TField)
  public:
    explicit TIntegerField(TComponent* AOwner) : TField(AOwner, ftInteger) {}
};
class TFloatField : public TField {
    QEL_CLASS(TFloatField, TField)
  public:
    explicit TFloatField(TComponent* AOwner) : TField(AOwner, ftFloat) {}
};
class TDateTimeField : public TField {
    QEL_CLASS(TDateTimeField, TField)
  public:
    explicit TDateTimeField(TComponent* AOwner) : TField(AOwner, ftDateTime) {}
};
class TBooleanField : public TField {
    QEL_CLASS(TBooleanField, TField)
  public:
    explicit TBooleanField(TComponent* AOwner) : TField(AOwner, ftBoolean) {}
};

// A new field of the class that holds Type.
TField* CreateField(TComponent* AOwner, TFieldType Type);

} // namespace qel

QEL_PUBLIC_END
