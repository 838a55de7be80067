#include "image/CxImageJPG.h"
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <jpeglib.h>
#include <jerror.h>
#include "image/CxFile.h"
#include "image/ImageCodecs.h"

namespace {

const size_t kBufferBytes = 4096;
const uint64_t kMaxPixelsPerByte = 65536;

struct JpegError {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
    bool dataShort;  // the entropy decoder ran out of data inside a scan
};

void OnJpegErrorExit(j_common_ptr cinfo) {
    JpegError* error = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->text);
    longjmp(error->jump, 1);
}

void OnJpegOutputMessage(j_common_ptr) {}

void OnJpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    JpegError* error = reinterpret_cast<JpegError*>(cinfo->err);
    if (cinfo->err->msg_code == JWRN_HIT_MARKER) error->dataShort = true;
    cinfo->err->num_warnings++;
}

void InstallErrorHandler(JpegError& error) {
    jpeg_std_error(&error.pub);
    error.pub.error_exit = OnJpegErrorExit;
    error.pub.output_message = OnJpegOutputMessage;
    error.pub.emit_message = OnJpegEmitMessage;
    error.text[0] = 0;
    error.dataShort = false;
}

struct JpegSource {
    jpeg_source_mgr pub;
    CxFile* file;
    bool started;
    bool hitEnd;
    JOCTET buffer[kBufferBytes];
};

void OnInitSource(j_decompress_ptr) {}
void OnTermSource(j_decompress_ptr) {}

boolean OnFillInput(j_decompress_ptr cinfo) {
    JpegSource* src = reinterpret_cast<JpegSource*>(cinfo->src);
    size_t got = src->file->Read(src->buffer, 1, kBufferBytes);
    if (got == 0) {
        if (!src->started) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // An end marker stands in for the missing rest; whether data was
        // really missing shows in the entropy decoder's warning.
        src->hitEnd = true;
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        got = 2;
    }
    src->started = true;
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    return TRUE;
}

void OnSkipInput(j_decompress_ptr cinfo, long bytes) {
    jpeg_source_mgr* src = cinfo->src;
    if (bytes <= 0) return;
    while (bytes > static_cast<long>(src->bytes_in_buffer)) {
        bytes -= static_cast<long>(src->bytes_in_buffer);
        (*src->fill_input_buffer)(cinfo);
    }
    src->next_input_byte += bytes;
    src->bytes_in_buffer -= bytes;
}

struct JpegDestination {
    jpeg_destination_mgr pub;
    CxFile* file;
    JOCTET buffer[kBufferBytes];
};

void OnInitDestination(j_compress_ptr cinfo) {
    JpegDestination* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferBytes;
}

boolean OnEmptyOutput(j_compress_ptr cinfo) {
    JpegDestination* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (dest->file->Write(dest->buffer, 1, kBufferBytes) != kBufferBytes) ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferBytes;
    return TRUE;
}

void OnTermDestination(j_compress_ptr cinfo) {
    JpegDestination* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    size_t bytes = kBufferBytes - dest->pub.free_in_buffer;
    if (bytes && dest->file->Write(dest->buffer, 1, bytes) != bytes) ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->file->Flush();
}

}  // namespace

struct CxImageJPG::ReadState {
    jpeg_decompress_struct cinfo;
    JpegError error;
    JpegSource source;
    bool created = false;
    std::unique_ptr<BYTE[]> row;

    ~ReadState() { if (created) jpeg_destroy_decompress(&cinfo); }
};

struct CxImageJPG::WriteState {
    jpeg_compress_struct cinfo;
    JpegError error;
    JpegDestination destination;
    bool created = false;
    std::unique_ptr<BYTE[]> row;

    ~WriteState() { if (created) jpeg_destroy_compress(&cinfo); }
};

