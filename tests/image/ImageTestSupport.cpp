#include "tests/image/ImageTestSupport.h"
#include <cstdio>
#include <cstring>
#include <csetjmp>
#include <png.h>
#include <jpeglib.h>
#include "image/CxImage.h"

namespace imgtest {

void Put16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void Set32(Bytes& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.at(at + i) = uint8_t(v >> (8 * i));
}

uint32_t Get32(const Bytes& in, size_t at) {
    return in.at(at) | (in.at(at + 1) << 8) | (in.at(at + 2) << 16) | (uint32_t(in.at(at + 3)) << 24);
}

Bytes MakeBmp(const BmpSpec& s) {
    Bytes dib;
    bool core = s.headerSize == 12;
    Put32(dib, s.headerSize);
    if (core) {
        Put16(dib, s.width);
        Put16(dib, s.height);
        Put16(dib, 1);
        Put16(dib, s.bpp);
    } else {
        Put32(dib, uint32_t(s.width));
        Put32(dib, uint32_t(s.height));
        Put16(dib, 1);
        Put16(dib, s.bpp);
        Put32(dib, s.compression);
        Put32(dib, uint32_t(s.pixels.size()));
        Put32(dib, 3780);
        Put32(dib, 3780);
        Put32(dib, s.clrUsed);
        Put32(dib, 0);
        if (s.headerSize > 40) {
            for (size_t i = 0; i < 4; ++i) Put32(dib, i < s.masks.size() ? s.masks[i] : 0);
            dib.resize(s.headerSize, 0);
        }
    }
    if (s.headerSize == 40 && (s.compression == 3 || s.compression == 6))
        for (uint32_t m : s.masks) Put32(dib, m);
    for (uint32_t c : s.palette) {
        dib.push_back(uint8_t(c));
        dib.push_back(uint8_t(c >> 8));
        dib.push_back(uint8_t(c >> 16));
        if (!core) dib.push_back(0);
    }
    for (uint32_t i = 0; i < s.gap; ++i) dib.push_back(uint8_t(0xA5 ^ i));
    size_t pixelOffset = dib.size();
    dib.insert(dib.end(), s.pixels.begin(), s.pixels.end());
    if (!s.fileHeader) return dib;
    Bytes file = { 'B', 'M' };
    Put32(file, uint32_t(14 + dib.size()));
    Put32(file, 0);
    Put32(file, uint32_t(14 + pixelOffset));
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

std::vector<uint32_t> RenderWithGdi(const Bytes& bmpFile, uint32_t background) {
    // The header stands at byte 14 of the file, where a BITMAPINFO is not
    // aligned: it is read from an aligned copy of the rest of the file.
    std::vector<uint32_t> aligned((bmpFile.size() - 14 + 3) / 4);
    memcpy(aligned.data(), bmpFile.data() + 14, bmpFile.size() - 14);
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(aligned.data());
    const uint8_t* bits = bmpFile.data() + Get32(bmpFile, 10);
    int width = info->bmiHeader.biWidth, height = abs(info->bmiHeader.biHeight);
    if (info->bmiHeader.biSize == 12) {
        const BITMAPCOREHEADER* c = reinterpret_cast<const BITMAPCOREHEADER*>(info);
        width = c->bcWidth;
        height = c->bcHeight;
    }
    CDibCanvas canvas(width, height, background);
    StretchDIBits(canvas.dc(), 0, 0, width, height, 0, 0, width, height, bits, info, DIB_RGB_COLORS,
                  SRCCOPY);
    std::vector<uint32_t> out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.push_back(canvas.At(x, y) & 0xFFFFFF);
    return out;
}

std::vector<uint32_t> PixelsTopDown(const CxImage& image) {
    std::vector<uint32_t> out;
    DWORD w = image.GetWidth(), h = image.GetHeight();
    for (DWORD y = 0; y < h; ++y) {
        for (DWORD x = 0; x < w; ++x) {
            RGBQUAD c = image.GetPixelColor(x, h - 1 - y);
            out.push_back((uint32_t(c.rgbReserved) << 24) | (c.rgbRed << 16) | (c.rgbGreen << 8) | c.rgbBlue);
        }
    }
    return out;
}

namespace {

struct PngBuffer {
    Bytes* out;
    const Bytes* in;
    size_t pos;
};

void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngQuiet(png_structp, png_const_charp) {}

void PngPut(png_structp png, png_bytep data, size_t length) {
    PngBuffer* b = static_cast<PngBuffer*>(png_get_io_ptr(png));
    b->out->insert(b->out->end(), data, data + length);
}
void PngNoFlush(png_structp) {}

void PngGet(png_structp png, png_bytep data, size_t length) {
    PngBuffer* b = static_cast<PngBuffer*>(png_get_io_ptr(png));
    if (b->pos + length > b->in->size()) png_error(png, "eof");
    memcpy(data, b->in->data() + b->pos, length);
    b->pos += length;
}

bool WritePngCore(png_structp png, png_infop info, const PngSpec& s, PngBuffer* buffer,
                  std::vector<png_bytep>& rows, png_color* palette) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, buffer, PngPut, PngNoFlush);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.colourType,
                 s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, palette, int(s.palette.size()));
    if (!s.trns.empty()) png_set_tRNS(png, info, s.trns.data(), int(s.trns.size()), nullptr);
    if (s.trnsGrey >= 0) {
        png_color_16 grey = {};
        grey.gray = png_uint_16(s.trnsGrey);
        png_set_tRNS(png, info, nullptr, 0, &grey);
    }
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    return true;
}

