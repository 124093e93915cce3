#pragma once
// The form designer as the editors see it: the form being designed (its root), the selection,
// and the "something changed" call every editor makes after it changes a property. Design
// windows are the non-modal tool windows that follow the selection (message lists and the
// like); the designer tells them what happens to the form.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TDesignWindow;

// Objects the designer has selected: components, or collection items and other persistents
// that a design window put into the inspector.
using TDesignerSelections = std::vector<TPersistent*>;

class TDesigner {
  public:
    // Root is the form (or data module) being designed; the designer does not own it.
    explicit TDesigner(TComponent* Root);
    virtual ~TDesigner();
    TDesigner(const TDesigner&) = delete;
    TDesigner& operator=(const TDesigner&) = delete;

    TComponent* Root() const { return Root_; }
    // A new form replaces the old one (open, undo): the selection is cleared.
    void SetRoot(TComponent* Root);

    // Called after anything of the form changed; marks the form modified and tells the design
    // windows and OnModified.
    virtual void Modified();
    bool IsModified() const { return Modified_; }
    void SetModifiedFlag(bool V) { Modified_ = V; }
    // Counts the calls of Modified, so tests and the undo keeper can see that one happened.
    int ModifiedCount() const { return ModifiedCount_; }
    std::function<void()> OnModified;

    const TDesignerSelections& Selections() const { return Selection_; }
    void GetSelections(TDesignerSelections& List) const { List = Selection_; }
    // Objects already freed must never be handed in; components that are freed later leave the
    // selection by themselves.
    void SetSelections(const TDesignerSelections& List);
    void SelectComponent(TPersistent* Instance);
    void ClearSelection() { SetSelections({}); }
    bool IsSelected(const TPersistent* Instance) const;
    std::function<void()> OnSelectionChanged;

    // Names of the root and of the components it owns whose class inherits from C, in
    // creation order (the inspector's list for a component reference).
    std::vector<std::string> GetComponentNames(const TClass& C) const;
    // The root or one of its components by name (case-insensitive); nullptr when none.
    TComponent* GetComponent(const std::string& Name) const;
    // A name not used under the root: the class name without its "T" plus the lowest number
    // from 1 up that is free ("QELLabel1").
    std::string UniqueName(const std::string& ClassName) const;

    // Names of the root's published methods, for event properties.
    std::vector<std::string> GetMethods() const;

    // An object that is not a component (a collection item) is about to be freed: it leaves
    // the selection and the design windows hear of it.
    void ItemDeleted(TPersistent* Item);

    // Design windows register themselves; the designer never owns them.
    void AddDesignWindow(TDesignWindow* W);
    void RemoveDesignWindow(TDesignWindow* W);
    const std::vector<TDesignWindow*>& DesignWindows() const { return Windows_; }
    // The open design window of class C (or a subclass), nullptr when none is open.
    TDesignWindow* FindDesignWindow(const TClass& C) const;

  private:
    class TWatcher;
    void ComponentFreed(TComponent* C);
    void NotifySelection();

    TComponent* Root_;
    std::unique_ptr<TWatcher> Watcher_; // hears when selected components are freed
    TDesignerSelections Selection_;
    std::vector<TDesignWindow*> Windows_;
    bool Modified_ = false;
    int ModifiedCount_ = 0;
};

// A non-modal tool window of the designer. It learns of selection changes, of objects being
// deleted and of the designer going away, after which it must not touch the designer again.
class TDesignWindow : public TForm {
    QEL_CLASS(TDesignWindow, TForm)
  public:
    explicit TDesignWindow(TComponent* AOwner);
    ~TDesignWindow() override;

    TDesigner* Designer() const { return Designer_; }
    // Registers the window with Designer (and leaves the previous one).
    void SetDesigner(TDesigner* Designer);

    virtual void SelectionChanged(const TDesignerSelections& /*Selection*/) {}
    virtual void ItemDeleted(TPersistent* /*Item*/) {}
    virtual void FormModified() {}
    // The designer is being destroyed; the default closes the window.
    virtual void DesignerClosed();

  private:
    friend class TDesigner;
    TDesigner* Designer_ = nullptr;
};

} // namespace qel

QEL_PUBLIC_END
