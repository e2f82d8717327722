#pragma once

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>  // after <cstdio>, which it needs for FILE

// libjpeg-turbo as every benchmark compares against it: accurate integer
// IDCT, no fancy upsampling, RGB out. Decodes the file's bytes into the
// buffer bufferFor(width, height) gives, rows of 3 x width bytes; false
// when it gives none. libjpeg-turbo's own error handler ends the process.
template <class BufferFor>
bool decodeRgbWithLibjpeg(const uint8_t* data, size_t size, const BufferFor& bufferFor)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    uint8_t* rgb = bufferFor(info.output_width, info.output_height);
    const size_t stride = size_t(info.output_width) * 3;
    while (rgb && info.output_scanline < info.output_height) {
        JSAMPROW line = rgb + size_t(info.output_scanline) * stride;
        jpeg_read_scanlines(&info, &line, 1);
    }
    if (rgb)
        jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return rgb != nullptr;
}
