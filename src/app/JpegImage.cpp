#include "app/JpegImage.h"

#include <QGuiApplication>
#include <QScreen>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>
// jerror.h names the message codes used to tell harmless warnings apart.
#include <jerror.h>

#include "data/OrdinaryFile.h"

namespace app {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// The library words its messages in English; the user reads why the picture
// cannot be shown in Romanian, by the kind of fault.
const char* romanianJpegText(int code) {
    switch (code) {
        case JERR_NO_SOI: return "fisierul nu este o imagine JPEG";
        case JERR_INPUT_EMPTY: return "fisierul este gol";
        case JERR_INPUT_EOF:
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER: return "imaginea este incompleta (fisierul se termina prea devreme)";
        case JWRN_HUFF_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
        case JERR_BAD_HUFF_TABLE:
        case JERR_NO_HUFF_TABLE:
        case JERR_NO_QUANT_TABLE:
        case JERR_BAD_COMPONENT_ID:
        case JERR_BAD_LENGTH:
        case JERR_BAD_SAMPLING:
        case JERR_BAD_PROGRESSION:
        case JERR_DHT_INDEX:
        case JERR_DQT_INDEX:
        case JERR_SOF_DUPLICATE:
        case JERR_SOF_NO_SOS:
        case JERR_SOI_DUPLICATE:
        case JERR_SOS_NO_SOF:
        case JERR_EMPTY_IMAGE:
        case JERR_NO_IMAGE: return "datele imaginii sunt deteriorate";
        case JERR_SOF_UNSUPPORTED:
        case JERR_BAD_PRECISION:
        case JERR_UNKNOWN_MARKER:
        case JERR_CONVERSION_NOTIMPL:
        case JERR_BAD_J_COLORSPACE:
        case JERR_COMPONENT_COUNT:
        case JERR_BAD_DCTSIZE:
        case JERR_WIDTH_OVERFLOW:
        case JERR_IMAGE_TOO_BIG: return "imaginea este salvata intr-un fel de JPEG pe care programul nu il poate citi";
        case JERR_OUT_OF_MEMORY: return "memorie insuficienta";
        default: return nullptr;
    }
}

// The library's default error handler ends the process; this one returns to
// the decoder instead.
extern "C" void onJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    const int code = cinfo->err->msg_code;
    if (const char* text = romanianJpegText(code))
        std::snprintf(err->message, sizeof err->message, "%s", text);
    else  // the code tells a support person which fault it was
        std::snprintf(err->message, sizeof err->message, "imaginea JPEG nu poate fi citita (eroarea %d)", code);
    std::longjmp(err->jump, 1);
}

// Warnings about damaged data (a truncated file, a broken entropy code) would
// otherwise give a half-grey picture; they count as errors. Oddities that do
// not harm the picture are let through.
extern "C" void onJpegMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    int code = cinfo->err->msg_code;
    if (code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM) return;
    onJpegError(cinfo);
}

struct Decoded {
    unsigned char* pixels = nullptr;  // malloc'ed, rows of width * components bytes
    int width = 0, height = 0, components = 0;
    bool cmyk = false, invertedCmyk = false;
    char message[JMSG_LENGTH_MAX] = {};
};

