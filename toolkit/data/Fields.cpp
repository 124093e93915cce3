#include "toolkit/data/Fields.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Properties.h"
#include "toolkit/data/DataSet.h"

#include <cmath>

namespace qel {

static void DescribeField(TClassBuilder<TField>& B) {
    B.String("FieldName", &TField::FieldName, &TField::SetFieldName);
    B.String("DisplayFormat", &TField::DisplayFormat, &TField::SetDisplayFormat);
    B.Bool("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).SetDefault(false);
    B.Bool("Required", &TField::Required, &TField::SetRequired).SetDefault(false);
}
QEL_IMPLEMENT_CLASS(TField, TComponent, DescribeField)
QEL_IMPLEMENT_CLASS(TStringField, TField, NoProperties<TStringField>)
QEL_IMPLEMENT_CLASS(TIntegerField, TField, NoProperties<TIntegerField>)
QEL_IMPLEMENT_CLASS(TFloatField, TField, NoProperties<TFloatField>)
QEL_IMPLEMENT_CLASS(TDateTimeField, TField, NoProperties<TDateTimeField>)
QEL_IMPLEMENT_CLASS(TBooleanField, TField, NoProperties<TBooleanField>)

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}
TField::TField(TComponent* AOwner, TFieldType Type) : TComponent(AOwner), DataType_(Type) {}
TField::~TField() = default;

TField* CreateField(TComponent* AOwner, TFieldType Type) {
    switch (Type) {
    case ftInteger:
        return new TIntegerField(AOwner);
    case ftFloat:
        return new TFloatField(AOwner);
    case ftDateTime:
        return new TDateTimeField(AOwner);
    case ftBoolean:
        return new TBooleanField(AOwner);
    default:
        return new TStringField(AOwner);
    }
}

void TField::Bind(TDataSet* DS, int No) {
    DataSet_ = DS;
    FieldNo_ = No;
}

void TField::SetDisplayFormat(const std::string& V) {
    DisplayFormat_ = V;
    if (DataSet_) DataSet_->DataEvent(deLayoutChange, nullptr);
}

const TFieldValue& TField::Value() const {
    static const TFieldValue Null;
    return DataSet_ ? DataSet_->FieldValue(FieldNo_) : Null;
}

void TField::SetValue(const TFieldValue& V) {
    if (!DataSet_) throw EDatabaseError("Field '" + FieldName_ + "' has no dataset");
    DataSet_->SetFieldValue(this, Convert(V));
}

namespace {

std::string Lower(std::string S) {
    for (char& C : S)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
    return S;
}

bool TextToBool(const std::string& S, const std::string& Field) {
    const std::string L = Lower(S);
    if (L == "true" || L == "t" || L == "1" || L == "yes" || L == "y") return true;
    if (L == "false" || L == "f" || L == "0" || L == "no" || L == "n") return false;
    throw EConvertError("'" + S + "' is not a valid boolean value for field '" + Field + "'");
}

} // namespace

TFieldValue TField::Convert(const TFieldValue& V) const {
    if (IsNullValue(V)) return V;
    const auto* S = std::get_if<std::string>(&V);
    switch (DataType_) {
    case ftInteger:
        if (S) return S->empty() ? TFieldValue{} : TFieldValue{StrToInt64(*S)};
        if (const auto* D = std::get_if<double>(&V)) {
            if (*D != std::trunc(*D) || std::fabs(*D) > 9.2e18)
                throw EConvertError("'" + FloatToStr(*D) + "' is not a valid integer value");
            return static_cast<std::int64_t>(*D);
        }
        return V;
    case ftBoolean:
        if (S)
            return S->empty() ? TFieldValue{}
                              : TFieldValue{std::int64_t{TextToBool(*S, FieldName_)}};
        if (const auto* D = std::get_if<double>(&V)) return std::int64_t{*D != 0};
        return std::int64_t{std::get<std::int64_t>(V) != 0};
    case ftFloat:
        if (S) return S->empty() ? TFieldValue{} : TFieldValue{StrToFloat(*S)};
        if (const auto* I = std::get_if<std::int64_t>(&V)) return static_cast<double>(*I);
        return V;
    case ftDateTime:
        if (S) {
            if (S->empty()) return TFieldValue{};
            if (auto T = ParseIsoDateTime(*S)) return *T;
            throw EConvertError("'" + *S + "' is not a valid date and time");
        }
        if (const auto* I = std::get_if<std::int64_t>(&V)) return static_cast<double>(*I);
        return V;
    default:
        return TFieldValue{[&]() -> std::string {
            if (S) return *S;
            if (const auto* I = std::get_if<std::int64_t>(&V)) return std::to_string(*I);
            return FloatToStr(std::get<double>(V));
        }()};
    }
}

std::string TField::AsString() const {
    const TFieldValue& V = Value();
    if (const auto* S = std::get_if<std::string>(&V)) return *S;
    if (IsNullValue(V)) return {};
    if (DataType_ == ftDateTime) return IsoDateTime(AsDateTime());
    if (DataType_ == ftBoolean) return AsBoolean() ? "True" : "False";
    if (const auto* I = std::get_if<std::int64_t>(&V)) return std::to_string(*I);
    return FloatToStr(std::get<double>(V));
}

std::int64_t TField::AsInteger() const {
    const TFieldValue& V = Value();
    if (const auto* I = std::get_if<std::int64_t>(&V)) return *I;
    if (const auto* D = std::get_if<double>(&V)) return std::llround(*D);
    if (const auto* S = std::get_if<std::string>(&V)) return StrToInt64(*S);
    return 0;
}

double TField::AsFloat() const {
    const TFieldValue& V = Value();
    if (const auto* D = std::get_if<double>(&V)) return *D;
    if (const auto* I = std::get_if<std::int64_t>(&V)) return static_cast<double>(*I);
    if (const auto* S = std::get_if<std::string>(&V)) return StrToFloat(*S);
    return 0;
}

TDateTime TField::AsDateTime() const {
    const TFieldValue& V = Value();
    if (const auto* S = std::get_if<std::string>(&V)) {
        if (auto T = ParseIsoDateTime(*S)) return *T;
        throw EConvertError("'" + *S + "' is not a valid date and time");
    }
    return AsFloat();
}

bool TField::AsBoolean() const {
    const TFieldValue& V = Value();
    if (const auto* S = std::get_if<std::string>(&V)) return TextToBool(*S, FieldName_);
    return AsFloat() != 0;
}

void TField::SetAsString(const std::string& V) {
    SetValue(V);
}
void TField::SetAsInteger(std::int64_t V) {
    SetValue(V);
}
void TField::SetAsFloat(double V) {
    SetValue(V);
}
void TField::SetAsDateTime(TDateTime V) {
    SetValue(DataType_ == ftDateTime ? TFieldValue{V} : TFieldValue{IsoDateTime(V)});
}
void TField::SetAsBoolean(bool V) {
    SetValue(std::int64_t{V});
}

std::string TField::DisplayText() const {
    if (IsNull()) return {};
    switch (DataType_) {
    case ftInteger:
    case ftFloat:
        if (!DisplayFormat_.empty()) return FormatFloat(DisplayFormat_, AsFloat());
        return AsString();
    case ftDateTime: {
        // Text a database keeps in a date column is shown as it is, not refused at paint time.
        const auto* S = std::get_if<std::string>(&Value());
        if (S && !ParseIsoDateTime(*S)) return *S;
        return FormatDateTime(DisplayFormat_, AsDateTime());
    }
    default:
        return AsString();
    }
}

} // namespace qel
