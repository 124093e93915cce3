#pragma once
// Base classes of the package's controls: a windowed control with its own canvas and a
// background link, and a graphic control that publishes the toolkit's layout and drag
// properties; and the sizable header, a bar of sections whose dividers the user drags.
#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Controls.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"
#include "visual/QELBackgroundLink.h"

#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// ===== Base classes =========================================================================

class TQELCustomControl : public TWinControl {
    QEL_CLASS(TQELCustomControl, TWinControl)
  public:
    explicit TQELCustomControl(TComponent* AOwner);
    ~TQELCustomControl() override;

    TControlCanvas* Canvas() const { return Canvas_; }
    TQELBackground* Background() const { return Background_.Get(); }
    // Leaves the old background's client list, joins the new one's and repaints.
    void SetBack(TQELBackground* Value);

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;

  protected:
    void PaintWindow(HDC DC) override;
    virtual void Paint();

  private:
    TControlCanvas* Canvas_ = nullptr;
    TQELBackgroundLink Background_{*this};
};

class TQELGraphicControl : public TGraphicControl {
    QEL_CLASS(TQELGraphicControl, TGraphicControl)
  public:
    using TGraphicControl::TGraphicControl;
};

// Publishes the inherited properties every package graphic control shows, with the toolkit's
// defaults (subclasses call it from their describe function when they republish).
template <class T> void PublishQELGraphicControl(TClassBuilder<T>& B) {
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragCursor", "DragKind", "DragMode",
               "ParentBiDiMode"});
}

// ===== End of base classes ==================================================================

// ===== Sizable header =======================================================================

class TQELFont3D;
class TQELHeader;
class TReader;
class TWriter;

using TQELSectionChange = TEvent<void(TObject* Sender, int ASection, int AWidth)>;

// The header's section list: a caption, a width and an object per line. Form files keep the
// widths in the defined property "Sections", one string per section: NUL, the width in decimal,
// NUL, the caption.
class TQELHeaderStrings : public TStrings {
    QEL_CLASS(TQELHeaderStrings, TStrings)
  public:
    explicit TQELHeaderStrings(TQELHeader* Header = nullptr) : Header_(Header) {}
    ~TQELHeaderStrings() override;

    int Count() const override { return static_cast<int>(Sections_.size()); }
    std::string Get(int Index) const override;
    void Put(int Index, const std::string& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override;
    // Keeps the width and object of every line that stays, so a list that differs by one line
    // loses only that line's width.
    void Assign(const TPersistent* Source) override;
    void DefineProperties(TFiler& Filer) override;

    int Width(int Index) const;
    void SetWidth(int Index, int Value);
    TQELHeader* Header() const { return Header_; }
    void SetHeader(TQELHeader* Header) { Header_ = Header; }

    // One stream entry and its reading; entries without the leading NUL, or with a width that
    // is no integer, get the width 75.
    static std::string EncodeSection(int Width, const std::string& Caption);
    static void DecodeSection(const std::string& Entry, int& Width, std::string& Caption);

  protected:
    void SetUpdateState(bool Updating) override;

  private:
    struct TSection {
        TObject* Object = nullptr;
        int Width = 75;
        std::string Caption;
    };
    void Check(int Index) const;
    int NewWidth(const std::string& Caption) const;
    void Changed() const;
    void ReadSections(TReader& Reader);
    void WriteSections(TWriter& Writer) const;

    std::vector<TSection> Sections_;
    TQELHeader* Header_ = nullptr;
};

class TQELHeader : public TQELCustomControl {
    QEL_CLASS(TQELHeader, TQELCustomControl)
  public:
    explicit TQELHeader(TComponent* AOwner);
    ~TQELHeader() override;

    bool AllowResize() const { return FAllowResize; }
    void SetAllowResize(bool Value) { FAllowResize = Value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3D(TQELFont3D* Value);
    TStrings* Sections() const { return FSections.get(); }
    void SetSections(TStrings* Value);
    void FreeSections();
    TQELSectionChange OnSizing;
    TQELSectionChange OnSized;

    // The last section reaches the right edge: its width is what the others leave.
    int GetWidth(int Index) const;
    void SetWidth(int Index, int Value);
    int SectionWidth(int Index) const { return GetWidth(Index); }
    // The section whose divider a drag moves, and whether a drag would start (or runs).
    int SizingIndex() const { return FSizingIndex; }
    bool IsSizing() const { return FSizing; }
    bool Pressed() const { return FPressed; }

    void WndProc(TMessage& Message) override;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    virtual void Sizing(int ASection, int AWidth);
    virtual void Sized(int ASection, int AWidth);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  private:
    // Finds the divider under the pointer and shows the resize cursor over it; false when the
    // inherited cursor handling should run.
    bool SetDividerCursor();
    TQELHeaderStrings& List() const { return *FSections; }

    std::unique_ptr<TQELFont3D> FFont3D;
    std::unique_ptr<TQELHeaderStrings> FSections;
    bool FAllowResize = true;
    TBorderStyle FBorderStyle = bsNone;
    bool FPressed = false;
    TPoint FMouseDownPoint;
    TPoint FHitTest;
    bool FSizing = false;
    int FSizingIndex = 0;
    int FSizingOffset = 0;
};

// ===== End of sizable header ================================================================

} // namespace qel

QEL_PUBLIC_END