void CxImageJPG::StoreRow(const BYTE* src, DWORD row, int components, bool cmyk) {
    BYTE* dst = GetBits(row);
    DWORD width = GetWidth();
    if (components == 1) {
        std::memcpy(dst, src, width);
        return;
    }
    for (DWORD x = 0; x < width; ++x, src += components, dst += 3) {
        if (cmyk) {
            // Adobe writes inverted CMYK: each stored value is 255 - ink.
            unsigned k = src[3];
            dst[0] = static_cast<BYTE>(src[2] * k / 255);
            dst[1] = static_cast<BYTE>(src[1] * k / 255);
            dst[2] = static_cast<BYTE>(src[0] * k / 255);
        } else {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
}

bool CxImageJPG::ReadJpeg(ReadState& s) {
    s.cinfo.err = &s.error.pub;
    InstallErrorHandler(s.error);
    if (setjmp(s.error.jump)) return false;
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.cinfo.src = &s.source.pub;
    s.source.pub.init_source = OnInitSource;
    s.source.pub.fill_input_buffer = OnFillInput;
    s.source.pub.skip_input_data = OnSkipInput;
    s.source.pub.resync_to_restart = jpeg_resync_to_restart;
    s.source.pub.term_source = OnTermSource;
    s.source.pub.bytes_in_buffer = 0;
    s.source.pub.next_input_byte = nullptr;
    jpeg_read_header(&s.cinfo, TRUE);

    // Even arithmetic coding needs a fraction of a bit per 8 x 8 block: a
    // picture far bigger than the rest of the file can describe is refused
    // before anything is allocated.
    int64_t left = s.source.file->Size() - s.source.file->Tell();
    left += static_cast<int64_t>(s.source.pub.bytes_in_buffer);
    if (left < 0 || uint64_t(s.cinfo.image_width) * s.cinfo.image_height >
                        uint64_t(left) * kMaxPixelsPerByte + (1u << 20)) {
        snprintf(s.error.text, sizeof(s.error.text), "JPEG data too short for the picture's size");
        return false;
    }
    bool grey = s.cinfo.jpeg_color_space == JCS_GRAYSCALE;
    bool cmyk = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK;
    s.cinfo.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    if (!CheckDecodeSize(s.cinfo.image_width, s.cinfo.image_height, 24, "JPEG image too large")) {
        snprintf(s.error.text, sizeof(s.error.text), "%s", GetLastError());
        return false;
    }
    jpeg_start_decompress(&s.cinfo);
    int components = s.cinfo.output_components;
    DWORD width = s.cinfo.output_width, height = s.cinfo.output_height;
    if (components != (grey ? 1 : cmyk ? 4 : 3) || !Create(width, height, grey ? 8 : 24, IMAGE_TYPE_JPG)) {
        snprintf(s.error.text, sizeof(s.error.text), "JPEG: can't allocate memory");
        return false;
    }
    if (grey) SetGrayPalette();
    if (s.cinfo.density_unit == 1 || s.cinfo.density_unit == 2) {
        long scale = s.cinfo.density_unit == 2 ? 254 : 100;
        SetXDPI((s.cinfo.X_density * scale + 50) / 100);
        SetYDPI((s.cinfo.Y_density * scale + 50) / 100);
    }
    s.row.reset(new (std::nothrow) BYTE[size_t(width) * components]);
    if (!s.row) {
        snprintf(s.error.text, sizeof(s.error.text), "JPEG: can't allocate memory");
        return false;
    }
    while (s.cinfo.output_scanline < height) {
        JSAMPROW rows[1] = { s.row.get() };
        DWORD line = s.cinfo.output_scanline;
        if (jpeg_read_scanlines(&s.cinfo, rows, 1) != 1) ERREXIT(&s.cinfo, JERR_INPUT_EOF);
        StoreRow(s.row.get(), height - 1 - line, components, cmyk);
    }
    jpeg_finish_decompress(&s.cinfo);
    // Entropy data that ends before the picture does (a file cut short, or a
    // damaged size) is refused; a file that only lacks its end marker after
    // complete data is accepted.
    if (s.error.dataShort) {
        snprintf(s.error.text, sizeof(s.error.text), "%s",
                 s.source.hitEnd ? "Premature end of JPEG file" : "Corrupt JPEG data: premature end of data segment");
        return false;
    }
    return true;
}

bool CxImageJPG::Decode(CxFile* file) {
    if (!file) return SetLastError("Not a JPEG file"), false;
    std::unique_ptr<ReadState> state(new (std::nothrow) ReadState());
    if (!state) return SetLastError("JPEG: can't allocate memory"), false;
    state->source.file = file;
    if (!ReadJpeg(*state)) {
        Destroy();
        SetLastError(state->error.text[0] ? state->error.text : "JPEG error");
        return false;
    }
    return true;
}

bool CxImageJPG::WriteJpeg(WriteState& s) {
    s.cinfo.err = &s.error.pub;
    InstallErrorHandler(s.error);
    if (setjmp(s.error.jump)) return false;
    jpeg_create_compress(&s.cinfo);
    s.created = true;
    s.cinfo.dest = &s.destination.pub;
    s.destination.pub.init_destination = OnInitDestination;
    s.destination.pub.empty_output_buffer = OnEmptyOutput;
    s.destination.pub.term_destination = OnTermDestination;

    bool grey = GetNumColors() != 0;
    DWORD width = GetWidth(), height = GetHeight();
    s.cinfo.image_width = width;
    s.cinfo.image_height = height;
    s.cinfo.input_components = grey ? 1 : 3;
    s.cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&s.cinfo);
    jpeg_set_quality(&s.cinfo, GetJpegQuality(), TRUE);
    s.cinfo.density_unit = 1;
    s.cinfo.X_density = static_cast<UINT16>(GetXDPI() > 65535 ? 65535 : GetXDPI());
    s.cinfo.Y_density = static_cast<UINT16>(GetYDPI() > 65535 ? 65535 : GetYDPI());
    jpeg_start_compress(&s.cinfo, TRUE);
    if (grey) {
        s.row.reset(new (std::nothrow) BYTE[width]);
        if (!s.row) ERREXIT(&s.cinfo, JERR_OUT_OF_MEMORY);
    }
    for (DWORD line = 0; line < height; ++line) {
        DWORD row = height - 1 - line;
        JSAMPROW rows[1] = { GetBits(row) };
        if (grey) {
            for (DWORD x = 0; x < width; ++x) s.row[x] = GetPaletteColor(GetPixelIndex(x, row)).rgbRed;
            rows[0] = s.row.get();
        }
        jpeg_write_scanlines(&s.cinfo, rows, 1);
    }
    jpeg_finish_compress(&s.cinfo);
    return true;
}

bool CxImageJPG::Encode(CxFile* file) {
    if (!file || !IsValid()) return SetLastError("JPEG: image is not valid"), false;
    if (GetNumColors() && !IsGrayScale())
        return SetLastError("JPEG can save only RGB or GreyScale images"), false;
    std::unique_ptr<WriteState> state(new (std::nothrow) WriteState());
    if (!state) return SetLastError("JPEG: can't allocate memory"), false;
    state->destination.file = file;
    if (!WriteJpeg(*state)) {
        SetLastError(state->error.text[0] ? state->error.text : "JPEG error");
        return false;
    }
    return true;
}

CxImage* MakeJPGCodec() { return new (std::nothrow) CxImageJPG; }
