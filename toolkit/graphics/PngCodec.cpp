#include "toolkit/graphics/PngCodec.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/BmpCodec.h"

#include <cstdio>
#include <memory>
#include <png.h>

namespace qel {

std::vector<uint8_t> EncodePng(const TSurface& Img) {
    png_image Image{};
    Image.version = PNG_IMAGE_VERSION;
    Image.width = static_cast<png_uint_32>(Img.Width);
    Image.height = static_cast<png_uint_32>(Img.Height);
    Image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> Rgb(static_cast<std::size_t>(Img.Width) * Img.Height * 3);
    for (std::size_t I = 0; I < Img.Pixels.size(); ++I) {
        const uint32_t P = Img.Pixels[I];
        Rgb[3 * I] = (P >> 16) & 0xFF;
        Rgb[3 * I + 1] = (P >> 8) & 0xFF;
        Rgb[3 * I + 2] = P & 0xFF;
    }
    png_alloc_size_t Size = 0;
    if (!png_image_write_to_memory(&Image, nullptr, &Size, 0, Rgb.data(), 0, nullptr))
        throw EInvalidGraphic(std::string("PNG encoding failed: ") + Image.message);
    std::vector<uint8_t> Out(Size);
    if (!png_image_write_to_memory(&Image, Out.data(), &Size, 0, Rgb.data(), 0, nullptr))
        throw EInvalidGraphic(std::string("PNG encoding failed: ") + Image.message);
    Out.resize(Size);
    return Out;
}

void SavePng(const TSurface& Img, const std::string& FileName) {
    const std::vector<uint8_t> Data = EncodePng(Img);
    std::unique_ptr<FILE, int (*)(FILE*)> F(std::fopen(FileName.c_str(), "wb"), &std::fclose);
    if (!F) throw EFCreateError("Cannot create file \"" + FileName + "\"");
    if (std::fwrite(Data.data(), 1, Data.size(), F.get()) != Data.size())
        throw EWriteError("Cannot write file \"" + FileName + "\"");
}

TSurface DecodePng(std::span<const uint8_t> Data, uint32_t Background) {
    png_image Image{};
    Image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&Image, Data.data(), Data.size()))
        throw EInvalidGraphic(std::string("Invalid PNG image: ") + Image.message);
    struct TFree {
        png_image* I;
        ~TFree() { png_image_free(I); }
    } Guard{&Image};
    if (Image.width > MaxBitmapSide || Image.height > MaxBitmapSide ||
        static_cast<std::size_t>(Image.width) * Image.height > MaxBitmapPixels)
        throw EInvalidGraphic("Invalid PNG image: " + std::to_string(Image.width) + " x " +
                              std::to_string(Image.height) + " pixels exceeds the limits");
    Image.format = PNG_FORMAT_RGB;
    png_color Bg{static_cast<png_byte>((Background >> 16) & 0xFF),
                 static_cast<png_byte>((Background >> 8) & 0xFF),
                 static_cast<png_byte>(Background & 0xFF)};
    std::vector<uint8_t> Rgb(PNG_IMAGE_SIZE(Image));
    if (!png_image_finish_read(&Image, &Bg, Rgb.data(), 0, nullptr))
        throw EInvalidGraphic(std::string("Invalid PNG image: ") + Image.message);
    TSurface S(static_cast<int>(Image.width), static_cast<int>(Image.height));
    for (std::size_t I = 0; I < S.Pixels.size(); ++I)
        S.Pixels[I] =
            (uint32_t(Rgb[3 * I]) << 16) | (uint32_t(Rgb[3 * I + 1]) << 8) | Rgb[3 * I + 2];
    return S;
}

} // namespace qel
