#include "Png.h"

#include <zlib.h>

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

void AppendBigEndian(QByteArray& out, std::uint32_t value) {
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

void AppendChunk(QByteArray& out, const char* type, const QByteArray& data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* checked = reinterpret_cast<const Bytef*>(out.constData() + start);
    AppendBigEndian(out,
                    static_cast<std::uint32_t>(crc32(0, checked, static_cast<uInt>(out.size() - start))));
}

}  // namespace

QByteArray PngOf(const QImage& source) {
    const QImage image = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    const int width = image.width(), height = image.height();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3 + 1;
    // A band of filtered rows at a time, from the image's own pixels: the picture's bytes pass
    // through the cache once, and no copy of the whole picture is made.
    const int bandRows = std::max(1, static_cast<int>((64 * 1024) / rowBytes));
    std::vector<Bytef> band(rowBytes * static_cast<std::size_t>(bandRows));
    z_stream stream{};
    if (deflateInit(&stream, Z_BEST_SPEED) != Z_OK) return {};
    QByteArray packed;
    std::vector<Bytef> chunk(64 * 1024);
    bool failed = false;
    const auto pack = [&](Bytef* data, std::size_t size, int flush) {
        stream.next_in = data;
        stream.avail_in = static_cast<uInt>(size);
        do {
            stream.next_out = chunk.data();
            stream.avail_out = static_cast<uInt>(chunk.size());
            const int result = deflate(&stream, flush);
            if (result == Z_STREAM_ERROR) failed = true;
            packed.append(reinterpret_cast<const char*>(chunk.data()), qsizetype(chunk.size() - stream.avail_out));
        } while (stream.avail_out == 0 && !failed);
    };
    for (int first = 0; first < height && !failed; first += bandRows) {
        const int rows = std::min(bandRows, height - first);
        for (int r = 0; r < rows; ++r) {
            const int y = first + r;
            Bytef* out = band.data() + rowBytes * static_cast<std::size_t>(r);
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            if (y == 0) {
                *out++ = 0;  // none
                for (int x = 0; x < width; ++x) {
                    *out++ = static_cast<Bytef>(qRed(line[x]));
                    *out++ = static_cast<Bytef>(qGreen(line[x]));
                    *out++ = static_cast<Bytef>(qBlue(line[x]));
                }
                continue;
            }
            const auto* above = reinterpret_cast<const QRgb*>(image.constScanLine(y - 1));
            *out++ = 2;  // up
            for (int x = 0; x < width; ++x) {
                *out++ = static_cast<Bytef>(qRed(line[x]) - qRed(above[x]));
                *out++ = static_cast<Bytef>(qGreen(line[x]) - qGreen(above[x]));
                *out++ = static_cast<Bytef>(qBlue(line[x]) - qBlue(above[x]));
            }
        }
        pack(band.data(), rowBytes * static_cast<std::size_t>(rows), first + rows == height ? Z_FINISH : Z_NO_FLUSH);
    }
    if (height == 0) pack(nullptr, 0, Z_FINISH);
    deflateEnd(&stream);
    if (failed) return {};

    QByteArray header;
    AppendBigEndian(header, static_cast<std::uint32_t>(width));
    AppendBigEndian(header, static_cast<std::uint32_t>(height));
    header.append("\x08\x02\x00\x00\x00", 5);  // 8 bits, truecolour, deflate, no filter method, no interlace
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", {});
    return png;
}
