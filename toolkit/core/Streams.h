#pragma once
// Byte streams: the abstract TStream, memory, file and string streams. Form files, string lists
// and graphics load and save through these.
#include "toolkit/core/Export.h"
#include "toolkit/core/Object.h"
#include "toolkit/core/Properties.h"

#include <cstdint>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File open modes; one access mode optionally or-ed with a share mode (share modes are
// accepted for compatibility and have no effect).
enum : std::uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF, // create or truncate, read and write
};

class TStream : public TObject {
    QEL_CLASS(TStream, TObject)
  public:
    // Read and Write transfer up to Count bytes and return how many they did.
    virtual std::int64_t Read(void* Buffer, std::int64_t Count) = 0;
    virtual std::int64_t Write(const void* Buffer, std::int64_t Count) = 0;
    // Returns the new position.
    virtual std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) = 0;

    std::int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(std::int64_t Pos) { Seek(Pos, soBeginning); }
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t NewSize);

    // Exactly Count bytes or EReadError / EWriteError.
    void ReadBuffer(void* Buffer, std::int64_t Count);
    void WriteBuffer(const void* Buffer, std::int64_t Count);
    // Copies Count bytes from Source's position; Count 0 copies all of Source from its start.
    std::int64_t CopyFrom(TStream& Source, std::int64_t Count);
};

// A stream in memory that grows as it is written.
class TMemoryStream : public TStream {
    QEL_CLASS(TMemoryStream, TStream)
  public:
    TMemoryStream() = default;

    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    std::int64_t Size() override { return Size_; }
    void SetSize(std::int64_t NewSize) override;

    const std::uint8_t* Memory() const { return Data_.data(); }
    std::uint8_t* Memory() { return Data_.data(); }
    void Clear();
    void LoadFromStream(TStream& Stream);
    void LoadFromFile(const std::string& FileName);
    void SaveToStream(TStream& Stream) const;
    void SaveToFile(const std::string& FileName) const;

  private:
    std::vector<std::uint8_t> Data_;
    std::int64_t Size_ = 0;
    std::int64_t Pos_ = 0;
};

class TFileStream : public TStream {
    QEL_CLASS(TFileStream, TStream)
  public:
    // Throws EFOpenError / EFCreateError: Cannot open file "X". <reason>
    TFileStream(const std::string& FileName, std::uint16_t Mode);
    ~TFileStream() override;

    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(std::int64_t NewSize) override;

    const std::string& FileName() const { return FileName_; }
    int Handle() const { return Fd_; }

  private:
    std::string FileName_;
    int Fd_ = -1;
};

class TStringStream : public TStream {
    QEL_CLASS(TStringStream, TStream)
  public:
    explicit TStringStream(std::string AString = {}) : Data_(std::move(AString)) {}

    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(Data_.size()); }
    void SetSize(std::int64_t NewSize) override;

    const std::string& DataString() const { return Data_; }
    std::string ReadString(std::int64_t Count);
    void WriteString(const std::string& S) { WriteBuffer(S.data(), std::int64_t(S.size())); }

  private:
    std::string Data_;
    std::int64_t Pos_ = 0;
};

} // namespace qel

QEL_PUBLIC_END
