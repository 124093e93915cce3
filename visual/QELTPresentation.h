#pragma once
// Slide shows: the slides and their collection, the presentation control that plays them with
// the transitions of QELTSlideEffects.h, and the container that switches whole forms with them.
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Collection.h"
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Bitmap.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELTSlideEffects.h"
#include "visual/QELZoradodo.h"

#include <functional>
#include <memory>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

// One slide: a text (Style 1) or a picture (Style 2); any other style shows only the
// background. Effect is a TQELSlideeffects ordinal, 0 for a random one.
class TQELSlide : public TCollectionItem {
    QEL_CLASS(TQELSlide, TCollectionItem)
  public:
    explicit TQELSlide(TCollection* ACollection);
    ~TQELSlide() override;
    void Assign(const TPersistent* Source) override;

    TBitmap* Bitmap() const { return FBitmap.get(); }
    // Assigns into the owned picture.
    void SetBitmap(TBitmap* Value);
    int Style() const { return FStyle; }
    void SetStyle(int Value) { FStyle = Value; }
    int Effect() const { return FEffect; }
    void SetEffect(int Value) { FEffect = Value; }
    const std::string& Text() const { return FText; }
    void SetText(const std::string& Value) { FText = Value; }
    // The slide's display name ("Slide - 0" …); hides the collection item's numeric ID.
    const std::string& ID() const { return FID; }
    void SetID(const std::string& Value) { FID = Value; }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value) { FStretch = Value; }

  protected:
    std::string GetDisplayName() const override;

  private:
    std::unique_ptr<TBitmap> FBitmap;
    int FStyle = 0;
    int FEffect = 0;
    std::string FText;
    std::string FID;
    bool FStretch = false;
};

class TQELSlides : public TCollection {
    QEL_CLASS(TQELSlides, TCollection)
  public:
    // Owner: the component the collection is a property of (it streams with it).
    explicit TQELSlides(TPersistent* Owner = nullptr);

    TQELSlide* Add() { return static_cast<TQELSlide*>(TCollection::Add()); }
    TQELSlide* Items(int Index) const { return static_cast<TQELSlide*>(TCollection::Items(Index)); }
    TQELSlide* GetItem(int Index) const { return Items(Index); }
    // Assigns into the slide at Index.
    void SetItem(int Index, const TQELSlide* Value) { Items(Index)->Assign(Value); }
    // Frees slide Index and renames the rest "Slide - " and their position; True.
    bool Delete(int Index);
    // Exchanges the contents of slides A and B; each position keeps its own ID.
    void Move(int A, int B);
    // The slide the slides editor works on (not streamed).
    int EditIndex() const { return FEditIndex; }
    void SetEditIndex(int Value) { FEditIndex = Value; }

  protected:
    TPersistent* GetOwner() const override { return FOwner; }

  private:
    TPersistent* FOwner;
    int FEditIndex = 0;
};

// A label-like control that plays its slides: each is composed over the background and
// brought on with its transition; a thread timer moves on to the next one.
class TQELPresentation : public TCustomLabel {
    QEL_CLASS(TQELPresentation, TCustomLabel)
  public:
    explicit TQELPresentation(TComponent* AOwner);
    ~TQELPresentation() override;

    TQELSlides* Slides() const { return FSlides; }
    void SetSlides(TQELSlides* Value);
    int Speed() const { return FSpeed; }
    // Negative values are ignored; the timer gets the low 16 bits.
    void SetSpeed(int Value);
    bool KeepLooping() const { return FKeepLooping; }
    void SetKeepLooping(bool Value) { FKeepLooping = Value; }
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetBackground(TQELBackground* Value) { FBackground.Set(Value); }
    TQELBackground* FontBackground() const { return FFontBackground.Get(); }
    void SetFontBackground(TQELBackground* Value) { FFontBackground.Set(Value); }
    TQELFont3D* Font3D() const { return FFont3D; }
    void SetFont3D(TQELFont3D* Value);
    TNotifyEvent OnSlideDone;
    TNotifyEvent OnLoopDone;

    // Starts (or resumes) the show at the slide the timer's Tag holds.
    void LoopSlides();
    // Stops after the current transition; a later LoopSlides goes on with the next slide.
    void Stop();
    bool Running() const;
    // Composes slide Index and plays its transition onto the control.
    virtual void DoOneSlide(int Index);
    // The timer's handler: one slide, then the events and the next index.
    void RunSlides(TObject* Sender);
    // The index of the next slide to show (the timer's Tag).
    int NextSlide() const;
    TQELTimer32* Timer() const { return FTimer; }

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;

  private:
    TQELSlides* FSlides = nullptr;
    int FSpeed = 1000;
    bool FKeepLooping = false;
    TQELBackgroundLink FBackground{*this};
    TQELBackgroundLink FFontBackground{*this};
    TQELFont3D* FFont3D = nullptr;
    TQELTimer32* FTimer = nullptr;
};

// Starts every presentation Root owns that has slides: a form file cannot say that its show
// should run, so programs that only display forms (qel-render --run) ask for it.
int StartPresentations(TComponent* Root);

// Hosts one form at a time inside its own area and switches to another with a transition.
class TQELFormSlide : public TCustomControl {
    QEL_CLASS(TQELFormSlide, TCustomControl)
  public:
    explicit TQELFormSlide(TComponent* AOwner);
    ~TQELFormSlide() override;

    TQELSlideeffects SlideEffect() const { return FSlideEffect; }
    void SetSlideEffect(TQELSlideeffects Value) { FSlideEffect = Value; }

    // Switches to AForm; the caller keeps it.
    void Show(TForm* AForm);
    // Creates a form of FormClass and switches to it; the container frees it when it is
    // replaced. Raises EInvalidCast when the class is not a form class.
    void ShowInstance(const TClass& FormClass);
    TForm* CurrentForm() const { return FForm; }
    bool Busy() const { return FBusy; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;

  private:
    // Incoming gives the new form (creating it when Created) after the snapshot is taken.
    void Switch(const std::function<TForm*()>& Incoming, bool Created);
    void TakeSnapshot();
    void Watch(TComponent* C);

    std::unique_ptr<TBitmap> FSnapshot;
    TForm* FForm = nullptr;
    TWinControl* FSavedParent = nullptr;
    bool FOwnsForm = false;
    // The form being replaced, while a switch runs.
    TForm* FOutgoing = nullptr;
    TWinControl* FOutgoingParent = nullptr;
    bool FOutgoingOwned = false;
    bool FBusy = false;
    TQELSlideeffects FSlideEffect = efRandom;
};

} // namespace qel

QEL_PUBLIC_END
