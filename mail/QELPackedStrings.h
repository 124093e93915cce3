#pragma once
// The line list that holds encoded attachments and composed mail.
#include "mail/QELMailWire.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// A string list whose lines lie side by side in one character buffer. Adding a line costs no
// allocation of its own and a line can be read in place, which matters for the hundreds of
// thousands of base64 lines of a large attachment and for the composed mail that carries them.
// Replaced and deleted lines leave their characters behind until they make up half the buffer.
class TQELPackedStrings : public TStrings {
    QEL_CLASS(TQELPackedStrings, TStrings)
  public:
    TQELPackedStrings() = default;
    ~TQELPackedStrings() override;

    int Count() const override { return static_cast<int>(Spans_.size()); }
    std::string Get(int Index) const override { return std::string(Line(Index)); }
    void Put(int Index, const std::string& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    int Add(const std::string& S) override { return AddView(S); }
    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override;
    std::string Text() const override;

    // The line in place; valid until the list next changes.
    std::string_view Line(int Index) const {
        CheckIndex(Index);
        const TSpan& S = Spans_[static_cast<std::size_t>(Index)];
        return {Chars_.get() + S.Offset, S.Length};
    }
    int AddView(std::string_view S);
    // Appends a line of Length characters and returns where to write them; the pointer is valid
    // until the list next changes.
    char* AddLine(std::size_t Length) {
        if (Capacity_ - Size_ < Length) Grow(Length);
        const std::size_t At = Size_;
        Size_ += Length;
        Spans_.push_back({At, Length});
        if (!Objects_.empty()) Objects_.push_back(nullptr);
        return Chars_.get() + At;
    }
    // Room for Lines more lines holding Chars more characters, taken in one step.
    void Reserve(std::size_t Lines, std::size_t Chars);
    // Characters held, including those of replaced and deleted lines not yet reclaimed.
    std::size_t BufferSize() const { return Size_; }

  private:
    struct TSpan {
        std::size_t Offset;
        std::size_t Length;
    };
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= Count()) IndexError(Index);
    }
    [[noreturn]] static void IndexError(int Index);
    // Appends S to the buffer and returns where it starts.
    std::size_t Store(std::string_view S);
    void Grow(std::size_t Needed);
    // Moves the live lines into a new buffer of NewCapacity characters.
    void Rebuild(std::size_t NewCapacity);
    void Forget(std::size_t Length);

    std::unique_ptr<char[], mailwire::TLargeDeleter> Chars_;
    std::size_t Size_ = 0;
    std::size_t Capacity_ = 0;
    std::size_t Garbage_ = 0;
    std::vector<TSpan, mailwire::TLargeAllocator<TSpan>> Spans_;
    // Empty while no line carries an object; otherwise one entry per line.
    std::vector<TObject*> Objects_;
};

} // namespace qel

QEL_PUBLIC_END
