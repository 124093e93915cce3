#pragma once
// Property editors: what the object inspector shows for one published property of the selected
// objects and how a typed value, a chosen list entry or a dialog changes it. An editor works on
// every selected instance at once; the value shown is the first instance's.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Export.h"
#include "toolkit/designer/DesignIntf.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// A value the inspector cannot store ("Invalid property value").
class EPropertyError : public Exception {
    using Exception::Exception;
};

enum TPropertyAttribute {
    paValueList,     // GetValues lists the accepted values
    paSubProperties, // GetProperties gives nested editors (sub-objects, set elements)
    paDialog,        // Edit opens a dialog (the inspector's ellipsis button)
    paMultiSelect,   // shown when several objects are selected
    paAutoUpdate,    // SetValue on every keystroke (captions)
    paSortList,      // the value list is shown sorted
    paReadOnly,      // the value cannot be typed
    paRevertable,    // can be reset to the inherited value
};
QEL_ENUM_INFO(TPropertyAttribute, "paValueList", "paSubProperties", "paDialog", "paMultiSelect",
              "paAutoUpdate", "paSortList", "paReadOnly", "paRevertable")
using TPropertyAttributes = TSet<TPropertyAttribute>;

class TPropertyEditor;
using TGetStrProc = std::function<void(const std::string&)>;
using TGetPropEditProc = std::function<void(std::unique_ptr<TPropertyEditor>)>;

class TPropertyEditor {
  public:
    // Prop is the first instance's entry; every instance must publish a property of that name
    // and kind, and each is read and written through its own class's entry, so objects of
    // unrelated classes can be edited together. Entries live in the class tables.
    TPropertyEditor(TDesigner* Designer, std::vector<TPersistent*> Instances,
                    const TPropInfo& Prop);
    virtual ~TPropertyEditor() = default;
    TPropertyEditor(const TPropertyEditor&) = delete;
    TPropertyEditor& operator=(const TPropertyEditor&) = delete;

    virtual TPropertyAttributes GetAttributes() const;
    virtual std::string GetName() const { return PropInfo().Name; }
    // The text the inspector shows.
    virtual std::string GetValue() const;
    // Parses and stores Value in every instance, then tells the designer. Throws
    // EPropertyError (or the setter's own exception) for a value the property does not take;
    // nothing is stored then.
    virtual void SetValue(const std::string& Value);
    // The ellipsis button or a double-click. With a value list and no dialog, the default
    // moves to the next value (False → True, the next enumeration value).
    virtual void Edit();
    virtual void GetValues(const TGetStrProc& Proc) const;
    virtual void GetProperties(const TGetPropEditProc& Proc) const;
    // Whether every instance holds the same value (the inspector shows it blank otherwise).
    virtual bool AllEqual() const;

    TDesigner* Designer() const { return Designer_; }
    const TPropInfo& PropInfo() const { return *Props_[0]; }
    // The entry of the instance at Index.
    const TPropInfo& PropAt(int Index) const { return *Props_.at(static_cast<size_t>(Index)); }
    int PropCount() const { return static_cast<int>(Instances_.size()); }
    TPersistent* GetComponent(int Index) const { return Instances_.at(static_cast<size_t>(Index)); }
    const std::vector<TPersistent*>& Instances() const { return Instances_; }
    // The values of GetValues in one list.
    std::vector<std::string> ValueList() const;

    std::int64_t GetOrdValue() const { return GetOrdValueAt(0); }
    std::int64_t GetOrdValueAt(int Index) const;
    void SetOrdValue(std::int64_t Value);
    double GetFloatValue() const;
    double GetFloatValueAt(int Index) const;
    void SetFloatValue(double Value);
    std::string GetStrValue() const { return GetStrValueAt(0); }
    std::string GetStrValueAt(int Index) const;
    void SetStrValue(const std::string& Value);
    TObject* GetObjValue() const { return GetObjValueAt(0); }
    TObject* GetObjValueAt(int Index) const;
    void SetObjValue(TObject* Value);

    // Tells the designer that the property changed (editors whose dialogs change the object
    // in place call it themselves).
    void Modified();

  protected:
    [[noreturn]] void InvalidValue(const std::string& Value) const;
    void CheckWritable(bool Writable) const;

