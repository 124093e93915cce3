#include "toolkit/core/Streams.h"

#include "toolkit/core/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

QEL_IMPLEMENT_ABSTRACT(TStream, TObject, NoProperties<TStream>)
QEL_IMPLEMENT_CLASS(TMemoryStream, TStream, NoProperties<TMemoryStream>)
QEL_IMPLEMENT_CLASS(TFileStream, TStream, NoProperties<TFileStream>)
QEL_IMPLEMENT_CLASS(TStringStream, TStream, NoProperties<TStringStream>)

// ----- TStream -----------------------------------------------------------------------------

std::int64_t TStream::Size() {
    std::int64_t Pos = Seek(0, soCurrent);
    std::int64_t End = Seek(0, soEnd);
    Seek(Pos, soBeginning);
    return End;
}

void TStream::SetSize(std::int64_t) {
    throw EStreamError(ClassName() + " does not support changing its size");
}

void TStream::ReadBuffer(void* Buffer, std::int64_t Count) {
    if (Count < 0 || Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, std::int64_t Count) {
    if (Count < 0 || Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& Source, std::int64_t Count) {
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    std::int64_t Result = Count;
    char Buf[65536];
    while (Count > 0) {
        std::int64_t N = std::min<std::int64_t>(Count, sizeof Buf);
        Source.ReadBuffer(Buf, N);
        WriteBuffer(Buf, N);
        Count -= N;
    }
    return Result;
}

static std::int64_t SeekTarget(std::int64_t Offset, TSeekOrigin Origin, std::int64_t Pos,
                               std::int64_t Size) {
    std::int64_t Base = Origin == soBeginning ? 0 : Origin == soCurrent ? Pos : Size;
    std::int64_t Target = Base + Offset;
    if (Target < 0) throw EStreamError("Seek before the start of the stream");
    return Target;
}

// ----- TMemoryStream -----------------------------------------------------------------------

std::int64_t TMemoryStream::Read(void* Buffer, std::int64_t Count) {
    if (Count <= 0 || Pos_ >= Size_) return 0;
    std::int64_t N = std::min(Count, Size_ - Pos_);
    std::memcpy(Buffer, Data_.data() + Pos_, static_cast<std::size_t>(N));
    Pos_ += N;
    return N;
}

std::int64_t TMemoryStream::Write(const void* Buffer, std::int64_t Count) {
    if (Count <= 0) return 0;
    std::int64_t End = Pos_ + Count;
    if (End > static_cast<std::int64_t>(Data_.size())) {
        // Geometric growth keeps many small writes linear overall.
        std::size_t Cap = std::max<std::size_t>(Data_.size() * 2, 256);
        Data_.resize(std::max<std::size_t>(Cap, static_cast<std::size_t>(End)));
    }
    std::memcpy(Data_.data() + Pos_, Buffer, static_cast<std::size_t>(Count));
    Pos_ = End;
    if (End > Size_) Size_ = End;
    return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
    Pos_ = SeekTarget(Offset, Origin, Pos_, Size_);
    return Pos_;
}

void TMemoryStream::SetSize(std::int64_t NewSize) {
    if (NewSize < 0) throw EStreamError("Invalid stream size");
    Data_.resize(static_cast<std::size_t>(NewSize));
    Size_ = NewSize;
    if (Pos_ > Size_) Pos_ = Size_;
}

void TMemoryStream::Clear() {
    Data_.clear();
    Data_.shrink_to_fit();
    Size_ = Pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
    Stream.SetPosition(0);
    std::int64_t N = Stream.Size();
    SetSize(N);
    if (N) Stream.ReadBuffer(Data_.data(), N);
    Pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(F);
}

void TMemoryStream::SaveToStream(TStream& Stream) const {
    if (Size_) Stream.WriteBuffer(Data_.data(), Size_);
}

void TMemoryStream::SaveToFile(const std::string& FileName) const {
    TFileStream F(FileName, fmCreate);
    SaveToStream(F);
}

// ----- TFileStream -------------------------------------------------------------------------

TFileStream::TFileStream(const std::string& FileName, std::uint16_t Mode) : FileName_(FileName) {
    if (Mode == fmCreate) {
        Fd_ = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (Fd_ < 0)
            throw EFCreateError("Cannot create file \"" + FileName + "\". " + std::strerror(errno));
        return;
    }
    int Flags = O_CLOEXEC;
    switch (Mode & 3) {
    case fmOpenWrite:
        Flags |= O_WRONLY;
        break;
    case fmOpenReadWrite:
        Flags |= O_RDWR;
        break;
    default:
        Flags |= O_RDONLY;
        break;
    }
    Fd_ = ::open(FileName.c_str(), Flags);
    if (Fd_ < 0)
        throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
    struct stat St;
    if (::fstat(Fd_, &St) == 0 && S_ISDIR(St.st_mode)) {
        ::close(Fd_);
        Fd_ = -1;
        throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(EISDIR));
    }
}

TFileStream::~TFileStream() {
    if (Fd_ >= 0) ::close(Fd_);
}

std::int64_t TFileStream::Read(void* Buffer, std::int64_t Count) {
    std::int64_t Done = 0;
    auto* P = static_cast<char*>(Buffer);
    while (Done < Count) {
        ssize_t N = ::read(Fd_, P + Done, static_cast<std::size_t>(Count - Done));
        if (N < 0 && errno == EINTR) continue;
        if (N < 0)
            throw EReadError("Cannot read file \"" + FileName_ + "\". " + std::strerror(errno));
        if (N == 0) break;
        Done += N;
    }
    return Done;
}

std::int64_t TFileStream::Write(const void* Buffer, std::int64_t Count) {
    std::int64_t Done = 0;
    const auto* P = static_cast<const char*>(Buffer);
    while (Done < Count) {
        ssize_t N = ::write(Fd_, P + Done, static_cast<std::size_t>(Count - Done));
        if (N < 0 && errno == EINTR) continue;
        if (N < 0)
            throw EWriteError("Cannot write file \"" + FileName_ + "\". " + std::strerror(errno));
        Done += N;
    }
    return Done;
}

std::int64_t TFileStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
    int W = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t R = ::lseek(Fd_, static_cast<off_t>(Offset), W);
    if (R < 0)
        throw EStreamError("Cannot seek in file \"" + FileName_ + "\". " + std::strerror(errno));
    return R;
}