// Plain C-style decoding: nothing with a destructor lives in this frame, so
// the error jump leaves nothing behind. The caller frees out->pixels.
bool decodeToBuffer(const unsigned char* data, unsigned long size, int shownWidth, int shownHeight, Decoded* out) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onJpegError;
    err.pub.emit_message = onJpegMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        std::snprintf(out->message, sizeof out->message, "%s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), size);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > kMaxJpegSide ||
        cinfo.image_height > kMaxJpegSide ||
        static_cast<long long>(cinfo.image_width) * cinfo.image_height > kMaxJpegPixels) {
        std::snprintf(out->message, sizeof out->message, "dimensiuni prea mari (%u x %u)", cinfo.image_width,
                      cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        cinfo.out_color_space = JCS_CMYK;
        out->cmyk = true;
        out->invertedCmyk = cinfo.saw_Adobe_marker;
    } else if (cinfo.jpeg_color_space == JCS_GRAYSCALE) {
        cinfo.out_color_space = JCS_GRAYSCALE;
    } else {
        cinfo.out_color_space = JCS_RGB;
    }
    // the smallest of the decoder's scales whose picture still covers the shown size
    cinfo.scale_num = 8;
    cinfo.scale_denom = 8;
    if (shownWidth > 0 && shownHeight > 0) {
        for (unsigned num : {1u, 2u, 4u}) {
            if ((cinfo.image_width * num + 7) / 8 >= static_cast<unsigned>(shownWidth) &&
                (cinfo.image_height * num + 7) / 8 >= static_cast<unsigned>(shownHeight)) {
                cinfo.scale_num = num;
                break;
            }
        }
    }
    jpeg_start_decompress(&cinfo);
    out->width = static_cast<int>(cinfo.output_width);
    out->height = static_cast<int>(cinfo.output_height);
    out->components = cinfo.output_components;
    size_t stride = static_cast<size_t>(out->width) * static_cast<size_t>(out->components);
    out->pixels = static_cast<unsigned char*>(std::malloc(stride * static_cast<size_t>(out->height)));
    if (!out->pixels) {
        std::snprintf(out->message, sizeof out->message, "memorie insuficienta");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->pixels + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

QImage decodeJpeg(const unsigned char* data, size_t size, QSize shownAt) {
    Decoded d;
    bool ok = decodeToBuffer(data, static_cast<unsigned long>(size), shownAt.width(), shownAt.height(), &d);
    if (!ok) {
        std::free(d.pixels);
        throw std::runtime_error(d.message[0] ? d.message : "date JPEG invalide");
    }
    QImage img(d.width, d.height, QImage::Format_RGB888);
    if (img.isNull()) {
        std::free(d.pixels);
        throw std::runtime_error("memorie insuficienta");
    }
    const size_t stride = static_cast<size_t>(d.width) * static_cast<size_t>(d.components);
    for (int y = 0; y < d.height; ++y) {
        const unsigned char* src = d.pixels + stride * static_cast<size_t>(y);
        unsigned char* dst = img.scanLine(y);
        if (d.components == 3) {
            std::memcpy(dst, src, stride);
        } else if (d.cmyk) {
            for (int x = 0; x < d.width; ++x) {
                int c = src[4 * x], m = src[4 * x + 1], yy = src[4 * x + 2], k = src[4 * x + 3];
                if (!d.invertedCmyk) {
                    c = 255 - c;
                    m = 255 - m;
                    yy = 255 - yy;
                    k = 255 - k;
                }
                dst[3 * x] = static_cast<unsigned char>(c * k / 255);
                dst[3 * x + 1] = static_cast<unsigned char>(m * k / 255);
                dst[3 * x + 2] = static_cast<unsigned char>(yy * k / 255);
            }
        } else {  // one component
            for (int x = 0; x < d.width; ++x) dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[x];
        }
    }
    std::free(d.pixels);
    return img;
}

QImage loadJpegFile(const std::string& path, QSize shownAt) {
    if (shownAt.isEmpty()) {
        // the picture is never shown larger than the screen
        const QScreen* screen = QGuiApplication::primaryScreen();
        shownAt = screen ? screen->size() : QSize(1920, 1200);
    }
    auto fail = [&](const std::string& why) -> QImage {
        throw std::runtime_error("Imaginea \"" + path + "\" nu poate fi afisata: " + why);
    };
    std::string bytes;
    try {
        bytes = data::readOrdinaryFile(path, kMaxJpegFileBytes);
    } catch (const data::FileAccessError& e) {
        if (e.missing() || std::string(e.what()) != "fisierul este prea mare") return fail(e.what());
        return fail("fisierul are peste " + std::to_string(kMaxJpegFileBytes / (1024 * 1024)) +
                    " MB, mai mult decat poate avea o poza");
    }
    if (bytes.empty()) return fail("fisierul este gol");
    try {
        return decodeJpeg(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), shownAt);
    } catch (const std::runtime_error& e) {
        return fail(e.what());
    }
}

}  // namespace app