  private:
    TDesigner* Designer_;
    std::vector<TPersistent*> Instances_;
    std::vector<const TPropInfo*> Props_;
};

// A factory with a name, so the registry's choice can be told and shown.
struct TPropertyEditorClass {
    std::string Name;
    std::function<std::unique_ptr<TPropertyEditor>(TDesigner*, std::vector<TPersistent*>,
                                                   const TPropInfo&)>
        Create;
    explicit operator bool() const { return static_cast<bool>(Create); }
};
template <class E> TPropertyEditorClass PropertyEditorClass(std::string Name) {
    return {std::move(Name), [](TDesigner* D, std::vector<TPersistent*> I, const TPropInfo& P) {
                return std::unique_ptr<TPropertyEditor>(new E(D, std::move(I), P));
            }};
}

// ---- the standard editors ------------------------------------------------------------------

class TOrdinalProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    bool AllEqual() const override;
};

// Integers: checked against the property's size and sign; names (crHandPoint) accepted.
class TIntegerProperty : public TOrdinalProperty {
  public:
    using TOrdinalProperty::TOrdinalProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
};

// One character: typed as itself or as #code.
class TCharProperty : public TOrdinalProperty {
  public:
    using TOrdinalProperty::TOrdinalProperty;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
};

class TEnumProperty : public TOrdinalProperty {
  public:
    using TOrdinalProperty::TOrdinalProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    void GetValues(const TGetStrProc& Proc) const override;
};

class TBoolProperty : public TOrdinalProperty {
  public:
    using TOrdinalProperty::TOrdinalProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    void GetValues(const TGetStrProc& Proc) const override;
};

// Sets show as "[a,b]" and expand into one True/False entry per element.
class TSetProperty : public TOrdinalProperty {
  public:
    using TOrdinalProperty::TOrdinalProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    void GetProperties(const TGetPropEditProc& Proc) const override;
};

class TSetElementProperty : public TPropertyEditor {
  public:
    TSetElementProperty(TDesigner* Designer, std::vector<TPersistent*> Instances,
                        const TPropInfo& Prop, int Element);
    TPropertyAttributes GetAttributes() const override;
    std::string GetName() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    void GetValues(const TGetStrProc& Proc) const override;
    bool AllEqual() const override;

  private:
    int Element_;
};

class TFloatProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    bool AllEqual() const override;
};

class TStringProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    bool AllEqual() const override;
};

// The component's Name: one at a time, and renaming goes through the name checks.
class TComponentNameProperty : public TStringProperty {
  public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() const override;
};

// Captions and texts: the control follows every keystroke.
class TCaptionProperty : public TStringProperty {
  public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() const override;
};

// Owned sub-objects: shown as "(TClassName)", expanded into their own published properties.
class TClassProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void GetProperties(const TGetPropEditProc& Proc) const override;
};

// Fonts: a sub-object whose Name entry offers the installed families and whose Color entry is
// a colour.
class TFontProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
};

class TFontNameProperty : public TStringProperty {
  public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() const override;
    void GetValues(const TGetStrProc& Proc) const override;
};

// Colours: a name or a number, the list of named colours, and the colour dialog.
class TColorProperty : public TIntegerProperty {
  public:
    using TIntegerProperty::TIntegerProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    void GetValues(const TGetStrProc& Proc) const override;
    void Edit() override;
};

// A link to another component of the form, chosen by name from the components of a fitting
// class; an empty value clears the link.
class TComponentProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    void GetValues(const TGetStrProc& Proc) const override;
    bool AllEqual() const override;
};

// Events: bound to a published method of the form by name.
class TMethodProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void SetValue(const std::string& Value) override;
    void GetValues(const TGetStrProc& Proc) const override;
    bool AllEqual() const override;
};

// String lists and collections: shown as "(TStrings)"; their list editors are dialogs.
class TStringsProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() const override;
    void GetProperties(const TGetPropEditProc&) const override {}
};

class TCollectionProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void GetProperties(const TGetPropEditProc&) const override {}
};

// Binary data (pictures, glyphs): shown, not typed.
class TBinaryProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
};

// The named colours the colour editor offers, in the inspector's order.
const std::vector<std::string>& StandardColorNames();

} // namespace qel

QEL_PUBLIC_END
