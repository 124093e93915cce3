#pragma once
// Lists of strings, each line optionally paired with an object pointer (not owned). TStrings
// streams itself as the defined property "Strings" ( 'line' … ) in form files.
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Persistent.h"

#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
    QEL_CLASS(TStrings, TPersistent)
  public:
    TStrings() = default;
    ~TStrings() override = default;

    virtual int Count() const = 0;
    virtual std::string Get(int Index) const = 0;
    virtual void Put(int Index, const std::string& S);
    virtual TObject* GetObject(int Index) const;
    virtual void PutObject(int Index, TObject* AObject);
    std::string Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const std::string& S) { Put(Index, S); }
    std::string operator[](int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* O) { PutObject(Index, O); }

    virtual int Add(const std::string& S);
    virtual int AddObject(const std::string& S, TObject* AObject);
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual void Move(int CurIndex, int NewIndex);
    virtual void Exchange(int Index1, int Index2);
    virtual int IndexOf(const std::string& S) const;
    int IndexOfName(const std::string& Name) const;
    int IndexOfObject(const TObject* AObject) const;
    void AddStrings(const TStrings& Strings);
    void Append(const std::string& S) { Add(S); }
    // Same lines in the same order, compared case-sensitively; objects are not compared.
    bool Equals(const TStrings& Strings) const;

    // Lines joined by LineBreak, each line followed by one; setting splits at CR, LF or CR LF.
    virtual std::string Text() const;
    virtual void SetText(std::string_view Value);
    // Items separated by Delimiter, quoted with QuoteChar when they contain a delimiter, the
    // quote or a character up to space. Unless StrictDelimiter is set, unquoted spaces also
    // separate items when reading.
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view Value);
    std::string CommaText() const;
    void SetCommaText(std::string_view Value);
    char Delimiter() const { return Delimiter_; }
    void SetDelimiter(char C) { Delimiter_ = C; }
    char QuoteChar() const { return QuoteChar_; }
    void SetQuoteChar(char C) { QuoteChar_ = C; }
    bool StrictDelimiter() const { return StrictDelimiter_; }
    void SetStrictDelimiter(bool V) { StrictDelimiter_ = V; }
    char NameValueSeparator() const { return NameValueSeparator_; }
    void SetNameValueSeparator(char C) { NameValueSeparator_ = C; }
    const std::string& LineBreak() const { return LineBreak_; }
    void SetLineBreak(std::string V) { LineBreak_ = std::move(V); }

    // Name=Value lines.
    std::string Names(int Index) const;
    std::string Values(const std::string& Name) const;
    // An empty value deletes the line, as the classic toolkit does.
    void SetValues(const std::string& Name, const std::string& Value);
    std::string ValueFromIndex(int Index) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return UpdateCount_; }

    void Assign(const TPersistent* Source) override;
    void DefineProperties(TFiler& Filer) override;

    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;
    virtual void LoadFromStream(TStream& Stream);
    virtual void SaveToStream(TStream& Stream) const;

    std::vector<std::string> ToVector() const;

  protected:
    virtual void SetUpdateState(bool /*Updating*/) {}
    virtual bool CompareStrings(std::string_view S1, std::string_view S2) const;

  private:
    int UpdateCount_ = 0;
    char Delimiter_ = ',';
    char QuoteChar_ = '"';
    char NameValueSeparator_ = '=';
    bool StrictDelimiter_ = false;
    std::string LineBreak_ = "\n";
};

class TStringList : public TStrings {
    QEL_CLASS(TStringList, TStrings)
  public:
    TStringList() = default;
    ~TStringList() override;

    int Count() const override { return static_cast<int>(Items_.size()); }
    std::string Get(int Index) const override;
    void Put(int Index, const std::string& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;

    int Add(const std::string& S) override;
    int AddObject(const std::string& S, TObject* AObject) override;
    void Insert(int Index, const std::string& S) override;
    void InsertObject(int Index, const std::string& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;
    int IndexOf(const std::string& S) const override;
    void SetText(std::string_view Value) override;

    // Binary search of a sorted list: true when found; Index is the match or the insertion point.
    bool Find(const std::string& S, int& Index) const;
    virtual void Sort();
    void CustomSort(const std::function<int(TStringList& List, int Index1, int Index2)>& Compare);

    bool Sorted() const { return Sorted_; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return Duplicates_; }
    void SetDuplicates(TDuplicates V) { Duplicates_ = V; }
    bool CaseSensitive() const { return CaseSensitive_; }
    void SetCaseSensitive(bool Value);
    int Capacity() const { return static_cast<int>(Items_.capacity()); }
    void SetCapacity(int NewCapacity);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

  protected:
    void SetUpdateState(bool Updating) override;
    bool CompareStrings(std::string_view S1, std::string_view S2) const override;
    virtual void Changed();
    virtual void Changing();

  private:
    struct TItem {
        std::string S;
        TObject* Obj = nullptr;
    };
    void Check(int Index) const;
    void InsertItem(int Index, const std::string& S, TObject* AObject);
    int CompareForSort(std::string_view A, std::string_view B) const;

    std::vector<TItem> Items_;
    bool Sorted_ = false;
    bool CaseSensitive_ = false;
    TDuplicates Duplicates_ = dupIgnore;
};

} // namespace qel

QEL_PUBLIC_END