void TFileStream::SetSize(std::int64_t NewSize) {
    if (::ftruncate(Fd_, static_cast<off_t>(NewSize)) != 0)
        throw EStreamError("Cannot resize file \"" + FileName_ + "\". " + std::strerror(errno));
    if (Position() > NewSize) Seek(NewSize, soBeginning);
}

// ----- TStringStream -----------------------------------------------------------------------

std::int64_t TStringStream::Read(void* Buffer, std::int64_t Count) {
    std::int64_t Size = static_cast<std::int64_t>(Data_.size());
    if (Count <= 0 || Pos_ >= Size) return 0;
    std::int64_t N = std::min(Count, Size - Pos_);
    std::memcpy(Buffer, Data_.data() + Pos_, static_cast<std::size_t>(N));
    Pos_ += N;
    return N;
}

std::int64_t TStringStream::Write(const void* Buffer, std::int64_t Count) {
    if (Count <= 0) return 0;
    std::size_t End = static_cast<std::size_t>(Pos_ + Count);
    if (End > Data_.size()) Data_.resize(End);
    std::memcpy(Data_.data() + Pos_, Buffer, static_cast<std::size_t>(Count));
    Pos_ += Count;
    return Count;
}

std::int64_t TStringStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
    Pos_ = SeekTarget(Offset, Origin, Pos_, static_cast<std::int64_t>(Data_.size()));
    return Pos_;
}

void TStringStream::SetSize(std::int64_t NewSize) {
    if (NewSize < 0) throw EStreamError("Invalid stream size");
    Data_.resize(static_cast<std::size_t>(NewSize));
    if (Pos_ > NewSize) Pos_ = NewSize;
}

std::string TStringStream::ReadString(std::int64_t Count) {
    std::int64_t Size = static_cast<std::int64_t>(Data_.size());
    std::int64_t N = std::max<std::int64_t>(0, std::min(Count, Size - Pos_));
    std::string R = Data_.substr(static_cast<std::size_t>(Pos_), static_cast<std::size_t>(N));
    Pos_ += N;
    return R;
}

} // namespace qel
