#include "JpegFiles.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace jpegfiles {

namespace {

// Where the entropy-coded data of the first scan begins (after the SOS segment).
qsizetype scanStart(const QByteArray &jpeg)
{
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    if (sos < 0)
        qFatal("no scan");
    return sos + 2 + (uchar(jpeg[sos + 2]) << 8 | uchar(jpeg[sos + 3]));
}

const QByteArray kStray("\x55\xAA\x12\x34\x00\x99\x42\x17", 8);

} // namespace

QByteArray encode(int width, int height, const QList<QSize> &sampling)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors); // a test's own parameters: an error ends the test
    jpeg_create_compress(&c);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    for (int i = 0; i < sampling.size() && i < c.num_components; ++i) {
        c.comp_info[i].h_samp_factor = sampling[i].width();
        c.comp_info[i].v_samp_factor = sampling[i].height();
    }
    jpeg_start_compress(&c, TRUE);
    // Colour changes in both directions, so that any misplaced chroma shows.
    QByteArray row(width * 3, 0);
    while (c.next_scanline < c.image_height) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = char((x * 255) / width);
            row[3 * x + 1] = char((y * 255) / height);
            row[3 * x + 2] = char(((x / 9 + y / 7) % 2) * 200 + 20);
        }
        JSAMPROW r = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

QImage decode(const QByteArray &jpeg, int denominator)
{
    jpeg_decompress_struct d{};
    jpeg_error_mgr errors{};
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    d.scale_num = 1;
    d.scale_denom = unsigned(denominator);
    jpeg_start_decompress(&d);
    QImage rgb(int(d.output_width), int(d.output_height), QImage::Format_RGB888);
    while (d.output_scanline < d.output_height) {
        JSAMPROW r = rgb.scanLine(int(d.output_scanline));
        jpeg_read_scanlines(&d, &r, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return rgb.convertToFormat(QImage::Format_BGR888);
}

QByteArray strayBytesBeforeEnd(const QByteArray &jpeg)
{
    QByteArray out = jpeg;
    return out.insert(out.size() - 2, kStray);
}

QByteArray truncated(const QByteArray &jpeg)
{
    return jpeg.left(jpeg.size() * 3 / 5);
}

QByteArray markerInData(const QByteArray &jpeg)
{
    QByteArray out = jpeg;
    qsizetype at = (scanStart(jpeg) + jpeg.size()) / 2;
    while (uchar(out[at - 1]) == 0xFF)
        ++at;
    out[at] = char(0xFF);
    out[at + 1] = char(0xD5);
    return out;
}

} // namespace jpegfiles
