#pragma once
// Component editors: what the designer does when a component is double-clicked and which verbs
// its context menu offers.
#include "toolkit/core/Export.h"
#include "toolkit/designer/PropEdit.h"

#include <functional>
#include <memory>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TComponentEditor {
  public:
    TComponentEditor(TComponent* Component, TDesigner* Designer);
    virtual ~TComponentEditor() = default;
    TComponentEditor(const TComponentEditor&) = delete;
    TComponentEditor& operator=(const TComponentEditor&) = delete;

    // Double-click: the default runs the first verb, when there is one.
    virtual void Edit();
    virtual void ExecuteVerb(int /*Index*/) {}
    virtual std::string GetVerb(int /*Index*/) const { return {}; }
    virtual int GetVerbCount() const { return 0; }

    TComponent* Component() const { return Component_; }
    TDesigner* Designer() const { return Designer_; }

  private:
    TComponent* Component_;
    TDesigner* Designer_;
};

// Double-click edits the component's main event: OnCreate, else OnChange, else OnClick, else
// its first event. Without code behind the form, editing an event binds the form's method
// named after the component and the event (Button1Click) when the form publishes one.
class TDefaultEditor : public TComponentEditor {
  public:
    using TComponentEditor::TComponentEditor;
    void Edit() override;

  protected:
    // Edits the chosen event; the default binds the form's method of the default name when the
    // event has no handler yet.
    virtual void EditProperty(TPropertyEditor& Prop);
    // The method name a new handler gets: component name plus the event without "On".
    std::string DefaultMethodName(const TPropertyEditor& Prop) const;
};

struct TComponentEditorClass {
    std::string Name;
    std::function<std::unique_ptr<TComponentEditor>(TComponent*, TDesigner*)> Create;
    explicit operator bool() const { return static_cast<bool>(Create); }
};
template <class E> TComponentEditorClass ComponentEditorClass(std::string Name) {
    return {std::move(Name), [](TComponent* C, TDesigner* D) {
                return std::unique_ptr<TComponentEditor>(new E(C, D));
            }};
}

} // namespace qel

QEL_PUBLIC_END