bool ReadPngCore(png_structp png, png_infop info, PngFacts& f, PngBuffer* buffer,
                 Bytes& pixels, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, buffer, PngGet);
    png_read_info(png, info);
    png_uint_32 w, h;
    png_get_IHDR(png, info, &w, &h, &f.depth, &f.colourType, nullptr, nullptr, nullptr);
    f.width = int(w);
    f.height = int(h);
    f.hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    f.hasPhys = png_get_pHYs(png, info, &f.xppm, &f.yppm, &f.unit) != 0;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    pixels.resize(size_t(w) * h * 4);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels.data() + size_t(y) * w * 4;
    png_read_image(png, rows.data());
    return true;
}

}  // namespace

Bytes MakePng(const PngSpec& s) {
    Bytes out;
    PngBuffer buffer = { &out, nullptr, 0 };
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngQuiet);
    png_infop info = png_create_info_struct(png);
    size_t rowBytes = s.rows.size() / s.height;
    std::vector<png_bytep> rows;
    for (int y = 0; y < s.height; ++y) rows.push_back(const_cast<png_bytep>(s.rows.data() + rowBytes * y));
    png_color palette[256];
    for (size_t i = 0; i < s.palette.size() && i < 256; ++i)
        palette[i] = { png_byte(s.palette[i] >> 16), png_byte(s.palette[i] >> 8), png_byte(s.palette[i]) };
    bool ok = WritePngCore(png, info, s, &buffer, rows, palette);
    png_destroy_write_struct(&png, &info);
    if (!ok) out.clear();
    return out;
}

PngFacts ReadPng(const Bytes& file) {
    PngFacts f;
    PngBuffer buffer = { nullptr, &file, 0 };
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngQuiet);
    png_infop info = png_create_info_struct(png);
    Bytes pixels;
    std::vector<png_bytep> rows;
    f.ok = ReadPngCore(png, info, f, &buffer, pixels, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    for (size_t i = 0; f.ok && i + 3 < pixels.size(); i += 4)
        f.argb.push_back((uint32_t(pixels[i + 3]) << 24) | (pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
    return f;
}

namespace {

struct JpegFailure {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void JpegExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<JpegFailure*>(cinfo->err)->jump, 1); }
void JpegQuiet(j_common_ptr) {}

bool ReadJpegCore(jpeg_decompress_struct* cinfo, JpegFailure* err, const Bytes& file, JpegFacts& f,
                  Bytes& samples) {
    if (setjmp(err->jump)) return false;
    jpeg_mem_src(cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(cinfo, TRUE);
    jpeg_start_decompress(cinfo);
    f.width = int(cinfo->output_width);
    f.height = int(cinfo->output_height);
    f.components = cinfo->output_components;
    f.densityUnit = cinfo->density_unit;
    f.xDensity = cinfo->X_density;
    f.yDensity = cinfo->Y_density;
    samples.resize(size_t(f.width) * f.height * f.components);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = samples.data() + size_t(cinfo->output_scanline) * f.width * f.components;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

bool WriteJpegCore(jpeg_compress_struct* cinfo, JpegFailure* err, int width, int height, int components,
                   const Bytes& samples, int quality, unsigned char** out, unsigned long* size) {
    if (setjmp(err->jump)) return false;
    jpeg_mem_dest(cinfo, out, size);
    cinfo->image_width = width;
    cinfo->image_height = height;
    cinfo->input_components = components;
    cinfo->in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(cinfo->next_scanline) * width * components);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

JpegFacts ReadJpeg(const Bytes& file) {
    JpegFacts f;
    jpeg_decompress_struct cinfo;
    JpegFailure err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegExit;
    err.pub.output_message = JpegQuiet;
    jpeg_create_decompress(&cinfo);
    f.ok = ReadJpegCore(&cinfo, &err, file, f, f.samples);
    jpeg_destroy_decompress(&cinfo);
    return f;
}

Bytes MakeJpeg(int width, int height, int components, const Bytes& samples, int quality) {
    jpeg_compress_struct cinfo;
    JpegFailure err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegExit;
    err.pub.output_message = JpegQuiet;
    jpeg_create_compress(&cinfo);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    bool ok = WriteJpegCore(&cinfo, &err, width, height, components, samples, quality, &data, &size);
    jpeg_destroy_compress(&cinfo);
    Bytes out;
    if (ok && data) out.assign(data, data + size);
    free(data);
    return out;
}

}  // namespace imgtest
