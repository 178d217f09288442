// Writes small JPEG files with the IJG library for the picture tests.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <string>
#include <vector>

// A width x height picture in a colour gradient (components 3) or grey (1).
inline std::string encodeJpeg(int width, int height, int components = 3) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = components;
    c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width * components));
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < components; ++k)
                row[static_cast<size_t>(x * components + k)] =
                    static_cast<unsigned char>(k == 0   ? x * 255 / width
                                               : k == 1 ? c.next_scanline * 255 / height
                                                        : 128);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<char*>(buf), size);
    jpeg_destroy_compress(&c);
    free(buf);
    return out;
}

// Sets the dimensions in the frame header (SOF0) of an encoded picture.
inline std::string withDimensions(std::string jpeg, int width, int height) {
    for (size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && static_cast<unsigned char>(jpeg[i + 1]) == 0xC0) {
            jpeg[i + 5] = static_cast<char>(height >> 8);
            jpeg[i + 6] = static_cast<char>(height & 0xFF);
            jpeg[i + 7] = static_cast<char>(width >> 8);
            jpeg[i + 8] = static_cast<char>(width & 0xFF);
            break;
        }
    }
    return jpeg;
}
